#pragma once
// The simulator's frame: menu, toolbar, the view and the 16 ms tick that runs the one program on
// the chosen course. The main window owns the one window; each 再生 runs a snapshot of the editor's
// program, so the editor may go on editing while it runs.

#include <QImage>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "model/memory_map.h"
#include "base/gui/user_question.h"
#include "base/resource_library.h"
#include "model/program.h"
#include "model/repeat_check.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QToolBar;

namespace trovel {

class OptionFlags;
class SimTextures;
struct Simulator;
struct SimViewState;
struct LapRecords;
struct TickEvents;
struct DrawList;
enum class SimSpeed : uint8_t;
struct CourseLayerCache;
class SimSound;
class SimView;
class SensorPlotWindow;
struct SensorTrace;

// The simulator's commands, as its menus and toolbar name them; each course has an item of its own.
enum class SimCommand {
    Play,
    Stop,
    Pause,
    StepTick,   // 1ステップ
    StepBlock,  // 1ブロック
    ZoomOut,
    ZoomIn2,
    ZoomIn4,
    NormalSpeed,
    Slow,
    Slower,
    Double,   // x2
    Five,     // x5
    Ten,      // x10
    Fastest,  // 最高速
    Records,
    SensorPlot,  // opens the sensor plot window
    ShowPath,
    ShowGhost,
};

constexpr int kSimTickMs = 16;
// A stopped simulator unchanged for this many ticks (about a second) looks again only this often.
constexpr int kStillTicksBeforeRest = 60;
// A running frame is drawn when the time since the last one is at least this many times what drawing
// it cost (the view's copy to the screen costs about as much again).
constexpr int kDrawCostShare = 40;
constexpr int kRestingTickMs = 200;
// Height the frame adds to the drawing area for its menu and toolbar.
constexpr int kSimChromeHeight = 74;

// Which border the user drags.
enum class SizingEdge { Left, Right, Top, Bottom, Corner };
// The frame rectangle (left, top, right, bottom) after a drag keeps the drawing area at 7 : 5:
// dragging the top or bottom edge makes the width follow, any other edge or corner the height.
std::array<int, 4> keepDrawingAspect(std::array<int, 4> rect, SizingEdge edge, int chrome = kSimChromeHeight);

// How time passes for the window's ticks. The window reads the steady clock and arms a precise
// single-shot timer; a test hands in a clock of its own and runs each armed tick when its time has
// come, so it counts ticks exactly, however loaded the machine is.
struct SimTickClock {
    std::function<std::chrono::nanoseconds()> now;  // monotonic; empty = the steady clock
    // The next tick() is due `ms` from now, replacing the one armed before; negative: none is.
    // Empty = the window's own timer.
    std::function<void(int ms)> arm;
};

// What the simulator needs of the studio around it; what it tells the studio goes out as signals.
struct SimulatorHooks {
    std::filesystem::path recordsDir;             // where record.dat is kept; empty: the courses' folder
    std::optional<std::array<uint8_t, 2>> gains;  // motor gains [left, right]; none: the simulator's own
    ResourceChoice resources;                     // the language pack, whose own message strip comes first
    Asker asker;                                  // questions, from the start on; empty: message boxes
    SimTickClock clock;                           // the ticks' time; empty: the machine's
};

class SimulatorWindow : public QMainWindow {
    Q_OBJECT
public:
    SimulatorWindow(BlockProgram& program, OptionFlags& options, std::filesystem::path appDir,
                    SimulatorHooks hooks = {}, QWidget* parent = nullptr);
    ~SimulatorWindow() override;

    // New motor gains [left, right] 0..255, used from the next tick.
    void setGains(std::array<uint8_t, 2> gains);
    // The memory as of the last tick or command, for the palette and the memory map.
    MemoryImage publishedMemory() const;
    // Questions go to `asker` instead of a message box (tests answer in the user's place).
    void setAsker(Asker asker) { m_asker = std::move(asker); }

    // Ends a run before the program is replaced; the run's blocks are no longer the editor's.
    void stopRun();
    // Saves this session's best times and ghosts now: before a course is installed over one of the
    // user's, whose changed course then drops its old record.
    void saveRecordsNow();
    // Ends a run and reads the courses again (after a course was installed), keeping the chosen
    // course when it is still there; this session's best times are saved first so that none is
    // lost. While a question or dialog of the simulator is open, this happens once it is closed.
    void reloadCourses();
    // After an edit of the program: the run goes on with its snapshot, unless the edit removed the
    // block it is running or the one it runs next. Blocks the edit removed are forgotten, and the
    // editor's breakpoints reach the run.
    void programEdited();
    // One 16 ms tick: the frame step, drawing, sounds. Skipped while a question or dialog is open.
    void tick();
    // The timer drives tick() 16 ms after the start of the previous tick; tests step by hand or
    // through their own clock instead.
    void setTicking(bool on);
    bool ticking() const { return m_ticking; }
    // Stopped and unchanged long enough to tick at the resting rate.
    bool resting() const { return m_stillTicks > kStillTicksBeforeRest; }

    QAction* actionById(SimCommand id) const {
        const auto found = m_actions.find(id);
        return found == m_actions.end() ? nullptr : found->second;
    }
    // The course menu's item of course `course`; null when there is no such course.
    QAction* courseAction(int course) const {
        return course >= 0 && size_t(course) < m_courseActions.size() ? m_courseActions[size_t(course)] : nullptr;
    }
    QToolBar* toolBar() const { return m_toolBar; }
    SimView* view() const { return m_view; }
    // The last frame drawn, whole (a zoomed-in frame leaves the course to the view until asked).
    const QImage& frame();
    const Simulator& simulator() const { return *m_sim; }
    // What is shown beside the world (camera, path and ghost choices, the robot held, banners).
    const SimViewState& viewState() const { return *m_shown; }
    // The courses' best times and ghosts, saved when the window closes.
    const LapRecords& lapRecords() const { return *m_records; }
    bool coursesLoaded() const { return m_loaded; }
    int soundsRequested() const { return m_soundsRequested; }
    // Draws the current state into the back buffer without stepping.
    void redraw();
    // Frames drawn so far: a stopped simulator draws none after its first.
    int framesDrawn() const { return m_framesDrawn; }
    // Ticks the last frame ran: 1 up to normal speed, more when fast.
    int lastFrameTicks() const { return m_lastFrameTicks; }
    SimSpeed speed() const { return m_speed; }
    // The texts of the status bar: why the run is paused or why it is not timed, and the speed.
    QString statusText() const;
    QString speedText() const;
    // The sensor plot, made the first time it is asked for; null before.
    SensorPlotWindow* sensorPlot() const { return m_plot.get(); }

    // No menu to hide the toolbar: it would stay hidden for the rest of the session.
    QMenu* createPopupMenu() override { return nullptr; }

signals:
    // A tick begins its step (not while a question or dialog is open).
    void stepping();
    // The run reached this block of the editor's program: the editor makes it current.
    void runningBlockChanged(ActionBlock* block);
    // 再生 ran the repeat check: the editor marks the check's path and redraws, before any question.
    void repeatChecked(const RepeatCheck& check);
    // After shutdown: the records are saved and SimulatorOpen is cleared.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The frame's ticks (unless `advance` is off: a step command ran them), then the frame if it changed.
    void step(bool advance);
    // Back to the full tick rate at once: something may change what the simulator shows.
    void wake();
    void redrawIfChanged();
    void draw(DrawList frame);
    void loadCourses();
    void buildMenus();
    void buildToolBar();
    QAction* addCommand(QMenu* menu, SimCommand id, const QString& text, QActionGroup* group = nullptr);
    // Where record.dat, the ghosts and the user's own courses are kept.
    std::filesystem::path recordsDir() const;
    void runCommand(SimCommand id);
    void dispatch(SimCommand id);
    void play();
    void setSpeed(SimSpeed speed);
    void runFrameTicks();
    // What a tick reported reaches the records, the view, the sensor plot and the editor.
    void afterTick(const TickEvents& events);
    void showHighlight(int block);
    void updateStatus();
    void chooseCourse(int course);
    void showRecords();
    void showSensorPlot();
    void updateTitle();
    void playSounds();
    void publishMemory();
    QMessageBox::StandardButton ask(const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons);
    void shutdown();
    std::chrono::nanoseconds now() const;
    // The next tick `ms` from now; negative: no tick until armed again.
    void armTick(int ms);

    BlockProgram& m_program;
    OptionFlags& m_options;
    std::filesystem::path m_appDir;
    SimulatorHooks m_hooks;
    Asker m_asker;
    std::unique_ptr<Simulator> m_sim;  // not a plain member: this header stays free of the core
    std::unique_ptr<SimViewState> m_shown;
    std::unique_ptr<LapRecords> m_records;
    std::unique_ptr<SimTextures> m_textures;
    QImage m_frame;
    // What the frame shows: a tick that queues the same picture draws nothing.
    std::unique_ptr<DrawList> m_drawn;
    std::unique_ptr<CourseLayerCache> m_courseLayer;
    std::unique_ptr<SensorTrace> m_trace;  // every run from its 再生, for the sensor plot
    std::array<float, 3> m_drawnCamera{};  // x, y, zoom
    int m_framesDrawn = 0;
    std::chrono::nanoseconds m_drawCost{0};  // what drawing a frame has cost lately, on the window's clock
    std::chrono::nanoseconds m_lastDrawAt{0};
    bool m_frameSkipped = false;             // the last tick's new frame was left for this one
    QTimer m_timer;                          // single shot, re-armed by every tick (unless the hooks bring a clock)
    std::chrono::nanoseconds m_tickStart{};  // when the last tick started
    bool m_ticking = false;
    SimView* m_view = nullptr;
    QToolBar* m_toolBar = nullptr;
    SimSound* m_sound = nullptr;
    QMenu* m_courseMenu = nullptr;
    QLabel* m_statusLabel = nullptr;
    QLabel* m_speedLabel = nullptr;
    SimSpeed m_speed;
    int m_lastFrameTicks = 0;
    bool m_frameChanged = false;                            // the last step drew a new frame
    int m_stillTicks = 0;                                   // steps in a row that found the stopped simulator unchanged
    int m_fastestShown = 0;                                 // ticks per frame 最高速 reached, as shown
    std::pair<SimSpeed, int> m_speedShown{SimSpeed{}, -1};  // what the speed label was made from
    // Fast frames run many blocks: only the last one reaches the editor, once per frame.
    bool m_batching = false;
    int m_batchHighlight = -1;  // snapshot index, -1 none
    // The editor's block behind each block of the run's snapshot, null once an edit removed it.
    std::vector<ActionBlock*> m_runSources;
    std::map<SimCommand, QAction*> m_actions;
    std::vector<QAction*> m_courseActions;  // course i at i
    bool m_loaded = false;
    bool m_shutDown = false;
    int m_modal = 0;  // questions and dialogs open: no ticks meanwhile
    bool m_resizing = false;
    int m_soundsRequested = 0;
    // What the palette and the memory map read through the link state while the simulator is open.
    mutable std::mutex m_memoryMutex;
    MemoryImage m_published{};
    std::unique_ptr<SensorPlotWindow> m_plot;  // last: goes first, before the trace it shows
};

}  // namespace trovel
