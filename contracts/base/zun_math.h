#pragma once

#include "contracts/base/zun_geometry.h"

#include <numbers>

namespace ZUN {

inline constexpr double kPi = std::numbers::pi;

// The point at distance dist from p in direction angle (radians, in xy).
CZunPoint3d polar(const CZunPoint3d& p, double angle, double dist);
// The vector of length dist in direction angle.
CZunVector3d polar(double angle, double dist);
// Angle of the direction from p1 to p2 in xy, in [0, 2 pi).
double g_ang(const CZunPoint3d& p1, const CZunPoint3d& p2);
// The angle brought into [0, 2 pi).
double g_ang(double angle);

// Componentwise minimum and maximum.
CZunPoint3d p_min(const CZunPoint3d& a, const CZunPoint3d& b);
CZunPoint3d p_max(const CZunPoint3d& a, const CZunPoint3d& b);

// Quiet not-a-number, the module's "no value".
double nan();
bool isNan(double value);

} // namespace ZUN
