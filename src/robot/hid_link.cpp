#include "robot/hid_link.h"

#include <chrono>

#include "model/sequence_code.h"
#include "robot/boot_loader.h"
#include "robot/hid_report.h"

namespace trovel {

MotorSpeeds motorSpeedsFromGains(uint8_t leftRaw, uint8_t rightRaw) {
    return {static_cast<uint8_t>(motorSettingPercent(leftRaw)), static_cast<uint8_t>(motorSettingPercent(rightRaw))};
}

HidLink::HidLink(DeviceFinder finder, OptionFlags& flags, LinkState& state, LinkTiming timing)
    : m_finder(std::move(finder)), m_flags(flags), m_state(state), m_timing(timing) {}

HidLink::~HidLink() {
    stopLink();
    m_device.reset();
}

bool HidLink::startLink() {
    if (m_threadActive.exchange(true)) return false;
    m_mfRequested = false;
    m_restartCounter = 0;
    m_running = true;
    m_thread = std::thread([this] { run(); });
    return true;
}

bool HidLink::stopLink() {
    const bool was = m_running.exchange(false);
    { std::lock_guard lock(m_sleepMutex); }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
    m_threadActive = false;
    return was;
}

bool HidLink::sleepFor(int ms) {
    // A transfer may sleep while the link thread is stopped (tests run transfers alone).
    if (!m_threadActive.load()) {
        linkSleep(m_timing.clock, std::chrono::milliseconds(ms));
        return true;
    }
    // A test's clock moves on at once; the thread still pauses for real, so it never spins.
    if (stepped(m_timing.clock)) linkSleep(m_timing.clock, std::chrono::milliseconds(ms));
    std::unique_lock lock(m_sleepMutex);
    return !m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_running.load(); });
}

void HidLink::queueMemoryByte(int index, uint8_t value) {
    if (index < 0 || index >= MemoryMap::Size) return;
    std::lock_guard lock(m_pendingMutex);
    m_pendingValue[index] = value;
    m_pendingState[index] = 1;
}

void HidLink::requestMfCommand() { m_mfRequested = true; }

void HidLink::setMotorSpeedSink(std::function<void(MotorSpeeds)> sink) {
    std::lock_guard lock(m_pendingMutex);
    m_motorSink = std::move(sink);
}

bool HidLink::tryClaim() {
    bool expected = false;
    return m_busy.compare_exchange_strong(expected, true);
}

void HidLink::release() { m_busy = false; }

ClaimResult HidLink::claimForTransfer(const std::atomic<bool>* cancel, const std::function<void(int)>& step,
                                      bool requireConnection) {
    for (int i = 0; i < m_timing.claimSteps; ++i) {
        if (tryClaim()) return ClaimResult::Claimed;
        if (step) step(i);
        if ((cancel && cancel->load()) || (requireConnection && !m_flags.has(Option::Connected)))
            return ClaimResult::GaveUp;
        if (requireConnection && !m_deviceOpen) return ClaimResult::GaveUp;
        linkSleep(m_timing.clock, std::chrono::milliseconds(m_timing.claimStepMs));
    }
    // The last chance after the bounded wait; a transfer never shares the device with a poll.
    return tryClaim() ? ClaimResult::Claimed : ClaimResult::StillBusy;
}

bool HidLink::findRobot() {
    closeDevice();
    FoundDevice found;
    if (m_finder) found = m_finder();
    m_device = std::move(found.device);
    m_deviceOpen = m_device != nullptr;
    m_state.setInUse(!m_device && found.inUse);
    return m_deviceOpen;
}

void HidLink::closeDevice() {
    m_device.reset();
    m_deviceOpen = false;
}

void HidLink::run() {
    while (m_running) {
        if (!tryClaim()) {  // a transfer owns the device
            sleepFor(m_timing.pollMs);
            continue;
        }
        m_flags.clear(Option::Connected | Option::TransferActive);
        const bool found = findRobot();
        if (found) {
            // Connected waits for the first good probe: a device that opens may not answer.
            m_restartCounter = 0;
            m_memory.fill(0);
            m_memoryArrived = false;
            m_state.storeRobotMemory(m_memory);
            {
                std::lock_guard lock(m_pendingMutex);
                m_pendingState.fill(0);
                // Memory bytes 2 and 3 start at 0 on every connection.
                m_pendingValue[2] = m_pendingValue[3] = 0;
                m_pendingState[2] = m_pendingState[3] = 1;
            }
            m_mfRequested = true;
        } else {
            closeDevice();
            m_state.setInBootLoader(false);
            if (m_flags.has(Option::RobotRestarting) && ++m_restartCounter >= m_timing.restartingPasses) {
                // A robot that never came back must not leave the label at "書込中".
                m_flags.clear(Option::RobotRestarting);
                m_restartCounter = 0;
            }
        }
        release();
        m_state.showStatus(m_flags);
        if (found) pollLoop();
        if (tryClaim()) {
            closeDevice();
            release();
        }
        sleepFor(m_timing.pollMs);
    }
}

void HidLink::pollLoop() {
    bool firstPoll = true;
    while (m_running) {
        if (tryClaim()) {
            if (!m_device) {  // a transfer closed it: go back to discovery
                release();
                return;
            }
            const bool good = pollOnce(firstPoll);
            if (!good) closeDevice();
            release();
            if (!good) return;
        }
        sleepFor(m_timing.pollMs);
    }
}

bool HidLink::pollOnce(bool& firstPoll) {
    if (!m_device) return false;
    HidDevice& device = *m_device;
    const int timeout = m_timing.reportTimeoutMs;
    HidReport reply{};
    const ProbeAnswer answer = probeRobot(device, timeout);
    if (answer == ProbeAnswer::None) return false;  // a slow firmware is no boot loader: try again
    if (answer == ProbeAnswer::BootLoader) {
        m_state.setInBootLoader(true);
        // Send the robot back to its program, unless that program is a half-written firmware:
        // then it waits in its boot loader for the next firmware update.
        if (!m_state.firmwareIncomplete()) leaveBootLoader(*this);
        return false;
    }
    m_state.setInBootLoader(false);
    const bool wasConnected = m_flags.has(Option::Connected);
    const bool wasRestarting = m_flags.has(Option::RobotRestarting);
    m_flags.clear(Option::RobotRestarting);
    m_flags.set(Option::Connected);
    // The label said "書込中" while the robot restarted; it answers again, so say so now: nothing
    // else would, as the connection state itself may not change.
    if (wasRestarting || !wasConnected) m_state.showStatus(m_flags);

    const bool memoryRead = readRobotMemory(device, m_memory, timeout);
    if (memoryRead) {
        m_memoryArrived = true;
        m_state.storeRobotMemory(m_memory);
    }

    // Only gains actually read count: the cleared copy of a new connection would set both
    // speeds to 0 % and every later download would stop the wheels.
    if (m_flags.has(Option::ReadMotorSpeedOnConnect) && firstPoll && memoryRead) {
        std::function<void(MotorSpeeds)> sink;
        {
            std::lock_guard lock(m_pendingMutex);
            sink = m_motorSink;
        }
        if (sink)
            sink(motorSpeedsFromGains(m_memory[MemoryMap::LeftMotorSetting], m_memory[MemoryMap::RightMotorSetting]));
        firstPoll = false;
    }

    MemoryImage out = m_memory;
    bool any = false;
    // A memory write carries all 32 bytes: over a copy that never arrived it would wipe the
    // robot's memory, so queued bytes wait for a memory read that is answered.
    if (m_memoryArrived) {
        std::lock_guard lock(m_pendingMutex);
        for (int i = 0; i < MemoryMap::Size; ++i) {
            if (m_pendingState[i] == 0) continue;
            out[i] = m_pendingValue[i];
            m_pendingState[i] = 2;
            any = true;
        }
    }
    // A failed write leaves the bytes at 2, so the next poll sends them again.
    if (any && !exchange(device, memoryWriteRequest(out), reply, timeout)) return false;

    if (m_mfRequested) {
        if (!exchange(device, mfRequest(), reply, timeout)) return false;
        m_mfRequested = false;
    }

    std::lock_guard lock(m_pendingMutex);
    for (uint8_t& s : m_pendingState)
        if (s == 2) s = 0;
    return true;
}

}  // namespace trovel
