#pragma once
// The studio's dialog for printing the program's chart: the paper and its orientation, with the
// number of pages and the scale that makes.

#include <QDialog>

#include "editor/chart_pages.h"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace trovel {

class ChartPrintDialog : public QDialog {
    Q_OBJECT
public:
    // `request` is the chart's (chartPageRequest); its paper and orientation are what the dialog starts with.
    explicit ChartPrintDialog(ChartPageRequest request, QWidget* parent = nullptr);

    // The plan for the chosen paper and orientation.
    ChartPagePlan plan() const;

private:
    void updateSummary();

    ChartPageRequest m_request;
    QComboBox* m_paper = nullptr;
    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace trovel
