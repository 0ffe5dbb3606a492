#include "editor/gui/chart_style.h"

namespace trovel {

std::array<QColor, kChartColorCount> defaultChartColors(QColor text) {
    std::array<QColor, kChartColorCount> c;
    c.fill(QColor(0, 0, 0));
    for (int i = 0; i <= 17; ++i) c[i] = QColor(183, 226, 176);
    c[10] = c[12] = c[13] = QColor(254, 218, 154);
    c[11] = QColor(252, 200, 227);
    c[15] = c[16] = QColor(253, 213, 195);
    c[ChartColor::Background] = QColor(255, 255, 255);
    c[ChartColor::PanelOutline] = QColor(64, 64, 64);
    c[ChartColor::Text] = text;
    c[ChartColor::Output0] = QColor(0, 0, 255);
    c[ChartColor::Output1] = QColor(255, 0, 0);
    c[ChartColor::Drag] = QColor(192, 0, 192);
    c[ChartColor::PaletteBackground] = QColor(119, 170, 208);
    c[ChartColor::Grid] = QColor(192, 192, 192);
    return c;
}

QFont chartFont(const QString& face, int pixelHeight, int weight) {
    QFont font;
    // The classic face rarely exists outside Windows; the Japanese fallbacks keep captions readable.
    // Proportional faces first: a fixed-pitch one looks like a typewriter beside the menus.
    QStringList families{face};
    for (const char* f : {"MS UI Gothic", "IPAPGothic", "Noto Sans CJK JP", "IPAGothic", "VL Gothic"}) {
        if (!families.contains(QLatin1String(f))) families << QLatin1String(f);
    }
    font.setFamilies(families);
    font.setPixelSize(pixelHeight > 0 ? pixelHeight : 14);
    font.setWeight(weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

ChartStyle defaultChartStyle(TextSources text) {
    ChartStyle style;
    style.colors = defaultChartColors();
    style.font = chartFont();
    style.text = std::move(text);
    return style;
}

QImage withKeyColorTransparent(const QImage& image, QColor key) {
    if (image.isNull()) return image;
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = key.rgb() & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == keyRgb) line[x] = 0;
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace trovel
