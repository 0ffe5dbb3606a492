#pragma once
// Scratch files for the app tests, written inside the build tree.

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "scratch_dir.h"

namespace trovel::test {
inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// UTF-16LE with the byte-order mark; every line ends in CR LF.
inline void writeUtf16Lines(const std::filesystem::path& path, const std::vector<std::u16string>& lines) {
    std::string bytes = "\xFF\xFE";
    for (const auto& line : lines) {
        for (char16_t c : line + u"\r\n") {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>(c >> 8);
        }
    }
    writeBytes(path, bytes);
}

// A 24-bit bottom-up bitmap of one colour.
inline std::string bitmap24(int width, int height) {
    const int stride = (width * 3 + 3) / 4 * 4;
    const uint32_t pixels = static_cast<uint32_t>(stride * height);
    const uint32_t fileSize = 54 + pixels;
    std::string b(fileSize, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, fileSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    b[26] = 1;
    b[28] = 24;
    put32(34, pixels);
    for (size_t i = 54; i < b.size(); ++i) b[i] = static_cast<char>(0x80);
    return b;
}

}  // namespace trovel::test
