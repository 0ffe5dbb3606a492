#pragma once
// A Windows bitmap file checked from its headers: enough to tell that an image will decode,
// without decoding it.

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace trovel {

struct BitmapInfo {
    bool ok = false;
    int32_t width = 0;
    int32_t height = 0;  // always positive; bottom-up and top-down files alike
    int bitsPerPixel = 0;
};

constexpr int32_t kMaxBitmapSide = 16384;

// Checks the signature, the header sizes, the dimensions, the pixel format (1, 4, 8, 16, 24 or
// 32 bits; uncompressed, bit fields or run-length) and that the pixel rows fit in the data.
BitmapInfo checkBitmap(const uint8_t* data, size_t size);
BitmapInfo checkBitmapFile(const std::filesystem::path& path);

}  // namespace trovel
