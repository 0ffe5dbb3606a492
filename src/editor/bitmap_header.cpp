#include "editor/bitmap_header.h"

#include "base/bitmap_file.h"

#include <fstream>
#include <system_error>
#include <vector>

namespace trovel {

namespace {

constexpr uintmax_t kMaxBitmapFileBytes = 64u * 1024 * 1024;
static_assert(kMaxBitmapSide == kBitmapMaxSide);

}  // namespace

BitmapInfo checkBitmap(const uint8_t* data, size_t size) {
    BitmapInfo info;
    BitmapHeader header;
    if (readBitmapHeader(data, size, header) != BitmapError::None) return info;
    info.ok = true;
    info.width = header.width;
    info.height = header.height;
    info.bitsPerPixel = header.bitCount;
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
