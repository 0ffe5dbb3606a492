#include "app/gui/option_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/gui/ui_text.h"
#include "base/gui/window_frame.h"
#include "base/string_ids.h"
#include "editor/gui/chart_style.h"
#include "model/option_flags.h"

namespace trovel {

const std::array<OptionBox, 6>& optionBoxes() {
    static const std::array<OptionBox, 6> boxes{{
        {1130, Str::OptionCalcBlock, Option::UseCalcBlock, false},
        {1131, Str::OptionWheelControl, Option::UseWheelControl, false},
        {1132, Str::OptionMemoryMap, Option::ShowMemoryMap, false},
        {1159, Str::OptionCollision, Option::BlockCollision, false},
        {1166, Str::OptionRepeatCheck, Option::SkipRepeatCheck, true},
        {1167, Str::OptionSensors34, Option::UseSensors34, false},
    }};
    return boxes;
}

std::array<bool, 6> ticksFor(uint32_t bits) {
    std::array<bool, 6> ticked{};
    for (size_t i = 0; i < ticked.size(); ++i) {
        const OptionBox& b = optionBoxes()[i];
        ticked[i] = ((bits & b.bit) != 0) != b.inverted;
    }
    return ticked;
}

uint32_t bitsFromTicks(uint32_t bits, const std::array<bool, 6>& ticked) {
    for (size_t i = 0; i < ticked.size(); ++i) {
        const OptionBox& b = optionBoxes()[i];
        if (ticked[i] != b.inverted) bits |= b.bit;
        else bits &= ~b.bit;
    }
    return bits;
}

OptionDialog::OptionDialog(OptionFlags& flags, Asker asker, QWidget* parent)
    : QDialog(parent), m_flags(flags), m_asker(std::move(asker)) {
    setObjectName(QStringLiteral("optionDialog"));
    setWindowTitle(uiText(Str::OptionsTitle));
    setDialogFrame(this);
    setFont(chartFont(QStringLiteral("MS UI Gothic"), 12, 400));
    auto* layout = new QVBoxLayout(this);
    const std::array<bool, 6> ticked = ticksFor(m_flags.bits());
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        const OptionBox& b = optionBoxes()[i];
        m_boxes[i] = new QCheckBox(uiText(b.text), this);
        m_boxes[i]->setObjectName(QStringLiteral("check%1").arg(b.id));
        m_boxes[i]->setChecked(ticked[i]);
        layout->addWidget(m_boxes[i]);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(uiText(Str::ButtonOk), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(uiText(Str::ButtonCancel), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &OptionDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QCheckBox* OptionDialog::box(int id) const {
    for (size_t i = 0; i < m_boxes.size(); ++i)
        if (optionBoxes()[i].id == id) return m_boxes[i];
    return nullptr;
}

void OptionDialog::confirm() {
    const Question question{uiText(Str::ApplyOptions), QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel};
    const auto answer = m_asker ? m_asker(question)
                                : askInBox(this, uiText(Str::MessageCaption), question, QStringLiteral("applyOptions"));
    if (answer != QMessageBox::Ok) return;  // the dialog stays open as it was

    std::array<bool, 6> ticked{};
    for (size_t i = 0; i < ticked.size(); ++i) ticked[i] = m_boxes[i]->isChecked();
    const uint32_t before = m_flags.bits();
    const uint32_t changed = bitsFromTicks(before, ticked) ^ before;
    // Only the boxes' bits are touched: the link thread may change its own bits meanwhile.
    for (const OptionBox& b : optionBoxes())
        if (changed & b.bit) m_flags.assign(b.bit, (before & b.bit) == 0);
    if ((changed & Option::ShowMemoryMap) && m_flags.has(Option::ShowMemoryMap)) emit memoryMapAllowed();
    emit settingsChanged();
    emit optionsApplied();
    accept();
}

}  // namespace trovel
