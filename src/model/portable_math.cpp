#include "model/portable_math.h"

#include <cmath>

namespace trovel {

namespace {

// pi/2 as a 33-bit head (k * head is exact for |k| < 2^20) and the tail that completes it.
constexpr double kPio2Hi = 1.57079632673412561417e+00;
constexpr double kPio2Lo = 6.07710050650619224932e-11;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;
constexpr double kPi = 3.14159265358979311600e+00;
constexpr double kPio2 = 1.57079632679489655800e+00;

// Taylor series on |r| <= pi/4, up to the terms whose successors are below 1e-19.
double sinKernel(double r) {
    const double r2 = r * r;
    double p = -1.0 / 1307674368000.0 + r2 * (1.0 / 355687428096000.0);
    p = 1.0 / 6227020800.0 + r2 * p;
    p = -1.0 / 39916800.0 + r2 * p;
    p = 1.0 / 362880.0 + r2 * p;
    p = -1.0 / 5040.0 + r2 * p;
    p = 1.0 / 120.0 + r2 * p;
    p = -1.0 / 6.0 + r2 * p;
    return r + r * r2 * p;
}

double cosKernel(double r) {
    const double r2 = r * r;
    double p = 1.0 / 20922789888000.0 - r2 * (1.0 / 6402373705728000.0);
    p = -1.0 / 87178291200.0 + r2 * p;
    p = 1.0 / 479001600.0 + r2 * p;
    p = -1.0 / 3628800.0 + r2 * p;
    p = 1.0 / 40320.0 + r2 * p;
    p = -1.0 / 720.0 + r2 * p;
    p = 1.0 / 24.0 + r2 * p;
    return 1.0 - 0.5 * r2 + r2 * r2 * p;
}

// x = k * pi/2 + r with |r| <= pi/4; returns r and the quadrant k mod 4.
double reduce(double x, int& quadrant) {
    const double k = std::floor(x * kTwoOverPi + 0.5);
    quadrant = static_cast<int>(std::fmod(k, 4.0));
    if (quadrant < 0) quadrant += 4;
    return (x - k * kPio2Hi) - k * kPio2Lo;
}

// atan of t >= 0: the angle is halved twice (atan t = 2 atan(t / (1 + sqrt(1 + t^2)))) to bring t
// below tan(pi/16), where the series converges fast.
double atanPositive(double t) {
    const bool inverted = t > 1;
    if (inverted) t = 1 / t;
    t = t / (1 + std::sqrt(1 + t * t));
    t = t / (1 + std::sqrt(1 + t * t));
    const double t2 = t * t;
    double p = 0;
    for (int n = 25; n >= 3; n -= 2) p = (n % 4 == 1 ? 1.0 : -1.0) / n + t2 * p;
    double a = 4 * (t + t * t2 * p);
    return inverted ? kPio2 - a : a;
}

}  // namespace

float portableSin(float x) {
    if (!std::isfinite(x)) return x - x;
    int q = 0;
    const double r = reduce(x, q);
    const double v = q == 0 ? sinKernel(r) : q == 1 ? cosKernel(r) : q == 2 ? -sinKernel(r) : -cosKernel(r);
    return static_cast<float>(v);
}

float portableCos(float x) {
    if (!std::isfinite(x)) return x - x;
    int q = 0;
    const double r = reduce(x, q);
    const double v = q == 0 ? cosKernel(r) : q == 1 ? -sinKernel(r) : q == 2 ? -cosKernel(r) : sinKernel(r);
    return static_cast<float>(v);
}

float portableAtan2(float y, float x) {
    if (std::isnan(x) || std::isnan(y)) return x + y;
    const double dy = y, dx = x;
    if (std::isinf(dx) || std::isinf(dy)) {
        if (std::isinf(dx) && std::isinf(dy))
            return static_cast<float>(std::copysign(dx > 0 ? kPi / 4 : 3 * kPi / 4, dy));
        if (std::isinf(dy)) return static_cast<float>(std::copysign(kPio2, dy));
        return static_cast<float>(dx > 0 ? std::copysign(0.0, dy) : std::copysign(kPi, dy));
    }
    if (dx == 0) {
        if (dy == 0) return static_cast<float>(std::signbit(dx) ? std::copysign(kPi, dy) : std::copysign(0.0, dy));
        return static_cast<float>(std::copysign(kPio2, dy));
    }
    const double a = atanPositive(std::fabs(dy / dx));
    double angle = dx > 0 ? a : kPi - a;
    return static_cast<float>(std::copysign(angle, dy));
}

}  // namespace trovel
