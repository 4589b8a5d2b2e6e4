// What the display list's adding operations do when memory runs out part-way
// or the host's text function throws: no exception reaches the caller, the
// operation reports failure, and items and extents are as they were.

#include "gdx_test_util.h"

#include "tests/alloc_failure.h"

#include "contracts/data/zun_app.h"

#include <climits>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

using namespace gdxtest;
using zun_test::FailAllocation;

namespace {

// What the list holds, as far as an addition can change it.
struct Snapshot {
    int len = 0;
    bool hasExt = false;
    CZunPoint3d lo, hi;
    std::vector<CZunVertexArray> lines;
    std::vector<std::size_t> regions;

    explicit Snapshot(const CZunGDX& g) : len(g.lenGet())
    {
        hasExt = g.extmaxGet(lo, hi);
        for (const CZunDisplayItem& it : g.getDisplayList()) {
            lines.push_back(it.vl);
            regions.push_back(it.reg.vector().size() + it.txtRegl.vector().size());
        }
    }
    bool operator==(const Snapshot& o) const
    {
        return len == o.len && hasExt == o.hasExt && (!hasExt || (lo == o.lo && hi == o.hi)) && lines == o.lines
               && regions == o.regions;
    }
};

// An addition with its arguments made beforehand, so that the allocations
// counted are the list's own, not the making of the caller's arguments.
using Addition = std::function<bool()>;

struct AddCase {
    const char* name;
    std::function<Addition(CZunGDX& g)> prepare;
    bool hasResult = false;  // the operation returns whether it added
};

void PrintTo(const AddCase& c, std::ostream* os)
{
    *os << c.name;
}

CZunGDX::Contours bigRegion()
{
    CZunGDX::Contours reg{square(0, 0, 500)};
    for (int k = 0; k < 20; ++k)
        reg.append(square(10 + 20 * k, 10, 5));
    return reg;
}

const AddCase kAdds[] = {
    {"Polyline",
     [](CZunGDX& g) -> Addition {
         return [&g, vl = segment({-50, -60}, {900, 800}, 0.5), stack = CZunGDX::Stack{7},
                 lt = CZunArrayTempl<double>()] {
             g.imageVl(stack, 0, vl, CZunColor(1), CZunMatrix3d(), lt, 1.0, 1, {});
             return true;
         };
     }},
    {"Point",
     [](CZunGDX& g) -> Addition {
         return [&g, stack = CZunGDX::Stack{7}] {
             g.imagePt(stack, gdxFlagAnchored, {-300, 40}, CZunColor(1), CZunMatrix3d(), 2.0, pdModeCross, {1, 1});
             return true;
         };
     }},
    {"Region",
     [](CZunGDX& g) -> Addition {
         return [&g, reg = bigRegion(), stack = CZunGDX::Stack{7}, lt = CZunArrayTempl<double>{1.0, 1.0, 0.0},
                 hatch = ZUN::CHatchProp(L"ANSI31", 0.0, 1.0, false)] {
             g.imageReg(stack, gdxFlagHatch, reg, CZunColor(1), CZunMatrix3d(), lt, 1.0, 0, CZunColor(3), hatch, {});
             return true;
         };
     }},
    {"Picture",
     [](CZunGDX& g) -> Addition {
         return [&g, stack = CZunGDX::Stack{7}] {
             g.imagePicture(stack, 0, L"a picture with a long name.png", 3, {0, 0}, {10, 10});
             return true;
         };
     }},
    {"StringText",
     [](CZunGDX& g) -> Addition {
         return [&g, stack = CZunGDX::Stack{7}] {
             g.imageTxt(stack, 0, L"Extents of a long text", CZunColor(1), CZunMatrix3d(), L"BL", {1000, 1000}, {});
             return true;
         };
     }},
    {"ListOfItems",
     [](CZunGDX& g) -> Addition {
         auto other = std::make_shared<CZunGDX>(g);
         return [&g, other] { return g.addDisplayList(other->getDisplayList()); };
     },
     true},
    {"ListToItself", [](CZunGDX& g) -> Addition { return [&g] { return g.addDisplayList(g.getDisplayList()); }; },
     true},
};

// A list of a few hundred items filled to the brim of its storage, so that
// the next item makes it grow: the largest allocation an addition makes.
OpenGdx fullList()
{
    OpenGdx g;
    for (int i = 0; i < 60; ++i)
        addVl(g, {i % 5 + 1}, segment({double(i), 0}, {double(i), 10}));
    while (g.getDisplayList().vector().size() < g.getDisplayList().vector().capacity())
        addVl(g, {1}, segment({0, 0}, {1, 1}));
    return g;
}

class GdxAddWhenMemoryRunsOut : public ::testing::TestWithParam<AddCase> {};

} // namespace

// Every allocation the addition makes is made to fail in turn; each time
// the list comes back as it was, without an exception. Then it is let
// through, and the item is there.
TEST_P(GdxAddWhenMemoryRunsOut, EveryFailingAllocationLeavesTheListAsItWas)
{
    OpenGdx g = fullList();
    const Snapshot before(g);
    int failures = 0;
    for (long nth = 1;; ++nth) {
        bool reported = true;
        bool fired = false;
        bool threw = false;
        const Addition add = GetParam().prepare(g);
        {
            FailAllocation failing(nth);
            try {
                reported = add();
            } catch (...) {
                threw = true;
            }
            fired = FailAllocation::fired();
        }
        ASSERT_FALSE(threw) << "allocation " << nth << " failed: an exception came out";
        // The operations with a result report the failure as false.
        if (fired && GetParam().hasResult)
            EXPECT_FALSE(reported) << "allocation " << nth << " failed: success reported";
        if (!fired) {
            // No allocation was left to fail: the addition went through.
            EXPECT_TRUE(reported || !GetParam().hasResult);
            EXPECT_GT(g.lenGet(), before.len);
            break;
        }
        ++failures;
        ASSERT_TRUE(Snapshot(g) == before) << "allocation " << nth << " failed: the list changed";
        ASSERT_LT(nth, 10000) << "no end to the allocations";
    }
    EXPECT_GE(failures, 1);
}

INSTANTIATE_TEST_SUITE_P(Additions, GdxAddWhenMemoryRunsOut, ::testing::ValuesIn(kAdds),
                         [](const ::testing::TestParamInfo<AddCase>& info) { return info.param.name; });

TEST(GdxBoundary, ReservingMoreThanMemoryHoldsKeepsTheList)
{
    OpenGdx g = fullList();
    const Snapshot before(g);
    EXPECT_NO_THROW(g.reserve(INT_MAX));
    EXPECT_TRUE(Snapshot(g) == before);
    const int more = g.lenGet() + 1000;
    bool threw = false;
    {
        FailAllocation failing(1);
        try {
            g.reserve(more);
        } catch (...) {
            threw = true;
        }
    }
    EXPECT_FALSE(threw);
    EXPECT_TRUE(Snapshot(g) == before);
}

TEST(GdxBoundary, EmptyListKeepsNoExtentsAfterAFailedAddition)
{
    // The first item's extents are the first allocation; after the failure
    // the list must still have none rather than half of them.
    for (long nth = 1; nth <= 3; ++nth) {
        OpenGdx g;
        const CZunVertexArray vl = segment({0, 0}, {5, 5});
        const CZunGDX::Stack stack{1};
        const CZunArrayTempl<double> solid{1.0};
        {
            FailAllocation failing(nth);
            g.imageVl(stack, 0, vl, CZunColor(1), CZunMatrix3d(), solid, 1.0, 1, {});
        }
        CZunPoint3d lo, hi;
        if (g.lenGet() == 0)
            EXPECT_FALSE(g.extmaxGet(lo, hi)) << "allocation " << nth;
    }
}

// The host's text function is the application's code: whatever it throws
// is the text's failure, and the list stays as it was.
TEST(GdxBoundary, ThrowingHostTextFunctionAddsNothing)
{
    CZunApp app;
    CZunApp* previous = zunAppSet(&app);
    OpenGdx g = fullList();
    const Snapshot before(g);
    CZunDataItem txt;
    txt.set(L"Text", L"TXT");
    int calls = 0;
    for (const auto& thrower : std::vector<CZunApp::Function>{
             [](const ZUN::CZunRbList&, ZUN::CZunRbList&) -> int { throw std::runtime_error("host failed"); },
             [](const ZUN::CZunRbList&, ZUN::CZunRbList&) -> int { throw 42; },
             [](const ZUN::CZunRbList&, ZUN::CZunRbList&) -> int { throw std::bad_alloc(); }}) {
        app.registerFunction(L"zun_text_to_regl", [&](const ZUN::CZunRbList& args, ZUN::CZunRbList& result) {
            ++calls;
            return thrower(args, result);
        });
        bool added = true;
        EXPECT_NO_THROW(added = g.imageTxt({3}, 0, &txt, CZunColor(1), CZunMatrix3d(), 2.5, {}));
        EXPECT_FALSE(added);
        EXPECT_TRUE(Snapshot(g) == before);
    }
    EXPECT_EQ(calls, 3);  // the function was asked each time
    zunAppSet(previous);
}
