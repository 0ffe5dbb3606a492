#pragma once
// The robot link: the device, the link claim, the polling thread that notices the robot coming
// and going, keeps the copy of its memory and sends queued memory writes.
//
// Whoever holds the claim (the link thread for one discovery pass or one poll, or a transfer for
// its whole run) is the only one to touch the device, so the device needs no lock of its own.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "model/option_flags.h"
#include "robot/hid_device.h"
#include "robot/link_clock.h"
#include "robot/link_state.h"

namespace trovel {

// Periods and limits of the link. Tests shorten the times; the counts are the robot's protocol.
struct LinkTiming {
    int pollMs = 100;            // between polls and between discovery passes
    int reportTimeoutMs = 1000;  // longest wait for one reply
    int claimStepMs = 20;        // a transfer's wait for the claim
    int claimSteps = 501;
    int reconnectStepMs = 500;  // the wait for the boot loader after a restart: steps of this,
    int reconnectPasses = 62;   // for this many steps' time (probe time-outs count against it)
    int restartingPasses = 32;  // failed discovery passes before RobotRestarting is dropped
    LinkClock clock;            // every wait and time limit of the link and the transfers
};

// Motor speed settings, percent 0..100.
struct MotorSpeeds {
    uint8_t left = 0;
    uint8_t right = 0;
    friend bool operator==(const MotorSpeeds&, const MotorSpeeds&) = default;
};
// The robot's raw gains (memory bytes 7 and 8) as percentages.
MotorSpeeds motorSpeedsFromGains(uint8_t leftRaw, uint8_t rightRaw);

enum class ClaimResult {
    Claimed,
    GaveUp,     // cancelled, the robot is no longer connected, or no device is open
    StillBusy,  // the claim was not freed within the bounded wait
};

class HidLink {
public:
    HidLink(DeviceFinder finder, OptionFlags& flags, LinkState& state, LinkTiming timing = {});
    ~HidLink();  // stops the thread and waits for it
    HidLink(const HidLink&) = delete;
    HidLink& operator=(const HidLink&) = delete;

    // Starts the link thread once; false when it already runs.
    bool startLink();
    // Stops the thread and waits for it (at most one report time-out and one poll period).
    // Returns whether it was running.
    bool stopLink();
    bool running() const { return m_running.load(); }

    // Queues one memory byte (index 0..31) for the next poll; other indices are ignored.
    void queueMemoryByte(int index, uint8_t value);
    void requestMfCommand();
    // Receives the robot's motor speeds when ReadMotorSpeedOnConnect takes them (link thread).
    void setMotorSpeedSink(std::function<void(MotorSpeeds)> sink);

    // The claim. tryClaim never waits. claimForTransfer waits in claimStepMs steps while the claim
    // is held, reporting the step number; it gives up when `cancel` is set, when Connected is
    // cleared (only when `requireConnection`) or when no device is open.
    bool tryClaim();
    ClaimResult claimForTransfer(const std::atomic<bool>* cancel, const std::function<void(int)>& step,
                                 bool requireConnection = true);
    void release();
    bool busy() const { return m_busy.load(); }

    // Device access for the holder of the claim.
    HidDevice* device() { return m_device.get(); }
    bool findRobot();
    void closeDevice();
    bool deviceOpen() const { return m_deviceOpen.load(); }

    OptionFlags& flags() { return m_flags; }
    LinkState& state() { return m_state; }
    const LinkTiming& timing() const { return m_timing; }
    // Sleeps up to `ms` of link time, returning early (false) when the link is being stopped.
    bool sleepFor(int ms);

    // One poll of a discovered robot, as the link thread runs it (claim held). False: bad poll.
    bool pollOnce(bool& firstPoll);

private:
    void run();
    void pollLoop();

    DeviceFinder m_finder;
    OptionFlags& m_flags;
    LinkState& m_state;
    LinkTiming m_timing;

    std::unique_ptr<HidDevice> m_device;  // touched only under the claim
    std::atomic<bool> m_deviceOpen{false};
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_threadActive{false};  // the link thread exists (set before it starts)
    std::atomic<bool> m_mfRequested{false};
    std::thread m_thread;
    std::mutex m_sleepMutex;
    std::condition_variable m_wake;

    MemoryImage m_memory{};        // link thread only
    bool m_memoryArrived = false;  // a memory read of this connection was answered (link thread only)
    std::mutex m_pendingMutex;
    MemoryImage m_pendingValue{};
    std::array<uint8_t, MemoryMap::Size> m_pendingState{};  // 0 none, 1 queued, 2 sent in this poll
    std::function<void(MotorSpeeds)> m_motorSink;
    int m_restartCounter = 0;
};

}  // namespace trovel
