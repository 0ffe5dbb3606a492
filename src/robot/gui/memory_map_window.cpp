#include "robot/gui/memory_map_window.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "base/gui/ui_text.h"
#include "base/string_ids.h"

namespace trovel {

MemoryMapWindow::MemoryMapWindow(const std::array<std::u16string, MemoryMap::Size>& names,
                                 std::function<MemoryImage()> source, MemoryMapPlacement& placement, QWidget* owner)
    : QWidget(owner, Qt::Tool), m_source(std::move(source)), m_placement(placement) {
    setObjectName(QStringLiteral("memoryMapWindow"));
    setWindowTitle(uiText(Str::MemoryMapTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_table = new QTableWidget(kLastMapRow - kFirstMapRow + 1, 2, this);
    m_table->setObjectName(QStringLiteral("list1165"));
    m_table->setHorizontalHeaderLabels({uiText(Str::MemoryMapName), uiText(Str::MemoryMapValue)});
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setShowGrid(true);
    m_table->setColumnWidth(0, 100);
    m_table->setColumnWidth(1, 40);
    if (m_source) m_shown = m_source();
    for (int address = kFirstMapRow; address <= kLastMapRow; ++address) {
        const int row = address - kFirstMapRow;
        m_table->setItem(row, 0, new QTableWidgetItem(toQString(names[address])));
        m_table->setItem(row, 1, new QTableWidgetItem(QString::number(m_shown[address])));
    }
    layout->addWidget(m_table);
    // Every row and the whole title in view at the first showing; the name column takes any extra width.
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    int rows = m_table->horizontalHeader()->sizeHint().height() + 2 * m_table->frameWidth();
    for (int row = 0; row < m_table->rowCount(); ++row) rows += m_table->rowHeight(row);
    const int columns = 100 + 40 + 2 * m_table->frameWidth();
    // Room for the caption beside the title bar's buttons.
    const int title = fontMetrics().horizontalAdvance(windowTitle()) + 90;
    resize(std::max(columns, title), rows);
    move(m_placement.position);

    m_timer = new QTimer(this);
    m_timer->setInterval(kMemoryMapRefreshMs);
    connect(m_timer, &QTimer::timeout, this, &MemoryMapWindow::refresh);
    m_timer->start();
}

void MemoryMapWindow::refresh() {
    if (!m_source) return;
    const MemoryImage now = m_source();
    for (int address = kFirstMapRow; address <= kLastMapRow; ++address)
        if (now[address] != m_shown[address])
            m_table->item(address - kFirstMapRow, 1)->setText(QString::number(now[address]));
    m_shown = now;
}

void MemoryMapWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_placement.sizeLimit.isValid()) m_placement.sizeLimit = size();
}

void MemoryMapWindow::closeEvent(QCloseEvent* event) {
    if (!isMinimized()) m_placement.position = pos();
    m_timer->stop();
    QWidget::closeEvent(event);
}

}  // namespace trovel
