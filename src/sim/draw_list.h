#pragma once
// The quads a tick queues for drawing, ordered by layer, as data the window's backend draws.

#include <array>
#include <string>
#include <cstdint>
#include <vector>

namespace trovel {

struct Vertex {
    float x = 0, y = 0;            // world units or screen pixels
    uint32_t colour = 0xFFFFFFFF;  // ARGB, modulates the texture
    float u = 0, v = 0;
    bool operator==(const Vertex&) const = default;
};

constexpr int kNoTexture = -1;

// The back buffer that screen-space items are laid out on, in pixels.
constexpr int kScreenWidth = 700;
constexpr int kScreenHeight = 500;

struct DrawItem {
    int texture = kNoTexture;        // texture slot, or kNoTexture
    std::array<Vertex, 4> vertices;  // a fan of two triangles
    bool blend = false;              // alpha blending
    bool screenSpace = false;        // vertices are back-buffer pixels, not world units
    int layer = 0;                   // higher layers are drawn first
    bool operator==(const DrawItem&) const = default;
};

namespace Layer {
constexpr int Course = 6;  // course picture and corner badge
constexpr int Robot = 4;
constexpr int Leds = 3;
constexpr int Status = 1;   // status row, time label, digits, effects
constexpr int Judging = 0;  // drawn last, on top
}  // namespace Layer

namespace Layer {
constexpr int Ghost = 5;  // the best lap's robot, under the robot itself
}  // namespace Layer

// A polyline through world points, drawn over the course layer and under every other item.
struct DrawLine {
    std::vector<float> xy;         // x0, y0, x1, y1 ... world units
    uint32_t colour = 0xFF000000;  // ARGB
    float width = 1;               // back-buffer pixels
    bool operator==(const DrawLine&) const = default;
};

// Items in drawing order: non-increasing layer, equal layers in queueing order.
struct DrawList {
    std::vector<DrawItem> items;
    std::vector<DrawLine> lines;
    bool operator==(const DrawList&) const = default;
};

inline Vertex vertex(float x, float y, uint32_t colour, float u, float v) { return {x, y, colour, u, v}; }

void queueQuad(DrawList& list, const std::array<Vertex, 4>& vertices, int texture, bool blend, int layer,
               bool screenSpace);
// One digit-strip glyph ("0".."9", ".", ":"); any other character queues nothing.
void queueGlyph(DrawList& list, char16_t c, float x, float y, float w, float h, uint32_t colour);
// A time as m:ss.mmm in eight glyphs of width w starting at x, one glyph width apart (capped at 599999).
void queueTime(DrawList& list, int ms, float x, float y, float w, float h, uint32_t colour);
// The eight characters queueTime draws.
std::u16string timeGlyphs(int ms);
// A screen quad of one message-strip row.
void queueMessageRow(DrawList& list, int row, float left, float top, float right, float bottom, uint32_t colour);

constexpr int kMessageRows = 13;
// Rows of the message strip with a fixed use; rows 0..8 are named by the run's result.
namespace MessageRow {
constexpr int TimeLabel = 10;
constexpr int NewRecord = 11;
constexpr int Start = 12;
}  // namespace MessageRow
constexpr int kDigitGlyphs = 12;

}  // namespace trovel
