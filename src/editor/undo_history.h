#pragma once
// Linear undo/redo history of whole-program snapshots. Unchanged blocks are shared between
// snapshots, so a long history of small edits stays small; restoring behaves as full copies do.

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "model/option_flags.h"
#include "model/program.h"

namespace trovel {

// Enabled state of Undo (40006) and Redo (40007) in the menu and on the toolbar.
struct UndoMenuState {
    bool canUndo = false;
    bool canRedo = false;
    friend bool operator==(const UndoMenuState&, const UndoMenuState&) = default;
};

struct UndoStepResult {
    bool stepped = false;         // the program was rebuilt from another snapshot
    bool titleNeedsMark = false;  // Modified was clear: append " *" to the window title
};

// One per main window. Owns its snapshots.
class UndoHistory {
public:
    explicit UndoHistory(OptionFlags& flags);
    ~UndoHistory();
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // Called before a snapshot is restored: a simulated run stops, since the program it was taken
    // from is replaced as a whole.
    void setStopSimulation(std::function<void()> stop) { m_stopSimulation = std::move(stop); }
    // Called with the new menu state whenever it is refreshed.
    void setStateListener(std::function<void(UndoMenuState)> listener) { m_listener = std::move(listener); }

    // Appends a snapshot after the current one (dropping the redo branch) and sets Modified and the
    // edit mark. Returns true when Modified was clear, i.e. the title needs " *".
    bool recordUndoStep(const BlockProgram& program);
    // Starts again with one snapshot of the program (current index 0); clears Modified and the mark.
    void resetHistory(const BlockProgram& program);
    // Step back / forward and rebuild the program from that snapshot. Either way Modified is set.
    UndoStepResult undo(BlockProgram& program);
    UndoStepResult redo(BlockProgram& program);

    // Reports (and announces) what Undo and Redo can do.
    UndoMenuState updateUndoState();
    // True when the program holds what the current step holds; the selection, the current block
    // and other editor marks do not count.
    bool matchesCurrent(const BlockProgram& program) const;
    UndoMenuState state() const;

    size_t snapshotCount() const { return m_snapshots.size(); }
    size_t currentPosition() const { return m_current; }

    struct Snapshot;

private:
    UndoStepResult stepTo(BlockProgram& program, size_t target, bool allowed);

    OptionFlags& m_flags;
    std::vector<std::shared_ptr<const Snapshot>> m_snapshots;
    size_t m_current = 0;  // index into m_snapshots; meaningless while it is empty
    std::function<void()> m_stopSimulation;
    std::function<void(UndoMenuState)> m_listener;
};

}  // namespace trovel
