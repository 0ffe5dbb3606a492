#pragma once
// Everything the chart drawing needs besides the program: colours, font, block images, names.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include <array>
#include <vector>

#include "editor/captions.h"

namespace trovel {

constexpr int kChartColorCount = 30;

// Entries of the chart colour table that have a use.
namespace ChartColor {
constexpr int Background = 18;
constexpr int PanelOutline = 19;
constexpr int Text = 21;
constexpr int Output0 = 22;
constexpr int Output1 = 23;
constexpr int Drag = 24;
constexpr int PaletteBackground = 26;
constexpr int Grid = 27;
}  // namespace ChartColor

struct ChartStyle {
    std::array<QColor, kChartColorCount> colors;  // fill of type t is colors[t - 1]
    QFont font;                                   // chart captions and labels
    std::vector<QImage> skins;                    // image t - 1 for block type t; null = missing
    TextSources text;                             // string table and memory-address names
};

// The default colour table with the given text colour.
std::array<QColor, kChartColorCount> defaultChartColors(QColor text = QColor(0, 0, 159));
// A Japanese-capable bold font of the given pixel height, preferring `face` when it exists.
QFont chartFont(const QString& face = QStringLiteral("MS UI Gothic"), int pixelHeight = 14, int weight = 700);
// Default colours and font, no images; texts from the given sources.
ChartStyle defaultChartStyle(TextSources text = {});
// Diamond images mark their see-through pixels with RGB(255, 255, 128); this makes them transparent.
QImage withKeyColorTransparent(const QImage& image, QColor key = QColor(255, 255, 128));

}  // namespace trovel
