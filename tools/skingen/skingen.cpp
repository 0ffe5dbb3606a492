// Draws the skin images: the chart picture of every block type, the two sensor panels and the
// three palette buttons that differ from their chart pictures. Written as 24-bit bitmaps.
//
// A 63 x 63 chart picture shows its icon in the top 36 pixels; the chart covers the rest with the
// caption panel, and on the palette the lower part may peek out below a button, so it is painted
// in the palette's background colour.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>

namespace {

const QColor kInk(40, 48, 96);             // outlines and symbols
const QColor kPaletteBack(119, 170, 208);  // palette background
const QColor kKey(255, 255, 128);          // transparent colour of diamond pictures
const QColor kMotion(183, 226, 176);
const QColor kOrange(254, 218, 154);
const QColor kPink(252, 200, 227);
const QColor kPeach(253, 213, 195);
const QColor kArrow(30, 110, 220);
const QColor kRed(225, 50, 45);
const QColor kYellow(255, 214, 40);

QString g_out;
bool g_english = false;  // --lang en: the pictures with words, for the English language pack

// The words drawn into a picture, in the language being drawn.
QString words(const char* japanese, const char* english) { return QString::fromUtf8(g_english ? english : japanese); }

QFont uiFont(int pixels, bool bold = true) {
    QFont f;
    if (g_english)  // Latin words in a Latin face; the Japanese faces draw them at fixed pitch
        f.setFamilies({"DejaVu Sans", "IPAPGothic"});
    else f.setFamilies({"IPAGothic", "IPAPGothic", "VL Gothic", "Noto Sans CJK JP", "DejaVu Sans"});
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void save(const QImage& image, const char* name) {
    QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QString path = g_out + "/" + name + ".bmp";
    if (!rgb.save(path, "BMP")) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QImage canvas(int w, int h, const QColor& fill) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

void begin(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
}

// The rounded tile the icon sits on.
void tile(QPainter& p, const QRectF& r, const QColor& fill) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, fill.lighter(112));
    g.setColorAt(1, fill.darker(104));
    p.setBrush(g);
    p.setPen(QPen(kInk, 1.6));
    p.drawRoundedRect(r, 7, 7);
}

// A thick arrow along a path, with its head at the end.
void arrow(QPainter& p, const QPainterPath& path, const QColor& c, qreal width = 6) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kInk, width + 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    QPointF end = path.pointAtPercent(1);
    qreal angle = path.angleAtPercent(1);  // degrees, counter-clockwise
    QTransform t;
    t.translate(end.x(), end.y());
    t.rotate(-angle);
    QPolygonF head;
    const qreal k = qMax<qreal>(0.6, width / 6);  // the head grows with the shaft
    head << QPointF(7 * k, 0) << QPointF(-5 * k, -8 * k) << QPointF(-5 * k, 8 * k);
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(c);
    p.drawPolygon(t.map(head));
}

QImage motionBase(const QColor& fill) {
    QImage img = canvas(63, 63, kPaletteBack);
    QPainter p(&img);
    begin(p);
    tile(p, QRectF(1, 1, 61, 34), fill);
    return img;
}

void steer(bool left) {
    QImage img = motionBase(kMotion);
    QPainter p(&img);
    begin(p);
    qreal s = left ? -1 : 1;
    QPainterPath path(QPointF(31.5 - 6 * s, 31));
    path.cubicTo(QPointF(31.5 - 6 * s, 18), QPointF(31.5 + 2 * s, 10), QPointF(31.5 + 15 * s, 9));
    arrow(p, path, kArrow);
    p.end();
    save(img, left ? "02_left_forward" : "04_right_forward");
}

void forward() {
    QImage img = motionBase(kMotion);
    QPainter p(&img);
    begin(p);
    QPainterPath path(QPointF(31.5, 31));
    path.lineTo(31.5, 9);
    arrow(p, path, kArrow, 7);
    p.end();
    save(img, "03_forward");
}

void turn(bool left) {
    QImage img = motionBase(kMotion);
    QPainter p(&img);
    begin(p);
    // Three quarters of a circle around the robot's middle, ending in the turning direction.
    QPainterPath path;
    QRectF circle(19.5, 5, 24, 24);
    if (left) {
        path.arcMoveTo(circle, -60);
        path.arcTo(circle, -60, 250);
    } else {
        path.arcMoveTo(circle, 240);
        path.arcTo(circle, 240, -250);
    }
    arrow(p, path, kArrow, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(31.5, 17), 3, 3);
    p.end();
    save(img, left ? "05_turn_left" : "07_turn_right");
}

void stop() {
    QImage img = motionBase(kMotion);
    QPainter p(&img);
    begin(p);
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        qreal a = qDegreesToRadians(22.5 + 45 * i);
        octagon << QPointF(31.5 + 15 * qCos(a), 18 + 15 * qSin(a));
    }
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(kRed);
    p.drawPolygon(octagon);
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(23, 18), QPointF(40, 18));
    p.end();
    save(img, "06_stop");
}

void wheel(QPainter& p, QPointF c, qreal r) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(60, 60, 70));
    p.drawEllipse(c, r, r);
    p.setBrush(QColor(200, 200, 210));
    p.drawEllipse(c, r * 0.45, r * 0.45);
}

void wheelControl() {
    QImage img = motionBase(kMotion);
    QPainter p(&img);
    begin(p);
    wheel(p, QPointF(17, 22), 9);
    wheel(p, QPointF(46, 22), 9);
    // Speed bars above the wheels: slower on the left, faster on the right.
    p.setPen(Qt::NoPen);
    p.setBrush(kArrow);
    p.drawRoundedRect(QRectF(12, 4, 10, 5), 2, 2);
    p.drawRoundedRect(QRectF(36, 4, 20, 5), 2, 2);
    p.end();
    save(img, "08_wheel_control");
}

void waitClock() {
    QImage img = motionBase(kPink);
    QPainter p(&img);
    begin(p);
    QPointF c(31.5, 18);
    p.setPen(QPen(kInk, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(c, 14, 14);
    for (int i = 0; i < 12; ++i) {
        qreal a = qDegreesToRadians(30.0 * i);
        p.setPen(QPen(kInk, i % 3 == 0 ? 2 : 1));
        p.drawLine(c + QPointF(11 * qCos(a), 11 * qSin(a)), c + QPointF(13 * qCos(a), 13 * qSin(a)));
    }
    p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -9));
    p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(7, 4));
    p.end();
    save(img, "11_wait");
}

void lamp(bool left) {
    QImage img = motionBase(kOrange);
    QPainter p(&img);
    begin(p);
    QPointF c(left ? 25 : 38, 15);
    p.setPen(QPen(QColor(240, 150, 0), 2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 7; ++i) {
        qreal a = qDegreesToRadians(-180 + 30.0 * i);
        p.drawLine(c + QPointF(12 * qCos(a), 12 * qSin(a)), c + QPointF(16 * qCos(a), 16 * qSin(a)));
    }
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kYellow);
    p.drawEllipse(c, 9, 9);
    p.setBrush(QColor(150, 150, 160));
    p.drawRect(QRectF(c.x() - 5, c.y() + 8, 10, 7));
    // Which side: a bold letter beside the lamp.
    p.setPen(kInk);
    p.setFont(uiFont(15));
    p.drawText(QRectF(left ? 38 : 4, 6, 22, 24), Qt::AlignCenter, left ? words("左", "L") : words("右", "R"));
    p.end();
    save(img, left ? "12_left_led" : "13_right_led");
}

void calc() {
    QImage img = motionBase(kMotion);
    QPainter p(&img);
    begin(p);
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(10, 5, 43, 26), 4, 4);
    p.setFont(uiFont(12));
    const char* signs[4] = {"＋", "－", "×", "÷"};
    const QColor colors[4] = {kArrow, kRed, QColor(20, 150, 60), QColor(160, 60, 190)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(colors[i]);
        p.drawText(QRectF(11 + (i % 2) * 21, 5 + (i / 2) * 13, 21, 13), Qt::AlignCenter, QString::fromUtf8(signs[i]));
    }
    p.end();
    save(img, "14_calc");
}

void flagBlock(bool start) {
    QImage img = canvas(108, 45, Qt::white);
    QPainter p(&img);
    begin(p);
    QColor fill = start ? QColor(120, 205, 110) : QColor(250, 150, 120);
    QLinearGradient g(0, 0, 0, 45);
    g.setColorAt(0, fill.lighter(115));
    g.setColorAt(1, fill.darker(105));
    p.setBrush(g);
    p.setPen(QPen(kInk, 2));
    p.drawRoundedRect(QRectF(1, 1, 106, 43), 20, 20);
    // A flag: plain green to start, chequered to finish.
    p.setPen(QPen(kInk, 2));
    p.drawLine(QPointF(16, 9), QPointF(16, 36));
    QRectF cloth(17, 9, 16, 11);
    if (start) {
        p.setBrush(QColor(255, 240, 60));
        p.drawRect(cloth);
    } else {
        p.setPen(Qt::NoPen);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                p.setBrush((x + y) % 2 ? Qt::black : Qt::white);
                p.drawRect(QRectF(cloth.x() + 4 * x, cloth.y() + y * 11.0 / 3, 4, 11.0 / 3));
            }
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(cloth);
    }
    p.setPen(kInk);
    p.setFont(uiFont(15));
    p.drawText(QRectF(34, 0, 72, 45), Qt::AlignCenter, start ? words("はじめ", "Start") : words("おわり", "End"));
    p.end();
    save(img, start ? "00_start" : "01_end");
}

QPolygonF diamond(const QRectF& r) {
    QPolygonF d;
    d << QPointF(r.left(), r.center().y()) << QPointF(r.center().x(), r.top()) << QPointF(r.right(), r.center().y())
      << QPointF(r.center().x(), r.bottom());
    return d;
}

void drawDiamond(QPainter& p, const QRectF& r, const QColor& fill) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, fill.lighter(112));
    g.setColorAt(1, fill.darker(104));
    p.setBrush(g);
    p.setPen(QPen(kInk, 1.6));
    p.drawPolygon(diamond(r));
}

// A die face with `pips` spots.
void die(QPainter& p, const QRectF& r, int pips) {
    p.setPen(QPen(kInk, 1.3));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    qreal s = r.width() / 4;
    auto dot = [&](qreal fx, qreal fy) {
        p.drawEllipse(QPointF(r.left() + fx * r.width(), r.top() + fy * r.height()), s / 2.2, s / 2.2);
    };
    if (pips % 2) dot(0.5, 0.5);
    if (pips >= 2) {
        dot(0.25, 0.25);
        dot(0.75, 0.75);
    }
    if (pips >= 4) {
        dot(0.75, 0.25);
        dot(0.25, 0.75);
    }
}

// A magnifying "look" eye for the sensor question.
void eye(QPainter& p, QPointF c, qreal r) {
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(Qt::white);
    p.drawEllipse(c, r * 1.4, r);
    p.setBrush(kArrow);
    p.drawEllipse(c, r * 0.6, r * 0.6);
}

// The chart lets the key colour through and nothing else: an edge smoothed over the key would
// leave a yellow fringe. The picture is drawn over nothing, then every pixel is either whole (put
// on the chart's white) or the key itself.
QImage keyedByCoverage(const QImage& drawn) {
    QImage out = canvas(drawn.width(), drawn.height(), kKey);
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor c = drawn.pixelColor(x, y);
            if (c.alpha() < 128) continue;
            const auto over = [&](int v) { return (v * c.alpha() + 255 * (255 - c.alpha())) / 255; };
            out.setPixelColor(x, y, QColor(over(c.red()), over(c.green()), over(c.blue())));
        }
    }
    return out;
}

void branchBlock(bool random) {
    QImage img(108, 63, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    begin(p);
    drawDiamond(p, QRectF(1, 1, 106, 61), random ? kOrange : kMotion);
    if (random) {
        die(p, QRectF(38, 18, 14, 14), 3);
        die(p, QRectF(55, 30, 14, 14), 5);
    } else {
        eye(p, QPointF(54, 13), 4);  // the caption goes in the middle third
        p.setPen(kInk);
        p.setFont(uiFont(15));
        p.drawText(QRectF(44, 41, 20, 18), Qt::AlignCenter, "?");
    }
    p.end();
    save(keyedByCoverage(img), random ? "10_random_branch" : "09_branch");
}

void loopArrow(QPainter& p, const QRectF& box, qreal width = 4) {
    QPainterPath path;
    path.arcMoveTo(box, 200);
    path.arcTo(box, 200, -300);
    arrow(p, path, QColor(230, 110, 40), width);
}

void repeatBlock(bool start) {
    QImage img = canvas(108, 36, Qt::white);
    QPainter p(&img);
    begin(p);
    tile(p, QRectF(1, 1, 106, 34), kPeach);
    if (start) {
        loopArrow(p, QRectF(7, 10, 15, 15), 2.5);
        p.setPen(kInk);
        p.setFont(uiFont(10));
        p.drawText(QRectF(24, 2, 40, 32), Qt::AlignCenter, words("くり返し", "Repeat"));
        // Right part stays plain: the repeat number is written there.
    } else {
        QPainterPath path(QPointF(84, 26));
        path.lineTo(96, 26);
        path.cubicTo(QPointF(104, 26), QPointF(104, 9), QPointF(96, 9));
        path.lineTo(80, 9);
        arrow(p, path, QColor(230, 110, 40), 3.5);
        p.setPen(kInk);
        p.setFont(uiFont(12));
        p.drawText(QRectF(6, 2, 60, 14), Qt::AlignLeft | Qt::AlignVCenter, words("ここまで", "To here"));
    }
    p.end();
    save(img, start ? "15_repeat_start" : "16_repeat_end");
}

void sensorBox(QPainter& p, const QRectF& r, const QString& label, qreal labelY) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, 4, 4);
    p.setPen(kInk);
    p.setFont(uiFont(11));
    p.drawText(QRectF(r.left() - 8, labelY, r.width() + 16, 14), Qt::AlignCenter, label);
}

void sensorPanel(bool four) {
    const int w = 232, h = 160;
    QImage img = canvas(w, h, kPaletteBack);
    QPainter p(&img);
    begin(p);
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(255, 250, 232));
    p.drawRoundedRect(QRectF(1, 1, w - 2, h - 2), 10, 10);
    // The robot seen from above, driving up the panel.
    QRectF body(76, 30, 80, 112);
    p.setBrush(QColor(250, 250, 255));
    p.setPen(QPen(kInk, 2));
    p.drawRoundedRect(body, 18, 18);
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(QRectF(64, 88, 12, 36), 4, 4);
    p.drawRoundedRect(QRectF(156, 88, 12, 36), 4, 4);
    p.setBrush(QColor(120, 200, 255));
    p.drawRoundedRect(QRectF(96, 70, 40, 26), 6, 6);
    // Sensors at the front edge, each wired to the box that shows its value.
    struct Sensor {
        QPointF at;
        QRectF box;
        QString label;
        qreal labelY;
    };
    std::vector<Sensor> sensors = {
        {QPointF(104, 38), QRectF(6, 37, 52, 25), words("左センサ", "Left"), 63},
        {QPointF(128, 38), QRectF(162, 37, 52, 25), words("右センサ", "Right"), 63},
    };
    if (four) {
        sensors.push_back({QPointF(92, 50), QRectF(3, 83, 48, 25), words("センサ③", "Sensor ③"), 109});
        sensors.push_back({QPointF(140, 50), QRectF(172, 83, 48, 25), words("センサ④", "Sensor ④"), 109});
    }
    for (const Sensor& s : sensors) {
        QPointF edge(s.box.center().x() < w / 2 ? s.box.right() : s.box.left(), s.box.center().y());
        p.setPen(QPen(QColor(240, 150, 0), 2, Qt::DashLine));
        p.drawLine(s.at, edge);
    }
    for (const Sensor& s : sensors) {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(kRed);
        p.drawEllipse(s.at, 5, 5);
        sensorBox(p, s.box, s.label, s.labelY);
    }
    p.end();
    save(img, four ? "18_sensor_panel_4" : "17_sensor_panel_2");
}

void buttons() {
    {
        QImage img = canvas(63, 36, kPaletteBack);
        QPainter p(&img);
        begin(p);
        drawDiamond(p, QRectF(1, 1, 61, 34), kOrange);
        die(p, QRectF(21, 9, 10, 10), 3);
        die(p, QRectF(32, 16, 10, 10), 5);
        p.end();
        save(img, "19_button_random_branch");
    }
    {
        QImage img = canvas(63, 36, kPaletteBack);
        QPainter p(&img);
        begin(p);
        tile(p, QRectF(1, 1, 61, 34), kPeach);
        loopArrow(p, QRectF(20, 7, 22, 22));
        p.end();
        save(img, "20_button_repeat_start");
    }
    {
        QImage img = canvas(63, 36, kPaletteBack);
        QPainter p(&img);
        begin(p);
        drawDiamond(p, QRectF(1, 1, 61, 34), kMotion);
        p.setPen(kInk);
        p.setFont(uiFont(16));
        p.drawText(QRectF(0, 0, 63, 36), Qt::AlignCenter, "?");
        p.end();
        save(img, "21_button_branch");
    }
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    g_english = args.size() == 3 && args[0] == "--lang" && args[1] == "en";
    if (args.size() != (g_english ? 3 : 1)) {
        std::fprintf(stderr, "usage: skingen [--lang en] <output folder>\n");
        return 2;
    }
    g_out = args.last();
    QDir().mkpath(g_out);
    flagBlock(true);
    flagBlock(false);
    steer(true);
    forward();
    steer(false);
    turn(true);
    stop();
    turn(false);
    wheelControl();
    branchBlock(false);
    branchBlock(true);
    waitClock();
    lamp(true);
    lamp(false);
    calc();
    repeatBlock(true);
    repeatBlock(false);
    sensorPanel(false);
    sensorPanel(true);
    buttons();
    return 0;
}
