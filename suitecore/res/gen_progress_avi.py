#!/usr/bin/env python3
"""Writes the small progress clip the library's system dialogs play: an AVI of uncompressed
8-bit frames (no codec needed), a green block sliding along a light track."""
import struct
import sys

WIDTH, HEIGHT, FRAMES = 134, 13, 12
BLOCK = 24
PALETTE = [(0xF0, 0xF0, 0xF0), (0x56, 0xB6, 0x56), (0xC8, 0xC8, 0xC8)] + [(0, 0, 0)] * 253


def chunk(fourcc, data):
    pad = b'\0' if len(data) % 2 else b''
    return fourcc + struct.pack('<I', len(data)) + data + pad


def riff_list(kind, fourcc, body):
    return kind + struct.pack('<I', len(body) + 4) + fourcc + body


def frame_bits(index):
    stride = (WIDTH + 3) & ~3
    rows = []
    left = index * (WIDTH - BLOCK) // (FRAMES - 1)
    for y in range(HEIGHT):  # bottom-up rows, as a DIB keeps them
        row = bytearray(stride)
        for x in range(WIDTH):
            edge = y in (0, HEIGHT - 1)
            row[x] = 2 if edge else (1 if left <= x < left + BLOCK else 0)
        rows.append(bytes(row))
    return b''.join(rows)


def build():
    size = ((WIDTH + 3) & ~3) * HEIGHT
    avih = struct.pack('<10I4I', 100000, size * 10, 0, 0x10, FRAMES, 0, 1, size, WIDTH, HEIGHT, 0, 0, 0, 0)
    strh = struct.pack('<4s4sIHHIIIIIIII4h', b'vids', b'DIB ', 0, 0, 0, 0, 1, 10, 0, FRAMES, size, 0xFFFFFFFF, 0,
                       0, 0, WIDTH, HEIGHT)
    bih = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 8, 0, size, 0, 0, 256, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    strl = riff_list(b'LIST', b'strl', chunk(b'strh', strh) + chunk(b'strf', bih + palette))
    hdrl = riff_list(b'LIST', b'hdrl', chunk(b'avih', avih) + strl)
    frames = [chunk(b'00db', frame_bits(i)) for i in range(FRAMES)]
    movi = riff_list(b'LIST', b'movi', b''.join(frames))
    index, offset = b'', 4
    for data in frames:
        index += struct.pack('<4sIII', b'00db', 0x10, offset, size)
        offset += len(data)
    body = hdrl + movi + chunk(b'idx1', index)
    return riff_list(b'RIFF', b'AVI ', body)


if __name__ == '__main__':
    with open(sys.argv[1], 'wb') as out:
        out.write(build())
