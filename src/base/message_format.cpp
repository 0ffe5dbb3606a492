#include "base/message_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace trovel {

namespace {

constexpr int kMaxWidth = 64;

struct Spec {
    bool left = false;
    bool zero = false;
    int width = 0;
    int precision = -1;
    char16_t conversion = 0;
    size_t end = 0;  // position after the conversion letter
};

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Parses the conversion that starts at format[pos] == '%'; conversion 0 when there is none.
Spec parseSpec(std::u16string_view format, size_t pos) {
    Spec spec;
    size_t i = pos + 1;
    while (i < format.size() && (format[i] == u'-' || format[i] == u'0')) {
        if (format[i] == u'-') spec.left = true;
        else spec.zero = true;
        ++i;
    }
    while (i < format.size() && isDigit(format[i])) {
        spec.width = std::min(kMaxWidth, spec.width * 10 + (format[i] - u'0'));
        ++i;
    }
    if (i < format.size() && format[i] == u'.') {
        ++i;
        spec.precision = 0;
        while (i < format.size() && isDigit(format[i])) {
            spec.precision = std::min(kMaxWidth, spec.precision * 10 + (format[i] - u'0'));
            ++i;
        }
    }
    // Length modifiers of the C formats ("%ld", "%ls") are accepted and ignored.
    while (i < format.size() && (format[i] == u'l' || format[i] == u'h')) ++i;
    if (i < format.size()) {
        char16_t c = format[i];
        if (c == u'd' || c == u'i' || c == u'u' || c == u's' || c == u'c' || c == u'f' || c == u'%') {
            spec.conversion = c;
            spec.end = i + 1;
        }
    }
    return spec;
}

std::u16string ascii(const char* text) {
    std::u16string out;
    for (; *text; ++text) out += static_cast<char16_t>(static_cast<unsigned char>(*text));
    return out;
}

std::u16string integerText(long long v, const Spec& spec) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld", v);
    std::u16string digits = ascii(buf);
    if (spec.precision >= 0) {
        // A precision on an integer is its least number of digits.
        bool negative = !digits.empty() && digits[0] == u'-';
        std::u16string body = negative ? digits.substr(1) : digits;
        if (static_cast<int>(body.size()) < spec.precision)
            body.insert(0, static_cast<size_t>(spec.precision) - body.size(), u'0');
        digits = (negative ? u"-" : u"") + body;
    }
    return digits;
}

std::u16string realText(double v, const Spec& spec) {
    if (std::isnan(v)) return u"nan";
    if (std::isinf(v)) return v < 0 ? u"-inf" : u"inf";
    int precision = spec.precision < 0 ? 6 : spec.precision;
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", precision, v);
    return ascii(buf);
}

std::u16string argumentText(const MessageArg* arg, const Spec& spec) {
    if (!arg) return {};
    switch (spec.conversion) {
    case u'd':
    case u'i':
    case u'u':
        switch (arg->kind) {
        case MessageArg::Kind::Int: return integerText(arg->i, spec);
        case MessageArg::Kind::Real:
            return integerText(std::isfinite(arg->d) ? static_cast<long long>(std::clamp(arg->d, -9e18, 9e18)) : 0,
                               spec);
        case MessageArg::Kind::Char: return integerText(arg->c, spec);
        case MessageArg::Kind::Text: return std::u16string(arg->s);
        }
        break;
    case u'f':
        switch (arg->kind) {
        case MessageArg::Kind::Int: return realText(static_cast<double>(arg->i), spec);
        case MessageArg::Kind::Real: return realText(arg->d, spec);
        case MessageArg::Kind::Char: return realText(arg->c, spec);
        case MessageArg::Kind::Text: return std::u16string(arg->s);
        }
        break;
    case u's':
    case u'c':
        switch (arg->kind) {
        case MessageArg::Kind::Text: {
            std::u16string text(arg->s);
            if (spec.conversion == u's' && spec.precision >= 0 && static_cast<int>(text.size()) > spec.precision)
                text.resize(static_cast<size_t>(spec.precision));
            if (spec.conversion == u'c' && text.size() > 1) text.resize(1);
            return text;
        }
        case MessageArg::Kind::Char: return std::u16string(1, arg->c);
        case MessageArg::Kind::Int:
            if (spec.conversion == u'c') return std::u16string(1, static_cast<char16_t>(arg->i));
            return integerText(arg->i, Spec{});
        case MessageArg::Kind::Real: return realText(arg->d, Spec{});
        }
        break;
    }
    return {};
}

}  // namespace

std::u16string formatMessage(std::u16string_view format, std::initializer_list<MessageArg> args) {
    std::u16string out;
    out.reserve(format.size() + 16);
    const MessageArg* next = args.begin();
    size_t i = 0;
    while (i < format.size()) {
        char16_t c = format[i];
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        Spec spec = parseSpec(format, i);
        if (spec.conversion == 0) {
            out += c;
            ++i;
            continue;
        }
        i = spec.end;
        if (spec.conversion == u'%') {
            out += u'%';
            continue;
        }
        const MessageArg* arg = next != args.end() ? next++ : nullptr;
        std::u16string text = argumentText(arg, spec);
        if (static_cast<int>(text.size()) < spec.width) {
            size_t pad = static_cast<size_t>(spec.width) - text.size();
            bool numeric = spec.conversion != u's' && spec.conversion != u'c';
            if (spec.left) text.append(pad, u' ');
            else if (spec.zero && numeric && arg) {
                size_t at = (!text.empty() && text[0] == u'-') ? 1 : 0;
                text.insert(at, pad, u'0');
            } else text.insert(0, pad, u' ');
        }
        out += text;
    }
    return out;
}

std::string conversionsOf(std::u16string_view format) {
    std::string out;
    size_t i = 0;
    while (i < format.size()) {
        if (format[i] != u'%') {
            ++i;
            continue;
        }
        Spec spec = parseSpec(format, i);
        if (spec.conversion == 0) {
            ++i;
            continue;
        }
        if (spec.conversion != u'%') out += static_cast<char>(spec.conversion == u'i' ? u'd' : spec.conversion);
        i = spec.end;
    }
    return out;
}

}  // namespace trovel
