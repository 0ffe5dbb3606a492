#include "editor/gui/property_panel_up_down.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace trovel {

PanelUpDown::PanelUpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto make = [this, layout](Qt::ArrowType arrow, const char* name, int delta) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFixedSize(16, 11);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, delta] { step(delta); });
        layout->addWidget(button);
        return button;
    };
    m_up = make(Qt::UpArrow, "up", +1);
    m_down = make(Qt::DownArrow, "down", -1);
    setFixedSize(16, 22);
}

void PanelUpDown::setRange(int low, int high) {
    m_low = std::min(low, high);
    m_high = std::max(low, high);
    m_value = std::clamp(m_value, m_low, m_high);
}

void PanelUpDown::setValue(int value) { m_value = std::clamp(value, m_low, m_high); }

void PanelUpDown::step(int delta) {
    const int moved = std::clamp(m_value + delta, m_low, m_high);
    if (moved == m_value) return;
    m_value = moved;
    emit stepped(m_value);
}

}  // namespace trovel
