#pragma once
// Paints the flowchart: background, grid, block images and captions, selection and state marks,
// connectors with their handles, labels and arrowheads.

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QStaticText>

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

// A caption laid out for its box: in the chart font, narrowed a little when that is what it takes
// to show it whole (an English "Right sensor>80" on a Branch), cut short only beyond that.
struct FittedCaption {
    QStaticText text;
    QFont font;
    bool narrowed = false;  // `font` differs from the chart font
};

// What one draw leaves for the next: a chart draws the same small marks and labels thousands of
// times. A view keeps one for its life; the results never depend on it, only the time they take.
struct ChartDrawCache {
    QHash<quint64, QImage> glyphs;           // discs and arrowheads by kind and colours
    qreal glyphRatio = 1;                    // the device pixel ratio they were drawn at
    QHash<QString, FittedCaption> captions;  // by text and box width
    QFont captionFont;                       // the font they were laid out in
    QHash<QString, int> labelHeights;        // line height by font key
};

// Draws into the painter's device (client coordinates). Drawing for the window clears FlagChanged
// on every block, drawn or not; a picture (window false) leaves the marks to the window.
// `options` is the OptionFlags word (UseCalcBlock changes Branch captions).
ChartExtent drawChart(QPainter& painter, BlockProgram& program, const ChartStyle& style, uint32_t options,
                      const ChartView& view, ChartDrawCache& cache);
// The same with a cache of its own, for a picture drawn once.
ChartExtent drawChart(QPainter& painter, BlockProgram& program, const ChartStyle& style, uint32_t options,
                      const ChartView& view);

}  // namespace trovel
