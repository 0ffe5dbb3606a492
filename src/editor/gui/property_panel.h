#pragma once
// The property panel of the current block, shown under the palette: edits the block's parameters
// directly, one undo step for every accepted change.

#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

#include "editor/number_entry.h"
#include "model/program.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace trovel {

class OptionFlags;
class PanelUpDown;
struct MemoryNames;

// The panels by the number of the dialog they come from.
enum class PanelKind {
    Empty = 123,         // "※設定する項目はありません"
    Motion = 119,        // Forward, TurnLeft, Stop, TurnRight
    Curve = 129,         // LeftForward, RightForward: plus the slow-down percentage
    Wheel = 134,         // WheelControl: plus left and right percentages
    BranchSensor = 122,  // sensor against a constant
    BranchAny = 135,     // any operand against a constant or an operand
    Wait = 120,
    Led = 118,
    Calc = 136,
    Repeat = 124,
};

// The panel for a block (null: no current block). `advanced` is the UseCalcBlock option.
PanelKind panelKindFor(const ActionBlock* block, bool advanced);

// What a panel works on.
struct PanelHost {
    BlockProgram* program = nullptr;
    OptionFlags* options = nullptr;
    const MemoryNames* names = nullptr;  // operand list texts; null gives the built-in sensor names
};

class PropertyPanel : public QWidget {
    Q_OBJECT
public:
    // Builds the panel for program->currentBlock, applying the opening corrections to the block.
    PropertyPanel(const PanelHost& host, QWidget* parent = nullptr);

    PanelKind kind() const { return m_kind; }
    ActionBlock* block() const { return m_block; }
    // Opening corrected the block's parameters (not an edit of its own): the chart shows the change.
    bool correctedOnOpening() const { return m_corrected; }

signals:
    // Once for every accepted change, before the block is marked changed: one undo step.
    void editAccepted();
    // The block's parameters changed: the program area repaints it.
    void blockChanged();

private:
    struct NumberField {
        QLineEdit* edit = nullptr;
        PanelUpDown* upDown = nullptr;  // null for an edit without arrows
        EntryKind kind = EntryKind::Constant;
        int param = 0;
    };
    struct RadioChoice {
        QRadioButton* button = nullptr;
        uint8_t value = 0;
        std::vector<QWidget*> enables;  // controls usable only while this choice is checked
    };
    struct RadioGroup {
        int param = 0;
        std::vector<RadioChoice> choices;
        std::function<size_t(uint8_t)> choiceOf;  // which choice a stored value checks
    };
    struct ListField {
        QComboBox* list = nullptr;
        int param = 0;
    };

    void buildMotion(BlockType type);
    void buildBranch(bool any);
    void buildWait();
    void buildLed();
    void buildCalc();
    void buildRepeat();
    void buildEmpty();
    void fitTexts();

    QLabel* addLabel(const QString& text, int x, int y, int w, const char* name = nullptr);
    QLineEdit* addEdit(int id, int x, int y, int w);
    PanelUpDown* addUpDown(int id, int x, int y, int low, int high);
    QRadioButton* addRadio(int id, const QString& text, int x, int y, int w);
    QComboBox* addList(int id, int x, int y, int w);
    void addNumber(QLineEdit* edit, PanelUpDown* upDown, EntryKind kind, int param);
    void addRadioGroup(RadioGroup group);
    void addConstantOrOperand(QRadioButton* constant, QLineEdit* value, QRadioButton* operand, QComboBox* list);
    void addListField(QComboBox* list, int param);
    void fillOperands(QComboBox* list, const uint8_t* table, int count);

    void loadFromBlock();
    void applyEnabled(const RadioGroup& group, size_t checked);
    void numberEdited(NumberField& field);
    void upDownStepped();
    void radioClicked(RadioGroup& group, size_t choice);
    void listChosen();
    void writeEdit(const NumberField& field);
    void setParam(int index, uint8_t value);
    bool blockIsLive() const;
    void commit(const std::array<uint8_t, 10>& before);

    PanelHost m_host;
    ActionBlock* m_block = nullptr;
    PanelKind m_kind = PanelKind::Empty;
    bool m_writing = false;  // set while the panel writes its own controls
    bool m_corrected = false;
    std::vector<NumberField> m_numbers;
    std::vector<RadioGroup> m_radios;
    std::vector<ListField> m_lists;
};

}  // namespace trovel
