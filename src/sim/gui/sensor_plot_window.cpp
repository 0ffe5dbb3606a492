#include "sim/gui/sensor_plot_window.h"

#include <QAction>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScatterSeries>
#include <QScreen>
#include <QStandardPaths>
#include <QToolBar>
#include <QToolTip>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "base/gui/ui_text.h"
#include "base/gui/user_folders.h"
#include "base/gui/window_frame.h"
#include "base/string_ids.h"
#include "model/atomic_file.h"
#include "sim/gui/sim_text.h"
#include "sim/simulator.h"

namespace trovel {

namespace {

// Under seven refreshes a second: smooth enough to watch, and the plot stays below 3 % of a core.
constexpr int kRefreshMs = 150;
constexpr double kWindowSeconds = kTraceWindowMs / 1000.0;
constexpr double kMarkRow = -10;  // block marks run in a row below the values
constexpr double kValueBottom = -20;
constexpr double kValueTop = 260;

double seconds(uint32_t ms) { return ms / 1000.0; }

double valueOf(const TraceSample& s, int series) {
    switch (series) {
    case PlotLeftWheel: return s.leftSpeed;
    case PlotRightWheel: return s.rightSpeed;
    default: break;
    }
    if (series < PlotLeftWheel) return s.sensors[size_t(series)];
    return s.variables[size_t(series - PlotFirstVariable)];
}

QString seriesName(int series) {
    static constexpr std::array<int, PlotFirstVariable> ids{Str::PlotLeftSensor, Str::PlotRightSensor,
                                                            Str::PlotSensor3,    Str::PlotSensor4,
                                                            Str::PlotLeftWheel,  Str::PlotRightWheel};
    if (series < PlotFirstVariable) return uiText(ids[size_t(series)]);
    return uiFormat(Str::PlotVariable, {series - PlotFirstVariable + 1});
}

// Sensors in warm colours, wheels in blue and green, variables in greys and purples.
QColor seriesColour(int series) {
    static constexpr std::array<QRgb, kPlotLineCount> colours{0xD62728, 0xFF7F0E, 0xBCBD22, 0x8C564B, 0x1F77B4,
                                                              0x2CA02C, 0x9467BD, 0x7F7F7F, 0xE377C2, 0x17BECF,
                                                              0x393B79, 0x637939, 0x843C39, 0x7B4173};
    return QColor(colours[size_t(series)]);
}

// The polyline of one series as the screen can show it: per column of `columnMs` (anchored at 0,
// so the columns do not shimmer while the plot scrolls) its lowest and highest sample in time
// order, and the inner points of every flat stretch left out. A variable that never changes costs
// two points instead of 1876, and a wheel that switches every tick no more than the plot's width.
QList<QPointF> linePoints(const std::vector<TraceSample>& samples, int series, uint32_t columnMs) {
    QList<QPointF> column;
    column.reserve(qsizetype(2 * samples.size() / std::max<size_t>(1, columnMs / kTraceTickMs) + 4));
    for (size_t i = 0; i < samples.size();) {
        const uint32_t bucket = samples[i].timeMs / columnMs;
        size_t low = i, high = i;
        size_t j = i;
        for (; j < samples.size() && samples[j].timeMs / columnMs == bucket; ++j) {
            if (valueOf(samples[j], series) < valueOf(samples[low], series)) low = j;
            if (valueOf(samples[j], series) > valueOf(samples[high], series)) high = j;
        }
        const size_t first = std::min(low, high), second = std::max(low, high);
        column.append(QPointF(seconds(samples[first].timeMs), valueOf(samples[first], series)));
        if (second != first) column.append(QPointF(seconds(samples[second].timeMs), valueOf(samples[second], series)));
        i = j;
    }
    QList<QPointF> points;
    points.reserve(column.size());
    for (qsizetype i = 0; i < column.size(); ++i) {
        const double v = column[i].y();
        const bool flatInside = i > 0 && i + 1 < column.size() && column[i - 1].y() == v && column[i + 1].y() == v;
        if (!flatInside) points.append(column[i]);
    }
    return points;
}

}  // namespace

SensorPlotWindow::SensorPlotWindow(const SensorTrace& trace, const BlockProgram& program, QWidget* parent)
    : QWidget(parent, Qt::Window), m_trace(trace), m_program(program) {
    setObjectName(QStringLiteral("sensorPlot"));
    setWindowTitle(uiText(Str::SensorPlot));
    setWindowIcon(applicationIcon());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(2);
    m_tools = new QToolBar(this);
    m_tools->setObjectName(QStringLiteral("sensorPlotTools"));
    m_tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_freeze = m_tools->addAction(uiText(Str::PlotFreeze));
    m_freeze->setObjectName(QStringLiteral("plotFreeze"));
    m_freeze->setCheckable(true);
    m_freeze->setShortcut(QKeySequence(Qt::Key_Space));
    connect(m_freeze, &QAction::toggled, this, [this](bool on) { setFrozen(on); });
    m_tools->addSeparator();
    m_csv = m_tools->addAction(uiText(Str::PlotSaveCsv), this, [this] { exportTo(false); });
    m_csv->setObjectName(QStringLiteral("plotSaveCsv"));
    m_png = m_tools->addAction(uiText(Str::PlotSavePng), this, [this] { exportTo(true); });
    m_png->setObjectName(QStringLiteral("plotSavePng"));
    layout->addWidget(m_tools);

    buildChart();
    layout->addWidget(m_view, 1);
    m_readout = new QLabel(uiText(Str::PlotHint), this);
    m_readout->setObjectName(QStringLiteral("plotReadout"));
    m_readout->setContentsMargins(6, 0, 6, 0);
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_readout->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // a long readout never widens the window
    layout->addWidget(m_readout);
    resize(720, 440);
    // Beside the simulator when the screen has room, else as far right as it fits.
    if (parent) {
        QPoint at = parent->frameGeometry().topRight() + QPoint(8, 0);
        if (const QScreen* screen = parent->screen()) {
            const QRect room = screen->availableGeometry();
            at.setX(std::max(room.left(), std::min(at.x(), room.right() - frameGeometry().width())));
            at.setY(std::max(room.top(), std::min(at.y(), room.bottom() - frameGeometry().height())));
        }
        move(at);
    }

    m_timer.setInterval(kRefreshMs);
    connect(&m_timer, &QTimer::timeout, this, &SensorPlotWindow::refresh);
}

SensorPlotWindow::~SensorPlotWindow() {
    delete m_view;  // with the chart, before the samples its signals read go
}

void SensorPlotWindow::buildChart() {
    m_chart = new QChart();
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_timeAxis = new QValueAxis(m_chart);
    m_timeAxis->setTitleText(uiText(Str::PlotTimeAxis));
    m_timeAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_timeAxis->setTickType(QValueAxis::TicksDynamic);
    m_timeAxis->setTickAnchor(0);
    m_timeAxis->setTickInterval(5);
    m_timeAxis->setRange(-1, kWindowSeconds);
    m_valueAxis = new QValueAxis(m_chart);
    m_valueAxis->setLabelFormat(QStringLiteral("%.0f"));
    m_valueAxis->setTickType(QValueAxis::TicksDynamic);
    m_valueAxis->setTickAnchor(0);
    m_valueAxis->setTickInterval(50);
    m_valueAxis->setRange(kValueBottom, kValueTop);
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);

    for (int i = 0; i < kPlotLineCount; ++i) {
        auto* series = new QLineSeries(m_chart);
        series->setName(seriesName(i));
        // One-pixel solid lines: wider or dashed ones cost the painter many times more per point.
        // The wheels, which jump between stop and full speed, a little lighter than the sensors.
        QColor colour = seriesColour(i);
        if (i == PlotLeftWheel || i == PlotRightWheel) colour.setAlpha(150);
        QPen pen(colour, 1);
        pen.setCosmetic(true);
        series->setPen(pen);
        m_chart->addSeries(series);
        series->attachAxis(m_timeAxis);
        series->attachAxis(m_valueAxis);
        m_lines[size_t(i)] = series;
    }
    m_marks = new QScatterSeries(m_chart);
    m_marks->setName(uiText(Str::PlotBlockStarts));
    m_marks->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    m_marks->setMarkerSize(6);
    m_marks->setColor(QColor(0x303030));
    m_marks->setBorderColor(Qt::transparent);
    m_chart->addSeries(m_marks);
    m_marks->attachAxis(m_timeAxis);
    m_marks->attachAxis(m_valueAxis);
    // The block's name while the pointer is on its mark.
    connect(m_marks, &QScatterSeries::hovered, this, [this](const QPointF& point, bool on) {
        if (!on) return QToolTip::hideText();
        const TraceSample* s = nearestSample(m_shown, point.x() * 1000);
        if (s && s->block >= 0)
            QToolTip::showText(QCursor::pos(), uiFormat(Str::PlotBlockTip, {toU16(blockName(*s)), seconds(s->timeMs)}),
                               m_view);
    });

    // A click on a legend entry hides or shows its line.
    const QList<QLegendMarker*> markers = m_chart->legend()->markers();
    for (QLegendMarker* marker : markers) {
        const auto it = std::find(m_lines.begin(), m_lines.end(), marker->series());
        if (it == m_lines.end()) continue;
        const size_t index = size_t(it - m_lines.begin());
        connect(marker, &QLegendMarker::clicked, this, [this, index] {
            m_hidden[index] = !m_hidden[index];
            updateVisibility();
        });
    }

    // A wider or narrower plot shows the same samples in other columns, frozen or not.
    connect(m_chart, &QChart::plotAreaChanged, this, [this] {
        if (columnMs() != m_drawnColumn) drawShown();
    });
    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("sensorPlotView"));
    m_view->setMinimumSize(360, 220);
    m_view->viewport()->setMouseTracking(true);
    m_view->viewport()->installEventFilter(this);
    updateVisibility();
}

void SensorPlotWindow::updateVisibility() {
    for (int i = 0; i < kPlotLineCount; ++i) {
        const bool inUse = i < PlotFirstVariable || m_variableUsed[size_t(i - PlotFirstVariable)];
        QLineSeries* series = m_lines[size_t(i)];
        const bool show = inUse && !m_hidden[size_t(i)];
        if (show && !series->isVisible()) series->replace(linePoints(m_shown, i, columnMs()));
        series->setVisible(show);
        // A line switched off keeps its legend entry, greyed, so it can be switched on again.
        const QList<QLegendMarker*> markers = m_chart->legend()->markers(series);
        for (QLegendMarker* marker : markers) {
            marker->setVisible(inUse);
            QColor label = m_chart->legend()->labelColor();
            label.setAlphaF(m_hidden[size_t(i)] ? 0.4 : 1.0);
            marker->setLabelBrush(label);
        }
    }
}

void SensorPlotWindow::refresh() {
    if (!frozen()) pull();
}

void SensorPlotWindow::pull() {
    if (m_trace.appended == m_shownVersion) return;
    m_shownVersion = m_trace.appended;
    m_shown = traceWindow(m_trace);
    bool newVariable = false;
    for (const TraceSample& s : m_shown)
        for (int v = 0; v < kTraceVariableCount; ++v)
            if (s.variables[size_t(v)] != 0 && !m_variableUsed[size_t(v)])
                newVariable = m_variableUsed[size_t(v)] = true;
    drawShown();
    if (newVariable) updateVisibility();
}

void SensorPlotWindow::drawShown() {
    const uint32_t column = columnMs();
    m_drawnColumn = column;
    // A line switched off keeps its old points until it is switched on again.
    for (int i = 0; i < kPlotLineCount; ++i)
        if (m_lines[size_t(i)]->isVisible()) m_lines[size_t(i)]->replace(linePoints(m_shown, i, column));
    // One mark per column, the first block that started in it.
    QList<QPointF> marks;
    uint32_t markedColumn = UINT32_MAX;
    for (const TraceSample& s : m_shown) {
        if (s.block < 0 || s.timeMs / column == markedColumn) continue;
        markedColumn = s.timeMs / column;
        marks.append(QPointF(seconds(s.timeMs), kMarkRow));
    }
    m_marks->replace(marks);
    // The axis moves on in whole seconds, a second of room ahead: its labels and grid are laid
    // out again once a second instead of on every refresh, the dearest part of a refresh.
    const double newest = m_shown.empty() ? 0 : seconds(m_shown.back().timeMs);
    const double to = std::max(kWindowSeconds, std::floor(newest) + 1);
    if (m_timeAxis->max() != to) m_timeAxis->setRange(to - kWindowSeconds - 1, to);
}

uint32_t SensorPlotWindow::columnMs() const {
    // Three pixels wide, never less than a tick.
    const double width = std::max(1.0, m_chart->plotArea().width());
    return std::max(kTraceTickMs, uint32_t(3 * kTraceWindowMs / width));
}

bool SensorPlotWindow::frozen() const { return m_freeze->isChecked(); }

void SensorPlotWindow::setFrozen(bool on) {
    if (m_freeze->isChecked() != on) return m_freeze->setChecked(on);  // comes back through toggled
    pull();                                                            // frozen at the newest tick, or thawed to it
}

QString SensorPlotWindow::blockName(const TraceSample& sample) const {
    // The block's own label while the program still has it where it was; else its kind.
    const ActionBlock* block = blockAt(m_program, sample.block);
    if (block && block->type == sample.blockType && !block->name.empty()) return toQString(block->name);
    return uiText(Str::FirstBlockCaption + int(sample.blockType) - 1);
}

bool SensorPlotWindow::showValuesAt(QPoint viewPoint) {
    const QPointF scene = m_view->mapToScene(viewPoint);
    const QPointF value = m_chart->mapToValue(m_chart->mapFromScene(scene), m_lines[0]);
    const TraceSample* s = m_shown.empty() || !m_chart->plotArea().contains(m_chart->mapFromScene(scene))
                               ? nullptr
                               : nearestSample(m_shown, value.x() * 1000);
    if (!s) return false;
    QStringList parts{uiFormat(Str::PlotReadoutTime, {seconds(s->timeMs)})};
    for (int i = 0; i < kPlotLineCount; ++i)
        if (m_lines[size_t(i)]->isVisible())
            parts << seriesName(i) + QLatin1Char(' ') + QString::number(valueOf(*s, i));
    if (s->block >= 0) parts << uiText(Str::PlotBlockStarts) + QStringLiteral(": ") + blockName(*s);
    m_readout->setText(parts.join(QStringLiteral("   ")));
    return true;
}

QString SensorPlotWindow::readout() const { return m_readout->text(); }

bool SensorPlotWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view->viewport() && event->type() == QEvent::MouseMove)
        showValuesAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    return QWidget::eventFilter(watched, event);
}

void SensorPlotWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
    m_timer.start();
}

void SensorPlotWindow::hideEvent(QHideEvent* event) {
    m_timer.stop();
    QWidget::hideEvent(event);
}

bool SensorPlotWindow::writeFile(const QString& path, const std::string& bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (writeFileAtomically(std::filesystem::path(path.toStdU16String()), {data, bytes.size()})) return true;
    const Question failed{uiFormat(Str::PlotSaveFailed, {toU16(path)}), QMessageBox::Critical, QMessageBox::Ok};
    if (m_asker) m_asker(failed);
    else askInBox(this, simMessageCaption(), failed);
    return false;
}

bool SensorPlotWindow::saveCsv(const QString& path) {
    refresh();
    return writeFile(path, traceCsv(m_shown));
}

bool SensorPlotWindow::savePng(const QString& path) {
    refresh();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    m_view->grab().save(&buffer, "PNG");
    return writeFile(path, bytes.toStdString());
}

void SensorPlotWindow::exportTo(bool picture) {
    const QString title = uiText(picture ? Str::PlotSavePng : Str::PlotSaveCsv).remove(QStringLiteral("..."));
    const QString filter = picture ? QStringLiteral("PNG (*.png)") : QStringLiteral("CSV (*.csv)");
    const QString name = picture ? QStringLiteral("sensors.png") : QStringLiteral("sensors.csv");
    QString path;
    if (m_chooseFile) {
        path = m_chooseFile(title, filter, name);
    } else {
        QFileDialog dialog(this, title, (m_lastFolder.isEmpty() ? documentsFolder() : m_lastFolder) + '/' + name,
                           filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(picture ? QStringLiteral("png") : QStringLiteral("csv"));
        dialog.setWindowModality(Qt::WindowModal);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().first();
    }
    if (path.isEmpty()) return;
    m_lastFolder = QFileInfo(path).absolutePath();
    if (picture) savePng(path);
    else saveCsv(path);
}

}  // namespace trovel
