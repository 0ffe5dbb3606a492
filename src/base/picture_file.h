#pragma once
// One reader for every picture a course or a tool takes: Windows bitmaps and PNG files told apart
// by their first bytes, both refused beyond one size limit, and a box filter that fits a picture
// to another size.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/bitmap_file.h"
#include "base/png_file.h"

namespace trovel {

enum class PictureFormat { Unknown, Bitmap, Png };

enum class PictureError {
    None,
    NotPicture,   // neither a bitmap nor a PNG file
    Unsupported,  // a valid file in a format the reader leaves out (1, 4, 16-bit or run-length bitmaps)
    Interlaced,   // an interlaced PNG
    TooLarge,     // more than kPictureMaxPixels pixels
    Damaged,      // headers, sizes, checksums or pixel data that do not hold together
    Truncated,    // the file ends before its pixels do
};

// The most pixels a picture may have (a 4096 x 4096 scan of a mat); the same for every format.
constexpr int64_t kPictureMaxPixels = kPngMaxPixels;

PictureFormat pictureFormat(const uint8_t* data, size_t size);

struct PictureSize {
    int width = 0;
    int height = 0;
};
// The size the headers give, or zeros when they cannot be read.
PictureSize pictureSize(const uint8_t* data, size_t size);

// Decodes a bitmap (8, 24 or 32 bits, any header version, either row order) or a PNG file to
// bottom-up rows of blue, green, red.
PictureError decodePicture(const uint8_t* data, size_t size, BitmapPixels& pixels);

// The picture fitted to width x height: each new pixel averages the old pixels its area covers
// (at least the one under its centre when enlarging). Integer arithmetic: the same bytes everywhere.
BitmapPixels scalePixels(const BitmapPixels& from, int width, int height);

}  // namespace trovel
