// The property panels typed into and clicked as a user would; every effect checked on the block,
// its partner and the undo history.

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

#include <filesystem>

#include "base/memory_names.h"
#include "base/resource_library.h"
#include "base/string_table.h"
#include "editor/gui/block_palette.h"
#include "editor/gui/property_panel.h"
#include "editor/gui/property_panel_up_down.h"
#include "editor/undo_history.h"
#include "model/option_flags.h"

using namespace trovel;

class PropertyPanelTest : public QObject {
    Q_OBJECT

    BlockProgram m_program;
    OptionFlags m_flags;
    std::unique_ptr<UndoHistory> m_history;
    MemoryNames m_names;
    int m_redraws = 0;
    std::unique_ptr<PropertyPanel> m_panel;

    ActionBlock* place(BlockType type) {
        ActionBlock* b = placeBlock(m_program, type, {200, 200}).block;
        m_program.currentBlock = b;
        return b;
    }
    PropertyPanel& open(ActionBlock* current) {
        m_program.currentBlock = current;
        m_history->resetHistory(m_program);
        PanelHost host;
        host.program = &m_program;
        host.options = &m_flags;
        host.names = &m_names;
        m_redraws = 0;
        m_panel = std::make_unique<PropertyPanel>(host);
        connect(m_panel.get(), &PropertyPanel::editAccepted, this, [this] { m_history->recordUndoStep(m_program); });
        connect(m_panel.get(), &PropertyPanel::blockChanged, this, [this] { ++m_redraws; });
        m_panel->show();
        return *m_panel;
    }
    template <typename T>
    T* control(const char* name) {
        T* w = m_panel->findChild<T*>(QLatin1String(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    // Replaces the edit's text by typing, key by key.
    void retype(const char* edit, const QString& text) {
        QLineEdit* e = control<QLineEdit>(edit);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        typeInto(e, text);
    }
    // One key press per character, full-width ones included, as an input method delivers them.
    static void typeInto(QWidget* w, const QString& text) {
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(w, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(w, &release);
        }
    }
    size_t steps() const { return m_history->snapshotCount() - 1; }

private slots:
    void init() {
        m_panel.reset();
        m_flags.reset(0);
        m_history = std::make_unique<UndoHistory>(m_flags);
        newProgram(m_program);
        m_names = MemoryNames{};
    }
    void cleanup() { m_panel.reset(); }

    void panelChosenByTypeAndOption() {
        QCOMPARE(panelKindFor(nullptr, false), PanelKind::Empty);
        ActionBlock* random = place(BlockType::RandomBranch);
        QCOMPARE(open(random).kind(), PanelKind::Empty);
        QVERIFY(control<QLabel>("nothingToSet")->text() == QString::fromUtf16(u"※設定する項目はありません"));
        QCOMPARE(open(head(m_program)).kind(), PanelKind::Empty);  // Start
        ActionBlock* branch = place(BlockType::Branch);
        QCOMPARE(panelKindFor(branch, false), PanelKind::BranchSensor);
        QCOMPARE(panelKindFor(branch, true), PanelKind::BranchAny);
        QCOMPARE(panelKindFor(place(BlockType::RightForward), false), PanelKind::Curve);
        QCOMPARE(panelKindFor(place(BlockType::TurnRight), false), PanelKind::Motion);
        ActionBlock* loop = place(BlockType::RepeatStart);
        QCOMPARE(panelKindFor(loop->partner, false), PanelKind::Repeat);
    }

    // With the English pack the panels speak English too; the built-in table is Japanese.
    void panelTextsFollowTheLanguagePack() {
        ActionBlock* led = place(BlockType::LeftLed);
        open(led);
        QCOMPARE(control<QRadioButton>("radio1134")->text(), QString::fromUtf16(u"点ける(ON)"));
        ActionBlock* fwd = place(BlockType::TurnLeft);
        open(fwd);
        QCOMPARE(control<QRadioButton>("radio1135")->text(), QString::fromUtf16(u"??秒間曲がる"));

        PackLoadResult english = loadStringPack(std::filesystem::path(TROVEL_SOURCE_DIR) / "data/lang/en.txt");
        QCOMPARE(english.status, PackStatus::Loaded);
        QVERIFY(english.mismatched.empty());
        useStringPack(english.table);
        open(led);
        const QString on = control<QRadioButton>("radio1134")->text();
        open(fwd);
        const QString timed = control<QRadioButton>("radio1135")->text();
        useStringPack(builtInStrings());
        QCOMPARE(on, QStringLiteral("On"));
        QCOMPARE(timed, QStringLiteral("Turn for ?? s"));
    }

    // English words are longer than the Japanese ones the panels were laid out for: every label
    // and radio button is as wide as its text, nothing on its line is covered, and the panel fits
    // the left pane.
    void englishTextsFitTheirControls_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("advanced");
        for (BlockType t : {BlockType::LeftForward, BlockType::Forward, BlockType::TurnRight, BlockType::Stop,
                            BlockType::WheelControl, BlockType::Branch, BlockType::Wait, BlockType::LeftLed,
                            BlockType::Calc, BlockType::RepeatStart, BlockType::RandomBranch})
            QTest::newRow(qPrintable(QString::fromUtf16(blockCaption(t).data(), qsizetype(blockCaption(t).size()))))
                << int(t) << false;
        QTest::newRow("branch, advanced") << int(BlockType::Branch) << true;
    }
    void englishTextsFitTheirControls() {
        QFETCH(int, type);
        QFETCH(bool, advanced);
        if (advanced) m_flags.set(Option::UseCalcBlock);
        PackLoadResult english = loadStringPack(std::filesystem::path(TROVEL_SOURCE_DIR) / "data/lang/en.txt");
        QCOMPARE(english.status, PackStatus::Loaded);
        useStringPack(english.table);
        m_names = MemoryNames{};
        loadMemoryNames(std::filesystem::path(TROVEL_SOURCE_DIR) / "data/lang/en/memname.ini", m_names);
        PropertyPanel& panel = open(place(BlockType(type)));
        useStringPack(builtInStrings());
        QStringList faults;
        const QList<QWidget*> children = panel.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* w : children) {
            const auto* label = qobject_cast<QLabel*>(w);
            const auto* radio = qobject_cast<QRadioButton*>(w);
            const QString text = label ? label->text() : radio ? radio->text() : QString();
            if (text.isEmpty()) continue;
            if (w->sizeHint().width() > w->width())
                faults << QStringLiteral("\"%1\" needs %2 pixels, has %3")
                              .arg(text)
                              .arg(w->sizeHint().width())
                              .arg(w->width());
            for (QWidget* other : children)
                if (other != w && other->geometry().intersects(w->geometry()))
                    faults << QStringLiteral("\"%1\" lies on %2").arg(text, other->objectName());
        }
        if (panel.width() > kPaletteWidth - kPanelOrigin.x())
            faults << QStringLiteral("the panel is %1 pixels wide").arg(panel.width());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    void fullWidthTimeIsStoredAndKeptAsTyped() {
        ActionBlock* b = place(BlockType::Forward);
        open(b);
        QCOMPARE(control<QLineEdit>("edit1139")->text(), QStringLiteral("1.5"));
        b->param[0] = 30;
        open(b);
        retype("edit1139", QString::fromUtf16(u"１．５"));
        QCOMPARE(int(b->param[0]), 15);
        QCOMPARE(control<QLineEdit>("edit1139")->text(), QString::fromUtf16(u"１．５"));
        QCOMPARE(control<PanelUpDown>("updown1126")->value(), 15);
        QVERIFY(b->flags & FlagChanged);
        QVERIFY(m_redraws > 0);
    }

    void everyAcceptedChangeIsOneUndoStep() {
        ActionBlock* b = place(BlockType::Wait);
        open(b);
        // Cleared: nothing yet; "2" -> 20; "2." unchanged; "2.5" -> 25.
        retype("edit1139", QStringLiteral("2.5"));
        QCOMPARE(int(b->param[0]), 25);
        QCOMPARE(steps(), size_t(2));
        QVERIFY(m_flags.has(Option::Modified));
        QVERIFY(m_history->state().canUndo);
        // Undo walks back through exactly those values.
        m_history->undo(m_program);
        QCOMPARE(int(m_program.blocks.back()->param[0]), 20);
        m_history->undo(m_program);
        QCOMPARE(int(m_program.blocks.back()->param[0]), 15);
    }

    void zeroTimeBecomesOneTenth() {
        ActionBlock* b = place(BlockType::Forward);
        open(b);
        retype("edit1139", QStringLiteral("0"));
        QCOMPARE(int(b->param[0]), 1);
        QCOMPARE(control<QLineEdit>("edit1139")->text(), QStringLiteral("0.1"));
        retype("edit1139", QStringLiteral("26"));  // 26 s is more than 25.5 s
        QCOMPARE(int(b->param[0]), 255);
        QCOMPARE(control<QLineEdit>("edit1139")->text(), QStringLiteral("25.5"));
    }

    void badCharacterBeepsAndRestores() {
        ActionBlock* b = place(BlockType::Forward);
        open(b);
        QLineEdit* e = control<QLineEdit>("edit1139");
        e->setFocus();
        e->end(false);
        typeInto(e, QStringLiteral("x"));
        QCOMPARE(e->text(), QStringLiteral("1.5"));
        QCOMPARE(int(b->param[0]), 15);
        QCOMPARE(steps(), size_t(0));
        // Pasted text goes through the same check.
        QGuiApplication::clipboard()->setText(QStringLiteral("7秒"));
        e->selectAll();
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e->text(), QStringLiteral("1.5"));
        QGuiApplication::clipboard()->setText(QString::fromUtf16(u"７"));
        e->selectAll();
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(int(b->param[0]), 70);
        QCOMPARE(steps(), size_t(1));
    }

    void motionRadiosSwitchTheTimeControls() {
        ActionBlock* b = place(BlockType::TurnLeft);
        open(b);
        QCOMPARE(control<QRadioButton>("radio1134")->text(), QString::fromUtf16(u"左に曲がる"));
        QCOMPARE(control<QRadioButton>("radio1135")->text(), QString::fromUtf16(u"??秒間曲がる"));
        QVERIFY(control<QRadioButton>("radio1135")->isChecked());
        QVERIFY(control<QLineEdit>("edit1139")->isEnabled());
        QTest::mouseClick(control<QRadioButton>("radio1134"), Qt::LeftButton, {}, QPoint(6, 10));
        QCOMPARE(int(b->param[1]), 1);
        QVERIFY(!control<QLineEdit>("edit1139")->isEnabled());
        QVERIFY(!control<PanelUpDown>("updown1126")->isEnabled());
        QVERIFY(!control<QLabel>("label1147")->isEnabled());
        QCOMPARE(steps(), size_t(1));
        // Opening a continuing block starts with the time disabled.
        open(b);
        QVERIFY(control<QRadioButton>("radio1134")->isChecked());
        QVERIFY(!control<QLineEdit>("edit1139")->isEnabled());
    }

    void upDownStepsRewriteTheEdit() {
        ActionBlock* b = place(BlockType::Forward);
        open(b);
        QTest::mouseClick(control<PanelUpDown>("updown1126")->upButton(), Qt::LeftButton);
        QCOMPARE(int(b->param[0]), 16);
        QCOMPARE(control<QLineEdit>("edit1139")->text(), QStringLiteral("1.6"));
        b->param[0] = 1;
        open(b);
        QTest::mouseClick(control<PanelUpDown>("updown1126")->downButton(), Qt::LeftButton);
        QCOMPARE(int(b->param[0]), 1);  // already at the bottom: nothing to record
        QCOMPARE(steps(), size_t(0));
    }

    void percentagesAreCutAndCorrected() {
        ActionBlock* b = place(BlockType::LeftForward);
        b->param[3] = 200;
        open(b);
        QCOMPARE(int(b->param[3]), 100);  // cut on opening
        QCOMPARE(control<QLineEdit>("edit1160")->text(), QStringLiteral("100"));
        retype("edit1160", QStringLiteral("0"));
        QCOMPARE(int(b->param[3]), 1);
        QCOMPARE(control<QLineEdit>("edit1160")->text(), QStringLiteral("1"));
        // The arrows may still reach 0.
        QTest::mouseClick(control<PanelUpDown>("updown1127")->downButton(), Qt::LeftButton);
        QCOMPARE(int(b->param[3]), 0);

        ActionBlock* w = place(BlockType::WheelControl);
        open(w);
        retype("edit1141", QStringLiteral("150"));
        QCOMPARE(int(w->param[3]), 100);
        QCOMPARE(int(w->param[2]), 50);
        QCOMPARE(control<QLineEdit>("edit1141")->text(), QStringLiteral("100"));
    }

    void repeatCountFollowsIntoThePartner() {
        ActionBlock* start = place(BlockType::RepeatStart);
        ActionBlock* end = start->partner;
        open(end);
        retype("edit1139", QStringLiteral("30"));
        QCOMPARE(int(end->param[0]), 30);
        QCOMPARE(int(start->param[0]), 30);
        QVERIFY(start->flags & FlagChanged);
        QTest::mouseClick(control<QRadioButton>("radio1135"), Qt::LeftButton, {}, QPoint(6, 10));
        QCOMPARE(int(start->param[1]), 1);
        QCOMPARE(int(end->param[1]), 1);
        QVERIFY(!control<QLineEdit>("edit1139")->isEnabled());
        retype("edit1139", QStringLiteral("999"));  // disabled: typing does nothing
        QCOMPARE(int(start->param[0]), 30);
    }

    void branchWithoutOptionComparesWithTheConstant() {
        ActionBlock* b = place(BlockType::Branch);
        b->param = {9, 2, 77, 1, 4};  // operand 9 is not a sensor; compared with operand 4
        open(b);
        QCOMPARE(int(b->param[3]), 0);
        QCOMPARE(int(b->param[0]), 0);
        QCOMPARE(int(b->param[2]), 77);
        QCOMPARE(control<QLineEdit>("edit1132")->text(), QStringLiteral("77"));
        QCOMPARE(control<QComboBox>("list1135")->count(), 6);
        QCOMPARE(control<QComboBox>("list1136")->currentText(), QString::fromUtf16(u"大きい値？"));
        QVERIFY(b->flags & FlagChanged);
        QCOMPARE(steps(), size_t(0));  // the opening correction is not an edit
        retype("edit1132", QStringLiteral("300"));
        QCOMPARE(int(b->param[2]), 255);
        QCOMPARE(control<QLineEdit>("edit1132")->text(), QStringLiteral("255"));
    }

    void branchWithOptionUsesOperandsFromMemoryNames() {
        m_flags.set(Option::UseCalcBlock);
        m_names.displayName[16] = u"変数1";
        m_names.displayName[9] = u"ひだり";
        ActionBlock* b = place(BlockType::Branch);
        open(b);
        QCOMPARE(control<QComboBox>("list1135")->count(), 17);
        QCOMPARE(control<QComboBox>("list1135")->itemText(0), QString::fromUtf16(u"ひだり"));
        QCOMPARE(control<QComboBox>("list1137")->itemText(6), QString::fromUtf16(u"変数1"));
        QVERIFY(control<QLineEdit>("edit1132")->isEnabled());
        QVERIFY(!control<QComboBox>("list1137")->isEnabled());
        QTest::mouseClick(control<QRadioButton>("radio1138"), Qt::LeftButton, {}, QPoint(6, 10));
        QCOMPARE(int(b->param[3]), 1);
        QVERIFY(!control<QLineEdit>("edit1132")->isEnabled());
        QComboBox* right = control<QComboBox>("list1137");
        QVERIFY(right->isEnabled());
        right->setFocus();
        QTest::keyClick(right, Qt::Key_Down);
        QTest::keyClick(right, Qt::Key_Down);
        QCOMPARE(int(b->param[4]), 2);
        QCOMPARE(int(b->param[0]), 0);  // the other lists read back unchanged
        QCOMPARE(steps(), size_t(3));
    }

    void calculationListsAndConstant() {
        ActionBlock* c = place(BlockType::Calc);
        c->param[0] = 40;  // beyond the eleven targets (a damaged file)
        open(c);
        QCOMPARE(control<QComboBox>("list1135")->count(), 11);
        QCOMPARE(control<QComboBox>("list1135")->currentIndex(), -1);
        QCOMPARE(control<QComboBox>("list1136")->count(), 5);
        QComboBox* op = control<QComboBox>("list1136");
        op->setFocus();
        QTest::keyClick(op, Qt::Key_Down);
        QCOMPARE(int(c->param[1]), 1);
        QCOMPARE(int(c->param[0]), 40);  // a list showing no choice leaves its parameter alone
        retype("edit1132", QString::fromUtf16(u"１２"));
        QCOMPARE(int(c->param[4]), 12);
    }

    void ledTimeOnlyForTheTimedMode() {
        ActionBlock* b = place(BlockType::LeftLed);
        open(b);
        QVERIFY(control<QRadioButton>("radio1134")->isChecked());
        QVERIFY(!control<QLineEdit>("edit1163")->isEnabled());
        QTest::mouseClick(control<QRadioButton>("radio1161"), Qt::LeftButton, {}, QPoint(6, 10));
        QCOMPARE(int(b->param[3]), 2);
        QVERIFY(control<QLineEdit>("edit1163")->isEnabled());
        QVERIFY(control<QLabel>("label1164")->isEnabled());
        // Reopened in the timed mode, its time can be edited at once.
        open(b);
        QVERIFY(control<QRadioButton>("radio1161")->isChecked());
        QVERIFY(control<QLineEdit>("edit1163")->isEnabled());
        QTest::mouseClick(control<QRadioButton>("radio1135"), Qt::LeftButton, {}, QPoint(6, 10));
        QCOMPARE(int(b->param[3]), 1);
    }

    void tabMovesThroughThePanel() {
        m_flags.set(Option::UseCalcBlock);
        ActionBlock* b = place(BlockType::Calc);
        open(b);
        m_panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_panel.get()));
        control<QComboBox>("list1135")->setFocus();
        QTest::keyClick(control<QComboBox>("list1135"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control<QComboBox>("list1136"));
    }

    void aPanelOutlivingItsBlockChangesNothing() {
        ActionBlock* b = place(BlockType::Forward);
        open(b);
        retype("edit1139", QStringLiteral("2"));
        const size_t before = steps();
        m_history->undo(m_program);  // rebuilds every block; the panel's block is gone
        retype("edit1139", QStringLiteral("9"));
        QCOMPARE(steps(), before);
        QCOMPARE(int(m_program.blocks.back()->param[0]), 15);
    }
};

QTEST_MAIN(PropertyPanelTest)
#include "property_panel_test.moc"
