#include "contracts/data/zun_outline.h"

#include "contracts/base/zun_math.h"
#include "contracts/data/zun_msg.h"
#include "contracts/data/zun_units.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ZUN {

namespace {

// Pieces shorter than this are left out, so that a radius or chamfer of
// exactly the limit (a round rectangle as wide as it is high, say) leaves
// no zero-length vertex behind.
constexpr double kTiny = 1e-12;

// Builds a closed polyline piece by piece from its start point.
class Path {
public:
    explicit Path(double x, double y) : m_first(x, y), m_cur(x, y) {}

    Path& line(double x, double y) { return to(CZunPoint3d(x, y), 0.0); }

    // An arc about centre from the current point sweeping `sweep` radians
    // (positive counter-clockwise). Arcs beyond a half turn are split:
    // bulges above 1 grow without bound and lose precision.
    Path& arc(double cx, double cy, double sweep)
    {
        const CZunPoint3d c(cx, cy);
        const double r = m_cur.distanceTo(c);
        if (r <= kTiny)
            return *this;
        const double a0 = std::atan2(m_cur.y - cy, m_cur.x - cx);
        const int n = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / kPi - 1e-9)));
        const double bulge = std::tan(sweep / n / 4.0);
        for (int k = 1; k <= n; ++k)
            to(polar(c, a0 + sweep * k / n, r), bulge);
        return *this;
    }

    Path& to(const CZunPoint3d& p, double bulge)
    {
        if (!p.isEqualTo(m_cur, kTiny))
            m_vl.append(m_cur, p, bulge);
        m_cur = p;
        return *this;
    }

    // Back to the start; an arc that ends there already only has its last
    // point snapped onto the first, so that the polyline closes exactly.
    CZunVertexArray close()
    {
        if (m_cur.isEqualTo(m_first, 1e-9 * (1.0 + m_first.abs())) && !m_vl.isEmpty())
            m_vl[-1].setEnd(m_first);
        else
            m_vl.append(m_cur, m_first, 0.0);
        return m_vl;
    }

private:
    CZunPoint3d m_first;
    CZunPoint3d m_cur;
    CZunVertexArray m_vl;
};

// Bulge of the arc from p0 to p1 through pm: half the arc's angle is
// pi minus the angle the chord subtends at pm.
double bulgeThrough(const CZunPoint3d& p0, const CZunPoint3d& pm, const CZunPoint3d& p1)
{
    const CZunVector3d u = p0 - pm;
    const CZunVector3d v = p1 - pm;
    const double inscribed = std::atan2(std::abs(u.x * v.y - u.y * v.x), u.x * v.x + u.y * v.y);
    const CZunVector3d chord = p1 - p0;
    const CZunVector3d side = pm - p0;
    const double sign = chord.x * side.y - chord.y * side.x < 0.0 ? 1.0 : -1.0;
    return sign * std::tan((kPi - inscribed) / 2.0);
}

CZunVertexArray circle(double r)
{
    return Path(r, 0.0).arc(0.0, 0.0, 2.0 * kPi).close();
}

CZunVertexArray roundRect(double b, double h, double r)
{
    const double x = b / 2.0, y = h / 2.0;
    return Path(-x + r, -y)
        .line(x - r, -y)
        .arc(x - r, -y + r, kPi / 2.0)
        .line(x, y - r)
        .arc(x - r, y - r, kPi / 2.0)
        .line(-x + r, y)
        .arc(-x + r, y - r, kPi / 2.0)
        .line(-x, -y + r)
        .arc(-x + r, -y + r, kPi / 2.0)
        .close();
}

CZunVertexArray polygon(const std::vector<CZunPoint3d>& pts)
{
    Path path(pts.front().x, pts.front().y);
    for (size_t i = 1; i < pts.size(); ++i)
        path.line(pts[i].x, pts[i].y);
    return path.close();
}

// The shapes. Each gets its parameters checked for count and sign and in
// the drawing unit, checks what only it knows, and builds its contours about
// its own reference point.
using Builder = bool (*)(const double* p, CZunContourSet& out);

bool buildRect(const double* p, CZunContourSet& out)
{
    out.append(roundRect(p[0], p[1], 0.0));
    return true;
}

bool buildCircle(const double* p, CZunContourSet& out)
{
    out.append(circle(p[0] / 2.0));
    return true;
}

bool buildSlot(const double* p, CZunContourSet& out)
{
    const double len = p[0], r = p[1] / 2.0;
    if (len < p[1])
        return false;
    const double a = len / 2.0 - r;
    out.append(Path(-a, -r).line(a, -r).arc(a, 0.0, kPi).line(-a, r).arc(-a, 0.0, kPi).close());
    return true;
}

bool buildRoundRect(const double* p, CZunContourSet& out)
{
    if (p[2] > std::min(p[0], p[1]) / 2.0)
        return false;
    out.append(roundRect(p[0], p[1], p[2]));
    return true;
}

bool buildSquare(const double* p, CZunContourSet& out)
{
    out.append(roundRect(p[0], p[0], 0.0));
    return true;
}

bool buildTriangle(const double* p, CZunContourSet& out)
{
    const double b = p[0], h = p[1];
    const double apex = isNan(p[2]) ? b / 2.0 : p[2];
    out.append(polygon({{0, 0}, {b, 0}, {apex, h}}));
    return true;
}

bool buildTrapezoid(const double* p, CZunContourSet& out)
{
    const double b1 = p[0] / 2.0, b2 = p[1] / 2.0, h = p[2], e = p[3];
    out.append(polygon({{-b1, 0}, {b1, 0}, {e + b2, h}, {e - b2, h}}));
    return true;
}

bool buildPolygon(const double* p, CZunContourSet& out)
{
    const double n = p[0];
    if (n != std::round(n) || n < 3 || n > 1000)
        return false;
    const int sides = static_cast<int>(n);
    // A flat side at the bottom, as such parts lie on a table.
    const double start = -kPi / 2.0 - kPi / sides;
    std::vector<CZunPoint3d> pts;
    for (int k = 0; k < sides; ++k)
        pts.push_back(polar(CZunPoint3d::kOrigin, start + 2.0 * kPi * k / sides, p[1] / 2.0));
    out.append(polygon(pts));
    return true;
}

bool buildHexagon(const double* p, CZunContourSet& out)
{
    const double r = p[0] / std::sqrt(3.0);
    std::vector<CZunPoint3d> pts;
    for (int k = 0; k < 6; ++k)
        pts.push_back(polar(CZunPoint3d::kOrigin, k * kPi / 3.0, r));
    // The flats at top and bottom are exactly across flats apart.
    pts[1].y = pts[2].y = p[0] / 2.0;
    pts[4].y = pts[5].y = -p[0] / 2.0;
    out.append(polygon(pts));
    return true;
}

// Sixteen arcs, each through three points of the ellipse. The arcs sit
// symmetrically about the axes' ends, so that the extents are exact.
bool buildEllipse(const double* p, CZunContourSet& out)
{
    constexpr int kArcs = 16;
    const double a = p[0] / 2.0, b = p[1] / 2.0;
    auto at = [&](double t) { return CZunPoint3d(a * std::cos(t), b * std::sin(t)); };
    const double half = kPi / kArcs;
    const CZunPoint3d first = at(-half);
    Path path(first.x, first.y);
    for (int i = 0; i < kArcs; ++i) {
        const double t = 2.0 * kPi * i / kArcs;
        path.to(at(t + half), bulgeThrough(at(t - half), at(t), at(t + half)));
    }
    out.append(path.close());
    return true;
}

bool buildHalfCircle(const double* p, CZunContourSet& out)
{
    const double r = p[0] / 2.0;
    out.append(Path(-r, 0.0).line(r, 0.0).arc(0.0, 0.0, kPi).close());
    return true;
}

bool buildSector(const double* p, CZunContourSet& out)
{
    if (p[1] >= 2.0 * kPi - 1e-12)
        return false;
    out.append(Path(0.0, 0.0).line(p[0], 0.0).arc(0.0, 0.0, p[1]).close());
    return true;
}

bool buildChamferRect(const double* p, CZunContourSet& out)
{
    const double x = p[0] / 2.0, y = p[1] / 2.0, c = p[2];
    if (c > std::min(x, y))
        return false;
    out.append(polygon({{-x + c, -y}, {x - c, -y}, {x, -y + c}, {x, y - c}, {x - c, y}, {-x + c, y}, {-x, y - c},
                        {-x, -y + c}}));
    return true;
}

bool buildCross(const double* p, CZunContourSet& out)
{
    const double x = p[0] / 2.0, y = p[1] / 2.0, t = p[2] / 2.0;
    if (t >= x || t >= y)
        return false;
    out.append(polygon({{-t, -y}, {t, -y}, {t, -t}, {x, -t}, {x, t}, {t, t}, {t, y}, {-t, y}, {-t, t}, {-x, t},
                        {-x, -t}, {-t, -t}}));
    return true;
}

bool buildAngle(const double* p, CZunContourSet& out)
{
    const double h = p[0], b = p[1], t = p[2];
    if (t >= h || t >= b)
        return false;
    out.append(polygon({{0, 0}, {b, 0}, {b, t}, {t, t}, {t, h}, {0, h}}));
    return true;
}

bool buildChannel(const double* p, CZunContourSet& out)
{
    const double h = p[0], b = p[1], s = p[2], t = p[3];
    if (s >= b || 2.0 * t >= h)
        return false;
    const double x = b / 2.0, y = h / 2.0;
    out.append(polygon({{-x, -y}, {x, -y}, {x, -y + t}, {-x + s, -y + t}, {-x + s, y - t}, {x, y - t}, {x, y},
                        {-x, y}}));
    return true;
}

bool buildTee(const double* p, CZunContourSet& out)
{
    const double x = p[0] / 2.0, y = p[1] / 2.0, s = p[2] / 2.0, t = p[3];
    if (s >= x || t >= p[1])
        return false;
    out.append(polygon({{-s, -y}, {s, -y}, {s, y - t}, {x, y - t}, {x, y}, {-x, y}, {-x, y - t}, {-s, y - t}}));
    return true;
}

bool buildBeam(const double* p, CZunContourSet& out)
{
    const double x = p[1] / 2.0, y = p[0] / 2.0, s = p[2] / 2.0, t = p[3], r = p[4];
    if (s >= x || t >= y || r > x - s || r > y - t)
        return false;
    // The root radii are concave: they turn clockwise on the way round.
    const double q = -kPi / 2.0;
    out.append(Path(-x, -y)
                   .line(x, -y)
                   .line(x, -y + t)
                   .line(s + r, -y + t)
                   .arc(s + r, -y + t + r, q)
                   .line(s, y - t - r)
                   .arc(s + r, y - t - r, q)
                   .line(x, y - t)
                   .line(x, y)
                   .line(-x, y)
                   .line(-x, y - t)
                   .line(-s - r, y - t)
                   .arc(-s - r, y - t - r, q)
                   .line(-s, -y + t + r)
                   .arc(-s - r, -y + t + r, q)
                   .line(-x, -y + t)
                   .close());
    return true;
}

bool buildZed(const double* p, CZunContourSet& out)
{
    const double h = p[0], b = p[1], t = p[2];
    if (t >= b || 2.0 * t >= h)
        return false;
    const double y = h / 2.0, w = t / 2.0;
    out.append(polygon({{w - b, -y}, {w, -y}, {w, y - t}, {b - w, y - t}, {b - w, y}, {-w, y}, {-w, -y + t},
                        {w - b, -y + t}}));
    return true;
}

bool buildLipped(const double* p, CZunContourSet& out)
{
    const double h = p[0], b = p[1], c = p[2], t = p[3];
    if (2.0 * t >= b || c <= t || 2.0 * c >= h)
        return false;
    const double x = b / 2.0, y = h / 2.0;
    out.append(polygon({{-x, -y}, {x, -y}, {x, -y + c}, {x - t, -y + c}, {x - t, -y + t}, {-x + t, -y + t},
                        {-x + t, y - t}, {x - t, y - t}, {x - t, y - c}, {x, y - c}, {x, y}, {-x, y}}));
    return true;
}

bool buildParallelogram(const double* p, CZunContourSet& out)
{
    const double b = p[0], h = p[1], degrees = p[2];
    if (degrees >= 180.0)
        return false;
    // At a right angle the shift is exactly nothing: cos(pi/2) is not.
    const double a = degrees * kPi / 180.0;
    const double dx = degrees == 90.0 ? 0.0 : h * std::cos(a) / std::sin(a);
    out.append(polygon({{0, 0}, {b, 0}, {b + dx, h}, {dx, h}}));
    return true;
}

bool buildPipe(const double* p, CZunContourSet& out)
{
    const double r = p[0] / 2.0, t = p[1];
    if (t >= r)
        return false;
    out.append(circle(r));
    out.append(circle(r - t).revert());
    return true;
}

bool buildHollowRect(const double* p, CZunContourSet& out)
{
    const double b = p[0], h = p[1], t = p[2], r = p[3];
    const double small = std::min(b, h);
    if (2.0 * t >= small || r > small / 2.0)
        return false;
    out.append(roundRect(b, h, r));
    out.append(roundRect(b - 2.0 * t, h - 2.0 * t, std::max(r - t, 0.0)).revert());
    return true;
}

bool buildKeyhole(const double* p, CZunContourSet& out)
{
    const double R = p[0] / 2.0, w = p[1] / 2.0, len = p[2];
    if (w >= R)
        return false;
    const double yj = std::sqrt(R * R - w * w);
    if (len < yj)
        return false;
    const double beta = std::asin(w / R);
    out.append(Path(w, -yj).arc(0.0, 0.0, 2.0 * kPi - 2.0 * beta).line(-w, -len).arc(0.0, -len, kPi).close());
    return true;
}

// ---- the catalogue ------------------------------------------------------------

enum class Kind { Length, Angle, Count, Degrees };

struct Keyword {
    const wchar_t* name;
    double value;
};

struct ParmDef {
    const wchar_t* symbol;
    const wchar_t* label;
    const wchar_t* minus;  // name for a negative value; null: the value has no sign
    Kind kind;
    double range100;   // default for range "100"; lengths scale with the range
    bool optional;     // may be missing (its default applies) or zero
    double missing;    // value used when missing; NaN lets the shape decide
    std::vector<Keyword> keywords;
};

struct OutlineDef {
    int key;
    int code;
    int txtGen;
    const wchar_t* label;
    const wchar_t* symbol;  // profile symbol for descriptions ("L", "I"); null: the name
    Builder build;
    std::vector<ParmDef> parms;
};

ParmDef len(const wchar_t* symbol, const wchar_t* label, double range100)
{
    return {symbol, label, nullptr, Kind::Length, range100, false, 0.0, {}};
}

ParmDef opt(const wchar_t* symbol, const wchar_t* label, double range100, double missing = 0.0)
{
    return {symbol, label, nullptr, Kind::Length, range100, true, missing, {}};
}

ParmDef sgn(const wchar_t* symbol, const wchar_t* label, const wchar_t* minus, double range100, double missing)
{
    return {symbol, label, minus, Kind::Length, range100, true, missing, {}};
}

// Common angles by name; only those below the shape's limit.
std::vector<Keyword> angleKeywords(double limitDegrees)
{
    std::vector<Keyword> k;
    for (const auto& [name, degrees] : {std::pair{L"30\u00B0", 30.0}, std::pair{L"45\u00B0", 45.0},
                                        std::pair{L"60\u00B0", 60.0}, std::pair{L"90\u00B0", 90.0},
                                        std::pair{L"120\u00B0", 120.0}, std::pair{L"180\u00B0", 180.0}})
        if (degrees < limitDegrees)
            k.push_back({name, degrees * kPi / 180.0});
    return k;
}

const wchar_t* const kWidth = L"\\de:Breite\\en:Width";
const wchar_t* const kHeight = L"\\de:H\u00F6he\\en:Height";
const wchar_t* const kDiameter = L"\\de:Durchmesser\\en:Diameter";
const wchar_t* const kThickness = L"\\de:Dicke\\en:Thickness";
const wchar_t* const kWeb = L"\\de:Stegdicke\\en:Web thickness";
const wchar_t* const kFlange = L"\\de:Flanschdicke\\en:Flange thickness";
const wchar_t* const kFlangeWidth = L"\\de:Flanschbreite\\en:Flange width";

const std::vector<OutlineDef>& catalogue()
{
    static const std::vector<OutlineDef> defs = [] {
        std::vector<OutlineDef> d;
        const int basic = kOutlCodeBasic, ext = kOutlCodeExtended, special = kOutlCodeSpecial,
                  machining = kOutlCodeMachining;
        d.push_back({kOutlRect, basic | machining, 3, L"\\de:Rechteck\\en:Rectangle", nullptr, buildRect,
                     {len(L"b", kWidth, 200.0), len(L"h", kHeight, 100.0)}});
        d.push_back({kOutlCircle, basic | machining, 3, L"\\de:Kreis\\en:Circle", L"\u00D8", buildCircle,
                     {len(L"d", kDiameter, 100.0)}});
        d.push_back({kOutlSlot, machining, 2, L"\\de:Langloch\\en:Slot", nullptr, buildSlot,
                     {len(L"l", L"\\de:L\u00E4nge\\en:Length", 200.0), len(L"b", kWidth, 50.0)}});
        d.push_back({kOutlRoundRect, basic | machining, 3, L"\\de:Rechteck gerundet\\en:Rounded rectangle", nullptr,
                     buildRoundRect,
                     {len(L"b", kWidth, 200.0), len(L"h", kHeight, 100.0),
                      opt(L"r", L"\\de:Eckradius\\en:Corner radius", 20.0)}});
        d.push_back({kOutlSquare, basic, 3, L"\\de:Quadrat\\en:Square", nullptr, buildSquare,
                     {len(L"a", L"\\de:Seitenl\u00E4nge\\en:Side", 100.0)}});
        d.push_back({kOutlTriangle, basic, 3, L"\\de:Dreieck\\en:Triangle", nullptr, buildTriangle,
                     {len(L"b", L"\\de:Grundseite\\en:Base", 200.0), len(L"h", kHeight, 150.0),
                      sgn(L"a", L"\\de:Versatz Spitze\\en:Apex offset",
                          L"\\de:Versatz Spitze links\\en:Apex offset left", 100.0, nan())}});
        d.push_back({kOutlTrapezoid, basic, 3, L"\\de:Trapez\\en:Trapezoid", nullptr, buildTrapezoid,
                     {len(L"b1", L"\\de:Breite unten\\en:Bottom width", 200.0),
                      len(L"b2", L"\\de:Breite oben\\en:Top width", 100.0), len(L"h", kHeight, 100.0),
                      sgn(L"e", L"\\de:Versatz oben\\en:Top offset",
                          L"\\de:Versatz oben links\\en:Top offset left", 0.0, 0.0)}});
        d.push_back({kOutlPolygon, basic, 3, L"\\de:Vieleck\\en:Regular polygon", nullptr, buildPolygon,
                     {{L"n", L"\\de:Eckenzahl\\en:Number of sides", nullptr, Kind::Count, 5.0, false, 0.0, {}},
                      len(L"d", L"\\de:Umkreisdurchmesser\\en:Circumscribed diameter", 100.0)}});
        d.push_back({kOutlHexagon, basic, 3, L"\\de:Sechskant\\en:Hexagon", nullptr, buildHexagon,
                     {len(L"s", L"\\de:Schl\u00FCsselweite\\en:Width across flats", 100.0)}});
        d.push_back({kOutlEllipse, basic, 3, L"\\de:Ellipse\\en:Ellipse", nullptr, buildEllipse,
                     {len(L"a", kWidth, 200.0), len(L"b", kHeight, 100.0)}});
        d.push_back({kOutlHalfCircle, basic, 3, L"\\de:Halbkreis\\en:Half circle", nullptr, buildHalfCircle,
                     {len(L"d", kDiameter, 200.0)}});
        d.push_back({kOutlSector, special, 3, L"\\de:Kreissektor\\en:Circular sector", nullptr, buildSector,
                     {len(L"r", L"\\de:Radius\\en:Radius", 100.0),
                      {L"\u03B1", L"\\de:\u00D6ffnungswinkel\\en:Opening angle", nullptr, Kind::Angle, kPi / 2.0,
                       false, 0.0, angleKeywords(360.0)}}});
        d.push_back({kOutlChamferRect, special, 3, L"\\de:Rechteck gefast\\en:Chamfered rectangle", nullptr,
                     buildChamferRect,
                     {len(L"b", kWidth, 200.0), len(L"h", kHeight, 100.0),
                      len(L"c", L"\\de:Fase\\en:Chamfer", 20.0)}});
        d.push_back({kOutlCross, special, 3, L"\\de:Kreuz\\en:Cross", nullptr, buildCross,
                     {len(L"b", kWidth, 200.0), len(L"h", kHeight, 200.0),
                      len(L"t", L"\\de:Balkenbreite\\en:Bar width", 50.0)}});
        d.push_back({kOutlAngle, ext, 2, L"\\de:Winkelprofil\\en:Angle (L)", L"L", buildAngle,
                     {len(L"h", L"\\de:Schenkelh\u00F6he\\en:Leg height", 100.0),
                      len(L"b", L"\\de:Schenkelbreite\\en:Leg width", 100.0), len(L"t", kThickness, 10.0)}});
        d.push_back({kOutlChannel, ext, 2, L"\\de:U-Profil\\en:Channel (U)", L"U", buildChannel,
                     {len(L"h", kHeight, 200.0), len(L"b", kFlangeWidth, 75.0), len(L"s", kWeb, 8.5),
                      len(L"t", kFlange, 11.5)}});
        d.push_back({kOutlTee, ext, 2, L"\\de:T-Profil\\en:Tee (T)", L"T", buildTee,
                     {len(L"b", kFlangeWidth, 100.0), len(L"h", kHeight, 100.0), len(L"s", kWeb, 11.0),
                      len(L"t", kFlange, 11.0)}});
        d.push_back({kOutlBeam, ext, 2, L"\\de:I-Profil\\en:Beam (I)", L"I", buildBeam,
                     {len(L"h", kHeight, 200.0), len(L"b", kFlangeWidth, 100.0), len(L"s", kWeb, 5.6),
                      len(L"t", kFlange, 8.5), opt(L"r", L"\\de:Ausrundung\\en:Root radius", 12.0)}});
        d.push_back({kOutlZed, ext, 2, L"\\de:Z-Profil\\en:Zed (Z)", L"Z", buildZed,
                     {len(L"h", kHeight, 160.0), len(L"b", kFlangeWidth, 65.0), len(L"t", kThickness, 8.5)}});
        d.push_back({kOutlLipped, ext, 2, L"\\de:C-Profil\\en:Lipped channel (C)", L"C", buildLipped,
                     {len(L"h", kHeight, 200.0), len(L"b", kFlangeWidth, 70.0),
                      len(L"c", L"\\de:Lippenl\u00E4nge\\en:Lip length", 20.0), len(L"t", kThickness, 2.5)}});
        d.push_back({kOutlParallelogram, special, 3, L"\\de:Parallelogramm\\en:Parallelogram", nullptr,
                     buildParallelogram,
                     {len(L"b", L"\\de:Grundseite\\en:Base", 200.0), len(L"h", kHeight, 100.0),
                      {L"\u03B1", L"\\de:Winkel\\en:Angle", nullptr, Kind::Degrees, 60.0, false, 0.0,
                       angleKeywords(180.0)}}});
        d.push_back({kOutlPipe, ext, 2, L"\\de:Rohr\\en:Pipe", nullptr, buildPipe,
                     {len(L"d", L"\\de:Au\u00DFendurchmesser\\en:Outer diameter", 100.0),
                      len(L"t", L"\\de:Wanddicke\\en:Wall thickness", 10.0)}});
        d.push_back({kOutlHollowRect, ext, 2, L"\\de:Rechteckrohr\\en:Rectangular hollow section", nullptr,
                     buildHollowRect,
                     {len(L"b", kWidth, 200.0), len(L"h", kHeight, 100.0),
                      len(L"t", L"\\de:Wanddicke\\en:Wall thickness", 8.0),
                      opt(L"r", L"\\de:Au\u00DFenradius\\en:Outer corner radius", 16.0)}});
        d.push_back({kOutlKeyhole, machining, 2, L"\\de:Schl\u00FCsselloch\\en:Keyhole", nullptr, buildKeyhole,
                     {len(L"D", L"\\de:Kopfdurchmesser\\en:Head diameter", 100.0),
                      len(L"d", L"\\de:Schlitzbreite\\en:Slot width", 50.0),
                      len(L"l", L"\\de:Mittenabstand\\en:Centre distance", 100.0)}});
        return d;
    }();
    return defs;
}

const OutlineDef* findDef(int key)
{
    for (const OutlineDef& def : catalogue())
        if (def.key == key)
            return &def;
    return nullptr;
}

CZunPoint3d basePointOf(const CZunVertexArray& outer, int basePoint)
{
    CZunPoint3d lo, hi;
    outer.extents(lo, hi);
    const double xs[3] = {lo.x, (lo.x + hi.x) / 2.0, hi.x};
    const double ys[3] = {lo.y, (lo.y + hi.y) / 2.0, hi.y};
    // Column and row of each point 1..8 in the box, counter-clockwise.
    static const int col[9] = {1, 0, 1, 2, 2, 2, 1, 0, 0};
    static const int row[9] = {1, 0, 0, 0, 1, 2, 2, 2, 1};
    return {xs[col[basePoint]], ys[row[basePoint]], 0.0};
}

// The contours about the shape's reference point, or an empty set.
CZunContourSet buildNatural(int key, const CZunArrayTempl<double>& parms, int unit)
{
    const OutlineDef* def = findDef(key);
    if (!def)
        return {};
    std::vector<double> values;
    for (int i = 0; i < static_cast<int>(def->parms.size()); ++i) {
        const ParmDef& pd = def->parms[static_cast<size_t>(i)];
        double v = 0.0;
        if (i < parms.len()) {
            v = parms[i];
            if (!std::isfinite(v))
                return {};
        } else if (pd.optional) {
            v = pd.missing;
        } else {
            return {};
        }
        if (!isNan(v)) {
            if (pd.minus == nullptr && (v < 0.0 || (v == 0.0 && !pd.optional)))
                return {};
            if (pd.kind == Kind::Length)
                v = acadUnitCv(v, unit, kUnitDrawing);
        }
        values.push_back(v);
    }
    CZunContourSet out;
    if (!def->build(values.data(), out))
        return {};
    return out;
}

} // namespace

CZunContourSet g_outline_contours(int key, int basePoint, const CZunArrayTempl<double>& parms, int unit)
{
    if (basePoint < kOutlBaseCenter || basePoint > kOutlBaseOrigin)
        return {};
    CZunContourSet set = buildNatural(key, parms, unit);
    if (set.isEmpty() || basePoint == kOutlBaseOrigin)
        return set;
    const CZunVector3d shift = CZunPoint3d::kOrigin - basePointOf(set[0], basePoint);
    for (CZunVertexArray& vl : set)
        vl.move(shift);
    return set;
}

CZunContourSet g_outline_contours(int key, const CZunVector3d& base, const CZunArrayTempl<double>& parms, int unit)
{
    CZunContourSet set = buildNatural(key, parms, unit);
    const CZunVector3d shift(acadUnitCv(base.x, unit, kUnitDrawing), acadUnitCv(base.y, unit, kUnitDrawing),
                             acadUnitCv(base.z, unit, kUnitDrawing));
    if (!shift.isZeroLength(0.0))
        for (CZunVertexArray& vl : set)
            vl.move(shift);
    return set;
}

CZunVertexArray g_outline(int key, int basePoint, const CZunArrayTempl<double>& parms, int unit)
{
    return g_outline_contours(key, basePoint, parms, unit).get(0);
}

CZunVertexArray g_outline(int key, const CZunVector3d& base, const CZunArrayTempl<double>& parms, int unit)
{
    return g_outline_contours(key, base, parms, unit).get(0);
}

CZunContourSet g_outline_contours(const CZunDataItem* gen, int unit)
{
    int key = 0;
    if (!gen || !gen->get(key, L"OUTLINE"))
        return {};
    CZunArrayTempl<double> parms;
    gen->get(parms, L"PARM");
    int basePoint = kOutlBaseOrigin;
    gen->get(basePoint, L"BASEPT");
    CZunPoint3d base;
    gen->get(base, L"BASE");
    CZunContourSet set = g_outline_contours(key, basePoint, parms, unit);
    const CZunVector3d shift(acadUnitCv(base.x, unit, kUnitDrawing), acadUnitCv(base.y, unit, kUnitDrawing),
                             acadUnitCv(base.z, unit, kUnitDrawing));
    for (CZunVertexArray& vl : set)
        vl.move(shift);
    return set;
}

CZunVertexArray g_outline(const CZunDataItem* gen, int unit)
{
    return g_outline_contours(gen, unit).get(0);
}

CZunArrayTempl<int> g_outline_keys()
{
    CZunArrayTempl<int> keys;
    for (const OutlineDef& def : catalogue())
        keys.append(def.key);
    keys.sort();
    return keys;
}

int g_outline_parm_count(int key)
{
    const OutlineDef* def = findDef(key);
    return def ? static_cast<int>(def->parms.size()) : -1;
}

CZunString g_outline_text(int key, const CZunArrayTempl<double>& parms, int txtGen, const CZunString& language)
{
    const OutlineDef* def = findDef(key);
    if (!def || txtGen <= 0)
        return {};
    CZunString text = label_get(def->label, language);
    if (txtGen == 1)
        return text;
    const int n = std::min(parms.len(), static_cast<int>(def->parms.size()));
    if (txtGen == 2 && n > 0) {
        if (def->symbol)
            text = def->symbol;
        text += L' ';
    }
    for (int i = 0; i < n; ++i) {
        const ParmDef& pd = def->parms[static_cast<size_t>(i)];
        double v = parms[i];
        CZunString value = CZunString::formatted(L"%.6g", pd.kind == Kind::Angle ? v * 180.0 / kPi : v);
        if (pd.kind == Kind::Angle || pd.kind == Kind::Degrees)
            value += L'\u00B0';
        if (txtGen == 2) {
            if (i > 0)
                text += L'x';
            text += value;
        } else {
            text += L' ';
            text += pd.symbol;
            text += L'=';
            text += value;
        }
    }
    return text;
}

bool zunOutlineInit(CZunDataItem* dir)
{
    if (!dir || !dir->isDir())
        return false;
    for (const OutlineDef& def : catalogue()) {
        const CZunDataKey key(def.key);
        dir->remove(key);
        CZunDataItem* item = dir->mkDir(key);
        if (!item)
            return false;
        item->set(def.code, L"CODE");
        item->set(def.label, L"LABEL");
        item->set(def.txtGen, L"TXTGEN");
        item->set(static_cast<int>(def.parms.size()), L"PARMS");
        for (int i = 0; i < static_cast<int>(def.parms.size()); ++i) {
            const ParmDef& pd = def.parms[static_cast<size_t>(i)];
            CZunDataItem* parm = item->mkDir(CZunDataKey::format(L"PARM%d", i + 1));
            parm->set(pd.label, L"LABEL");
            if (pd.minus)
                parm->set(pd.minus, L"MINUSP");
            parm->set(1, L"VALID");
            const bool angle = pd.kind == Kind::Angle || pd.kind == Kind::Degrees;
            parm->set(angle ? L"A" : pd.kind == Kind::Count ? L"N" : L"L", L"TYPE");
            if (!pd.keywords.empty()) {
                CZunDataItem* words = parm->mkDir(L"KWORD");
                for (const Keyword& kw : pd.keywords)
                    words->set(kw.value, CZunDataKey(CZunItemKey(CZunString(kw.name))));
            }
            // Ranges 1, 10, 100, 1000: divide rather than multiply up from the
            // smallest, so that 8.5 stays 8.5 and not 8.500000000000002.
            static const double kDivisor[3] = {100.0, 10.0, 1.0};
            for (int range = 1; range <= 4; ++range) {
                const double v = pd.kind != Kind::Length ? pd.range100
                                 : range == 4          ? pd.range100 * 10.0
                                                       : pd.range100 / kDivisor[range - 1];
                parm->set(v, CZunDataKey::format(L"VAL%d", range));
            }
        }
    }
    return true;
}

} // namespace ZUN
