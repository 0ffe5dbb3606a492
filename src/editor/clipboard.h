#pragma once
// The editor's own clipboard (the system clipboard is not used) and the edit commands over it.

#include <vector>

#include "editor/undo_history.h"
#include "model/program.h"

namespace trovel {

// Copies of blocks; links between them are kept as indices into `blocks` (nextIndex, partnerIndex),
// pointer fields are always null. Survives New and Open.
struct Clipboard {
    std::vector<ActionBlock> blocks;
    int sourceCount = 0;  // blocks in the program when the copy was made
};

struct EditResult {
    bool titleNeedsMark = false;  // from recordUndoStep: append " *" to the title
    bool currentCleared = false;  // currentBlock was deleted: show the empty property panel
    int blocksChanged = 0;        // blocks deleted or pasted
};

// Copies the selected blocks except Start and End (a selected repeat block brings its partner,
// which becomes selected too). Links to blocks left out are dropped. No undo step.
void copySelection(BlockProgram& program, Clipboard& clipboard);

// The blocks deleteSelection would remove now: the selected ones but Start and End, and the partner
// of every selected repeat block.
std::vector<const ActionBlock*> selectionToDelete(const BlockProgram& program);

// Deletes the selected blocks except Start and End, each repeat block with its partner; links
// into a deleted block are passed on to its next[0]. Clears the selection and records a step.
EditResult deleteSelection(BlockProgram& program, UndoHistory& history);

// Cut = copy then delete.
EditResult cutSelection(BlockProgram& program, Clipboard& clipboard, UndoHistory& history);

// Appends copies of the clipboard, each 9 pixels further right and down than the last paste,
// selected; a pasted RepeatStart gets a free repeat number; repeat pairs beyond the seven-repeat
// limit are left out. With `collision` each pasted block is pushed clear of the others.
// Records a step (also for an empty clipboard).
EditResult pasteClipboard(BlockProgram& program, Clipboard& clipboard, UndoHistory& history, bool collision);

}  // namespace trovel
