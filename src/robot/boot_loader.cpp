#include "robot/boot_loader.h"

#include "robot/hid_report.h"

namespace trovel {

bool EnterBootLoader(HidLink& link) {
    HidDevice* device = link.device();
    return device && sendReport(*device, commandReport(AppCommand::EnterBootLoader));
}

bool WaitForBootLoader(const TransferContext& ctx, bool progress) {
    HidLink& link = ctx.link;
    if (progress) {
        ctx.progress.setRange(0, 60);
        ctx.progress.setPosition(0);
    }
    for (int pass = 1;; ++pass) {
        link.sleepFor(link.timing().reconnectStepMs);
        if (!link.device()) {
            link.findRobot();
        } else {
            HidReport reply{};
            if (!exchange(*link.device(), commandReport(AppCommand::Probe), reply, link.timing().reportTimeoutMs))
                link.closeDevice();  // the robot went away to restart
            else if (reply[1] != AppCommand::ProbeAnswer)
                return true;
        }
        if (pass >= link.timing().reconnectPasses || ctx.cancelled()) return false;
        if (progress) ctx.progress.setPosition(pass);
    }
}

bool LeaveBootLoader(HidLink& link) {
    HidDevice* device = link.device();
    if (!device) return false;
    const uint8_t zero = 0;
    sendReport(*device, bootRequest(BootCommand::Write, kBootFlagAddress, 1, {&zero, 1}));
    return sendReport(*device, commandReport(BootCommand::Reset));
}

TransferStatus claimLink(const TransferContext& ctx) {
    ctx.progress.setRange(0, 500);
    const ClaimResult claim = ctx.link.claimForTransfer(ctx.cancel, [&](int step) { ctx.progress.setPosition(step); });
    if (claim == ClaimResult::GaveUp) return TransferStatus::GaveUp;
    if (claim == ClaimResult::StillBusy) return TransferStatus::Failed;
    ctx.link.flags().set(Option::TransferActive);
    return TransferStatus::Done;
}

TransferStatus startBootLoader(const TransferContext& ctx, bool& reached) {
    reached = false;
    ctx.progress.showStep(StepText::StartingBootLoader);
    ctx.progress.setPosition(0);
    if (!EnterBootLoader(ctx.link)) return TransferStatus::Failed;
    if (ctx.cancelled()) return TransferStatus::Cancelled;
    ctx.progress.showStep(StepText::Reconnecting);
    reached = WaitForBootLoader(ctx, true);
    return ctx.cancelled() ? TransferStatus::Cancelled : TransferStatus::Done;
}

void endTransfer(const TransferContext& ctx, bool robotRestarting) {
    OptionFlags& flags = ctx.link.flags();
    flags.clear(Option::TransferActive);
    if (robotRestarting) flags.set(Option::RobotRestarting);
    ctx.link.release();
    ctx.link.state().showStatus(flags);
}

}  // namespace trovel
