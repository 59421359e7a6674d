#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The program's layers as its #include lines draw them: counts the arrows between top-level
# folders, checks that no folder reaches above its layer, and draws docs/layers.svg.
"""Usage: docs/layers.py [--check] [--svg FILE] [SOURCE_DIR]

Without options it prints every pair of folders joined by #include "dir/..." lines (outside
tests/ and bench/), with the number of lines, and the pairs that include each other.
--check fails (exit 1) when an include runs upward, other than the allowed ones below.
--svg writes a picture of the layers and their arrows."""
import argparse
import collections
import html
import pathlib
import re
import sys

# Bottom to top; a folder may include the folders of its own layer and of those below it.
LAYERS = [
    ("base", ["base"]),
    ("link", ["link"]),
    ("rules", ["state", "timecontrol", "winamp", "hotkeys"]),
    ("windows", ["ui"]),
    ("add-in host", ["addins"]),
    ("program", ["app"]),
]
# Programs of their own beside the layers: each may use any layer below the program.
SIDE = ["sim", "ctl"]
# The upward edges there are: the main window loads the add-ins and asks them at its end.
ALLOWED_UP = [("ui/mainwindow/", "addins")]
SKIP = {"tests", "bench", "build", "examples", "include", "docs", "scripts", "packaging"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z_]+)/')


def rank_of():
    rank = {}
    for i, (_, folders) in enumerate(LAYERS):
        for folder in folders:
            rank[folder] = i
    for folder in SIDE:
        rank[folder] = len(LAYERS) - 1.5  # beside the layers: below the program only
    return rank


def scan(root):
    """Returns {(from, to): [(file, line), ...]} for includes between top-level folders."""
    edges = collections.defaultdict(list)
    for path in sorted(root.rglob("*")):
        if path.suffix not in (".cpp", ".h") or not path.is_file():
            continue
        rel = path.relative_to(root)
        top = rel.parts[0]
        if len(rel.parts) < 2 or top in SKIP or top.startswith("."):
            continue
        for number, text in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(text)
            if match and match.group(1) != top and (root / match.group(1)).is_dir():
                edges[(top, match.group(1))].append((str(rel), number))
    return edges


def violations(edges):
    rank = rank_of()
    found = []
    for (source, target), places in sorted(edges.items()):
        for file, number in places:
            if target in SIDE:
                found.append((file, number, f"{source} uses the program {target}"))
            elif rank.get(target, 0) > rank.get(source, 0) and not any(
                    file.startswith(prefix) and target == up for prefix, up in ALLOWED_UP):
                found.append((file, number, f"{source} reaches up into {target}"))
    return found


def svg(edges, out):
    """Layers bottom to top, a box per folder, an arrow per pair of folders (red: upward)."""
    box_w, box_h, gap, band, left = 120, 34, 16, 74, 100
    row_w = 4 * (box_w + gap) - gap
    side_x = left + row_w + 3 * gap
    width, height = side_x + box_w + 12, len(LAYERS) * band + 12
    boxes = {}  # folder -> (x, y) of its top left corner
    labels = []
    for i, (name, folders) in enumerate(LAYERS):
        y = height - (i + 1) * band + (band - box_h) / 2
        first = left + (row_w - (len(folders) * (box_w + gap) - gap)) / 2
        labels.append(f'<text x="8" y="{y + box_h / 2 + 4}" font-size="12" fill="#555">'
                      f'{html.escape(name)}</text>')
        for j, folder in enumerate(folders):
            boxes[folder] = (first + j * (box_w + gap), y)
    for k, folder in enumerate(SIDE):
        boxes[folder] = (side_x, height - (len(LAYERS) - k) * band + (band - box_h) / 2)
    rank = rank_of()
    arrows = []
    for (source, target) in sorted(edges):
        if source not in boxes or target not in boxes:
            continue
        (sx, sy), (tx, ty) = boxes[source], boxes[target]
        up = rank[target] > rank[source]
        # Leave the source at its bottom (top when upward) and end on the target's facing edge;
        # the two directions of a pair sit side by side. Boxes are drawn over the arrows.
        # Longer arrows stand further out, so that arrows along one column do not cover each other.
        shift = (6 + 10 * (abs(rank[target] - rank[source]) - 1)) * (1 if up else -1)
        x1, x2 = sx + box_w / 2 + shift, tx + box_w / 2 + shift
        if sy == ty:
            y1 = y2 = sy + box_h / 2
            x1, x2 = (sx + box_w, tx) if tx > sx else (sx, tx + box_w)
        elif ty > sy:
            y1, y2 = sy + box_h, ty
        else:
            y1, y2 = sy, ty + box_h
        colour = "#c33" if up else "#777"
        arrows.append(f'<line x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}" stroke="{colour}" '
                      f'stroke-width="1.3" marker-end="url(#{"up" if up else "down"})"/>')
    rects = []
    for folder, (x, y) in boxes.items():
        fill, stroke = ("#f3f3f3", "#888") if folder in SIDE else ("#e8f0fb", "#36c")
        rects.append(f'<rect x="{x}" y="{y}" width="{box_w}" height="{box_h}" rx="6" '
                     f'fill="{fill}" stroke="{stroke}"/><text x="{x + box_w / 2}" '
                     f'y="{y + box_h / 2 + 5}" font-size="14" text-anchor="middle" '
                     f'font-family="monospace">{folder}/</text>')
    defs = "<defs>" + "".join(
        f'<marker id="{m}" viewBox="0 0 10 10" refX="10" refY="5" markerWidth="8" '
        f'markerHeight="8" orient="auto"><path d="M0,0 L10,5 L0,10 z" fill="{c}"/></marker>'
        for m, c in (("down", "#777"), ("up", "#c33"))) + "</defs>"
    out.write_text(f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
                   f'font-family="sans-serif">{defs}<rect width="100%" height="100%" '
                   f'fill="white"/>' + "".join(arrows) + "".join(rects) + "".join(labels) +
                   "</svg>\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--svg", type=pathlib.Path)
    parser.add_argument("root", nargs="?", type=pathlib.Path,
                        default=pathlib.Path(__file__).resolve().parent.parent)
    options = parser.parse_args()
    edges = scan(options.root)
    both = sorted({tuple(sorted(p)) for p in edges if (p[1], p[0]) in edges})
    if options.svg:
        svg(edges, options.svg)
    if options.check:
        bad = violations(edges)
        for file, number, why in bad:
            print(f"{file}:{number}: {why}")
        if len(both) > 1:
            print("folders that include each other:", ", ".join("/".join(p) for p in both))
        return 1 if bad or len(both) > 1 else 0
    for (source, target), places in sorted(edges.items()):
        print(f"{source:12} -> {target:12} {len(places)}")
    print(f"{len(edges)} pairs of folders; {len(both)} include each other:",
          ", ".join(" <-> ".join(p) for p in both) or "none")
    return 0


if __name__ == "__main__":
    sys.exit(main())
