#pragma once
// The studio's frame: owns the one program, the menu, the toolbar and the two panes, and runs
// every menu and toolbar command.

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/gui/studio_command.h"
#include "base/gui/user_question.h"
#include "base/string_ids.h"
#include "editor/gui/chart_style.h"
#include "model/program.h"
#include "model/sensor_feed.h"
#include "robot/hid_device.h"
#include "robot/link_state.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;

namespace trovel {

class BlockPalette;
class CourseDesignerWindow;
class HidLink;
class OptionFlags;
class ProgramArea;
class SimulatorWindow;
class UndoHistory;
struct AppConfig;
struct Clipboard;
struct StudioContext;

// How long the chart may lag behind the block the simulator runs.
constexpr int kChartFollowMs = 100;

// Everything the window is built from; the start-up makes it once.
struct MainWindowSetup {
    explicit MainWindowSetup(StudioContext& studio) : context(studio) {}

    StudioContext& context;  // the option word, the settings read at start-up, the folders; outlives the window
    ChartStyle style;
    QFont statusFont;
    int statusLabelWidth = 96;
    QString appDir;               // the application folder: courses, firmware dialog
    QString userDir;              // where lap records are written; appDir when empty
    QString programDir;           // where the program and picture dialogs start; the documents folder when empty
    QString pendingPath;          // program to open when the window is first shown
    bool startRobotLink = false;  // poll for the robot (the studio does; widget tests do not)
    RobotUsbId robotUsb;          // robot.ini or --robot-usb
    bool startSimulator = false;  // open the simulator when the window is first shown
    int startCourse = -1;         // and choose this course (-1: the simulator's own choice)
    bool startPlaying = false;    // and run the program loaded from the command line
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowSetup setup, QWidget* parent = nullptr);
    ~MainWindow() override;
    HidLink& robotLink() { return *m_link; }

    BlockProgram& program() { return m_program; }
    ProgramArea* programArea() const { return m_area; }
    QWidget* leftPane() const;
    BlockPalette* palette() const { return m_palette; }
    QToolBar* toolBar() const { return m_toolBar; }
    QLabel* statusLabel() const { return m_statusLabel; }
    // The simulator window while it is open, else null.
    SimulatorWindow* simulatorWindow() const;
    // The course designer while it is open, else null.
    CourseDesignerWindow* courseDesigner() const;
    // What the palette and the memory map show: the robot's memory or the open simulator's.
    const SensorFeed& sensorFeed() const { return m_sensors; }
    // The action that carries a command id, or null.
    QAction* actionById(Command id) const {
        const auto found = m_actions.find(id);
        return found == m_actions.end() ? nullptr : found->second;
    }
    bool canUndo() const;
    // No menu to hide the toolbar and its link status: it would stay hidden for the session.
    QMenu* createPopupMenu() override { return nullptr; }
    bool canRedo() const;

    // "<app> [ <file> ]", or the new-program text; view mode appended. Removes the edit marker.
    void setTitle();
    // One finished edit: history step, modified marker, menu states.
    void recordUndoStep();
    // A finished drag or click on the program area: a step only when it changed the program.
    void recordCanvasEdit();
    // Yes, No or Cancel; Yes at once when nothing is modified. Cancel when a Yes-save failed.
    QMessageBox::StandardButton confirmDiscard();
    // Loads without a dialog; shows the failure message and keeps the program on failure.
    bool openProgramFile(const QString& path);
    bool saveToFile(const QString& path);

    // Where a file dialog starts: the open program's folder (its file, to save), else the last
    // folder used, else the programs folder, else the documents folder; never the application folder.
    QString fileDialogStart(bool save) const;
    // Asks for a file to open (save = false) or to save to; an empty answer cancels. The default
    // shows the file dialogs; tests answer in their place.
    using FileChooser = std::function<QString(bool save, const QString& title)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Questions and messages go to `asker` instead of a message box; tests answer in its place.
    void setAsker(Asker asker) { m_asker = std::move(asker); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keys reach the property panel only while the pointer is over the left pane.
    bool pointerOverLeftPane() const;
    void buildActions();
    void buildMenus();
    void buildToolBar();
    void buildPanes();
    void connectPanes();
    void startRobotLink();
    QAction* addCommand(Command id, const QString& text);
    void runCommand(Command id);
    void updateMenuStates();
    void updateUndoState();
    void resetHistory();
    void afterProgramReplaced();
    void applyEditResult(bool titleNeedsMark);
    void appendEditMark();

    void commandNew();
    void commandOpen();
    bool commandSave();
    bool commandSaveAs();
    void commandUndoRedo(bool undo);
    void showBlockMenu(const QPoint& globalPos);
    void commandScreenshot();
    void commandPrintProgram();
    void commandPrintCourse();
    // The PDF to write, through the file chooser; empty when cancelled.
    QString choosePdfPath(const QString& title, const QString& suggestedName);
    void commandOptions();
    // Opens the teacher's guide or the examples folder with the desktop's own program.
    void openHelpDocument(std::string_view name);
    void commandSimulator();
    void commandCourseDesigner();
    // A course the designer installed: the open simulator lists it; to try it, the simulator opens
    // on it and runs the program.
    void courseInstalled(int course, bool tryIt);
    void commandMotorSettings(bool simulator);
    void commandWriteProgram();
    void commandReadProgram();
    void commandFirmwareUpdate();
    void openMemoryMap();
    // Before the program is replaced (New, Open, Read, Undo, Redo): a simulated run stops.
    void stopSimulation();
    // After an edit: a simulated run goes on with its snapshot unless the edit removed the block it
    // runs or the one it runs next.
    void simulationFollowEdit();
    // The panel of the current block, after anything that may have replaced or changed it.
    void refreshPropertyPanel();

    QString runFileDialog(bool save, const QString& title);
    QMessageBox::StandardButton ask(const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons);

    BlockProgram m_program;
    MainWindowSetup m_setup;
    OptionFlags& m_options;
    AppConfig& m_config;
    LinkState m_linkState;  // what the link thread shares with the window: memory copy, status
    SensorFeed m_sensors;
    std::unique_ptr<UndoHistory> m_history;
    std::unique_ptr<Clipboard> m_clipboard;
    ProgramArea* m_area = nullptr;
    BlockPalette* m_palette = nullptr;
    std::unique_ptr<HidLink> m_link;
    QPointer<SimulatorWindow> m_simulator;      // deleted on close, or with this window
    QPointer<CourseDesignerWindow> m_designer;  // deleted on close, or with this window
    QPointer<QWidget> m_memoryMap;
    std::unique_ptr<struct MemoryMapPlacement> m_memoryMapPlacement;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_statusLabel = nullptr;
    QTimer* m_chartFollow = nullptr;  // redraws the chart after the simulator moved the current block
    std::map<Command, QAction*> m_actions;
    FileChooser m_chooseFile;
    QString m_lastDir;         // the folder of the last program opened or saved
    QString m_lastScreenshot;  // the picture's name chosen last, offered again
    Asker m_asker;
    bool m_shown = false;
    bool m_memoryMapClosedByMinimize = false;
};

}  // namespace trovel
