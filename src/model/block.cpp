#include "model/block.h"

#include "model/memory_map.h"

namespace trovel {

namespace {

using Action = BlockAction;
constexpr WheelRule kStopped{WheelDrive::Stopped};
constexpr WheelRule kFull{WheelDrive::Full};
constexpr WheelRule kSlowedBy3{WheelDrive::SlowedBy, 3};
constexpr WheelRule kPercentOf2{WheelDrive::PercentOf, 2};
constexpr WheelRule kPercentOf3{WheelDrive::PercentOf, 3};

// Indexed by type code; entry 0 stands for an unknown code.
const BlockDescriptor kTypes[] = {
    {u"", {0, 0}, {}, Action::Unknown, {}, false},
    {u"プログラムをはじめる", {108, 45}, {}, Action::Start, {}, false},
    {u"プログラムをおわる", {108, 45}, {}, Action::End, {}, false},
    {u"左前に進む", {63, 63}, {15, 0, 50, 50}, Action::Motion, {kSlowedBy3, kFull}, false},
    {u"前に進む", {63, 63}, {15, 0}, Action::Motion, {kFull, kFull}, false},
    {u"右前に進む", {63, 63}, {15, 0, 50, 50}, Action::Motion, {kFull, kSlowedBy3}, false},
    {u"左に曲がる", {63, 63}, {15, 0}, Action::Motion, {kStopped, kFull}, false},
    {u"止まる", {63, 63}, {15, 0}, Action::Motion, {kStopped, kStopped}, false},
    {u"右に曲がる", {63, 63}, {15, 0}, Action::Motion, {kFull, kStopped}, false},
    {u"車輪制御", {63, 63}, {15, 0, 50, 50}, Action::Motion, {kPercentOf2, kPercentOf3}, false},
    {u"分岐", {108, 63}, {0, 0, 80, 0, 0}, Action::Branch, {}, false},
    {u"ランダム", {108, 63}, {}, Action::RandomBranch, {}, false},
    {u"ウェイト", {63, 63}, {15}, Action::Wait, {}, false},
    {u"左のLED", {63, 63}, {10, 0, 0, 0}, Action::Led, {}, true},
    {u"右のLED", {63, 63}, {10, 0, 0, 0}, Action::Led, {}, false},
    {u"演算", {63, 63}, {}, Action::Calc, {}, false},
    {u"くり返し", {108, 36}, {3, 0, 0}, Action::RepeatStart, {}, false},
    {u"", {108, 36}, {3, 0, 0}, Action::RepeatEnd, {}, false},
};

template <size_t N>
int positionIn(const std::array<uint8_t, N>& table, uint8_t address) {
    for (size_t i = 0; i < N; ++i)
        if (table[i] == address) return static_cast<int>(i);
    return 0;
}

}  // namespace

const std::array<uint8_t, kOperandCount> BranchOperandTable = {9,  10, 11, 12, 13, 14, 16, 17, 18,
                                                               19, 20, 21, 22, 23, 15, 5,  6};
const std::array<uint8_t, kOperandCount> CalcOperandTable = {16, 17, 18, 19, 20, 21, 22, 23, 15,
                                                             5,  6,  9,  10, 11, 12, 13, 14};

const BlockDescriptor& describe(BlockType type) {
    int code = static_cast<int>(type);
    return kTypes[isValidBlockType(code) ? code : 0];
}

BlockSize blockSize(BlockType type) { return describe(type).size; }
std::u16string_view blockCaption(BlockType type) { return describe(type).caption; }
std::array<uint8_t, 10> defaultParams(BlockType type) { return describe(type).defaults; }

bool isDiamond(BlockType type) { return type == BlockType::Branch || type == BlockType::RandomBranch; }

bool usesPartner(BlockType type) { return type == BlockType::Start || type == BlockType::End || isRepeat(type); }

bool hasSecondOutput(BlockType type) { return isDiamond(type) || type == BlockType::RepeatEnd; }

int wheelSpeed(WheelRule rule, const std::array<uint8_t, 10>& param) {
    switch (rule.drive) {
    case WheelDrive::Stopped: return 0;
    case WheelDrive::Full: return kFullSpeed;
    case WheelDrive::SlowedBy: return (100 - param[rule.slot]) * kFullSpeed / 100;
    case WheelDrive::PercentOf: return param[rule.slot] * kFullSpeed / 100;
    }
    return 0;
}

uint8_t wheelParameter(WheelDrive drive, uint8_t speed) {
    switch (drive) {
    case WheelDrive::SlowedBy: return static_cast<uint8_t>((kFullSpeed - speed) * 100 / kFullSpeed);
    case WheelDrive::PercentOf: return static_cast<uint8_t>((speed + 1) * 100 / kFullSpeed);
    default: return 0;
    }
}

uint8_t branchOperandAddress(uint8_t index) { return BranchOperandTable[index % kOperandCount]; }
uint8_t calcOperandAddress(uint8_t index) { return CalcOperandTable[index % kOperandCount]; }

int branchOperandIndex(uint8_t address) { return positionIn(BranchOperandTable, address); }
int calcOperandIndex(uint8_t address) { return positionIn(CalcOperandTable, address); }

}  // namespace trovel
