#include "editor/gui/chart_drawing.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

#include "base/gui/ui_text.h"
#include "editor/captions.h"
#include "editor/routing.h"
#include "model/option_flags.h"

namespace trovel {

namespace {

constexpr QColor kBracketColor(255, 0, 0);
constexpr QColor kCollidingColor(0, 0, 255);
constexpr QColor kLoopBackColor(128, 128, 128);
constexpr QColor kSystemGrey(192, 192, 192);

QPoint toScreen(Point p, QPoint scroll) { return {p.x - scroll.x(), p.y - scroll.y()}; }

// The block's outline in client coordinates: its rectangle, or the diamond's four corners.
QPolygon blockShape(const ActionBlock& b, const QRect& r) {
    const int l = r.left(), t = r.top(), rr = l + b.width, bb = t + b.height;
    if (!isDiamond(b.type)) return QPolygon(QRect(l, t, b.width, b.height));
    const int cx = l + (rr - l) / 2, cy = t + (bb - t) / 2;
    return QPolygon({QPoint(l, cy), QPoint(cx, t), QPoint(rr, cy), QPoint(cx, bb)});
}

// A GDI-style rectangle (left, top, right, bottom exclusive) with the current pen and brush.
void gdiRect(QPainter& p, int l, int t, int r, int b) {
    const qreal pw = p.pen().style() == Qt::NoPen ? 0 : p.pen().widthF();
    if (pw <= 1) {
        p.drawRect(QRect(l, t, r - l - 1, b - t - 1));
    } else {
        p.drawRect(QRectF(l + pw / 2, t + pw / 2, r - l - pw, b - t - pw));
    }
}

void drawBrackets(QPainter& p, const ActionBlock& b, const QRect& r) {
    p.setPen(QPen(kBracketColor, 3));
    p.setBrush(Qt::NoBrush);
    const int l = r.left(), t = r.top(), rr = l + b.width, bb = t + b.height;
    if (!isDiamond(b.type)) {
        p.drawPolyline(QPolygon({QPoint(l - 1, t + 9), QPoint(l - 1, t - 1), QPoint(l + 9, t - 1)}));
        p.drawPolyline(QPolygon({QPoint(rr - 9, t - 1), QPoint(rr + 1, t - 1), QPoint(rr + 1, t + 9)}));
        p.drawPolyline(QPolygon({QPoint(l - 1, bb - 9), QPoint(l - 1, bb + 1), QPoint(l + 9, bb + 1)}));
        p.drawPolyline(QPolygon({QPoint(rr - 9, bb + 1), QPoint(rr + 1, bb + 1), QPoint(rr + 1, bb - 9)}));
        return;
    }
    const int w = rr - l, h = bb - t;
    if (w <= 0 || h <= 0) return;
    const int cx = l + w / 2, cy = t + h / 2;
    const int dx = 9 * w / h, dy = 9 * h / w + 3;
    p.drawPolyline(QPolygon({QPoint(cx - dx, t + dy), QPoint(cx, t - 1), QPoint(cx + dx, t + dy)}));
    p.drawPolyline(QPolygon({QPoint(cx - dx, bb - dy), QPoint(cx, bb + 1), QPoint(cx + dx, bb - dy)}));
    p.drawPolyline(QPolygon({QPoint(l + dx, cy - dy), QPoint(l - 1, cy), QPoint(l + dx, cy + dy)}));
    p.drawPolyline(QPolygon({QPoint(rr - dx, cy - dy), QPoint(rr + 1, cy), QPoint(rr - dx, cy + dy)}));
}

QColor fillColor(const ChartStyle& style, BlockType type) {
    const int i = static_cast<int>(type) - 1;
    return i >= 0 && i < kChartColorCount ? style.colors[static_cast<size_t>(i)] : QColor(Qt::white);
}

// Device pixels per chart pixel of the painter's target (1 for a plain picture).
qreal deviceRatio(const QPainter& p) { return p.device() ? p.device()->devicePixelRatioF() : 1.0; }

// Small marks drawn thousands of times per chart are rendered once per colour pair and copied.
enum class Glyph : quint64 { Disc = 1, Arrow = 2 };
constexpr QPoint kDiscOffset(-kMidRadius - 1, -kMidRadius - 1);
constexpr QPoint kArrowOffset(-kHandleHalf - 1, -kHandleHalf - 1);

QImage renderGlyph(Glyph glyph, QColor line, QColor fill, qreal ratio) {
    const QSize size = glyph == Glyph::Disc ? QSize(2 * kMidRadius + 2, 2 * kMidRadius + 2)
                                            : QSize(2 * kHandleHalf + 3, kHandleHalf + 3);
    // Drawn at the screen's resolution, so a scaled chart shows round discs, not enlarged pixels.
    QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    if (glyph == Glyph::Disc) {
        // The circle's 2-pixel outline in the line colour around the filled centre.
        p.setBrush(line);
        p.drawEllipse(QRect(0, 0, 2 * kMidRadius + 1, 2 * kMidRadius + 1));
        if (fill != line) {
            p.setBrush(fill);
            p.drawEllipse(QRect(2, 2, 2 * kMidRadius - 3, 2 * kMidRadius - 3));
        }
    } else {
        // Tip at (kHandleHalf + 1, kHandleHalf + 2) of the image.
        const QPoint tip(kHandleHalf + 1, kHandleHalf + 1);
        p.setBrush(line);
        p.drawPolygon(QPolygon({tip + QPoint(0, 1), tip + QPoint(kHandleHalf + 1, -kHandleHalf - 1),
                                tip + QPoint(-kHandleHalf - 1, -kHandleHalf - 1)}));
        if (fill != line) {
            p.setBrush(fill);
            p.drawPolygon(QPolygon({tip + QPoint(0, -2), tip + QPoint(kHandleHalf - 3, -kHandleHalf + 1),
                                    tip + QPoint(-kHandleHalf + 3, -kHandleHalf + 1)}));
        }
    }
    return image;
}

const QImage& glyph(ChartDrawCache& cache, Glyph kind, QColor line, QColor fill, qreal ratio) {
    if (ratio != cache.glyphRatio) {
        cache.glyphs.clear();
        cache.glyphRatio = ratio;
    }
    const quint64 key = (static_cast<quint64>(kind) << 56) | (static_cast<quint64>(line.rgb() & 0xFFFFFF) << 24) |
                        (fill.rgb() & 0xFFFFFF);
    auto it = cache.glyphs.find(key);
    if (it == cache.glyphs.end()) it = cache.glyphs.insert(key, renderGlyph(kind, line, fill, ratio));
    return *it;
}

// Background and grid, drawn in device pixels: at a fractional scale every grid line is as wide
// as every other and sits on whole device pixels, instead of being smeared over one or two.
void drawGrid(QPainter& p, const ChartStyle& style, const ChartExtent& extent, QPoint scroll, const QRect& visible) {
    const qreal ratio = deviceRatio(p);
    const int lineWidth = std::max(1, static_cast<int>(ratio));
    const auto device = [ratio](int logical) { return static_cast<int>(std::lround(logical * ratio)); };
    const int width = device(visible.width()), height = device(visible.height());
    p.save();
    p.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));

    // Only the lines that fall inside the drawn area. The rows between two horizontal lines are
    // all alike, so one band of them is built and copied: a one-pixel column fill per vertical
    // line touches every row of the buffer and cost more than the whole chart.
    const QColor grid = style.colors[ChartColor::Grid];
    const int firstX = std::max(0, (scroll.x() + kGrid - 1) / kGrid * kGrid),
              lastX = std::min(extent.rangeX + 16, scroll.x() + visible.width());
    const int firstY = std::max(0, (scroll.y() + kGrid - 1) / kGrid * kGrid),
              lastY = std::min(extent.rangeY + 16, scroll.y() + visible.height());
    QImage band(width, device(kGrid) + 1, QImage::Format_RGB32);
    band.fill(style.colors[ChartColor::Background]);
    auto* row = reinterpret_cast<QRgb*>(band.scanLine(0));
    for (int x = firstX; x < lastX; x += kGrid) {
        const int sx = device(x - scroll.x());
        for (int k = sx; k < sx + lineWidth && k < band.width(); ++k) row[k] = grid.rgb();
    }
    for (int y = 1; y < band.height(); ++y)
        std::copy(row, row + band.width(), reinterpret_cast<QRgb*>(band.scanLine(y)));
    int y = 0;
    for (int line = firstY; y < height; line += kGrid) {
        const int lineTop = line < lastY ? device(line - scroll.y()) : height;
        while (y < std::min(lineTop, height)) {
            const int rows = std::min(band.height(), std::min(lineTop, height) - y);
            p.drawImage(QPoint(0, y), band, QRect(0, 0, band.width(), rows));
            y += rows;
        }
        if (lineTop >= height) break;
        const int rows = std::min(lineWidth, height - lineTop);
        p.fillRect(QRect(0, lineTop, width, rows), grid);
        y = lineTop + rows;
    }
    p.restore();
}

constexpr int kUnlimitedWidth = 1 << 20;

// Static texts laid out for one transform land in the wrong place on a scaled device, where the
// painter lays them out again; there the text is drawn directly from its top-left corner.
void drawTextAt(QPainter& p, QPoint topLeft, const QStaticText& text) {
    if (deviceRatio(p) == 1) {
        p.drawStaticText(topLeft, text);
        return;
    }
    const Qt::BGMode mode = p.backgroundMode();
    p.setBackgroundMode(Qt::TransparentMode);  // the ground under the text is already drawn
    p.drawText(QPoint(topLeft.x(), topLeft.y() + QFontMetrics(p.font()).ascent()), text.text());
    p.setBackgroundMode(mode);
}

// Laid-out caption texts, kept across draws.
const FittedCaption& captionText(ChartDrawCache& cache, const QString& caption, const QFont& font, int width) {
    if (cache.captions.size() > 4096 || !(cache.captionFont == font)) {
        cache.captions.clear();
        cache.captionFont = font;
    }
    const QString key = caption + QChar(0x1F) + QString::number(width);
    auto it = cache.captions.find(key);
    if (it == cache.captions.end()) {
        QFont fitted = font;
        bool narrowed = false;
        for (int stretch : {90, 80}) {
            if (QFontMetrics(fitted).horizontalAdvance(caption) <= width) break;
            fitted.setStretch(stretch);
            narrowed = true;
        }
        const QFontMetrics fm(fitted);
        QStaticText text(fm.elidedText(caption, Qt::ElideRight, width));
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), fitted);
        it = cache.captions.insert(key, FittedCaption{text, fitted, narrowed});
    }
    return *it;
}

// The flags that show editing state: a picture of the program is drawn without them.
constexpr uint32_t kEditingMarks =
    FlagSelected | FlagInBand | FlagDropTarget | FlagColliding | FlagEndDrag0 | FlagEndDrag1;

// The block as it is drawn: itself, or without editing marks a copy in `plain` with them cleared
// (a dragged connector is then drawn where it is linked, in its own colour).
const ActionBlock& asDrawn(const ActionBlock& b, bool editingMarks, ActionBlock& plain) {
    if (editingMarks || !(b.flags & kEditingMarks)) return b;
    plain = b;
    plain.flags &= ~kEditingMarks;
    return plain;
}

void drawBlockBody(QPainter& p, ChartDrawCache& cache, const ActionBlock& b, const QRect& r, const ChartStyle& style,
                   uint32_t options) {
    const bool colliding = b.flags & FlagColliding;
    const int typeIndex = static_cast<int>(b.type) - 1;
    if (!colliding && typeIndex >= 0 && static_cast<size_t>(typeIndex) < style.skins.size()) {
        const QImage& skin = style.skins[static_cast<size_t>(typeIndex)];
        if (!skin.isNull()) p.drawImage(r.topLeft(), skin);
    }
    if (!colliding && b.type != BlockType::Start && b.type != BlockType::End) {
        const int l = r.left(), t = r.top(), rr = l + b.width, bb = t + b.height;
        if (hasCaptionPanel(b.type)) {
            // Outline and fill of the panel (left, top + 36, right, bottom) as two solid fills.
            p.fillRect(QRect(l, t + 36, rr - l, bb - t - 36), style.colors[ChartColor::PanelOutline]);
            p.fillRect(QRect(l + 1, t + 37, rr - l - 2, bb - t - 38), fillColor(style, b.type));
        }
        const std::u16string caption = chartCaption(b, style.text, options & Option::UseCalcBlock);
        if (!caption.empty()) {
            if (auto cr = captionRect(b, Rect{l, t, rr, bb})) {
                const QRect box(cr->left, cr->top, cr->right - cr->left, cr->bottom - cr->top);
                const FittedCaption& fitted = captionText(cache, toQString(caption), p.font(), box.width());
                // Already fitted to the box width; one line of the chart font fits every caption box.
                const int x = box.left() + (box.width() - static_cast<int>(fitted.text.size().width())) / 2;
                p.setPen(style.colors[ChartColor::Text]);
                if (fitted.narrowed) {
                    const QFont chartFont = p.font();
                    p.setFont(fitted.font);
                    drawTextAt(p, QPoint(x, box.top()), fitted.text);
                    p.setFont(chartFont);
                } else {
                    drawTextAt(p, QPoint(x, box.top()), fitted.text);
                }
            }
        }
    }
    if (b.flags & FlagDropTarget) {
        p.setPen(QPen(style.colors[ChartColor::Drag], 2));
        p.setBrush(Qt::NoBrush);
        if (isDiamond(b.type)) {
            p.drawPolygon(blockShape(b, r));
        } else {
            gdiRect(p, r.left(), r.top(), r.left() + b.width, r.top() + b.height);
        }
    }
    if (!colliding && (b.flags & (FlagSelected | FlagInBand))) {
        // Inverting keeps the block readable and makes a second inversion undo the first.
        p.save();
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        if (isDiamond(b.type)) {
            p.drawPolygon(blockShape(b, r));
        } else {
            p.drawRect(QRect(r.left(), r.top(), b.width, b.height));
        }
        p.restore();
    }
}

void drawLabel(QPainter& p, ChartDrawCache& cache, const QString& text, Point mid, QPoint scroll,
               const QColor& lineColor, const QColor& background, const QColor& textColor) {
    // Output labels repeat ("はい", "いいえ") hundreds of times a chart: lay each out once.
    const QStaticText& laidOut = captionText(cache, text, p.font(), kUnlimitedWidth).text;
    QHash<QString, int>& heights = cache.labelHeights;
    if (heights.size() > 64) heights.clear();
    auto h = heights.find(p.font().key());
    if (h == heights.end()) h = heights.insert(p.font().key(), QFontMetrics(p.font()).height());
    const int cx = static_cast<int>(laidOut.size().width()), cy = *h;
    const QPoint m = toScreen(mid, scroll);
    const int x = m.x() - cx / 2, y = m.y() - cy / 2;
    // A 2-pixel frame in the line colour around the text's background: two solid fills are the
    // same pixels as a stroked rectangle, without the stroker.
    p.fillRect(QRect(x - 1, y - 1, cx + 2, cy + 2), lineColor);
    p.fillRect(QRect(x, y, cx, cy), background);
    p.setPen(textColor);
    drawTextAt(p, QPoint(x, y), laidOut);
}

void drawOutputs(QPainter& p, ChartDrawCache& cache, const ActionBlock& b, const ChartStyle& style, QPoint scroll,
                 const QRect& visible) {
    const int outputs = outputCount(b.type);
    for (int i = 0; i < outputs; ++i) {
        const Route route = routeConnector(b, i);
        QColor color;
        const uint32_t dragBit = i == 0 ? FlagEndDrag0 : FlagEndDrag1;
        if (b.flags & dragBit) {
            color = style.colors[ChartColor::Drag];
        } else if (i == 1 && b.type == BlockType::RepeatEnd) {
            color = kLoopBackColor;
        } else {
            color = style.colors[i == 0 ? ChartColor::Output0 : ChartColor::Output1];
        }
        const QColor brush = (i == 1 && b.type == BlockType::RepeatEnd && !(b.flags & dragBit)) ? kSystemGrey : color;

        if (route.code == RouteCode::Overlap) {
            QPolygon marker;
            for (Point pt : route.marker) marker << toScreen(pt, scroll);
            if (!marker.boundingRect().adjusted(-2, -2, 2, 2).intersects(visible)) continue;
            p.setPen(QPen(Qt::white, 2));
            p.setBrush(brush);
            p.drawPolygon(marker);
            continue;
        }
        QPoint line[kMaxRoutePoints];
        QRect bounds;
        for (int k = 0; k < route.pathLength; ++k) {
            line[k] = toScreen(route.path[static_cast<size_t>(k)], scroll);
            bounds |= QRect(line[k], QSize(1, 1));
        }
        if (route.pathLength == 0 || !bounds.adjusted(-40, -20, 40, 20).intersects(visible)) continue;

        // Routes are orthogonal, so each 2-pixel run is a filled rectangle: far cheaper than
        // stroking a wide pen, and pixel-identical.
        const QBrush lineBrush(color);
        for (int k = 1; k < route.pathLength; ++k) {
            const QPoint a = line[k - 1], b = line[k];
            p.fillRect(QRect(QPoint(std::min(a.x(), b.x()) - 1, std::min(a.y(), b.y()) - 1),
                             QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))),
                       lineBrush);
        }
        const QPoint s = line[0];
        p.fillRect(QRect(s.x() - kHandleHalf, s.y() - kHandleHalf, 2 * kHandleHalf, 2 * kHandleHalf), lineBrush);
        if (brush != color) {
            p.fillRect(
                QRect(s.x() - kHandleHalf + 2, s.y() - kHandleHalf + 2, 2 * kHandleHalf - 4, 2 * kHandleHalf - 4),
                brush);
        }

        p.setPen(Qt::NoPen);
        const int labelId = outputLabelString(b.type, i);
        if (labelId != 0) {
            if (outputLabelVisible(b.type, i, static_cast<int>(route.code), route.linked)) {
                drawLabel(p, cache, toQString(style.text.resString ? style.text.resString(labelId) : std::u16string()),
                          route.mid, scroll, color, fillColor(style, b.type), style.colors[ChartColor::Text]);
                p.setPen(Qt::NoPen);
            }
        } else {
            p.drawImage(toScreen(route.mid, scroll) + kDiscOffset,
                        glyph(cache, Glyph::Disc, color, brush, deviceRatio(p)));
        }
        p.drawImage(toScreen(arrowTip(route), scroll) + kArrowOffset,
                    glyph(cache, Glyph::Arrow, color, brush, deviceRatio(p)));
    }
}

}  // namespace

ChartExtent chartExtent(const BlockProgram& program, QSize client, bool window) {
    int maxRight = 0, maxBottom = 0;
    if (!program.blocks.empty()) {
        maxRight = maxBottom = std::numeric_limits<int>::min();
        const auto reach = [&](Point p) {
            maxRight = std::max(maxRight, p.x);
            maxBottom = std::max(maxBottom, p.y);
        };
        for (const auto& b : program.blocks) {
            reach({b->x + b->width, b->y + b->height});
            // A connector that runs right of or below every block (a loop back beside the right-most
            // block) belongs to the chart too: the margin leaves room for its handles and label.
            for (int i = 0; i < outputCount(b->type); ++i) {
                const Route route = routeConnector(*b, i);
                for (int k = 0; k < route.pathLength; ++k) reach(route.path[static_cast<size_t>(k)]);
                if (route.pathLength > 0) reach(route.mid);
            }
        }
    }
    ChartExtent e;
    e.content = Rect{0, 0, maxRight + kExtentMargin, maxBottom + kExtentMargin};
    if (window) {
        e.rangeX = std::max(e.content.right + 15, client.width());
        e.rangeY = std::max(e.content.bottom + 15, client.height());
    } else {
        e.rangeX = e.content.right;
        e.rangeY = e.content.bottom;
    }
    return e;
}

ChartExtent drawChart(QPainter& p, BlockProgram& program, const ChartStyle& style, uint32_t options,
                      const ChartView& view) {
    ChartDrawCache cache;
    return drawChart(p, program, style, options, view, cache);
}

ChartExtent drawChart(QPainter& p, BlockProgram& program, const ChartStyle& style, uint32_t options,
                      const ChartView& view, ChartDrawCache& cache) {
    const ChartExtent extent = chartExtent(program, view.client, view.window);
    const QPoint scroll = view.scroll;
    const QRect visible(0, 0, view.client.width() + 16, view.client.height() + 16);
    // A painter that clips to a few places draws nothing elsewhere: blocks and lines well away from
    // them are left out before they are laid out.
    QRect reached = visible;
    if (p.hasClipping()) reached &= p.clipBoundingRect().toAlignedRect().adjusted(-32, -32, 32, 32);

    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    // Block pictures have one pixel per chart pixel: on a scaled screen they are resampled, not
    // repeated into uneven steps.
    p.setRenderHint(QPainter::SmoothPixmapTransform, deviceRatio(p) != 1);
    p.setFont(style.font);
    p.setBackgroundMode(Qt::TransparentMode);

    if (view.full) drawGrid(p, style, extent, scroll, visible);

    auto screenRect = [&](const ActionBlock& b) {
        return QRect(b.x - scroll.x(), b.y - scroll.y(), b.width, b.height);
    };
    auto wanted = [&](const ActionBlock& b) { return view.full || (b.flags & FlagChanged); };
    const QRect cull = reached.adjusted(-8, -8, 8, 8);

    ActionBlock plain;
    for (const auto& bp : program.blocks) {
        const ActionBlock& b = asDrawn(*bp, view.editingMarks, plain);
        const QRect r = screenRect(b);
        if (!wanted(b) || !r.intersects(cull)) continue;
        drawBlockBody(p, cache, b, r, style, options);
    }

    p.setBackgroundMode(Qt::OpaqueMode);
    // Without editing marks there is no current block either.
    const ActionBlock* current = view.editingMarks ? program.currentBlock : nullptr;
    for (const auto& bp : program.blocks) {
        const ActionBlock& b = asDrawn(*bp, view.editingMarks, plain);
        if (!wanted(b)) continue;
        const QRect r = screenRect(b);
        const bool onScreen = r.intersects(cull);
        if (onScreen && current && (bp.get() == current || (b.partner && b.partner == current))) drawBrackets(p, b, r);
        if (onScreen && (b.flags & FlagColliding)) {
            QPen dotted(kCollidingColor, 3, Qt::DotLine, Qt::FlatCap, Qt::MiterJoin);
            p.setPen(dotted);
            p.setBrush(Qt::NoBrush);
            if (isDiamond(b.type)) {
                p.drawPolygon(blockShape(b, r));
            } else {
                gdiRect(p, r.left(), r.top(), r.left() + b.width, r.top() + b.height);
            }
        }
        drawOutputs(p, cache, b, style, scroll, reached);
    }
    if (view.window)
        for (const auto& bp : program.blocks) bp->flags &= ~FlagChanged;
    p.restore();
    return extent;
}

}  // namespace trovel
