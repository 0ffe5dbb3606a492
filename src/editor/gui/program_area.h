#pragma once
// The canvas on which the flowchart is built: draws the one program and turns mouse work into
// edits (select, rubber band, move on the grid, place from the palette, reconnect, bend).

#include <QAbstractScrollArea>
#include <QAction>
#include <QImage>
#include <QPoint>
#include <QRegion>

#include <utility>
#include <vector>

#include "editor/geometry.h"
#include "editor/gui/chart_drawing.h"
#include "editor/gui/chart_style.h"
#include "editor/routing.h"
#include "model/program.h"

class QPainter;

namespace trovel {

class OptionFlags;

// What the left button is doing.
namespace DragMode {
constexpr int Idle = 0;
constexpr int Band = 2;
constexpr int Move = 4;
constexpr int Bend0 = 9;
constexpr int Bend1 = 10;
constexpr int End0 = 11;
constexpr int End1 = 12;
}  // namespace DragMode

constexpr int kBackBufferSide = 2048;
constexpr int kScrollLine = 16;

class ProgramArea : public QAbstractScrollArea {
    Q_OBJECT
public:
    ProgramArea(BlockProgram& program, const ChartStyle& style, OptionFlags& options, QWidget* parent = nullptr);

    // The block type picked in the palette (3..16), 0 for none. The next left click places it.
    int paletteSelection() const { return m_paletteSelection; }
    void setPaletteSelection(int type);

    // The next paint repaints background, grid and every block.
    void requestFullRedraw() { m_fullRedraw = true; }
    // A full redraw, asked for now.
    void repaintAll();
    // Makes `block` the program's current block and repaints the chart.
    void setCurrentBlock(ActionBlock* block);
    Rect contentExtent() const { return m_extent.content; }
    int dragMode() const { return m_dragMode; }
    QPoint scrollPosition() const;
    // Draws the chart into the back buffer now, as a paint would, and returns it.
    const QImage& redrawBackBuffer();
    const QImage& backBuffer() const { return m_buffer; }
    const ChartStyle& style() const { return m_style; }
    // A block dragged from the palette (global pointer position): while the pointer is over the
    // chart it shows where the block would land; dropped there, the block is placed as a click
    // would place it. Dropped anywhere else, nothing is placed. Either way the pick is cleared.
    void dragFromPalette(int type, const QPoint& globalPos);
    void dropFromPalette(int type, const QPoint& globalPos);
    // The blocks the drag being shown would place, in content coordinates; empty when none.
    const std::vector<ActionBlock>& placementShown() const { return m_preview; }
    // "ここで止める" (F9): sets or clears the simulator's breakpoint on the selected blocks. Breakpoints
    // live in the open program only and are drawn as a red dot on the block.
    QAction* breakpointAction() const { return m_breakpointAction; }
    void toggleBreakpoint();

signals:
    // An edit is finished: the owner records an undo step.
    void editFinished();
    // currentBlock changed: the owner shows its property panel.
    void propertyPanelRequested();
    void paletteSelectionChanged(int type);
    void blockMenuRequested(const QPoint& globalPos);
    // A block could not be placed (the repeat limit); the owner shows the warning.
    void placementRefused();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    void leftButtonDown(QPoint p, bool controlOnly);
    void rightButtonDown(QPoint p, const QPoint& globalPos);
    void placeBlock(int type, Point q);
    void drawPreview(QPainter& painter);
    // Returns where the current block's brackets moved (client coordinates), drawn again there.
    QRegion drawInto(QImage& buffer);
    QRect bracketArea() const;
    void updateScrollBars();
    void edited();
    Point content(QPoint client) const;

    BlockProgram& m_program;
    ChartStyle m_style;
    ChartDrawCache m_drawCache;  // marks and labels laid out by earlier paints
    OptionFlags& m_options;
    int m_paletteSelection = 0;
    bool m_fullRedraw = true;
    bool m_painting = false;
    // Where the current block's brackets are drawn (content coordinates): the simulator moves them
    // many times a second, and only there does the chart change.
    QRect m_bracketsShown;

    int m_dragMode = DragMode::Idle;
    QPoint m_dragOrigin;  // client point for a move, content point for a band
    int m_dragBlockIndex = -1;
    RouteCode m_dragRoute = RouteCode::Overlap;
    std::pair<int, int> m_bendOrigin{0, 0};
    QPoint m_lastMouse{-1, -1};

    std::vector<ActionBlock> m_preview;  // where a block dragged from the palette would land

    QImage m_buffer;
    ChartExtent m_extent;
    QAction* m_breakpointAction = nullptr;
};

}  // namespace trovel
