// The robot link's costs against the emulated robot with no latency: a full 1,024-byte download
// with its read-back verify (target: under 100 ms of CPU) and the idle link poll (target: under
// 1 % of one core).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "robot/program_download.h"
#include "robot/virtual_robot.h"

namespace {

using namespace trovel;

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_Download1024WithVerify(benchmark::State& state) {
    SequenceImage image;
    for (int i = 0; i < kSequenceBytes; ++i) image.bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    image.length = kSequenceBytes;
    LinkTiming timing;
    timing.reconnectStepMs = 1;  // the emulated robot restarts at once
    for (auto _ : state) {
        auto robot = VirtualRobot::create();
        OptionFlags flags;
        LinkState linkState;
        HidLink link(robot->finder(), flags, linkState, timing);
        link.tryClaim();
        link.findRobot();
        link.release();
        flags.set(Option::Connected);
        const TransferContext ctx{link, nullptr, {}};
        const DownloadResult result = downloadProgram(ctx, image, {60, 60});
        if (result.status != TransferStatus::Done) state.SkipWithError("the download failed");
    }
}
BENCHMARK(BM_Download1024WithVerify)->Unit(benchmark::kMillisecond);

// One second of a connected robot polled every 100 ms; the counter is the process's CPU use.
void BM_IdleLinkPoll(benchmark::State& state) {
    auto robot = VirtualRobot::create();
    OptionFlags flags;
    LinkState linkState;
    HidLink link(robot->finder(), flags, linkState);
    link.startLink();
    while (!flags.has(Option::Connected)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double cpuBefore = processCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu += processCpuSeconds() - cpuBefore;
    }
    link.stopLink();
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["polls"] = robot->counters().probes;
}
BENCHMARK(BM_IdleLinkPoll)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
