#include "base/string_table.h"

#include "base/message_format.h"
#include "model/text_record_file.h"

namespace trovel {

namespace {

constexpr std::u16string_view kStringKey = u"STR_:";

// A string number: digits only (spaces around allowed), 0..65535.
bool parseStringId(std::u16string_view text, uint16_t& id) {
    size_t b = text.find_first_not_of(u' ');
    size_t e = text.find_last_not_of(u' ');
    if (b == std::u16string_view::npos) return false;
    text = text.substr(b, e - b + 1);
    if (text.empty() || text.size() > 5) return false;
    uint32_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + (c - u'0');
    }
    if (value > 0xFFFF) return false;
    id = static_cast<uint16_t>(value);
    return true;
}

std::u16string unescape(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            char16_t n = text[i + 1];
            char16_t decoded = n == u'r' ? u'\r' : n == u'n' ? u'\n' : n == u't' ? u'\t' : n == u'\\' ? u'\\' : 0;
            if (decoded) {
                out += decoded;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

bool isComment(std::u16string_view line) {
    size_t b = line.find_first_not_of(u" \t");
    return b != std::u16string_view::npos && line[b] == u'#';
}

}  // namespace

std::u16string_view lookup(const StringTable& table, uint16_t id) {
    auto it = table.strings.find(id);
    return it == table.strings.end() ? std::u16string_view() : std::u16string_view(it->second);
}

PackLoadResult loadStringPack(const std::filesystem::path& path) {
    PackLoadResult result;
    TextRecordFile file;
    if (!file.open(path, u"r")) return result;
    if (!file.isUtf16()) {
        result.status = PackStatus::NotUtf16;
        return result;
    }
    StringTable table;
    std::u16string line;
    int lineNo = 0;
    while (file.readLine(line, kMaxLineChars) > 0) {
        ++lineNo;
        if (isComment(line)) continue;
        size_t key = line.find(kStringKey);
        if (key == std::u16string::npos) continue;
        std::u16string number;
        size_t afterNumber = nextField(line, key + kStringKey.size(), number);
        uint16_t id = 0;
        size_t open = afterNumber == std::u16string::npos ? afterNumber : line.find(u"[[", afterNumber);
        size_t close = line.rfind(u"]]");
        if (afterNumber == std::u16string::npos || !parseStringId(number, id) || open == std::u16string::npos ||
            close == std::u16string::npos || close < open + 2) {
            result.status = PackStatus::Malformed;
            result.line = lineNo;
            return result;
        }
        std::u16string text = unescape(std::u16string_view(line).substr(open + 2, close - open - 2));
        if (text.size() > kMaxStringChars) text.resize(kMaxStringChars);
        std::u16string_view original = lookup(builtInStrings(), id);
        if (!original.empty() && conversionsOf(original) != conversionsOf(text)) {
            result.mismatched.push_back(id);
            continue;
        }
        table.strings[id] = std::move(text);
    }
    if (table.strings.empty()) {
        result.status = PackStatus::Empty;
        return result;
    }
    result.status = PackStatus::Loaded;
    result.table = std::move(table);
    return result;
}

std::u16string escapePackText(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        switch (c) {
        case u'\r': out += u"\\r"; break;
        case u'\n': out += u"\\n"; break;
        case u'\t': out += u"\\t"; break;
        case u'\\': out += u"\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace trovel
