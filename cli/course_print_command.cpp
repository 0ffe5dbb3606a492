#include "cli/course_print_command.h"

#include <charconv>
#include <cmath>
#include <iostream>

#include "base/message_format.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "cli/cli_common.h"
#include "model/text_convert.h"
#include "cli/course_command.h"
#include "sim/course_config.h"
#include "sim/course_install.h"
#include "sim/printable_course.h"

#ifdef TROVEL_HAVE_RENDER
#include "sim/gui/course_print_file.h"
#endif

namespace trovel {

namespace {

constexpr const char* kUsage =
    "usage: trovel-cli course print COURSE_NUMBER|COURSE_FILE --paper A4|A3 [--landscape] [--size WxH_mm] "
    "[--poster] --out course.pdf [--app-dir DIR]\n";

int bad(const std::string& message) {
    std::cerr << "course print: " << message << "\n" << kUsage;
    return kExitBadInput;
}

int failed(const std::string& message) {
    std::cerr << "course print: " << message << "\n";
    return kExitBadInput;
}

std::optional<int> courseNumber(const std::string& word) {
    int n = -1;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
    if (ec != std::errc() || end != word.data() + word.size() || n < 0) return std::nullopt;
    return n;
}

// The course named on the command line, or a message and false: an installed course by its
// number, or a course file drawn as installing it would draw it (nothing is installed).
bool findCourse(const std::string& word, const AppFolders& folders, PrintableCourse& course, std::string& why) {
    CourseSet set;
    const bool haveConfig = loadCourseConfig(set, folders.shared, {}, folders.user).loaded;
    if (const std::optional<int> n = courseNumber(word)) {
        int count = 0;
        switch (installedCourse(folders.shared, *n, course, &count, folders.user)) {
        case CourseLookup::Found: return true;
        case CourseLookup::NoConfig:
            why = (folders.shared / "texture.ini").string() + ": " + toUtf8(resString(Str::CourseConfigMissing));
            return false;
        case CourseLookup::NoSuchCourse:
            why = "course " + word + " is not installed (" + std::to_string(count) + " courses)";
            return false;
        case CourseLookup::NoPicture: why = toUtf8(resString(Str::PrintNoPicture)); return false;
        }
    }
    const float robotHalf = haveConfig ? set.robotHalf : kDefaultRobotHalf;
    CourseDesign design;
    CoursePicture drawn;
    const InstallResult r = drawCourseFile(word, design, drawn, robotHalf);
    if (!r.ok()) {
        why = courseFileProblem(word, r);
        return false;
    }
    course.picture = std::make_shared<const CoursePicture>(std::move(drawn));
    course.name = design.nameJa.empty() ? design.nameEn : design.nameJa;
    course.englishName = design.nameEn;
    course.index = -1;
    course.user = true;
    course.robotHalf = robotHalf;
    return true;
}

}  // namespace

std::optional<MatSize> parseMatSize(std::string_view text) {
    size_t cross = text.find_first_of("xX");
    size_t crossLength = 1;
    if (cross == std::string_view::npos) {
        cross = text.find("\xC3\x97");  // ×
        crossLength = 2;
    }
    if (cross == std::string_view::npos) return std::nullopt;
    auto number = [](std::string_view part) -> std::optional<double> {
        double v = 0;
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
        if (part.empty() || ec != std::errc() || end != part.data() + part.size() || !std::isfinite(v) || !(v > 0))
            return std::nullopt;
        return v;
    };
    const std::optional<double> w = number(text.substr(0, cross));
    const std::optional<double> h = number(text.substr(cross + crossLength));
    if (!w || !h) return std::nullopt;
    return MatSize{*w, *h};
}

int coursePrintCommand(const std::vector<std::string>& args, const AppFolders& defaultFolders, uint32_t localeId) {
    (void)localeId;  // the language was chosen for the whole process
    std::string courseWord;
    AppFolders folders = defaultFolders;
    std::optional<Paper> paper;
    bool landscape = false, poster = false;
    std::optional<MatSize> size;
    std::filesystem::path out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word.rfind("--", 0) != 0) {
            if (!courseWord.empty()) return bad("more than one course: " + word);
            courseWord = word;
            continue;
        }
        if (word == "--landscape" || word == "--poster") {
            (word == "--poster" ? poster : landscape) = true;
            continue;
        }
        if (i + 1 >= args.size()) return bad(word + " needs a value");
        const std::string& value = args[++i];
        if (word == "--out") {
            out = value;
        } else if (word == "--app-dir") {
            folders = commandFolders(std::filesystem::path(value));
        } else if (word == "--paper") {
            paper = parsePaper(value);
            if (!paper) return bad("bad --paper " + value + " (A4 or A3)");
        } else if (word == "--size") {
            size = parseMatSize(value);
            if (!size) return bad("bad --size " + value + " (width x height in mm, such as 1400x1000)");
        } else {
            return bad("unknown option " + word);
        }
    }
    if (courseWord.empty()) return bad("no course");
    if (out.empty()) return bad("no --out file");
    // A poster is one page of the mat's own size: no paper to choose.
    if (!paper && !poster) return bad("no --paper (A4 or A3)");

    PrintableCourse course;
    std::string why;
    if (!findCourse(courseWord, folders, course, why)) return failed(why);
#ifdef TROVEL_HAVE_RENDER
    // The course's name as the simulator's course menu gives it: a language pack's own name for a
    // shipped course, the English name of the user's own when a language pack is in use.
    std::u16string name;
    if (course.user) name = stringPackInUse() ? course.englishName : std::u16string();
    else if (course.index >= 0 && course.index < 100) name = resString(uint16_t(Str::FirstCourseName + course.index));
    if (name.empty()) name = course.name;
    CoursePrintOptions options;
    options.paper = paper.value_or(Paper::A4);
    options.landscape = landscape;
    options.poster = poster;
    options.size = size;
    options.out = out;
    CoursePrintSummary summary;
    switch (printCourseFile(course, name, options, summary)) {
    case CoursePrintStatus::Written: break;
    case CoursePrintStatus::NoPicture: return failed(toUtf8(resString(Str::PrintNoPicture)));
    case CoursePrintStatus::BadSize:
        return failed(
            toUtf8(formatMessage(resString(Str::PrintMatOutOfRange), {int(kMinMatSideMm), int(kMaxMatSideMm)})));
    case CoursePrintStatus::TooManyPages:
        return failed(toUtf8(formatMessage(resString(Str::PrintTooManyPages), {kMaxPrintPages})));
    case CoursePrintStatus::CannotWrite: return failed(out.string() + ": " + toUtf8(resString(Str::PrintFailed)));
    }
    std::cout << "{\"course\":" << course.index << ",\"pages\":" << summary.pages << ",\"rows\":" << summary.rows
              << ",\"columns\":" << summary.columns << ",\"scale\":" << decimalText(summary.mmPerUnit, 4)
              << ",\"size_mm\":[" << decimalText(summary.mat.width) << "," << decimalText(summary.mat.height)
              << "],\"paper\":" << (poster ? std::string("null") : "\"" + std::string(paperName(options.paper)) + "\"")
              << ",\"landscape\":" << (landscape && !poster ? "true" : "false")
              << ",\"poster\":" << (poster ? "true" : "false") << "}\n";
    return std::cout.flush() ? kExitOk : kExitBadInput;
#else
    std::cerr << "course print: this trovel-cli was built without the PDF writer\n";
    return kExitBadInput;
#endif
}

}  // namespace trovel
