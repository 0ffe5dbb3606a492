#include <gtest/gtest.h>

#include <fstream>

#include "model/program_file.h"
#include "model/text_convert.h"
#include "test_programs.h"

using namespace trovel;
using trovel::test::scratchDir;

namespace {

std::string readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeUtf16(const std::filesystem::path& p, std::u16string_view text) {
    std::ofstream out(p, std::ios::binary);
    out << "\xFF\xFE";
    for (char16_t c : text) out << static_cast<char>(c & 0xFF) << static_cast<char>(c >> 8);
}

std::u16string asText(const std::string& bytes) {
    std::u16string s;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        s += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return s;
}

// A program holding every block type with non-default fields everywhere.
BlockProgram everyType() {
    BlockProgram p;
    newProgram(p);
    ActionBlock* prev = blockAt(p, 0);
    for (int t = 3; t <= 16; ++t) {
        PlaceResult r = placeBlock(p, static_cast<BlockType>(t), {100 + 20 * t, 50 + 90 * t});
        ActionBlock* b = r.block;
        for (size_t i = 0; i < 10; ++i) b->param[i] = static_cast<uint8_t>(t * 10 + i);
        if (t == 16) b->param[2] = 0;
        b->bend = {t, -t};
        prev->next[0] = b;
        prev = t == 16 ? b->partner : b;
    }
    prev->next[0] = blockAt(p, 1);
    blockAt(p, 9)->next[1] = blockAt(p, 3);  // Branch's second output
    return p;
}

void expectSameFields(const BlockProgram& a, const BlockProgram& b) {
    ASSERT_EQ(a.blocks.size(), b.blocks.size());
    for (size_t i = 0; i < a.blocks.size(); ++i) {
        const ActionBlock& x = *a.blocks[i];
        const ActionBlock& y = *b.blocks[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(x.type, y.type);
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.param, y.param);
        EXPECT_EQ(x.x, y.x);
        EXPECT_EQ(x.y, y.y);
        EXPECT_EQ(x.width, y.width);
        EXPECT_EQ(x.height, y.height);
        EXPECT_EQ(x.bend, y.bend);
        for (int k = 0; k < 2; ++k) EXPECT_EQ(indexOf(a, x.next[k]), indexOf(b, y.next[k]));
        EXPECT_EQ(indexOf(a, x.partner), indexOf(b, y.partner));
    }
}

}  // namespace

TEST(ProgramFile, NewProgramWritesTheKnownRecords) {
    auto dir = scratchDir("model", "pf_new");
    BlockProgram p;
    newProgram(p);
    head(p)->breakpoint = true;  // the simulator's mark lives in memory only
    ASSERT_TRUE(saveProgram(p, dir / "new.qxp"));
    EXPECT_EQ(asText(readBytes(dir / "new.qxp")),
              u"FORMAT_:[QX_FMT_4]\r\n\r\n"
              u"CMD_\t[[main]]-[27,9]-[1]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[1,-1]-[1]\r\n"
              u"CMD_\t[[main]]-[27,477]-[2]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[-1,-1]-[0]\r\n");
    EXPECT_EQ(p.filePath, (dir / "new.qxp").u16string());
}

TEST(ProgramFile, EveryTypeRoundTripsByteForByte) {
    auto dir = scratchDir("model", "pf_roundtrip");
    BlockProgram p = everyType();
    ASSERT_TRUE(saveProgram(p, dir / "a.qxp"));
    BlockProgram q;
    ASSERT_TRUE(loadProgram(q, dir / "a.qxp").ok());
    expectSameFields(p, q);
    EXPECT_EQ(q.currentBlock, nullptr);
    ASSERT_TRUE(saveProgram(q, dir / "b.qxp"));
    EXPECT_EQ(readBytes(dir / "a.qxp"), readBytes(dir / "b.qxp"));
}

TEST(ProgramFile, ForeignFilesLeaveTheProgramAlone) {
    auto dir = scratchDir("model", "pf_foreign");
    BlockProgram p;
    newProgram(p);
    p.filePath = u"mine.qxp";
    ActionBlock* start = blockAt(p, 0);
    std::ofstream(dir / "empty.qxp").close();
    writeUtf16(dir / "other.qxp", u"FORMAT_:[QX_FMT_3]\r\n\r\nCMD_\t[[x]]-[1,1]-[4]-[0]-[0,0]-[-1,-1]-[-1]\r\n");
    writeUtf16(dir / "noheader.qxp", u"CMD_\t[[x]]-[1,1]-[4]-[0]-[0,0]-[-1,-1]-[-1]\r\n");
    {
        std::ofstream bin(dir / "binary.qxp", std::ios::binary);
        for (int i = 0; i < 4096; ++i) bin << static_cast<char>(i * 37);
    }
    for (const char* name : {"empty.qxp", "other.qxp", "noheader.qxp", "binary.qxp"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(loadProgram(p, dir / name).status, LoadStatus::NotProgramFile);
    }
    EXPECT_EQ(loadProgram(p, dir / "missing.qxp").status, LoadStatus::CannotOpen);
    EXPECT_EQ(p.blocks.size(), 2u);
    EXPECT_EQ(blockAt(p, 0), start);
    EXPECT_EQ(p.filePath, u"mine.qxp");
}

TEST(ProgramFile, DamagedRecordsNameTheirLine) {
    auto dir = scratchDir("model", "pf_damaged");
    const std::u16string head = u"FORMAT_:[QX_FMT_4]\r\n\r\nCMD_\t[[main]]-[27,9]-[1]-[0]-[27,0]-[1,-1]-[1]\r\n";
    struct Case {
        const char* label;
        std::u16string record;
    };
    const Case cases[] = {
        {"no comma", u"CMD_\t[[a]]-[27]-[4]-[0]-[0,0]-[-1,-1]-[-1]"},
        {"type 0", u"CMD_\t[[a]]-[27,9]-[0]-[0]-[0,0]-[-1,-1]-[-1]"},
        {"type 18", u"CMD_\t[[a]]-[27,9]-[18]-[0]-[0,0]-[-1,-1]-[-1]"},
        {"long name", u"CMD_\t[[" + std::u16string(32, u'n') + u"]]-[27,9]-[4]-[0]-[0,0]-[-1,-1]-[-1]"},
        {"cut short", u"CMD_\t[[a]]-[27,9]-[4]-[0]-[0,0]"},
        {"no name", u"CMD_\t[a]-[27,9]-[4]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        writeUtf16(dir / "d.qxp", head + c.record + u"\r\nCMD_\t[[main]]-[27,477]-[2]-[0]-[27,0]-[-1,-1]-[0]\r\n");
        BlockProgram p;
        newProgram(p);
        ActionBlock* before = blockAt(p, 0);
        LoadResult r = loadProgram(p, dir / "d.qxp");
        EXPECT_EQ(r.status, LoadStatus::Damaged);
        EXPECT_EQ(r.line, 4);
        EXPECT_FALSE(r.reason.empty());
        EXPECT_EQ(blockAt(p, 0), before);
    }
}

TEST(ProgramFile, ImpossibleLinksAreDropped) {
    auto dir = scratchDir("model", "pf_links");
    writeUtf16(dir / "l.qxp",
               u"FORMAT_:[QX_FMT_4]\r\n\r\nignored line\r\n"
               u"CMD_\t[[main]]-[27,9]-[1]-[0]-[27,0]-[2,7]-[1]\r\n"
               u"junk before CMD_\t[[main]]-[27,477]-[2]-[0]-[27,0]-[-1,-1]-[0]\r\n"
               u"CMD_\t[[f]]-[99,99]-[4]-[300,0,0]-[0,0]-[0,99]-[1]\r\n"
               u"CMD_\t[[b]]-[9,9]-[10]-[0]-[0,0]-[-5,2]-[0]\r\n");
    BlockProgram p;
    LoadResult r = loadProgram(p, dir / "l.qxp");
    ASSERT_TRUE(r.ok()) << r.reason;
    ASSERT_EQ(p.blocks.size(), 4u);
    ActionBlock* start = blockAt(p, 0);
    ActionBlock* fwd = blockAt(p, 2);
    ActionBlock* branch = blockAt(p, 3);
    EXPECT_EQ(start->next[0], fwd);
    EXPECT_EQ(start->next[1], nullptr);  // only branches and repeat ends use a second output
    EXPECT_EQ(fwd->next[0], nullptr);    // a link to Start is dropped
    EXPECT_EQ(fwd->partner, nullptr);    // a motion block has no partner
    EXPECT_EQ(fwd->param[0], 300 & 0xFF);
    EXPECT_EQ(branch->next[0], nullptr);
    EXPECT_EQ(branch->next[1], fwd);
    EXPECT_EQ(start->partner, blockAt(p, 1));
}

// Robots give back unmatched RepeatEnds and older versions saved 255 as a repeat number: such files
// load with the pairings that are not mutual dropped, and save back otherwise unchanged.
TEST(ProgramFile, BrokenRepeatPairingsLoadUnpaired) {
    auto dir = scratchDir("model", "pf_pairing");
    const std::u16string head =
        u"FORMAT_:[QX_FMT_4]\r\n\r\n"
        u"CMD_\t[[main]]-[27,9]-[1]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[2,-1]-[1]\r\n"
        u"CMD_\t[[main]]-[27,477]-[2]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[-1,-1]-[0]\r\n";
    struct Case {
        const char* label;
        std::u16string records;       // blocks 2.. as stored
        std::u16string savedAgain;    // the same records after load and save
        std::array<int, 3> partners;  // of blocks 2..4 after loading (-1 none)
    };
    const std::u16string pair255 =
        u"CMD_\t[[r 1]]-[90,90]-[16]-[3,0,255,0,0,0,0,0,0,0]-[13,27]-[3,-1]-[3]\r\n"
        u"CMD_\t[[r 1]]-[90,180]-[17]-[3,0,255,0,0,0,0,0,0,0]-[13,27]-[1,2]-[2]\r\n"
        u"CMD_\t[[f 1]]-[90,270]-[4]-[15,0,0,0,0,0,0,0,0,0]-[13,27]-[1,-1]-[-1]\r\n";
    const Case cases[] = {
        {"repeat number 255", pair255, pair255, {3, 2, -1}},
        {"end read back without a start",
         u"CMD_\t[[r]]-[90,90]-[17]-[3,0,0,0,0,0,0,0,0,0]-[13,27]-[1,-1]-[-1]\r\n",
         u"CMD_\t[[r]]-[90,90]-[17]-[3,0,0,0,0,0,0,0,0,0]-[13,27]-[1,-1]-[-1]\r\n",
         {-1, -1, -1}},
        {"start paired with a motion, end with the start",
         u"CMD_\t[[r]]-[90,90]-[16]-[3,0,0,0,0,0,0,0,0,0]-[13,27]-[4,-1]-[4]\r\n"
         u"CMD_\t[[e]]-[90,180]-[17]-[3,0,0,0,0,0,0,0,0,0]-[13,27]-[1,4]-[2]\r\n"
         u"CMD_\t[[f]]-[90,270]-[4]-[15,0,0,0,0,0,0,0,0,0]-[13,27]-[3,-1]-[2]\r\n",
         u"CMD_\t[[r]]-[90,90]-[16]-[3,0,0,0,0,0,0,0,0,0]-[13,27]-[4,-1]-[-1]\r\n"
         u"CMD_\t[[e]]-[90,180]-[17]-[3,0,0,0,0,0,0,0,0,0]-[13,27]-[1,4]-[-1]\r\n"
         u"CMD_\t[[f]]-[90,270]-[4]-[15,0,0,0,0,0,0,0,0,0]-[13,27]-[3,-1]-[-1]\r\n",
         {-1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        writeUtf16(dir / "old.qxp", head + c.records);
        BlockProgram p;
        LoadResult r = loadProgram(p, dir / "old.qxp");
        ASSERT_TRUE(r.ok()) << r.reason;
        for (int i = 0; i < 3; ++i) {
            if (ActionBlock* b = blockAt(p, 2 + i)) {
                EXPECT_EQ(indexOf(p, b->partner), c.partners[size_t(i)]) << i;
            }
        }
        ASSERT_TRUE(saveProgram(p, dir / "again.qxp"));
        EXPECT_EQ(asText(readBytes(dir / "again.qxp")), head + c.savedAgain);
    }
}

TEST(ProgramFile, FailedSaveKeepsThePreviousFile) {
    auto dir = scratchDir("model", "pf_failsave");
    BlockProgram p;
    newProgram(p);
    ASSERT_TRUE(saveProgram(p, dir / "a.qxp"));
    std::string before = readBytes(dir / "a.qxp");
    p.filePath = u"still-mine";
    EXPECT_FALSE(saveProgram(p, dir / "missing-folder" / "a.qxp"));
    EXPECT_EQ(p.filePath, u"still-mine");
    // A folder standing where the file should go cannot be replaced.
    std::filesystem::create_directory(dir / "taken.qxp");
    EXPECT_FALSE(saveProgram(p, dir / "taken.qxp"));
    EXPECT_EQ(readBytes(dir / "a.qxp"), before);
}

TEST(ProgramFile, TitleIsTheLastPathPart) {
    EXPECT_EQ(fileTitle(u"C:\\work\\robot.qxp"), u"robot.qxp");
    EXPECT_EQ(fileTitle(u"/home/pupil/robot.qxp"), u"robot.qxp");
    EXPECT_EQ(fileTitle(u"plain.qxp"), u"plain.qxp");
}

TEST(ProgramFile, OpensAndSavesThroughANameThatIsNotUtf8) {
    // "ロボット.qxp" in Shift-JIS, as unpacked from a zip made on Windows.
    const std::filesystem::path path =
        scratchDir("model", "sjis") / std::string("\x83\x8D\x83\x7B\x83\x62\x83\x67.qxp");
    BlockProgram saved = everyType();
    ASSERT_TRUE(saveProgram(saved, path));
    BlockProgram loaded;
    ASSERT_TRUE(loadProgram(loaded, path).ok());
    expectSameFields(saved, loaded);
    // The kept path names the very same file, so Save writes over it.
    EXPECT_EQ(pathFromText(loaded.filePath), path);
    EXPECT_TRUE(saveProgram(loaded, pathFromText(loaded.filePath)));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.parent_path()), {}), 1);
}

TEST(ProgramFile, ShippedExamplesRoundTripByteForByte) {
    auto dir = scratchDir("model", "pf_examples");
    int seen = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(TROVEL_SOURCE_DIR) / "examples")) {
        if (entry.path().extension() != ".qxp") continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++seen;
        BlockProgram p;
        ASSERT_TRUE(loadProgram(p, entry.path()).ok());
        ASSERT_TRUE(saveProgram(p, dir / "again.qxp"));
        EXPECT_EQ(readBytes(entry.path()), readBytes(dir / "again.qxp"));
    }
    EXPECT_GE(seen, 3);
}
