#pragma once

#include "contracts/base/zun_obj.h"

#include <cmath>

class CZunMatrix3d;

// Tolerance for "the same point" and "on the line" in model units. Geometry
// in this module is in millimetres or drawing units of similar size, so an
// absolute tolerance serves better than a relative one.
inline constexpr double kZunTol = 1e-9;

class CZunVector3d : public CZunObj {
public:
    double x = 0.0, y = 0.0, z = 0.0;

    constexpr CZunVector3d() = default;
    constexpr CZunVector3d(double x_, double y_, double z_ = 0.0) : x(x_), y(y_), z(z_) {}

    static const CZunVector3d kXAxis, kYAxis, kZAxis;

    double length() const { return std::sqrt(x * x + y * y + z * z); }
    double abs() const { return length(); }
    bool isZeroLength(double tol = kZunTol) const { return length() <= tol; }
    // Unit vector in the same direction; the zero vector stays zero.
    CZunVector3d normal() const;
    CZunVector3d& normalize() { return *this = normal(); }
    double dotProduct(const CZunVector3d& v) const { return x * v.x + y * v.y + z * v.z; }
    CZunVector3d crossProduct(const CZunVector3d& v) const
    {
        return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
    }
    // Any unit vector perpendicular to this one.
    CZunVector3d perpVector() const;
    // Angle to v in [0, pi].
    double angleTo(const CZunVector3d& v) const;
    // Signed angle from this to v about axis, in (-pi, pi].
    double angleTo(const CZunVector3d& v, const CZunVector3d& axis) const;
    bool isEqualTo(const CZunVector3d& v, double tol = kZunTol) const { return (*this - v).length() <= tol; }

    // The direction transformed by m, without translation.
    CZunVector3d& transformBy(const CZunMatrix3d& m);

    CZunVector3d operator-() const { return {-x, -y, -z}; }
    CZunVector3d operator+(const CZunVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    CZunVector3d operator-(const CZunVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
    CZunVector3d operator*(double s) const { return {x * s, y * s, z * s}; }
    CZunVector3d operator/(double s) const { return {x / s, y / s, z / s}; }
    CZunVector3d& operator+=(const CZunVector3d& v) { x += v.x; y += v.y; z += v.z; return *this; }
    CZunVector3d& operator-=(const CZunVector3d& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    CZunVector3d& operator*=(double s) { x *= s; y *= s; z *= s; return *this; }
    friend CZunVector3d operator*(double s, const CZunVector3d& v) { return v * s; }
    friend bool operator==(const CZunVector3d& a, const CZunVector3d& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
    friend bool operator!=(const CZunVector3d& a, const CZunVector3d& b) { return !(a == b); }
};

class CZunPoint3d : public CZunObj {
public:
    double x = 0.0, y = 0.0, z = 0.0;

    constexpr CZunPoint3d() = default;
    constexpr CZunPoint3d(double x_, double y_, double z_ = 0.0) : x(x_), y(y_), z(z_) {}

    static const CZunPoint3d kOrigin;

    double distanceTo(const CZunPoint3d& p) const { return (*this - p).length(); }
    // Distance from the origin.
    double abs() const { return std::sqrt(x * x + y * y + z * z); }
    bool isEqualTo(const CZunPoint3d& p, double tol = kZunTol) const { return distanceTo(p) <= tol; }
    CZunVector3d asVector() const { return {x, y, z}; }
    CZunPoint3d& transformBy(const CZunMatrix3d& m);

    CZunPoint3d operator+(const CZunVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    CZunPoint3d operator-(const CZunVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
    CZunVector3d operator-(const CZunPoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
    CZunPoint3d& operator+=(const CZunVector3d& v) { x += v.x; y += v.y; z += v.z; return *this; }
    CZunPoint3d& operator-=(const CZunVector3d& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    friend bool operator==(const CZunPoint3d& a, const CZunPoint3d& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
    friend bool operator!=(const CZunPoint3d& a, const CZunPoint3d& b) { return !(a == b); }
};

// 4x4 transformation for column vectors: m[row][col], the translation in
// column 3 (x in row 0, y in row 1, z in row 2). A product is taken in the
// order written, so p * (A * B) applies B first, then A.
class CZunMatrix3d : public CZunObj {
public:
    double m[4][4];

    constexpr CZunMatrix3d() : m{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}} {}

    static const CZunMatrix3d kIdentity;

    double* operator[](int row) { return m[row]; }
    const double* operator[](int row) const { return m[row]; }
    double (&entries())[4][4] { return m; }
    const double (&entries() const)[4][4] { return m; }

    CZunMatrix3d& setToIdentity();
    CZunMatrix3d& setToTranslation(const CZunVector3d& v);
    // Rotation by angle (radians, counter-clockwise seen against axis) about
    // the line through center along axis.
    CZunMatrix3d& setToRotation(double angle, const CZunVector3d& axis = CZunVector3d::kZAxis,
                                const CZunPoint3d& center = CZunPoint3d::kOrigin);
    CZunMatrix3d& setToScaling(double factor, const CZunPoint3d& center = CZunPoint3d::kOrigin);
    CZunMatrix3d& setToScaling(const CZunVector3d& factors, const CZunPoint3d& center = CZunPoint3d::kOrigin);
    // Maps the xy plane onto the plane with the given normal (through the
    // origin, or through origin): the x axis chosen by the arbitrary-axis rule
    // that drawing files use for object coordinate systems.
    CZunMatrix3d& setToPlaneToWorld(const CZunVector3d& normal);
    CZunMatrix3d& setToPlaneToWorld(const CZunPoint3d& origin, const CZunVector3d& normal);
    // Columns: the axes, then the origin.
    CZunMatrix3d& setCoordSystem(const CZunPoint3d& origin, const CZunVector3d& xAxis,
                                 const CZunVector3d& yAxis, const CZunVector3d& zAxis);
    void getCoordSystem(CZunPoint3d& origin, CZunVector3d& xAxis, CZunVector3d& yAxis, CZunVector3d& zAxis) const;

    // Column i (0 x, 1 y, 2 z) of the linear part: where the unit axis goes.
    CZunVector3d axis(int i) const;
    CZunVector3d translation() const { return {m[0][3], m[1][3], m[2][3]}; }

    double det() const;
    // Inverse. A singular matrix is inverted on the part that can be: an
    // axis mapped to nothing (a projection flattening z, say) is kept as it
    // is, so picking through a flattening view still finds x and y. When no
    // such repair helps, the result is the identity and ok is false.
    CZunMatrix3d inverse() const;
    bool inverse(CZunMatrix3d& result) const;
    CZunMatrix3d transpose() const;
    // Length of the x axis as the matrix maps it: the scale of a uniform map.
    double scale() const { return axis(0).length(); }
    bool isEqualTo(const CZunMatrix3d& other, double tol = kZunTol) const;
    // True when the matrix turns the xy plane over (seen from +z).
    bool isMirroringXY() const;

    CZunMatrix3d operator*(const CZunMatrix3d& b) const;
    CZunMatrix3d& operator*=(const CZunMatrix3d& b) { return *this = *this * b; }
    friend bool operator==(const CZunMatrix3d& a, const CZunMatrix3d& b);
    friend bool operator!=(const CZunMatrix3d& a, const CZunMatrix3d& b) { return !(a == b); }
};

// A point times a matrix is the transformed point; a vector times a matrix
// the transformed direction. Inline: the painter maps every dash end.
inline CZunPoint3d operator*(const CZunMatrix3d& m, const CZunPoint3d& p)
{
    return {m.m[0][0] * p.x + m.m[0][1] * p.y + m.m[0][2] * p.z + m.m[0][3],
            m.m[1][0] * p.x + m.m[1][1] * p.y + m.m[1][2] * p.z + m.m[1][3],
            m.m[2][0] * p.x + m.m[2][1] * p.y + m.m[2][2] * p.z + m.m[2][3]};
}
inline CZunPoint3d operator*(const CZunPoint3d& p, const CZunMatrix3d& m) { return m * p; }
inline CZunVector3d operator*(const CZunMatrix3d& m, const CZunVector3d& v)
{
    return {m.m[0][0] * v.x + m.m[0][1] * v.y + m.m[0][2] * v.z,
            m.m[1][0] * v.x + m.m[1][1] * v.y + m.m[1][2] * v.z,
            m.m[2][0] * v.x + m.m[2][1] * v.y + m.m[2][2] * v.z};
}
inline CZunVector3d operator*(const CZunVector3d& v, const CZunMatrix3d& m) { return m * v; }
