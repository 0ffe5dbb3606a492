#include "robot/program_download.h"

#include <algorithm>
#include <span>

#include "robot/hid_report.h"

namespace trovel {

namespace {

constexpr int kProgressSteps = 8;

bool fail(DownloadResult& result, TransferFailure failure) {
    result.failure = failure;
    return false;
}

// Reads back what `request` wrote and compares the bytes whose addresses lie below `end`.
bool verifyWrite(HidLink& link, const HidReport& request, uint32_t end, DownloadResult& result) {
    const int n = request[6];
    uint8_t stored[kMaxBootData];
    if (!readBack(link, request, stored)) return fail(result, TransferFailure::NoReply);
    const uint32_t address = requestAddress(request);
    for (int i = 0; i < n; ++i) {
        if (address + i >= end) break;
        if (request[kReportBytes - n + i] != stored[i]) {
            result.verifyError = true;
            result.verifyAddress = address + i;
            return fail(result, TransferFailure::Verify);
        }
    }
    return true;
}

// Erase, chunks with read-back, memory map with read-back; false on the first failure.
bool writeSequence(const TransferContext& ctx, const SequenceImage& image, MotorSpeeds speeds, DownloadResult& result) {
    HidLink& link = ctx.link;
    HidDevice* device = link.device();
    ctx.progress.showStep(TransferStep::ErasingSequence);
    ctx.progress.setRange(0, kProgressSteps);
    ctx.progress.setPosition(0);
    // The erase selector goes in byte 2, where the address starts.
    result.erased = true;  // a failed write may still have reached the robot
    if (!device || !sendReport(*device, bootRequest(BootCommand::Erase, kEraseSequence, 0)))
        return fail(result, TransferFailure::NoReply);
    ctx.progress.setPosition(kProgressSteps);
    if (ctx.cancelled()) return true;

    const int size = std::clamp(image.length, 0, kSequenceBytes);
    ctx.progress.showStep(TransferStep::WritingSequence);
    ctx.progress.setPosition(0);
    // size / 48 + 1 chunks: a size that is a multiple of 48 ends with an all-zero chunk.
    int sent = 0;
    for (int k = 0; k <= size / kChunkBytes; ++k) {
        const uint32_t address = kSequenceAddress + kChunkBytes * k;
        const int count = std::min(kChunkBytes, size - sent);
        const HidReport request = bootRequest(BootCommand::Write, address, kChunkBytes,
                                              std::span<const uint8_t>(image.bytes.data() + sent, count));
        if (!sendReport(*device, request)) return fail(result, TransferFailure::NoReply);
        sent += count;
        ctx.progress.setPosition(size > 0 ? sent * kProgressSteps / size : kProgressSteps);
        if (!verifyWrite(link, request, kSequenceEnd, result)) return false;
        if (ctx.cancelled()) return true;
    }
    ctx.progress.setPosition(kProgressSteps);

    ctx.progress.showStep(TransferStep::WritingMemoryMap);
    const HidReport map = memoryMapWriteRequest(kMemoryMapAddress, speeds.left, speeds.right);
    if (!sendReport(*device, map)) return fail(result, TransferFailure::NoReply);
    // The motor speeds count as written only when the robot holds them.
    if (!verifyWrite(link, map, UINT32_MAX, result)) return false;
    ctx.progress.showStep(TransferStep::LeavingBootLoader);
    leaveBootLoader(link);
    // Written and verified, yet a robot that ignored the reset does not run it.
    result.restarted = confirmRestart(ctx);
    link.closeDevice();
    return result.restarted || fail(result, TransferFailure::NotRestarted);
}

}  // namespace

DownloadResult downloadProgram(const TransferContext& ctx, const SequenceImage& image, MotorSpeeds speeds) {
    DownloadResult result;
    if (!ctx.link.deviceOpen()) {
        result.status = TransferStatus::GaveUp;
        return result;
    }
    result.status = claimLink(ctx);
    if (result.status != TransferStatus::Done) {
        if (result.status == TransferStatus::Failed) result.failure = TransferFailure::Busy;
        return result;
    }
    ctx.link.state().showStatus(ctx.link.flags());

    // Writes to a robot that is not in its boot loader would be lost: nothing is sent.
    result.status = reachBootLoader(ctx, result.failure);
    if (result.status == TransferStatus::Done) {
        const bool ok = writeSequence(ctx, image, speeds, result);
        if (!ok) result.status = TransferStatus::Failed;
        else if (ctx.cancelled()) result.status = TransferStatus::Cancelled;
    }
    // Also after an error or a cancel: the label shows "書込中" until the robot answers again.
    // Not for a robot that stayed in its boot loader: it is not coming back by itself.
    endTransfer(ctx, result.failure != TransferFailure::NotRestarted);
    return result;
}

}  // namespace trovel
