#include "contracts/data/zun_fsheet.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_config.h"
#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_files.h"
#include "contracts/data/zun_section_geom.h"

#include <algorithm>
#include <cmath>

namespace ZUN {

namespace {

// Gauge assumed when neither the part nor the profile gives one: the most
// common gauge of roof and wall sheets, so a sheet without data still looks
// like one instead of vanishing.
constexpr double kDefaultGauge = 0.75;

// What the limits tell: the count found and the most allowed.
constexpr const wchar_t* kTooManySegments =
    L"the sheet needs %ls segments over its length, more than the %d a sheet may have";
constexpr const wchar_t* kTooManyVertices =
    L"the sheet needs %.15g vertices over its length, more than the %d a sheet may have";
constexpr const wchar_t* kTooManyRepeats =
    L"the region repeats %ls times over the length, more than the %d a layer may have";

// How many times something of width step repeats over length, the last
// one cut short; false (error filled) above most. Counted in double: a
// tiny step gives counts no integer holds.
bool repeatCount(double length, double step, int most, const wchar_t* what, int& count, CZunString* error)
{
    const double n = std::max(1.0, std::ceil(length / step - 1e-9));
    if (n <= most) {
        count = static_cast<int>(n);
        return true;
    }
    if (error)
        *error = CZunString::formatted(what, CZunString::formatted(L"%.15g", n).c_str(), most);
    return false;
}

enum class Kind { Trapez, Sinus, Points, Flat };

struct Profile {
    Kind kind = Kind::Flat;
    double seg = 0.0;   // segment width (pitch)
    double h = 0.0;     // overall height, outer face to outer face
    double t = 0.0;     // thickness
    double bTop = 0.0;  // upper flange width at mid-thickness
    double bBot = 0.0;  // lower flange width at mid-thickness
    CZunVertexArray points;           // one segment's mid-thickness line (Kind::Points)
    CZunArrayTempl<double> radii;     // inner bend radius by profile point
    double coatGap = 0.0;
};

CZunString upper(CZunString text)
{
    text.makeUpper();
    return text;
}

CZunString calcOf(const CZunDataItem* item)
{
    CZunString calc;
    item->get(calc, CZunDataKey{L"", L"CALC"});
    return upper(calc);
}

double number(const CZunDataItem* item, const wchar_t* key, double fallback = 0.0)
{
    double value = fallback;
    item->get(value, key);
    return value;
}

const CZunDataItem& catalogue()
{
    // Read once: the catalogue ships with the module and does not change
    // while it runs. A broken file leaves it empty, the configuration and
    // the part's own data still resolve.
    static const CZunDataItem items = [] {
        CZunDataItem root(true);
        const CZunString path = fileFind(kFsheetCatalogue);
        if (!path.isEmpty() && !dataFileLoad(path, root))
            root = CZunDataItem(true);
        return root;
    }();
    return items;
}

bool readProfile(const CZunDataItem* sheet, double partThickness, Profile& p)
{
    const CZunString calc = calcOf(sheet);
    if (calc == L"COMPOUND" || calc == L"REGION" || calc == L"OUTLINE")
        return false;
    p.t = partThickness > 0.0 ? partThickness : number(sheet, L"S");
    if (!(p.t > 0.0))
        p.t = kDefaultGauge;
    p.seg = number(sheet, L"SEG");
    p.h = number(sheet, L"H");
    p.coatGap = std::max(0.0, number(sheet, L"COAT_GAP", p.t));
    if (!sheet->get(p.radii, L"FILLET_P")) {
        double r = 0.0;
        if (sheet->get(r, L"FILLET_P"))
            p.radii = {r};
    }

    if (CZunDataItem* pts = sheet->getItem(L"POINTS")) {
        CZunPoint3dArray list;
        if (pts->get(list) && list.len() >= 2)
            p.points = CZunVertexArray::fromPoints(list, false);
        else
            pts->get(p.points);
        if (p.points.len() < 1)
            return false;
        if (!(p.seg > 0.0))
            p.seg = p.points.last().end().x - p.points.first().start().x;
        p.kind = Kind::Points;
        return p.seg > 0.0;
    }
    if (p.h <= p.t) {
        p.kind = Kind::Flat;
        return true;
    }
    if (!(p.seg > 0.0))
        return false;
    if (calc == L"SINUS") {
        p.kind = Kind::Sinus;
        return true;
    }
    p.kind = Kind::Trapez;
    p.bTop = number(sheet, L"B_TOP", 0.25 * p.seg);
    p.bBot = number(sheet, L"B_BOT", 0.25 * p.seg);
    p.bTop = std::max(0.0, p.bTop);
    p.bBot = std::max(0.0, p.bBot);
    // Flanges wider than the segment leave no room for the webs; they
    // shrink alike and the webs stand upright.
    if (p.bTop + p.bBot > p.seg) {
        const double k = p.seg / (p.bTop + p.bBot);
        p.bTop *= k;
        p.bBot *= k;
    }
    return true;
}

// Mid-thickness line of one segment from x = 0 to x = seg, starting on a
// rib axis: in the middle of an upper flange or on a crest.
CZunVertexArray segmentLine(const Profile& p)
{
    const double yTop = p.h - 0.5 * p.t, yBot = 0.5 * p.t;
    CZunVertexArray vl;
    switch (p.kind) {
    case Kind::Flat:
        vl.append(CZunPoint3d(0.0, yBot), CZunPoint3d(p.seg, yBot));
        break;
    case Kind::Trapez: {
        const double web = 0.5 * (p.seg - p.bTop - p.bBot);
        const double x1 = 0.5 * p.bTop, x2 = x1 + web, x3 = x2 + p.bBot, x4 = p.seg - x1;
        vl = CZunVertexArray::fromPoints({{0.0, yTop}, {x1, yTop}, {x2, yBot}, {x3, yBot}, {x4, yTop}, {p.seg, yTop}},
                                         false);
        break;
    }
    case Kind::Sinus: {
        // Corrugations are rolled as circular arcs meeting tangentially at
        // mid-height; four quarter-wave arcs of one radius make a wave.
        const double a = 0.5 * (yTop - yBot), q = 0.25 * p.seg, yMid = 0.5 * (yTop + yBot);
        const double r = (q * q + a * a) / (2.0 * a);
        const double b = std::tan(0.25 * std::atan2(q, r - a));
        vl.append(CZunPoint3d(0.0, yTop), CZunPoint3d(q, yMid), -b);
        vl.append(CZunPoint3d(q, yMid), CZunPoint3d(2.0 * q, yBot), b);
        vl.append(CZunPoint3d(2.0 * q, yBot), CZunPoint3d(3.0 * q, yMid), b);
        vl.append(CZunPoint3d(3.0 * q, yMid), CZunPoint3d(p.seg, yTop), -b);
        break;
    }
    case Kind::Points:
        vl = p.points;
        vl.move(CZunVector3d(-p.points.first().start().x, 0.0, 0.0));
        break;
    }
    return vl;
}

// Mid-thickness line over the drawn length, segment after segment, with
// the bends rounded when asked and the last segment cut at the length.
CZunVertexArray profileLine(const Profile& p, double length, bool rounded, CZunString* error)
{
    if (p.kind == Kind::Flat) {
        // A flat sheet has no segments to repeat: one piece over the length.
        CZunVertexArray flat;
        flat.append(CZunPoint3d(0.0, 0.5 * p.t), CZunPoint3d(length, 0.5 * p.t));
        return flat;
    }
    const CZunVertexArray one = segmentLine(p);
    CZunVertexArray line;
    int count = 0;
    if (!repeatCount(length, p.seg, kFsheetMaxSegments, kTooManySegments, count, error))
        return line;
    if (static_cast<double>(count) * one.len() > kFsheetMaxVertices) {
        if (error)
            *error = CZunString::formatted(kTooManyVertices, count * static_cast<double>(one.len()),
                                           kFsheetMaxVertices);
        return line;
    }
    for (int i = 0; i < count; ++i)
        line.append(one.getTransformedCopy([&] {
            CZunMatrix3d m;
            m.setToTranslation(CZunVector3d(i * p.seg, 0.0, 0.0));
            return m;
        }()));
    if (rounded) {
        const int perSegment = one.len();
        // System radius = inner radius + half the thickness, so the inner
        // face gets the given radius and the outer one that plus the gauge.
        line = section::fillet(line, [&](int joint) {
            const int point = joint % perSegment;
            const double inner = p.radii.isEmpty() ? 0.0 : p.radii[std::min(point, p.radii.len() - 1)];
            return std::max(0.0, inner) + 0.5 * p.t;
        });
    }
    if (count * p.seg > length + 1e-9) {
        CZunPoint3d lo, hi;
        line.extents(lo, hi);
        CZunVertexArray cutter;
        cutter.append(CZunPoint3d(length, lo.y - 1.0), CZunPoint3d(length, hi.y + 1.0));
        CZunPoint3dArray hits;
        if (line.intersectWith(cutter, 3, hits) > 0) {
            const CZunVertexArray cut = g_vl_cut(line, line.first().start(), hits[0]);
            if (!cut.isEmpty())
                line = cut;
        }
    }
    return line;
}

// Where the profile lies: x along the item's "VL", y to its left, then the
// item's "MTX". length receives the length of "VL" (0 without one).
CZunMatrix3d placement(const CZunDataItem* item, double& length)
{
    CZunMatrix3d base;
    length = 0.0;
    CZunVertexArray vl;
    if (item->get(vl, L"VL") && !vl.isEmpty()) {
        const CZunPoint3d s = vl.first().start(), e = vl.last().end();
        length = std::hypot(e.x - s.x, e.y - s.y);
        CZunMatrix3d turn, move;
        turn.setToRotation(std::atan2(e.y - s.y, e.x - s.x));
        move.setToTranslation(s.asVector());
        base = move * turn;
    }
    CZunMatrix3d mtx;
    if (item->get(mtx, L"MTX"))
        base = mtx * base;
    return base;
}

// A mirroring placement turns the contour clockwise; turning it back must
// keep it starting on a face at the sheet's start (see fsheet_axis_vl).
void placeContour(CZunVertexArray& contour, const CZunMatrix3d& m)
{
    contour.transformBy(m);
    if (section::area(contour) < 0.0) {
        contour.revert();
        const CZunVertex cap = contour.first();
        contour.removeAt(0);
        contour.append(cap);
    }
}

bool sheetSection(const CZunDataItem* item, bool rounded, CZunContourSet& contours, CZunVertexArray& surface1,
                  CZunVertexArray& surface2, CZunString* error)
{
    contours.clear();
    surface1.clear();
    surface2.clear();
    const CZunDataItem* sheet = item ? fsheet_get(item) : nullptr;
    Profile p;
    if (!sheet || !sheet->isDir() || !readProfile(sheet, number(item, L"S"), p))
        return false;
    double length = 0.0;
    const CZunMatrix3d m = placement(item, length);
    if (!(length > 0.0))
        length = p.seg;
    if (!(length > 1e-9))
        return false;

    const CZunVertexArray line = profileLine(p, length, rounded, error);
    if (line.isEmpty())
        return false;
    CZunVertexArray lower = section::offset(line, -0.5 * p.t);
    CZunVertexArray upperFace = section::offset(line, 0.5 * p.t);
    if (lower.isEmpty() || upperFace.isEmpty())
        return false;
    CZunVertexArray contour = lower;
    contour.append(lower.last().end(), upperFace.last().end());
    contour.append(CZunVertexArray(upperFace).revert());
    contour.append(upperFace.first().start(), lower.first().start());
    placeContour(contour, m);
    contours.append(contour);

    surface1 = section::offset(line, 0.5 * p.t + p.coatGap).transformBy(m);
    surface2 = section::offset(line, -(0.5 * p.t + p.coatGap)).transformBy(m);
    return true;
}

// The face of a closed sheet contour that runs between its leftmost and
// rightmost points on the lower (lowerFace) or upper side, from left to
// right. Of points level in x, the lower or upper one belongs to that face.
CZunVertexArray face(CZunVertexArray contour, bool lowerFace)
{
    CZunVertexArray out;
    if (contour.isEmpty())
        return out;
    if (section::area(contour) < 0.0)
        contour.revert();
    const int n = contour.len();
    CZunPoint3d lo, hi;
    contour.extents(lo, hi);
    const double tol = 1e-9 * std::max({1.0, std::abs(lo.x), std::abs(hi.x)});
    const auto better = [&](int i, int best, bool rightmost) {
        const CZunPoint3d& a = contour[i].start();
        const CZunPoint3d& b = contour[best].start();
        if (std::abs(a.x - b.x) > tol)
            return rightmost ? a.x > b.x : a.x < b.x;
        return lowerFace ? a.y < b.y : a.y > b.y;
    };
    int left = 0, right = 0;
    for (int i = 1; i < n; ++i) {
        if (better(i, left, false))
            left = i;
        if (better(i, right, true))
            right = i;
    }
    // Counter-clockwise, the way from the leftmost to the rightmost point
    // runs along the bottom, and back along the top.
    const int from = lowerFace ? left : right, to = lowerFace ? right : left;
    for (int i = from; i != to; i = (i + 1) % n)
        out.append(contour[i]);
    if (!lowerFace)
        out.revert();
    return out;
}

} // namespace

CZunDataItem* fsheet_get(const CZunDataItem* item, const CZunArrayTempl<CZunString>& stack)
{
    CZunDataKey key;
    for (const CZunString& part : stack)
        key.appendPath(part);
    if (key.isNull())
        return nullptr;
    for (const CZunDataItem* base = item; base; base = base->parent())
        if (CZunDataItem* found = base->getItem(key))
            return found;
    if (CZunDataItem* dir = cfg_get(kFsheetCfgDir))
        if (CZunDataItem* found = dir->getItem(key))
            return found;
    return catalogue().getItem(key);
}

CZunDataItem* fsheet_get(const CZunDataItem* item)
{
    CZunArrayTempl<CZunString> stack;
    if (!item || !item->get(stack, L"STACK")) {
        // A single text is an address of one component.
        CZunString one;
        if (!item || !item->get(one, L"STACK"))
            return nullptr;
        stack.append(one);
    }
    return fsheet_get(item, stack);
}

CZunString fsheet_sid(const CZunDataItem* item)
{
    if (!item)
        return {};
    CZunString sid;
    if (item->get(sid, L"SID") && !sid.isEmpty())
        return sid;
    double s = 0.0;
    if (item->get(s, L"S") && s > 0.0)
        return CZunString::formatted(L"%.6g", s);
    return {};
}

CZunString fsheet_sid(CDtaFilePointer* dta)
{
    return dta ? fsheet_sid(dta->get()) : CZunString();
}

bool fsheet_vll_fnc(const CZunDataItem* item, CZunContourSet& contours, CZunVertexArray& surface1,
                    CZunVertexArray& surface2, CZunString* error)
{
    return sheetSection(item, false, contours, surface1, surface2, error);
}

bool fsheet_vll_fillet(const CZunDataItem* item, CZunContourSet& contours, CZunVertexArray& surface1,
                       CZunVertexArray& surface2, CZunString* error)
{
    return sheetSection(item, true, contours, surface1, surface2, error);
}

bool fsheet_vll_region(const CZunDataItem* item, CZunContourSet& contours, CZunString* error)
{
    contours.clear();
    const CZunDataItem* layer = item ? fsheet_get(item) : nullptr;
    const CZunDataItem* region = layer ? layer->getItem(L"REGION") : nullptr;
    if (!region)
        return false;
    double length = 0.0;
    const CZunMatrix3d m = placement(item, length);

    CZunContourSet shapes;
    if (region->isDir()) {
        const double x = number(region, L"X"), y = number(region, L"Y");
        const double w = number(region, L"W", length), h = number(region, L"H");
        const double d = number(region, L"D"), r = number(region, L"R");
        const double dx = number(region, L"DX");
        // Strips and cords repeat along the panel (one under each rib, say)
        // as long as they start within its length.
        int copies = 1;
        if (dx > 0.0 && length > 0.0 &&
            !repeatCount(length - x, dx, kFsheetMaxRepeats, kTooManyRepeats, copies, error))
            return false;
        for (int i = 0; i < copies; ++i) {
            const double x0 = x + i * dx;
            if (d > 0.0) {
                shapes.append(section::circle(CZunPoint3d(x0 + 0.5 * d, y + 0.5 * d), 0.5 * d));
            } else if (w > 0.0 && h > 0.0) {
                const double rr = std::clamp(r, 0.0, 0.5 * std::min(w, h));
                shapes.append(section::roundedPolygon({{x0, y}, {x0 + w, y}, {x0 + w, y + h}, {x0, y + h}},
                                                      {rr, rr, rr, rr}));
            }
        }
    } else {
        CZunRegionList regions;
        CZunVertexArray single;
        if (region->get(regions)) {
            for (const CZunContourSet& set : regions)
                shapes += set;
        } else if (!region->get(shapes) && region->get(single)) {
            shapes.append(single);
        }
    }
    for (CZunVertexArray& c : shapes)
        if (!c.isEmpty())
            contours.append(c.transformBy(m));
    contours = section::oriented(contours);
    return !contours.isEmpty();
}

bool fsheet_vll_outline(const CZunVertexArray& top, const CZunVertexArray& bot, const CZunRegionList& regions,
                        CZunContourSet& contours)
{
    contours.clear();
    const CZunVertexArray ceiling = face(top, true);
    const CZunVertexArray floor = face(bot, false);
    if (ceiling.isEmpty() || floor.isEmpty())
        return false;
    CZunVertexArray fill = floor;
    fill.append(floor.last().end(), ceiling.last().end());
    fill.append(CZunVertexArray(ceiling).revert());
    fill.append(ceiling.first().start(), floor.first().start());
    if (!(section::area(fill) > 0.0))
        return false;

    CZunContourSet result{fill};
    for (const CZunContourSet& cut : regions)
        result = section::subtract(result, cut);
    std::stable_sort(result.begin(), result.end(), [](const CZunVertexArray& a, const CZunVertexArray& b) {
        return std::abs(section::area(a)) > std::abs(section::area(b));
    });
    contours = result;
    return !contours.isEmpty();
}

bool fsheet_axis_vl(const CZunContourSet& contours, double s, CZunVertexArray& axis)
{
    axis.clear();
    const CZunVertexArray& contour = contours.first();
    if (contour.isEmpty())
        return false;
    const CZunVertex& first = contour.first();
    const CZunPoint3d origin = first.start();
    CZunVector3d run = first.isArc() ? CZunVector3d() : first.end() - first.start();
    if (first.isArc()) {
        // Direction of travel at the arc's start: square to its radius.
        const CZunPoint3d c = first.center();
        const CZunVector3d r = origin - c;
        run = first.bulge() > 0.0 ? CZunVector3d(-r.y, r.x) : CZunVector3d(r.y, -r.x);
    }
    run.z = 0.0;
    if (run.isZeroLength())
        return false;
    run.normalize();
    const CZunVector3d across(-run.y, run.x, 0.0);
    double lo = 0.0, hi = 0.0;
    for (const CZunPoint3d& p : contour.pts(true, 1e-3)) {
        const double h = (p - origin).dotProduct(across);
        lo = std::min(lo, h);
        hi = std::max(hi, h);
    }
    const double over = 0.1 * (hi - lo) + std::max(0.0, s);
    axis.append(origin + across * (lo - over), origin + across * (hi + over));
    return true;
}

} // namespace ZUN
