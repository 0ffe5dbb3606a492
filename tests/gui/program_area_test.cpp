// The program area driven with the mouse as a user would, checked through the program afterwards.

#include <QScrollBar>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

#include <array>

#include "base/gui/ui_text.h"
#include "editor/gui/program_area.h"
#include "gui_test_support.h"
#include "model/option_flags.h"

using namespace trovel;
using trovel::test::addBlock;

namespace {

void link(ActionBlock* from, int output, ActionBlock* to) { from->next[static_cast<size_t>(output)] = to; }

void pairRepeat(ActionBlock* start, ActionBlock* end) {
    start->partner = end;
    end->partner = start;
    link(start, 0, end);
    link(end, 1, start);
}

void sendWheel(QWidget* w, QPoint pos, QPoint angle, Qt::KeyboardModifiers mods) {
    QWheelEvent event(QPointF(pos), QPointF(w->mapToGlobal(pos)), QPoint(), angle, Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

}  // namespace

class ProgramAreaTest : public QObject {
    Q_OBJECT

    BlockProgram m_program;
    OptionFlags m_flags;
    std::unique_ptr<ProgramArea> m_area;

    QWidget* view() { return m_area->viewport(); }
    void press(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mousePress(view(), Qt::LeftButton, mods, p);
    }
    void moveTo(QPoint p) { QTest::mouseMove(view(), p); }
    void release(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mouseRelease(view(), Qt::LeftButton, mods, p);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        press(from, mods);
        moveTo(to);
        release(to, mods);
    }
    void click(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mouseClick(view(), Qt::LeftButton, mods, p);
    }
    bool selected(const ActionBlock* b) const { return b->flags & FlagSelected; }

private slots:
    void init() {
        clear(m_program);
        m_flags.reset(0);
        ChartStyle style = defaultChartStyle(chartTextSources({}, {}));
        m_area = std::make_unique<ProgramArea>(m_program, style, m_flags);
        m_area->resize(640, 520);
        m_area->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_area.get()));
    }
    void cleanup() { m_area.reset(); }

    void rubberBandSelectsExactlyTheTouchedBlocks() {
        ActionBlock* forward = addBlock(m_program, BlockType::Forward, 90, 90);
        ActionBlock* diamond = addBlock(m_program, BlockType::Branch, 270, 90);  // centre (324, 121)
        ActionBlock* stop = addBlock(m_program, BlockType::Stop, 90, 270);

        drag({60, 60}, {200, 200});
        QVERIFY(selected(forward));
        QVERIFY(!selected(diamond));
        QVERIFY(!selected(stop));
        QCOMPARE(m_area->dragMode(), DragMode::Idle);

        // Touches the diamond's bounding box but not the diamond: a plain band clears the selection.
        drag({385, 60}, {360, 95});
        QVERIFY(!selected(forward));
        QVERIFY(!selected(diamond));

        drag({60, 60}, {200, 200});
        // Control + band across the diamond's centre row adds it to what is selected.
        drag({385, 130}, {360, 110}, Qt::ControlModifier);
        QVERIFY(selected(forward));
        QVERIFY(selected(diamond));
        QVERIFY(!selected(stop));
        for (const auto& b : m_program.blocks) QVERIFY(!(b->flags & FlagInBand));
    }

    void bandIsVisibleWhileDragging() {
        addBlock(m_program, BlockType::Forward, 90, 90);
        press({300, 300});
        moveTo({140, 140});
        QCOMPARE(m_area->dragMode(), DragMode::Band);
        QVERIFY(m_program.blocks[0]->flags & FlagInBand);
        QVERIFY(!(m_program.blocks[0]->flags & FlagSelected));
        release({140, 140});
        QVERIFY(m_program.blocks[0]->flags & FlagSelected);
    }

    // A running program moves the current block many times a second and the chart redraws only
    // where the brackets were and go: what it then shows is what a whole redraw shows.
    void followingTheRunShowsWhatAWholeRedrawShows() {
        ActionBlock* start = addBlock(m_program, BlockType::RepeatStart, 90, 60);
        ActionBlock* branch = addBlock(m_program, BlockType::Branch, 90, 160);
        ActionBlock* go = addBlock(m_program, BlockType::Forward, 270, 160);
        ActionBlock* end = addBlock(m_program, BlockType::RepeatEnd, 90, 280);
        pairRepeat(start, end);
        link(branch, 0, go);
        m_area->repaintAll();
        view()->repaint();
        const QSize client = view()->size() * view()->devicePixelRatioF();
        int step = 0;
        for (ActionBlock* current : {branch, go, start, end, static_cast<ActionBlock*>(nullptr), go, branch}) {
            // Told, or found moved by a paint that came first.
            if (++step % 2) m_area->setCurrentBlock(current);
            else m_program.currentBlock = current;
            view()->repaint();
            const QImage followed = m_area->backBuffer().copy(QRect(QPoint(0, 0), client));
            m_area->repaintAll();
            view()->repaint();
            QVERIFY2(followed == m_area->backBuffer().copy(QRect(QPoint(0, 0), client)),
                     qPrintable(current ? QString::fromStdU16String(current->name) : QStringLiteral("none")));
        }
    }

    void clickSelectsAndControlClickAdds() {
        ActionBlock* a = addBlock(m_program, BlockType::Forward, 90, 90);
        ActionBlock* b = addBlock(m_program, BlockType::Stop, 270, 90);
        QSignalSpy panel(m_area.get(), &ProgramArea::propertyPanelRequested);
        click({120, 120});
        QVERIFY(selected(a) && !selected(b));
        QCOMPARE(m_program.currentBlock, a);
        click({300, 120}, Qt::ControlModifier);
        QVERIFY(selected(a) && selected(b));
        QCOMPARE(m_program.currentBlock, b);
        // A click on a selected block keeps the whole selection, so it can be moved together.
        click({120, 120});
        QVERIFY(selected(a) && selected(b));
        // A plain click on an unselected block selects it alone.
        ActionBlock* c = addBlock(m_program, BlockType::Wait, 90, 270);
        click({120, 300});
        QVERIFY(!selected(a) && !selected(b) && selected(c));
        QCOMPARE(panel.count(), 4);
    }

    void dragMovesTheSelectionOnTheGrid() {
        ActionBlock* a = addBlock(m_program, BlockType::Forward, 90, 90);
        ActionBlock* b = addBlock(m_program, BlockType::Stop, 270, 90);
        ActionBlock* other = addBlock(m_program, BlockType::Wait, 90, 300);
        QSignalSpy edits(m_area.get(), &ProgramArea::editFinished);
        click({120, 120});
        click({300, 120}, Qt::ControlModifier);
        QCOMPARE(edits.count(), 2);  // every finished button-up on a block is recorded

        // Pointer and origin snap to the grid: (150,140) - (117,117) on the grid is (27, 18).
        drag({120, 120}, {150, 140});
        QCOMPARE(a->x, 117);
        QCOMPARE(a->y, 108);
        QCOMPARE(b->x, 297);
        QCOMPARE(b->y, 108);
        QCOMPARE(other->x, 90);
        QCOMPARE(other->y, 300);
        QCOMPARE(edits.count(), 3);

        // Moving past the top left edge stops at 0.
        drag({130, 120}, {2, 2});
        QCOMPARE(a->x, 0);
        QCOMPARE(a->y, 0);
        QVERIFY(b->x > 0);
    }

    void droppingAConnectorEndLinksOrOpensTheOutput() {
        ActionBlock* start = addBlock(m_program, BlockType::Start, 27, 9);
        ActionBlock* end = addBlock(m_program, BlockType::End, 27, 200);
        ActionBlock* forward = addBlock(m_program, BlockType::Forward, 270, 200);
        link(start, 0, end);
        QSignalSpy edits(m_area.get(), &ProgramArea::editFinished);

        // The arrowhead sits on the top centre of End (81, 200).
        press({81, 197});
        QCOMPARE(m_area->dragMode(), DragMode::End0);
        moveTo({300, 230});
        QCOMPARE(start->next[0], forward);
        QVERIFY(forward->flags & FlagDropTarget);
        release({300, 230});
        QCOMPARE(start->next[0], forward);
        QVERIFY(!(forward->flags & FlagDropTarget));
        QVERIFY(!(start->flags & (FlagEndDrag0 | FlagEndDrag1)));
        QCOMPARE(edits.count(), 1);

        // Dropped on empty space the output stays open.
        drag({301, 197}, {520, 420});
        QCOMPARE(start->next[0], nullptr);
        QCOMPARE(edits.count(), 2);

        // An open output shows its handle at the block's bottom centre; from there it can be
        // connected again, but never to a Start block or to its own block.
        drag({81, 54}, {60, 30});
        QCOMPARE(start->next[0], nullptr);
        drag({81, 54}, {60, 220});
        QCOMPARE(start->next[0], end);
    }

    void loopBackCannotBeDetachedButItsBendMoves() {
        ActionBlock* repeat = addBlock(m_program, BlockType::RepeatStart, 90, 90);
        ActionBlock* repeatEnd = addBlock(m_program, BlockType::RepeatEnd, 90, 180);
        pairRepeat(repeat, repeatEnd);

        // The loop-back's arrowhead is on the RepeatStart's top centre (144, 90).
        press({144, 87});
        QVERIFY(m_area->dragMode() != DragMode::End1);
        moveTo({420, 420});
        release({420, 420});
        QCOMPARE(repeatEnd->next[1], repeat);

        // Its bend handle is at (225, 153): the vertical run right of both blocks follows the pointer.
        press({225, 153});
        QCOMPARE(m_area->dragMode(), DragMode::Bend1);
        moveTo({245, 153});
        release({245, 153});
        QCOMPARE(repeatEnd->bend[1], 47);
        QCOMPARE(repeatEnd->next[1], repeat);
        QVERIFY(!(repeatEnd->flags & (FlagEndDrag0 | FlagEndDrag1)));
    }

    void clickingARepeatEndMakesItsStartCurrent() {
        ActionBlock* repeat = addBlock(m_program, BlockType::RepeatStart, 90, 90);
        ActionBlock* repeatEnd = addBlock(m_program, BlockType::RepeatEnd, 90, 180);
        pairRepeat(repeat, repeatEnd);
        click({120, 200});
        QVERIFY(selected(repeatEnd));
        QCOMPARE(m_program.currentBlock, repeat);
    }

    void paletteSelectionPlacesExactlyOneBlock() {
        QSignalSpy palette(m_area.get(), &ProgramArea::paletteSelectionChanged);
        QSignalSpy edits(m_area.get(), &ProgramArea::editFinished);
        m_area->setPaletteSelection(static_cast<int>(BlockType::Forward));
        QCOMPARE(m_area->paletteSelection(), 4);
        click({200, 300});
        QCOMPARE(m_program.blocks.size(), size_t{1});
        const ActionBlock& placed = *m_program.blocks[0];
        QCOMPARE(placed.type, BlockType::Forward);
        QCOMPARE(placed.x, 162);  // 200 - 31 down to the grid
        QCOMPARE(placed.y, 279);  // 300 - 18
        QCOMPARE(m_program.currentBlock, &placed);
        QCOMPARE(m_area->paletteSelection(), 0);
        QCOMPARE(palette.count(), 2);
        QCOMPARE(palette.last().at(0).toInt(), 0);
        QCOMPARE(edits.count(), 1);

        click({500, 100});
        QCOMPARE(m_program.blocks.size(), size_t{1});

        // Placed on a connector, a block of one output is put in its way; beside it, it stays unlinked,
        // and so does a branch placed on one (which of its outputs would go on is not for us to guess).
        ActionBlock* from = addBlock(m_program, BlockType::Stop, 360, 18);
        ActionBlock* to = addBlock(m_program, BlockType::Stop, 360, 414);
        link(from, 0, to);  // a straight line down x = 391
        m_area->setPaletteSelection(static_cast<int>(BlockType::Branch));
        click({391, 360});
        QCOMPARE(from->next[0], to);
        m_area->setPaletteSelection(static_cast<int>(BlockType::Wait));
        click({520, 200});
        QCOMPARE(from->next[0], to);
        m_area->setPaletteSelection(static_cast<int>(BlockType::Wait));
        click({391, 200});
        ActionBlock* wait = m_program.blocks.back().get();
        QCOMPARE(wait->type, BlockType::Wait);
        QCOMPARE(from->next[0], wait);
        QCOMPARE(wait->next[0], to);

        // Types outside the palette are not accepted as a selection.
        m_area->setPaletteSelection(static_cast<int>(BlockType::RepeatEnd));
        QCOMPARE(m_area->paletteSelection(), 0);
    }

    void placingARepeatAddsItsEnd() {
        m_area->setPaletteSelection(static_cast<int>(BlockType::RepeatStart));
        click({200, 100});
        QCOMPARE(m_program.blocks.size(), size_t{2});
        ActionBlock* start = m_program.blocks[0].get();
        ActionBlock* end = m_program.blocks[1].get();
        QCOMPARE(end->type, BlockType::RepeatEnd);
        QCOMPARE(end->y, start->y + 90);
        QCOMPARE(end->next[1], start);
    }

    void eighthRepeatIsRefused() {
        for (int i = 0; i < kMaxRepeats; ++i)
            placeBlock(m_program, BlockType::RepeatStart, {40 + 120 * (i % 4), 40 + 150 * (i / 4)});
        const size_t before = m_program.blocks.size();
        QSignalSpy refused(m_area.get(), &ProgramArea::placementRefused);
        QSignalSpy edits(m_area.get(), &ProgramArea::editFinished);
        m_area->setPaletteSelection(static_cast<int>(BlockType::RepeatStart));
        click({560, 480});
        QCOMPARE(m_program.blocks.size(), before);
        QCOMPARE(refused.count(), 1);
        QCOMPARE(edits.count(), 0);
        QCOMPARE(m_area->paletteSelection(), 0);
    }

    void withCollisionADropOntoABlockReturnsToTheLastFreePlace() {
        m_flags.set(Option::BlockCollision);
        ActionBlock* a = addBlock(m_program, BlockType::Forward, 90, 90);
        ActionBlock* b = addBlock(m_program, BlockType::Forward, 270, 90);
        press({120, 120});
        moveTo({200, 120});  // a at x = 171: still 36 pixels clear of b
        QCOMPARE(a->x, 171);
        QVERIFY(!(a->flags & FlagColliding));
        moveTo({300, 120});  // a on top of b
        QCOMPARE(a->x, 270);
        QVERIFY(a->flags & FlagColliding);
        release({300, 120});
        QCOMPARE(a->x, 171);
        QCOMPARE(a->y, 90);
        QVERIFY(!(a->flags & FlagColliding));
        QCOMPARE(b->x, 270);
    }

    void withCollisionEverySelectedBlockReturnsToWhereTheMoveBegan() {
        m_flags.set(Option::BlockCollision);
        ActionBlock* a = addBlock(m_program, BlockType::Forward, 90, 90);
        ActionBlock* b = addBlock(m_program, BlockType::Forward, 90, 270);
        ActionBlock* c = addBlock(m_program, BlockType::Forward, 270, 270);
        drag({60, 60}, {170, 350});  // band around a and b only
        QVERIFY(selected(a) && selected(b) && !selected(c));
        // The first step already puts b onto c; b was never grabbed itself.
        press({120, 120});
        moveTo({300, 120});
        QVERIFY(b->flags & FlagColliding);
        release({300, 120});
        QCOMPARE(a->x, 270);
        QCOMPARE(a->y, 90);
        QCOMPARE(b->x, 90);
        QCOMPARE(b->y, 270);
        QVERIFY(!(b->flags & FlagColliding));
    }

    void withoutCollisionBlocksMayOverlap() {
        ActionBlock* a = addBlock(m_program, BlockType::Forward, 90, 90);
        addBlock(m_program, BlockType::Forward, 270, 90);
        drag({120, 120}, {300, 120});
        QCOMPARE(a->x, 270);
        QVERIFY(!(a->flags & FlagColliding));
    }

    void rightClickSelectsTheBlockAloneAndAsksForTheMenu() {
        ActionBlock* a = addBlock(m_program, BlockType::Forward, 90, 90);
        ActionBlock* b = addBlock(m_program, BlockType::Stop, 270, 90);
        a->flags |= FlagSelected;
        QSignalSpy menu(m_area.get(), &ProgramArea::blockMenuRequested);
        QTest::mouseClick(view(), Qt::RightButton, Qt::NoModifier, {300, 120});
        QVERIFY(!selected(a) && selected(b));
        QCOMPARE(menu.count(), 1);
        // On empty space the selection stays and the menu still opens.
        QTest::mouseClick(view(), Qt::RightButton, Qt::NoModifier, {500, 400});
        QVERIFY(selected(b));
        QCOMPARE(menu.count(), 2);
    }

    void breakpointIsToggledFromTheBlockMenuAndDrawnOnlyOnScreen() {
        ActionBlock* a = addBlock(m_program, BlockType::Forward, 90, 90);
        ActionBlock* b = addBlock(m_program, BlockType::Stop, 270, 90);
        QTest::mouseClick(view(), Qt::RightButton, Qt::NoModifier, {300, 120});
        QAction* stopHere = m_area->breakpointAction();
        QVERIFY(!stopHere->isChecked());
        stopHere->trigger();
        QVERIFY(b->breakpoint && !a->breakpoint);
        // The red dot sits in the block's top-right corner on screen, never in the chart's pictures.
        const QPoint dot(b->x + b->width - 7, b->y + 7);
        const QColor shown = view()->grab().toImage().pixelColor(dot);
        QVERIFY2(shown.red() > 200 && shown.green() < 60 && shown.blue() < 60, qPrintable(shown.name()));
        const QColor buffered = m_area->redrawBackBuffer().pixelColor(dot);
        QVERIFY(!(buffered.red() > 200 && buffered.green() < 60));
        // The menu shows the mark; F9 takes it off again.
        QTest::mouseClick(view(), Qt::RightButton, Qt::NoModifier, {300, 120});
        QVERIFY(stopHere->isChecked());
        QTest::keyClick(view(), Qt::Key_F9);
        QVERIFY(!b->breakpoint);
    }

    void wheelScrollsAndShiftWheelScrollsSideways() {
        addBlock(m_program, BlockType::Forward, 3000, 3000);
        m_area->redrawBackBuffer();
        QCOMPARE(m_area->scrollPosition(), QPoint(0, 0));
        sendWheel(view(), {100, 100}, {0, -120}, Qt::NoModifier);
        QCOMPARE(m_area->scrollPosition(), QPoint(0, 3 * kScrollLine));
        sendWheel(view(), {100, 100}, {0, -120}, Qt::ShiftModifier);
        QCOMPARE(m_area->scrollPosition(), QPoint(3 * kScrollLine, 3 * kScrollLine));
        sendWheel(view(), {100, 100}, {0, 480}, Qt::NoModifier);
        QCOMPARE(m_area->scrollPosition().y(), 0);

        // Once scrolled, clicks work in content coordinates.
        m_area->horizontalScrollBar()->setValue(m_area->horizontalScrollBar()->maximum());
        m_area->verticalScrollBar()->setValue(m_area->verticalScrollBar()->maximum());
        const QPoint scroll = m_area->scrollPosition();
        QVERIFY(scroll.x() > 2000 && scroll.y() > 2000);
        click(QPoint(3020, 3020) - scroll);
        QVERIFY(selected(m_program.blocks[0].get()));
    }

    void tooltipDescribesTheBlockUnderThePointer() {
        ActionBlock* forward = addBlock(m_program, BlockType::Forward, 90, 90);
        forward->param = defaultParams(BlockType::Forward);
        forward->name = u"前に進む 1";
        const auto askTip = [this](QPoint p) {
            QHelpEvent help(QEvent::ToolTip, p, view()->mapToGlobal(p));
            QApplication::sendEvent(view(), &help);
        };
        askTip({120, 120});
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("1.5 秒間 前に進む"));
        askTip({400, 400});
        QTRY_VERIFY(!QToolTip::isVisible());
        // The open output's handle is not the body: no text there either.
        askTip({121, 150});
        QTest::qWait(50);
        QVERIFY(!QToolTip::isVisible());
    }

    void scrollRangeFollowsTheChart() {
        addBlock(m_program, BlockType::Forward, 1000, 2000);
        m_area->redrawBackBuffer();
        const Rect extent = m_area->contentExtent();
        QCOMPARE(extent, (Rect{0, 0, 1063 + 36, 2063 + 36}));
        const QSize client = view()->size();
        QCOMPARE(m_area->horizontalScrollBar()->maximum(), extent.right + 15 - client.width());
        QCOMPARE(m_area->verticalScrollBar()->maximum(), extent.bottom + 15 - client.height());
        // Scrolled to the end, then the block goes: the position is clamped back into range.
        m_area->verticalScrollBar()->setValue(m_area->verticalScrollBar()->maximum());
        m_program.blocks[0]->y = 0;
        m_area->redrawBackBuffer();
        QCOMPARE(m_area->verticalScrollBar()->value(), 0);
    }
};

QTEST_MAIN(ProgramAreaTest)
#include "program_area_test.moc"
