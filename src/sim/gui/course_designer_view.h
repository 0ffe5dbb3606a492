#pragma once
// The course designer's drawing area: the 700 x 500 field with the design on it, where strokes are
// drawn, picked, reshaped and moved with the mouse and the judging areas and the start are placed.
// The strokes are shown as the simulator will see them (the course picture) from a cached picture;
// while one is dragged the cache holds the others and only the dragged one's area is redrawn.

#include <QImage>
#include <QWidget>

#include <optional>

#include "sim/course_design_edit.h"
#include "sim/course_picture.h"

namespace trovel {

enum class DesignerTool { Select, Line, Arc, Curve, Box, Goal, Checkpoint, Forbidden };

// Why an edit the user tried was refused, for the window to word.
enum class DesignRefusal { TooManyElements, NeedsGoal, TooManyCheckpoints };

class CourseDesignerView : public QWidget {
    Q_OBJECT
public:
    // Edits `design` in place; the window owns it and is told of every finished edit.
    explicit CourseDesignerView(CourseDesign& design, QWidget* parent = nullptr);

    void setTool(DesignerTool tool);
    DesignerTool tool() const { return m_tool; }
    void setSnap(const SnapRule& rule) { m_snap = rule; }
    // Width of the strokes drawn next.
    void setStrokeWidth(double width) { m_width = width; }
    // A picture under the strokes (fitted to the field), or none for white paper.
    void setBackground(const CoursePicture* background);
    // After the design was replaced or changed from outside (undo, the side panel, a file).
    void designReplaced();
    DesignHit selection() const { return m_selected; }
    void select(const DesignHit& hit);
    // Deletes what is selected; true when something was.
    bool deleteSelection();

    // Where the field is shown in the widget, and the conversions between widget and world.
    QRectF fieldRect() const;
    QPointF toWidget(DesignPoint p) const;
    DesignPoint toWorld(QPointF p) const;

    // The parts of a drag and the drawing they cause, apart from the mouse, for tests and the
    // benchmark: `press`, `dragTo` (returns the widget area that needs drawing again) and `release`.
    void press(QPointF at, Qt::KeyboardModifiers modifiers = {});
    QRect dragTo(QPointF at, Qt::KeyboardModifiers modifiers = {});
    void release(QPointF at, Qt::KeyboardModifiers modifiers = {});
    // Draws the area `area` of the widget into `painter` (the painter of the widget or of a test image).
    void paintArea(QPainter& painter, const QRect& area);
    // How many times the cached course picture was rebuilt (a drag must not rebuild it per move).
    int pictureBuilds() const { return m_builds; }

    QSize sizeHint() const override { return {720, 520}; }
    QSize minimumSizeHint() const override { return {360, 260}; }

signals:
    // A finished edit: the window records it for undo and shows what changed.
    void edited();
    void selectionChanged();
    // The pointer is over this world point (none: it left the field).
    void pointerMoved(std::optional<DesignPoint> at);
    void refused(DesignRefusal why);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Drag { None, Draw, Area, Move, Handle, Rotate };
    // Rebuilds the cached picture of every stroke but `skip` at the widget's scale.
    void rebuildPicture(int skip = -1);
    double slack() const;
    QRect widgetArea(const DesignBounds& b, double grow = 0) const;
    // The part of the widget that shows the selection, the dragged stroke or area, or the start.
    DesignBounds partBounds(const DesignHit& hit) const;
    DesignPoint snapped(QPointF at, Qt::KeyboardModifiers modifiers, int skip = -1) const;
    void drawElement(QPainter& p, const CourseElement& e) const;
    void drawOverlay(QPainter& p) const;

    CourseDesign& m_design;
    DesignerTool m_tool = DesignerTool::Select;
    SnapRule m_snap;
    double m_width = kDefaultLineWidth;
    const CoursePicture* m_background = nullptr;
    QImage m_picture;  // the strokes as the course picture shows them, at the widget's scale
    int m_pictureSkip = -1;
    int m_builds = 0;
    DesignHit m_selected;

    Drag m_drag = Drag::None;
    DesignHit m_dragged;
    DesignPoint m_from;                      // where the drag started (snapped for drawing)
    CourseDesign m_before;                   // the design as the drag found it
    std::optional<CourseElement> m_drawing;  // the stroke being drawn
    std::optional<CourseRect> m_area;        // the judging area being drawn
    DesignBounds m_shown;                    // what the last drag step drew, in world units
    bool m_moved = false;
};

}  // namespace trovel
