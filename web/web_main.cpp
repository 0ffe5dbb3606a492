// The browser face's entry points: the page's script calls these C functions of the WebAssembly
// module. Everything the page shows comes from the same core the studio and trovel-cli run; the
// answers are JSON or plain text in one buffer that stays valid until the next call.

#include <emscripten/emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/block_names.h"
#include "base/locale_id.h"
#include "base/memory_names.h"
#include "base/message_format.h"
#include "base/repeat_fault_text.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "base/string_table.h"
#include "editor/captions.h"
#include "editor/geometry.h"
#include "editor/number_entry.h"
#include "editor/routing.h"
#include "editor/skin.h"
#include "model/option_flags.h"
#include "model/portable_bits.h"
#include "model/program_file.h"
#include "model/repeat_check.h"
#include "model/text_convert.h"
#include "sim/course_install.h"
#include "sim/headless_run.h"
#include "sim/lap_records.h"
#include "sim/run_setup.h"
#include "sim/sim_frame.h"
#include "sim/sim_speed.h"
#include "sim/sim_view_state.h"
#include "sim/simulator.h"

namespace trovel {
namespace {

// Where the page's files live in the module's file system: the shipped application folder, the
// user's own courses and the files the page hands over.
const std::filesystem::path kAppDir = "/app";
const std::filesystem::path kUserDir = "/user";
const std::filesystem::path kProgramPath = "/work/program.qxp";
const std::filesystem::path kSavePath = "/work/saved.qxp";

// A program file of the largest chart the editor can hold is well under this; anything larger is
// refused before it is read (the page checks the size first as well).
constexpr size_t kMaxInputBytes = 4 << 20;

struct WebState {
    BlockProgram program;
    Simulator sim;
    SimViewState view;
    LapRecords records;
    MemoryNames names;
    OptionFlags options;
    bool coursesLoaded = false;
    int shownBlock = -1;      // list index of the block the chart marks as running, -1 none
    std::vector<int> goals;   // goal lap times since the page last asked, for the best-lap store
    ResourceChoice language;  // the language pack in use; none for the built-in Japanese texts
};

WebState& state() {
    static WebState s;
    return s;
}

std::string g_answer;

const char* answer(std::string text) {
    g_answer = std::move(text);
    return g_answer.c_str();
}

void jsonString(std::string& out, std::u16string_view text) {
    out += '"';
    for (char c : toUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += c;
        }
    }
    out += '"';
}

// The shortest text of a float, the same the command line writes; inf and nan as 0.
std::string floatText(float value) {
    char buffer[32];
    auto [end, ec] = formatShortest(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc()) return "0";
    std::string text(buffer, end);
    if (text.find_first_of("in") != std::string::npos) return "0";
    return text;
}

// One row of a run's trace, column for column as "trovel-cli simulate --trace" writes it.
std::string traceRow(uint64_t tick, const Simulator& sim) {
    const MemoryImage& m = sim.memory;
    std::string row = std::to_string(tick) + ',' + floatText(sim.robot.x) + ',' + floatText(sim.robot.y) + ',' +
                      floatText(sim.robot.heading) + ',' + floatText(sim.robot.leftSpeed) + ',' +
                      floatText(sim.robot.rightSpeed);
    for (int a = MemoryMap::LeftSensor; a <= MemoryMap::Sensor4; ++a) row += ',' + std::to_string(m[size_t(a)]);
    row += ',' + std::to_string(m[MemoryMap::Leds]) + ',' + std::to_string(sim.judge.result) + '\n';
    return row;
}

bool writeFile(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return bool(file.flush());
}

void loadCourses(WebState& s) {
    CourseSet set;
    CourseLoadResult result = loadCourseConfig(set, kAppDir, {}, kUserDir);
    s.coursesLoaded = result.loaded && courseCount(set) > 0;
    const int course = s.sim.course;
    s.sim.courses = std::move(set);
    LapRecords fresh;
    readRecords(fresh, s.sim.courses, kAppDir);
    // Best times the page already told us about stay.
    for (int i = 0; i < courseCount(s.sim.courses); ++i)
        if (const int best = bestTime(s.records, i); best < kNoRecordMs) offerLap(fresh, i, best, {});
    s.records = std::move(fresh);
    openSimulator(s.sim, {.course = course < courseCount(s.sim.courses) ? course : 0});
    resetView(s.view);
}

int runningListIndex(const Simulator& sim, int snapshotIndex) {
    const RunProgram* run = runProgram(sim);
    if (!run) return -1;
    const RunBlock* b = runBlockAt(*run, snapshotIndex);
    return b ? b->source : -1;
}

void afterTick(WebState& s, const TickEvents& events) {
    const bool record = events.goal && offerLap(s.records, s.sim.course, events.lapMs, s.sim.lapPoses);
    if (events.goal) s.goals.push_back(events.lapMs);
    showTick(s.view, s.sim, events, record);
    if (events.shownBlock >= 0) s.shownBlock = runningListIndex(s.sim, events.shownBlock);
}

std::string rectJson(const Rect& r) {
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "]";
}

std::string pointJson(Point p) { return "[" + std::to_string(p.x) + "," + std::to_string(p.y) + "]"; }

struct PanelField {
    int param;
    EntryKind kind;
    uint16_t before;  // string shown before the entry, 0 none
    uint16_t after;   // string shown after it, 0 none
};

// The number entries of a block's property panel: times, wheel percentages, constants and counts.
std::vector<PanelField> panelFields(const ActionBlock& b) {
    switch (b.type) {
    case BlockType::LeftForward:
    case BlockType::Forward:
    case BlockType::RightForward:
    case BlockType::TurnLeft:
    case BlockType::Stop:
    case BlockType::TurnRight:
    case BlockType::Wait: return {{0, EntryKind::Time, 0, Str::PanelSeconds}};
    case BlockType::WheelControl:
        return {{0, EntryKind::Time, 0, Str::PanelSeconds},
                {2, EntryKind::Percent, Str::ShortLeft, Str::MotorPercent},
                {3, EntryKind::Percent, Str::ShortRight, Str::MotorPercent}};
    case BlockType::LeftLed:
    case BlockType::RightLed:
        if (b.param[3] == 2) return {{0, EntryKind::Time, Str::PanelLedTimed, Str::PanelSeconds}};
        return {};
    case BlockType::Branch:
        if (b.param[3] == 0) return {{2, EntryKind::Constant, Str::PanelComparedWith, 0}};
        return {};
    case BlockType::Calc:
        if (b.param[3] == 0) return {{4, EntryKind::Constant, Str::PanelConstant, 0}};
        return {};
    case BlockType::RepeatStart:
    case BlockType::RepeatEnd:
        if (b.param[1] == 0) return {{0, EntryKind::Constant, 0, Str::PanelRepeatTimes}};
        return {};
    default: return {};
    }
}

}  // namespace
}  // namespace trovel

using namespace trovel;

extern "C" {

// Chooses the texts: "ja" for the built-in Japanese table, else a browser language name such as
// "en-GB", looked up in the shipped list of language packs.
EMSCRIPTEN_KEEPALIVE int web_set_language(const char* name) {
    const std::string lang = name ? name : "";
    WebState& s = state();
    if (lang.rfind("ja", 0) == 0 || lang.empty()) {
        useStringPack(StringTable{});
        s.language = {};
    } else {
        std::string locale = lang;
        for (char& c : locale)
            if (c == '-') c = '_';
        s.language = chooseResourceLibrary(kAppDir / "qx_edit_r_resource.ini", lcidFromLocaleName(locale), kAppDir);
    }
    // Names of memory addresses come in the language in use too.
    loadMemoryNames(packFile(s.language, "memname.ini", kAppDir / "memname.ini"), s.names);
    return stringPackInUse() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* web_string(int id) { return answer(toUtf8(resString(uint16_t(id)))); }

// Loads the courses, the memory names and a new program. 1 when the courses are there.
EMSCRIPTEN_KEEPALIVE int web_init() {
    WebState& s = state();
    newProgram(s.program);
    loadCourses(s);
    return s.coursesLoaded ? 1 : 0;
}

// The courses: [{"name":..., "timed":bool}, ...] in course order.
EMSCRIPTEN_KEEPALIVE const char* web_courses() {
    const WebState& s = state();
    std::string out = "[";
    for (int i = 0; i < courseCount(s.sim.courses); ++i) {
        const CourseRecord& c = s.sim.courses.courses[size_t(i)];
        if (i) out += ',';
        // Shipped courses are named by the string table, a user's course by its file.
        std::u16string name = c.name;
        if (c.userEntry >= 0) {
            if (stringPackInUse() && !c.englishName.empty()) name = c.englishName;
        } else if (i < 100) {
            if (std::u16string translated = resString(uint16_t(Str::FirstCourseName + i)); !translated.empty())
                name = translated;
        }
        out += "{\"name\":";
        jsonString(out, name);
        out += ",\"timed\":";
        out += (c.judgingFlags & JudgeFlag::Timed) ? "true" : "false";
        out += ",\"user\":";
        out += c.userEntry >= 0 ? "true" : "false";
        out += ",\"texture\":";
        jsonString(out, s.sim.courses.textures[size_t(Slot::FirstCourse + i)].path);
        out += '}';
    }
    return answer(out + "]");
}

// The file of every texture slot, so the page can draw them: ["sim/robot.bmp", ...].
EMSCRIPTEN_KEEPALIVE const char* web_textures() {
    const WebState& s = state();
    std::string out = "[";
    for (size_t i = 0; i < s.sim.courses.textures.size(); ++i) {
        if (i) out += ',';
        const TextureSlot& t = s.sim.courses.textures[i];
        const CourseRecord* user =
            i >= size_t(Slot::FirstCourse) ? &s.sim.courses.courses[i - Slot::FirstCourse] : nullptr;
        // A user course's picture lives in the user folder; the shipped ones in the application folder.
        std::u16string path = user && user->userEntry >= 0
                                  ? fromUtf8((userCoursesFolder(kUserDir) / toUtf8(t.path)).string())
                                  : fromUtf8(packFile(s.language, toUtf8(t.path), kAppDir / toUtf8(t.path)).string());
        jsonString(out, path);
    }
    return answer(out + "]");
}

// Reads a program file handed over by the page. "" when it loaded; otherwise the message to show,
// and the program in use stays as it was.
EMSCRIPTEN_KEEPALIVE const char* web_load_program(const uint8_t* data, int size) {
    WebState& s = state();
    if (size < 0 || size_t(size) > kMaxInputBytes) return answer(toUtf8(resString(Str::WebFileTooLarge)));
    if (!writeFile(kProgramPath, data, size_t(size))) return answer(toUtf8(resString(Str::WebFileUnreadable)));
    BlockProgram loaded;
    LoadResult result = loadProgram(loaded, kProgramPath);
    if (!result.ok()) {
        if (result.status == LoadStatus::Damaged)
            return answer(toUtf8(formatMessage(resString(Str::WebProgramDamaged), {result.line})));
        return answer(toUtf8(resString(Str::UnsupportedFormat)));
    }
    // A new program stops the run of the old one, as opening a file does in the studio.
    if (s.sim.state != SimState::Stopped) showRunStopped(s.view, stopCommand(s.sim));
    s.program = std::move(loaded);
    s.shownBlock = -1;
    return answer("");
}

// The chart as the page draws it: blocks with their captions and connectors with their routes.
EMSCRIPTEN_KEEPALIVE const char* web_chart() {
    WebState& s = state();
    const TextSources text = chartTextSources(s.names.displayName, s.names.shortName);
    const bool calc = s.options.has(Option::UseCalcBlock);
    std::string out = "{\"blocks\":[";
    int maxRight = 0, maxBottom = 0;
    for (size_t i = 0; i < s.program.blocks.size(); ++i) {
        const ActionBlock& b = *s.program.blocks[i];
        const Rect r = blockRect(b);
        maxRight = std::max(maxRight, r.right);
        maxBottom = std::max(maxBottom, r.bottom);
        if (i) out += ',';
        out += "{\"type\":" + std::to_string(int(b.type)) + ",\"rect\":" + rectJson(r);
        out += ",\"panel\":";
        out += hasCaptionPanel(b.type) ? "true" : "false";
        out += ",\"caption\":";
        jsonString(out, chartCaption(b, text, calc));
        if (auto cr = captionRect(b, r)) out += ",\"captionRect\":" + rectJson(*cr);
        out += ",\"params\":[";
        for (size_t k = 0; k < b.param.size(); ++k) out += (k ? "," : "") + std::to_string(b.param[k]);
        out += "],\"partner\":" + std::to_string(b.partner ? int(indexOf(s.program, b.partner)) : -1);
        out += ",\"outputs\":[";
        for (int o = 0; o < outputCount(b.type); ++o) {
            const Route route = routeConnector(b, o);
            if (o) out += ',';
            out += "{\"code\":" + std::to_string(int(route.code)) + ",\"path\":[";
            for (int k = 0; k < route.pathLength; ++k) {
                const Point p = route.path[size_t(k)];
                maxRight = std::max(maxRight, p.x);
                maxBottom = std::max(maxBottom, p.y);
                out += (k ? "," : "") + pointJson(p);
            }
            out += "],\"mid\":" + pointJson(route.mid) + ",\"tip\":" + pointJson(arrowTip(route));
            out += ",\"marker\":[" + pointJson(route.marker[0]) + "," + pointJson(route.marker[1]) + "," +
                   pointJson(route.marker[2]) + "]";
            const int label = outputLabelString(b.type, o);
            if (label && outputLabelVisible(b.type, o, int(route.code), route.linked)) {
                out += ",\"label\":";
                jsonString(out, resString(uint16_t(label)));
            }
            out += '}';
        }
        out += "]}";
    }
    out += "],\"width\":" + std::to_string(maxRight + 36) + ",\"height\":" + std::to_string(maxBottom + 36);
    out += ",\"running\":" + std::to_string(s.shownBlock) + "}";
    return answer(out);
}

// The program as a file (UTF-16LE with its byte-order mark, CR LF), as the studio saves it.
// Returns the size; the bytes are at web_saved_bytes().
static std::string g_saved;
EMSCRIPTEN_KEEPALIVE int web_save_program() {
    WebState& s = state();
    if (!saveProgram(s.program, kSavePath)) return -1;
    std::ifstream file(kSavePath, std::ios::binary);
    g_saved.assign(std::istreambuf_iterator<char>(file), {});
    return int(g_saved.size());
}
EMSCRIPTEN_KEEPALIVE const char* web_saved_bytes() { return g_saved.data(); }

// A course file made with the course designer, handed over by the page: drawn and added to the
// user's courses. "" when it was added, else the message to show.
EMSCRIPTEN_KEEPALIVE const char* web_add_course(const uint8_t* data, int size, const char* fileName) {
    WebState& s = state();
    if (size < 0 || size_t(size) > kMaxInputBytes) return answer(toUtf8(resString(Str::WebFileTooLarge)));
    std::string name = std::filesystem::path(fileName ? fileName : "course.course").filename().string();
    if (name.empty() || name == "." || name == "..") name = "course.course";
    const std::filesystem::path path = std::filesystem::path("/work/courses") / name;
    if (!writeFile(path, data, size_t(size))) return answer(toUtf8(resString(Str::WebFileUnreadable)));
    const InstallResult result = installCourseFile(path, kUserDir, s.sim.courses.robotHalf);
    if (!result.ok()) return answer(toUtf8(resString(Str::WebCourseRefused)));
    if (s.sim.state != SimState::Stopped) showRunStopped(s.view, stopCommand(s.sim));
    loadCourses(s);
    return answer("");
}

// The repeat check 再生 makes first: -1 sound, else the question to ask (stop the run?).
EMSCRIPTEN_KEEPALIVE const char* web_repeat_question() {
    WebState& s = state();
    const RepeatCheck check = checkRepeats(s.program, s.options.bits());
    if (check.result < 0) return answer("");
    return answer(toUtf8(repeatFaultQuestion(check.result, RepeatFaultStops::Run)));
}

// 再生: 1 when a run started.
EMSCRIPTEN_KEEPALIVE int web_play() {
    WebState& s = state();
    if (s.sim.state == SimState::Running) return 0;
    if (playCommand(s.sim, s.program) != PlayOutcome::Started) return 0;
    showRunStarted(s.view, s.sim);
    s.shownBlock = -1;
    return 1;
}

EMSCRIPTEN_KEEPALIVE void web_stop() {
    WebState& s = state();
    showRunStopped(s.view, stopCommand(s.sim));
}

EMSCRIPTEN_KEEPALIVE int web_state() { return int(state().sim.state); }
// Ticks stepped since the simulator opened (for the speed figures).
EMSCRIPTEN_KEEPALIVE double web_tick_count() { return double(state().sim.ticks); }

EMSCRIPTEN_KEEPALIVE void web_pause() { pauseCommand(state().sim); }

EMSCRIPTEN_KEEPALIVE int web_step() {
    WebState& s = state();
    return stepOneTick(s.sim, [&s](const TickEvents& e) { afterTick(s, e); }) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int web_select_course(int course) {
    WebState& s = state();
    const bool going = s.sim.state != SimState::Stopped;
    if (!selectCourse(s.sim, course)) return 0;
    showRunStopped(s.view, going);
    return 1;
}

EMSCRIPTEN_KEEPALIVE void web_set_slow(int divisor) { setSlowMotion(state().sim, divisor); }
EMSCRIPTEN_KEEPALIVE void web_show_path(int on) { state().view.showPath = on != 0; }

// Runs up to `ticks` ticks of the frame (a stopped or paused simulator ticks once, as the window
// does); returns the ticks run.
EMSCRIPTEN_KEEPALIVE int web_ticks(int ticks) {
    WebState& s = state();
    const int batch = s.sim.state == SimState::Running ? std::max(1, ticks) : 1;
    return runTicks(s.sim, batch, [&s](const TickEvents& e) { afterTick(s, e); });
}

// The best time the page keeps for a course (from the browser's storage).
EMSCRIPTEN_KEEPALIVE void web_set_best(int course, int ms) {
    WebState& s = state();
    if (course >= 0 && course < courseCount(s.sim.courses) && ms > 0) offerLap(s.records, course, ms, {});
}

// What the page shows beside the course: state, lap time, best time, result, the memory map, the
// goals reached since the last call and the block running.
EMSCRIPTEN_KEEPALIVE const char* web_status() {
    WebState& s = state();
    std::string out =
        "{\"state\":" + std::to_string(simStateCode(s.sim.state)) + ",\"course\":" + std::to_string(s.sim.course) +
        ",\"lapMs\":" + std::to_string(s.sim.judge.lapMs) +
        ",\"bestMs\":" + std::to_string(bestTime(s.records, s.sim.course)) +
        ",\"result\":" + std::to_string(s.sim.judge.result) + ",\"timed\":" + (judgingArmed(s.sim) ? "true" : "false") +
        ",\"running\":" + std::to_string(s.shownBlock) + ",\"memory\":[";
    for (size_t i = 0; i < s.sim.memory.size(); ++i) out += (i ? "," : "") + std::to_string(s.sim.memory[i]);
    out += "],\"goals\":[";
    for (size_t i = 0; i < s.goals.size(); ++i) out += (i ? "," : "") + std::to_string(s.goals[i]);
    s.goals.clear();
    return answer(out + "]}");
}

// The names of the memory addresses (memname.ini): [[long, short], ...].
EMSCRIPTEN_KEEPALIVE const char* web_memory_names() {
    const WebState& s = state();
    std::string out = "[";
    for (size_t i = 0; i < MemoryMap::Size; ++i) {
        out += i ? ",[" : "[";
        jsonString(out, s.names.displayName[i]);
        out += ',';
        jsonString(out, s.names.shortName[i]);
        out += ']';
    }
    return answer(out + "]");
}

// The frame to draw, as numbers the page reads straight from the module's memory (a text would
// cost more than drawing): the camera x, y and zoom, the item and line counts, then per item its
// texture, blend, screen-space flag, colour, layer and four vertices (x, y, u, v), and per line its
// colour, width, point count and points. web_frame_size() is the count of numbers.
static std::vector<double> g_frame;
EMSCRIPTEN_KEEPALIVE const double* web_frame() {
    WebState& s = state();
    const DrawList list = buildFrame(s.sim, s.view, s.records);
    g_frame.assign(
        {s.view.camera.x, s.view.camera.y, s.view.camera.zoom, double(list.items.size()), double(list.lines.size())});
    for (const DrawItem& item : list.items) {
        g_frame.insert(g_frame.end(), {double(item.texture), item.blend ? 1.0 : 0.0, item.screenSpace ? 1.0 : 0.0,
                                       double(item.vertices[0].colour), double(item.layer)});
        for (const Vertex& v : item.vertices) g_frame.insert(g_frame.end(), {v.x, v.y, v.u, v.v});
    }
    for (const DrawLine& line : list.lines) {
        g_frame.insert(g_frame.end(), {double(line.colour), line.width, double(line.xy.size() / 2)});
        for (size_t k = 0; k + 1 < line.xy.size(); k += 2) g_frame.insert(g_frame.end(), {line.xy[k], line.xy[k + 1]});
    }
    return g_frame.data();
}
EMSCRIPTEN_KEEPALIVE int web_frame_size() { return int(g_frame.size()); }

// The chart images of block types 1..17 in the language in use: ["/app/skin/00_start.bmp", ...].
EMSCRIPTEN_KEEPALIVE const char* web_skins() {
    const WebState& s = state();
    const SkinResult skin = loadSkin(packFile(s.language, "skin.ini", kAppDir / "skin.ini"), kAppDir);
    std::string out = "[";
    for (int t = 0; t < kRequiredSkinImages && size_t(t) < skin.images.size(); ++t) {
        if (t) out += ',';
        const std::filesystem::path shipped = skin.images[size_t(t)].file;
        jsonString(out, fromUtf8(packFile(s.language, shipped.lexically_relative(kAppDir), shipped).string()));
    }
    return answer(out + "]");
}

// The property fields of block `block` (list index): {"title":..., "fields":[{"param", "kind",
// "before", "after", "text"}]}; "" when there is no such block.
EMSCRIPTEN_KEEPALIVE const char* web_block_fields(int block) {
    WebState& s = state();
    const ActionBlock* b = blockAt(s.program, block);
    if (!b) return answer("");
    std::string out = "{\"title\":";
    jsonString(out, resString(blockTypeNameId(b->type)));
    out += ",\"fields\":[";
    bool first = true;
    for (const PanelField& f : panelFields(*b)) {
        out += first ? "{" : ",{";
        first = false;
        out += "\"param\":" + std::to_string(f.param) + ",\"kind\":" + std::to_string(int(f.kind)) + ",\"before\":";
        jsonString(out, f.before ? resString(f.before) : u"");
        out += ",\"after\":";
        jsonString(out, f.after ? resString(f.after) : u"");
        out += ",\"text\":";
        jsonString(out, entryText(b->param[size_t(f.param)], f.kind));
        out += '}';
    }
    return answer(out + "]}");
}

// Typed text for a field of web_block_fields, read as the studio's property panel reads it: 1 stored,
// 0 nothing typed, -1 refused (the field shows the block's value again).
EMSCRIPTEN_KEEPALIVE int web_enter(int block, int param, const char* text) {
    WebState& s = state();
    ActionBlock* b = blockAt(s.program, block);
    if (!b) return -1;
    for (const PanelField& f : panelFields(*b)) {
        if (f.param != param) continue;
        const EntryResult r = readEntry(fromUtf8(text ? text : ""), f.kind);
        if (r.status == EntryStatus::Empty) return 0;
        if (r.status != EntryStatus::Accepted) return -1;
        b->param[size_t(param)] = r.value;
        // A loop's count lives in both of its blocks.
        if ((b->type == BlockType::RepeatStart || b->type == BlockType::RepeatEnd) && b->partner)
            b->partner->param[size_t(param)] = r.value;
        return 1;
    }
    return -1;
}

// The whole run of the loaded program on `course` with `seed`, `ticks` ticks (0: until it ends),
// as the trace "trovel-cli simulate --trace" writes; the simulator on the page is left alone.
EMSCRIPTEN_KEEPALIVE const char* web_trace(int course, const char* seed, int ticks) {
    WebState& s = state();
    Simulator sim;
    sim.courses = s.sim.courses;
    if (course < 0 || course >= courseCount(sim.courses)) return answer("");
    RunOptions options;
    options.course = course;
    options.seed = std::strtoull(seed ? seed : "1", nullptr, 10);
    prepareRun(sim, s.program, options);
    std::string trace = "tick,x,y,heading,left_speed,right_speed,s9,s10,s11,s12,led,result\n";
    HeadlessOptions headless;
    if (ticks > 0) headless.ticks = uint64_t(ticks);
    runHeadless(sim, headless, [&trace](uint64_t tick, const Simulator& run) { trace += traceRow(tick, run); });
    return answer(trace);
}

// Ticks per second of a whole run without drawing, for the speed figure: runs `ticks` ticks.
EMSCRIPTEN_KEEPALIVE int web_bench(int course, int ticks) {
    WebState& s = state();
    Simulator sim;
    sim.courses = s.sim.courses;
    if (course < 0 || course >= courseCount(sim.courses)) return 0;
    prepareRun(sim, s.program, {.course = course});
    HeadlessOptions headless;
    headless.ticks = uint64_t(std::max(0, ticks));
    return int(runHeadless(sim, headless, {}));
}

}  // extern "C"
