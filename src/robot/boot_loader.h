#pragma once
// Into and out of the robot's boot loader, and the pieces every transfer shares: the transfer's
// progress reports and the start of a transfer.

#include <atomic>
#include <functional>

#include "robot/hid_link.h"

namespace trovel {

// The stages of a transfer. The faces word them: transferStepString gives the text's number.
enum class TransferStep {
    StartingBootLoader,
    Reconnecting,
    ErasingSequence,
    WritingSequence,
    ReadingSequence,
    ReadingMemoryMap,
    WritingMemoryMap,
    ErasingFirmware,
    WritingFirmware,
    ComparingFirmware,
    LeavingBootLoader,
    CheckingRestart,  // the robot should go away to restart after leaving its boot loader
};
// String number of a stage's text.
int transferStepString(TransferStep step);

// How a transfer shows its progress. Called on the transfer thread; any of them may be empty.
struct TransferProgress {
    std::function<void(TransferStep)> step;  // the stage now under way
    std::function<void(int, int)> range;     // progress bar range
    std::function<void(int)> position;       // progress bar position

    void showStep(TransferStep stage) const {
        if (step) step(stage);
    }
    void setRange(int low, int high) const {
        if (range) range(low, high);
    }
    void setPosition(int value) const {
        if (position) position(value);
    }
};

enum class TransferStatus {
    Done,
    Cancelled,  // "中断" was pressed: no message
    GaveUp,     // no robot to talk to when the transfer began: no message
    Failed,     // a report could not be written or no reply came
};

// What went wrong in a failed transfer.
enum class TransferFailure {
    None,
    NotSent,       // the request that starts the boot loader could not be written
    NoBootLoader,  // the robot never answered as its boot loader: nothing was written or read
    NoReply,       // a report could not be written, or its reply did not come whole
    Verify,        // the robot does not hold what was written
    Unsteady,      // two reads of the same bytes gave different answers
    Busy,          // the link was never freed for the transfer
    NotRestarted,  // the work is done and verified, but the robot ignored the reset: it stays in its boot loader
};

// The string that says why a transfer failed, what the user may do about it; 0 where the failure
// needs no words beyond the command's own failure message (Verify, None).
int transferFailureString(TransferFailure failure);

// Everything a transfer thread needs.
struct TransferContext {
    HidLink& link;
    const std::atomic<bool>* cancel = nullptr;  // null: cannot be cancelled
    TransferProgress progress;

    bool cancelled() const { return cancel && cancel->load(); }
};

// The 'b' request (claim held). False when the write fails.
bool enterBootLoader(HidLink& link);
// Waits, in reconnectStepMs steps, until the robot answers as boot loader. True when it does;
// false once reconnectPasses steps' time has passed (time spent waiting for replies counts) or on
// cancel. Moves the progress bar (range 0..60) when `progress`.
bool waitForBootLoader(const TransferContext& ctx, bool progress);
// Writes 0 to the boot-loader flag byte, then the reset request. False at once without a device;
// else whether the reset request was written.
bool leaveBootLoader(HidLink& link);
// After leaveBootLoader (device still open): whether the robot went to restart. False when it
// still answers as its boot loader on the same device after kRestartChecks reconnect steps, i.e.
// it ignored the reset. Records the answer in the link state (LinkState::inBootLoader).
bool confirmRestart(const TransferContext& ctx);
constexpr int kRestartChecks = 4;

// Claims the link for a transfer and sets TransferActive. Done: the claim is held and the
// transfer must end with endTransfer. GaveUp: cancelled, not connected (unless
// `requireConnection` is false) or no device. Failed: the claim was never freed.
TransferStatus claimLink(const TransferContext& ctx, bool requireConnection = true);
// Sends 'b' and waits for the boot loader. Failed when the 'b' request cannot be written;
// Cancelled when cancelled during the wait. `reached` says whether the boot loader answered.
TransferStatus startBootLoader(const TransferContext& ctx, bool& reached);
// startBootLoader for a transfer that may send nothing unless the boot loader answered: Failed
// with NotSent when 'b' could not be written, with NoBootLoader when the robot never answered.
TransferStatus reachBootLoader(const TransferContext& ctx, TransferFailure& failure);
// Reads through the boot loader the n bytes (report byte 6, 1..58) at the address of `request`
// into `out`: `request` goes out as a read, keeping its bytes after 6 (a verify leaves the written
// data there). False without a whole reply.
bool readBack(HidLink& link, const HidReport& request, uint8_t* out);
// Clears TransferActive (sets RobotRestarting when asked), releases the claim, shows the status.
void endTransfer(const TransferContext& ctx, bool robotRestarting);

}  // namespace trovel
