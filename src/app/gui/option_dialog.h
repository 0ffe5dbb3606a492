#pragma once
// "上級者向け機能の使用設定": six optional features, bits of OptionFlags saved at once.

#include <QDialog>

#include <array>
#include <cstdint>

#include "base/gui/user_question.h"

class QCheckBox;

namespace trovel {

class OptionFlags;

struct OptionBox {
    int id;    // control id, also the check box's object name "check<id>"
    int text;  // string number of its text
    uint32_t bit;
    bool inverted;  // the bit is set when the box is NOT ticked
};

const std::array<OptionBox, 6>& optionBoxes();
// Which boxes are ticked for a flag word, in the order of optionBoxes().
std::array<bool, 6> ticksFor(uint32_t bits);
// The flag word with each box's bit set or cleared from its tick; other bits kept.
uint32_t bitsFromTicks(uint32_t bits, const std::array<bool, 6>& ticked);

class OptionDialog : public QDialog {
    Q_OBJECT
public:
    // `asker` takes the confirmation; empty: a message box over the dialog.
    OptionDialog(OptionFlags& flags, Asker asker = {}, QWidget* parent = nullptr);

    QCheckBox* box(int id) const;

signals:
    // After OK, in this order, once the bits are set: ShowMemoryMap was switched on (the memory
    // map may open again) ...
    void memoryMapAllowed();
    // ... the options are to be saved to qx_def.ini now ...
    void settingsChanged();
    // ... and the menu states and the palette follow them.
    void optionsApplied();

private:
    void confirm();

    OptionFlags& m_flags;
    Asker m_asker;
    std::array<QCheckBox*, 6> m_boxes{};
};

}  // namespace trovel
