#include <gtest/gtest.h>

#include "app/settings.h"
#include "app_test_files.h"
#include "model/option_flags.h"

namespace trovel {
namespace {

using test::readBytes;
using test::scratchDir;
using test::writeUtf16Lines;

Settings loadLines(const std::vector<std::u16string>& lines, SettingsLoadResult* result = nullptr) {
    // CTest runs each test as a process of its own, side by side: one folder per test.
    auto dir = scratchDir(
        "app", std::string("settings_lines_") + testing::UnitTest::GetInstance()->current_test_info()->name());
    writeUtf16Lines(dir / "qx_def.ini", lines);
    Settings s;
    SettingsLoadResult r = loadSettings(dir / "qx_def.ini", s);
    EXPECT_TRUE(r.ok());
    if (result) *result = r;
    return s;
}

TEST(Settings, OnlyFlagLineTurnsCollisionOnAndKeepsEveryOtherDefault) {
    Settings s = loadLines({u"_FLAG:[4096]"});
    Settings expected;
    expected.options = Option::BlockCollision;
    EXPECT_EQ(s, expected);
    EXPECT_EQ(s.simGain[0], 152);
    EXPECT_EQ(s.chartFont.height, -14);
    EXPECT_EQ(s.statusFont.height, -27);
    EXPECT_EQ(s.chartTextColor, (Rgb{0, 0, 159}));
    EXPECT_EQ(s.statusLabelWidth, 96);
}

TEST(Settings, ReadsEveryRecordAndSeveralKeysOnOneLine) {
    Settings s = loadLines({
        u"_FLAG:[33536] _MOT_SPEED:[7]",
        u"_DCMOTOR_SETTING:[0]-[11]-[55]",
        u"_DCMOTOR_SETTING:[1]-[12]-[66]",
        u"_MY_MOTGAIN:[140]-[150]",
        u"_BUZER_SETTING:[3]-[4]",
        u"_DIO_SETTING:[5]",
        u"_CPU_SETTING:[4000]",
        u"_FONT:[-16]-[2]-[900]-[4]-[34]-[1]-[5]-[6]-[400]-[10,20,30]-[5]-[[IPAGothic]]",
        u"_CNFNT:[-20]-[1]-[0]-[2]-[0]-[0]-[0]-[0]-[700]-[2]-[[VL Gothic]]-[120]",
    });
    EXPECT_EQ(s.options, Option::UseCalcBlock | Option::UseWheelControl | Option::ReadMotorSpeedOnConnect);
    EXPECT_EQ(s.motSpeed, 7);
    EXPECT_EQ(s.motorSecond[kLeftMotor], 11);
    EXPECT_EQ(s.motorSpeed[kLeftMotor], 55);
    EXPECT_EQ(s.motorSecond[kRightMotor], 12);
    EXPECT_EQ(s.motorSpeed[kRightMotor], 66);
    EXPECT_EQ(s.simGain[kLeftMotor], 140);
    EXPECT_EQ(s.simGain[kRightMotor], 150);
    EXPECT_EQ(s.buzzer[0], 3);
    EXPECT_EQ(s.buzzer[1], 4);
    EXPECT_EQ(s.dio, 5);
    EXPECT_EQ(s.cpu, 4000);
    EXPECT_EQ(s.chartFont.height, -16);
    EXPECT_EQ(s.chartFont.width, 2);
    EXPECT_EQ(s.chartFont.escapement, 900);
    EXPECT_EQ(s.chartFont.orientation, 900);
    EXPECT_EQ(s.chartFont.quality, 4);
    EXPECT_EQ(s.chartFont.pitchAndFamily, 34);
    EXPECT_EQ(s.chartFont.charSet, 1);
    EXPECT_EQ(s.chartFont.outPrecision, 5);
    EXPECT_EQ(s.chartFont.clipPrecision, 6);
    EXPECT_EQ(s.chartFont.weight, 400);
    EXPECT_EQ(s.chartTextColor, (Rgb{10, 20, 30}));
    EXPECT_TRUE(s.chartFont.strikeOut);
    EXPECT_FALSE(s.chartFont.underline);
    EXPECT_TRUE(s.chartFont.italic);
    EXPECT_EQ(s.chartFont.face, u"IPAGothic");
    EXPECT_EQ(s.statusFont.height, -20);
    EXPECT_TRUE(s.statusFont.underline);
    EXPECT_EQ(s.statusFont.face, u"VL Gothic");
    EXPECT_EQ(s.statusLabelWidth, 120);
}

TEST(Settings, MotorLinesForOtherMotorsAreIgnored) {
    Settings s = loadLines({u"_DCMOTOR_SETTING:[2]-[9]-[77]", u"_DCMOTOR_SETTING:[-1]-[9]-[77]"});
    EXPECT_EQ(s, Settings{});
}

TEST(Settings, SaveWritesOnlyTheSavedOptionBitsAndStateBitsNeverLoad) {
    auto dir = scratchDir("app", "settings_mask");
    Settings s;
    s.options = Option::UseSensors34 | Option::BlockCollision | Option::Connected | Option::SimulatorOpen |
                Option::ViewMode | Option::SkipRepeatCheck;
    ASSERT_TRUE(saveSettings(dir / "qx_def.ini", s));
    Settings back;
    ASSERT_TRUE(loadSettings(dir / "qx_def.ini", back).ok());
    EXPECT_EQ(back.options, Option::UseSensors34 | Option::BlockCollision | Option::SkipRepeatCheck);

    // A hand-edited word with state bits keeps only the option bits.
    Settings edited = loadLines({u"_FLAG:[-1]"});
    EXPECT_EQ(edited.options, Option::SavedMask);
}

TEST(Settings, SaveWritesTheFileLayoutInUtf16WithCrLf) {
    auto dir = scratchDir("app", "settings_layout");
    Settings s;
    s.motorSpeed = {60, 61};
    ASSERT_TRUE(saveSettings(dir / "qx_def.ini", s));
    std::string bytes = readBytes(dir / "qx_def.ini");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
    EXPECT_EQ(text,
              u"\r\n_FLAG:[0]\r\n_MOT_SPEED:[0]\r\n_DCMOTOR_SETTING:[0]-[0]-[60]\r\n_DCMOTOR_SETTING:[1]-[0]-[61]\r\n"
              u"_MY_MOTGAIN:[152]-[152]\r\n\r\n_BUZER_SETTING:[0]-[0]\r\n_DIO_SETTING:[0]\r\n_CPU_SETTING:[0]\r\n\r\n"
              u"_FONT:[-14]-[0]-[0]-[1]-[49]-[128]-[3]-[2]-[700]-[0,0,159]-[0]-[[MS UI Gothic]]\r\n\r\n"
              u"_CNFNT:[-27]-[0]-[0]-[1]-[49]-[128]-[3]-[2]-[700]-[0]-[[MS UI Gothic]]-[96]\r\n");
}

TEST(Settings, SaveLoadSaveIsByteIdentical) {
    auto dir = scratchDir("app", "settings_roundtrip");
    Settings s;
    s.options = Option::UseCalcBlock | Option::ShowMemoryMap | Option::ReadMotorSpeedOnConnect;
    s.motorSpeed = {99, 3};
    s.motorSecond = {1, 250};
    s.simGain = {0, 255};
    s.motSpeed = 200;
    s.buzzer = {17, 18};
    s.dio = 19;
    s.cpu = 65535;
    s.chartFont.height = -18;
    s.chartFont.escapement = s.chartFont.orientation = 450;
    s.chartFont.italic = true;
    s.chartFont.face = u"ＭＳ ゴシック";
    s.chartTextColor = {255, 128, 1};
    s.statusFont.underline = true;
    s.statusFont.strikeOut = true;
    s.statusLabelWidth = 150;
    ASSERT_TRUE(saveSettings(dir / "a.ini", s));
    Settings back;
    ASSERT_TRUE(loadSettings(dir / "a.ini", back).ok());
    EXPECT_EQ(back, s);
    ASSERT_TRUE(saveSettings(dir / "b.ini", back));
    EXPECT_EQ(readBytes(dir / "a.ini"), readBytes(dir / "b.ini"));
}

TEST(Settings, MissingFileFailsAndLeavesSettingsAlone) {
    auto dir = scratchDir("app", "settings_missing");
    Settings s;
    s.dio = 42;
    EXPECT_EQ(loadSettings(dir / "none.ini", s).status, SettingsStatus::CannotOpen);
    EXPECT_EQ(s.dio, 42);
}

TEST(Settings, SaveIntoAMissingFolderFails) {
    auto dir = scratchDir("app", "settings_failsave");
    EXPECT_FALSE(saveSettings(dir / "no_such_folder" / "qx_def.ini", Settings{}));
    EXPECT_FALSE(std::filesystem::exists(dir / "no_such_folder"));
}

TEST(Settings, BadRecordsKeepTheirDefaults) {
    SettingsLoadResult r;
    Settings s = loadLines(
        {
            u"_FLAG:[abc]",                                                       // not a number
            u"_MY_MOTGAIN:[100]",                                                 // second field missing
            u"_DIO_SETTING:5]",                                                   // opening bracket missing
            u"_CPU_SETTING:[12",                                                  // closing bracket missing
            u"_FONT:[-16]-[2]-[0]-[4]-[34]-[1]-[5]-[6]-[400]-[10,20]-[0]-[[X]]",  // colour short
            u"_CNFNT:[-20]-[1]-[0]-[2]-[0]-[0]-[0]-[0]-[700]-[2]-[[]]-[120]",     // no face
            u"_MOT_SPEED:[ 12x ]",
        },
        &r);
    EXPECT_EQ(s, Settings{});
    EXPECT_EQ(r.ignoredRecords, 7);
}

TEST(Settings, OutOfRangeNumbersAreClampedAndLongFacesCut) {
    Settings s = loadLines({
        u"_DCMOTOR_SETTING:[0]-[300]-[150]",
        u"_MY_MOTGAIN:[-5]-[99999999999999999999]",
        u"_CPU_SETTING:[70000]",
        u"_CNFNT:[-20]-[1]-[0]-[2]-[0]-[0]-[0]-[0]-[5000]-[255]-[[" + std::u16string(100, u'F') + u"]]-[-4]",
    });
    EXPECT_EQ(s.motorSecond[0], 255);
    EXPECT_EQ(s.motorSpeed[0], 100);
    EXPECT_EQ(s.simGain[0], 0);
    EXPECT_EQ(s.simGain[1], 255);
    EXPECT_EQ(s.cpu, 65535);
    EXPECT_EQ(s.statusFont.weight, 1000);
    EXPECT_TRUE(s.statusFont.italic && s.statusFont.underline && s.statusFont.strikeOut);
    EXPECT_EQ(s.statusFont.face, std::u16string(kMaxFaceChars, u'F'));
    EXPECT_EQ(s.statusLabelWidth, 0);
}

TEST(Settings, KeysBeyondTheLineLimitAreNotRead) {
    std::u16string longLine(5000, u' ');
    longLine += u"_DIO_SETTING:[9]";
    Settings s = loadLines({longLine, u"_MOT_SPEED:[3]"});
    EXPECT_EQ(s.dio, 0);
    EXPECT_EQ(s.motSpeed, 3);  // the rest of the long line did not swallow the next one
}

TEST(Settings, ReadsAnAnsiFile) {
    auto dir = scratchDir("app", "settings_ansi");
    test::writeBytes(dir / "qx_def.ini", "\r\n_FLAG:[256]\r\n_MY_MOTGAIN:[10]-[20]\r\n");
    Settings s;
    ASSERT_TRUE(loadSettings(dir / "qx_def.ini", s).ok());
    EXPECT_EQ(s.options, Option::UseCalcBlock);
    EXPECT_EQ(s.simGain[1], 20);
}

}  // namespace
}  // namespace trovel
