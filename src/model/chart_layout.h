#pragma once
// Places the blocks of a chart that comes without positions (a program read back from the robot)
// so that it reads well: no connector runs through a block and output labels stand clear.

#include "model/program.h"

namespace trovel {

// Where the layout puts things, so the editor's routing gives the shapes the layout plans for.
constexpr int kLayoutTop = 9;           // top of the first row (the Start block's y)
constexpr int kLayoutRowGap = 27;       // between two rows
constexpr int kLayoutLabelRowGap = 36;  // below a row whose "yes" label sits in the gap
constexpr int kLayoutLaneMargin = 36;   // from a column to the nearest connector lane: half a label
constexpr int kLayoutLaneSpacing = 18;  // between two connector lanes of one gap

// Sets the position of every block and the bend of every output. One block per row, in the order
// of a walk from the Start block (unreached blocks follow): output 0 continues down the same
// column, the second output of a branch or loop end opens a column to the right, and every
// connector that runs back up gets a lane of its own between the columns. Sizes must be set; the
// list order, the links and everything else stay as they are.
void layoutChart(BlockProgram& program);

}  // namespace trovel
