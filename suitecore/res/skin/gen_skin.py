#!/usr/bin/env python3
"""Draws SuiteCore's skin kit and writes it beside this script, with the resource lines and the
C++ inventory that SuiteDiag and the tests share.

    python3 suitecore/res/skin/gen_skin.py          # regenerate every file
    python3 suitecore/res/skin/gen_skin.py --check  # exit 1 when a checked-in file differs

Standard library only. Every picture is drawn from simple shapes in one palette, with 4 x 4
supersampling for edges, so the output is the same on every run.

Output, all under suitecore/res/:
    skin/<id>.bmp|.png|.ico|.cur   the pictures
    skin.rc                        one resource line per picture, included by suitecore.rc
    skin_inventory.h               the inventory: kind, ID, size, frames, in the same order
"""
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)

# ---------------------------------------------------------------------------------------------
# Palette
# ---------------------------------------------------------------------------------------------
BAND = (24, 66, 132)           # caption band, deep blue
BAND_DARK = (14, 44, 96)
BAND_LIGHT = (58, 104, 170)
TITLE = (252, 252, 252)        # caption text and light glyphs
PANEL = (224, 241, 249)        # pale blue panels
GREY = (222, 222, 222)
LINE = (216, 225, 234)
TEXT = (72, 81, 90)
RED = (169, 1, 1)
GREEN = (0, 130, 44)
LIGHT_TEXT = (252, 252, 255)
FACE = (36, 104, 184)          # saturated face of light text buttons
FACE_EDGE = (20, 70, 136)
PALE_FACE = (240, 246, 251)    # pale face of dark text buttons
PALE_EDGE = (150, 170, 192)
AMBER = (214, 140, 0)
WHITE = (255, 255, 255)
DISABLED = (168, 176, 186)
DISABLED_PALE = (226, 229, 233)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def lighter(c, t=0.25):
    return mix(c, WHITE, t)


def darker(c, t=0.2):
    return mix(c, (0, 0, 0), t)


# ---------------------------------------------------------------------------------------------
# Canvas: RGBA pixels, top row first
# ---------------------------------------------------------------------------------------------
class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0), alpha=255):
        self.w, self.h = w, h
        self.px = [[fill[0], fill[1], fill[2], alpha] for _ in range(w * h)]

    def blend(self, x, y, c, a):
        """Paints colour c with coverage a (0..1) over pixel (x, y), source-over; a colour of
        None erases instead (punches a hole with that coverage)."""
        if not (0 <= x < self.w and 0 <= y < self.h) or a <= 0:
            return
        p = self.px[y * self.w + x]
        if c is None:
            p[3] = int(round(p[3] * (1 - a)))
            return
        da = p[3] / 255.0
        oa = a + da * (1 - a)
        if oa <= 0:
            return
        for i in range(3):
            p[i] = int(round((c[i] * a + p[i] * da * (1 - a)) / oa))
        p[3] = int(round(oa * 255))

    def rect(self, x0, y0, x1, y1, c, a=1.0):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.blend(x, y, c, a)

    def vgrad(self, x0, y0, x1, y1, top, bottom):
        n = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            self.rect(x0, y, x1, y + 1, mix(top, bottom, (y - y0) / n))

    def hgrad(self, x0, y0, x1, y1, left, right):
        n = max(1, x1 - x0 - 1)
        for x in range(x0, x1):
            self.rect(x, y0, x + 1, y1, mix(left, right, (x - x0) / n))

    def shape(self, inside, c, box=None, a=1.0):
        """Fills the points where inside(x, y) holds, sampling each pixel 4 x 4 times."""
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.w, int(math.ceil(x1)))):
                hits = sum(1 for sy in range(4) for sx in range(4)
                           if inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4))
                if hits:
                    self.blend(x, y, c, a * hits / 16.0)

    def circle(self, cx, cy, r, c, a=1.0):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, c, (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1), a)

    def ring(self, cx, cy, r, width, c, a=1.0):
        inner = r - width
        self.shape(lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r, c,
                   (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1), a)

    def round_rect(self, x0, y0, x1, y1, r, c, a=1.0):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            dx = max(x0 + r - x, 0, x - (x1 - r))
            dy = max(y0 + r - y, 0, y - (y1 - r))
            return dx * dx + dy * dy <= r * r
        self.shape(inside, c, (x0 - 1, y0 - 1, x1 + 1, y1 + 1), a)

    def stroke(self, points, width, c, a=1.0):
        """A polyline of the given width with round joins."""
        half = width / 2.0
        segs = list(zip(points, points[1:])) or [(points[0], points[0])]

        def near(x, y):
            for (ax, ay), (bx, by) in segs:
                dx, dy = bx - ax, by - ay
                n = dx * dx + dy * dy
                t = 0 if n == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / n))
                qx, qy = ax + t * dx - x, ay + t * dy - y
                if qx * qx + qy * qy <= half * half:
                    return True
            return False
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape(near, c, (min(xs) - half - 1, min(ys) - half - 1, max(xs) + half + 1, max(ys) + half + 1), a)

    def polygon(self, points, c, a=1.0):
        def inside(x, y):
            odd = False
            j = len(points) - 1
            for i in range(len(points)):
                (xi, yi), (xj, yj) = points[i], points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    odd = not odd
                j = i
            return odd
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape(inside, c, (min(xs) - 1, min(ys) - 1, max(xs) + 1, max(ys) + 1), a)

    def paste(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                p = other.px[y * other.w + x]
                self.blend(ox + x, oy + y, p[:3], p[3] / 255.0)


def strip(frames):
    """Frames side by side, left to right."""
    out = Canvas(sum(f.w for f in frames), frames[0].h)
    x = 0
    for f in frames:
        out.paste(f, x, 0)
        x += f.w
    return out


def arc_points(cx, cy, r, start, end, steps=24):
    return [(cx + r * math.cos(math.radians(start + (end - start) * i / steps)),
             cy + r * math.sin(math.radians(start + (end - start) * i / steps))) for i in range(steps + 1)]


# ---------------------------------------------------------------------------------------------
# Glyphs: drawn into a box of side s at (x, y) in colour c
# ---------------------------------------------------------------------------------------------
def glyph_check(cv, x, y, s, c):
    cv.stroke([(x + s * 0.24, y + s * 0.52), (x + s * 0.43, y + s * 0.70), (x + s * 0.76, y + s * 0.32)], s * 0.14, c)


def glyph_cross(cv, x, y, s, c, w=0.14):
    cv.stroke([(x + s * 0.3, y + s * 0.3), (x + s * 0.7, y + s * 0.7)], s * w, c)
    cv.stroke([(x + s * 0.7, y + s * 0.3), (x + s * 0.3, y + s * 0.7)], s * w, c)


def glyph_bang(cv, x, y, s, c):
    cv.stroke([(x + s * 0.5, y + s * 0.26), (x + s * 0.5, y + s * 0.58)], s * 0.13, c)
    cv.circle(x + s * 0.5, y + s * 0.74, s * 0.075, c)


def glyph_info(cv, x, y, s, c):
    cv.circle(x + s * 0.5, y + s * 0.28, s * 0.075, c)
    cv.stroke([(x + s * 0.5, y + s * 0.44), (x + s * 0.5, y + s * 0.74)], s * 0.13, c)


def glyph_ask(cv, x, y, s, c):
    pts = arc_points(x + s * 0.5, y + s * 0.38, s * 0.15, 200, 405, 16)
    pts.append((x + s * 0.5, y + s * 0.60))
    cv.stroke(pts, s * 0.12, c)
    cv.circle(x + s * 0.5, y + s * 0.76, s * 0.07, c)


def round_badge(cv, x, y, s, fill, glyph, glyph_colour=WHITE):
    cv.circle(x + s / 2.0, y + s / 2.0, s * 0.47, darker(fill, 0.15))
    cv.circle(x + s / 2.0, y + s / 2.0, s * 0.42, fill)
    cv.shape(lambda px, py: (px - x - s * 0.5) ** 2 + (py - y - s * 0.36) ** 2 <= (s * 0.3) ** 2 and py < y + s * 0.45,
             WHITE, (x, y, x + s, y + s), 0.18)
    glyph(cv, x, y, s, glyph_colour)


def triangle_badge(cv, x, y, s, fill):
    cv.polygon([(x + s * 0.5, y + s * 0.04), (x + s * 0.98, y + s * 0.92), (x + s * 0.02, y + s * 0.92)], darker(fill, 0.15))
    cv.polygon([(x + s * 0.5, y + s * 0.13), (x + s * 0.90, y + s * 0.87), (x + s * 0.10, y + s * 0.87)], fill)
    cv.stroke([(x + s * 0.5, y + s * 0.38), (x + s * 0.5, y + s * 0.63)], s * 0.11, WHITE)
    cv.circle(x + s * 0.5, y + s * 0.76, s * 0.065, WHITE)


# ---------------------------------------------------------------------------------------------
# Frames, bars and strips
# ---------------------------------------------------------------------------------------------
def band(cv, x0, x1, y0=0, y1=29):
    cv.vgrad(x0, y0, x1, y1, BAND_LIGHT, BAND_DARK)


def frame_top_corner(right):
    cv = Canvas(6, 36, PANEL)
    band(cv, 0, 6)
    cv.rect(0, 29, 6, 36, BAND_DARK)
    cv.rect(1, 29, 5, 36, BAND)
    edge = 5 if right else 0
    cv.rect(edge, 0, edge + 1, 36, BAND_DARK)
    cv.rect(0, 0, 6, 1, BAND_DARK)
    # the rounded outer corner, filled with the edge colour beyond the arc
    for y in range(3):
        for x in range(3 - y):
            cv.rect(5 - x if right else x, y, (5 - x if right else x) + 1, y + 1, BAND_DARK)
    return cv


def frame_side():
    cv = Canvas(6, 1)
    cv.rect(0, 0, 6, 1, BAND)
    cv.rect(0, 0, 1, 1, BAND_DARK)
    cv.rect(5, 0, 6, 1, BAND_DARK)
    return cv


def frame_bottom_corner(right):
    cv = Canvas(6, 6)
    cv.rect(0, 0, 6, 6, BAND)
    cv.rect(0, 5, 6, 6, BAND_DARK)
    edge = 5 if right else 0
    cv.rect(edge, 0, edge + 1, 6, BAND_DARK)
    for y in range(3):
        for x in range(3 - y):
            cv.rect(5 - x if right else x, 5 - y, (5 - x if right else x) + 1, 6 - y, BAND_DARK)
    return cv


def frame_bottom_edge():
    cv = Canvas(1, 6, BAND)
    cv.rect(0, 5, 1, 6, BAND_DARK)
    return cv


def column(w, h, colours):
    """A w x h picture whose rows take the given colours, top first."""
    cv = Canvas(w, h)
    for y, c in enumerate(colours):
        cv.rect(0, y, w, y + 1, c)
    return cv


def vertical(w, h, top, bottom):
    cv = Canvas(w, h)
    cv.vgrad(0, 0, w, h, top, bottom)
    return cv


def slice_part(w, alternate, cap):
    top, bottom = ((250, 252, 253), GREY) if alternate else ((246, 251, 254), (196, 222, 238))
    cv = Canvas(w, 50, WHITE)
    cv.vgrad(0, 0, w, 50, top, bottom)
    cv.rect(0, 0, w, 1, LINE)
    cv.rect(0, 49, w, 50, darker(LINE, 0.1))
    if cap == "left":
        cv.rect(0, 0, 1, 50, darker(LINE, 0.1))
    elif cap == "right":
        cv.rect(w - 1, 0, w, 50, darker(LINE, 0.1))
    return cv


def slice_icon(alternate):
    cv = slice_part(40, alternate, None)
    lens = GREEN if alternate else FACE
    cv.ring(17, 22, 10, 3, lens)
    cv.circle(17, 22, 7, WHITE, 0.6)
    cv.stroke([(24.5, 29.5), (32, 37)], 4.5, TEXT)
    return cv


# ---------------------------------------------------------------------------------------------
# Buttons
# ---------------------------------------------------------------------------------------------
def caption_button(w, h, glyph, state, close=False):
    cv = Canvas(w, h)
    band(cv, 0, w, 0, h)
    if state == "pressed":
        cv.round_rect(1, 0, w - 1, h - 1, 3, RED if close else BAND_DARK)
    elif state == "hover":
        cv.round_rect(1, 0, w - 1, h - 1, 3, mix(RED, WHITE, 0.15) if close else BAND_LIGHT)
    dx = 1 if state == "pressed" else 0
    glyph(cv, w / 2.0 + dx, h / 2.0 + dx)
    return cv


def glyph_close(cv, cx, cy):
    cv.stroke([(cx - 4, cy - 4), (cx + 4, cy + 4)], 2.2, TITLE)
    cv.stroke([(cx + 4, cy - 4), (cx - 4, cy + 4)], 2.2, TITLE)


def glyph_minimise(cv, cx, cy):
    cv.rect(int(cx - 5), int(cy + 3), int(cx + 5), int(cy + 5), TITLE)


def glyph_maximise(cv, cx, cy):
    x0, y0 = int(cx - 5), int(cy - 5)
    cv.rect(x0, y0, x0 + 10, y0 + 3, TITLE)
    cv.rect(x0, y0, x0 + 1, y0 + 10, TITLE)
    cv.rect(x0 + 9, y0, x0 + 10, y0 + 10, TITLE)
    cv.rect(x0, y0 + 9, x0 + 10, y0 + 10, TITLE)


def glyph_restore(cv, cx, cy):
    x0, y0 = int(cx - 5), int(cy - 5)
    cv.rect(x0 + 3, y0, x0 + 11, y0 + 2, TITLE)
    cv.rect(x0 + 10, y0, x0 + 11, y0 + 7, TITLE)
    cv.rect(x0, y0 + 3, x0 + 8, y0 + 11, BAND)
    cv.rect(x0, y0 + 3, x0 + 8, y0 + 5, TITLE)
    cv.rect(x0, y0 + 3, x0 + 1, y0 + 11, TITLE)
    cv.rect(x0 + 7, y0 + 3, x0 + 8, y0 + 11, TITLE)
    cv.rect(x0, y0 + 10, x0 + 8, y0 + 11, TITLE)


def caption_strip(w, glyph, close=False):
    return strip([caption_button(w, 18, glyph, s, close) for s in ("normal", "pressed", "hover")])


def text_face(w, h, light, state, background=WHITE, radius=3):
    """A button face without its caption: the caption is drawn at run time."""
    cv = Canvas(w, h, background)
    if light:
        face, edge = {"normal": (FACE, FACE_EDGE), "pressed": (darker(FACE, 0.18), darker(FACE_EDGE, 0.2)),
                      "hover": (lighter(FACE, 0.18), FACE_EDGE), "disabled": (DISABLED, darker(DISABLED, 0.15))}[state]
    else:
        face, edge = {"normal": (PALE_FACE, PALE_EDGE), "pressed": (LINE, darker(PALE_EDGE, 0.15)),
                      "hover": (WHITE, FACE), "disabled": (DISABLED_PALE, DISABLED)}[state]
    cv.round_rect(0, 0, w, h, radius, edge)
    cv.round_rect(1, 1, w - 1, h - 1, radius - 1, face)
    # upper half slightly lighter: a soft gloss
    top = lighter(face, 0.12) if state != "pressed" else face
    cv.round_rect(1.5, 1.5, w - 1.5, h / 2.0, max(1, radius - 1), top, 0.6)
    return cv


def text_strip(w, h, light, frames, background=WHITE):
    states = ("normal", "pressed", "hover", "disabled")[:frames]
    return strip([text_face(w, h, light, s, background) for s in states])


def band_button_strip(w, h):
    """Small buttons that sit on the caption band (help, demonstration): light text on a face
    a little lighter than the band."""
    frames = []
    for state in ("normal", "pressed", "hover"):
        cv = Canvas(w, h)
        band(cv, 0, w, 0, h)
        face = {"normal": BAND_LIGHT, "pressed": BAND_DARK, "hover": lighter(BAND_LIGHT, 0.15)}[state]
        cv.round_rect(0, 0, w, h, 3, lighter(BAND_LIGHT, 0.3))
        cv.round_rect(1, 1, w - 1, h - 1, 2, face)
        frames.append(cv)
    return strip(frames)


# ---------------------------------------------------------------------------------------------
# Larger pictures
# ---------------------------------------------------------------------------------------------
def caption_emblem():
    cv = Canvas(26, 15)
    band(cv, 0, 26, 0, 15)
    cv.ring(8, 7.5, 6, 2, TITLE)
    cv.stroke([(13, 4), (23, 4)], 2, lighter(BAND_LIGHT, 0.5))
    cv.stroke([(15, 8), (23, 8)], 2, lighter(BAND_LIGHT, 0.5))
    cv.stroke([(13, 12), (23, 12)], 2, lighter(BAND_LIGHT, 0.5))
    return cv


def abort_retry_picture():
    cv = Canvas(300, 60)
    cv.vgrad(0, 0, 300, 60, WHITE, PANEL)
    for i in range(5):
        cv.ring(250, 100, 40 + i * 18, 2, LINE)
    round_badge(cv, 14, 14, 32, AMBER, glyph_bang)
    cv.rect(0, 59, 300, 60, LINE)
    return cv


def side_picture():
    cv = Canvas(110, 180)
    cv.vgrad(0, 0, 110, 180, BAND_LIGHT, PANEL)
    for i in range(6):
        cv.ring(0, 180, 40 + i * 22, 3, WHITE, 0.25)
    round_badge(cv, 31, 30, 48, FACE, glyph_ask)
    return cv


def separator():
    cv = Canvas(540, 3, WHITE)
    for x in range(540):
        edge = min(x, 539 - x)
        t = min(1.0, edge / 40.0)
        cv.rect(x, 1, x + 1, 2, mix(WHITE, darker(LINE, 0.1), t))
        cv.rect(x, 2, x + 1, 3, mix(WHITE, lighter(LINE, 0.5), t))
    return cv


def panel_row(alternate):
    cv = Canvas(547, 1, WHITE if alternate else PANEL)
    cv.rect(0, 0, 1, 1, LINE)
    cv.rect(546, 0, 547, 1, LINE)
    return cv


def navigation_pane():
    cv = Canvas(168, 480)
    cv.vgrad(0, 0, 168, 480, PANEL, WHITE)
    cv.rect(167, 0, 168, 480, LINE)
    cv.rect(0, 0, 168, 1, LINE)
    return cv


def row_icons():
    s = 16
    cells = []
    for draw in (lambda cv: round_badge(cv, 0, 0, s, GREEN, glyph_check),
                 lambda cv: triangle_badge(cv, 0, 0, s, AMBER),
                 lambda cv: round_badge(cv, 0, 0, s, RED, glyph_cross),
                 lambda cv: round_badge(cv, 0, 0, s, FACE, glyph_info),
                 cell_file, cell_folder, cell_key, cell_clock):
        cv = Canvas(s, s, WHITE)
        draw(cv)
        cells.append(cv)
    return strip(cells)


def check_boxes():
    """The list's check cells: unchecked and checked, 15 x 15 on magenta (the mask colour)."""
    cells = []
    for checked in (False, True):
        cv = Canvas(15, 15, (255, 0, 255))
        cv.rect(1, 1, 14, 14, PALE_EDGE)
        cv.rect(2, 2, 13, 13, WHITE)
        if checked:
            glyph_check(cv, 1, 1, 13, FACE)
        cells.append(cv)
    return strip(cells)


def cell_file(cv):
    cv.polygon([(3, 1), (10, 1), (13, 4), (13, 15), (3, 15)], TEXT)
    cv.polygon([(4, 2), (9.5, 2), (12, 4.5), (12, 14), (4, 14)], WHITE)
    for y in (6, 8, 10, 12):
        cv.rect(5, y, 11, y + 1, LINE)


def cell_folder(cv):
    cv.round_rect(1, 3, 8, 7, 1, AMBER)
    cv.round_rect(1, 5, 15, 14, 1, darker(AMBER, 0.1))
    cv.round_rect(2, 6, 14, 13, 1, lighter(AMBER, 0.35))


def cell_key(cv):
    cv.ring(5, 8, 4, 1.8, TEXT)
    cv.stroke([(9, 8), (15, 8)], 2, TEXT)
    cv.stroke([(13, 8), (13, 11)], 2, TEXT)


def cell_clock(cv):
    cv.circle(8, 8, 7, TEXT)
    cv.circle(8, 8, 5.8, WHITE)
    cv.stroke([(8, 8), (8, 4)], 1.4, TEXT)
    cv.stroke([(8, 8), (11, 9.5)], 1.4, TEXT)


def type_icon(kind):
    cv = Canvas(32, 32, PANEL)
    if kind == "error":
        round_badge(cv, 1, 1, 30, RED, glyph_cross)
    elif kind == "warning":
        triangle_badge(cv, 1, 1, 30, AMBER)
    elif kind == "information":
        round_badge(cv, 1, 1, 30, FACE, glyph_info)
    else:
        round_badge(cv, 1, 1, 30, GREEN, glyph_ask)
    return cv


def menu_image(kind):
    cv = Canvas(16, 16, WHITE)
    if kind == "about":
        round_badge(cv, 0, 0, 16, FACE, glyph_info)
    elif kind == "demo":
        cv.circle(8, 8, 7.5, GREEN)
        cv.polygon([(6, 4.5), (12, 8), (6, 11.5)], WHITE)
    elif kind == "feedback":
        cv.round_rect(1, 2, 15, 11, 2, FACE)
        cv.polygon([(4, 10), (8, 10), (4, 14)], FACE)
        for y in (5, 7):
            cv.rect(4, y, 12, y + 1, WHITE)
    elif kind == "help":
        round_badge(cv, 0, 0, 16, GREEN, glyph_ask)
    elif kind == "update":
        cv.stroke(arc_points(8, 8, 5.5, -60, 210, 20), 2, FACE)
        cv.polygon([(10.5, 0.5), (15, 4.5), (9.5, 6.5)], FACE)
        cv.circle(8, 8, 1.5, GREEN)
    else:  # web site: a globe
        cv.circle(8, 8, 7.5, FACE)
        cv.shape(lambda x, y: ((x - 8) / 3.0) ** 2 + ((y - 8) / 7.0) ** 2 <= 1 <= ((x - 8) / 2.0) ** 2 + ((y - 8) / 6.0) ** 2,
                 WHITE, (0, 0, 16, 16))
        for y in (5, 11):
            cv.rect(2, y, 14, y + 1, WHITE)
        cv.rect(0, 8, 16, 9, WHITE, 0.8)
        cv.ring(8, 8, 7.5, 1, FACE)
    return cv


def status_png(status):
    cv = Canvas(16, 16, alpha=0)
    if status == 0:
        round_badge(cv, 0, 0, 16, GREEN, glyph_check)
    elif status == 1:
        round_badge(cv, 0, 0, 16, AMBER, glyph_bang)
    else:
        round_badge(cv, 0, 0, 16, RED, glyph_cross)
    return cv


def highlight_png(w, h, selected):
    """A translucent rounded plate with a one-pixel edge, behind a button's icon and text."""
    cv = Canvas(w, h, alpha=0)
    edge = FACE if selected else lighter(FACE, 0.45)
    edge_alpha, plate_alpha = 0.85, (0.92 if selected else 0.78)
    top, bottom = lighter(PANEL, 0.3), (lighter(FACE, 0.55) if selected else PANEL)

    def rounded(x0, y0, x1, y1, r):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            dx = max(x0 + r - x, 0, x - (x1 - r))
            dy = max(y0 + r - y, 0, y - (y1 - r))
            return dx * dx + dy * dy <= r * r
        return inside
    outer, inner = rounded(0, 0, w, h, 5), rounded(1, 1, w - 1, h - 1, 4)
    for y in range(h):
        plate = mix(top, bottom, y / max(1, h - 1))
        for x in range(w):
            samples = [(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4) for sy in range(4) for sx in range(4)]
            co = sum(1 for p in samples if outer(*p)) / 16.0
            ci = sum(1 for p in samples if inner(*p)) / 16.0
            a = ci * plate_alpha + (co - ci) * edge_alpha
            if a <= 0:
                continue
            t = ci * plate_alpha / a
            c = mix(edge, plate, t)
            cv.px[y * w + x] = [c[0], c[1], c[2], int(round(a * 255))]
    return cv


def nav_icon(cv, index, x, y, c, back):
    s = 24
    if index == 0:    # home
        cv.polygon([(x + 12, y + 3), (x + 22, y + 12), (x + 2, y + 12)], c)
        cv.rect(x + 5, y + 12, x + 19, y + 21, c)
        cv.rect(x + 10, y + 15, x + 14, y + 21, back)
    elif index == 1:  # registry: three stacked blocks
        for bx, by in ((3, 12), (13, 12), (8, 3)):
            cv.round_rect(x + bx, y + by, x + bx + 8, y + by + 8, 1.5, c)
    elif index == 2:  # disk
        cv.round_rect(x + 3, y + 6, x + 21, y + 19, 2, c)
        cv.rect(x + 5, y + 13, x + 19, y + 14, back)
        cv.circle(x + 17.5, y + 16.5, 1.2, back)
    elif index == 3:  # privacy: an eye
        cv.shape(lambda px, py: ((px - x - 12) / 10.0) ** 2 + ((py - y - 12) / 6.0) ** 2 <= 1, c, (x, y, x + s, y + s))
        cv.circle(x + 12, y + 12, 4, back)
        cv.circle(x + 12, y + 12, 2, c)
    elif index == 4:  # tune: a gauge
        cv.stroke(arc_points(x + 12, y + 15, 9, 180, 360, 18), 3, c)
        cv.stroke([(x + 12, y + 15), (x + 17, y + 8)], 2.2, c)
        cv.circle(x + 12, y + 15, 2.2, c)
    elif index == 5:  # backup: a box with an arrow into it
        cv.rect(x + 3, y + 13, x + 21, y + 21, c)
        cv.rect(x + 6, y + 13, x + 18, y + 16, back)
        cv.stroke([(x + 12, y + 2), (x + 12, y + 11)], 2.4, c)
        cv.polygon([(x + 7.5, y + 8), (x + 16.5, y + 8), (x + 12, y + 13)], c)
    elif index == 6:  # tools: a gear
        for k in range(8):
            a = math.radians(k * 45)
            cv.stroke([(x + 12, y + 12), (x + 12 + 9 * math.cos(a), y + 12 + 9 * math.sin(a))], 3.2, c)
        cv.circle(x + 12, y + 12, 6.5, c)
        cv.circle(x + 12, y + 12, 2.8, back)
    else:             # information
        cv.ring(x + 12, y + 12, 10, 2.2, c)
        cv.circle(x + 12, y + 7.5, 1.6, c)
        cv.stroke([(x + 12, y + 11), (x + 12, y + 17)], 2.6, c)


def tool_icons():
    """The feedback form's tool icons, 24 x 24 cells on white (the mask colour), one per
    application id from 0 to 24: the navigation glyphs on a rounded tile of one of five colours."""
    tiles = [FACE, GREEN, AMBER, RED, BAND]
    cells = []
    for i in range(25):
        cv = Canvas(24, 24, WHITE)
        cv.round_rect(0.5, 0.5, 23.5, 23.5, 4, tiles[i % 5])
        nav_icon(cv, i % 8, 0, 0, TITLE, tiles[i % 5])
        cells.append(cv)
    return strip(cells)


def nav_icons_png():
    cv = Canvas(192, 48, alpha=0)
    for i in range(8):
        # the normal row in the text colour, the selected row in the band's blue
        nav_icon(cv, i, i * 24, 0, TEXT, None)
        nav_icon(cv, i, i * 24, 24, FACE, None)
    return cv


def app_icon(size):
    cv = Canvas(size, size, alpha=0)
    s = size / 32.0
    cv.round_rect(1 * s, 1 * s, 31 * s, 31 * s, 6 * s, BAND_DARK)
    cv.round_rect(2 * s, 2 * s, 30 * s, 30 * s, 5 * s, BAND)
    cv.ring(14 * s, 14 * s, 8.5 * s, 2.6 * s, TITLE)
    cv.circle(14 * s, 14 * s, 6 * s, PANEL, 0.45)
    cv.stroke([(20.5 * s, 20.5 * s), (26 * s, 26 * s)], 3.6 * s, TITLE)
    cv.stroke([(10 * s, 12 * s), (13 * s, 9.5 * s)], 1.6 * s, WHITE, 0.9)
    return cv


def panel_icon():
    cv = Canvas(16, 16, alpha=0)
    cv.round_rect(1, 1, 15, 15, 2, TEXT)
    cv.round_rect(2, 2, 14, 14, 1.5, PANEL)
    cv.rect(2, 2, 14, 5, FACE)
    for y in (7, 10):
        cv.rect(4, y, 12, y + 1, TEXT)
    cv.circle(11.5, 12, 1.5, GREEN)
    return cv


def bullet_icon():
    cv = Canvas(16, 16, alpha=0)
    round_badge(cv, 1, 1, 14, GREEN, glyph_check)
    return cv


def hand_cursor():
    """A pointing hand, white with a dark outline; the hot spot is the fingertip at (10, 1)."""
    cv = Canvas(32, 32, alpha=0)
    parts = [
        ("rr", 8, 1, 13, 16, 2.5),     # the index finger
        ("rr", 12.5, 8, 17, 17, 2.2),  # folded fingers
        ("rr", 16.5, 9, 21, 18, 2.2),
        ("rr", 20.5, 10.5, 25, 19, 2.2),
        ("rr", 7, 13, 25, 26, 4.5),    # the palm
        ("rr", 10, 23, 23, 30, 2),     # the wrist
    ]
    thumb = [(8.5, 16), (4, 11.5), (2, 13), (7.5, 22)]
    for grow, colour in ((1.2, (0, 0, 0)), (0, WHITE)):
        for _, x0, y0, x1, y1, r in parts:
            cv.round_rect(x0 - grow, y0 - grow, x1 + grow, y1 + grow, r + grow, colour)
        cv.stroke(thumb, 4.2 + 2 * grow, colour)
    for x in (13, 17, 21):
        cv.stroke([(x - 0.2, 13.5), (x - 0.2, 17)], 0.9, (0, 0, 0))
    return cv, (10, 1)


# ---------------------------------------------------------------------------------------------
# File formats
# ---------------------------------------------------------------------------------------------
def bmp_bytes(cv):
    """A 24-bit bottom-up BMP."""
    row = (cv.w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(cv.h - 1, -1, -1):
        line = bytearray()
        for x in range(cv.w):
            r, g, b, _ = cv.px[y * cv.w + x]
            line += bytes((b, g, r))
        pixels += line + b"\0" * (row - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


def png_bytes(cv):
    """An 8-bit RGBA PNG."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = bytearray()
    for y in range(cv.h):
        raw.append(0)
        for x in range(cv.w):
            raw += bytes(cv.px[y * cv.w + x])
    ihdr = struct.pack(">IIBBBBB", cv.w, cv.h, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def dib_with_mask(cv):
    """The image of an icon or cursor entry: 32-bit BGRA rows bottom-up, then the AND mask."""
    info = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_row = ((cv.w + 31) // 32) * 4
    for y in range(cv.h - 1, -1, -1):
        bits = bytearray(mask_row)
        for x in range(cv.w):
            r, g, b, a = cv.px[y * cv.w + x]
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return info + bytes(colour) + bytes(mask)


def icon_file_bytes(images, cursor_hotspot=None):
    """An .ico (or, with a hot spot, a .cur) holding the given canvases, largest first."""
    kind = 2 if cursor_hotspot else 1
    data = [dib_with_mask(cv) for cv in images]
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for cv, blob in zip(images, data):
        planes, bits = (cursor_hotspot if cursor_hotspot else (1, 32))
        out += struct.pack("<BBBBHHII", cv.w % 256, cv.h % 256, 0, 0, planes, bits, len(blob), offset)
        offset += len(blob)
    return out + b"".join(data)


# ---------------------------------------------------------------------------------------------
# The inventory, in the order of the kit's table. Sizes are the whole picture; a strip's
# frames lie side by side (normal, pressed, hover, then disabled). For an icon, the size is
# its largest image; "sizes" lists every image it holds.
# ---------------------------------------------------------------------------------------------
def bmp(id_, cv, frames, use):
    return dict(kind="bitmap", id=id_, canvas=cv, frames=frames, use=use)


def png(id_, cv, frames, use):
    return dict(kind="png", id=id_, canvas=cv, frames=frames, use=use)


def inventory():
    items = [
        bmp(1019, vertical(3, 52, lighter(PANEL, 0.5), darker(PANEL, 0.06)), 1, "bottom strip of pop-ups and large-button message boxes"),
        bmp(1023, slice_part(5, False, "left"), 1, "slice bar left cap"),
        bmp(1028, slice_part(5, True, "left"), 1, "slice bar left cap, alternate"),
        bmp(1024, slice_part(1, False, None), 1, "slice bar middle"),
        bmp(1029, slice_part(1, True, None), 1, "slice bar middle, alternate"),
        bmp(1025, slice_part(5, False, "right"), 1, "slice bar right cap"),
        bmp(1030, slice_part(5, True, "right"), 1, "slice bar right cap, alternate"),
        bmp(1026, slice_icon(False), 1, "slice bar icon"),
        bmp(1027, slice_icon(True), 1, "slice bar icon, alternate"),
        bmp(1032, caption_emblem(), 1, "caption icon of pop-ups and the message box"),
        bmp(1038, caption_strip(43, glyph_close, True), 3, "close button, main windows and maximisable pop-ups"),
        bmp(1064, caption_strip(43, glyph_close, True), 3, "close button, other pop-ups and the message box"),
        bmp(1062, caption_strip(25, glyph_restore), 3, "restore button"),
        bmp(1063, caption_strip(25, glyph_maximise), 3, "maximise button"),
        bmp(1042, caption_strip(25, glyph_minimise), 3, "minimise button"),
        bmp(1039, tool_icons(), 25, "feedback form: tool icons, 24 x 24 cells by application id"),
        bmp(1051, text_strip(79, 23, True, 3), 3, "message box button, default"),
        bmp(1065, text_strip(79, 23, False, 3), 3, "message box button, others"),
        bmp(1074, text_strip(120, 28, True, 4), 4, "light text button, small"),
        bmp(1076, text_strip(120, 28, False, 4), 4, "dark text button, small"),
        bmp(1021, text_strip(160, 32, True, 4), 4, "light text button"),
        bmp(1059, text_strip(160, 32, False, 4), 4, "dark text button"),
        bmp(1057, band_button_strip(52, 17), 3, "demonstration button"),
        bmp(1061, band_button_strip(47, 23), 3, "help button"),
        bmp(1078, abort_retry_picture(), 1, "lower picture of the abort/retry box"),
        bmp(1079, side_picture(), 1, "side picture of the yes/no/cancel box"),
        bmp(1089, panel_row(False), 1, "panel row"),
        bmp(1128, panel_row(True), 1, "panel row, alternate"),
        bmp(1090, separator(), 1, "separator, drawn with SRCAND"),
        bmp(1091, row_icons(), 8, "row icons of the result panels, 16 x 16 cells"),
        bmp(1092, check_boxes(), 2, "check cells of the fancy list: unchecked, checked"),
        bmp(1096, navigation_pane(), 1, "navigation pane background"),
        bmp(1098, column(1, 3, [LINE, (189, 198, 216), WHITE]), 1, "subtitle separator"),
        bmp(1102, vertical(1, 7, lighter(LINE, 0.3), darker(LINE, 0.12)), 1, "header strip, neutral"),
        bmp(1112, vertical(1, 7, lighter(AMBER, 0.35), AMBER), 1, "header strip, warning"),
        bmp(1117, vertical(1, 7, lighter(RED, 0.3), RED), 1, "header strip, error"),
        bmp(1118, vertical(1, 7, lighter(GREEN, 0.3), GREEN), 1, "header strip, question"),
        bmp(1103, vertical(1, 36, LINE, lighter(GREY, 0.4)), 1, "message box bottom strip"),
        bmp(1104, frame_bottom_corner(False), 1, "frame bottom-left"),
        bmp(1105, frame_bottom_edge(), 1, "frame bottom edge"),
        bmp(1106, frame_bottom_corner(True), 1, "frame bottom-right"),
        bmp(1107, frame_side(), 1, "frame left edge"),
        bmp(1108, frame_side(), 1, "frame right edge"),
        bmp(1109, frame_top_corner(False), 1, "frame top-left"),
        bmp(1110, vertical(1, 29, BAND_LIGHT, BAND_DARK), 1, "frame top edge"),
        bmp(1111, frame_top_corner(True), 1, "frame top-right"),
        bmp(1113, type_icon("error"), 1, "type icon, error"),
        bmp(1114, type_icon("warning"), 1, "type icon, warning"),
        bmp(1115, type_icon("information"), 1, "type icon, information"),
        bmp(1116, type_icon("question"), 1, "type icon, question"),
        bmp(1170, vertical(1, 582, (52, 66, 84), (18, 24, 32)), 1, "the shade"),
        bmp(1293, menu_image("about"), 1, "help menu: About"),
        bmp(1297, menu_image("demo"), 1, "help menu: demonstration"),
        bmp(1303, menu_image("feedback"), 1, "help menu: Report Feedback"),
        bmp(1304, menu_image("help"), 1, "help menu: Online Help"),
        bmp(1307, menu_image("update"), 1, "help menu: Check For Updates"),
        bmp(1308, menu_image("web"), 1, "help menu: web site"),
        png(1348, status_png(0), 1, "program status 0"),
        png(1374, status_png(1), 1, "program status 1"),
        png(1352, status_png(2), 1, "program status 2"),
        png(1353, highlight_png(560, 64, False), 1, "big and program buttons, hover"),
        png(1354, highlight_png(560, 64, True), 1, "big and program buttons, selected"),
        png(1355, highlight_png(160, 24, False), 1, "launcher left buttons, hover"),
        png(1356, highlight_png(160, 24, True), 1, "launcher left buttons, selected"),
        png(1357, highlight_png(165, 31, False), 1, "navigation buttons, hover"),
        png(1358, highlight_png(165, 31, True), 1, "navigation buttons, selected"),
        png(1364, nav_icons_png(), 8, "navigation icons: 24 x 24 cells, normal row above selected row"),
        dict(kind="icon", id=1287, images=[app_icon(32), app_icon(16)], use="application icon"),
        dict(kind="icon", id=1294, images=[panel_icon()], use="small panel icon"),
        dict(kind="icon", id=1314, images=[bullet_icon()], use="bullet of the survey's second page"),
    ]
    hand, hotspot = hand_cursor()
    items.append(dict(kind="cursor", id=1228, images=[hand], hotspot=hotspot, use="the hand"))
    return items


# ---------------------------------------------------------------------------------------------
# Writing
# ---------------------------------------------------------------------------------------------
EXTENSION = {"bitmap": "bmp", "png": "png", "icon": "ico", "cursor": "cur"}
RC_TYPE = {"bitmap": "BITMAP", "png": "PNG", "icon": "ICON", "cursor": "CURSOR"}
CPP_KIND = {"bitmap": "Bitmap", "png": "Png", "icon": "Icon", "cursor": "Cursor"}


def picture_bytes(item):
    if item["kind"] == "bitmap":
        return bmp_bytes(item["canvas"])
    if item["kind"] == "png":
        return png_bytes(item["canvas"])
    if item["kind"] == "icon":
        return icon_file_bytes(item["images"])
    return icon_file_bytes(item["images"], item["hotspot"])


def size_of(item):
    cv = item["canvas"] if "canvas" in item else item["images"][0]
    return cv.w, cv.h


def rc_text(items):
    lines = ["// Generated by skin/gen_skin.py: the skin kit's pictures. Do not edit.", ""]
    for item in items:
        name = "skin/%d.%s" % (item["id"], EXTENSION[item["kind"]])
        lines.append('%d %s "%s"' % (item["id"], RC_TYPE[item["kind"]], name))
    return "\n".join(lines) + "\n"


def header_text(items):
    rows = []
    for item in items:
        w, h = size_of(item)
        if "images" in item:
            small = item["images"][-1].w if len(item["images"]) > 1 else 0
            frames = 1
        else:
            small, frames = 0, item["frames"]
        rows.append("    {SkinKind::%s, %d, %d, %d, %d, %d}, // %s"
                    % (CPP_KIND[item["kind"]], item["id"], w, h, frames, small, item["use"]))
    return """// Generated by skin/gen_skin.py: the skin kit's inventory, in the order of the kit's table.
// Do not edit; change the generator and run it again.
#pragma once

namespace suitecore
{
enum class SkinKind
{
    Bitmap, // RT_BITMAP
    Png,    // custom type "PNG", with alpha
    Icon,   // RT_GROUP_ICON; the size is the largest image's
    Cursor, // RT_GROUP_CURSOR
};

struct SkinPicture
{
    SkinKind kind;
    unsigned id;
    int width;      // the whole picture: a strip's frames lie side by side
    int height;
    int frames;     // frames or cells side by side (1 for a single picture)
    int smallIcon;  // an icon's second, smaller square image (0 when it has one image)
};

inline constexpr SkinPicture kSkinInventory[] = {
%s
};
} // namespace suitecore
""" % "\n".join(rows)


def outputs():
    items = inventory()
    files = {os.path.join(HERE, "%d.%s" % (i["id"], EXTENSION[i["kind"]])): picture_bytes(i) for i in items}
    files[os.path.join(RES, "skin.rc")] = rc_text(items).encode()
    files[os.path.join(RES, "skin_inventory.h")] = header_text(items).encode()
    return files


def png_content(data):
    """A PNG's header and decompressed pixel rows: what stays the same across zlib versions."""
    pos, header, pixels = 8, b"", b""
    while pos + 8 <= len(data):
        size, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IHDR":
            header = data[pos + 8:pos + 8 + size]
        elif kind == b"IDAT":
            pixels += data[pos + 8:pos + 8 + size]
        pos += 12 + size
    return header, zlib.decompress(pixels) if pixels else b""


def same(path, old, new):
    if old is None:
        return False
    if path.endswith(".png") and old != new:
        return png_content(old) == png_content(new)
    return old == new


def main():
    check = "--check" in sys.argv[1:]
    stale = []
    for path, data in sorted(outputs().items()):
        old = open(path, "rb").read() if os.path.exists(path) else None
        if same(path, old, data):
            continue
        stale.append(os.path.relpath(path, RES))
        if not check:
            with open(path, "wb") as f:
                f.write(data)
    for name in stale:
        print(("differs: " if check else "wrote: ") + name)
    return 1 if check and stale else 0


if __name__ == "__main__":
    sys.exit(main())
