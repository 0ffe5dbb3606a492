#include "cli/grade_report.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "base/message_format.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "cli/cli_common.h"
#include "model/text_convert.h"
#include "sim/run_judge.h"

namespace trovel {

namespace {

// Failure columns: the RunResult of each, in report order, its JSON key and its words.
struct FailureColumn {
    int result;
    const char* name;
    uint16_t label;
};
constexpr std::array<FailureColumn, 7> kFailures{{
    {RunResult::Armed, "time_limit", Str::GradeTimeLimit},
    {RunResult::LeftLine, "left_line", Str::GradeLeftLine},
    {RunResult::NoSensorBranch, "no_sensor_branch", Str::GradeNoSensorBranch},
    {RunResult::PassedGoal, "passed_goal", Str::GradePassedGoal},
    {RunResult::Forbidden, "forbidden_area", Str::GradeForbidden},
    {RunResult::MissedCheckpoint, "missed_checkpoint", Str::GradeMissedCheckpoint},
    {RunResult::EndedOutsideGoal, "ended_outside_goal", Str::GradeEndedOutsideGoal},
}};

// A numbered string of the language in use, as UTF-8.
std::string word(uint16_t id) { return toUtf8(resString(id)); }
std::string word(uint16_t id, std::initializer_list<MessageArg> args) {
    return toUtf8(formatMessage(resString(id), args));
}

// Why a file was not graded, for scripts: fixed words that report.json has always had (the
// teacher's words are loadFailureText).
std::string loadErrorKey(const LoadResult& r) {
    switch (r.status) {
    case LoadStatus::Loaded: return {};
    case LoadStatus::CannotOpen: return "cannot open the file";
    case LoadStatus::NotProgramFile: return "not a program file";
    case LoadStatus::Damaged: return "damaged record at line " + std::to_string(r.line) + " (" + r.reason + ")";
    }
    return "cannot read the file";
}

// A course as the studio shows it: the language pack's name for its number, else its own.
std::string courseTitle(const ReportCourse& course) {
    if (course.index >= 0 && course.index < 100) {
        const std::u16string translated = resString(uint16_t(Str::FirstCourseName + course.index));
        if (!translated.empty()) return toUtf8(translated);
    }
    return course.name;
}

// Success rate as a fraction with three decimals, from integers alone.
std::string rateText(int goals, int runs) {
    if (runs <= 0) return "0.000";
    const long long permille = (2000LL * goals + runs) / (2LL * runs);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%lld.%03lld", permille / 1000, permille % 1000);
    return buffer;
}

std::string msText(int ms) { return ms < 0 ? std::string() : std::to_string(ms); }

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += char(c);
        }
    }
    return out + '"';
}

std::string html(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

const ReportProgram* programOf(const GradeReport& report, const GradeCell& cell) {
    for (const ReportProgram& p : report.programs)
        if (p.graded == cell.program) return &p;
    return nullptr;
}

const ReportCourse* courseOf(const GradeReport& report, int index) {
    for (const ReportCourse& c : report.courses)
        if (c.index == index) return &c;
    return nullptr;
}

std::string repeatText(int fault) { return fault < 0 ? std::string() : std::to_string(fault); }

}  // namespace

std::string lapText(int ms) {
    if (ms < 0) return "-";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d:%02d.%03d", ms / 60000, ms / 1000 % 60, ms % 1000);
    return buffer;
}

std::string base64(const std::string& bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
        if (i + 1 < bytes.size()) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) v |= uint32_t(uint8_t(bytes[i + 2]));
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[v & 63] : '=';
    }
    return out;
}

std::string csvReport(const GradeReport& report) {
    // The byte-order mark lets spreadsheet programs read the Japanese words as UTF-8.
    std::string csv = "\xEF\xBB\xBF";
    for (uint16_t id : {Str::GradeProgram, Str::GradeCsvCourse, Str::GradeCsvCourseName, Str::GradeCsvRuns,
                        Str::GradeCsvGoals, Str::GradeCsvSuccessRate, Str::GradeCsvMedianLap, Str::GradeCsvBestLap})
        csv += csvField(word(id)) + ",";
    for (const FailureColumn& f : kFailures) csv += csvField(word(f.label)) + ",";
    csv += csvField(word(Str::GradeEndlessChain)) + "," + csvField(word(Str::GradeCsvRepeatFault)) + "," +
           csvField(word(Str::GradeCsvError)) + "\r\n";
    // Files that could not be graded come first, where the teacher sees them.
    for (const ReportProgram& p : report.programs) {
        if (p.graded >= 0) continue;
        csv += csvField(p.shown) + ",,,0,0,,,";
        for (size_t i = 0; i <= kFailures.size(); ++i) csv += ',';
        csv += "," + repeatText(p.repeatFault) + "," + csvField(loadFailureText(p.load)) + "\r\n";
    }
    for (const ReportProgram& p : report.programs) {
        if (p.graded < 0) continue;
        for (const GradeCell& cell : report.cells) {
            if (cell.program != p.graded) continue;
            const GradeSummary s = summarize(cell);
            const ReportCourse* c = courseOf(report, cell.course);
            csv += csvField(p.shown) + "," + std::to_string(cell.course) + "," + csvField(c ? courseTitle(*c) : "") +
                   "," + std::to_string(s.runs) + "," + std::to_string(s.goals) + "," + rateText(s.goals, s.runs) +
                   "," + msText(s.medianLapMs) + "," + msText(s.bestLapMs);
            for (const FailureColumn& f : kFailures) csv += "," + std::to_string(s.byResult[size_t(f.result)]);
            csv += "," + std::to_string(s.endlessChains);
            csv += "," + repeatText(p.repeatFault) + ",\r\n";
        }
    }
    return csv;
}

std::string jsonReport(const GradeReport& report) {
    std::string j = "{\"seed\":" + std::to_string(report.seed) + ",\"runs\":" + std::to_string(report.runs) +
                    ",\"noise\":" + jsonString(noiseText(report.noise)) + ",\"courses\":[";
    for (size_t i = 0; i < report.courses.size(); ++i) {
        if (i) j += ',';
        j += "{\"course\":" + std::to_string(report.courses[i].index) +
             ",\"name\":" + jsonString(report.courses[i].name) + "}";
    }
    j += "],\"programs\":[";
    bool firstProgram = true;
    for (const ReportProgram& p : report.programs) {
        if (!firstProgram) j += ',';
        firstProgram = false;
        const bool failed = p.load.status != LoadStatus::Loaded;
        j += "\n{\"program\":" + jsonString(p.shown) +
             ",\"error\":" + (failed ? jsonString(loadErrorKey(p.load)) : std::string("null")) +
             ",\"error_text\":" + (failed ? jsonString(loadFailureText(p.load)) : std::string("null")) +
             ",\"repeat_fault\":" + (p.repeatFault < 0 ? std::string("null") : std::to_string(p.repeatFault)) +
             ",\"courses\":[";
        bool firstCell = true;
        for (const GradeCell& cell : report.cells) {
            if (cell.program != p.graded || p.graded < 0) continue;
            if (!firstCell) j += ',';
            firstCell = false;
            const GradeSummary s = summarize(cell);
            j += "{\"course\":" + std::to_string(cell.course) + ",\"runs\":" + std::to_string(s.runs) +
                 ",\"goals\":" + std::to_string(s.goals) + ",\"success_rate\":" + rateText(s.goals, s.runs) +
                 ",\"median_lap_ms\":" + (s.medianLapMs < 0 ? "null" : std::to_string(s.medianLapMs)) +
                 ",\"best_lap_ms\":" + (s.bestLapMs < 0 ? "null" : std::to_string(s.bestLapMs));
            for (const FailureColumn& f : kFailures)
                j += ",\"" + std::string(f.name) + "\":" + std::to_string(s.byResult[size_t(f.result)]);
            j += ",\"endless_chain\":" + std::to_string(s.endlessChains);
            j += ",\"best_run\":" + std::to_string(cell.bestRun) + ",\"run_list\":[";
            for (size_t k = 0; k < cell.runs.size(); ++k) {
                const GradeRun& r = cell.runs[k];
                if (k) j += ',';
                j += "{\"k\":" + std::to_string(k) + ",\"seed\":" + std::to_string(r.seed) +
                     ",\"result\":" + std::to_string(r.result) + ",\"lap_ms\":" + std::to_string(r.lapMs) +
                     ",\"ticks\":" + std::to_string(r.ticks) + (r.endlessChain ? ",\"endless_chain\":true" : "") + "}";
            }
            j += "]}";
        }
        j += "]}";
    }
    return j + "\n]}\n";
}

std::string htmlReport(const GradeReport& report, const ReportPictures& pictures) {
    const std::string title = html(word(Str::GradeTitle));
    std::string h =
        "<!DOCTYPE html>\n<html lang=\"" + html(word(Str::GradeLanguageCode)) +
        "\"><head><meta charset=\"utf-8\">\n<title>" + title +
        "</title>\n<style>\n"
        "body{font-family:sans-serif;margin:1.5em;color:#222}table{border-collapse:collapse;margin-bottom:2em}\n"
        "th,td{border:1px solid #bbb;padding:.3em .6em;text-align:left;vertical-align:middle}\n"
        "th.sort{cursor:pointer;background:#eef}th.sort:hover{background:#dde}td.num{text-align:right}\n"
        ".err{color:#b00}.mark{color:#a60}img{display:block}\n</style></head><body>\n<h1>" +
        title + "</h1>\n";
    const std::u16string noise =
        noiseOff(report.noise) ? resString(Str::GradeNoiseOff) : fromUtf8(noiseText(report.noise));
    h += "<p>" + html(word(Str::GradeSummaryLine, {report.runs, fromUtf8(std::to_string(report.seed)), noise})) +
         "</p>\n";

    // Files that could not be graded come first, where the teacher sees them.
    std::string unreadable;
    for (size_t i = 0; i < report.programs.size(); ++i) {
        const ReportProgram& p = report.programs[i];
        if (p.graded < 0)
            unreadable += "<li><a href=\"#program-" + std::to_string(i) + "\">" + html(p.shown) +
                          "</a>: " + html(loadFailureText(p.load)) + "</li>\n";
    }
    if (!unreadable.empty())
        h += "<h2 class=\"err\">" + html(word(Str::GradeUnreadable)) + "</h2>\n<ul class=\"err\">\n" + unreadable +
             "</ul>\n";

    auto cellIndexOf = [&](const GradeCell& cell) { return size_t(&cell - report.cells.data()); };
    for (const ReportCourse& course : report.courses) {
        h += "<h2>" + html(word(Str::GradeCourseTitle, {fromUtf8(courseTitle(course)), course.index})) + "</h2>\n";
        h += "<table class=\"board\"><thead><tr><th>" + html(word(Str::GradeProgram)) +
             "</th><th class=\"sort\" data-key=\"rate\" data-dir=\"-1\">" + html(word(Str::GradeSuccess)) +
             " &#x21C5;</th><th class=\"sort\" data-key=\"best\" data-dir=\"1\">" + html(word(Str::GradeBestLap)) +
             " &#x21C5;</th><th>" + html(word(Str::GradeMedianLap)) + "</th><th>" + html(word(Str::GradeFailures)) +
             "</th><th>" + html(word(Str::GradeBestRun)) + "</th></tr></thead><tbody>\n";
        std::vector<const GradeCell*> rows;
        for (const GradeCell& cell : report.cells)
            if (cell.course == course.index) rows.push_back(&cell);
        std::stable_sort(rows.begin(), rows.end(), [](const GradeCell* a, const GradeCell* b) {
            GradeSummary sa = summarize(*a), sb = summarize(*b);
            long long ra = (long long)sa.goals * std::max(sb.runs, 1), rb = (long long)sb.goals * std::max(sa.runs, 1);
            if (ra != rb) return ra > rb;
            int ba = sa.bestLapMs < 0 ? kMaxLapMs + 1 : sa.bestLapMs,
                bb = sb.bestLapMs < 0 ? kMaxLapMs + 1 : sb.bestLapMs;
            return ba < bb;
        });
        for (const GradeCell* cell : rows) {
            const GradeSummary s = summarize(*cell);
            const ReportProgram* p = programOf(report, *cell);
            const size_t programIndex = p ? size_t(p - report.programs.data()) : 0;
            std::string failures;
            auto addFailure = [&failures](int n, uint16_t label) {
                if (n)
                    failures += (failures.empty() ? "" : "<br>") + std::to_string(n) + " &times; " + html(word(label));
            };
            for (const FailureColumn& f : kFailures) addFailure(s.byResult[size_t(f.result)], f.label);
            addFailure(s.endlessChains, Str::GradeEndlessChain);
            h += "<tr data-rate=\"" + rateText(s.goals, s.runs) + "\" data-best=\"" +
                 std::to_string(s.bestLapMs < 0 ? kMaxLapMs + 1 : s.bestLapMs) + "\"><td><a href=\"#program-" +
                 std::to_string(programIndex) + "\">" + html(p ? p->shown : "") + "</a>" +
                 (p && p->repeatFault >= 0
                      ? " <span class=\"mark\">" + html(word(Str::GradeRepeatMark, {p->repeatFault})) + "</span>"
                      : "") +
                 "</td><td class=\"num\">" + std::to_string(s.goals) + " / " + std::to_string(s.runs) +
                 "</td><td class=\"num\">" + lapText(s.bestLapMs) + "</td><td class=\"num\">" + lapText(s.medianLapMs) +
                 "</td><td>" + failures + "</td><td>";
            const size_t ci = cellIndexOf(*cell);
            if (ci < pictures.paths.size() && !pictures.paths[ci].empty())
                h += "<img alt=\"" + html(word(Str::GradePathOfRun, {cell->bestRun})) +
                     "\" src=\"data:image/png;base64," + base64(pictures.paths[ci]) + "\">";
            else h += html(word(Str::GradeRun, {cell->bestRun}));
            h += "</td></tr>\n";
        }
        h += "</tbody></table>\n";
    }

    h += "<h2>" + html(word(Str::GradePrograms)) + "</h2>\n";
    for (size_t i = 0; i < report.programs.size(); ++i) {
        const ReportProgram& p = report.programs[i];
        h += "<h3 id=\"program-" + std::to_string(i) + "\">" + html(p.shown) + "</h3>\n";
        if (p.graded < 0)
            h += "<p class=\"err\">" + html(word(Str::GradeNotGraded, {fromUtf8(loadFailureText(p.load))})) + "</p>\n";
        if (p.repeatFault >= 0)
            h += "<p class=\"mark\">" + html(word(Str::GradeRepeatNote, {p.repeatFault})) + "</p>\n";
        if (i < pictures.charts.size() && !pictures.charts[i].empty())
            h += "<img alt=\"" + html(word(Str::GradeChart)) + "\" src=\"data:image/png;base64," +
                 base64(pictures.charts[i]) + "\">\n";
    }
    // Sorting is done in the page itself: no script or style is fetched from anywhere.
    h += "<script>\n"
         "document.querySelectorAll('table.board').forEach(function(t){\n"
         "  t.querySelectorAll('th.sort').forEach(function(th){\n"
         "    th.addEventListener('click',function(){\n"
         "      var key=th.dataset.key,dir=Number(th.dataset.dir),body=t.tBodies[0];\n"
         "      var rows=Array.prototype.slice.call(body.rows);\n"
         "      rows.sort(function(a,b){return dir*(Number(a.dataset[key])-Number(b.dataset[key]));});\n"
         "      rows.forEach(function(r){body.appendChild(r);});\n"
         "      th.dataset.dir=String(-dir);\n"
         "    });\n"
         "  });\n"
         "});\n"
         "</script>\n</body></html>\n";
    return h;
}

}  // namespace trovel
