#include "base/inflate.h"

#include <algorithm>
#include <array>

namespace trovel {

namespace {

constexpr int kMaxBits = 15;
constexpr int kLiteralCodes = 288;
constexpr int kDistanceCodes = 30;

constexpr std::array<uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                                    33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block sends the lengths of the code-length code.
constexpr std::array<uint8_t, 19> kCodeLengthOrder = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    // The next n (0..16) bits, least significant first; false when the input ends first.
    bool bits(int n, uint32_t& value) {
        fill();
        if (m_count < n) return false;
        value = static_cast<uint32_t>(m_buffer & ((uint64_t(1) << n) - 1));
        drop(n);
        return true;
    }
    // Up to 56 bits of look-ahead; past the end of the input they read as zero.
    uint32_t peek(int n) {
        fill();
        return static_cast<uint32_t>(m_buffer & ((uint64_t(1) << n) - 1));
    }
    int available() const { return m_count; }
    void drop(int n) {
        m_buffer >>= n;
        m_count -= n;
    }
    // Skips to the next byte boundary and gives the whole bytes still buffered back to the input.
    void alignToByte() {
        drop(m_count % 8);
        m_pos -= static_cast<size_t>(m_count / 8);
        m_buffer = 0;
        m_count = 0;
    }
    size_t position() const { return m_pos; }
    void skipBytes(size_t n) { m_pos += n; }
    size_t bytesLeft() const { return m_size - m_pos; }
    const uint8_t* here() const { return m_data + m_pos; }

private:
    void fill() {
        while (m_count <= 48 && m_pos < m_size) {
            m_buffer |= uint64_t(m_data[m_pos++]) << m_count;
            m_count += 8;
        }
    }
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    uint64_t m_buffer = 0;
    int m_count = 0;
};

// A canonical Huffman code as one lookup table indexed by the next maxLength bits (bit-reversed
// codes, as deflate sends them); an entry holds symbol << 4 | length, 0 where no code fits.
struct Huffman {
    std::vector<uint16_t> table;
    int maxLength = 0;
};

// False for an over-subscribed set of lengths. An incomplete set is kept: its unused entries
// read as bad codes, which is what a stream using them is.
bool buildHuffman(Huffman& h, const uint8_t* lengths, int count) {
    std::array<int, kMaxBits + 1> perLength{};
    for (int i = 0; i < count; ++i) ++perLength[lengths[i]];
    perLength[0] = 0;
    int left = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
        left = left * 2 - perLength[len];
        if (left < 0) return false;
    }
    h.maxLength = 0;
    for (int len = kMaxBits; len > 0; --len)
        if (perLength[len]) {
            h.maxLength = len;
            break;
        }
    h.table.assign(size_t(1) << h.maxLength, 0);
    if (h.maxLength == 0) return true;  // no codes at all: every lookup fails
    std::array<uint32_t, kMaxBits + 2> next{};
    uint32_t code = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
        code = (code + uint32_t(perLength[len - 1])) << 1;
        next[len] = code;
    }
    for (int symbol = 0; symbol < count; ++symbol) {
        const int len = lengths[symbol];
        if (len == 0) continue;
        uint32_t c = next[len]++;
        uint32_t reversed = 0;
        for (int i = 0; i < len; ++i, c >>= 1) reversed = (reversed << 1) | (c & 1);
        const uint16_t entry = static_cast<uint16_t>(symbol << 4 | len);
        for (size_t at = reversed; at < h.table.size(); at += size_t(1) << len) h.table[at] = entry;
    }
    return true;
}

InflateError decodeSymbol(BitReader& in, const Huffman& h, int& symbol) {
    if (h.maxLength == 0) return InflateError::BadCode;
    const uint16_t entry = h.table[in.peek(h.maxLength)];
    const int len = entry & 15;
    if (len == 0) return in.available() >= h.maxLength ? InflateError::BadCode : InflateError::Truncated;
    if (len > in.available()) return InflateError::Truncated;
    in.drop(len);
    symbol = entry >> 4;
    return InflateError::None;
}

class Inflater {
public:
    Inflater(BitReader& in, std::vector<uint8_t>& out, size_t maxOut) : m_in(in), m_out(out), m_maxOut(maxOut) {}

    InflateError run() {
        uint32_t last = 0;
        do {
            uint32_t type = 0;
            if (!m_in.bits(1, last) || !m_in.bits(2, type)) return InflateError::Truncated;
            InflateError e = InflateError::None;
            switch (type) {
            case 0: e = stored(); break;
            case 1: e = fixed(); break;
            case 2: e = dynamic(); break;
            default: return InflateError::BadBlockType;
            }
            if (e != InflateError::None) return e;
        } while (!last);
        return InflateError::None;
    }

private:
    InflateError stored() {
        m_in.alignToByte();
        if (m_in.bytesLeft() < 4) return InflateError::Truncated;
        const uint8_t* p = m_in.here();
        const size_t length = size_t(p[0] | p[1] << 8);
        const size_t complement = size_t(p[2] | p[3] << 8);
        if ((length ^ 0xFFFF) != complement) return InflateError::BadStoredLength;
        m_in.skipBytes(4);
        if (m_in.bytesLeft() < length) return InflateError::Truncated;
        if (m_out.size() + length > m_maxOut) return InflateError::TooLarge;
        m_out.insert(m_out.end(), m_in.here(), m_in.here() + length);
        m_in.skipBytes(length);
        return InflateError::None;
    }

    InflateError fixed() {
        if (m_fixedLiterals.maxLength == 0) {
            std::array<uint8_t, kLiteralCodes> lit{};
            for (int i = 0; i < kLiteralCodes; ++i) lit[size_t(i)] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
            std::array<uint8_t, kDistanceCodes> dist{};
            dist.fill(5);
            buildHuffman(m_fixedLiterals, lit.data(), kLiteralCodes);
            buildHuffman(m_fixedDistances, dist.data(), kDistanceCodes);
        }
        return codes(m_fixedLiterals, m_fixedDistances);
    }

    InflateError dynamic() {
        uint32_t hlit = 0, hdist = 0, hclen = 0;
        if (!m_in.bits(5, hlit) || !m_in.bits(5, hdist) || !m_in.bits(4, hclen)) return InflateError::Truncated;
        const int literalCount = int(hlit) + 257;
        const int distanceCount = int(hdist) + 1;
        if (literalCount > 286 || distanceCount > kDistanceCodes) return InflateError::BadCodeLengths;
        std::array<uint8_t, 19> codeLengths{};
        for (uint32_t i = 0; i < hclen + 4; ++i) {
            uint32_t len = 0;
            if (!m_in.bits(3, len)) return InflateError::Truncated;
            codeLengths[kCodeLengthOrder[i]] = uint8_t(len);
        }
        Huffman lengthCode;
        if (!buildHuffman(lengthCode, codeLengths.data(), 19)) return InflateError::BadCodeLengths;
        std::array<uint8_t, 286 + kDistanceCodes> lengths{};
        int n = 0;
        while (n < literalCount + distanceCount) {
            int symbol = 0;
            if (InflateError e = decodeSymbol(m_in, lengthCode, symbol); e != InflateError::None)
                return e == InflateError::BadCode ? InflateError::BadCodeLengths : e;
            if (symbol < 16) {
                lengths[size_t(n++)] = uint8_t(symbol);
                continue;
            }
            uint8_t repeated = 0;
            uint32_t times = 0;
            bool ok = true;
            if (symbol == 16) {
                if (n == 0) return InflateError::BadCodeLengths;
                repeated = lengths[size_t(n - 1)];
                ok = m_in.bits(2, times);
                times += 3;
            } else if (symbol == 17) {
                ok = m_in.bits(3, times);
                times += 3;
            } else {
                ok = m_in.bits(7, times);
                times += 11;
            }
            if (!ok) return InflateError::Truncated;
            if (n + int(times) > literalCount + distanceCount) return InflateError::BadCodeLengths;
            for (uint32_t i = 0; i < times; ++i) lengths[size_t(n++)] = repeated;
        }
        if (lengths[256] == 0) return InflateError::BadCodeLengths;  // no end-of-block code
        Huffman literals, distances;
        if (!buildHuffman(literals, lengths.data(), literalCount) ||
            !buildHuffman(distances, lengths.data() + literalCount, distanceCount))
            return InflateError::BadCodeLengths;
        return codes(literals, distances);
    }

    InflateError codes(const Huffman& literals, const Huffman& distances) {
        for (;;) {
            int symbol = 0;
            if (InflateError e = decodeSymbol(m_in, literals, symbol); e != InflateError::None) return e;
            if (symbol < 256) {
                if (m_out.size() >= m_maxOut) return InflateError::TooLarge;
                m_out.push_back(uint8_t(symbol));
                continue;
            }
            if (symbol == 256) return InflateError::None;
            symbol -= 257;
            if (symbol >= int(kLengthBase.size())) return InflateError::BadCode;
            uint32_t extra = 0;
            if (!m_in.bits(kLengthExtra[size_t(symbol)], extra)) return InflateError::Truncated;
            const size_t length = kLengthBase[size_t(symbol)] + extra;
            int d = 0;
            if (InflateError e = decodeSymbol(m_in, distances, d); e != InflateError::None) return e;
            if (d >= kDistanceCodes) return InflateError::BadCode;
            if (!m_in.bits(kDistanceExtra[size_t(d)], extra)) return InflateError::Truncated;
            const size_t distance = kDistanceBase[size_t(d)] + extra;
            if (distance > m_out.size()) return InflateError::BadDistance;
            if (m_out.size() + length > m_maxOut) return InflateError::TooLarge;
            // Byte by byte: a copy may overlap what it writes (distance below length repeats a run).
            size_t from = m_out.size() - distance;
            for (size_t i = 0; i < length; ++i) m_out.push_back(m_out[from + i]);
        }
    }

    BitReader& m_in;
    std::vector<uint8_t>& m_out;
    size_t m_maxOut;
    Huffman m_fixedLiterals;
    Huffman m_fixedDistances;
};

uint32_t adler32(const std::vector<uint8_t>& bytes) {
    uint32_t a = 1, b = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        // 5552 bytes keep both sums below 2^32 before the reduction.
        const size_t end = std::min(bytes.size(), i + 5552);
        for (; i < end; ++i) {
            a += bytes[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    return b << 16 | a;
}

}  // namespace

InflateError inflateZlib(const uint8_t* data, size_t size, std::vector<uint8_t>& out, size_t maxOut) {
    out.clear();
    if (!data || size < 2) return InflateError::Truncated;
    const uint8_t cmf = data[0], flg = data[1];
    // Method 8 (deflate), a window of at most 32 KiB, the header check, and no preset dictionary.
    if ((cmf & 15) != 8 || (cmf >> 4) > 7 || (uint32_t(cmf) << 8 | flg) % 31 != 0 || (flg & 0x20))
        return InflateError::BadHeader;
    BitReader in(data + 2, size - 2);
    Inflater inflater(in, out, maxOut);
    if (InflateError e = inflater.run(); e != InflateError::None) return e;
    in.alignToByte();
    if (in.bytesLeft() < 4) return InflateError::Truncated;
    const uint8_t* p = in.here();
    const uint32_t stored = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    return stored == adler32(out) ? InflateError::None : InflateError::BadChecksum;
}

}  // namespace trovel
