#include "contracts/data/zun_app.h"
#include "render/paint/zun_painter.h"
#include "render/qt/zun_cdc_qt.h"
#include "tests/render/qt/pixel_probes.h"

#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

// Hatch lines are kept between paints. Whatever changes between two paints,
// the second picture must be the one a painter without kept lines draws:
// each case paints, changes one thing, paints again, then drops the kept
// lines and paints once more for the reference.

namespace {

CZunVertexArray box(double x, double y, double w, double h)
{
    return CZunVertexArray::fromPoints(CZunPoint3dArray{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, true);
}

CZunGDX hatchedList(const CZunArrayTempl<CZunVertexArray>& region = {box(10, 10, 80, 70), box(40, 35, 20, 15)},
                    const ZUN::CHatchProp& hatch = ZUN::CHatchProp(L"ANSI31", 0.0, 4.0, false))
{
    CZunGDX gdx(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
    gdx.imageReg({1}, gdxFlagHatch, region, CZunColor(1), {}, {1.0}, 1.0, 0, CZunColor(3), hatch, {});
    return gdx;
}

QImage render(CZunGDX& gdx)
{
    QImage image(120, 100, QImage::Format_RGB32);
    CZunQtDC dc(image);
    CZunPainter(dc).paint(&gdx);
    return image;
}

// Paints, applies the change, paints again; the second picture must differ
// from the first and equal a paint with nothing kept.
void expectDrawnAnew(CZunGDX& gdx, const std::function<void(CZunGDX&)>& change)
{
    CZunPainter::clearHatchCache();
    const QImage before = render(gdx);
    EXPECT_EQ(render(gdx), before);  // the kept lines draw what fresh ones drew
    change(gdx);
    const QImage after = render(gdx);
    CZunPainter::clearHatchCache();
    const QImage fresh = render(gdx);
    EXPECT_GT(differingPixels(before, after), 20);
    EXPECT_EQ(differingPixels(after, fresh), 0);
}

} // namespace

namespace {

// One change each: the hatch (from the one before it in the table, so that
// each differs in one property), the contours, the item matrix, the zoom.
struct ChangeCase {
    const char* name;
    std::function<void(CZunGDX&)> change;
    ZUN::CHatchProp before = ZUN::CHatchProp(L"ANSI31", 0.0, 4.0, false);
};

void PrintTo(const ChangeCase& c, std::ostream* os)
{
    *os << c.name;
}

std::function<void(CZunGDX&)> hatchTo(const ZUN::CHatchProp& hatch)
{
    return [hatch](CZunGDX& g) { g.hatchSet({1}, hatch); };
}

CZunMatrix3d turned()
{
    return CZunMatrix3d().setToRotation(0.3, CZunVector3d::kZAxis, {50, 45, 0});
}

class PaintHatchChange : public ::testing::TestWithParam<ChangeCase> {};

} // namespace

TEST_P(PaintHatchChange, IsDrawnAnew)
{
    CZunGDX gdx = hatchedList({box(10, 10, 80, 70), box(40, 35, 20, 15)}, GetParam().before);
    expectDrawnAnew(gdx, GetParam().change);
}

INSTANTIATE_TEST_SUITE_P(
    PaintHatchCache, PaintHatchChange,
    ::testing::Values(
        ChangeCase{"scale", hatchTo(ZUN::CHatchProp(L"ANSI31", 0.0, 6.0, false))},
        ChangeCase{"angle", hatchTo(ZUN::CHatchProp(L"ANSI31", 0.5, 6.0, false)),
                   ZUN::CHatchProp(L"ANSI31", 0.0, 6.0, false)},
        ChangeCase{"pattern", hatchTo(ZUN::CHatchProp(L"ANSI37", 0.5, 6.0, false)),
                   ZUN::CHatchProp(L"ANSI31", 0.5, 6.0, false)},
        ChangeCase{"double_user_hatch", hatchTo(ZUN::CHatchProp(L"_USER", 0.5, 6.0, true)),
                   ZUN::CHatchProp(L"ANSI37", 0.5, 6.0, false)},
        ChangeCase{"contours",
                   [](CZunGDX& g) { g = hatchedList({box(10, 10, 80, 70), box(20, 20, 30, 15)}); }},
        ChangeCase{"item_matrix", [](CZunGDX& g) { g.mtxSet({1}, turned()); }},
        ChangeCase{"zoom", [](CZunGDX& g) { g.zoomMtxSet(CZunMatrix3d().setToScaling(1.5, {50, 45, 0})); }}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

TEST(PaintHatchCache, ChangedPatternDefinitionIsDrawnAnew)
{
    const ZUN::CHatchPatternLib original = zunAppPtr()->hatchPatterns();
    ZUN::CHatchPatternLib wider = original;
    ASSERT_TRUE(wider.parse("*ANSI31, wider lines\n45, 0, 0, 0, 5.5\n", L"test"));
    CZunGDX gdx = hatchedList();
    expectDrawnAnew(gdx, [&](CZunGDX&) { zunAppPtr()->setHatchPatterns(wider); });
    zunAppPtr()->setHatchPatterns(original);
    CZunPainter::clearHatchCache();
}

TEST(PaintHatchCache, TwoListsWithOneRegionShareNothingWrong)
{
    // One region in two lists with different views: the kept lines are in
    // the region's own space, so each list draws them where its view puts them.
    CZunPainter::clearHatchCache();
    CZunGDX a = hatchedList();
    CZunGDX b = hatchedList();
    CZunMatrix3d shift;
    shift.setToTranslation({15, 5, 0});
    b.viewMtxSet(shift);
    const QImage first = render(a);
    const QImage second = render(b);
    CZunPainter::clearHatchCache();
    EXPECT_EQ(render(b), second);
    EXPECT_EQ(render(a), first);
    EXPECT_NE(first, second);
}

// The kept lines are shared by every painter in the process, and pictures
// may be painted off the UI thread (exports, thumbnails). Painters on
// several threads at once, starting with nothing kept and an application
// object that has not loaded its patterns yet, each draw the picture a
// lone painter draws.
TEST(PaintHatchCache, PaintersOnSeveralThreadsDrawWhatALonePainterDraws)
{
    CZunApp app;
    CZunApp* previous = zunAppSet(&app);
    const ZUN::CHatchProp hatches[] = {ZUN::CHatchProp(L"ANSI31", 0.0, 4.0, false),
                                       ZUN::CHatchProp(L"ANSI37", 0.5, 6.0, false),
                                       ZUN::CHatchProp(L"_USER", 0.2, 5.0, true),
                                       ZUN::CHatchProp(L"BRICK", 0.0, 3.0, false)};
    constexpr int kThreads = 8;
    std::vector<QImage> images(kThreads);
    CZunPainter::clearHatchCache();
    {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                CZunGDX gdx = hatchedList({box(10, 10, 80, 70), box(40, 35, 20, 15)}, hatches[t % 4]);
                for (int round = 0; round < 3; ++round)
                    images[static_cast<size_t>(t)] = render(gdx);
            });
        for (std::thread& thread : threads)
            thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        CZunPainter::clearHatchCache();
        CZunGDX gdx = hatchedList({box(10, 10, 80, 70), box(40, 35, 20, 15)}, hatches[t % 4]);
        const QImage alone = render(gdx);
        EXPECT_EQ(differingPixels(images[static_cast<size_t>(t)], alone), 0) << "thread " << t;
        QImage background(alone.size(), alone.format());
        background.fill(alone.pixel(0, 0));
        EXPECT_GT(differingPixels(alone, background), 100) << "thread " << t << " drew no hatch";
    }
    CZunPainter::clearHatchCache();
    zunAppSet(previous);
}

namespace {

// Forty hatched regions in all patterns, angles and scales, some turned by
// their matrix, some too dense to hatch at this size (filled instead).
CZunGDX manyHatches()
{
    const wchar_t* patterns[] = {L"ANSI31", L"ANSI37", L"BRICK", L"ANSI32", L"DOTS", L"ANSI36"};
    CZunGDX gdx(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
    for (int i = 0; i < 40; ++i) {
        const double x = (i % 8) * 30.0, y = (i / 8) * 30.0;
        const CZunMatrix3d turn = CZunMatrix3d().setToRotation(i % 3 * 0.4, CZunVector3d::kZAxis, {x + 12, y + 12});
        gdx.imageReg({i + 1}, gdxFlagHatch | gdxFlagOutline, {box(x, y, 26, 24), box(x + 8, y + 8, 7, 6)},
                     CZunColor(1 + i % 6), i % 4 == 0 ? turn : CZunMatrix3d(), {1.0}, 1.0, 0, CZunColor(2 + i % 5),
                     ZUN::CHatchProp(patterns[i % 6], i * 0.1, i % 5 == 0 ? 0.05 : 0.5 + i % 3, i % 7 == 0), {});
    }
    return gdx;
}

QImage renderWithThreads(CZunGDX& gdx, int threads)
{
    CZunPainter::clearHatchCache();
    QImage image(250, 160, QImage::Format_RGB32);
    CZunQtDC dc(image);
    CZunPainter painter(dc);
    painter.setHatchThreads(threads);
    painter.paint(&gdx);
    return image;
}

class HatchThreads : public ::testing::TestWithParam<int> {};

// The lines of a first paint are made on several threads; the picture is
// the one a paint on the painting thread alone gives, pixel for pixel.
TEST_P(HatchThreads, FirstPaintIsTheSameWhateverTheThreadCount)
{
    CZunGDX gdx = manyHatches();
    const QImage alone = renderWithThreads(gdx, 1);
    EXPECT_EQ(differingPixels(renderWithThreads(gdx, GetParam()), alone), 0);
}

INSTANTIATE_TEST_SUITE_P(Painter, HatchThreads, ::testing::Values(2, 3, 8, 0));

// The lines are made while the list is drawn. Between the hatched regions
// lie filled ones that name patterns no hatched region uses (the painter
// looks those up while the helpers read theirs), regions hidden, regions
// too dense to hatch, and polylines; half the hatches are kept from a paint
// before, so that the helpers' jobs have gaps.
CZunGDX mixedHatches(int hideEvery = 0)
{
    const wchar_t* patterns[] = {L"ANSI31", L"BRICK", L"ANSI37", L"ANSI36"};
    const wchar_t* others[] = {L"ANSI32", L"DOTS", L"_USER"};
    CZunGDX gdx(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
    for (int i = 0; i < 60; ++i) {
        const double x = (i % 10) * 24.0, y = (i / 10) * 26.0;
        unsigned long flags = gdxFlagHatch | gdxFlagOutline;
        const wchar_t* name = patterns[i % 4];
        if (i % 5 == 1) {
            flags |= gdxFlagFill;
            name = others[i % 3];
        } else if (i % 11 == 3 || (hideEvery > 0 && i % hideEvery == 0)) {
            flags |= gdxFlagHidden;
        }
        const double scale = i % 7 == 2 ? 0.02 : 0.4 + 0.2 * (i % 4);
        gdx.imageReg({i + 1}, flags, {box(x, y, 21, 22), box(x + 6, y + 7, 6, 5)}, CZunColor(1 + i % 6), {},
                     {1.0}, 1.0, 0, CZunColor(2 + i % 5), ZUN::CHatchProp(name, i * 0.13, scale, i % 9 == 0), {});
        CZunVertexArray vl;
        vl.append({x + 1, y + 1}, {x + 20, y + 24});
        gdx.imageVl({1000 + i}, 0, vl, CZunColor(1 + i % 5), {}, {1.0, 1.0, 0.0}, 0.5, 0, {});
    }
    return gdx;
}

class HatchThreadsWhileDrawing : public ::testing::TestWithParam<int> {};

TEST_P(HatchThreadsWhileDrawing, PictureIsTheOneOfThePaintingThreadAlone)
{
    CZunGDX gdx = mixedHatches();
    const QImage alone = renderWithThreads(gdx, 1);
    QImage background(alone.size(), alone.format());
    background.fill(alone.pixel(alone.width() - 1, alone.height() - 1));
    EXPECT_GT(differingPixels(alone, background), 2000);
    EXPECT_EQ(differingPixels(renderWithThreads(gdx, GetParam()), alone), 0);

    // Half the regions' lines kept from a paint of every other region.
    CZunPainter::clearHatchCache();
    CZunGDX half = mixedHatches(2);
    {
        QImage scratch(250, 160, QImage::Format_RGB32);
        CZunQtDC dc(scratch);
        CZunPainter painter(dc);
        painter.setHatchThreads(1);
        painter.paint(&half);
    }
    QImage image(250, 160, QImage::Format_RGB32);
    {
        CZunQtDC dc(image);
        CZunPainter painter(dc);
        painter.setHatchThreads(GetParam());
        painter.paint(&gdx);
    }
    EXPECT_EQ(differingPixels(image, alone), 0);
    CZunPainter::clearHatchCache();
}

INSTANTIATE_TEST_SUITE_P(Painter, HatchThreadsWhileDrawing, ::testing::Values(2, 4, 16));

} // namespace

// A paint with kept item boxes reads the list for its hatch preparation
// only when something that decides the lines it needs changed since the
// preparation before; the picture is always the one of a painter without
// boxes.
struct PrepareCase {
    const char* name;
    // Changes the list or the device (the image size); true when the next
    // preparation must read the list again.
    std::function<bool(CZunGDX&, QSize&)> change;
};

void PrintTo(const PrepareCase& c, std::ostream* os)
{
    *os << c.name;
}

class HatchPreparation : public ::testing::TestWithParam<PrepareCase> {};

TEST_P(HatchPreparation, ReadsTheListOnlyWhenItsInputsChanged)
{
    CZunGDX gdx = mixedHatches();
    CZunPainter::clearHatchCache();
    CZunItemBoxes boxes;
    QSize size(250, 160);
    const auto paint = [&](int& read) {
        QImage image(size, QImage::Format_RGB32);
        CZunQtDC dc(image);
        CZunPainter painter(dc);
        painter.setHatchThreads(4);
        painter.setItemBoxes(&boxes);
        painter.paint(&gdx);
        read = painter.hatchItemsRead();
        return image;
    };
    const auto fresh = [&] {
        QImage image(size, QImage::Format_RGB32);
        CZunQtDC dc(image);
        CZunPainter(dc).paint(&gdx);
        return image;
    };
    int read = -1;
    paint(read);
    EXPECT_EQ(read, gdx.lenGet());
    EXPECT_EQ(differingPixels(paint(read), fresh()), 0);
    EXPECT_EQ(read, 0);
    const bool again = GetParam().change(gdx, size);
    const QImage after = paint(read);
    EXPECT_EQ(read, again ? gdx.lenGet() : 0);
    EXPECT_EQ(differingPixels(after, fresh()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Painter, HatchPreparation,
    ::testing::Values(
        PrepareCase{"Nothing", [](CZunGDX&, QSize&) { return false; }},
        PrepareCase{"Zoom",
                    [](CZunGDX& g, QSize&) {
                        g.zoomMtxSet(CZunMatrix3d().setToScaling(1.5, {60, 40, 0}));
                        return true;
                    }},
        PrepareCase{"View",
                    [](CZunGDX& g, QSize&) {
                        g.viewMtxSet(CZunMatrix3d().setToTranslation({3, 0, 0}) * g.viewMtxGet());
                        return true;
                    }},
        PrepareCase{"ViewDirection",
                    [](CZunGDX& g, QSize&) {
                        g.viewDirectionSet(L"SW");
                        return true;
                    }},
        PrepareCase{"Hatch",
                    [](CZunGDX& g, QSize&) {
                        g.hatchSet({1}, ZUN::CHatchProp(L"ANSI37", 0.5, 0.6, false));
                        return true;
                    }},
        PrepareCase{"DeviceSize",
                    [](CZunGDX&, QSize& s) {
                        s = QSize(200, 150);
                        return true;
                    }},
        PrepareCase{"CacheCleared",
                    [](CZunGDX&, QSize&) {
                        CZunPainter::clearHatchCache();
                        return true;
                    }}),
    [](const ::testing::TestParamInfo<PrepareCase>& info) { return std::string(info.param.name); });
