// Draws the studio's icon (a flowchart on a blue tile) and the program file's icon (the same
// flowchart on a page) from one list of shapes: PNG at the hicolor theme's sizes and SVG.
//
// Output: <out>/<size>x<size>/apps/trovel-studio.png, .../mimetypes/application-x-trovel-program.png
// and <out>/scalable/{apps,mimetypes}/<same names>.svg. Coordinates are on a 256 x 256 canvas.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTextStream>

#include <cstdio>
#include <vector>

namespace {

struct Shape {
    enum Kind { RoundRect, Polygon, Polyline };
    Kind kind;
    std::vector<QPointF> points;  // RoundRect: top-left and bottom-right
    double radius = 0;            // RoundRect corner radius
    QColor fill;                  // invalid: none
    QColor stroke;                // invalid: none
    double strokeWidth = 0;
};

const QColor kTile(37, 99, 176);
const QColor kInk(28, 40, 82);
const QColor kPaper(250, 250, 246);
const QColor kFold(206, 214, 226);
const QColor kStart(183, 226, 176);  // the chart's motion green
const QColor kBranch(255, 214, 40);  // branch yellow
const QColor kEnd(252, 200, 227);    // end pink
const QColor kLine(255, 255, 255);

Shape roundRect(QRectF r, double radius, QColor fill, QColor stroke = {}, double width = 0) {
    return {Shape::RoundRect, {r.topLeft(), r.bottomRight()}, radius, fill, stroke, width};
}

Shape polygon(std::vector<QPointF> pts, QColor fill, QColor stroke = {}, double width = 0) {
    return {Shape::Polygon, std::move(pts), 0, fill, stroke, width};
}

Shape polyline(std::vector<QPointF> pts, QColor stroke, double width) {
    return {Shape::Polyline, std::move(pts), 0, {}, stroke, width};
}

// Start block, arrow, branch diamond, arrow, end block, with `line` for the connectors.
void flowchart(std::vector<Shape>& s, QPointF origin, double scale, QColor line) {
    auto at = [&](double x, double y) { return origin + QPointF(x, y) * scale; };
    auto box = [&](double x, double y, double w, double h) { return QRectF(at(x, y), at(x + w, y + h)); };
    const double ink = 7 * scale;
    s.push_back(polyline({at(128, 74), at(128, 98)}, line, 10 * scale));
    s.push_back(polyline({at(128, 158), at(128, 182)}, line, 10 * scale));
    s.push_back(polyline({at(158, 128), at(196, 128), at(196, 206), at(170, 206)}, line, 10 * scale));
    s.push_back(roundRect(box(76, 30, 104, 46), 23 * scale, kStart, kInk, ink));
    s.push_back(polygon({at(128, 96), at(162, 128), at(128, 160), at(94, 128)}, kBranch, kInk, ink));
    s.push_back(roundRect(box(76, 182, 104, 46), 23 * scale, kEnd, kInk, ink));
}

std::vector<Shape> appIcon() {
    std::vector<Shape> s;
    s.push_back(roundRect(QRectF(8, 8, 240, 240), 44, kTile));
    flowchart(s, QPointF(0, 0), 1.0, kLine);
    return s;
}

std::vector<Shape> documentIcon() {
    std::vector<Shape> s;
    s.push_back(polygon({{40, 12}, {172, 12}, {218, 58}, {218, 244}, {40, 244}}, kPaper, kInk, 6));
    s.push_back(polygon({{172, 12}, {172, 58}, {218, 58}}, kFold, kInk, 6));
    flowchart(s, QPointF(38, 48), 0.72, kTile);
    return s;
}

void paint(QPainter& p, const Shape& s) {
    p.setPen(s.stroke.isValid() ? QPen(s.stroke, s.strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)
                                : QPen(Qt::NoPen));
    p.setBrush(s.fill.isValid() ? QBrush(s.fill) : QBrush(Qt::NoBrush));
    switch (s.kind) {
    case Shape::RoundRect: p.drawRoundedRect(QRectF(s.points[0], s.points[1]), s.radius, s.radius); break;
    case Shape::Polygon: p.drawPolygon(QPolygonF(QList<QPointF>(s.points.begin(), s.points.end()))); break;
    case Shape::Polyline: p.drawPolyline(QPolygonF(QList<QPointF>(s.points.begin(), s.points.end()))); break;
    }
}

QImage raster(const std::vector<Shape>& shapes, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 256.0, size / 256.0);
    for (const Shape& s : shapes) paint(p, s);
    return image;
}

QString colour(const QColor& c) { return c.isValid() ? c.name() : QStringLiteral("none"); }

QString svg(const std::vector<Shape>& shapes) {
    QString out;
    QTextStream t(&out);
    t << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n";
    for (const Shape& s : shapes) {
        const QString paintAttrs = QStringLiteral(" fill=\"%1\" stroke=\"%2\" stroke-width=\"%3\"")
                                       .arg(colour(s.fill), colour(s.stroke))
                                       .arg(s.strokeWidth) +
                                   " stroke-linecap=\"round\" stroke-linejoin=\"round\"";
        if (s.kind == Shape::RoundRect) {
            const QRectF r(s.points[0], s.points[1]);
            t << QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\"")
                     .arg(r.x())
                     .arg(r.y())
                     .arg(r.width())
                     .arg(r.height())
                     .arg(s.radius)
              << paintAttrs << "/>\n";
            continue;
        }
        QStringList pts;
        for (const QPointF& pt : s.points) pts << QStringLiteral("%1,%2").arg(pt.x()).arg(pt.y());
        t << (s.kind == Shape::Polygon ? "  <polygon" : "  <polyline") << " points=\"" << pts.join(' ') << "\""
          << paintAttrs << "/>\n";
    }
    t << "</svg>\n";
    return out;
}

bool write(const QString& dir, const QString& category, const QString& name, const std::vector<Shape>& shapes) {
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/%3").arg(dir).arg(size).arg(category);
        QDir().mkpath(folder);
        ok = raster(shapes, size).save(folder + "/" + name + ".png", "PNG") && ok;
    }
    const QString folder = QStringLiteral("%1/scalable/%2").arg(dir, category);
    QDir().mkpath(folder);
    QFile file(folder + "/" + name + ".svg");
    ok = file.open(QIODevice::WriteOnly) && file.write(svg(shapes).toUtf8()) > 0 && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: icongen OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    bool ok = write(out, QStringLiteral("apps"), QStringLiteral("trovel-studio"), appIcon());
    ok = write(out, QStringLiteral("mimetypes"), QStringLiteral("application-x-trovel-program"), documentIcon()) && ok;
    if (!ok) std::fprintf(stderr, "icongen: could not write every icon into %s\n", argv[1]);
    return ok ? 0 : 1;
}
