#include "cli/course_command.h"

#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "base/message_format.h"
#include "base/picture_file.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "cli/cli_common.h"
#include "cli/course_print_command.h"
#include "model/text_convert.h"
#include "sim/course_config.h"
#include "sim/course_file.h"
#include "sim/course_install.h"
#include "sim/lap_records.h"

namespace trovel {

namespace {

// What every course subcommand gets: its own words and options, the language and the streams.
struct CourseCall {
    std::string name;                                         // "build", "list", ...
    std::vector<std::string> args;                            // every word after the subcommand, as given
    std::vector<std::string> words;                           // the arguments that are no option
    std::map<std::string, std::string, std::less<>> options;  // "--name" -> value, as the subcommand declares them
    std::set<std::string, std::less<>> flags;                 // "--name" without a value
    uint32_t localeId = 0;
    std::ostream& out;
    std::ostream& err;

    std::optional<std::filesystem::path> appDir() const {
        auto found = options.find("--app-dir");
        return found == options.end() ? std::nullopt : std::optional<std::filesystem::path>(found->second);
    }
};

// A numbered string in the language in use, on one line (the message is one JSON value).
std::string text(uint16_t id, std::initializer_list<MessageArg> args = {}) {
    std::string line;
    for (char c : toUtf8(formatMessage(resString(id), args))) {
        if (c == '\r') continue;
        line += c == '\n' ? ' ' : c;
    }
    return line;
}

int answer(const CourseCall& call, const std::string& status, const std::string& message, int code,
           const std::string& extra = {}) {
    call.out << "{\"command\":" << jsonQuoted("course " + call.name) << ",\"status\":" << jsonQuoted(status)
             << ",\"message\":" << jsonQuoted(message) << extra << "}\n";
    return code;
}

int failed(const CourseCall& call, const std::string& message) {
    return answer(call, "failed", message, kExitBadInput);
}

std::string shown(const std::filesystem::path& path) { return toUtf8(pathText(path)); }

// The course's name in the language in use, as the simulator shows it: a language pack's own name
// for a shipped course, the English name of a user course when a language pack is in use.
std::u16string nameInUse(const CourseSet& set, int course) {
    const CourseRecord& c = set.courses[size_t(course)];
    if (c.userEntry >= 0) return stringPackInUse() && !c.englishName.empty() ? c.englishName : c.name;
    if (course < 100) {
        const std::u16string translated = resString(uint16_t(Str::FirstCourseName + course));
        if (!translated.empty()) return translated;
    }
    return c.name;
}

// The courses as the simulator loads them; false (after answering) when texture.ini cannot be read.
bool loadCourses(const CourseCall& call, const AppFolders& folders, CourseSet& set, int& code) {
    const CourseLoadResult loaded = loadCourseConfig(set, folders.shared, {}, folders.user);
    for (const CourseMessage& m : loaded.messages)
        call.err << toUtf8(formatMessage(resString(courseMessageId(m.problem)), {m.file, m.expected})) << "\n";
    if (loaded.loaded) return true;
    code = failed(call, shown(folders.shared / "texture.ini") + ": " + text(Str::CourseConfigMissing));
    return false;
}

std::string pictureProblem(const InstallResult& r) {
    const std::u16string file = pathText(r.pictureFile);
    switch (r.picture) {
    case PictureStatus::CannotOpen: return text(Str::CoursePictureMissing, {file});
    case PictureStatus::NotPicture: return text(Str::CoursePictureNotPicture, {file});
    case PictureStatus::Unsupported: return text(Str::CoursePictureUnsupported, {file});
    case PictureStatus::Interlaced: return text(Str::CoursePictureInterlaced, {file});
    case PictureStatus::TooLarge: return text(Str::CoursePictureTooLarge, {file, int(kPictureMaxPixels)});
    case PictureStatus::Scaled: return text(Str::CoursePictureScaled, {file});
    default: return text(Str::CoursePictureDamaged, {file});
    }
}

}  // namespace

std::string courseFileProblem(const std::filesystem::path& file, const InstallResult& r) {
    if (r.error == InstallError::Picture) return shown(file) + ": " + pictureProblem(r);
    const CourseFileWords w = courseFileWords(r.file);
    return shown(file) + ": " + text(w.id, {w.first, w.second});
}

namespace {

int buildCourse(const CourseCall& call) {
    if (call.words.size() != 1) return failed(call, text(Str::CliCourseWrongArguments, {fromUtf8(call.name)}));
    const std::filesystem::path file = call.words[0];
    const AppFolders folders = commandFolders(call.appDir());
    CourseSet set;
    int code = kExitBadInput;
    if (!loadCourses(call, folders, set, code)) return code;

    const InstallResult r = installCourseFile(file, folders.user, set.robotHalf);
    switch (r.error) {
    case InstallError::None: break;
    case InstallError::CourseFile:
    case InstallError::Picture: return failed(call, courseFileProblem(file, r));
    case InstallError::TooManyCourses: return failed(call, text(Str::CourseInstallTooMany, {kMaxUserCourses}));
    case InstallError::CannotWrite: return failed(call, text(Str::CourseInstallCannotWrite, {pathText(r.pictureFile)}));
    }

    if (!loadCourses(call, folders, set, code)) return code;
    int course = -1;
    for (int i = 0; i < courseCount(set); ++i)
        if (set.courses[size_t(i)].userEntry == r.entry) course = i;
    if (course < 0) return failed(call, text(Str::CliCourseNotLoaded));
    const CourseRecord& c = set.courses[size_t(course)];
    std::string message =
        text(r.replaced ? Str::CourseReinstalled : Str::CourseInstalled, {course, nameInUse(set, course)});
    if (r.recordReset) message += ' ' + text(Str::CourseRecordDropped);
    if (r.picture == PictureStatus::Scaled) message += ' ' + pictureProblem(r);
    const std::string extra =
        ",\"course\":" + std::to_string(course) + ",\"entry\":" + std::to_string(r.entry) +
        ",\"name\":" + jsonQuoted(toUtf8(c.name)) + ",\"name_en\":" + jsonQuoted(toUtf8(c.englishName)) +
        ",\"replaced\":" + (r.replaced ? "true" : "false") + ",\"record_reset\":" + (r.recordReset ? "true" : "false") +
        ",\"picture\":" + jsonQuoted(shown(userCoursesFolder(folders.user) / pathFromText(courseKey(file) + u".bmp")));
    return answer(call, "ok", message, kExitOk, extra);
}

int listCourses(const CourseCall& call) {
    if (!call.words.empty()) return failed(call, text(Str::CliCourseWrongArguments, {fromUtf8(call.name)}));
    const AppFolders folders = commandFolders(call.appDir());
    CourseSet set;
    int code = kExitBadInput;
    if (!loadCourses(call, folders, set, code)) return code;
    // As the studio reads them: the shipped times, then the user's own where they are kept apart.
    LapRecords records;
    readRecords(records, set, folders.shared);
    if (folders.user != folders.shared) readRecords(records, set, folders.user);
    std::string list = ",\"courses\":[";
    for (int i = 0; i < courseCount(set); ++i) {
        const CourseRecord& c = set.courses[size_t(i)];
        if (i) list += ',';
        list += "{\"course\":" + std::to_string(i) + ",\"name\":" + jsonQuoted(toUtf8(nameInUse(set, i))) +
                ",\"user\":" + (c.userEntry >= 0 ? "true" : "false") +
                ",\"timed\":" + ((c.judgingFlags & JudgeFlag::Timed) ? "true" : "false") +
                ",\"checkpoints\":" + std::to_string(c.checkpoints.size()) +
                ",\"best_ms\":" + (bestTime(records, i) < kNoRecordMs ? std::to_string(bestTime(records, i)) : "null") +
                "}";
    }
    return answer(call, "ok", text(Str::CliCourseCount, {courseCount(set)}), kExitOk, list + "]");
}

// Printing reads its own options and writes its own JSON line (course_print_command.h).
int printCourse(const CourseCall& call) {
    return coursePrintCommand(call.args, commandFolders(std::nullopt), call.localeId);
}

// The subcommands; a new one is a function and a row here, with the options it takes.
struct Subcommand {
    std::string_view name;
    int (*run)(const CourseCall&);
    std::initializer_list<std::string_view> valueOptions;  // "--name VALUE"
    std::initializer_list<std::string_view> flags;         // "--name"
    bool ownOptions = false;                               // the subcommand reads `args` itself
};
const Subcommand kSubcommands[] = {
    {"build", buildCourse, {"--app-dir"}, {}},
    {"list", listCourses, {"--app-dir"}, {}},
    {"print", printCourse, {}, {}, true},
};

bool among(std::initializer_list<std::string_view> names, std::string_view name) {
    for (std::string_view n : names)
        if (n == name) return true;
    return false;
}

}  // namespace

int runCourseCommand(const std::vector<std::string>& args, uint32_t localeId, std::ostream& out, std::ostream& err) {
    CourseCall call{args.empty() ? std::string() : args[0], {}, {}, {}, {}, localeId, out, err};
    const Subcommand* chosen = nullptr;
    for (const Subcommand& s : kSubcommands)
        if (s.name == call.name) chosen = &s;
    if (!chosen) return failed(call, text(Str::CliCourseUnknownCommand, {fromUtf8(call.name)}));
    if (!args.empty()) call.args.assign(args.begin() + 1, args.end());
    if (chosen->ownOptions) return chosen->run(call);
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (among(chosen->valueOptions, a) && i + 1 < args.size()) {
            call.options[a] = args[++i];
        } else if (among(chosen->flags, a)) {
            call.flags.insert(a);
        } else if (a.rfind("--", 0) == 0) {
            return failed(call, text(Str::CliRobotUnknownOption, {fromUtf8(a)}));
        } else {
            call.words.push_back(a);
        }
    }
    return chosen->run(call);
}

int courseCommand(const std::vector<std::string>& args, uint32_t localeId) {
    return runCourseCommand(args, localeId, std::cout, std::cerr);
}

}  // namespace trovel
