#include "robot/gui/robot_commands.h"

#include <QApplication>
#include <QFileDialog>

#include "base/gui/ui_text.h"
#include "base/gui/user_question.h"
#include "base/string_ids.h"
#include "model/compiler.h"
#include "model/sequence_decoder.h"
#include "robot/firmware_update.h"
#include "robot/gui/transfer_dialog.h"
#include "robot/hex_image.h"
#include "robot/program_download.h"
#include "robot/program_upload.h"

namespace trovel {

namespace {

QString caption() { return uiText(Str::MessageCaption); }

// Through `asker` where the owner gave one, else in the studio's box over `parent`.
QMessageBox::StandardButton tell(const Asker& asker, QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok) {
    const Question question{text, icon, buttons};
    return asker ? asker(question) : askInBox(parent, caption(), question);
}

bool ask(const Asker& asker, QWidget* owner, const QString& text) {
    return tell(asker, owner, text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// `orInBootLoader`: a robot that answers as its boot loader will do (it can be read from).
bool requireConnected(const Asker& asker, QWidget* owner, HidLink& link, bool orInBootLoader = false) {
    if (link.flags().has(Option::Connected) || (orInBootLoader && link.state().inBootLoader())) return true;
    tell(asker, owner, uiText(Str::ConnectRobot), QMessageBox::Warning);
    return false;
}

QString hexProblem(const HexLoadResult& r) {
    switch (r.status) {
    case HexStatus::BadRecord:
    case HexStatus::BadChecksum: return uiFormat(Str::FirmwareFileBroken, {r.line});
    case HexStatus::OutOfRange: return uiFormat(Str::FirmwareFileOutOfRange, {r.line});
    case HexStatus::NoFirmwareData: return uiText(Str::FirmwareFileEmpty);
    case HexStatus::Loaded:
    case HexStatus::CannotOpen: break;
    }
    return {};
}

// What the user is told beyond the failure message itself.
QString failureDetail(TransferFailure failure) {
    const int id = transferFailureString(failure);
    return id ? uiText(uint16_t(id)) : QString();
}

QString withDetail(const QString& text, const QString& detail) {
    return detail.isEmpty() ? text : text + QStringLiteral("\r\n\r\n") + detail;
}

}  // namespace

bool writeProgramToRobot(QWidget* owner, const BlockProgram& program, HidLink& link, MotorSpeeds speeds,
                         const WriteProgramHooks& hooks) {
    if (!requireConnected(hooks.asker, owner, link)) return false;
    if (!ask(hooks.asker, owner, uiText(Str::ConfirmWriteProgram))) return false;
    if (hooks.repeatCheckAllowsWrite && !hooks.repeatCheckAllowsWrite()) return false;
    if (!requireConnected(hooks.asker, owner, link)) return false;

    const CompileResult compiled = compileProgram(program);
    if (!compiled.ok()) {
        if (compiled.status == CompileStatus::TooLarge)
            tell(hooks.asker, owner,
                 toQString(tooLargeMessage(toU16(uiText(Str::ProgramTooLarge)), compiled.bytesOver)),
                 QMessageBox::Warning);
        else  // a repeat block without its partner, from an old file or a robot: never silent
            tell(hooks.asker, owner, uiText(Str::RepeatUnjoinedCannotWrite), QMessageBox::Warning);
        return false;
    }
    DownloadResult result;
    TransferDialog dialog(link, uiText(Str::RobotWriteTitle), true, owner);
    dialog.run([&](const TransferContext& ctx) { result = downloadProgram(ctx, compiled.image, speeds); });
    if (result.status == TransferStatus::Done)
        tell(hooks.asker, owner, uiText(Str::WriteDone), QMessageBox::Information);
    if (result.verifyError) tell(hooks.asker, owner, uiText(Str::WriteVerifyError), QMessageBox::Critical);
    // Written and verified: no error, but the pupil must restart the robot by hand.
    if (result.failure == TransferFailure::NotRestarted)
        tell(hooks.asker, owner, withDetail(uiText(Str::WriteNotRestarted), failureDetail(result.failure)),
             QMessageBox::Warning);
    else if (result.status == TransferStatus::Failed) {
        QString detail = failureDetail(result.failure);
        if (result.erased) detail = withDetail(detail, uiText(Str::RobotProgramErased)).trimmed();
        tell(hooks.asker, owner, withDetail(uiText(Str::WriteFailed), detail), QMessageBox::Warning);
    }
    // Cancelled after the erase: the robot must not be taken to hold a program.
    if (result.status == TransferStatus::Cancelled && result.erased)
        tell(hooks.asker, owner, uiFormat(Str::WriteCancelledErased, {toU16(uiText(Str::RobotProgramErased))}),
             QMessageBox::Warning);
    return result.status == TransferStatus::Done;
}

bool readProgramFromRobot(QWidget* owner, BlockProgram& program, HidLink& link, MotorSpeeds& speeds,
                          const ReadProgramHooks& hooks) {
    if (!requireConnected(hooks.asker, owner, link, true)) return false;
    if (!ask(hooks.asker, owner, uiText(Str::ConfirmReadProgram))) return false;
    if (hooks.beforeTransfer && !hooks.beforeTransfer()) return false;
    if (!requireConnected(hooks.asker, owner, link, true)) return false;

    UploadResult result;
    {
        TransferDialog dialog(link, uiText(Str::RobotReadTitle), true, owner, uiText(Str::TransferReading));
        dialog.run([&](const TransferContext& ctx) { result = uploadProgram(ctx); });
    }
    if (result.status == TransferStatus::Failed)
        tell(hooks.asker, owner, withDetail(uiText(Str::ReadFailed), failureDetail(result.failure)),
             QMessageBox::Warning);
    if (result.status == TransferStatus::Done) {
        // An erased robot decodes to no blocks at all, not even Start: the pupil's program is worth more.
        BlockProgram decoded;
        decodeSequence(decoded, result.sequence.data(), result.sequence.size());
        if (decoded.blocks.empty()) {
            tell(hooks.asker, owner, uiText(Str::ReadNoProgram), QMessageBox::Information);
            if (hooks.afterTransfer) hooks.afterTransfer();
            return false;
        }
        // Decoded here, on the thread that owns the program.
        decodeSequence(program, result.sequence.data(), result.sequence.size());
        speeds = result.speeds;
        if (hooks.programReplaced) hooks.programReplaced();
        QString detail;
        if (result.leftInBootLoader)
            detail =
                uiText(link.state().firmwareIncomplete() ? Str::FirmwarePartlyWritten : Str::RobotStaysInBootLoader);
        tell(hooks.asker, owner, withDetail(uiText(Str::ReadDone), detail),
             detail.isEmpty() ? QMessageBox::Information : QMessageBox::Warning);
    }
    if (hooks.afterTransfer) hooks.afterTransfer();
    return result.status == TransferStatus::Done;
}

bool updateFirmware(QWidget* owner, HidLink& link, MotorSpeeds speeds, const QString& appFolder,
                    const std::function<QString()>& chooseFile, const Asker& asker) {
    if (!ask(asker, owner, uiText(Str::ConfirmFirmware))) return false;

    HexLoadResult hex;
    FirmwareResult result;
    bool started = false;
    TransferDialog dialog(link, uiText(Str::FirmwareTitle), false, owner);
    // The file is chosen with the progress dialog already open; cancelling closes it.
    const auto chooseAndRead = [&] {
        const QString path =
            chooseFile ? chooseFile()
                       : QFileDialog::getOpenFileName(&dialog, uiText(Str::ChooseFirmwareFile), appFolder,
                                                      QStringLiteral("hex (*.hex)"), nullptr, QFileDialog::ReadOnly);
        if (path.isEmpty()) return false;
        hex = loadHexImage(std::filesystem::path(toU16(path)));
        if (hex.status == HexStatus::CannotOpen) return false;
        if (!hex.ok()) {
            tell(asker, &dialog, hexProblem(hex), QMessageBox::Critical);
            return false;
        }
        return started = true;
    };
    const RetryQuestion retry = [&] {
        return dialog.askOnUiThread([&] {
            return tell(asker, &dialog, uiText(Str::FirmwareRetry), QMessageBox::Critical,
                        QMessageBox::Ok | QMessageBox::Abort) == QMessageBox::Ok;
        });
    };
    dialog.run([&](const TransferContext& ctx) { result = firmwareUpdate(ctx, hex.image, speeds, retry); },
               chooseAndRead);
    if (!started) return false;
    if (result.status == TransferStatus::Done) {
        tell(asker, owner, uiText(Str::FirmwareDone), QMessageBox::Information);
        return true;
    }
    if (result.failure == TransferFailure::NotRestarted) {
        tell(asker, owner, withDetail(uiText(Str::FirmwareNotRestarted), failureDetail(result.failure)),
             QMessageBox::Warning);
    } else if (result.status == TransferStatus::Failed) {
        QString detail = result.abandoned ? QString() : failureDetail(result.failure);
        if (result.incomplete) detail = uiText(Str::FirmwarePartlyWritten);
        tell(asker, owner, withDetail(uiText(Str::FirmwareFailed), detail), QMessageBox::Critical);
    }
    return false;
}

}  // namespace trovel
