// Teachers' own courses: the course file, its drawing, installing it among the user's courses, and
// a course installed from its file judging every run as the same course written by hand.
#include "sim/course_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <set>

#include "base/app_folder.h"
#include "model/text_convert.h"
#include "sim/course_install.h"
#include "sim/course_raster.h"
#include "sim/headless_run.h"
#include "sim/lap_records.h"
#include "sim/run_setup.h"
#include "sim_test_support.h"

namespace trovel {
namespace {

using simtest::add;

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The shipped practice course's line, element by element.
const std::string kPracticeLines =
    "line -100 170 130 170\n"
    "arc 130 50 120 90 -90\n"
    "line 250 50 250 -50\n"
    "arc 130 -50 120 0 -90\n"
    "line 130 -170 -130 -170\n"
    "arc -130 -50 120 -90 -90\n"
    "line -250 -50 -250 50\n"
    "arc -130 50 120 180 -90\n"
    "line -130 170 130 170\n";

// A timed loop: goal at the start, three checkpoints in order, off-line and sensor rules.
const std::string kLoopCourse =
    "TROVEL-COURSE 1\n"
    "name-ja \"チェックポイント2\"\n"
    "name-en \"Checkpoints 2\"\n"
    "start -100 170 0\n"
    "course-flags return-to-start\n" +
    kPracticeLines +
    "goal -150 140 -50 200\n"
    "checkpoint 220 -30 280 30\n"
    "checkpoint -30 -200 30 -140\n"
    "checkpoint -280 -30 -220 30\n"
    "off-line 40 90\n"
    "sensor-rule\n"
    "end\n";

// The shipped stop course: stop in the black box, keep out of the pink area.
const std::string kStopCourse =
    "TROVEL-COURSE 1\n"
    "name-ja \"ゴールで止まる2\"  # a comment\n"
    "start -290 180 0\n"
    "course-flags return-to-start\n"
    "line -290 180 -140 180\n"
    "arc -140 80 100 90 -90\n"
    "line -40 80 -40 0\n"
    "arc 60 0 100 180 90\n"
    "line 60 -100 120 -100\n"
    "arc 120 0 100 -90 90\n"
    "line 220 0 220 80\n"
    "box 180 140 260 200\n"
    "goal 170 100 270 220\n"
    "forbidden -200 20 -120 120\n"
    "stop-in-goal\n"
    "end\n";

// A figure of eight started off the grid at an angle, UTF-16 in the file: the goal on the left loop,
// a checkpoint on the right one.
const std::string kEightCourse =
    "TROVEL-COURSE 1\n"
    "name-en \"Eight\"\n"
    "start 42.25 -41.75 -45\n"
    "line 0 0 84.8528137423857 -84.8528137423857\n"
    "arc 169.705627484771 0 120 -135 270\n"
    "line 84.8528137423857 84.8528137423857 -84.8528137423857 -84.8528137423857\n"
    "arc -169.705627484771 0 120 -45 -270 18\n"
    "line -84.8528137423857 84.8528137423857 0 0\n"
    "goal -310 -30 -270 30\n"
    "checkpoint 270 -30 310 30\n"
    "end\n";

std::vector<uint8_t> utf16Of(const std::string& utf8) {
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (char16_t c : fromUtf8(utf8)) {
        if (c == u'\n') bytes.insert(bytes.end(), {'\r', 0});
        bytes.push_back(uint8_t(c & 0xFF));
        bytes.push_back(uint8_t(c >> 8));
    }
    return bytes;
}

TEST(CourseFile, BadFilesGiveTheirCodeAndLine) {
    const std::string head = "TROVEL-COURSE 1\nname-ja \"a\"\nstart -290 180 0\n";
    const std::string judged = "goal 170 100 270 220\nforbidden -200 20 -120 120\nend\n";
    std::string manyCheckpoints = head + "goal 170 100 270 220\n";
    for (int i = 0; i < 33; ++i) manyCheckpoints += "checkpoint 0 0 10 10\n";
    std::string inky = head;  // nine strokes 200 wide across 20000 units pass the drawing budget
    for (int i = 0; i < 9; ++i) inky += "line -10000 0 10000 0 200\n";
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        CourseFileError error;
        int line;
        int number;  // the version or the checkpoint named
    } rows[] = {
        {"empty", {}, CourseFileError::Truncated, 0, 0},
        {"cut inside the first word", bytesOf("TROVEL-COU"), CourseFileError::Truncated, 0, 0},
        {"no end line", bytesOf(head), CourseFileError::Truncated, 0, 0},
        {"cut inside a line", bytesOf(head + "line 1 2 3"), CourseFileError::Truncated, 0, 0},
        {"a PNG",
         {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'},
         CourseFileError::NotCourseFile,
         1,
         0},
        {"a program file", utf16Of("FORMAT_:[QX_FMT_4]\n"), CourseFileError::NotCourseFile, 1, 0},
        {"a newer version", bytesOf("TROVEL-COURSE 2\nwhatever comes\nend\n"), CourseFileError::NewerVersion, 1, 2},
        {"no version", bytesOf("TROVEL-COURSE one\nend\n"), CourseFileError::BadValue, 1, 0},
        {"an unknown word", bytesOf(head + "spiral 1 2\nend\n"), CourseFileError::UnknownLine, 4, 0},
        {"a line of three numbers", bytesOf(head + "line 1 2 3\nend\n"), CourseFileError::BadValue, 4, 0},
        {"a line of width 0", bytesOf(head + "line 1 2 3 4 0\nend\n"), CourseFileError::BadValue, 4, 0},
        {"an arc of radius 0", bytesOf(head + "arc 0 0 0 0 90\nend\n"), CourseFileError::BadValue, 4, 0},
        {"not a number", bytesOf(head + "line 1 2 3 nan\nend\n"), CourseFileError::BadValue, 4, 0},
        {"a goal with a fraction", bytesOf(head + "goal 1.5 0 10 10\nend\n"), CourseFileError::BadValue, 4, 0},
        {"a quote left open", bytesOf(head + "name-en \"a\nend\n"), CourseFileError::BadValue, 4, 0},
        {"two starts", bytesOf(head + "start 0 0 0\nend\n"), CourseFileError::Repeated, 4, 0},
        {"after the end", bytesOf(head + "end\nline 0 0 1 1\n"), CourseFileError::AfterEnd, 5, 0},
        {"bad UTF-8", bytesOf("TROVEL-COURSE 1\nname-ja \"\xE3\x81\"\nend\n"), CourseFileError::BadText, 2, 0},
        {"a control character", bytesOf(head + "name-en \"a\x01\"\nend\n"), CourseFileError::BadText, 4, 0},
        {"half a UTF-16 character",
         [] {
             auto b = utf16Of("TROVEL-COURSE 1\nend\n");
             b.pop_back();
             return b;
         }(),
         CourseFileError::Truncated, 0, 0},
        {"the goal outside", bytesOf(head + "goal 300 100 400 200\nend\n"), CourseFileError::GoalOutsideField, 4, 0},
        {"the start outside", bytesOf("TROVEL-COURSE 1\nname-ja \"a\"\nstart 351 0 0\nend\n"),
         CourseFileError::StartOutsideField, 3, 0},
        {"a checkpoint outside", bytesOf(head + "goal 0 0 10 10\ncheckpoint 0 0 1 1\ncheckpoint 0 240 20 260\nend\n"),
         CourseFileError::CheckpointOutsideField, 6, 2},
        {"33 checkpoints", bytesOf(manyCheckpoints + "end\n"), CourseFileError::TooManyCheckpoints, 37, 0},
        {"too much to draw", bytesOf(inky + "end\n"), CourseFileError::TooManyElements, 12, 0},
        {"a rule without a goal", bytesOf(head + "line 0 0 1 1\nstop-in-goal\nend\n"), CourseFileError::RuleWithoutGoal,
         5, 0},
        {"no name", bytesOf("TROVEL-COURSE 1\nstart 0 0 0\nend\n"), CourseFileError::NoName, 0, 0},
        {"no start", bytesOf("TROVEL-COURSE 1\nname-en \"a\"\nend\n"), CourseFileError::NoStart, 0, 0},
        // Judged as the simulator judges: |x - cx| < half-width + 20 (strict), here 60 < 60 at x = -100.
        {"the start on the forbidden area", bytesOf("TROVEL-COURSE 1\nname-ja \"a\"\nstart -100.001 70 0\n" + judged),
         CourseFileError::StartInForbiddenArea, 0, 0},
        {"the start just beside it", bytesOf("TROVEL-COURSE 1\nname-ja \"a\"\nstart -100 70 0\n" + judged),
         CourseFileError::None, 0, 0},
        {"the loop course in UTF-16", utf16Of(kLoopCourse), CourseFileError::None, 0, 0},
        {"too large", std::vector<uint8_t>(kMaxCourseFileBytes + 1, ' '), CourseFileError::TooLarge, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CourseDesign design;
        design.nameJa = u"untouched";
        const CourseFileResult r = parseCourseFile(row.bytes, design);
        EXPECT_EQ(r.error, row.error);
        EXPECT_EQ(r.line, row.line);
        EXPECT_EQ(row.error == CourseFileError::NewerVersion ? r.version : r.index, row.number);
        if (!r.ok()) { EXPECT_EQ(design.nameJa, u"untouched"); }
    }
}

TEST(CourseFile, WrittenDesignsReadBackTheSame) {
    CourseDesign d;
    d.nameJa = u"名前に \"引用符\" と \\ と # も";
    d.nameEn = u"Name [with] brackets";
    d.startX = -123.456789012345;
    d.startY = 0.1;
    d.startHeading = -45.5;
    d.courseFlags = CourseFlag::NotMovable | CourseFlag::PlayReturnsToStart;
    d.picture = u"scans/mat 1.png";
    d.elements = {{CourseElementKind::Line, {1, 2, 3, 4}, 20},
                  {CourseElementKind::Arc, {0, 0, 50.5, 10, -370 + 20}, 7.25},
                  {CourseElementKind::Curve, {1, 2, 3, 4, 5, 6, 7, 8}, 1},
                  {CourseElementKind::Box, {-5, -5, 5, 5}, kDefaultLineWidth}};
    d.judgingFlags = JudgeFlag::Timed | 0x02 | JudgeFlag::StopInGoal | JudgeFlag::OffLine | JudgeFlag::Forbidden |
                     JudgeFlag::Checkpoints;
    d.goal = {10, 20, -30, 40};
    d.forbidden = {-300, -200, -250, -150};
    d.checkpoints = {{1, 1, 2, 2}, {3, 3, 4, 4}};
    d.offLineThreshold = 40;
    d.offLineTicks = 90;
    const std::string text = writeCourseFile(d);
    for (const std::vector<uint8_t>& bytes : {bytesOf(text), utf16Of(text), bytesOf("\xEF\xBB\xBF" + text)}) {
        CourseDesign back;
        const CourseFileResult r = parseCourseFile(bytes, back);
        ASSERT_TRUE(r.ok()) << int(r.error) << " at line " << r.line << "\n" << text;
        EXPECT_EQ(back, d);
    }
}

// The shipped pictures as the course tool drew them, read back for comparison.
CoursePicture shippedPicture(const char* name) {
    PictureResult r = loadCoursePicture(std::filesystem::path(TROVEL_APP_DIR) / "course" / name);
    EXPECT_EQ(r.status, PictureStatus::Loaded);
    return r.picture;
}

CourseDesign designOf(const std::string& text) {
    CourseDesign d;
    const CourseFileResult r = parseCourseFile(bytesOf(text), d);
    EXPECT_TRUE(r.ok()) << int(r.error) << " at line " << r.line;
    return d;
}

size_t differingPixels(const CoursePicture& a, const CoursePicture& b) {
    size_t n = 0;
    for (size_t i = 0; i + 2 < std::min(a.pixels.size(), b.pixels.size()); i += 3)
        n += a.pixels[i] != b.pixels[i] || a.pixels[i + 1] != b.pixels[i + 1] || a.pixels[i + 2] != b.pixels[i + 2];
    return n + (a.pixels.size() != b.pixels.size() ? 1 : 0);
}

TEST(CourseDrawing, ShippedCoursesWrittenAsCourseFilesDrawTheirShippedPictures) {
    const std::string practice =
        "TROVEL-COURSE 1\nname-ja \"れんしゅう\"\nstart -100 170 0\n" + kPracticeLines + "end\n";
    EXPECT_EQ(differingPixels(drawCourse(designOf(practice)), shippedPicture("practice.bmp")), 0u);
    EXPECT_EQ(differingPixels(drawCourse(designOf(kStopCourse)), shippedPicture("stop.bmp")), 0u);

    // A slanted stroke covers exactly the pixels whose centres lie within half its width of it.
    const std::string plain = "TROVEL-COURSE 1\nname-ja \"a\"\nstart 0 0 0\n";
    const CoursePicture slanted = drawCourse(designOf(plain + "line -100.3 -50.1 150.2 120.7 13.3\nend\n"));
    int wrong = 0, inked = 0;
    for (int row = 0; row < kCourseHeight; ++row)
        for (int col = 0; col < kCourseWidth; ++col) {
            const double px = col + 0.5 - 350, py = row + 0.5 - 250;
            const double ax = -100.3, ay = -50.1, dx = 150.2 - ax, dy = 120.7 - ay;
            const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
            const bool inside = std::hypot(px - ax - t * dx, py - ay - t * dy) <= 13.3 / 2;
            const bool black = slanted.pixels[3 * (size_t(col) + 700 * size_t(499 - row))] == 0;
            wrong += inside != black;
            inked += inside;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(inked, 3000);

    // A curve along a straight line is that line; over a background the judging areas stay untinted.
    const std::string head = plain + "goal -300 -200 -200 -100\n";
    const CoursePicture grey = simtest::plainPicture(128, 128, 128);
    const CoursePicture straight = drawCourse(designOf(head + "line -100 7 200 7 13\nend\n"), &grey);
    const CoursePicture curved = drawCourse(designOf(head + "curve -100 7 0 7 100 7 200 7 13\nend\n"), &grey);
    EXPECT_EQ(differingPixels(straight, curved), 0u);
    EXPECT_EQ(differingPixels(drawCourse(designOf(head + "end\n"), &grey), grey), 0u);
}

// A scratch application folder with the shipped courses, whose records the test may write.
std::filesystem::path appCopy(const std::string& name) {
    const std::filesystem::path dir = test::scratchDir("sim", name) / "app";
    std::filesystem::create_directories(dir);
    for (const char* item : {"texture.ini", "sim", "course", "sound"})
        std::filesystem::copy(std::filesystem::path(TROVEL_APP_DIR) / item, dir / item,
                              std::filesystem::copy_options::recursive);
    return dir;
}

TEST(UserCourses, InstalledAfterTheShippedOnesWithRecordsOfTheirOwn) {
    const std::filesystem::path app = appCopy("user_courses"), user = app.parent_path() / "user";
    const std::filesystem::path src = app.parent_path() / "src";
    std::filesystem::create_directories(src);
    writeText(src / "loop.course", kLoopCourse);
    {
        std::ofstream out(src / "eight.course", std::ios::binary);
        const auto b = utf16Of(kEightCourse);
        out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    }
    const std::vector<uint8_t> shippedIni = fileBytes(app / "texture.ini");
    InstallResult loop = installCourseFile(src / "loop.course", user);
    ASSERT_TRUE(loop.ok()) << int(loop.error);
    InstallResult eight = installCourseFile(src / "eight.course", user);
    ASSERT_TRUE(eight.ok());
    EXPECT_EQ(loop.entry, 0);
    EXPECT_EQ(eight.entry, 1);
    EXPECT_FALSE(loop.replaced);

    CourseSet set;
    CourseLoadResult loaded = loadCourseConfig(set, app, {}, user);
    EXPECT_TRUE(loaded.messages.empty());
    ASSERT_EQ(courseCount(set), 6);
    const CourseRecord& a = set.courses[4];
    EXPECT_EQ(a.name, u"チェックポイント2");
    EXPECT_EQ(a.englishName, u"Checkpoints 2");
    EXPECT_EQ(a.userEntry, 0);
    EXPECT_EQ(a.judgingFlags, JudgeFlag::Timed | 0x02 | JudgeFlag::OffLine | JudgeFlag::Checkpoints);
    ASSERT_EQ(a.checkpoints.size(), 3u);
    EXPECT_EQ(a.checkpoints[1].y1, -200);
    EXPECT_EQ(a.courseFlags, CourseFlag::PlayReturnsToStart);
    const CourseRecord& e = set.courses[5];
    EXPECT_EQ(e.name, u"Eight");  // no Japanese name: the English one stands in
    EXPECT_EQ(e.startX, 42.25f);
    EXPECT_EQ(e.startHeading, -45.0f / 180.0f * 3.1415927f);
    EXPECT_EQ(set.courses[3].userEntry, -1);
    EXPECT_EQ(fileBytes(userCoursesFolder(user) / "courses.ini")[0], 0xFF);  // written as texture.ini is

    // Best times: the shipped ones in record.dat of the records folder, the user's by entry in theirs.
    LapRecords records;
    readRecords(records, set, app);
    records.courses[1].bestMs = 20000;
    records.courses[4].bestMs = 12345;
    records.courses[5].bestMs = 23456;
    ASSERT_TRUE(saveRecords(records, set, app));
    const std::vector<uint8_t> shippedRecords = fileBytes(app / "record.dat");
    EXPECT_EQ(shippedRecords.size(), 1u + 4 * 4);
    EXPECT_EQ(readRecordsFile(userCoursesFolder(user) / "record.dat").times, (std::vector<int32_t>{12345, 23456}));

    // The same file again changes nothing; a changed one keeps its number and loses its record.
    loop = installCourseFile(src / "loop.course", user);
    EXPECT_TRUE(loop.replaced);
    EXPECT_EQ(loop.entry, 0);
    EXPECT_FALSE(loop.recordReset);
    std::string moved = kLoopCourse;
    moved.replace(moved.find("goal -150"), 9, "goal -160");
    writeText(src / "loop.course", moved);
    loop = installCourseFile(src / "loop.course", user);
    EXPECT_EQ(loop.entry, 0);
    EXPECT_TRUE(loop.recordReset);

    loadCourseConfig(set, app, {}, user);
    readRecords(records, set, app);
    ASSERT_EQ(courseCount(set), 6);
    EXPECT_EQ(bestTime(records, 1), 20000);
    EXPECT_EQ(bestTime(records, 4), kNoRecordMs);
    EXPECT_EQ(set.courses[4].goal.x1, -160);
    EXPECT_EQ(bestTime(records, 5), 23456);
    EXPECT_EQ(fileBytes(app / "record.dat"), shippedRecords);
    EXPECT_EQ(fileBytes(app / "texture.ini"), shippedIni);

    // A refused picture leaves its entry out; the entries after it keep their numbers and records.
    std::filesystem::remove(userCoursesFolder(user) / "loop.bmp");
    loaded = loadCourseConfig(set, app, {}, user);
    readRecords(records, set, app);
    ASSERT_EQ(courseCount(set), 5);
    EXPECT_EQ(set.courses[4].name, u"Eight");
    EXPECT_EQ(bestTime(records, 4), 23456);
}

TEST(UserCourses, RefusedFilesInstallNothing) {
    const std::filesystem::path dir = test::scratchDir("sim", "user_courses_refused");
    const std::filesystem::path user = dir / "user";
    writeText(dir / "outside.course", "TROVEL-COURSE 1\nname-ja \"a\"\nstart 0 0 0\ngoal 300 0 400 10\nend\n");
    InstallResult r = installCourseFile(dir / "outside.course", user);
    EXPECT_EQ(r.error, InstallError::CourseFile);
    EXPECT_EQ(r.file.error, CourseFileError::GoalOutsideField);
    EXPECT_EQ(installCourseFile(dir / "none.course", user).file.error, CourseFileError::CannotOpen);

    writeText(dir / "mat.course", "TROVEL-COURSE 1\nname-ja \"a\"\nstart 0 0 0\npicture \"mat.png\"\nend\n");
    r = installCourseFile(dir / "mat.course", user);
    EXPECT_EQ(r.error, InstallError::Picture);
    EXPECT_EQ(r.picture, PictureStatus::CannotOpen);
    EXPECT_FALSE(std::filesystem::exists(user));

    // A picture of another size is fitted to the field: the course goes in, saying so.
    std::filesystem::copy_file(std::filesystem::path(TROVEL_SOURCE_DIR) / "tests/base/pictures/rgba8_dynamic.png",
                               dir / "mat.png");
    r = installCourseFile(dir / "mat.course", user);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.picture, PictureStatus::Scaled);
    EXPECT_EQ(loadCoursePicture(userCoursesFolder(user) / "mat.bmp").status, PictureStatus::Loaded);

    // Where nothing can be written, nothing is.
    writeText(dir / "file", "");
    EXPECT_EQ(installCourseFile(dir / "mat.course", dir / "file").error, InstallError::CannotWrite);

    // One entry more than the records file can hold.
    std::u16string full;
    for (int i = 0; i < kMaxUserCourses; ++i) full += u"_TEXTURE:[[c" + fromNumber(i) + u".bmp]][0][0][0][[c]][0]\n";
    const std::filesystem::path crowded = dir / "crowded";
    std::filesystem::create_directories(userCoursesFolder(crowded));
    std::vector<uint8_t> ini{0xFF, 0xFE};
    for (char16_t c : full) ini.insert(ini.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
    simtest::writeBytes(userCoursesFolder(crowded) / "courses.ini", ini);
    EXPECT_EQ(installCourseFile(dir / "mat.course", crowded).error, InstallError::TooManyCourses);
    EXPECT_FALSE(std::filesystem::exists(userCoursesFolder(crowded) / "mat.bmp"));
}

// A line follower with random thresholds, turns and speeds, sometimes looking at the wrong side,
// sometimes stopping when both sensors see black: some finish, some leave the line, some miss a
// checkpoint, run into the forbidden area or through the goal.
BlockProgram randomFollower(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return uint8_t(lo + int(rng() % unsigned(hi - lo + 1))); };
    BlockProgram p;
    ActionBlock* start = add(p, BlockType::Start);
    ActionBlock* end = add(p, BlockType::End);
    start->partner = end;
    end->partner = start;
    const bool swapped = rng() % 6 == 0;
    ActionBlock* left = add(p, BlockType::Branch, {uint8_t(swapped), 2, pick(30, 140), 0, 0});
    ActionBlock* right = add(p, BlockType::Branch, {uint8_t(!swapped), 2, pick(30, 140), 0, 0});
    ActionBlock* turnLeft =
        rng() % 2 ? add(p, BlockType::TurnLeft, {0, 1}) : add(p, BlockType::LeftForward, {0, 1, 0, pick(40, 100)});
    ActionBlock* turnRight =
        rng() % 2 ? add(p, BlockType::TurnRight, {0, 1}) : add(p, BlockType::RightForward, {0, 1, 0, pick(40, 100)});
    ActionBlock* ahead = rng() % 3 ? add(p, BlockType::Forward, {0, 1})
                                   : add(p, BlockType::WheelControl, {0, 1, pick(50, 100), pick(50, 100)});
    start->next[0] = left;
    left->next = {turnLeft, right};
    right->next = {turnRight, ahead};
    for (ActionBlock* b : {turnLeft, turnRight, ahead}) b->next[0] = left;
    if (rng() % 2) {
        ActionBlock* both = add(p, BlockType::Branch, {1, 2, pick(60, 120), 0, 0});
        ActionBlock* stop = add(p, BlockType::Stop, {0, 1});
        left->next[0] = both;
        both->next = {stop, turnLeft};
        stop->next[0] = end;
    }
    return p;
}

struct Outcome {
    int result;
    int lapMs;
    float x, y, heading;
    int ticks;
    bool operator==(const Outcome&) const = default;
};

Outcome run(CourseSet& courses, int course, const BlockProgram& program) {
    Simulator sim;
    sim.courses = courses;
    EXPECT_EQ(prepareRun(sim, program, {.course = course}), PlayOutcome::Started);
    int ticks = 0;
    while (ticks < 2500 && sim.judge.result == RunResult::Armed && !(sim.state == SimState::Stopped && ticks > 0)) {
        stepSimulation(sim);
        ++ticks;
    }
    return {sim.judge.result, sim.judge.lapMs, sim.robot.x, sim.robot.y, sim.robot.heading, ticks};
}

TEST(UserCourses, InstalledCoursesJudgeRandomRunsAsTheSameCoursesWrittenByHand) {
    const std::filesystem::path dir = test::scratchDir("sim", "user_courses_differential");
    const std::filesystem::path user = dir / "user", hand = dir / "hand";
    int entry = 0;
    for (const auto& [name, text] : {std::pair{"loop", kLoopCourse}, {"stop", kStopCourse}, {"eight", kEightCourse}}) {
        writeText(dir / (std::string(name) + ".course"), text);
        const InstallResult r = installCourseFile(dir / (std::string(name) + ".course"), user);
        ASSERT_TRUE(r.ok()) << name;
        ASSERT_EQ(r.entry, entry++);
    }
    // The same three courses as a teacher writes them in texture.ini, on the pictures drawn above.
    std::filesystem::create_directories(hand / "course");
    std::filesystem::copy(std::filesystem::path(TROVEL_APP_DIR) / "sim", hand / "sim",
                          std::filesystem::copy_options::recursive);
    for (const char* name : {"loop.bmp", "stop.bmp", "eight.bmp"})
        std::filesystem::copy_file(userCoursesFolder(user) / name, hand / "course" / name);
    simtest::writeIni(hand,
                      u"_FILE_TOTAL:[8]\n"
                      u"_TEXTURE:[[sim/robot.bmp]]\n_TEXTURE:[[sim/led.bmp]]\n_TEXTURE:[[sim/badge.bmp]]\n"
                      u"_TEXTURE:[[sim/messages.bmp]]\n_TEXTURE:[[sim/digits.bmp]]\n"
                      u"_TEXTURE:[[course/loop.bmp]][-100][170][0][[チェックポイント2]][4]\n"
                      u"_TEXTURE:[[course/stop.bmp]][-290][180][0][[ゴールで止まる2]][4]\n"
                      u"_TEXTURE:[[course/eight.bmp]][42.25][-41.75][-45][[Eight]][0]\n"
                      u"_ATACKPARAM_MYATARI:[20]\n"
                      u"_ATACKPARAM:[0][2][-150,140,-50,200]\n"
                      u"_ATACKPARAM_SENSORBD:[40][90]\n"
                      u"_ATACKPARAM_CHKAREA:[3][220,-30,280,30][-30,-200,30,-140][-280,-30,-220,30]\n"
                      u"_ATACKPARAM:[1][8][170,100,270,220]\n"
                      u"_ATACKPARAM_INVAREA:[-200,20,-120,120]\n"
                      u"_ATACKPARAM:[2][0][-310,-30,-270,30]\n"
                      u"_ATACKPARAM_CHKAREA:[1][270,-30,310,30]\n");
    CourseSet installed, written;
    ASSERT_TRUE(loadCourseConfig(installed, TROVEL_APP_DIR, {}, user).messages.empty());
    ASSERT_TRUE(loadCourseConfig(written, hand).messages.empty());
    ASSERT_EQ(courseCount(installed), 7);
    ASSERT_EQ(courseCount(written), 3);

    std::mt19937 rng(23);
    std::vector<BlockProgram> programs;
    programs.push_back(simtest::lineFollower(false));
    programs.push_back(simtest::lineFollower(true));
    programs.push_back(simtest::chain({{BlockType::Forward, {0, 1}}}));  // no sensor branch at all
    for (int i = 0; i < 40; ++i) programs.push_back(randomFollower(rng));
    std::set<int> results;
    for (size_t p = 0; p < programs.size(); ++p)
        for (int course = 0; course < 3; ++course) {
            const Outcome mine = run(installed, 4 + course, programs[p]);
            const Outcome theirs = run(written, course, programs[p]);
            EXPECT_EQ(mine, theirs) << "program " << p << " on course " << course;
            results.insert(mine.result);
        }
    // The runs met every judgement the three courses can give.
    const std::set<int> judgements{RunResult::LeftLine,  RunResult::NoSensorBranch,   RunResult::PassedGoal,
                                   RunResult::Forbidden, RunResult::MissedCheckpoint, RunResult::EndedOutsideGoal,
                                   RunResult::Goal};
    EXPECT_TRUE(std::includes(results.begin(), results.end(), judgements.begin(), judgements.end()));
}

}  // namespace
}  // namespace trovel
