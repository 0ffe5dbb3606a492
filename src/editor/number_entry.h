#pragma once
// The rules for numbers typed into the property panels and the motor dialog: which characters an
// edit accepts, how full-width forms are read, and how out-of-range values are corrected.

#include <cstdint>
#include <string>
#include <string_view>

namespace trovel {

// Only this much of an edit's text is read.
constexpr size_t kMaxEntryChars = 255;

struct NormalizedEntry {
    bool valid = false;   // false: a character outside the allowed set was found
    std::u16string text;  // the text with full-width digits, the ideographic space and 。/． made ASCII
};

// Allowed: 0-9, ０-９, ' ', '.', the ideographic space, '。' and '．'. An empty text is valid.
NormalizedEntry normalizeEntry(std::u16string_view text);

enum class EntryKind {
    Time,      // tenths of a second 1..255, shown "%.1f" seconds
    Percent,   // 1..100 when typed (the up-down may reach 0)
    Constant,  // 0..255: branch and calculation constants, repeat counts
};

enum class EntryStatus {
    Invalid,   // beep and show the block's value again; nothing changes
    Empty,     // nothing typed yet (empty or blanks only): valid, nothing is stored or rewritten
    Accepted,  // store `value`; when `corrected`, show `value` in place of the text
};

struct EntryResult {
    EntryStatus status = EntryStatus::Invalid;
    uint8_t value = 0;
    bool corrected = false;
};

// Reads one edit's text as the given kind of number.
EntryResult readEntry(std::u16string_view text, EntryKind kind);

// How a stored value is written into its edit: "%.1f" of tenths for Time, "%d" otherwise.
std::u16string entryText(uint8_t value, EntryKind kind);

}  // namespace trovel
