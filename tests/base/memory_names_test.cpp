#include <gtest/gtest.h>

#include "base/memory_names.h"
#include "app/app_test_files.h"

namespace trovel {
namespace {

using test::scratchDir;
using test::writeUtf16Lines;

TEST(MemoryNames, CommentLinesBeforeTheFirstRecordTakeNoAddress) {
    auto dir = scratchDir("base", "memname_comment");
    writeUtf16Lines(dir / "memname.ini", {u"; names", u"", u"A:[[左センサ]]-[[左S]]", u"B:[[右センサ]]"});
    MemoryNames names;
    ASSERT_TRUE(loadMemoryNames(dir / "memname.ini", names));
    EXPECT_EQ(names.displayName[0], u"左センサ");
    EXPECT_EQ(names.shortName[0], u"左S");
    EXPECT_EQ(names.displayName[1], u"右センサ");
    EXPECT_EQ(names.shortName[1], u"");  // no second field
    EXPECT_EQ(names.displayName[2], u"");
}

TEST(MemoryNames, StopsAfter32AddressesAndCutsLongNames) {
    auto dir = scratchDir("base", "memname_many");
    std::vector<std::u16string> lines;
    for (int i = 0; i < 40; ++i) lines.push_back(u"[[n" + std::u16string(1, u'A' + i) + u"]]-[[s]]");
    lines[5] = u"[[" + std::u16string(300, u'x') + u"]]-[[" + std::u16string(256, u'y') + u"]]";
    writeUtf16Lines(dir / "memname.ini", lines);
    MemoryNames names;
    ASSERT_TRUE(loadMemoryNames(dir / "memname.ini", names));
    EXPECT_EQ(names.displayName[31], u"n" + std::u16string(1, u'A' + 31));
    EXPECT_EQ(names.displayName[5].size(), kMaxMemoryNameChars);
    EXPECT_EQ(names.shortName[5].size(), kMaxMemoryNameChars);
}

TEST(MemoryNames, ALineWithABracketButNoNameStillTakesItsAddress) {
    auto dir = scratchDir("base", "memname_broken");
    writeUtf16Lines(dir / "memname.ini", {u"[broken", u"[[second]]-[[s2"});
    MemoryNames names;
    ASSERT_TRUE(loadMemoryNames(dir / "memname.ini", names));
    EXPECT_EQ(names.displayName[0], u"");
    EXPECT_EQ(names.displayName[1], u"second");
    EXPECT_EQ(names.shortName[1], u"");  // unterminated second field
}

TEST(MemoryNames, MissingFileFailsAndKeepsTheNames) {
    auto dir = scratchDir("base", "memname_missing");
    MemoryNames names;
    names.displayName[3] = u"kept";
    EXPECT_FALSE(loadMemoryNames(dir / "memname.ini", names));
    EXPECT_EQ(names.displayName[3], u"kept");
}

}  // namespace
}  // namespace trovel
