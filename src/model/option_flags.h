#pragma once
// The one word of user options and application state shared by every part of the studio. The
// studio's context holds the one word; every window is handed it by reference.

#include <atomic>
#include <cstdint>

namespace trovel {

namespace Option {
constexpr uint32_t Connected = 0x1;
constexpr uint32_t EditMark = 0x8;  // set and cleared together with Modified
constexpr uint32_t Modified = 0x20;
constexpr uint32_t TransferActive = 0x80;
constexpr uint32_t UseCalcBlock = 0x100;
constexpr uint32_t UseWheelControl = 0x200;
constexpr uint32_t ShowMemoryMap = 0x400;
constexpr uint32_t ViewMode = 0x800;
constexpr uint32_t BlockCollision = 0x1000;
constexpr uint32_t SkipRepeatCheck = 0x2000;
constexpr uint32_t SimulatorOpen = 0x4000;
constexpr uint32_t ReadMotorSpeedOnConnect = 0x8000;
constexpr uint32_t RobotRestarting = 0x10000;
constexpr uint32_t UseSensors34 = 0x20000;
// The bits that go to qx_def.ini: the user's options, none of the application state.
constexpr uint32_t SavedMask = 0x2B700;
}  // namespace Option

// Thread-safe: the robot-link thread sets Connected and RobotRestarting while the UI reads.
class OptionFlags {
public:
    uint32_t bits() const { return m_bits.load(); }
    bool has(uint32_t mask) const { return (m_bits.load() & mask) != 0; }
    void set(uint32_t mask) { m_bits.fetch_or(mask); }
    void clear(uint32_t mask) { m_bits.fetch_and(~mask); }
    void assign(uint32_t mask, bool on) { on ? set(mask) : clear(mask); }
    void reset(uint32_t bits) { m_bits.store(bits); }

private:
    std::atomic<uint32_t> m_bits{0};
};

}  // namespace trovel
