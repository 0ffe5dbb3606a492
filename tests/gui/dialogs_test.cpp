// The chart picture, the about box and the option dialog, used as a user would.

#include <QCheckBox>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/gui/about_box.h"
#include "app/gui/option_dialog.h"
#include "app/gui/screenshot_export.h"
#include "base/gui/ui_text.h"
#include "app/screenshot_path.h"
#include "app/settings.h"
#include "base/string_ids.h"
#include "gui_test_support.h"
#include "model/option_flags.h"
#include "trovel_version.h"

using namespace trovel;
namespace test = trovel::test;
using trovel::test::testDir;

namespace {

int countNot(const QImage& img, QRect area, QColor color) {
    int n = 0;
    area = area.intersected(img.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += QColor(img.pixel(x, y)) != color ? 1 : 0;
    return n;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

    BlockProgram m_program;
    ChartStyle m_style = defaultChartStyle();

private slots:
    // Message boxes without an owner are the only windows here; closing one must not end the run.
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() { newProgram(m_program); }

    void longPathsAreShortenedInTheMiddle() {
        QCOMPARE(shortenPathMiddle(u"C:\\short.jpg"), std::u16string(u"C:\\short.jpg"));
        const std::u16string exact(90, u'a');
        QCOMPARE(shortenPathMiddle(exact), exact);
        std::u16string longPath = u"/home/teacher/" + std::u16string(120, u'x') + u"/ワークシート第3回.jpg";
        const std::u16string shown = shortenPathMiddle(longPath);
        QCOMPARE(shown.size(), size_t(90));
        QVERIFY(shown.find(u"...") != std::u16string::npos);
        QVERIFY(shown.starts_with(u"/home/teacher/"));
        QVERIFY(shown.ends_with(u"ワークシート第3回.jpg"));
        // A character outside the basic plane is kept whole or left out, never cut in half.
        std::u16string pairs;
        for (int i = 0; i < 60; ++i) pairs += u"\U0001F600";
        const std::u16string cut = shortenPathMiddle(pairs);
        QVERIFY(cut.size() <= 90);
        const size_t dots = cut.find(u"...");
        QVERIFY(dots != std::u16string::npos && dots % 2 == 0 && (cut.size() - dots - 3) % 2 == 0);
    }

    void newProgramPictureHasTheContentSize() {
        const QImage img = renderChartImage(m_program, m_style, 0);
        QCOMPARE(img.size(), QSize(27 + 108 + 36, 477 + 45 + 36));
        m_program.blocks.front()->flags |= FlagChanged;
        renderChartImage(m_program, m_style, 0);
        QVERIFY(m_program.blocks.front()->flags & FlagChanged);  // left for the program area
    }

    void blocksOutOfViewAppear() {
        ActionBlock* far = placeBlock(m_program, BlockType::Forward, {0, 0}).block;
        far->x = 900;  // far beyond any program area's visible part
        far->y = 1500;
        const QImage img = renderChartImage(m_program, m_style, 0);
        QCOMPARE(img.size(), QSize(900 + 63 + 36, 1500 + 63 + 36));
        const QColor background = m_style.colors[ChartColor::Background];
        // The block's caption panel is filled; the empty margin beside it holds only the grid.
        QVERIFY(countNot(img, QRect(902, 1540, 58, 20), background) > 800);
        QCOMPARE(countNot(img, QRect(703, 1000, 8, 8), background), 0);  // between grid lines
    }

    void savedPicturesOpenAsJpegAndPng() {
        const QString dir = testDir(QStringLiteral("screenshot"));
        for (const char* name : {"chart.jpg", "chart.png", "chart.JPG"}) {
            const QString path = dir + QLatin1Char('/') + QLatin1String(name);
            QVERIFY(saveChartImage(path, m_program, m_style, 0));
            QImageReader reader(path);
            reader.setDecideFormatFromContent(true);
            const QByteArray expected = QByteArray(name).endsWith(".png") ? "png" : "jpeg";
            QCOMPARE(reader.format(), expected);
            QCOMPARE(reader.read().size(), QSize(171, 558));
        }
    }

    void exportTellsTheShortenedPathOrTheFailure() {
        const QString dir = testDir(QStringLiteral("export") + QString(80, QLatin1Char('d')));
        const QString path = dir + QStringLiteral("/picture.jpg");
        test::ScriptedAnswers answers;
        QVERIFY(exportChartImageTo(nullptr, path, m_program, m_style, 0, answers.asker()));
        QCOMPARE(answers.texts.size(), 1);
        QString text = answers.texts.value(0);
        QVERIFY(text.startsWith(uiText(Str::ScreenshotSaved) + QStringLiteral("\n\n'")));
        QVERIFY(text.contains(QStringLiteral("...")));
        QVERIFY(text.endsWith(QStringLiteral("picture.jpg'")));

        const QString nowhere = dir + QStringLiteral("/missing/folder/picture.jpg");
        answers.texts.clear();
        QVERIFY(!exportChartImageTo(nullptr, nowhere, m_program, m_style, 0, answers.asker()));
        QCOMPARE(answers.texts, QStringList{uiText(Str::ScreenshotFailed)});
        QVERIFY(!QFile::exists(nowhere));
    }

    void theCommandOffersJpegAndPngAndCancelsQuietly() {
        const QString dir = testDir(QStringLiteral("command"));
        QString title;
        QStringList filters;
        QString suffix;
        auto dialog = std::make_unique<test::ModalAnswerer>([&](QWidget* w) {
            auto* d = qobject_cast<QFileDialog*>(w);
            if (!d) return false;
            title = d->windowTitle();
            filters = d->nameFilters();
            suffix = d->defaultSuffix();
            d->reject();
            return true;
        });
        test::ScriptedAnswers answers;
        QString last;
        exportScreenshot(nullptr, m_program, m_style, 0, dir, last, answers.asker());
        QVERIFY(dialog->answered());
        QCOMPARE(title, uiText(Str::ScreenshotDialogTitle));
        QCOMPARE(filters, QStringList({QStringLiteral("jpg (*.jpg)"), QStringLiteral("png (*.png)")}));
        QCOMPARE(suffix, QStringLiteral("jpg"));
        // Cancelling writes nothing and says nothing.
        QVERIFY(answers.texts.isEmpty());
        QVERIFY(QDir(dir).entryList(QDir::Files).isEmpty());
        QVERIFY(last.isEmpty());

        // The name chosen is offered again by the next export, with its PNG filter.
        const QString png = dir + QStringLiteral("/chart.png");
        dialog = std::make_unique<test::ModalAnswerer>([&](QWidget* w) {
            auto* d = qobject_cast<QFileDialog*>(w);
            if (!d) return false;
            // Typed as a user would: selectFile() leaves a focused name field as it is.
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!name) return false;
            name->setText(png);
            static_cast<QDialog*>(d)->accept();
            return true;
        });
        exportScreenshot(nullptr, m_program, m_style, 0, dir, last, answers.asker());
        QVERIFY(dialog->answered());
        QCOMPARE(last, png);
        QVERIFY(QFile::exists(png));
        QStringList offered;
        QString filter;
        dialog = std::make_unique<test::ModalAnswerer>([&](QWidget* w) {
            auto* d = qobject_cast<QFileDialog*>(w);
            if (!d) return false;
            offered = d->selectedFiles();
            filter = d->selectedNameFilter();
            suffix = d->defaultSuffix();
            d->reject();
            return true;
        });
        exportScreenshot(nullptr, m_program, m_style, 0, dir, last, answers.asker());
        QVERIFY(dialog->answered());
        QCOMPARE(offered, QStringList{png});
        QCOMPARE(filter, QStringLiteral("png (*.png)"));
        QCOMPARE(suffix, QStringLiteral("png"));
    }

    void aboutBoxShowsThisBuild() {
        AboutBox box;
        QCOMPARE(box.findChild<QLabel*>("label1028")->text(), QStringLiteral("TrovelStudio"));
        QCOMPARE(box.findChild<QLabel*>("caption1029")->text(), QString::fromUtf16(u"バージョン"));
        QCOMPARE(box.findChild<QLabel*>("label1029")->text(), QStringLiteral(TROVEL_VERSION));
        QCOMPARE(box.findChild<QLabel*>("caption1030")->text(), QString::fromUtf16(u"会社名"));
        QCOMPARE(box.findChild<QLabel*>("label1030")->text(), studioVersion().company);
        QVERIFY(!studioVersion().company.isEmpty());
        QCOMPARE(box.windowTitle(), uiText(Str::AboutTitle));
        // The values start in one column, whatever the number of tabs in their texts.
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const int column = box.findChild<QLabel*>("label1029")->x();
        for (const char* name : {"label1030", "label1031", "label1032"})
            QCOMPARE(box.findChild<QLabel*>(name)->x(), column);
        QVERIFY(!box.findChild<QLabel*>("icon")->pixmap().isNull());
    }

    void optionBitsAndTicks() {
        // The repeat check box is the one that is ticked when its bit is clear.
        const std::array<bool, 6> none = ticksFor(0);
        QCOMPARE(std::count(none.begin(), none.end(), true), 1L);
        QVERIFY(none[4]);
        QCOMPARE(bitsFromTicks(Option::Connected, none), Option::Connected);
        QCOMPARE(bitsFromTicks(0, {true, true, true, true, false, true}),
                 Option::UseCalcBlock | Option::UseWheelControl | Option::ShowMemoryMap | Option::BlockCollision |
                     Option::SkipRepeatCheck | Option::UseSensors34);
        for (uint32_t bits : {0u, 0x2000u, 0x23700u, 0x1500u}) QCOMPARE(bitsFromTicks(bits, ticksFor(bits)), bits);
    }

    void optionDialogConfirmsSavesAndRefreshes() {
        OptionFlags flags;
        flags.reset(Option::Connected | Option::UseCalcBlock);
        const QString file = testDir(QStringLiteral("options")) + QStringLiteral("/qx_def.ini");
        int saves = 0, refreshes = 0, reopened = 0;
        test::ScriptedAnswers answers{{QMessageBox::Cancel, QMessageBox::Ok}, {}};
        OptionDialog dialog(flags, answers.asker());
        connect(&dialog, &OptionDialog::settingsChanged, [&] {
            // Saved after the memory map may open again and before the menus follow.
            QCOMPARE(reopened, 1);
            QCOMPARE(refreshes, 0);
            ++saves;
            Settings s;
            s.options = flags.bits() & Option::SavedMask;
            saveSettings(file.toStdU16String(), s);
        });
        connect(&dialog, &OptionDialog::optionsApplied, [&] { ++refreshes; });
        connect(&dialog, &OptionDialog::memoryMapAllowed, [&] { ++reopened; });
        dialog.show();
        QVERIFY(dialog.box(1130)->isChecked());
        QVERIFY(dialog.box(1166)->isChecked());
        QVERIFY(!dialog.box(1132)->isChecked());

        dialog.box(1166)->click();  // no repeat check
        dialog.box(1132)->click();  // memory map on
        dialog.box(1130)->click();  // calc blocks off
        QPushButton* ok = dialog.findChild<QPushButton*>("ok");

        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(answers.texts, QStringList{uiText(Str::ApplyOptions)});
        QVERIFY(dialog.isVisible());
        QCOMPARE(flags.bits(), Option::Connected | Option::UseCalcBlock);
        QCOMPARE(saves, 0);
        QVERIFY(!QFile::exists(file));

        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(answers.texts.size(), 2);  // asked again, and OK this time
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(flags.bits(), Option::Connected | Option::SkipRepeatCheck | Option::ShowMemoryMap);
        QCOMPARE(saves, 1);
        QCOMPARE(refreshes, 1);
        QCOMPARE(reopened, 1);
        Settings read;
        QVERIFY(loadSettings(file.toStdU16String(), read).ok());
        QCOMPARE(read.options, Option::SkipRepeatCheck | Option::ShowMemoryMap);
    }

    void optionDialogCancelChangesNothing() {
        OptionFlags flags;
        int saves = 0;
        OptionDialog dialog(flags);
        connect(&dialog, &OptionDialog::settingsChanged, [&] { ++saves; });
        dialog.show();
        dialog.box(1159)->click();
        QTest::mouseClick(dialog.findChild<QPushButton*>("cancel"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(flags.bits(), 0u);
        QCOMPARE(saves, 0);
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
