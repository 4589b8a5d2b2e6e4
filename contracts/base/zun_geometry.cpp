#include "contracts/base/zun_geometry.h"

#include <algorithm>
#include <numbers>
#include <utility>

const CZunVector3d CZunVector3d::kXAxis(1.0, 0.0, 0.0);
const CZunVector3d CZunVector3d::kYAxis(0.0, 1.0, 0.0);
const CZunVector3d CZunVector3d::kZAxis(0.0, 0.0, 1.0);
const CZunPoint3d CZunPoint3d::kOrigin(0.0, 0.0, 0.0);
const CZunMatrix3d CZunMatrix3d::kIdentity;

// ---- vectors and points ------------------------------------------------------

CZunVector3d CZunVector3d::normal() const
{
    const double len = length();
    return len > 0.0 ? *this / len : *this;
}

CZunVector3d CZunVector3d::perpVector() const
{
    const CZunVector3d n = normal();
    const CZunVector3d other = std::abs(n.x) < 0.6 ? kXAxis : kYAxis;
    return n.crossProduct(other).normal();
}

double CZunVector3d::angleTo(const CZunVector3d& v) const
{
    return std::atan2(crossProduct(v).length(), dotProduct(v));
}

double CZunVector3d::angleTo(const CZunVector3d& v, const CZunVector3d& axis) const
{
    const CZunVector3d c = crossProduct(v);
    const double a = std::atan2(c.length(), dotProduct(v));
    return c.dotProduct(axis) < 0.0 ? -a : a;
}

CZunVector3d& CZunVector3d::transformBy(const CZunMatrix3d& m)
{
    return *this = *this * m;
}

CZunPoint3d& CZunPoint3d::transformBy(const CZunMatrix3d& m)
{
    return *this = *this * m;
}

// ---- matrix ------------------------------------------------------------------

CZunMatrix3d& CZunMatrix3d::setToIdentity()
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = r == c ? 1.0 : 0.0;
    return *this;
}

CZunMatrix3d& CZunMatrix3d::setToTranslation(const CZunVector3d& v)
{
    setToIdentity();
    m[0][3] = v.x;
    m[1][3] = v.y;
    m[2][3] = v.z;
    return *this;
}

CZunMatrix3d& CZunMatrix3d::setToRotation(double angle, const CZunVector3d& axis, const CZunPoint3d& center)
{
    const CZunVector3d u = axis.isZeroLength() ? CZunVector3d::kZAxis : axis.normal();
    const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
    setToIdentity();
    m[0][0] = t * u.x * u.x + c;       m[0][1] = t * u.x * u.y - s * u.z; m[0][2] = t * u.x * u.z + s * u.y;
    m[1][0] = t * u.x * u.y + s * u.z; m[1][1] = t * u.y * u.y + c;       m[1][2] = t * u.y * u.z - s * u.x;
    m[2][0] = t * u.x * u.z - s * u.y; m[2][1] = t * u.y * u.z + s * u.x; m[2][2] = t * u.z * u.z + c;
    // Rotating about center: the center must stay where it is.
    const CZunVector3d cv = center.asVector();
    const CZunVector3d shift = cv - (*this) * cv;
    m[0][3] = shift.x;
    m[1][3] = shift.y;
    m[2][3] = shift.z;
    return *this;
}

CZunMatrix3d& CZunMatrix3d::setToScaling(double factor, const CZunPoint3d& center)
{
    return setToScaling(CZunVector3d(factor, factor, factor), center);
}

CZunMatrix3d& CZunMatrix3d::setToScaling(const CZunVector3d& f, const CZunPoint3d& center)
{
    setToIdentity();
    m[0][0] = f.x;
    m[1][1] = f.y;
    m[2][2] = f.z;
    m[0][3] = center.x * (1.0 - f.x);
    m[1][3] = center.y * (1.0 - f.y);
    m[2][3] = center.z * (1.0 - f.z);
    return *this;
}

CZunMatrix3d& CZunMatrix3d::setToPlaneToWorld(const CZunVector3d& normal)
{
    return setToPlaneToWorld(CZunPoint3d::kOrigin, normal);
}

CZunMatrix3d& CZunMatrix3d::setToPlaneToWorld(const CZunPoint3d& origin, const CZunVector3d& normal)
{
    const CZunVector3d n = normal.isZeroLength() ? CZunVector3d::kZAxis : normal.normal();
    constexpr double limit = 1.0 / 64.0;
    const CZunVector3d xAxis = (std::abs(n.x) < limit && std::abs(n.y) < limit)
                                   ? CZunVector3d::kYAxis.crossProduct(n).normal()
                                   : CZunVector3d::kZAxis.crossProduct(n).normal();
    const CZunVector3d yAxis = n.crossProduct(xAxis).normal();
    return setCoordSystem(origin, xAxis, yAxis, n);
}

CZunMatrix3d& CZunMatrix3d::setCoordSystem(const CZunPoint3d& origin, const CZunVector3d& xAxis,
                                           const CZunVector3d& yAxis, const CZunVector3d& zAxis)
{
    setToIdentity();
    const CZunVector3d cols[3] = {xAxis, yAxis, zAxis};
    for (int c = 0; c < 3; ++c) {
        m[0][c] = cols[c].x;
        m[1][c] = cols[c].y;
        m[2][c] = cols[c].z;
    }
    m[0][3] = origin.x;
    m[1][3] = origin.y;
    m[2][3] = origin.z;
    return *this;
}

void CZunMatrix3d::getCoordSystem(CZunPoint3d& origin, CZunVector3d& xAxis, CZunVector3d& yAxis,
                                  CZunVector3d& zAxis) const
{
    origin = CZunPoint3d(m[0][3], m[1][3], m[2][3]);
    xAxis = axis(0);
    yAxis = axis(1);
    zAxis = axis(2);
}

CZunVector3d CZunMatrix3d::axis(int i) const
{
    i = std::clamp(i, 0, 3);
    return {m[0][i], m[1][i], m[2][i]};
}

double CZunMatrix3d::det() const
{
    // Laplace expansion over 2x2 minors of the first two and last two rows.
    const double s0 = m[0][0] * m[1][1] - m[1][0] * m[0][1];
    const double s1 = m[0][0] * m[1][2] - m[1][0] * m[0][2];
    const double s2 = m[0][0] * m[1][3] - m[1][0] * m[0][3];
    const double s3 = m[0][1] * m[1][2] - m[1][1] * m[0][2];
    const double s4 = m[0][1] * m[1][3] - m[1][1] * m[0][3];
    const double s5 = m[0][2] * m[1][3] - m[1][2] * m[0][3];
    const double c5 = m[2][2] * m[3][3] - m[3][2] * m[2][3];
    const double c4 = m[2][1] * m[3][3] - m[3][1] * m[2][3];
    const double c3 = m[2][1] * m[3][2] - m[3][1] * m[2][2];
    const double c2 = m[2][0] * m[3][3] - m[3][0] * m[2][3];
    const double c1 = m[2][0] * m[3][2] - m[3][0] * m[2][2];
    const double c0 = m[2][0] * m[3][1] - m[3][0] * m[2][1];
    return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
}

namespace {

// Gauss-Jordan with partial pivoting. False when a pivot vanishes relative
// to the size of the entries.
bool invertGaussJordan(const double (&in)[4][4], double (&out)[4][4])
{
    double a[4][8];
    double largest = 0.0;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = in[r][c];
            a[r][c + 4] = r == c ? 1.0 : 0.0;
            largest = std::max(largest, std::abs(in[r][c]));
        }
    const double eps = 1e-12 * std::max(largest, 1e-300);
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::abs(a[r][c]) > std::abs(a[pivot][c]))
                pivot = r;
        if (std::abs(a[pivot][c]) <= eps)
            return false;
        if (pivot != c)
            for (int k = 0; k < 8; ++k)
                std::swap(a[c][k], a[pivot][k]);
        const double inv = 1.0 / a[c][c];
        for (int k = 0; k < 8; ++k)
            a[c][k] *= inv;
        for (int r = 0; r < 4; ++r) {
            if (r == c || a[r][c] == 0.0)
                continue;
            const double f = a[r][c];
            for (int k = 0; k < 8; ++k)
                a[r][k] -= f * a[c][k];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[r][c] = a[r][c + 4];
    return true;
}

// The unit vector orthogonal to the best-conditioned pair of three vectors,
// or the zero vector when all three are (nearly) parallel.
CZunVector3d missingDirection(const CZunVector3d (&v)[3])
{
    CZunVector3d best;
    for (int i = 0; i < 3; ++i) {
        const CZunVector3d c = v[i].crossProduct(v[(i + 1) % 3]);
        if (c.length() > best.length())
            best = c;
    }
    return best.length() > 1e-12 ? best.normal() : CZunVector3d();
}

} // namespace

bool CZunMatrix3d::inverse(CZunMatrix3d& result) const
{
    if (invertGaussJordan(m, result.m))
        return true;
    // Rank 2 in the linear part: add the map from its null direction onto the
    // direction its image lacks. For a flattening projection this keeps the
    // flattened axis as it is and inverts the rest exactly.
    const CZunVector3d rows[3] = {{m[0][0], m[0][1], m[0][2]}, {m[1][0], m[1][1], m[1][2]}, {m[2][0], m[2][1], m[2][2]}};
    const CZunVector3d cols[3] = {axis(0), axis(1), axis(2)};
    const CZunVector3d nullDir = missingDirection(rows);
    const CZunVector3d imageGap = missingDirection(cols);
    if (!nullDir.isZeroLength() && !imageGap.isZeroLength()) {
        CZunMatrix3d repaired = *this;
        const double n[3] = {nullDir.x, nullDir.y, nullDir.z};
        const double g[3] = {imageGap.x, imageGap.y, imageGap.z};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                repaired.m[r][c] += g[r] * n[c];
        if (invertGaussJordan(repaired.m, result.m))
            return true;
    }
    result.setToIdentity();
    return false;
}

CZunMatrix3d CZunMatrix3d::inverse() const
{
    CZunMatrix3d result;
    inverse(result);
    return result;
}

CZunMatrix3d CZunMatrix3d::transpose() const
{
    CZunMatrix3d t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            t.m[r][c] = m[c][r];
    return t;
}

bool CZunMatrix3d::isEqualTo(const CZunMatrix3d& other, double tol) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::abs(m[r][c] - other.m[r][c]) > tol)
                return false;
    return true;
}

bool CZunMatrix3d::isMirroringXY() const
{
    return axis(0).crossProduct(axis(1)).z < 0.0;
}

CZunMatrix3d CZunMatrix3d::operator*(const CZunMatrix3d& b) const
{
    CZunMatrix3d r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k)
                s += m[i][k] * b.m[k][j];
            r.m[i][j] = s;
        }
    return r;
}

bool operator==(const CZunMatrix3d& a, const CZunMatrix3d& b)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (a.m[r][c] != b.m[r][c])
                return false;
    return true;
}
