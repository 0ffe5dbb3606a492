// What one redraw of the course designer costs while a curve is dragged on a course of 200 strokes:
// the drag step plus drawing the area it changed over the cached picture of the other strokes. For
// comparison, the same redraw without the cache (the course picture drawn again, the whole view).
// Run offscreen or on a display; QT_SCALE_FACTOR=2 measures a doubled screen.

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>

#include "sim/course_design_edit.h"
#include "sim/gui/course_designer_view.h"

using namespace trovel;

namespace {

constexpr int kElements = 200;

// Lines, arcs and curves spread over the field, every one 20 wide, the curve to drag last.
CourseDesign busyCourse() {
    CourseDesign d;
    d.nameEn = u"Busy";
    d.startX = -300;  // clear of the curve that is dragged
    d.startY = -220;
    for (int i = 0; i < kElements - 1; ++i) {
        const double x = -330 + (i * 37) % 660, y = -230 + (i * 53) % 460;
        CourseElement e;
        switch (i % 3) {
        case 0: e = {CourseElementKind::Line, {x, y, x + 60, y + 25}}; break;
        case 1: e = {CourseElementKind::Arc, {x, y, 30, double(i % 360), 120}}; break;
        default: e = {CourseElementKind::Curve, {x, y, x + 20, y - 40, x + 50, y + 40, x + 70, y}}; break;
        }
        d.elements.push_back(e);
    }
    d.elements.push_back({CourseElementKind::Curve, {-200, 0, -100, -150, 100, 150, 200, 0}});
    return d;
}

struct Scene {
    CourseDesign design = busyCourse();
    CourseDesignerView view{design};
    QImage target;

    Scene() {
        view.resize(1000, 720);
        view.show();
        view.designReplaced();
        const qreal ratio = view.devicePixelRatioF();
        target = QImage((view.size() * ratio), QImage::Format_ARGB32_Premultiplied);
        target.setDevicePixelRatio(ratio);
        QPainter p(&target);
        view.paintArea(p, view.rect());
    }
    // The drag's point `step` of a circle around where it started.
    QPointF around(QPointF centre, int step) const {
        const double a = step * 0.3;
        return centre + QPointF(40 * std::cos(a), 40 * std::sin(a));
    }
};

// A control point of the curve dragged: the curve reshapes, its area is drawn again.
void BM_DragCurveHandle(benchmark::State& state) {
    Scene s;
    s.view.select({DesignPart::Element, kElements - 1});
    const QPointF grab = s.view.toWidget({-100, -150});
    s.view.press(grab);
    int step = 0;
    for (auto _ : state) {
        const QRect dirty = s.view.dragTo(s.around(grab, ++step));
        QPainter p(&s.target);
        s.view.paintArea(p, dirty);
    }
    state.counters["picture_builds"] = s.view.pictureBuilds();
    s.view.release(s.around(grab, step));
}

// The whole curve dragged.
void BM_DragCurve(benchmark::State& state) {
    Scene s;
    const QPointF grab = s.view.toWidget({0, 0});
    s.view.press(grab);
    int step = 0;
    for (auto _ : state) {
        const QRect dirty = s.view.dragTo(s.around(grab, ++step));
        QPainter p(&s.target);
        s.view.paintArea(p, dirty);
    }
    s.view.release(s.around(grab, step));
}

// Without the cache: every move draws the course picture again and the whole view.
void BM_RedrawWhole(benchmark::State& state) {
    Scene s;
    int step = 0;
    for (auto _ : state) {
        s.design.elements.back().v[2] = -100 + (++step % 40);
        s.view.designReplaced();
        QPainter p(&s.target);
        s.view.paintArea(p, s.view.rect());
    }
}

}  // namespace

BENCHMARK(BM_DragCurveHandle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragCurve)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawWhole)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
