// trovel-cli render draws what the studio's picture export saves, pixel for pixel, and scales to
// fit; both show the program alone, never what the pupil was doing with it.

#include <QAction>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QtTest>

#include "app/app_config.h"
#include "app/studio_context.h"
#include "base/app_folder.h"
#include "base/gui/ui_text.h"
#include "base/string_ids.h"
#include "app/gui/main_window.h"
#include "app/gui/studio_setup.h"
#include "base/locale_id.h"
#include "editor/gui/chart_drawing.h"
#include "editor/gui/program_area.h"
#include "model/program_file.h"
#include "gui_test_support.h"
#include "model/option_flags.h"

using namespace trovel;

namespace {

// trovel-cli render with the shipped application folder; its exit code, stderr in `err`.
int render(const QStringList& args, QString* err = nullptr) {
    QProcess cli;
    cli.start(QStringLiteral(TROVEL_CLI),
              QStringList{QStringLiteral("render")} + args + QStringList{QStringLiteral("--app-dir"), TROVEL_APP_DIR});
    if (!cli.waitForFinished(60000)) return -1;
    if (err) *err = QString::fromUtf8(cli.readAllStandardError());
    return cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
}

}  // namespace

class ChartRenderTest : public QObject {
    Q_OBJECT

private slots:
    void renderEqualsTheStudiosPictureExport_data() {
        QTest::addColumn<QString>("program");
        for (const QString& name : QDir(TROVEL_SOURCE_DIR "/examples").entryList({QStringLiteral("*.qxp")}))
            QTest::newRow(qPrintable(name)) << QStringLiteral(TROVEL_SOURCE_DIR "/examples/") + name;
    }

    void renderEqualsTheStudiosPictureExport() {
        QFETCH(QString, program);
        const QString dir = test::testDir(QStringLiteral("render"));
        // The studio as it starts on the shipped folder, the program opened, its picture exported.
        StudioContext context;
        context.folders = {TROVEL_APP_DIR, TROVEL_APP_DIR, {}};
        const uint32_t locale = userLocaleId({}, processEnvironment());
        QVERIFY(loadStudioContext(context, locale).ok);
        MainWindow window(mainWindowSetup(context, QStringLiteral(TROVEL_APP_DIR), program));
        window.show();
        QTRY_COMPARE(window.program().blocks.size() > 2, true);
        // The pupil clicks a block: it is selected and current, inverted and in red brackets on screen.
        ProgramArea* area = window.programArea();
        const ActionBlock* clicked = nullptr;
        QPoint onBlock;
        for (const auto& b : window.program().blocks) {
            // Left of the middle: clear of the connector ends at the top and bottom centre.
            onBlock = QPoint(b->x + 8, b->y + b->height / 2) - area->scrollPosition();
            if (b->type != BlockType::Start && area->viewport()->rect().contains(onBlock)) {
                clicked = b.get();
                break;
            }
        }
        QVERIFY(clicked);
        QTest::mouseClick(area->viewport(), Qt::LeftButton, Qt::NoModifier, onBlock);
        QVERIFY(clicked->flags & FlagSelected);
        QCOMPARE(window.program().currentBlock, clicked);
        const QString exported = dir + QStringLiteral("/studio.png");
        QStringList asked;
        window.setFileChooser([&](bool save, const QString& title) {
            asked << QStringLiteral("%1 %2").arg(save).arg(title);
            return exported;
        });
        test::ScriptedAnswers answers;
        window.setAsker(answers.asker());
        window.actionById(Command::Screenshot)->trigger();
        QCOMPARE(asked, QStringList{QStringLiteral("1 ") + uiText(Str::ScreenshotDialogTitle)});
        QCOMPARE(answers.texts.size(), 1);  // the saved-picture message

        const QString rendered = dir + QStringLiteral("/cli.png");
        QString err;
        QCOMPARE(render({program, QStringLiteral("--out"), rendered}, &err), 0);
        QVERIFY2(err.isEmpty(), qPrintable(err));
        const QImage a = QImage(exported).convertToFormat(QImage::Format_RGB32);
        const QImage b = QImage(rendered).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!a.isNull());
        QCOMPARE(b.size(), a.size());
        QVERIFY(a == b);

        // Both are the chart as drawn with nothing selected and no current block.
        BlockProgram plain;
        QVERIFY(loadProgram(plain, std::filesystem::path(program.toStdU16String())).ok());
        plain.currentBlock = nullptr;
        const ChartExtent extent = chartExtent(plain, QSize(), false);
        QImage expected(extent.content.right, extent.content.bottom, QImage::Format_RGB32);
        {
            QPainter painter(&expected);
            ChartView view;
            view.client = expected.size();
            view.window = false;
            drawChart(painter, plain, chartStyleFromConfig(context.config), context.options.bits(), view);
        }
        QCOMPARE(a.size(), expected.size());
        QVERIFY2(a == expected, "the exported picture shows editing marks");
    }

    void sizeFitsTheLongerSide_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("thumbnail") << 128;
        QTest::newRow("tiny") << 8;
        QTest::newRow("print") << 1200;
    }

    void sizeFitsTheLongerSide() {
        QFETCH(int, size);
        const QString out = test::testDir(QStringLiteral("render_size")) + QStringLiteral("/chart.png");
        const QString program = QStringLiteral(TROVEL_SOURCE_DIR "/examples/line_follower.qxp");
        QCOMPARE(render({program, QStringLiteral("--out"), out}), 0);
        const QSize natural = QImage(out).size();
        QCOMPARE(render({program, QStringLiteral("--out"), out, QStringLiteral("--size"), QString::number(size)}), 0);
        const QSize fitted = QImage(out).size();
        QCOMPARE(std::max(fitted.width(), fitted.height()), size);
        // Same shape, within the rounding of the shorter side.
        const double ratio = double(natural.width()) / natural.height();
        QVERIFY(std::abs(fitted.width() - fitted.height() * ratio) <= std::max(1.0, ratio));
    }
};

QTEST_MAIN(ChartRenderTest)
#include "chart_render_test.moc"
