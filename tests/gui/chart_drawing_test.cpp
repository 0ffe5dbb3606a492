// The chart as pixels: what a block, its marks and its connectors look like in the back buffer.

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QtTest>

#include "base/gui/ui_text.h"
#include "editor/gui/chart_drawing.h"
#include "editor/gui/program_area.h"
#include "model/option_flags.h"
#include "editor/routing.h"
#include "gui_test_support.h"

using namespace trovel;
using trovel::test::addBlock;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kGridColour(192, 192, 192);
const QColor kMotionFill(183, 226, 176);

QColor inverted(QColor c) { return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()); }

// How far a colour leans towards the diamonds' key, RGB(255, 255, 128): red and green above blue.
// Outside a diamond's outline only the chart (white, grey) and the outline's dark ink may show,
// all at 0 or below; a pixel a tenth of the way from white to the key already reaches 12.
int yellowness(QColor c) { return std::min(c.red(), c.green()) - c.blue(); }

// Signed distance in chart pixels from (x, y) to the outline of the diamond inscribed in r:
// positive outside.
double distanceToDiamond(const QRectF& r, double x, double y) {
    const double cx = r.center().x(), cy = r.center().y(), hw = r.width() / 2, hh = r.height() / 2;
    // |dx| / hw + |dy| / hh = 1 on the outline; scale the level difference by the edge's normal.
    const double level = std::fabs(x - cx) / hw + std::fabs(y - cy) / hh - 1;
    return level / std::hypot(1 / hw, 1 / hh);
}

}  // namespace

class ChartDrawingTest : public QObject {
    Q_OBJECT

    BlockProgram m_program;
    ChartStyle m_style;
    QImage m_image;

    ChartExtent draw(uint32_t options = 0, bool full = true) {
        QPainter painter(&m_image);
        ChartView view;
        view.client = QSize(600, 500);
        view.full = full;
        return drawChart(painter, m_program, m_style, options, view);
    }
    QColor at(int x, int y) const { return m_image.pixelColor(x, y); }

private slots:
    void init() {
        clear(m_program);
        m_style = defaultChartStyle(chartTextSources({}, {}));
        m_image = QImage(620, 520, QImage::Format_RGB32);
        m_image.fill(Qt::black);
    }

    void emptyProgramDrawsBackgroundAndGrid() {
        const ChartExtent extent = draw();
        QCOMPARE(extent.content, (Rect{0, 0, 36, 36}));
        QCOMPARE(extent.rangeX, 600);  // at least the client size
        QCOMPARE(extent.rangeY, 500);
        QCOMPARE(at(4, 4), kWhite);
        QCOMPARE(at(9, 4), kGridColour);
        QCOMPARE(at(4, 18), kGridColour);
        QCOMPARE(at(594, 495), kGridColour);  // 594 and 495 are grid multiples
        QCOMPARE(at(596, 497), kWhite);
    }

    // Every pixel of a scrolled background: grid lines exactly on the 9-pixel multiples of the
    // chart, and only up to the end of the chart's range.
    void gridLinesFollowTheScrollAndStopAtTheRange() {
        for (bool window : {true, false}) {
            init();
            QPainter painter(&m_image);
            ChartView view;
            view.client = QSize(600, 500);
            view.scroll = QPoint(13, 22);
            view.window = window;
            const ChartExtent extent = drawChart(painter, m_program, m_style, 0, view);
            painter.end();
            int wrong = 0;
            for (int sy = 0; sy < 516; ++sy) {
                for (int sx = 0; sx < 616; ++sx) {
                    const int x = sx + 13, y = sy + 22;
                    const bool line = (x % 9 == 0 && x < extent.rangeX + 16) || (y % 9 == 0 && y < extent.rangeY + 16);
                    wrong += at(sx, sy) != (line ? kGridColour : kWhite);
                }
            }
            QVERIFY2(wrong == 0, qPrintable(QStringLiteral("window %1: %2 pixels wrong").arg(window).arg(wrong)));
        }
    }

    void withoutAWindowTheRangesAreTheChartItself() {
        addBlock(m_program, BlockType::Forward, 900, 90);
        QPainter painter(&m_image);
        ChartView view;
        view.client = QSize(600, 500);
        view.window = false;
        const ChartExtent extent = drawChart(painter, m_program, m_style, 0, view);
        QCOMPARE(extent.content, (Rect{0, 0, 999, 189}));
        QCOMPARE(extent.rangeX, 999);
        QCOMPARE(extent.rangeY, 189);
    }

    void selectingABlockInvertsItAndDeselectingRestoresIt() {
        ActionBlock* block = addBlock(m_program, BlockType::Forward, 90, 90);
        draw();
        QCOMPARE(at(93, 150), kMotionFill);         // caption panel, away from the text
        QCOMPARE(at(91, 126), QColor(64, 64, 64));  // the panel's outline

        block->flags |= FlagSelected | FlagChanged;
        draw(0, false);  // a partial redraw over the previous picture
        QCOMPARE(at(93, 150), inverted(kMotionFill));

        block->flags = FlagChanged;
        draw(0, false);
        QCOMPARE(at(93, 150), kMotionFill);
        QCOMPARE(block->flags & FlagChanged, 0u);  // drawn blocks are no longer pending
    }

    void aPartialRedrawLeavesUnchangedBlocksAlone() {
        ActionBlock* a = addBlock(m_program, BlockType::Forward, 90, 90);
        addBlock(m_program, BlockType::Forward, 270, 90);
        draw();
        m_image.setPixelColor(273, 150, Qt::black);  // a mark only a repaint of the second block would clear
        a->flags |= FlagChanged;
        draw(0, false);
        QCOMPARE(at(273, 150), QColor(Qt::black));
        draw(0, true);
        QCOMPARE(at(273, 150), kMotionFill);
    }

    void aCollidingBlockIsOnlyADottedBlueOutline() {
        ActionBlock* block = addBlock(m_program, BlockType::Forward, 90, 90);
        block->flags |= FlagColliding | FlagSelected;
        draw();
        QVERIFY(at(93, 150) != kMotionFill);
        QVERIFY(at(93, 150) != inverted(kMotionFill));
        int blue = 0;
        for (int x = 90; x < 153; ++x) blue += at(x, 91) == QColor(0, 0, 255);
        QVERIFY2(blue > 10 && blue < 60, qPrintable(QString::number(blue)));  // dotted, not solid
    }

    void currentBlockAndItsPartnerGetRedBrackets() {
        ActionBlock* start = addBlock(m_program, BlockType::Start, 27, 9);
        ActionBlock* end = addBlock(m_program, BlockType::End, 27, 300);
        start->partner = end;
        end->partner = start;
        start->next[0] = end;
        m_program.currentBlock = start;
        draw();
        const QColor red(255, 0, 0);
        QCOMPARE(at(26, 14), red);   // left stroke of the top-left L
        QCOMPARE(at(30, 8), red);    // top stroke
        QCOMPARE(at(26, 340), red);  // the partner's bottom-left L
        QVERIFY(at(26, 30) != red);  // the Ls stop after 10 pixels
    }

    void dropTargetGetsADragColouredFrame() {
        ActionBlock* block = addBlock(m_program, BlockType::Wait, 90, 90);
        block->flags |= FlagDropTarget;
        draw();
        QCOMPARE(at(120, 90), QColor(192, 0, 192));
        QCOMPARE(at(90, 110), QColor(192, 0, 192));
    }

    void connectorsUseTheirOutputColours() {
        ActionBlock* repeat = addBlock(m_program, BlockType::RepeatStart, 90, 90);
        ActionBlock* repeatEnd = addBlock(m_program, BlockType::RepeatEnd, 90, 180);
        repeat->partner = repeatEnd;
        repeatEnd->partner = repeat;
        repeat->next[0] = repeatEnd;
        repeatEnd->next[1] = repeat;
        draw();
        // The loop-back runs up at x = 198 + 27 = 225 in grey.
        const Route loop = routeConnector(*repeatEnd, 1);
        QCOMPARE(loop.code, RouteCode::SideUpRight);
        QCOMPARE(at(225, 170), QColor(128, 128, 128));
        // Output 0 of the RepeatStart is blue from its start handle down.
        QCOMPARE(at(144, 130), QColor(0, 0, 255));
        // The open output 0 of the RepeatEnd: handle and arrowhead at its bottom centre.
        QCOMPARE(at(140, 214), QColor(0, 0, 255));

        // A dragged output is drawn in the drag colour.
        repeat->flags |= FlagEndDrag0;
        draw();
        QCOMPARE(at(144, 130), QColor(192, 0, 192));
    }

    void branchOutputsCarryTheirLabelsOnlyWhenLinkedOnRouteThree() {
        ActionBlock* branch = addBlock(m_program, BlockType::Branch, 90, 90);
        draw();
        const Route open = routeConnector(*branch, 0);
        QCOMPARE(open.code, RouteCode::Down);
        // An open output: no label and no circle at its (zero-length) mid.
        QCOMPARE(at(open.mid.x, open.mid.y - 3), QColor(0, 0, 255));  // inside the start handle
        ActionBlock* target = addBlock(m_program, BlockType::Stop, 113, 300);
        branch->next[0] = target;
        draw();
        const Route linked = routeConnector(*branch, 0);
        // "はい" on a fill-coloured ground framed in blue around the mid point.
        int fill = 0;
        for (int dx = -12; dx <= 12; ++dx) fill += at(linked.mid.x + dx, linked.mid.y) == QColor(183, 226, 176);
        QVERIFY(fill > 0);
    }

    void overlappingBlocksShowOnlyTheMarker() {
        ActionBlock* a = addBlock(m_program, BlockType::Forward, 90, 90);
        ActionBlock* b = addBlock(m_program, BlockType::Forward, 100, 100);
        a->next[0] = b;
        draw();
        const Route route = routeConnector(*a, 0);
        QCOMPARE(route.code, RouteCode::Overlap);
        const Point c{(route.marker[0].x + route.marker[1].x + route.marker[2].x) / 3,
                      (route.marker[0].y + route.marker[1].y + route.marker[2].y) / 3};
        QCOMPARE(at(c.x, c.y), QColor(0, 0, 255));
    }

    void skinImagesAreCopiedAndDiamondKeysAreTransparent() {
        QImage forward(63, 36, QImage::Format_RGB32);
        forward.fill(QColor(10, 20, 30));
        QImage diamond(108, 63, QImage::Format_RGB32);
        diamond.fill(QColor(255, 255, 128));
        diamond.setPixelColor(54, 8, QColor(200, 0, 0));  // above the caption, whatever the font
        m_style.skins.assign(17, QImage());
        m_style.skins[3] = forward;
        m_style.skins[9] = withKeyColorTransparent(diamond);
        addBlock(m_program, BlockType::Forward, 90, 90);
        addBlock(m_program, BlockType::Branch, 270, 90);
        draw();
        QCOMPARE(at(100, 100), QColor(10, 20, 30));
        QCOMPARE(at(324, 98), QColor(200, 0, 0));
        QCOMPARE(at(275, 94), kWhite);  // the key colour lets the background through
    }

    // On a scaled screen the chart is drawn in device pixels: grid lines of one width on whole
    // pixels, and the diamonds' key colour gone right up to their edges, also after scaling.
    void drawnAtTheDeviceRatio_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1") << qreal(1);
        QTest::newRow("1.5") << qreal(1.5);
        QTest::newRow("2") << qreal(2);
    }
    void drawnAtTheDeviceRatio() {
        QFETCH(qreal, ratio);
        m_style.skins.assign(17, QImage());
        for (int type : {9, 10}) {
            const QString file = QStringLiteral(TROVEL_SOURCE_DIR "/data/skin/%1.bmp")
                                     .arg(type == 9 ? QStringLiteral("09_branch") : QStringLiteral("10_random_branch"));
            m_style.skins[size_t(type)] = withKeyColorTransparent(QImage(file));
            QVERIFY2(!m_style.skins[size_t(type)].isNull(), qPrintable(file));
        }
        const ActionBlock* branch = addBlock(m_program, BlockType::Branch, 90, 90);
        const ActionBlock* random = addBlock(m_program, BlockType::RandomBranch, 270, 90);
        m_image = QImage((QSizeF(620, 520) * ratio).toSize(), QImage::Format_RGB32);
        m_image.setDevicePixelRatio(ratio);
        draw();

        // A device row through empty chart space crosses every vertical grid line: each one is the
        // same whole number of device pixels wide and nothing lies between grid and background.
        const int row = int(std::lround(400.5 * ratio));
        const int lineWidth = std::max(1, int(ratio));
        int run = 0, lines = 0;
        for (int x = 0; x < int(590 * ratio); ++x) {
            const QColor c = m_image.pixelColor(x, row);
            QVERIFY2(c == kGridColour || c == kWhite, qPrintable(QString("x %1: %2").arg(x).arg(c.name())));
            if (c == kGridColour) {
                ++run;
            } else if (run > 0) {
                QVERIFY2(run == lineWidth, qPrintable(QString("line before x %1 is %2 wide").arg(x).arg(run)));
                run = 0;
                ++lines;
            }
        }
        QCOMPARE(lines, 66);  // x = 0, 9, ... 585

        for (const ActionBlock* diamond : {branch, random}) {
            const QRectF shape(diamond->x, diamond->y, diamond->width, diamond->height);
            int checked = 0;
            for (int dy = int(shape.top() * ratio) - 2; dy < int(shape.bottom() * ratio) + 2; ++dy) {
                for (int dx = int(shape.left() * ratio) - 2; dx < int(shape.right() * ratio) + 2; ++dx) {
                    const double x = (dx + 0.5) / ratio, y = (dy + 0.5) / ratio;
                    const double outside = distanceToDiamond(shape, x, y);
                    if (outside < 0 || outside > 3) continue;
                    ++checked;
                    const QColor c = m_image.pixelColor(dx, dy);
                    QVERIFY2(c != QColor(255, 255, 128) && yellowness(c) < 12,
                             qPrintable(QString("type %1, device pixel (%2, %3): %4")
                                            .arg(int(diamond->type))
                                            .arg(dx)
                                            .arg(dy)
                                            .arg(c.name())));
                }
            }
            QVERIFY(checked > 400 * ratio);
        }
    }

    // The program area's back buffer holds the screen's device pixels (this test runs at scale 2).
    void backBufferHoldsDevicePixels() {
        OptionFlags options;
        ProgramArea area(m_program, m_style, options);
        area.resize(400, 300);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        const qreal ratio = area.viewport()->devicePixelRatioF();
        QCOMPARE(ratio, qreal(2));
        const QImage& buffer = area.redrawBackBuffer();
        QCOMPARE(buffer.devicePixelRatio(), ratio);
        QCOMPARE(buffer.size(), QSize(2 * kBackBufferSide, 2 * kBackBufferSide));
        // Grid line x = 9 of the chart: device columns 18 and 19, and nothing at column 20.
        QCOMPARE(buffer.pixelColor(18, 5), kGridColour);
        QCOMPARE(buffer.pixelColor(19, 5), kGridColour);
        QCOMPARE(buffer.pixelColor(20, 5), kWhite);
    }

    // "Right sensor>80" is a little wider than a Branch's caption box: it is narrowed and shown
    // whole, so the threshold stays readable; only a far longer caption is cut short.
    void aCaptionSlightlyTooWideIsNarrowedNotCut() {
        std::array<std::u16string, 32> names;
        names[10] = u"Right sensor";
        names[16] = u"A memory name far too long for any box";
        m_style = defaultChartStyle(chartTextSources(names, names));
        const auto captionPixels = [this](uint8_t operand, uint8_t threshold) {
            clear(m_program);
            ActionBlock* branch = addBlock(m_program, BlockType::Branch, 90, 90);
            branch->param = {operand, 2, threshold, 0, 0};
            m_image.fill(Qt::black);
            draw();
            return m_image.copy(90, 90 + 63 / 3, 108, 63 / 3 + 4);
        };
        const QFontMetrics metrics(m_style.font);
        QVERIFY(metrics.horizontalAdvance(QStringLiteral("Right sensor>80")) > 104);  // wider than the box
        QVERIFY(captionPixels(1, 80) != captionPixels(1, 81));                        // the last digit is drawn
        QCOMPARE(captionPixels(6, 80), captionPixels(6, 81));                         // cut before it
    }

    void chartFontIsJapanese() {
        const QFontInfo info(m_style.font);
        QVERIFY2(QFontDatabase::families(QFontDatabase::Japanese).contains(info.family()), qPrintable(info.family()));
        QCOMPARE(info.pixelSize(), 14);
        QVERIFY(info.bold());
    }
};

// The widgets of this test live on a screen of scale 2; the pictures say their own ratio.
int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    ChartDrawingTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "chart_drawing_test.moc"
