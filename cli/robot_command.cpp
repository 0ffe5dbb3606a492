#include "cli/robot_command.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>

#include "base/message_format.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "cli/cli_common.h"
#include "model/compiler.h"
#include "model/program_file.h"
#include "model/sequence_decoder.h"
#include "model/text_convert.h"
#include "robot/firmware_update.h"
#include "robot/hex_image.h"
#include "robot/hid_report.h"
#include "robot/hidapi_device.h"
#include "robot/program_download.h"
#include "robot/program_upload.h"
#include "robot/robot_usb_id.h"
#include "robot/virtual_robot.h"

namespace trovel {

namespace {

struct Options {
    std::string command;
    std::string file;  // program, HEX file, or the --out of read
    std::string virtualState;
    std::vector<RobotFaultAt> faults;
    std::string robotUsb;
    std::optional<MotorSpeeds> speeds;
};

std::string jsonText(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
            continue;
        }
        out += c;
    }
    return out + "\"";
}

int answer(const std::string& command, const std::string& status, const std::string& message, int code,
           const std::string& extra = {}) {
    std::cout << "{\"command\":" << jsonText(command) << ",\"status\":" << jsonText(status)
              << ",\"message\":" << jsonText(message) << extra << "}\n";
    return code;
}

// A numbered string in the language in use, on one line (the message is one JSON value).
std::string text(uint16_t id, std::initializer_list<MessageArg> args = {}) {
    std::string out = toUtf8(args.size() ? formatMessage(resString(id), args) : resString(id));
    std::string line;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\r') continue;
        line += out[i] == '\n' ? ' ' : out[i];
    }
    return line;
}

// Sentences of a message, one after the other: a space after an ASCII full stop, none after a
// Japanese one.
std::string sentences(std::initializer_list<std::string> parts) {
    std::string out;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!out.empty() && static_cast<unsigned char>(out.back()) < 0x80) out += ' ';
        out += part;
    }
    return out;
}

std::u16string wide(const std::string& utf8) { return fromUtf8(utf8); }

std::string failureText(TransferFailure failure) {
    if (failure == TransferFailure::Verify) return text(Str::CliRobotNotWritten);
    const int id = transferFailureString(failure);
    if (failure == TransferFailure::NotRestarted)
        return sentences({text(Str::CliRobotNotRestarted), text(uint16_t(id))});
    return text(uint16_t(id ? id : Str::CliRobotTransferFailed));
}

bool parse(const std::vector<std::string>& args, Options& o, std::string& problem) {
    if (args.empty()) {
        problem = text(Str::CliRobotUsage);
        return false;
    }
    o.command = args[0];
    std::vector<std::string> words;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--usb") {
            o.virtualState.clear();
        } else if (a == "--virtual" && hasValue) {
            o.virtualState = args[++i];
        } else if (a == "--fault" && hasValue) {
            const auto fault = parseRobotFault(args[++i]);
            if (!fault) {
                problem = text(Str::CliRobotUnknownFault, {wide(args[i])});
                return false;
            }
            o.faults.push_back(*fault);
        } else if (a == "--robot-usb" && hasValue) {
            o.robotUsb = args[++i];
        } else if (a == "--out" && hasValue) {
            o.file = args[++i];
        } else if (a == "--speeds" && hasValue) {
            int left = -1, right = -1;
            if (std::sscanf(args[++i].c_str(), "%d,%d", &left, &right) != 2 || left < 0 || left > 100 || right < 0 ||
                right > 100) {
                problem = text(Str::CliRobotSpeeds);
                return false;
            }
            o.speeds = MotorSpeeds{static_cast<uint8_t>(left), static_cast<uint8_t>(right)};
        } else if (a.rfind("--", 0) == 0) {
            problem = text(Str::CliRobotUnknownOption, {wide(a)});
            return false;
        } else {
            words.push_back(a);
        }
    }
    const bool takesFile = o.command == "write" || o.command == "firmware" || o.command == "verify-firmware";
    if (takesFile && words.size() == 1) o.file = words[0];
    else if (!words.empty() || (takesFile && o.file.empty()))
        problem = text(Str::CliRobotWrongArguments, {wide(o.command)});
    else if (o.command == "read" && o.file.empty()) problem = text(Str::CliRobotReadNeedsOut);
    else if (!takesFile && o.command != "read" && o.command != "memory" && o.command != "status")
        problem = text(Str::CliRobotUnknownCommand, {wide(o.command)});
    if (!o.faults.empty() && o.virtualState.empty()) problem = text(Str::CliRobotFaultNeedsVirtual);
    return problem.empty();
}

// An exclusive lock on a file beside the emulated robot's state: one command at a time.
class StateLock {
public:
    explicit StateLock(const std::string& state) {
        m_fd = ::open((state + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        m_locked = m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
    }
    ~StateLock() {
        if (m_fd >= 0) ::close(m_fd);
    }
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;
    bool locked() const { return m_locked; }

private:
    int m_fd = -1;
    bool m_locked = false;
};

// A text progress bar with the stage's text on stderr, drawn only when stderr is a terminal.
TransferProgress terminalProgress() {
    if (!::isatty(STDERR_FILENO)) return {};
    struct Bar {
        int low = 0, high = 0, value = 0;
        std::string stage;
        void draw() const {
            const int span = high > low ? high - low : 1;
            const int filled = std::clamp((value - low) * 30 / span, 0, 30);
            // "\033[K" clears what a longer stage text left behind.
            std::cerr << "\r[" << std::string(filled, '#') << std::string(30 - filled, '.') << "] " << stage << "\033[K"
                      << std::flush;
        }
    };
    auto bar = std::make_shared<Bar>();
    TransferProgress progress;
    progress.step = [bar](TransferStep step) {
        bar->stage = text(static_cast<uint16_t>(transferStepString(step)));
        bar->draw();
    };
    progress.range = [bar](int low, int high) {
        bar->low = low;
        bar->high = high;
        bar->draw();
    };
    progress.position = [bar](int value) {
        bar->value = value;
        bar->draw();
    };
    return progress;
}

int exitFor(TransferStatus status, TransferFailure failure) {
    if (status == TransferStatus::Done) return kExitOk;
    if (status == TransferStatus::GaveUp || failure == TransferFailure::Busy) return kExitNoRobot;
    return kExitFailed;
}

std::string statusFor(TransferStatus status, TransferFailure failure) {
    if (status == TransferStatus::Done) return "ok";
    if (status == TransferStatus::GaveUp) return "not-connected";
    if (failure == TransferFailure::Busy) return "busy";
    return "failed";
}

// What the studio's link thread does after a failed write or read: a robot left in its boot
// loader is sent back to its program.
void sendBack(HidLink& link) {
    // Unless it was met there: then its firmware is taken to be unfinished and must not start.
    if (link.state().firmwareIncomplete() || !link.tryClaim()) return;
    if (!link.device()) link.findRobot();
    if (link.device() && probeRobot(*link.device(), link.timing().reportTimeoutMs) == ProbeAnswer::BootLoader)
        leaveBootLoader(link);
    link.closeDevice();
    link.release();
}

}  // namespace

// Everything the robot is to receive, read and checked before it is contacted. An exit code when
// it cannot be sent, else nothing.
std::optional<int> loadPayload(const Options& o, SequenceImage& image, HexLoadResult& hex) {
    if (o.command == "write") {
        BlockProgram program;
        if (loadProgram(program, o.file).status != LoadStatus::Loaded)
            return answer(o.command, "failed", text(Str::CliRobotNotAProgram, {wide(o.file)}), kExitBadInput);
        const CompileResult compiled = compileProgram(program);
        if (!compiled.ok())
            return answer(o.command, "failed", text(Str::CliRobotDoesNotCompile, {wide(o.file)}), kExitBadInput);
        image = compiled.image;
    } else if (o.command == "firmware" || o.command == "verify-firmware") {
        hex = loadHexImage(o.file);
        if (!hex.ok()) {
            const std::string problem = hex.line > 0 ? text(Str::CliRobotBadHexLine, {wide(o.file), hex.line})
                                                     : text(Str::CliRobotBadHex, {wide(o.file)});
            return answer(o.command, "failed", problem, kExitBadInput);
        }
    }
    return std::nullopt;
}

// The transfer itself, once the robot was found in the mode it needs; the exit code.
int transfer(const Options& o, const TransferContext& ctx, const SequenceImage& image, const HexLoadResult& hex,
             const MotorSpeeds& speeds) {
    if (o.command == "write") {
        const DownloadResult r = downloadProgram(ctx, image, speeds);
        // A robot that did not restart holds the program all the same: say both.
        const std::string written = text(Str::CliRobotBytesWritten, {image.length});
        const std::string message =
            r.status == TransferStatus::Done ? written
            : r.failure == TransferFailure::NotRestarted
                ? sentences({written, failureText(r.failure)})
                : sentences({failureText(r.failure), r.erased ? text(Str::RobotProgramErased) : std::string()});
        return answer(o.command, statusFor(r.status, r.failure), message, exitFor(r.status, r.failure));
    }
    if (o.command == "read") {
        const UploadResult r = uploadProgram(ctx);
        if (r.status != TransferStatus::Done) {
            return answer(o.command, statusFor(r.status, r.failure), failureText(r.failure),
                          exitFor(r.status, r.failure));
        }
        BlockProgram program;
        decodeSequence(program, r.sequence.data(), r.sequence.size());
        // Read all the same from a robot that stays in its boot loader; the message says where it is.
        const std::string stays = !r.leftInBootLoader                     ? std::string()
                                  : ctx.link.state().firmwareIncomplete() ? text(Str::CliRobotStillInBootLoader)
                                                                          : failureText(TransferFailure::NotRestarted);
        return saveProgram(program, o.file)
                   ? answer(o.command, "ok",
                            sentences({text(Str::CliRobotBytesRead, {static_cast<int>(r.sequence.size())}), stays}),
                            kExitOk)
                   : answer(o.command, "failed", o.file + ": " + text(Str::CliCannotWriteProgram), kExitBadInput);
    }
    if (o.command == "firmware") {
        const FirmwareResult r = firmwareUpdate(ctx, hex.image, speeds, [] { return false; });
        const std::string written = text(Str::CliRobotFirmwareWritten);
        const std::string message =
            r.status == TransferStatus::Done ? written
            : r.failure == TransferFailure::NotRestarted
                ? sentences({written, failureText(r.failure)})
                : sentences({failureText(r.failure), r.incomplete ? text(Str::FirmwarePartlyWritten) : std::string()});
        return answer(o.command, statusFor(r.status, r.failure), message, exitFor(r.status, r.failure));
    }
    const FirmwareCheck r = verifyFirmware(ctx, hex.image);
    std::string message = text(Str::CliRobotFirmwareMatches);
    if (r.failure == TransferFailure::Verify) {
        std::ostringstream at;
        at << std::hex << std::uppercase << r.firstDifference;
        message = text(Str::CliRobotFirmwareDiffers, {wide(at.str())});
    } else if (r.status != TransferStatus::Done) {
        message = failureText(r.failure);
    }
    if (r.leftInBootLoader) message = sentences({message, failureText(TransferFailure::NotRestarted)});
    return answer(o.command, statusFor(r.status, r.failure), message, exitFor(r.status, r.failure));
}

int robotCommand(const std::vector<std::string>& args, const std::filesystem::path& appDir) {
    Options o;
    std::string problem;
    if (!parse(args, o, problem)) return answer(o.command, "failed", problem, kExitBadInput);
    RobotUsbId usb;
    if (!chooseRobotUsbId(o.robotUsb, appDir, usb))
        return answer(o.command, "failed", text(Str::BadRobotUsb, {wide(o.robotUsb)}), kExitBadInput);

    SequenceImage image;
    HexLoadResult hex;
    if (const std::optional<int> refused = loadPayload(o, image, hex)) return *refused;

    // The robot: on USB, or emulated with its state in a file.
    LinkTiming timing;
    std::shared_ptr<VirtualRobot> robot;
    std::optional<StateLock> stateLock;
    DeviceFinder finder;
    if (!o.virtualState.empty()) {
        stateLock.emplace(o.virtualState);
        if (!stateLock->locked()) return answer(o.command, "busy", text(Str::CliRobotStateBusy), kExitNoRobot);
        robot = VirtualRobot::create();
        std::error_code error;
        if (std::filesystem::exists(o.virtualState, error) && !robot->load(o.virtualState))
            return answer(o.command, "failed", text(Str::CliRobotBadState, {wide(o.virtualState)}), kExitBadInput);
        for (const RobotFaultAt& fault : o.faults) robot->addFault(fault);
        // No USB in between: replies come at once, a restart takes no time.
        timing.reportTimeoutMs = 200;
        timing.reconnectStepMs = 10;
        robot->setReplyDelays(std::chrono::milliseconds(20), std::chrono::milliseconds(400));
        finder = robot->finder();
    } else {
        finder = hidapiFinder(usb, robotLockFolder());
    }
    OptionFlags flags;
    LinkState state;
    int code = kExitOk;
    {
        HidLink link(std::move(finder), flags, state, timing);
        link.tryClaim();
        const bool found = link.findRobot();
        const ProbeAnswer mode = found ? probeRobot(*link.device(), timing.reportTimeoutMs) : ProbeAnswer::None;
        MemoryImage memory{};
        bool memoryRead = false;
        if (mode == ProbeAnswer::Application) {
            flags.set(Option::Connected);
            memoryRead = readRobotMemory(*link.device(), memory, timing.reportTimeoutMs);
        }
        // A robot met in its boot loader is taken to hold an unfinished firmware: it stays there.
        if (mode == ProbeAnswer::BootLoader) {
            state.setFirmwareIncomplete(true);
            state.setInBootLoader(true);
        }
        link.release();

        // The boot loader reads as well as it writes: only a write and the memory need the program.
        const bool bootLoaderCommand = o.command == "firmware" || o.command == "verify-firmware" || o.command == "read";
        const std::string modeText = mode == ProbeAnswer::Application ? "application" : "boot-loader";
        if (!found) {
            code = state.inUse() ? answer(o.command, "busy", text(Str::CliRobotInUse), kExitNoRobot)
                                 : answer(o.command, "not-connected", text(Str::CliRobotNotFound), kExitNoRobot);
        } else if (mode == ProbeAnswer::None) {
            code = answer(o.command, "not-connected", text(Str::CliRobotSilent), kExitNoRobot);
        } else if (o.command == "status") {
            code = answer(
                o.command, "ok",
                text(mode == ProbeAnswer::Application ? Str::CliRobotRunsProgram : Str::CliRobotWaitsInBootLoader),
                kExitOk, ",\"mode\":\"" + modeText + "\"");
        } else if (mode == ProbeAnswer::BootLoader && !bootLoaderCommand) {
            code = answer(o.command, "not-connected", text(Str::CliRobotStillInBootLoader), kExitNoRobot);
        } else if (o.command == "memory") {
            if (!memoryRead) {
                code = answer(o.command, "failed", text(Str::CliRobotNoMemory), kExitFailed);
            } else {
                std::string list = ",\"memory\":[";
                for (int i = 0; i < MemoryMap::Size; ++i) list += (i ? "," : "") + std::to_string(memory[i]);
                code = answer(o.command, "ok", text(Str::CliRobotBytesRead, {MemoryMap::Size}), kExitOk, list + "]");
            }
        } else {
            // The motor speeds the robot has now, unless given: a write does not change them.
            const MotorSpeeds speeds = o.speeds     ? *o.speeds
                                       : memoryRead ? motorSpeedsFromGains(memory[MemoryMap::LeftMotorSetting],
                                                                           memory[MemoryMap::RightMotorSetting])
                                                    : MotorSpeeds{60, 60};
            const TransferContext ctx{link, nullptr, terminalProgress()};
            link.findRobot();
            code = transfer(o, ctx, image, hex, speeds);
            if (code != kExitOk && (o.command == "write" || o.command == "read")) sendBack(link);
            if (::isatty(STDERR_FILENO)) std::cerr << "\n";
        }
    }
    if (robot && !robot->save(o.virtualState))
        std::cerr << text(Str::CliRobotCannotSaveState, {wide(o.virtualState)}) << "\n";
    return code;
}

}  // namespace trovel
