#!/usr/bin/env python3
"""Writes the PNG files of picture_file_test with Python's zlib, an encoder of its own: every colour
type and bit depth, every row filter, stored, fixed and dynamic Huffman blocks, split IDAT chunks and
an ancillary chunk to skip. The samples follow the formulas the test computes the expected pixels
with (sample() below and in the test). Run it in this folder; the files are committed."""
import struct
import zlib

W, H = 13, 7


def sample(kind, x, y, depth):
    if kind == "grey":
        return (x * 7 + y * 3) % (1 << depth) if depth < 16 else (x * 7919 + y * 104729) & 0xFFFF
    if kind == "r":
        return (x * 37 + y * 11) & 255 if depth == 8 else (x * 4099 + y * 771) & 0xFFFF
    if kind == "g":
        return (x * 5 + y * 53) & 255 if depth == 8 else (x * 1031 + y * 9973) & 0xFFFF
    if kind == "b":
        return (x * x + y * 3) & 255 if depth == 8 else (x * x * 97 + y * 5) & 0xFFFF
    if kind == "a":
        return (x * 29 + y * 7) & 255 if depth == 8 else (x * 7001 + y * 313) & 0xFFFF
    if kind == "index":
        return (x + 3 * y) % min(1 << depth, 17)
    raise ValueError(kind)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def pack_row(values, depth):
    if depth == 8:
        return bytes(values)
    if depth == 16:
        return b"".join(struct.pack(">H", v) for v in values)
    out, acc, bits = bytearray(), 0, 0
    for v in values:
        acc = (acc << depth) | v
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else c)


def filtered(rows, bpp):
    out, prev = bytearray(), bytes(len(rows[0]))
    for y, row in enumerate(rows):
        f = y % 5
        out.append(f)
        for i, v in enumerate(row):
            left = row[i - bpp] if i >= bpp else 0
            up = prev[i]
            upleft = prev[i - bpp] if i >= bpp else 0
            pred = [0, left, up, (left + up) // 2, paeth(left, up, upleft)][f]
            out.append((v - pred) & 255)
        prev = row
    return bytes(out)


def write(name, colour_type, depth, channels, level=9, strategy=zlib.Z_DEFAULT_STRATEGY, width=W, height=H,
          extra_before_idat=b"", split=1, interlace=0):
    rows = []
    for y in range(height):
        values = []
        for x in range(width):
            values += [sample(k, x, y, depth) for k in channels]
        rows.append(pack_row(values, depth))
    bpp = max(1, len(channels) * depth // 8)
    c = zlib.compressobj(level, zlib.DEFLATED, 15, 9, strategy)
    data = c.compress(filtered(rows, bpp)) + c.flush()
    idat = b"".join(chunk(b"IDAT", data[i * len(data) // split:(i + 1) * len(data) // split])
                    for i in range(split))
    ihdr = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, interlace)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra_before_idat + idat + chunk(b"IEND", b"")
    open(name, "wb").write(png)


def palette_chunks(depth):
    n = min(1 << depth, 17)
    plte = bytes(v for i in range(n) for v in (i * 15 & 255, (255 - i * 13) & 255, i * i & 255))
    trns = bytes((255 - i * 14) & 255 for i in range(min(n, 10)))
    return chunk(b"PLTE", plte) + chunk(b"tRNS", trns)


for d in (1, 2, 4, 8, 16):
    write(f"grey{d}.png", 0, d, ["grey"])
write("grey8_key.png", 0, 8, ["grey"], extra_before_idat=chunk(b"tRNS", struct.pack(">H", sample("grey", 2, 1, 8))))
write("rgb8_fixed.png", 2, 8, ["r", "g", "b"], strategy=zlib.Z_FIXED)
write("rgb8_stored.png", 2, 8, ["r", "g", "b"], level=0)
write("rgb8_rle_split.png", 2, 8, ["r", "g", "b"], strategy=zlib.Z_RLE, split=3,
      extra_before_idat=chunk(b"tEXt", b"Comment\x00skipped"))
write("rgb8_key.png", 2, 8, ["r", "g", "b"],
      extra_before_idat=chunk(b"tRNS", struct.pack(">HHH", *(sample(k, 4, 2, 8) for k in "rgb"))))
write("rgb16.png", 2, 16, ["r", "g", "b"])
for d in (1, 2, 4, 8):
    write(f"palette{d}.png", 3, d, ["index"], extra_before_idat=palette_chunks(d))
write("grey_alpha8.png", 4, 8, ["grey", "a"])
write("grey_alpha16.png", 4, 16, ["grey", "a"])
write("rgba8_dynamic.png", 6, 8, ["r", "g", "b", "a"], width=64, height=48)
write("rgba16.png", 6, 16, ["r", "g", "b", "a"])
write("interlaced.png", 2, 8, ["r", "g", "b"], interlace=1)
