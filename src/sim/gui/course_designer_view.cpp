#include "sim/gui/course_designer_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/gui/ui_text.h"
#include "base/string_ids.h"
#include "sim/course_raster.h"
#include "sim/sim_robot.h"
#include "sim/sim_world.h"

namespace trovel {

namespace {

constexpr int kMargin = 8;          // pixels of grey around the field
constexpr double kHandlePx = 4;     // half the side of a handle's square
constexpr double kPickPx = 5;       // how far a click may miss what it means, in pixels
constexpr double kDragStartPx = 3;  // a press that moves less than this is a click
constexpr double kLabelRoom = 18;   // world units above an area for its label
constexpr double kKeyTurn = 15;     // degrees a key turns the start by (1 with Shift)

QColor areaColour(DesignPart part) {
    switch (part) {
    case DesignPart::Goal: return {0, 150, 0};
    case DesignPart::Checkpoint: return {0, 90, 220};
    default: return {220, 0, 0};
    }
}

DesignBounds rectBounds(const CourseRect& area) {
    const CourseRect r = normalised(area);
    return {r.x1, r.y1 - kLabelRoom, r.x2, r.y2};
}

DesignBounds around(DesignPoint p, double half) { return {p.x - half, p.y - half, p.x + half, p.y + half}; }

// The strokes as the simulator's picture shows them, without the judging tints: those are drawn
// over the picture, so that moving an area never redraws the strokes.
QImage strokesPicture(const CourseDesign& design, int skip, const CoursePicture* background) {
    CourseDesign strokes;
    strokes.elements.reserve(design.elements.size());
    for (size_t i = 0; i < design.elements.size(); ++i)
        if (int(i) != skip) strokes.elements.push_back(design.elements[i]);
    const CoursePicture picture = drawCourse(strokes, background);
    QImage image(picture.width, picture.height, QImage::Format_BGR888);
    const size_t rowBytes = size_t(picture.width) * 3;
    for (int row = 0; row < picture.height; ++row)
        std::memcpy(image.scanLine(row), picture.pixels.data() + rowBytes * size_t(picture.height - 1 - row), rowBytes);
    return image;
}

}  // namespace

CourseDesignerView::CourseDesignerView(CourseDesign& design, QWidget* parent) : QWidget(parent), m_design(design) {
    setObjectName(QStringLiteral("courseDesignerView"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CourseDesignerView::setTool(DesignerTool tool) {
    m_tool = tool;
    setCursor(tool == DesignerTool::Select ? Qt::ArrowCursor : Qt::CrossCursor);
}

void CourseDesignerView::setBackground(const CoursePicture* background) {
    m_background = background;
    rebuildPicture();
    update();
}

void CourseDesignerView::designReplaced() {
    m_drag = Drag::None;
    m_drawing.reset();
    m_area.reset();
    // A selection the new design no longer has is dropped.
    const DesignHit s = m_selected;
    const bool gone = ((s.part == DesignPart::Element || s.part == DesignPart::Handle) &&
                       size_t(s.index) >= m_design.elements.size()) ||
                      (s.part == DesignPart::Checkpoint && size_t(s.index) >= m_design.checkpoints.size()) ||
                      (s.part == DesignPart::Goal && !(m_design.judgingFlags & JudgeFlag::Timed)) ||
                      (s.part == DesignPart::Forbidden && !(m_design.judgingFlags & JudgeFlag::Forbidden));
    if (gone) select({});
    rebuildPicture();
    update();
}

void CourseDesignerView::select(const DesignHit& hit) {
    DesignHit next = hit;
    if (next.part == DesignPart::Handle) next = {DesignPart::Element, hit.index};
    if (next.part == DesignPart::StartHandle) next = {DesignPart::Start};
    if (next == m_selected) return;
    m_selected = next;
    update();
    emit selectionChanged();
}

bool CourseDesignerView::deleteSelection() {
    // Not in the middle of a drag: the drag goes on with the part it holds.
    if (m_drag != Drag::None || !deletePart(m_design, m_selected)) return false;
    m_selected = {};
    rebuildPicture();
    update();
    emit selectionChanged();
    emit edited();
    return true;
}

QRectF CourseDesignerView::fieldRect() const {
    const double w = std::max(1, width() - 2 * kMargin), h = std::max(1, height() - 2 * kMargin);
    const double scale = std::min(w / kCourseWidth, h / kCourseHeight);
    const QSizeF size(kCourseWidth * scale, kCourseHeight * scale);
    return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

QPointF CourseDesignerView::toWidget(DesignPoint p) const {
    const QRectF f = fieldRect();
    const double scale = f.width() / kCourseWidth;
    return {f.left() + (p.x + kWorldHalfWidth) * scale, f.top() + (p.y + kWorldHalfHeight) * scale};
}

DesignPoint CourseDesignerView::toWorld(QPointF p) const {
    const QRectF f = fieldRect();
    const double scale = f.width() / kCourseWidth;
    return {(p.x() - f.left()) / scale - kWorldHalfWidth, (p.y() - f.top()) / scale - kWorldHalfHeight};
}

double CourseDesignerView::slack() const { return kPickPx * kCourseWidth / std::max(1.0, fieldRect().width()); }

QRect CourseDesignerView::widgetArea(const DesignBounds& b, double grow) const {
    if (b.empty()) return {};
    const QPointF a = toWidget({b.x1, b.y1}), c = toWidget({b.x2, b.y2});
    return QRectF(a, c).normalized().adjusted(-grow, -grow, grow, grow).toAlignedRect();
}

void CourseDesignerView::rebuildPicture(int skip) {
    const QRectF f = fieldRect();
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (f.size() * ratio).toSize();
    QImage image = strokesPicture(m_design, skip, m_background);
    // Shrunk smoothly; grown without blurring, so a pixel of the picture stays a visible square.
    const bool grow = pixels.width() > image.width();
    m_picture = image.scaled(pixels, Qt::IgnoreAspectRatio, grow ? Qt::FastTransformation : Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_RGB32);
    m_picture.setDevicePixelRatio(ratio);
    m_pictureSkip = skip;
    ++m_builds;
}

DesignBounds CourseDesignerView::partBounds(const DesignHit& hit) const {
    switch (hit.part) {
    case DesignPart::Element:
    case DesignPart::Handle: {
        if (hit.index < 0 || size_t(hit.index) >= m_design.elements.size()) return {};
        const CourseElement& e = m_design.elements[size_t(hit.index)];
        DesignBounds b = elementBounds(e);
        for (const DesignPoint& h : elementHandles(e)) b = unite(b, around(h, 1));
        return b;
    }
    case DesignPart::Start:
    case DesignPart::StartHandle:
        return around({m_design.startX, m_design.startY}, kStartHandleDistance + kBodyHalf * 0.5 + 8);
    case DesignPart::Goal: return rectBounds(m_design.goal);
    case DesignPart::Forbidden: return rectBounds(m_design.forbidden);
    case DesignPart::Checkpoint:
        if (hit.index < 0 || size_t(hit.index) >= m_design.checkpoints.size()) return {};
        return rectBounds(m_design.checkpoints[size_t(hit.index)]);
    default: return {};
    }
}

DesignPoint CourseDesignerView::snapped(QPointF at, Qt::KeyboardModifiers modifiers, int skip) const {
    const DesignPoint p = toWorld(at);
    // Shift draws freely, to half units so that the file stays short.
    if (modifiers & Qt::ShiftModifier) return {std::round(p.x * 2) / 2, std::round(p.y * 2) / 2};
    return snapPoint(m_design, p, m_snap, skip);
}

void CourseDesignerView::press(QPointF at, Qt::KeyboardModifiers modifiers) {
    const DesignPoint p = toWorld(at);
    m_before = m_design;
    m_moved = false;
    m_drag = Drag::None;
    m_from = p;
    m_shown = {};
    const int selectedElement =
        m_selected.part == DesignPart::Element || m_selected.part == DesignPart::Handle ? m_selected.index : -1;
    const DesignHit hit = hitDesign(m_design, p, slack(), selectedElement);
    // Only the select tool takes the selected stroke's points: a drawing tool starts a new stroke
    // there, joined to it.
    if (m_tool == DesignerTool::Select && hit.part == DesignPart::Handle) {
        m_dragged = hit;
        m_drag = Drag::Handle;
        m_shown = partBounds(hit);  // the first step draws over where it was
        rebuildPicture(hit.index);
        return;
    }
    switch (m_tool) {
    case DesignerTool::Select:
        select(hit);
        m_dragged = hit;
        if (hit.part == DesignPart::None) return;
        m_drag = hit.part == DesignPart::StartHandle ? Drag::Rotate : Drag::Move;
        m_shown = partBounds(hit);
        if (hit.part == DesignPart::Element) rebuildPicture(hit.index);
        return;
    case DesignerTool::Line:
    case DesignerTool::Arc:
    case DesignerTool::Curve:
    case DesignerTool::Box:
        if (m_design.elements.size() >= kMaxCourseElements) {
            emit refused(DesignRefusal::TooManyElements);
            return;
        }
        select({});
        m_from = snapped(at, modifiers);
        m_drag = Drag::Draw;
        return;
    case DesignerTool::Checkpoint:
        if (m_design.checkpoints.size() >= kMaxCheckpoints) {
            emit refused(DesignRefusal::TooManyCheckpoints);
            return;
        }
        [[fallthrough]];
    case DesignerTool::Forbidden:
        if (!(m_design.judgingFlags & JudgeFlag::Timed)) {
            emit refused(DesignRefusal::NeedsGoal);
            return;
        }
        [[fallthrough]];
    case DesignerTool::Goal:
        select({});
        m_from = snapped(at, modifiers);
        m_drag = Drag::Area;
        return;
    }
}

QRect CourseDesignerView::dragTo(QPointF at, Qt::KeyboardModifiers modifiers) {
    if (m_drag == Drag::None) return {};
    const DesignPoint p = toWorld(at);
    if (!m_moved) {
        const QPointF from = toWidget(m_from);
        if (std::hypot(at.x() - from.x(), at.y() - from.y()) < kDragStartPx) return {};
        m_moved = true;
    }
    const DesignBounds before = m_shown;
    DesignBounds now;
    const bool free = modifiers & Qt::ShiftModifier;
    switch (m_drag) {
    case Drag::Draw: {
        static constexpr CourseElementKind kKinds[] = {CourseElementKind::Line, CourseElementKind::Line,
                                                       CourseElementKind::Arc, CourseElementKind::Curve,
                                                       CourseElementKind::Box};
        CourseElement made;
        // Ctrl bends an arc or a curve the other way: drawn from the other end.
        const DesignPoint to = snapped(at, modifiers);
        const bool flip = modifiers & Qt::ControlModifier;
        if (makeElement(kKinds[int(m_tool)], flip ? to : m_from, flip ? m_from : to, m_width, made)) m_drawing = made;
        else m_drawing.reset();
        if (m_drawing) {
            now = elementBounds(*m_drawing);
            for (const DesignPoint& h : elementHandles(*m_drawing)) now = unite(now, around(h, 1));
        }
        break;
    }
    case Drag::Area:
        m_area = trovel::fieldRect(m_from, snapped(at, modifiers));
        now = rectBounds(*m_area);
        break;
    case Drag::Handle: {
        const int i = m_dragged.index;
        CourseElement e = m_before.elements[size_t(i)];
        if (moveHandle(e, m_dragged.handle, snapped(at, modifiers, i))) m_design.elements[size_t(i)] = e;
        now = partBounds(m_dragged);
        break;
    }
    case Drag::Rotate:
        aimStart(m_design, p, free ? 1 : kKeyTurn);
        now = partBounds(m_dragged);
        break;
    case Drag::Move: {
        double dx = p.x - m_from.x, dy = p.y - m_from.y;
        const DesignHit& hit = m_dragged;
        // The moved part's reference point snaps: a stroke's first end (to other strokes or the
        // grid), the start's centre and an area's corner (to the grid).
        std::optional<DesignPoint> anchor;
        switch (hit.part) {
        case DesignPart::Element: {
            m_design.elements[size_t(hit.index)] = m_before.elements[size_t(hit.index)];
            const std::vector<DesignPoint> ends = elementEnds(m_before.elements[size_t(hit.index)]);
            if (!ends.empty()) anchor = ends[0];
            else anchor = elementHandles(m_before.elements[size_t(hit.index)])[0];
            break;
        }
        case DesignPart::Start:
            m_design.startX = m_before.startX;
            m_design.startY = m_before.startY;
            anchor = DesignPoint{m_before.startX, m_before.startY};
            break;
        case DesignPart::Goal:
            m_design.goal = m_before.goal;
            anchor = DesignPoint{normalised(m_before.goal).x1, normalised(m_before.goal).y1};
            break;
        case DesignPart::Forbidden:
            m_design.forbidden = m_before.forbidden;
            anchor = DesignPoint{normalised(m_before.forbidden).x1, normalised(m_before.forbidden).y1};
            break;
        case DesignPart::Checkpoint: {
            const CourseRect r = normalised(m_before.checkpoints[size_t(hit.index)]);
            m_design.checkpoints[size_t(hit.index)] = r;
            anchor = DesignPoint{r.x1, r.y1};
            break;
        }
        default: break;
        }
        if (anchor && !free) {
            SnapRule rule = m_snap;
            rule.toEnds = rule.toEnds && hit.part == DesignPart::Element;
            const DesignPoint target = snapPoint(m_design, {anchor->x + dx, anchor->y + dy}, rule, hit.index);
            dx = target.x - anchor->x;
            dy = target.y - anchor->y;
        }
        const DesignBounds old = partBounds(hit);
        movePart(m_design, hit, dx, dy);
        now = unite(old, partBounds(hit));
        break;
    }
    case Drag::None: break;
    }
    m_shown = now;
    return widgetArea(unite(before, now), kHandlePx + 3 + m_width * fieldRect().width() / kCourseWidth);
}

void CourseDesignerView::release(QPointF at, Qt::KeyboardModifiers modifiers) {
    if (m_drag == Drag::None) return;
    dragTo(at, modifiers);
    const Drag drag = m_drag;
    m_drag = Drag::None;
    bool changed = false;
    if (drag == Drag::Draw && m_drawing && m_moved) {
        m_design.elements.push_back(*m_drawing);
        m_selected = {DesignPart::Element, int(m_design.elements.size()) - 1};
        emit selectionChanged();
        changed = true;
    } else if (drag == Drag::Area && m_area && m_moved && m_area->x1 < m_area->x2 && m_area->y1 < m_area->y2) {
        switch (m_tool) {
        case DesignerTool::Goal:
            setGoal(m_design, *m_area);
            m_selected = {DesignPart::Goal};
            break;
        case DesignerTool::Checkpoint:
            if (addCheckpoint(m_design, *m_area))
                m_selected = {DesignPart::Checkpoint, int(m_design.checkpoints.size()) - 1};
            break;
        default:
            if (setForbidden(m_design, *m_area)) m_selected = {DesignPart::Forbidden};
            break;
        }
        emit selectionChanged();
        changed = true;
    } else if (drag == Drag::Move || drag == Drag::Handle || drag == Drag::Rotate) {
        changed = m_moved;
    }
    m_drawing.reset();
    m_area.reset();
    if (m_pictureSkip >= 0 || drag == Drag::Draw) rebuildPicture();
    update();
    if (changed) emit edited();
}

void CourseDesignerView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    paintArea(painter, event->rect());
}

void CourseDesignerView::paintArea(QPainter& p, const QRect& area) {
    p.save();
    p.setClipRect(area);
    p.fillRect(area, palette().color(QPalette::Mid));
    const QRectF f = fieldRect();
    if (m_picture.isNull()) rebuildPicture(m_pictureSkip);
    p.drawImage(f.topLeft(), m_picture);
    p.setClipRect(f.toAlignedRect().intersected(area));
    p.setRenderHint(QPainter::Antialiasing);
    if (m_pictureSkip >= 0 && size_t(m_pictureSkip) < m_design.elements.size())
        drawElement(p, m_design.elements[size_t(m_pictureSkip)]);
    if (m_drawing) drawElement(p, *m_drawing);
    drawOverlay(p);
    p.restore();
}

void CourseDesignerView::drawElement(QPainter& p, const CourseElement& e) const {
    const std::vector<DesignPoint> path = elementPath(e);
    if (path.empty()) return;
    const double scale = fieldRect().width() / kCourseWidth;
    if (e.kind == CourseElementKind::Box) {
        p.fillRect(QRectF(toWidget(path[0]), toWidget(path[2])).normalized(), Qt::black);
        return;
    }
    QPainterPath line(toWidget(path[0]));
    for (size_t i = 1; i < path.size(); ++i) line.lineTo(toWidget(path[i]));
    p.strokePath(line, QPen(Qt::black, e.width * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void CourseDesignerView::drawOverlay(QPainter& p) const {
    const CourseDesign& d = m_design;
    const double scale = fieldRect().width() / kCourseWidth;
    QFont font = p.font();
    font.setBold(true);
    p.setFont(font);
    auto area = [&](const CourseRect& r, DesignPart part, const QString& label, bool selected) {
        QColor c = areaColour(part);
        const QRectF box =
            QRectF(toWidget({normalised(r).x1, normalised(r).y1}), toWidget({normalised(r).x2, normalised(r).y2}));
        QColor fill = c;
        fill.setAlpha(40);
        p.fillRect(box, fill);
        p.setPen(QPen(c, selected ? 3 : 1.5, selected ? Qt::SolidLine : Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box);
        p.drawText(box.topLeft() + QPointF(3, -4), label);
    };
    const bool judged = d.judgingFlags & JudgeFlag::Timed;
    if (judged) area(d.goal, DesignPart::Goal, uiText(Str::DesignerToolGoal), m_selected.part == DesignPart::Goal);
    for (size_t i = 0; i < d.checkpoints.size(); ++i)
        area(d.checkpoints[i], DesignPart::Checkpoint, uiFormat(Str::DesignerCheckpointLabel, {int(i + 1)}),
             m_selected == DesignHit{DesignPart::Checkpoint, int(i)});
    if (d.judgingFlags & JudgeFlag::Forbidden)
        area(d.forbidden, DesignPart::Forbidden, uiText(Str::DesignerToolForbidden),
             m_selected.part == DesignPart::Forbidden);
    if (m_area) {
        const DesignPart part = m_tool == DesignerTool::Goal         ? DesignPart::Goal
                                : m_tool == DesignerTool::Checkpoint ? DesignPart::Checkpoint
                                                                     : DesignPart::Forbidden;
        area(*m_area, part, {}, true);
    }

    // The start: the robot's body turned to its heading, its floor points, and the turning handle.
    SimRobot robot;
    robot.x = float(d.startX);
    robot.y = float(d.startY);
    robot.heading = float(d.startHeading * 3.14159265358979323846 / 180);
    QPolygonF body;
    for (Vec2 corner : {Vec2{kBodyHalf, -kBodyHalf}, Vec2{kBodyHalf, kBodyHalf}, Vec2{-kBodyHalf, kBodyHalf},
                        Vec2{-kBodyHalf, -kBodyHalf}}) {
        const Vec2 w = trovel::toWorld(robot, corner);
        body << toWidget({w.x, w.y});
    }
    const bool startSelected = m_selected.part == DesignPart::Start;
    const QColor robotColour(200, 120, 0);
    QColor robotFill = robotColour;
    robotFill.setAlpha(50);
    p.setPen(QPen(robotColour, startSelected ? 3 : 2));
    p.setBrush(robotFill);
    p.drawPolygon(body);
    for (const Vec2& point : kFloorPoints) {
        const Vec2 w = trovel::toWorld(robot, point);
        p.setPen(QPen(Qt::red, 1));
        p.setBrush(Qt::red);
        p.drawEllipse(toWidget({w.x, w.y}), 2.5, 2.5);
    }
    const QPointF centre = toWidget({d.startX, d.startY});
    const QPointF handle = toWidget(startHandle(d));
    p.setPen(QPen(robotColour, 2));
    p.drawLine(centre, handle);
    p.setBrush(Qt::white);
    p.drawEllipse(handle, kHandlePx + 1, kHandlePx + 1);

    // The selected stroke's points, and a curve's control lines.
    if (m_selected.part == DesignPart::Element && size_t(m_selected.index) < d.elements.size()) {
        const CourseElement& e = d.elements[size_t(m_selected.index)];
        const std::vector<DesignPoint> handles = elementHandles(e);
        if (e.kind == CourseElementKind::Curve && handles.size() == 4) {
            p.setPen(QPen(QColor(0, 120, 255), 1, Qt::DashLine));
            p.drawLine(toWidget(handles[0]), toWidget(handles[1]));
            p.drawLine(toWidget(handles[3]), toWidget(handles[2]));
        }
        if (e.kind != CourseElementKind::Box) {
            QPainterPath outline;
            const std::vector<DesignPoint> path = elementPath(e);
            outline.moveTo(toWidget(path[0]));
            for (size_t i = 1; i < path.size(); ++i) outline.lineTo(toWidget(path[i]));
            p.strokePath(outline, QPen(QColor(0, 120, 255), std::max(1.0, e.width * scale / 4)));
        }
        p.setPen(QPen(QColor(0, 90, 200), 1));
        p.setBrush(Qt::white);
        for (const DesignPoint& h : handles)
            p.drawRect(QRectF(toWidget(h) - QPointF(kHandlePx, kHandlePx), QSizeF(2 * kHandlePx, 2 * kHandlePx)));
    }
}

void CourseDesignerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    rebuildPicture(m_pictureSkip);
}

void CourseDesignerView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    press(event->position(), event->modifiers());
}

void CourseDesignerView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (m_drag != Drag::None) {
        const QRect dirty = dragTo(at, event->modifiers());
        if (!dirty.isEmpty()) update(dirty);
    } else if (m_tool == DesignerTool::Select) {
        const bool over =
            hitDesign(m_design, toWorld(at), slack(), m_selected.part == DesignPart::Element ? m_selected.index : -1)
                .part != DesignPart::None;
        setCursor(over ? Qt::SizeAllCursor : Qt::ArrowCursor);
    }
    const DesignPoint w = toWorld(at);
    const bool inside = std::fabs(w.x) <= kWorldHalfWidth && std::fabs(w.y) <= kWorldHalfHeight;
    emit pointerMoved(inside ? std::optional<DesignPoint>(w) : std::nullopt);
}

void CourseDesignerView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    release(event->position(), event->modifiers());
}

void CourseDesignerView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    emit pointerMoved(std::nullopt);
}

void CourseDesignerView::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->key() == Qt::Key_Escape && m_drag != Drag::None) {
        m_design = m_before;
        m_drag = Drag::None;
        m_drawing.reset();
        m_area.reset();
        rebuildPicture();
        update();
        return;
    }
    if (m_drag != Drag::None) return;
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        deleteSelection();
        return;
    }
    // Page Up and Page Down move a checkpoint earlier or later in the passing order.
    if ((event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) &&
        m_selected.part == DesignPart::Checkpoint) {
        const int to = m_selected.index + (event->key() == Qt::Key_PageUp ? -1 : 1);
        if (!reorderCheckpoint(m_design, m_selected.index, to)) return;
        m_selected.index = to;
        update();
        emit selectionChanged();
        emit edited();
        return;
    }
    double dx = 0, dy = 0;
    switch (event->key()) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    default: QWidget::keyPressEvent(event); return;
    }
    if (m_selected.part == DesignPart::None) {
        QWidget::keyPressEvent(event);
        return;
    }
    // The start turns with left and right; everything else moves a unit at a time (ten with Shift).
    if (m_selected.part == DesignPart::Start && dx != 0) {
        m_design.startHeading = normalisedHeading(m_design.startHeading + dx * (shift ? 1 : kKeyTurn));
    } else {
        const double step = shift ? 10 : 1;
        if (!movePart(m_design, m_selected, dx * step, dy * step)) return;
        if (m_selected.part == DesignPart::Element) rebuildPicture();
    }
    update();
    emit edited();
}

}  // namespace trovel
