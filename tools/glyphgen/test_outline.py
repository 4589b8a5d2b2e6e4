"""Checks of the stroke-to-outline step and of the generated data.

Run from the repository root:
    /usr/bin/python3 -m unittest discover -s tools/glyphgen
"""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import glyphgen  # noqa: E402
import glyphs  # noqa: E402
from outline import Glyph, _clean_ring, regions  # noqa: E402


def signed_area(ring):
    return sum(a[0] * b[1] - b[0] * a[1] for a, b in zip(ring, ring[1:] + ring[:1])) / 2.0


class StrokesBecomeOutlines(unittest.TestCase):
    def test_crossing_strokes_merge_into_one_outline(self):
        g = Glyph(0, 0.2, -1, 2)
        g.stroke([(0, 0.5), (1, 0.5)])
        g.stroke([(0.5, 0), (0.5, 1)])
        regs = regions(g.outline_shape())
        self.assertEqual(len(regs), 1)
        self.assertEqual(len(regs[0]), 1)
        self.assertEqual(len(regs[0][0]), 12)
        self.assertAlmostEqual(signed_area(regs[0][0]), 2 * 0.2 - 0.04, places=9)

    def test_strokes_around_a_square_leave_its_inside_as_a_hole(self):
        g = Glyph(0, 0.2, -1, 2)
        g.stroke([(0, 0), (1, 0), (1, 1)])
        g.stroke([(1, 1), (0, 1), (0, 0)])
        regs = regions(g.outline_shape())
        self.assertEqual([len(r) for r in regs], [2])
        outer, hole = regs[0]
        self.assertGreater(signed_area(outer), 0)   # outer counter-clockwise
        self.assertLess(signed_area(hole), 0)       # hole clockwise
        # Flat ends meeting at a corner leave its outer square open.
        self.assertAlmostEqual(signed_area(outer), 1.2 * 1.2 - 2 * 0.1 * 0.1, places=9)
        self.assertAlmostEqual(-signed_area(hole), 0.8 * 0.8, places=9)

    def test_cut_caps_end_flat_on_their_line(self):
        g = Glyph(0, 0.2, -1, 2)
        g.stroke([(0, 0), (0.5, 1)], cap0='h', cap1='h')
        (ring,) = regions(g.outline_shape())[0]
        ys = sorted(y for _, y in ring)
        self.assertEqual(ys, [0.0, 0.0, 1.0, 1.0])
        g = Glyph(0, 0.2, -1, 2)
        g.stroke([(0, 0), (1, 0.5)], cap1='v')
        (ring,) = regions(g.outline_shape())[0]
        self.assertEqual(sorted(x for x, _ in ring)[-2:], [1.0, 1.0])

    def test_a_stroke_turning_back_is_refused(self):
        g = Glyph(0, 0.2)
        with self.assertRaises(ValueError):
            g.stroke([(0, 0), (1, 0), (0.2, 0.01)])

    def test_glyph_limits_clip_the_outline(self):
        g = Glyph(0, 0.2, 0.0, 1.0)
        g.stroke([(0.5, -1), (0.5, 2)])
        (ring,) = regions(g.outline_shape())[0]
        self.assertEqual(min(y for _, y in ring), 0.0)
        self.assertEqual(max(y for _, y in ring), 1.0)


class RoundedBoxes(unittest.TestCase):
    def test_the_centre_line_keeps_half_a_stroke_inside_the_box(self):
        g = Glyph(0, 0.12)
        pts = glyphs.rbox(g, 0.0, 0.0, 0.8, 1.0, None, 0.38)
        xs = [x for x, _ in pts]
        ys = [y for _, y in pts]
        self.assertAlmostEqual(min(xs), 0.06)
        self.assertAlmostEqual(max(xs), 0.74)
        self.assertAlmostEqual(min(ys), 0.06)
        self.assertAlmostEqual(max(ys), 0.94)
        # A full turn starts and ends on the straight right side.
        self.assertEqual(pts[0], (0.74, 1.0 - 0.38))
        self.assertAlmostEqual(pts[-1][0], 0.74)
        self.assertAlmostEqual(pts[-1][1], 0.38)

    def test_a_part_runs_from_start_to_end_angle_in_either_direction(self):
        g = Glyph(0, 0.12)
        ccw = glyphs.rbox(g, 0.0, 0.0, 0.8, 1.0, None, 0.38, 0.0, 180.0)
        cw = glyphs.rbox(g, 0.0, 0.0, 0.8, 1.0, None, 0.38, 180.0, 0.0)
        self.assertEqual(ccw, cw[::-1])
        self.assertAlmostEqual(ccw[0][0], 0.74)       # right side
        self.assertAlmostEqual(ccw[-1][0], 0.06)      # left side
        self.assertTrue(all(y >= 1.0 - 0.38 - 1e-9 for _, y in ccw))
        # No chord leaves the arc by more than the arc tolerance allows.
        steps = [((a[0] - b[0]) ** 2 + (a[1] - b[1]) ** 2) ** 0.5 for a, b in zip(ccw, ccw[1:])]
        self.assertLess(max(steps), 0.05)


class Cleanup(unittest.TestCase):
    def test_repeated_and_collinear_points_go(self):
        ring = [(0, 0), (0.5, 0), (1, 0), (1, 0), (1, 1), (0, 1), (0, 0.5), (0, 0)]
        self.assertEqual(_clean_ring(ring, 1e-6), [(0, 0), (1, 0), (1, 1), (0, 1)])
        # A repeat at a corner must not make the corner look straight.
        ring = [(0, 0), (1, 0), (1, 0), (1, 1), (0, 1)]
        self.assertEqual(_clean_ring(ring, 1e-6), [(0, 0), (1, 0), (1, 1), (0, 1)])

    def test_points_snap_to_the_grid(self):
        ring = _clean_ring([(0.1234564, 0), (1, 0.0000004), (1, 1)], 1e-6)
        self.assertAlmostEqual(ring[0][0], 0.123456, places=12)
        self.assertEqual(ring[1][1], 0.0)


class GeneratedData(unittest.TestCase):
    def test_the_checked_in_data_match_the_designs(self):
        root = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, 'data.cpp')
            glyphgen.write_cpp(glyphgen.build_all(), out)
            with open(out, encoding='utf-8') as f:
                fresh = f.read()
        with open(os.path.join(root, 'render', 'zun_glyphs_data.cpp'), encoding='utf-8') as f:
            self.assertEqual(f.read(), fresh, 'render/core/zun_glyphs_data.cpp is stale: run glyphgen.py')


if __name__ == '__main__':
    unittest.main()
