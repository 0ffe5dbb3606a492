#include <gtest/gtest.h>

#include <fstream>

#include "model/text_record_file.h"
#include "test_programs.h"

using namespace trovel;

namespace {

std::string readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

std::string utf16(std::u16string_view text, bool bom = true) {
    std::string s = bom ? std::string("\xFF\xFE") : std::string();
    for (char16_t c : text) {
        s += static_cast<char>(c & 0xFF);
        s += static_cast<char>(c >> 8);
    }
    return s;
}

}  // namespace

TEST(TextRecordFileWrite, WritesMarkAndCrLf) {
    auto dir = test::scratchDir("model", "trf_write");
    {
        TextRecordFile f;
        ASSERT_TRUE(f.open(dir / "empty.txt", u"w"));
        ASSERT_TRUE(f.close());
    }
    EXPECT_EQ(readBytes(dir / "empty.txt"), std::string("\xFF\xFE"));
    {
        TextRecordFile f;
        ASSERT_TRUE(f.open(dir / "ab.txt", u"W"));
        f.writeText(u"A\nB");
        f.writeText(u"");
        ASSERT_TRUE(f.close());
    }
    EXPECT_EQ(readBytes(dir / "ab.txt"), std::string("\xFF\xFE\x41\x00\x0D\x00\x0A\x00\x42\x00", 10));
}

TEST(TextRecordFileWrite, RefusesBadModes) {
    auto dir = test::scratchDir("model", "trf_modes");
    TextRecordFile f;
    EXPECT_FALSE(f.open(dir / "x.txt", u"wb"));
    EXPECT_FALSE(f.open(dir / "x.txt", u"a"));
    EXPECT_FALSE(f.open(dir / "x.txt", u""));
    EXPECT_FALSE(f.open(dir / "missing.txt", u"r"));
    EXPECT_FALSE(f.open(dir / "no-such-folder" / "x.txt", u"w"));
    // Read-and-write modes are refused and leave an existing file as it was.
    writeBytes(dir / "kept.txt", std::string("\xFF\xFEk\0", 4));
    for (const char16_t* mode : {u"r+", u"w+", u"R+"}) {
        EXPECT_FALSE(f.open(dir / "kept.txt", mode));
        EXPECT_FALSE(f.isOpen());
        EXPECT_FALSE(f.close());
        EXPECT_EQ(readBytes(dir / "kept.txt"), std::string("\xFF\xFEk\0", 4));
    }
}

TEST(TextRecordFileWrite, UnfinishedWriteKeepsTheOldFile) {
    auto dir = test::scratchDir("model", "trf_atomic");
    writeBytes(dir / "keep.txt", "old contents");
    {
        TextRecordFile f;
        ASSERT_TRUE(f.open(dir / "keep.txt", u"w"));
        f.writeText(u"half a new fi");
        // Destroyed without close(), as when a save is interrupted.
    }
    EXPECT_EQ(readBytes(dir / "keep.txt"), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
}

TEST(TextRecordFileRead, Utf16LinesKeepTheirCr) {
    auto dir = test::scratchDir("model", "trf_read16");
    writeBytes(dir / "a.txt", utf16(u"first [1]\r\n\r\nthird\r\n"));
    TextRecordFile f;
    ASSERT_TRUE(f.open(dir / "a.txt", u"r"));
    EXPECT_TRUE(f.isUtf16());
    std::u16string line;
    EXPECT_EQ(f.readLine(line), 10u);
    EXPECT_EQ(line, u"first [1]\r");
    EXPECT_EQ(f.readLine(line), 1u);  // a blank CR LF line does not end reading
    EXPECT_EQ(f.readLine(line), 6u);
    EXPECT_EQ(line, u"third\r");
    EXPECT_EQ(f.readLine(line), 0u);
}

TEST(TextRecordFileRead, AnsiFilesAreShiftJis) {
    auto dir = test::scratchDir("model", "trf_ansi");
    // "左センサ" in code page 932, then a second line.
    writeBytes(dir / "a.ini", "\x8D\xB6\x83\x5A\x83\x93\x83\x54:[1]\r\nB\n");
    TextRecordFile f;
    ASSERT_TRUE(f.open(dir / "a.ini", u"r"));
    EXPECT_FALSE(f.isUtf16());
    std::u16string line;
    f.readLine(line);
    EXPECT_EQ(line, u"左センサ:[1]\r");
    f.readLine(line);
    EXPECT_EQ(line, u"B");
}

TEST(TextRecordFileRead, LimitsAndDamage) {
    auto dir = test::scratchDir("model", "trf_limits");
    std::u16string longLine(5000, u'x');
    writeBytes(dir / "long.txt", utf16(longLine + u"[tail]\r\nnext\r\n"));
    TextRecordFile f;
    ASSERT_TRUE(f.open(dir / "long.txt", u"r"));
    std::u16string line;
    EXPECT_EQ(f.readLine(line, 5000), 0u);  // more than a caller may ask for
    EXPECT_EQ(f.readLine(line, 4000), 4000u);
    // The rest of an overlong line never comes back as a line of its own.
    EXPECT_EQ(f.readLine(line), 5u);
    EXPECT_EQ(line, u"next\r");
    f.close();

    // A truncated UTF-16 file (odd length) and embedded NULs read safely.
    writeBytes(dir / "odd.txt", utf16(u"ab\r\n") + "c");
    TextRecordFile g;
    ASSERT_TRUE(g.open(dir / "odd.txt", u"r"));
    EXPECT_EQ(g.readLine(line), 3u);
    EXPECT_EQ(g.readLine(line), 0u);
    writeBytes(dir / "nul.bin", std::string("\0\0\x01\x02\n\xFF", 6));
    TextRecordFile h;
    ASSERT_TRUE(h.open(dir / "nul.bin", u"r"));
    EXPECT_EQ(h.readLine(line), 0u);
}

TEST(RecordFields, BracketsInOrder) {
    std::u16string text;
    std::u16string_view line = u"[12,34]-[5]";
    size_t pos = nextField(line, 0, text);
    EXPECT_EQ(text, u"12,34");
    pos = nextField(line, pos, text);
    EXPECT_EQ(text, u"5");
    EXPECT_EQ(nextField(line, pos, text), std::u16string_view::npos);
    EXPECT_TRUE(text.empty());

    std::u16string_view named = u"[[a]b]]-[1]";
    pos = nextTextField(named, 0, text);
    EXPECT_EQ(text, u"a]b");
    nextField(named, pos, text);
    EXPECT_EQ(text, u"1");
    EXPECT_EQ(nextTextField(u"[[open", 0, text), std::u16string_view::npos);
    EXPECT_EQ(nextField(u"[open", 0, text), std::u16string_view::npos);
}

TEST(RecordFields, NumbersTakeTheLeadingPrefix) {
    EXPECT_EQ(toNumber(u"42"), 42);
    EXPECT_EQ(toNumber(u" -7x"), -7);
    EXPECT_DOUBLE_EQ(toNumber(u"1.5"), 1.5);
    EXPECT_EQ(toNumber(u"abc"), 0);
    EXPECT_EQ(toNumber(u"４２"), 0);  // full-width digits are not ANSI digits
    EXPECT_EQ(toInt(u"99999999999999999999"), INT_MAX);
    EXPECT_EQ(toInt(u"-1e300"), INT_MIN);
    EXPECT_EQ(toNumber(std::u16string(300, u'1')), toNumber(std::u16string(255, u'1')));
}

TEST(TextRecordFileRead, BlankLfLinesDoNotEndTheFile) {
    auto dir = test::scratchDir("model", "trf_blank");
    // As a hand edit on this platform leaves it: LF line ends and blank lines between records.
    writeBytes(dir / "lf.ini", "_A:[1]\n\n\n_B:[2]\n");
    TextRecordFile f;
    ASSERT_TRUE(f.open(dir / "lf.ini", u"r"));
    std::u16string line;
    EXPECT_EQ(f.readLine(line), 6u);
    EXPECT_EQ(f.lineNumber(), 1);
    EXPECT_EQ(f.readLine(line), 6u);
    EXPECT_EQ(line, u"_B:[2]");
    EXPECT_EQ(f.lineNumber(), 4);
    EXPECT_EQ(f.readLine(line), 0u);

    writeBytes(dir / "lf16.txt", utf16(u"a\n\nb\n"));
    TextRecordFile g;
    ASSERT_TRUE(g.open(dir / "lf16.txt", u"r"));
    g.readLine(line);
    EXPECT_EQ(g.readLine(line), 1u);
    EXPECT_EQ(line, u"b");
    EXPECT_EQ(g.lineNumber(), 3);
}
