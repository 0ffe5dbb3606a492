// Draws the 13-row message strip the simulator shows over the course: one row per run result,
// then the time label, "new record" and "start". Black is the transparent colour, so every
// glyph gets a light outline and nothing is drawn in pure black.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

constexpr int kWidth = 512;
constexpr int kRowHeight = 40;
constexpr int kRows = 13;

struct Row {
    const char16_t* text;
    const char16_t* english;  // the same row for the English language pack
    QColor fill;
};

const Row kMessages[kRows] = {
    {u"フリー走行", u"Free run", QColor(120, 120, 120)},
    {u"計測中", u"Timing", QColor(40, 120, 230)},
    {u"コースアウト！", u"Off the line!", QColor(220, 40, 40)},
    {u"センサを使っていないよ", u"You are not using the sensors", QColor(220, 40, 40)},
    {u"ゴールで止まれなかった", u"Did not stop at the goal", QColor(220, 40, 40)},
    {u"進入禁止エリア！", u"No-entry area!", QColor(220, 40, 40)},
    {u"チェックポイントをとばした", u"Missed a checkpoint", QColor(220, 40, 40)},
    {u"ゴールの外で止まった", u"Stopped outside the goal", QColor(220, 40, 40)},
    {u"ゴール！", u"Goal!", QColor(250, 180, 0)},
    {nullptr, nullptr, QColor()},
    {u"タイム", u"Time", QColor(30, 30, 150)},
    {u"新記録！", u"New record!", QColor(250, 110, 20)},
    {u"スタート！", u"Start!", QColor(30, 170, 70)},
};

// The time label is shown squeezed into 225 x 30 pixels to the left of the running time. Its row
// is drawn widened by the same factor and ends where the digits begin, so on screen it has its
// true shape and the full height of the time row, in every language.
constexpr int kTimeRow = 10;
constexpr double kTimeStretch = (double(kWidth) / 225) / (double(kRowHeight) / 30);
constexpr int kTimeRight = 350;  // strip column of screen x 554, left of the digits at 565

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    // --lang en draws the English rows into the language pack's folder (data/lang/en).
    const bool english = args.size() == 3 && args[0] == "--lang" && args[1] == "en";
    if (args.size() != (english ? 3 : 1)) {
        std::fprintf(stderr, "usage: simtext [--lang en] DATA_FOLDER\n");
        return 2;
    }
    QImage strip(kWidth, kRows * kRowHeight, QImage::Format_RGB888);
    strip.fill(Qt::black);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font;
    font.setFamilies({"IPAGothic", "VL Gothic", "Noto Sans CJK JP", "MS UI Gothic"});
    font.setBold(true);
    for (int row = 0; row < kRows; ++row) {
        if (!kMessages[row].text) continue;
        QString text = QString::fromUtf16(english ? kMessages[row].english : kMessages[row].text);
        const bool timeLabel = row == kTimeRow;
        const double stretch = timeLabel ? kTimeStretch : 1.0;
        const int room = timeLabel ? kTimeRight - 12 : kWidth - 24;
        font.setPixelSize(timeLabel ? 34 : 30);
        QFontMetrics fm(font);
        while (fm.horizontalAdvance(text) * stretch > room && font.pixelSize() > 12) {
            font.setPixelSize(font.pixelSize() - 1);
            fm = QFontMetrics(font);
        }
        QPainterPath path;
        const double width = fm.horizontalAdvance(text) * stretch;
        const double x = timeLabel ? kTimeRight - width : (kWidth - fm.horizontalAdvance(text)) / 2;
        int y = row * kRowHeight + (kRowHeight + fm.ascent() - fm.descent()) / 2;
        path.addText(0, y, font, text);
        path = QTransform(stretch, 0, 0, 1, x, 0).map(path);
        p.setPen(QPen(QColor(255, 255, 255), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(kMessages[row].fill);
        p.drawPath(path);
    }
    p.end();
    // Antialiasing may leave pure black inside the glyph edges; nudge it off the colour key.
    for (int y = 0; y < strip.height(); ++y) {
        uchar* line = strip.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            uchar* px = line + 3 * x;
            bool black = px[0] == 0 && px[1] == 0 && px[2] == 0;
            bool nearBlack = px[0] < 8 && px[1] < 8 && px[2] < 8;
            if (!black && nearBlack) px[0] = px[1] = px[2] = 8;
        }
    }
    QDir().mkpath(args.last() + "/sim");
    QString out = args.last() + "/sim/messages.bmp";
    if (!strip.save(out, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
