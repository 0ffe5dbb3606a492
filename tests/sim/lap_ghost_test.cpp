// The best lap's ghost file: kept beside record.dat, read back only when whole and still the record's.
#include "sim/lap_ghost.h"

#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace trovel {
namespace {

LapGhost lapOf(int lapMs) {
    LapGhost ghost;
    ghost.lapMs = lapMs;
    for (int t = 0; t <= lapMs; t += 16) ghost.poses.push_back({float(t) / 20, -float(t) / 40, float(t) / 1000});
    return ghost;
}

CourseSet twoCourses() {
    CourseSet set = simtest::plainCourses(2, JudgeFlag::Timed);
    set.courses[0].name = u"オーバル";
    set.courses[1].name = u"8の字";
    return set;
}

TEST(LapGhostFile, SurvivesSaveAndLoadPerCourse) {
    const auto dir = test::scratchDir("sim", "ghost_round_trip");
    CourseSet set = twoCourses();
    set.courses[0].bestMs = 1600;
    set.courses[1].bestMs = 4800;
    std::vector<LapGhost> ghosts{lapOf(1600), lapOf(4800)};
    for (LapGhost& g : ghosts) g.saved = false;
    writeGhosts(ghosts, set, dir);
    EXPECT_TRUE(ghosts[0].saved && ghosts[1].saved);
    EXPECT_TRUE(std::filesystem::exists(dir / "ghost_0.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir / "ghost_1.dat"));

    const std::vector<LapGhost> back = readGhosts(set, dir);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0], lapOf(1600));
    EXPECT_EQ(back[1], lapOf(4800));
    EXPECT_EQ(ghostPoseAt(back[0], 800), back[0].poses[50]);
    EXPECT_EQ(ghostPoseAt(back[0], 99999), back[0].poses.back());  // a slower run sees it at the goal

    // Cleared with the records: the file goes when the simulator saves.
    set.courses[1].bestMs = kNoRecordMs;
    writeGhosts(ghosts, set, dir);
    EXPECT_FALSE(std::filesystem::exists(dir / "ghost_1.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir / "ghost_0.dat"));
}

TEST(LapGhostFile, DamagedForeignOrOutdatedFilesAreIgnored) {
    const std::u16string name = u"オーバル";
    const std::vector<uint8_t> good = encodeGhost(lapOf(1600), name);
    ASSERT_TRUE(parseGhost(good, name, 1600).has_value());
    struct Row {
        const char* what;
        std::vector<uint8_t> bytes;
        std::u16string course;
        int bestMs;
    };
    std::vector<uint8_t> truncated(good.begin(), good.end() - 13);
    std::vector<uint8_t> flipped = good;
    flipped[good.size() / 2] ^= 0x40;
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    std::vector<uint8_t> badMagic = good;
    badMagic[0] = 'X';
    LapGhost shortLap = lapOf(1600);
    shortLap.poses.pop_back();
    LapGhost wild = lapOf(1600);
    wild.poses[3].x = 1e30f;
    const Row rows[] = {
        {"truncated", truncated, name, 1600},
        {"empty", {}, name, 1600},
        {"a flipped byte", flipped, name, 1600},
        {"trailing bytes", longer, name, 1600},
        {"not a ghost file", badMagic, name, 1600},
        {"another course's", good, u"8の字", 1600},
        {"an older record's", good, name, 1584},
        {"no record now", good, name, kNoRecordMs},
        {"poses missing for the lap", encodeGhost(shortLap, name), name, 1600},
        {"a pose off the field", encodeGhost(wild, name), name, 1600},
    };
    for (const Row& row : rows) EXPECT_FALSE(parseGhost(row.bytes, row.course, row.bestMs).has_value()) << row.what;

    // On disk the same: a truncated file gives no ghost and no complaint, and the next record replaces it.
    const auto dir = test::scratchDir("sim", "ghost_damaged");
    CourseSet set = twoCourses();
    set.courses[0].bestMs = 1600;
    simtest::writeBytes(dir / "ghost_0.dat", truncated);
    std::vector<LapGhost> ghosts = readGhosts(set, dir);
    EXPECT_TRUE(ghosts[0].poses.empty());
    set.courses[0].bestMs = 1584;
    ghosts[0] = lapOf(1584);
    ghosts[0].saved = false;
    writeGhosts(ghosts, set, dir);
    EXPECT_EQ(readGhosts(set, dir)[0], lapOf(1584));
}

}  // namespace
}  // namespace trovel
