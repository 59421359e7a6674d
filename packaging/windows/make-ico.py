#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a Windows icon file (.ico) holding the given PNG pictures as they are.
#
#   make-ico.py OUTPUT.ico PICTURE.png...
#
# Windows reads PNG pictures inside an icon since Vista, so the PNGs rendered for the Linux
# desktop serve unchanged; the pictures go in from the smallest to the largest.
import struct
import sys


def png_size(data, name):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        sys.exit(f"make-ico: {name} is not a PNG picture")
    return struct.unpack(">II", data[16:24])


def main(output, names):
    pictures = []
    for name in names:
        with open(name, "rb") as f:
            data = f.read()
        width, height = png_size(data, name)
        if width > 256 or height > 256:
            sys.exit(f"make-ico: {name} is larger than 256 pixels")
        pictures.append((width, height, data))
    pictures.sort(key=lambda p: p[0])
    header = struct.pack("<HHH", 0, 1, len(pictures))
    offset = len(header) + 16 * len(pictures)
    entries, images = b"", b""
    for width, height, data in pictures:
        # 256 is written as 0; planes 1, 32 bits a pixel, no palette
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data),
                               offset)
        images += data
        offset += len(data)
    with open(output, "wb") as f:
        f.write(header + entries + images)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit("usage: make-ico.py OUTPUT.ico PICTURE.png...")
    main(sys.argv[1], sys.argv[2:])
