#pragma once
// Paints the flowchart: background, grid, block images and captions, selection and state marks,
// connectors with their handles, labels and arrowheads.

#include <QPoint>
#include <QSize>

#include <cstdint>

#include "editor/geometry.h"
#include "editor/gui/chart_style.h"
#include "model/program.h"

class QPainter;

namespace trovel {

// Margin the chart keeps beyond its right-most and bottom-most block.
constexpr int kExtentMargin = 36;

struct ChartView {
    QPoint scroll;       // client = content - scroll
    QSize client;        // the area drawn (clip rectangle from 0, 0)
    bool full = true;    // background, grid and every block; otherwise only FlagChanged blocks
    bool window = true;  // false for a picture of the whole chart: ranges without the client size
    // Selection, current-block brackets, drag and collision marks. A picture of the program, to
    // print or hand in, shows the program alone.
    bool editingMarks = true;
};

struct ChartExtent {
    Rect content;    // (0, 0, largest right + 36, largest bottom + 36) of the blocks and their connectors
    int rangeX = 0;  // scroll ranges: max(content + 15, client) with a window, content without
    int rangeY = 0;
};

ChartExtent chartExtent(const BlockProgram& program, QSize client, bool window);

// Draws into the painter's device (client coordinates). Drawing for the window clears FlagChanged
// on every block, drawn or not; a picture (window false) leaves the marks to the window.
// `options` is the OptionFlags word (UseCalcBlock changes Branch captions).
ChartExtent DrawChart(QPainter& painter, BlockProgram& program, const ChartStyle& style, uint32_t options,
                      const ChartView& view);

}  // namespace trovel
