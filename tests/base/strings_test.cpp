#include <gtest/gtest.h>

#include "base/app_folder.h"
#include "base/locale_id.h"
#include "base/message_format.h"
#include "base/repeat_fault_text.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "base/string_table.h"
#include "app/app_test_files.h"

namespace trovel {
namespace {

using test::scratchDir;
using test::writeBytes;
using test::writeUtf16Lines;

// Every string number another part of the studio asks for by number.
const uint16_t kCitedIds[] = {1,   2,   3,   5,   6,   7,   10,  13,  19,  20,  21,  22,  23,  24,  25,  32,
                              36,  52,  58,  62,  63,  64,  65,  66,  74,  76,  81,  82,  85,  86,  87,  88,
                              89,  90,  91,  92,  95,  103, 108, 109, 110, 113, 114, 115, 271, 272, 274, 298,
                              299, 300, 307, 309, 310, 311, 313, 314, 315, 316, 317, 320, 321, 322, 323};

std::filesystem::path shippedPack() { return std::filesystem::path(TROVEL_SOURCE_DIR) / "data" / "lang" / "en.txt"; }

TEST(StringTable, BuiltInTableHoldsEveryCitedStringWithItsText) {
    for (uint16_t id : kCitedIds) EXPECT_FALSE(lookup(builtInStrings(), id).empty()) << "string " << id;
    EXPECT_EQ(lookup(builtInStrings(), Str::AppName), u"TrovelStudio");
    EXPECT_EQ(lookup(builtInStrings(), Str::SteerTimedTip), u"%.1f 秒間 %d%% で%s");
    EXPECT_EQ(lookup(builtInStrings(), Str::FirstRepeatMark), u"①");
    EXPECT_TRUE(lookup(builtInStrings(), 4).empty());
}

TEST(StringTable, EnglishPackCoversEveryBuiltInStringWithTheSameArguments) {
    PackLoadResult en = loadStringPack(shippedPack());
    ASSERT_TRUE(en.ok()) << static_cast<int>(en.status) << " line " << en.line;
    EXPECT_TRUE(en.mismatched.empty());
    for (uint16_t id : kCitedIds) EXPECT_FALSE(lookup(en.table, id).empty()) << "string " << id;
    for (const auto& [id, text] : builtInStrings().strings) {
        std::u16string_view english = lookup(en.table, id);
        EXPECT_FALSE(english.empty()) << "string " << id;
        EXPECT_EQ(conversionsOf(english), conversionsOf(text)) << "string " << id;
    }
    EXPECT_EQ(lookup(en.table, Str::SkinImageUnreadable).find(u"\r\n[[%s]]\r\n") != std::u16string_view::npos, true);
}

TEST(StringPack, ReadsEscapesBracketsAndSkipsComments) {
    auto dir = scratchDir("base", "pack_escapes");
    writeUtf16Lines(dir / "p.txt", {u"# STR_:[5]-[[comment]]", u"", u"STR_:[2]-[[a [[b]] c\\r\\n\\t\\\\x]]",
                                    u"STR_:[ 900 ]-[[plain]] ", u"STR_:[900]-[[later wins]]"});
    PackLoadResult r = loadStringPack(dir / "p.txt");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(lookup(r.table, 2), u"a [[b]] c\r\n\t\\x");
    EXPECT_EQ(lookup(r.table, 900), u"later wins");
    EXPECT_TRUE(lookup(r.table, 5).empty());
    EXPECT_EQ(escapePackText(u"a\r\n\t\\"), u"a\\r\\n\\t\\\\");
}

TEST(StringPack, BadPacksGiveClearResults) {
    auto dir = scratchDir("base", "pack_bad");
    EXPECT_EQ(loadStringPack(dir / "none.txt").status, PackStatus::CannotOpen);

    writeBytes(dir / "binary.txt", std::string("\x7F"
                                               "ELF\x02\x01\x01\0\0\0STR_:[1]",
                                               19));
    EXPECT_EQ(loadStringPack(dir / "binary.txt").status, PackStatus::NotUtf16);

    std::string noise = "\xFF\xFE";
    for (int i = 0; i < 4000; ++i) noise += static_cast<char>((i * 7919) & 0xFF);
    writeBytes(dir / "noise.txt", noise);
    EXPECT_NE(loadStringPack(dir / "noise.txt").status, PackStatus::Loaded);

    writeUtf16Lines(dir / "truncated.txt", {u"STR_:[1]-[[one]]", u"STR_:[2]-[[tw"});
    PackLoadResult cut = loadStringPack(dir / "truncated.txt");
    EXPECT_EQ(cut.status, PackStatus::Malformed);
    EXPECT_EQ(cut.line, 2);
    EXPECT_TRUE(cut.table.strings.empty());

    // Cut in the middle of a character: the odd byte is dropped, the record is incomplete.
    std::string half = "\xFF\xFE";
    for (char16_t c : std::u16string(u"STR_:[1]-[[one]")) half += {static_cast<char>(c), 0};
    half += ']';
    writeBytes(dir / "half.txt", half);
    EXPECT_EQ(loadStringPack(dir / "half.txt").status, PackStatus::Malformed);

    for (auto bad : {u"STR_:[x]-[[t]]", u"STR_:[70000]-[[t]]", u"STR_:1-[[t]]", u"STR_:[1] no text"}) {
        writeUtf16Lines(dir / "bad.txt", {bad});
        EXPECT_EQ(loadStringPack(dir / "bad.txt").status, PackStatus::Malformed);
    }
    writeUtf16Lines(dir / "empty.txt", {u"# nothing here"});
    EXPECT_EQ(loadStringPack(dir / "empty.txt").status, PackStatus::Empty);

    writeUtf16Lines(dir / "long.txt", {u"STR_:[1]-[[" + std::u16string(5000, u'a') + u"]]"});
    EXPECT_EQ(loadStringPack(dir / "long.txt").status, PackStatus::Malformed);
}

TEST(StringPack, TextsTakingOtherArgumentsThanTheOriginalAreLeftOut) {
    auto dir = scratchDir("base", "pack_mismatch");
    writeUtf16Lines(dir / "p.txt",
                    {u"STR_:[25]-[[%s seconds]]", u"STR_:[320]-[[%d%% for %.1f s: %s]]", u"STR_:[23]-[[%d times]]"});
    PackLoadResult r = loadStringPack(dir / "p.txt");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.mismatched, (std::vector<uint16_t>{25, 320}));
    useStringPack(r.table);
    EXPECT_EQ(resString(25), u"%.1f秒");  // the original stays
    EXPECT_EQ(resString(23), u"%d times");
    useStringPack({});
}

TEST(ResourceChoice, FirstLoadablePackForTheLocaleWins) {
    auto dir = scratchDir("base", "choice");
    writeUtf16Lines(dir / "good.txt", {u"STR_:[20]-[[Yes]]"});
    writeUtf16Lines(dir / "other.txt", {u"STR_:[20]-[[Ja]]"});
    writeBytes(dir / "broken.txt", "not a pack");
    writeUtf16Lines(
        dir / "list.ini",
        {u"# LCID_RESOURCE:[0x0409]-[[other.txt]]", u"LCID_RESOURCE:[0x0407]-[[other.txt]]",
         u"LCID_RESOURCE:[0x0409]-[[missing.txt]]", u"LCID_RESOURCE:[0x0409]-[[broken.txt]] # trailing comment",
         u"LCID_RESOURCE:[0x0409]-[[good.txt]]", u"LCID_RESOURCE:[0x0409]-[[other.txt]]"});
    ResourceChoice c = chooseResourceLibrary(dir / "list.ini", 0x0409, dir);
    EXPECT_TRUE(c.loaded);
    EXPECT_EQ(c.pack, dir / "good.txt");
    EXPECT_EQ(c.packsTried, 2);
    EXPECT_EQ(resString(Str::Yes), u"Yes");
    EXPECT_EQ(resString(Str::No), u"いいえ");  // not in the pack: the built-in text

    ResourceChoice none = chooseResourceLibrary(dir / "list.ini", 0x0411, dir);
    EXPECT_FALSE(none.loaded);
    EXPECT_EQ(resString(Str::Yes), u"はい");
    EXPECT_FALSE(chooseResourceLibrary(dir / "absent.ini", 0x0409, dir).loaded);
    EXPECT_EQ(resString(Str::Yes), u"はい");
    EXPECT_TRUE(resString(4).empty());
}

TEST(ResourceChoice, LocaleIdDigitsFollowTheListRule) {
    EXPECT_EQ(parseLocaleIdText(u"0x0411"), 0x0411u);
    EXPECT_EQ(parseLocaleIdText(u"0x0C09"), 0x0C09u);
    EXPECT_EQ(parseLocaleIdText(u"0x0c09"), 0x0C09u);
    EXPECT_EQ(parseLocaleIdText(u"0x041"), 0u);          // ends before four digits
    EXPECT_EQ(parseLocaleIdText(u"0x0Z00"), 35u * 256);  // letters run on past F
    EXPECT_EQ(parseLocaleIdText(u"0x04-1"), 0x0401u);    // anything else is 0
    EXPECT_EQ(parseLocaleIdText(u"0x04110"), 0x0411u);
}

TEST(LocaleId, LocaleNamesMapToWindowsIds) {
    EXPECT_EQ(lcidFromLocaleName("ja_JP.UTF-8"), 0x0411u);
    EXPECT_EQ(lcidFromLocaleName("en_US.UTF-8"), 0x0409u);
    EXPECT_EQ(lcidFromLocaleName("en_GB"), 0x0809u);
    EXPECT_EQ(lcidFromLocaleName("EN-au"), 0x0C09u);
    EXPECT_EQ(lcidFromLocaleName("en_XX"), 0x0409u);  // unknown country: the language's main one
    EXPECT_EQ(lcidFromLocaleName("de_DE@euro"), 0x0407u);
    EXPECT_EQ(lcidFromLocaleName("ja"), 0x0411u);
    EXPECT_EQ(lcidFromLocaleName("C.UTF-8"), 0u);
    EXPECT_EQ(lcidFromLocaleName("POSIX"), 0u);
    EXPECT_EQ(lcidFromLocaleName(""), 0u);
    EXPECT_EQ(lcidFromLocaleName("xx_YY"), 0u);
}

TEST(LocaleId, OptionThenVariableThenLocaleEnvironment) {
    std::map<std::string, std::string> vars;
    EnvLookup env = [&](const char* name) -> std::optional<std::string> {
        auto it = vars.find(name);
        if (it == vars.end()) return std::nullopt;
        return it->second;
    };
    EXPECT_EQ(userLocaleId("", env), 0u);
    vars["LANG"] = "ja_JP.UTF-8";
    EXPECT_EQ(userLocaleId("", env), 0x0411u);
    vars["LC_MESSAGES"] = "en_GB.UTF-8";
    EXPECT_EQ(userLocaleId("", env), 0x0809u);
    vars["LC_ALL"] = "";  // set but empty: not used
    EXPECT_EQ(userLocaleId("", env), 0x0809u);
    vars["LC_ALL"] = "de_DE";
    EXPECT_EQ(userLocaleId("", env), 0x0407u);
    // The site's language comes before the locale and after the user's own choices.
    EXPECT_EQ(userLocaleId("", env, "ja"), 0x0411u);
    EXPECT_EQ(userLocaleId("", env, "klingon"), 0x0407u);
    EXPECT_EQ(userLocaleId("en", env, "ja"), 0x0409u);
    vars["TROVEL_LANG"] = "en";
    EXPECT_EQ(userLocaleId("", env, "ja"), 0x0409u);
    EXPECT_EQ(userLocaleId("", env), 0x0409u);
    EXPECT_EQ(userLocaleId("ja", env), 0x0411u);
    EXPECT_EQ(userLocaleId("klingon", env), 0x0409u);  // an unknown option falls through

    const char* argv[] = {"studio", "--app-dir", "x", "--lang", "en", nullptr};
    EXPECT_EQ(languageOption(5, argv), "en");
    const char* argv2[] = {"studio", "--lang=ja", nullptr};
    EXPECT_EQ(languageOption(2, argv2), "ja");
    const char* argv3[] = {"studio", "--lang", nullptr};
    EXPECT_EQ(languageOption(2, argv3), "");
}

TEST(RepeatFaultQuestion, NumberedForOneRepeatPlainOtherwiseForRunAndWrite) {
    EXPECT_EQ(repeatFaultQuestion(0, RepeatFaultStops::Run),
              u"くり返し①のつながりが正しくありません。\nプログラムの実行を中止しますか?");
    EXPECT_EQ(repeatFaultQuestion(6, RepeatFaultStops::Write),
              u"くり返し⑦のつながりが正しくありません。\nプログラムの書き込みを中止しますか?");
    EXPECT_EQ(repeatFaultQuestion(7, RepeatFaultStops::Run),
              u"くり返しのつながりが正しくありません。\nプログラムの実行を中止しますか?");
    EXPECT_EQ(repeatFaultQuestion(7, RepeatFaultStops::Write),
              u"くり返しのつながりが正しくありません。\nプログラムの書き込みを中止しますか?");
}

TEST(MessageFormat, FormatsTheTableDirectivesAndSurvivesMismatches) {
    EXPECT_EQ(formatMessage(u"%.1f 秒間 %d%% で%s", {1.5, 50, u"左前に進む 1"}), u"1.5 秒間 50% で左前に進む 1");
    EXPECT_EQ(formatMessage(u"%03d", {7}), u"007");
    EXPECT_EQ(formatMessage(u"%03d", {-7}), u"-07");
    EXPECT_EQ(formatMessage(u"%c", {char16_t(u'①' + 6)}), u"⑦");
    EXPECT_EQ(formatMessage(u"%s%c%d", {u"左S", u'<', 80}), u"左S<80");
    EXPECT_EQ(formatMessage(u"%d回 %s %s", {3}), u"3回  ");  // missing arguments print nothing
    EXPECT_EQ(formatMessage(u"%s", {42}), u"42");
    EXPECT_EQ(formatMessage(u"%d", {2.9}), u"2");
    EXPECT_EQ(formatMessage(u"100% sure %q", {}), u"100% sure %q");
    EXPECT_EQ(formatMessage(u"%999999999d|", {1}).size(), 65u);  // widths are capped
    EXPECT_EQ(formatMessage(u"%", {}), u"%");
    EXPECT_EQ(conversionsOf(u"%.1f 秒間 %d%% で%s"), "fds");
    EXPECT_EQ(conversionsOf(u"50%% %i"), "d");
}

}  // namespace
}  // namespace trovel
