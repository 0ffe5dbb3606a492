#include "model/text_record_file.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <fstream>
#include <system_error>
#include <utility>

#include "model/atomic_file.h"
#include "model/portable_bits.h"

namespace trovel {

namespace {

// Larger files are refused as if missing; no file the studio reads comes near this.
constexpr std::uintmax_t kMaxFileBytes = 256u * 1024 * 1024;

struct Mode {
    bool valid = false;
    bool read = false;
    bool write = false;
};

Mode parseMode(std::u16string_view mode) {
    Mode m;
    if (mode.empty()) return m;
    char16_t first = mode[0] | 0x20;
    if (first != u'r' && first != u'w') return m;
    for (char16_t c : mode)
        if ((c | 0x20) == u'b') return m;
    // Reading and writing one file at once would need in-place updates, which the temporary file
    // that keeps a failed save harmless cannot give: such modes are refused, never half-served.
    if (mode.find(u'+') != std::u16string_view::npos) return m;
    m.valid = true;
    m.read = first == u'r';
    m.write = first == u'w';
    return m;
}

void cutAtNul(std::u16string& line) {
    size_t nul = line.find(u'\0');
    if (nul != std::u16string::npos) line.resize(nul);
}

}  // namespace

TextRecordFile::~TextRecordFile() {
    if (m_out) {
        // Never finished: drop the partial file and keep whatever was there before.
        std::fclose(m_out);
        std::error_code ec;
        std::filesystem::remove(m_temp, ec);
    }
}

bool TextRecordFile::open(const std::filesystem::path& path, std::u16string_view mode) {
    if (isOpen()) return false;
    Mode m = parseMode(mode);
    if (!m.valid) return false;
    if (m.write) {
        m_target = path;
        m_temp = path;
        m_temp += ".saving~";
        m_out = std::fopen(m_temp.c_str(), "wb");
        if (!m_out) return false;
        m_writeFailed = std::fwrite("\xFF\xFE", 1, 2, m_out) != 2;
        return true;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileBytes) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    m_data.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(m_data.data()), static_cast<std::streamsize>(size));
    m_data.resize(static_cast<size_t>(in.gcount()));
    m_pos = 0;
    m_utf16 = m_data.size() >= 2 && m_data[0] == 0xFF && m_data[1] == 0xFE;
    m_reading = true;
    return true;
}

bool TextRecordFile::close() {
    if (m_reading) {
        m_reading = false;
        m_data.clear();
        return true;
    }
    if (!m_out) return false;
    std::FILE* out = std::exchange(m_out, nullptr);
    return finishAtomicWrite(out, !m_writeFailed, m_temp, m_target);
}

size_t TextRecordFile::readLine(std::u16string& line, size_t maxChars) {
    line.clear();
    if (!m_reading || maxChars > kMaxLineChars) return 0;
    while (m_pos < m_data.size()) {
        bool emptyBeforeLf = readPhysicalLine(line, maxChars);
        if (!emptyBeforeLf) break;
    }
    return line.size();
}

// Reads one line at m_pos; true when it held nothing at all before its LF.
bool TextRecordFile::readPhysicalLine(std::u16string& line, size_t maxChars) {
    line.clear();
    ++m_line;
    size_t startPos = m_pos == 0 && m_utf16 ? 2 : m_pos;
    if (m_utf16) {
        if (m_pos == 0) m_pos = 2;  // the byte-order mark
        const size_t chars = (m_data.size() - m_pos) / 2;
        size_t i = 0;
        bool cut = false;
        for (; i < chars; ++i) {
            char16_t c = static_cast<char16_t>(m_data[m_pos + 2 * i] | (m_data[m_pos + 2 * i + 1] << 8));
            if (c == u'\n') break;
            if (line.size() == maxChars) {
                cut = true;
                break;
            }
            line += c;
        }
        if (cut) {
            // Skip the rest of an overlong line so it never turns into a line of its own.
            while (i < chars && (m_data[m_pos + 2 * i] != '\n' || m_data[m_pos + 2 * i + 1] != 0)) ++i;
        }
        m_pos = i < chars ? m_pos + 2 * (i + 1) : m_data.size();
    } else {
        size_t end = m_pos;
        while (end < m_data.size() && m_data[end] != '\n') ++end;
        line = fromCp932(std::string_view(reinterpret_cast<const char*>(m_data.data()) + m_pos, end - m_pos));
        if (line.size() > maxChars) line.resize(maxChars);
        m_pos = end < m_data.size() ? end + 1 : m_data.size();
    }
    const size_t unit = m_utf16 ? 2 : 1;
    bool emptyBeforeLf =
        m_pos == startPos + unit && line.empty() && m_data[startPos] == '\n' && (!m_utf16 || m_data[startPos + 1] == 0);
    cutAtNul(line);
    return emptyBeforeLf;
}

void TextRecordFile::writeText(std::u16string_view text) {
    if (!m_out || text.empty()) return;
    std::string bytes;
    bytes.reserve(text.size() * 2 + 16);
    for (char16_t c : text) {
        if (c == u'\n') bytes.append("\r\0", 2);
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_out) != bytes.size()) m_writeFailed = true;
}

size_t nextField(std::u16string_view line, size_t from, std::u16string& text) {
    text.clear();
    if (from >= line.size()) return std::u16string_view::npos;
    size_t open = line.find(u'[', from);
    if (open == std::u16string_view::npos) return open;
    size_t close = line.find(u']', open + 1);
    if (close == std::u16string_view::npos) return close;
    text.assign(line.substr(open + 1, close - open - 1));
    return close + 1;
}

size_t nextTextField(std::u16string_view line, size_t from, std::u16string& text) {
    text.clear();
    if (from >= line.size()) return std::u16string_view::npos;
    size_t open = line.find(u"[[", from);
    if (open == std::u16string_view::npos) return open;
    size_t close = line.find(u"]]", open + 2);
    if (close == std::u16string_view::npos) return close;
    // A text ending in ']' is written as "...]]]": the field closes at the last two brackets of the run.
    while (close + 2 < line.size() && line[close + 2] == u']') ++close;
    text.assign(line.substr(open + 2, close - open - 2));
    return close + 2;
}

double toNumber(std::u16string_view text) {
    text = text.substr(0, kMaxNumberBytes);
    bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
    std::string ansi = ascii ? std::string(text.begin(), text.end()) : toCp932(text);
    if (ansi.size() > kMaxNumberBytes) ansi.resize(kMaxNumberBytes);
    size_t i = 0;
    while (i < ansi.size() && (ansi[i] == ' ' || ansi[i] == '\t' || ansi[i] == '\r' || ansi[i] == '\n')) ++i;
    bool negative = false;
    if (i < ansi.size() && (ansi[i] == '+' || ansi[i] == '-')) negative = ansi[i++] == '-';
    double value = 0;
    auto [end, ec] = parseDouble(ansi.data() + i, ansi.data() + ansi.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow; saturate as strtod does.
        value = HUGE_VAL;
    } else if (ec != std::errc()) {
        return 0;
    }
    (void)end;
    return negative ? -value : value;
}

int toInt(std::u16string_view text) {
    double v = toNumber(text);
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

}  // namespace trovel
