#include "robot/boot_loader.h"

#include <algorithm>
#include <chrono>

#include "base/string_ids.h"
#include "robot/hid_report.h"

namespace trovel {

int transferFailureString(TransferFailure failure) {
    switch (failure) {
    case TransferFailure::NotSent: return Str::RobotNotSent;
    case TransferFailure::NoBootLoader: return Str::RobotNoBootLoader;
    case TransferFailure::NoReply: return Str::RobotNoReply;
    case TransferFailure::Unsteady: return Str::RobotUnsteady;
    case TransferFailure::Busy: return Str::RobotBusy;
    case TransferFailure::NotRestarted: return Str::RobotStaysInBootLoader;
    case TransferFailure::Verify:
    case TransferFailure::None: break;
    }
    return 0;
}

int transferStepString(TransferStep step) {
    switch (step) {
    case TransferStep::StartingBootLoader: return Str::StepStartingBootLoader;
    case TransferStep::Reconnecting: return Str::StepReconnecting;
    case TransferStep::ErasingSequence: return Str::StepErasingSequence;
    case TransferStep::WritingSequence: return Str::StepWritingSequence;
    case TransferStep::ReadingSequence: return Str::StepReadingSequence;
    case TransferStep::ReadingMemoryMap: return Str::StepReadingMemoryMap;
    case TransferStep::WritingMemoryMap: return Str::StepWritingMemoryMap;
    case TransferStep::ErasingFirmware: return Str::StepErasingFirmware;
    case TransferStep::WritingFirmware: return Str::StepWritingFirmware;
    case TransferStep::ComparingFirmware: return Str::StepComparingFirmware;
    case TransferStep::LeavingBootLoader: return Str::StepLeavingBootLoader;
    case TransferStep::CheckingRestart: return Str::StepCheckingRestart;
    }
    return Str::TransferWriting;
}

bool enterBootLoader(HidLink& link) {
    HidDevice* device = link.device();
    return device && sendReport(*device, commandReport(AppCommand::EnterBootLoader));
}

bool waitForBootLoader(const TransferContext& ctx, bool progress) {
    HidLink& link = ctx.link;
    if (progress) {
        ctx.progress.setRange(0, 60);
        ctx.progress.setPosition(0);
    }
    // The limit is time, not passes: a silent robot's probe time-outs must not stretch the wait.
    const LinkClock& clock = link.timing().clock;
    const auto step = std::chrono::milliseconds(link.timing().reconnectStepMs);
    const auto start = linkNow(clock);
    const auto limit = step * link.timing().reconnectPasses;
    for (;;) {
        link.sleepFor(link.timing().reconnectStepMs);
        if (!link.device()) {
            link.findRobot();
        } else {
            const ProbeAnswer answer = probeRobot(*link.device(), link.timing().reportTimeoutMs);
            if (answer == ProbeAnswer::BootLoader) return true;
            if (answer == ProbeAnswer::None) link.closeDevice();  // the robot went away to restart
        }
        const auto elapsed = linkNow(clock) - start;
        if (elapsed >= limit || ctx.cancelled()) return false;
        if (progress && step.count() > 0) ctx.progress.setPosition(static_cast<int>(elapsed / step));
    }
}

bool leaveBootLoader(HidLink& link) {
    HidDevice* device = link.device();
    if (!device) return false;
    const uint8_t zero = 0;
    sendReport(*device, bootRequest(BootCommand::Write, kBootFlagAddress, 1, {&zero, 1}));
    return sendReport(*device, commandReport(BootCommand::Reset));
}

bool confirmRestart(const TransferContext& ctx) {
    HidLink& link = ctx.link;
    ctx.progress.showStep(TransferStep::CheckingRestart);
    // A robot that acts on the reset drops off the bus at once: its old device stops answering.
    // Only a boot loader that still answers on it, step after step, is taken to have stayed.
    bool stayed = link.device() != nullptr;
    for (int i = 0; i < kRestartChecks && stayed; ++i) {
        if (!link.sleepFor(link.timing().reconnectStepMs)) return true;  // closing down: nobody waits for the answer
        HidDevice* device = link.device();
        stayed = device && probeRobot(*device, link.timing().reportTimeoutMs) == ProbeAnswer::BootLoader;
    }
    link.state().setInBootLoader(stayed);
    return !stayed;
}

TransferStatus claimLink(const TransferContext& ctx, bool requireConnection) {
    ctx.progress.setRange(0, 500);
    const ClaimResult claim = ctx.link.claimForTransfer(
        ctx.cancel, [&](int step) { ctx.progress.setPosition(step); }, requireConnection);
    if (claim == ClaimResult::GaveUp) return TransferStatus::GaveUp;
    if (claim == ClaimResult::StillBusy) return TransferStatus::Failed;
    ctx.link.flags().set(Option::TransferActive);
    return TransferStatus::Done;
}

TransferStatus startBootLoader(const TransferContext& ctx, bool& reached) {
    reached = false;
    ctx.progress.showStep(TransferStep::StartingBootLoader);
    ctx.progress.setPosition(0);
    if (!enterBootLoader(ctx.link)) return TransferStatus::Failed;
    if (ctx.cancelled()) return TransferStatus::Cancelled;
    ctx.progress.showStep(TransferStep::Reconnecting);
    reached = waitForBootLoader(ctx, true);
    return ctx.cancelled() ? TransferStatus::Cancelled : TransferStatus::Done;
}

TransferStatus reachBootLoader(const TransferContext& ctx, TransferFailure& failure) {
    bool reached = false;
    const TransferStatus status = startBootLoader(ctx, reached);
    if (status == TransferStatus::Failed) failure = TransferFailure::NotSent;
    if (status != TransferStatus::Done || reached) return status;
    failure = TransferFailure::NoBootLoader;
    return TransferStatus::Failed;
}

bool readBack(HidLink& link, const HidReport& request, uint8_t* out) {
    HidDevice* device = link.device();
    if (!device) return false;
    HidReport read = request;
    read[1] = BootCommand::Read;
    const int n = read[6];
    HidReport reply{};
    if (n < 1 || n > kMaxBootData || !exchange(*device, read, reply, link.timing().reportTimeoutMs)) return false;
    std::copy(reply.end() - n, reply.end(), out);
    return true;
}

void endTransfer(const TransferContext& ctx, bool robotRestarting) {
    OptionFlags& flags = ctx.link.flags();
    flags.clear(Option::TransferActive);
    if (robotRestarting) flags.set(Option::RobotRestarting);
    ctx.link.release();
    ctx.link.state().showStatus(flags);
}

}  // namespace trovel
