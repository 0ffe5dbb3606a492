#pragma once
// The one layer every text file goes through: UTF-16LE (BOM, CR LF) writing, line reading of
// UTF-16LE or ANSI (code page 932) files, and the bracketed [value] / [[string]] record fields.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "model/text_convert.h"

namespace trovel {

constexpr size_t kMaxLineChars = 4096;     // the most a caller may ask for
constexpr size_t kRecordLineChars = 4000;  // what callers ask for
constexpr size_t kMaxNumberBytes = 255;    // toNumber looks at no more than this

// Owns an open file. Reading loads the file and hands it out line by line; writing goes to a
// temporary file beside the target that close() renames over it, so a failed or interrupted
// write never destroys the previous file.
class TextRecordFile {
public:
    TextRecordFile() = default;
    ~TextRecordFile();
    TextRecordFile(const TextRecordFile&) = delete;
    TextRecordFile& operator=(const TextRecordFile&) = delete;

    // mode: first character 'r' (read an existing file) or 'w' (create or truncate); a mode
    // containing 'b' or '+' (read and write at once) is refused. Writing starts with FF FE.
    bool open(const std::filesystem::path& path, std::u16string_view mode);
    // True when everything was written and the file is in place (always true after reading).
    bool close();
    bool isOpen() const { return m_reading || m_out != nullptr; }

    // The next line without its LF (a CR before the LF stays), cut to maxChars and to the first
    // NUL; the rest of an overlong line is skipped, and so are lines with no character at all
    // before their LF (hand-edited LF-only files have them between records). Returns the length;
    // 0 at the end of the file, on error, for maxChars > kMaxLineChars, and for a line whose
    // first character is NUL (a binary file).
    size_t readLine(std::u16string& line, size_t maxChars = kRecordLineChars);
    // 1-based line number in the file of the line readLine returned last.
    int lineNumber() const { return m_line; }
    bool isUtf16() const { return m_utf16; }

    // Writes the text with every LF as CR LF; an empty text writes nothing.
    void writeText(std::u16string_view text);

private:
    bool readPhysicalLine(std::u16string& line, size_t maxChars);

    std::vector<uint8_t> m_data;  // whole file while reading
    size_t m_pos = 0;
    int m_line = 0;
    bool m_reading = false;
    bool m_utf16 = false;
    std::FILE* m_out = nullptr;
    bool m_writeFailed = false;
    std::filesystem::path m_target;
    std::filesystem::path m_temp;
};

// Finds the next "[...]" at or after `from`; `text` gets its content. Returns the position after
// the ']', or npos (with `text` empty) when a bracket is missing.
size_t nextField(std::u16string_view line, size_t from, std::u16string& text);
// The same for "[[...]]", so the content may hold single brackets; it closes at the last "]]" of a
// run of brackets, so a text ending in ']' reads back whole.
size_t nextTextField(std::u16string_view line, size_t from, std::u16string& text);
// Leading decimal number of the text (0 when none), looking at no more than 255 characters.
double toNumber(std::u16string_view text);
// toNumber as an int, saturated to the int range (NaN gives 0).
int toInt(std::u16string_view text);

}  // namespace trovel
