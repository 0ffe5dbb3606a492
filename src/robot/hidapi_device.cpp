#include "robot/hidapi_device.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string_view>

#include "robot/virtual_robot.h"

namespace trovel {

namespace {

// An exclusive advisory lock held while the object lives.
class DeviceLock {
public:
    enum class Result { Locked, HeldElsewhere, NoLock };

    Result take(const std::filesystem::path& folder, std::string_view devicePath) {
        if (!folder.empty()) {
            std::string name = "trovel-robot";
            for (char c : devicePath) name += (c == '/' || c == '\\' || c == ':') ? '_' : c;
            m_fd = ::open((folder / (name + ".lock")).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        } else {
            m_fd = ::open(std::string(devicePath).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        }
        if (m_fd < 0) return Result::NoLock;  // nowhere to lock: the device is used unguarded
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) return Result::Locked;
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        return error == EWOULDBLOCK ? Result::HeldElsewhere : Result::NoLock;
    }

    DeviceLock() = default;
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;
    ~DeviceLock() {
        if (m_fd >= 0) ::close(m_fd);  // closing drops the lock
    }

private:
    int m_fd = -1;
};

class HidapiDevice : public HidDevice {
public:
    HidapiDevice(hid_device* handle, std::unique_ptr<DeviceLock> lock, const HidApiCalls& calls)
        : m_handle(handle), m_lock(std::move(lock)), m_calls(calls) {}
    ~HidapiDevice() override { m_calls.close(m_handle); }
    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    int write(const HidReport& report) override { return m_calls.write(m_handle, report.data(), report.size()); }

    int read(HidReport& report, int timeoutMs) override {
        // hidapi leaves out the report ID of an unnumbered report: it goes in front again. The
        // buffer has room for more than a report, so that a long one shows as long, not cut.
        unsigned char buffer[2 * kReportBytes] = {};
        const int n = m_calls.readTimeout(m_handle, buffer, sizeof buffer, timeoutMs < 0 ? 0 : timeoutMs);
        report.fill(0);
        if (n <= 0) return n;
        std::copy(buffer, buffer + std::min(n, kReportBytes - 1), report.begin() + 1);
        return n + 1;
    }

private:
    hid_device* m_handle;
    std::unique_ptr<DeviceLock> m_lock;  // released after the handle is closed
    HidApiCalls m_calls;
};

// Writes the emulated robot's state when the last copy of the finder goes.
struct PersistentRobot {
    std::shared_ptr<VirtualRobot> robot;
    std::filesystem::path path;
    ~PersistentRobot() {
        if (robot) robot->save(path);
    }
};

}  // namespace

HidApiCalls systemHidApi() {
    HidApiCalls calls;
    calls.init = [] {
        static std::once_flag once;
        static int result = -1;
        std::call_once(once, [] { result = hid_init(); });
        return result;
    };
    calls.enumerate = hid_enumerate;
    calls.freeEnumeration = hid_free_enumeration;
    calls.openPath = hid_open_path;
    calls.close = hid_close;
    calls.write = hid_write;
    calls.readTimeout = hid_read_timeout;
    return calls;
}

DeviceFinder hidapiFinder(RobotUsbId id, std::filesystem::path lockFolder, HidApiCalls calls) {
    return [id, lockFolder = std::move(lockFolder), calls = std::move(calls)]() -> FoundDevice {
        FoundDevice found;
        if (calls.init() != 0) return found;
        hid_device_info* list = calls.enumerate(id.vendor, id.product);
        // Only the first device that opens is used, as with one robot per cable.
        for (hid_device_info* info = list; info && !found.device; info = info->next) {
            if (info->vendor_id != id.vendor || info->product_id != id.product || !info->path) continue;
            auto lock = std::make_unique<DeviceLock>();
            if (lock->take(lockFolder, info->path) == DeviceLock::Result::HeldElsewhere) {
                found.inUse = true;  // another program talks to this robot: leave it alone
                continue;
            }
            if (hid_device* handle = calls.openPath(info->path))
                found.device = std::make_unique<HidapiDevice>(handle, std::move(lock), calls);
        }
        calls.freeEnumeration(list);
        if (found.device) found.inUse = false;
        return found;
    };
}

std::filesystem::path robotLockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime ? std::filesystem::path(runtime) : std::filesystem::path();
}

DeviceFinder robotFinder(RobotUsbId id, const std::string& choice) {
    if (choice.empty() || choice == "0") return hidapiFinder(id, robotLockFolder());
    std::shared_ptr<VirtualRobot> robot = VirtualRobot::create();
    if (choice == "1") return robot->finder();
    std::error_code error;
    // A file that is there but is no robot state is never written over.
    if (!robot->load(choice) && std::filesystem::exists(choice, error)) return robot->finder();
    auto persistent = std::make_shared<PersistentRobot>();
    persistent->robot = robot;
    persistent->path = choice;
    return [persistent] { return FoundDevice{persistent->robot->open()}; };
}

DeviceFinder robotFinder(RobotUsbId id) {
    const char* choice = std::getenv("TROVEL_VIRTUAL_ROBOT");
    return robotFinder(id, choice ? std::string(choice) : std::string());
}

}  // namespace trovel
