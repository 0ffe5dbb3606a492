#include "editor/number_entry.h"

#include <algorithm>

namespace trovel {

namespace {

constexpr char16_t kIdeographicSpace = u'\u3000';
// Saturation for the integer part, far above every limit, so long digit runs cannot overflow.
constexpr long kSaturate = 100000;

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads the leading number of an ASCII text as wtoi/wtof would: leading blanks, then digits,
// then (when `tenths`) a '.' and at most one decimal digit; whatever follows is ignored.
long readLeading(std::u16string_view text, bool tenths) {
    size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    long whole = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) whole = std::min(kSaturate, whole * 10 + (text[i] - u'0'));
    if (!tenths) return whole;
    long value = whole * 10;
    if (i < text.size() && text[i] == u'.' && i + 1 < text.size() && isDigit(text[i + 1])) value += text[i + 1] - u'0';
    return value;
}

}  // namespace

NormalizedEntry normalizeEntry(std::u16string_view text) {
    NormalizedEntry out;
    text = text.substr(0, kMaxEntryChars);
    out.text.reserve(text.size());
    for (char16_t c : text) {
        if (isDigit(c) || c == u' ' || c == u'.') {
            out.text.push_back(c);
        } else if (c >= u'０' && c <= u'９') {
            out.text.push_back(static_cast<char16_t>(u'0' + (c - u'０')));
        } else if (c == kIdeographicSpace) {
            out.text.push_back(u' ');
        } else if (c == u'。' || c == u'．') {
            out.text.push_back(u'.');
        } else {
            out.text.clear();
            return out;
        }
    }
    out.valid = true;
    return out;
}

EntryResult readEntry(std::u16string_view text, EntryKind kind) {
    const NormalizedEntry entry = normalizeEntry(text);
    if (!entry.valid) return {};
    EntryResult result;
    // Correcting an edit the user has just cleared would put "0.1" under the caret and spoil the
    // number being typed, so a blank edit waits for its first digit.
    if (entry.text.find_first_not_of(u' ') == std::u16string::npos) {
        result.status = EntryStatus::Empty;
        return result;
    }
    result.status = EntryStatus::Accepted;
    long value = readLeading(entry.text, kind == EntryKind::Time);
    long low = 0, high = 255;
    if (kind == EntryKind::Time) low = 1;
    if (kind == EntryKind::Percent) {
        value = std::min(value, 255L);
        low = 1;
        high = 100;
    }
    const long clamped = std::clamp(value, low, high);
    result.corrected = clamped != value;
    result.value = static_cast<uint8_t>(clamped);
    return result;
}

std::u16string entryText(uint8_t value, EntryKind kind) {
    std::u16string out;
    const int whole = kind == EntryKind::Time ? value / 10 : value;
    for (char c : std::to_string(whole)) out.push_back(static_cast<char16_t>(c));
    if (kind == EntryKind::Time) {
        out.push_back(u'.');
        out.push_back(static_cast<char16_t>(u'0' + value % 10));
    }
    return out;
}

}  // namespace trovel
