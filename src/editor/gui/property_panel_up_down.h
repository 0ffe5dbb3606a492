#pragma once
// The small pair of arrow buttons beside a panel's number edit: holds a position within a range
// and reports each click that moved it.

#include <QWidget>

class QToolButton;

namespace trovel {

class PanelUpDown : public QWidget {
    Q_OBJECT
public:
    explicit PanelUpDown(QWidget* parent = nullptr);

    void setRange(int low, int high);
    // Sets the position (clamped to the range) without reporting it.
    void setValue(int value);
    int value() const { return m_value; }
    int minimum() const { return m_low; }
    int maximum() const { return m_high; }
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    // A click moved the position.
    void stepped(int value);

private:
    void step(int delta);

    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    int m_low = 0;
    int m_high = 100;
    int m_value = 0;
};

}  // namespace trovel
