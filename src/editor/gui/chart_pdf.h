#pragma once
// A program's flowchart as a PDF on A4 or A3, for worksheets and hand-ins: drawn as the picture
// export draws it, split over pages when large, with the program's title, file name and page
// number on every page.

#include <QString>

#include <cstdint>

#include "editor/chart_pages.h"
#include "editor/gui/chart_style.h"
#include "model/program.h"

class QIODevice;

namespace trovel {

// The chart's extent and the spans of its blocks, which page edges keep clear of.
ChartPageRequest chartPageRequest(const BlockProgram& program, Paper paper, bool landscape);

// The title printed over a program's chart: its file's name without the extension, or the name of
// a new program when it was never saved.
QString programPrintTitle(const BlockProgram& program);

struct ChartPdfJob {
    QString title;     // the program's title
    QString fileName;  // its file, under the title; empty for a program never saved
    ChartPagePlan plan;
};

// `options` is the OptionFlags word, as for the picture export. False when the plan is not Ok or
// the writer fails.
bool writeChartPdf(QIODevice& device, BlockProgram& program, const ChartStyle& style, uint32_t options,
                   const ChartPdfJob& job);
// The same into a file, which is replaced only by a whole PDF.
bool saveChartPdf(const QString& path, BlockProgram& program, const ChartStyle& style, uint32_t options,
                  const ChartPdfJob& job);

}  // namespace trovel
