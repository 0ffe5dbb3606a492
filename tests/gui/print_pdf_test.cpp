// The printed PDFs, read back with poppler's tools as a printer would see them: page count and size,
// the course where it belongs on each tile, and the scale bar 100 mm long on the page.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <cmath>

#include "app/app_config.h"
#include "app/gui/main_window.h"
#include "app/studio_context.h"
#include "editor/gui/chart_style.h"
#include "gui_test_support.h"
#include "model/option_flags.h"
#include "model/program_file.h"
#include "sim/course_config.h"
#include "sim/gui/course_pdf.h"
#include "sim/print_tiles.h"

using namespace trovel;

namespace {

constexpr double kPointsPerMm = 72 / 25.4;
// Ten pixels a millimetre: a millimetre of error is ten pixels.
constexpr int kDpi = 254;
constexpr double kPixelsPerMm = kDpi / 25.4;

bool havePoppler() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// pdfinfo's page count and the first page's size in points.
struct PdfInfo {
    int pages = 0;
    double width = 0, height = 0;
};

PdfInfo pdfInfo(const QString& path) {
    PdfInfo info;
    const QString out = run(QStringLiteral("pdfinfo"), {path});
    const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(out);
    if (pages.hasMatch()) info.pages = pages.captured(1).toInt();
    if (size.hasMatch()) {
        info.width = size.captured(1).toDouble();
        info.height = size.captured(2).toDouble();
    }
    return info;
}

// Page `page` (from 1) at kDpi.
QImage renderPage(const QString& pdf, int page) {
    const QString prefix = pdf + QStringLiteral("-page%1").arg(page);
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(kDpi),
                                     QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                     QString::number(page), QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The longest unbroken run of dark pixels on one row of the bottom `bandMm` of the page, in mm.
double longestDarkRunMm(const QImage& page, double bandMm) {
    int longest = 0;
    for (int y = page.height() - int(bandMm * kPixelsPerMm); y < page.height(); ++y) {
        int run = 0;
        for (int x = 0; x < page.width(); ++x) {
            run = qGray(page.pixel(x, y)) < 96 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest / kPixelsPerMm;
}

CourseSet shippedCourses() {
    CourseSet set;
    loadCourseConfig(set, TROVEL_APP_DIR);
    return set;
}

}  // namespace

class PrintPdfTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!havePoppler())
            QSKIP("pdftoppm and pdfinfo (poppler-utils) are not installed: the PDFs cannot be read back");
    }

    void courseTilesPrintAtActualSize_data() {
        QTest::addColumn<int>("paper");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<int>("pages");
        QTest::newRow("A4 portrait") << int(Paper::A4) << false << 33;
        QTest::newRow("A3 landscape") << int(Paper::A3) << true << 17;
    }

    void courseTilesPrintAtActualSize() {
        QFETCH(int, paper);
        QFETCH(bool, landscape);
        QFETCH(int, pages);
        const CourseSet set = shippedCourses();
        const CoursePicture* picture = coursePicture(set, 1);
        QVERIFY(picture);
        CoursePdfJob job;
        job.picture = coursePictureImage(*picture);
        job.courseName = QStringLiteral("checkpoint");
        job.plan = planTiles({defaultMatSize(set.robotHalf), Paper(paper), landscape});
        const QString path = test::testDir(QStringLiteral("print_tiles_%1_%2").arg(paper).arg(landscape)) +
                             QStringLiteral("/course.pdf");
        QVERIFY(saveCoursePdf(path, job));

        const PdfInfo info = pdfInfo(path);
        QCOMPARE(info.pages, pages);
        const PageSizeMm page = paperSizeMm(Paper(paper), landscape);
        QVERIFY2(std::abs(info.width - page.width * kPointsPerMm) < 1, qPrintable(QString::number(info.width)));
        QVERIFY2(std::abs(info.height - page.height * kPointsPerMm) < 1, qPrintable(QString::number(info.height)));

        // Of the tiles away from the mat's top and left edges, the one with the most of the track: a
        // tile drawn a course pixel off shows there.
        const PrintTile* busiest = nullptr;
        int mostDark = -1;
        for (const PrintTile& t : job.plan.tiles) {
            if (t.row == 0 || t.column == 0) continue;
            int dark = 0;
            for (int y = int(t.source.y); y < int(t.source.bottom()); ++y)
                for (int x = int(t.source.x); x < int(t.source.right()); ++x)
                    dark += qGray(job.picture.pixel(x, y)) < 128;
            if (dark > mostDark) {
                mostDark = dark;
                busiest = &t;
            }
        }
        QVERIFY(busiest && mostDark > 1000);
        // The overview and that tile: the scale bar, and the tile's part of the course.
        for (int n : {1, 2 + int(busiest - job.plan.tiles.data())}) {
            const QImage rendered = renderPage(path, n);
            QVERIFY(!rendered.isNull());
            const double bar = longestDarkRunMm(rendered, job.plan.tiles.front().page.y);
            QVERIFY2(std::abs(bar - kScaleBarMm) <= 1, qPrintable(QStringLiteral("page %1: %2 mm").arg(n).arg(bar)));
            if (n == 1) continue;
            const PrintTile& tile = *busiest;
            int compared = 0, differing = 0;
            // Centres of course pixels, away from the overlap strips with their marks.
            for (int sy = int(std::ceil(tile.source.y)) + 5; sy < int(tile.source.bottom()) - 5; sy += 3) {
                for (int sx = int(std::ceil(tile.source.x)) + 5; sx < int(tile.source.right()) - 5; sx += 3) {
                    const double x = tile.page.x + (sx + 0.5) * job.plan.mmPerUnit - tile.mat.x;
                    const double y = tile.page.y + (sy + 0.5) * job.plan.mmPerUnit - tile.mat.y;
                    const QRgb seen = rendered.pixel(int(x * kPixelsPerMm), int(y * kPixelsPerMm));
                    const QRgb want = job.picture.pixel(sx, sy);
                    ++compared;
                    // Smoothing mixes an eighth of each differing neighbour into a pixel's centre,
                    // up to a quarter where the neighbours across and down both differ; a pixel
                    // drawn even half a course pixel off differs by half the step.
                    differing += std::abs(qGray(seen) - qGray(want)) > 72;
                }
            }
            QVERIFY(compared > 500);
            QVERIFY2(differing == 0, qPrintable(QStringLiteral("%1 of %2 pixels differ").arg(differing).arg(compared)));
        }
    }

    void posterIsOnePageOfTheMatsSize() {
        const CourseSet set = shippedCourses();
        CoursePdfJob job;
        job.picture = coursePictureImage(*coursePicture(set, 0));
        job.poster = true;
        job.plan.mat = fitCourseToMat({1200, 900});
        const QString path = test::testDir(QStringLiteral("print_poster")) + QStringLiteral("/poster.pdf");
        QVERIFY(saveCoursePdf(path, job));
        const PdfInfo info = pdfInfo(path);
        QCOMPARE(info.pages, 1);
        QVERIFY2(std::abs(info.width - 1200 * kPointsPerMm) < 1, qPrintable(QString::number(info.width)));
        QVERIFY2(std::abs(info.height - job.plan.mat.height * kPointsPerMm) < 1,
                 qPrintable(QString::number(info.height)));
    }

    // The studio's two print commands: the dialog's choices reach the PDF, and the user is told.
    void studioPrintsTheProgramAndACourse() {
        StudioContext context;
        MainWindowSetup setup{context};
        setup.style = defaultChartStyle(chartTextSources({}, {}));
        setup.statusFont = chartFont();
        setup.appDir = QStringLiteral(TROVEL_APP_DIR);
        MainWindow window(std::move(setup));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.openProgramFile(QStringLiteral(TROVEL_SOURCE_DIR "/examples/line_follower.qxp")));
        const QString dir = test::testDir(QStringLiteral("print_studio"));
        QStringList files{dir + QStringLiteral("/chart.pdf"), dir + QStringLiteral("/course.pdf")};
        window.setFileChooser(
            [&files](bool, const QString&) { return files.isEmpty() ? QString() : files.takeFirst(); });
        test::ScriptedAnswers answers;
        answers.buttons = {QMessageBox::Ok, QMessageBox::Ok};
        window.setAsker(answers.asker());

        // A3 lying for the chart.
        test::ModalAnswerer chart([](QWidget* w) {
            if (w->objectName() != QLatin1String("chartPrintDialog")) return false;
            w->findChild<QComboBox*>(QStringLiteral("paper"))->setCurrentIndex(1);
            w->findChild<QRadioButton*>(QStringLiteral("landscape"))->setChecked(true);
            w->findChild<QPushButton*>(QStringLiteral("ok"))->click();
            return true;
        });
        window.actionById(Command::PrintProgram)->trigger();
        QVERIFY(chart.answered());
        PdfInfo info = pdfInfo(dir + QStringLiteral("/chart.pdf"));
        QCOMPARE(info.pages, 1);
        QVERIFY2(std::abs(info.width - 420 * kPointsPerMm) < 1, qPrintable(QString::number(info.width)));

        // The third course on A3 standing, 700 mm wide (the height follows: 500 mm): 3 x 2 tiles and the overview.
        test::ModalAnswerer course([](QWidget* w) {
            if (w->objectName() != QLatin1String("coursePrintDialog")) return false;
            w->findChild<QComboBox*>(QStringLiteral("course"))->setCurrentIndex(2);
            w->findChild<QComboBox*>(QStringLiteral("paper"))->setCurrentIndex(1);
            w->findChild<QDoubleSpinBox*>(QStringLiteral("matWidth"))->setValue(700);
            w->findChild<QPushButton*>(QStringLiteral("ok"))->click();
            return true;
        });
        window.actionById(Command::PrintCourse)->trigger();
        QVERIFY(course.answered());
        info = pdfInfo(dir + QStringLiteral("/course.pdf"));
        QCOMPARE(info.pages, 7);
        QVERIFY2(std::abs(info.height - 420 * kPointsPerMm) < 1, qPrintable(QString::number(info.height)));
        QCOMPARE(answers.texts.size(), 2);
        for (const QString& text : answers.texts)
            QVERIFY2(text.contains(QStringLiteral("PDF を保存しました")), qPrintable(text));
    }
};

QTEST_MAIN(PrintPdfTest)
#include "print_pdf_test.moc"
