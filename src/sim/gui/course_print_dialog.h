#pragma once
// The studio's dialog for printing a course: which course, the mat's size, the paper and its
// orientation, or a poster; it shows how many pages that makes before anything is written.

#include <QDialog>
#include <QString>

#include <vector>

#include "sim/gui/course_print_file.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace trovel {

class CoursePrintDialog : public QDialog {
    Q_OBJECT
public:
    // `names` in course order; `robotHalf` sets the real-size default.
    CoursePrintDialog(const std::vector<QString>& names, float robotHalf, int course, QWidget* parent = nullptr);

    int course() const;
    // The choices; `out` is left empty for the caller's file dialog.
    CoursePrintOptions options() const;

private:
    void setMat(MatSize mat);
    void widthEdited(double width);
    void heightEdited(double height);
    void updateSummary();

    float m_robotHalf = 0;
    QComboBox* m_course = nullptr;
    QDoubleSpinBox* m_width = nullptr;
    QDoubleSpinBox* m_height = nullptr;
    QPushButton* m_realScale = nullptr;
    QComboBox* m_paper = nullptr;
    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
    QCheckBox* m_poster = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_ok = nullptr;
    bool m_linking = false;  // one side follows the other: no echo back
};

}  // namespace trovel
