#pragma once
// The simulator's frame: menu, toolbar, the view and the 16 ms tick that runs the one program on
// the chosen course. One window at a time; it reads the editor's program in place.

#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QMessageBox>
#include <QElapsedTimer>
#include <QTimer>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "model/program.h"

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;

namespace trovel {

class OptionFlags;
class SimTextures;
struct Simulator;
struct DrawList;
struct CourseLayerCache;
class SimSound;
class SimView;
class SensorPlotWindow;

// Command ids of the simulator's menu and toolbar.
namespace SimCommand {
constexpr int ZoomIn2 = 40071;
constexpr int ZoomOut = 40072;
constexpr int Play = 40076;
constexpr int Stop = 40077;
constexpr int ZoomIn4 = 40094;
constexpr int Pause = 40096;
constexpr int FirstCourse = 40097;  // course i is FirstCourse + i
constexpr int Records = 40113;
constexpr int NormalSpeed = 40205;
constexpr int Slow = 40206;
constexpr int Slower = 40207;
constexpr int SensorPlot = 40290;  // opens the sensor plot window
}  // namespace SimCommand

constexpr int kSimTickMs = 16;
// Height the frame adds to the drawing area for its menu and toolbar.
constexpr int kSimChromeHeight = 74;

// Which border the user drags.
enum class SizingEdge { Left, Right, Top, Bottom, Corner };
// The frame rectangle (left, top, right, bottom) after a drag keeps the drawing area at 7 : 5:
// dragging the top or bottom edge makes the width follow, any other edge or corner the height.
std::array<int, 4> keepDrawingAspect(std::array<int, 4> rect, SizingEdge edge, int chrome = kSimChromeHeight);

// What the simulator needs of the studio around it.
struct SimulatorHooks {
    std::function<void(ActionBlock*)> setCurrentBlock;  // shows the running block in the editor
    std::function<void()> redrawChart;                  // full redraw of the program area
    std::function<std::array<uint8_t, 2>()> gains;      // simulator motor gains [left, right]
    std::function<void()> closed;                       // after shutdown: the palette redraws
    std::filesystem::path recordsDir;                   // where record.dat is kept; empty: the courses' folder
};

class SimulatorWindow : public QMainWindow {
    Q_OBJECT
public:
    SimulatorWindow(BlockProgram& program, OptionFlags& options, std::filesystem::path appDir,
                    SimulatorHooks hooks = {}, QWidget* parent = nullptr);
    ~SimulatorWindow() override;

    // Ends a run before the program is replaced, so no block in use can disappear.
    void stopRun();
    // Ends the run only when it is running one of these blocks or about to run one.
    void stopRunIfItHolds(const std::vector<const ActionBlock*>& blocks);
    // One 16 ms tick: the frame step, drawing, sounds. Skipped while a question or dialog is open.
    void tick();
    // The timer drives tick() 16 ms after the start of the previous tick; tests step by hand instead.
    void setTicking(bool on);
    bool ticking() const { return m_ticking; }

    QAction* actionById(int id) const { return m_actions.value(id, nullptr); }
    QToolBar* toolBar() const { return m_toolBar; }
    SimView* view() const { return m_view; }
    const QImage& frame() const { return m_frame; }
    const Simulator& simulator() const { return *m_sim; }
    bool coursesLoaded() const { return m_loaded; }
    int soundsRequested() const { return m_soundsRequested; }
    // Draws the current state into the back buffer without stepping.
    void redraw();
    // Frames drawn so far: a stopped simulator draws none after its first.
    int framesDrawn() const { return m_framesDrawn; }
    // The sensor plot, made the first time it is asked for; null before.
    SensorPlotWindow* sensorPlot() const { return m_plot.get(); }

    // No menu to hide the toolbar: it would stay hidden for the rest of the session.
    QMenu* createPopupMenu() override { return nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void step();
    void loadCourses();
    void buildMenus();
    void buildToolBar();
    QAction* addCommand(QMenu* menu, int id, const QString& text, QActionGroup* group = nullptr);
    void runCommand(int id);
    void dispatch(int id);
    void play();
    void chooseCourse(int course);
    void showRecords();
    void showSensorPlot();
    void updateTitle();
    void playSounds();
    void publishMemory();
    QMessageBox::StandardButton ask(const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons);
    void shutdown();

    BlockProgram& m_program;
    OptionFlags& m_options;
    std::filesystem::path m_appDir;
    SimulatorHooks m_hooks;
    std::unique_ptr<Simulator> m_sim;  // not a plain member: this header stays free of the core
    std::unique_ptr<SimTextures> m_textures;
    QImage m_frame;
    // What the frame shows: a tick that queues the same picture draws nothing.
    std::unique_ptr<DrawList> m_drawn;
    std::unique_ptr<CourseLayerCache> m_courseLayer;
    std::array<float, 3> m_drawnCamera{};  // x, y, zoom
    int m_framesDrawn = 0;
    QTimer m_timer;              // single shot, re-armed by every tick
    QElapsedTimer m_tickStart;   // since the start of the last tick
    bool m_ticking = false;
    SimView* m_view = nullptr;
    QToolBar* m_toolBar = nullptr;
    SimSound* m_sound = nullptr;
    QMenu* m_courseMenu = nullptr;
    QHash<int, QAction*> m_actions;
    bool m_loaded = false;
    bool m_shutDown = false;
    int m_modal = 0;             // questions and dialogs open: no ticks meanwhile
    bool m_resizing = false;
    int m_soundsRequested = 0;
    // What the palette and the memory map read through the link state while the simulator is open.
    mutable std::mutex m_memoryMutex;
    std::array<uint8_t, 32> m_published{};
    std::unique_ptr<SensorPlotWindow> m_plot;  // after m_sim: goes first, and stops recording into it
};

// Opens the one simulator window, or raises it when it is open already.
SimulatorWindow* openSimulator(BlockProgram& program, OptionFlags& options, const std::filesystem::path& appDir,
                               SimulatorHooks hooks = {});
// The open simulator window, or null.
SimulatorWindow* simulatorWindow();
// Asks the open simulator to close; does not wait.
void closeSimulator();

}  // namespace trovel
