#!/usr/bin/env python3
"""Draws the program's own pictures as palette PNG files: the 50x50 logo
(256 colours at most) and the progress animation, four 136x10 frames side by
side in one strip. Run it from this folder; the outputs are committed."""
import math
import struct
import zlib


def write_palette_png(path, width, height, pixels):
    palette = []
    index = {}
    rows = []
    for y in range(height):
        row = bytearray([0])
        for x in range(width):
            c = pixels[y][x]
            if c not in index:
                index[c] = len(palette)
                palette.append(c)
            row.append(index[c])
        rows.append(bytes(row))
    if len(palette) > 256:
        raise SystemExit(f"{path}: {len(palette)} colours")

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    plte = b"".join(bytes(c) for c in palette)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
    png += chunk(b"PLTE", plte)
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def quant(v, step=8):
    return max(0, min(255, int(round(v / step) * step)))


def mix(a, b, t):
    return tuple(quant(a[i] + (b[i] - a[i]) * t) for i in range(3))


def logo():
    size = 50
    white = (255, 255, 255)
    top, bottom = (40, 96, 200), (16, 48, 120)
    img = [[white] * size for _ in range(size)]
    radius = 9
    for y in range(size):
        for x in range(size):
            # Rounded square, shaded from top to bottom.
            cx = min(max(x, radius), size - 1 - radius)
            cy = min(max(y, radius), size - 1 - radius)
            if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                img[y][x] = mix(top, bottom, y / (size - 1))
    # Three rising bars.
    bars = [(9, 31), (18, 24), (27, 16)]
    for left, height_top in bars:
        for y in range(height_top, 40):
            for x in range(left, left + 6):
                img[y][x] = mix((250, 250, 250), (200, 220, 250), (y - height_top) / 24)
    # A magnifying glass over the tallest bar.
    gx, gy, r_out, r_in = 33, 17, 9, 6
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - gx, y - gy)
            if r_in <= d <= r_out:
                img[y][x] = (248, 168, 24)
            elif d < r_in:
                img[y][x] = mix(img[y][x], (255, 255, 255), 0.5)
    for t in range(0, 60):
        px = gx + 6 + t * 0.15
        py = gy + 6 + t * 0.15
        for dx in range(-2, 3):
            for dy in range(-2, 3):
                x, y = int(px + dx * 0.7), int(py + dy * 0.7)
                if 0 <= x < size and 0 <= y < size and math.hypot(x - gx, y - gy) > r_out - 1:
                    img[y][x] = (200, 120, 16)
    write_palette_png("logo.png", size, size, img)


def progress():
    fw, fh, frames = 136, 10, 4
    track, border = (232, 232, 232), (160, 160, 160)
    lit, lit_edge = (48, 176, 72), (24, 120, 48)
    img = [[track] * (fw * frames) for _ in range(fh)]
    for f in range(frames):
        x0 = f * fw
        for x in range(fw):
            img[0][x0 + x] = border
            img[fh - 1][x0 + x] = border
        for y in range(fh):
            img[y][x0] = border
            img[y][x0 + fw - 1] = border
        # Blocks of 6 with 2-pixel gaps; every fourth block is dark and the
        # pattern moves one block to the right per frame.
        for b in range(16):
            bx = x0 + 3 + b * 8
            colour = lit if (b + frames - f) % 4 else lit_edge
            for y in range(2, fh - 2):
                for x in range(bx, min(bx + 6, x0 + fw - 2)):
                    img[y][x] = colour
    write_palette_png("progress.png", fw * frames, fh, img)


if __name__ == "__main__":
    logo()
    progress()
