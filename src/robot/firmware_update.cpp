#include "robot/firmware_update.h"

#include <algorithm>
#include <span>

#include "robot/hid_report.h"

namespace trovel {

namespace {

// Reads back what `request` wrote; only bytes below `end` count.
TransferFailure checkWritten(HidLink& link, const HidReport& request, uint32_t end) {
    const int n = request[6];
    uint8_t stored[kMaxBootData];
    if (!readBack(link, request, stored)) return TransferFailure::NoReply;
    const uint32_t address = requestAddress(request);
    for (int i = 0; i < n && address + i < end; ++i)
        if (request[kReportBytes - n + i] != stored[i]) return TransferFailure::Verify;
    return TransferFailure::None;
}

// One erase-and-write attempt; None when the robot holds the whole firmware and the motor speeds.
TransferFailure writeFirmware(const TransferContext& ctx, const std::vector<uint8_t>& image, MotorSpeeds speeds,
                              bool& erased) {
    HidDevice* device = ctx.link.device();
    if (!device) return TransferFailure::NoReply;
    erased = true;  // a failed write may still have reached the robot
    if (!sendReport(*device, bootRequest(BootCommand::Erase, kEraseFirmware, 0))) return TransferFailure::NoReply;
    const size_t length = std::min<size_t>(image.size(), kFirmwareEnd);
    // Chunks counted from the whole length: past the image they carry 0xFF, which leaves
    // programmed flash as it is.
    const int chunks = static_cast<int>(length / kChunkBytes) + 1;
    ctx.progress.showStep(TransferStep::WritingFirmware);
    ctx.progress.setRange(0, chunks);
    ctx.progress.setPosition(0);
    for (int j = 0; j < chunks; ++j) {
        const size_t from = kFirmwareAddress + static_cast<size_t>(kChunkBytes) * j;
        const size_t count = from < length ? std::min<size_t>(kChunkBytes, length - from) : 0;
        const HidReport request =
            bootRequest(BootCommand::Write, static_cast<uint32_t>(from), kChunkBytes,
                        std::span<const uint8_t>(image.data() + std::min(from, length), count), 0xFF);
        if (!sendReport(*device, request)) return TransferFailure::NoReply;
        // Read back as the download does: a flash that did not take is no update.
        if (const TransferFailure f = checkWritten(ctx.link, request, kFirmwareEnd); f != TransferFailure::None)
            return f;
        ctx.progress.setPosition(j);
    }
    ctx.progress.setPosition(chunks);
    ctx.progress.showStep(TransferStep::WritingMemoryMap);
    const HidReport map = memoryMapWriteRequest(kFirmwareMemoryMapAddress, speeds.left, speeds.right);
    if (!sendReport(*device, map)) return TransferFailure::NoReply;
    return checkWritten(ctx.link, map, UINT32_MAX);
}

}  // namespace

FirmwareResult firmwareUpdate(const TransferContext& ctx, const std::vector<uint8_t>& image, MotorSpeeds speeds,
                              const RetryQuestion& retry) {
    FirmwareResult result;
    HidLink& link = ctx.link;
    // A robot left in its boot loader by an unfinished update never answers as connected.
    const bool resuming = link.state().firmwareIncomplete();
    result.status = claimLink(ctx, !resuming);
    if (result.status != TransferStatus::Done) {
        if (result.status == TransferStatus::Failed) result.failure = TransferFailure::Busy;
        return result;
    }
    if (resuming && !link.device()) link.findRobot();

    bool reached = false;
    if (startBootLoader(ctx, reached) == TransferStatus::Failed) {
        result.status = TransferStatus::Failed;
        result.failure = TransferFailure::NotSent;
        endTransfer(ctx, false);
        return result;
    }
    ctx.progress.showStep(TransferStep::ErasingFirmware);
    ctx.progress.setRange(0, static_cast<int>(image.size() % 65536));
    ctx.progress.setPosition(0);
    bool erased = false;
    for (;;) {
        ++result.attempts;
        // Without the boot loader the writes would go to the running firmware and be lost.
        result.failure = reached ? writeFirmware(ctx, image, speeds, erased) : TransferFailure::NoBootLoader;
        if (result.failure == TransferFailure::None) break;
        if (!retry || !retry()) {
            result.status = TransferStatus::Failed;
            result.abandoned = true;
            // No leave sequence after an erase: a half-written firmware must not be started. The
            // robot waits in its boot loader and the next update starts from there.
            if (erased) link.state().setFirmwareIncomplete(true);
            result.incomplete = erased;
            link.closeDevice();
            endTransfer(ctx, false);
            return result;
        }
        link.closeDevice();
        ctx.progress.showStep(TransferStep::Reconnecting);
        reached = waitForBootLoader(ctx, true);
        ctx.progress.showStep(TransferStep::ErasingFirmware);
    }
    link.state().setFirmwareIncomplete(false);
    ctx.progress.showStep(TransferStep::LeavingBootLoader);
    leaveBootLoader(link);
    // The new firmware is whole, but it does not run until the robot restarts.
    const bool restarted = confirmRestart(ctx);
    link.closeDevice();
    result.status = restarted ? TransferStatus::Done : TransferStatus::Failed;
    result.failure = restarted ? TransferFailure::None : TransferFailure::NotRestarted;
    endTransfer(ctx, false);
    return result;
}

FirmwareCheck verifyFirmware(const TransferContext& ctx, const std::vector<uint8_t>& image) {
    FirmwareCheck check;
    HidLink& link = ctx.link;
    const bool incomplete = link.state().firmwareIncomplete();
    check.status = claimLink(ctx, !incomplete);
    if (check.status != TransferStatus::Done) {
        if (check.status == TransferStatus::Failed) check.failure = TransferFailure::Busy;
        return check;
    }
    if (!link.device()) link.findRobot();
    bool reached = false;
    check.status = startBootLoader(ctx, reached);
    if (check.status == TransferStatus::Failed) check.failure = TransferFailure::NotSent;
    if (check.status == TransferStatus::Done && !reached) {
        check.status = TransferStatus::Failed;
        check.failure = TransferFailure::NoBootLoader;
    }
    const uint32_t end = static_cast<uint32_t>(std::min<size_t>(image.size(), kFirmwareEnd));
    if (check.status == TransferStatus::Done) ctx.progress.showStep(TransferStep::ComparingFirmware);
    ctx.progress.setRange(0, end > kFirmwareAddress ? static_cast<int>(end - kFirmwareAddress) : 0);
    for (uint32_t address = kFirmwareAddress; check.status == TransferStatus::Done && address < end;
         address += kChunkBytes) {
        uint8_t stored[kChunkBytes];
        if (!readBack(link, bootRequest(BootCommand::Read, address, kChunkBytes, {}, 0xFF), stored)) {
            check.status = TransferStatus::Failed;
            check.failure = TransferFailure::NoReply;
            break;
        }
        for (uint32_t i = 0; i < kChunkBytes && address + i < end; ++i) {
            if (stored[i] == image[address + i]) continue;
            check.status = TransferStatus::Failed;
            check.failure = TransferFailure::Verify;
            check.firstDifference = address + i;
            break;
        }
        ctx.progress.setPosition(static_cast<int>(address - kFirmwareAddress));
    }
    if (reached && !incomplete) {
        ctx.progress.showStep(TransferStep::LeavingBootLoader);
        leaveBootLoader(link);
        check.leftInBootLoader = !confirmRestart(ctx);
    }
    link.closeDevice();
    endTransfer(ctx, false);
    return check;
}

}  // namespace trovel
