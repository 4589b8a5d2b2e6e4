// The contract functions of hatching, dashing and flattening when memory
// runs out part-way: no exception reaches the caller, the result is the
// failure result, and the caller's polyline is as it was.

#include "tests/alloc_failure.h"

#include "contracts/data/zun_app.h"
#include "render/core/zun_dashing.h"
#include "render/core/zun_hatching.h"

#include <gtest/gtest.h>

#include <functional>

using zun_test::FailAllocation;

namespace {

using Contours = CZunArrayTempl<CZunVertexArray>;

Contours region()
{
    Contours reg{CZunVertexArray::fromPoints({{0, 0}, {40, 0}, {40, 30}, {0, 30}}, true),
                 CZunVertexArray::fromPoints({{5, 5}, {15, 5}, {15, 20}, {5, 20}}, true)};
    reg[0].append(CZunVertex({0, 30}, {0, 0}, 0.4));
    return reg;
}

// Runs run with the nth allocation failing, for n = 1, 2, ... until run no
// longer reaches a failing allocation; after each run, with allocation
// back to normal, check(failed) looks at what run left. run must never throw.
void sweep(const std::function<void()>& run, const std::function<void(bool failed, long nth)>& check)
{
    for (long nth = 1; nth < 100000; ++nth) {
        bool fired = false;
        bool threw = false;
        {
            FailAllocation failing(nth);
            try {
                run();
            } catch (...) {
                threw = true;
            }
            fired = FailAllocation::fired();
        }
        ASSERT_FALSE(threw) << "allocation " << nth << " failed: an exception came out";
        check(fired, nth);
        if (!fired)
            return;
    }
    FAIL() << "no end to the allocations";
}

} // namespace

TEST(RenderBoundary, DashingLeavesThePolylineAsItWas)
{
    const CZunVertexArray original{CZunVertex({0, 0}, {100, 0}), CZunVertex({100, 0}, {100, 50}, 0.5)};
    const CZunArrayTempl<double> lineType{5.0, -2.0, 0.0, -2.0};
    // By-value arguments are copied by the caller before the call; they are
    // made ready outside the failing stretch and moved in.
    CZunVertexArray vl = original;
    CZunArrayTempl<double> lineTypeArg = lineType;
    bool ok = false;
    sweep(
        [&] { ok = zun_gdx_image_vl_measure(vl, std::move(lineTypeArg), 1); },
        [&](bool failed, long nth) {
            if (failed) {
                EXPECT_FALSE(ok) << "allocation " << nth;
                EXPECT_EQ(vl, original) << "allocation " << nth;
            } else {
                EXPECT_TRUE(ok);
                EXPECT_GT(vl.len(), original.len());
            }
            vl = original;
            lineTypeArg = lineType;
        });
}

TEST(RenderBoundary, EveryContractFunctionGivesItsFailureResult)
{
    const Contours reg = region();
    const CZunVertexArray line{CZunVertex({0, 0}, {10, 0}, 0.7)};
    const ZUN::CHatchProp hatch(L"_USER", 0.3, 1.5, true);
    const CZunMatrix3d toDevice;
    struct Results {
        Contours hatched, plain, split;
        CZunVertexArray flat;
    };
    const Results whole = [&] {
        Results r;
        r.hatched = zun_gdx_image_reg_hatch2(reg, CZunMatrix3d(), hatch);
        r.plain = zun_gdx_image_reg_hatch(reg, CZunMatrix3d(), L"LINES", 2.0, 0.3);
        r.split = zun_gdx_image_reg_split(reg);
        r.flat = zun_gdx_image_vl_split(line);
        return r;
    }();
    ASSERT_FALSE(whole.hatched.isEmpty());
    ASSERT_FALSE(whole.plain.isEmpty());
    // By-value arguments are copied by the caller before the call; they are
    // made ready outside the failing stretch and moved in.
    const CZunString lines(L"LINES");
    Results r;
    Contours forHatch, forPlain, forTest;
    const auto ready = [&] {
        r = Results();
        forHatch = reg;
        forPlain = reg;
        forTest = reg;
    };
    ready();
    sweep(
        [&] {
            r.hatched = zun_gdx_image_reg_hatch2(std::move(forHatch), CZunMatrix3d(), hatch);
            r.plain = zun_gdx_image_reg_hatch(std::move(forPlain), CZunMatrix3d(), lines, 2.0, 0.3);
            r.split = zun_gdx_image_reg_split(reg);
            r.flat = zun_gdx_image_vl_split(line);
            zun_gdx_pattern_test(std::move(forTest), hatch, toDevice);
        },
        [&](bool failed, long nth) {
            // Each result is whole or empty, never a part of it.
            EXPECT_TRUE(r.hatched.isEmpty() || r.hatched == whole.hatched) << "allocation " << nth;
            EXPECT_TRUE(r.plain.isEmpty() || r.plain == whole.plain) << "allocation " << nth;
            EXPECT_TRUE(r.split.isEmpty() || r.split == whole.split) << "allocation " << nth;
            EXPECT_TRUE(r.flat.isEmpty() || r.flat == whole.flat) << "allocation " << nth;
            if (failed)
                ready();
        });
    EXPECT_EQ(r.hatched, whole.hatched);
    EXPECT_EQ(r.flat, whole.flat);
}
