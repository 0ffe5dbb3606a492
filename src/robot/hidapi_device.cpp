#include "robot/hidapi_device.h"

#include <hidapi.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>

#include "robot/virtual_robot.h"

namespace trovel {

namespace {

class HidapiDevice : public HidDevice {
public:
    explicit HidapiDevice(hid_device* handle) : m_handle(handle) {}
    ~HidapiDevice() override { hid_close(m_handle); }
    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    int write(const HidReport& report) override { return hid_write(m_handle, report.data(), report.size()); }

    int read(HidReport& report, int timeoutMs) override {
        // hidapi leaves out the report ID of an unnumbered report: it goes in front again.
        report.fill(0);
        const int n = hid_read_timeout(m_handle, report.data() + 1, report.size() - 1, timeoutMs < 0 ? 0 : timeoutMs);
        return n > 0 ? n + 1 : n;
    }

private:
    hid_device* m_handle;
};

bool hidapiReady() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = hid_init() == 0; });
    return ready;
}

}  // namespace

DeviceFinder hidapiFinder(uint16_t vendorId, uint16_t productId) {
    return [vendorId, productId]() -> std::unique_ptr<HidDevice> {
        if (!hidapiReady()) return nullptr;
        hid_device_info* list = hid_enumerate(vendorId, productId);
        std::unique_ptr<HidDevice> device;
        // Only the first device that opens is used, as with one robot per cable.
        for (hid_device_info* info = list; info && !device; info = info->next) {
            if (info->vendor_id != vendorId || info->product_id != productId || !info->path) continue;
            if (hid_device* handle = hid_open_path(info->path)) device = std::make_unique<HidapiDevice>(handle);
        }
        hid_free_enumeration(list);
        return device;
    };
}

DeviceFinder robotFinder() {
    const char* choice = std::getenv("TROVEL_VIRTUAL_ROBOT");
    if (choice && *choice && std::string_view(choice) != "0") return VirtualRobot::create()->finder();
    return hidapiFinder();
}

}  // namespace trovel
