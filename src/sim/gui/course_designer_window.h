#pragma once
// The course designer: a teacher draws a course (strokes, start, goal, checkpoints, forbidden area,
// judging rules, names), sees what the floor sensors would read, saves it as a course file,
// installs it among the user's courses, prints it, and tries the open program on it.

#include <QHash>
#include <QMainWindow>
#include <QMessageBox>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>

#include "base/gui/user_question.h"
#include "base/string_ids.h"
#include "sim/course_design_edit.h"
#include "sim/course_picture.h"
#include "sim/gui/course_designer_view.h"

class QAction;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;

namespace trovel {

// Command ids of the designer's menus: the number of each one's text.
namespace DesignerCommand {
constexpr int New = Str::DesignerNew;
constexpr int Open = Str::DesignerOpen;
constexpr int ImportPicture = Str::DesignerImportPicture;
constexpr int Save = Str::DesignerSave;
constexpr int SaveAs = Str::DesignerSaveAs;
constexpr int Install = Str::DesignerInstall;
constexpr int Try = Str::DesignerTry;
constexpr int Print = Str::DesignerPrint;
constexpr int Close = Str::DesignerClose;
constexpr int Undo = Str::DesignerUndo;
constexpr int Redo = Str::DesignerRedo;
constexpr int Delete = Str::DesignerDelete;
constexpr int RemovePicture = Str::DesignerRemovePicture;
}  // namespace DesignerCommand

struct CourseDesignerSetup {
    std::filesystem::path appDir;   // texture.ini and the shipped courses
    std::filesystem::path userDir;  // where the user's own courses are installed (the simulator's records folder)
    Asker asker;                    // questions and messages; empty: message boxes
    // The file to open (save = false) or to save to; empty cancels. Empty: the file dialogs.
    std::function<QString(bool save, const QString& title, const QString& filter)> chooseFile;
};

class CourseDesignerWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit CourseDesignerWindow(CourseDesignerSetup setup, QWidget* parent = nullptr);
    ~CourseDesignerWindow() override;

    const CourseDesign& design() const { return m_design; }
    CourseDesignerView* view() const { return m_view; }
    QAction* actionById(int id) const { return m_actions.value(id, nullptr); }
    void setAsker(Asker asker) { m_setup.asker = std::move(asker); }
    void setFileChooser(decltype(CourseDesignerSetup::chooseFile) chooser) { m_setup.chooseFile = std::move(chooser); }
    bool modified() const { return m_design != m_saved; }
    const std::filesystem::path& filePath() const { return m_path; }

    // A new blank field; a course file; installed course `course` (its picture under the design);
    // a picture as the background of the design. False (with a message) when it could not be read.
    void newDesign();
    bool openFile(const std::filesystem::path& path);
    bool startFromCourse(int course);
    bool importPicture(const std::filesystem::path& path);
    // Saves to the file (asking for one when the design has none). False when not saved.
    bool save();
    bool saveAs();
    // Installs the design among the user's courses (asking to save it first when it has no file);
    // the course's number in the simulator's course menu, or -1 when it was not installed.
    int install(bool tryIt);
    void print();
    // What the floor points read with the robot at the start pose, or at `at` turned the same way.
    std::array<uint8_t, 5> sensorsAt(std::optional<DesignPoint> at = std::nullopt) const;

signals:
    // A course is about to be installed: the simulator saves its records first, as installing a
    // changed course over an installed one drops that course's record.
    void installing();
    // The design was installed as course `course`: the simulator reloads its courses; with
    // `tryIt` it opens on that course and runs the open program.
    void courseInstalled(int course, bool tryIt);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildToolBar();
    QWidget* buildPanel();
    // The status line says how the chosen tool is used.
    void showToolHint(DesignerTool tool);
    QAction* addCommand(int id, const QString& text);
    void runCommand(int id);
    // After an edit of the view or the panel: one undo step, the floor picture, the title.
    void afterEdit();
    // After the whole design was replaced (undo, redo, a file).
    void afterReplace();
    // The background shown and drawn is the picture the design names (undo may have changed it).
    void syncBackground();
    void updatePanel();
    void updateFloor();
    void updateSensors();
    void updateTitle();
    void updateActions();
    void panelEdited();
    bool writeTo(const std::filesystem::path& path);
    // The design as the course file holds it: its picture named relative to `folder`.
    CourseDesign fileDesign(const std::filesystem::path& folder) const;
    // False (after saying why) when the course file reader would refuse the design.
    bool checkDesign();
    float robotHalf() const;
    QString displayName() const;
    void fillCourseMenu();
    QMessageBox::StandardButton ask(const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons);
    // `suffix`: a new file is offered under the course's name with it.
    QString chooseFile(bool save, const QString& title, const QString& filter, const QString& suffix = {});

    CourseDesignerSetup m_setup;
    CourseDesign m_design;  // its picture, while edited, names the file as it is found (absolute)
    CourseDesign m_saved;   // as last saved or opened: the design differs when modified
    DesignHistory m_history;
    std::filesystem::path m_path;               // the course file; empty for a new design
    std::optional<CoursePicture> m_background;  // the picture the design names, fitted to the field
    std::u16string m_backgroundFile;            // the file m_background was read from
    CoursePicture m_floor;                      // the course picture the simulator would get
    std::optional<DesignPoint> m_pointer;
    CourseDesignerView* m_view = nullptr;
    QLabel* m_hint = nullptr;  // the status line
    QMenu* m_courseMenu = nullptr;
    QHash<int, QAction*> m_actions;
    QLineEdit* m_nameJa = nullptr;
    QLineEdit* m_nameEn = nullptr;
    QDoubleSpinBox* m_startX = nullptr;
    QDoubleSpinBox* m_startY = nullptr;
    QDoubleSpinBox* m_heading = nullptr;
    QCheckBox* m_fixed = nullptr;
    QCheckBox* m_fixedPaused = nullptr;
    QCheckBox* m_returnToStart = nullptr;
    QCheckBox* m_timed = nullptr;
    QCheckBox* m_stopInGoal = nullptr;
    QCheckBox* m_offLine = nullptr;
    QSpinBox* m_threshold = nullptr;
    QSpinBox* m_ticks = nullptr;
    QCheckBox* m_sensorRule = nullptr;
    QDoubleSpinBox* m_width = nullptr;
    QCheckBox* m_snap = nullptr;
    QLabel* m_sensorsStart = nullptr;
    QLabel* m_sensorsPointer = nullptr;
    bool m_updating = false;  // the panel is being filled from the design: no edits back
};

}  // namespace trovel
