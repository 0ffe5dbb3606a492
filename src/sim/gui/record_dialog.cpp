#include "sim/gui/record_dialog.h"

#include "sim/lap_records.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

#include "sim/gui/sim_text.h"
namespace trovel {

namespace {

QString controlName(int id) { return QStringLiteral("control%1").arg(id); }

}  // namespace

RecordDialog::RecordDialog(CourseSet& courses, QWidget* parent) : QDialog(parent), m_courses(courses) {
    setWindowTitle(QStringLiteral("記録タイム"));
    setModal(true);

    m_list = new QTableWidget(0, 2, this);
    m_list->setObjectName(controlName(RecordControl::List));
    m_list->setHorizontalHeaderLabels({QStringLiteral("コース名"), QStringLiteral("記録タイム")});
    m_list->setColumnWidth(0, 150);
    m_list->setColumnWidth(1, 90);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);

    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    auto* all = new QPushButton(QStringLiteral("全ての記録をリセット"), this);
    auto* selected = new QPushButton(QStringLiteral("選択したコースの記録をリセット"), this);
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
        m_list->setItem(i, 0, new QTableWidgetItem(simQString(course.name)));
        m_list->setItem(i, 1, new QTableWidgetItem(simQString(recordTimeText(course))));
    }
}

void RecordDialog::resetAll() {
    if (ask(QStringLiteral("記録タイムを全て削除します。\nよろしいですか?"), QMessageBox::Warning,
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    resetAllBestTimes(m_courses);
    fillList();
    ask(QStringLiteral("記録タイムを削除しました。"), QMessageBox::NoIcon, QMessageBox::Ok);
}

void RecordDialog::resetSelected() {
    std::set<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) rows.insert(index.row());
    if (rows.empty()) {
        ask(QStringLiteral("リストから記録タイムを削除するコースを選んでください。"), QMessageBox::Warning,
            QMessageBox::Ok);
        return;
    }
    if (ask(QStringLiteral("選択したコースの記録タイムを全て削除します。\nよろしいですか?"), QMessageBox::Warning,
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    // Rows and courses share indices.
    for (int row : rows) resetBestTime(m_courses, row);
    fillList();
    ask(QStringLiteral("記録タイムを削除しました。"), QMessageBox::NoIcon, QMessageBox::Ok);
}

QMessageBox::StandardButton RecordDialog::ask(const QString& text, QMessageBox::Icon icon,
                                              QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, simMessageCaption(), text, buttons, this);
    box.setWindowModality(Qt::WindowModal);  // the studio stays usable meanwhile
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace trovel
