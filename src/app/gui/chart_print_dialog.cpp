#include "app/gui/chart_print_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

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
    m_paper = new QComboBox(this);
    m_paper->setObjectName(QStringLiteral("paper"));
    for (Paper p : {Paper::A4, Paper::A3}) m_paper->addItem(QString::fromLatin1(paperName(p).data(), 2), int(p));
    m_paper->setCurrentIndex(m_request.paper == Paper::A3 ? 1 : 0);
    form->addRow(uiText(Str::PrintPaper), m_paper);
    m_portrait = new QRadioButton(uiText(Str::PrintPortrait), this);
    m_portrait->setObjectName(QStringLiteral("portrait"));
    m_landscape = new QRadioButton(uiText(Str::PrintLandscape), this);
    m_landscape->setObjectName(QStringLiteral("landscape"));
    (m_request.landscape ? m_landscape : m_portrait)->setChecked(true);
    auto* orientation = new QHBoxLayout;
    orientation->addWidget(m_portrait);
    orientation->addWidget(m_landscape);
    orientation->addStretch();
    form->addRow(uiText(Str::PrintOrientation), orientation);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);
    m_buttons = new QDialogButtonBox(this);
    m_ok = m_buttons->addButton(uiText(Str::ButtonOk), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_buttons->addButton(uiText(Str::ButtonCancel), QDialogButtonBox::RejectRole);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_summary);
    layout->addWidget(m_buttons);

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
