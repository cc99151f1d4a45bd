#!/usr/bin/python3
"""Cross-checks the picture code against PIL and ImageMagick.

1. .bmp files of every common variant, written by PIL, ImageMagick or by hand, load through our
   loader with the pixels PIL reads.
2. .bmp files that pictconv writes are read by PIL and ImageMagick with our pixels.
3. Encoding then decoding gives back the quantised colours.

Usage: bmp_interop.py BMP_PIXELS PICTCONV
"""
import os
import random
import struct
import subprocess
import sys
import tempfile

from PIL import Image

CONVERT = "/usr/bin/convert"
bmp_pixels, pictconv = sys.argv[1], sys.argv[2]
passed = failed = 0


def check(what, ok, detail=""):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
        print(f"FAIL {what} {detail}")


def ours(path):
    out = subprocess.run([bmp_pixels, path], capture_output=True)
    if out.returncode != 0:
        return None
    head, _, pixels = out.stdout.partition(b"\n")
    width, height, bits = map(int, head.split())
    return width, height, bits, pixels


def pil_rgb(path):
    with Image.open(path) as im:
        im.load()
        return im.size, im.convert("RGB").tobytes()


def magick_rgb(path):
    out = subprocess.run([CONVERT, path, "-depth", "8", "rgb:-"], capture_output=True, check=True)
    return out.stdout


def test_image(width=23, height=17):
    """A picture with gradients, hard edges and every corner colour."""
    im = Image.new("RGB", (width, height))
    rng = random.Random(7)
    for y in range(height):
        for x in range(width):
            if (x + y) % 5 == 0:
                im.putpixel((x, y), (rng.randrange(256), rng.randrange(256), rng.randrange(256)))
            else:
                im.putpixel((x, y), (x * 255 // (width - 1), y * 255 // (height - 1), (x * y) % 256))
    im.putpixel((0, 0), (255, 0, 0))
    im.putpixel((width - 1, height - 1), (0, 0, 255))
    return im


def hand_bmp(path, width, height, bit_count, rows, palette=b"", compression=0, header_size=40,
             masks=b"", top_down=False):
    """Writes a .bmp from stored rows, for the variants no tool here writes."""
    data = b"".join(rows)
    h = -height if top_down else height
    info = struct.pack("<IiiHHIIiiII", header_size, width, h, 1, bit_count, compression, len(data),
                       2835, 2835, len(palette) // 4, 0)
    if header_size > 40:
        info += masks.ljust(header_size - 40, b"\0")
    else:
        info += masks
    offset = 14 + len(info) + len(palette)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + palette + data)


def rle_rows(indexes, width, four):
    """RLE8 or RLE4 codes for rows of palette indexes (bottom row first), with runs and literals."""
    out = bytearray()
    for row in indexes:
        x = 0
        while x < width:
            run = 1
            while x + run < width and row[x + run] == row[x] and run < 255:
                run += 1
            if run >= 3 or width - x < 3:
                if four:
                    out += bytes([run, row[x] << 4 | row[x]])
                else:
                    out += bytes([run, row[x]])
                x += run
            else:
                # An even count: PIL reads odd RLE4 literals one nibble short.
                n = min(width - x, 6) & ~1 if four else min(width - x, 5)
                lit = row[x:x + n]
                if four:
                    packed = bytes((lit[i] << 4) | (lit[i + 1] if i + 1 < n else 0) for i in range(0, n, 2))
                else:
                    packed = bytes(lit)
                out += bytes([0, n]) + packed + (b"\0" if len(packed) % 2 else b"")
                x += n
        out += b"\0\0"
    out += b"\0\1"
    return bytes(out)


def loader_cases(folder):
    src = test_image()
    src_png = os.path.join(folder, "src.png")
    src.save(src_png)
    cases = []

    def pil(name, image, **kw):
        path = os.path.join(folder, name)
        image.save(path, "BMP", **kw)
        cases.append(path)

    pil("pil-1bit.bmp", src.convert("1"))
    pil("pil-8bit-grey.bmp", src.convert("L"))
    pil("pil-8bit-palette.bmp", src.convert("P", palette=Image.ADAPTIVE, colors=200))
    pil("pil-24bit.bmp", src)
    pil("pil-32bit.bmp", src.convert("RGBA"))

    for name, args, out in [
        ("im-4bit.bmp", ["-colors", "16", "-type", "Palette"], "BMP3:"),
        ("im-8bit-rle.bmp", ["-colors", "100", "-type", "Palette", "-compress", "RLE"], "BMP3:"),
        ("im-16bit-565.bmp", ["-define", "bmp:subtype=RGB565"], "BMP:"),
        ("im-16bit-555.bmp", ["-define", "bmp:subtype=RGB555"], "BMP:"),
        ("im-24bit-v5.bmp", ["-type", "TrueColor"], "BMP:"),
        ("im-32bit-v5-alpha.bmp", ["-alpha", "on", "-type", "TrueColorAlpha"], "BMP:"),
        ("im-24bit-core.bmp", ["-type", "TrueColor"], "BMP2:"),
        ("im-8bit-core.bmp", ["-colors", "60", "-type", "Palette"], "BMP2:"),
    ]:
        path = os.path.join(folder, name)
        subprocess.run([CONVERT, src_png, *args, out + path], check=True, capture_output=True)
        cases.append(path)

    # Variants written by hand: top-down rows, RLE4, 16-bit 5-6-5 in a 40-byte header with masks.
    w, h = src.size
    rgb = src.load()
    stride = (w * 3 + 3) // 4 * 4
    rows = [b"".join(bytes(rgb[x, y][::-1]) for x in range(w)).ljust(stride, b"\0") for y in range(h)]
    path = os.path.join(folder, "hand-24bit-topdown.bmp")
    hand_bmp(path, w, h, 24, rows, top_down=True)
    cases.append(path)

    grey = src.convert("L").load()
    indexes = [[grey[x, y] // 16 for x in range(w)] for y in reversed(range(h))]
    palette = b"".join(bytes([g, g, g, 0]) for g in range(0, 256, 17))
    path = os.path.join(folder, "hand-4bit-rle.bmp")
    hand_bmp(path, w, h, 4, [rle_rows(indexes, w, True)], palette=palette, compression=2)
    cases.append(path)

    stride16 = (w * 2 + 3) // 4 * 4
    rows16 = []
    for y in reversed(range(h)):
        row = b"".join(struct.pack("<H", (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)) for r, g, b in
                       (rgb[x, y] for x in range(w)))
        rows16.append(row.ljust(stride16, b"\0"))
    path = os.path.join(folder, "hand-16bit-565-info.bmp")
    hand_bmp(path, w, h, 16, rows16, compression=3, masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F))
    cases.append(path)
    return cases


def check_loader(folder):
    for path in loader_cases(folder):
        name = os.path.basename(path)
        got = ours(path)
        check(f"{name} loads", got is not None)
        if got is None:
            continue
        width, height, _, pixels = got
        size, want = pil_rgb(path)
        check(f"{name} size", (width, height) == size, f"{(width, height)} != {size}")
        if pixels != want:
            diffs = [i for i in range(0, min(len(pixels), len(want)), 3) if pixels[i:i + 3] != want[i:i + 3]]
            first = diffs[0] if diffs else 0
            check(f"{name} pixels", False,
                  f"{len(diffs)} differ; first at {first // 3}: ours {tuple(pixels[first:first + 3])} "
                  f"PIL {tuple(want[first:first + 3])}")
        else:
            check(f"{name} pixels", True)


def system_palette(i):
    """The handheld's 8-bit system palette, from its definition."""
    if i < 215:
        hh, r, b, g = i // 108, (i % 108) // 18, (i % 18) // 6, i % 6
        return (255 - 51 * r, 255 - 51 * g, 255 - 51 * (3 * hh + b))
    greys = [0x11, 0x22, 0x44, 0x55, 0x77, 0x88, 0xAA, 0xBB, 0xDD, 0xEE]
    if i < 225:
        return (greys[i - 215],) * 3
    named = {225: (192, 192, 192), 226: (128, 0, 0), 227: (128, 0, 128), 228: (0, 128, 0), 229: (0, 128, 128)}
    return named.get(i, (0, 0, 0))


def record_v1(width, height, depth, rows):
    return struct.pack(">BBhhBBH", 10, 1, width, height, depth, 2, 72) + b"".join(rows)


def check_writer(folder):
    # Every palette entry, in a 16 x 16 8-bit picture; and a 16-bit picture of many words.
    rows8 = [bytes(range(y * 16, y * 16 + 16)) for y in range(16)]
    want8 = b"".join(bytes(system_palette(i)) for i in range(256))
    words = [(x * 2654435761 + y * 40503) & 0xFFFF for y in range(9) for x in range(13)]
    rows16 = [b"".join(struct.pack(">H", words[y * 13 + x]) for x in range(13)).ljust(28, b"\0") for y in range(9)]
    want16 = b"".join(bytes([(w >> 11) * 8, ((w >> 5) & 63) * 4, (w & 31) * 8]) for w in words)
    for name, record, want, size in [("palette8", record_v1(16, 16, 8, rows8), want8, (16, 16)),
                                     ("words16", record_v1(13, 9, 16, rows16), want16, (13, 9))]:
        rec = os.path.join(folder, name + ".rec")
        out = os.path.join(folder, name + ".bmp")
        with open(rec, "wb") as f:
            f.write(record)
        subprocess.run([pictconv, "decode", rec, "-o", out], check=True)
        got_size, got = pil_rgb(out)
        check(f"{name} PIL size", got_size == size)
        check(f"{name} PIL pixels", got == want)
        check(f"{name} ImageMagick pixels", magick_rgb(out) == want)


def cube(c):
    return 255 - 51 * (5 - c // 43)


def check_round_trip(folder):
    src = test_image(31, 12)
    path = os.path.join(folder, "round.bmp")
    src.save(path, "BMP")
    pixels = list(src.getdata())
    for depth in (8, 16):
        for compress in ("--compress", "--no-compress"):
            rec = os.path.join(folder, f"round-{depth}{compress}.rec")
            out = os.path.join(folder, f"round-{depth}{compress}.bmp")
            subprocess.run([pictconv, "encode", path, "-o", rec, "--depth", str(depth), "--density", "72",
                            compress], check=True)
            subprocess.run([pictconv, "decode", rec, "-o", out], check=True)
            if depth == 8:
                want = [(0, 0, 0) if max(p) < 43 else (cube(p[0]), cube(p[1]), cube(p[2])) for p in pixels]
            else:
                want = [(r >> 3 << 3, g >> 2 << 2, b >> 3 << 3) for r, g, b in pixels]
            size, got = pil_rgb(out)
            check(f"round trip depth {depth} {compress} size", size == src.size)
            check(f"round trip depth {depth} {compress} pixels", got == b"".join(bytes(p) for p in want))


with tempfile.TemporaryDirectory() as folder:
    check_loader(folder)
    check_writer(folder)
    check_round_trip(folder)

print(f"{passed} passed, {failed} failed")
sys.exit(0 if failed == 0 else 1)
