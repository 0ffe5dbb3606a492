#pragma once
// Builders for programs, pictures and course sets in the simulator tests.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/program.h"
#include "scratch_dir.h"
#include "sim/course_config.h"
#include "sim/lap_records.h"
#include "sim/sim_frame.h"
#include "sim/sim_view_state.h"
#include "sim/simulator.h"

namespace trovel::simtest {

// The world with what the studio keeps beside it, each command and tick followed as the window does.
struct Studio {
    Simulator sim;
    SimViewState view;
    LapRecords records;

    // After 再生 started a run (here or through prepareRun, which opens the simulator first).
    void started(bool opened) {
        if (opened) resetView(view);
        showRunStarted(view, sim);
    }
    // What a tick reported: the records judge the goal's lap, the view follows.
    void follow(const TickEvents& events) {
        const bool record = events.goal && offerLap(records, sim.course, events.lapMs, sim.lapPoses);
        showTick(view, sim, events, record);
    }
    TickHandler follower() {
        return [this](const TickEvents& events) { follow(events); };
    }
    void step(int n = 1) {
        for (int i = 0; i < n; ++i) follow(stepSimulation(sim));
    }
    void stop() { showRunStopped(view, stopCommand(sim)); }
    bool choose(int course) {
        const bool going = sim.state != SimState::Stopped;
        if (!selectCourse(sim, course)) return false;
        showRunStopped(view, going);
        return true;
    }
    DrawList frame() const { return buildFrame(sim, view, records); }
};

inline ActionBlock* add(BlockProgram& p, BlockType type, std::array<uint8_t, 10> params = {}) {
    auto b = std::make_unique<ActionBlock>();
    b->type = type;
    b->param = params;
    return append(p, std::move(b));
}

// Start -> blocks... -> End, each block's next[0] the following one.
inline BlockProgram chain(std::vector<std::pair<BlockType, std::array<uint8_t, 10>>> blocks) {
    BlockProgram p;
    ActionBlock* start = add(p, BlockType::Start);
    ActionBlock* prev = start;
    for (auto& [type, params] : blocks) {
        ActionBlock* b = add(p, type, params);
        prev->next[0] = b;
        prev = b;
    }
    ActionBlock* end = add(p, BlockType::End);
    prev->next[0] = end;
    start->partner = end;
    end->partner = start;
    return p;
}

inline std::pair<ActionBlock*, ActionBlock*> addRepeat(BlockProgram& p, uint8_t number, uint8_t count, bool endless) {
    ActionBlock* s = add(p, BlockType::RepeatStart, {count, uint8_t(endless), number});
    ActionBlock* e = add(p, BlockType::RepeatEnd, {count, uint8_t(endless), number});
    s->partner = e;
    e->partner = s;
    s->next[0] = e;
    e->next[1] = s;
    return {s, e};
}

// The two-sensor line follower: a sensor over the line turns the robot toward it. With
// `stopOnBlock`, both sensors over black stop the program.
inline BlockProgram lineFollower(bool stopOnBlock) {
    BlockProgram p;
    ActionBlock* start = add(p, BlockType::Start);
    ActionBlock* end = add(p, BlockType::End);
    start->partner = end;
    end->partner = start;
    ActionBlock* left = add(p, BlockType::Branch, {0, 2, 80, 0, 0});
    ActionBlock* turnLeft = add(p, BlockType::TurnLeft, {0, 1});
    ActionBlock* right = add(p, BlockType::Branch, {1, 2, 80, 0, 0});
    ActionBlock* turnRight = add(p, BlockType::TurnRight, {0, 1});
    ActionBlock* forward = add(p, BlockType::Forward, {0, 1});
    start->next[0] = left;
    left->next = {turnLeft, right};
    right->next = {turnRight, forward};
    turnLeft->next[0] = left;
    turnRight->next[0] = left;
    forward->next[0] = left;
    if (stopOnBlock) {
        ActionBlock* both = add(p, BlockType::Branch, {1, 2, 80, 0, 0});
        ActionBlock* stop = add(p, BlockType::Stop, {0, 1});
        left->next[0] = both;
        both->next = {stop, turnLeft};
        stop->next[0] = end;
    }
    return p;
}

// A picture of one colour in the course size.
inline CoursePicture plainPicture(uint8_t b, uint8_t g, uint8_t r) {
    CoursePicture pic;
    pic.width = kCourseWidth;
    pic.height = kCourseHeight;
    pic.pixels.resize(size_t(pic.width) * size_t(pic.height) * 3);
    for (size_t i = 0; i < pic.pixels.size(); i += 3) {
        pic.pixels[i] = b;
        pic.pixels[i + 1] = g;
        pic.pixels[i + 2] = r;
    }
    return pic;
}

// A course set of `courses` plain white courses with the given judging flags, no files behind it.
inline CourseSet plainCourses(int courses, int judgingFlags = 0) {
    CourseSet set;
    set.textures.resize(size_t(Slot::FirstCourse + courses));
    auto white = std::make_shared<const CoursePicture>(plainPicture(255, 255, 255));
    for (int i = 0; i < courses; ++i) {
        set.textures[size_t(Slot::FirstCourse + i)].picture = white;
        CourseRecord c;
        c.judgingFlags = judgingFlags;
        set.courses.push_back(c);
    }
    return set;
}
inline void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A bitmap file: "BM", 40-byte info header, rows padded to 4 bytes, all pixels one grey.
inline std::vector<uint8_t> bitmapBytes(int width, int height, int bits, uint8_t grey = 255) {
    size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> b(54 + stride * size_t(height), grey);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    std::fill(b.begin(), b.begin() + 54, uint8_t(0));
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    b[26] = 1;
    b[28] = uint8_t(bits);
    return b;
}

// Writes texture.ini as UTF-16LE with BOM and CR LF.
inline void writeIni(const std::filesystem::path& dir, const std::u16string& text) {
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (char16_t c : text) {
        if (c == u'\n') {
            bytes.push_back('\r');
            bytes.push_back(0);
        }
        bytes.push_back(uint8_t(c & 0xFF));
        bytes.push_back(uint8_t(c >> 8));
    }
    writeBytes(dir / "texture.ini", bytes);
}

}  // namespace trovel::simtest
