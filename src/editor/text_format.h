#pragma once
// printf-style formatting of UTF-16 texts from the string table. Type-safe: a directive without a
// matching argument, or of the wrong kind, is left out instead of reading garbage, because the
// format strings come from replaceable language packs.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace trovel {

using FormatArg = std::variant<int, double, char16_t, std::u16string>;

// Understands %d, %s, %c, %f with an optional precision (%.1f), and %%. Anything else is copied.
std::u16string formatText(std::u16string_view format, const std::vector<FormatArg>& args);

}  // namespace trovel
