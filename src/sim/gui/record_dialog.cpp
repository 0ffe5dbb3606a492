#include "sim/gui/record_dialog.h"

#include "sim/lap_records.h"
#include "base/gui/window_frame.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

#include "sim/gui/sim_text.h"
#include "base/gui/ui_text.h"
#include "base/string_ids.h"
namespace trovel {

namespace {

QString controlName(int id) { return QStringLiteral("control%1").arg(id); }

}  // namespace

RecordDialog::RecordDialog(const CourseSet& courses, LapRecords& records, QWidget* parent, Asker asker)
    : QDialog(parent), m_courses(courses), m_records(records), m_asker(std::move(asker)) {
    setWindowTitle(uiText(Str::RecordsTitle));
    setDialogFrame(this);
    setModal(true);

    m_list = new QTableWidget(0, 2, this);
    m_list->setObjectName(controlName(RecordControl::List));
    m_list->setHorizontalHeaderLabels({uiText(Str::RecordsCourse), uiText(Str::RecordsTime)});
    m_list->setColumnWidth(0, 150);
    m_list->setColumnWidth(1, 90);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);

    auto* close = new QPushButton(uiText(Str::RecordsClose), this);
    auto* all = new QPushButton(uiText(Str::RecordsResetAll), this);
    auto* selected = new QPushButton(uiText(Str::RecordsResetSelected), this);
    close->setObjectName(controlName(RecordControl::Close));
    all->setObjectName(controlName(RecordControl::ResetAll));
    selected->setObjectName(controlName(RecordControl::ResetSelected));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(all, &QPushButton::clicked, this, &RecordDialog::resetAll);
    connect(selected, &QPushButton::clicked, this, &RecordDialog::resetSelected);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(all);
    buttons->addWidget(selected);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(380, 260);
    fillList();
}

QPushButton* RecordDialog::button(int id) const { return findChild<QPushButton*>(controlName(id)); }

void RecordDialog::fillList() {
    m_list->clearContents();
    m_list->setRowCount(courseCount(m_courses));
    for (int i = 0; i < courseCount(m_courses); ++i) {
        const CourseRecord& course = m_courses.courses[size_t(i)];
        m_list->setItem(i, 0, new QTableWidgetItem(courseName(i, course)));
        const int t = bestTime(m_records, i);
        QString time = QStringLiteral("----------");  // a course without timing
        if ((course.judgingFlags & JudgeFlag::Timed) && t < kNoRecordMs)
            time = uiFormat(Str::RecordTime, {t / 60000 % 10, t / 1000 % 60, t % 1000});
        else if (course.judgingFlags & JudgeFlag::Timed) time = uiText(Str::RecordsNone);
        m_list->setItem(i, 1, new QTableWidgetItem(time));
    }
}

void RecordDialog::resetAll() {
    if (ask(uiText(Str::RecordsAskResetAll), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No) !=
        QMessageBox::Yes)
        return;
    resetAllBestTimes(m_records);
    fillList();
    ask(uiText(Str::RecordsDeleted), QMessageBox::NoIcon, QMessageBox::Ok);
}

void RecordDialog::resetSelected() {
    std::set<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) rows.insert(index.row());
    if (rows.empty()) {
        ask(uiText(Str::RecordsChooseCourse), QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    if (ask(uiText(Str::RecordsAskResetSelected), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No) !=
        QMessageBox::Yes)
        return;
    // Rows and courses share indices.
    for (int row : rows) resetBestTime(m_records, row);
    fillList();
    ask(uiText(Str::RecordsDeleted), QMessageBox::NoIcon, QMessageBox::Ok);
}

QMessageBox::StandardButton RecordDialog::ask(const QString& text, QMessageBox::Icon icon,
                                              QMessageBox::StandardButtons buttons) {
    const Question question{text, icon, buttons};
    // Window-modal: the studio stays usable meanwhile.
    return m_asker ? m_asker(question) : askInBox(this, simMessageCaption(), question);
}

}  // namespace trovel
