#pragma once
// Bit casts and number text that give the same results with every standard library the core is
// built with: where a library lacks std::bit_cast or the floating-point <charconv> functions (the
// WebAssembly build's), these stand in for them; elsewhere they are the standard ones.

#include <charconv>
#include <cstring>
#include <type_traits>
#if __has_include(<bit>)
#include <bit>
#endif

namespace trovel {

template <class To, class From>
To bitCast(const From& from) {
    static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
#endif
}

// std::from_chars for a double in the general format: an optional '-', decimal digits with an
// optional point and exponent, or inf/infinity/nan; no leading blanks, no '+', no hex.
std::from_chars_result parseDouble(const char* first, const char* last, double& value);
// std::to_chars for a float or a double without a format: the shortest text that reads back as the
// same value, fixed or scientific, whichever is shorter (fixed on a tie).
std::to_chars_result formatShortest(char* first, char* last, float value);
std::to_chars_result formatShortest(char* first, char* last, double value);

// The stand-ins themselves, always built, so the native tests compare them with the standard ones.
std::from_chars_result portableParseDouble(const char* first, const char* last, double& value);
std::to_chars_result portableFormatShortest(char* first, char* last, float value);
std::to_chars_result portableFormatShortest(char* first, char* last, double value);

}  // namespace trovel
