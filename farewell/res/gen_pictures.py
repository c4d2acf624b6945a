#!/usr/bin/env python3
"""Draws Farewell's pictures with the skin kit's canvas and palette, and writes them beside this
script: the pages' header bands and emblems, the panel behind page 1's question, and the
program icon.

    python3 farewell/res/gen_pictures.py          # regenerate every picture
    python3 farewell/res/gen_pictures.py --check  # exit 1 when a checked-in picture differs

Output: 135.bmp to 139.bmp and farewell.ico. Standard library only; the same bytes on every run.
"""
import os
import sys

# The kit lives in SuiteCore's tree: leave no compiled copy of it there.
sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "suitecore", "res", "skin"))

import gen_skin as kit  # noqa: E402
from gen_skin import (BAND, BAND_DARK, GREEN, LINE, PANEL, RED, TEXT, TITLE, WHITE,  # noqa: E402
                      Canvas, darker, lighter, mix)

BAND_HEIGHT = 67


def band_colours(tint):
    """Top, bottom and rule colours of a page's header band, tinted towards a colour."""
    top = mix(WHITE, tint, 0.04)
    bottom = mix(PANEL, tint, 0.10)
    return top, bottom, darker(LINE, 0.12)


def band_tile(tint):
    top, bottom, rule = band_colours(tint)
    cv = Canvas(1, BAND_HEIGHT)
    cv.vgrad(0, 0, 1, BAND_HEIGHT - 1, top, bottom)
    cv.rect(0, BAND_HEIGHT - 1, 1, BAND_HEIGHT, rule)
    return cv


def band_backdrop(w, tint):
    """The band as the tile draws it, w pixels wide: the emblems sit on it."""
    cv = Canvas(w, BAND_HEIGHT)
    tile = band_tile(tint)
    for x in range(w):
        cv.paste(tile, x, 0)
    return cv


def leaving_emblem():
    """A program window with a red badge: the program about to go."""
    cv = band_backdrop(57, RED)
    cv.round_rect(6, 14, 44, 50, 4, BAND_DARK)
    cv.round_rect(7, 15, 43, 49, 3, WHITE)
    cv.rect(7, 15, 43, 24, BAND)
    cv.rect(7, 23, 43, 24, BAND_DARK)
    for y in (29, 34, 39):
        cv.rect(12, y, 36, y + 2, lighter(TEXT, 0.45))
    cv.circle(42, 46, 11, darker(RED, 0.15))
    cv.circle(42, 46, 9.6, RED)
    cv.stroke([(37, 46), (47, 46)], 2.8, TITLE)
    return cv


def support_emblem():
    """A headset on a green disc: someone to help."""
    cv = band_backdrop(57, GREEN)
    cx, cy = 28.5, 34
    cv.circle(cx, cy, 24, darker(GREEN, 0.15))
    cv.circle(cx, cy, 22.5, GREEN)
    cv.stroke(kit.arc_points(cx, cy + 1, 13, 180, 360, 24), 3.2, TITLE)
    cv.round_rect(cx - 17, cy, cx - 10, cy + 12, 2.5, TITLE)
    cv.round_rect(cx + 10, cy, cx + 17, cy + 12, 2.5, TITLE)
    cv.stroke([(cx + 13, cy + 12), (cx + 10, cy + 17), (cx + 2, cy + 18)], 2.0, TITLE)
    cv.circle(cx + 1, cy + 18, 2.2, TITLE)
    return cv


def question_panel():
    """The pale panel behind page 1's question, with a question badge at its right."""
    w, h = 465, 142
    cv = Canvas(w, h, WHITE)
    cv.round_rect(0, 0, w - 1, h - 1, 7, darker(LINE, 0.12))
    cv.round_rect(1, 1, w - 2, h - 2, 6, lighter(PANEL, 0.5))
    # A soft gradient inside the border, kept off the rounded corners.
    top = lighter(PANEL, 0.55)
    for y in range(2, h - 2):
        inset = 8 if y < 8 or y >= h - 8 else 2
        cv.rect(inset, y, w - inset, y + 1, mix(top, PANEL, (y - 2) / (h - 5)))
    cv.rect(14, 34, 300, 35, LINE)
    kit.round_badge(cv, 378, 40, 64, mix(BAND, PANEL, 0.25), kit.glyph_ask)
    return cv


def program_icon(size):
    cv = kit.app_icon(size)
    s = size / 32.0
    cv.circle(24 * s, 24 * s, 7.5 * s, darker(RED, 0.15))
    cv.circle(24 * s, 24 * s, 6.4 * s, RED)
    cv.stroke([(20.5 * s, 24 * s), (27.5 * s, 24 * s)], 2.2 * s, TITLE)
    return cv


def outputs():
    files = {
        "135.bmp": kit.bmp_bytes(question_panel()),
        "136.bmp": kit.bmp_bytes(band_tile(RED)),
        "137.bmp": kit.bmp_bytes(leaving_emblem()),
        "138.bmp": kit.bmp_bytes(band_tile(GREEN)),
        "139.bmp": kit.bmp_bytes(support_emblem()),
        "farewell.ico": kit.icon_file_bytes([program_icon(32), program_icon(16)]),
    }
    return {os.path.join(HERE, name): data for name, data in files.items()}


def main():
    check = "--check" in sys.argv[1:]
    stale = []
    for path, data in sorted(outputs().items()):
        old = open(path, "rb").read() if os.path.exists(path) else None
        if old == data:
            continue
        stale.append(os.path.basename(path))
        if not check:
            with open(path, "wb") as f:
                f.write(data)
    for name in stale:
        print(("differs: " if check else "wrote: ") + name)
    return 1 if check and stale else 0


if __name__ == "__main__":
    sys.exit(main())
