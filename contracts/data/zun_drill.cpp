#include "contracts/data/zun_drill.h"

#include "contracts/base/zun_math.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cwctype>
#include <string>

namespace ZUN {

namespace {

// Coarse pitches of the ISO metric series, by nominal diameter.
struct CoarsePitch {
    double nominal;
    double pitch;
};
constexpr CoarsePitch kCoarse[] = {
    {1.0, 0.25}, {1.1, 0.25}, {1.2, 0.25}, {1.4, 0.3},  {1.6, 0.35}, {1.8, 0.35}, {2.0, 0.4},  {2.2, 0.45},
    {2.5, 0.45}, {3.0, 0.5},  {3.5, 0.6},  {4.0, 0.7},  {4.5, 0.75}, {5.0, 0.8},  {6.0, 1.0},  {7.0, 1.0},
    {8.0, 1.25}, {10.0, 1.5}, {12.0, 1.75}, {14.0, 2.0}, {16.0, 2.0}, {18.0, 2.5}, {20.0, 2.5}, {22.0, 2.5},
    {24.0, 3.0}, {27.0, 3.0}, {30.0, 3.5}, {33.0, 3.5}, {36.0, 4.0}, {39.0, 4.0}, {42.0, 4.5}, {45.0, 4.5},
    {48.0, 5.0}, {52.0, 5.0}, {56.0, 5.5}, {60.0, 5.5}, {64.0, 6.0}, {68.0, 6.0},
};

// The basic profile's height is sqrt(3)/2 of the pitch; the nut's minor
// diameter lies 5/8 of it in from each flank: D1 = D - 1.082532 P.
constexpr double kCoreFactor = 2.0 * 5.0 / 8.0 * 0.86602540378443865;

constexpr double kDefaultSinkAngle = kPi / 2.0;
// The common twist drill's point.
constexpr double kDefaultTipAngle = 118.0 * kPi / 180.0;

// A plain decimal number from pos on ("10", "1.25", "1,25"); false when
// there is none.
bool readNumber(const std::wstring& s, size_t& pos, double& value)
{
    std::string digits;
    bool point = false;
    while (pos < s.size()) {
        const wchar_t c = s[pos];
        if (c >= L'0' && c <= L'9')
            digits += static_cast<char>(c);
        else if ((c == L'.' || c == L',') && !point) {
            point = true;
            digits += '.';
        } else
            break;
        ++pos;
    }
    if (digits.empty() || digits == ".")
        return false;
    // from_chars, unlike stod, reports a number beyond a double instead of
    // throwing out of the drawing ("M" and four hundred nines).
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return ec == std::errc() && end == digits.data() + digits.size();
}

double keyValue(const CZunDataItem* gen, const wchar_t* key, double fallback)
{
    double v = fallback;
    gen->get(v, key);
    return v;
}

CZunVertexArray fullCircle(double r)
{
    CZunVertexArray vl;
    vl.append(CZunPoint3d(r, 0.0), CZunPoint3d(-r, 0.0), 1.0);
    vl.append(CZunPoint3d(-r, 0.0), CZunPoint3d(r, 0.0), 1.0);
    return vl;
}

} // namespace

bool drillThreadGet(const CZunString& designation, double& nominal, double& pitch)
{
    std::wstring s;
    for (wchar_t c : designation.str())
        if (!std::iswspace(static_cast<wint_t>(c)))
            s += static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    if (s.size() < 2 || s[0] != L'M')
        return false;
    size_t pos = 1;
    double d = 0.0;
    if (!readNumber(s, pos, d) || d <= 0.0)
        return false;
    double p = 0.0;
    if (pos == s.size()) {
        const auto* it = std::find_if(std::begin(kCoarse), std::end(kCoarse),
                                      [&](const CoarsePitch& c) { return std::abs(c.nominal - d) < 1e-9; });
        if (it == std::end(kCoarse))
            return false;
        p = it->pitch;
    } else {
        if (s[pos] != L'X' && s[pos] != L'\u00D7')
            return false;
        ++pos;
        if (!readNumber(s, pos, p) || pos != s.size() || p <= 0.0 || p >= d / 2.0)
            return false;
    }
    nominal = d;
    pitch = p;
    return true;
}

bool drillRead(const CZunDataItem* gen, DrillData& data)
{
    if (!gen)
        return false;
    DrillData d;
    gen->get(d.thread, L"THREAD");
    d.thread.trim();
    if (!d.thread.isEmpty()) {
        if (!drillThreadGet(d.thread, d.threadD, d.pitch))
            return false;
        d.diam = d.threadD - d.pitch;
        d.coreD = d.threadD - kCoreFactor * d.pitch;
    } else {
        d.diam = keyValue(gen, L"DIAM", 0.0);
    }
    d.depth = keyValue(gen, L"DEPTH", 0.0);
    d.thick = keyValue(gen, L"THICK", 0.0);
    const double sinkD = keyValue(gen, L"SINK_D", 0.0);
    const double sinkT = keyValue(gen, L"SINK_T", 0.0);
    const double sinkAngle = keyValue(gen, L"SINK_ANG", kDefaultSinkAngle);
    d.cboreD = keyValue(gen, L"CBORE_D", 0.0);
    d.cboreT = keyValue(gen, L"CBORE_T", 0.0);
    const double threadT = keyValue(gen, L"THREAD_T", 0.0);
    const double tipAngle = keyValue(gen, L"TIP_ANG", kDefaultTipAngle);

    for (double v : {d.diam, d.depth, d.thick, sinkD, sinkT, d.cboreD, d.cboreT, threadT, tipAngle, sinkAngle})
        if (!std::isfinite(v) || v < 0.0)
            return false;
    if (d.diam <= 0.0)
        return false;

    if (d.through()) {
        d.len = d.thick;
    } else {
        d.len = d.depth;
        if (tipAngle <= 0.0 || tipAngle > kPi)
            return false;
        d.tipAngle = tipAngle;
        // A flat-bottomed bore (180°) has no point at all.
        d.tipT = tipAngle >= kPi - 1e-12 ? 0.0 : d.diam / 2.0 / std::tan(tipAngle / 2.0);
        if (d.thick > 0.0 && d.depth + d.tipT >= d.thick)
            return false;
    }

    if (sinkD > 0.0 || sinkT > 0.0) {
        if (sinkAngle <= 0.0 || sinkAngle >= kPi)
            return false;
        d.sinkAngle = sinkAngle;
        const double slope = std::tan(sinkAngle / 2.0);
        if (sinkD > 0.0) {
            d.sinkD = sinkD;
            d.sinkT = (sinkD - d.diam) / 2.0 / slope;
        } else {
            d.sinkT = sinkT;
            d.sinkD = d.diam + 2.0 * sinkT * slope;
        }
        if (d.sinkD <= d.diam || (d.len > 0.0 && d.sinkT >= d.len))
            return false;
    }
    if (d.cboreD > 0.0 || d.cboreT > 0.0) {
        if (d.cboreD <= d.diam || d.cboreT <= 0.0 || (d.len > 0.0 && d.cboreT >= d.len))
            return false;
        if (d.sinkD > 0.0)
            return false;
    }
    if (!d.thread.isEmpty()) {
        d.threadT = threadT > 0.0 ? threadT : d.len;
        if (d.len > 0.0 && d.threadT > d.len * (1.0 + 1e-12))
            return false;
    }
    d.outD = std::max({d.diam, d.sinkD, d.cboreD});
    data = d;
    return true;
}

bool objGen(CZunDataItem* gen, int flag)
{
    DrillData d;
    if (!gen || !gen->isDir() || !drillRead(gen, d))
        return false;
    if (flag & kObjGenCheck)
        return true;
    if (!d.thread.isEmpty()) {
        gen->set(d.threadD, L"THREAD_D");
        gen->set(d.pitch, L"PITCH");
        gen->set(d.coreD, L"CORE_D");
        gen->set(d.diam, L"DIAM");
    } else {
        gen->remove(L"THREAD_D");
        gen->remove(L"PITCH");
        gen->remove(L"CORE_D");
    }
    if (d.sinkD > 0.0) {
        gen->set(d.sinkD, L"SINK_D");
        gen->set(d.sinkT, L"SINK_T");
    }
    if (d.through())
        gen->remove(L"TIP_T");
    else
        gen->set(d.tipT, L"TIP_T");
    if (d.len > 0.0)
        gen->set(d.len, L"LEN");
    else
        gen->remove(L"LEN");
    gen->set(d.outD, L"OUT_D");
    return true;
}

bool objModel(const CZunDataItem* part, CZun_Solid& solid)
{
    if (!part)
        return false;
    const CZunDataItem* gen = part->getItem(L"GEN");
    if (!gen || !gen->isDir())
        gen = part;
    DrillData d;
    if (!drillRead(gen, d))
        return false;

    CZunArrayTempl<CZun_Solid::Ring> profile;
    const double r = d.diam / 2.0;
    if (d.sinkD > 0.0) {
        profile.append({d.sinkD / 2.0, 0.0});
        profile.append({r, -d.sinkT});
    } else if (d.cboreD > 0.0) {
        profile.append({d.cboreD / 2.0, 0.0});
        profile.append({d.cboreD / 2.0, -d.cboreT});
        profile.append({r, -d.cboreT});
    } else {
        profile.append({r, 0.0});
    }
    if (d.through()) {
        if (d.thick <= 0.0)
            return false;
        profile.append({r, -d.thick});
    } else {
        profile.append({r, -d.depth});
        profile.append({0.0, -d.depth - d.tipT});
    }

    solid.clear();
    if (d.thick > 0.0) {
        const double w = keyValue(gen, L"PLATE_W", 3.0 * d.outD);
        const double l = keyValue(gen, L"PLATE_L", 3.0 * d.outD);
        if (!(w > d.outD) || !(l > d.outD))
            return false;
        solid.setBlock(CZunPoint3d(-w / 2.0, -l / 2.0, -d.thick), CZunPoint3d(w / 2.0, l / 2.0, 0.0));
        solid.setRevolved(profile, true);
    } else {
        solid.setRevolved(profile, false);
    }
    return true;
}

bool drillImageTop(const CZunDataItem* gen, CZunContourSet& circles)
{
    circles.clear();
    DrillData d;
    if (!drillRead(gen, d))
        return false;
    circles.append(fullCircle(d.outD / 2.0));
    if (d.outD > d.diam)
        circles.append(fullCircle(d.diam / 2.0));
    if (d.threadD > 0.0) {
        // Three quarters from 90° round to 360°, in two arcs of 135°.
        const double r = d.threadD / 2.0;
        const double bulge = std::tan(3.0 * kPi / 16.0);
        const CZunPoint3d mid = polar(CZunPoint3d::kOrigin, 5.0 * kPi / 4.0, r);
        CZunVertexArray arc;
        arc.append(CZunPoint3d(0.0, r), mid, bulge);
        arc.append(mid, CZunPoint3d(r, 0.0), bulge);
        circles.append(arc);
    }
    return true;
}

} // namespace ZUN
