#include "sim/sensor_trace.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "model/portable_bits.h"
#include "sim/simulator.h"

namespace trovel {

void appendSample(SensorTrace& trace, const TraceSample& sample) {
    if (trace.ring.size() < kTraceCapacity) {
        trace.ring.reserve(kTraceCapacity);
        // The newest sits just before the oldest; `first` is 0 except after a jump in time.
        if (trace.first == 0) {
            trace.ring.push_back(sample);
        } else {
            trace.ring.insert(trace.ring.begin() + std::ptrdiff_t(trace.first), sample);
            ++trace.first;
        }
    } else {
        trace.ring[trace.first] = sample;
        trace.first = (trace.first + 1) % trace.ring.size();
    }
    ++trace.appended;
    // Samples spaced wider than a tick (a jump in time) leave the window before the ring is full.
    while (sampleCount(trace) > 1 && sampleAt(trace, 0).timeMs + kTraceWindowMs < sample.timeMs) {
        trace.ring.erase(trace.ring.begin() + std::ptrdiff_t(trace.first));
        if (trace.first == trace.ring.size()) trace.first = 0;
    }
}

void recordTick(SensorTrace& trace, const Simulator& sim) {
    const bool coasting = sim.robot.leftSpeed != 0 || sim.robot.rightSpeed != 0;
    const bool moved = sim.state != SimState::Paused && sim.slowPhase == 0 && !sim.innerTick &&
                       (sim.state == SimState::Running || coasting);
    if (!moved) return;
    TraceSample s;
    s.timeMs = trace.clockMs;
    trace.clockMs += kTraceTickMs;
    std::copy_n(sim.memory.begin() + MemoryMap::LeftSensor, kTraceSensorCount, s.sensors.begin());
    s.leftSpeed = sim.robot.leftSpeed;
    s.rightSpeed = sim.robot.rightSpeed;
    std::copy_n(sim.memory.begin() + MemoryMap::FirstVariable, kTraceVariableCount, s.variables.begin());
    const int ran = sim.interp.executed != trace.blocksSeen ? sim.interp.last : kNoRunBlock;
    const RunBlock* block = sim.interp.program ? runBlockAt(*sim.interp.program, ran) : nullptr;
    if (block && ran != trace.lastRun) {
        s.block = int16_t(block->source);
        s.blockType = sim.interp.lastType;
    }
    trace.blocksSeen = sim.interp.executed;
    trace.lastRun = ran;
    appendSample(trace, s);
}

void clearTrace(SensorTrace& trace) {
    trace.ring.clear();
    trace.first = 0;
    trace.clockMs = 0;
    trace.lastRun = kNoRunBlock;
    ++trace.appended;  // readers see the change
}

size_t sampleCount(const SensorTrace& trace) { return trace.ring.size(); }

const TraceSample& sampleAt(const SensorTrace& trace, size_t i) {
    return trace.ring[(trace.first + i) % trace.ring.size()];
}

std::vector<TraceSample> traceWindow(const SensorTrace& trace) {
    std::vector<TraceSample> out;
    out.reserve(trace.ring.size());
    out.insert(out.end(), trace.ring.begin() + std::ptrdiff_t(trace.first), trace.ring.end());
    out.insert(out.end(), trace.ring.begin(), trace.ring.begin() + std::ptrdiff_t(trace.first));
    return out;
}

const TraceSample* nearestSample(std::span<const TraceSample> samples, double timeMs) {
    if (samples.empty()) return nullptr;
    auto after = std::lower_bound(samples.begin(), samples.end(), timeMs,
                                  [](const TraceSample& s, double t) { return s.timeMs < t; });
    if (after == samples.begin()) return &samples.front();
    if (after == samples.end()) return &samples.back();
    auto before = after - 1;
    return timeMs - before->timeMs <= after->timeMs - timeMs ? &*before : &*after;
}

namespace {

void addNumber(std::string& row, double value) {
    char buffer[32];
    auto [end, ec] = formatShortest(buffer, buffer + sizeof buffer, value);
    row.push_back(',');
    if (ec == std::errc()) row.append(buffer, end);
}

}  // namespace

std::string traceCsv(std::span<const TraceSample> samples) {
    std::string csv = "time_s,s9,s10,s11,s12,left_speed,right_speed";
    for (int v = 1; v <= kTraceVariableCount; ++v) csv += ",var" + std::to_string(v);
    csv += ",block,block_type\n";
    for (const TraceSample& s : samples) {
        char time[16];
        std::snprintf(time, sizeof time, "%u.%03u", s.timeMs / 1000, s.timeMs % 1000);
        std::string row = time;
        for (uint8_t v : s.sensors) addNumber(row, v);
        addNumber(row, s.leftSpeed);
        addNumber(row, s.rightSpeed);
        for (uint8_t v : s.variables) addNumber(row, v);
        if (s.block >= 0) {
            addNumber(row, s.block);
            addNumber(row, int(s.blockType));
        } else {
            row += ",,";
        }
        csv += row + '\n';
    }
    return csv;
}

}  // namespace trovel
