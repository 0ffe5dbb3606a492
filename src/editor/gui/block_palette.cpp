#include "editor/gui/block_palette.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

#include "base/block_names.h"
#include "base/gui/ui_text.h"
#include "editor/skin.h"
#include "base/string_ids.h"
#include "editor/gui/program_area.h"
#include "model/option_flags.h"

namespace trovel {

namespace {

// Content height above the property panel: the buttons and the sensor panel.
constexpr int kContentAbovePanel = 160 + 231;
constexpr QPoint kSensorPanel{12, 201};

struct SensorSlot {
    int address;
    int x, top, bottom;
    bool fourSensorsOnly;
};
constexpr SensorSlot kSensorSlots[] = {
    {MemoryMap::LeftSensor, 20, 242, 314, false},
    {MemoryMap::RightSensor, 176, 242, 314, false},
    {MemoryMap::Sensor3, 14, 288, 314, true},
    {MemoryMap::Sensor4, 184, 288, 314, true},
};

QString sensorText(SensorSource source, uint8_t value) {
    if (source == SensorSource::None) return QStringLiteral("???");
    return QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0'));
}

}  // namespace

const std::array<PaletteButton, 14>& paletteButtons() {
    static const std::array<PaletteButton, 14> buttons{{
        {BlockType::LeftForward, 24, 6, Option::UseWheelControl},
        {BlockType::Forward, 87, 6, 0},
        {BlockType::RightForward, 150, 6, Option::UseWheelControl},
        {BlockType::TurnLeft, 24, 42, 0},
        {BlockType::Stop, 87, 42, 0},
        {BlockType::TurnRight, 150, 42, 0},
        {BlockType::WheelControl, 150, 119, Option::UseWheelControl},
        {BlockType::Branch, 24, 160, 0},
        {BlockType::RandomBranch, 87, 160, 0},
        {BlockType::Wait, 150, 83, 0},
        {BlockType::LeftLed, 24, 83, 0},
        {BlockType::RightLed, 87, 83, 0},
        {BlockType::Calc, 24, 119, Option::UseCalcBlock},
        {BlockType::RepeatStart, 150, 160, 0},
    }};
    return buttons;
}

bool paletteButtonVisible(const PaletteButton& button, uint32_t options) {
    return button.needs == 0 || (options & button.needs) != 0;
}

int paletteHitTest(int x, int y, int scroll, uint32_t options) {
    for (const PaletteButton& b : paletteButtons()) {
        if (!paletteButtonVisible(b, options)) continue;
        const int top = b.y - scroll;
        if (x >= b.x && x < b.x + kPaletteButtonWidth && y >= top && y < top + kPaletteButtonHeight)
            return static_cast<int>(b.type);
    }
    return 0;
}

int paletteSkinImage(BlockType type) {
    switch (type) {
    case BlockType::RandomBranch: return SkinImage::RandomBranchButton;
    case BlockType::RepeatStart: return SkinImage::RepeatStartButton;
    case BlockType::Branch: return SkinImage::BranchButton;
    default: return static_cast<int>(type) - 1;
    }
}

BlockPalette::BlockPalette(BlockProgram& program, const ChartStyle& style, OptionFlags& options,
                           const SensorFeed& sensors, QWidget* parent)
    : QAbstractScrollArea(parent), m_program(program), m_style(style), m_options(options), m_sensors(sensors) {
    setObjectName(QStringLiteral("poswindow"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setSingleStep(kScrollLine);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_host.program = &m_program;
    m_host.options = &m_options;
    showPropertyPanel();

    m_timer = new QTimer(this);
    m_timer->setInterval(kPaletteTimerMs);
    connect(m_timer, &QTimer::timeout, this, [this] { timerTick(); });
    m_timer->start();
    // The first tick runs at once, so the status and the sensors are right from the start.
    QTimer::singleShot(0, this, [this] { timerTick(); });
}

void BlockPalette::setPaletteSelection(int type) {
    if (type == m_selection) return;
    m_selection = type;
    viewport()->update();
}

void BlockPalette::setPanelHost(PanelHost host) {
    m_host = std::move(host);
    m_host.program = &m_program;
    m_host.options = &m_options;
    showPropertyPanel();
}

void BlockPalette::showPropertyPanel() {
    if (m_panel) {
        m_panel->hide();
        m_panel->deleteLater();
    }
    m_panel = new PropertyPanel(m_host, viewport());
    connect(m_panel, &PropertyPanel::editAccepted, this, &BlockPalette::panelEdited);
    connect(m_panel, &PropertyPanel::blockChanged, this, &BlockPalette::chartChanged);
    // The opening corrections came before anyone could hear of them.
    if (m_panel->correctedOnOpening()) emit chartChanged();
    m_panel->show();
    updateScrollRange();
    placePanel();
    viewport()->update();
}

int BlockPalette::scrollPosition() const { return verticalScrollBar()->value(); }

void BlockPalette::updateScrollRange() {
    const int client = viewport()->height();
    const int panelHeight = m_panel ? m_panel->height() : 0;
    const int maximum = std::max(kContentAbovePanel + panelHeight, client);
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(std::max(1, client));
    bar->setRange(0, std::max(0, maximum - client));
}

void BlockPalette::placePanel() {
    if (m_panel) m_panel->move(kPanelOrigin.x(), kPanelOrigin.y() - scrollPosition());
}

bool BlockPalette::timerTick() {
    const MemoryImage memory = m_sensors.memory();
    // Only the two main sensors ask for a redraw; ③ and ④ follow with the next one.
    bool redraw = memory[MemoryMap::LeftSensor] != m_previousMemory[MemoryMap::LeftSensor] ||
                  memory[MemoryMap::RightSensor] != m_previousMemory[MemoryMap::RightSensor];
    m_previousMemory = memory;
    const bool connected = m_options.has(Option::Connected);
    if (connected != m_previousConnected) redraw = true;
    m_previousConnected = connected;

    const bool wanted = m_options.has(Option::ShowMemoryMap);
    if (m_memoryMapOpen) {
        if (!wanted) emit memoryMapCloseRequested();
    } else if (wanted && !m_memoryMapOpened) {
        emit memoryMapOpenRequested();
        // A window that could not open is asked for again on the next tick.
        m_memoryMapOpened = m_memoryMapOpen;
    }

    if (redraw) {
        emit sensorsChanged();
        viewport()->update();
    }
    return redraw;
}

QImage BlockPalette::render() const {
    // In the screen's device pixels, so the texts are sharp on a scaled screen.
    const qreal ratio = viewport()->devicePixelRatioF();
    QImage image((QSizeF(viewport()->size().expandedTo(QSize(1, 1))) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    const int s = scrollPosition();
    const uint32_t options = m_options.bits();
    QPainter p(&image);
    p.setRenderHint(QPainter::SmoothPixmapTransform, ratio != 1);
    p.fillRect(QRect(QPoint(0, 0), viewport()->size()), m_style.colors[ChartColor::PaletteBackground]);
    p.setFont(m_style.font);
    const QColor textColor = m_style.colors[ChartColor::Text];

    auto skin = [this](int number) -> const QImage* {
        if (number < 0 || number >= static_cast<int>(m_style.skins.size())) return nullptr;
        const QImage& img = m_style.skins[static_cast<size_t>(number)];
        return img.isNull() ? nullptr : &img;
    };
    const bool four = (options & Option::UseSensors34) != 0;
    if (const QImage* panel = skin(four ? SkinImage::FourSensorPanel : SkinImage::TwoSensorPanel))
        p.drawImage(kSensorPanel.x(), kSensorPanel.y() - s, *panel);

    const SensorSource source = m_sensors.source();
    const MemoryImage memory = m_sensors.memory();
    p.setPen(textColor);
    for (const SensorSlot& slot : kSensorSlots) {
        if (slot.fourSensorsOnly && !four) continue;
        const QString value = sensorText(source, memory[static_cast<size_t>(slot.address)]);
        const QRect box(slot.x, slot.top - s, 16 * static_cast<int>(value.size()), slot.bottom - slot.top);
        // Centred across, from the top: the values sit in the boxes of the panel picture.
        p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, value);
    }

    if (source != SensorSource::None) {
        const bool robot = source == SensorSource::Robot;
        const QString label = uiText(robot ? Str::SourceRobot : Str::SourceSimulator);
        const int x = robot ? 22 : 16;
        const int charWidth = robot ? 16 : 12;
        // The box is sized for the label in a narrow font; our chart font is wider, so give the
        // label the room it needs (inside the panel) rather than cutting "シミュレーター" short.
        const int needed = p.fontMetrics().horizontalAdvance(label);
        const int width = std::min(std::max(charWidth * static_cast<int>(label.size()), needed), 230 - x);
        const QRect box(x, 205 - s, width, 16);
        p.setPen(robot ? QColor(255, 0, 0) : textColor);
        p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(label, Qt::ElideRight, box.width()));
    }

    for (const PaletteButton& b : paletteButtons()) {
        if (!paletteButtonVisible(b, options)) continue;
        // The block pictures are taller than a button; only their top part is the button.
        if (const QImage* img = skin(paletteSkinImage(b.type)))
            p.drawImage(QPoint(b.x, b.y - s), *img, QRect(0, 0, kPaletteButtonWidth, kPaletteButtonHeight));
        if (static_cast<int>(b.type) == m_selection) {
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p.fillRect(QRect(b.x, b.y - s, kPaletteButtonWidth, kPaletteButtonHeight), Qt::white);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
    return image;
}

void BlockPalette::paintEvent(QPaintEvent*) {
    updateScrollRange();
    QPainter p(viewport());
    p.drawImage(0, 0, render());
    placePanel();
}

void BlockPalette::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint pos = event->position().toPoint();
    m_selection = paletteHitTest(pos.x(), pos.y(), scrollPosition(), m_options.bits());
    m_pressedType = m_selection;
    m_pressedAt = pos;
    m_dragging = false;
    viewport()->update();
    emit paletteSelectionChanged(m_selection);
}

void BlockPalette::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (pos != m_lastMouse) QToolTip::hideText();
    m_lastMouse = pos;
    // A picked button pulled further than a click's wobble is being dragged to the chart.
    if (!(event->buttons() & Qt::LeftButton) || m_pressedType == 0) return;
    if (!m_dragging && (pos - m_pressedAt).manhattanLength() < QApplication::startDragDistance()) return;
    if (!m_dragging) viewport()->setCursor(Qt::ClosedHandCursor);
    m_dragging = true;
    emit blockDragged(m_pressedType, event->globalPosition().toPoint());
}

void BlockPalette::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int type = m_pressedType;
    const bool dropped = m_dragging;
    m_pressedType = 0;
    m_dragging = false;
    viewport()->unsetCursor();
    // Released without a drag, the pick waits for a click in the chart.
    if (dropped) emit blockDropped(type, event->globalPosition().toPoint());
}

void BlockPalette::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
    placePanel();
}

void BlockPalette::scrollContentsBy(int, int) {
    placePanel();
    viewport()->update();
}

bool BlockPalette::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int type = paletteHitTest(help->pos().x(), help->pos().y(), scrollPosition(), m_options.bits());
        if (type != 0) {
            QToolTip::showText(help->globalPos(), uiText(blockTypeNameId(static_cast<BlockType>(type))), viewport());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void connectPaletteToArea(BlockPalette* palette, ProgramArea* area) {
    QObject::connect(palette, &BlockPalette::paletteSelectionChanged, area, &ProgramArea::setPaletteSelection);
    QObject::connect(area, &ProgramArea::paletteSelectionChanged, palette, &BlockPalette::setPaletteSelection);
    QObject::connect(area, &ProgramArea::propertyPanelRequested, palette, &BlockPalette::showPropertyPanel);
    QObject::connect(palette, &BlockPalette::blockDragged, area, &ProgramArea::dragFromPalette);
    QObject::connect(palette, &BlockPalette::blockDropped, area, &ProgramArea::dropFromPalette);
}

}  // namespace trovel
