#pragma once
// Where the palette and the memory map read the robot's memory: the robot link's copy while the
// robot is connected, else the simulator's while its window is open. The main window plugs the
// two readers in and out; the readers run on the UI thread.

#include <array>
#include <cstdint>
#include <functional>

#include "model/memory_map.h"
#include "model/option_flags.h"
#include "model/sequence_code.h"

namespace trovel {

enum class SensorSource {
    None,       // neither the robot nor a simulated run: values are unknown
    Robot,      // the robot answers in application mode
    Simulator,  // the simulator is open (and the robot is not connected)
};

class SensorFeed {
public:
    using Reader = std::function<MemoryImage()>;

    explicit SensorFeed(const OptionFlags& options) : m_options(options) {}

    // The robot link's last copy (zeros until a memory read was answered).
    void setRobot(Reader robot) { m_robot = std::move(robot); }
    // The simulator's memory while its window is open; an empty reader when it closes.
    void setSimulator(Reader simulator) { m_simulator = std::move(simulator); }

    SensorSource source() const;
    // The source's memory; the robot's copy when neither is there.
    MemoryImage memory() const;

private:
    const OptionFlags& m_options;
    Reader m_robot;
    Reader m_simulator;
};

}  // namespace trovel
