#pragma once
// An emulated robot behind the HidDevice interface: application firmware with its 32-byte memory,
// and a boot loader with flash, the memory map area and the restart between the two. Tests use
// it in place of hardware; the studio can be started against it (TROVEL_VIRTUAL_ROBOT=1).

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "robot/hid_device.h"
#include "robot/link_state.h"

namespace trovel {

enum class RobotMode { Application, BootLoader };

// What the emulated robot has been asked to do, for tests to check.
struct VirtualRobotCounters {
    int reports = 0;       // reports written to it
    int memoryWrites = 0;  // 'mw' requests
    int mfRequests = 0;
    int probes = 0;
    int erases = 0;
    int bootWrites = 0;    // boot-loader write requests
    int resets = 0;        // boot loader left
    int bootEntries = 0;   // 'b' requests
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

    RobotMode mode() const;
    void setMode(RobotMode mode);  // without a restart: for setting up a test
    std::vector<uint8_t> flash(uint32_t address, size_t count) const;
    void setFlash(uint32_t address, const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> memoryMapArea() const;  // 58 bytes
    void setMemoryMapArea(int index, uint8_t value);
    RobotMemory memory() const;
    void setMemory(int index, uint8_t value);
    VirtualRobotCounters counters() const;

    // Device side.
    int deviceWrite(uint64_t generation, const HidReport& report);
    int deviceRead(uint64_t generation, HidReport& report, int timeoutMs);

private:
    VirtualRobot();
    void restart(RobotMode mode);
    void handleApplication(const HidReport& r);
    void handleBootLoader(const HidReport& r);
    bool deviceValid(uint64_t generation) const;

    mutable std::mutex m_mutex;
    RobotMode m_mode = RobotMode::Application;
    bool m_plugged = true;
    uint64_t m_generation = 1;  // a restart re-enumerates: devices of an older generation are dead
    std::chrono::steady_clock::time_point m_awayUntil{};
    std::chrono::milliseconds m_restartDelay{0};
    int m_answersLeft = -1;
    int m_failBootWrite = 0;
    uint8_t m_corruptMask = 0;
    std::vector<uint8_t> m_flash;
    std::vector<uint8_t> m_memoryMapArea;
    uint8_t m_bootFlag = 0xFF;
    RobotMemory m_memory{};
    std::deque<HidReport> m_replies;
    VirtualRobotCounters m_counters;
};

}  // namespace trovel
