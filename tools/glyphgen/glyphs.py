"""The glyph designs of the built-in outline font.

Every glyph is drawn here with centre-line strokes of one width (SW) and a
few dots; outline.py turns them into filled outlines. Units are cap heights:
the baseline is y = 0, capitals and ascenders reach y = 1, descenders
y = DSC. x is free: the generator moves each glyph so that its left edge
lies at the common LEFT, because text items place glyphs at their own
coordinates and advance by the glyph width plus a fixed gap, so a common
left edge is what makes the gaps even.

Helpers:
  rbox(g, x0, y0, x1, y1, rx, ry, a0, a1)
      centre line of a rounded box whose outer edge fills x0..x1, y0..y1
      (corner radii rx, ry measured on the outer edge), from angle a0 to a1
      in degrees, counter-clockwise when a1 > a0; 0 is the middle of the
      right side, 90 the middle of the top. With rx at half the width the
      box is an oval with straight sides.
  slant(g, (xa, ya, side), (xb, yb, side))
      a straight stroke cut horizontally at both ends; side 0 puts the
      centre line at x, +1 the stroke's left edge, -1 its right edge.
"""

import math

from outline import Glyph, arc, path

SW = 0.12          # stroke width of every full-size glyph
SW_SMALL = 0.09    # small figures (superscripts, fractions, ordinal)
CAP = 1.0          # cap height, ascender
XH = 0.70          # x-height
DSC = -0.30        # descender
BAR = 0.52         # centre of the middle bars of capitals (E, H, B, ...)
AXIS = 0.45        # centre of the operators (+, -, =, <, >, ~)
IDOT = 0.92        # centre of i/j dots and lower-case umlaut dots
UMLAUT_CAP = 0.78  # capital height under umlaut dots
UDOT = 0.96        # centre of capital umlaut dots
BRACKET_LO = -0.18 # bottom of brackets, braces, bar
ROUND = 0.38      # vertical corner radius of round letters, in heights


# --- construction helpers ----------------------------------------------

def rbox(g, x0, y0, x1, y1, rx=None, ry=None, a0=0.0, a1=360.0):
    h = g.h
    if rx is None:
        rx = (x1 - x0) / 2.0
    if ry is None:
        ry = min((y1 - y0) / 2.0, rx)
    crx, cry = rx - h, ry - h
    centres = [(x1 - rx, y1 - ry), (x0 + rx, y1 - ry), (x0 + rx, y0 + ry), (x1 - rx, y0 + ry)]
    lo, hi = min(a0, a1), max(a0, a1)
    pieces = []
    start = lo
    while start < hi - 1e-9:
        q = math.floor(start / 90.0 + 1e-9)
        end = min(hi, (q + 1) * 90.0)
        cx, cy = centres[q % 4]
        pieces.append(arc(cx, cy, crx, cry, start, end))
        start = end
    pts = path(*pieces)
    if a1 < a0:
        pts.reverse()
    return pts


def slant(g, a, b, cap0='h', cap1='h', sw=None):
    (xa, ya, sa), (xb, yb, sb) = a, b
    h = (sw or g.sw) / 2.0
    ca, cb = xa, xb
    for _ in range(40):
        ang = math.atan2(abs(yb - ya), abs(cb - ca))
        half = h / math.sin(ang)
        ca, cb = xa + sa * half, xb + sb * half
    g.stroke([(ca, ya), (cb, yb)], cap0, cap1, sw)
    return (ca, ya), (cb, yb)


def at_y(p, q, y):
    """x of the line through p and q at height y."""
    return p[0] + (q[0] - p[0]) * (y - p[1]) / (q[1] - p[1])


def vbar(g, x, y0, y1):
    """A vertical stroke whose left edge is at x."""
    g.stroke([(x + g.h, y0), (x + g.h, y1)])


def hbar(g, x0, x1, y):
    """A horizontal stroke whose bottom edge is at y."""
    g.stroke([(x0, y + g.h), (x1, y + g.h)])


# --- registry ----------------------------------------------------------

GLYPHS = {}


def glyph(chars, ylo=0.0, yhi=CAP, top=CAP, sw=SW):
    """Registers a design for one or more characters."""
    def register(fn):
        for ch in chars:
            GLYPHS[ord(ch)] = dict(fn=fn, ylo=ylo, yhi=yhi, top=top, sw=sw)
        return fn
    return register


def build(code):
    entry = GLYPHS[code]
    g = Glyph(code, entry['sw'], entry['ylo'], entry['yhi'])
    g.top = entry['top']
    entry['fn'](g)
    return g


def part(fn, sw=SW, top=CAP, ylo=-1.0, yhi=2.0):
    """A design drawn on its own, to be placed into another glyph."""
    g = Glyph(0, sw, ylo, yhi)
    g.top = top
    fn(g)
    return g


def small(g, fn, x, y, scale, sw=SW_SMALL):
    """A reduced copy of a design, its strokes SW_SMALL wide after scaling."""
    g.add(part(fn, sw=sw / scale), dx=x, dy=y, scale=scale)


# --- punctuation and symbols -------------------------------------------

@glyph('!')
def exclam(g):
    # The bar and the dot of "!" are fixed as they stand; every other glyph
    # shares its left edge.
    g.exact = [
        [[(0.155932, 0.333559), (0.178305, 0.333559), (0.178305, 1.0), (0.155932, 1.0)]],
        [[(0.155932, 0.0), (0.178305, 0.0), (0.178305, 0.16678), (0.155932, 0.16678)]],
    ]


@glyph('"')
def quotedbl(g):
    vbar(g, 0.0, 0.68, 1.0)
    vbar(g, 0.24, 0.68, 1.0)


@glyph("'")
def quotesingle(g):
    vbar(g, 0.0, 0.68, 1.0)


@glyph('#')
def numbersign(g):
    slant(g, (0.20, 0.0, 0), (0.34, 0.96, 0))
    slant(g, (0.48, 0.0, 0), (0.62, 0.96, 0))
    hbar(g, 0.04, 0.80, 0.22)
    hbar(g, 0.02, 0.78, 0.62)


def s_shape(g, x0, y0, x1, y1, mid, inset=0.03, t_top=28.0, t_bot=-152.0):
    """An S between y0 and y1 whose spine crosses at height mid."""
    h = g.h
    w = x1 - x0
    top = rbox(g, x0 + inset, mid - h, x1 - inset, y1, (w - 2 * inset) / 2.0, None, t_top, 270.0)
    bottom = rbox(g, x0, y0, x1, mid + h, w / 2.0, None, 90.0, t_bot)
    g.stroke(path(top, bottom))


@glyph('$', ylo=-0.10, yhi=1.04)
def dollar(g):
    s_shape(g, 0.0, 0.06, 0.64, 0.94, 0.52)
    vbar(g, 0.26, -0.10, 1.04)


def ring(g, x0, y0, x1, y1, rx=None, ry=None):
    g.loop(rbox(g, x0, y0, x1, y1, rx, ry))


@glyph('%')
def percent(g):
    ring(g, 0.0, 0.56, 0.34, 1.0)
    ring(g, 0.50, 0.0, 0.84, 0.44)
    slant(g, (0.10, 0.0, 0), (0.74, 1.0, 0))


@glyph('&')
def ampersand(g):
    # One stroke: from the tail down round the bowl, up the waist into the
    # loop, round the loop and down across the waist to the foot.
    bowl = rbox(g, 0.0, 0.0, 0.64, 0.58, None, 0.26, -25.0, -235.0)
    loop = rbox(g, 0.08, 0.56, 0.50, CAP, None, 0.21, -35.0, 215.0)
    g.stroke(path([(0.76, 0.46)], bowl, loop, [(0.80, 0.0)]), cap0='h', cap1='h')


@glyph('(', ylo=BRACKET_LO)
def parenleft(g):
    # Square ends, just inside the limits of the brackets: cut flat they
    # would run out into long wedges, the arc being nearly level there.
    cy = (BRACKET_LO + CAP) / 2.0
    g.stroke(arc(0.46, cy, 0.40, 0.58, 113.0, 247.0))


@glyph(')', ylo=BRACKET_LO)
def parenright(g):
    g.add(part(parenleft, ylo=BRACKET_LO), scale=1.0, mirror=True)


@glyph('*')
def asterisk(g):
    cx, cy, r = 0.30, 0.74, 0.22
    for a in (90.0, 30.0, 150.0):
        t = math.radians(a)
        g.stroke([(cx - r * math.cos(t), cy - r * math.sin(t)), (cx + r * math.cos(t), cy + r * math.sin(t))])


@glyph('+')
def plus(g):
    g.stroke([(0.0, AXIS), (0.68, AXIS)])
    g.stroke([(0.34, AXIS - 0.34), (0.34, AXIS + 0.34)])


def comma_shape(g, x, y):
    slant(g, (x + 0.13, y + 0.12, -1), (x + 0.03, y - 0.16, 0))


@glyph(',', ylo=-0.18)
def comma(g):
    comma_shape(g, 0.0, 0.0)


@glyph('-')
def hyphen(g):
    g.stroke([(0.0, AXIS), (0.40, AXIS)])


@glyph('.')
def period(g):
    g.rect(0.0, 0.0, g.sw, g.sw)


@glyph('/')
def slash(g):
    slant(g, (0.0, 0.0, 1), (0.52, CAP, -1))


# --- digits ------------------------------------------------------------

DW = 0.62   # width of the figures


@glyph('0')
def zero(g):
    ring(g, 0.0, 0.0, DW, g.top, None, 0.30)


@glyph('1')
def one(g):
    T = g.top
    vbar(g, 0.30, 0.0, T)
    slant(g, (0.0, 0.72 * T, 0), (0.30 + g.sw, T, -1), cap0=None)


@glyph('2')
def two(g):
    T = g.top
    h = g.h
    top = rbox(g, 0.01, 0.42 * T, DW - 0.01, T, None, 0.28 * T, 162.0, -28.0)
    g.stroke(path(top, [(h, h), (DW, h)]))
    # The acute corner's mitre would poke out to the left.
    g.erase([(-1.0, -1.0), (0.0, -1.0), (0.0, 0.5 * T), (-1.0, 0.5 * T)])


@glyph('3')
def three(g):
    T = g.top
    h = g.h
    mid = 0.54 * T
    cx = DW / 2.0
    top = rbox(g, 0.03, mid - h, DW - 0.03, T, None, None, 158.0, -90.0)
    g.stroke(path(top, [(cx - 0.10, mid)]))
    bottom = rbox(g, 0.0, 0.0, DW, mid + h, None, None, 90.0, -158.0)
    g.stroke(path([(cx - 0.10, mid)], bottom))


@glyph('4')
def four(g):
    T = g.top
    h = g.h
    bar = 0.28 * T
    stem = 0.44
    vbar(g, stem, 0.0, T)
    p, q = slant(g, (0.0, bar, 1), (stem + g.sw, T, -1))
    # The bar starts on the diagonal's left edge, so no corner sticks out.
    y = bar + g.sw
    left = at_y(p, q, y) - h / math.sin(math.atan2(q[1] - p[1], q[0] - p[0]))
    g.stroke([(left, bar + h), (stem + g.sw + 0.08, bar + h)])


@glyph('5')
def five(g):
    T = g.top
    h = g.h
    bowl_top = 0.60 * T
    bowl = rbox(g, 0.0, 0.0, DW, bowl_top, None, None, 90.0, -154.0)
    g.stroke(path([(DW - 0.04, T - h), (0.03 + h, T - h), (0.03 + h, bowl_top - h)], bowl))


@glyph('6')
def six(g):
    T = g.top
    h = g.h
    ring(g, 0.0, 0.0, DW, 0.62 * T)
    up = rbox(g, 0.0, 0.0, DW, T, None, None, 180.0, 40.0)
    g.stroke(path([(h, 0.31 * T)], up))


@glyph('7')
def seven(g):
    T = g.top
    h = g.h
    top = (DW, T, -1)
    slant(g, top, (0.10, 0.0, 0))
    g.stroke([(0.0, T - h), (DW - 0.05, T - h)])


@glyph('8')
def eight(g):
    T = g.top
    h = g.h
    mid = 0.56 * T
    ring(g, 0.03, mid - h, DW - 0.03, T)
    ring(g, 0.0, 0.0, DW, mid + h)


@glyph('9')
def nine(g):
    g.add(part(six, top=g.top), rotate=(DW / 2.0, g.top / 2.0))


@glyph(':')
def colon(g):
    g.rect(0.0, 0.0, g.sw, g.sw)
    g.rect(0.0, XH - g.sw, g.sw, XH)


@glyph(';', ylo=-0.18)
def semicolon(g):
    comma_shape(g, 0.0, 0.0)
    g.rect(0.03, XH - g.sw, 0.03 + g.sw, XH)


@glyph('<')
def less(g):
    g.stroke([(0.60, AXIS + 0.30), (0.0, AXIS), (0.60, AXIS - 0.30)], cap0='v', cap1='v')


@glyph('=')
def equal(g):
    g.stroke([(0.0, AXIS + 0.14), (0.66, AXIS + 0.14)])
    g.stroke([(0.0, AXIS - 0.14), (0.66, AXIS - 0.14)])


@glyph('>')
def greater(g):
    g.add(part(less), mirror=True)


@glyph('?')
def question(g):
    h = g.h
    hook = rbox(g, 0.0, 0.42, 0.60, CAP, None, 0.28, 160.0, -90.0)
    stem_x = hook[-1][0]
    g.stroke(path(hook, [(stem_x, 0.26)]))
    g.rect(stem_x - h, 0.0, stem_x + h, g.sw)


@glyph('@', ylo=-0.16, yhi=CAP)
def at(g):
    h = g.h
    ring(g, 0.28, 0.12, 0.68, 0.66, None, 0.22)
    outer = rbox(g, 0.0, -0.16, 1.02, CAP, None, 0.46, 0.0, 300.0)
    stem_x = 0.68 - h
    right = outer[0][0]
    r = (right - stem_x) / 2.0
    cy = 0.12 + h + 0.12
    hook = arc(stem_x + r, cy, r, 0.12, 180.0, 360.0)
    g.stroke(path([(stem_x, 0.66)], hook, outer))


# --- capitals ----------------------------------------------------------

AW = 0.80


@glyph('A')
def cap_a(g):
    T = g.top
    apex = (AW / 2.0, T, 0)
    l0, l1 = slant(g, (0.0, 0.0, 1), apex)
    r0, r1 = slant(g, (AW, 0.0, -1), apex)
    y = 0.30 * T
    g.stroke([(at_y(l0, l1, y + g.h), y + g.h), (at_y(r0, r1, y + g.h), y + g.h)])


@glyph('B')
def cap_b(g):
    T = g.top
    h = g.h
    mid = BAR * T
    vbar(g, 0.0, 0.0, T)
    top = rbox(g, -0.2, mid - h, 0.62, T, 0.30, 0.24 * T, 90.0, -90.0)
    g.stroke(path([(h, T - h)], top, [(h, mid)]))
    bottom = rbox(g, -0.2, 0.0, 0.68, mid + h, 0.32, 0.26 * T, 90.0, -90.0)
    g.stroke(path([(h, mid)], bottom, [(h, h)]))


@glyph('C')
def cap_c(g):
    T = g.top
    g.stroke(rbox(g, 0.0, 0.0, 0.74, T, None, ROUND * T, 38.0, 322.0))


@glyph('D')
def cap_d(g):
    T = g.top
    h = g.h
    vbar(g, 0.0, 0.0, T)
    side = rbox(g, -0.3, 0.0, 0.74, T, 0.38, ROUND * T, 90.0, -90.0)
    g.stroke(path([(h, T - h)], side, [(h, h)]))


def e_bars(g, width, middle=True, bottom=True):
    T = g.top
    h = g.h
    vbar(g, 0.0, 0.0, T)
    g.stroke([(h, T - h), (width, T - h)])
    if middle:
        g.stroke([(h, BAR * T), (width - 0.06, BAR * T)])
    if bottom:
        g.stroke([(h, h), (width, h)])


@glyph('E')
def cap_e(g):
    e_bars(g, 0.60)


@glyph('F')
def cap_f(g):
    e_bars(g, 0.58, bottom=False)


@glyph('G')
def cap_g(g):
    T = g.top
    h = g.h
    w = 0.76
    bar = 0.48 * T
    body = rbox(g, 0.0, 0.0, w, T, None, ROUND * T, 38.0, 360.0)
    g.stroke(path(body, [(w - h, bar - h), (0.44, bar - h)]))


@glyph('H')
def cap_h(g):
    T = g.top
    vbar(g, 0.0, 0.0, T)
    vbar(g, 0.72 - g.sw, 0.0, T)
    g.stroke([(g.h, BAR * T), (0.72 - g.h, BAR * T)])


@glyph('I')
def cap_i(g):
    vbar(g, 0.0, 0.0, g.top)


@glyph('J')
def cap_j(g):
    T = g.top
    h = g.h
    w = 0.58
    hook = rbox(g, 0.0, 0.0, w, T, None, 0.28 * T, 0.0, -162.0)
    g.stroke(path([(w - h, T)], hook))


@glyph('K')
def cap_k(g):
    T = g.top
    h = g.h
    vbar(g, 0.0, 0.0, T)
    a0, a1 = slant(g, (0.70, T, -1), (h, 0.30 * T, 0), cap1=None)
    y = 0.55 * T
    slant(g, (at_y(a0, a1, y), y, 0), (0.72, 0.0, -1), cap0=None)


@glyph('L')
def cap_l(g):
    T = g.top
    vbar(g, 0.0, 0.0, T)
    g.stroke([(g.h, g.h), (0.56, g.h)])


@glyph('M')
def cap_m(g):
    T = g.top
    h = g.h
    w = 0.90
    vbar(g, 0.0, 0.0, T)
    vbar(g, w - g.sw, 0.0, T)
    g.stroke([(h + 0.02, T), (w / 2.0, 0.26 * T), (w - h - 0.02, T)], cap0='h', cap1='h')


@glyph('N')
def cap_n(g):
    T = g.top
    w = 0.74
    vbar(g, 0.0, 0.0, T)
    vbar(g, w - g.sw, 0.0, T)
    slant(g, (0.0, T, 1), (w, 0.0, -1))


@glyph('O')
def cap_o(g):
    ring(g, 0.0, 0.0, 0.82, g.top, None, ROUND * g.top)


@glyph('Q')
def cap_q(g):
    cap_o(g)
    slant(g, (0.50, 0.26, 0), (0.84, 0.0, -1), cap0=None)


@glyph('P')
def cap_p(g):
    T = g.top
    h = g.h
    low = 0.42 * T
    vbar(g, 0.0, 0.0, T)
    bowl = rbox(g, -0.2, low, 0.66, T, 0.30, 0.26 * T, 90.0, -90.0)
    g.stroke(path([(h, T - h)], bowl, [(h, low + h)]))


@glyph('R')
def cap_r(g):
    cap_p(g)
    slant(g, (0.36, 0.42 * g.top + g.h, 0), (0.70, 0.0, -1), cap0=None)


@glyph('S')
def cap_s(g):
    s_shape(g, 0.0, 0.0, 0.68, g.top, BAR * g.top)


@glyph('T')
def cap_t(g):
    T = g.top
    w = 0.72
    g.stroke([(0.0, T - g.h), (w, T - g.h)])
    vbar(g, (w - g.sw) / 2.0, 0.0, T)


@glyph('U')
def cap_u(g):
    T = g.top
    h = g.h
    w = 0.72
    cup = rbox(g, 0.0, 0.0, w, T, None, 0.34 * T, 180.0, 360.0)
    g.stroke(path([(h, T)], cup, [(w - h, T)]))


@glyph('V')
def cap_v(g):
    T = g.top
    slant(g, (0.0, T, 1), (AW / 2.0, 0.0, 0))
    slant(g, (AW, T, -1), (AW / 2.0, 0.0, 0))


@glyph('W')
def cap_w(g):
    T = g.top
    w = 1.0
    slant(g, (0.0, T, 1), (0.25, 0.0, 0))
    slant(g, (w / 2.0, 0.78 * T, 0), (0.25, 0.0, 0))
    slant(g, (w / 2.0, 0.78 * T, 0), (w - 0.25, 0.0, 0))
    slant(g, (w, T, -1), (w - 0.25, 0.0, 0))


@glyph('X')
def cap_x(g):
    T = g.top
    w = 0.76
    slant(g, (0.0, 0.0, 1), (w, T, -1))
    slant(g, (0.0, T, 1), (w, 0.0, -1))


@glyph('Y')
def cap_y(g):
    T = g.top
    w = 0.78
    fork = (w / 2.0, 0.44 * T)
    slant(g, (0.0, T, 1), (fork[0], fork[1], 0), cap1=None)
    slant(g, (w, T, -1), (fork[0], fork[1], 0), cap1=None)
    g.stroke([(fork[0], 0.0), (fork[0], fork[1] + 0.02)])


@glyph('Z')
def cap_z(g):
    T = g.top
    w = 0.68
    slant(g, (w, T, -1), (0.0, 0.0, 1))
    g.stroke([(0.02, T - g.h), (w, T - g.h)])
    g.stroke([(0.0, g.h), (w, g.h)])


# --- brackets and accents ----------------------------------------------

@glyph('[', ylo=BRACKET_LO)
def bracketleft(g):
    h = g.h
    g.stroke([(0.32, CAP - h), (h, CAP - h), (h, BRACKET_LO + h), (0.32, BRACKET_LO + h)])


@glyph('\\')
def backslash(g):
    g.add(part(slash), mirror=True)


@glyph(']', ylo=BRACKET_LO)
def bracketright(g):
    g.add(part(bracketleft, ylo=BRACKET_LO), mirror=True)


@glyph('^')
def asciicircum(g):
    slant(g, (0.0, 0.52, 1), (0.32, CAP, 0))
    slant(g, (0.64, 0.52, -1), (0.32, CAP, 0))


@glyph('_', ylo=-0.2, yhi=0.0)
def underscore(g):
    g.rect(0.0, -0.04 - g.sw, 0.64, -0.04)


@glyph('`')
def grave(g):
    g.stroke([(0.04, 0.98), (0.22, 0.80)])


@glyph('{', ylo=BRACKET_LO)
def braceleft(g):
    h = g.h
    mid = (CAP + BRACKET_LO) / 2.0
    x = 0.16 + h
    r = 0.12
    upper = path([(0.40, CAP - h)], arc(x + r, CAP - h - r, r, r, 90.0, 180.0),
                 arc(x - r, mid + r, r, r, 0.0, -90.0), [(0.0, mid)])
    lower = path([(0.0, mid)], arc(x - r, mid - r, r, r, 90.0, 0.0),
                 arc(x + r, BRACKET_LO + h + r, r, r, 180.0, 270.0), [(0.40, BRACKET_LO + h)])
    g.stroke(upper)
    g.stroke(lower)


@glyph('|', ylo=BRACKET_LO)
def bar(g):
    vbar(g, 0.0, BRACKET_LO, CAP)


@glyph('}', ylo=BRACKET_LO)
def braceright(g):
    g.add(part(braceleft, ylo=BRACKET_LO), mirror=True)


@glyph('~')
def asciitilde(g):
    rx, ry = 0.16, 0.10
    left = arc(rx, AXIS, rx, ry, 155.0, 0.0)
    right = arc(3 * rx, AXIS, rx, ry, 180.0, 335.0)
    g.stroke(path(left, right))


# --- lower case --------------------------------------------------------

@glyph('a', top=XH)
def lc_a(g):
    T = g.top
    h = g.h
    w = 0.58
    bowl_top = 0.58 * T
    arch = rbox(g, 0.02, 0.0, w, T, None, ROUND * T, 0.0, 158.0)
    g.stroke(path([(w - h, 0.0)], arch))
    stem_bowl(g, 0.0, w, 0.0, bowl_top, 0.28 * T, stem_left=False)


def stem_bowl(g, x0, x1, y0, y1, ry, stem_left=True):
    """A bowl closed by a straight stem side: the stem's centre line runs
    along x0 (stem_left) or x1, the round side fills the rest."""
    h = g.h
    rx = min(0.31, x1 - x0 - h)
    if stem_left:
        side = rbox(g, x1 - 2 * rx, y0, x1, y1, rx, ry, 90.0, -90.0)
        sx = x0 + h
    else:
        side = rbox(g, x0, y0, x0 + 2 * rx, y1, rx, ry, 90.0, 270.0)
        sx = x1 - h
    g.stroke(path([(sx, y1 - h)], side, [(sx, y0 + h)]))


def bowl_with_stem(g, w, stem_left, y0, y1):
    T = g.top
    stem_bowl(g, 0.0, w, 0.0, T, ROUND * T, stem_left)
    vbar(g, 0.0 if stem_left else w - g.sw, y0, y1)


@glyph('b', top=XH)
def lc_b(g):
    bowl_with_stem(g, 0.62, True, 0.0, CAP)


@glyph('c', top=XH)
def lc_c(g):
    g.stroke(rbox(g, 0.0, 0.0, 0.58, g.top, None, ROUND * g.top, 42.0, 318.0))


@glyph('d', top=XH)
def lc_d(g):
    bowl_with_stem(g, 0.62, False, 0.0, CAP)


@glyph('e', top=XH)
def lc_e(g):
    T = g.top
    h = g.h
    w = 0.62
    bar = 0.40 * T
    body = rbox(g, 0.0, 0.0, w, T, None, ROUND * T, 0.0, 322.0)
    g.stroke(path([(h, bar), (w - h, bar)], body))


@glyph('f')
def lc_f(g):
    h = g.h
    stem = 0.10 + h
    top = rbox(g, 0.10, 0.0, 0.50, CAP, None, 0.22, 180.0, 48.0)
    g.stroke(path([(stem, 0.0)], top))
    g.stroke([(0.0, XH - h), (0.40, XH - h)])


@glyph('g', ylo=DSC, top=XH)
def lc_g(g):
    T = g.top
    h = g.h
    w = 0.62
    hook = rbox(g, 0.0, DSC, w, T, None, 0.24, 0.0, -160.0)
    g.stroke(path([(w - h, T)], hook))
    stem_bowl(g, 0.0, w, 0.0, T, ROUND * T, stem_left=False)


def arch(g, x0, x1, T, stem_bottom=0.0, a1=0.0):
    h = g.h
    top = rbox(g, x0, 0.0, x1, T, None, ROUND * T, 180.0, a1)
    pts = path([(x0 + h, top[0][1])], top)
    if a1 == 0.0:
        pts = path(pts, [(x1 - h, stem_bottom)])
    return pts


@glyph('h', top=XH)
def lc_h(g):
    vbar(g, 0.0, 0.0, CAP)
    g.stroke(arch(g, 0.0, 0.58, g.top))


@glyph('i')
def lc_i(g):
    vbar(g, 0.0, 0.0, XH)
    g.dot(g.h, IDOT)


@glyph('j', ylo=DSC)
def lc_j(g):
    h = g.h
    x = 0.30
    hook = rbox(g, 0.0, DSC, x + g.sw, XH, None, 0.22, 0.0, -150.0)
    g.stroke(path([(x + h, XH)], hook))
    g.dot(x + h, IDOT)


@glyph('k')
def lc_k(g):
    h = g.h
    vbar(g, 0.0, 0.0, CAP)
    a0, a1 = slant(g, (0.58, XH, -1), (h, 0.20, 0), cap1=None)
    y = 0.42
    slant(g, (at_y(a0, a1, y), y, 0), (0.60, 0.0, -1), cap0=None)


@glyph('l')
def lc_l(g):
    h = g.h
    tail = rbox(g, 0.0, 0.0, 0.40, 0.5, 0.20, 0.20, 180.0, 270.0)
    g.stroke(path([(h, CAP)], tail, [(0.30, h)]))


@glyph('m', top=XH)
def lc_m(g):
    vbar(g, 0.0, 0.0, g.top)
    g.stroke(arch(g, 0.0, 0.50, g.top))
    g.stroke(arch(g, 0.50 - g.sw, 0.98 - g.sw, g.top))


@glyph('n', top=XH)
def lc_n(g):
    vbar(g, 0.0, 0.0, g.top)
    g.stroke(arch(g, 0.0, 0.58, g.top))


@glyph('o', top=XH)
def lc_o(g):
    ring(g, 0.0, 0.0, 0.64, g.top, None, ROUND * g.top)


@glyph('p', ylo=DSC, top=XH)
def lc_p(g):
    bowl_with_stem(g, 0.62, True, DSC, XH)


@glyph('q', ylo=DSC, top=XH)
def lc_q(g):
    bowl_with_stem(g, 0.62, False, DSC, XH)


@glyph('r', top=XH)
def lc_r(g):
    vbar(g, 0.0, 0.0, g.top)
    g.stroke(arch(g, 0.0, 0.52, g.top, a1=45.0))


@glyph('s', top=XH)
def lc_s(g):
    s_shape(g, 0.0, 0.0, 0.56, g.top, 0.52 * g.top, inset=0.02)


@glyph('t')
def lc_t(g):
    h = g.h
    stem = 0.10 + h
    tail = rbox(g, 0.10, 0.0, 0.50, 0.5, 0.20, 0.20, 180.0, 270.0)
    g.stroke(path([(stem, 0.92)], tail, [(0.40, h)]))
    g.stroke([(0.0, XH - h), (0.40, XH - h)])


@glyph('u', top=XH)
def lc_u(g):
    g.add(part(lc_n, top=g.top), rotate=(0.29, g.top / 2.0))


@glyph('v')
def lc_v(g):
    w = 0.64
    slant(g, (0.0, XH, 1), (w / 2.0, 0.0, 0))
    slant(g, (w, XH, -1), (w / 2.0, 0.0, 0))


@glyph('w')
def lc_w(g):
    w = 0.94
    slant(g, (0.0, XH, 1), (0.24, 0.0, 0))
    slant(g, (w / 2.0, XH, 0), (0.24, 0.0, 0))
    slant(g, (w / 2.0, XH, 0), (w - 0.24, 0.0, 0))
    slant(g, (w, XH, -1), (w - 0.24, 0.0, 0))


@glyph('x')
def lc_x(g):
    w = 0.62
    slant(g, (0.0, 0.0, 1), (w, XH, -1))
    slant(g, (0.0, XH, 1), (w, 0.0, -1))


@glyph('y', ylo=DSC)
def lc_y(g):
    w = 0.64
    p, q = slant(g, (w, XH, -1), (0.10, DSC, 0))
    slant(g, (0.0, XH, 1), (at_y(p, q, 0.0), 0.0, 0))


@glyph('z')
def lc_z(g):
    w = 0.56
    slant(g, (w, XH, -1), (0.0, 0.0, 1))
    g.stroke([(0.02, XH - g.h), (w, XH - g.h)])
    g.stroke([(0.0, g.h), (w, g.h)])


# --- Latin-1 extras ----------------------------------------------------

@glyph('\u00b1')
def plusminus(g):
    cy = 0.58
    g.stroke([(0.0, cy), (0.68, cy)])
    g.stroke([(0.34, cy - 0.30), (0.34, cy + 0.30)])
    g.stroke([(0.0, g.h), (0.68, g.h)])


SUP_SCALE = 0.56
SUP_Y = CAP - SUP_SCALE


@glyph('\u00b2')
def twosuperior(g):
    small(g, two, 0.0, SUP_Y, SUP_SCALE)


@glyph('\u00b3')
def threesuperior(g):
    small(g, three, 0.0, SUP_Y, SUP_SCALE)


@glyph('\u00ba')
def ordmasculine(g):
    small(g, lc_o_small, 0.0, 0.44, 0.80)
    g.rect(0.0, 0.30, 0.64 * 0.80, 0.30 + SW_SMALL)


def lc_o_small(g):
    ring(g, 0.0, 0.0, 0.64, XH, None, ROUND * XH)


FRAC_SCALE = 0.50


def fraction(g, upper, lower):
    small(g, upper, 0.0, CAP - FRAC_SCALE * CAP, FRAC_SCALE)
    small(g, lower, 0.64, 0.0, FRAC_SCALE)
    slant(g, (0.20, 0.0, 0), (0.78, CAP, 0), sw=SW_SMALL)


@glyph('\u00bc')
def onequarter(g):
    fraction(g, one, four)


@glyph('\u00bd')
def onehalf(g):
    fraction(g, one, two)


@glyph('\u00be')
def threequarters(g):
    fraction(g, three, four)


def umlaut(g, base, top, dot_y, spread):
    b = part(base, top=top, ylo=-1.0)
    g.add(b)
    minx, _, maxx, _ = b.outline_shape().bounds
    cx = (minx + maxx) / 2.0
    g.dot(cx - spread / 2.0, dot_y)
    g.dot(cx + spread / 2.0, dot_y)


@glyph('\u00c4', yhi=1.05)
def cap_a_uml(g):
    umlaut(g, cap_a, UMLAUT_CAP, UDOT, 0.30)


@glyph('\u00d6', yhi=1.05)
def cap_o_uml(g):
    umlaut(g, cap_o, UMLAUT_CAP, UDOT, 0.30)


@glyph('\u00dc', yhi=1.05)
def cap_u_uml(g):
    umlaut(g, cap_u, UMLAUT_CAP, UDOT, 0.30)


@glyph('\u00e4')
def lc_a_uml(g):
    umlaut(g, lc_a, XH, IDOT, 0.26)


@glyph('\u00f6')
def lc_o_uml(g):
    umlaut(g, lc_o, XH, IDOT, 0.26)


@glyph('\u00fc')
def lc_u_uml(g):
    umlaut(g, lc_u, XH, IDOT, 0.26)


@glyph('\u00df')
def germandbls(g):
    h = g.h
    mid = 0.58
    vbar(g, 0.0, 0.0, 0.78)
    top = rbox(g, 0.0, mid - h, 0.56, CAP, None, 0.24, 180.0, -90.0)
    g.stroke(path([(h, 0.70)], top))
    # The lower bowl starts where the upper one ends, as a stroke of its own:
    # one stroke turning back on itself would bulge at the turn.
    bottom = rbox(g, -0.08, 0.0, 0.64, mid + h, 0.36, 0.26, 90.0, -90.0)
    g.stroke(path(bottom, [(0.22, h)]))
