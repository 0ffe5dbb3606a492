#include "robot/link_state.h"

#include "base/string_ids.h"

namespace trovel {

LinkStatus linkStatus(uint32_t bits, LinkConditions conditions) {
    if (bits & Option::TransferActive) return LinkStatus::Writing;
    if (conditions.firmwareIncomplete) return LinkStatus::FirmwareIncomplete;
    if (conditions.inUse) return LinkStatus::InUse;
    if (bits & Option::RobotRestarting) return LinkStatus::Writing;
    if (bits & Option::Connected) return LinkStatus::Connected;
    return LinkStatus::NotConnected;
}

int linkStatusString(LinkStatus status) {
    switch (status) {
    case LinkStatus::Writing: return Str::Writing;
    case LinkStatus::Connected: return Str::Connected;
    case LinkStatus::FirmwareIncomplete: return Str::FirmwareIncomplete;
    case LinkStatus::InUse: return Str::RobotInUse;
    case LinkStatus::NotConnected: break;
    }
    return Str::NotConnected;
}

void LinkState::storeRobotMemory(const MemoryImage& memory) {
    std::lock_guard lock(m_mutex);
    m_robot = memory;
}

void LinkState::setStatusListener(std::function<void(LinkStatus)> listener) {
    std::lock_guard lock(m_mutex);
    m_listener = std::move(listener);
}

void LinkState::setFirmwareIncomplete(bool incomplete) {
    std::lock_guard lock(m_mutex);
    m_conditions.firmwareIncomplete = incomplete;
}

bool LinkState::firmwareIncomplete() const {
    std::lock_guard lock(m_mutex);
    return m_conditions.firmwareIncomplete;
}

void LinkState::setInUse(bool inUse) {
    std::lock_guard lock(m_mutex);
    m_conditions.inUse = inUse;
}

bool LinkState::inUse() const {
    std::lock_guard lock(m_mutex);
    return m_conditions.inUse;
}

void LinkState::setInBootLoader(bool inBootLoader) {
    std::lock_guard lock(m_mutex);
    m_inBootLoader = inBootLoader;
}

bool LinkState::inBootLoader() const {
    std::lock_guard lock(m_mutex);
    return m_inBootLoader;
}

MemoryImage LinkState::robotMemory() const {
    std::lock_guard lock(m_mutex);
    return m_robot;
}

void LinkState::showStatus(const OptionFlags& flags) const {
    std::function<void(LinkStatus)> listener;
    LinkConditions conditions;
    {
        std::lock_guard lock(m_mutex);
        listener = m_listener;
        conditions = m_conditions;
    }
    // Called outside the lock: the listener may read the memory again.
    if (listener) listener(linkStatus(flags.bits(), conditions));
}

}  // namespace trovel
