#include <gtest/gtest.h>

#include <string>

#include "editor/number_entry.h"

using namespace trovel;

namespace {

EntryResult time(std::u16string_view t) { return readEntry(t, EntryKind::Time); }
EntryResult percent(std::u16string_view t) { return readEntry(t, EntryKind::Percent); }
EntryResult constant(std::u16string_view t) { return readEntry(t, EntryKind::Constant); }

void expectAccepted(const EntryResult& r, int value, bool corrected) {
    ASSERT_EQ(r.status, EntryStatus::Accepted);
    EXPECT_EQ(r.value, value);
    EXPECT_EQ(r.corrected, corrected);
}

TEST(NumberEntryCharacters, FullWidthFormsBecomeAscii) {
    const NormalizedEntry e = normalizeEntry(u"１２．５。\u3000 3");
    ASSERT_TRUE(e.valid);
    EXPECT_EQ(e.text, u"12.5.  3");
}

TEST(NumberEntryCharacters, AnyOtherCharacterIsRefused) {
    for (std::u16string_view bad : {u"1a", u"-1", u"+2", u"1,5", u"１e", u"\t", u"٣", u"1/2", u"x"}) {
        EXPECT_FALSE(normalizeEntry(bad).valid) << std::string(bad.begin(), bad.end());
        EXPECT_EQ(time(bad).status, EntryStatus::Invalid);
        EXPECT_EQ(constant(bad).status, EntryStatus::Invalid);
    }
}

TEST(NumberEntryCharacters, OnlyTheFirst255CharactersAreRead) {
    std::u16string text(kMaxEntryChars, u'1');
    text += u"x";  // beyond what is read
    EXPECT_TRUE(normalizeEntry(text).valid);
    expectAccepted(constant(text), 255, true);
}

TEST(NumberEntryTime, ReadsSecondsAsTenths) {
    expectAccepted(time(u"１．５"), 15, false);
    expectAccepted(time(u"1。5"), 15, false);
    expectAccepted(time(u"2.3"), 23, false);  // exact decimal reading, not 22 from a binary product
    expectAccepted(time(u"0.7"), 7, false);
    expectAccepted(time(u"25.5"), 255, false);
    expectAccepted(time(u" 3"), 30, false);
    expectAccepted(time(u"1.29"), 12, false);  // further digits are cut, not rounded
    expectAccepted(time(u"1.5.9"), 15, false);
    expectAccepted(time(u"4."), 40, false);
}

TEST(NumberEntryTime, OutOfRangeIsCorrectedToTheNearestLimit) {
    expectAccepted(time(u"0"), 1, true);
    expectAccepted(time(u"0.0"), 1, true);
    expectAccepted(time(u"."), 1, true);
    expectAccepted(time(u"25.6"), 255, true);
    expectAccepted(time(u"99999999999999999999999"), 255, true);
}

TEST(NumberEntryPercent, TypedValuesStayWithinOneToHundred) {
    expectAccepted(percent(u"50"), 50, false);
    expectAccepted(percent(u"１００"), 100, false);
    expectAccepted(percent(u"0"), 1, true);
    expectAccepted(percent(u"101"), 100, true);
    expectAccepted(percent(u"70000"), 100, true);
    expectAccepted(percent(u"12.9"), 12, false);
}

TEST(NumberEntryConstant, ZeroToTwoFiftyFive) {
    expectAccepted(constant(u"0"), 0, false);
    expectAccepted(constant(u"３０"), 30, false);
    expectAccepted(constant(u"255"), 255, false);
    expectAccepted(constant(u"256"), 255, true);
    expectAccepted(constant(u"4294967296"), 255, true);  // would wrap to 0 in 32 bits
}

TEST(NumberEntryBlank, ClearedEditStoresNothingYet) {
    for (std::u16string_view blank : {u"", u" ", u"\u3000 "}) {
        EXPECT_EQ(time(blank).status, EntryStatus::Empty);
        EXPECT_EQ(percent(blank).status, EntryStatus::Empty);
        EXPECT_EQ(constant(blank).status, EntryStatus::Empty);
    }
}

TEST(NumberEntryText, ShownAsTheEditsShowThem) {
    EXPECT_EQ(entryText(1, EntryKind::Time), u"0.1");
    EXPECT_EQ(entryText(15, EntryKind::Time), u"1.5");
    EXPECT_EQ(entryText(255, EntryKind::Time), u"25.5");
    EXPECT_EQ(entryText(0, EntryKind::Constant), u"0");
    EXPECT_EQ(entryText(100, EntryKind::Percent), u"100");
    // What is shown reads back as the same value.
    for (int v = 1; v <= 255; ++v) { ASSERT_EQ(time(entryText(static_cast<uint8_t>(v), EntryKind::Time)).value, v); }
}

}  // namespace
