#pragma once
// Deflate data (stored, fixed and dynamic Huffman blocks) inside a zlib stream, as PNG files hold
// their pixels. Every read is checked against the input's end and the output never grows past the
// caller's limit, so a hostile stream can neither read out of bounds nor exhaust memory.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace trovel {

enum class InflateError {
    None,
    BadHeader,        // not a zlib header with the deflate method, or a preset dictionary asked for
    BadBlockType,     // block type 3
    BadStoredLength,  // a stored block whose length and its complement disagree
    BadCodeLengths,   // a dynamic block's code lengths describe no usable code
    BadCode,          // a code the block's Huffman tables do not hold, or a length or distance symbol past the last
    BadDistance,      // a distance reaching back before the first byte out
    Truncated,        // the input ends inside a block or before the checksum
    TooLarge,         // the output would pass the caller's limit
    BadChecksum,      // the Adler-32 of the output differs from the stream's
};

// Decodes a whole zlib stream into `out` (replacing it), at most maxOut bytes.
InflateError inflateZlib(const uint8_t* data, size_t size, std::vector<uint8_t>& out, size_t maxOut);

}  // namespace trovel
