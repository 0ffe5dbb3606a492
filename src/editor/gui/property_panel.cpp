#include "editor/gui/property_panel.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>

#include "base/block_names.h"
#include "base/gui/ui_text.h"
#include "base/memory_names.h"
#include "base/string_ids.h"
#include "editor/gui/chart_style.h"
#include "editor/gui/property_panel_up_down.h"
#include "model/option_flags.h"

namespace trovel {

namespace {

constexpr int kPanelWidth = 228;
constexpr int kRowHeight = 24;
constexpr int kTitleHeight = 22;

// Branch 122 offers the six sensors only, a calculation's target the first eleven calc operands.
constexpr int kSensorOperands = 6;
constexpr int kCalcTargets = 11;

// The verb of the timed radio ("??秒間%s").
QString motionVerb(BlockType type) {
    switch (type) {
    case BlockType::Stop: return uiText(blockTypeNameId(BlockType::Stop));
    case BlockType::TurnLeft:
    case BlockType::TurnRight: return uiText(Str::PanelTurn);
    default: return uiText(Str::Go);
    }
}

}  // namespace

PanelKind panelKindFor(const ActionBlock* block, bool advanced) {
    if (!block) return PanelKind::Empty;
    switch (block->type) {
    case BlockType::LeftForward:
    case BlockType::RightForward: return PanelKind::Curve;
    case BlockType::Forward:
    case BlockType::TurnLeft:
    case BlockType::Stop:
    case BlockType::TurnRight: return PanelKind::Motion;
    case BlockType::WheelControl: return PanelKind::Wheel;
    case BlockType::Branch: return advanced ? PanelKind::BranchAny : PanelKind::BranchSensor;
    case BlockType::Wait: return PanelKind::Wait;
    case BlockType::LeftLed:
    case BlockType::RightLed: return PanelKind::Led;
    case BlockType::Calc: return PanelKind::Calc;
    case BlockType::RepeatStart:
    case BlockType::RepeatEnd: return PanelKind::Repeat;
    default: return PanelKind::Empty;
    }
}

PropertyPanel::PropertyPanel(const PanelHost& host, QWidget* parent) : QWidget(parent), m_host(host) {
    setObjectName(QStringLiteral("propertyPanel"));
    setFont(chartFont(QStringLiteral("MS UI Gothic"), 12, 400));
    setAutoFillBackground(true);
    m_block = m_host.program ? m_host.program->currentBlock : nullptr;
    const bool advanced = m_host.options && m_host.options->has(Option::UseCalcBlock);
    m_kind = panelKindFor(m_block, advanced);

    const std::array<uint8_t, 10> opened = m_block ? m_block->param : std::array<uint8_t, 10>{};
    if (m_kind != PanelKind::Empty) {
        // A RepeatEnd has no caption of its own; its panel is the loop's.
        const BlockType titleType = m_block->type == BlockType::RepeatEnd ? BlockType::RepeatStart : m_block->type;
        QLabel* title = addLabel(uiText(blockTypeNameId(titleType)), 4, 2, kPanelWidth - 8, "title");
        QFont bold = font();
        bold.setBold(true);
        title->setFont(bold);
    }
    switch (m_kind) {
    case PanelKind::Motion:
    case PanelKind::Curve:
    case PanelKind::Wheel: buildMotion(m_block->type); break;
    case PanelKind::BranchSensor: buildBranch(false); break;
    case PanelKind::BranchAny: buildBranch(true); break;
    case PanelKind::Wait: buildWait(); break;
    case PanelKind::Led: buildLed(); break;
    case PanelKind::Calc: buildCalc(); break;
    case PanelKind::Repeat: buildRepeat(); break;
    case PanelKind::Empty: buildEmpty(); break;
    }
    loadFromBlock();
    // The opening corrections change what the chart shows, though they are not an edit of their own.
    if (m_block && m_block->param != opened) {
        m_block->flags |= FlagChanged;
        m_corrected = true;
    }

    fitTexts();
    int bottom = 0, right = kPanelWidth - 8;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        bottom = std::max(bottom, child->geometry().bottom());
        right = std::max(right, child->geometry().right());
    }
    setFixedSize(right + 8, bottom + 8);
}

void PropertyPanel::fitTexts() {
    // The places come from the Japanese panels; words of another language (or another font) may
    // need more room. A label or radio button too narrow for its text grows, and what stands to
    // its right on the same line moves along. Texts that start one above the other grow alike,
    // and controls that stood one above the other move alike, so the columns stay columns.
    const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    std::vector<QWidget*> texts;
    std::vector<QRect> placed;
    for (QWidget* child : children) {
        placed.push_back(child->geometry());
        const auto* label = qobject_cast<QLabel*>(child);
        const auto* radio = qobject_cast<QRadioButton*>(child);
        if ((label && !label->text().isEmpty()) || (radio && !radio->text().isEmpty())) texts.push_back(child);
    }
    const auto sameColumn = [](const QRect& a, const QRect& b) { return a.x() == b.x() && a.width() == b.width(); };
    std::vector<std::pair<QWidget*, int>> growth;
    for (QWidget* text : texts) {
        int needed = 0;
        for (QWidget* other : texts)
            if (sameColumn(other->geometry(), text->geometry())) needed = std::max(needed, other->sizeHint().width());
        if (needed > text->width()) growth.push_back({text, needed - text->width()});
    }
    for (const auto& [text, extra] : growth) {
        const QRect g = text->geometry();
        for (QWidget* other : children) {
            const QRect o = other->geometry();
            const bool sameLine = o.top() <= g.bottom() && g.top() <= o.bottom();
            if (other != text && sameLine && o.left() >= g.right()) other->move(o.x() + extra, o.y());
        }
        text->resize(g.width() + extra, g.height());
    }
    for (qsizetype i = 0; i < children.size(); ++i) {
        int shift = 0;
        for (qsizetype j = 0; j < children.size(); ++j)
            if (sameColumn(placed[size_t(j)], placed[size_t(i)]))
                shift = std::max(shift, children[j]->x() - placed[size_t(j)].x());
        children[i]->move(placed[size_t(i)].x() + shift, children[i]->y());
    }
}

// ---- building ---------------------------------------------------------------------------------

QLabel* PropertyPanel::addLabel(const QString& s, int x, int y, int w, const char* name) {
    auto* label = new QLabel(s, this);
    if (name) label->setObjectName(QLatin1String(name));
    label->setGeometry(x, y, w, kRowHeight - 4);
    return label;
}

QLineEdit* PropertyPanel::addEdit(int id, int x, int y, int w) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("edit%1").arg(id));
    edit->setGeometry(x, y, w, kRowHeight - 2);
    edit->setMaxLength(static_cast<int>(kMaxEntryChars));
    return edit;
}

PanelUpDown* PropertyPanel::addUpDown(int id, int x, int y, int low, int high) {
    auto* upDown = new PanelUpDown(this);
    upDown->setObjectName(QStringLiteral("updown%1").arg(id));
    upDown->move(x, y);
    upDown->setRange(low, high);
    return upDown;
}

QRadioButton* PropertyPanel::addRadio(int id, const QString& s, int x, int y, int w) {
    auto* radio = new QRadioButton(s, this);
    radio->setObjectName(QStringLiteral("radio%1").arg(id));
    radio->setGeometry(x, y, w, kRowHeight - 2);
    return radio;
}

QComboBox* PropertyPanel::addList(int id, int x, int y, int w) {
    auto* list = new QComboBox(this);
    list->setObjectName(QStringLiteral("list%1").arg(id));
    list->setGeometry(x, y, w, kRowHeight - 2);
    return list;
}

void PropertyPanel::addNumber(QLineEdit* edit, PanelUpDown* upDown, EntryKind kind, int param) {
    const size_t index = m_numbers.size();
    m_numbers.push_back({edit, upDown, kind, param});
    // textEdited covers typing and pasting but not the panel's own writes.
    connect(edit, &QLineEdit::textEdited, this, [this, index] { numberEdited(m_numbers[index]); });
    if (upDown) connect(upDown, &PanelUpDown::stepped, this, [this] { upDownStepped(); });
}

void PropertyPanel::addRadioGroup(RadioGroup group) {
    const size_t index = m_radios.size();
    for (size_t c = 0; c < group.choices.size(); ++c) {
        connect(group.choices[c].button, &QRadioButton::clicked, this,
                [this, index, c] { radioClicked(m_radios[index], c); });
    }
    m_radios.push_back(std::move(group));
}

void PropertyPanel::addListField(QComboBox* list, int param) {
    m_lists.push_back({list, param});
    // activated: the user's choice only, never the panel's own setCurrentIndex.
    connect(list, &QComboBox::activated, this, [this] { listChosen(); });
}

void PropertyPanel::fillOperands(QComboBox* list, const uint8_t* table, int count) {
    for (int i = 0; i < count; ++i) {
        const int address = table[i];
        QString name;
        if (m_host.names) name = toQString(m_host.names->displayName[static_cast<size_t>(address)]);
        if (name.isEmpty() && address >= MemoryMap::LeftSensor && address <= MemoryMap::Sensor6)
            name = uiText(Str::FirstSensorCaption + address - MemoryMap::LeftSensor);
        if (name.isEmpty()) name = QString::number(address);
        list->addItem(name);
    }
}

void PropertyPanel::buildMotion(BlockType type) {
    std::array<uint8_t, 10>& p = m_block->param;
    // Opening correction: a percentage above 100 (from a file or the robot) is cut to 100.
    if (m_kind != PanelKind::Motion && p[3] > 100) setParam(3, 100);
    // The continue radio shows the block's own name; a wheel-control block just goes.
    const QString own = m_kind == PanelKind::Wheel ? uiText(Str::Go) : uiText(blockTypeNameId(type));
    const QString verb = m_kind == PanelKind::Motion ? motionVerb(type) : uiText(Str::Go);
    QRadioButton* keepGoing = addRadio(1134, own, 8, 26, 210);
    QRadioButton* timed = addRadio(1135, uiFormat(Str::PanelSecondsFor, {toU16(verb)}), 8, 50, 210);
    QLineEdit* time = addEdit(1139, 30, 76, 60);
    PanelUpDown* timeArrows = addUpDown(1126, 92, 76, 1, 255);
    QLabel* seconds = addLabel(uiText(Str::PanelSeconds), 112, 77, 30, "label1147");
    addNumber(time, timeArrows, EntryKind::Time, 0);
    RadioGroup group;
    group.param = 1;
    group.choices = {{keepGoing, 1, {}}, {timed, 0, {time, timeArrows, seconds}}};
    group.choiceOf = [](uint8_t v) -> size_t { return v != 0 ? 0 : 1; };
    addRadioGroup(std::move(group));
    if (m_kind == PanelKind::Curve) {
        QLineEdit* slow = addEdit(1160, 30, 106, 60);
        addNumber(slow, addUpDown(1127, 92, 106, 0, 100), EntryKind::Percent, 3);
        addLabel(uiText(Str::MotorPercent), 112, 107, 30);
    } else if (m_kind == PanelKind::Wheel) {
        addLabel(uiText(Str::ShortLeft), 8, 107, 20);
        addNumber(addEdit(1160, 30, 106, 60), addUpDown(1127, 92, 106, 0, 100), EntryKind::Percent, 2);
        addLabel(uiText(Str::MotorPercent), 112, 107, 30);
        addLabel(uiText(Str::ShortRight), 8, 135, 20);
        addNumber(addEdit(1141, 30, 134, 60), addUpDown(1128, 92, 134, 0, 100), EntryKind::Percent, 3);
        addLabel(uiText(Str::MotorPercent), 112, 135, 30);
    }
}

void PropertyPanel::buildBranch(bool any) {
    if (!any) {
        // Without the option a branch compares a sensor with its constant: drop an operand
        // comparison and a left operand that is not a sensor.
        if (m_block->param[3] != 0) setParam(3, 0);
        if (m_block->param[0] >= kSensorOperands) setParam(0, 0);
    }
    QComboBox* left = addList(1135, 8, 26, 212);
    fillOperands(left, BranchOperandTable.data(), any ? kOperandCount : kSensorOperands);
    addListField(left, 0);
    QComboBox* test = addList(1136, 8, any ? 106 : 80, 212);
    for (int id : {Str::Less, Str::Equal, Str::Greater}) test->addItem(uiText(id));
    addListField(test, 1);
    if (!any) {
        addNumber(addEdit(1132, 8, 53, 60), nullptr, EntryKind::Constant, 2);
        addLabel(uiText(Str::PanelComparedWith), 72, 54, 100);
        return;
    }
    QRadioButton* constant = addRadio(1134, QString(), 8, 53, 20);
    QLineEdit* value = addEdit(1132, 30, 53, 60);
    addNumber(value, nullptr, EntryKind::Constant, 2);
    QRadioButton* operand = addRadio(1138, QString(), 8, 79, 20);
    QComboBox* right = addList(1137, 30, 79, 190);
    fillOperands(right, BranchOperandTable.data(), kOperandCount);
    addListField(right, 4);
    addConstantOrOperand(constant, value, operand, right);
}

// param[3]: 0 compares or calculates with the constant in the edit, 1 with the listed operand.
void PropertyPanel::addConstantOrOperand(QRadioButton* constant, QLineEdit* value, QRadioButton* operand,
                                         QComboBox* list) {
    RadioGroup group;
    group.param = 3;
    group.choices = {{constant, 0, {value}}, {operand, 1, {list}}};
    group.choiceOf = [](uint8_t v) -> size_t { return v != 0 ? 1 : 0; };
    addRadioGroup(std::move(group));
}

void PropertyPanel::buildWait() {
    addNumber(addEdit(1139, 8, 26, 60), addUpDown(1126, 70, 26, 1, 255), EntryKind::Time, 0);
    addLabel(uiText(Str::PanelSeconds), 90, 27, 30);
}

void PropertyPanel::buildLed() {
    QRadioButton* on = addRadio(1134, uiText(Str::PanelLedOn), 8, 26, 210);
    QRadioButton* off = addRadio(1135, uiText(Str::PanelLedOff), 8, 50, 210);
    QRadioButton* timed = addRadio(1161, QString(), 8, 74, 20);
    QLineEdit* time = addEdit(1163, 30, 74, 60);
    PanelUpDown* arrows = addUpDown(1126, 92, 74, 1, 255);
    QLabel* label = addLabel(uiText(Str::PanelLedTimed), 112, 75, 100, "label1164");
    addNumber(time, arrows, EntryKind::Time, 0);
    RadioGroup group;
    group.param = 3;
    group.choices = {{on, 0, {}}, {off, 1, {}}, {timed, 2, {time, arrows, label}}};
    // The chart shows anything but 1 and 2 as ON; the panel agrees.
    group.choiceOf = [](uint8_t v) -> size_t { return v == 1 ? 1 : v == 2 ? 2 : 0; };
    addRadioGroup(std::move(group));
}

void PropertyPanel::buildCalc() {
    QComboBox* target = addList(1135, 8, 26, 212);
    fillOperands(target, CalcOperandTable.data(), kCalcTargets);
    addListField(target, 0);
    QComboBox* operation = addList(1136, 8, 52, 80);
    for (int id = Str::OpAssign; id <= Str::OpDivide; ++id) operation->addItem(uiText(id));
    addListField(operation, 1);
    QRadioButton* constant = addRadio(1134, uiText(Str::PanelConstant), 8, 78, 60);
    QLineEdit* value = addEdit(1132, 70, 78, 60);
    addNumber(value, nullptr, EntryKind::Constant, 4);
    QRadioButton* operand = addRadio(1138, QString(), 8, 104, 20);
    QComboBox* source = addList(1137, 30, 104, 190);
    fillOperands(source, CalcOperandTable.data(), kOperandCount);
    addListField(source, 2);
    addConstantOrOperand(constant, value, operand, source);
}

void PropertyPanel::buildRepeat() {
    QRadioButton* counted = addRadio(1134, QString(), 8, 26, 20);
    QLineEdit* count = addEdit(1139, 30, 26, 60);
    PanelUpDown* arrows = addUpDown(1140, 92, 26, 0, 255);
    QLabel* label = addLabel(uiText(Str::PanelRepeatTimes), 112, 27, 110, "label1148");
    addNumber(count, arrows, EntryKind::Constant, 0);
    QRadioButton* endless = addRadio(1135, uiText(Str::PanelRepeatForever), 8, 52, 210);
    RadioGroup group;
    group.param = 1;
    group.choices = {{counted, 0, {count, arrows, label}}, {endless, 1, {}}};
    group.choiceOf = [](uint8_t v) -> size_t { return v != 0 ? 1 : 0; };
    addRadioGroup(std::move(group));
}

void PropertyPanel::buildEmpty() { addLabel(uiText(Str::PanelNothingToSet), 8, 8, kPanelWidth - 16, "nothingToSet"); }

// ---- values -----------------------------------------------------------------------------------

void PropertyPanel::loadFromBlock() {
    if (!m_block) return;
    m_writing = true;
    const auto& p = m_block->param;
    for (NumberField& f : m_numbers) {
        if (f.upDown) f.upDown->setValue(p[static_cast<size_t>(f.param)]);
        writeEdit(f);
    }
    for (const ListField& l : m_lists) {
        const int v = p[static_cast<size_t>(l.param)];
        // An index beyond the list (a damaged file) shows no choice rather than a wrong one.
        l.list->setCurrentIndex(v < l.list->count() ? v : -1);
    }
    for (const RadioGroup& g : m_radios) {
        const size_t checked = g.choiceOf(p[static_cast<size_t>(g.param)]);
        g.choices[checked].button->setChecked(true);
        applyEnabled(g, checked);
    }
    m_writing = false;
}

void PropertyPanel::applyEnabled(const RadioGroup& group, size_t checked) {
    for (const RadioChoice& c : group.choices)
        for (QWidget* w : c.enables) w->setEnabled(false);
    for (QWidget* w : group.choices[checked].enables) w->setEnabled(true);
}

void PropertyPanel::writeEdit(const NumberField& field) {
    const bool wasWriting = m_writing;
    m_writing = true;
    field.edit->setText(toQString(entryText(m_block->param[static_cast<size_t>(field.param)], field.kind)));
    m_writing = wasWriting;
}

void PropertyPanel::setParam(int index, uint8_t value) {
    m_block->param[static_cast<size_t>(index)] = value;
    // A loop's count and kind live in both of its blocks.
    if (isRepeat(m_block->type) && m_block->partner && (index == 0 || index == 1))
        m_block->partner->param[static_cast<size_t>(index)] = value;
}

bool PropertyPanel::blockIsLive() const {
    // The block may have been replaced by undo or a new program before this panel was.
    return m_block && m_host.program && indexOf(*m_host.program, m_block) >= 0;
}

void PropertyPanel::numberEdited(NumberField& field) {
    if (m_writing || !blockIsLive()) return;
    const std::array<uint8_t, 10> before = m_block->param;
    const EntryResult r = readEntry(toU16(field.edit->text()), field.kind);
    if (r.status == EntryStatus::Invalid) {
        QApplication::beep();
        writeEdit(field);
        return;
    }
    if (r.status == EntryStatus::Empty) return;
    setParam(field.param, r.value);
    if (r.corrected) writeEdit(field);
    if (field.upDown) field.upDown->setValue(r.value);
    commit(before);
}

void PropertyPanel::upDownStepped() {
    if (m_writing || !blockIsLive()) return;
    const std::array<uint8_t, 10> before = m_block->param;
    for (const NumberField& f : m_numbers)
        if (f.upDown) setParam(f.param, static_cast<uint8_t>(f.upDown->value()));
    for (const NumberField& f : m_numbers) writeEdit(f);
    commit(before);
}

void PropertyPanel::radioClicked(RadioGroup& group, size_t choice) {
    if (m_writing || !blockIsLive()) return;
    const std::array<uint8_t, 10> before = m_block->param;
    setParam(group.param, group.choices[choice].value);
    applyEnabled(group, choice);
    commit(before);
}

void PropertyPanel::listChosen() {
    if (m_writing || !blockIsLive()) return;
    const std::array<uint8_t, 10> before = m_block->param;
    for (const ListField& l : m_lists)
        if (l.list->currentIndex() >= 0) setParam(l.param, static_cast<uint8_t>(l.list->currentIndex()));
    commit(before);
}

void PropertyPanel::commit(const std::array<uint8_t, 10>& before) {
    // A notification that leaves every parameter as it was is no edit and no undo step.
    if (m_block->param == before) return;
    emit editAccepted();
    m_block->flags |= FlagChanged;
    if (isRepeat(m_block->type) && m_block->partner) m_block->partner->flags |= FlagChanged;
    emit blockChanged();
}

}  // namespace trovel
