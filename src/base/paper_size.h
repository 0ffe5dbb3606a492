#pragma once
// The paper sizes the studio prints on (ISO A4 and A3, standing or lying) and the rectangles that
// place things on a page, in millimetres from its top-left corner, y downwards.

#include <cstdint>
#include <optional>
#include <string_view>

namespace trovel {

enum class Paper : uint8_t { A4, A3 };

struct PageSizeMm {
    double width = 0;   // mm
    double height = 0;  // mm
};

// Portrait is the ISO size as it stands; landscape swaps the sides.
constexpr PageSizeMm paperSizeMm(Paper paper, bool landscape) {
    const PageSizeMm portrait = paper == Paper::A3 ? PageSizeMm{297, 420} : PageSizeMm{210, 297};
    return landscape ? PageSizeMm{portrait.height, portrait.width} : portrait;
}

struct MmRect {
    double x = 0, y = 0, width = 0, height = 0;
    double right() const { return x + width; }
    double bottom() const { return y + height; }
    bool contains(double px, double py) const { return px >= x && px <= right() && py >= y && py <= bottom(); }
};

struct MmPoint {
    double x = 0, y = 0;
};

constexpr std::string_view paperName(Paper paper) { return paper == Paper::A3 ? "A3" : "A4"; }

// "A4" or "A3", either case; none for anything else.
constexpr std::optional<Paper> parsePaper(std::string_view text) {
    if (text.size() != 2 || (text[0] != 'A' && text[0] != 'a')) return std::nullopt;
    if (text[1] == '4') return Paper::A4;
    if (text[1] == '3') return Paper::A3;
    return std::nullopt;
}

}  // namespace trovel
