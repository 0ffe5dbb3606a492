#include "editor/bitmap_header.h"

#include <fstream>
#include <system_error>
#include <vector>

namespace trovel {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uintmax_t kMaxBitmapFileBytes = 64u * 1024 * 1024;

uint16_t u16At(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t u32At(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

bool validDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

}  // namespace

BitmapInfo checkBitmap(const uint8_t* data, size_t size) {
    BitmapInfo info;
    if (!data || size < kFileHeaderBytes + kCoreHeaderBytes) return info;
    if (data[0] != 'B' || data[1] != 'M') return info;
    const uint32_t pixelOffset = u32At(data + 10);
    const uint32_t dibSize = u32At(data + 14);
    if (dibSize != kCoreHeaderBytes && dibSize < kInfoHeaderBytes) return info;
    if (kFileHeaderBytes + static_cast<uint64_t>(dibSize) > size) return info;
    int64_t width = 0, height = 0;
    int planes = 0, bpp = 0;
    uint32_t compression = 0;
    if (dibSize == kCoreHeaderBytes) {
        width = u16At(data + 18);
        height = u16At(data + 20);
        planes = u16At(data + 22);
        bpp = u16At(data + 24);
    } else {
        width = static_cast<int32_t>(u32At(data + 18));
        height = static_cast<int32_t>(u32At(data + 22));
        planes = u16At(data + 26);
        bpp = u16At(data + 28);
        compression = u32At(data + 30);
    }
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide) return info;
    if (planes != 1 || !validDepth(bpp)) return info;
    if (pixelOffset < kFileHeaderBytes + dibSize || pixelOffset >= size) return info;
    const bool runLength = (compression == 1 && bpp == 8) || (compression == 2 && bpp == 4);
    const bool bitFields = compression == 3 && (bpp == 16 || bpp == 32);
    if (compression != 0 && !runLength && !bitFields) return info;
    if (!runLength) {
        const uint64_t stride = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
        if (pixelOffset + stride * static_cast<uint64_t>(height) > size) return info;
    }
    info.ok = true;
    info.width = static_cast<int32_t>(width);
    info.height = static_cast<int32_t>(height);
    info.bitsPerPixel = bpp;
    return info;
}

BitmapInfo checkBitmapFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return {};
    uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxBitmapFileBytes) return {};
    std::vector<uint8_t> data(static_cast<size_t>(size));
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(size))) return {};
    return checkBitmap(data.data(), data.size());
}

}  // namespace trovel
