// The best lap's ghost file: kept beside record.dat, read back only when whole and still the record's.
#include "sim/lap_ghost.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "sim/lap_records.h"

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

// Every course's ghost as a studio holding the best times of `times` reads them from `dir`.
std::vector<LapGhost> readBack(const CourseSet& set, const LapRecords& times, const std::filesystem::path& dir) {
    LapRecords read = times;
    readGhosts(read, set, dir);
    std::vector<LapGhost> ghosts;
    for (const LapRecord& r : read.courses) ghosts.push_back(r.ghost);
    return ghosts;
}

TEST(LapGhostFile, SurvivesSaveAndLoadPerCourse) {
    const auto dir = test::scratchDir("sim", "ghost_round_trip");
    CourseSet set = twoCourses();
    LapRecords records;
    records.courses.resize(2);
    records.courses[0].bestMs = 1600;
    records.courses[1].bestMs = 4800;
    records.courses[0].ghost = lapOf(1600);
    records.courses[1].ghost = lapOf(4800);
    for (LapRecord& r : records.courses) r.ghost.saved = false;
    writeGhosts(records, set, dir);
    EXPECT_TRUE(records.courses[0].ghost.saved && records.courses[1].ghost.saved);
    EXPECT_TRUE(std::filesystem::exists(dir / "ghost_0.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir / "ghost_1.dat"));

    const std::vector<LapGhost> back = readBack(set, records, dir);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0], lapOf(1600));
    EXPECT_EQ(back[1], lapOf(4800));
    EXPECT_EQ(ghostPoseAt(back[0], 800), back[0].poses[50]);
    EXPECT_EQ(ghostPoseAt(back[0], 99999), back[0].poses.back());  // a slower run sees it at the goal

    // Cleared with the records: the file goes when the simulator saves.
    records.courses[1].bestMs = kNoRecordMs;
    writeGhosts(records, set, dir);
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
    LapRecords records;
    records.courses.resize(2);
    records.courses[0].bestMs = 1600;
    simtest::writeBytes(dir / "ghost_0.dat", truncated);
    readGhosts(records, set, dir);
    EXPECT_TRUE(records.courses[0].ghost.poses.empty());
    records.courses[0].bestMs = 1584;
    records.courses[0].ghost = lapOf(1584);
    records.courses[0].ghost.saved = false;
    writeGhosts(records, set, dir);
    EXPECT_EQ(readBack(set, records, dir)[0], lapOf(1584));
}

// One studio's view of the records folder: the times and ghosts it read when it opened.
struct Studio {
    CourseSet set = twoCourses();
    LapRecords records;
    explicit Studio(const std::filesystem::path& dir) {
        readRecords(records, set, dir);
        readGhosts(records, set, dir);
    }
    void lap(int course, int ms) {  // up to 8000 ms: lapOf's poses stay on the field
        LapRecord& r = records.courses[size_t(course)];
        r.bestMs = ms;
        r.ghost = lapOf(ms);
        r.ghost.saved = false;
    }
};

// What a studio opening now would find: the times and whether each ghost is the time's own.
std::vector<std::pair<int, int>> onDisk(const std::filesystem::path& dir) {
    Studio fresh(dir);
    std::vector<std::pair<int, int>> found;
    for (size_t i = 0; i < 2; ++i)
        found.emplace_back(fresh.records.courses[i].bestMs, fresh.records.courses[i].ghost.lapMs);
    return found;
}

TEST(LapRecordsSave, TwoStudiosSavingInTurnKeepEachOthersLapsAndGhosts) {
    const auto dir = test::scratchDir("sim", "two_studios");
    using Disk = std::vector<std::pair<int, int>>;
    {
        // Each sets a record on its own course; the one closed last must not wipe the other's.
        Studio a(dir), b(dir);
        a.lap(0, 1600);
        b.lap(1, 7520);
        ASSERT_TRUE(saveRecords(b.records, b.set, dir));
        ASSERT_TRUE(saveRecords(a.records, a.set, dir));
        EXPECT_EQ(onDisk(dir), (Disk{{1600, 1600}, {7520, 7520}}));
        EXPECT_EQ(a.records.courses[1].bestMs, 7520);  // the studio now holds the merged times
    }
    {
        // Both beat the same record: the better lap stays with its own ghost, whichever saves last.
        Studio a(dir), b(dir);
        a.lap(1, 7200);
        b.lap(1, 6400);
        ASSERT_TRUE(saveRecords(b.records, b.set, dir));
        ASSERT_TRUE(saveRecords(a.records, a.set, dir));
        EXPECT_EQ(onDisk(dir), (Disk{{1600, 1600}, {6400, 6400}}));
    }
    {
        // A reset here goes to the file when no one else changed that time; a reset of a time that
        // another studio has beaten meanwhile gives way to it.
        Studio a(dir), b(dir);
        resetAllBestTimes(a.records);
        b.lap(1, 5600);
        ASSERT_TRUE(saveRecords(b.records, b.set, dir));
        ASSERT_TRUE(saveRecords(a.records, a.set, dir));
        EXPECT_EQ(onDisk(dir), (Disk{{kNoRecordMs, 0}, {5600, 5600}}));
        EXPECT_FALSE(std::filesystem::exists(ghostPath(dir, 0)));
    }
    // Times of courses this studio does not have stay in the file.
    ASSERT_TRUE(writeRecordsFile(recordsPath(dir), {kNoRecordMs, 5600, 4242}));
    Studio c(dir);
    c.lap(0, 3200);
    ASSERT_TRUE(saveRecords(c.records, c.set, dir));
    EXPECT_EQ(readRecordsFile(recordsPath(dir)).times, (std::vector<int32_t>{3200, 5600, 4242}));
}

TEST(LapRecordsSave, ASaveWaitsForAnotherStudioSavingAtTheSameTime) {
    const auto dir = test::scratchDir("sim", "records_lock");
    Studio a(dir);
    a.lap(0, 1600);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        // Another studio in the middle of its save: it holds the lock, then writes its own lap.
        RecordsLock lock(recordsPath(dir));
        const char held = lock.held() ? 'y' : 'n';
        if (write(ready[1], &held, 1) != 1) _exit(2);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        _exit(writeRecordsFile(recordsPath(dir), {kNoRecordMs, 11520}) ? 0 : 1);
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, 'y');
    EXPECT_TRUE(saveRecords(a.records, a.set, dir));  // waits for the other save, then merges with it
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readRecordsFile(recordsPath(dir)).times, (std::vector<int32_t>{1600, 11520}));
    EXPECT_EQ(onDisk(dir)[0], (std::pair<int, int>{1600, 1600}));
    close(ready[0]);
    close(ready[1]);
}

}  // namespace
}  // namespace trovel
