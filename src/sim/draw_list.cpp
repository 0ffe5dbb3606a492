#include "sim/draw_list.h"

#include <algorithm>

#include "sim/course_config.h"
#include "sim/lap_record_file.h"

namespace trovel {

void queueQuad(DrawList& list, const std::array<Vertex, 4>& vertices, int texture, bool blend, int layer,
               bool screenSpace) {
    // Searched from the back: a frame queues mostly in drawing order, so most quads go to the end.
    auto before = std::find_if(list.items.rbegin(), list.items.rend(), [layer](const DrawItem& item) {
                      return item.layer >= layer;
                  }).base();
    list.items.insert(before, DrawItem{texture, vertices, blend, screenSpace, layer});
}

void queueGlyph(DrawList& list, char16_t c, float x, float y, float w, float h, uint32_t colour) {
    int glyph;
    if (c >= u'0' && c <= u'9') glyph = c - u'0';
    else if (c == u'.') glyph = 10;
    else if (c == u':') glyph = 11;
    else return;
    float u0 = static_cast<float>(glyph) / kDigitGlyphs;
    float u1 = u0 + 1.0f / kDigitGlyphs;
    queueQuad(list,
              {vertex(x, y + h, colour, u0, 1), vertex(x + w, y + h, colour, u1, 1), vertex(x + w, y, colour, u1, 0),
               vertex(x, y, colour, u0, 0)},
              Slot::Digits, true, Layer::Status, true);
}

std::u16string timeGlyphs(int ms) {
    int t = std::clamp(ms, 0, kNoRecordMs);
    auto digit = [](int d) { return static_cast<char16_t>(u'0' + d); };
    return {digit(t / 60000 % 10), u':',         digit(t / 10000 % 6), digit(t / 1000 % 10), u'.', digit(t / 100 % 10),
            digit(t / 10 % 10),    digit(t % 10)};
}

void queueTime(DrawList& list, int ms, float x, float y, float w, float h, uint32_t colour) {
    std::u16string glyphs = timeGlyphs(ms);
    for (size_t i = 0; i < glyphs.size(); ++i) queueGlyph(list, glyphs[i], x + w * float(i), y, w, h, colour);
}

void queueMessageRow(DrawList& list, int row, float left, float top, float right, float bottom, uint32_t colour) {
    float v0 = static_cast<float>(row) / kMessageRows;
    float v1 = static_cast<float>(row + 1) / kMessageRows;
    queueQuad(list,
              {vertex(left, bottom, colour, 0, v1), vertex(right, bottom, colour, 1, v1),
               vertex(right, top, colour, 1, v0), vertex(left, top, colour, 0, v0)},
              Slot::Messages, true, Layer::Status, true);
}

}  // namespace trovel
