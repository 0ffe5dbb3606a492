#include "sim/gui/course_designer_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QMenuBar>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

#include "base/app_folder.h"
#include "base/picture_file.h"
#include "base/gui/ui_text.h"
#include "base/gui/user_folders.h"
#include "base/gui/window_frame.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "model/atomic_file.h"
#include "model/text_convert.h"
#include "sim/course_config.h"
#include "sim/course_install.h"
#include "sim/course_raster.h"
#include "sim/gui/course_print_dialog.h"
#include "sim/gui/sim_text.h"
#include "sim/sim_robot.h"
#include "sim/sim_world.h"

namespace trovel {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kPanelWidth = 270;

std::filesystem::path toPath(const QString& path) { return pathFromText(path.toStdU16String()); }
QString fromPath(const std::filesystem::path& path) { return QDir::toNativeSeparators(toQString(pathText(path))); }

QString sensorText(const std::array<uint8_t, 5>& values) {
    QStringList words;
    for (uint8_t v : values) words << QString::number(v);
    return words.join(QStringLiteral(" "));
}

// A new course: a name to change (in the name field of the language in use), the start on the
// left facing right.
CourseDesign blankDesign() {
    CourseDesign d;
    (stringPackInUse() ? d.nameEn : d.nameJa) = toU16(uiText(Str::DesignerUntitled));
    d.startX = -250;
    d.startY = 0;
    return d;
}

QString pictureProblem(PictureStatus status, const QString& file) {
    const std::u16string f = toU16(file);
    switch (status) {
    case PictureStatus::CannotOpen: return uiFormat(Str::CoursePictureMissing, {f});
    case PictureStatus::NotPicture: return uiFormat(Str::CoursePictureNotPicture, {f});
    case PictureStatus::Unsupported: return uiFormat(Str::CoursePictureUnsupported, {f});
    case PictureStatus::Interlaced: return uiFormat(Str::CoursePictureInterlaced, {f});
    case PictureStatus::TooLarge: return uiFormat(Str::CoursePictureTooLarge, {f, int(kPictureMaxPixels)});
    case PictureStatus::Scaled: return uiFormat(Str::CoursePictureScaled, {f});
    default: return uiFormat(Str::CoursePictureDamaged, {f});
    }
}

}  // namespace

CourseDesignerWindow::CourseDesignerWindow(CourseDesignerSetup setup, QWidget* parent)
    : QMainWindow(parent), m_setup(std::move(setup)) {
    setObjectName(QStringLiteral("courseDesigner"));
    setWindowFlag(Qt::Window);
    setWindowIcon(applicationIcon());
    m_design = blankDesign();
    m_saved = m_design;
    resetHistory(m_history, m_design);

    m_view = new CourseDesignerView(m_design, this);
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    auto* scroll = new QScrollArea(central);
    scroll->setWidget(buildPanel());
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFixedWidth(kPanelWidth + 20);
    layout->addWidget(scroll);
    setCentralWidget(central);
    buildActions();
    buildMenus();
    buildToolBar();
    // A hint that stays: a passing message would be wiped by the first menu the pointer crosses.
    auto* hint = new QLabel(this);
    m_hint = hint;
    showToolHint(m_view->tool());
    // Cut short on a narrow window rather than widening it past the screen.
    hint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(hint, 1);

    connect(m_view, &CourseDesignerView::edited, this, &CourseDesignerWindow::afterEdit);
    connect(m_view, &CourseDesignerView::selectionChanged, this, [this] {
        updateActions();
        updatePanel();  // the width field shows the picked stroke's width
    });
    connect(m_view, &CourseDesignerView::pointerMoved, this, [this](std::optional<DesignPoint> at) {
        m_pointer = at;
        updateSensors();
    });
    connect(m_view, &CourseDesignerView::refused, this, [this](DesignRefusal why) {
        switch (why) {
        case DesignRefusal::TooManyElements:
            ask(uiFormat(Str::DesignerTooManyStrokes, {int(kMaxCourseElements)}), QMessageBox::Warning,
                QMessageBox::Ok);
            break;
        case DesignRefusal::NeedsGoal:
            ask(uiText(Str::DesignerNeedsGoal), QMessageBox::Warning, QMessageBox::Ok);
            break;
        case DesignRefusal::TooManyCheckpoints:
            ask(uiFormat(Str::DesignerTooManyCheckpoints, {int(kMaxCheckpoints)}), QMessageBox::Warning,
                QMessageBox::Ok);
            break;
        }
    });
    resize(fitOnScreen(this, {kCourseWidth + kPanelWidth + 60, kCourseHeight + 160}, 90));
    afterReplace();
}

CourseDesignerWindow::~CourseDesignerWindow() = default;

// ---- construction -----------------------------------------------------------------------------

QAction* CourseDesignerWindow::addCommand(int id, const QString& text) {
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setObjectName(QStringLiteral("designer%1").arg(id));
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    m_actions.insert(id, action);
    return action;
}

void CourseDesignerWindow::buildActions() {
    using namespace DesignerCommand;
    for (int id :
         {New, Open, ImportPicture, RemovePicture, Save, SaveAs, Install, Try, Print, Close, Undo, Redo, Delete})
        addCommand(id, uiText(id));
    const std::pair<int, QKeySequence> keys[] = {
        {New, QKeySequence(Qt::CTRL | Qt::Key_N)},   {Open, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {Save, QKeySequence(Qt::CTRL | Qt::Key_S)},  {SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {Undo, QKeySequence(Qt::CTRL | Qt::Key_Z)},  {Redo, QKeySequence(Qt::CTRL | Qt::Key_Y)},
        {Delete, QKeySequence(Qt::Key_Delete)},      {Try, QKeySequence(Qt::Key_F5)},
        {Print, QKeySequence(Qt::CTRL | Qt::Key_P)}, {Close, QKeySequence(Qt::CTRL | Qt::Key_W)},
    };
    for (const auto& [id, key] : keys) actionById(id)->setShortcut(key);
    // Delete belongs to the drawing: in a name field the key edits the text.
    actionById(Delete)->setShortcutContext(Qt::WidgetShortcut);
    m_view->addAction(actionById(Delete));
}

void CourseDesignerWindow::buildMenus() {
    using namespace DesignerCommand;
    QMenu* file = menuBar()->addMenu(uiText(Str::DesignerMenuFile));
    file->addAction(actionById(New));
    file->addAction(actionById(Open));
    m_courseMenu = file->addMenu(uiText(Str::DesignerFromCourse));
    connect(m_courseMenu, &QMenu::aboutToShow, this, &CourseDesignerWindow::fillCourseMenu);
    file->addAction(actionById(ImportPicture));
    file->addAction(actionById(RemovePicture));
    file->addSeparator();
    file->addAction(actionById(Save));
    file->addAction(actionById(SaveAs));
    file->addSeparator();
    file->addAction(actionById(Install));
    file->addAction(actionById(Try));
    file->addAction(actionById(Print));
    file->addSeparator();
    file->addAction(actionById(Close));
    QMenu* edit = menuBar()->addMenu(uiText(Str::DesignerMenuEdit));
    edit->addAction(actionById(Undo));
    edit->addAction(actionById(Redo));
    edit->addSeparator();
    edit->addAction(actionById(Delete));
}

void CourseDesignerWindow::buildToolBar() {
    QToolBar* bar = addToolBar(uiText(Str::DesignerToolbarTools));
    bar->setObjectName(QStringLiteral("designerTools"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* group = new QActionGroup(this);
    const std::pair<DesignerTool, int> tools[] = {
        {DesignerTool::Select, Str::DesignerToolSelect},
        {DesignerTool::Line, Str::DesignerToolLine},
        {DesignerTool::Arc, Str::DesignerToolArc},
        {DesignerTool::Curve, Str::DesignerToolCurve},
        {DesignerTool::Box, Str::DesignerToolBox},
        {DesignerTool::Goal, Str::DesignerToolGoal},
        {DesignerTool::Checkpoint, Str::DesignerToolCheckpoint},
        {DesignerTool::Forbidden, Str::DesignerToolForbidden},
    };
    for (const auto& [tool, text] : tools) {
        QAction* action = bar->addAction(uiText(text));
        action->setObjectName(QStringLiteral("designerTool%1").arg(int(tool)));
        action->setCheckable(true);
        action->setChecked(tool == DesignerTool::Select);
        group->addAction(action);
        m_actions.insert(text, action);
        connect(action, &QAction::triggered, this, [this, tool] {
            m_view->setTool(tool);
            showToolHint(tool);
        });
    }
    // The commands on a row of their own: on a narrow or scaled screen one row would hide them.
    addToolBarBreak();
    QToolBar* commands = addToolBar(uiText(Str::DesignerMenuFile));
    commands->setObjectName(QStringLiteral("designerCommands"));
    commands->setMovable(false);
    commands->setFloatable(false);
    commands->setToolButtonStyle(Qt::ToolButtonTextOnly);
    using namespace DesignerCommand;
    for (int id : {Undo, Redo, Delete}) commands->addAction(actionById(id));
    commands->addSeparator();
    for (int id : {Save, Try, Install, Print}) commands->addAction(actionById(id));
    commands->addSeparator();
    auto* widthLabel = new QLabel(uiText(Str::DesignerWidth), commands);
    widthLabel->setContentsMargins(4, 0, 4, 0);
    commands->addWidget(widthLabel);
    commands->addWidget(m_width);
    m_snap->setContentsMargins(8, 0, 0, 0);
    commands->addWidget(m_snap);
}

void CourseDesignerWindow::showToolHint(DesignerTool tool) {
    int text = Str::DesignerStatusHint;
    if (tool == DesignerTool::Select) text = Str::DesignerSelectHint;
    if (tool == DesignerTool::Goal || tool == DesignerTool::Checkpoint || tool == DesignerTool::Forbidden)
        text = Str::DesignerAreaHint;
    m_hint->setText(uiText(text));
    m_hint->setToolTip(m_hint->text());
}

QWidget* CourseDesignerWindow::buildPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("designerPanel"));
    auto* column = new QVBoxLayout(panel);
    auto spin = [panel](double low, double high, int decimals) {
        auto* box = new QDoubleSpinBox(panel);
        box->setRange(low, high);
        box->setDecimals(decimals);
        box->setKeyboardTracking(false);
        return box;
    };
    auto check = [this, panel](int text) {
        auto* box = new QCheckBox(uiText(text), panel);
        connect(box, &QCheckBox::toggled, this, &CourseDesignerWindow::panelEdited);
        return box;
    };

    auto* course = new QGroupBox(uiText(Str::DesignerCourseGroup), panel);
    auto* form = new QFormLayout(course);
    m_nameJa = new QLineEdit(course);
    m_nameJa->setObjectName(QStringLiteral("designerNameJa"));
    m_nameEn = new QLineEdit(course);
    m_nameEn->setObjectName(QStringLiteral("designerNameEn"));
    for (QLineEdit* name : {m_nameJa, m_nameEn}) {
        name->setMaxLength(int(kMaxCourseNameChars));
        connect(name, &QLineEdit::editingFinished, this, &CourseDesignerWindow::panelEdited);
    }
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    form->addRow(uiText(Str::DesignerNameJa), m_nameJa);
    form->addRow(uiText(Str::DesignerNameEn), m_nameEn);
    column->addWidget(course);

    auto* robot = new QGroupBox(uiText(Str::DesignerRobotGroup), panel);
    auto* robotColumn = new QVBoxLayout(robot);
    robotColumn->addWidget(new QLabel(uiText(Str::DesignerStart), robot));
    auto* startRow = new QHBoxLayout;
    m_startX = spin(-kWorldHalfWidth, kWorldHalfWidth, 0);
    m_startY = spin(-kWorldHalfHeight, kWorldHalfHeight, 0);
    m_heading = spin(-180, 180, 0);
    m_heading->setWrapping(true);
    m_heading->setSingleStep(15);
    for (QDoubleSpinBox* box : {m_startX, m_startY, m_heading}) {
        startRow->addWidget(box);
        connect(box, &QDoubleSpinBox::valueChanged, this, &CourseDesignerWindow::panelEdited);
    }
    robotColumn->addLayout(startRow);
    m_fixed = check(Str::DesignerFixed);
    m_fixedPaused = check(Str::DesignerFixedWhilePaused);
    m_returnToStart = check(Str::DesignerReturnToStart);
    for (QCheckBox* box : {m_fixed, m_fixedPaused, m_returnToStart}) robotColumn->addWidget(box);
    // What the floor points read, at the start and under the pointer, as the simulator samples them.
    m_sensorsStart = new QLabel(robot);
    m_sensorsStart->setObjectName(QStringLiteral("designerSensorsStart"));
    m_sensorsPointer = new QLabel(robot);
    m_sensorsPointer->setObjectName(QStringLiteral("designerSensorsPointer"));
    for (QLabel* label : {m_sensorsStart, m_sensorsPointer}) {
        label->setWordWrap(true);
        robotColumn->addWidget(label);
    }
    column->addWidget(robot);

    auto* judging = new QGroupBox(uiText(Str::DesignerJudgingGroup), panel);
    auto* judgingColumn = new QVBoxLayout(judging);
    m_timed = check(Str::DesignerTimed);
    m_timed->setObjectName(QStringLiteral("designerTimed"));
    m_stopInGoal = check(Str::DesignerStopInGoal);
    m_offLine = check(Str::DesignerOffLine);
    m_sensorRule = check(Str::DesignerSensorRule);
    judgingColumn->addWidget(m_timed);
    judgingColumn->addWidget(m_stopInGoal);
    judgingColumn->addWidget(m_offLine);
    auto* offLineForm = new QFormLayout;
    offLineForm->setContentsMargins(20, 0, 0, 0);
    m_threshold = new QSpinBox(judging);
    m_threshold->setRange(0, 255);
    m_ticks = new QSpinBox(judging);
    m_ticks->setRange(0, 1000000);
    for (QSpinBox* box : {m_threshold, m_ticks}) {
        box->setKeyboardTracking(false);
        connect(box, &QSpinBox::valueChanged, this, &CourseDesignerWindow::panelEdited);
    }
    offLineForm->addRow(uiText(Str::DesignerOffLineThreshold), m_threshold);
    offLineForm->addRow(uiText(Str::DesignerOffLineTicks), m_ticks);
    judgingColumn->addLayout(offLineForm);
    judgingColumn->addWidget(m_sensorRule);
    column->addWidget(judging);

    // The drawing settings go on the commands' row (buildToolBar), which has room for them.
    m_width = spin(1, kMaxLineWidth, 0);
    m_width->setValue(kDefaultLineWidth);
    connect(m_width, &QDoubleSpinBox::valueChanged, this, [this](double width) {
        m_view->setStrokeWidth(width);
        // The selected stroke takes the width too.
        const DesignHit s = m_view->selection();
        if (m_updating || s.part != DesignPart::Element || size_t(s.index) >= m_design.elements.size()) return;
        CourseElement& e = m_design.elements[size_t(s.index)];
        if (e.kind == CourseElementKind::Box || e.width == width) return;
        e.width = width;
        m_view->designReplaced();
        afterEdit();
    });
    m_snap = new QCheckBox(uiText(Str::DesignerSnap), panel);
    m_snap->setChecked(true);
    connect(m_snap, &QCheckBox::toggled, this, [this](bool on) {
        SnapRule rule;
        rule.toGrid = rule.toEnds = on;
        m_view->setSnap(rule);
    });
    column->addStretch(1);
    return panel;
}

// ---- commands ---------------------------------------------------------------------------------

void CourseDesignerWindow::runCommand(int id) {
    using namespace DesignerCommand;
    switch (id) {
    case New:
        if (modified() &&
            ask(uiText(Str::SaveChanges), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) ==
                QMessageBox::Yes &&
            !save())
            return;
        newDesign();
        return;
    case Open: {
        const QString path = chooseFile(false, uiText(Str::DesignerOpenTitle), uiText(Str::DesignerFileFilter));
        if (!path.isEmpty()) openFile(toPath(path));
        return;
    }
    case ImportPicture: {
        const QString path = chooseFile(false, uiText(Str::DesignerPictureTitle), uiText(Str::DesignerPictureFilter));
        if (!path.isEmpty()) importPicture(toPath(path));
        return;
    }
    case RemovePicture:
        m_design.picture.clear();
        afterEdit();
        return;
    case Save: save(); return;
    case SaveAs: saveAs(); return;
    case Install: install(false); return;
    case Try: install(true); return;
    case Print: print(); return;
    case Close: close(); return;
    case Undo:
        if (undoDesign(m_history, m_design)) afterReplace();
        return;
    case Redo:
        if (redoDesign(m_history, m_design)) afterReplace();
        return;
    case Delete: m_view->deleteSelection(); return;
    default: return;
    }
}

void CourseDesignerWindow::newDesign() {
    m_design = blankDesign();
    m_saved = m_design;
    m_path.clear();
    resetHistory(m_history, m_design);
    m_view->select({});
    afterReplace();
}

bool CourseDesignerWindow::openFile(const std::filesystem::path& path) {
    CourseDesign design;
    const CourseFileResult r = readCourseFile(path, design, robotHalf());
    if (!r.ok()) {
        const CourseFileWords w = courseFileWords(r);
        ask(fromPath(path) + QStringLiteral(": ") + uiFormat(w.id, {w.first, w.second}), QMessageBox::Critical,
            QMessageBox::Ok);
        return false;
    }
    // A picture that cannot be read (moved, damaged) leaves the course editable on white paper; its
    // name is kept, and installing says what is wrong with it.
    std::optional<CoursePicture> background;
    if (!design.picture.empty()) {
        const std::filesystem::path file = resolveDataPath(design.picture, path.parent_path());
        // Kept by where it is found, so that saving elsewhere still finds it.
        design.picture = pathText(std::filesystem::absolute(file).lexically_normal());
        PictureResult loaded = loadCoursePicture(file);
        if (pictureLoaded(loaded.status)) background = std::move(loaded.picture);
        if (loaded.status != PictureStatus::Loaded)
            ask(pictureProblem(loaded.status, fromPath(file)), QMessageBox::Warning, QMessageBox::Ok);
    }
    m_design = design;
    m_saved = design;
    m_path = path;
    m_background = std::move(background);
    m_backgroundFile = design.picture;
    m_view->setBackground(m_background ? &*m_background : nullptr);
    resetHistory(m_history, m_design);
    m_view->select({});
    afterReplace();
    return true;
}

bool CourseDesignerWindow::startFromCourse(int course) {
    CourseSet set;
    loadCourseConfig(set, m_setup.appDir, {}, m_setup.userDir);
    if (course < 0 || course >= courseCount(set)) return false;
    const CourseRecord& c = set.courses[size_t(course)];
    CourseDesign d;
    d.nameJa = c.name;
    d.nameEn = c.englishName;
    d.startX = std::round(c.startX);
    d.startY = std::round(c.startY);
    d.startHeading = normalisedHeading(std::round(c.startHeading * 180 / kPi));
    d.courseFlags =
        c.courseFlags & (CourseFlag::NotMovable | CourseFlag::NotMovableWhilePaused | CourseFlag::PlayReturnsToStart);
    if (c.judgingFlags & JudgeFlag::Timed) {
        setGoal(d, c.goal);
        if (c.judgingFlags & JudgeFlag::Forbidden) setForbidden(d, c.forbidden);
        if (c.judgingFlags & JudgeFlag::Checkpoints)
            for (const CourseRect& r : c.checkpoints) addCheckpoint(d, r);
        d.judgingFlags |= c.judgingFlags & (JudgeFlag::StopInGoal | JudgeFlag::SensorUse | JudgeFlag::OffLine);
        if (d.judgingFlags & JudgeFlag::SensorUse) d.judgingFlags = (d.judgingFlags & ~JudgeFlag::SensorUse) | 0x02;
        d.offLineThreshold = c.offLineThreshold;
        d.offLineTicks = c.offLineTicks;
    }
    // The course's picture becomes the background of the design.
    if (coursePicture(set, course)) {
        const TextureSlot& slot = set.textures[size_t(Slot::FirstCourse + course)];
        const std::filesystem::path base = c.userEntry >= 0 ? set.userCoursesDir : m_setup.appDir;
        d.picture = pathText(std::filesystem::absolute(resolveDataPath(slot.path, base)).lexically_normal());
    }
    m_design = d;
    // A new course, made from the installed one: it has no file yet.
    m_saved = blankDesign();
    m_path.clear();
    resetHistory(m_history, m_design);
    m_view->select({});
    afterReplace();
    return true;
}

bool CourseDesignerWindow::importPicture(const std::filesystem::path& path) {
    PictureResult loaded = loadCoursePicture(path);
    if (!pictureLoaded(loaded.status)) {
        ask(pictureProblem(loaded.status, fromPath(path)), QMessageBox::Critical, QMessageBox::Ok);
        return false;
    }
    if (loaded.status == PictureStatus::Scaled)
        ask(pictureProblem(loaded.status, fromPath(path)), QMessageBox::Warning, QMessageBox::Ok);
    m_design.picture = pathText(std::filesystem::absolute(path).lexically_normal());
    m_background = std::move(loaded.picture);
    m_backgroundFile = m_design.picture;
    m_view->setBackground(&*m_background);
    afterEdit();
    return true;
}

CourseDesign CourseDesignerWindow::fileDesign(const std::filesystem::path& folder) const {
    CourseDesign d = m_design;
    if (!d.picture.empty()) {
        const std::filesystem::path picture = pathFromText(d.picture);
        std::error_code ec;
        const std::filesystem::path relative =
            std::filesystem::relative(picture, std::filesystem::absolute(folder), ec);
        if (!ec && !relative.empty()) d.picture = relative.generic_u16string();
    }
    return d;
}

float CourseDesignerWindow::robotHalf() const {
    CourseSet set;
    if (loadCourseConfig(set, m_setup.appDir).loaded && set.robotHalf > 0) return set.robotHalf;
    return kDefaultRobotHalf;
}

bool CourseDesignerWindow::checkDesign() {
    const std::string text = writeCourseFile(m_design);
    CourseDesign back;
    const CourseFileResult r = parseCourseFile({text.begin(), text.end()}, back, robotHalf());
    if (r.ok()) return true;
    const CourseFileWords w = courseFileWords(r);
    ask(uiFormat(w.id, {w.first, w.second}), QMessageBox::Warning, QMessageBox::Ok);
    return false;
}

bool CourseDesignerWindow::writeTo(const std::filesystem::path& path) {
    if (!checkDesign()) return false;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    const std::string text = writeCourseFile(fileDesign(folder));
    if (!writeFileAtomically(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()))) {
        ask(uiFormat(Str::DesignerCannotSave, {toU16(fromPath(path))}), QMessageBox::Critical, QMessageBox::Ok);
        return false;
    }
    m_path = path;
    m_saved = m_design;
    updateTitle();
    return true;
}

bool CourseDesignerWindow::save() {
    if (m_path.empty()) return saveAs();
    return writeTo(m_path);
}

bool CourseDesignerWindow::saveAs() {
    QString path =
        chooseFile(true, uiText(Str::DesignerSaveTitle), uiText(Str::DesignerFileFilter), QStringLiteral(".course"));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".course");
    return writeTo(toPath(path));
}

int CourseDesignerWindow::install(bool tryIt) {
    if (!checkDesign()) return -1;
    // The installed course is named after its file, so that installing it again replaces it.
    if (m_path.empty() && !saveAs()) return -1;
    if (!m_design.picture.empty() && !m_background) {
        const std::filesystem::path file = pathFromText(m_design.picture);
        ask(pictureProblem(loadCoursePicture(file).status, fromPath(file)), QMessageBox::Critical, QMessageBox::Ok);
        return -1;
    }
    const CoursePicture drawn = drawCourse(m_design, m_background ? &*m_background : nullptr);
    emit installing();
    const InstallResult r = installCourse(m_design, drawn, courseKey(m_path), m_setup.userDir);
    switch (r.error) {
    case InstallError::None: break;
    case InstallError::TooManyCourses:
        ask(uiFormat(Str::CourseInstallTooMany, {kMaxUserCourses}), QMessageBox::Critical, QMessageBox::Ok);
        return -1;
    default:
        ask(uiFormat(Str::CourseInstallCannotWrite, {toU16(fromPath(r.pictureFile))}), QMessageBox::Critical,
            QMessageBox::Ok);
        return -1;
    }
    CourseSet set;
    loadCourseConfig(set, m_setup.appDir, {}, m_setup.userDir);
    int course = -1;
    for (int i = 0; i < courseCount(set); ++i)
        if (set.courses[size_t(i)].userEntry == r.entry) course = i;
    if (course < 0) {
        ask(uiText(Str::CliCourseNotLoaded), QMessageBox::Critical, QMessageBox::Ok);
        return -1;
    }
    if (!tryIt) {
        QString text = uiFormat(r.replaced ? Str::CourseReinstalled : Str::CourseInstalled,
                                {course, toU16(courseName(course, set.courses[size_t(course)]))});
        if (r.recordReset) text += QLatin1Char('\n') + uiText(Str::CourseRecordDropped);
        ask(text, QMessageBox::Information, QMessageBox::Ok);
    }
    emit courseInstalled(course, tryIt);
    return course;
}

void CourseDesignerWindow::print() {
    const QString name = displayName();
    CoursePrintDialog dialog({name}, robotHalf(), 0, this);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintableCourse course;
    course.picture = std::make_shared<CoursePicture>(drawCourse(m_design, m_background ? &*m_background : nullptr));
    course.name = m_design.nameJa.empty() ? m_design.nameEn : m_design.nameJa;
    course.englishName = m_design.nameEn;
    course.user = true;
    course.robotHalf = robotHalf();
    CoursePrintOptions options = dialog.options();
    const QString path =
        chooseFile(true, uiText(Str::PrintSaveTitle), QStringLiteral("PDF (*.pdf)"), QStringLiteral(".pdf"));
    if (path.isEmpty()) return;
    options.out = toPath(path);
    CoursePrintSummary summary;
    if (printCourseFile(course, toU16(name), options, summary) != CoursePrintStatus::Written) {
        ask(uiText(Str::PrintFailed), QMessageBox::Critical, QMessageBox::Ok);
        return;
    }
    ask(QStringLiteral("%1\n\n'%2'").arg(uiText(Str::PrintSaved), QDir::toNativeSeparators(path)), QMessageBox::NoIcon,
        QMessageBox::Ok);
}

void CourseDesignerWindow::fillCourseMenu() {
    m_courseMenu->clear();
    CourseSet set;
    loadCourseConfig(set, m_setup.appDir, {}, m_setup.userDir);
    for (int i = 0; i < courseCount(set); ++i) {
        QAction* action = m_courseMenu->addAction(courseName(i, set.courses[size_t(i)]));
        connect(action, &QAction::triggered, this, [this, i] {
            if (modified() &&
                ask(uiText(Str::SaveChanges), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) ==
                    QMessageBox::Yes &&
                !save())
                return;
            startFromCourse(i);
        });
    }
}

// ---- state --------------------------------------------------------------------------------------

void CourseDesignerWindow::syncBackground() {
    if (m_design.picture == m_backgroundFile) return;
    m_background.reset();
    m_backgroundFile = m_design.picture;
    if (!m_backgroundFile.empty()) {
        PictureResult loaded = loadCoursePicture(pathFromText(m_backgroundFile));
        if (pictureLoaded(loaded.status)) m_background = std::move(loaded.picture);
    }
    m_view->setBackground(m_background ? &*m_background : nullptr);
}

void CourseDesignerWindow::afterEdit() {
    syncBackground();
    recordDesign(m_history, m_design);
    updatePanel();
    updateFloor();
    updateTitle();
    updateActions();
}

void CourseDesignerWindow::afterReplace() {
    syncBackground();
    m_view->designReplaced();
    updatePanel();
    updateFloor();
    updateTitle();
    updateActions();
}

void CourseDesignerWindow::updatePanel() {
    m_updating = true;
    const CourseDesign& d = m_design;
    m_nameJa->setText(toQString(d.nameJa));
    m_nameEn->setText(toQString(d.nameEn));
    m_startX->setValue(d.startX);
    m_startY->setValue(d.startY);
    m_heading->setValue(d.startHeading);
    m_fixed->setChecked(d.courseFlags & CourseFlag::NotMovable);
    m_fixedPaused->setChecked(d.courseFlags & CourseFlag::NotMovableWhilePaused);
    m_returnToStart->setChecked(d.courseFlags & CourseFlag::PlayReturnsToStart);
    const bool timed = d.judgingFlags & JudgeFlag::Timed;
    m_timed->setChecked(timed);
    m_stopInGoal->setChecked(d.judgingFlags & JudgeFlag::StopInGoal);
    m_offLine->setChecked(d.judgingFlags & JudgeFlag::OffLine);
    m_sensorRule->setChecked(d.judgingFlags & JudgeFlag::SensorUse);
    m_threshold->setValue(d.offLineThreshold);
    m_ticks->setValue(d.offLineTicks);
    // The rules need a goal to be judged against.
    for (QWidget* w : std::initializer_list<QWidget*>{m_stopInGoal, m_offLine, m_sensorRule}) w->setEnabled(timed);
    m_threshold->setEnabled(timed && (d.judgingFlags & JudgeFlag::OffLine));
    m_ticks->setEnabled(m_threshold->isEnabled());
    const DesignHit s = m_view->selection();
    if (s.part == DesignPart::Element && size_t(s.index) < d.elements.size() &&
        d.elements[size_t(s.index)].kind != CourseElementKind::Box)
        m_width->setValue(d.elements[size_t(s.index)].width);
    m_updating = false;
}

void CourseDesignerWindow::panelEdited() {
    if (m_updating) return;
    // Only the field that changed is taken: the others show values rounded for the eye, and
    // writing them back would move what the user never touched.
    const QObject* field = sender();
    CourseDesign& d = m_design;
    auto bit = [](int& flags, int mask, bool on) { flags = on ? (flags | mask) : (flags & ~mask); };
    // A pasted tab or line break would make the file unreadable: it becomes a space.
    auto name = [](const QLineEdit* edit) {
        std::u16string text = toU16(edit->text().trimmed());
        for (char16_t& c : text)
            if (c < 0x20 || c == 0x7f) c = u' ';
        return text;
    };
    if (field == m_nameJa) d.nameJa = name(m_nameJa);
    else if (field == m_nameEn) d.nameEn = name(m_nameEn);
    else if (field == m_startX) d.startX = m_startX->value();
    else if (field == m_startY) d.startY = m_startY->value();
    else if (field == m_heading) d.startHeading = normalisedHeading(m_heading->value());
    else if (field == m_fixed) bit(d.courseFlags, CourseFlag::NotMovable, m_fixed->isChecked());
    else if (field == m_fixedPaused) bit(d.courseFlags, CourseFlag::NotMovableWhilePaused, m_fixedPaused->isChecked());
    else if (field == m_returnToStart) bit(d.courseFlags, CourseFlag::PlayReturnsToStart, m_returnToStart->isChecked());
    else if (field == m_timed && m_timed->isChecked() && !(d.judgingFlags & JudgeFlag::Timed))
        // A goal around the start, to be moved where it belongs.
        setGoal(d, fieldRect({d.startX - 50, d.startY - 40}, {d.startX + 50, d.startY + 40}));
    else if (field == m_timed && !m_timed->isChecked()) removeGoal(d);
    else if (!(d.judgingFlags & JudgeFlag::Timed)) return;  // the rules below need a goal
    else if (field == m_stopInGoal) bit(d.judgingFlags, JudgeFlag::StopInGoal, m_stopInGoal->isChecked());
    else if (field == m_offLine) bit(d.judgingFlags, JudgeFlag::OffLine, m_offLine->isChecked());
    else if (field == m_sensorRule) bit(d.judgingFlags, JudgeFlag::SensorUse, m_sensorRule->isChecked());
    else if (field == m_threshold) d.offLineThreshold = m_threshold->value();
    else if (field == m_ticks) d.offLineTicks = m_ticks->value();
    // The file keeps one bit of the sensor rule: the one this reads back as.
    if (d.judgingFlags & JudgeFlag::SensorUse) d.judgingFlags = (d.judgingFlags & ~JudgeFlag::SensorUse) | 0x02;
    m_view->designReplaced();
    afterEdit();
}

void CourseDesignerWindow::updateFloor() {
    m_floor = drawCourse(m_design, m_background ? &*m_background : nullptr);
    updateSensors();
}

std::array<uint8_t, 5> CourseDesignerWindow::sensorsAt(std::optional<DesignPoint> at) const {
    SimRobot robot;
    robot.x = float(at ? at->x : m_design.startX);
    robot.y = float(at ? at->y : m_design.startY);
    robot.heading = float(m_design.startHeading * kPi / 180);
    return readFloorSensors(robot, m_floor);
}

void CourseDesignerWindow::updateSensors() {
    m_sensorsStart->setText(uiFormat(Str::DesignerSensorsAtStart, {toU16(sensorText(sensorsAt()))}));
    m_sensorsPointer->setText(
        m_pointer ? uiFormat(Str::DesignerSensorsAtPointer, {toU16(sensorText(sensorsAt(m_pointer)))}) : QString());
}

QString CourseDesignerWindow::displayName() const {
    if (stringPackInUse() && !m_design.nameEn.empty()) return toQString(m_design.nameEn);
    return toQString(m_design.nameJa.empty() ? m_design.nameEn : m_design.nameJa);
}

void CourseDesignerWindow::updateTitle() {
    const QString file =
        m_path.empty() ? uiText(Str::DesignerUntitled) : QFileInfo(toQString(pathText(m_path))).fileName();
    setWindowTitle(uiFormat(Str::DesignerTitle, {toU16(file)}) + (modified() ? QStringLiteral(" *") : QString()));
}

void CourseDesignerWindow::updateActions() {
    using namespace DesignerCommand;
    actionById(Undo)->setEnabled(canUndo(m_history));
    actionById(Redo)->setEnabled(canRedo(m_history));
    const DesignPart s = m_view->selection().part;
    actionById(Delete)->setEnabled(s != DesignPart::None && s != DesignPart::Start);
    actionById(RemovePicture)->setEnabled(!m_design.picture.empty());
}

// ---- questions --------------------------------------------------------------------------------

QMessageBox::StandardButton CourseDesignerWindow::ask(const QString& text, QMessageBox::Icon icon,
                                                      QMessageBox::StandardButtons buttons) {
    const Question question{text, icon, buttons};
    return m_setup.asker ? m_setup.asker(question) : askInBox(this, uiText(Str::CourseDesigner), question);
}

QString CourseDesignerWindow::chooseFile(bool save, const QString& title, const QString& filter,
                                         const QString& suffix) {
    if (m_setup.chooseFile) return m_setup.chooseFile(save, title, filter);
    // The course file's folder, else the documents folder; a new file is offered under the course's name.
    const QString folder = m_path.empty() ? documentsFolder() : QFileInfo(fromPath(m_path)).absolutePath();
    QString start = folder;
    if (save && !suffix.isEmpty()) {
        QString name = m_path.empty() ? displayName() : QFileInfo(fromPath(m_path)).completeBaseName();
        name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
        start = QDir(folder).filePath((name.isEmpty() ? QStringLiteral("course") : name) + suffix);
    }
    return save ? QFileDialog::getSaveFileName(this, title, start, filter)
                : QFileDialog::getOpenFileName(this, title, start, filter);
}

void CourseDesignerWindow::closeEvent(QCloseEvent* event) {
    if (modified()) {
        const auto answer = ask(uiText(Str::SaveChanges), QMessageBox::Question,
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !save())) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

}  // namespace trovel
