#pragma once
// Numbered strings: the built-in Japanese table and language packs.
//
// A language pack is a UTF-16 text record file. Every line holding "STR_:" carries one string:
//   STR_:[85]-[[新しいプログラムを作成する]]
// The text runs from the first "[[" after the number to the last "]]" of the line, so it may
// hold brackets; "\r", "\n", "\t" and "\\" stand for CR, LF, tab and a backslash. Other lines
// are ignored, and everything from a "#" at the start of a line is a comment.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace trovel {

constexpr size_t kMaxStringChars = 4095;  // longest text a numbered string may have

struct StringTable {
    std::map<uint16_t, std::u16string> strings;
};

// The Japanese table compiled into the program.
const StringTable& builtInStrings();
// The text of `id`, or empty when the table does not hold it.
std::u16string_view lookup(const StringTable& table, uint16_t id);

enum class PackStatus {
    Loaded,
    CannotOpen,  // missing or unreadable
    NotUtf16,    // no UTF-16 byte-order mark: not a pack (a binary or ANSI file)
    Malformed,   // a STR_ line cannot be read (bad number, missing brackets, cut off)
    Empty,       // no string at all
};

struct PackLoadResult {
    PackStatus status = PackStatus::CannotOpen;
    StringTable table;  // filled only when loaded
    int line = 0;       // 1-based line of a malformed record
    // Strings left out because they take other arguments than the built-in text of the same number
    // (formatting them would read arguments that are not there).
    std::vector<uint16_t> mismatched;
    bool ok() const { return status == PackStatus::Loaded; }
};

PackLoadResult loadStringPack(const std::filesystem::path& path);

// Escapes a text for a pack line (the inverse of the reading rule above).
std::u16string escapePackText(std::u16string_view text);

}  // namespace trovel
