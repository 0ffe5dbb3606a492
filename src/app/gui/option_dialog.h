#pragma once
// "上級者向け機能の使用設定": six optional features, bits of OptionFlags saved at once.

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>

#include "base/gui/user_question.h"

class QCheckBox;

namespace trovel {

class OptionFlags;

struct OptionBox {
    int id;         // control id, also the check box's object name "check<id>"
    int text;       // string number of its text
    uint32_t bit;
    bool inverted;  // the bit is set when the box is NOT ticked
};

const std::array<OptionBox, 6>& optionBoxes();
// Which boxes are ticked for a flag word, in the order of optionBoxes().
std::array<bool, 6> ticksFor(uint32_t bits);
// The flag word with each box's bit set or cleared from its tick; other bits kept.
uint32_t bitsFromTicks(uint32_t bits, const std::array<bool, 6>& ticked);

struct OptionDialogHooks {
    std::function<bool()> saveSettings;        // writes qx_def.ini now
    std::function<void()> reopenMemoryMap;     // ShowMemoryMap was switched on
    std::function<void()> refresh;             // menu states and the palette
    Asker asker;                               // the confirmation; empty: a message box over the dialog
};

class OptionDialog : public QDialog {
    Q_OBJECT
public:
    OptionDialog(OptionFlags& flags, OptionDialogHooks hooks, QWidget* parent = nullptr);

    QCheckBox* box(int id) const;

private:
    void confirm();

    OptionFlags& m_flags;
    OptionDialogHooks m_hooks;
    std::array<QCheckBox*, 6> m_boxes{};
};

}  // namespace trovel
