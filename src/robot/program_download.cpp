#include "robot/program_download.h"

#include <algorithm>
#include <span>

#include "robot/hid_report.h"

namespace trovel {

namespace {

constexpr std::u16string_view kErasingText = u"シーケンスエリアを消去します";
constexpr std::u16string_view kWritingText = u"シーケンスを書き込んでいます...";
constexpr int kProgressSteps = 8;

// Erase, chunks with read-back, memory map; false on the first failure.
bool writeSequence(const TransferContext& ctx, const SequenceImage& image, MotorSpeeds speeds, DownloadResult& result) {
    HidLink& link = ctx.link;
    const int timeout = link.timing().reportTimeoutMs;
    HidDevice* device = link.device();
    ctx.progress.showStep(kErasingText);
    ctx.progress.setRange(0, kProgressSteps);
    ctx.progress.setPosition(0);
    // The erase selector goes in byte 2, where the address starts.
    if (!device || !sendReport(*device, bootRequest(BootCommand::Erase, kEraseSequence, 0))) return false;
    ctx.progress.setPosition(kProgressSteps);
    if (ctx.cancelled()) return true;

    const int size = std::clamp(image.length, 0, kSequenceBytes);
    ctx.progress.showStep(kWritingText);
    ctx.progress.setPosition(0);
    // size / 48 + 1 chunks: a size that is a multiple of 48 ends with an all-zero chunk.
    int sent = 0;
    for (int k = 0; k <= size / kChunkBytes; ++k) {
        const uint32_t address = kSequenceAddress + kChunkBytes * k;
        const int count = std::min(kChunkBytes, size - sent);
        HidReport request = bootRequest(BootCommand::Write, address, kChunkBytes,
                                        std::span<const uint8_t>(image.bytes.data() + sent, count));
        if (!sendReport(*device, request)) return false;
        sent += count;
        ctx.progress.setPosition(size > 0 ? sent * kProgressSteps / size : kProgressSteps);

        request[1] = BootCommand::Read;
        HidReport reply{};
        if (!exchange(*device, request, reply, timeout)) return false;
        for (int i = 0; i < kChunkBytes; ++i) {
            if (address + i >= kSequenceEnd) break;
            if (request[kChunkDataOffset + i] != reply[kChunkDataOffset + i]) {
                result.verifyError = true;
                result.verifyAddress = address + i;
                return false;
            }
        }
        if (ctx.cancelled()) return true;
    }
    ctx.progress.setPosition(kProgressSteps);

    ctx.progress.showStep(StepText::WritingMemoryMap);
    if (!sendReport(*device, memoryMapWriteRequest(kMemoryMapAddress, speeds.left, speeds.right))) return false;
    ctx.progress.showStep(StepText::LeavingBootLoader);
    LeaveBootLoader(link);
    link.closeDevice();
    return true;
}

}  // namespace

DownloadResult DownloadProgram(const TransferContext& ctx, const SequenceImage& image, MotorSpeeds speeds) {
    DownloadResult result;
    if (!ctx.link.deviceOpen()) {
        result.status = TransferStatus::GaveUp;
        return result;
    }
    result.status = claimLink(ctx);
    if (result.status != TransferStatus::Done) return result;
    ctx.link.state().showStatus(ctx.link.flags());

    bool reached = false;
    result.status = startBootLoader(ctx, reached);
    if (result.status == TransferStatus::Done) {
        const bool ok = writeSequence(ctx, image, speeds, result);
        if (!ok) result.status = TransferStatus::Failed;
        else if (ctx.cancelled()) result.status = TransferStatus::Cancelled;
    }
    // Also after an error or a cancel: the label shows "書込中" until the robot answers again.
    endTransfer(ctx, true);
    return result;
}

}  // namespace trovel
