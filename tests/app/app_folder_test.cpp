#include <gtest/gtest.h>

#include <map>

#include "app/app_config.h"
#include "app/site_settings.h"
#include "app/studio_context.h"
#include "base/app_folder.h"
#include "base/string_ids.h"
#include "app_test_files.h"

namespace trovel {
namespace {

using test::readBytes;
using test::scratchDir;

EnvLookup envOf(std::map<std::string, std::string> vars) {
    return [vars](const char* name) -> std::optional<std::string> {
        auto it = vars.find(name);
        if (it == vars.end()) return std::nullopt;
        return it->second;
    };
}

TEST(AppFolder, CommandLineThenHomeVariableThenExecutableFolder) {
    const std::filesystem::path exe = "/opt/trovel/bin/trovel-studio";
    EXPECT_EQ(resolveAppFolder("/srv/class", envOf({{"TROVEL_HOME", "/home/t"}}), exe), "/srv/class");
    EXPECT_EQ(resolveAppFolder("", envOf({{"TROVEL_HOME", "/home/t"}}), exe), "/home/t");
    EXPECT_EQ(resolveAppFolder("", envOf({{"TROVEL_HOME", ""}}), exe), "/opt/trovel/bin");
    EXPECT_EQ(resolveAppFolder("", envOf({}), exe), "/opt/trovel/bin");
    std::filesystem::path relative = resolveAppFolder("data/../here", envOf({}), exe);
    EXPECT_TRUE(relative.is_absolute());
    EXPECT_EQ(relative.filename(), "here");
}

TEST(AppFolder, DataNamesResolveInsideTheFolder) {
    EXPECT_EQ(resolveDataPath(u"skin\\start.bmp", "/app"), "/app/skin/start.bmp");
    EXPECT_EQ(resolveDataPath(u"/abs/x.bmp", "/app"), "/abs/x.bmp");
    EXPECT_EQ(resolveDataPath(u"lang/./en.txt", "/app"), "/app/lang/en.txt");
    // A damaged name with a broken UTF-16 sequence names a file that is not there, never a crash.
    EXPECT_EQ(resolveDataPath(u"skin/\xD800x.bmp", "/app"), "/app/skin/\xEF\xBF\xBDx.bmp");
    EXPECT_FALSE(executablePath().empty());
}

// The shipped folder as the build copies it beside the executables.
TEST(ShippedFolder, LoadsWithoutAnyMessageInJapaneseAndEnglish) {
    for (uint32_t locale : {kLcidJapanese, kLcidEnglishUs, 0x0809u}) {
        AppConfig config;
        StartupResult r = loadAppFolder(TROVEL_APP_DIR, locale, config);
        EXPECT_TRUE(r.ok);
        EXPECT_TRUE(r.messages.empty()) << "locale " << locale;
        EXPECT_EQ(config.skin.size(), 22u);
        EXPECT_EQ(config.resources.loaded, locale != kLcidJapanese);
        for (int a = 0; a < MemoryMap::Size; ++a) {
            EXPECT_FALSE(config.memoryNames.displayName[a].empty()) << a;
            EXPECT_FALSE(config.memoryNames.shortName[a].empty()) << a;
        }
        // A language pack brings its own names of the memory addresses.
        const bool japanese = locale == kLcidJapanese;
        EXPECT_EQ(config.memoryNames.displayName[9], japanese ? u"左センサ" : u"Left sensor");
        EXPECT_EQ(config.memoryNames.displayName[14], japanese ? u"センサ⑥" : u"Sensor ⑥");
    }
    EXPECT_EQ(resString(Str::Yes), u"Yes");
    useStringPack({});
}

TEST(ShippedFolder, SkinImagesHaveTheBlockSizes) {
    // The English pack's own pictures must fit the same boxes.
    for (uint32_t locale : {kLcidJapanese, kLcidEnglishUs}) {
        AppConfig config;
        ASSERT_TRUE(loadAppFolder(TROVEL_APP_DIR, locale, config).ok);
        ASSERT_EQ(config.skin.size(), 22u);
        const int sizes[17][2] = {{108, 45}, {108, 45}, {63, 63}, {63, 63},  {63, 63},  {63, 63},
                                  {63, 63},  {63, 63},  {63, 63}, {108, 63}, {108, 63}, {63, 63},
                                  {63, 63},  {63, 63},  {63, 63}, {108, 36}, {108, 36}};
        for (int i = 0; i < 17; ++i) {
            EXPECT_EQ(config.skin[i].info.width, sizes[i][0]) << "image " << i;
            EXPECT_EQ(config.skin[i].info.height, sizes[i][1]) << "image " << i;
            EXPECT_EQ(config.skin[i].info.bitsPerPixel, 24) << "image " << i;
        }
        for (int i = SkinImage::RandomBranchButton; i <= SkinImage::BranchButton; ++i) {
            EXPECT_EQ(config.skin[i].info.width, 63);
            EXPECT_EQ(config.skin[i].info.height, 36);
        }
    }
    useStringPack({});
}

TEST(ShippedFolder, SettingsFileIsWhatSaveWrites) {
    AppConfig config;
    ASSERT_TRUE(loadAppFolder(TROVEL_APP_DIR, kLcidJapanese, config).ok);
    auto dir = scratchDir("app", "shipped_settings");
    ASSERT_TRUE(saveSettings(dir / "qx_def.ini", config.settings));
    EXPECT_EQ(readBytes(dir / "qx_def.ini"), readBytes(std::filesystem::path(TROVEL_APP_DIR) / "qx_def.ini"));
}

TEST(Startup, AMissingFileFailsWithTheStartupMessage) {
    for (const char* missing : {"skin.ini", "qx_def.ini", "memname.ini"}) {
        auto dir = scratchDir("app", "startup_missing");
        std::filesystem::copy(TROVEL_APP_DIR, dir, std::filesystem::copy_options::recursive);
        std::filesystem::remove(dir / missing);
        AppConfig config;
        config.settings.dio = 9;
        StartupResult r = loadAppFolder(dir, kLcidJapanese, config);
        EXPECT_FALSE(r.ok) << missing;
        ASSERT_EQ(r.messages.size(), 1u) << missing;
        EXPECT_EQ(r.messages[0].text, u"初期設定に失敗しました。");
        EXPECT_EQ(config.settings.dio, 0);  // back to the defaults
    }
}

TEST(Startup, ABrokenSkinImageShowsItsMessageThenTheStartupFailure) {
    auto dir = scratchDir("app", "startup_skin");
    std::filesystem::copy(TROVEL_APP_DIR, dir, std::filesystem::copy_options::recursive);
    test::writeBytes(dir / "skin" / "03_forward.bmp", "BM");
    AppConfig config;
    StartupResult r = loadAppFolder(dir, kLcidEnglishUs, config);
    useStringPack({});
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.messages.size(), 2u);
    EXPECT_NE(r.messages[0].text.find((dir / "skin" / "03_forward.bmp").u16string()), std::u16string::npos);
    EXPECT_EQ(r.messages[0].text.substr(0, 9), u"This skin");  // in the chosen language
}

TEST(Startup, LoadedOptionsReplaceOnlyTheSavedBits) {
    auto dir = scratchDir("app", "startup_options");
    std::filesystem::copy(TROVEL_APP_DIR, dir, std::filesystem::copy_options::recursive);
    test::writeUtf16Lines(dir / "qx_def.ini", {u"_FLAG:[4096]"});
    StudioContext context;
    context.folders = {dir, dir, {}};
    context.options.reset(Option::Connected | Option::UseCalcBlock);
    ASSERT_TRUE(loadStudioContext(context, kLcidJapanese).ok);
    EXPECT_EQ(context.options.bits(), Option::Connected | Option::BlockCollision);

    // Saving takes the live options, the sensor-3/4 option among them; state bits stay behind.
    context.options.set(Option::UseSensors34);
    ASSERT_TRUE(saveAppSettings(context));
    StudioContext again;
    again.folders = {dir, dir, {}};
    ASSERT_TRUE(loadStudioContext(again, kLcidJapanese).ok);
    EXPECT_EQ(again.options.bits(), Option::BlockCollision | Option::UseSensors34);

    // Without a user folder there is nowhere to keep them, not the folder the process runs in.
    StudioContext nowhere;
    EXPECT_FALSE(saveAppSettings(nowhere));
}

}  // namespace
}  // namespace trovel

namespace trovel {
namespace {

TEST(AppFolders, WritesLeaveTheApplicationFolderOnlyWhenItIsShared) {
    const auto root = test::scratchDir("app", "folders_resolve");
    std::filesystem::create_directories(root / "usr/bin");
    std::filesystem::create_directories(root / "usr/share/trovel-studio");
    std::filesystem::create_directories(root / "portable");
    const std::filesystem::path user = "/home/pupil/.local/share/trovel-studio";
    struct Row {
        const char* what;
        std::filesystem::path option;
        std::map<std::string, std::string> env;
        std::filesystem::path exe;
        std::filesystem::path shared;
        std::filesystem::path written;
        std::filesystem::path site;
    } rows[] = {
        {"--app-dir", "/srv/class", {}, root / "usr/bin/trovel-studio", "/srv/class", "/srv/class", ""},
        {"TROVEL_HOME", "", {{"TROVEL_HOME", "/home/t"}}, root / "usr/bin/x", "/home/t", "/home/t", ""},
        // Installed: shared even where this process could write it; the site settings in /etc.
        {"installed",
         "",
         {},
         root / "usr/bin/trovel-cli",
         root / "usr/share/trovel-studio",
         user,
         "/etc/trovel-studio"},
        {"portable", "", {}, root / "portable/trovel-studio", root / "portable", root / "portable", ""},
        {"unwritable", "", {}, "/nonexistent/bin/trovel-studio", "/nonexistent/bin", user, ""},
        {"site named",
         "",
         {{"TROVEL_SITE_DIR", "/srv/site"}},
         root / "usr/bin/x",
         root / "usr/share/trovel-studio",
         user,
         "/srv/site"},
        {"site named, portable",
         "",
         {{"TROVEL_SITE_DIR", "/srv/site"}},
         root / "portable/trovel-studio",
         root / "portable",
         root / "portable",
         "/srv/site"},
        {"site empty",
         "",
         {{"TROVEL_SITE_DIR", ""}},
         root / "usr/bin/x",
         root / "usr/share/trovel-studio",
         user,
         "/etc/trovel-studio"},
    };
    for (const Row& r : rows) {
        const AppFolders f = resolveAppFolders(r.option, envOf(r.env), r.exe, user);
        EXPECT_EQ(f.shared, r.shared) << r.what;
        EXPECT_EQ(f.user, r.written) << r.what;
        EXPECT_EQ(f.site, r.site) << r.what;
    }
    // No home to write to: the one folder, never the current directory.
    EXPECT_EQ(resolveAppFolders("", envOf({}), root / "usr/bin/x", "").user, root / "usr/share/trovel-studio");
}

TEST(AppFolders, SeedingCopiesOnlyWhatTheUserHasNotGot) {
    const auto root = test::scratchDir("app", "folders_seed");
    const AppFolders f{root / "share", root / "home/.local/share/trovel-studio", {}};
    test::writeBytes(f.shared / "qx_def.ini", "defaults");
    std::filesystem::permissions(f.shared / "qx_def.ini", std::filesystem::perms::owner_read |
                                                              std::filesystem::perms::group_read |
                                                              std::filesystem::perms::others_read);
    ASSERT_TRUE(seedUserFolder(f, {u"qx_def.ini", u"record.dat"}));
    EXPECT_EQ(readBytes(f.user / "qx_def.ini"), "defaults");
    EXPECT_NE(std::filesystem::status(f.user / "qx_def.ini").permissions() & std::filesystem::perms::owner_write,
              std::filesystem::perms::none);
    EXPECT_FALSE(std::filesystem::exists(f.user / "record.dat"));
    EXPECT_FALSE(std::filesystem::exists(f.user / "qx_def.ini.part"));
    EXPECT_EQ(readableUserFile(f, u"record.dat"), f.shared / "record.dat");

    test::writeBytes(f.user / "qx_def.ini", "mine");
    ASSERT_TRUE(seedUserFolder(f, {u"qx_def.ini"}));
    EXPECT_EQ(readBytes(f.user / "qx_def.ini"), "mine");
    EXPECT_EQ(readableUserFile(f, u"qx_def.ini"), f.user / "qx_def.ini");

    // A user folder that cannot be made: the shared defaults stay readable.
    test::writeBytes(root / "file", "x");
    const AppFolders blocked{f.shared, root / "file/trovel-studio", {}};
    EXPECT_FALSE(seedUserFolder(blocked, {u"qx_def.ini"}));
    EXPECT_EQ(readableUserFile(blocked, u"qx_def.ini"), f.shared / "qx_def.ini");
}

TEST(SiteFolder, UserOverSiteOverShipped) {
    const auto root = test::scratchDir("app", "site_layers");
    std::filesystem::copy(TROVEL_APP_DIR, root / "share", std::filesystem::copy_options::recursive);
    const AppFolders f{root / "share", root / "home", root / "etc"};
    const auto gainOf = [&](const AppFolders& folders) {
        AppConfig config;
        EXPECT_TRUE(loadAppFolders(folders, kLcidJapanese, config).ok);
        return std::pair{int(config.settings.simGain[0]), int(config.settings.chartTextColor.blue)};
    };
    const std::pair<int, int> shipped{152, 159};
    // No site file, no user file: the shipped defaults.
    EXPECT_EQ(gainOf(f), shipped);
    // A site file that holds one record changes that record only.
    test::writeBytes(f.site / "qx_def.ini", "; lab robots run slower\r\n_MY_MOTGAIN:[120]-[121]\r\n");
    EXPECT_EQ(gainOf(f), std::pair(120, 159));
    // A new user is not seeded with the shipped file, which would hide the site's.
    ASSERT_TRUE(seedUserFolder(f, userFileNames()));
    EXPECT_FALSE(std::filesystem::exists(f.user / "qx_def.ini"));
    EXPECT_EQ(readableUserFile(f, u"qx_def.ini"), f.site / "qx_def.ini");
    // The user's own records win.
    test::writeUtf16Lines(f.user / "qx_def.ini", {u"_MY_MOTGAIN:[99]-[98]"});
    EXPECT_EQ(gainOf(f), std::pair(99, 159));
    EXPECT_EQ(readableUserFile(f, u"qx_def.ini"), f.user / "qx_def.ini");
    // Files read whole (robot.ini) come from the first of the three that holds them.
    EXPECT_EQ(readableUserFile(f, u"robot.ini"), f.shared / "robot.ini");
    test::writeBytes(f.site / "robot.ini", "_ROBOT_USB:[1234]-[5678]\r\n");
    EXPECT_EQ(readableUserFile(f, u"robot.ini"), f.site / "robot.ini");
    // A site folder that is not there, or a file there that cannot be read, changes nothing.
    std::filesystem::remove(f.user / "qx_def.ini");
    EXPECT_EQ(gainOf({f.shared, f.user, root / "missing"}), shipped);
    std::filesystem::remove(f.site / "qx_def.ini");
    std::filesystem::create_directories(f.site / "qx_def.ini");
    EXPECT_EQ(gainOf(f), shipped);
    EXPECT_EQ(siteFile(f, u"qx_def.ini"), std::filesystem::path());
    // Without a user copy the shipped file must still read: its loss fails the start as before.
    std::filesystem::remove(f.shared / "qx_def.ini");
    AppConfig config;
    EXPECT_FALSE(loadAppFolders(f, kLcidJapanese, config).ok);
}

TEST(AppFolders, HelpFolderOfEachLayout) {
    const auto root = test::scratchDir("app", "help_folder");
    for (const char* dir : {"usr/share/trovel-studio", "usr/share/doc/trovel-studio", "build/bin",
                            "build/doc/trovel-studio", "portable", "bare/bin"})
        std::filesystem::create_directories(root / dir);
    struct Row {
        const char* what;
        std::filesystem::path shared;
        std::filesystem::path exe;
        std::filesystem::path found;
    } rows[] = {
        {"installed", root / "usr/share/trovel-studio", root / "usr/bin/trovel-studio",
         root / "usr/share/doc/trovel-studio"},
        {"build tree", root / "build/bin", root / "build/bin/trovel-studio", root / "build/doc/trovel-studio"},
        {"--app-dir, installed", root / "portable", root / "usr/bin/trovel-studio",
         root / "usr/share/doc/trovel-studio"},
        {"--app-dir, build tree", root / "portable", root / "build/bin/trovel-studio",
         root / "build/doc/trovel-studio"},
        {"nowhere", root / "bare/bin", root / "bare/bin/trovel-studio", root / "bare/doc/trovel-studio"},
    };
    for (const Row& r : rows) EXPECT_EQ(helpFolder(r.shared, r.exe), r.found) << r.what;
}

TEST(SiteFolder, SiteIniKeys) {
    struct Row {
        const char* what;
        std::string text;
        SiteSettings expected;
    } rows[] = {
        {"empty", "", {}},
        {"both", "language = en\nhandin_folder = /srv/handin/\n", {"en", "/srv/handin/"}},
        {"CR LF, BOM, comments", "\xEF\xBB\xBF# lab 3\r\n; old\r\nlanguage=ja\r\n", {"ja", ""}},
        {"relative folder refused", "handin_folder = handin\n", {"", ""}},
        {"later line wins", "language = en\nlanguage = ja", {"ja", ""}},
        {"unknown key, no =", "colour = red\nlanguage\n", {}},
        {"folder made plain", "handin_folder = /srv//x/./y", {"", "/srv/x/y"}},
    };
    for (const Row& r : rows) EXPECT_EQ(parseSiteSettings(r.text), r.expected) << r.what;

    const auto root = test::scratchDir("app", "site_ini");
    test::writeBytes(root / "site.ini", "language = en\n");
    EXPECT_EQ(loadSiteSettings(root / "site.ini").language, "en");
    EXPECT_EQ(loadSiteSettings(root / "missing.ini"), SiteSettings{});
    test::writeBytes(root / "big.ini", "language = en\n" + std::string(70000, '#'));
    EXPECT_EQ(loadSiteSettings(root / "big.ini"), SiteSettings{});
}

}  // namespace
}  // namespace trovel
