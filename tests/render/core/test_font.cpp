#include "render/core/zun_font.h"
#include "render/core/zun_font_map.h"

#include "contracts/data/zun_app.h"
#include "contracts/data/zun_resbuf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr double kLeft = 0.155932;  // left edge of "!" and of every glyph

std::vector<wchar_t> coveredCodes()
{
    std::vector<wchar_t> codes;
    for (wchar_t c = 33; c <= 126; ++c)
        codes.push_back(c);
    for (int c : {177, 178, 179, 186, 188, 189, 190, 196, 214, 220, 228, 246, 252, 223})
        codes.push_back(static_cast<wchar_t>(c));
    std::sort(codes.begin(), codes.end());
    return codes;
}

std::string name(wchar_t c)
{
    return "code " + std::to_string(static_cast<int>(c));
}

CZunVertexArray polygon(std::initializer_list<CZunPoint3d> points)
{
    return CZunVertexArray::fromPoints(CZunArrayTempl<CZunPoint3d>(points), true);
}

// A glyph whose single contour is a square at x = tag, so that tests can
// tell glyphs apart.
CZunRegionList taggedGlyph(double tag)
{
    CZunRegionList glyph;
    glyph.append(CZunContourSet{polygon({{tag, 0}, {tag + 1, 0}, {tag + 1, 1}, {tag, 1}})});
    return glyph;
}

double taggedX(const CZunRegionList* glyph)
{
    return glyph ? glyph->get(0).get(0).get(0).start().x : -1.0;
}

struct Box {
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    void add(const CZunPoint3d& p)
    {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
};

Box boxOf(const CZunRegionList& glyph)
{
    Box box;
    for (const CZunContourSet& region : glyph)
        for (const CZunVertexArray& contour : region)
            for (const CZunVertex& v : contour)
                box.add(v.start());
    return box;
}

// Even-odd test against the polygon through the vertices' start points.
bool inside(const CZunVertexArray& contour, const CZunPoint3d& p)
{
    bool in = false;
    for (const CZunVertex& v : contour) {
        const CZunPoint3d& a = v.start();
        const CZunPoint3d& b = v.end();
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (b.x - a.x) * (p.y - a.y) / (b.y - a.y))
            in = !in;
    }
    return in;
}

double cross(const CZunPoint3d& o, const CZunPoint3d& a, const CZunPoint3d& b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// True when two non-adjacent edges of the contour cross.
bool selfCrossing(const CZunVertexArray& contour)
{
    const int n = contour.len();
    for (int i = 0; i < n; ++i) {
        for (int j = i + 2; j < n; ++j) {
            if (i == 0 && j == n - 1)
                continue;
            const CZunVertex& e = contour.get(i);
            const CZunVertex& f = contour.get(j);
            const double d1 = cross(e.start(), e.end(), f.start());
            const double d2 = cross(e.start(), e.end(), f.end());
            const double d3 = cross(f.start(), f.end(), e.start());
            const double d4 = cross(f.start(), f.end(), e.end());
            if (d1 * d2 < 0 && d3 * d4 < 0)
                return true;
        }
    }
    return false;
}

} // namespace

// --- the map itself -----------------------------------------------------

TEST(GlyphMap, StartsWithRoomForSixteenEntriesAndDoublesWhenFull)
{
    CZunGlyphMap map;
    EXPECT_TRUE(map.isEmpty());
    EXPECT_EQ(map.capacity(), 16);
    for (int i = 0; i < 16; ++i)
        map.insert(static_cast<wchar_t>(100 + i), taggedGlyph(i));
    EXPECT_EQ(map.capacity(), 16);
    map.insert(L'z' + 100, taggedGlyph(16));
    EXPECT_EQ(map.capacity(), 32);
    for (int i = 17; i < 33; ++i)
        map.insert(static_cast<wchar_t>(300 + i), taggedGlyph(i));
    EXPECT_EQ(map.len(), 33);
    EXPECT_EQ(map.capacity(), 64);
    // Growing moved the entries, not lost them.
    EXPECT_EQ(taggedX(map.find(100)), 0.0);
    EXPECT_EQ(taggedX(map.find(L'z' + 100)), 16.0);
    EXPECT_EQ(taggedX(map.find(332)), 32.0);
}

TEST(GlyphMap, KeepsCodesSortedAndFindsThemWhateverTheInsertOrder)
{
    CZunGlyphMap map;
    // 37 is prime to 101: every code 0..100 once, in scrambled order.
    for (int i = 0; i < 101; ++i) {
        const int code = (i * 37) % 101 + 1000;
        map.insert(static_cast<wchar_t>(code), taggedGlyph(code));
    }
    ASSERT_EQ(map.len(), 101);
    for (int i = 0; i < map.len(); ++i)
        EXPECT_EQ(map.codeAt(i), static_cast<wchar_t>(1000 + i));
    for (int code = 1000; code <= 1100; ++code)
        EXPECT_EQ(taggedX(map.find(static_cast<wchar_t>(code))), double(code));
    EXPECT_EQ(map.find(999), nullptr);
    EXPECT_EQ(map.find(1101), nullptr);
    EXPECT_EQ(map.codeAt(101), L'\0');
}

TEST(GlyphMap, InsertingAPresentCodeReplacesItsGlyph)
{
    CZunGlyphMap map;
    EXPECT_EQ(map.find(L'A'), nullptr);
    map.insert(L'C', taggedGlyph(3));
    map.insert(L'A', taggedGlyph(1));
    map.insert(L'B', taggedGlyph(2));
    map.insert(L'B', taggedGlyph(20));
    EXPECT_EQ(map.len(), 3);
    EXPECT_EQ(taggedX(map.find(L'A')), 1.0);
    EXPECT_EQ(taggedX(map.find(L'B')), 20.0);
    EXPECT_EQ(taggedX(map.find(L'C')), 3.0);
    // Misses below, between and above the stored codes.
    map.insert(L'E', taggedGlyph(5));
    EXPECT_EQ(map.find(L'@'), nullptr);
    EXPECT_EQ(map.find(L'D'), nullptr);
    EXPECT_EQ(map.find(L'F'), nullptr);
}

// --- the font -----------------------------------------------------------

// The map is built on first use; threads that ask for it at the same time
// (pictures painted off the UI thread) must all get the one whole map. Each
// test runs in a process of its own under ctest, so here the map is not yet
// built when the threads start.
TEST(GlyphMap, ThreadsAskingAtOnceGetTheOneWholeMap)
{
    constexpr int kThreads = 8;
    std::vector<const CZunGlyphMap*> seen(kThreads, nullptr);
    std::vector<int> lengths(kThreads, 0);
    std::atomic<int> waiting{kThreads};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            --waiting;
            while (waiting.load() > 0) {
            }
            const CZunGlyphMap& map = ZUN::glyphMap();
            seen[static_cast<size_t>(t)] = &map;
            lengths[static_cast<size_t>(t)] = map.len();
        });
    for (std::thread& thread : threads)
        thread.join();
    const CZunGlyphMap& map = ZUN::glyphMap();
    EXPECT_GT(map.len(), 90);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(seen[static_cast<size_t>(t)], &map) << "thread " << t;
        EXPECT_EQ(lengths[static_cast<size_t>(t)], map.len()) << "thread " << t;
    }
}

TEST(Font, CoversExactlyTheTableCharacters)
{
    const std::vector<wchar_t> codes = coveredCodes();
    ASSERT_FALSE(get_ascii_from_map(L'A').isEmpty());  // fills the map
    const CZunGlyphMap& map = ZUN::glyphMap();
    ASSERT_EQ(map.len(), 108);
    for (int i = 0; i < map.len(); ++i)
        EXPECT_EQ(map.codeAt(i), codes[static_cast<size_t>(i)]) << i;

    for (int c = 0; c < 0x2200; ++c) {
        const bool covered = std::binary_search(codes.begin(), codes.end(), static_cast<wchar_t>(c));
        EXPECT_EQ(get_ascii_from_map(static_cast<wchar_t>(c)).isEmpty(), !covered) << name(static_cast<wchar_t>(c));
    }
    EXPECT_TRUE(get_ascii_from_map(L' ').isEmpty());
    EXPECT_TRUE(get_ascii_from_map(L'\t').isEmpty());
    EXPECT_TRUE(get_ascii_from_map(static_cast<wchar_t>(256)).isEmpty());
    EXPECT_TRUE(get_ascii_from_map(static_cast<wchar_t>(0x20AC)).isEmpty());
    EXPECT_TRUE(get_ascii_from_map(static_cast<wchar_t>(0xFFFF)).isEmpty());
}

TEST(Font, ExclamationMarkIsTheFixedBarAndDot)
{
    const CZunRegionList glyph = get_ascii_from_map(L'!');
    ASSERT_EQ(glyph.len(), 2);
    const double rects[2][4] = {{0.155932, 0.333559, 0.178305, 1.0}, {0.155932, 0.0, 0.178305, 0.16678}};
    for (int r = 0; r < 2; ++r) {
        ASSERT_EQ(glyph[r].len(), 1) << r;
        const CZunVertexArray& contour = glyph[r][0];
        ASSERT_EQ(contour.len(), 4) << r;
        EXPECT_TRUE(contour.isClosed());
        std::vector<std::pair<double, double>> corners;
        for (const CZunVertex& v : contour) {
            EXPECT_EQ(v.bulge(), 0.0);
            corners.emplace_back(v.start().x, v.start().y);
        }
        std::sort(corners.begin(), corners.end());
        const double* q = rects[r];
        const std::vector<std::pair<double, double>> expected = {
            {q[0], q[1]}, {q[0], q[3]}, {q[2], q[1]}, {q[2], q[3]}};
        EXPECT_EQ(corners, expected) << "region " << r;
    }
}

TEST(Font, CapitalAIsOneRegionWithItsCounterBetweenBaselineAndCapHeight)
{
    const CZunRegionList glyph = get_ascii_from_map(L'A');
    ASSERT_EQ(glyph.len(), 1);
    ASSERT_EQ(glyph[0].len(), 2);
    const Box box = boxOf(glyph);
    EXPECT_NEAR(box.minY, 0.0, 1e-9);
    EXPECT_NEAR(box.maxY, 1.0, 1e-9);
    // The counter is a triangle above the crossbar.
    const CZunVertexArray& counter = glyph[0][1];
    EXPECT_EQ(counter.len(), 3);
    for (const CZunVertex& v : counter) {
        EXPECT_TRUE(inside(glyph[0][0], v.start()));
        EXPECT_GT(v.start().y, 0.3);
        EXPECT_LT(v.start().y, 0.9);
    }
}

TEST(Font, BracketUnderscoreAndGraveHaveTheirShapes)
{
    const CZunRegionList bracket = get_ascii_from_map(L'[');
    ASSERT_EQ(bracket.len(), 1);
    ASSERT_EQ(bracket[0].len(), 1);
    EXPECT_EQ(bracket[0][0].len(), 8);  // a stem with two square arms
    const Box b = boxOf(bracket);
    EXPECT_LT(b.minY, -0.1);
    EXPECT_NEAR(b.maxY, 1.0, 1e-9);
    EXPECT_LT(b.maxX - b.minX, 0.4);

    const CZunRegionList underscore = get_ascii_from_map(L'_');
    ASSERT_EQ(underscore.len(), 1);
    ASSERT_EQ(underscore[0].len(), 1);
    EXPECT_EQ(underscore[0][0].len(), 4);
    const Box u = boxOf(underscore);
    EXPECT_LT(u.maxY, 0.0);
    EXPECT_GT(u.maxY, -0.1);
    EXPECT_GT(u.minY, -0.34);
    EXPECT_GT(u.maxX - u.minX, 4 * (u.maxY - u.minY));

    const CZunRegionList grave = get_ascii_from_map(L'`');
    ASSERT_EQ(grave.len(), 1);
    ASSERT_EQ(grave[0].len(), 1);
    const Box g = boxOf(grave);
    EXPECT_GT(g.minY, 0.7);
    EXPECT_LE(g.maxY, 1.0 + 1e-9);
    EXPECT_LT(g.maxX - g.minX, 0.3);
    EXPECT_LT(g.maxY - g.minY, 0.3);
}

TEST(Font, EveryGlyphIsClosedStraightContoursInsideTheBox)
{
    for (wchar_t c : coveredCodes()) {
        const CZunRegionList glyph = get_ascii_from_map(c);
        ASSERT_FALSE(glyph.isEmpty()) << name(c);
        const Box box = boxOf(glyph);
        EXPECT_GE(box.minX, 0.04) << name(c);
        EXPECT_LE(box.maxX, 1.18) << name(c);
        EXPECT_GE(box.minY, -0.34) << name(c);
        EXPECT_LE(box.maxY, 1.05) << name(c);
        for (const CZunContourSet& region : glyph) {
            ASSERT_FALSE(region.isEmpty()) << name(c);
            for (const CZunVertexArray& contour : region) {
                EXPECT_GE(contour.len(), 3) << name(c);
                EXPECT_TRUE(contour.isClosed()) << name(c);
                EXPECT_FALSE(selfCrossing(contour)) << name(c);
                for (const CZunVertex& v : contour) {
                    EXPECT_EQ(v.bulge(), 0.0) << name(c);
                    EXPECT_FALSE(v.isDegenerate()) << name(c);
                }
            }
        }
    }
}

TEST(Font, HolesLieInsideTheirOuterContourAndRegionsApart)
{
    for (wchar_t c : coveredCodes()) {
        const CZunRegionList glyph = get_ascii_from_map(c);
        for (int r = 0; r < glyph.len(); ++r) {
            const CZunContourSet& region = glyph[r];
            for (int h = 1; h < region.len(); ++h)
                for (const CZunVertex& v : region[h])
                    EXPECT_TRUE(inside(region[0], v.start())) << name(c) << " region " << r << " hole " << h;
            // An even-odd fill would cancel where two regions overlap.
            for (int other = 0; other < glyph.len(); ++other) {
                if (other == r)
                    continue;
                for (const CZunVertex& v : region[0])
                    EXPECT_FALSE(inside(glyph[other][0], v.start())) << name(c) << " region " << r;
            }
        }
    }
}

TEST(Font, EveryGlyphStartsAtTheCommonLeftEdge)
{
    // Text items advance by the glyph width plus a fixed gap from where the
    // glyph stands, so only a common left edge gives even gaps.
    for (wchar_t c : coveredCodes())
        EXPECT_NEAR(boxOf(get_ascii_from_map(c)).minX, kLeft, 1e-6) << name(c);
}

TEST(Font, LettersStandOnTheBaselineAtTheirHeights)
{
    for (wchar_t c = L'A'; c <= L'Z'; ++c) {
        const Box box = boxOf(get_ascii_from_map(c));
        EXPECT_NEAR(box.minY, 0.0, 1e-9) << name(c);
        EXPECT_NEAR(box.maxY, 1.0, 1e-9) << name(c);
    }
    for (wchar_t c : std::wstring(L"acemnorsuvwxz")) {
        const Box box = boxOf(get_ascii_from_map(c));
        EXPECT_NEAR(box.minY, 0.0, 1e-9) << name(c);
        EXPECT_NEAR(box.maxY, 0.7, 1e-3) << name(c);
    }
    for (wchar_t c : std::wstring(L"bdfhkl"))
        EXPECT_NEAR(boxOf(get_ascii_from_map(c)).maxY, 1.0, 1e-9) << name(c);
    for (wchar_t c : std::wstring(L"gjpqy")) {
        const Box box = boxOf(get_ascii_from_map(c));
        EXPECT_LT(box.minY, -0.25) << name(c);
        EXPECT_GE(box.minY, -0.34) << name(c);
        EXPECT_NEAR(box.maxY, c == L'j' ? 1.0 : 0.7, 0.03) << name(c);
    }
    // Capital umlauts shorten the letter to fit their dots under the top mark.
    for (int c : {196, 214, 220}) {
        const Box box = boxOf(get_ascii_from_map(static_cast<wchar_t>(c)));
        EXPECT_GT(box.maxY, 1.0) << c;
        EXPECT_NEAR(box.minY, 0.0, 1e-9) << c;
    }
}

TEST(Font, CountersBecomeHolesAndMarksSeparateRegions)
{
    struct Expect {
        wchar_t c;
        std::vector<int> contoursPerRegion;
    };
    const Expect cases[] = {
        {L'O', {2}},       {L'B', {3}},       {L'8', {3}},    {L'0', {2}},       {L'o', {2}},
        {L'e', {2}},       {L'g', {2}},       {L'i', {1, 1}}, {L'j', {1, 1}},    {L':', {1, 1}},
        {L'%', {1, 2, 2}}, {L'E', {1}},       {L'x', {1}},    {wchar_t(228), {2, 1, 1}},
        {wchar_t(214), {2, 1, 1}},            {wchar_t(223), {1}},
    };
    for (const Expect& e : cases) {
        const CZunRegionList glyph = get_ascii_from_map(e.c);
        std::vector<int> counts;
        for (const CZunContourSet& region : glyph)
            counts.push_back(region.len());
        EXPECT_EQ(counts, e.contoursPerRegion) << name(e.c);
    }
}

TEST(Font, LookupsReturnEqualCopiesThatCallersMayChange)
{
    CZunRegionList first = get_ascii_from_map(L'g');
    const CZunRegionList second = get_ascii_from_map(L'g');
    EXPECT_EQ(first, second);
    first[0][0].move(CZunVector3d(5.0, 0.0, 0.0));
    EXPECT_NE(first, second);
    EXPECT_EQ(get_ascii_from_map(L'g'), second);
    EXPECT_EQ(ZUN::glyphMap().len(), 108);
}

// --- text objects through the application -------------------------------

namespace {

class TextRegl : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_text.set(L"M12", L"TEXT");
        m_text.set(0.5, L"ANGLE");
        m_regions.append(CZunContourSet{polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}}),
                                        polygon({{1, 1}, {1, 3}, {3, 3}, {3, 1}})});
        m_regions.append(CZunContourSet{polygon({{5, 0}, {6, 0}, {5.5, 1}})});
    }
    void TearDown() override { zunAppPtr()->registerFunction(L"zun_text_to_regl", CZunApp::Function()); }

    // Registers an application function that records its arguments and
    // answers with status and result.
    void answer(int status, ZUN::CZunRbList result)
    {
        zunAppPtr()->registerFunction(L"zun_text_to_regl",
                                      [this, status, result](const ZUN::CZunRbList& args, ZUN::CZunRbList& out) {
                                          m_args = args;
                                          ++m_calls;
                                          out = result;
                                          return status;
                                      });
    }

    // Output that a failed call must not leave behind.
    static CZunRegionList stale() { return taggedGlyph(9); }

    // The call fails and leaves none of the stale output behind.
    ::testing::AssertionResult refused()
    {
        CZunRegionList regl = stale();
        if (zun_text_to_regl(&m_text, regl, 1.0))
            return ::testing::AssertionFailure() << "the call succeeded";
        if (!regl.isEmpty())
            return ::testing::AssertionFailure() << "the stale regions were left";
        return ::testing::AssertionSuccess();
    }

    CZunDataItem m_text{true};
    CZunRegionList m_regions;
    ZUN::CZunRbList m_args;
    int m_calls = 0;
};

} // namespace

TEST_F(TextRegl, PassesTheItemAndHeightAndReturnsTheRegions)
{
    answer(kRtNorm, ZUN::regionsToList(m_regions));
    CZunRegionList regl = stale();
    EXPECT_TRUE(zun_text_to_regl(&m_text, regl, 2.5));
    EXPECT_EQ(regl, m_regions);

    ZUN::CZunRbList expected = ZUN::mkLispList(&m_text);
    expected.append(ZUN::CRbValue::makeReal(2.5));
    EXPECT_EQ(m_calls, 1);
    EXPECT_EQ(m_args, expected);
    ASSERT_GE(m_args.len(), 2);
    EXPECT_EQ(m_args.get(-1).type, kRtReal);
    EXPECT_EQ(m_args.get(-1).real, 2.5);
}

TEST_F(TextRegl, FailsWithEmptyRegionsWhenTheFunctionRejectsTheText)
{
    answer(kRtError, ZUN::regionsToList(m_regions));
    EXPECT_TRUE(refused());
    EXPECT_EQ(m_calls, 1);

    answer(5001, ZUN::regionsToList(m_regions));  // any status but success
    EXPECT_TRUE(refused());
}

TEST_F(TextRegl, FailsWhenTheAnswerIsNoListOrHoldsNoRegions)
{
    // No list (a real, a text, T); a list without regions (nil, empty,
    // nothing at all); a list that breaks off.
    ZUN::CZunRbList broken = ZUN::regionsToList(m_regions);
    broken.removeAt(broken.len() - 1);
    const ZUN::CZunRbList answers[] = {
        {ZUN::CRbValue::makeReal(1.0)}, {ZUN::CRbValue::makeText(L"M12")}, {ZUN::CRbValue::make(kRtT)},
        {ZUN::CRbValue::make(kRtNil)},  ZUN::regionsToList(CZunRegionList()), {}, broken};
    for (size_t i = 0; i < std::size(answers); ++i) {
        answer(kRtNorm, answers[i]);
        EXPECT_TRUE(refused()) << "answer " << i;
    }
}

TEST_F(TextRegl, FailsWhenTheApplicationHasNoSuchFunction)
{
    EXPECT_TRUE(refused());
}

TEST_F(TextRegl, PassesNilForAMissingItem)
{
    answer(kRtNorm, ZUN::regionsToList(m_regions));
    CZunRegionList regl;
    EXPECT_TRUE(zun_text_to_regl(nullptr, regl, 3.0));
    ASSERT_EQ(m_args.len(), 2);
    EXPECT_EQ(m_args.get(0).type, kRtNil);
    EXPECT_EQ(m_args.get(1).real, 3.0);
}
