// Every report of a download and an upload, byte for byte and in order, against a device that
// only records what it is sent and answers like a boot loader.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <memory>
#include <vector>

#include "model/sequence_code.h"
#include "robot/hid_report.h"
#include "robot/program_download.h"
#include "robot/program_upload.h"
#include "robot_test_support.h"

using namespace trovel;
using namespace trovel::test;

namespace {

struct Wire {
    std::vector<HidReport> sent;
    std::map<uint32_t, uint8_t> flash;  // what a read returns; absent bytes read as 0xFF
    bool bootLoader = false;
    bool restarted = false;  // the reset was sent: the device is gone from the bus
};

class RecordingDevice : public HidDevice {
public:
    explicit RecordingDevice(std::shared_ptr<Wire> wire) : m_wire(std::move(wire)) {}

    int write(const HidReport& r) override {
        if (m_wire->restarted) return -1;
        m_wire->sent.push_back(r);
        m_reply.reset();
        if (r[1] == BootCommand::Reset && m_wire->bootLoader) m_wire->restarted = true;
        if (r[1] == AppCommand::Probe) {
            m_reply = HidReport{};
            (*m_reply)[1] = m_wire->bootLoader ? 0x42 : AppCommand::ProbeAnswer;
        } else if (r[1] == AppCommand::EnterBootLoader) {
            m_wire->bootLoader = true;
        } else if (r[1] == BootCommand::Read && m_wire->bootLoader) {
            const int n = r[6];
            HidReport reply{};
            for (int i = 0; i < n; ++i) {
                const auto at = m_wire->flash.find(requestAddress(r) + i);
                reply[kReportBytes - n + i] = at == m_wire->flash.end() ? 0xFF : at->second;
            }
            m_reply = reply;
        }
        return kReportBytes;
    }

    int read(HidReport& report, int) override {
        if (!m_reply) return 0;
        report = *m_reply;
        m_reply.reset();
        return kReportBytes;
    }

private:
    std::shared_ptr<Wire> m_wire;
    std::optional<HidReport> m_reply;
};

struct WireRig {
    std::shared_ptr<Wire> wire = std::make_shared<Wire>();
    OptionFlags flags;
    LinkState state;
    HidLink link{[w = wire] { return FoundDevice{std::make_unique<RecordingDevice>(w)}; }, flags, state, fastTiming()};
    TransferContext ctx{link, nullptr, {}};

    WireRig() {
        link.tryClaim();
        link.findRobot();
        link.release();
        flags.set(Option::Connected);
    }
};

HidReport report(std::initializer_list<std::pair<int, uint8_t>> bytes, uint8_t fill = 0) {
    HidReport r;
    r.fill(fill);
    r[0] = 0;
    for (auto [at, value] : bytes) r[at] = value;
    return r;
}

HidReport chunk(uint8_t command, uint32_t address, const std::vector<uint8_t>& data) {
    HidReport r = report({{1, command}, {2, uint8_t(address)}, {3, uint8_t(address >> 8)}, {4, 0}, {5, 0}, {6, 48}});
    for (size_t i = 0; i < data.size(); ++i) r[17 + i] = data[i];
    return r;
}

void expectSent(const std::vector<HidReport>& sent, const std::vector<HidReport>& expected) {
    ASSERT_EQ(sent.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        for (int b = 0; b < kReportBytes; ++b)
            ASSERT_EQ(int(sent[i][b]), int(expected[i][b])) << "report " << i << " byte " << b;
}

const HidReport kLeaveFlag = report({{1, 5}, {2, 0xFF}, {3, 0x00}, {4, 0xF0}, {5, 0x00}, {6, 1}});
const HidReport kReset = report({{1, 8}});

}  // namespace

TEST(ReportBytes, DownloadSendsEveryRequestInOrder) {
    WireRig rig;
    SequenceImage image;
    image.length = 52;  // one whole chunk and 4 bytes
    for (int i = 0; i < image.length; ++i) image.bytes[i] = static_cast<uint8_t>(i + 1);
    // Every read answers with what was written, so the verify passes.
    rig.wire->flash.clear();
    for (int i = 0; i < 96; ++i) rig.wire->flash[kSequenceAddress + i] = i < image.length ? image.bytes[i] : 0;
    for (int i = 0; i < kMemoryMapBytes; ++i) rig.wire->flash[kMemoryMapAddress + i] = i == 7 ? 153 : i == 8 ? 255 : 0;

    const DownloadResult result = downloadProgram(rig.ctx, image, MotorSpeeds{60, 100});
    ASSERT_EQ(result.status, TransferStatus::Done);

    const std::vector<uint8_t> first(image.bytes.begin(), image.bytes.begin() + 48);
    const std::vector<uint8_t> rest(image.bytes.begin() + 48, image.bytes.begin() + 52);
    HidReport map = report({{1, 5}, {2, 0x00}, {3, 0x00}, {4, 0xF0}, {5, 0x07}, {6, 58}});
    map[14] = 153;  // 60 % of 255
    map[15] = 255;
    HidReport mapRead = map;  // the motor speeds are read back too
    mapRead[1] = 7;
    expectSent(rig.wire->sent, {
                                   report({{1, 'b'}}),
                                   report({{1, 0xAA}}),
                                   report({{1, 4}, {2, 1}}),
                                   chunk(5, 0x3E00, first),
                                   chunk(7, 0x3E00, first),
                                   chunk(5, 0x3E30, rest),
                                   chunk(7, 0x3E30, rest),
                                   map,
                                   mapRead,
                                   kLeaveFlag,
                                   kReset,
                               });
    EXPECT_FALSE(rig.link.deviceOpen());
    EXPECT_TRUE(rig.flags.has(Option::RobotRestarting));
    EXPECT_FALSE(rig.flags.has(Option::TransferActive));
    EXPECT_FALSE(rig.link.busy());
}

TEST(ReportBytes, UploadReadsToTheEndMarkThenTheMemoryMap) {
    WireRig rig;
    // 13 instructions, then erased flash.
    for (int i = 0; i < 52; ++i) rig.wire->flash[kSequenceAddress + i] = static_cast<uint8_t>(i);
    rig.wire->flash[kMemoryMapAddress + 7] = 253;
    rig.wire->flash[kMemoryMapAddress + 8] = 1;

    const UploadResult result = uploadProgram(rig.ctx);
    ASSERT_EQ(result.status, TransferStatus::Done);
    ASSERT_EQ(result.sequence.size(), 52u);
    EXPECT_EQ(result.sequence[51], 51);
    EXPECT_EQ(result.speeds, (MotorSpeeds{99, 0}));

    auto read = [](uint32_t address) {
        return report({{1, 7}, {2, uint8_t(address)}, {3, uint8_t(address >> 8)}, {4, 0}, {5, 0}, {6, 48}}, 0xFF);
    };
    expectSent(rig.wire->sent, {
                                   report({{1, 'b'}}),
                                   report({{1, 0xAA}}),
                                   // Every read twice: only answers that agree count.
                                   read(0x3E00),
                                   read(0x3E00),
                                   read(0x3E30),
                                   read(0x3E30),
                                   report({{1, 7}, {2, 0x00}, {3, 0x00}, {4, 0xF0}, {5, 0x07}, {6, 58}}),
                                   report({{1, 7}, {2, 0x00}, {3, 0x00}, {4, 0xF0}, {5, 0x07}, {6, 58}}),
                                   kLeaveFlag,
                                   kReset,
                               });
    EXPECT_FALSE(rig.flags.has(Option::RobotRestarting));
    EXPECT_FALSE(rig.link.busy());
}

TEST(ReportBytes, OnlyAReplyToTheMemoryReadFillsTheMemory) {
    struct Row {
        const char* name;
        HidReport reply;
        bool taken;
    };
    const Row rows[] = {
        {"memory read", report({{1, 'm'}, {2, 'r'}, {3, 0}, {4, 32}, {5, 11}, {36, 44}}), true},
        // A leading byte that is not the report id: not a reply of the robot's firmware.
        {"first byte set", report({{0, 1}, {1, 'm'}, {2, 'r'}, {5, 11}, {36, 44}}), false},
        {"memory write", report({{1, 'm'}, {2, 'w'}, {5, 11}, {36, 44}}), false},
        {"probe answer", report({{1, AppCommand::ProbeAnswer}, {5, 11}, {36, 44}}), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryImage memory;
        memory.fill(7);
        EXPECT_EQ(memoryFromReply(row.reply, memory), row.taken);
        EXPECT_EQ(memory[0], row.taken ? 11 : 7);
        EXPECT_EQ(memory[31], row.taken ? 44 : 7);
        EXPECT_EQ(memory[1], row.taken ? 0 : 7);
    }
}
