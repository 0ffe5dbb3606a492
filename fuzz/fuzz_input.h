#pragma once
// What every fuzz target shares: the input as a scratch file for the readers that take a path,
// and as UTF-16 text for those that take lines.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace trovel::fuzz {

// Writes the bytes to `name` in the current folder (each target runs in a folder of its own under
// the build folder) and returns its path; an empty path when the file cannot be written. The file
// is rewritten in place rather than truncated: ext4 flushes a truncated file on close, which would
// cost milliseconds per input.
inline std::filesystem::path writeScratch(const char* name, const uint8_t* data, size_t size) {
    std::filesystem::path path = std::filesystem::current_path() / (std::string(name) + "." + std::to_string(getpid()));
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return {};
    bool ok = size == 0 || ::pwrite(fd, data, size, 0) == static_cast<ssize_t>(size);
    ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    return ok ? path : std::filesystem::path();
}

// The text as a UTF-16LE file with byte-order mark and CR LF line ends, as the studio writes it.
inline std::filesystem::path writeUtf16Scratch(const char* name, std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        if (c == u'\n') bytes.append("\r\0", 2);
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return writeScratch(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// The bytes as UTF-16LE code units (an odd last byte is dropped).
inline std::u16string utf16Of(const uint8_t* data, size_t size) {
    std::u16string text(size / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    return text;
}

// The shipped application folder the build copies beside the executables.
inline std::filesystem::path appFolder() { return TROVEL_APP_DIR; }

// A broken property: stop so the fuzzer keeps the input.
inline void require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace trovel::fuzz
