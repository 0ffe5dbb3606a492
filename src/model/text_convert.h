#pragma once
// Conversions where the UTF-16 core meets byte strings (paths, messages, the command line).

#include <filesystem>
#include <string>
#include <string_view>

namespace trovel {

std::string toUtf8(std::u16string_view text);
// Invalid UTF-8 sequences become U+FFFD.
std::u16string fromUtf8(std::string_view text);
// Shift-JIS (code page 932) bytes to UTF-16; undecodable bytes become U+FFFD.
std::u16string fromCp932(std::string_view bytes);
// UTF-16 to code page 932; characters it cannot hold become '?'.
std::string toCp932(std::u16string_view text);
// A path as UTF-16 text, never throwing: bytes that are not UTF-8 (a Shift-JIS name from a zip made
// on Windows) become U+DC80..U+DCFF, so pathFromText gives back the very same path.
std::u16string pathText(const std::filesystem::path& path);
// UTF-16 text as a path, never throwing: U+DC80..U+DCFF become the bytes pathText took them from,
// other unpaired surrogates U+FFFD.
std::filesystem::path pathFromText(std::u16string_view text);
// Decimal text of a number.
std::u16string fromNumber(long long value);

}  // namespace trovel
