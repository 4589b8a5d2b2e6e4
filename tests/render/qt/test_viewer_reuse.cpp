// The viewer reuses what it painted: kept pictures, culled items and
// scrolled pans must give exactly the pixels of a full paint.

#include "render/paint/zun_painter.h"
#include "render/qt/zun_bitmap.h"
#include "render/qt/zun_cdc_qt.h"
#include "render/qt/zun_dplist_image.h"
#include "tests/render/qt/pixel_probes.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr double kPi = 3.14159265358979323846;

CZunVertexArray rectVl(double x, double y, double w, double h)
{
    return CZunVertexArray::fromPoints(CZunPoint3dArray{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, true);
}

// Items of every kind over a 1000 x 800 drawing, and some left out of the
// extents that run far past it (so that, fitted, they cross the window's
// right and bottom edges), in random line types, matrices, point styles,
// hatches, anchors and texts.
class RandomList {
public:
    RandomList(unsigned seed, bool pictures) : m_rng(seed)
    {
        m_gdx.imageVl({0}, 0, rectVl(0, 0, 1000, 800), CZunColor(7), {}, {1.0}, 1.0, 0, {});
        for (int i = 1; i < 90; ++i)
            addOne(i);
        if (pictures)
            m_gdx.imagePicture({500}, 0, L"", 32515, CZunPoint3d(40, 30), CZunPoint3d(72, 62));
        m_gdx.extMaxViewSet();
    }
    CZunGDX& list() { return m_gdx; }

private:
    double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(m_rng); }
    int integer(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

    CZunArrayTempl<double> lineType()
    {
        switch (integer(0, 4)) {
        case 0: return {1.0};
        case 1: return {1.0, 1.0, 0.0};
        case 2: return {1.0, 1.0, 1.0};
        case 3: return {0.0, 0.0, 1.0};
        default: return {real(4, 30), -real(2, 12), 0.0, -real(2, 8)};
        }
    }

    CZunMatrix3d placement()
    {
        CZunMatrix3d m;
        if (integer(0, 2) == 0)
            return m;
        const CZunPoint3d c(real(0, 1000), real(0, 800));
        m = CZunMatrix3d().setToRotation(real(0, 2 * kPi), CZunVector3d::kZAxis, c) *
            CZunMatrix3d().setToScaling(real(0.5, 1.5), c);
        if (integer(0, 4) == 0)
            m = m * CZunMatrix3d().setToScaling(CZunVector3d(-1, 1, 1), c);  // mirrored
        return m;
    }

    CZunVertexArray polyline(double reach, bool nearOrigin)
    {
        CZunVertexArray vl;
        CZunPoint3d p = nearOrigin ? CZunPoint3d() : CZunPoint3d(real(0, 1000), real(0, 800));
        const int n = integer(1, 5);
        for (int k = 0; k < n; ++k) {
            const CZunPoint3d q(p.x + real(-reach, reach), p.y + real(-reach, reach));
            vl.append(p, q, integer(0, 3) == 0 ? real(-1.5, 1.5) : 0.0);
            p = q;
        }
        return vl;
    }

    void addOne(int i)
    {
        const CZunColor color(integer(1, 9));
        // Left out of the extents: free to run past the fitted drawing.
        const bool beyond = integer(0, 5) == 0;
        const unsigned long ext = beyond ? gdxFlagNoExt : 0;
        const bool anchored = integer(0, 9) == 0;
        const unsigned long anchor = anchored ? gdxFlagAnchored : 0;
        const CZunPoint3d at(real(0, 1000), real(0, 800));
        // Items past the drawing run to the right and down only, in place;
        // anchored ones are drawn about their anchor, near the origin.
        const auto place = [&] { return beyond || anchored ? CZunMatrix3d() : placement(); };
        const unsigned long mode = integer(0, 6) == 0 ? gdxFlagOfColorMode(integer(1, 5)) : 0;
        switch (integer(0, 4)) {
        case 0:
        case 1: {
            const CZunVertexArray vl = beyond && !anchored ? CZunVertexArray{CZunVertex(at, {at.x + 1500, at.y - real(-200, 900)})}
                                              : polyline(anchored ? 0.2 : 300, anchored);
            m_gdx.imageVl({i}, ext | anchor | mode, vl, color, place(), lineType(),
                          real(0.5, 3), static_cast<unsigned long>(integer(0, 3)), at);
            break;
        }
        case 2: {
            const unsigned long modes[] = {0, 1, 2, 3, 4, 8, 1 | 32, 1 | 64, 3 | 32, 2 | 64};
            // Anchored points keep their size in pixels: a size in drawing
            // units grows with the fixed-size scale.
            const double size = anchored || integer(0, 1) ? -integer(3, 15) : real(2, 20);
            m_gdx.imagePt({i}, ext | anchor | mode, anchored ? CZunPoint3d() : at, color, place(), size,
                          modes[integer(0, 9)], at);
            break;
        }
        case 3: {
            const double w = beyond ? 1400 : real(40, 300), h = beyond ? 900 : real(40, 200);
            CZunArrayTempl<CZunVertexArray> reg{rectVl(at.x, beyond ? at.y - h : at.y, w, h)};
            if (integer(0, 1))
                reg.append(rectVl(at.x + w / 4, at.y + h / 4, w / 3, h / 3));
            const wchar_t* patterns[] = {L"ANSI31", L"ANSI37", L"BRICK", L"ANSI32", L"DOTS"};
            const int kind = integer(0, 2);
            const unsigned long fill = kind == 0 ? gdxFlagFill : kind == 1 ? gdxFlagHatch : 0;
            m_gdx.imageReg({i}, ext | mode | fill | gdxFlagOutline, reg, color, place(), lineType(), 1.0,
                           static_cast<unsigned long>(integer(0, 2)), CZunColor(integer(1, 9)),
                           ZUN::CHatchProp(patterns[integer(0, 4)], real(0, kPi), real(1, 4), integer(0, 3) == 0),
                           {});
            break;
        }
        default: {
            const double h = anchored ? 0.03 : real(10, 60);
            const CZunMatrix3d size = CZunMatrix3d().setToScaling(CZunVector3d(h, h, 1.0));
            const wchar_t* aligns[] = {L"BL", L"CC", L"TR"};
            const double turn = beyond ? 0.0 : integer(0, 3) * kPi / 6;
            const CZunVector3d from = anchored ? CZunVector3d() : at.asVector();
            m_gdx.imageTxt({i}, ext | anchor | mode, beyond ? L"A long label past the edge" : L"Pos. 12", color,
                           CZunMatrix3d().setToTranslation(from) * CZunMatrix3d().setToRotation(turn) * size,
                           beyond ? L"TL" : aligns[integer(0, 2)], {}, at);
            break;
        }
        }
    }

    std::mt19937 m_rng;
    CZunGDX m_gdx{CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {}};
};

// The list painted whole, without boxes: what every reuse must equal.
QImage fullPaint(CZunGDX& gdx)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    CZunQtDC dc(image);
    CZunPainter painter(dc);
    painter.setBitmapSource(zunPictureBitmaps());
    painter.paint(&gdx);
    return image;
}

void zoomBy(CZunGDX& gdx, double factor, const CZunPoint3d& about)
{
    gdx.zoomMtxSet(CZunMatrix3d().setToScaling(factor, about) * gdx.zoomMtxGet());
}

void panBy(CZunGDX& gdx, int dx, int dy)
{
    CZunMatrix3d zoom = gdx.zoomMtxGet();
    zoom[0][3] += dx;
    zoom[1][3] += dy;
    gdx.zoomMtxSet(zoom);
}

using Repaint = CZunDplistImage::Repaint;

class ViewerReuse : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override
    {
        m_view.resize(kWidth, kHeight);
        m_view.set_dpList(&m_random.list());
        m_view.zoomExtents();
    }
    CZunGDX& gdx() { return m_random.list(); }
    std::mt19937 m_rng{GetParam() * 7919u};
    RandomList m_random{GetParam(), GetParam() % 5 == 4};
    CZunDplistImage m_view;
};

// At random zooms about random points and random pans, each picture the
// viewer shows, culled or scrolled or kept, equals a full paint.
TEST_P(ViewerReuse, CulledKeptAndScrolledPicturesEqualFullPaints)
{
    std::uniform_real_distribution<double> unit(0, 1);
    int culled = 0;
    for (int step = 0; step < 6; ++step) {
        if (step % 3 == 0)
            zoomBy(gdx(), 1 + 12 * unit(m_rng), {unit(m_rng) * kWidth, unit(m_rng) * kHeight, 0});
        else
            panBy(gdx(), static_cast<int>(unit(m_rng) * 80) - 40, static_cast<int>(unit(m_rng) * 60) - 30);
        const QImage shown = m_view.renderImage();
        culled += m_view.lastPaint().itemsCulled;
        ASSERT_EQ(differingPixels(shown, fullPaint(gdx())), 0) << "step " << step;
        // Nothing changed since: the same picture, not painted again.
        ASSERT_EQ(differingPixels(m_view.renderImage(), shown), 0);
        EXPECT_EQ(m_view.lastPaint().kind, Repaint::Unchanged);
    }
    EXPECT_GT(culled, 0);
}

// Zoomed about a point above and left of the window the empty margin there grows,
// so pans that uncover the right and bottom edges scroll; items crossing
// those edges (long dashed lines, hatched regions, texts) are cut by the
// strip borders.
TEST_P(ViewerReuse, PansUncoveringTheRightAndBottomScrollToTheSamePixels)
{
    std::uniform_int_distribution<int> shift(-8, 0);
    zoomBy(gdx(), 2.0 + (GetParam() % 3) * 0.6, {-kWidth / 3.0, -kHeight / 3.0, 0});
    m_view.renderImage();
    int scrolled = 0;
    for (int step = 0; step < 4; ++step) {
        panBy(gdx(), shift(m_rng), shift(m_rng));
        const QImage shown = m_view.renderImage();
        scrolled += m_view.lastPaint().kind == Repaint::Scrolled;
        ASSERT_EQ(differingPixels(shown, fullPaint(gdx())), 0) << "step " << step;
    }
    // Pictures stay put in the window while the drawing moves: never scrolled.
    if (GetParam() % 5 == 4)
        EXPECT_EQ(scrolled, 0);
    else
        EXPECT_GT(scrolled, 0);
}

// Deep inside the drawing (8 to 24 times the fit) most lines, hatches and
// texts are far larger than the window and cross its edges; pans by small
// steps in every direction give the pixels of full paints, and some scroll.
TEST_P(ViewerReuse, PansDeepInsideZoomedDrawingsGiveTheSamePixels)
{
    std::uniform_real_distribution<double> unit(0, 1);
    std::uniform_int_distribution<int> shift(-12, 12);
    zoomBy(gdx(), 8 + 16 * unit(m_rng), {(0.2 + 0.6 * unit(m_rng)) * kWidth, (0.2 + 0.6 * unit(m_rng)) * kHeight, 0});
    m_view.renderImage();
    int scrolled = 0;
    for (int step = 0; step < 8; ++step) {
        const int dx = shift(m_rng);
        panBy(gdx(), dx, step % 2 ? shift(m_rng) : 0);
        const QImage shown = m_view.renderImage();
        scrolled += m_view.lastPaint().kind == Repaint::Scrolled;
        ASSERT_EQ(differingPixels(shown, fullPaint(gdx())), 0) << "step " << step;
    }
    if (GetParam() % 5 == 4) {
        EXPECT_EQ(scrolled, 0);
    }
    RecordProperty("scrolled", scrolled);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ViewerReuse, ::testing::Range(1u, 13u));

// A kept picture is painted again for each thing it depends on.
TEST(ViewerReuse, EachChangeOfListMatricesOrColoursPaintsAgain)
{
    RandomList random(99, false);
    CZunGDX& gdx = random.list();
    CZunDplistImage view;
    view.resize(kWidth, kHeight);
    view.set_dpList(&gdx);
    view.zoomExtents();
    view.renderImage();
    const std::function<void()> changes[] = {
        [&] { gdx.cModeSet({3}, ZUN::cModeHighlight); },
        [&] { gdx.backColorSet(CZunColor(5)); },
        [&] { gdx.ColorTabSet(ZUN::cModeHighlight, CZunColor(3)); },
        [&] { zoomBy(gdx, 1.5, {10, 10, 0}); },
        [&] { gdx.viewMtxSet(CZunMatrix3d().setToTranslation({3, 0, 0}) * gdx.viewMtxGet()); },
        [&] { gdx.viewDirectionSet(L"SW"); },
        [&] { view.resize(kWidth - 1, kHeight); },
        [&] {
            QPalette p = view.palette();
            p.setColor(QPalette::Window, Qt::darkCyan);
            view.setPalette(p);
            view.set_dpList(nullptr);
        },
    };
    for (const auto& change : changes) {
        change();
        const QImage shown = view.renderImage();
        EXPECT_EQ(view.lastPaint().kind, Repaint::Full);
        view.renderImage();
        EXPECT_EQ(view.lastPaint().kind, Repaint::Unchanged);
        if (view.get_dpList()) {
            QImage full(view.width(), view.height(), QImage::Format_RGB32);
            CZunQtDC dc(full);
            CZunPainter(dc).paint(&gdx);
            EXPECT_EQ(differingPixels(shown, full), 0);
        } else {
            EXPECT_EQ(shown.pixel(5, 5), QColor(Qt::darkCyan).rgb());
        }
    }
}

// A pan of a grid of small squares paints only the items in the strips it
// uncovers; a wheel notch deep inside paints only what shows.
TEST(ViewerReuse, PanPaintsOnlyTheStripsAndDeepZoomOnlyWhatShows)
{
    CZunGDX gdx(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
    constexpr int kSide = 40;
    for (int i = 0; i < kSide * kSide; ++i)
        gdx.imageReg({i + 1}, gdxFlagFill | gdxFlagOutline, {rectVl(i % kSide * 10, i / kSide * 10, 8, 8)},
                     CZunColor(1 + i % 6), {}, {1.0}, 1.0, 0, CZunColor(2), {}, {});
    CZunDplistImage view;
    view.resize(kWidth, kHeight);
    view.set_dpList(&gdx);
    view.zoomExtents();
    view.renderImage();
    EXPECT_EQ(view.lastPaint().itemsDrawn, kSide * kSide);
    // Zoomed in 3 times about the middle: the edges show a quarter or so.
    zoomBy(gdx, 3.0, {kWidth / 2.0, kHeight / 2.0, 0});
    view.renderImage();
    EXPECT_LT(view.lastPaint().itemsDrawn, kSide * kSide / 4);
    EXPECT_EQ(view.lastPaint().itemsDrawn + view.lastPaint().itemsCulled, kSide * kSide);
    // Back to fit, then a pan to the left and up by a few pixels: the strips
    // along the right and bottom edge lie in the fit's margin.
    view.zoomExtents();
    view.renderImage();
    panBy(gdx, -6, -4);
    const QImage shown = view.renderImage();
    EXPECT_EQ(view.lastPaint().kind, Repaint::Scrolled);
    EXPECT_EQ(view.lastPaint().itemsDrawn, 0);
    EXPECT_EQ(differingPixels(shown, fullPaint(gdx)), 0);
    // Zoomed about the top-left corner the grid runs past the right and
    // bottom edges: a pan draws only the squares in the uncovered strip and
    // those reaching from the kept part to beyond it (a few columns).
    zoomBy(gdx, 2.0, {0, 0, 0});
    view.renderImage();
    panBy(gdx, -10, 0);
    view.renderImage();
    EXPECT_EQ(view.lastPaint().kind, Repaint::Scrolled);
    EXPECT_GT(view.lastPaint().itemsDrawn, 0);
    // A full paint of the same view draws every square that shows.
    CZunDplistImage fresh;
    fresh.resize(kWidth, kHeight);
    fresh.set_dpList(&gdx);
    fresh.renderImage();
    EXPECT_LT(view.lastPaint().itemsDrawn, fresh.lastPaint().itemsDrawn / 2);
    EXPECT_EQ(differingPixels(view.renderImage(), fullPaint(gdx)), 0);
}

// A pan that is given up costs one walk of the list, the full paint's: when
// its strips alone are a quarter of the picture, nothing is traced; when
// the crossing pieces pass the quarter, the trace stops at that item.
TEST(ViewerReuse, PanGivenUpWalksTheListOnce)
{
    CZunGDX gdx(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
    constexpr int kLines = 200;
    for (int k = 0; k < kLines; ++k)
        gdx.imageVl({k + 1}, 0, CZunVertexArray{CZunVertex({0, k * 4.0}, {1000, k * 4.0 + 1})}, CZunColor(1 + k % 6),
                    {}, {1.0}, 1.0, 0, {});
    gdx.extMaxViewSet();
    CZunDplistImage view;
    view.resize(kWidth, kHeight);
    view.set_dpList(&gdx);
    view.zoomExtents();
    view.renderImage();
    // A third of the width uncovered.
    panBy(gdx, kWidth / 3, 0);
    QImage shown = view.renderImage();
    EXPECT_EQ(view.lastPaint().kind, Repaint::Full);
    EXPECT_EQ(view.lastPaint().itemsTraced, 0);
    EXPECT_EQ(view.lastPaint().itemsDrawn + view.lastPaint().itemsCulled, kLines);
    EXPECT_EQ(differingPixels(shown, fullPaint(gdx)), 0);
    // Deep inside, every line crosses the window and the kept part's edge
    // and marks a row of tiles: a quarter of the rows are marked long
    // before the list ends.
    zoomBy(gdx, 4.0, {kWidth / 2.0, kHeight / 2.0, 0});
    view.renderImage();
    panBy(gdx, 3, 0);
    shown = view.renderImage();
    EXPECT_EQ(view.lastPaint().kind, Repaint::Full);
    EXPECT_GT(view.lastPaint().itemsTraced, 0);
    EXPECT_LT(view.lastPaint().itemsTraced, kLines / 2);
    EXPECT_EQ(differingPixels(shown, fullPaint(gdx)), 0);
    // A small pan at the fit scrolls, and says what it traced.
    view.zoomExtents();
    view.renderImage();
    panBy(gdx, 0, 2);
    view.renderImage();
    EXPECT_EQ(view.lastPaint().kind, Repaint::Scrolled);
    EXPECT_EQ(view.lastPaint().itemsTraced, kLines);
}

// Ten times into a drawing of long dashed lines and hatched bands, every
// one far longer than the window: a pan scrolls and paints the strip and
// the dash runs and hatch lines crossing the edges, not every item that
// reaches past them.
TEST(ViewerReuse, PanDeepInsideLongDashedLinesPaintsOnlyStripsAndCrossingPieces)
{
    CZunGDX gdx(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
    int group = 1;
    for (int k = 0; k < 40; ++k) {
        const double y = k * 20.0, x = k * 25.0;
        gdx.imageVl({group++}, 0, CZunVertexArray{CZunVertex({0, y + 3}, {1000, y + 11})}, CZunColor(1 + k % 6), {},
                    {1.0, 1.0, 0.0}, 0.3, 0, {});
        gdx.imageVl({group++}, 0, CZunVertexArray{CZunVertex({x + 7, 0}, {x + 2, 800})}, CZunColor(1 + k % 5), {},
                    {1.0, 1.0, 1.0}, 0.3, 0, {});
    }
    for (int k = 0; k < 8; ++k)
        gdx.imageReg({group++}, gdxFlagHatch, {rectVl(0, k * 100.0 + 40, 1000, 4)}, CZunColor(2), {}, {1.0}, 1.0, 0,
                     CZunColor(3), ZUN::CHatchProp(L"ANSI31", 0.0, 1.0, false), {});
    gdx.extMaxViewSet();
    CZunDplistImage view;
    view.resize(kWidth, kHeight);
    view.set_dpList(&gdx);
    view.zoomExtents();
    zoomBy(gdx, 10.0, {kWidth / 2.0, kHeight / 2.0, 0});
    view.renderImage();
    ASSERT_GT(view.lastPaint().itemsDrawn, 8);
    for (const QPoint& pan : {QPoint(7, 0), QPoint(-12, 0), QPoint(0, 9), QPoint(-5, -6)}) {
        panBy(gdx, pan.x(), pan.y());
        const QImage shown = view.renderImage();
        EXPECT_EQ(view.lastPaint().kind, Repaint::Scrolled) << pan.x() << "," << pan.y();
        // The pieces a full paint of the same view draws, counted on the way.
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        CZunQtDC dc(image);
        CZunMaskedDC counting(dc, nullptr);
        CZunPainter(counting).paint(&gdx);
        EXPECT_LT(view.lastPaint().piecesDrawn, counting.piecesDrawn() / 4) << pan.x() << "," << pan.y();
        EXPECT_EQ(differingPixels(shown, fullPaint(gdx)), 0) << pan.x() << "," << pan.y();
    }
}

} // namespace
