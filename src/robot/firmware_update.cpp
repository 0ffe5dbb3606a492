#include "robot/firmware_update.h"

#include <algorithm>
#include <span>

#include "robot/hid_report.h"

namespace trovel {

namespace {

constexpr std::u16string_view kErasingText = u"ファームエリアの消去";
constexpr std::u16string_view kWritingText = u"ファームウェアの書き込み";

bool writeFirmware(const TransferContext& ctx, const std::vector<uint8_t>& image, MotorSpeeds speeds) {
    HidDevice* device = ctx.link.device();
    if (!device) return false;
    bool good = sendReport(*device, bootRequest(BootCommand::Erase, kEraseFirmware, 0));
    if (good) {
        const size_t length = std::min<size_t>(image.size(), kFirmwareEnd);
        // Chunks counted from the whole length: past the image they carry 0xFF, which leaves
        // programmed flash as it is.
        const int chunks = static_cast<int>(length / kChunkBytes) + 1;
        ctx.progress.showStep(kWritingText);
        ctx.progress.setRange(0, chunks);
        ctx.progress.setPosition(0);
        for (int j = 0; j < chunks; ++j) {
            const size_t from = kFirmwareAddress + static_cast<size_t>(kChunkBytes) * j;
            const size_t count = from < length ? std::min<size_t>(kChunkBytes, length - from) : 0;
            const HidReport request = bootRequest(BootCommand::Write, static_cast<uint32_t>(from), kChunkBytes,
                                                  std::span<const uint8_t>(image.data() + std::min(from, length), count),
                                                  0xFF);
            if (!sendReport(*device, request)) {
                good = false;
                break;
            }
            ctx.progress.setPosition(j);
        }
        ctx.progress.setPosition(chunks);
    }
    ctx.progress.showStep(StepText::WritingMemoryMap);
    const bool mapWritten = sendReport(*device, memoryMapWriteRequest(kFirmwareMemoryMapAddress, speeds.left, speeds.right));
    return good && mapWritten;
}

}  // namespace

FirmwareResult FirmwareUpdate(const TransferContext& ctx, const std::vector<uint8_t>& image, MotorSpeeds speeds,
                              const RetryQuestion& retry) {
    FirmwareResult result;
    result.status = claimLink(ctx);
    if (result.status != TransferStatus::Done) return result;

    bool reached = false;
    if (startBootLoader(ctx, reached) == TransferStatus::Failed) {
        result.status = TransferStatus::Failed;
        endTransfer(ctx, false);
        return result;
    }
    ctx.progress.showStep(kErasingText);
    for (;;) {
        ++result.attempts;
        // Without the boot loader the writes would go to the running firmware and be lost.
        if (reached && writeFirmware(ctx, image, speeds)) break;
        if (!retry || !retry()) {
            result.status = TransferStatus::Failed;
            result.abandoned = true;
            endTransfer(ctx, false);
            return result;
        }
        ctx.link.closeDevice();
        ctx.progress.showStep(StepText::Reconnecting);
        reached = WaitForBootLoader(ctx, true);
        ctx.progress.showStep(kErasingText);
    }
    ctx.progress.showStep(StepText::LeavingBootLoader);
    LeaveBootLoader(ctx.link);
    ctx.link.closeDevice();
    result.status = TransferStatus::Done;
    endTransfer(ctx, false);
    return result;
}

}  // namespace trovel
