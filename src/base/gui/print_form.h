#pragma once
// The parts every print dialog has: the paper and its orientation as rows of the dialog's form, and
// under the form a summary line with OK and Cancel.

#include <QDialog>

class QComboBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QRadioButton;

namespace trovel {

struct PaperChoice {
    QComboBox* paper = nullptr;  // A4, A3; item data is the Paper value
    QRadioButton* portrait = nullptr;
    QRadioButton* landscape = nullptr;
};

// Adds the paper and orientation rows (objects "paper", "portrait", "landscape") to `form`.
PaperChoice addPaperRows(QDialog* dialog, QFormLayout* form, bool a3, bool landscape);

struct PrintFooter {
    QLabel* summary = nullptr;  // object "summary"
    QPushButton* ok = nullptr;  // object "ok"; accepts the dialog
};

// Lays out the dialog: `form`, then the summary line, then OK and Cancel.
PrintFooter finishPrintDialog(QDialog* dialog, QFormLayout* form);

}  // namespace trovel
