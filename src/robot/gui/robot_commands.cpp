#include "robot/gui/robot_commands.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "app/gui/ui_text.h"
#include "app/string_ids.h"
#include "model/compiler.h"
#include "model/sequence_decoder.h"
#include "robot/firmware_update.h"
#include "robot/gui/transfer_dialog.h"
#include "robot/hex_image.h"
#include "robot/program_download.h"
#include "robot/program_upload.h"

namespace trovel {

namespace {

const QString kWriteTitle = QStringLiteral("データの書き込み");
const QString kFirmwareTitle = QStringLiteral("ファームウェアの書き換え");

QString caption() { return uiText(Str::MessageCaption); }

bool ask(QWidget* owner, const QString& text) {
    return QMessageBox::question(owner, caption(), text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool requireConnected(QWidget* owner, HidLink& link) {
    if (link.flags().has(Option::Connected)) return true;
    QMessageBox::warning(owner, caption(), uiText(Str::ConnectRobot));
    return false;
}

QString hexProblem(const HexLoadResult& r) {
    switch (r.status) {
    case HexStatus::BadRecord:
    case HexStatus::BadChecksum:
        return QStringLiteral("ファームウェアのファイルが壊れています。(%1行目)\r\nファームウェアは書き換えませんでした。").arg(r.line);
    case HexStatus::OutOfRange:
        return QStringLiteral("ファームウェアのファイルに範囲外のアドレスがあります。(%1行目)\r\nファームウェアは書き換えませんでした。").arg(r.line);
    case HexStatus::NoFirmwareData:
        return QStringLiteral("ファームウェアのファイルに書き込むデータがありません。\r\nファームウェアは書き換えませんでした。");
    case HexStatus::Loaded:
    case HexStatus::CannotOpen:
        break;
    }
    return {};
}

// What the user is told beyond the failure message itself.
QString failureDetail(TransferFailure failure) {
    switch (failure) {
    case TransferFailure::NotSent:
        return QStringLiteral("ロボットに命令を送れませんでした。");
    case TransferFailure::NoBootLoader:
        return QStringLiteral("ロボットがブートローダーに切り替わりませんでした。ロボットのデータはそのままです。");
    case TransferFailure::NoReply:
        return QStringLiteral("ロボットから正しい応答がありませんでした。");
    case TransferFailure::Unsteady:
        return QStringLiteral("ロボットからの応答が一定しませんでした。");
    case TransferFailure::Busy:
        return QStringLiteral("ロボットとの通信が空きませんでした。");
    case TransferFailure::Verify:
    case TransferFailure::None:
        break;
    }
    return {};
}

QString withDetail(const QString& text, const QString& detail) {
    return detail.isEmpty() ? text : text + QStringLiteral("\r\n\r\n") + detail;
}

const QString kProgramErased = QStringLiteral("ロボットのプログラムは消去されたか、途中までしか書き込まれていません。");

}  // namespace

bool writeProgramToRobot(QWidget* owner, const BlockProgram& program, HidLink& link, MotorSpeeds speeds,
                         const WriteProgramHooks& hooks) {
    if (!requireConnected(owner, link)) return false;
    if (!ask(owner, QStringLiteral("現在編集しているプログラムをロボットに書き込みます。\r\nよろしいですか？"))) return false;
    if (hooks.repeatCheckAllowsWrite && !hooks.repeatCheckAllowsWrite()) return false;
    if (!requireConnected(owner, link)) return false;

    const CompileResult compiled = compileProgram(program);
    if (!compiled.ok()) {
        if (compiled.status == CompileStatus::TooLarge)
            QMessageBox::warning(owner, caption(),
                                 toQString(tooLargeMessage(toU16(uiText(Str::ProgramTooLarge)), compiled.bytesOver)));
        else  // a repeat block without its partner, from an old file or a robot: never silent
            QMessageBox::warning(owner, caption(),
                                 QStringLiteral("くり返しのつながりが正しくありません。\r\nプログラムを書き込めません。"));
        return false;
    }
    DownloadResult result;
    TransferDialog dialog(link, kWriteTitle, true, owner);
    dialog.run([&](const TransferContext& ctx) { result = DownloadProgram(ctx, compiled.image, speeds); });
    if (result.verifyError)
        QMessageBox::critical(owner, caption(), QStringLiteral("<Verify error>\r\n正しいデータが書き込まれていません"));
    if (result.status == TransferStatus::Failed) {
        QString detail = failureDetail(result.failure);
        if (result.erased) detail = withDetail(detail, kProgramErased).trimmed();
        QMessageBox::warning(owner, caption(),
                             withDetail(QStringLiteral("プログラムの書き込み中にエラーが発生しました。\r\nロボットとPCをつなぎなおして、もう一度プログラムを書き込んでください。"),
                                        detail));
    }
    // Cancelled after the erase: the robot must not be taken to hold a program.
    if (result.status == TransferStatus::Cancelled && result.erased)
        QMessageBox::warning(owner, caption(),
                             QStringLiteral("書き込みを中断しました。\r\n") + kProgramErased +
                                 QStringLiteral("\r\nもう一度プログラムを書き込んでください。"));
    return result.status == TransferStatus::Done;
}

bool readProgramFromRobot(QWidget* owner, BlockProgram& program, HidLink& link, MotorSpeeds& speeds,
                          const ReadProgramHooks& hooks) {
    if (!requireConnected(owner, link)) return false;
    if (!ask(owner, QStringLiteral("ロボットからプログラムを読み込みますか?\r\n\r\n※この機能は、ロボットに書き込んだプログラムを完全に復元することはできません。\r\nプロックの配置や一部の数値設定はもとのプログラムと異なる場合があります。")))
        return false;
    if (hooks.beforeTransfer && !hooks.beforeTransfer()) return false;
    if (!requireConnected(owner, link)) return false;

    UploadResult result;
    {
        TransferDialog dialog(link, kWriteTitle, true, owner);
        dialog.run([&](const TransferContext& ctx) { result = UploadProgram(ctx); });
    }
    if (result.status == TransferStatus::Failed)
        QMessageBox::warning(owner, caption(),
                             withDetail(QStringLiteral("プログラムの読み込みに失敗しました。"), failureDetail(result.failure)));
    if (result.status == TransferStatus::Done) {
        // Decoded here, on the thread that owns the program.
        DecodeSequence(program, result.sequence.data(), result.sequence.size());
        speeds = result.speeds;
        if (hooks.programReplaced) hooks.programReplaced();
        QMessageBox::information(owner, caption(), QStringLiteral("プログラムの読み込みが完了しました。"));
    }
    if (hooks.afterTransfer) hooks.afterTransfer();
    return result.status == TransferStatus::Done;
}

bool updateFirmware(QWidget* owner, HidLink& link, MotorSpeeds speeds, const QString& appFolder,
                    const std::function<QString()>& chooseFile) {
    if (!ask(owner, uiText(Str::ConfirmFirmware))) return false;

    HexLoadResult hex;
    FirmwareResult result;
    bool started = false;
    TransferDialog dialog(link, kFirmwareTitle, false, owner);
    // The file is chosen with the progress dialog already open; cancelling closes it.
    const auto chooseAndRead = [&] {
        const QString path =
            chooseFile ? chooseFile()
                       : QFileDialog::getOpenFileName(&dialog, QStringLiteral("書き換えるファームウェアのファイル読み込み"),
                                                      appFolder, QStringLiteral("hex (*.hex)"), nullptr,
                                                      QFileDialog::ReadOnly);
        if (path.isEmpty()) return false;
        hex = LoadHexImage(std::filesystem::path(toU16(path)));
        if (hex.status == HexStatus::CannotOpen) return false;
        if (!hex.ok()) {
            QMessageBox::critical(&dialog, caption(), hexProblem(hex));
            return false;
        }
        return started = true;
    };
    const RetryQuestion retry = [&] {
        return dialog.askOnUiThread([&] {
            return QMessageBox::critical(&dialog, caption(),
                                         QStringLiteral("ファームウェアの書き換えに失敗しました。\r\n\r\n再び書き込みを行ないますので、一度ロボットとPCを接続しなおして\r\n数十秒待ってから「OK」をクリックしてください。"),
                                         QMessageBox::Ok | QMessageBox::Abort) == QMessageBox::Ok;
        });
    };
    dialog.run([&](const TransferContext& ctx) { result = FirmwareUpdate(ctx, hex.image, speeds, retry); }, chooseAndRead);
    if (!started) return false;
    if (result.status == TransferStatus::Done) {
        QMessageBox::information(owner, caption(), QStringLiteral("ファームウェアのアップデートが完了しました。"));
        return true;
    }
    if (result.status == TransferStatus::Failed) {
        QString detail = result.abandoned ? QString() : failureDetail(result.failure);
        if (result.incomplete)
            detail = QStringLiteral("ファームウェアは途中までしか書き込まれていません。ロボットはブートローダーのまま待っています。\r\nもう一度「ファームウェア書き換え」を行ってください。");
        QMessageBox::critical(owner, caption(), withDetail(QStringLiteral("ファームウェアの書き換えに失敗しました。"), detail));
    }
    return false;
}

}  // namespace trovel
