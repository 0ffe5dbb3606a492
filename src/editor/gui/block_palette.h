#pragma once
// The left pane: one button per block type the user may place, the live sensor values with their
// source, and the property panel of the current block below them.

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>

#include <array>
#include <cstdint>

#include "editor/gui/chart_style.h"
#include "editor/gui/property_panel.h"
#include "model/program.h"
#include "model/sensor_feed.h"

class QTimer;

namespace trovel {

class OptionFlags;
class ProgramArea;

struct PaletteButton {
    BlockType type;
    int x, y;        // top-left in palette content coordinates
    uint32_t needs;  // OptionFlags bit that shows the button; 0 = always shown
};

constexpr int kPaletteWidth = 272;
constexpr int kPaletteButtonWidth = 63;
constexpr int kPaletteButtonHeight = 36;
constexpr int kPaletteTimerMs = 500;
constexpr QPoint kPanelOrigin{22, 371};  // the property panel, in content coordinates

// The 14 buttons, types 3..16, in hit-test order.
const std::array<PaletteButton, 14>& paletteButtons();
bool paletteButtonVisible(const PaletteButton& button, uint32_t options);
// Type of the visible button under a client point (palette scrolled by `scroll`), 0 for none.
int paletteHitTest(int x, int y, int scroll, uint32_t options);
// Skin image number of a button: the RandomBranch, RepeatStart and Branch buttons have their own.
int paletteSkinImage(BlockType type);

class BlockPalette : public QAbstractScrollArea {
    Q_OBJECT
public:
    // `sensors`: the memory the sensor values come from (the robot's or the simulator's).
    BlockPalette(BlockProgram& program, const ChartStyle& style, OptionFlags& options, const SensorFeed& sensors,
                 QWidget* parent = nullptr);

    int paletteSelection() const { return m_selection; }
    // Sets the picked type (0 for none, else 3..16) and redraws the highlight.
    void setPaletteSelection(int type);

    // Names for the panels' operand lists (the program and the options stay the palette's).
    void setPanelHost(PanelHost host);
    // Replaces the panel by the one for the program's current block.
    void showPropertyPanel();
    PropertyPanel* propertyPanel() const { return m_panel; }

    // Lets the timer open the memory-map window again after the user closed it.
    void reopenMemoryMap() { m_memoryMapOpened = false; }
    // Whether the memory-map window is on screen, as its owner tells: the timer asks for it to
    // open or close by the ShowMemoryMap option.
    void setMemoryMapOpen(bool open) { m_memoryMapOpen = open; }

    // One tick of the 500 ms timer; true when it found a reason to redraw.
    bool timerTick();
    int scrollPosition() const;
    // The palette as it is drawn now (the paint copies this image to the screen).
    QImage render() const;

signals:
    // The user picked a button (type) or clicked beside every button (0).
    void paletteSelectionChanged(int type);
    // The timer found new main sensor values or a change of connection: the status label follows.
    void sensorsChanged();
    // A button is being dragged out of the palette (global pointer position), and where it was let go.
    void blockDragged(int type, const QPoint& globalPos);
    void blockDropped(int type, const QPoint& globalPos);
    // The property panel accepted a change of its block: one undo step, before chartChanged.
    void panelEdited();
    // The property panel changed its block: the program area repaints it.
    void chartChanged();
    // ShowMemoryMap is on and the memory-map window is not open: its owner opens it and says so
    // through setMemoryMapOpen. Asked once, until reopenMemoryMap, unless the window did not open.
    void memoryMapOpenRequested();
    // ShowMemoryMap is off while the memory-map window is open.
    void memoryMapCloseRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    void updateScrollRange();
    void placePanel();

    BlockProgram& m_program;
    ChartStyle m_style;
    OptionFlags& m_options;
    const SensorFeed& m_sensors;
    PanelHost m_host;
    PropertyPanel* m_panel = nullptr;
    QTimer* m_timer = nullptr;
    int m_selection = 0;
    QPoint m_lastMouse{-1, -1};
    int m_pressedType = 0;  // the button the left button went down on, 0 for none
    QPoint m_pressedAt;
    bool m_dragging = false;  // that button is being dragged to the chart
    MemoryImage m_previousMemory{};
    bool m_previousConnected = false;
    bool m_memoryMapOpen = false;    // the memory-map window is on screen
    bool m_memoryMapOpened = false;  // opened since the last reopenMemoryMap
};

// Wires a palette to the program area: a picked type is placed by the area's next click or where a
// dragged button is dropped, the area clears the pick after placing, and a placed or clicked block
// gets its property panel.
void connectPaletteToArea(BlockPalette* palette, ProgramArea* area);

}  // namespace trovel
