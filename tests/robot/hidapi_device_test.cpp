// The hidapi back end through a fake of the hid_* calls it makes: which device it opens, the
// lock that keeps a second program off the robot, and how report lengths come back.

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "robot/hid_report.h"
#include "robot/program_download.h"
#include "robot/hidapi_device.h"
#include "robot/robot_usb_id.h"
#include "robot/virtual_robot.h"
#include "robot_test_support.h"

using namespace trovel;
using namespace trovel::test;

namespace {

struct FakeHid {
    struct Entry {
        std::string path;
        unsigned short vendor;
        unsigned short product;
        bool opens = true;
    };
    std::vector<Entry> entries;
    std::vector<std::string> opened;
    int closed = 0;
    std::deque<int> readLengths;  // what each read returns: -1, 0 or a byte count
    std::vector<hid_device_info> infos;

    HidApiCalls calls() {
        HidApiCalls c;
        c.init = [] { return 0; };
        c.enumerate = [this](unsigned short, unsigned short) -> hid_device_info* {
            infos.assign(entries.size(), hid_device_info{});
            for (size_t i = 0; i < entries.size(); ++i) {
                infos[i].path = entries[i].path.data();
                infos[i].vendor_id = entries[i].vendor;
                infos[i].product_id = entries[i].product;
                infos[i].next = i + 1 < entries.size() ? &infos[i + 1] : nullptr;
            }
            return infos.empty() ? nullptr : infos.data();
        };
        c.freeEnumeration = [](hid_device_info*) {};
        c.openPath = [this](const char* path) -> hid_device* {
            for (size_t i = 0; i < entries.size(); ++i)
                if (entries[i].path == path && entries[i].opens) {
                    opened.push_back(path);
                    return reinterpret_cast<hid_device*>(i + 1);
                }
            return nullptr;
        };
        c.close = [this](hid_device*) { ++closed; };
        c.write = [](hid_device*, const unsigned char*, size_t length) { return static_cast<int>(length); };
        c.readTimeout = [this](hid_device*, unsigned char* data, size_t size, int) {
            if (readLengths.empty()) return 0;
            const int n = readLengths.front();
            readLengths.pop_front();
            if (n > 0) std::memset(data, 0x55, std::min<size_t>(n, size));
            return n;
        };
        return c;
    }
};

TEST(HidapiDevice, OpensTheFirstRobotThatOpensAndSkipsOtherDevices) {
    FakeHid hid;
    const RobotUsbId id{0x1234, 0x5678};
    hid.entries = {{"/dev/hidraw0", 0x1234, 0x9999},  // another product of the vendor
                   {"/dev/hidraw1", 0x1234, 0x5678, false},
                   {"/dev/hidraw2", 0x1234, 0x5678},
                   {"/dev/hidraw3", 0x1234, 0x5678}};
    const auto folder = scratchDir("robot", "hidapi_first");
    FoundDevice found = hidapiFinder(id, folder, hid.calls())();
    ASSERT_TRUE(found.device);
    EXPECT_FALSE(found.inUse);
    EXPECT_EQ(hid.opened, std::vector<std::string>{"/dev/hidraw2"});
    found.device.reset();
    EXPECT_EQ(hid.closed, 1);
}

TEST(HidapiDevice, SecondProgramSeesTheRobotInUseAndNeverOpensIt) {
    FakeHid first, second;
    first.entries = second.entries = {{"/dev/hidraw5", RobotVendorId, RobotProductId}};
    const auto folder = scratchDir("robot", "hidapi_lock");
    FoundDevice mine = hidapiFinder({}, folder, first.calls())();
    ASSERT_TRUE(mine.device);

    // The other program: the lock is held, so the device is not opened and the link says why.
    OptionFlags flags;
    LinkState state;
    HidLink other(hidapiFinder({}, folder, second.calls()), flags, state, fastTiming());
    ASSERT_TRUE(other.tryClaim());
    EXPECT_FALSE(other.findRobot());
    EXPECT_TRUE(second.opened.empty());
    EXPECT_TRUE(state.inUse());
    EXPECT_EQ(linkStatus(flags.bits(), {false, state.inUse()}), LinkStatus::InUse);

    // Once the first lets go, the second takes the robot.
    mine.device.reset();
    EXPECT_TRUE(other.findRobot());
    EXPECT_FALSE(state.inUse());
    other.release();
}

TEST(HidapiDevice, OnlyAWholeReportIsAReply) {
    FakeHid hid;
    hid.entries = {{"/dev/hidraw0", RobotVendorId, RobotProductId}};
    FoundDevice found = hidapiFinder({}, scratchDir("robot", "hidapi_length"), hid.calls())();
    ASSERT_TRUE(found.device);
    struct Row {
        int hidapiReturns;  // bytes after the report ID, as hidapi counts them
        int readReturns;
        bool exchangeOk;
    };
    const Row rows[] = {{64, 65, true}, {63, 64, false}, {65, 66, false}, {0, 0, false}, {-1, -1, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hidapiReturns);
        HidReport report{};
        hid.readLengths = {row.hidapiReturns};
        EXPECT_EQ(found.device->read(report, 10), row.readReturns);
        if (row.readReturns > 0) {
            EXPECT_EQ(report[0], 0);  // the report ID goes back in front
            EXPECT_EQ(report[1], 0x55);
        }
        hid.readLengths = {0, row.hidapiReturns};  // nothing stale, then the reply
        EXPECT_EQ(exchange(*found.device, commandReport(AppCommand::Probe), report, 10), row.exchangeOk);
    }
    // A stale report waiting before the request is dropped, not taken for the reply.
    HidReport reply{};
    hid.readLengths = {64, 64, 0, 20};
    EXPECT_FALSE(exchange(*found.device, commandReport(AppCommand::Probe), reply, 10));
}

TEST(RobotUsbId, OptionOverRobotIniOverTheBuiltInPair) {
    struct Row {
        const char* text;
        bool ok;
        RobotUsbId id;
    };
    const Row rows[] = {{"1209:7e10", true, {0x1209, 0x7E10}},
                        {"0x04D8:003F", true, {0x04D8, 0x003F}},
                        {"1209", false, {}},
                        {"1209:", false, {}},
                        {"12345:1", false, {}},
                        {"0:1", false, {}},
                        {"zz:1", false, {}}};
    for (const Row& row : rows) {
        const auto id = parseRobotUsbId(row.text);
        EXPECT_EQ(id.has_value(), row.ok) << row.text;
        if (id && row.ok) { EXPECT_TRUE(id->vendor == row.id.vendor && id->product == row.id.product) << row.text; }
    }
    const auto dir = scratchDir("robot", "robot_ini");
    RobotUsbId id;
    ASSERT_TRUE(chooseRobotUsbId("", dir, id));  // no robot.ini: the built-in pair
    EXPECT_EQ(id.vendor, RobotVendorId);
    {
        std::ofstream ini(dir / "robot.ini", std::ios::binary);
        ini << "; another board\r\n_ROBOT_USB:[04D8]-[003F]\r\n";
    }
    ASSERT_TRUE(chooseRobotUsbId("", dir, id));
    EXPECT_EQ(id.vendor, 0x04D8);
    EXPECT_EQ(id.product, 0x003F);
    ASSERT_TRUE(chooseRobotUsbId("1234:5678", dir, id));
    EXPECT_EQ(id.product, 0x5678);
    EXPECT_FALSE(chooseRobotUsbId("nonsense", dir, id));
    EXPECT_EQ(id.product, 0x5678);  // unchanged
    // The shipped file names the built-in pair.
    EXPECT_EQ(loadRobotUsbId(TROVEL_APP_DIR).product, RobotProductId);
}

TEST(VirtualRobotState, ADemoRobotKeepsItsProgramBetweenRuns) {
    const auto path = scratchDir("robot", "robot_state") / "demo.state";
    {
        OptionFlags flags;
        LinkState state;
        HidLink link(robotFinder({}, path.string()), flags, state, fastTiming());
        ASSERT_TRUE(link.tryClaim());
        ASSERT_TRUE(link.findRobot());
        link.release();
        flags.set(Option::Connected);
        TransferContext ctx{link, nullptr, {}};
        SequenceImage image;
        image.bytes[0] = 0xFE;
        image.bytes[1] = image.bytes[2] = image.bytes[3] = 0;
        image.length = 4;
        ASSERT_EQ(downloadProgram(ctx, image, {40, 50}).status, TransferStatus::Done);
    }  // the finder goes with the link: the state is written
    auto robot = VirtualRobot::create();
    ASSERT_TRUE(robot->load(path));
    EXPECT_EQ(robot->flash(kSequenceAddress, 4), (std::vector<uint8_t>{0xFE, 0, 0, 0}));
    EXPECT_EQ(robot->memoryMapArea()[7], 102);
    // Not a state file: refused, the robot as it was, and the file never written over.
    { std::ofstream(path, std::ios::binary) << "junk"; }
    EXPECT_FALSE(robot->load(path));
    EXPECT_EQ(robot->flash(kSequenceAddress, 1)[0], 0xFE);
    { DeviceFinder demo = robotFinder({}, path.string()); }
    EXPECT_EQ(std::filesystem::file_size(path), 4u);
}

}  // namespace
