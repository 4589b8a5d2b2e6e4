#include "render/core/zun_hatching.h"

#include "contracts/base/zun_math.h"
#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_app.h"
#include "contracts/data/zun_units.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace {

using Contours = CZunArrayTempl<CZunVertexArray>;

// The painter fills instead of hatching when lines would come closer than
// this many device units (a grey smear) ...
constexpr double kMinDeviceSpacing = 2.3;
// ... or when this many spacings or more span the region: generating them
// would cost more than the picture is worth.
constexpr double kMaxSpacingsAcross = 95.0;

// Reach of a construction line to either side of the pattern origin: plain
// lines in region diagonals, dashed ones in whole dash periods, so that the
// dashes still sit on the pattern origin where the line passes it. Gravel
// has stones far larger than its spacing and needs the longer reach.
constexpr double kPlainReach = 15.0;
constexpr double kDashReach = 20.0;
constexpr double kGravelReach = 150.0;
constexpr double kFineGravelReach = 200.0;
// Line positions tried per line the region is tall, before the walk gives up.
constexpr std::int64_t kStepsPerLine = 20;
constexpr std::int64_t kFineGravelStepsPerLine = 200;

// Counts far beyond anything drawable, kept below the point where a double
// stops holding whole numbers, so that they can be stepped through.
constexpr double kMaxCount = 1e12;

CZunString upperName(const CZunString& name)
{
    CZunString upper = name;
    upper.makeUpper();
    return upper;
}

// The frame of a pattern line: x along the line, y across it.
CZunMatrix3d lineFrame(double degrees)
{
    const double a = degrees * ZUN::kPi / 180.0;
    const double b = a + ZUN::kPi / 2.0;
    CZunMatrix3d cs;
    cs.setCoordSystem(CZunPoint3d::kOrigin, CZunVector3d(std::cos(a), std::sin(a), 0.0),
                      CZunVector3d(std::cos(b), std::sin(b), 0.0), CZunVector3d::kZAxis);
    return cs;
}

std::int64_t toCount(double value)
{
    if (!(value > 0.0))
        return 0;
    return static_cast<std::int64_t>(std::min(value, kMaxCount));
}

CZunPoint3d midPoint(const CZunVertexArray& piece)
{
    if (piece.len() == 1)
        return piece.first().mid();
    double rest = 0.5 * piece.length();
    for (const CZunVertex& v : piece) {
        const double len = v.bulgLen();
        if (rest <= len)
            return v.pointAt(len > 0.0 ? rest / len : 0.0);
        rest -= len;
    }
    return piece.last().end();
}

bool liesOn(const CZunVertexArray& piece, const CZunPoint3d& p)
{
    return std::any_of(piece.begin(), piece.end(), [&](const CZunVertex& v) { return v.isPoint(p); });
}

// The vertices of a contour set bucketed by the band of offsets they cover
// across the hatch lines (along the lines' unit normal). A hatch line can
// meet only the vertices whose band holds its offset, so the intersections
// are asked of those few instead of the whole region: on a region of a
// thousand vertices that is most of the frame time otherwise. The margin
// is far above the intersection tolerances, so no meeting vertex is missed.
class BandIndex {
public:
    void build(const Contours& contours, const CZunVector3d& normal, double spacing)
    {
        m_contours = &contours;
        m_lo.clear();
        m_hi.clear();
        m_contourOf.clear();
        m_firstOf.assign(static_cast<size_t>(contours.len()), 0);
        double mag = 0.0;
        for (int c = 0; c < contours.len(); ++c) {
            m_firstOf[static_cast<size_t>(c)] = static_cast<int>(m_lo.size());
            for (const CZunVertex& v : contours[c]) {
                const CZunPoint3d& s = v.start();
                const CZunPoint3d& e = v.end();
                mag = std::max({mag, std::abs(s.x), std::abs(s.y), std::abs(e.x), std::abs(e.y)});
                const double os = normal.x * s.x + normal.y * s.y;
                const double oe = normal.x * e.x + normal.y * e.y;
                // An arc keeps within its sagitta of the chord up to a half
                // circle, beyond that within a diameter of its start.
                double reach = 0.0;
                const double b = std::abs(v.bulge());
                if (b != 0.0 && std::isfinite(b)) {
                    const double chord = std::abs(e.x - s.x) + std::abs(e.y - s.y);
                    reach = b <= 1.0 ? 0.5 * b * chord : 0.5 * chord * (1.0 / b + b);
                }
                m_lo.push_back(std::min(os, oe) - reach);
                m_hi.push_back(std::max(os, oe) + reach);
                m_contourOf.push_back(c);
            }
        }
        const double margin = 1e-6 + 1e-10 * mag;
        m_min = std::numeric_limits<double>::infinity();
        m_max = -m_min;
        for (size_t f = 0; f < m_lo.size(); ++f) {
            m_lo[f] -= margin;
            m_hi[f] += margin;
            m_min = std::min(m_min, m_lo[f]);
            m_max = std::max(m_max, m_hi[f]);
        }
        m_buckets = 1;
        m_height = 1.0;
        const double span = m_max - m_min;
        if (std::isfinite(span) && span > 0.0 && spacing > 0.0) {
            m_buckets = static_cast<int>(std::clamp(std::ceil(span / spacing), 1.0, double(kMaxBuckets)));
            m_height = span / m_buckets;
        }
        m_start.assign(static_cast<size_t>(m_buckets) + 1, 0);
        for (size_t f = 0; f < m_lo.size(); ++f)
            for (int k = bucketOf(m_lo[f]), l = bucketOf(m_hi[f]); k <= l; ++k)
                ++m_start[static_cast<size_t>(k) + 1];
        for (int k = 0; k < m_buckets; ++k)
            m_start[static_cast<size_t>(k) + 1] += m_start[static_cast<size_t>(k)];
        m_ids.resize(static_cast<size_t>(m_start.back()));
        m_cursor.assign(m_start.begin(), m_start.end() - 1);
        for (size_t f = 0; f < m_lo.size(); ++f)
            for (int k = bucketOf(m_lo[f]), l = bucketOf(m_hi[f]); k <= l; ++k)
                m_ids[static_cast<size_t>(m_cursor[static_cast<size_t>(k)]++)] = static_cast<int>(f);
    }

    // Calls f(c, i) for every vertex i of contour c whose band holds offset,
    // in contour order and within a contour in vertex order.
    template <class F>
    void visit(double offset, F&& f) const
    {
        if (!(offset >= m_min && offset <= m_max))
            return;
        const int k = bucketOf(offset);
        for (int j = m_start[static_cast<size_t>(k)]; j < m_start[static_cast<size_t>(k) + 1]; ++j) {
            const size_t flat = static_cast<size_t>(m_ids[static_cast<size_t>(j)]);
            if (m_lo[flat] <= offset && m_hi[flat] >= offset) {
                const int c = m_contourOf[flat];
                f(c, static_cast<int>(flat) - m_firstOf[static_cast<size_t>(c)]);
            }
        }
    }

    size_t bytes() const
    {
        return (m_lo.capacity() + m_hi.capacity()) * sizeof(double) +
               (m_contourOf.capacity() + m_firstOf.capacity() + m_start.capacity() + m_ids.capacity() +
                m_cursor.capacity()) *
                   sizeof(int);
    }

    // Fills out[c] with the vertices of contour c that may meet the line at
    // offset, in contour order (the order the intersections come back in).
    void select(double offset, Contours& out) const
    {
        out.setLen(m_contours->len());
        for (CZunVertexArray& vl : out)
            vl.clear();
        visit(offset, [&](int c, int i) { out[c].append((*m_contours)[c].get(i)); });
    }

private:
    static constexpr int kMaxBuckets = 1 << 16;

    // floor((offset - min) / height) held to the buckets, by truncation,
    // which is the floor for the quotients of one and more it is taken of.
    int bucketOf(double offset) const
    {
        const double q = (offset - m_min) / m_height;
        if (!(q >= 1.0))
            return 0;
        return q >= m_buckets - 1 ? m_buckets - 1 : static_cast<int>(q);
    }

    const Contours* m_contours = nullptr;
    std::vector<double> m_lo, m_hi;
    std::vector<int> m_contourOf, m_firstOf;
    std::vector<int> m_start, m_ids, m_cursor;
    double m_min = 0.0, m_max = 0.0, m_height = 1.0;
    int m_buckets = 1;
};

// Inside tests of points by g_vll_pt_inside, asked of a stand-in for the
// contour set that gives the same answer at a fraction of the cost. The
// test casts a ray along +x, so only vertices reaching the point's height
// count. Every other vertex lies wholly above or below it, and so does each
// unbroken run of them (a run crossing the height would hold a vertex that
// reaches it); such a run is replaced by its chord, which lies on the same
// side and, like the run, neither crosses the ray nor comes near the point.
// The contours keep their ends, so they close as before.
class InsideProbe {
public:
    void build(const Contours& contours, double spacing)
    {
        m_contours = &contours;
        m_index.build(contours, CZunVector3d::kYAxis, spacing);
        m_continuous.assign(static_cast<size_t>(contours.len()), 0);
        for (int c = 0; c < contours.len(); ++c)
            m_continuous[static_cast<size_t>(c)] = contours[c].isContinuous(0.0) ? 1 : 0;
        m_hits.resize(static_cast<size_t>(contours.len()));
    }

    int inside(const CZunPoint3d& p)
    {
        const Contours& contours = *m_contours;
        for (std::vector<int>& hits : m_hits)
            hits.clear();
        m_index.visit(p.y, [&](int c, int i) { m_hits[static_cast<size_t>(c)].push_back(i); });
        m_reduced.setLen(contours.len());
        for (int c = 0; c < contours.len(); ++c) {
            const CZunVertexArray& contour = contours[c];
            CZunVertexArray& reduced = m_reduced[c];
            reduced.clear();
            if (!m_continuous[static_cast<size_t>(c)]) {
                // Gaps would let a chord join what the test keeps apart.
                reduced.append(contour);
                continue;
            }
            int next = 0;  // first vertex not yet taken over
            for (const int i : m_hits[static_cast<size_t>(c)]) {
                if (i > next)
                    reduced.append(contour.get(next).start(), contour.get(i - 1).end());
                reduced.append(contour.get(i));
                next = i + 1;
            }
            if (next < contour.len())
                reduced.append(contour.get(next).start(), contour.last().end());
        }
        return ZUN::g_vll_pt_inside(m_reduced, p);
    }

    size_t bytes() const
    {
        size_t sum = m_index.bytes() + m_continuous.capacity();
        for (const std::vector<int>& hits : m_hits)
            sum += hits.capacity() * sizeof(int);
        for (const CZunVertexArray& vl : m_reduced)
            sum += vl.vector().capacity() * sizeof(CZunVertex);
        return sum;
    }

private:
    const Contours* m_contours = nullptr;
    BandIndex m_index;
    std::vector<char> m_continuous;
    std::vector<std::vector<int>> m_hits;
    Contours m_reduced;
};

// The working arrays of a walk, kept per thread from one region to the
// next: the kept pieces of all lines of a pattern line and their clipped
// copy, the region in the line's frame and its indexes, the candidates and
// dashes of a line position. Grown anew for every region, their fresh
// pages and allocations cost more than hatching a small region. Every walk
// fills what it reads before reading it. A walk begun while another runs
// on the same thread gets arrays of its own, and arrays grown beyond
// kKeepBytes by a huge region are let go afterwards rather than held for
// the thread's life.
struct WalkBuffers {
    CZunVertexArray kept, clipped;
    std::vector<int> clipStart;
    Contours local, cand;
    BandIndex index;
    InsideProbe probe;
    CZunArrayTempl<double> dashList;
    CZunVertexArray seg, testSeg, trim, dashV, dash;
    CZunPoint3dArray pts;
    std::vector<int> dashStart;
    ZUN::CZunMeasureWork measureWork;
    std::vector<double> dashU0, dashU1, keptAt;
    bool busy = false;

    // What the arrays that grow with the region and its lines hold.
    size_t bytes() const
    {
        const auto vertices = [](const CZunVertexArray& vl) { return vl.vector().capacity() * sizeof(CZunVertex); };
        const auto contours = [&](const Contours& set) {
            size_t sum = 0;
            for (const CZunVertexArray& vl : set)
                sum += vertices(vl);
            return sum;
        };
        return vertices(kept) + vertices(clipped) + vertices(dashV) + contours(local) + contours(cand) +
               index.bytes() + probe.bytes() + pts.vector().capacity() * sizeof(CZunPoint3d) +
               (keptAt.capacity() + dashU0.capacity() + dashU1.capacity()) * sizeof(double) +
               (clipStart.capacity() + dashStart.capacity()) * sizeof(int);
    }
};

class WalkBuffersLease {
public:
    WalkBuffersLease() : m_shared(shared())
    {
        if (m_shared.busy) {
            m_own = std::make_unique<WalkBuffers>();
            m_buffers = m_own.get();
        } else {
            m_shared.busy = true;
            m_buffers = &m_shared;
        }
    }
    ~WalkBuffersLease()
    {
        if (m_buffers != &m_shared)
            return;
        if (m_shared.bytes() > kKeepBytes)
            m_shared = WalkBuffers();
        m_shared.busy = false;
    }
    WalkBuffersLease(const WalkBuffersLease&) = delete;
    WalkBuffersLease& operator=(const WalkBuffersLease&) = delete;

    WalkBuffers& buffers() { return *m_buffers; }

private:
    static constexpr size_t kKeepBytes = size_t(16) << 20;

    static WalkBuffers& shared()
    {
        thread_local WalkBuffers buffers;
        return buffers;
    }

    WalkBuffers& m_shared;
    std::unique_ptr<WalkBuffers> m_own;
    WalkBuffers* m_buffers = nullptr;
};

// Hatches one region, pattern line by pattern line. Holds the working
// arrays so that the walk over line positions reuses them instead of
// allocating anew for every line.
class HatchWalker {
public:
    HatchWalker(const Contours& contours, const CZunMatrix3d& mtx, const ZUN::CHatchProp& hatch, bool gravel,
                 double diag, double dotLength, Contours* result, ZunHatchLines* flatResult)
        : m_pattern(contours), m_mtx(mtx), m_scale(hatch.scale()), m_gravel(gravel), m_diag(diag),
          m_dotLen(dotLength), m_result(result), m_flatResult(flatResult)
    {
        m_angle = hatch.angle();
        m_turned = m_angle != 0.0;
        m_rot.setToRotation(hatch.angle(), CZunVector3d::kZAxis, CZunPoint3d::kOrigin);
        m_dir = CZunVector3d::kXAxis * m_rot;
        m_normal = CZunVector3d::kYAxis * m_rot;
        m_seg.setLen(1);
        m_testSeg.setLen(1);
        m_trim.setLen(1);
    }

    void run(const ZUN::CPatternLine& line)
    {
        const double dx = m_scale * line.shift;
        const double dy = m_scale * line.spacing;
        if (!(std::abs(dy) > 0.0))
            return;  // no spacing: no lines

        const CZunMatrix3d cs = lineFrame(line.angle);
        const CZunMatrix3d toLocal = cs.inverse();
        m_local.setLen(m_pattern.len());
        for (int c = 0; c < m_pattern.len(); ++c) {
            m_local[c].vector().assign(m_pattern[c].begin(), m_pattern[c].end());
            m_local[c].setArcNormal(m_pattern[c].arcNormal());
            m_local[c].transformBy(toLocal);
        }
        CZunPoint3d ext0, ext1;
        ZUN::g_vl_extmax(m_local[0], 0.0, ext0, ext1);
        const double lineCount = std::trunc(ext0.distanceTo(ext1) / std::abs(dy) + 1.0);

        m_dashList.clear();
        double period = 0.0;
        for (const double entry : line.dashes) {
            if (entry == 0.0) {
                m_dashList.append(m_dotLen);
                period += 1.0;
            } else {
                m_dashList.append(m_scale * entry);
                period += std::abs(m_scale * entry);
            }
        }
        m_dashed = !m_dashList.isEmpty() && period > 0.0 && std::isfinite(period);
        const bool fineGravel = m_gravel && m_scale < 1.0;
        if (m_dashed) {
            const double whole = (std::trunc(m_diag / period) + 1.0) * period;
            m_halfLen = whole * (m_gravel ? (fineGravel ? kFineGravelReach : kGravelReach) : kDashReach);
        } else {
            m_halfLen = m_diag * kPlainReach;
        }

        const CZunPoint3d base = toLocal * CZunPoint3d(m_scale * line.originX, m_scale * line.originY, 0.0);
        m_base = base;
        // Every step goes up by |dy|; the shift along the line follows it.
        m_stepX = dy > 0.0 ? dx : -dx;
        m_stepY = std::abs(dy);

        m_index.build(m_local, m_normal, m_stepY);
        if (m_dashed) {
            if (!prepareDashes())
                return;
            m_probe.build(m_local, m_stepY);
        }

        // Start at the first position below the region, counted straight
        // away rather than stepped to: the origin may lie far above it.
        // Lines turned by the hatch angle are measured in the turned frame,
        // where they run along x; in the line frame the region may lie on
        // the other side of the origin, and the walk upward would never
        // reach it.
        double bottom = ext0.y;
        if (m_turned) {
            CZunPoint3d turned0, turned1;
            ZUN::g_vl_extmax(m_local[0], m_angle, turned0, turned1);
            bottom = turned0.y;
        }
        std::int64_t k = 0;
        if (yAt(0) > bottom) {
            k = -toCount(std::floor((yAt(0) - bottom) / m_stepY));
            while (yAt(k) > bottom)
                --k;
            while (k < 0 && yAt(k + 1) <= bottom)
                ++k;
        }
        const std::int64_t stepLimit = toCount(lineCount) * (fineGravel ? kFineGravelStepsPerLine : kStepsPerLine);
        // A turned line may still cross the region there; go back until it
        // no longer does.
        for (std::int64_t i = 0; i < stepLimit; ++i) {
            --k;
            if (!lineMeets(k))
                break;
        }

        m_kept.clear();
        m_keptAt.clear();
        bool met = false;
        for (std::int64_t i = 0; i < 3 * stepLimit; ++i) {
            ++k;
            if (visit(k))
                met = true;
            else if (met)
                break;
        }
        emit(cs);
    }

private:
    double yAt(std::int64_t k) const { return m_base.y + static_cast<double>(k) * m_stepY; }

    // The construction line at position k, before the hatch angle turns it.
    CZunVertex lineAt(std::int64_t k) const
    {
        const double shift = static_cast<double>(k) * m_stepX;
        const double y = yAt(k);
        return {{m_base.x - m_halfLen + shift, y, m_base.z}, {m_base.x + m_halfLen + shift, y, m_base.z}};
    }

    CZunVertex turn(const CZunVertex& v) const
    {
        if (!m_turned)
            return v;
        CZunVertex w = v;
        return w.transformBy(m_rot);
    }

    // The dashes of a construction line start at its start, which lies whole
    // periods before the pattern origin. Only the part of a line near the
    // region is dashed, from a whole period before it, which gives the very
    // dashes the whole line would have there; two periods of slack on each
    // side keep every dash that reaches the region whole.
    bool prepareDashes()
    {
        m_parm = ZUN::CZunLineParm(m_dashList);
        m_dashPeriod = m_parm.period();
        if (!std::any_of(m_dashList.begin(), m_dashList.end(), [](double d) { return d > 0.0; }))
            return false;  // all gaps: nothing is ever drawn
        // The Base library leaves a line whole rather than cut it into more
        // repetitions than that; a part of the line must come out the same.
        m_tooFine = 2.0 * m_halfLen / m_dashPeriod > ZUN::kZunMaxDashCycles;
        m_uLo = std::numeric_limits<double>::infinity();
        m_uHi = -m_uLo;
        for (const CZunVertexArray& contour : m_local) {
            CZunPoint3d c0, c1;
            // Along the turned line: the frame turned by the hatch angle.
            if (ZUN::g_vl_extmax(contour, m_angle, c0, c1)) {
                m_uLo = std::min(m_uLo, c0.x);
                m_uHi = std::max(m_uHi, c1.x);
            }
        }
        return true;
    }

    // Fills m_dashV with the dashes of line k near the region, turned, and
    // their spans along the line; false when there are none.
    bool dashesAt(std::int64_t k, const CZunVertex& line)
    {
        m_dashU0.clear();
        m_dashU1.clear();
        const double uStart = line.start().x, uEnd = line.end().x;
        m_dashV.clear();
        m_dashStart.clear();
        if (m_tooFine) {
            m_dashV.append(line);
            m_dashStart.push_back(0);
        } else {
            const double lo = std::max(uStart, m_uLo - 2.0 * m_dashPeriod);
            const double hi = std::min(uEnd, m_uHi + 2.0 * m_dashPeriod);
            if (!(hi > lo))
                return false;
            const double from = uStart + std::floor((lo - uStart) / m_dashPeriod) * m_dashPeriod;
            const double y = yAt(k);
            m_trim[0] = CZunVertex({from, y, m_base.z}, {hi, y, m_base.z});
            ZUN::g_vl_measure_split(m_trim, 1.0, m_parm.dashes(), m_dashV, m_dashStart, m_measureWork);
        }
        const size_t pieces = m_dashStart.size();
        m_dashStart.push_back(m_dashV.len());
        for (size_t j = 0; j < pieces; ++j) {
            m_dashU0.push_back(m_dashV.get(m_dashStart[j]).start().x);
            m_dashU1.push_back(m_dashV.get(m_dashStart[j + 1] - 1).end().x);
        }
        if (m_turned)
            for (CZunVertex& v : m_dashV) {
                v.setStart(m_rot * v.start());
                v.setEnd(m_rot * v.end());
            }
        return pieces > 0;
    }

    // Dash j as an array of its own, for the rare dash that an end of an
    // inside span cuts.
    const CZunVertexArray& dashAt(size_t j)
    {
        m_dash.vector().assign(m_dashV.begin() + m_dashStart[j], m_dashV.begin() + m_dashStart[j + 1]);
        return m_dash;
    }

    void keepDash(size_t j)
    {
        m_kept.vector().insert(m_kept.vector().end(), m_dashV.begin() + m_dashStart[j],
                               m_dashV.begin() + m_dashStart[j + 1]);
    }

    bool lineMeets(std::int64_t k)
    {
        m_index.select(yAt(k), m_cand);
        if (m_cand[0].isEmpty())
            return false;
        m_seg[0] = turn(lineAt(k));
        m_pts.clear();
        return m_cand[0].intersectWith(m_seg, 0, m_pts) > 0;
    }

    // Hatch line k: false when it misses contour 0, else its pieces are kept.
    bool visit(std::int64_t k)
    {
        m_index.select(yAt(k), m_cand);
        if (m_cand[0].isEmpty())
            return false;
        const CZunVertex line = lineAt(k);
        const CZunVertex turned = turn(line);
        m_seg[0] = turned;
        m_pts.clear();
        if (m_dashed) {
            if (!dashesAt(k, line))
                return false;
            m_testSeg[0] = CZunVertex(m_dashV.first().start(), m_dashV.last().end());
            if (m_cand[0].intersectWith(m_testSeg, 0, m_pts) == 0)
                return false;
            m_pts.clear();
            m_cand[0].intersectWith(m_seg, 3, m_pts);
        } else if (m_cand[0].intersectWith(m_seg, 3, m_pts) == 0) {
            return false;
        }
        // Pairs over all contours: the holes open the line where it crosses them.
        for (int c = 1; c < m_cand.len(); ++c)
            if (!m_cand[c].isEmpty())
                m_cand[c].intersectWith(m_seg, 3, m_pts);
        // An odd count means the line touches a corner; any pairing would
        // then fill the outside, so this position draws nothing.
        if (m_pts.len() % 2 != 0)
            return true;
        m_pts.sort(turned.start() - turned.end());

        const int before = m_kept.len();
        for (int i = 0; i + 1 < m_pts.len(); i += 2) {
            const CZunVertex span(m_pts[i], m_pts[i + 1]);
            if (m_dashed)
                keepDashes(span);
            else
                m_kept.append(span);
        }
        if (m_kept.len() > before)
            m_keptAt.push_back(yAt(k));
        return true;
    }

    // The dashes over the inside span s: a dash within s whole, s within a
    // dash as its part of it, and a dash across one end of s cut there,
    // keeping the part whose middle is inside the region.
    void keepDashes(const CZunVertex& s)
    {
        const double ua = s.start().asVector().dotProduct(m_dir);
        const double ub = s.end().asVector().dotProduct(m_dir);
        const double lo = std::min(ua, ub), hi = std::max(ua, ub);
        // Dashes further off than this cannot touch s; everything nearer is
        // decided by the point tests below.
        const double margin = 1e-6 + 1e-12 * (std::abs(lo) + std::abs(hi));
        auto it = std::lower_bound(m_dashU1.begin(), m_dashU1.end(), lo - margin);
        for (size_t j = static_cast<size_t>(it - m_dashU1.begin()); j < m_dashU0.size(); ++j) {
            if (m_dashU0[j] > hi + margin)
                break;
            // Well within s along the line: no end of s can lie on the dash,
            // and both ends of the dash lie on s, so the dash is kept whole.
            // Most dashes are such, and this spares them four point tests.
            if (m_dashU0[j] > lo + margin && m_dashU1[j] < hi - margin) {
                keepDash(j);
                continue;
            }
            const CZunVertexArray& dash = dashAt(j);
            const bool startOn = liesOn(dash, s.start());
            const bool endOn = liesOn(dash, s.end());
            if (startOn && endOn) {
                m_kept.append(ZUN::g_vl_cut(dash, s.start(), s.end()));
            } else if (s.isPoint(dash.first().start()) && s.isPoint(dash.last().end())) {
                keepDash(j);
            } else if (startOn || endOn) {
                const Contours parts = dash.breakVertex(startOn ? s.start() : s.end());
                if (parts.len() != 2)
                    continue;
                if (m_probe.inside(midPoint(parts[0])) >= 1)
                    m_kept.append(parts[0]);
                else if (m_probe.inside(midPoint(parts[1])) > 0)
                    m_kept.append(parts[1]);
            }
        }
    }

    // Clips the kept pieces of all lines of this pattern line to contour 0 in
    // one go (the holes are already open through the pairing) and hands out
    // one vertex array per hatch line. One clip instead of one per line
    // spares building the contour's search grid for every line; the pieces
    // come back in order, each on the line it was kept for.
    void emit(const CZunMatrix3d& cs)
    {
        if (m_kept.isEmpty())
            return;
        m_clipped.clear();
        m_clipStart.clear();
        ZUN::g_vl_punch_split(m_kept, m_local[0], true, m_clipped, m_clipStart);
        m_clipStart.push_back(m_clipped.len());
        const CZunMatrix3d toResult = m_mtx * cs;
        const bool mirror = toResult.isMirroringXY();
        CZunVertexArray joined;
        size_t at = 0;
        const auto flush = [&]() {
            if (joined.isEmpty())
                return;
            joined.transformBy(toResult);
            m_result->append(std::move(joined));
            joined = CZunVertexArray();
        };
        // The pieces of one line lie next to each other: they go over in
        // one copy, from the first piece of the line to the first of the next.
        int lineFrom = 0, lineTo = 0;
        const auto take = [&]() {
            if (m_flatResult)
                appendFlat(lineFrom, lineTo, toResult, mirror);
            else {
                joined.vector().assign(m_clipped.begin() + lineFrom, m_clipped.begin() + lineTo);
                flush();
            }
        };
        for (size_t p = 0; p + 1 < m_clipStart.size(); ++p) {
            const int first = m_clipStart[p], end = m_clipStart[p + 1];
            if (first == end)
                continue;
            const double offset = m_clipped.get(first).start().asVector().dotProduct(m_normal);
            while (at + 1 < m_keptAt.size() && std::abs(offset - m_keptAt[at]) > 0.5 * m_stepY) {
                take();
                lineFrom = lineTo = first;
                ++at;
            }
            lineTo = end;
        }
        take();
        if (!m_flatResult)
            flush();
    }

    // Pieces [from, to) of m_clipped as one more line of the flat result,
    // mapped exactly as the vertex array's transform maps a line: ends
    // through m, bulges turned where m mirrors. Straight lines, which is
    // all a hatch makes, skip the array's plane bookkeeping that only arcs
    // need; a line with an arc goes through the array's transform itself.
    void appendFlat(int from, int to, const CZunMatrix3d& m, bool mirror)
    {
        if (from == to)
            return;
        CZunVertexArray& out = m_flatResult->vertices;
        const auto first = m_clipped.begin() + from, last = m_clipped.begin() + to;
        m_flatResult->starts.push_back(out.len());
        if (std::any_of(first, last, [](const CZunVertex& v) { return v.isArc(); })) {
            CZunVertexArray line;
            line.vector().assign(first, last);
            line.transformBy(m);
            out.append(line);
            return;
        }
        for (auto it = first; it != last; ++it) {
            CZunVertex v(m * it->start(), m * it->end(), mirror ? -it->bulge() : it->bulge());
            out.append(v);
        }
    }

    WalkBuffersLease m_lease;
    const Contours& m_pattern;
    const CZunMatrix3d& m_mtx;
    const double m_scale;
    const bool m_gravel;
    const double m_diag;
    const double m_dotLen;  // a dot of the pattern, drawn as a dash this long
    Contours* m_result;           // one array per line, or
    ZunHatchLines* m_flatResult;  // the lines end to end

    double m_angle = 0.0;
    bool m_turned = false;
    CZunMatrix3d m_rot;
    CZunVector3d m_dir, m_normal;

    // Per pattern line.
    Contours& m_local = m_lease.buffers().local;
    BandIndex& m_index = m_lease.buffers().index;
    InsideProbe& m_probe = m_lease.buffers().probe;
    CZunArrayTempl<double>& m_dashList = m_lease.buffers().dashList;
    ZUN::CZunLineParm m_parm;
    bool m_dashed = false, m_tooFine = false;
    double m_dashPeriod = 0.0, m_halfLen = 0.0, m_uLo = 0.0, m_uHi = 0.0;
    CZunPoint3d m_base;
    double m_stepX = 0.0, m_stepY = 0.0;

    // Per line position.
    Contours& m_cand = m_lease.buffers().cand;
    CZunVertexArray& m_seg = m_lease.buffers().seg;
    CZunVertexArray& m_testSeg = m_lease.buffers().testSeg;
    CZunVertexArray& m_trim = m_lease.buffers().trim;
    CZunPoint3dArray& m_pts = m_lease.buffers().pts;
    // The dashes near the line, piece after piece: piece j is
    // m_dashV[m_dashStart[j] .. m_dashStart[j + 1]).
    CZunVertexArray& m_dashV = m_lease.buffers().dashV;
    CZunVertexArray& m_dash = m_lease.buffers().dash;
    std::vector<int>& m_dashStart = m_lease.buffers().dashStart;
    ZUN::CZunMeasureWork& m_measureWork = m_lease.buffers().measureWork;
    std::vector<double>& m_dashU0 = m_lease.buffers().dashU0;
    std::vector<double>& m_dashU1 = m_lease.buffers().dashU1;
    CZunVertexArray& m_kept = m_lease.buffers().kept;
    CZunVertexArray& m_clipped = m_lease.buffers().clipped;
    std::vector<int>& m_clipStart = m_lease.buffers().clipStart;
    std::vector<double>& m_keptAt = m_lease.buffers().keptAt;
};

} // namespace

void zun_gdx_reg_orient(CZunArrayTempl<CZunVertexArray>& contours, const CZunVector3d& axis)
{
    for (CZunVertexArray& contour : contours)
        if (contour.isClosed() && !ZUN::g_vl_orient(contour, axis))
            contour.revert();
}

bool zun_gdx_pattern_test(CZunArrayTempl<CZunVertexArray> contours, const ZUN::CHatchProp& hatch,
                          const CZunMatrix3d& mtx)
{
    // Memory running out on a huge region ends as "not drawable": the
    // caller fills the region instead.
    try {
        ZUN::CHatchPattern definition;
        zunAppPtr()->hatchPatternGet(hatch.name(), definition);
        return zun_hatch_pattern_test(std::move(contours), hatch, ZUN::patternLinesOf(definition), mtx);
    } catch (...) {
        return false;
    }
}

bool zun_hatch_pattern_test(CZunArrayTempl<CZunVertexArray> contours, const ZUN::CHatchProp& hatch,
                            const ZUN::CPatternLines& definition, const CZunMatrix3d& mtx)
{
    const double deviceScale = (CZunVector3d::kXAxis * mtx).length();

    double maxRatio = -std::numeric_limits<double>::max();
    double minSpacing = std::numeric_limits<double>::max();
    zun_gdx_reg_orient(contours, CZunVector3d::kZAxis);
    if (contours.isEmpty())
        contours.setLen(1);
    CZunVertexArray local;
    for (const ZUN::CPatternLine& line : definition) {
        const double dx = line.shift != 0.0 ? hatch.scale() * line.shift : ZUN::nan();
        const double dy = line.spacing != 0.0 ? hatch.scale() * line.spacing : ZUN::nan();
        if (!std::isfinite(dx) && !std::isfinite(dy))
            continue;
        // Only the outer boundary's size across the lines matters here.
        local.vector().assign(contours[0].begin(), contours[0].end());
        local.setArcNormal(contours[0].arcNormal());
        local.transformBy(lineFrame(line.angle).inverse());
        CZunPoint3d c0, c1;
        ZUN::g_vl_extmax(local, 0.0, c0, c1);
        const double ex = std::abs(c0.x - c1.x);
        const double ey = std::abs(c0.y - c1.y);
        if (std::isfinite(dx)) {
            maxRatio = std::max(maxRatio, ex / dx);
            minSpacing = std::min(minSpacing, std::abs(dx));
        }
        if (std::isfinite(dy)) {
            maxRatio = std::max(maxRatio, ey / dy);
            minSpacing = std::min(minSpacing, std::abs(dy));
        }
    }
    minSpacing *= deviceScale;
    return kMaxSpacingsAcross > maxRatio && minSpacing > kMinDeviceSpacing;
}

namespace {

// Oriented contours in the pattern's own space, contour 0 made to exist:
// where both hatch functions start.
void intoPatternSpace(CZunArrayTempl<CZunVertexArray>& contours, const CZunMatrix3d& mtx)
{
    zun_gdx_reg_orient(contours, CZunVector3d::kZAxis);
    const CZunMatrix3d toPattern = mtx.inverse();
    for (CZunVertexArray& contour : contours)
        contour.transformBy(toPattern);
    if (contours.isEmpty())
        contours.setLen(1);
}

} // namespace

bool zun_hatch_is_user(const ZUN::CHatchProp& hatch)
{
    const CZunString name = upperName(hatch.name());
    return name == L"_USER" || name == L"_U";
}

CZunArrayTempl<CZunVertexArray> zun_gdx_image_reg_hatch2(CZunArrayTempl<CZunVertexArray> contours,
                                                         const CZunMatrix3d& mtx, const ZUN::CHatchProp& hatch)
{
    // Memory running out on a huge region ends as no lines at all.
    try {
        ZUN::CHatchPattern definition;
        if (!zun_hatch_is_user(hatch))
            zunAppPtr()->hatchPatternGet(hatch.name(), definition);
        return zun_hatch_region(std::move(contours), mtx, hatch, ZUN::patternLinesOf(definition),
                                ZunUnitLengths::ofDrawing());
    } catch (...) {
        return {};
    }
}

namespace {

// Both forms of the hatch: lines into result as arrays of their own, or,
// with flat given, end to end into flat.
void hatchRegion(Contours contours, const CZunMatrix3d& mtx, const ZUN::CHatchProp& hatch,
                 const ZUN::CPatternLines& given, const ZunUnitLengths& lengths, Contours* result,
                 ZunHatchLines* flat)
{
    const CZunString name = upperName(hatch.name());
    ZUN::CPatternLines user;
    const bool isUser = zun_hatch_is_user(hatch);
    if (isUser) {
        ZUN::CPatternLine plain;  // lines at the hatch angle, 1 x scale apart
        plain.spacing = 1.0;
        user.push_back(std::move(plain));
        if (hatch.isDouble()) {
            const ZUN::CHatchProp crossing(hatch.name(), ZUN::g_ang(hatch.angle() + ZUN::kPi / 2.0), hatch.scale(),
                                           false);
            hatchRegion(contours, mtx, crossing, given, lengths, result, flat);
        }
    }
    const ZUN::CPatternLines& definition = isUser ? user : given;
    if (definition.empty())
        return;

    intoPatternSpace(contours, mtx);
    CZunPoint3d c0, c1;
    ZUN::g_vl_extmax(contours[0], 0.0, c0, c1);
    // A mirroring mtx turns every contour round.
    zun_gdx_reg_orient(contours, CZunVector3d::kZAxis);

    HatchWalker walker(contours, mtx, hatch, name == L"GRAVEL", c0.distanceTo(c1), lengths.dot, result, flat);
    for (const ZUN::CPatternLine& line : definition)
        walker.run(line);
}

} // namespace

CZunArrayTempl<CZunVertexArray> zun_hatch_region(CZunArrayTempl<CZunVertexArray> contours, const CZunMatrix3d& mtx,
                                                 const ZUN::CHatchProp& hatch, const ZUN::CPatternLines& given,
                                                 const ZunUnitLengths& lengths)
{
    Contours result;
    hatchRegion(std::move(contours), mtx, hatch, given, lengths, &result, nullptr);
    return result;
}

void zun_hatch_region_lines(CZunArrayTempl<CZunVertexArray> contours, const CZunMatrix3d& mtx,
                            const ZUN::CHatchProp& hatch, const ZUN::CPatternLines& definition,
                            const ZunUnitLengths& lengths, ZunHatchLines& out)
{
    out.clear();
    hatchRegion(std::move(contours), mtx, hatch, definition, lengths, nullptr, &out);
    out.starts.push_back(out.vertices.len());
}

namespace {

Contours plainHatch(Contours contours, const CZunMatrix3d& mtx, const CZunString& name, double spacing, double angle)
{
    Contours result;
    intoPatternSpace(contours, mtx);
    const CZunVertexArray& outer = contours[0];

    if (upperName(name) == L"DOTS") {
        // Without a spacing the rows would never end.
        if (!(spacing > 0.0))
            return result;
        CZunPoint3d lo, hi;
        outer.extents(lo, hi);
        const ZUN::CZunLineParm dots(0.0, -spacing);
        CZunVertexArray row;
        row.setLen(1);
        // The rows start 10 units outside the region so that a dot never
        // falls exactly on its boundary by construction.
        const double rows = std::min((hi.y - lo.y) / spacing + 1.0, kMaxCount);
        for (std::int64_t i = 0; static_cast<double>(i) < rows; ++i) {
            const double y = lo.y + static_cast<double>(i) * spacing;
            row[0] = CZunVertex({lo.x - 10.0, y, lo.z}, {hi.x + 10.0, y, lo.z});
            for (const CZunVertexArray& piece : ZUN::g_vl_punch_reg(row, contours, true))
                for (CZunVertexArray& dot : ZUN::g_vl_measure(piece, 1.0, dots))
                    result.append(std::move(dot.transformBy(mtx)));
        }
        return result;
    }

    CZunPoint3d e0, e1, b0, b1;
    ZUN::g_vl_extmax(outer, -angle, e0, e1);
    ZUN::g_vl_extmax(ZUN::g_vl_extrect(outer, 0.0), -angle, b0, b1);
    const double reach = b0.distanceTo(b1);
    CZunVertexArray line{CZunVertex(ZUN::polar(b0, ZUN::kPi - angle, reach), ZUN::polar(b0, -angle, reach))};
    const CZunVector3d step = ZUN::polar(ZUN::kPi / 2.0 - angle, spacing);
    const bool alongX = std::abs(e1.x - e0.x) > std::abs(e1.y - e0.y);
    const double from = alongX ? std::min(e0.x, e1.x) : std::min(e0.y, e1.y);
    const double to = alongX ? std::max(e0.x, e1.x) : std::max(e0.y, e1.y);
    const std::int64_t count = toCount(std::abs(std::trunc(from) - std::trunc(to)));
    for (std::int64_t i = 0; i < count; ++i) {
        for (CZunVertexArray& piece : ZUN::g_vl_punch_reg(line, contours, true))
            result.append(std::move(piece.transformBy(mtx)));
        line.move(step);
    }
    return result;
}

} // namespace

CZunArrayTempl<CZunVertexArray> zun_gdx_image_reg_hatch(CZunArrayTempl<CZunVertexArray> contours,
                                                        const CZunMatrix3d& mtx, const CZunString& name,
                                                        double spacing, double angle)
{
    // Memory running out on a huge region ends as no lines at all.
    try {
        return plainHatch(std::move(contours), mtx, name, spacing, angle);
    } catch (...) {
        return {};
    }
}
