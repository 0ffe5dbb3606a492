#pragma once
// printf-style formatting of the numbered strings, safe against a format and arguments that
// do not match (a language pack may carry any text).

#include <initializer_list>
#include <string>
#include <string_view>

namespace trovel {

// One argument of formatMessage: an integer, a real number, a text or a single character.
struct MessageArg {
    enum class Kind { Int, Real, Text, Char };
    Kind kind;
    long long i = 0;
    double d = 0;
    std::u16string_view s;
    char16_t c = 0;

    MessageArg(int v) : kind(Kind::Int), i(v) {}
    MessageArg(long long v) : kind(Kind::Int), i(v) {}
    MessageArg(unsigned v) : kind(Kind::Int), i(v) {}
    MessageArg(double v) : kind(Kind::Real), d(v) {}
    MessageArg(std::u16string_view v) : kind(Kind::Text), s(v) {}
    MessageArg(const std::u16string& v) : kind(Kind::Text), s(v) {}
    MessageArg(const char16_t* v) : kind(Kind::Text), s(v ? std::u16string_view(v) : std::u16string_view()) {}
    MessageArg(char16_t v) : kind(Kind::Char), c(v) {}
};

// Conversions understood: %d %i %u %s %c %f with optional flags "-0", a width and a precision
// (".1f", "03d"), and %% for a percent sign. A conversion without an argument prints nothing;
// an argument of another kind is converted (a number for %s, an integer for %f, ...); an
// unknown conversion is copied as it stands. Widths and precisions are capped at 64.
std::u16string formatMessage(std::u16string_view format, std::initializer_list<MessageArg> args);

// The conversion letters of a format in order ("%.1f 秒間 %d%% で%s" -> "fds"), so that a
// translated text can be checked to take the same arguments as the original.
std::string conversionsOf(std::u16string_view format);

}  // namespace trovel
