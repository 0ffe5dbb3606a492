#include "base/picture_file.h"

#include <algorithm>
#include <cstring>

namespace trovel {

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

PictureError fromBitmap(BitmapError e) {
    switch (e) {
    case BitmapError::None: return PictureError::None;
    case BitmapError::TooShort:
    case BitmapError::NoSignature: return PictureError::NotPicture;
    case BitmapError::TruncatedPixels: return PictureError::Truncated;
    case BitmapError::Unsupported: return PictureError::Unsupported;
    default: return PictureError::Damaged;
    }
}

PictureError fromPng(PngError e) {
    switch (e) {
    case PngError::None: return PictureError::None;
    case PngError::NoSignature: return PictureError::NotPicture;
    case PngError::Interlaced: return PictureError::Interlaced;
    case PngError::TooLarge: return PictureError::TooLarge;
    case PngError::Truncated: return PictureError::Truncated;
    default: return PictureError::Damaged;
    }
}

// The old pixels [first, last) under each of `to` new pixels spread over `from` old ones: those
// whose start falls inside the new pixel, at least one (the one under its start when enlarging).
struct Span {
    size_t first, last;
};
std::vector<Span> spans(int from, int to) {
    std::vector<Span> s(static_cast<size_t>(to));
    for (int i = 0; i < to; ++i) {
        const size_t first = size_t(int64_t(i) * from / to);  // below `from` for every i < to
        const size_t last = size_t(int64_t(i + 1) * from / to);
        s[size_t(i)] = {first, std::max(last, first + 1)};
    }
    return s;
}

}  // namespace

PictureFormat pictureFormat(const uint8_t* data, size_t size) {
    if (data && size >= 2 && data[0] == 'B' && data[1] == 'M') return PictureFormat::Bitmap;
    if (data && size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0)
        return PictureFormat::Png;
    return PictureFormat::Unknown;
}

PictureSize pictureSize(const uint8_t* data, size_t size) {
    PictureSize s;
    switch (pictureFormat(data, size)) {
    case PictureFormat::Bitmap: {
        BitmapHeader h;
        readBitmapHeader(data, size, h);
        s = {h.width, h.height};
        break;
    }
    case PictureFormat::Png:
        if (!readPngSize(data, size, s.width, s.height)) s = {};
        break;
    case PictureFormat::Unknown: break;
    }
    return s;
}

PictureError decodePicture(const uint8_t* data, size_t size, BitmapPixels& pixels) {
    pixels = {};
    switch (pictureFormat(data, size)) {
    case PictureFormat::Bitmap: {
        BitmapHeader h;
        const BitmapError e = readBitmapHeader(data, size, h);
        // The size is told before any later fault: a huge picture is refused as such, whole or not.
        if (h.width > 0 && h.height > 0 && int64_t(h.width) * int64_t(h.height) > kPictureMaxPixels)
            return PictureError::TooLarge;
        if (e != BitmapError::None) return fromBitmap(e);
        return fromBitmap(decodeBitmap(data, size, pixels));
    }
    case PictureFormat::Png: return fromPng(decodePng(data, size, pixels));
    case PictureFormat::Unknown: break;
    }
    return PictureError::NotPicture;
}

BitmapPixels scalePixels(const BitmapPixels& from, int width, int height) {
    BitmapPixels to;
    if (from.width <= 0 || from.height <= 0 || width <= 0 || height <= 0 ||
        from.bgr.size() != size_t(from.width) * size_t(from.height) * 3)
        return to;
    if (from.width == width && from.height == height) return from;
    to.width = width;
    to.height = height;
    to.bgr.resize(size_t(width) * size_t(height) * 3);
    const std::vector<Span> xs = spans(from.width, width);
    const std::vector<Span> ys = spans(from.height, height);
    const size_t fromRow = size_t(from.width) * 3;
    uint8_t* out = to.bgr.data();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, out += 3) {
            uint64_t sum[3] = {0, 0, 0};
            const Span& sx = xs[size_t(x)];
            const Span& sy = ys[size_t(y)];
            for (size_t row = sy.first; row < sy.last; ++row) {
                const uint8_t* p = from.bgr.data() + row * fromRow + sx.first * 3;
                for (size_t col = sx.first; col < sx.last; ++col, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            const uint64_t n = (sy.last - sy.first) * (sx.last - sx.first);
            for (int c = 0; c < 3; ++c) out[c] = uint8_t((sum[c] + n / 2) / n);
        }
    }
    return to;
}

}  // namespace trovel
