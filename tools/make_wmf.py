#!/usr/bin/env python3
"""Writes the two decorative Windows metafiles the program shows: images/trip.wmf and images/hwy.wmf.

Run from the repository root:  python3 tools/make_wmf.py
The files are committed; the build does not run this script.

Only the records our own picture reader understands are used (placeable header, window origin and
extent, pens, brushes, fonts, polygons, polylines, rectangles, ellipses, round rectangles, lines and
text), so the pictures look the same wherever they are shown.
"""

import os
import struct
import sys

META_EOF = 0x0000
META_SETBKMODE = 0x0102
META_SETPOLYFILLMODE = 0x0106
META_SETTEXTALIGN = 0x012E
META_SELECTOBJECT = 0x012D
META_DELETEOBJECT = 0x01F0
META_SETTEXTCOLOR = 0x0209
META_SETWINDOWORG = 0x020B
META_SETWINDOWEXT = 0x020C
META_LINETO = 0x0213
META_MOVETO = 0x0214
META_CREATEPENINDIRECT = 0x02FA
META_CREATEFONTINDIRECT = 0x02FB
META_CREATEBRUSHINDIRECT = 0x02FC
META_POLYGON = 0x0324
META_POLYLINE = 0x0325
META_ELLIPSE = 0x0418
META_RECTANGLE = 0x041B
META_TEXTOUT = 0x0521
META_POLYPOLYGON = 0x0538
META_ROUNDRECT = 0x061C

PS_SOLID, PS_NULL = 0, 5
BS_SOLID, BS_NULL = 0, 1
TA_CENTER, TA_BASELINE = 6, 24


def colorref(rgb):
    r, g, b = rgb
    return struct.pack("<BBBB", r, g, b, 0)


class Metafile:
    """Collects records and keeps the object table the way the format numbers it (lowest free slot)."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.records = []
        self.slots = []  # True where a slot holds an object
        self.max_objects = 0
        self.pen = self.brush = None
        self.record(META_SETWINDOWORG, struct.pack("<hh", 0, 0))
        self.record(META_SETWINDOWEXT, struct.pack("<hh", height, width))
        self.record(META_SETBKMODE, struct.pack("<H", 1))  # transparent
        self.record(META_SETPOLYFILLMODE, struct.pack("<H", 1))  # alternate

    def record(self, function, params=b""):
        if len(params) % 2:
            params += b"\0"
        self.records.append(struct.pack("<IH", 3 + len(params) // 2, function) + params)

    def _new_object(self, function, params):
        self.record(function, params)
        for i, used in enumerate(self.slots):
            if not used:
                self.slots[i] = True
                return i
        self.slots.append(True)
        self.max_objects = max(self.max_objects, len(self.slots))
        return len(self.slots) - 1

    def _replace(self, attr, index):
        self.record(META_SELECTOBJECT, struct.pack("<H", index))
        old = getattr(self, attr)
        if old is not None:
            self.record(META_DELETEOBJECT, struct.pack("<H", old))
            self.slots[old] = False
        setattr(self, attr, index)

    def use(self, pen=None, brush=None, width=1):
        """Selects a new pen (None: no outline) and brush (None: hollow), deleting the previous ones."""
        if pen is None:
            p = self._new_object(META_CREATEPENINDIRECT, struct.pack("<Hhh", PS_NULL, 0, 0) + colorref((0, 0, 0)))
        else:
            p = self._new_object(META_CREATEPENINDIRECT, struct.pack("<Hhh", PS_SOLID, width, 0) + colorref(pen))
        self._replace("pen", p)
        if brush is None:
            b = self._new_object(META_CREATEBRUSHINDIRECT, struct.pack("<H", BS_NULL) + colorref((0, 0, 0)) + b"\0\0")
        else:
            b = self._new_object(META_CREATEBRUSHINDIRECT, struct.pack("<H", BS_SOLID) + colorref(brush) + b"\0\0")
        self._replace("brush", b)

    @staticmethod
    def _points(points):
        return b"".join(struct.pack("<hh", int(round(x)), int(round(y))) for x, y in points)

    def polygon(self, points):
        self.record(META_POLYGON, struct.pack("<h", len(points)) + self._points(points))

    def polypolygon(self, polygons):
        head = struct.pack("<H", len(polygons)) + b"".join(struct.pack("<H", len(p)) for p in polygons)
        self.record(META_POLYPOLYGON, head + b"".join(self._points(p) for p in polygons))

    def polyline(self, points):
        self.record(META_POLYLINE, struct.pack("<h", len(points)) + self._points(points))

    def rectangle(self, left, top, right, bottom):
        self.record(META_RECTANGLE, struct.pack("<hhhh", bottom, right, top, left))

    def ellipse(self, left, top, right, bottom):
        self.record(META_ELLIPSE, struct.pack("<hhhh", bottom, right, top, left))

    def roundrect(self, left, top, right, bottom, w, h):
        self.record(META_ROUNDRECT, struct.pack("<hhhhhh", h, w, bottom, right, top, left))

    def line(self, x1, y1, x2, y2):
        self.record(META_MOVETO, struct.pack("<hh", y1, x1))
        self.record(META_LINETO, struct.pack("<hh", y2, x2))

    def text(self, x, y, s, height, color, face="Arial", bold=True):
        font = struct.pack("<hhhhhBBBBBBBB", -height, 0, 0, 0, 700 if bold else 400, 0, 0, 0, 0, 0, 0, 2, 0x22)
        font += face.encode("ascii")[:31].ljust(32, b"\0")
        f = self._new_object(META_CREATEFONTINDIRECT, font)
        self.record(META_SELECTOBJECT, struct.pack("<H", f))
        self.record(META_SETTEXTCOLOR, colorref(color))
        self.record(META_SETTEXTALIGN, struct.pack("<H", TA_CENTER | TA_BASELINE))
        data = s.encode("ascii")
        padded = data + (b"\0" if len(data) % 2 else b"")
        self.record(META_TEXTOUT, struct.pack("<h", len(data)) + padded + struct.pack("<hh", y, x))
        # The font stays selected until the next one; it is released at once since nothing else uses it.
        self.record(META_DELETEOBJECT, struct.pack("<H", f))
        self.slots[f] = False

    def data(self):
        self.record(META_EOF)
        body = b"".join(self.records)
        header_words = 9
        size_words = header_words + len(body) // 2
        max_record = max(struct.unpack_from("<I", r)[0] for r in self.records)
        header = struct.pack("<HHHIHIH", 1, header_words, 0x0300, size_words, self.max_objects, max_record, 0)
        words = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, self.width, self.height, 96, 0)
        checksum = 0
        for (w,) in struct.iter_unpack("<H", words):
            checksum ^= w
        return words + struct.pack("<H", checksum) + header + body


# Colours shared by both pictures.
SKY = (135, 196, 235)
SKY_LOW = (190, 225, 245)
SUN = (255, 214, 64)
GRASS = (92, 164, 72)
GRASS_DARK = (60, 128, 52)
ROAD = (96, 96, 104)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
CAR_RED = (200, 32, 40)
CAR_DARK = (128, 16, 24)
GLASS = (170, 215, 240)
TYRE = (36, 36, 40)
HUB = (200, 200, 210)
HILL = (120, 150, 190)
SIGN_GREEN = (0, 122, 72)
TRUNK = (110, 72, 40)
LEAVES = (46, 120, 56)


def trip_picture():
    """A red car on a country road under a summer sky, with a suitcase on the roof."""
    w, h = 220, 170
    m = Metafile(w, h)
    m.use(None, SKY)
    m.rectangle(0, 0, w + 1, 111)
    m.use(None, SKY_LOW)
    m.rectangle(0, 80, w + 1, 111)
    m.use(SUN, SUN)
    m.ellipse(170, 14, 204, 48)
    m.use(None, WHITE)
    m.ellipse(24, 22, 64, 40)
    m.ellipse(44, 14, 84, 38)
    m.ellipse(62, 24, 96, 42)
    m.use(None, HILL)
    m.polygon([(0, 110), (40, 78), (80, 100), (130, 70), (180, 98), (220, 84), (220, 110)])
    m.use(None, GRASS)
    m.rectangle(0, 108, w + 1, h + 1)
    m.use(None, ROAD)
    m.polygon([(0, 128), (220, 128), (220, 160), (0, 160)])
    m.use(None, WHITE)
    for x in range(6, 220, 36):
        m.rectangle(x, 142, x + 20, 146)
    # Trees behind the road
    for x in (16, 196):
        m.use(None, TRUNK)
        m.rectangle(x - 3, 100, x + 3, 122)
        m.use(None, LEAVES)
        m.ellipse(x - 14, 74, x + 14, 108)
    # The car: body, cabin with two windows, bumpers, lights, wheels.
    m.use(CAR_DARK, CAR_RED, 2)
    m.polygon([(44, 128), (44, 112), (56, 106), (74, 104), (88, 88), (134, 88), (152, 104), (172, 108),
               (178, 116), (178, 128)])
    m.use(CAR_DARK, GLASS)
    m.polypolygon([[(92, 92), (110, 92), (110, 104), (80, 104)], [(116, 92), (132, 92), (146, 104), (116, 104)]])
    m.use(BLACK, None)
    m.polyline([(113, 106), (113, 126)])
    m.use(None, (255, 240, 150))
    m.rectangle(170, 112, 178, 118)
    m.use(None, (255, 80, 60))
    m.rectangle(44, 112, 50, 118)
    m.use(TYRE, TYRE)
    m.ellipse(58, 116, 84, 142)
    m.ellipse(138, 116, 164, 142)
    m.use(None, HUB)
    m.ellipse(65, 123, 77, 135)
    m.ellipse(145, 123, 157, 135)
    # Suitcase on the roof rack
    m.use(BLACK, None)
    m.line(94, 88, 94, 84)
    m.line(128, 88, 128, 84)
    m.use(TRUNK, (214, 150, 70))
    m.roundrect(96, 70, 126, 86, 6, 6)
    m.use(TRUNK, None)
    m.polyline([(106, 70), (106, 66), (116, 66), (116, 70)])
    return m.data()


def highway_picture():
    """A highway running to the horizon between fields, with a green route sign."""
    w, h = 240, 180
    m = Metafile(w, h)
    horizon = 78
    m.use(None, SKY)
    m.rectangle(0, 0, w + 1, horizon + 1)
    m.use(None, SKY_LOW)
    m.rectangle(0, 50, w + 1, horizon + 1)
    m.use(None, WHITE)
    m.ellipse(150, 14, 196, 32)
    m.ellipse(172, 8, 214, 30)
    m.use(None, HILL)
    m.polygon([(0, horizon), (30, 56), (70, 70), (110, 48), (150, 68), (200, 52), (240, 66), (240, horizon)])
    m.use(None, GRASS)
    m.rectangle(0, horizon, w + 1, h + 1)
    m.use(None, GRASS_DARK)
    m.polygon([(0, 120), (60, 100), (40, h), (0, h)])
    m.polygon([(240, 120), (180, 100), (200, h), (240, h)])
    # The road narrows towards the vanishing point.
    m.use(None, ROAD)
    m.polygon([(112, horizon), (128, horizon), (230, h), (10, h)])
    m.use(None, (250, 210, 40))
    m.polygon([(114, horizon), (116, horizon), (44, h), (30, h)])
    m.polygon([(124, horizon), (126, horizon), (210, h), (196, h)])
    m.use(None, WHITE)
    # Dashes of the centre line grow as they come closer.
    y = horizon + 4
    length = 4
    while y < h:
        y2 = min(h, y + length)
        half_top = 0.5 + (y - horizon) * 0.03
        half_bottom = 0.5 + (y2 - horizon) * 0.03
        m.polygon([(120 - half_top, y), (120 + half_top, y), (120 + half_bottom, y2), (120 - half_bottom, y2)])
        y = y2 + length
        length += 3
    # Route sign on two posts
    m.use(None, (150, 150, 150))
    m.rectangle(196, 92, 200, 140)
    m.rectangle(222, 92, 226, 140)
    m.use(WHITE, SIGN_GREEN, 2)
    m.roundrect(184, 66, 238, 98, 8, 8)
    m.text(211, 87, "I-80", 14, WHITE)
    # Fence along the left field
    m.use((120, 90, 60), None, 2)
    m.polyline([(0, 112), (64, 92), (100, 82)])
    for x, top in ((8, 104), (28, 98), (48, 92), (66, 87), (82, 84)):
        m.line(x, top, x, top + 16 - x // 8)
    return m.data()


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "resources", "images")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, data in (("trip.wmf", trip_picture()), ("hwy.wmf", highway_picture())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print(os.path.join(out, name), len(data), "bytes")


if __name__ == "__main__":
    main()
