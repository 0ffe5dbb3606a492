#include "editor/gui/chart_pdf.h"

#include <QImage>

#include <algorithm>

#include "base/gui/pdf_document.h"
#include "base/gui/ui_text.h"
#include "base/string_ids.h"
#include "editor/gui/chart_drawing.h"
#include "model/program_file.h"

namespace trovel {

namespace {

// Page edges stay a grid cell clear of a block: its arrowhead and labels go with it.
constexpr int kBlockClearance = 9;
// Chart pixels are drawn at three device pixels each: about 290 dots an inch at the natural size.
constexpr int kPixelRatio = 3;

QImage drawPagePart(BlockProgram& program, const ChartStyle& style, uint32_t options, const ChartPage& page) {
    QImage image(page.width * kPixelRatio, page.height * kPixelRatio, QImage::Format_RGB32);
    if (image.isNull()) return image;
    image.setDevicePixelRatio(kPixelRatio);
    QPainter painter(&image);
    ChartView view;
    view.scroll = QPoint(page.x, page.y);
    view.client = QSize(page.width, page.height);
    view.full = true;
    view.window = false;
    view.editingMarks = false;
    drawChart(painter, program, style, options, view);
    return image;
}

}  // namespace

QString programPrintTitle(const BlockProgram& program) {
    if (program.filePath.empty()) return uiText(Str::NewProgramTitle);
    QString name = toQString(fileTitle(program.filePath));
    if (name.endsWith(QStringLiteral(".qxp"), Qt::CaseInsensitive)) name.chop(4);
    return name;
}

ChartPageRequest chartPageRequest(const BlockProgram& program, Paper paper, bool landscape) {
    ChartPageRequest request;
    const ChartExtent extent = chartExtent(program, QSize(), false);
    request.width = extent.content.right;
    request.height = extent.content.bottom;
    request.paper = paper;
    request.landscape = landscape;
    for (const auto& b : program.blocks) {
        request.busyColumns.push_back({b->x - kBlockClearance, b->x + b->width + kBlockClearance});
        request.busyRows.push_back({b->y - kBlockClearance, b->y + b->height + kBlockClearance});
    }
    return request;
}

bool writeChartPdf(QIODevice& device, BlockProgram& program, const ChartStyle& style, uint32_t options,
                   const ChartPdfJob& job) {
    const ChartPagePlan& plan = job.plan;
    if (plan.status != ChartPlanStatus::Ok || plan.pages.empty()) return false;
    PdfDocument pdf(device, plan.page, job.title);
    if (!pdf.ok()) return false;
    const int count = int(plan.pages.size());
    const MmRect& area = plan.chartArea;
    for (int n = 0; n < count; ++n) {
        if (n > 0 && !pdf.newPage()) return false;
        const ChartPage& page = plan.pages[size_t(n)];
        const double top = kChartMarginMm;
        pdf.text({area.x, top, area.width * 0.75, 6.5}, job.title, 12, true);
        pdf.text({area.x + area.width * 0.75, top, area.width * 0.25, 6.5},
                 uiFormat(Str::PrintChartPage, {n + 1, count}), 9, false, Qt::AlignRight | Qt::AlignVCenter);
        pdf.text({area.x, top + 6.5, area.width, 5}, job.fileName, 7.5, false,
                 Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWrapAnywhere);
        QPainter& p = pdf.painter();
        p.setPen(pdf.pen(QColor(128, 128, 128), 0.2));
        p.drawLine(pdf.at(area.x, area.y - 1.5), pdf.at(area.right(), area.y - 1.5));

        const QImage part = drawPagePart(program, style, options, page);
        if (part.isNull()) return false;
        p.drawImage(pdf.rect(page.page), part);
    }
    return pdf.finish();
}

bool saveChartPdf(const QString& path, BlockProgram& program, const ChartStyle& style, uint32_t options,
                  const ChartPdfJob& job) {
    return savePdfFile(path, [&](QIODevice& device) { return writeChartPdf(device, program, style, options, job); });
}

}  // namespace trovel
