#!/usr/bin/env bash
# Draws the picture fuzzer's seeds into tests/data/pictures (made once with
# ImageMagick and committed). Every one shows the same four quadrants, red and
# green above blue and white, which PictureDecodingTest checks; together they
# are the kinds of file the decoders must take.
set -euo pipefail
cd "$(dirname "$0")/../tests/data/pictures"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 16x16 xc:red xc:lime +append \( -size 16x16 xc:blue xc:white +append \) -append "$work/quadrants.png"
q="$work/quadrants.png"

convert "$q" -strip -interlace PNG PNG24:interlaced.png
convert "$q" -strip PNG8:palette.png
convert "$q" -strip -depth 16 PNG48:deep16.png
convert "$q" -strip -quality 95 -interlace none baseline.jpg
convert "$q" -strip -quality 95 -interlace JPEG progressive.jpg
# Three frames, each with a palette of its own: a square left as it is, one
# cleared to the background and one put back as it was.
convert -delay 20 -dispose none "$q" \
  -dispose background \( -size 8x8 xc:yellow -repage 32x32+4+4 \) \
  -dispose previous \( -size 8x8 xc:cyan -repage 32x32+20+20 \) \
  -loop 0 animated.gif
convert "$q" -type TrueColor BMP3:bmp24.bmp
convert "$q" -type Palette BMP3:bmp4-palette.bmp
convert "$q" -alpha set -define bmp:format=bmp4 BMP:bmp32.bmp
# From the 24-bit rows: the same stored from the top (a negative height), with
# a palette of 8 bits and in 16 bits (5 for each colour).
python3 - <<'PY'
import struct
data = open('bmp24.bmp', 'rb').read()
offset, = struct.unpack_from('<I', data, 10)
width, height = struct.unpack_from('<ii', data, 18)
stride = (width * 3 + 3) // 4 * 4
rows = [data[offset + i * stride:offset + i * stride + width * 3] for i in range(height)]

def bmp(bits, rows_bytes, palette=b'', top_down=False):
    row_size = (width * bits + 31) // 32 * 4
    body = b''.join(r.ljust(row_size, b'\0') for r in rows_bytes)
    start = 14 + 40 + len(palette)
    return (b'BM' + struct.pack('<IHHI', start + len(body), 0, 0, start) +
            struct.pack('<IiiHHIIiiII', 40, width, -height if top_down else height, 1, bits, 0, len(body),
                        2835, 2835, len(palette) // 4, 0) + palette + body)

open('bmp24-topdown.bmp', 'wb').write(bmp(24, list(reversed(rows)), top_down=True))
colours = sorted({r[i:i + 3] for r in rows for i in range(0, len(r), 3)})
index = {c: n for n, c in enumerate(colours)}
open('bmp8.bmp', 'wb').write(bmp(8, [bytes(index[r[i:i + 3]] for i in range(0, len(r), 3)) for r in rows],
                                 b''.join(c + b'\0' for c in colours)))
def rgb555(c):
    b, g, r = c
    return struct.pack('<H', (r >> 3) << 10 | (g >> 3) << 5 | b >> 3)
open('bmp16.bmp', 'wb').write(bmp(16, [b''.join(rgb555(r[i:i + 3]) for i in range(0, len(r), 3)) for r in rows]))
PY
ls -l
