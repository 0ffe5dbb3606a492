#include "robot/virtual_robot.h"

#include <algorithm>
#include <fstream>
#include <thread>

#include "model/atomic_file.h"
#include "model/sequence_code.h"
#include "robot/hid_report.h"

namespace trovel {

namespace {

struct FaultName {
    RobotFault fault;
    std::string_view name;
    bool once;
};

constexpr FaultName kFaultNames[kRobotFaultCount] = {
    {RobotFault::Garbage, "garbage", false},
    {RobotFault::Short, "short", false},
    {RobotFault::Long, "long", false},
    {RobotFault::Duplicate, "duplicate", true},
    {RobotFault::Late, "late", true},
    {RobotFault::Unsolicited, "unsolicited", true},
    {RobotFault::ReadError, "read-error", true},
    {RobotFault::WriteError, "write-error", true},
    {RobotFault::IgnoreBoot, "ignore-boot", false},
    {RobotFault::StayInBoot, "stay-in-boot", false},
    {RobotFault::Echo, "echo", false},
    {RobotFault::Slow, "slow", false},
    {RobotFault::TooSlow, "too-slow", false},
    {RobotFault::FlashIgnore, "flash-ignore", false},
    {RobotFault::FirmwareIgnore, "firmware-ignore", false},
    {RobotFault::NoBoot, "no-boot", false},
    {RobotFault::Unplug, "unplug", false},
};

class VirtualRobotDevice : public HidDevice {
public:
    VirtualRobotDevice(std::shared_ptr<VirtualRobot> robot, uint64_t generation, uint64_t handle)
        : m_robot(std::move(robot)), m_generation(generation), m_handle(handle) {}
    ~VirtualRobotDevice() override { m_robot->deviceClosed(m_handle); }
    VirtualRobotDevice(const VirtualRobotDevice&) = delete;
    VirtualRobotDevice& operator=(const VirtualRobotDevice&) = delete;
    int write(const HidReport& report) override { return m_robot->deviceWrite(m_generation, m_handle, report); }
    int read(HidReport& report, int timeoutMs) override { return m_robot->deviceRead(m_generation, report, timeoutMs); }

private:
    std::shared_ptr<VirtualRobot> m_robot;
    uint64_t m_generation;
    uint64_t m_handle;
};

}  // namespace

std::string_view robotFaultName(RobotFault fault) { return kFaultNames[static_cast<int>(fault)].name; }

bool robotFaultOnce(RobotFault fault) { return kFaultNames[static_cast<int>(fault)].once; }

std::optional<RobotFaultAt> parseRobotFault(std::string_view text) {
    const size_t at = text.find('@');
    const std::string_view name = text.substr(0, at);
    RobotFaultAt result;
    if (at != std::string_view::npos) {
        const std::string_view number = text.substr(at + 1);
        if (number.empty() || number.size() > 9) return std::nullopt;
        int n = 0;
        for (char c : number) {
            if (c < '0' || c > '9') return std::nullopt;
            n = n * 10 + (c - '0');
        }
        if (n < 1) return std::nullopt;
        result.fromReport = n;
    }
    for (const FaultName& f : kFaultNames) {
        if (f.name != name) continue;
        result.fault = f.fault;
        return result;
    }
    return std::nullopt;
}

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
    if (!m_plugged || linkNow(m_clock) < m_awayUntil) return nullptr;
    return std::make_unique<VirtualRobotDevice>(shared_from_this(), m_generation, ++m_lastHandle);
}

DeviceFinder VirtualRobot::finder() {
    std::shared_ptr<VirtualRobot> self = shared_from_this();
    return [self] { return FoundDevice{self->open()}; };
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

void VirtualRobot::addFault(RobotFaultAt fault) {
    std::lock_guard lock(m_mutex);
    if (m_faults.empty()) m_faultBase = m_counters.reports;
    fault.fromReport += m_counters.reports - m_faultBase;
    m_faults.push_back(fault);
}

void VirtualRobot::setBootLoaderEchoesProbe(bool echoes) {
    std::lock_guard lock(m_mutex);
    m_bootProbeEcho = echoes;
}

void VirtualRobot::setReplyDelays(std::chrono::milliseconds slow, std::chrono::milliseconds tooSlow) {
    std::lock_guard lock(m_mutex);
    m_slowDelay = slow;
    m_tooSlowDelay = tooSlow;
}

void VirtualRobot::setClock(LinkClock clock) {
    std::lock_guard lock(m_mutex);
    m_clock = std::move(clock);
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

MemoryImage VirtualRobot::memory() const {
    std::lock_guard lock(m_mutex);
    return m_memory;
}

void VirtualRobot::setMemory(int index, uint8_t value) {
    std::lock_guard lock(m_mutex);
    if (index >= 0 && index < MemoryMap::Size) m_memory[index] = value;
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
    m_late.clear();
    m_mode = mode;
    m_firmwareSession = false;
    m_awayUntil = linkNow(m_clock) + m_restartDelay;
    if (mode == RobotMode::Application) {
        // The firmware starts with its motor gains from the memory map area, everything else 0.
        m_memory.fill(0);
        m_memory[MemoryMap::LeftMotorSetting] = m_memoryMapArea[MemoryMap::LeftMotorSetting];
        m_memory[MemoryMap::RightMotorSetting] = m_memoryMapArea[MemoryMap::RightMotorSetting];
    }
}

void VirtualRobot::deviceClosed(uint64_t handle) {
    std::lock_guard lock(m_mutex);
    const auto mine = [handle](const Reply& r) { return r.handle == handle; };
    std::erase_if(m_replies, mine);
    std::erase_if(m_late, mine);
}

int VirtualRobot::deviceWrite(uint64_t generation, uint64_t handle, const HidReport& report) {
    std::lock_guard lock(m_mutex);
    if (!deviceValid(generation)) return -1;
    m_writingHandle = handle;
    ++m_counters.reports;
    if (faultActive(RobotFault::Unplug)) {
        ++m_generation;
        m_plugged = false;
        m_replies.clear();
        return -1;
    }
    if (faultActive(RobotFault::WriteError)) return -1;
    if (m_answersLeft == 0) return kReportBytes;  // gone silent: nothing is acted on
    if (m_answersLeft > 0) --m_answersLeft;
    const size_t before = m_replies.size();
    if (m_mode == RobotMode::BootLoader && report[1] == BootCommand::Write && m_failBootWrite > 0 &&
        --m_failBootWrite == 0) {
        ++m_generation;  // pulled out in the middle of the write
        m_plugged = false;
        return -1;
    }
    act(report);
    misbehave(before);
    return kReportBytes;
}

void VirtualRobot::act(const HidReport& report) {
    if (m_mode == RobotMode::Application) {
        if (faultActive(RobotFault::Echo)) {
            m_replies.push_back({report});
            return;
        }
        if (report[1] == AppCommand::EnterBootLoader && faultActive(RobotFault::IgnoreBoot)) return;
        handleApplication(report);
        return;
    }
    if (report[1] == BootCommand::Reset && faultActive(RobotFault::StayInBoot)) return;
    handleBootLoader(report);
}

void VirtualRobot::misbehave(size_t firstNew) {
    const auto now = linkNow(m_clock);
    for (size_t i = firstNew; i < m_replies.size(); ++i) {
        Reply& reply = m_replies[i];
        reply.readyAt = now;
        reply.handle = m_writingHandle;
        if (faultActive(RobotFault::Garbage)) reply.bytes = randomReport();
        if (faultActive(RobotFault::Short)) reply.length = kReportBytes - 32;
        if (faultActive(RobotFault::Long)) reply.length = kReportBytes + 1;
        if (faultActive(RobotFault::Slow)) reply.readyAt = now + m_slowDelay;
        if (faultActive(RobotFault::TooSlow)) reply.readyAt = now + m_tooSlowDelay;
    }
    if (faultActive(RobotFault::Duplicate) && m_replies.size() > firstNew) m_replies.push_back(m_replies.back());
    if (faultActive(RobotFault::Late)) {
        m_late.insert(m_late.end(), m_replies.begin() + static_cast<std::ptrdiff_t>(firstNew), m_replies.end());
        m_replies.erase(m_replies.begin() + static_cast<std::ptrdiff_t>(firstNew), m_replies.end());
    }
    if (faultActive(RobotFault::Unsolicited)) m_replies.push_back({randomReport(), kReportBytes, now, m_writingHandle});
    if (faultActive(RobotFault::ReadError)) m_readErrorPending = true;
}

HidReport VirtualRobot::randomReport() {
    HidReport r{};
    for (uint8_t& b : r) {
        m_random = m_random * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(m_random >> 24);
    }
    return r;
}

bool VirtualRobot::faultActive(RobotFault fault) const {
    const int report = m_counters.reports - m_faultBase;
    for (const RobotFaultAt& f : m_faults) {
        if (f.fault != fault) continue;
        if (robotFaultOnce(fault) ? report == f.fromReport : report >= f.fromReport) return true;
    }
    return false;
}

int VirtualRobot::deviceRead(uint64_t generation, HidReport& report, int timeoutMs) {
    LinkClock clock;
    {
        std::lock_guard lock(m_mutex);
        clock = m_clock;
    }
    const auto deadline = linkNow(clock) + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        std::chrono::milliseconds wakeAt = deadline, now{};
        {
            std::lock_guard lock(m_mutex);
            if (!deviceValid(generation)) return -1;
            if (m_readErrorPending) {
                m_readErrorPending = false;
                return -1;
            }
            now = linkNow(clock);
            if (!m_replies.empty() && m_replies.front().readyAt <= now) {
                const Reply reply = m_replies.front();
                m_replies.pop_front();
                report = reply.bytes;
                return reply.length;
            }
            if (now >= deadline) {
                // The reader gave up: what was held back arrives now, for the next reader.
                for (Reply& r : m_late) r.readyAt = now;
                m_replies.insert(m_replies.end(), m_late.begin(), m_late.end());
                m_late.clear();
                return 0;
            }
            if (!m_replies.empty()) wakeAt = std::min(wakeAt, m_replies.front().readyAt);
        }
        linkSleep(clock, wakeAt - now);
    }
}

void VirtualRobot::handleApplication(const HidReport& r) {
    HidReport reply{};
    switch (r[1]) {
    case AppCommand::Probe:
        ++m_counters.probes;
        reply[1] = AppCommand::ProbeAnswer;
        m_replies.push_back({reply});
        return;
    case AppCommand::EnterBootLoader:
        ++m_counters.bootEntries;
        restart(RobotMode::BootLoader);
        return;
    case 'm':
        reply[1] = 'm';
        reply[2] = r[2];
        reply[3] = 0;
        reply[4] = MemoryMap::Size;
        if (r[2] == 'r') {
            std::copy(m_memory.begin(), m_memory.end(), reply.begin() + 5);
        } else if (r[2] == 'w') {
            ++m_counters.memoryWrites;
            std::copy(r.begin() + 5, r.begin() + 5 + MemoryMap::Size, m_memory.begin());
        } else if (r[2] == 'f') {
            ++m_counters.mfRequests;
        }
        m_replies.push_back({reply});
        return;
    default: return;  // unknown commands get no answer
    }
}

void VirtualRobot::handleBootLoader(const HidReport& r) {
    const uint32_t address = requestAddress(r);
    const int n = std::min<int>(r[6], kMaxBootData);
    const uint8_t* data = r.data() + (kReportBytes - n);
    // The memory map answers at the address of the transfer under way: 00 00 F0 00 once the
    // firmware was erased, else 00 00 F0 07.
    const uint32_t mapAddress = m_firmwareSession ? kFirmwareMemoryMapAddress : kMemoryMapAddress;
    auto isMemoryMap = [mapAddress](uint32_t a) { return a == mapAddress; };
    switch (r[1]) {
    case AppCommand::Probe: {
        ++m_counters.probes;
        HidReport reply{};
        reply[1] = 'B';  // anything but 'U' tells the boot loader apart
        m_replies.push_back({m_bootProbeEcho ? r : reply});
        return;
    }
    case BootCommand::Erase: {
        ++m_counters.erases;
        const bool sequence = r[2] == kEraseSequence;
        const uint32_t from = sequence ? kSequenceAddress : kFirmwareAddress;
        const uint32_t to = sequence ? kSequenceEnd : kFirmwareEnd;
        std::fill(m_flash.begin() + from, m_flash.begin() + to, 0xFF);
        if (!sequence) m_firmwareSession = m_firmwareErased = true;
        return;
    }
    case BootCommand::Write:
        ++m_counters.bootWrites;
        if (address == kBootFlagAddress) {
            if (n >= 1) m_bootFlag = data[0];
        } else if (isMemoryMap(address)) {
            std::copy(data, data + n, m_memoryMapArea.begin());
            if (m_firmwareSession) m_firmwareErased = false;  // the last step of a firmware update
        } else {
            for (int i = 0; i < n; ++i) {
                const uint32_t a = address + i;
                // The boot loader protects itself; flash programming only clears bits.
                if (a < kFirmwareAddress || a >= m_flash.size()) continue;
                const bool sequence = a >= kSequenceAddress && a < kSequenceEnd;
                if (sequence && faultActive(RobotFault::FlashIgnore)) continue;
                if (a < kFirmwareEnd && faultActive(RobotFault::FirmwareIgnore)) continue;
                uint8_t value = data[i];
                if (sequence) value ^= m_corruptMask;
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
        m_replies.push_back({reply});
        return;
    }
    case BootCommand::Reset:
        ++m_counters.resets;
        if (m_firmwareErased) ++m_counters.resetsAfterFirmwareErase;
        // A firmware that does not start leaves the boot loader in charge after the restart.
        restart(faultActive(RobotFault::NoBoot) ? RobotMode::BootLoader : RobotMode::Application);
        return;
    default: return;
    }
}

namespace {
constexpr char kStateMagic[8] = {'T', 'R', 'O', 'V', 'B', 'O', 'T', '1'};
}

bool VirtualRobot::load(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    char magic[sizeof kStateMagic];
    std::vector<uint8_t> flash(kFlashBytes), map(kMemoryMapBytes);
    MemoryImage memory{};
    char mode = 0;
    file.read(magic, sizeof magic);
    file.read(&mode, 1);
    file.read(reinterpret_cast<char*>(memory.data()), memory.size());
    file.read(reinterpret_cast<char*>(map.data()), map.size());
    file.read(reinterpret_cast<char*>(flash.data()), flash.size());
    if (!file || file.peek() != std::char_traits<char>::eof() ||
        !std::equal(magic, magic + sizeof magic, kStateMagic) || (mode != 0 && mode != 1))
        return false;
    std::lock_guard lock(m_mutex);
    m_mode = mode == 1 ? RobotMode::BootLoader : RobotMode::Application;
    m_memory = memory;
    m_memoryMapArea = map;
    m_flash = flash;
    return true;
}

bool VirtualRobot::save(const std::filesystem::path& path) const {
    std::vector<uint8_t> bytes(kStateMagic, kStateMagic + sizeof kStateMagic);
    {
        std::lock_guard lock(m_mutex);
        bytes.push_back(m_mode == RobotMode::BootLoader ? 1 : 0);
        bytes.insert(bytes.end(), m_memory.begin(), m_memory.end());
        bytes.insert(bytes.end(), m_memoryMapArea.begin(), m_memoryMapArea.end());
        bytes.insert(bytes.end(), m_flash.begin(), m_flash.end());
    }
    return writeFileAtomically(path, bytes);
}

}  // namespace trovel
