#include "sim/gui/sim_view.h"

#include "sim/gui/sim_renderer.h"

#include "sim/draw_list.h"
#include "sim/sim_view_state.h"
#include "sim/simulator.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

namespace trovel {

SimView::SimView(Simulator& sim, SimViewState& shown, QImage& frame, QWidget* parent)
    : QWidget(parent), m_sim(sim), m_shown(shown), m_frame(frame) {
    setObjectName(QStringLiteral("putwindow"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setMinimumSize(140, 100);
}

WorldPoint SimView::worldAt(QPointF pixel) const {
    const QRect area = drawingRect();
    return viewToWorld(m_shown.camera, float(pixel.x() - area.x()), float(pixel.y() - area.y()), float(area.width()),
                       float(area.height()));
}

QRect SimView::drawingRect() const {
    // The frame's sizing rule truncates, so a view a pixel or two off 7 : 5 is shown whole.
    constexpr int kSlack = 2;
    const int w = width(), h = height();
    const int wideFor = h * 7 / 5, tallFor = w * 5 / 7;
    if (w > wideFor + kSlack) return QRect((w - wideFor) / 2, 0, wideFor, h);
    if (h > tallFor + kSlack) return QRect(0, (h - tallFor) / 2, w, tallFor);
    return rect();
}

void SimView::updateFrameAreas(const std::vector<QRectF>& backBufferAreas) {
    const QRect area = drawingRect();
    if (backBufferAreas.empty() || area != rect()) {
        update();
        return;
    }
    const QSizeF frame = m_frame.deviceIndependentSize();
    const double sx = area.width() / frame.width(), sy = area.height() / frame.height();
    QRegion shown;
    for (const QRectF& piece : backBufferAreas) {
        if (piece.isEmpty()) continue;
        const QRectF scaled(area.x() + piece.x() * sx, area.y() + piece.y() * sy, piece.width() * sx,
                            piece.height() * sy);
        // Smooth scaling reaches a pixel beyond the changed ones.
        shown += scaled.toAlignedRect().adjusted(-2, -2, 2, 2);
    }
    update(shown);
}

QSize SimView::framePixels() const {
    const qreal ratio = devicePixelRatioF();
    if (!isVisible()) return (QSizeF(kScreenWidth, kScreenHeight) * ratio).toSize();
    return (QSizeF(drawingRect().size()) * ratio).toSize();
}

void SimView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit framePixelsChanged();
}

void SimView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit framePixelsChanged();
}

namespace {
constexpr int kCopyBandRows = 64;
}  // namespace

void SimView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect area = drawingRect();
    // Only the bars beside the drawing: the drawing itself is copied over whole.
    if (area != rect())
        for (const QRect& bar : (event->region() - area)) p.fillRect(bar, Qt::black);
    if (m_frame.isNull()) return;
    const qreal ratio = devicePixelRatioF();
    if (m_frame.size() == framePixels()) {
        // Drawn at the view's own pixels: each changed piece is copied as it is (the frame is opaque),
        // from the course's sheet where the frame left the course to it.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        const bool partial = m_course && m_course->partial;
        const QRegion& fromFrame = partial ? m_course->frameOnly : QRegion();
        auto shown = [&](const QRect& pixels) {
            return QRectF(QPointF(area.topLeft()) + QPointF(pixels.topLeft()) / ratio, QSizeF(pixels.size()) / ratio);
        };
        // Copied in bands of rows: Qt spreads a taller copy over its thread pool, which costs more
        // than the copy. `at` is where the source's top-left pixel lands, in frame pixels.
        auto copy = [&](const QImage& source, const QRect& from, QPoint at) {
            for (int top = 0; top < from.height(); top += kCopyBandRows) {
                const QRect band(from.x(), from.y() + top, from.width(), std::min(kCopyBandRows, from.height() - top));
                p.drawImage(shown(band.translated(at - from.topLeft())), source, QRectF(band));
            }
        };
        for (const QRect& piece : event->region()) {
            const QRect dirty = piece.intersected(area);
            if (dirty.isEmpty()) continue;
            const QRect pixels =
                QRectF(QPointF(dirty.topLeft() - area.topLeft()) * ratio, QSizeF(dirty.size()) * ratio).toAlignedRect();
            if (!partial) {
                copy(m_frame, pixels, pixels.topLeft());
                continue;
            }
            for (const QRect& r : QRegion(pixels) & fromFrame) copy(m_frame, r, r.topLeft());
            const CourseLayerCache::Sheet& sheet = m_course->sheet;
            const QPoint offset = m_course->frameCorner + sheet.origin;
            for (const QRect& r : QRegion(pixels) - fromFrame) {
                const QRect source = r.translated(offset).intersected(sheet.image.rect());
                if (source.size() != r.size()) p.fillRect(shown(r), QColor::fromRgba(kClearColour));
                if (!source.isEmpty()) copy(sheet.image, source, source.topLeft() - offset);
            }
        }
        return;
    }
    if (m_course) completeFrame(m_frame, *m_course);  // scaled whole until the next frame
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Each changed piece is scaled on its own: the robot and the clock moving cost their own pixels,
    // not the rectangle between them. A margin keeps the smoothing at a piece's edges what it is
    // when the whole frame is drawn.
    const double sx = m_frame.width() / double(area.width()), sy = m_frame.height() / double(area.height());
    for (const QRect& piece : event->region()) {
        const QRect dirty = piece.intersected(area);
        if (dirty.isEmpty()) continue;
        const QRect margin = dirty.adjusted(-4, -4, 4, 4).intersected(area);
        const QRectF source((margin.x() - area.x()) * sx, (margin.y() - area.y()) * sy, margin.width() * sx,
                            margin.height() * sy);
        p.setClipRect(dirty);
        p.drawImage(QRectF(margin), m_frame, source);
    }
}

void SimView::mousePressEvent(QMouseEvent* event) {
    const WorldPoint point = worldAt(event->position());
    if (event->button() == Qt::LeftButton) {
        // Qt keeps the pointer grabbed for the view while the button is held.
        if (grabRobot(m_shown, m_sim, point)) emit robotMoved();
    } else if (event->button() == Qt::RightButton) {
        if (rotateRobot(m_sim, point)) emit robotMoved();
    }
}

void SimView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click: a right one turns again, a left one does nothing more.
    if (event->button() == Qt::RightButton && rotateRobot(m_sim, worldAt(event->position()))) emit robotMoved();
}

void SimView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_shown.dragging) return;
    dragRobotTo(m_shown, m_sim, worldAt(event->position()));
    emit robotMoved();
}

void SimView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_shown.dragging) {
        releaseRobot(m_shown);
        emit robotMoved();
    }
}

}  // namespace trovel
