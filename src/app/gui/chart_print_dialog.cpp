#include "app/gui/chart_print_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

#include "base/gui/print_form.h"
#include "base/gui/ui_text.h"
#include "base/gui/window_frame.h"
#include "base/string_ids.h"

namespace trovel {

ChartPrintDialog::ChartPrintDialog(ChartPageRequest request, QWidget* parent)
    : QDialog(parent), m_request(std::move(request)) {
    setObjectName(QStringLiteral("chartPrintDialog"));
    setWindowTitle(uiText(Str::PrintProgramTitle));
    setDialogFrame(this);
    auto* form = new QFormLayout;
    const PaperChoice paper = addPaperRows(this, form, m_request.paper == Paper::A3, m_request.landscape);
    m_paper = paper.paper;
    m_portrait = paper.portrait;
    m_landscape = paper.landscape;
    const PrintFooter footer = finishPrintDialog(this, form);
    m_summary = footer.summary;
    m_ok = footer.ok;

    connect(m_paper, &QComboBox::currentIndexChanged, this, &ChartPrintDialog::updateSummary);
    connect(m_landscape, &QRadioButton::toggled, this, &ChartPrintDialog::updateSummary);
    updateSummary();
}

ChartPagePlan ChartPrintDialog::plan() const {
    ChartPageRequest request = m_request;
    request.paper = Paper(m_paper->currentData().toInt());
    request.landscape = m_landscape->isChecked();
    return planChartPages(request);
}

void ChartPrintDialog::updateSummary() {
    const ChartPagePlan p = plan();
    const bool ok = p.status == ChartPlanStatus::Ok;
    m_summary->setText(
        ok ? uiFormat(Str::PrintChartSummary,
                      {int(p.pages.size()), int(std::lround(100 * p.mmPerPixel / kChartNaturalMmPerPixel))})
           : uiFormat(Str::PrintChartTooLarge, {kMaxChartPages}));
    m_ok->setEnabled(ok);
}

}  // namespace trovel
