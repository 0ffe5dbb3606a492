#include "cli/grade_command.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <set>
#include <thread>

#include "app/app_config.h"
#include "base/app_folder.h"
#include "base/locale_id.h"
#include "base/resource_library.h"
#include "cli/cli_common.h"
#include "cli/grade_report.h"
#include "model/atomic_file.h"
#include "model/option_flags.h"
#include "model/program_file.h"
#include "model/repeat_check.h"
#include "model/text_convert.h"
#include "sim/run_judge.h"

#ifdef TROVEL_HAVE_RENDER
#include "app/gui/chart_render.h"
#include "sim/gui/path_picture.h"
#endif

namespace trovel {

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kMaxRuns = 100000;
constexpr uint64_t kMaxJobs = 256;
constexpr int kPathPictureWidth = 210;
constexpr int kChartPictureSize = 320;

const char kUsage[] =
    "usage: trovel-cli grade PROGRAMS... [--courses all|N,M,...] [--runs N] [--noise sensor=S,start=D/A,motor=P]"
    " [--seed S] [--jobs J] [--out DIR] [--app-dir DIR] [--gain L,R] [--lang LANG]\n";

bool parseUnsigned(std::string_view text, uint64_t& value) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parseCourses(const std::string& text, std::optional<std::vector<int>>& courses) {
    if (text == "all") {
        courses.reset();
        return true;
    }
    std::vector<int> list;
    size_t from = 0;
    for (;;) {
        size_t comma = text.find(',', from);
        uint64_t n = 0;
        if (!parseUnsigned(std::string_view(text).substr(from, comma - from), n) || n >= uint64_t(kMaxCourses))
            return false;
        if (std::find(list.begin(), list.end(), int(n)) == list.end()) list.push_back(int(n));
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
    courses = list;
    return true;
}

// Names as UTF-8 for the reports; a Shift-JIS name from a zip made on Windows is shown decoded.
std::string shownName(const std::string& bytes) {
    if (toUtf8(fromUtf8(bytes)) == bytes) return bytes;
    return toUtf8(fromCp932(bytes));
}

bool isProgramFile(const fs::directory_entry& e) {
    std::error_code ec;
    if (!e.is_regular_file(ec)) return false;
    std::string ext = e.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".qxp";
}

struct Found {
    std::vector<fs::path> files;
    std::string error;
};

Found findPrograms(const std::vector<fs::path>& inputs) {
    Found found;
    std::set<fs::path> seen;
    for (const fs::path& input : inputs) {
        std::error_code ec;
        if (fs::is_directory(input, ec)) {
            std::vector<fs::path> inFolder;
            for (fs::directory_iterator it(input, ec), end; !ec && it != end; it.increment(ec))
                if (isProgramFile(*it)) inFolder.push_back(it->path());
            if (ec) {
                found.error = input.string() + ": cannot read the folder";
                return found;
            }
            if (inFolder.empty()) {
                found.error = input.string() + ": no .qxp program in the folder";
                return found;
            }
            std::sort(inFolder.begin(), inFolder.end());
            for (fs::path& p : inFolder)
                if (seen.insert(p.lexically_normal()).second) found.files.push_back(p);
        } else if (fs::exists(input, ec)) {
            if (seen.insert(input.lexically_normal()).second) found.files.push_back(input);
        } else {
            found.error = input.string() + ": no such file or folder";
            return found;
        }
    }
    return found;
}

// A report replaces the old one only once it is written whole and on the disk.
bool writeFile(const fs::path& path, const std::string& text) {
    return writeFileAtomically(path, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

// A bar on a terminal only: a log file or a pipe gets no carriage returns.
class ProgressBar {
public:
    explicit ProgressBar(bool shown) : m_shown(shown) {}
    void update(size_t done, size_t total) {
        if (!m_shown || total == 0) return;
        const int width = 40;
        const int filled = int(done * width / total);
        const int percent = int(done * 100 / total);
        if (percent == m_lastPercent && done != total) return;
        m_lastPercent = percent;
        std::fprintf(stderr, "\r[%s%s] %3d%% %zu/%zu runs", std::string(size_t(filled), '#').c_str(),
                     std::string(size_t(width - filled), ' ').c_str(), percent, done, total);
        if (done == total) std::fprintf(stderr, "\n");
        std::fflush(stderr);
    }

private:
    bool m_shown;
    int m_lastPercent = -1;
};

ReportPictures makePictures(const GradeReport& report, const std::vector<fs::path>& files, const CourseSet& courses,
                            const fs::path& appDir, uint32_t localeId, int jobs) {
    ReportPictures pictures;
    pictures.charts.resize(report.programs.size());
    pictures.paths.resize(report.cells.size());
#ifdef TROVEL_HAVE_RENDER
    for (size_t i = 0; i < report.programs.size(); ++i) {
        if (report.programs[i].graded < 0) continue;
        RenderRequest request;
        request.program = files[i];
        request.fit = kChartPictureSize;
        request.appDir = appDir;
        request.localeId = localeId;
        std::vector<uint8_t> png;
        if (renderProgramPng(request, png).status == RenderStatus::Rendered)
            pictures.charts[i].assign(png.begin(), png.end());
    }
    // The path pictures are made on the grading's threads: one for every cell, each its own.
    std::atomic<size_t> next{0};
    auto drawPaths = [&] {
        for (size_t i = next++; i < report.cells.size(); i = next++) {
            const CoursePicture* picture = coursePicture(courses, report.cells[i].course);
            std::vector<uint8_t> png = pathPicturePng(picture, report.cells[i].bestPath, kPathPictureWidth);
            pictures.paths[i].assign(png.begin(), png.end());
        }
    };
    std::vector<std::thread> helpers;
    for (int j = 1; j < jobs; ++j) helpers.emplace_back(drawPaths);
    drawPaths();
    for (std::thread& helper : helpers) helper.join();
#else
    (void)files;
    (void)courses;
    (void)appDir;
    (void)localeId;
    (void)jobs;
#endif
    return pictures;
}

int bad(const std::string& message) {
    std::cerr << "grade: " << message << "\n";
    return kExitBadInput;
}

}  // namespace

GradeArgs parseGradeArgs(const std::vector<std::string>& args, int defaultJobs) {
    GradeArgs parsed;
    parsed.plan.jobs = std::max(defaultJobs, 1);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word.size() <= 2 || word.compare(0, 2, "--") != 0) {
            parsed.inputs.push_back(word);
            continue;
        }
        if (i + 1 >= args.size()) {
            parsed.error = word + " needs a value";
            return parsed;
        }
        const std::string& value = args[++i];
        uint64_t n = 0;
        if (word == "--courses") {
            if (!parseCourses(value, parsed.courses)) parsed.error = "bad --courses " + value + " (all or N,M,...)";
        } else if (word == "--runs") {
            if (!parseUnsigned(value, n) || n < 1 || n > kMaxRuns)
                parsed.error = "bad --runs " + value + " (1.." + std::to_string(kMaxRuns) + ")";
            parsed.plan.runs = int(n);
        } else if (word == "--noise") {
            parseNoise(value, parsed.plan.noise, parsed.error);
        } else if (word == "--seed") {
            if (!parseUnsigned(value, n)) parsed.error = "bad --seed " + value;
            parsed.plan.seed = n;
        } else if (word == "--jobs") {
            if (!parseUnsigned(value, n) || n < 1 || n > kMaxJobs)
                parsed.error = "bad --jobs " + value + " (1.." + std::to_string(kMaxJobs) + ")";
            parsed.plan.jobs = int(n);
        } else if (word == "--out") {
            if (value.empty()) parsed.error = "empty --out";
            parsed.out = value;
        } else if (word == "--app-dir") {
            parsed.appDir = value;
        } else if (word == "--gain") {
            size_t comma = value.find(',');
            uint64_t l = 0, r = 0;
            if (comma == std::string::npos || !parseUnsigned(std::string_view(value).substr(0, comma), l) ||
                !parseUnsigned(std::string_view(value).substr(comma + 1), r) || l > 255 || r > 255)
                parsed.error = "bad --gain " + value + " (expected L,R with 0..255)";
            parsed.plan.gains = std::array<uint8_t, 2>{uint8_t(l), uint8_t(r)};
        } else {
            parsed.error = "unknown option " + word;
        }
        if (!parsed.error.empty()) return parsed;
    }
    if (parsed.inputs.empty()) parsed.error = "no program file or folder";
    return parsed;
}

int gradeCommand(const std::vector<std::string>& args, const fs::path& defaultAppDir, uint32_t localeId,
                 const fs::path& defaultUserDir) {
    const GradeArgs parsed = parseGradeArgs(args, int(std::thread::hardware_concurrency()));
    if (!parsed.error.empty()) {
        std::cerr << "grade: " << parsed.error << "\n" << kUsage;
        return kExitBadInput;
    }
    const Found found = findPrograms(parsed.inputs);
    if (!found.error.empty()) return bad(found.error);

    const fs::path appDir = parsed.appDir.value_or(defaultAppDir);
    const fs::path userDir = parsed.appDir || defaultUserDir.empty() ? appDir : defaultUserDir;
    CourseSet courses;
    CourseLoadResult loaded = loadCourseConfig(courses, appDir, {}, userDir);
    if (!loaded.loaded) return bad((appDir / "texture.ini").string() + ": cannot read the course configuration");
    GradePlan plan = parsed.plan;
    plan.bestPaths = true;
    if (parsed.courses) {
        for (int c : *parsed.courses) {
            if (c >= courseCount(courses))
                return bad("course " + std::to_string(c) + " is not loaded (" + std::to_string(courseCount(courses)) +
                           " courses)");
            if (!(courses.courses[size_t(c)].judgingFlags & JudgeFlag::Timed))
                return bad("course " + std::to_string(c) + " is not a timed course");
        }
        plan.courses = *parsed.courses;
    } else {
        for (int c = 0; c < courseCount(courses); ++c)
            if (courses.courses[size_t(c)].judgingFlags & JudgeFlag::Timed) plan.courses.push_back(c);
        if (plan.courses.empty()) return bad("the course configuration has no timed course");
    }

    GradeReport report;
    report.seed = plan.seed;
    report.runs = plan.runs;
    report.noise = plan.noise;
    for (int c : plan.courses) report.courses.push_back({c, toUtf8(courses.courses[size_t(c)].name)});
    std::vector<GradeProgram> graded;
    for (const fs::path& file : found.files) {
        ReportProgram entry;
        entry.shown = shownName(file.string());
        GradeProgram program;
        program.name = file.filename().string();
        const LoadResult r = loadProgram(program.program, file);
        entry.load = r;
        if (r.ok()) {
            // Nobody is there to answer the studio's question: the program runs as after "continue".
            const int fault = checkRepeatStructure(program.program, OptionFlags().bits());
            if (fault != kRepeatStructureSound) entry.repeatFault = fault;
            entry.graded = int(graded.size());
            graded.push_back(std::move(program));
        }
        report.programs.push_back(entry);
    }

    // Known before the runs, not after them.
    std::error_code ec;
    fs::create_directories(parsed.out, ec);
    if (ec || !fs::is_directory(parsed.out, ec)) return bad(parsed.out.string() + ": cannot create the report folder");

    ProgressBar bar(isatty(STDERR_FILENO) == 1);
    report.cells = gradeClass(graded, courses, plan, [&bar](size_t done, size_t total) { bar.update(done, total); });

    // Drawing a chart chooses the pack again, so the teacher's language is chosen once more after the pictures.
    const ReportPictures pictures = makePictures(report, found.files, courses, appDir, localeId, parsed.plan.jobs);
    chooseResourceLibrary(resolveDataPath(kResourceListFile, appDir), localeId, appDir);
    for (const auto& [name, text] : {std::pair<const char*, std::string>{"report.csv", csvReport(report)},
                                     {"report.json", jsonReport(report)},
                                     {"report.html", htmlReport(report, pictures)}})
        if (!writeFile(parsed.out / name, text)) return bad((parsed.out / name).string() + ": cannot write the report");
    return kExitOk;
}

}  // namespace trovel
