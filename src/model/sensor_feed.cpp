#include "model/sensor_feed.h"

namespace trovel {

SensorSource SensorFeed::source() const {
    if (m_options.has(Option::Connected)) return SensorSource::Robot;
    if (m_simulator) return SensorSource::Simulator;
    return SensorSource::None;
}

MemoryImage SensorFeed::memory() const {
    if (source() == SensorSource::Simulator) return m_simulator();
    return m_robot ? m_robot() : MemoryImage{};
}

}  // namespace trovel
