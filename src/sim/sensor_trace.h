#pragma once
// What the floor sensors, the wheels and the variables did over the last 30 s of simulated time,
// one sample per tick in which the robot's world moved on, and which block started in which tick.
// Bounded: a ring of one window's worth of samples, whatever the length of the run.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/program.h"

namespace trovel {

struct Simulator;

constexpr uint32_t kTraceWindowMs = 30000;
constexpr uint32_t kTraceTickMs = 16;
constexpr size_t kTraceCapacity = kTraceWindowMs / kTraceTickMs + 1;  // both ends of the window
constexpr int kTraceSensorCount = 4;
constexpr int kTraceVariableCount = 8;

struct TraceSample {
    uint32_t timeMs = 0;                               // simulated ms since the trace began
    std::array<uint8_t, kTraceSensorCount> sensors{};  // left, right, 3, 4: 10 white .. 162 black
    float leftSpeed = 0;                               // wheel speeds, motor byte scale 0..240
    float rightSpeed = 0;
    std::array<uint8_t, kTraceVariableCount> variables{};  // variables 1..8
    int16_t block = -1;                                    // list index, in the program the run was taken from, of the
                                                           // block that started in this tick, -1 none
    BlockType blockType = BlockType::Start;                // that block's type; meaningless while block is -1
};

struct SensorTrace {
    std::vector<TraceSample> ring;  // up to kTraceCapacity samples, the oldest at `first`
    size_t first = 0;
    uint32_t clockMs = 0;     // simulated time of the next recorded tick
    uint64_t blocksSeen = 0;  // the interpreter's executed-block count at the last recorded tick
    int lastRun = -1;         // snapshot index of the block the last recorded tick ran, -1 none
    uint64_t appended = 0;    // samples ever appended: tells a reader whether anything is new
};

// Adds a sample (times never decrease) and drops those more than the window older than it.
void appendSample(SensorTrace& trace, const TraceSample& sample);
// Called once per simulator tick: a tick in which the robot moved on (running, or coasting to rest
// after a stop; not paused, not a slow-motion or inner tick) becomes the next sample, 16 ms after
// the last, so the time axis is the same at every speed. A tick that ran blocks is marked with
// the one it ended on, the block the editor highlights, unless that block also ended the tick
// before: a loop that runs a continuing motion block on every tick marks the stretch once.
void recordTick(SensorTrace& trace, const Simulator& sim);
// A new run: no samples, and its time starts again at 0.
void clearTrace(SensorTrace& trace);

size_t sampleCount(const SensorTrace& trace);
// Oldest first; i < sampleCount.
const TraceSample& sampleAt(const SensorTrace& trace, size_t i);
// The samples of the window, oldest first.
std::vector<TraceSample> traceWindow(const SensorTrace& trace);

// The sample closest in time (the earlier one on a tie); null when there are none.
const TraceSample* nearestSample(std::span<const TraceSample> samples, double timeMs);

// Header row, then one row per sample: time in seconds, the sensors, the wheel speeds, the
// variables, and the list index and type code of the block that started (empty when none).
std::string traceCsv(std::span<const TraceSample> samples);

}  // namespace trovel
