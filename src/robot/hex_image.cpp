#include "robot/hex_image.h"

#include <algorithm>

#include "model/text_record_file.h"
#include "robot/hid_report.h"

namespace trovel {

namespace {

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// Decodes the hex digits after the colon into bytes; false on any other character or an odd count.
bool recordBytes(std::u16string_view digits, std::vector<uint8_t>& bytes) {
    if (digits.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexDigit(digits[i]);
        const int low = hexDigit(digits[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return true;
}

std::u16string_view trimmed(std::u16string_view line) {
    while (!line.empty() && (line.back() == u'\r' || line.back() == u' ' || line.back() == u'\t'))
        line.remove_suffix(1);
    return line;
}

class HexReader {
public:
    // False when the record refuses the file (result.status says why); `end` on an end record.
    bool take(std::u16string_view line, int lineNumber, bool& end) {
        line = trimmed(line);
        if (line.empty() || line[0] != u':') return true;
        m_result.line = lineNumber;
        if (!recordBytes(line.substr(1), m_bytes) || m_bytes.size() < 5 || m_bytes.size() != 5u + m_bytes[0])
            return fail(HexStatus::BadRecord);
        uint8_t sum = 0;
        for (uint8_t b : m_bytes) sum = static_cast<uint8_t>(sum + b);
        if (sum != 0) return fail(HexStatus::BadChecksum);
        const int count = m_bytes[0];
        const uint32_t address = uint32_t(m_bytes[1]) << 8 | m_bytes[2];
        const uint8_t* data = m_bytes.data() + 4;
        switch (m_bytes[3]) {
        case 0x00:
            for (int i = 0; i < count; ++i) {
                const uint32_t at = m_base + address + i;
                if (at >= kHexImageLimit) return fail(HexStatus::OutOfRange);
                if (at >= m_result.image.size()) m_result.image.resize(at + 1, 0x00);
                m_result.image[at] = data[i];
                if (at >= kFirmwareAddress && at < kFirmwareEnd) m_firmwareData = true;
            }
            return true;
        case 0x01: end = true; return true;
        case 0x02:
            if (count != 2) return fail(HexStatus::BadRecord);
            m_base = (uint32_t(data[0]) << 8 | data[1]) * 16;
            return true;
        case 0x04:
            if (count != 2) return fail(HexStatus::BadRecord);
            m_base = (uint32_t(data[0]) << 8 | data[1]) << 16;
            return true;
        case 0x03:
        case 0x05: return true;  // start addresses mean nothing to the boot loader
        default: return fail(HexStatus::BadRecord);
        }
    }

    HexLoadResult finish() {
        if (m_result.status == HexStatus::Loaded && !m_firmwareData) {
            m_result.status = HexStatus::NoFirmwareData;
            m_result.line = 0;
        }
        if (m_result.status != HexStatus::Loaded) m_result.image.clear();
        else m_result.line = 0;
        return std::move(m_result);
    }

private:
    bool fail(HexStatus status) {
        m_result.status = status;
        return false;
    }

    HexLoadResult m_result{HexStatus::Loaded, {}, 0};
    std::vector<uint8_t> m_bytes;
    uint32_t m_base = 0;
    bool m_firmwareData = false;
};

}  // namespace

HexLoadResult parseHexLines(const std::vector<std::u16string>& lines) {
    HexReader reader;
    bool end = false;
    for (size_t i = 0; i < lines.size() && !end; ++i)
        if (!reader.take(lines[i], static_cast<int>(i + 1), end)) break;
    return reader.finish();
}

HexLoadResult loadHexImage(const std::filesystem::path& path) {
    TextRecordFile file;
    if (!file.open(path, u"r")) return {};
    HexReader reader;
    std::u16string line;
    bool end = false;
    while (!end && file.readLine(line, kRecordLineChars) > 0)
        if (!reader.take(line, file.lineNumber(), end)) break;
    file.close();
    return reader.finish();
}

}  // namespace trovel
