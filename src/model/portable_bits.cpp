#include "model/portable_bits.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <clocale>
#include <cstdlib>
#include <string>

namespace trovel {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Length of `word` at p, ignoring case, or 0 when it is not there.
size_t wordAt(const char* p, const char* last, const char* word) {
    size_t n = std::strlen(word);
    if (size_t(last - p) < n) return 0;
    for (size_t i = 0; i < n; ++i)
        if (lower(p[i]) != word[i]) return 0;
    return n;
}

// Shortest digits of `value` (finite, not zero) that read back as it, with the decimal exponent of
// the first digit. `maxDigits`: 9 for float, 17 for double.
template <class T>
void shortestDigits(T value, int maxDigits, std::string& digits, int& exponent) {
    char text[64];
    for (int precision = 1; precision <= maxDigits; ++precision) {
        std::snprintf(text, sizeof text, "%.*e", precision - 1, static_cast<double>(value));
        T back = std::is_same_v<T, float> ? T(std::strtof(text, nullptr)) : T(std::strtod(text, nullptr));
        if (back == value || precision == maxDigits) break;
    }
    // "d.ddde+XX", the sign already taken off.
    const char* p = text;
    if (*p == '-') ++p;
    digits.clear();
    for (; *p && *p != 'e'; ++p)
        if (isDigit(*p)) digits += *p;
    exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

template <class T>
std::to_chars_result formatWith(char* first, char* last, T value, int maxDigits) {
    std::string out;
    if (std::signbit(value)) out += '-';
    if (std::isnan(value)) {
        out += "nan";
    } else if (std::isinf(value)) {
        out += "inf";
    } else if (value == 0) {
        out += '0';
    } else {
        std::string digits;
        int e = 0;
        shortestDigits(std::fabs(value), maxDigits, digits, e);
        const int n = int(digits.size());
        std::string sci = digits.substr(0, 1);
        if (n > 1) sci += '.' + digits.substr(1);
        char exp[8];
        std::snprintf(exp, sizeof exp, "e%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
        sci += exp;
        std::string fixed;
        if (e >= n - 1) {
            // A whole number in fixed notation is written with all its digits, exactly.
            char whole[400];
            std::snprintf(whole, sizeof whole, "%.0f", std::fabs(static_cast<double>(value)));
            fixed = whole;
        } else if (e >= 0) {
            fixed = digits.substr(0, size_t(e + 1)) + '.' + digits.substr(size_t(e + 1));
        } else {
            fixed = "0." + std::string(size_t(-e - 1), '0') + digits;
        }
        out += sci.size() < fixed.size() ? sci : fixed;
    }
    if (out.size() > size_t(last - first)) return {last, std::errc::value_too_large};
    std::memcpy(first, out.data(), out.size());
    return {first + out.size(), std::errc()};
}

}  // namespace

std::from_chars_result portableParseDouble(const char* first, const char* last, double& value) {
    const char* p = first;
    bool negative = p < last && *p == '-';
    if (negative) ++p;
    if (size_t n = wordAt(p, last, "infinity") ? 8 : wordAt(p, last, "inf")) {
        value = negative ? -HUGE_VAL : HUGE_VAL;
        return {p + n, std::errc()};
    }
    if (size_t n = wordAt(p, last, "nan")) {
        p += n;
        if (p < last && *p == '(') {
            const char* q = p + 1;
            while (q < last && (isDigit(*q) || (lower(*q) >= 'a' && lower(*q) <= 'z') || *q == '_')) ++q;
            if (q < last && *q == ')') p = q + 1;
        }
        value = negative ? -std::nan("") : std::nan("");
        return {p, std::errc()};
    }
    // The longest prefix in the decimal grammar, copied out: strtod itself would also take blanks,
    // '+' and hex, and read past `last`.
    const char* start = p;
    size_t mantissaDigits = 0;
    while (p < last && isDigit(*p)) ++p, ++mantissaDigits;
    if (p < last && *p == '.') {
        ++p;
        while (p < last && isDigit(*p)) ++p, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return {first, std::errc::invalid_argument};
    if (p < last && lower(*p) == 'e') {
        const char* q = p + 1;
        if (q < last && (*q == '+' || *q == '-')) ++q;
        if (q < last && isDigit(*q)) {
            while (q < last && isDigit(*q)) ++q;
            p = q;
        }
    }
    std::string text(start, p);
    // strtod reads "1.5" the same in every locale only with '.' as the locale's point: use the
    // locale's own point in the copy.
    const char point = *std::localeconv()->decimal_point;
    for (char& c : text)
        if (c == '.') c = point;
    errno = 0;
    double parsed = std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE && (std::isinf(parsed) || parsed == 0)) return {p, std::errc::result_out_of_range};
    value = negative ? -parsed : parsed;
    return {p, std::errc()};
}

std::to_chars_result portableFormatShortest(char* first, char* last, float value) {
    return formatWith(first, last, value, 9);
}

std::to_chars_result portableFormatShortest(char* first, char* last, double value) {
    return formatWith(first, last, value, 17);
}

#if defined(__cpp_lib_to_chars)

std::from_chars_result parseDouble(const char* first, const char* last, double& value) {
    return std::from_chars(first, last, value, std::chars_format::general);
}
std::to_chars_result formatShortest(char* first, char* last, float value) { return std::to_chars(first, last, value); }
std::to_chars_result formatShortest(char* first, char* last, double value) { return std::to_chars(first, last, value); }

#else

std::from_chars_result parseDouble(const char* first, const char* last, double& value) {
    return portableParseDouble(first, last, value);
}
std::to_chars_result formatShortest(char* first, char* last, float value) {
    return portableFormatShortest(first, last, value);
}
std::to_chars_result formatShortest(char* first, char* last, double value) {
    return portableFormatShortest(first, last, value);
}

#endif

}  // namespace trovel
