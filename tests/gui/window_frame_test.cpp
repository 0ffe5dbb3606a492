// How the windows meet the window manager and the eye: dialog frames, window icons, and the
// memory-map window showing all of its rows and its title.

#include <QHeaderView>
#include <QTableWidget>
#include <QtTest>

#include "app/app_config.h"
#include "app/studio_context.h"
#include "app/gui/about_box.h"
#include "app/gui/main_window.h"
#include "app/gui/motor_dialog.h"
#include "app/gui/option_dialog.h"
#include "base/gui/ui_text.h"
#include "base/gui/window_frame.h"
#include "app/settings.h"
#include "base/string_ids.h"
#include "model/option_flags.h"
#include "robot/gui/memory_map_window.h"
#include "robot/gui/transfer_dialog.h"
#include "robot/hid_link.h"
#include "sim/course_config.h"
#include "sim/gui/record_dialog.h"
#include "sim/lap_records.h"

using namespace trovel;

class WindowFrameTest : public QObject {
    Q_OBJECT

private slots:
    void modalDialogsHaveNoMinimiseOrMaximise_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("about") << "about" << true;
        QTest::newRow("motor") << "motor" << true;
        QTest::newRow("options") << "options" << true;
        QTest::newRow("records") << "records" << true;
        QTest::newRow("transfer") << "transfer" << false;
    }
    void modalDialogsHaveNoMinimiseOrMaximise() {
        QFETCH(QString, name);
        QFETCH(bool, closeBox);
        OptionFlags flags;
        Settings settings;
        CourseSet courses;
        LapRecords records;
        LinkState linkState;
        HidLink link([] { return FoundDevice{}; }, flags, linkState);
        std::unique_ptr<QDialog> dialog;
        if (name == "about") dialog = std::make_unique<AboutBox>();
        if (name == "motor") dialog = std::make_unique<MotorDialog>(MotorDialogKind::Robot, settings, flags);
        if (name == "options") dialog = std::make_unique<OptionDialog>(flags);
        if (name == "records") dialog = std::make_unique<RecordDialog>(courses, records);
        if (name == "transfer") dialog = std::make_unique<TransferDialog>(link, QStringLiteral("t"), true);
        QVERIFY(dialog);
        dialog->show();
        const Qt::WindowFlags f = dialog->windowFlags();
        // Without the customise hint the window manager would add its own buttons.
        QVERIFY(f.testFlag(Qt::CustomizeWindowHint));
        QVERIFY(f.testFlag(Qt::WindowTitleHint));
        QVERIFY(!f.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!f.testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(f.testFlag(Qt::WindowCloseButtonHint), closeBox);
    }

    void mainWindowCarriesTheProgramIcon() {
        QCOMPARE(applicationIcon().availableSizes().size(), 8);
        StudioContext context;
        MainWindowSetup setup{context};
        setup.style = defaultChartStyle();
        MainWindow window(setup);
        QVERIFY(!window.windowIcon().isNull());
        QCOMPARE(window.windowIcon().availableSizes(), applicationIcon().availableSizes());
    }

    // A window opened beside another: right of it, else left of it, else the other moves aside as
    // far as needed; where the screen is too narrow for both, neither moves.
    void placeBesideKeepsBothOnTheScreen_data() {
        QTest::addColumn<int>("anchorX");
        QTest::addColumn<int>("anchorWidth");
        QTest::addColumn<int>("windowWidth");
        QTest::addColumn<bool>("placed");
        QTest::addColumn<int>("anchorXAfter");
        QTest::addColumn<int>("windowXAfter");
        const int w = QGuiApplication::primaryScreen()->availableGeometry().width();
        QTest::newRow("right") << 0 << w / 2 << w / 4 << true << 0 << w / 2;
        QTest::newRow("left") << w / 2 << w / 4 << w / 4 << true << w / 2 << w / 2 - w / 4 - 16;
        const int overhang = w / 8 + w * 5 / 8 + w / 4 + 16 - w;  // neither side has room as it stands
        QTest::newRow("anchor moves") << w / 8 << w * 5 / 8 << w / 4 << true << w / 8 - overhang
                                      << w / 8 - overhang + w * 5 / 8;
        QTest::newRow("no room") << 10 << w - w / 4 << w / 4 << false << 10 << 300;
    }
    void placeBesideKeepsBothOnTheScreen() {
        QFETCH(int, anchorX);
        QFETCH(int, anchorWidth);
        QFETCH(int, windowWidth);
        const int left = QGuiApplication::primaryScreen()->availableGeometry().left();
        QWidget anchor, window;
        anchor.setGeometry(left + anchorX, 0, anchorWidth, 100);
        window.setGeometry(left + 300, 0, windowWidth, 100);
        QTEST(placeBeside(&window, &anchor), "placed");
        QTEST(anchor.x() - left, "anchorXAfter");
        QTEST(window.x() - left, "windowXAfter");
    }

    // All 19 rows and the whole title at the default size; the user may make the window larger.
    void memoryMapShowsEveryRowAndCanGrow() {
        std::array<std::u16string, 32> names;
        for (int i = 0; i < 32; ++i) names[i] = u"センサ" + std::u16string(1, char16_t(u'A' + i % 26));
        MemoryMapPlacement placement;
        MemoryMapWindow window(
            names, [] { return MemoryImage{}; }, placement);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTableWidget* table = window.table();
        const QRect view = table->viewport()->rect();
        for (int row = 0; row < table->rowCount(); ++row)
            for (int column = 0; column < 2; ++column)
                QVERIFY2(view.contains(table->visualRect(table->model()->index(row, column))),
                         qPrintable(QStringLiteral("row %1 column %2").arg(row).arg(column)));
        QVERIFY(window.width() > window.fontMetrics().horizontalAdvance(window.windowTitle()));
        QCOMPARE(window.windowTitle(), uiText(Str::MemoryMapTitle));

        const QSize first = window.size();
        window.resize(first + QSize(120, 80));
        QTRY_COMPARE(window.size(), first + QSize(120, 80));
    }
};

QTEST_MAIN(WindowFrameTest)
#include "window_frame_test.moc"
