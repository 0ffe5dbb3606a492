#include "sim/gui/sim_view.h"

#include "sim/simulator.h"

#include <QMouseEvent>
#include <QPainter>

namespace trovel {

SimView::SimView(Simulator& sim, const QImage& frame, QWidget* parent) : QWidget(parent), m_sim(sim), m_frame(frame) {
    setObjectName(QStringLiteral("putwindow"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setMinimumSize(140, 100);
}

WorldPoint SimView::worldAt(QPointF pixel) const {
    const QRect area = drawingRect();
    return viewToWorld(m_sim.camera, float(pixel.x() - area.x()), float(pixel.y() - area.y()), float(area.width()),
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

void SimView::updateFrameArea(const QRectF& backBufferArea) {
    const QRect area = drawingRect();
    if (backBufferArea.isEmpty() || area != rect()) {
        update();
        return;
    }
    const QSizeF frame = m_frame.deviceIndependentSize();
    const double sx = area.width() / frame.width(), sy = area.height() / frame.height();
    const QRectF shown(area.x() + backBufferArea.x() * sx, area.y() + backBufferArea.y() * sy,
                       backBufferArea.width() * sx, backBufferArea.height() * sy);
    // Smooth scaling reaches a pixel beyond the changed ones.
    update(shown.toAlignedRect().adjusted(-2, -2, 2, 2));
}

void SimView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect area = drawingRect();
    if (area != rect()) p.fillRect(rect(), Qt::black);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(area, m_frame);
}

void SimView::mousePressEvent(QMouseEvent* event) {
    const WorldPoint point = worldAt(event->position());
    if (event->button() == Qt::LeftButton) {
        // Qt keeps the pointer grabbed for the view while the button is held.
        if (grabRobot(m_sim, point)) emit robotMoved();
    } else if (event->button() == Qt::RightButton) {
        if (rotateRobot(m_sim, point)) emit robotMoved();
    }
}

void SimView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click: a right one turns again, a left one does nothing more.
    if (event->button() == Qt::RightButton && rotateRobot(m_sim, worldAt(event->position()))) emit robotMoved();
}

void SimView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_sim.dragging) return;
    dragRobotTo(m_sim, worldAt(event->position()));
    emit robotMoved();
}

void SimView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_sim.dragging) {
        releaseRobot(m_sim);
        emit robotMoved();
    }
}

}  // namespace trovel
