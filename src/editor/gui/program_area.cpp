#include "editor/gui/program_area.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

#include "base/gui/ui_text.h"
#include "base/string_ids.h"
#include "editor/captions.h"
#include "editor/collision.h"
#include "editor/hit_test.h"
#include "editor/placement.h"
#include "editor/selection.h"
#include "model/option_flags.h"

namespace trovel {

namespace {

// A back buffer of `size` chart pixels holding `ratio` device pixels per chart pixel, so the chart
// is drawn at the screen's own resolution and copied to it without scaling.
QImage makeBuffer(QSize size, qreal ratio) {
    QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

void clearFlagEverywhere(BlockProgram& program, uint32_t flag) {
    for (auto& b : program.blocks) b->flags &= ~flag;
}

}  // namespace

ProgramArea::ProgramArea(BlockProgram& program, const ChartStyle& style, OptionFlags& options, QWidget* parent)
    : QAbstractScrollArea(parent), m_program(program), m_style(style), m_options(options) {
    setObjectName(QStringLiteral("motwindow"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    horizontalScrollBar()->setSingleStep(kScrollLine);
    verticalScrollBar()->setSingleStep(kScrollLine);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::ArrowCursor);
    setFrameShape(QFrame::Box);

    m_buffer = makeBuffer(QSize(kBackBufferSide, kBackBufferSide), devicePixelRatioF());
    if (m_buffer.isNull()) {
        const auto text = [&](int id) {
            return m_style.text.resString ? toQString(m_style.text.resString(id)) : QString();
        };
        QMessageBox::critical(nullptr, text(2), text(3));
        std::exit(EXIT_FAILURE);
    }
    // Not cleared here: the first paint draws all that can be seen before showing any of it, and
    // touching every page of a buffer for a scaled screen (64 MB at scale 2) slowed the start.
    const std::u16string stopHere = m_style.text.resString ? m_style.text.resString(Str::ChartBreakpoint) : u"";
    m_breakpointAction = new QAction(stopHere.empty() ? QStringLiteral("ここで止める") : toQString(stopHere), this);
    m_breakpointAction->setObjectName(QStringLiteral("breakpointAction"));
    m_breakpointAction->setCheckable(true);
    m_breakpointAction->setShortcut(QKeySequence(Qt::Key_F9));
    m_breakpointAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(m_breakpointAction, &QAction::triggered, this, &ProgramArea::toggleBreakpoint);
    addAction(m_breakpointAction);
}

void ProgramArea::toggleBreakpoint() {
    // All selected blocks take the opposite of the first one's mark.
    int set = -1;
    for (auto& b : m_program.blocks) {
        if (!(b->flags & FlagSelected)) continue;
        if (set < 0) set = b->breakpoint ? 0 : 1;
        b->breakpoint = set == 1;
    }
    m_breakpointAction->setChecked(set == 1);
    viewport()->update();
}

void ProgramArea::setPaletteSelection(int type) {
    const int value =
        type >= static_cast<int>(BlockType::LeftForward) && type <= static_cast<int>(BlockType::RepeatStart) ? type : 0;
    if (value == m_paletteSelection) return;
    m_paletteSelection = value;
    emit paletteSelectionChanged(value);
}

void ProgramArea::repaintAll() {
    requestFullRedraw();
    viewport()->update();
}

void ProgramArea::setCurrentBlock(ActionBlock* block) {
    m_program.currentBlock = block;
    // Only where the brackets were and where they go does the chart change, if at all.
    const QRect brackets = bracketArea();
    if (brackets != m_bracketsShown)
        viewport()->update((QRegion(m_bracketsShown) + brackets).translated(-scrollPosition()));
}

QRect ProgramArea::bracketArea() const {
    // Brackets go round the current block and round the block paired with it; their pen reaches
    // a few pixels past the block.
    constexpr int kReach = 4;
    const ActionBlock* current = m_program.currentBlock;
    QRect area;
    if (!current) return area;
    for (const auto& b : m_program.blocks)
        if (b.get() == current || (b->partner && b->partner == current))
            area |= QRect(b->x, b->y, b->width, b->height).adjusted(-kReach, -kReach, kReach, kReach);
    return area;
}

QPoint ProgramArea::scrollPosition() const { return {horizontalScrollBar()->value(), verticalScrollBar()->value()}; }

Point ProgramArea::content(QPoint client) const {
    const QPoint s = scrollPosition();
    return {client.x() + s.x(), client.y() + s.y()};
}

void ProgramArea::edited() { repaintAll(); }

// ---- painting ---------------------------------------------------------------------------------

QRegion ProgramArea::drawInto(QImage& buffer) {
    QPainter painter(&buffer);
    ChartView view;
    view.scroll = scrollPosition();
    view.client = viewport()->size();
    view.full = m_fullRedraw;
    view.window = true;
    m_extent = drawChart(painter, m_program, m_style, m_options.bits(), view, m_drawCache);
    // Whoever moved the current block, its brackets are drawn again, with everything under them,
    // only where they were and where they go.
    const QRect brackets = bracketArea();
    QRegion moved;
    if (!m_fullRedraw && brackets != m_bracketsShown) {
        moved = (QRegion(m_bracketsShown) + brackets).translated(-view.scroll);
        painter.setClipRegion(moved);
        view.full = true;
        drawChart(painter, m_program, m_style, m_options.bits(), view, m_drawCache);
    }
    m_fullRedraw = false;
    m_bracketsShown = brackets;
    return moved;
}

const QImage& ProgramArea::redrawBackBuffer() {
    drawInto(m_buffer);
    updateScrollBars();
    return m_buffer;
}

void ProgramArea::updateScrollBars() {
    const QSize client = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    // Range is max(extent + 15, client); the position stays within range - client.
    h->setRange(0, std::max(0, m_extent.rangeX - client.width()));
    v->setRange(0, std::max(0, m_extent.rangeY - client.height()));
    h->setPageStep(std::max(1, client.width() - 1));
    v->setPageStep(std::max(1, client.height() - 1));
}

void ProgramArea::paintEvent(QPaintEvent* event) {
    if (m_painting) return;
    m_painting = true;
    const QSize client = viewport()->size();
    const qreal ratio = viewport()->devicePixelRatioF();
    const QSizeF held = m_buffer.deviceIndependentSize();
    if (held.width() < client.width() || held.height() < client.height() || m_buffer.devicePixelRatio() != ratio) {
        // A larger window, or a screen of another scale: a new buffer, drawn whole.
        m_buffer = makeBuffer(
            QSize(std::max(kBackBufferSide, client.width()), std::max(kBackBufferSide, client.height())), ratio);
        m_fullRedraw = true;
    }
    const QPoint before = scrollPosition();
    const QRegion moved = drawInto(m_buffer);
    // Brackets moved outside what this paint shows come to the screen with the next one.
    if (!(moved - event->region()).isEmpty()) viewport()->update(moved);
    updateScrollBars();
    if (scrollPosition() != before) {
        // Clamping moved the view: draw again at the new position before showing anything.
        m_fullRedraw = true;
        drawInto(m_buffer);
    }

    QPainter painter(viewport());
    painter.drawImage(QPoint(0, 0), m_buffer, QRect(QPoint(0, 0), (QSizeF(client) * ratio).toSize()));
    // Breakpoints are the simulator's, not the chart's: they stay out of the back buffer and its pictures.
    painter.setRenderHint(QPainter::Antialiasing);
    for (const auto& b : m_program.blocks) {
        if (!b->breakpoint) continue;
        const QPoint s = scrollPosition();
        painter.setPen(QPen(Qt::white, 1.5));
        painter.setBrush(QColor(0xE0, 0x10, 0x10));
        painter.drawEllipse(QPointF(b->x + b->width - 7 - s.x(), b->y + 7 - s.y()), 5, 5);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawPreview(painter);
    if (m_dragMode == DragMode::Band) {
        const QPoint s = scrollPosition();
        const QRect band = QRect(m_dragOrigin - s, m_lastMouse).normalized();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(band);
    }
    m_painting = false;
}

void ProgramArea::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    repaintAll();
}

void ProgramArea::scrollContentsBy(int, int) { repaintAll(); }

void ProgramArea::wheelEvent(QWheelEvent* event) {
    QPoint delta = event->angleDelta();
    // Shift turns the wheel sideways; some platforms already deliver it as a horizontal delta.
    if ((event->modifiers() & Qt::ShiftModifier) && delta.x() == 0) delta = QPoint(delta.y(), 0);
    const int lines = 3;
    if (delta.y() != 0)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - delta.y() * lines * kScrollLine / 120);
    if (delta.x() != 0)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - delta.x() * lines * kScrollLine / 120);
    event->accept();
}

bool ProgramArea::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const Point q = content(help->pos());
        const HitResult hit = hitTest(m_program, q.x, q.y);
        const ActionBlock* block = blockAt(m_program, hit.blockIndex);
        if (hit.code == HitCode::Body && block) {
            QToolTip::showText(help->globalPos(), toQString(blockTooltip(*block, m_style.text)), viewport());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// ---- mouse ------------------------------------------------------------------------------------

void ProgramArea::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        const bool controlOnly = event->buttons() == Qt::LeftButton && event->modifiers() == Qt::ControlModifier;
        leftButtonDown(p, controlOnly);
    } else if (event->button() == Qt::RightButton) {
        rightButtonDown(p, event->globalPosition().toPoint());
    }
}

void ProgramArea::leftButtonDown(QPoint p, bool controlOnly) {
    m_dragMode = DragMode::Idle;
    const Point q = content(p);
    if (m_paletteSelection != 0) {
        placeBlock(m_paletteSelection, q);
        setPaletteSelection(0);
        return;
    }
    const HitResult hit = hitTest(m_program, q.x, q.y);
    ActionBlock* block = blockAt(m_program, hit.blockIndex);
    const int code = static_cast<int>(hit.code);
    if (hit.code == HitCode::Body && block) {
        if (!(block->flags & FlagSelected) && !controlOnly) clearSelection(m_program);
        block->flags |= FlagSelected | FlagChanged;
        m_dragMode = DragMode::Move;
        m_dragOrigin = p;
        // Every block about to move starts from a free place; a block of the selection that was
        // not grabbed itself would otherwise fall back to a stale anchor if its first step collides.
        for (auto& b : m_program.blocks) {
            if (!(b->flags & FlagSelected)) continue;
            b->anchorX = b->x;
            b->anchorY = b->y;
        }
        ActionBlock* current = block->type == BlockType::RepeatEnd && block->partner ? block->partner : block;
        // The brackets of the previous current block lie outside every block: only a full redraw clears them.
        if (current != m_program.currentBlock) requestFullRedraw();
        m_program.currentBlock = current;
        emit propertyPanelRequested();
    } else if ((hit.code == HitCode::End0 || hit.code == HitCode::End1) && block) {
        const int i = outputOf(hit.code);
        clearSelection(m_program);
        block->flags |= (i == 0 ? FlagEndDrag0 : FlagEndDrag1) | FlagChanged;
        block->dragX = q.x;
        block->dragY = q.y;
        m_dragBlockIndex = hit.blockIndex;
        m_dragMode = code;
    } else if ((hit.code == HitCode::Bend0 || hit.code == HitCode::Bend1) && block) {
        const int i = outputOf(hit.code);
        m_dragBlockIndex = hit.blockIndex;
        clearSelection(m_program);
        const Route route = routeConnector(*block, i);
        m_dragRoute = route.code;
        m_bendOrigin = bendDragOrigin(route);
        block->flags |= (i == 0 ? FlagEndDrag0 : FlagEndDrag1) | FlagChanged;
        m_dragMode = code;
    } else {
        m_dragMode = DragMode::Band;
        m_dragOrigin = QPoint(q.x, q.y);
        if (!controlOnly) clearSelection(m_program);
    }
    viewport()->update();
}

void ProgramArea::placeBlock(int type, Point q) {
    const PlaceResult placed =
        placeFromPalette(m_program, static_cast<BlockType>(type), q, m_options.has(Option::BlockCollision));
    if (!placed.block) {
        if (placed.error == PlaceError::TooManyRepeats) emit placementRefused();
        return;
    }
    requestFullRedraw();
    emit editFinished();
    emit propertyPanelRequested();
    viewport()->update();
}

void ProgramArea::dragFromPalette(int type, const QPoint& globalPos) {
    const QPoint p = viewport()->mapFromGlobal(globalPos);
    std::vector<ActionBlock> preview;
    if (viewport()->rect().contains(p))
        preview = placementPreview(m_program, static_cast<BlockType>(type), content(p),
                                   m_options.has(Option::BlockCollision));
    const auto same = [](const ActionBlock& a, const ActionBlock& b) {
        return a.type == b.type && a.x == b.x && a.y == b.y;
    };
    if (std::equal(preview.begin(), preview.end(), m_preview.begin(), m_preview.end(), same)) return;
    m_preview = std::move(preview);
    viewport()->update();
}

void ProgramArea::dropFromPalette(int type, const QPoint& globalPos) {
    m_preview.clear();
    viewport()->update();
    const QPoint p = viewport()->mapFromGlobal(globalPos);
    if (viewport()->rect().contains(p)) placeBlock(type, content(p));
    setPaletteSelection(0);
}

void ProgramArea::drawPreview(QPainter& painter) {
    // The block's own picture, faint, inside a dashed frame in the drag colour.
    const QPoint s = scrollPosition();
    painter.save();
    for (const ActionBlock& b : m_preview) {
        const QRect r(b.x - s.x(), b.y - s.y(), b.width, b.height);
        const size_t skin = static_cast<size_t>(b.type) - 1;
        if (skin < m_style.skins.size() && !m_style.skins[skin].isNull()) {
            painter.setOpacity(0.5);
            painter.drawImage(r.topLeft(), m_style.skins[skin]);
            painter.setOpacity(1);
        }
        painter.setPen(QPen(m_style.colors[ChartColor::Drag], 2, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        if (isDiamond(b.type)) {
            painter.drawPolygon(QPolygon({QPoint(r.left(), r.center().y()), QPoint(r.center().x(), r.top()),
                                          QPoint(r.right(), r.center().y()), QPoint(r.center().x(), r.bottom())}));
        } else {
            painter.drawRect(r.adjusted(1, 1, -1, -1));
        }
    }
    painter.restore();
}

void ProgramArea::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (p != m_lastMouse) QToolTip::hideText();
    m_lastMouse = p;
    const Point q = content(p);
    switch (m_dragMode) {
    case DragMode::Band:
        selectInBand(m_program, Rect{m_dragOrigin.x(), m_dragOrigin.y(), q.x, q.y});
        viewport()->update();
        break;
    case DragMode::Move: {
        const Point next = moveSelection(m_program, Point{m_dragOrigin.x(), m_dragOrigin.y()}, Point{p.x(), p.y()},
                                         m_options.has(Option::BlockCollision));
        m_dragOrigin = QPoint(next.x, next.y);
        edited();
        break;
    }
    case DragMode::Bend0:
    case DragMode::Bend1:
        if (ActionBlock* block = blockAt(m_program, m_dragBlockIndex)) {
            block->bend[static_cast<size_t>(m_dragMode - DragMode::Bend0)] =
                bendFromPointer(m_dragRoute, m_bendOrigin, q);
            edited();
        }
        break;
    case DragMode::End0:
    case DragMode::End1:
        if (ActionBlock* block = blockAt(m_program, m_dragBlockIndex)) {
            const size_t i = static_cast<size_t>(m_dragMode - DragMode::End0);
            clearFlagEverywhere(m_program, FlagDropTarget);
            block->dragX = q.x;
            block->dragY = q.y;
            block->next[i] = nullptr;
            if (ActionBlock* target = dropTargetAt(m_program, q.x, q.y, block)) {
                block->next[i] = target;
                target->flags |= FlagDropTarget;
            }
            edited();
        }
        break;
    default: break;
    }
}

void ProgramArea::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_lastMouse = event->position().toPoint();
    switch (m_dragMode) {
    case DragMode::Band: commitBand(m_program); break;
    case DragMode::Move:
        if (m_options.has(Option::BlockCollision) && settleDroppedSelection(m_program) > 0) requestFullRedraw();
        emit editFinished();
        break;
    case DragMode::Bend0:
    case DragMode::Bend1:
    case DragMode::End0:
    case DragMode::End1:
        clearFlagEverywhere(m_program, FlagDropTarget);
        if (ActionBlock* block = blockAt(m_program, m_dragBlockIndex)) block->flags &= ~(FlagEndDrag0 | FlagEndDrag1);
        requestFullRedraw();
        emit editFinished();
        break;
    default: break;
    }
    m_dragMode = DragMode::Idle;
    viewport()->update();
}

void ProgramArea::rightButtonDown(QPoint p, const QPoint& globalPos) {
    const Point q = content(p);
    for (auto& b : m_program.blocks) {
        if (contains(blockRect(*b), q.x, q.y)) {
            clearSelection(m_program);
            b->flags |= FlagSelected | FlagChanged;
            viewport()->update();
            break;
        }
    }
    const auto first = std::find_if(m_program.blocks.begin(), m_program.blocks.end(),
                                    [](const auto& b) { return (b->flags & FlagSelected) != 0; });
    m_breakpointAction->setChecked(first != m_program.blocks.end() && (*first)->breakpoint);
    emit blockMenuRequested(globalPos);
}

}  // namespace trovel
