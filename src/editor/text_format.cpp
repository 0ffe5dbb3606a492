#include "editor/text_format.h"

#include <cstdio>

namespace trovel {

namespace {

void appendAscii(std::u16string& out, const char* s) {
    for (; *s; ++s) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*s)));
}

}  // namespace

std::u16string formatText(std::u16string_view format, const std::vector<FormatArg>& args) {
    std::u16string out;
    out.reserve(format.size() + 16);
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        const char16_t ch = format[i];
        if (ch != u'%' || i + 1 >= format.size()) {
            out.push_back(ch);
            continue;
        }
        size_t j = i + 1;
        if (format[j] == u'%') {
            out.push_back(u'%');
            i = j;
            continue;
        }
        int precision = -1;
        if (format[j] == u'.') {
            precision = 0;
            ++j;
            while (j < format.size() && format[j] >= u'0' && format[j] <= u'9' && precision < 20)
                precision = precision * 10 + (format[j++] - u'0');
        }
        if (j >= format.size()) {
            out.append(format.substr(i));
            break;
        }
        const char16_t conv = format[j];
        if (conv != u'd' && conv != u's' && conv != u'c' && conv != u'f') {
            out.append(format.substr(i, j - i + 1));
            i = j;
            continue;
        }
        i = j;
        if (next >= args.size()) continue;
        const FormatArg& arg = args[next++];
        char buf[64];
        if (conv == u'd') {
            if (const int* v = std::get_if<int>(&arg)) {
                std::snprintf(buf, sizeof buf, "%d", *v);
                appendAscii(out, buf);
            }
        } else if (conv == u'f') {
            if (const double* v = std::get_if<double>(&arg)) {
                std::snprintf(buf, sizeof buf, "%.*f", precision < 0 ? 6 : precision, *v);
                appendAscii(out, buf);
            }
        } else if (conv == u's') {
            if (const std::u16string* v = std::get_if<std::u16string>(&arg)) out.append(*v);
        } else if (const char16_t* v = std::get_if<char16_t>(&arg)) {
            out.push_back(*v);
        }
    }
    return out;
}

}  // namespace trovel
