#include "sim/course_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "base/message_format.h"
#include "base/resource_library.h"
#include "sim/course_picture.h"
#include "sim/lap_records.h"
#include "sim_test_support.h"

namespace trovel {
namespace {

using simtest::bitmapBytes;
using simtest::writeBytes;
using simtest::writeIni;

// The message as a window shows it, in the built-in language.
std::u16string courseMessageText(const CourseMessage& m) {
    return formatMessage(resString(courseMessageId(m.problem)), {m.file, m.expected});
}

// A folder with five fixed images and the course pictures the test asks for.
std::filesystem::path courseFolder(const std::string& name) {
    auto dir = test::scratchDir("sim", name);
    for (const char* f : {"f0.bmp", "f1.bmp", "f2.bmp", "f3.bmp", "f4.bmp"}) writeBytes(dir / f, bitmapBytes(4, 4, 24));
    writeBytes(dir / "good.bmp", bitmapBytes(700, 500, 24, 0));
    writeBytes(dir / "small.bmp", bitmapBytes(640, 480, 24));
    writeBytes(dir / "tall.bmp", bitmapBytes(700, 480, 24));
    writeBytes(dir / "eight.bmp", bitmapBytes(700, 500, 8));
    writeBytes(dir / "notbmp.bmp", std::vector<uint8_t>(2000, 'x'));
    auto cut = bitmapBytes(700, 500, 24);
    cut.resize(5000);
    writeBytes(dir / "cut.bmp", cut);
    return dir;
}

const std::u16string kFixed =
    u"_TEXTURE:[[f0.bmp]]\n_TEXTURE:[[f1.bmp]]\n_TEXTURE:[[f2.bmp]]\n_TEXTURE:[[f3.bmp]]\n_TEXTURE:[[f4.bmp]]\n";

std::vector<CourseProblem> problems(const CourseLoadResult& r) {
    std::vector<CourseProblem> p;
    for (const auto& m : r.messages) p.push_back(m.problem);
    return p;
}

TEST(CourseConfig, TextureLineFieldsClampConvertAndIgnoreComments) {
    auto dir = courseFolder("fields");
    writeIni(dir,
             u"_FILE_TOTAL:[6]\n" + kFixed + u"_TEXTURE:[[good.bmp]][-400][0][90][[テスト]][4] # [[not the name]]\n");
    CourseSet set;
    CourseLoadResult r = loadCourseConfig(set, dir);
    ASSERT_TRUE(r.loaded);
    EXPECT_TRUE(r.messages.empty());
    ASSERT_EQ(courseCount(set), 1);
    const CourseRecord& c = set.courses[0];
    EXPECT_EQ(c.startX, -350);
    EXPECT_EQ(c.startY, 0);
    EXPECT_FLOAT_EQ(c.startHeading, 1.5707964f);
    EXPECT_EQ(c.name, u"テスト");
    EXPECT_EQ(c.courseFlags, CourseFlag::PlayReturnsToStart);
    LapRecords records;
    readRecords(records, set, dir);
    EXPECT_EQ(bestTime(records, 0), kNoRecordMs);
    ASSERT_NE(coursePicture(set, 0), nullptr);
    EXPECT_EQ(coursePicture(set, 0)->pixels.size(), 700u * 500u * 3u);
    EXPECT_EQ(coursePicture(set, 0)->pixels[0], 0);
}

TEST(CourseConfig, UnreadablePicturesAreDroppedWithTheirMessagesAndSlotsReusedWrongSizesFitted) {
    auto dir = courseFolder("dropped");
    // Each dropped picture lowers the declared total, so 5 + 7 declared and 4 dropped leaves no mismatch.
    writeIni(dir, u"_FILE_TOTAL:[12]\n" + kFixed +
                      u"_TEXTURE:[[small.bmp]][0][0][0][[A]][0]\n"
                      u"_TEXTURE:[[eight.bmp]][0][0][0][[B]][0]\n"
                      u"_TEXTURE:[[notbmp.bmp]][0][0][0][[C]][0]\n"
                      u"_TEXTURE:[[tall.bmp]][0][0][0][[D]][0]\n"
                      u"_TEXTURE:[[cut.bmp]][0][0][0][[E]][0]\n"
                      u"_TEXTURE:[[missing.bmp]][0][0][0][[F]][0]\n"
                      u"_TEXTURE:[[good.bmp]][0][0][0][[G]][0]\n"
                      u"_ATACKPARAM:[2][0][1,2,3,4]\n");
    CourseSet set;
    CourseLoadResult r = loadCourseConfig(set, dir);
    // The 8-bit file's colour table would run into its pixels.
    EXPECT_EQ(problems(r), (std::vector<CourseProblem>{CourseProblem::PictureScaled, CourseProblem::PictureDamaged,
                                                       CourseProblem::NotPicture, CourseProblem::PictureScaled,
                                                       CourseProblem::PictureDamaged, CourseProblem::TextureFailed,
                                                       CourseProblem::PictureMissing}));
    EXPECT_EQ(courseMessageText(r.messages[0]),
              u"[small.bmp]\r\n画像の大きさが700×500ではないので、コースの大きさに合わせて拡大・縮小しました。");
    EXPECT_EQ(courseMessageText(r.messages[6]), u"[missing.bmp]\r\nコースの画像ファイルが見つかりませんでした。");
    EXPECT_TRUE(isErrorMessage(CourseProblem::NotPicture));
    EXPECT_FALSE(isErrorMessage(CourseProblem::PictureScaled));
    EXPECT_FALSE(isErrorMessage(CourseProblem::CountMismatch));
    ASSERT_EQ(courseCount(set), 3);  // A and D fitted to the field, G as it is, in the first course records
    EXPECT_EQ(set.courses[0].name, u"A");
    EXPECT_EQ(set.courses[1].name, u"D");
    EXPECT_EQ(set.courses[2].name, u"G");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(coursePicture(set, i)->pixels.size(), 700u * 500u * 3u) << i;
    EXPECT_EQ(set.courses[2].judgingFlags, JudgeFlag::Timed);
    EXPECT_EQ(set.courses[2].goal.x2, 3);
}

TEST(CourseConfig, PicturePixelsStartWhereTheFileHeaderSaysInEitherRowOrder) {
    // Plain 24-bit course with a different byte at nearly every place, so a shifted copy shows.
    std::vector<uint8_t> plain = bitmapBytes(700, 500, 24);
    for (size_t i = 54; i < plain.size(); ++i) plain[i] = uint8_t(i * 7 % 251);
    auto put32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) {
        for (size_t i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
    };
    // The same picture with the 124-byte header paint programs write, and with its rows stored top-down.
    std::vector<uint8_t> v5(plain.begin(), plain.begin() + 54);
    v5.resize(14 + 124);
    v5.insert(v5.end(), plain.begin() + 54, plain.end());
    put32(v5, 10, 14 + 124);
    put32(v5, 14, 124);
    std::vector<uint8_t> topDown(plain.begin(), plain.begin() + 54);
    for (size_t row = 500; row-- > 0;)
        topDown.insert(topDown.end(), plain.begin() + std::ptrdiff_t(54 + row * 2100),
                       plain.begin() + std::ptrdiff_t(54 + (row + 1) * 2100));
    put32(topDown, 22, uint32_t(-500));
    std::vector<uint8_t> pastEnd = plain;
    put32(pastEnd, 10, uint32_t(plain.size()));

    const PictureResult reference = parseCoursePicture(plain);
    ASSERT_EQ(reference.status, PictureStatus::Loaded);
    EXPECT_TRUE(std::equal(reference.picture.pixels.begin(), reference.picture.pixels.end(), plain.begin() + 54));
    for (const auto* bytes : {&v5, &topDown}) {
        const PictureResult r = parseCoursePicture(*bytes);
        ASSERT_EQ(r.status, PictureStatus::Loaded);
        EXPECT_EQ(r.picture.pixels, reference.picture.pixels);
    }
    EXPECT_EQ(parseCoursePicture(pastEnd).status, PictureStatus::Damaged);
}

TEST(CourseConfig, ExtraImagesWarnAndPlainFileFailureKeepsTheCourse) {
    auto dir = courseFolder("extra");
    TextureLoader everythingLoads = [](int, const std::filesystem::path&) { return true; };
    writeIni(dir, u"_FILE_TOTAL:[6]\n" + kFixed +
                      u"_TEXTURE:[[absent.bmp]][1][2][0][[kept]][0]\n_TEXTURE:[[good.bmp]][0][0][0][[extra]][0]\n");
    CourseSet set;
    CourseLoadResult r = loadCourseConfig(set, dir, everythingLoads);
    EXPECT_EQ(problems(r), std::vector<CourseProblem>{CourseProblem::CountMismatch});
    ASSERT_EQ(courseCount(set), 1);
    EXPECT_EQ(set.courses[0].name, u"kept");
    EXPECT_EQ(coursePicture(set, 0), nullptr);  // runs without floor sensors
}

TEST(CourseConfig, RememberedCourseKeysAndSeveralKeysPerLine) {
    auto dir = courseFolder("keys");
    writeIni(dir, u"_FILE_TOTAL:[7]\n" + kFixed +
                      u"_TEXTURE:[[good.bmp]][0][0][0][[A]][0]\n_TEXTURE:[[good.bmp]][0][0][0][[B]][0]\n"
                      u"_ATACKPARAM_INVAREA:[9,9,9,9]\n"  // no _ATACKPARAM: yet: ignored
                      u"_ATACKPARAM:[1][8][0,0,10,10,99,99]  _PUT_ATARI:  _ATACKPARAM_MYATARI:[12.5]\n"
                      u"_ATACKPARAM_INVAREA:[1,2,3]\n"
                      u"_ATACKPARAM_SENSORBD:[300][45]\n"
                      u"_ATACKPARAM_CHKAREA:[5][1,1,2,2][3,3,4,4]\n"
                      u"_ATACKPARAM:[7][0][1,1,1,1]\n"  // beyond the last course
                      u"_ATACKPARAM_INVAREA:[5,5,5,5]\n"
                      u"_SOUND_OK:[[ok.wav]] _SOUND_NG:[[ng.wav]]\n");
    CourseSet set;
    CourseLoadResult r = loadCourseConfig(set, dir);
    EXPECT_TRUE(r.messages.empty());
    ASSERT_EQ(courseCount(set), 2);
    EXPECT_EQ(set.courses[0].judgingFlags, 0);
    const CourseRecord& b = set.courses[1];
    EXPECT_EQ(b.judgingFlags, JudgeFlag::Timed | JudgeFlag::StopInGoal | JudgeFlag::Forbidden | JudgeFlag::OffLine |
                                  JudgeFlag::Checkpoints);
    EXPECT_EQ(b.goal.x2, 10);  // numbers past the fourth are ignored
    EXPECT_EQ(b.forbidden.x2, 3);
    EXPECT_EQ(b.forbidden.y2, 0);  // a missing fourth number reads 0
    EXPECT_EQ(b.offLineThreshold, 300 % 256);
    EXPECT_EQ(b.offLineTicks, 45);
    ASSERT_EQ(b.checkpoints.size(), 2u);  // five announced, two given
    EXPECT_EQ(b.checkpoints[1].x1, 3);
    EXPECT_TRUE(set.drawJudgingAreas);
    EXPECT_FLOAT_EQ(set.robotHalf, 12.5f);
    EXPECT_EQ(set.goalSound, u"ok.wav");
    EXPECT_EQ(set.failSound, u"ng.wav");
}

TEST(CourseConfig, HostileNumbersAndLongTextsStayInBounds) {
    auto dir = courseFolder("hostile");
    std::u16string longName(600, u'名');
    writeIni(dir, u"_FILE_TOTAL:[99999999999]\n" + kFixed + u"_TEXTURE:[[good.bmp]][1e30][-1e30][0][[" + longName +
                      u"]][0]\n_ATACKPARAM:[-1][0][1,2,3,4]\n_ATACKPARAM:[2147483647][0][1,2,3,4]\n");
    CourseSet set;
    CourseLoadResult r = loadCourseConfig(set, dir);
    EXPECT_EQ(problems(r), std::vector<CourseProblem>{CourseProblem::CountMismatch});
    ASSERT_EQ(courseCount(set), 1);
    EXPECT_EQ(set.courses[0].name.size(), kMaxCourseNameChars);
    EXPECT_EQ(set.courses[0].startX, 350);
    EXPECT_EQ(set.courses[0].startY, -250);
    EXPECT_EQ(set.courses[0].judgingFlags, 0);

    // Integer fields take the leading digits only: no exponent, no fraction.
    writeIni(dir, u"_FILE_TOTAL:[6.9]\n" + kFixed +
                      u"_TEXTURE:[[good.bmp]][0][0][0][[A]][4e1]\n_ATACKPARAM:[0][8.9][1e2, -2e1,3,4]\n"
                      u"_ATACKPARAM_SENSORBD:[4e1][9e9]\n");
    r = loadCourseConfig(set, dir);
    EXPECT_TRUE(problems(r).empty());
    ASSERT_EQ(courseCount(set), 1);
    EXPECT_EQ(set.courses[0].courseFlags, 4);
    EXPECT_EQ(set.courses[0].judgingFlags, JudgeFlag::Timed | JudgeFlag::StopInGoal | JudgeFlag::OffLine);
    EXPECT_EQ(set.courses[0].goal.x1, 1);
    EXPECT_EQ(set.courses[0].goal.y1, -2);
    EXPECT_EQ(set.courses[0].offLineThreshold, 4);
    EXPECT_EQ(set.courses[0].offLineTicks, 9);

    writeIni(dir, u"_FILE_TOTAL:[3]\n" + kFixed);  // below six: no course at all
    r = loadCourseConfig(set, dir);
    EXPECT_EQ(courseCount(set), 0);
    EXPECT_EQ(problems(r), (std::vector<CourseProblem>{CourseProblem::CountMismatch, CourseProblem::CountMismatch}));
}

TEST(CourseConfig, MissingFileIsReported) {
    CourseSet set = simtest::plainCourses(2);
    CourseLoadResult r = loadCourseConfig(set, test::scratchDir("sim", "none"));
    EXPECT_FALSE(r.loaded);
    EXPECT_EQ(courseCount(set), 0);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(courseMessageText(r.messages[0]), u"ファイルが見つからないか開けません");
}

TEST(LapRecords, ReadFewerMoreAndTruncatedFiles) {
    auto dir = test::scratchDir("sim", "records");
    CourseSet set = simtest::plainCourses(3);
    LapRecords records;
    // n = 2 for three courses.
    writeBytes(dir / "record.dat", {2, 0x32, 0xEF, 0, 0, 100, 0, 0, 0});
    EXPECT_EQ(readRecords(records, set, dir), RecordStatus::Read);
    EXPECT_EQ(records.courses[0].bestMs, 61234);
    EXPECT_EQ(records.courses[1].bestMs, 100);
    EXPECT_EQ(records.courses[2].bestMs, kNoRecordMs);
    // Shorter than its count: rejected whole, times untouched.
    writeBytes(dir / "record.dat", {3, 1, 0, 0, 0, 2, 0, 0});
    EXPECT_EQ(readRecords(records, set, dir), RecordStatus::Truncated);
    EXPECT_EQ(records.courses[0].bestMs, 61234);
    writeBytes(dir / "record.dat", {});
    EXPECT_EQ(readRecords(records, set, dir), RecordStatus::Truncated);
    std::filesystem::remove(dir / "record.dat");
    EXPECT_EQ(readRecords(records, set, dir), RecordStatus::CannotOpen);
    EXPECT_EQ(records.courses[1].bestMs, 100);
    std::filesystem::create_directory(dir / "record.dat");
    EXPECT_EQ(readRecords(records, set, dir), RecordStatus::CannotOpen);
    EXPECT_EQ(records.courses[1].bestMs, 100);
}

TEST(LapRecords, WriteRoundTripsAndKeepsTheFirst255) {
    auto dir = test::scratchDir("sim", "records-write");
    CourseSet set = simtest::plainCourses(300);
    LapRecords records;
    records.courses.resize(300);
    for (int i = 0; i < 300; ++i) records.courses[size_t(i)].bestMs = 1000 + i;
    resetBestTime(records, 1);
    resetBestTime(records, -1);
    resetBestTime(records, 300);
    ASSERT_TRUE(saveRecords(records, set, dir));
    EXPECT_EQ(std::filesystem::file_size(dir / "record.dat"), 1u + 4u * 255u);
    LapRecords back;
    back.courses.resize(300);
    for (auto& c : back.courses) c.bestMs = 7;
    EXPECT_EQ(readRecords(back, set, dir), RecordStatus::Read);
    EXPECT_EQ(back.courses[0].bestMs, 1000);
    EXPECT_EQ(back.courses[1].bestMs, kNoRecordMs);
    EXPECT_EQ(back.courses[254].bestMs, 1254);
    EXPECT_EQ(back.courses[255].bestMs, kNoRecordMs);
    EXPECT_FALSE(saveRecords(records, set, dir / "no" / "such" / "folder"));
}

}  // namespace
}  // namespace trovel
