#pragma once
// The picture of the whole flowchart: drawn off-screen at the chart's content size, saved as JPEG
// (or PNG when the chosen name says so).

#include <QImage>
#include <QString>

#include <cstdint>

#include "base/gui/user_question.h"
#include "editor/gui/chart_style.h"
#include "model/program.h"

class QWidget;

namespace trovel {

// The messages below go to `asker` where one is given, else to a message box over `owner`.

// True when JPEG pictures can be written; otherwise tells the user once (owner may be null).
bool startImageExport(QWidget* owner, const Asker& asker = {});

// The whole chart, unscrolled, at (content right, content bottom) of the chart's extent.
QImage renderChartImage(BlockProgram& program, const ChartStyle& style, uint32_t options);

// Saves the picture: PNG for a name ending in ".png", JPEG otherwise. False when nothing was written.
bool saveChartImage(const QString& path, BlockProgram& program, const ChartStyle& style, uint32_t options);

// Saves to `path` and tells the user how it went. Returns whether the file was written.
bool exportChartImageTo(QWidget* owner, const QString& path, BlockProgram& program, const ChartStyle& style,
                        uint32_t options, const Asker& asker = {});

// The command: the save dialog (starting at `lastChosen`, else in `startDir`), the save, the
// message. The name chosen becomes `lastChosen`, for the next export.
void exportScreenshot(QWidget* owner, BlockProgram& program, const ChartStyle& style, uint32_t options,
                      const QString& startDir, QString& lastChosen, const Asker& asker = {});

}  // namespace trovel
