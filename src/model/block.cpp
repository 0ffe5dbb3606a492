#include "model/block.h"

namespace trovel {

namespace {

struct TypeInfo {
    std::u16string_view caption;
    BlockSize size;
    std::array<uint8_t, 10> defaults;
};

// Indexed by type code; entry 0 stands for an unknown code.
const TypeInfo kTypes[] = {
    {u"", {0, 0}, {}},
    {u"プログラムをはじめる", {108, 45}, {}},
    {u"プログラムをおわる", {108, 45}, {}},
    {u"左前に進む", {63, 63}, {15, 0, 50, 50}},
    {u"前に進む", {63, 63}, {15, 0}},
    {u"右前に進む", {63, 63}, {15, 0, 50, 50}},
    {u"左に曲がる", {63, 63}, {15, 0}},
    {u"止まる", {63, 63}, {15, 0}},
    {u"右に曲がる", {63, 63}, {15, 0}},
    {u"車輪制御", {63, 63}, {15, 0, 50, 50}},
    {u"分岐", {108, 63}, {0, 0, 80, 0, 0}},
    {u"ランダム", {108, 63}, {}},
    {u"ウェイト", {63, 63}, {15}},
    {u"左のLED", {63, 63}, {10, 0, 0, 0}},
    {u"右のLED", {63, 63}, {10, 0, 0, 0}},
    {u"演算", {63, 63}, {}},
    {u"くり返し", {108, 36}, {3, 0, 0}},
    {u"", {108, 36}, {3, 0, 0}},
};

const TypeInfo& info(BlockType type) {
    int code = static_cast<int>(type);
    return kTypes[isValidBlockType(code) ? code : 0];
}

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

BlockSize blockSize(BlockType type) { return info(type).size; }
std::u16string_view blockCaption(BlockType type) { return info(type).caption; }
std::array<uint8_t, 10> defaultParams(BlockType type) { return info(type).defaults; }

bool isDiamond(BlockType type) { return type == BlockType::Branch || type == BlockType::RandomBranch; }

bool usesPartner(BlockType type) {
    return type == BlockType::Start || type == BlockType::End || isRepeat(type);
}

bool hasSecondOutput(BlockType type) { return isDiamond(type) || type == BlockType::RepeatEnd; }

int branchOperandIndex(uint8_t address) { return positionIn(BranchOperandTable, address); }
int calcOperandIndex(uint8_t address) { return positionIn(CalcOperandTable, address); }

}  // namespace trovel
