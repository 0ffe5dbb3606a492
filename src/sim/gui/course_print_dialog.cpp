#include "sim/gui/course_print_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

#include "base/gui/print_form.h"
#include "base/gui/ui_text.h"
#include "base/gui/window_frame.h"
#include "base/string_ids.h"
#include "sim/course_picture.h"

namespace trovel {

namespace {

QDoubleSpinBox* sideBox(QWidget* parent, const QString& name) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(kMinMatSideMm, kMaxMatSideMm);
    box->setDecimals(0);
    box->setSingleStep(10);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

}  // namespace

CoursePrintDialog::CoursePrintDialog(const std::vector<QString>& names, float robotHalf, int course, QWidget* parent)
    : QDialog(parent), m_robotHalf(robotHalf) {
    setObjectName(QStringLiteral("coursePrintDialog"));
    setWindowTitle(uiText(Str::PrintCourseTitle));
    setDialogFrame(this);
    auto* form = new QFormLayout;

    m_course = new QComboBox(this);
    m_course->setObjectName(QStringLiteral("course"));
    for (const QString& name : names) m_course->addItem(name);
    m_course->setCurrentIndex(course >= 0 && course < int(names.size()) ? course : 0);
    form->addRow(uiText(Str::PrintCourseLabel), m_course);

    m_width = sideBox(this, QStringLiteral("matWidth"));
    m_height = sideBox(this, QStringLiteral("matHeight"));
    auto* size = new QHBoxLayout;
    size->addWidget(m_width);
    size->addWidget(new QLabel(QStringLiteral("×"), this));
    size->addWidget(m_height);
    form->addRow(uiText(Str::PrintMatSize), size);
    const MatSize real = defaultMatSize(robotHalf);
    m_realScale = new QPushButton(
        uiFormat(Str::PrintMatRealScale, {int(std::lround(real.width)), int(std::lround(real.height))}), this);
    m_realScale->setObjectName(QStringLiteral("realScale"));
    m_realScale->setAutoDefault(false);
    form->addRow(QString(), m_realScale);

    const PaperChoice paper = addPaperRows(this, form, false, false);
    m_paper = paper.paper;
    m_portrait = paper.portrait;
    m_landscape = paper.landscape;
    m_poster = new QCheckBox(uiText(Str::PrintPoster), this);
    m_poster->setObjectName(QStringLiteral("poster"));
    form->addRow(QString(), m_poster);

    const PrintFooter footer = finishPrintDialog(this, form);
    m_summary = footer.summary;
    m_ok = footer.ok;

    setMat(real);
    connect(m_width, &QDoubleSpinBox::valueChanged, this, &CoursePrintDialog::widthEdited);
    connect(m_height, &QDoubleSpinBox::valueChanged, this, &CoursePrintDialog::heightEdited);
    connect(m_realScale, &QPushButton::clicked, this, [this] { setMat(defaultMatSize(m_robotHalf)); });
    connect(m_paper, &QComboBox::currentIndexChanged, this, &CoursePrintDialog::updateSummary);
    connect(m_landscape, &QRadioButton::toggled, this, &CoursePrintDialog::updateSummary);
    connect(m_poster, &QCheckBox::toggled, this, [this](bool poster) {
        m_paper->setEnabled(!poster);
        m_portrait->setEnabled(!poster);
        m_landscape->setEnabled(!poster);
        updateSummary();
    });
    updateSummary();
}

int CoursePrintDialog::course() const { return m_course->currentIndex(); }

CoursePrintOptions CoursePrintDialog::options() const {
    CoursePrintOptions o;
    o.paper = Paper(m_paper->currentData().toInt());
    o.landscape = m_landscape->isChecked();
    o.poster = m_poster->isChecked();
    o.size = MatSize{m_width->value(), m_height->value()};
    return o;
}

void CoursePrintDialog::setMat(MatSize mat) {
    m_linking = true;
    m_width->setValue(mat.width);
    m_height->setValue(mat.height);
    m_linking = false;
    updateSummary();
}

// The course keeps its shape: the other side follows the one typed.
void CoursePrintDialog::widthEdited(double width) {
    if (m_linking) return;
    m_linking = true;
    m_height->setValue(width * kCourseHeight / kCourseWidth);
    m_linking = false;
    updateSummary();
}

void CoursePrintDialog::heightEdited(double height) {
    if (m_linking) return;
    m_linking = true;
    m_width->setValue(height * kCourseWidth / kCourseHeight);
    m_linking = false;
    updateSummary();
}

void CoursePrintDialog::updateSummary() {
    const CoursePrintOptions o = options();
    const MatSize mat = fitCourseToMat(*o.size);
    bool ok = matSizeAllowed(mat);
    QString text = uiFormat(Str::PrintMatOutOfRange, {int(kMinMatSideMm), int(kMaxMatSideMm)});
    if (ok && o.poster) {
        text = uiFormat(Str::PrintPosterSummary, {mat.width, mat.height});
    } else if (ok) {
        const TilePlan plan = planTiles({mat, o.paper, o.landscape});
        ok = plan.status == TilePlanStatus::Ok;
        text = ok ? uiFormat(Str::PrintTileSummary, {int(plan.tiles.size()), plan.columns, plan.rows})
                  : uiFormat(Str::PrintTooManyPages, {kMaxPrintPages});
    }
    m_summary->setText(text);
    m_ok->setEnabled(ok);
}

}  // namespace trovel
