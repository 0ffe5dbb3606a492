#include "editor/captions.h"

#include "base/block_names.h"
#include "base/message_format.h"
#include "base/resource_library.h"

namespace trovel {

namespace {

// String numbers of the texts used here.
namespace Str {
constexpr int SecondsShort = 25;        // "%.1f秒"
constexpr int RepeatTimes = 23;         // "%d回"
constexpr int RepeatForeverShort = 24;  // "無限"
constexpr int FirstCircledDigit = 36;   // "①"
constexpr int Off = 272;
constexpr int On = 309;
constexpr int FirstCalcOperator = 62;  // "=" "＋=" "－=" "×=" "÷="
constexpr int FirstCompareWord = 298;  // "小さい値？" "同じ値？" "大きい値？"
constexpr int StartName = 81;
constexpr int EndName = 82;
constexpr int Go = 103;             // "進む"
constexpr int TurnContinue = 13;    // "%d%% で%s" in quotes
constexpr int TurnTimed = 320;      // "%.1f 秒間 %d%% で%s"
constexpr int MotionTimed = 271;    // "%.1f 秒間 %s"
constexpr int WheelContinue = 10;   // "左%d%% 右%d%% で%s"
constexpr int WheelTimed = 321;     // "%.1f 秒間 左%d%% 右%d%% で進む"
constexpr int CompareMemory = 6;    // "%s が %s と比べて %s"
constexpr int CompareConstant = 7;  // "%s が %d と比べて %s"
constexpr int RandomName = 5;
constexpr int WaitText = 19;  // "%.1f秒間の%s"
constexpr int RepeatForever = 317;
constexpr int RepeatCount = 274;  // "%d回 くり返す"
}  // namespace Str

// Continuing motion captions for types LeftForward..WheelControl.
constexpr int kMotionWords[] = {114, 110, 115, 108, 113, 109, 103};

constexpr int kComparisons = 3;

std::u16string str(const TextSources& t, int id) { return t.resString ? t.resString(id) : std::u16string(); }

double seconds(const ActionBlock& b) { return b.param[0] / 10.0; }

// Name of the address behind an operand index; empty for an index outside the table.
std::u16string operandName(const std::array<uint8_t, kOperandCount>& table, uint8_t index,
                           const std::function<std::u16string(int)>& names) {
    if (index >= table.size() || !names) return {};
    return names(table[index]);
}

std::u16string compareChar(uint8_t op) {
    switch (op) {
    case 0: return u"<";
    case 1: return u"=";
    case 2: return u">";
    default: return {};
    }
}

std::u16string calcOperator(const TextSources& t, uint8_t op) {
    return op < kCalcOperatorCount ? str(t, Str::FirstCalcOperator + op) : std::u16string();
}

}  // namespace

std::u16string chartCaption(const ActionBlock& b, const TextSources& t, bool useCalcBlock) {
    const auto& p = b.param;
    switch (b.type) {
    case BlockType::LeftForward:
    case BlockType::Forward:
    case BlockType::RightForward:
    case BlockType::TurnLeft:
    case BlockType::Stop:
    case BlockType::TurnRight:
    case BlockType::WheelControl:
        if (p[1] == 0) return formatMessage(str(t, Str::SecondsShort), {seconds(b)});
        return str(t, kMotionWords[static_cast<int>(b.type) - static_cast<int>(BlockType::LeftForward)]);
    case BlockType::Branch: {
        const std::u16string op = compareChar(p[1]);
        if (useCalcBlock) {
            const std::u16string left = operandName(BranchOperandTable, p[0], t.shortName);
            if (p[3] != 0)
                return formatMessage(u"%s%s%s", {left, op, operandName(BranchOperandTable, p[4], t.shortName)});
            return formatMessage(u"%s%s%d", {left, op, int{p[2]}});
        }
        return formatMessage(u"%s%s%d", {operandName(BranchOperandTable, p[0], t.displayName), op, int{p[2]}});
    }
    case BlockType::Wait: return formatMessage(str(t, Str::SecondsShort), {seconds(b)});
    case BlockType::LeftLed:
    case BlockType::RightLed:
        if (p[3] == 1) return str(t, Str::Off);
        if (p[3] == 2) return formatMessage(str(t, Str::SecondsShort), {seconds(b)});
        return str(t, Str::On);
    case BlockType::Calc: {
        const std::u16string left = operandName(CalcOperandTable, p[0], t.shortName);
        const std::u16string op = calcOperator(t, p[1]);
        if (p[3] != 0) return formatMessage(u"%s%s%s", {left, op, operandName(CalcOperandTable, p[2], t.shortName)});
        return formatMessage(u"%s%s%d", {left, op, int{p[4]}});
    }
    case BlockType::RepeatStart: {
        const std::u16string first = str(t, Str::FirstCircledDigit);
        const char16_t base = first.empty() ? u'\u2460' : first[0];
        return std::u16string(1, static_cast<char16_t>(base + p[2]));
    }
    case BlockType::RepeatEnd:
        if (p[1] == 0) return formatMessage(str(t, Str::RepeatTimes), {int{p[0]}});
        return str(t, Str::RepeatForeverShort);
    default: return {};
    }
}

bool hasCaptionPanel(BlockType type) {
    switch (type) {
    case BlockType::Start:
    case BlockType::End:
    case BlockType::Branch:
    case BlockType::RandomBranch:
    case BlockType::RepeatStart:
    case BlockType::RepeatEnd: return false;
    default: return isValidBlockType(static_cast<int>(type));
    }
}

std::optional<Rect> captionRect(const ActionBlock& b, const Rect& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    switch (b.type) {
    case BlockType::Start:
    case BlockType::End:
    case BlockType::RandomBranch: return std::nullopt;
    case BlockType::Branch: return Rect{r.left + 2, r.top + h / 3 + 2, r.right - 2, r.top + 2 * (h / 3) + 2};
    case BlockType::RepeatStart: return Rect{r.left + 3 * (w / 5), r.top + h / 2, r.right - 2, r.bottom + h / 2};
    case BlockType::RepeatEnd:
        // Under the picture's own words (its top 14 rows) and left of its return arrow.
        return Rect{r.left + 2, r.top + 14, r.left + 3 * (w / 4), r.bottom};
    default:
        if (!isValidBlockType(static_cast<int>(b.type))) return std::nullopt;
        return Rect{r.left + 2, r.top + 38, r.right - 2, r.bottom - 2};
    }
}

std::u16string blockTooltip(const ActionBlock& b, const TextSources& t) {
    const auto& p = b.param;
    const std::u16string name = str(t, blockTypeNameId(b.type));
    switch (b.type) {
    case BlockType::Start: return str(t, Str::StartName);
    case BlockType::End: return str(t, Str::EndName);
    case BlockType::LeftForward:
    case BlockType::RightForward:
        if (p[1] != 0) return formatMessage(str(t, Str::TurnContinue), {int{p[3]}, name});
        return formatMessage(str(t, Str::TurnTimed), {seconds(b), int{p[3]}, name});
    case BlockType::Forward:
    case BlockType::TurnLeft:
    case BlockType::Stop:
    case BlockType::TurnRight:
        if (p[1] != 0) return name;
        return formatMessage(str(t, Str::MotionTimed), {seconds(b), name});
    case BlockType::WheelControl:
        if (p[1] != 0) return formatMessage(str(t, Str::WheelContinue), {int{p[2]}, int{p[3]}, str(t, Str::Go)});
        return formatMessage(str(t, Str::WheelTimed), {seconds(b), int{p[2]}, int{p[3]}});
    case BlockType::Branch: {
        const std::u16string word = p[1] < kComparisons ? str(t, Str::FirstCompareWord + p[1]) : std::u16string();
        const std::u16string left = operandName(BranchOperandTable, p[0], t.displayName);
        if (p[3] != 0)
            return formatMessage(str(t, Str::CompareMemory),
                                 {left, operandName(BranchOperandTable, p[4], t.displayName), word});
        return formatMessage(str(t, Str::CompareConstant), {left, int{p[2]}, word});
    }
    case BlockType::RandomBranch: return str(t, Str::RandomName);
    case BlockType::Wait: return formatMessage(str(t, Str::WaitText), {seconds(b), name});
    case BlockType::LeftLed:
        if (p[3] == 1) return str(t, 310);
        if (p[3] == 2) return formatMessage(str(t, 316), {seconds(b)});
        return str(t, 311);
    case BlockType::RightLed:
        if (p[3] == 1) return str(t, 313);
        if (p[3] == 2) return formatMessage(str(t, 315), {seconds(b)});
        return str(t, 314);
    case BlockType::Calc: {
        const std::u16string left = operandName(CalcOperandTable, p[0], t.displayName);
        const std::u16string op = calcOperator(t, p[1]);
        if (p[3] != 0)
            return formatMessage(u"%s %s %s", {left, op, operandName(CalcOperandTable, p[2], t.displayName)});
        return formatMessage(u"%s %s %d", {left, op, int{p[4]}});
    }
    case BlockType::RepeatStart:
    case BlockType::RepeatEnd:
        if (p[1] != 0) return str(t, Str::RepeatForever);
        return formatMessage(str(t, Str::RepeatCount), {int{p[0]}});
    }
    return {};
}

int outputLabelString(BlockType type, int output) {
    switch (type) {
    case BlockType::Branch: return output == 0 ? 20 : 21;
    case BlockType::RandomBranch: return output == 0 ? 52 : 58;
    case BlockType::RepeatEnd: return output == 1 ? 76 : 0;
    default: return 0;
    }
}

bool outputLabelVisible(BlockType type, int output, int routeCode, bool linked) {
    if (outputLabelString(type, output) == 0) return false;
    switch (routeCode) {
    case 0: return false;  // only the marker is drawn
    case 3:
    case 4:
    case 5:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12: return linked;
    default: return true;
    }
}

TextSources chartTextSources(const std::array<std::u16string, MemoryMap::Size>& displayNames,
                             const std::array<std::u16string, MemoryMap::Size>& shortNames) {
    TextSources text;
    text.resString = [](int id) {
        return id < 0 || id > 0xFFFF ? std::u16string() : resString(static_cast<uint16_t>(id));
    };
    text.displayName = [displayNames](int address) {
        return address >= 0 && address < MemoryMap::Size ? displayNames[static_cast<size_t>(address)]
                                                         : std::u16string();
    };
    text.shortName = [shortNames](int address) {
        return address >= 0 && address < MemoryMap::Size ? shortNames[static_cast<size_t>(address)] : std::u16string();
    };
    return text;
}

}  // namespace trovel
