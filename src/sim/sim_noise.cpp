#include "sim/sim_noise.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "model/portable_bits.h"
#include "sim/sim_world.h"

// A fused multiply-add would round differently from one platform to the next. GCC does not fuse in
// standard C++ mode; clang needs telling.
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

namespace trovel {

namespace {

constexpr double kLn2 = 0.6931471805599453;
constexpr double kSqrtHalf = 0.7071067811865476;
constexpr float kPi = 3.1415927f;
constexpr uint64_t kNoiseStream = 0xD1B54A32D192ED03ull;

uint8_t clampByte(double value) {
    if (!(value > 0)) return 0;
    if (value >= 255) return 255;
    return static_cast<uint8_t>(std::lround(value));
}

bool parseNumber(std::string_view text, double max, double& value) {
    if (text.empty()) return false;
    auto [end, ec] = parseDouble(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= 0 && value <= max;
}

std::string numberText(double value) {
    char buffer[32];
    auto [end, ec] = formatShortest(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : "0";
}

}  // namespace

bool noiseOff(const SimNoise& n) {
    return n.sensorSigma == 0 && n.startDistance == 0 && n.startAngle == 0 && n.motorPercent == 0;
}

bool parseNoise(std::string_view text, SimNoise& noise, std::string& error) {
    SimNoise parsed;
    if (text.empty() || text.back() == ',') {
        error = "bad --noise '" + std::string(text) + "' (expected sensor=S,start=D/A,motor=P)";
        return false;
    }
    while (!text.empty()) {
        size_t comma = text.find(',');
        std::string_view part = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        size_t eq = part.find('=');
        std::string_view key = part.substr(0, eq), value = eq == std::string_view::npos ? "" : part.substr(eq + 1);
        bool ok = eq != std::string_view::npos;
        if (ok && key == "sensor") {
            ok = parseNumber(value, 255, parsed.sensorSigma);
        } else if (ok && key == "start") {
            size_t slash = value.find('/');
            ok = slash != std::string_view::npos && parseNumber(value.substr(0, slash), 700, parsed.startDistance) &&
                 parseNumber(value.substr(slash + 1), 360, parsed.startAngle);
        } else if (ok && key == "motor") {
            ok = parseNumber(value, 100, parsed.motorPercent);
        } else {
            ok = false;
        }
        if (!ok) {
            error = "bad --noise part '" + std::string(part) +
                    "' (expected sensor=S,start=D/A,motor=P with S 0..255, D 0..700, A 0..360, P 0..100)";
            return false;
        }
    }
    noise = parsed;
    return true;
}

std::string noiseText(const SimNoise& n) {
    if (noiseOff(n)) return "off";
    return "sensor=" + numberText(n.sensorSigma) + ",start=" + numberText(n.startDistance) + "/" +
           numberText(n.startAngle) + ",motor=" + numberText(n.motorPercent);
}

uint64_t noiseSeed(uint64_t runSeed) { return runSeed ^ kNoiseStream; }

double uniformUnit(SimRandom& random) { return static_cast<double>(nextRandom(random) >> 11) * 0x1.0p-53; }

double portableLog(double x) {
    int e = 0;
    double m = std::frexp(x, &e);  // exact: x = m * 2^e, m in [0.5, 1)
    if (m < kSqrtHalf) {
        m *= 2;
        --e;
    }
    // ln m = 2 atanh z with |z| < 0.172: thirteen terms of the series reach double precision.
    const double z = (m - 1) / (m + 1);
    const double z2 = z * z;
    double term = z, sum = 0;
    for (int k = 1; k <= 25; k += 2) {
        sum += term / k;
        term *= z2;
    }
    return 2 * sum + e * kLn2;
}

double normalDeviate(SimRandom& random) {
    for (;;) {
        double u = 2 * uniformUnit(random) - 1;
        double v = 2 * uniformUnit(random) - 1;
        double s = u * u + v * v;
        if (s > 0 && s < 1) return u * std::sqrt(-2 * portableLog(s) / s);
    }
}

void addSensorNoise(std::array<uint8_t, kFloorPointCount>& floor, double sigma, SimRandom& random) {
    for (uint8_t& value : floor) value = clampByte(value + sigma * normalDeviate(random));
}

std::array<uint8_t, 2> imbalancedGains(std::array<uint8_t, 2> gains, double percent, SimRandom& random) {
    const double m = (2 * uniformUnit(random) - 1) * percent / 100;
    return {clampByte(gains[0] * (1 + m)), clampByte(gains[1] * (1 - m))};
}

void jitterPose(SimRobot& robot, double distance, double degrees, SimRandom& random) {
    double u = 0, v = 0;
    do {
        u = 2 * uniformUnit(random) - 1;
        v = 2 * uniformUnit(random) - 1;
    } while (u * u + v * v >= 1);
    const double turn = (2 * uniformUnit(random) - 1) * degrees;
    robot.x = std::clamp(static_cast<float>(robot.x + u * distance), -kWorldHalfWidth, kWorldHalfWidth);
    robot.y = std::clamp(static_cast<float>(robot.y + v * distance), -kWorldHalfHeight, kWorldHalfHeight);
    robot.heading = robot.heading + static_cast<float>(turn / 180 * kPi);
}

}  // namespace trovel
