// One table of short device-call scripts, each drawn twice: by the Qt
// device straight onto an image, and by the metafile device, whose file
// the tests' reader plays back onto an image of the same size. The
// painter draws every target through the same calls, so a picture pasted
// from a metafile shows what the viewer shows only when both images agree
// pixel for pixel. They must agree on every pixel: the recording keeps
// every call (a filled rectangle becomes a box edged in its colour, a
// cut-out its rows of pixels), so no difference is by design. An entry
// whose devices may differ would have to say where and why.

#include "emf_player.h"

#include "render/emf/zun_emf_dc.h"
#include "render/core/zun_dashing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 60;
constexpr ZunIRect kClient{0, 0, kWidth, kHeight};

constexpr ZunRgb kBlack = 0x000000;
constexpr ZunRgb kRed = 0x0000FF;  // 0x00BBGGRR
constexpr ZunRgb kGreen = 0x00FF00;
constexpr ZunRgb kBlue = 0xFF0000;
constexpr ZunRgb kGrey = 0x808080;

using Points = std::vector<ZunIPoint>;

// A pentagram: its middle is crossed twice, outside by the alternate rule.
const Points kStar{{40, 4}, {57, 54}, {13, 23}, {67, 23}, {23, 54}};

struct DeviceScript {
    std::string name;
    std::function<void(CDC&)> draw;
};

void PrintTo(const DeviceScript& script, std::ostream* os)
{
    *os << script.name;
}

void line(CDC& dc, int x0, int y0, int x1, int y1)
{
    dc.moveTo(x0, y0);
    dc.lineTo(x1, y1);
}

void polyline(CDC& dc, const Points& points)
{
    dc.moveTo(points[0].x, points[0].y);
    for (std::size_t k = 1; k < points.size(); ++k)
        dc.lineTo(points[k].x, points[k].y);
}

// ---- clipping -----------------------------------------------------------------

void clipWithStarCutOut(CDC& dc)
{
    dc.setClipRect({4, 2, 76, 58});
    dc.excludeClipPolygon(kStar);
    dc.fillSolidRect(kClient, kBlue);
    dc.selectPen(0, kRed);
    for (int y = 0; y < kHeight; y += 3)
        line(dc, 0, y, kWidth - 1, y + 7);
    dc.selectNullPen();
    dc.selectSolidBrush(kGreen);
    dc.polygon(Points{{30, 10}, {50, 10}, {50, 40}, {30, 40}});
    dc.setClipRect(kClient);
    dc.selectPen(0, kBlack);
    line(dc, 0, 30, kWidth - 1, 30);  // the whole client again: through the star
}

void clipWithOverlappingCutOuts(CDC& dc)
{
    dc.setClipRect(kClient);
    dc.excludeClipPolygon(Points{{10, 10}, {40, 10}, {40, 40}, {10, 40}});
    dc.excludeClipPolygon(Points{{30, 5}, {75, 30}, {25, 55}});  // overlaps the square
    dc.excludeClipPolygon(Points{{60, 45}, {61, 45}});              // no area: cuts nothing
    dc.selectPen(2, kRed);
    dc.selectSolidBrush(kGrey);
    dc.polygon(Points{{2, 2}, {78, 2}, {78, 58}, {2, 58}});
    dc.selectPen(3, kBlue);
    line(dc, 0, 0, kWidth - 1, kHeight - 1);
    dc.ellipse({5, 5, 75, 55});
}

// Polygons of random corners, many of them on another polygon's edge or on
// a pixel row of a vertex: the cases where a cut-out rule shows.
void clipWithRandomCutOuts(CDC& dc)
{
    std::mt19937 rng(16);
    std::uniform_int_distribution<int> x(-5, kWidth + 5), y(-5, kHeight + 5), corners(3, 7);
    dc.setClipRect({3, 3, 77, 57});
    for (int k = 0; k < 8; ++k) {
        Points polygon;
        for (int n = corners(rng); n > 0; --n)
            polygon.push_back({x(rng), y(rng)});
        dc.excludeClipPolygon(polygon);
    }
    dc.fillSolidRect(kClient, kGreen);
}

// Pixels on and next to each edge of the clip rectangle, and along the
// slanted edges of a cut-out triangle.
void pixelsOnTheClipBorder(CDC& dc)
{
    dc.setClipRect({10, 10, 30, 30});
    for (int k = 8; k <= 32; ++k) {
        for (const int edge : {9, 10, 29, 30}) {
            dc.setPixel(k, edge, kRed);
            dc.setPixel(edge, k, kBlue);
        }
    }
    dc.setClipRect(kClient);
    const Points triangle{{40, 10}, {75, 20}, {50, 55}};
    dc.excludeClipPolygon(triangle);
    for (int t = 0; t <= 40; ++t)
        for (int side = 0; side < 3; ++side) {
            const ZunIPoint a = triangle[static_cast<std::size_t>(side)];
            const ZunIPoint b = triangle[static_cast<std::size_t>((side + 1) % 3)];
            const int x = a.x + (b.x - a.x) * t / 40;
            const int y = a.y + (b.y - a.y) * t / 40;
            for (int d = -1; d <= 1; ++d)
                dc.setPixel(x + d, y, d == 0 ? kBlack : kGreen);
        }
    dc.setPixel(-1, 5, kRed);  // outside the picture: nothing
    dc.setPixel(kWidth, 5, kRed);
    dc.setPixel(5, kHeight, kRed);
}

// ---- polygons --------------------------------------------------------------------

void alternateRuleStar(CDC& dc)
{
    dc.selectNullPen();
    dc.selectSolidBrush(kRed);
    dc.polygon(kStar);
}

void alternateRuleStarEdged(CDC& dc)
{
    dc.selectPen(0, kBlack);
    dc.selectSolidBrush(kGreen);
    dc.polygon(kStar);
}

void alternateRuleNestedAndCrossing(CDC& dc)
{
    dc.selectNullPen();
    dc.selectSolidBrush(kBlue);
    // Two squares in one polygon, the second inside the first: a hole.
    dc.polygon(Points{{2, 2}, {36, 2}, {36, 36}, {2, 36}, {2, 2}, {10, 10}, {28, 10}, {28, 28}, {10, 28}, {10, 10}});
    // A bow tie crossing itself at its waist.
    dc.selectPen(0, kRed);
    dc.selectSolidBrush(kGrey);
    dc.polygon(Points{{40, 5}, {77, 40}, {77, 5}, {40, 40}});
    // Slivers and a polygon of two points (a line).
    dc.polygon(Points{{5, 45}, {70, 47}, {5, 48}});
    dc.polygon(Points{{5, 55}, {70, 57}});
}

// ---- ellipses and rectangles -----------------------------------------------------

void ellipseEdges(CDC& dc)
{
    dc.selectPen(0, kBlack);
    dc.selectHollowBrush();
    dc.ellipse({2, 2, 30, 30});    // even size
    dc.ellipse({33, 2, 46, 15});   // odd size
    dc.ellipse({50, 2, 78, 12});   // wide and flat
    dc.ellipse({50, 15, 54, 40});  // tall and thin
    dc.selectSolidBrush(kRed);
    dc.ellipse({2, 33, 27, 58});
    dc.ellipse({60, 44, 62, 46});  // a point marker: two by two
    dc.ellipse({66, 44, 67, 45});  // one by one
    dc.selectNullPen();
    dc.selectSolidBrush(kBlue);
    dc.ellipse({30, 33, 47, 50});  // fill alone
}

void rectangleEdges(CDC& dc)
{
    dc.selectPen(0, kBlack);
    dc.selectHollowBrush();
    dc.rectangle({2, 2, 20, 15});
    dc.rectangle({25, 2, 26, 15});  // one pixel wide
    dc.rectangle({30, 2, 45, 3});   // one pixel high
    dc.selectSolidBrush(kGreen);
    dc.rectangle({2, 20, 20, 35});
    dc.selectNullPen();
    dc.rectangle({25, 20, 45, 35});  // fill alone
    dc.rectangle({50, 20, 51, 21});  // one pixel without a pen: nothing
    dc.selectPen(0, kRed);
    dc.rectangle({50, 2, 51, 3});  // one pixel
    dc.selectPen(3, kBlue);
    dc.rectangle({60, 5, 61, 6});  // one pixel, a wide pen
    dc.rectangle({55, 20, 75, 40});
}

void filledRectangles(CDC& dc)
{
    dc.selectPen(3, kRed);  // does not edge a filled rectangle
    dc.fillSolidRect({2, 2, 20, 15}, kBlue);
    dc.fillSolidRect({10, 10, 30, 25}, kGrey);    // over the one before
    dc.fillSolidRect({35, 2, 36, 3}, kBlack);     // one pixel
    dc.fillSolidRect({40, 5, 40, 20}, kBlack);    // empty
    dc.fillSolidRect({70, 50, 90, 70}, kGreen);   // partly outside the picture
    dc.fillSolidRect({-5, 40, 5, 65}, kGreen);
    line(dc, 0, 45, 60, 45);  // the pen from before the fills
}

// ---- raster operations -----------------------------------------------------------

ZunBitmap gradient(int width, int height)
{
    ZunBitmap b;
    b.width = width;
    b.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.pixels.push_back(static_cast<std::uint32_t>((x * 37) << 16 | (y * 41) << 8 | ((x + y) * 23 & 0xFF)));
    return b;
}

void rasterOperations(CDC& dc)
{
    for (int x = 0; x < kWidth; x += 8)  // stripes to combine with
        dc.fillSolidRect({x, 0, x + 4, kHeight}, 0x3C5A78);
    const ZunBitmap b = gradient(7, 9);
    dc.bitBlt(2, 2, b, ZunRop::Copy);
    dc.bitBlt(12, 2, b, ZunRop::And);
    dc.bitBlt(22, 2, b, ZunRop::Or);
    dc.bitBlt(32, 2, b, ZunRop::Xor);
    dc.bitBlt(42, 2, b, ZunRop::Xor);
    dc.bitBlt(42, 2, b, ZunRop::Xor);  // twice: the stripes again
    dc.bitBlt(75, 55, b, ZunRop::Copy);  // partly outside the picture
    dc.setClipRect({10, 20, 40, 40});
    dc.excludeClipPolygon(kStar);
    dc.bitBlt(5, 15, gradient(40, 30), ZunRop::Xor);  // clipped
}

// ---- pens ------------------------------------------------------------------------

// Lines of every slope, joined and single, short and long, a polygon and a
// rectangle edged with a pen of the given width.
DeviceScript penScript(int width)
{
    const auto draw = [width](CDC& dc) {
        dc.selectPen(width, kBlack);
        line(dc, 3, 3, 40, 3);
        line(dc, 3, 6, 3, 30);
        line(dc, 6, 6, 30, 30);
        line(dc, 10, 6, 40, 14);   // shallow
        line(dc, 34, 6, 40, 30);   // steep
        line(dc, 40, 34, 6, 30);   // right to left
        line(dc, 45, 5, 45, 5);    // no length
        line(dc, 48, 5, 49, 5);    // one step
        polyline(dc, Points{{50, 10}, {75, 10}, {60, 20}, {75, 30}, {50, 30}});  // sharp joins
        dc.selectPen(width, kRed);  // another colour ends the run
        polyline(dc, Points{{5, 40}, {20, 55}, {35, 40}, {5, 40}});             // closed
        dc.selectSolidBrush(kGrey);
        dc.polygon(Points{{40, 40}, {55, 38}, {50, 55}});
        dc.rectangle({60, 38, 76, 56});
        dc.selectHollowBrush();
        dc.ellipse({62, 40, 74, 54});
    };
    return {"PenWidth" + std::to_string(width), draw};
}

// ---- line types ------------------------------------------------------------------

// A line type as the painter dashes it (the dot as a fifth of a unit) on a
// polyline with an arc, each piece drawn as the devices get it: a line,
// or a pixel for a dot that rounds to one.
DeviceScript lineTypeScript(const char* name, std::vector<double> lineType)
{
    const auto draw = [lineType](CDC& dc) {
        CZunVertexArray vl{CZunVertex({4, 4}, {70, 4}), CZunVertex({70, 4}, {70, 30}),
                           CZunVertex({70, 30}, {10, 30}, 0.6), CZunVertex({10, 30}, {40, 56})};
        CZunVertexArray flat = zun_gdx_image_vl_split(vl);
        if (lineType.size() >= 2) {
            EXPECT_TRUE(zun_gdx_image_vl_measure(flat, CZunArrayTempl<double>(lineType), 1));
        }
        dc.selectPen(0, kBlue);
        for (const CZunVertex& v : flat) {
            const long x0 = std::lround(v.start().x), y0 = std::lround(v.start().y);
            const long x1 = std::lround(v.end().x), y1 = std::lround(v.end().y);
            if (x0 == x1 && y0 == y1)
                dc.setPixel(int(x0), int(y0), kBlue);
            else
                line(dc, int(x0), int(y0), int(x1), int(y1));
        }
    };
    return {name, draw};
}

// ---- several things at once -------------------------------------------------------

void coordinatesBeyondSixteenBits(CDC& dc)
{
    dc.selectPen(0, kRed);
    line(dc, -40000, 10, 40000, 20);
    polyline(dc, Points{{5, 50}, {70000, 50}, {5, 55}});
    dc.selectNullPen();
    dc.selectSolidBrush(kBlue);
    dc.polygon(Points{{10, 25}, {-50000, 40}, {10, 45}});
}

void selectionsBetweenShapes(CDC& dc)
{
    dc.selectPen(0, kRed);
    line(dc, 0, 2, 79, 2);
    dc.selectSolidBrush(kGreen);
    dc.selectNullPen();
    dc.rectangle({5, 5, 20, 20});
    dc.selectPen(0, kRed);  // the same pen as before the null pen
    line(dc, 0, 22, 79, 22);
    dc.selectHollowBrush();
    dc.rectangle({25, 5, 40, 20});
    dc.selectNullPen();
    line(dc, 0, 25, 79, 25);  // no pen: nothing
    dc.selectPen(1, kBlue);   // one pixel wide, as width 0
    line(dc, 0, 28, 79, 28);
    dc.selectPen(0, kBlue);
    line(dc, 79, 28, 79, 59);  // goes on from the line before with an equal pen
    dc.setBkColor(kBlack);     // draws nothing
    dc.selectPen(0, kGrey);
    for (int k = 0; k < 20; ++k)  // many runs in one pen
        line(dc, 2 + 3 * k, 35, 4 + 3 * k, 55);
}

std::vector<DeviceScript> scripts()
{
    return {
        {"ClipWithStarCutOut", clipWithStarCutOut},
        {"ClipWithOverlappingCutOuts", clipWithOverlappingCutOuts},
        {"ClipWithRandomCutOuts", clipWithRandomCutOuts},
        {"PixelsOnTheClipBorder", pixelsOnTheClipBorder},
        {"AlternateRuleStar", alternateRuleStar},
        {"AlternateRuleStarEdged", alternateRuleStarEdged},
        {"AlternateRuleNestedAndCrossing", alternateRuleNestedAndCrossing},
        {"EllipseEdges", ellipseEdges},
        {"RectangleEdges", rectangleEdges},
        {"FilledRectangles", filledRectangles},
        {"RasterOperations", rasterOperations},
        penScript(0),
        penScript(1),
        penScript(2),
        penScript(3),
        lineTypeScript("LineTypeSolid", {}),
        lineTypeScript("LineTypeDashed", {10.0, -4.0}),
        lineTypeScript("LineTypeDashDot", {11.0, -5.0, 0.2, -5.0}),
        lineTypeScript("LineTypeDotted", {0.2, -4.0}),
        {"CoordinatesBeyondSixteenBits", coordinatesBeyondSixteenBits},
        {"SelectionsBetweenShapes", selectionsBetweenShapes},
    };
}

QImage blank()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

std::string at(int x, int y)
{
    return "(" + std::to_string(x) + "," + std::to_string(y) + ")";
}

// The pixels of the picture for which a test holds: how many, and the
// first few.
struct Pixels {
    int count = 0;
    std::string first;
};
Pixels pixelsWhere(const std::function<bool(int x, int y)>& test)
{
    Pixels found;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (test(x, y) && ++found.count <= 12)
                found.first += ' ' + at(x, y);
    return found;
}

class DeviceConformance : public ::testing::TestWithParam<DeviceScript> {
protected:
    // Keeps both pictures for a look when they disagree.
    void keep(const QImage& direct, const QImage& played) const
    {
        const std::string base = ::testing::TempDir() + "conformance_" + GetParam().name;
        direct.save(QString::fromStdString(base + "_qt.png"));
        played.save(QString::fromStdString(base + "_emf.png"));
        std::cerr << "pictures kept as " << base << "_qt.png and _emf.png\n";
    }
};

TEST_P(DeviceConformance, MetafilePlaysBackToThePixelsOfTheQtDevice)
{
    const DeviceScript& script = GetParam();
    QImage direct = blank();
    {
        CZunQtDC dc(direct);
        script.draw(dc);
    }
    CZunEmfDC recorder(kWidth, kHeight);
    script.draw(recorder);
    emf::File file(recorder.bytes());
    ASSERT_TRUE(file.ok()) << file.error();
    QImage played = blank();
    std::string error;
    ASSERT_TRUE(emf::playOnto(file, played, error)) << error;

    ASSERT_NE(direct, blank()) << "the script draws nothing";
    const Pixels differing = pixelsWhere([&](int x, int y) { return direct.pixel(x, y) != played.pixel(x, y); });
    EXPECT_EQ(differing.count, 0) << "pixels that differ:" << differing.first;

    // Readers crop a metafile to the bounds in its header: everything it
    // draws must lie inside them.
    const emf::Rect b = file.header().bounds;
    const Pixels outside = pixelsWhere([&](int x, int y) {
        return played.pixel(x, y) != 0xFFFFFFFFu && (x < b.left || x > b.right || y < b.top || y > b.bottom);
    });
    EXPECT_EQ(outside.count, 0) << "pixels outside the bounds " << at(b.left, b.top) << "-" << at(b.right, b.bottom)
                                << ":" << outside.first;
    if (HasFailure())
        keep(direct, played);
}

INSTANTIATE_TEST_SUITE_P(Scripts, DeviceConformance, ::testing::ValuesIn(scripts()),
                         [](const ::testing::TestParamInfo<DeviceScript>& info) { return info.param.name; });

} // namespace
