#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "model/portable_bits.h"
#include "model/portable_math.h"

using namespace trovel;

namespace {

template <class T>
std::string standardText(T value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : "error";
}

template <class T>
std::string portableText(T value) {
    char buffer[64];
    auto [end, ec] = portableFormatShortest(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : "error";
}

// The stand-in writes what the standard library writes: the browser's traces and files depend on it.
TEST(PortableBits, ShortestTextMatchesTheStandardLibrary) {
    for (float v : {0.0f,    -0.0f,        1.0f,   -1.5f,         0.1f,        100.0f,      1e7f,
                    1.5e-5f, 123456789.0f, 1e-45f, 3.4028235e38f, -98.927055f, 1.5707964f,  6.283185f,
                    0.0001f, 0.001f,       1e10f,  1e16f,         170.0f,      9.999999e-5f})
        EXPECT_EQ(portableText(v), standardText(v)) << standardText(v);
    for (double v : {0.0, 0.1, 1e-7, 1e21, 5e-324, 1.7976931348623157e308, -2.5, 123.456, 1e22, 0.3})
        EXPECT_EQ(portableText(v), standardText(v)) << standardText(v);
    std::mt19937 random(27);
    for (int i = 0; i < 50000; ++i) {
        const float f = bitCast<float>(static_cast<uint32_t>(random()));
        if (!std::isfinite(f)) continue;
        ASSERT_EQ(portableText(f), standardText(f)) << standardText(f);
    }
    for (int i = 0; i < 20000; ++i) {
        // Poses and speeds as the simulator has them: a few hundred units with a long fraction.
        const float f = std::uniform_real_distribution<float>(-400, 400)(random);
        ASSERT_EQ(portableText(f), standardText(f)) << standardText(f);
    }
    char small[3];
    EXPECT_EQ(portableFormatShortest(small, small + sizeof small, 1.25f).ec, std::errc::value_too_large);
}

TEST(PortableBits, ParsingMatchesTheStandardLibrary) {
    for (std::string text : {"0",        "1.5",
                             "-2.25e3",  "1e400",
                             "-1e400",   "1e-400",
                             "inf",      "-Infinity",
                             "nan",      "nan(1)",
                             "12abc",    ".5",
                             "5.",       "1e",
                             "1e+",      "1e+5x",
                             " 1",       "+1",
                             "0x1p3",    "",
                             "-",        ".",
                             "abc",      "3.4028235e38",
                             "4.9e-324", "123456789012345678901234567890"}) {
        double standard = -7, portable = -7;
        const auto s = std::from_chars(text.data(), text.data() + text.size(), standard, std::chars_format::general);
        const auto p = portableParseDouble(text.data(), text.data() + text.size(), portable);
        EXPECT_EQ(p.ec, s.ec) << text;
        EXPECT_EQ(p.ptr - text.data(), s.ptr - text.data()) << text;
        if (std::isnan(standard)) {
            EXPECT_TRUE(std::isnan(portable)) << text;
        } else {
            EXPECT_EQ(portable, standard) << text;
        }
    }
}

int unitsApart(float a, float b) {
    const int32_t ia = bitCast<int32_t>(a), ib = bitCast<int32_t>(b);
    return ia > ib ? ia - ib : ib - ia;
}

// The robot's own trigonometry: within one unit in the last place of the exact value (the double
// functions rounded), in every quadrant and far from zero, with the signs and limits of atan2.
TEST(PortableMath, WithinOneUnitOfTheExactValue) {
    std::mt19937 random(19);
    for (int i = 0; i < 50000; ++i) {
        const float x = std::uniform_real_distribution<float>(i % 2 ? -10 : -2000, i % 2 ? 10 : 2000)(random);
        ASSERT_LE(unitsApart(portableSin(x), float(std::sin(double(x)))), 1) << x;
        ASSERT_LE(unitsApart(portableCos(x), float(std::cos(double(x)))), 1) << x;
        const float y = std::uniform_real_distribution<float>(-300, 300)(random);
        ASSERT_LE(unitsApart(portableAtan2(y, x), float(std::atan2(double(y), double(x)))), 1) << y << " " << x;
    }
    struct Row {
        float y, x, angle;
    };
    for (const Row& r : {Row{0, 1, 0}, Row{1, 0, 1.57079637f}, Row{-1, 0, -1.57079637f}, Row{0, -1, 3.14159274f},
                         Row{-0.0f, -1, -3.14159274f}, Row{1, 1, 0.785398185f}, Row{-1, -1, -2.3561945f},
                         Row{5, 35, 0.141897053f}, Row{0, 0, 0}})
        EXPECT_EQ(portableAtan2(r.y, r.x), r.angle) << r.y << " " << r.x;
    EXPECT_EQ(portableSin(0), 0.0f);
    EXPECT_EQ(portableCos(0), 1.0f);
    EXPECT_EQ(portableSin(1.57079637f), 1.0f);
    EXPECT_TRUE(std::isnan(portableSin(INFINITY)));
}

TEST(PortableBits, BitCastKeepsTheBits) {
    EXPECT_EQ(bitCast<uint32_t>(1.0f), 0x3F800000u);
    EXPECT_EQ(bitCast<float>(0xC0490FDBu), -3.14159274f);
}

}  // namespace
