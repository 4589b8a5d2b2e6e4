#!/usr/bin/env python3
"""Writes the slides compiled into the module's resources.

    python3 res/slides/make_slides.py    (from the repository root)

zun_test_card.sld (resource 101): level 2, little-endian, 200 x 100 units:
a frame in colour 7, a red diagonal from (0, 0) to (200, 100), a green
filled triangle (20, 20) (80, 20) (50, 80) and a blue zigzag of
common-endpoint vectors from (120, 20).

zun_arrow.sld (resource 102): the same header written big-endian, 100 x 100
units: a yellow arrow pointing right, its shaft of plain and offset vectors
and a filled head.
"""
import struct
from pathlib import Path


class Slide:
    def __init__(self, high_x, high_y, big_endian=False):
        self.order = ">" if big_endian else "<"
        ident = b"Zun slide\r\n\x1a".ljust(17, b"\0")
        self.data = bytearray(ident + bytes([0x56, 2]))
        self.data += struct.pack(self.order + "HH", high_x, high_y)
        self.data += struct.pack(self.order + "IH", 10000000 * high_x // high_y, 2)
        self.data += struct.pack(self.order + "H", 0x1234)

    def word(self, w):
        self.data += struct.pack(self.order + "H", w & 0xFFFF)

    def vector(self, x0, y0, x1, y1):
        for v in (x0, y0, x1, y1):
            self.word(v)

    def offset_vector(self, dx0, dy0, dx1, dy1):
        self.word(0xFB00 | (dx0 & 0xFF))
        self.data += bytes([dy0 & 0xFF, dx1 & 0xFF, dy1 & 0xFF])

    def common_endpoint(self, dx, dy):
        self.word(0xFE00 | (dx & 0xFF))
        self.data += bytes([dy & 0xFF])

    def color(self, index):
        self.word(0xFF00 | index)

    def solid_fill(self, points):
        for w in (0xFD00, len(points), -1):
            self.word(w)
        for x, y in points + [(0, -1)]:
            for w in (0xFD00, x, y):
                self.word(w)

    def end(self):
        self.word(0xFC00)
        return bytes(self.data)


def test_card():
    s = Slide(200, 100)
    s.color(7)
    s.vector(0, 0, 200, 0)
    s.vector(200, 0, 200, 100)
    s.vector(200, 100, 0, 100)
    s.vector(0, 100, 0, 0)
    s.color(1)
    s.vector(0, 0, 200, 100)
    s.color(3)
    s.solid_fill([(20, 20), (80, 20), (50, 80)])
    s.color(5)
    s.vector(120, 20, 130, 20)  # the current point is now (120, 20)
    for dx, dy in ((10, 30), (10, -30), (10, 30), (10, -30)):
        s.common_endpoint(dx, dy)
    return s.end()


def arrow():
    s = Slide(100, 100, big_endian=True)
    s.color(2)
    s.vector(10, 45, 60, 45)
    s.offset_vector(0, 10, 50, 10)  # (10, 55) to (60, 55)
    s.solid_fill([(60, 20), (95, 50), (60, 80)])
    return s.end()


if __name__ == "__main__":
    here = Path(__file__).resolve().parent
    (here / "zun_test_card.sld").write_bytes(test_card())
    (here / "zun_arrow.sld").write_bytes(arrow())
