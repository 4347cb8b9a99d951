#!/usr/bin/env python3
"""Turn Gorvandel's pixel-art icon (gorvandel-icon.txt) into a Windows .ico.

The source holds a palette and one hand-drawn grid per size (16, 32, 48).
Each grid becomes a 32-bit image with an alpha channel in the .ico; the
largest grid that enlarges to 256x256 by whole pixels (32: each pixel
eight times) also becomes the 256x256 image, stored as PNG as Windows
expects its large icons. With --preview DIR each image is also
written as an enlarged PNG, to look at.

Usage: make_icon.py SOURCE OUTPUT.ico [--preview DIR]
"""

import struct
import sys
import zlib
from pathlib import Path

LARGE = 256


class IconSourceError(Exception):
    pass


def parse_colour(text, line_number):
    if text == "transparent":
        return (0, 0, 0, 0)
    if len(text) != 7 or text[0] != "#":
        raise IconSourceError(f"line {line_number}: colour {text!r} is not #RRGGBB or transparent")
    try:
        red, green, blue = (int(text[i:i + 2], 16) for i in (1, 3, 5))
    except ValueError:
        raise IconSourceError(f"line {line_number}: colour {text!r} is not #RRGGBB") from None
    return (red, green, blue, 255)


def read_source(path):
    """The palette and the grids, {size: [row, ...]} with rows of RGBA tuples."""
    palette = {}
    grids = {}
    lines = Path(path).read_text(encoding="ascii").splitlines()
    number = 0
    while number < len(lines):
        line = lines[number]
        number += 1
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        if words[0] == "colour" and len(words) == 3 and len(words[1]) == 1:
            palette[words[1]] = parse_colour(words[2], number)
        elif words[0] == "image" and len(words) == 2 and words[1].isdigit():
            size = int(words[1])
            if size in grids:
                raise IconSourceError(f"line {number}: a second {size}x{size} image")
            rows = lines[number:number + size]
            if len(rows) != size:
                raise IconSourceError(f"line {number}: the {size}x{size} image has only {len(rows)} rows")
            grid = []
            for offset, row in enumerate(rows):
                if len(row) != size:
                    raise IconSourceError(f"line {number + offset + 1}: {len(row)} pixels, not {size}")
                unknown = sorted(set(row) - palette.keys())
                if unknown:
                    raise IconSourceError(f"line {number + offset + 1}: no colour for {''.join(unknown)!r}")
                grid.append([palette[pixel] for pixel in row])
            grids[size] = grid
            number += size
        else:
            raise IconSourceError(f"line {number}: expected 'colour X #RRGGBB' or 'image N', got {line!r}")
    if not grids:
        raise IconSourceError("no image")
    return grids


def enlarge(grid, size):
    factor, remainder = divmod(size, len(grid))
    if remainder:
        raise IconSourceError(f"{len(grid)}x{len(grid)} does not enlarge to {size}x{size} by whole pixels")
    return [[pixel for pixel in row for _ in range(factor)] for row in grid for _ in range(factor)]


def png(grid):
    """A PNG file (8-bit RGBA, no filter) of the grid."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    height, width = len(grid), len(grid[0])
    raw = b"".join(b"\0" + bytes(channel for pixel in row for channel in pixel) for row in grid)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def bitmap(grid):
    """An icon image in the BMP form: a BITMAPINFOHEADER of twice the height,
    the pixels bottom-up as BGRA, then the 1-bit transparency mask."""
    size = len(grid)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(grid) for (r, g, b, a) in row)
    mask_row_bytes = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(grid):
        bits = bytearray(mask_row_bytes)
        for column, pixel in enumerate(row):
            if pixel[3] == 0:
                bits[column // 8] |= 0x80 >> (column % 8)
        mask += bits
    return header + pixels + bytes(mask)


def icon_images(grids):
    """(size, image bytes) for every image of the .ico, smallest first."""
    images = [(size, bitmap(grids[size])) for size in sorted(grids)]
    if LARGE not in grids:
        whole = [size for size in grids if LARGE % size == 0]
        if not whole:
            raise IconSourceError(f"no image enlarges to {LARGE}x{LARGE} by whole pixels")
        images.append((LARGE, png(enlarge(grids[max(whole)], LARGE))))
    return images


def ico(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, data in images)


def main(arguments):
    preview = None
    if len(arguments) == 4 and arguments[2] == "--preview":
        preview = Path(arguments[3])
    elif len(arguments) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    try:
        grids = read_source(arguments[0])
        images = icon_images(grids)
    except (IconSourceError, OSError, UnicodeDecodeError) as error:
        sys.exit(f"make_icon.py: {arguments[0]}: {error}")
    Path(arguments[1]).write_bytes(ico(images))
    if preview:
        preview.mkdir(parents=True, exist_ok=True)
        for size, grid in grids.items():
            (preview / f"icon-{size}.png").write_bytes(png(enlarge(grid, size * (LARGE // size + 1))))


if __name__ == "__main__":
    main(sys.argv[1:])
