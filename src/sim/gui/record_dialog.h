#pragma once
// "記録タイム": the best lap time of every course, with resets of all or of the selected courses.

#include <QDialog>
#include <QMessageBox>


class QPushButton;
class QTableWidget;

namespace trovel {

struct CourseSet;

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
    // Resets change `courses` in memory only; the simulator writes them when it closes.
    explicit RecordDialog(CourseSet& courses, QWidget* parent = nullptr);

    QTableWidget* list() const { return m_list; }
    QPushButton* button(int id) const;

    void resetAll();
    void resetSelected();

private:
    void fillList();
    QMessageBox::StandardButton ask(const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons);

    CourseSet& m_courses;
    QTableWidget* m_list = nullptr;
};

}  // namespace trovel
