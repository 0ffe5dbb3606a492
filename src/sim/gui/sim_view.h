#pragma once
// The child view of the simulator: shows the back buffer and moves the robot by hand.

#include <QImage>
#include <QWidget>

#include <vector>

#include "sim/sim_camera.h"

namespace trovel {

struct Simulator;
struct SimViewState;
struct CourseLayerCache;

class SimView : public QWidget {
    Q_OBJECT
public:
    SimView(Simulator& sim, SimViewState& shown, QImage& frame, QWidget* parent = nullptr);
    // The renderer's cache of the course the frame was drawn with: where the frame leaves the
    // course to its sheet, the view copies it from there. May stay null.
    void setCourseLayer(CourseLayerCache* cache) { m_course = cache; }

    // The field point under a view pixel, through the current camera.
    WorldPoint worldAt(QPointF pixel) const;
    // Where the back buffer is shown: the largest 7 : 5 rectangle centred in the view, so the course
    // is never stretched, even while the window manager holds a border drag at another shape.
    QRect drawingRect() const;
    // Repaints the parts of the view that show these back-buffer areas (all of it when none).
    void updateFrameAreas(const std::vector<QRectF>& backBufferAreas);
    // The device pixels the back buffer is best drawn in: those the view shows it in, so that
    // showing it is a copy, not a rescaling of every changed piece; the field's own 700 x 500 (at the
    // screen's scale) while the view is not shown.
    QSize framePixels() const;

signals:
    // The robot was moved or turned by hand: the window redraws.
    void robotMoved();
    // The view's size changed: the back buffer is drawn again at its new size. (A new screen scale
    // is caught by the window's next tick.)
    void framePixelsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Simulator& m_sim;
    SimViewState& m_shown;
    QImage& m_frame;
    CourseLayerCache* m_course = nullptr;
};

}  // namespace trovel
