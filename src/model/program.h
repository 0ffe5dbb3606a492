#pragma once
// The one open program: the list of blocks in creation/load order and a little program state.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/block.h"

namespace trovel {

struct BlockProgram {
    // List order = file line order = compile order; a block's position is its list index.
    std::vector<std::unique_ptr<ActionBlock>> blocks;
    ActionBlock* currentBlock = nullptr;  // block whose property panel is shown
    std::u16string filePath;              // empty for a new program
};

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

ActionBlock* head(const BlockProgram& program);
ActionBlock* tail(const BlockProgram& program);
// Frees every block; currentBlock becomes null.
void clear(BlockProgram& program);
ActionBlock* append(BlockProgram& program, std::unique_ptr<ActionBlock> block);
// List index of a block, -1 when it is not in the list (or null).
int indexOf(const BlockProgram& program, const ActionBlock* block);
// The block at a list index, null when out of range.
ActionBlock* blockAt(const BlockProgram& program, int index);
// Block -> list index for every block, for work over many blocks at once.
std::unordered_map<const ActionBlock*, int> indexMap(const BlockProgram& program);
// Removes the given blocks from the list, clearing every link and partner that pointed at them.
void removeBlocks(BlockProgram& program, const std::vector<const ActionBlock*>& doomed);

// Where a new program, and a program read back from the robot, put their Start and End blocks.
constexpr Point kStartPosition{27, 9};
constexpr Point kEndPosition{27, 477};
// The spacing of blocks the program lays out itself: the left margin, the gap between blocks and
// the run of their connectors before the bend.
constexpr int kLayoutGap = 27;

// Start at kStartPosition linked to End at kEndPosition, paired; filePath cleared; currentBlock = Start.
void newProgram(BlockProgram& program);

enum class PlaceError { None, InvalidType, TooManyRepeats };
struct PlaceResult {
    ActionBlock* block = nullptr;  // the new block (the RepeatStart for a pair)
    PlaceError error = PlaceError::None;
};
// The palette drop: a new block of type 3..16 at point - (31, 18) on the 9-pixel grid.
PlaceResult placeBlock(BlockProgram& program, BlockType type, Point point);
// One more than the number after "<caption> " in the last block naming the caption (1 if none).
int nextLabelNumber(const BlockProgram& program, BlockType type);
// Lowest repeat number 0..6 not used by a RepeatStart, or -1.
int freeRepeatIndex(const BlockProgram& program);
void selectAll(BlockProgram& program);

constexpr int kGrid = 9;
// Rounds toward zero onto the editor grid.
inline int snapToGrid(int v) { return v / kGrid * kGrid; }

}  // namespace trovel
