#pragma once
// One action block of a flowchart, its type table and the operand tables.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace trovel {

enum class BlockType : uint8_t {
    Start = 1,
    End,
    LeftForward,
    Forward,
    RightForward,
    TurnLeft,
    Stop,
    TurnRight,
    WheelControl,
    Branch,
    RandomBranch,
    Wait,
    LeftLed,
    RightLed,
    Calc,
    RepeatStart,
    RepeatEnd,
};

constexpr int kFirstBlockType = 1;
constexpr int kLastBlockType = 17;
constexpr bool isValidBlockType(int code) { return code >= kFirstBlockType && code <= kLastBlockType; }

// Editor and scratch bits of ActionBlock::flags.
constexpr uint32_t FlagSelected = 0x0001;
constexpr uint32_t FlagChanged = 0x0002;
constexpr uint32_t FlagEndDrag0 = 0x0004;
constexpr uint32_t FlagEndDrag1 = 0x0008;
constexpr uint32_t FlagInBand = 0x0010;
constexpr uint32_t FlagDropTarget = 0x0040;
constexpr uint32_t FlagColliding = 0x0800;

constexpr int kMaxNameChars = 31;

struct ActionBlock {
    BlockType type = BlockType::Start;
    std::array<uint8_t, 10> param{};  // meaning per type; [5]..[9] unused but kept
    int32_t x = 0, y = 0;              // top-left corner on the program area, pixels
    int32_t dragX = 0, dragY = 0;      // free end of a connector being dragged out of an open output
    int32_t anchorX = 0, anchorY = 0;  // position before the current mouse move (collision put-back)
    int32_t width = 0, height = 0;     // always the type's size
    std::array<int32_t, 2> bend{};     // per output: run before the connector turns
    int32_t partnerIndex = -1;         // list index of partner; only in loaded/snapshot/decoded records
    std::array<ActionBlock*, 2> next{};  // output links, null = open
    ActionBlock* partner = nullptr;      // Start<->End, RepeatStart<->RepeatEnd; null otherwise
    uint32_t flags = 0;                  // Flag* bits above and repeat-check scratch bits
    std::array<int32_t, 2> nextIndex{-1, -1};  // list indices of next[]; same cases as partnerIndex
    std::u16string name;                       // label, at most kMaxNameChars
    bool breakpoint = false;  // the simulator pauses before running it; kept in memory only, never saved
};

struct BlockSize {
    int width;
    int height;
};

// Size in pixels of a block of the given type ({0,0} for an unknown code).
BlockSize blockSize(BlockType type);
// The type's caption as shown on the palette, panel title and chart ("" for RepeatEnd).
std::u16string_view blockCaption(BlockType type);
// Parameter defaults of a freshly placed block.
std::array<uint8_t, 10> defaultParams(BlockType type);

bool isDiamond(BlockType type);  // Branch, RandomBranch
bool isMotion(BlockType type);   // LeftForward .. WheelControl
bool usesPartner(BlockType type);  // Start, End, RepeatStart, RepeatEnd
bool hasSecondOutput(BlockType type);  // Branch, RandomBranch, RepeatEnd
inline bool isRepeat(BlockType t) { return t == BlockType::RepeatStart || t == BlockType::RepeatEnd; }

// Memory-map addresses behind Branch and Calc operand indices (17 entries each).
constexpr int kOperandCount = 17;
extern const std::array<uint8_t, kOperandCount> BranchOperandTable;
extern const std::array<uint8_t, kOperandCount> CalcOperandTable;
// Position of an address in a table, or 0 when the address is not listed.
int branchOperandIndex(uint8_t address);
int calcOperandIndex(uint8_t address);

// Number of RepeatStart blocks a program may hold, and so the number of repeat numbers 0..6.
constexpr int kMaxRepeats = 7;

// Positions and bends stay within ±kMaxCoordinate pixels (16 times the 2048-pixel chart area), so
// sums of coordinates, sizes and bends in the editor's geometry never overflow an int.
constexpr int kMaxCoordinate = 16 * 2048;

}  // namespace trovel
