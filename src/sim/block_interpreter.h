#pragma once
// Runs the flowchart blocks directly, one step per 16 ms simulator tick, over the MemoryImage.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "model/run_program.h"
#include "sim/sim_memory_map.h"
#include "sim/sim_random.h"

namespace trovel {

enum class SimState : uint8_t { Stopped, Running, Paused };
// The number a run's state is published as (trovel-cli's "state"): 0 stopped, 2 running, 3 paused.
constexpr int simStateCode(SimState state) {
    return state == SimState::Running ? 2 : state == SimState::Paused ? 3 : 0;
}

constexpr uint32_t kTickMs = 16;
// Blocks that chain without ending the tick are run at most this many per tick; a tick that uses
// them all up counts as an inner tick and the chain goes on with the next tick. Large enough for a
// 255-pass loop over a body of 128 blocks, so only an endless chain ever runs out of it.
constexpr int kChainBudget = 32768;

// Why the interpreter paused the run: before a block with a breakpoint, or after the block 1ブロック started.
enum class HoldReason : uint8_t { None, Breakpoint, BlockStep };

struct BlockInterpreter {
    std::shared_ptr<const RunProgram> program{};  // the snapshot taken at 再生; kept after the run stops
    int current = kNoRunBlock;                    // snapshot index of the next block to execute, -1 = none
    int last = kNoRunBlock;                       // snapshot index of the block last executed, -1 = none
    BlockType lastType = BlockType::Start;        // type and parameters of the last executed block,
    std::array<uint8_t, 10> lastParam{};          //   read by the expiry actions
    uint32_t waitMs = 0;                          // still to wait, always a multiple of 16
    SimRandom random;                             // random branches
    bool chainPending = false;                    // the last step ran out of chain budget
    int held = kNoRunBlock;  // paused at its breakpoint before this block; it runs when the run goes on
    HoldReason holdReason = HoldReason::None;  // why the run last paused itself
    bool stopAtNextBlock = false;              // 1ブロック: pause right after the next block starts
    uint64_t executed = 0;                     // blocks executed since the simulator opened
    // Per snapshot block: pause before it. Taken from the snapshot; the editor may set and clear
    // breakpoints while the run goes on, which is why they are not part of the frozen snapshot.
    std::vector<bool> breakpoints{};
};

// Called with the snapshot index of every block that ends a tick, or of every executed block in
// slow motion.
using HighlightFn = std::function<void(int block)>;

enum class StepOutcome {
    TickEnded,        // a block ended the tick, a wait is running, or nothing was to do
    BudgetExhausted,  // kChainBudget chained blocks ran; the chain resumes next tick
    RunStopped,       // no current block: the run was stopped
    Held,             // Paused: before a block with a breakpoint, or after the block 1ブロック started
};

// 再生: Running on the snapshot, current block := its first (the Start block), LEDs off, no wait.
void startRun(BlockInterpreter& interp, SimState& state, MemoryImage& memory,
              std::shared_ptr<const RunProgram> program);
// Motors off, Stopped, no current block, no wait.
void stopRun(BlockInterpreter& interp, SimState& state, MemoryImage& memory);
// Whether a run in progress would still use the snapshot block: the one running now or the one it
// runs next.
bool runHolds(const BlockInterpreter& interp, SimState state, int block);
// Sets or clears the breakpoint of a snapshot block of the run; false when there is no such block.
bool setRunBreakpoint(BlockInterpreter& interp, int block, bool on);

// 1ブロック: the run pauses right after its next block starts (a block held at its breakpoint first).
void stopAtNextBlock(BlockInterpreter& interp);

// One interpreter step. A block with a breakpoint is not run: the state becomes Paused and the
// block stays current and is highlighted; going on runs it. `slowMotion` highlights every executed block instead of only those that
// end the tick; `highlight` may be empty.
StepOutcome stepInterpreter(BlockInterpreter& interp, SimState& state, MemoryImage& memory, bool slowMotion,
                            const HighlightFn& highlight);

// Motor byte of a WheelControl percentage: percent x 240 / 100, at most 255.
uint8_t wheelControlSpeed(uint8_t percent);
// Applies one Calc operation (0 =, 1 +=, 2 -=, 3 *=, 4 /=) with the result clamped to 0..255.
uint8_t applyCalc(uint8_t a, uint8_t b, uint8_t op);

}  // namespace trovel
