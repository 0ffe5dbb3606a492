#pragma once
// Draws a tick's draw list into the 700 x 500 back buffer with QPainter: the vertex colour
// modulates the texture, blended items use alpha, world items go through the camera.

#include <QImage>
#include <QRegion>
#include <QTransform>

#include <array>
#include <optional>

#include "sim/draw_list.h"
#include "sim/sim_camera.h"

namespace trovel {

class SimTextures;

constexpr QRgb kClearColour = 0xFF009696;

// A back buffer of the right size and format: 700 x 500 drawing pixels of `ratio` device pixels
// each, so a scaled screen shows the scene at its own resolution.
QImage makeBackBuffer(qreal ratio = 1);
// One of exactly `pixels`, e.g. the pixels a view shows it in, so showing it is a plain copy.
QImage makeBackBuffer(QSize pixels);

// World point to back-buffer pixel: minus the camera corner, times the zoom.
QPointF worldToBackBuffer(const SimCamera& camera, float x, float y);

// The affine map that takes the texture-pixel positions of vertices 0, 1 and 3 to their screen
// positions; none when the texture coordinates span no area.
std::optional<QTransform> textureToScreen(const std::array<QPointF, 4>& texturePixels,
                                          const std::array<QPointF, 4>& screen);

// Every colour channel (alpha too) multiplied by the ARGB colour's channel.
QImage modulate(const QImage& premultiplied, uint32_t colour);

// Clears to kClearColour and draws the items in list order.
void renderDrawList(QImage& target, const DrawList& list, const SimCamera& camera, const SimTextures& textures);

// The course layer as last drawn. Scaling the course picture is most of a frame's work, and it
// stays the same while the camera does not move: then the kept picture is copied instead.
struct CourseLayerCache {
    std::vector<DrawItem> items;  // the course-layer items the picture shows
    QPointF corner;               // camera corner and zoom it was drawn with
    float zoom = 0;
    QImage picture;                 // null until the first frame
    std::vector<DrawItem> overlay;  // the items the last frame drew over the course layer
    qint64 frameKey = 0;            // cacheKey() of the target right after the last frame
    std::vector<DrawLine> lines;    // the lines drawn into the picture over the course layer
    // Tinted texture pieces, most recently used last: the time digits, labels and the robot's pulse
    // come back frame after frame in the same few colours, and tinting is a pass over every pixel.
    struct Tinted {
        qint64 texture = 0;  // cacheKey() of the texture
        QRect piece;
        uint32_t colour = 0;
        QImage image;
    };
    // Upright pieces drawn at the target's pixels, most recently used last: scaling the labels and
    // digits to a large view costs more per frame than blending the scaled pixels.
    struct Sprite {
        qint64 image = 0;  // cacheKey() of the (tinted) image drawn
        QRectF source;     // its pixels drawn
        QRectF placed;     // where they land in the sprite: the target's pixels less a whole offset
        QImage pixels;     // premultiplied, just large enough
    };
    struct Pieces {
        std::vector<Tinted> tinted;
        std::vector<Sprite> sprites;
    };
    Pieces pieces;
    // Zoomed in, the camera follows the robot and moves every tick: the course's world items are
    // then drawn once, whole, at the frame's scale, and each frame copies its part of them.
    struct Sheet {
        std::vector<DrawItem> items;  // the world items of the course layer it shows
        QSizeF scale;                 // device pixels per world unit, x and y
        QPoint origin;                // device pixel of world (0, 0) minus the sheet's top-left
        QImage image;                 // null when none
    };
    Sheet sheet;
    // With a sheet the frame is drawn only where items and lines lie (`frameOnly`, target pixels);
    // elsewhere it shows the sheet at `frameCorner`, which the view copies from the sheet itself.
    bool partial = false;
    QRegion frameOnly;
    QPoint frameCorner;
};

// Puts the sheet's pixels (at `corner`) into the target's device-pixel `area`, the clear colour
// where the sheet does not reach.
void copySheetInto(QImage& target, const CourseLayerCache::Sheet& sheet, QPoint corner, const QRect& area);
// Makes a partial frame whole: the sheet's pixels everywhere the last drawing left to the sheet.
void completeFrame(QImage& target, CourseLayerCache& cache);
// The back-buffer area where two draw lists under one camera differ: the bounds of every item
// that changed, in both its old and new place. Empty when they are the same.
QRectF changedArea(const DrawList& before, const DrawList& after, const SimCamera& camera);
// The same as separate pieces, one per changed item or line in its old and in its new place.
std::vector<QRectF> changedAreas(const DrawList& before, const DrawList& after, const SimCamera& camera);

// The same drawing, taking the course layer from `cache` when it is unchanged.
void renderDrawList(QImage& target, const DrawList& list, const SimCamera& camera, const SimTextures& textures,
                    CourseLayerCache& cache);

}  // namespace trovel
