#include "contracts/base/zun_math.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ZUN {

CZunPoint3d polar(const CZunPoint3d& p, double angle, double dist)
{
    return p + polar(angle, dist);
}

CZunVector3d polar(double angle, double dist)
{
    return {std::cos(angle) * dist, std::sin(angle) * dist, 0.0};
}

double g_ang(const CZunPoint3d& p1, const CZunPoint3d& p2)
{
    return g_ang(std::atan2(p2.y - p1.y, p2.x - p1.x));
}

double g_ang(double angle)
{
    if (!std::isfinite(angle))
        return angle;
    double a = std::fmod(angle, 2.0 * kPi);
    if (a < 0.0)
        a += 2.0 * kPi;
    // fmod of a tiny negative angle plus 2 pi rounds to 2 pi itself.
    return a >= 2.0 * kPi ? 0.0 : a;
}

CZunPoint3d p_min(const CZunPoint3d& a, const CZunPoint3d& b)
{
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}

CZunPoint3d p_max(const CZunPoint3d& a, const CZunPoint3d& b)
{
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

double nan()
{
    return std::numeric_limits<double>::quiet_NaN();
}

bool isNan(double value)
{
    return std::isnan(value);
}

} // namespace ZUN
