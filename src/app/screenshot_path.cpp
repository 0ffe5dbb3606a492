#include "app/screenshot_path.h"

namespace trovel {

namespace {

bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::u16string shortenPathMiddle(std::u16string_view path, size_t limit) {
    constexpr std::u16string_view kEllipsis = u"...";
    if (path.size() <= limit) return std::u16string(path);
    if (limit <= kEllipsis.size()) return std::u16string(kEllipsis.substr(0, limit));
    const size_t room = limit - kEllipsis.size();
    size_t headLen = room / 2;
    size_t tailStart = path.size() - (room - headLen);
    // Keep whole characters: back off rather than split a pair.
    if (headLen > 0 && isLowSurrogate(path[headLen])) --headLen;
    if (tailStart < path.size() && isLowSurrogate(path[tailStart])) ++tailStart;
    std::u16string out(path.substr(0, headLen));
    out += kEllipsis;
    out += path.substr(tailStart);
    return out;
}

}  // namespace trovel
