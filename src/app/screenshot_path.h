#pragma once
// A long file path made short enough for a message box line.

#include <cstddef>
#include <string>
#include <string_view>

namespace trovel {

constexpr size_t kShownPathChars = 90;

// The path itself when it has at most `limit` characters; otherwise its beginning, "...", and its
// end (the larger part, so the file name stays readable), `limit` characters in all. A surrogate
// pair is never cut in two.
std::u16string shortenPathMiddle(std::u16string_view path, size_t limit = kShownPathChars);

}  // namespace trovel
