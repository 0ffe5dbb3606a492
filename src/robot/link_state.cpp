#include "robot/link_state.h"

#include "app/string_ids.h"

namespace trovel {

LinkStatus linkStatus(uint32_t bits) {
    if (bits & (Option::RobotRestarting | Option::TransferActive)) return LinkStatus::Writing;
    if (bits & Option::Connected) return LinkStatus::Connected;
    return LinkStatus::NotConnected;
}

int linkStatusString(LinkStatus status) {
    switch (status) {
    case LinkStatus::Writing: return Str::Writing;
    case LinkStatus::Connected: return Str::Connected;
    case LinkStatus::NotConnected: break;
    }
    return Str::NotConnected;
}

void LinkState::storeRobotMemory(const RobotMemory& memory) {
    std::lock_guard lock(m_mutex);
    m_robot = memory;
}

void LinkState::setSimulatorMemory(SimulatorMemory source) {
    std::lock_guard lock(m_mutex);
    m_simulator = std::move(source);
}

void LinkState::setStatusListener(std::function<void(LinkStatus)> listener) {
    std::lock_guard lock(m_mutex);
    m_listener = std::move(listener);
}

RobotMemory LinkState::copyMemory(const OptionFlags& flags) const {
    std::lock_guard lock(m_mutex);
    if (!flags.has(Option::Connected) && m_simulator) {
        RobotMemory sim{};
        if (m_simulator(sim)) return sim;
    }
    return m_robot;
}

SensorSource LinkState::sensorSource(const OptionFlags& flags) const {
    if (flags.has(Option::Connected)) return SensorSource::Robot;
    std::lock_guard lock(m_mutex);
    RobotMemory scratch{};
    if (m_simulator && m_simulator(scratch)) return SensorSource::Simulator;
    return SensorSource::None;
}

void LinkState::showStatus(const OptionFlags& flags) const {
    std::function<void(LinkStatus)> listener;
    {
        std::lock_guard lock(m_mutex);
        listener = m_listener;
    }
    // Called outside the lock: the listener may read the memory again.
    if (listener) listener(linkStatus(flags.bits()));
}

LinkState& linkState() {
    static LinkState state;
    return state;
}

RobotMemory CopyRobotMemory() { return linkState().copyMemory(optionFlags()); }

void ShowLinkStatus() { linkState().showStatus(optionFlags()); }

}  // namespace trovel
