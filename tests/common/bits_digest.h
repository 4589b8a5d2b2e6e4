#pragma once

// Results bit for bit: the tests of routines that are sped up now and then
// digest every result over groups of random input and hold each group's
// digest against the value recorded from the routines as they stood.

#include "contracts/base/zun_geometry.h"
#include "contracts/base/zun_math.h"
#include "contracts/base/zun_vertex.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>

namespace zun_test {

// FNV-1a over the bytes of every word added; doubles by their bits.
struct BitsDigest {
    std::uint64_t value = 0xcbf29ce484222325ull;
    long long points = 0;  // points added, alone or as vertex ends
    void add(std::uint64_t word)
    {
        for (int b = 0; b < 8; ++b) {
            value ^= (word >> (8 * b)) & 0xFFu;
            value *= 0x100000001b3ull;
        }
    }
    void add(double d) { add(std::bit_cast<std::uint64_t>(d)); }
    void add(const CZunPoint3d& p)
    {
        ++points;
        add(p.x);
        add(p.y);
        add(p.z);
    }
    // The vertex count, then each vertex's ends and bulge.
    void add(const CZunVertexArray& vl)
    {
        add(static_cast<std::uint64_t>(vl.len()));
        for (const CZunVertex& v : vl) {
            add(v.start());
            add(v.end());
            add(v.bulge());
        }
    }
    // The line count, then each line.
    void add(const CZunArrayTempl<CZunVertexArray>& lines)
    {
        add(static_cast<std::uint64_t>(lines.len()));
        for (const CZunVertexArray& line : lines)
            add(line);
    }
};

// A group of results digested into one value, and the value recorded.
struct BitsCase {
    const char* name;
    std::function<void(BitsDigest&)> group;
    std::uint64_t recorded;
};

inline void PrintTo(const BitsCase& c, std::ostream* os)
{
    *os << c.name;
}

inline std::string BitsCaseName(const ::testing::TestParamInfo<BitsCase>& info)
{
    return info.param.name;
}

// As the recorded values are written in the tests.
inline std::string digestHex(std::uint64_t v)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%016llxull", static_cast<unsigned long long>(v));
    return text;
}

// A closed ring of n straight vertices round (cx, cy), at radius times
// wobble(angle) in each direction: the random contours of these tests.
inline CZunVertexArray wobblyRing(double cx, double cy, double radius, int n,
                                  const std::function<double(double)>& wobble)
{
    CZunArrayTempl<CZunPoint3d> points;
    for (int i = 0; i < n; ++i) {
        const double a = 2.0 * ZUN::kPi * i / n;
        const double r = radius * wobble(a);
        points.append(CZunPoint3d(cx + r * std::cos(a), cy + r * std::sin(a)));
    }
    return CZunVertexArray::fromPoints(points, true);
}

} // namespace zun_test
