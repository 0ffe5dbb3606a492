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
    std::array<uint8_t, 10> param{};           // meaning per type; [5]..[9] unused but kept
    int32_t x = 0, y = 0;                      // top-left corner on the program area, pixels
    int32_t dragX = 0, dragY = 0;              // free end of a connector being dragged out of an open output
    int32_t anchorX = 0, anchorY = 0;          // position before the current mouse move (collision put-back)
    int32_t width = 0, height = 0;             // always the type's size
    std::array<int32_t, 2> bend{};             // per output: run before the connector turns
    int32_t partnerIndex = -1;                 // list index of partner; only in loaded/snapshot/decoded records
    std::array<ActionBlock*, 2> next{};        // output links, null = open
    ActionBlock* partner = nullptr;            // Start<->End, RepeatStart<->RepeatEnd; null otherwise
    uint32_t flags = 0;                        // Flag* bits above and repeat-check scratch bits
    std::array<int32_t, 2> nextIndex{-1, -1};  // list indices of next[]; same cases as partnerIndex
    std::u16string name;                       // label, at most kMaxNameChars
    bool breakpoint = false;  // the simulator pauses before running it; kept in memory only, never saved
};

struct BlockSize {
    int width;
    int height;
};

// What a block does when it runs; the compiler, the sequence decoder and the simulator's
// interpreter each dispatch on it.
enum class BlockAction : uint8_t {
    Unknown,  // a code outside 1..17
    Start,
    End,
    Motion,
    Branch,
    RandomBranch,
    Wait,
    Led,
    Calc,
    RepeatStart,
    RepeatEnd,
};

// How a motion block drives one wheel: not at all, at full speed, slowed down by the percentage in
// param[slot], or at the percentage in param[slot].
enum class WheelDrive : uint8_t { Stopped, Full, SlowedBy, PercentOf };
struct WheelRule {
    WheelDrive drive = WheelDrive::Stopped;
    uint8_t slot = 0;
};

struct BlockDescriptor {
    std::u16string_view caption;       // palette, panel title and chart ("" for RepeatEnd)
    BlockSize size;                    // pixels
    std::array<uint8_t, 10> defaults;  // parameters of a freshly placed block
    BlockAction action;
    std::array<WheelRule, 2> wheels;  // Motion: left and right wheel
    bool leftLed;                     // Led: the left one rather than the right one
};

// The descriptor of a type; an unknown code gets size {0,0} and action Unknown.
const BlockDescriptor& describe(BlockType type);

// Size in pixels of a block of the given type ({0,0} for an unknown code).
BlockSize blockSize(BlockType type);
// The type's caption as shown on the palette, panel title and chart ("" for RepeatEnd).
std::u16string_view blockCaption(BlockType type);
// Parameter defaults of a freshly placed block.
std::array<uint8_t, 10> defaultParams(BlockType type);

bool isDiamond(BlockType type);        // Branch, RandomBranch
bool usesPartner(BlockType type);      // Start, End, RepeatStart, RepeatEnd
bool hasSecondOutput(BlockType type);  // Branch, RandomBranch, RepeatEnd
inline bool isRepeat(BlockType t) { return t == BlockType::RepeatStart || t == BlockType::RepeatEnd; }

// Wheel speed a rule gives for the parameters, before it is stored in a byte: slow-downs above
// 100 % give values below 0, percentages above 106 values above 255.
int wheelSpeed(WheelRule rule, const std::array<uint8_t, 10>& param);
// The parameter value a sequence decoder gives back for a wheel driven at `speed`.
uint8_t wheelParameter(WheelDrive drive, uint8_t speed);

// Memory-map addresses behind Branch and Calc operand indices (17 entries each).
constexpr int kOperandCount = 17;
extern const std::array<uint8_t, kOperandCount> BranchOperandTable;
extern const std::array<uint8_t, kOperandCount> CalcOperandTable;
// Address behind an operand index. An index past the table (only from a damaged file) counts
// round it again, so an operand always names an address the tables list.
uint8_t branchOperandAddress(uint8_t index);
uint8_t calcOperandAddress(uint8_t index);
// Position of an address in a table, or 0 when the address is not listed.
int branchOperandIndex(uint8_t address);
int calcOperandIndex(uint8_t address);

// Calc operators, param[1] of a Calc block.
enum class CalcOperator : uint8_t { Assign, Add, Subtract, Multiply, Divide };
constexpr int kCalcOperatorCount = 5;

// Number of RepeatStart blocks a program may hold, and so the number of repeat numbers 0..6.
constexpr int kMaxRepeats = 7;

// Positions and bends stay within ±kMaxCoordinate pixels (16 times the 2048-pixel chart area), so
// sums of coordinates, sizes and bends in the editor's geometry never overflow an int.
constexpr int kMaxCoordinate = 16 * 2048;

}  // namespace trovel
