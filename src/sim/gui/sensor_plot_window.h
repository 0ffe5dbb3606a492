#pragma once
// The simulator's live sensor plot: floor sensors, wheel speeds and variables over the last 30 s
// of simulated time, with a mark where each block started. It can be frozen to read the values
// under the pointer, and saved as CSV or as a picture.

#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

#include "base/gui/user_question.h"
#include "model/program.h"
#include "sim/sensor_trace.h"

class QAction;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QScatterSeries;
class QToolBar;
class QValueAxis;

namespace trovel {

struct Simulator;

// Series of the plot, in legend order.
enum PlotSeries {
    PlotLeftSensor,
    PlotRightSensor,
    PlotSensor3,
    PlotSensor4,
    PlotLeftWheel,
    PlotRightWheel,
    PlotFirstVariable,
    kPlotLineCount = PlotFirstVariable + kTraceVariableCount
};

class SensorPlotWindow : public QWidget {
    Q_OBJECT
public:
    // Asks for a file to save to: title, file-type filter, suggested name; empty = cancelled.
    using FileChooser = std::function<QString(const QString& title, const QString& filter, const QString& name)>;

    // Shows what `trace` holds, which the simulator records into from each 再生 whether the plot is
    // open or not; the trace must outlive the window.
    SensorPlotWindow(const SensorTrace& trace, const BlockProgram& program, QWidget* parent = nullptr);
    ~SensorPlotWindow() override;

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Tells the user of a failed export through `asker` (tests answer in the user's place).
    void setAsker(Asker asker) { m_asker = std::move(asker); }
    // Brings what the trace holds now into the chart; the window's timer calls it about seven times
    // a second while it is shown and not frozen.
    void refresh();
    void setFrozen(bool frozen);
    bool frozen() const;
    // The values at a point of the chart view (view pixels) in the readout line; false off the data.
    bool showValuesAt(QPoint viewPoint);

    // Writes what the plot shows; false (and a message) when the file cannot be written.
    bool saveCsv(const QString& path);
    bool savePng(const QString& path);

    const SensorTrace& trace() const { return m_trace; }
    const std::vector<TraceSample>& shownSamples() const { return m_shown; }
    QLineSeries* line(int series) const { return m_lines[size_t(series)]; }
    QScatterSeries* marks() const { return m_marks; }
    QChartView* chartView() const { return m_view; }
    QString readout() const;
    QAction* freezeAction() const { return m_freeze; }
    QAction* csvAction() const { return m_csv; }
    QAction* pngAction() const { return m_png; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildChart();
    void pull();
    void drawShown();
    uint32_t columnMs() const;
    void updateVisibility();
    void exportTo(bool picture);
    bool writeFile(const QString& path, const std::string& bytes);
    QString blockName(const TraceSample& sample) const;

    const SensorTrace& m_trace;
    const BlockProgram& m_program;
    std::vector<TraceSample> m_shown;  // what the chart holds now, oldest first
    uint64_t m_shownVersion = ~uint64_t(0);
    uint32_t m_drawnColumn = 0;                              // column width the lines were thinned for, ms
    std::array<bool, kPlotLineCount> m_hidden{};             // switched off in the legend
    std::array<bool, kTraceVariableCount> m_variableUsed{};  // a variable shows once it is not 0
    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QValueAxis* m_timeAxis = nullptr;
    QValueAxis* m_valueAxis = nullptr;
    std::array<QLineSeries*, kPlotLineCount> m_lines{};
    QScatterSeries* m_marks = nullptr;
    QLabel* m_readout = nullptr;
    QToolBar* m_tools = nullptr;
    QAction* m_freeze = nullptr;
    QAction* m_csv = nullptr;
    QAction* m_png = nullptr;
    QTimer m_timer{this};
    FileChooser m_chooseFile;
    Asker m_asker;
    QString m_lastFolder;
};

}  // namespace trovel
