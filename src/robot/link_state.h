#pragma once
// What the rest of the studio sees of the robot link: the 32-byte copy of the robot's memory
// and the text of the connection-status label. The link thread writes the memory copy.

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>

#include "model/memory_map.h"
#include "model/option_flags.h"

namespace trovel {

enum class LinkStatus {
    NotConnected,
    Connected,
    Writing,
    FirmwareIncomplete,  // a firmware update failed: the robot waits in its boot loader for the next one
    InUse,               // the robot is held by another program
};

// What the link knows beyond the option bits.
struct LinkConditions {
    bool firmwareIncomplete = false;
    bool inUse = false;
};

// "書込中" while a transfer runs; then an incomplete firmware, a robot held elsewhere; "書込中"
// while the robot restarts, "接続中" when connected, else "未接続".
LinkStatus linkStatus(uint32_t optionBits, LinkConditions conditions = {});
// String number of the status text.
int linkStatusString(LinkStatus status);

// Shared between the link thread, the transfers and the UI; the main window owns it.
class LinkState {
public:
    // The link thread's copy after a memory read.
    void storeRobotMemory(const MemoryImage& memory);
    // Receives every status the label should show (the main window sets the label's text).
    void setStatusListener(std::function<void(LinkStatus)> listener);
    // Set by the firmware update when it could not finish, cleared when one finished; while set
    // the robot is left in its boot loader.
    void setFirmwareIncomplete(bool incomplete);
    bool firmwareIncomplete() const;
    void setInUse(bool inUse);
    bool inUse() const;
    // Set while the robot is known to answer as its boot loader (the link met it there, or it
    // ignored the reset at the end of a transfer): it can still be read from.
    void setInBootLoader(bool inBootLoader);
    bool inBootLoader() const;

    // The robot's memory as last read (zeros before the first read).
    MemoryImage robotMemory() const;
    void showStatus(const OptionFlags& flags) const;

private:
    mutable std::mutex m_mutex;
    MemoryImage m_robot{};
    std::function<void(LinkStatus)> m_listener;
    LinkConditions m_conditions;
    bool m_inBootLoader = false;
};

}  // namespace trovel
