#include "robot/virtual_robot.h"

#include <algorithm>
#include <thread>

#include "model/sequence_code.h"
#include "robot/hid_report.h"

namespace trovel {

namespace {

class VirtualRobotDevice : public HidDevice {
public:
    VirtualRobotDevice(std::shared_ptr<VirtualRobot> robot, uint64_t generation)
        : m_robot(std::move(robot)), m_generation(generation) {}
    int write(const HidReport& report) override { return m_robot->deviceWrite(m_generation, report); }
    int read(HidReport& report, int timeoutMs) override { return m_robot->deviceRead(m_generation, report, timeoutMs); }

private:
    std::shared_ptr<VirtualRobot> m_robot;
    uint64_t m_generation;
};

}  // namespace

VirtualRobot::VirtualRobot() : m_flash(kFlashBytes, 0xFF), m_memoryMapArea(kMemoryMapBytes, 0) {
    // A robot as shipped: firmware present, an empty sequence, motor gains at 60 %.
    std::fill(m_flash.begin() + kFirmwareAddress, m_flash.begin() + kFirmwareEnd, 0x5A);
    m_memoryMapArea[MemoryMap::LeftMotorSetting] = 153;
    m_memoryMapArea[MemoryMap::RightMotorSetting] = 153;
    m_memory[MemoryMap::LeftMotorSetting] = 153;
    m_memory[MemoryMap::RightMotorSetting] = 153;
}

std::shared_ptr<VirtualRobot> VirtualRobot::create() { return std::shared_ptr<VirtualRobot>(new VirtualRobot()); }

std::unique_ptr<HidDevice> VirtualRobot::open() {
    std::lock_guard lock(m_mutex);
    if (!m_plugged || std::chrono::steady_clock::now() < m_awayUntil) return nullptr;
    return std::make_unique<VirtualRobotDevice>(shared_from_this(), m_generation);
}

DeviceFinder VirtualRobot::finder() {
    std::shared_ptr<VirtualRobot> self = shared_from_this();
    return [self] { return self->open(); };
}

void VirtualRobot::setPlugged(bool plugged) {
    std::lock_guard lock(m_mutex);
    if (m_plugged && !plugged) {
        ++m_generation;
        m_replies.clear();
    }
    m_plugged = plugged;
}

void VirtualRobot::stopAnsweringAfter(int reports) {
    std::lock_guard lock(m_mutex);
    m_answersLeft = reports;
}

void VirtualRobot::setRestartDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(m_mutex);
    m_restartDelay = delay;
}

void VirtualRobot::failBootWrite(int n) {
    std::lock_guard lock(m_mutex);
    m_failBootWrite = n;
}

void VirtualRobot::corruptSequenceWrites(uint8_t mask) {
    std::lock_guard lock(m_mutex);
    m_corruptMask = mask;
}

RobotMode VirtualRobot::mode() const {
    std::lock_guard lock(m_mutex);
    return m_mode;
}

void VirtualRobot::setMode(RobotMode mode) {
    std::lock_guard lock(m_mutex);
    m_mode = mode;
}

std::vector<uint8_t> VirtualRobot::flash(uint32_t address, size_t count) const {
    std::lock_guard lock(m_mutex);
    std::vector<uint8_t> out(count, 0xFF);
    for (size_t i = 0; i < count; ++i)
        if (address + i < m_flash.size()) out[i] = m_flash[address + i];
    return out;
}

void VirtualRobot::setFlash(uint32_t address, const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(m_mutex);
    for (size_t i = 0; i < bytes.size(); ++i)
        if (address + i < m_flash.size()) m_flash[address + i] = bytes[i];
}

std::vector<uint8_t> VirtualRobot::memoryMapArea() const {
    std::lock_guard lock(m_mutex);
    return m_memoryMapArea;
}

void VirtualRobot::setMemoryMapArea(int index, uint8_t value) {
    std::lock_guard lock(m_mutex);
    if (index >= 0 && index < kMemoryMapBytes) m_memoryMapArea[index] = value;
}

RobotMemory VirtualRobot::memory() const {
    std::lock_guard lock(m_mutex);
    return m_memory;
}

void VirtualRobot::setMemory(int index, uint8_t value) {
    std::lock_guard lock(m_mutex);
    if (index >= 0 && index < kRobotMemoryBytes) m_memory[index] = value;
}

VirtualRobotCounters VirtualRobot::counters() const {
    std::lock_guard lock(m_mutex);
    return m_counters;
}

bool VirtualRobot::deviceValid(uint64_t generation) const { return m_plugged && generation == m_generation; }

void VirtualRobot::restart(RobotMode mode) {
    // The USB device goes away and comes back: every open handle is dead.
    ++m_generation;
    m_replies.clear();
    m_mode = mode;
    m_awayUntil = std::chrono::steady_clock::now() + m_restartDelay;
    if (mode == RobotMode::Application) {
        // The firmware starts with its motor gains from the memory map area, everything else 0.
        m_memory.fill(0);
        m_memory[MemoryMap::LeftMotorSetting] = m_memoryMapArea[MemoryMap::LeftMotorSetting];
        m_memory[MemoryMap::RightMotorSetting] = m_memoryMapArea[MemoryMap::RightMotorSetting];
    }
}

int VirtualRobot::deviceWrite(uint64_t generation, const HidReport& report) {
    std::lock_guard lock(m_mutex);
    if (!deviceValid(generation)) return -1;
    ++m_counters.reports;
    if (m_answersLeft == 0) return kReportBytes;  // gone silent: nothing is acted on
    if (m_answersLeft > 0) --m_answersLeft;
    if (m_mode == RobotMode::Application) handleApplication(report);
    else {
        if (report[1] == BootCommand::Write && m_failBootWrite > 0 && --m_failBootWrite == 0) {
            ++m_generation;  // pulled out in the middle of the write
            m_plugged = false;
            return -1;
        }
        handleBootLoader(report);
    }
    return kReportBytes;
}

int VirtualRobot::deviceRead(uint64_t generation, HidReport& report, int timeoutMs) {
    {
        std::lock_guard lock(m_mutex);
        if (!deviceValid(generation)) return -1;
        if (!m_replies.empty()) {
            report = m_replies.front();
            m_replies.pop_front();
            return kReportBytes;
        }
    }
    // Nothing will come: replies are produced when a request is written.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(timeoutMs, 0)));
    std::lock_guard lock(m_mutex);
    return deviceValid(generation) ? 0 : -1;
}

void VirtualRobot::handleApplication(const HidReport& r) {
    HidReport reply{};
    switch (r[1]) {
    case AppCommand::Probe:
        ++m_counters.probes;
        reply[1] = AppCommand::ProbeAnswer;
        m_replies.push_back(reply);
        return;
    case AppCommand::EnterBootLoader:
        ++m_counters.bootEntries;
        restart(RobotMode::BootLoader);
        return;
    case 'm':
        reply[1] = 'm';
        reply[2] = r[2];
        reply[3] = 0;
        reply[4] = kRobotMemoryBytes;
        if (r[2] == 'r') {
            std::copy(m_memory.begin(), m_memory.end(), reply.begin() + 5);
        } else if (r[2] == 'w') {
            ++m_counters.memoryWrites;
            std::copy(r.begin() + 5, r.begin() + 5 + kRobotMemoryBytes, m_memory.begin());
        } else if (r[2] == 'f') {
            ++m_counters.mfRequests;
        }
        m_replies.push_back(reply);
        return;
    default:
        return;  // unknown commands get no answer
    }
}

void VirtualRobot::handleBootLoader(const HidReport& r) {
    const uint32_t address = requestAddress(r);
    const int n = std::min<int>(r[6], kMaxBootData);
    const uint8_t* data = r.data() + (kReportBytes - n);
    auto isMemoryMap = [](uint32_t a) { return a == kMemoryMapAddress || a == kFirmwareMemoryMapAddress; };
    switch (r[1]) {
    case AppCommand::Probe: {
        ++m_counters.probes;
        HidReport reply{};
        reply[1] = 'B';  // anything but 'U' tells the boot loader apart
        m_replies.push_back(reply);
        return;
    }
    case BootCommand::Erase: {
        ++m_counters.erases;
        const bool sequence = r[2] == kEraseSequence;
        const uint32_t from = sequence ? kSequenceAddress : kFirmwareAddress;
        const uint32_t to = sequence ? kSequenceEnd : kFirmwareEnd;
        std::fill(m_flash.begin() + from, m_flash.begin() + to, 0xFF);
        return;
    }
    case BootCommand::Write:
        ++m_counters.bootWrites;
        if (address == kBootFlagAddress) {
            if (n >= 1) m_bootFlag = data[0];
        } else if (isMemoryMap(address)) {
            std::copy(data, data + n, m_memoryMapArea.begin());
        } else {
            for (int i = 0; i < n; ++i) {
                const uint32_t a = address + i;
                // The boot loader protects itself; flash programming only clears bits.
                if (a < kFirmwareAddress || a >= m_flash.size()) continue;
                uint8_t value = data[i];
                if (a >= kSequenceAddress && a < kSequenceEnd) value ^= m_corruptMask;
                m_flash[a] &= value;
            }
        }
        return;
    case BootCommand::Read: {
        HidReport reply{};
        for (int i = 0; i < n; ++i) {
            const uint32_t a = address + i;
            uint8_t value = 0xFF;
            if (isMemoryMap(address)) value = m_memoryMapArea[i];
            else if (a < m_flash.size()) value = m_flash[a];
            reply[kReportBytes - n + i] = value;
        }
        m_replies.push_back(reply);
        return;
    }
    case BootCommand::Reset:
        ++m_counters.resets;
        restart(RobotMode::Application);
        return;
    default:
        return;
    }
}

}  // namespace trovel
