#pragma once
// An emulated robot behind the HidDevice interface: application firmware with its 32-byte memory,
// and a boot loader with flash, the memory map area and the restart between the two. Tests use
// it in place of hardware; the studio can be started against it (TROVEL_VIRTUAL_ROBOT=1).

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "robot/hid_device.h"
#include "robot/link_clock.h"
#include "robot/link_state.h"

namespace trovel {

enum class RobotMode { Application, BootLoader };

// The ways a real robot misbehaves, each switched on from one written report on.
enum class RobotFault {
    Garbage,         // replies of random bytes
    Short,           // replies shorter than a report
    Long,            // replies longer than a report
    Duplicate,       // that report's reply comes twice
    Late,            // that report's reply comes after the reader gave up on it
    Unsolicited,     // a report nobody asked for follows that report's reply
    ReadError,       // the next read fails once, the robot stays plugged in
    WriteError,      // that write fails once and is not acted on
    IgnoreBoot,      // 'b' is ignored: the robot never enters its boot loader
    StayInBoot,      // the reset is ignored: the robot never leaves its boot loader
    Echo,            // the application firmware echoes every request instead of acting on it
    Slow,            // replies come late, within the reader's time-out
    TooSlow,         // replies come after the reader's time-out
    FlashIgnore,     // writes to the sequence area do not take
    FirmwareIgnore,  // writes to the firmware area do not take
    NoBoot,          // the firmware does not start: a reset brings the boot loader back
    Unplug,          // the cable is pulled
};
constexpr int kRobotFaultCount = 17;

// Name as the command line spells it ("garbage", "read-error", ...).
std::string_view robotFaultName(RobotFault fault);
// One-shot faults act on their report only; the others on every report from theirs on.
bool robotFaultOnce(RobotFault fault);

struct RobotFaultAt {
    RobotFault fault = RobotFault::Garbage;
    int fromReport = 1;  // 1 = the first report written after the fault was set
};
// "NAME" or "NAME@N" (N >= 1); nothing for an unknown name or a bad N.
std::optional<RobotFaultAt> parseRobotFault(std::string_view text);
// What the emulated robot has been asked to do, for tests to check.
struct VirtualRobotCounters {
    int reports = 0;       // reports written to it
    int memoryWrites = 0;  // 'mw' requests
    int mfRequests = 0;
    int probes = 0;
    int erases = 0;
    int bootWrites = 0;                // boot-loader write requests
    int resets = 0;                    // boot loader left
    int bootEntries = 0;               // 'b' requests
    int resetsAfterFirmwareErase = 0;  // resets acted on while the firmware area was not rewritten
};

class VirtualRobot : public std::enable_shared_from_this<VirtualRobot> {
public:
    static constexpr uint32_t kFlashBytes = 0x8000;  // 32 KB: boot loader, firmware, sequence, spare

    static std::shared_ptr<VirtualRobot> create();

    // Opens a device while the robot is plugged in and not restarting; null otherwise.
    std::unique_ptr<HidDevice> open();
    // A finder that opens this robot (keeps it alive).
    DeviceFinder finder();

    // Unplugging makes every open device fail (-1) and open() give null.
    void setPlugged(bool plugged);
    // After `reports` more written reports the robot stops answering: writes still go out, reads
    // time out. A negative count answers forever.
    void stopAnsweringAfter(int reports);
    // Time the robot is away (cannot be opened) after a restart.
    void setRestartDelay(std::chrono::milliseconds delay);
    // The n-th boot-loader write from now on (1 = the next) fails as if the cable were pulled at
    // that moment; 0 switches this off.
    void failBootWrite(int n);
    // Writes into the sequence area land with this byte XOR-ed in (a flash that does not take
    // the data); 0 for a sound flash.
    void corruptSequenceWrites(uint8_t mask);
    // Adds a fault; report numbers count from the next written report.
    void addFault(RobotFaultAt fault);
    // The boot loader answers the probe with the probe itself (a reply the program must still
    // take for the boot loader).
    void setBootLoaderEchoesProbe(bool echoes);
    // How late a Slow and a TooSlow reply comes.
    void setReplyDelays(std::chrono::milliseconds slow, std::chrono::milliseconds tooSlow);
    // The clock of its restarts, late replies and read time-outs: a test hands in the link's own.
    void setClock(LinkClock clock);

    // Flash, memory map area, memory and mode in a file, so that an emulated robot keeps its
    // program between runs. load: false when the file is missing or not such a file (robot
    // unchanged); save writes a temporary file and renames it.
    bool load(const std::filesystem::path& path);
    bool save(const std::filesystem::path& path) const;

    RobotMode mode() const;
    void setMode(RobotMode mode);  // without a restart: for setting up a test
    std::vector<uint8_t> flash(uint32_t address, size_t count) const;
    void setFlash(uint32_t address, const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> memoryMapArea() const;  // 58 bytes
    void setMemoryMapArea(int index, uint8_t value);
    MemoryImage memory() const;
    void setMemory(int index, uint8_t value);
    VirtualRobotCounters counters() const;

    // Device side. `handle` numbers the open device: what it was sent but not read goes with it
    // when it is closed, as with an operating system's per-handle input buffer.
    int deviceWrite(uint64_t generation, uint64_t handle, const HidReport& report);
    int deviceRead(uint64_t generation, HidReport& report, int timeoutMs);
    void deviceClosed(uint64_t handle);

private:
    struct Reply {
        HidReport bytes{};
        int length = kReportBytes;
        std::chrono::milliseconds readyAt{};  // link time
        uint64_t handle = 0;
    };

    VirtualRobot();
    void restart(RobotMode mode);
    void handleApplication(const HidReport& r);
    void handleBootLoader(const HidReport& r);
    bool deviceValid(uint64_t generation) const;
    bool faultActive(RobotFault fault) const;  // for the report being handled
    void act(const HidReport& r);
    void misbehave(size_t firstNewReply);
    HidReport randomReport();

    mutable std::mutex m_mutex;
    RobotMode m_mode = RobotMode::Application;
    bool m_plugged = true;
    uint64_t m_generation = 1;
    uint64_t m_lastHandle = 0;
    uint64_t m_writingHandle =
        0;  // the handle of the report being handled  // a restart re-enumerates: devices of an older generation are dead
    LinkClock m_clock;
    std::chrono::milliseconds m_awayUntil{};  // link time
    std::chrono::milliseconds m_restartDelay{0};
    int m_answersLeft = -1;
    int m_failBootWrite = 0;
    uint8_t m_corruptMask = 0;
    std::vector<uint8_t> m_flash;
    std::vector<uint8_t> m_memoryMapArea;
    uint8_t m_bootFlag = 0xFF;
    MemoryImage m_memory{};
    std::deque<Reply> m_replies;
    std::deque<Reply> m_late;  // released when a read gives up
    bool m_readErrorPending = false;
    bool m_bootProbeEcho = false;
    bool m_firmwareSession = false;  // a firmware erase since the boot loader started
    bool m_firmwareErased = false;   // firmware erased, and no attempt got to its memory map since
    std::vector<RobotFaultAt> m_faults;
    int m_faultBase = 0;  // reports written before the faults were set
    std::chrono::milliseconds m_slowDelay{10};
    std::chrono::milliseconds m_tooSlowDelay{1500};
    uint32_t m_random = 0x2545F491;
    VirtualRobotCounters m_counters;
};

}  // namespace trovel
