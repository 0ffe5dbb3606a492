#pragma once
// "メモリマップ": a small tool window listing memory bytes 5..23 with their values, refreshed
// every 500 ms from the memory copy (the robot's, or the simulator's while it runs alone).

#include <QPoint>
#include <QSize>
#include <QWidget>

#include <array>
#include <functional>
#include <string>

#include "robot/link_state.h"

class QTableWidget;
class QTimer;

namespace trovel {

constexpr int kFirstMapRow = 5;  // memory addresses shown
constexpr int kLastMapRow = 23;
constexpr int kMemoryMapRefreshMs = 500;

// Where the window was last, kept while the application runs.
struct MemoryMapPlacement {
    QPoint position{830, 50};
    QSize sizeLimit;  // the size at the first showing (the user may enlarge it); empty until then
};

class MemoryMapWindow : public QWidget {
    Q_OBJECT
public:
    // names: the display name of each memory address (memname.ini); source: the memory to show.
    MemoryMapWindow(const std::array<std::u16string, MemoryMap::Size>& names, std::function<MemoryImage()> source,
                    MemoryMapPlacement& placement, QWidget* owner = nullptr);

    // One refresh: rewrites the value cells whose byte changed since the last one.
    void refresh();
    QTableWidget* table() const { return m_table; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<MemoryImage()> m_source;
    MemoryMapPlacement& m_placement;
    MemoryImage m_shown{};
    QTableWidget* m_table = nullptr;
    QTimer* m_timer = nullptr;
};

}  // namespace trovel
