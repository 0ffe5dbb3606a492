#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "model/portable_bits.h"

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
        if (std::isfinite(f)) ASSERT_EQ(portableText(f), standardText(f)) << standardText(f);
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
        if (std::isnan(standard)) EXPECT_TRUE(std::isnan(portable)) << text;
        else EXPECT_EQ(portable, standard) << text;
    }
}

TEST(PortableBits, BitCastKeepsTheBits) {
    EXPECT_EQ(bitCast<uint32_t>(1.0f), 0x3F800000u);
    EXPECT_EQ(bitCast<float>(0xC0490FDBu), -3.14159274f);
}

}  // namespace
