// trovel-cli: headless front end over the core, for teachers checking programs and for scripts.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/app_folder.h"
#include "base/locale_id.h"
#include "base/message_format.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "app/app_config.h"
#include "app/program_info.h"
#include "cli/cli_common.h"
#include "cli/cli_help.h"
#include "cli/course_command.h"
#include "cli/grade_command.h"
#include "cli/print_command.h"
#include "cli/render_command.h"
#include "cli/robot_command.h"
#include "cli/simulate_command.h"
#include "model/compiler.h"
#include "model/option_flags.h"
#include "model/program_file.h"
#include "model/repeat_check.h"
#include "model/sequence_decoder.h"
#include "model/text_convert.h"

namespace {

using namespace trovel;

// A numbered string as the terminal shows it, in the language chosen by chooseLanguage.
std::string text(uint16_t id) { return toUtf8(resString(id)); }

// The language of every text: "--lang", else TROVEL_LANG; without either the built-in Japanese
// texts whatever the locale, so that a script gets the same words on every machine. Returns the
// locale id chosen, 0 for the built-in Japanese.
uint32_t chooseLanguage(const std::string& lang) {
    const EnvLookup env = processEnvironment();
    const uint32_t locale = userLocaleId(lang, [&env](const char* name) -> std::optional<std::string> {
        if (std::string_view(name) == "TROVEL_LANG") return env(name);
        return std::nullopt;
    });
    if (locale == 0) return 0;
    const std::filesystem::path folder = resolveAppFolder({}, env, executablePath());
    chooseResourceLibrary(resolveDataPath(kResourceListFile, folder), locale, folder);
    return locale;
}

int usage() {
    std::cerr << text(Str::CliBadArguments) << "\n";
    return kExitBadInput;
}

// Value of "--name VALUE" among the arguments, or "" when absent.
std::string option(const std::vector<std::string>& args, const std::string& name) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name) return args[i + 1];
    return {};
}

bool load(BlockProgram& program, const std::string& path) {
    const LoadResult r = loadProgram(program, path);
    if (r.ok()) return true;
    std::cerr << path << ": " << loadFailureText(r);
    if (r.status == LoadStatus::Damaged) std::cerr << " (" << r.reason << ")";
    std::cerr << "\n";
    return false;
}

int compileCommand(const std::vector<std::string>& args) {
    if (args.empty()) return usage();
    BlockProgram program;
    if (!load(program, args[0])) return kExitBadInput;
    CompileResult r = compileProgram(program);
    if (r.status == CompileStatus::TooLarge) {
        std::cerr << toUtf8(tooLargeMessage(resString(Str::ProgramTooLarge), r.bytesOver)) << "\n";
        return kExitTooLarge;
    }
    if (r.status == CompileStatus::BrokenRepeat) {
        std::cerr << args[0] << ": " << toUtf8(formatMessage(resString(Str::CliBrokenRepeat), {r.blockIndex})) << "\n";
        return kExitBadInput;
    }
    for (int i = 0; i < r.image.instructionCount(); ++i) {
        Instruction ins = r.image.instruction(i);
        std::printf("%02X %02X %02X %02X\n", ins[0], ins[1], ins[2], ins[3]);
    }
    std::string out = option(args, "--out");
    if (!out.empty()) {
        std::ofstream file(out, std::ios::binary);
        file.write(reinterpret_cast<const char*>(r.image.bytes.data()), r.image.length);
        if (!file.flush()) {
            std::cerr << out << ": " << text(Str::CliCannotWriteImage) << "\n";
            return kExitBadInput;
        }
    }
    return kExitOk;
}

int checkCommand(const std::vector<std::string>& args) {
    if (args.empty()) return usage();
    BlockProgram program;
    if (!load(program, args[0])) return kExitBadInput;
    std::printf("%d\n", checkRepeatStructure(program, OptionFlags().bits()));
    return kExitOk;
}

int decodeCommand(const std::vector<std::string>& args) {
    std::string out = option(args, "--out");
    if (args.empty() || out.empty()) return usage();
    std::ifstream file(args[0], std::ios::binary);
    if (!file) {
        std::cerr << args[0] << ": " << text(Str::CliCannotOpen) << "\n";
        return kExitBadInput;
    }
    std::vector<char> bytes(kSequenceBytes);
    file.read(bytes.data(), kSequenceBytes);
    BlockProgram program;
    decodeSequence(program, reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<size_t>(file.gcount()));
    if (!saveProgram(program, out)) {
        std::cerr << out << ": " << text(Str::CliCannotWriteProgram) << "\n";
        return kExitBadInput;
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    // "--name=value" is the same as "--name value".
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const size_t eq = word.find('=');
        if (word.rfind("--", 0) == 0 && eq != std::string::npos) {
            args.push_back(word.substr(0, eq));
            args.push_back(word.substr(eq + 1));
        } else {
            args.push_back(word);
        }
    }
    // "--lang X" belongs to no command: it may stand anywhere.
    std::string lang;
    for (size_t i = 0; i + 1 < args.size();) {
        if (args[i] != "--lang") {
            ++i;
            continue;
        }
        lang = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    }
    const uint32_t locale = chooseLanguage(lang);
    if (args.empty()) return usage();
    const std::string command = args.front();
    args.erase(args.begin());
    const InfoRequest info = infoRequest(command.rfind("--", 0) == 0 ? std::vector<std::string>{command} : args);
    if (info == InfoRequest::Version) return std::printf("%s", versionText("trovel-cli").c_str()) < 0;
    if (info == InfoRequest::Help) {
        std::string help = command.rfind("--", 0) == 0 ? cliHelpText() : commandHelpText(command);
        // "trovel-cli course build --help" describes the subcommand when it has its own text.
        if (!args.empty() && args[0].rfind("--", 0) != 0)
            if (std::string own = commandHelpText(command + " " + args[0]); !own.empty()) help = own;
        if (help.empty()) return usage();
        return std::printf("%s", help.c_str()) < 0;
    }
    if (command == "compile") return compileCommand(args);
    if (command == "check") return checkCommand(args);
    if (command == "decode") return decodeCommand(args);
    if (command == "render") return renderCommand(args, locale);
    if (command == "simulate") {
        const AppFolders folders = commandFolders(std::nullopt);
        return simulateCommand(args, folders.shared, folders.user);
    }
    if (command == "grade") {
        const AppFolders folders = commandFolders(std::nullopt);
        return gradeCommand(args, folders.shared, locale, folders.user);
    }
    if (command == "print") return printCommand(args, locale);
    if (command == "course") return courseCommand(args, locale);
    // robot.ini: the user's, else the site's, else the shipped one.
    if (command == "robot")
        return robotCommand(args, readableUserFile(commandFolders(std::nullopt), u"robot.ini").parent_path());
    return usage();
}
