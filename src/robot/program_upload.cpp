#include "robot/program_upload.h"

#include <algorithm>

#include "model/sequence_code.h"
#include "robot/hid_report.h"

namespace trovel {

namespace {

constexpr uint32_t kReadLimit = 0x4220;  // 22 requests of 48 bytes from 0x3E00

bool fail(UploadResult& result, TransferFailure failure) {
    result.failure = failure;
    return false;
}

// Reads the same bytes twice: a link that garbles or shifts replies cannot answer the same twice.
bool readSteadily(HidLink& link, const HidReport& request, uint8_t* out, UploadResult& result) {
    const int n = request[6];
    uint8_t again[kMaxBootData];
    if (!readBack(link, request, out) || !readBack(link, request, again)) return fail(result, TransferFailure::NoReply);
    if (!std::equal(out, out + n, again)) return fail(result, TransferFailure::Unsteady);
    return true;
}

bool readRobot(const TransferContext& ctx, UploadResult& result) {
    HidLink& link = ctx.link;
    if (!link.device()) return fail(result, TransferFailure::NoReply);
    ctx.progress.setPosition(8);
    ctx.progress.showStep(TransferStep::ReadingSequence);
    ctx.progress.setPosition(0);
    bool ended = false;
    for (uint32_t address = kSequenceAddress; address < kReadLimit && !ended; address += kChunkBytes) {
        const HidReport request = bootRequest(BootCommand::Read, address, kChunkBytes, {}, 0xFF);
        uint8_t chunk[kChunkBytes];
        if (!readSteadily(link, request, chunk, result)) return false;
        for (int i = 0; i < kChunkBytes; i += kInstructionBytes) {
            const uint8_t* word = chunk + i;
            if (std::all_of(word, word + kInstructionBytes, [](uint8_t b) { return b == 0xFF; })) {
                ended = true;  // erased flash: the end of the program
                break;
            }
            if (result.sequence.size() + kInstructionBytes > static_cast<size_t>(kSequenceBytes)) {
                ended = true;
                break;
            }
            result.sequence.insert(result.sequence.end(), word, word + kInstructionBytes);
        }
        if (ctx.cancelled()) return true;
    }
    ctx.progress.setPosition(8);

    ctx.progress.showStep(TransferStep::ReadingMemoryMap);
    uint8_t map[kMemoryMapBytes];
    if (!readSteadily(link, bootRequest(BootCommand::Read, kMemoryMapAddress, kMemoryMapBytes), map, result))
        return false;
    result.speeds = motorSpeedsFromGains(map[MemoryMap::LeftMotorSetting], map[MemoryMap::RightMotorSetting]);

    // A half-written firmware must not be started: such a robot stays where it was met.
    if (link.state().firmwareIncomplete()) {
        result.leftInBootLoader = true;
    } else {
        ctx.progress.showStep(TransferStep::LeavingBootLoader);
        leaveBootLoader(link);
        result.leftInBootLoader = !confirmRestart(ctx);
    }
    link.closeDevice();
    return true;
}

}  // namespace

UploadResult uploadProgram(const TransferContext& ctx) {
    UploadResult result;
    HidLink& link = ctx.link;
    // A robot waiting in its boot loader is never "connected", and the link opens and closes it
    // as it tries to send it back; the read opens it itself.
    const bool fromBootLoader = link.state().inBootLoader();
    if (!fromBootLoader && !link.deviceOpen()) {
        result.status = TransferStatus::GaveUp;
        return result;
    }
    result.status = claimLink(ctx, !fromBootLoader);
    if (result.status != TransferStatus::Done) {
        if (result.status == TransferStatus::Failed) result.failure = TransferFailure::Busy;
        return result;
    }
    if (!link.device() && !link.findRobot()) {
        result.status = TransferStatus::GaveUp;
        endTransfer(ctx, false);
        return result;
    }

    // What the running firmware answers to boot-loader reads is no program.
    result.status = reachBootLoader(ctx, result.failure);
    if (result.status == TransferStatus::Done) {
        if (!readRobot(ctx, result)) result.status = TransferStatus::Failed;
        else if (ctx.cancelled()) result.status = TransferStatus::Cancelled;
    }
    if (result.status != TransferStatus::Done) result.sequence.clear();
    endTransfer(ctx, false);
    return result;
}

}  // namespace trovel
