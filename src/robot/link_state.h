#pragma once
// What the rest of the studio sees of the robot link: the 32-byte copy of the robot's memory,
// where the sensor values come from, and the text of the connection-status label.
// The link thread writes the memory copy; the simulator lends its memory while it runs.

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>

#include "model/option_flags.h"

namespace trovel {

constexpr int kRobotMemoryBytes = 32;
using RobotMemory = std::array<uint8_t, kRobotMemoryBytes>;

// Memory addresses the palette shows.
namespace MemoryAddress {
constexpr int LeftSensor = 9;
constexpr int RightSensor = 10;
constexpr int Sensor3 = 11;
constexpr int Sensor4 = 12;
}  // namespace MemoryAddress

enum class SensorSource {
    None,       // neither the robot nor a simulated run: values are unknown
    Robot,      // the robot answers in application mode
    Simulator,  // the simulator runs (and the robot is not connected)
};

enum class LinkStatus { NotConnected, Connected, Writing };

// "書込中" while a transfer runs or the robot restarts, "接続中" when connected, else "未接続".
LinkStatus linkStatus(uint32_t optionBits);
// String number of the status text.
int linkStatusString(LinkStatus status);

// Shared between the link thread, the simulator and the UI. One per process.
class LinkState {
public:
    // Fills `memory` and returns true while a simulated run is going; false otherwise.
    using SimulatorMemory = std::function<bool(RobotMemory& memory)>;

    // The link thread's copy after a memory read.
    void storeRobotMemory(const RobotMemory& memory);
    void setSimulatorMemory(SimulatorMemory source);
    // Receives every status the label should show (the main window sets the label's text).
    void setStatusListener(std::function<void(LinkStatus)> listener);

    // The robot's memory, or the simulator's while it runs and the robot is not connected.
    RobotMemory copyMemory(const OptionFlags& flags) const;
    SensorSource sensorSource(const OptionFlags& flags) const;
    void showStatus(const OptionFlags& flags) const;

private:
    mutable std::mutex m_mutex;
    RobotMemory m_robot{};
    SimulatorMemory m_simulator;
    std::function<void(LinkStatus)> m_listener;
};

// The process's link state.
LinkState& linkState();

// The process-wide forms used by the palette and the transfers.
RobotMemory CopyRobotMemory();
void ShowLinkStatus();

}  // namespace trovel
