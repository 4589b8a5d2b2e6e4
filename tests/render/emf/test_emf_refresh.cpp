#include "emf_reader.h"

#include "contracts/base/zun_string.h"
#include "contracts/data/zun_units.h"
#include "render/core/zun_unit_lengths.h"
#include "render/emf/zun_emf_refresh.h"
#include "render/paint/zun_viewfit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace {

constexpr ZunRgb kBlack = 0x000000;
constexpr ZunRgb kRed = 0x0000FF;
constexpr ZunRgb kGreen = 0x00FF00;

CZunColor black()
{
    CZunColor c;
    c.setColor(kBlack);
    return c;
}

// A list on a black background whose view extents are (0, 0)-(100, 100):
// fitted into 220 x 220 pixels with the 5 % margin, one unit is two pixels
// and model (x, y) lands on (10 + 2x, 210 - 2y).
CZunGDX boxList()
{
    return CZunGDX(black(), CZunMatrix3d(), 0.0, 0, {0, 0, 0}, {100, 100, 0});
}
constexpr int kSide = 220;

CZunVertexArray closedSquare(double x, double y, double size)
{
    return CZunVertexArray::fromPoints(CZunPoint3dArray{{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}},
                                       true);
}

CZunVertexArray line(double x1, double y1, double x2, double y2)
{
    CZunVertexArray vl;
    vl.append({x1, y1}, {x2, y2});
    return vl;
}

std::vector<emf::Mark> refreshMarks(CZunGDX& gdx, emf::File* out = nullptr, std::vector<emf::Clip>* clips = nullptr,
                                    const CZunPainter::BitmapSource& bitmaps = {})
{
    emf::File file(zunEmfRefreshBytes(&gdx, kSide, kSide, bitmaps));
    EXPECT_TRUE(file.ok()) << file.error();
    std::vector<emf::Mark> marks = file.play(clips);
    EXPECT_TRUE(file.ok()) << file.error();
    if (out)
        *out = file;
    return marks;
}

bool isUnitPiece(const emf::Segment& s)
{
    return s.b.x == s.a.x + 1 && s.b.y == s.a.y;
}

} // namespace

TEST(EmfRefresh, FitsTheViewExtentsAndLeavesTheViewMatrixOnTheList)
{
    CZunGDX gdx(black(), CZunMatrix3d(), 0.0, 0, {}, {});  // extents from the items
    gdx.imageVl({1}, 0, line(10, 20, 110, 70), CZunColor(1), {}, {1.0}, 1.0, 0, {});
    const CZunMatrix3d zoom = CZunMatrix3d().setToScaling(1.5);
    gdx.zoomMtxSet(zoom);
    const std::vector<std::uint8_t> bytes = zunEmfRefreshBytes(&gdx, 200, 300);

    const CZunMatrix3d expected = getViewMtx({10, 20, 0}, {110, 70, 0}, 200, 300, 0.05);
    EXPECT_TRUE(gdx.viewMtxGet().isEqualTo(expected));
    EXPECT_FALSE(gdx.viewMtxGet().isEqualTo(CZunMatrix3d::kIdentity));
    EXPECT_TRUE(gdx.zoomMtxGet().isEqualTo(zoom));  // the zoom is the caller's

    // The line is drawn through zoom x view, truncated toward zero.
    emf::File file(bytes);
    const std::vector<emf::Segment> segs = emf::segments(file.play());
    ASSERT_EQ(segs.size(), 1u);
    const CZunPoint3d a = CZunPoint3d(10, 20) * (zoom * expected);
    const CZunPoint3d b = CZunPoint3d(110, 70) * (zoom * expected);
    EXPECT_EQ(segs[0].a, (ZunIPoint{static_cast<int>(a.x), static_cast<int>(a.y)}));
    EXPECT_EQ(segs[0].b, (ZunIPoint{static_cast<int>(b.x), static_cast<int>(b.y)}));
    const emf::HeaderInfo h = file.header();
    EXPECT_EQ(h.deviceW, 300);
    EXPECT_EQ(h.deviceH, 200);
    // Clipped to the picture; no background is painted.
    std::vector<emf::Clip> clips;
    const std::vector<emf::Mark> marks = file.play(&clips);
    ASSERT_FALSE(clips.empty());
    EXPECT_EQ(clips[0].rects, (std::vector<emf::Rect>{{0, 0, 300, 200}}));
    EXPECT_EQ(marks.size(), 1u);
}

TEST(EmfRefresh, WhiteIsDrawnBlackForItemsContrastAndFills)
{
    CZunGDX gdx = boxList();
    gdx.imageVl({1}, 0, line(0, 10, 100, 10), CZunColor(7), {}, {1.0}, 1.0, 0, {});  // white
    gdx.imageVl({2}, gdxFlagOfColorMode(ZUN::cModeContrast), line(0, 20, 100, 20), CZunColor(1), {}, {1.0}, 1.0, 0, {});
    gdx.imageVl({3}, 0, line(0, 30, 100, 30), CZunColor(1), {}, {1.0}, 1.0, 0, {});  // red stays red
    gdx.imageReg({4}, gdxFlagFill, {closedSquare(40, 60, 10)}, CZunColor(1), {}, {1.0}, 1.0, 0, CZunColor(7), {}, {});
    // Lines at device rows 190, 170 and 150; the fill's lines at rows 70..89.
    std::map<int, ZunRgb> colorOfRow;
    for (const emf::Segment& s : emf::segments(refreshMarks(gdx))) {
        ASSERT_EQ(s.a.y, s.b.y);
        EXPECT_TRUE(!colorOfRow.count(s.a.y) || colorOfRow[s.a.y] == s.color) << "row " << s.a.y;
        colorOfRow[s.a.y] = s.color;
    }
    ASSERT_EQ(colorOfRow.size(), 3u + 20u);
    EXPECT_EQ(colorOfRow[190], kBlack);
    EXPECT_EQ(colorOfRow[170], kBlack);  // the contrast colour of black is white
    EXPECT_EQ(colorOfRow[150], kRed);
    for (int y = 70; y < 90; ++y)
        EXPECT_EQ(colorOfRow[y], kBlack) << "fill row " << y;
    // On screen the same white line would be white, inverted only against a
    // white background: the metafile ignores the background.
}

TEST(EmfRefresh, RegionWithAHoleIsFilledByLinesOneUnitApartThatSkipTheHole)
{
    CZunGDX gdx = boxList();
    gdx.imageReg({1}, gdxFlagFill, {closedSquare(0, 0, 100), closedSquare(30, 30, 40)}, CZunColor(1), {}, {1.0}, 1.0,
                 0, CZunColor(3), {}, {});
    emf::File file({});
    std::vector<emf::Clip> clips;
    const std::vector<emf::Mark> marks = refreshMarks(gdx, &file, &clips);
    EXPECT_EQ(file.count(emf::Polygon16) + file.count(emf::Polygon), 0);
    for (const emf::Clip& c : clips)
        EXPECT_EQ(c.mode, 5u) << "no cut-out clip for a metafile region";

    // The square spans device y 10..210 and x 10..210; the hole y 70..150
    // and x 70..150.
    std::map<int, std::vector<std::pair<int, int>>> rows;
    for (const emf::Segment& s : emf::segments(marks)) {
        ASSERT_EQ(s.a.y, s.b.y) << "not a horizontal line";
        EXPECT_EQ(s.color, kGreen);
        rows[s.a.y].push_back({std::min(s.a.x, s.b.x), std::max(s.a.x, s.b.x)});
    }
    for (const emf::Mark& m : marks)
        EXPECT_EQ(m.penWidth, 1);
    ASSERT_EQ(rows.size(), 200u);
    EXPECT_EQ(rows.begin()->first, 10);
    EXPECT_EQ(rows.rbegin()->first, 209);  // one unit apart, below the maximum
    int previous = 9;
    for (const auto& [y, pieces] : rows) {
        EXPECT_EQ(y, previous + 1);
        previous = y;
        if (y > 70 && y < 150) {
            ASSERT_EQ(pieces.size(), 2u) << "row " << y;
            EXPECT_EQ(pieces[0], (std::pair<int, int>{10, 70}));
            EXPECT_EQ(pieces[1], (std::pair<int, int>{150, 210}));
        } else if (y < 70 || y > 150) {
            ASSERT_EQ(pieces.size(), 1u) << "row " << y;
            EXPECT_EQ(pieces[0], (std::pair<int, int>{10, 210}));
        }
    }
}

TEST(EmfRefresh, ClosedPolylinesAreDrawnWholeHoweverShortTheirPieces)
{
    const double shortPiece = ZunUnitLengths::ofDrawing().shortPiece;
    CZunGDX gdx = boxList();
    // A circle of 400 pieces, each shorter than the short-piece length.
    const int n = 400;
    const double r = shortPiece * n / (2 * M_PI) * 0.9;
    CZunPoint3dArray pts;
    for (int k = 0; k < n; ++k)
        pts.append({50 + r * std::cos(2 * M_PI * k / n), 50 + r * std::sin(2 * M_PI * k / n)});
    gdx.imageVl({1}, 0, CZunVertexArray::fromPoints(pts, true), CZunColor(1), {}, {1.0}, 1.0, 0, {});
    const std::vector<emf::Segment> circle = emf::segments(refreshMarks(gdx));
    ASSERT_EQ(circle.size(), static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        const CZunPoint3d p = pts.get(k) * gdx.viewMtxGet();
        EXPECT_EQ(circle[k].a, (ZunIPoint{static_cast<int>(p.x), static_cast<int>(p.y)})) << k;
        EXPECT_EQ(circle[k].b, circle[(k + 1) % n].a) << k;
    }
}

TEST(EmfRefresh, ShortPiecesOfOpenDashedLinesAreLinesOneUnitLongNotPixels)
{
    CZunGDX gdx = boxList();
    gdx.imageVl({1}, 0, line(0, 50, 100, 50), CZunColor(1), {}, {0.0, 0.0, 1.0}, 1.0, 0, {});  // dots
    emf::File file({});
    const std::vector<emf::Segment> segs = emf::segments(refreshMarks(gdx, &file));
    EXPECT_EQ(file.count(emf::SetPixelV), 0);
    ASSERT_GT(segs.size(), 5u);
    for (const emf::Segment& s : segs) {
        EXPECT_TRUE(isUnitPiece(s)) << s.a.x << "," << s.a.y << " " << s.b.x << "," << s.b.y;
        EXPECT_EQ(s.a.y, 110);
    }
}

TEST(EmfRefresh, PointModesEightAndSixtyFourAreRectanglesAboutThePoint)
{
    CZunGDX gdx = boxList();
    // Size 3.5 units is 7 pixels: half of it 3.
    gdx.imagePt({1}, 0, {50, 50}, CZunColor(1), {}, 3.5, 8 | 2 | 32, {});
    gdx.imagePt({2}, 0, {20, 20}, CZunColor(3), {}, 3.5, 64 | 1, {});
    const std::vector<emf::Mark> marks = refreshMarks(gdx);
    std::vector<emf::Mark> rects;
    for (const emf::Mark& m : marks)
        if (m.record == emf::Rectangle)
            rects.push_back(m);
    // Mode 8 draws only its square: no circle, no cross.
    EXPECT_EQ(marks.size(), 2u);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].points, (std::vector<ZunIPoint>{{107, 107}, {113, 113}}));
    EXPECT_FALSE(rects[0].brushNull);
    EXPECT_EQ(rects[0].brush, kRed);
    EXPECT_EQ(rects[0].pen, kRed);
    // Mode 64: symmetric for an odd size too (the screen shifts it by one).
    EXPECT_EQ(rects[1].points, (std::vector<ZunIPoint>{{47, 167}, {53, 173}}));
    EXPECT_TRUE(rects[1].brushNull);
    EXPECT_EQ(rects[1].pen, kGreen);
}

TEST(EmfRefresh, PicturesAreRequestedOnWhiteAndCopiedAsBitmaps)
{
    CZunGDX gdx = boxList();
    gdx.imagePicture({1}, 0, L"logo.bmp", 0, {20, 30, 0}, {60, 50, 0});
    std::vector<ZunRgb> backgrounds;
    const CZunPainter::BitmapSource source = [&](const CZunString& file, int, int w, int h, ZunRgb background) {
        EXPECT_EQ(file, CZunString(L"logo.bmp"));
        backgrounds.push_back(background);
        ZunBitmap b;
        b.width = w;
        b.height = h;
        b.pixels.assign(static_cast<std::size_t>(w * h), 0x00123456);
        return b;
    };
    const std::vector<emf::Mark> marks = refreshMarks(gdx, nullptr, nullptr, source);
    ASSERT_EQ(backgrounds, (std::vector<ZunRgb>{0xFFFFFF}));
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].record, emf::StretchDIBits);
    EXPECT_EQ(marks[0].points[0], (ZunIPoint{20, 30}));  // picture corners are device pixels
    EXPECT_EQ(marks[0].dibW, 40);
    EXPECT_EQ(marks[0].dibH, 20);
    EXPECT_EQ(marks[0].dib.front(), 0x00123456u);
}

TEST(EmfRefresh, GlyphHolesAreCutOutOfTheClipAndTheClipComesBack)
{
    CZunGDX gdx = boxList();
    gdx.imageTxt({1}, 0, L"O", CZunColor(1), CZunMatrix3d().setToScaling(40), L"CC", {50, 50, 0}, {});
    std::vector<emf::Clip> clips;
    emf::File file({});
    const std::vector<emf::Mark> marks = refreshMarks(gdx, &file, &clips);
    ASSERT_GE(clips.size(), 3u);
    EXPECT_EQ(clips[1].mode, 4u);  // the hole of the O, cut out
    EXPECT_GT(clips[1].rects.size(), 4u);
    EXPECT_EQ(clips.back().mode, 5u);
    EXPECT_EQ(clips.back().rects, (std::vector<emf::Rect>{{0, 0, kSide, kSide}}));
    ASSERT_GE(file.count(emf::Polygon16), 1);
    for (const emf::Mark& m : marks)
        if (m.record == emf::Polygon16) {
            EXPECT_EQ(m.brush, kRed);
            EXPECT_FALSE(m.brushNull);
        }
}

TEST(EmfRefresh, FileAndBytesAgreeAndBadInputsGiveNothing)
{
    CZunGDX gdx = boxList();
    gdx.imageVl({1}, 0, closedSquare(10, 10, 50), CZunColor(5), {}, {1.0}, 1.0, 2, {});
    CZunGDX copy = gdx;
    const std::vector<std::uint8_t> bytes = zunEmfRefreshBytes(&gdx, 120, 160);
    ASSERT_FALSE(bytes.empty());

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zun_emf_refresh_test";
    std::filesystem::create_directories(dir);
    const std::filesystem::path path = dir / "part.emf";
    ASSERT_TRUE(zunEmfRefreshFile(&copy, CZunString::fromUtf8(path.string()).c_str(), 120, 160));
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(saved, bytes);
    EXPECT_TRUE(copy.viewMtxGet().isEqualTo(gdx.viewMtxGet()));

    EXPECT_FALSE(zunEmfRefreshFile(&copy, CZunString::fromUtf8((dir / "no" / "x.emf").string()).c_str(), 120, 160));
    EXPECT_FALSE(zunEmfRefreshFile(nullptr, L"x.emf", 120, 160));
    EXPECT_FALSE(zunEmfRefreshFile(&copy, nullptr, 120, 160));
    EXPECT_FALSE(zunEmfRefreshFile(&copy, CZunString::fromUtf8(path.string()).c_str(), 0, 160));
    EXPECT_TRUE(zunEmfRefreshBytes(nullptr, 120, 160).empty());
    EXPECT_TRUE(zunEmfRefreshBytes(&copy, 120, -1).empty());
    std::filesystem::remove_all(dir);

    // An empty list gives a valid metafile with nothing drawn.
    CZunGDX empty = boxList();
    emf::File file(zunEmfRefreshBytes(&empty, 50, 50));
    EXPECT_TRUE(file.ok()) << file.error();
    EXPECT_TRUE(file.play().empty());
    EXPECT_EQ(file.header().bounds, (emf::Rect{0, 0, -1, -1}));
}
