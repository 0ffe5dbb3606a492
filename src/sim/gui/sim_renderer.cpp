#include "sim/gui/sim_renderer.h"

#include <QPainter>
#include <QPolygonF>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <utility>

#include "sim/gui/sim_textures.h"

namespace trovel {

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

uint32_t channel(uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

void drawUntextured(QPainter& p, const std::array<QPointF, 4>& screen, uint32_t colour, bool blend) {
    QColor fill = QColor::fromRgba(colour);
    if (!blend) fill.setAlpha(255);
    p.setTransform(QTransform());
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPolygon(QPolygonF({screen[0], screen[1], screen[2], screen[3]}));
}

// Enough for the digits, labels and a whole cycle of the robot's pulse, in a few megabytes.
constexpr size_t kTintedKept = 160;
constexpr qsizetype kTintedBytes = 8 << 20;

const QImage& tintedPiece(std::vector<CourseLayerCache::Tinted>& kept, const QImage& image, const QRect& piece,
                          uint32_t colour);
void drawPiece(QPainter& p, const QRectF& to, const QImage& image, const QRectF& from, qreal opacity,
               std::vector<CourseLayerCache::Sprite>* sprites);

// `sprites` null: drawn straight, as onto a picture drawn once.
void drawTextured(QPainter& p, const DrawItem& item, const std::array<QPointF, 4>& screen, const QImage& image,
                  CourseLayerCache::Pieces& pieces, bool keepSprites) {
    std::array<QPointF, 4> tex;
    for (size_t i = 0; i < 4; ++i) tex[i] = {item.vertices[i].u * image.width(), item.vertices[i].v * image.height()};
    const std::optional<QTransform> map = textureToScreen(tex, screen);
    if (!map) return;

    QRectF source = QPolygonF({tex[0], tex[1], tex[2], tex[3]}).boundingRect();
    source = source.intersected(QRectF(image.rect()));
    if (source.width() <= 0 || source.height() <= 0) return;
    const uint32_t colour = item.vertices[0].colour;
    const int alpha = int(channel(colour, 24));

    p.setTransform(*map);
    auto* sprites = keepSprites ? &pieces.sprites : nullptr;
    if ((colour & kWhite) == kWhite) {
        // No colour to mix in: draw straight from the texture; blending takes the alpha as opacity.
        drawPiece(p, source, image, source, item.blend ? alpha / 255.0 : 1.0, sprites);
        return;
    }
    const QRect aligned = source.toAlignedRect().intersected(image.rect());
    // Without blending the colour's alpha plays no part.
    const QImage& tinted = tintedPiece(pieces.tinted, image, aligned, item.blend ? colour : colour | 0xFF000000u);
    drawPiece(p, source, tinted, source.translated(-aligned.topLeft()), 1.0, sprites);
}

constexpr size_t kSpritesKept = 256;
constexpr qsizetype kSpriteBytes = 16 << 20;

// Draws `from` of `image` into `to` through the painter's transform. An upright piece inside the
// target that comes back in a later frame at the same place (to the fraction of a pixel) is drawn
// once into a sprite at the target's pixels and blended from there, at any opacity. A piece seen
// once, as a growing banner's every frame is, is only remembered.
void drawPiece(QPainter& p, const QRectF& to, const QImage& image, const QRectF& from, qreal opacity,
               std::vector<CourseLayerCache::Sprite>* sprites) {
    if (opacity <= 0) return;
    const QTransform whole = p.combinedTransform();  // to the target's pixels, the drawing scale included
    const QRectF reach = whole.mapRect(to);
    const QPoint at(int(std::floor(reach.left())), int(std::floor(reach.top())));
    const QSize size(int(std::ceil(reach.right())) - at.x(), int(std::ceil(reach.bottom())) - at.y());
    auto direct = [&] {
        p.setOpacity(opacity);
        p.drawImage(to, image, from);
        p.setOpacity(1.0);
    };
    const QRect targetPixels(0, 0, p.device()->width(), p.device()->height());
    if (!sprites || whole.type() > QTransform::TxScale || !targetPixels.contains(QRect(at, size))) {
        direct();
        return;
    }
    const QRectF onSprite = reach.translated(-at);
    const qint64 key = image.cacheKey();
    auto found = std::find_if(sprites->begin(), sprites->end(), [&](const CourseLayerCache::Sprite& s) {
        return s.image == key && s.source == from && s.placed == onSprite;
    });
    if (found == sprites->end()) {
        sprites->push_back({key, from, onSprite, QImage()});
        qsizetype bytes = 0;
        for (const auto& s : *sprites) bytes += s.pixels.sizeInBytes();
        size_t drop = 0;
        while (sprites->size() - drop > 1 && (sprites->size() - drop > kSpritesKept || bytes > kSpriteBytes))
            bytes -= (*sprites)[drop++].pixels.sizeInBytes();
        sprites->erase(sprites->begin(), sprites->begin() + qsizetype(drop));
        direct();
        return;
    }
    std::rotate(found, found + 1, sprites->end());
    QImage& pixels = sprites->back().pixels;
    if (pixels.isNull()) {
        pixels = QImage(size, QImage::Format_ARGB32_Premultiplied);
        pixels.fill(Qt::transparent);
        QPainter onPixels(&pixels);
        onPixels.setRenderHint(QPainter::SmoothPixmapTransform);
        onPixels.drawImage(onSprite, image, from);
    }
    // At the target's own pixels: a plain blend, no scaling.
    const qreal ratio = std::max<qreal>(1, p.device()->devicePixelRatio());  // as the painter applies it
    const bool viewOn = p.viewTransformEnabled();
    const QTransform world = p.worldTransform();
    p.setViewTransformEnabled(false);
    p.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    p.setOpacity(opacity);
    p.drawImage(at, pixels);
    p.setOpacity(1.0);
    p.setWorldTransform(world);
    p.setViewTransformEnabled(viewOn);
}

const QImage& tintedPiece(std::vector<CourseLayerCache::Tinted>& kept, const QImage& image, const QRect& piece,
                          uint32_t colour) {
    const qint64 key = image.cacheKey();
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (it->texture != key || it->piece != piece || it->colour != colour) continue;
        std::rotate(it, it + 1, kept.end());
        return kept.back().image;
    }
    kept.push_back({key, piece, colour, modulate(image.copy(piece), colour)});
    qsizetype bytes = 0;
    for (const auto& t : kept) bytes += t.image.sizeInBytes();
    size_t drop = 0;
    while (kept.size() - drop > 1 && (kept.size() - drop > kTintedKept || bytes > kTintedBytes))
        bytes -= kept[drop++].image.sizeInBytes();
    kept.erase(kept.begin(), kept.begin() + qsizetype(drop));
    return kept.back().image;
}

}  // namespace

QImage makeBackBuffer(qreal ratio) { return makeBackBuffer((QSizeF(kScreenWidth, kScreenHeight) * ratio).toSize()); }

QImage makeBackBuffer(QSize pixels) {
    // Opaque, in the screen's own format: showing it is a plain copy, with no blending or conversion.
    QImage image(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDevicePixelRatio(image.width() / qreal(kScreenWidth));
    image.fill(kClearColour);
    return image;
}

QPointF worldToBackBuffer(const SimCamera& camera, float x, float y) {
    return {(x - camera.x) * camera.zoom, (y - camera.y) * camera.zoom};
}

std::optional<QTransform> textureToScreen(const std::array<QPointF, 4>& t, const std::array<QPointF, 4>& s) {
    const QPointF a = t[1] - t[0];
    const QPointF b = t[3] - t[0];
    const double det = a.x() * b.y() - a.y() * b.x();
    if (std::fabs(det) < 1e-9) return std::nullopt;
    const QPointF A = s[1] - s[0];
    const QPointF B = s[3] - s[0];
    // M = [A B] * inverse([a b]), the columns being the edge vectors.
    const double i11 = b.y() / det, i12 = -b.x() / det, i21 = -a.y() / det, i22 = a.x() / det;
    const double m11 = A.x() * i11 + B.x() * i21;
    const double m12 = A.x() * i12 + B.x() * i22;
    const double m21 = A.y() * i11 + B.y() * i21;
    const double m22 = A.y() * i12 + B.y() * i22;
    const double dx = s[0].x() - (m11 * t[0].x() + m12 * t[0].y());
    const double dy = s[0].y() - (m21 * t[0].x() + m22 * t[0].y());
    // QTransform maps x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
    return QTransform(m11, m21, m12, m22, dx, dy);
}

QImage modulate(const QImage& premultiplied, uint32_t colour) {
    QImage out = premultiplied.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const uint32_t ca = channel(colour, 24), cr = channel(colour, 16), cg = channel(colour, 8), cb = channel(colour, 0);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const uint32_t px = line[x];
            // Premultiplied: each colour channel also takes the alpha factor.
            const uint32_t a = channel(px, 24) * ca / 255;
            const uint32_t r = channel(px, 16) * cr / 255 * ca / 255;
            const uint32_t g = channel(px, 8) * cg / 255 * ca / 255;
            const uint32_t b = channel(px, 0) * cb / 255 * ca / 255;
            line[x] = a << 24 | r << 16 | g << 8 | b;
        }
    }
    return out;
}

static QRectF itemBounds(const DrawItem& item, const SimCamera& camera) {
    QPolygonF corners;
    for (const Vertex& v : item.vertices)
        corners << (item.screenSpace ? QPointF(v.x, v.y) : worldToBackBuffer(camera, v.x, v.y));
    return corners.boundingRect();
}

static QPolygonF lineOnScreen(const DrawLine& line, const SimCamera& camera) {
    QPolygonF points;
    points.reserve(qsizetype(line.xy.size() / 2));
    for (size_t i = 0; i + 1 < line.xy.size(); i += 2) points << worldToBackBuffer(camera, line.xy[i], line.xy[i + 1]);
    return points;
}

static QRectF lineBounds(const DrawLine& line, const SimCamera& camera) {
    const qreal pen = line.width / 2 + 1;
    return lineOnScreen(line, camera).boundingRect().adjusted(-pen, -pen, pen, pen);
}

// The bounds, in the old place and the new, of every element that differs between two lists
// compared place by place; an element only one of them has counts as changed.
template <typename T, typename Bounds>
static void addChanged(std::vector<QRectF>& areas, const std::vector<T>& before, const std::vector<T>& after,
                       Bounds bounds) {
    for (size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
        const T* old = i < before.size() ? &before[i] : nullptr;
        const T* now = i < after.size() ? &after[i] : nullptr;
        if (old && now && *old == *now) continue;
        if (old) areas.push_back(bounds(*old));
        if (now) areas.push_back(bounds(*now));
    }
}

std::vector<QRectF> changedAreas(const DrawList& before, const DrawList& after, const SimCamera& camera) {
    std::vector<QRectF> areas;
    addChanged(areas, before.lines, after.lines, [&](const DrawLine& line) { return lineBounds(line, camera); });
    addChanged(areas, before.items, after.items, [&](const DrawItem& item) { return itemBounds(item, camera); });
    return areas;
}

QRectF changedArea(const DrawList& before, const DrawList& after, const SimCamera& camera) {
    QRectF area;
    for (const QRectF& piece : changedAreas(before, after, camera)) area |= piece;
    return area;
}

static void render(QImage& target, const DrawList& list, const SimCamera& followed, const SimTextures& textures,
                   CourseLayerCache& cache, bool allowSheet);

void renderDrawList(QImage& target, const DrawList& list, const SimCamera& camera, const SimTextures& textures) {
    CourseLayerCache none;
    render(target, list, camera, textures, none, false);
}

// Strokes the line from its point `from` on (0: the whole line) and returns the area it covered.
static QRect strokeLine(QPainter& p, const DrawLine& line, const SimCamera& camera, size_t from) {
    QPolygonF points = lineOnScreen(line, camera);
    if (from > 0) points.remove(0, qsizetype(std::min(from, size_t(points.size()))));
    if (points.size() < 2) return {};
    p.setTransform(QTransform());
    p.setPen(QPen(QColor::fromRgba(line.colour), line.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(points);
    const qreal pen = line.width / 2 + 1;
    return points.boundingRect().adjusted(-pen, -pen, pen, pen).toAlignedRect();
}

// Whether `now` is `before` drawn further: same pen, the same points first.
static bool extendsLine(const DrawLine& before, const DrawLine& now) {
    return before.colour == now.colour && before.width == now.width && before.xy.size() <= now.xy.size() &&
           std::equal(before.xy.begin(), before.xy.end(), now.xy.begin());
}

// The target's device pixels that a drawing-pixel area touches, with a margin for the smoothing
// that reaches past an item's edge.
static QRect devicePixels(const QRectF& area, const QImage& target) {
    const qreal sx = target.width() / qreal(kScreenWidth), sy = target.height() / qreal(kScreenHeight);
    const int margin = int(std::ceil(2 * std::max<qreal>(1, sx)));
    const QRect touched = QRectF(area.x() * sx, area.y() * sy, area.width() * sx, area.height() * sy).toAlignedRect();
    return touched.adjusted(-margin, -margin, margin, margin).intersected(target.rect());
}

// QPainter scales by an image's ratio only when it is above 1 (a view smaller than the field gives
// one below), so the rest of the way from drawing pixels to the image's own is set here.
static qreal appliedRatio(const QImage& target) { return std::max<qreal>(1, target.devicePixelRatio()); }

// Paints the 700 x 500 drawing pixels onto all of `target`.
static void beginDrawing(QPainter& p, QImage& target) {
    p.begin(&target);
    p.setWindow(0, 0, kScreenWidth, kScreenHeight);
    p.setViewport(QRect(QPoint(0, 0), (QSizeF(target.size()) / appliedRatio(target)).toSize()));
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// A rectangle of the target's device pixels where the painter, with its drawing scale off, takes it.
static QRectF painterRect(const QRect& devicePixels, const QImage& target) {
    const qreal applied = appliedRatio(target);
    return {devicePixels.x() / applied, devicePixels.y() / applied, devicePixels.width() / applied,
            devicePixels.height() / applied};
}

static void drawQuad(QPainter& p, const DrawItem& item, const SimCamera& camera, const SimTextures& textures,
                     CourseLayerCache::Pieces& pieces) {
    std::array<QPointF, 4> screen;
    for (size_t i = 0; i < 4; ++i) {
        const Vertex& v = item.vertices[i];
        screen[i] = item.screenSpace ? QPointF(v.x, v.y) : worldToBackBuffer(camera, v.x, v.y);
    }
    if (item.texture == kNoTexture) {
        drawUntextured(p, screen, item.vertices[0].colour, item.blend);
        return;
    }
    const QImage& image = item.blend ? textures.keyed(item.texture) : textures.opaque(item.texture);
    // An image that failed to load leaves its quads out rather than painting blank boxes.
    // Only what stays on the screen is kept as a sprite: a world item lands between other pixels
    // as the camera follows the robot.
    if (!image.isNull()) drawTextured(p, item, screen, image, pieces, item.screenSpace);
}

// Qt spreads a fill taller than about 96 scanlines over its thread pool, and waking the pool costs
// more than the fill: a tall item (the robot zoomed in, a judging area) is drawn in bands of rows
// short enough to stay on this thread. The bands meet exactly, so no row is drawn twice.
constexpr int kBandRows = 64;

static void drawItem(QPainter& p, const QImage& target, const DrawItem& item, const SimCamera& camera,
                     const SimTextures& textures, CourseLayerCache::Pieces& pieces) {
    const QRect rows = devicePixels(itemBounds(item, camera), target);
    if (rows.height() <= kBandRows) {
        drawQuad(p, item, camera, textures, pieces);
        return;
    }
    for (int top = rows.top(); top <= rows.bottom(); top += kBandRows) {
        p.save();
        p.setTransform(QTransform());
        p.setViewTransformEnabled(false);
        p.setClipRect(painterRect(QRect(0, top, target.width(), kBandRows), target), Qt::IntersectClip);
        p.setViewTransformEnabled(true);
        drawQuad(p, item, camera, textures, pieces);
        p.restore();
    }
}

// A sheet larger than this (a large view at zoom 4 on a scaled screen) is not worth its memory.
constexpr qint64 kSheetPixels = 16 << 20;

static bool onSheet(const DrawItem& item) { return item.layer == Layer::Course && !item.screenSpace; }

// The course's world items drawn whole at `scale` device pixels per world unit; false when the
// sheet would be too large or there is nothing to draw.
static bool makeSheet(CourseLayerCache::Sheet& sheet, std::vector<DrawItem> items, QSizeF scale, QImage::Format format,
                      const SimTextures& textures, CourseLayerCache::Pieces& pieces) {
    QRectF world;
    for (const DrawItem& item : items)
        for (const Vertex& v : item.vertices) world |= QRectF(v.x, v.y, 0, 0).adjusted(-0.5, -0.5, 0.5, 0.5);
    const int left = int(std::floor(world.left() * scale.width())), top = int(std::floor(world.top() * scale.height()));
    const QSize size(int(std::ceil(world.right() * scale.width())) - left,
                     int(std::ceil(world.bottom() * scale.height())) - top);
    if (items.empty() || size.isEmpty() || qint64(size.width()) * size.height() > kSheetPixels) return false;
    sheet = {std::move(items), scale, QPoint(-left, -top), QImage(size, format)};
    sheet.image.fill(kClearColour);
    QPainter p(&sheet.image);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const DrawItem& item : sheet.items) {
        std::array<QPointF, 4> at;
        for (size_t i = 0; i < 4; ++i)
            at[i] = {item.vertices[i].x * scale.width() + sheet.origin.x(),
                     item.vertices[i].y * scale.height() + sheet.origin.y()};
        if (item.texture == kNoTexture) {
            drawUntextured(p, at, item.vertices[0].colour, item.blend);
            continue;
        }
        const QImage& image = item.blend ? textures.keyed(item.texture) : textures.opaque(item.texture);
        if (!image.isNull()) drawTextured(p, item, at, image, pieces, false);
    }
    return true;
}

// Copies `from` of `source` to `target` with its top-left at `to`, row by row: a painter would
// spread a tall copy over Qt's thread pool. Both rectangles must lie inside their images.
static void copyPixels(QImage& target, QPoint to, const QImage& source, const QRect& from) {
    if (from.isEmpty()) return;
    if (source.format() != target.format() || target.depth() != 32) {
        QPainter p(&target);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(painterRect(QRect(to, from.size()), target), source, QRectF(from));
        return;
    }
    const size_t bytes = size_t(from.width()) * 4;
    for (int y = 0; y < from.height(); ++y)
        std::memcpy(target.scanLine(to.y() + y) + size_t(to.x()) * 4,
                    source.constScanLine(from.y() + y) + size_t(from.x()) * 4, bytes);
}

void copySheetInto(QImage& target, const CourseLayerCache::Sheet& sheet, QPoint corner, const QRect& area) {
    const QRect wanted = area.intersected(target.rect());
    const QRect source = wanted.translated(corner + sheet.origin).intersected(sheet.image.rect());
    const QPoint to = source.topLeft() - corner - sheet.origin;
    if (source.size() != wanted.size()) {
        QPainter p(&target);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : QRegion(wanted) - QRegion(QRect(to, source.size())))
            p.fillRect(painterRect(r, target), QColor::fromRgba(kClearColour));
    }
    copyPixels(target, to, sheet.image, source);
}

void completeFrame(QImage& target, CourseLayerCache& cache) {
    if (!cache.partial) return;
    for (const QRect& r : QRegion(target.rect()) - cache.frameOnly)
        copySheetInto(target, cache.sheet, cache.frameCorner, r);
    cache.partial = false;
    cache.frameOnly = QRegion();
}

static void render(QImage& target, const DrawList& list, const SimCamera& followed, const SimTextures& textures,
                   CourseLayerCache& cache, bool allowSheet) {
    // Items come in non-increasing layers, so the course layer is a prefix of the list.
    const auto courseEnd = std::find_if(list.items.begin(), list.items.end(),
                                        [](const DrawItem& item) { return item.layer != Layer::Course; });
    // Zoomed in, the course comes from the sheet: the camera's corner goes to the nearest whole
    // device pixel, for the sheet and every item alike (with or without a cache, so both draw the
    // same), so the copy meets them exactly.
    SimCamera camera = followed;
    const QSizeF scale(camera.zoom * target.width() / double(kScreenWidth),
                       camera.zoom * target.height() / double(kScreenHeight));
    QPoint sheetCorner;
    bool sheet = allowSheet && camera.zoom > 1 && target.depth() == 32;
    if (sheet) {
        std::vector<DrawItem> world;
        std::copy_if(list.items.begin(), courseEnd, std::back_inserter(world), onSheet);
        if (cache.sheet.image.isNull() || cache.sheet.scale != scale || cache.sheet.items != world ||
            cache.sheet.image.format() != target.format())
            sheet = makeSheet(cache.sheet, std::move(world), scale, target.format(), textures, cache.pieces);
    }
    if (camera.zoom > 1) {
        sheetCorner = QPoint(int(std::lround(camera.x * scale.width())), int(std::lround(camera.y * scale.height())));
        camera.x = float(sheetCorner.x() / scale.width());
        camera.y = float(sheetCorner.y() / scale.height());
    }
    const QPointF corner(camera.x, camera.y);
    bool kept = !cache.picture.isNull() && cache.picture.size() == target.size() && cache.corner == corner &&
                cache.zoom == camera.zoom &&
                std::equal(list.items.begin(), courseEnd, cache.items.begin(), cache.items.end());
    // The lines lie over the course layer and are kept with it: a line that only grew is drawn on
    // from where it ended, so a long path costs a frame only its newest part.
    size_t growing = cache.lines.size();
    if (kept && cache.lines.size() <= list.lines.size()) {
        for (size_t i = 0; i < cache.lines.size() && kept; ++i) {
            if (cache.lines[i] == list.lines[i]) continue;
            if (i + 1 == cache.lines.size() && extendsLine(cache.lines[i], list.lines[i])) growing = i;
            else kept = false;
        }
    } else {
        kept = false;
    }
    QRegion dirty;
    if (kept && list.lines.size() > 0 && cache.lines != list.lines) {
        QPainter onCache;
        beginDrawing(onCache, cache.picture);
        for (size_t i = std::min(growing, list.lines.size()); i < list.lines.size(); ++i) {
            const size_t from = i < cache.lines.size() ? cache.lines[i].xy.size() / 2 - 1 : 0;
            dirty += devicePixels(strokeLine(onCache, list.lines[i], camera, from), target);
        }
        cache.lines = list.lines;
    }
    std::vector<DrawItem> overlay(courseEnd, list.items.end());
    if (kept && target.cacheKey() == cache.frameKey) {
        // The target still shows the last frame: only where an item changed, in its old place or its
        // new, is the course put back and every item over that place drawn again.
        std::vector<QRectF> changed;
        addChanged(changed, cache.overlay, overlay, [&](const DrawItem& item) { return itemBounds(item, camera); });
        for (const QRectF& area : changed) dirty += devicePixels(area, target);
        if (!dirty.isEmpty()) {
            std::vector<QRect> reach;
            for (const DrawItem& item : overlay) reach.push_back(devicePixels(itemBounds(item, camera), target));
            // The course put back where items changed.
            for (const QRect& r : dirty) {
                const QRect piece = r.intersected(target.rect()).intersected(cache.picture.rect());
                copyPixels(target, piece.topLeft(), cache.picture, piece);
            }
            QPainter p;
            beginDrawing(p, target);
            for (const QRect& r : dirty) {
                // In device pixels, so the clip meets the course put back exactly.
                p.setTransform(QTransform());
                p.setViewTransformEnabled(false);
                p.setClipRect(painterRect(r, target));
                p.setViewTransformEnabled(true);
                for (size_t i = 0; i < overlay.size(); ++i)
                    if (reach[i].intersects(r)) drawItem(p, target, overlay[i], camera, textures, cache.pieces);
            }
        }
        cache.overlay = std::move(overlay);
        cache.frameKey = target.cacheKey();
        return;
    }
    auto first = list.items.begin();
    QRegion covered;
    if (kept) {
        target = cache.picture;
        first = courseEnd;
    } else if (sheet) {
        // Only where something lies over the course: the view takes the rest from the sheet.
        for (auto it = list.items.begin(); it != list.items.end(); ++it)
            if (!onSheet(*it)) covered += devicePixels(itemBounds(*it, camera), target);
        for (const DrawLine& line : list.lines) covered += devicePixels(lineBounds(line, camera), target);
        for (const QRect& r : covered) copySheetInto(target, cache.sheet, sheetCorner, r);
    } else {
        target.fill(kClearColour);
    }
    QPainter p;
    beginDrawing(p, target);
    auto keepCourseLayer = [&] {
        for (const DrawLine& line : list.lines) strokeLine(p, line, camera, 0);
        p.end();
        // With a sheet the next frame starts from it again, which costs no more than a kept copy.
        cache = {std::vector<DrawItem>(list.items.begin(), courseEnd),
                 corner,
                 camera.zoom,
                 sheet ? QImage() : target.copy(),
                 {},
                 0,
                 list.lines,
                 std::move(cache.pieces),
                 std::move(cache.sheet),
                 false,
                 {},
                 {}};
        beginDrawing(p, target);
    };
    for (auto it = first; it != list.items.end(); ++it) {
        if (!kept && it == courseEnd) keepCourseLayer();
        if (!kept && sheet && onSheet(*it)) continue;
        drawItem(p, target, *it, camera, textures, cache.pieces);
    }
    if (!kept && courseEnd == list.items.end()) keepCourseLayer();
    if (p.isActive()) p.end();
    cache.overlay = std::move(overlay);
    cache.frameKey = target.cacheKey();
    cache.partial = sheet && !kept;
    cache.frameOnly = cache.partial ? covered : QRegion();
    cache.frameCorner = sheetCorner;
}

void renderDrawList(QImage& target, const DrawList& list, const SimCamera& camera, const SimTextures& textures,
                    CourseLayerCache& cache) {
    render(target, list, camera, textures, cache, true);
}

}  // namespace trovel
