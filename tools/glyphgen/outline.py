"""Centre-line strokes to filled outlines.

A glyph is drawn as strokes of one width along centre lines (polylines,
elliptical arcs, ovals), plus a few filled shapes (dots, exact rectangles).
Glyph.outline() buffers every stroke, unions everything and clips it to the
glyph's vertical limits, so that overlapping strokes become one clean outline
and enclosed counters become holes.
"""

import math

from shapely import affinity
from shapely.geometry import LineString, LinearRing, MultiPolygon, Polygon, box
from shapely.geometry.polygon import orient
from shapely.ops import unary_union

# Largest distance between an arc and its chords, in cap heights: about a
# tenth of a pixel when the cap height is 96 px, so round letters stay round
# on large renderings without bloating the data.
ARC_TOLERANCE = 0.0004

# Mitre joins keep corners crisp; beyond this ratio (very acute corners) the
# join is bevelled instead of growing a long spike.
MITRE_LIMIT = 4.0


def _unit(dx, dy):
    n = math.hypot(dx, dy)
    return dx / n, dy / n


def arc(cx, cy, rx, ry, a0, a1):
    """Points along an elliptical arc from angle a0 to a1 (degrees), both
    ends included; counter-clockwise when a1 > a0."""
    r = max(rx, ry, 1e-9)
    step = 2.0 * math.acos(max(-1.0, 1.0 - ARC_TOLERANCE / r))
    span = math.radians(a1 - a0)
    n = max(1, math.ceil(abs(span) / step))
    pts = []
    for i in range(n + 1):
        t = math.radians(a0) + span * i / n
        pts.append((cx + rx * math.cos(t), cy + ry * math.sin(t)))
    return pts


def path(*pieces):
    """Joins points and point lists into one polyline, dropping repeats
    where one piece ends where the next begins."""
    out = []
    for piece in pieces:
        items = [piece] if isinstance(piece[0], (int, float)) else piece
        for p in items:
            p = (float(p[0]), float(p[1]))
            if not out or math.hypot(p[0] - out[-1][0], p[1] - out[-1][1]) > 1e-9:
                out.append(p)
    return out


def _cut_line_angle(cap):
    if cap == 'h':
        return 0.0
    if cap == 'v':
        return 90.0
    return float(cap)


def _capped_stroke(pts, hw, cap0, cap1):
    """Buffers an open polyline with flat ends; an end with a cap other than
    None is cut along a line through the end point instead of square to the
    stroke ('h' horizontal, 'v' vertical, or the line's angle in degrees)."""
    pts = list(pts)
    for a, b, c in zip(pts, pts[1:], pts[2:]):
        d0 = _unit(b[0] - a[0], b[1] - a[1])
        d1 = _unit(c[0] - b[0], c[1] - b[1])
        if d0[0] * d1[0] + d0[1] * d1[1] < -0.9:
            # A mitre at such a turn is cut off at the limit and leaves a
            # wedge; draw the two legs as separate strokes instead.
            raise ValueError('stroke turns back on itself at %r' % (b,))
    cuts = []
    for end, cap in ((0, cap0), (-1, cap1)):
        if cap is None:
            continue
        px, py = pts[end]
        qx, qy = pts[1] if end == 0 else pts[-2]
        dx, dy = _unit(px - qx, py - qy)          # pointing out of the stroke
        phi = math.radians(_cut_line_angle(cap))
        ux, uy = math.cos(phi), math.sin(phi)     # along the cut line
        s = abs(dx * uy - dy * ux)
        if s < 0.2:
            raise ValueError('cut line nearly parallel to the stroke at %r' % ((px, py),))
        # The stroke's edges cross the cut line up to hw*cot away from the end.
        ext = hw * abs(dx * ux + dy * uy) / s + 0.01
        pts[end] = (px + dx * ext * 1.5, py + dy * ext * 1.5)
        nx, ny = -uy, ux
        if nx * dx + ny * dy < 0:
            nx, ny = -nx, -ny
        r = ext * 2 + hw / s + 0.02
        cuts.append(Polygon([(px + ux * r, py + uy * r),
                             (px + ux * r + nx * r, py + uy * r + ny * r),
                             (px - ux * r + nx * r, py - uy * r + ny * r),
                             (px - ux * r, py - uy * r)]))
    shape = LineString(pts).buffer(hw, cap_style=2, join_style=2, mitre_limit=MITRE_LIMIT)
    for c in cuts:
        shape = shape.difference(c)
    return shape


class Glyph:
    """One glyph under construction. Coordinates are in cap heights; x is
    free (the generator moves every glyph to the common left edge)."""

    def __init__(self, code, sw, ylo=0.0, yhi=1.0):
        self.code = code
        self.sw = sw
        self.h = sw / 2.0
        self.ylo = ylo
        self.yhi = yhi
        self.shapes = []
        self.holes = []
        self.exact = None   # regions given verbatim, bypassing union and cleanup

    # --- drawing -------------------------------------------------------
    def stroke(self, pts, cap0=None, cap1=None, sw=None):
        hw = (sw or self.sw) / 2.0
        pts = path(pts)
        self.shapes.append(_capped_stroke(pts, hw, cap0, cap1))

    def loop(self, pts, sw=None):
        """A closed centre line: a ring with its counter."""
        hw = (sw or self.sw) / 2.0
        pts = path(pts)
        if math.hypot(pts[0][0] - pts[-1][0], pts[0][1] - pts[-1][1]) < 1e-9:
            pts = pts[:-1]
        ring = LinearRing(pts)
        outer = Polygon(ring).buffer(hw, join_style=2, mitre_limit=MITRE_LIMIT)
        inner = Polygon(ring).buffer(-hw, join_style=2, mitre_limit=MITRE_LIMIT)
        self.shapes.append(outer.difference(inner))

    def rect(self, x0, y0, x1, y1):
        self.shapes.append(box(min(x0, x1), min(y0, y1), max(x0, x1), max(y0, y1)))

    def dot(self, cx, cy, size=None):
        """A square dot centred at (cx, cy), a stroke width wide by default."""
        s = (size or self.sw) / 2.0
        self.rect(cx - s, cy - s, cx + s, cy + s)

    def erase(self, pts):
        """Cuts a polygon out of the finished union (a gap, a notch)."""
        self.holes.append(Polygon(path(pts)).buffer(0))

    def add(self, other, dx=0.0, dy=0.0, scale=1.0, mirror=False, rotate=None):
        """Draws the finished outline of another glyph: mirrored about x = 0
        or turned half round about the point rotate, then scaled about the
        origin and moved."""
        shape = other.outline_shape()
        if mirror:
            shape = affinity.scale(shape, -1.0, 1.0, origin=(0, 0))
        if rotate is not None:
            shape = affinity.rotate(shape, 180.0, origin=rotate)
        shape = affinity.scale(shape, scale, scale, origin=(0, 0))
        self.shapes.append(affinity.translate(shape, dx, dy))

    # --- result --------------------------------------------------------
    def outline_shape(self):
        shape = unary_union(self.shapes)
        for hole in self.holes:
            shape = shape.difference(hole)
        shape = shape.intersection(box(-10, self.ylo, 10, self.yhi))
        return shape.buffer(0)


def _clean_ring(coords, grid):
    """Snaps to the output grid, then drops repeated points and points on
    the line between their neighbours."""
    pts = []
    for x, y in coords:
        p = (round(x / grid) * grid, round(y / grid) * grid)
        if not pts or p != pts[-1]:
            pts.append(p)
    while len(pts) > 1 and pts[0] == pts[-1]:
        pts.pop()
    changed = True
    while changed:
        changed = False
        i = 0
        while len(pts) > 3 and i < len(pts):
            a, b, c = pts[i - 1], pts[i], pts[(i + 1) % len(pts)]
            cross = (b[0] - a[0]) * (c[1] - b[1]) - (b[1] - a[1]) * (c[0] - b[0])
            if abs(cross) <= 1e-12 + 1e-9 * math.hypot(c[0] - a[0], c[1] - a[1]):
                del pts[i]
                changed = True
            else:
                i += 1
    return pts


def regions(shape, grid=1e-6, simplify=1e-4):
    """The outline as regions: a list of [outer, hole, hole...], each
    contour a list of points without the closing repeat; outer contours
    counter-clockwise, holes clockwise. Regions run bottom to top, then left
    to right, so the data read in a predictable order."""
    if simplify:
        shape = shape.simplify(simplify, preserve_topology=True)
    polys = list(shape.geoms) if isinstance(shape, MultiPolygon) else [shape]
    polys = [orient(p, 1.0) for p in polys if not p.is_empty and p.area > 1e-8]
    polys.sort(key=lambda p: (round(p.bounds[1], 3), round(p.bounds[0], 3)))
    out = []
    for p in polys:
        rings = [_clean_ring(p.exterior.coords, grid)]
        holes = [_clean_ring(r.coords, grid) for r in p.interiors]
        holes.sort(key=lambda r: (min(y for _, y in r), min(x for x, _ in r)))
        rings += holes
        check = Polygon(rings[0], rings[1:])
        if not check.is_valid:
            raise ValueError('outline became invalid after snapping')
        out.append(rings)
    return out
