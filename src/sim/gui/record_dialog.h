#pragma once
// "記録タイム": the best lap time of every course, with resets of all or of the selected courses.

#include <QDialog>

#include "base/gui/user_question.h"

class QPushButton;
class QTableWidget;

namespace trovel {

struct CourseSet;
struct LapRecords;

// Control ids, also the object names of the controls.
namespace RecordControl {
constexpr int List = 1167;
constexpr int ResetAll = 1168;
constexpr int ResetSelected = 1169;
constexpr int Close = 1;
}  // namespace RecordControl

class RecordDialog : public QDialog {
    Q_OBJECT
public:
    // Resets change `records` in memory only; the simulator writes them when it closes. The
    // questions go to `asker` where one is given, else to a message box over the dialog.
    RecordDialog(const CourseSet& courses, LapRecords& records, QWidget* parent = nullptr, Asker asker = {});

    QTableWidget* list() const { return m_list; }
    QPushButton* button(int id) const;

    void resetAll();
    void resetSelected();

private:
    void fillList();
    QMessageBox::StandardButton ask(const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons);

    const CourseSet& m_courses;
    LapRecords& m_records;
    Asker m_asker;
    QTableWidget* m_list = nullptr;
};

}  // namespace trovel
