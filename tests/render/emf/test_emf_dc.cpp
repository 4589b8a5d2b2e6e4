#include "emf_reader.h"

#include "contracts/base/zun_string.h"
#include "render/emf/zun_emf_dc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <utility>

namespace {

emf::File finish(CZunEmfDC& dc)
{
    emf::File file(dc.bytes());
    EXPECT_TRUE(file.ok()) << file.error();
    return file;
}

std::vector<emf::Mark> playChecked(emf::File& file, std::vector<emf::Clip>* clips = nullptr)
{
    std::vector<emf::Mark> marks = file.play(clips);
    EXPECT_TRUE(file.ok()) << file.error();
    return marks;
}

// Whether the pixel's top-left corner is inside the polygon by the
// alternate rule, by counting crossings to its right: the screen's rule for
// clip regions.
bool pixelInside(const std::vector<ZunIPoint>& poly, int x, int y)
{
    const double px = x, py = y;
    bool inside = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const ZunIPoint a = poly[i], b = poly[j];
        if ((a.y > py) != (b.y > py) && px < a.x + (py - a.y) * (b.x - a.x) / double(b.y - a.y))
            inside = !inside;
    }
    return inside;
}

int pixelsInside(const std::vector<ZunIPoint>& poly, int width, int height)
{
    int n = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            n += pixelInside(poly, x, y);
    return n;
}

bool covered(const std::vector<emf::Rect>& rects, int x, int y)
{
    for (const emf::Rect& r : rects)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return true;
    return false;
}

} // namespace

TEST(EmfHeader, SizesCountsAndBoundsAgreeWithTheRecords)
{
    CZunEmfDC dc(960, 480);
    dc.selectPen(0, 0x0000FF);
    dc.moveTo(10, 20);
    dc.lineTo(300, 25);
    dc.lineTo(310, 400);
    dc.selectSolidBrush(0x00FF00);
    dc.polygon(std::vector<ZunIPoint>{{500, 30}, {700, 30}, {600, 90}});
    dc.ellipse({800, 100, 900, 200});
    dc.moveTo(5, 470);
    dc.lineTo(6, 470);
    emf::File file = finish(dc);
    const emf::HeaderInfo h = file.header();

    EXPECT_EQ(h.signature, 0x464D4520u);
    EXPECT_EQ(h.version, 0x00010000u);
    EXPECT_EQ(h.headerSize, 108u);
    EXPECT_EQ(h.bytes, file.bytes().size());
    EXPECT_EQ(h.records, file.records().size());
    EXPECT_EQ(static_cast<int>(h.records), dc.recordCount());
    EXPECT_EQ(h.description, 0u);
    EXPECT_EQ(h.palEntries, 0u);
    // The picture at 96 dpi: 960 x 480 pixels are 254 x 127 mm.
    EXPECT_EQ(h.deviceW, 960);
    EXPECT_EQ(h.deviceH, 480);
    EXPECT_EQ(h.mmW, 254);
    EXPECT_EQ(h.mmH, 127);
    EXPECT_EQ(h.umW, 254000);
    EXPECT_EQ(h.umH, 127000);
    EXPECT_EQ(h.frame, (emf::Rect{0, 0, 25399, 12699}));

    // The bounds are the union of what the records draw, inclusive.
    const std::vector<emf::Mark> marks = playChecked(file);
    emf::Rect all = emf::markBox(marks.front());
    for (const emf::Mark& m : marks) {
        const emf::Rect b = emf::markBox(m);
        all = {std::min(all.left, b.left), std::min(all.top, b.top), std::max(all.right, b.right),
               std::max(all.bottom, b.bottom)};
    }
    EXPECT_EQ(h.bounds, (emf::Rect{5, 20, 899, 470}));
    EXPECT_EQ(h.bounds, all);
    EXPECT_EQ(dc.drawingRecordCount(), static_cast<int>(marks.size()));

    // Every object slot used lies inside the table the header declares.
    for (const emf::Record& r : file.records()) {
        if (r.type == emf::CreatePen || r.type == emf::CreateBrushIndirect) {
            EXPECT_LT(file.u32(r.offset + 8), h.handles);
        }
    }
    EXPECT_EQ(file.records().back().type, emf::Eof);
    EXPECT_EQ(file.u32(file.records().back().offset + 16), 20u);  // the end record repeats its size
}

TEST(EmfHeader, EmptyPictureHasEmptyBoundsAndStillAFrame)
{
    CZunEmfDC dc(0, -3);  // sizes below 1 count as 1
    EXPECT_EQ(dc.clientRect(), (ZunIRect{0, 0, 1, 1}));
    emf::File file = finish(dc);
    const emf::HeaderInfo h = file.header();
    EXPECT_EQ(h.bounds, (emf::Rect{0, 0, -1, -1}));
    EXPECT_EQ(h.frame, (emf::Rect{0, 0, 25, 25}));  // 26.46 hundredths of a mm, rounded, inclusive
    EXPECT_EQ(h.handles, 1);                        // only the reserved slot
    EXPECT_EQ(file.records().size(), 3u);           // header, fill mode, end
    EXPECT_EQ(file.records()[1].type, emf::SetPolyFillMode);
    EXPECT_EQ(file.u32(file.records()[1].offset + 8), 1u);  // alternate
}

TEST(EmfHeader, BoundsStayInsideTheClipAndGrowWithWidePens)
{
    CZunEmfDC dc(100, 100);
    dc.setClipRect({10, 10, 50, 50});
    dc.selectPen(0, 0);
    dc.moveTo(0, 20);
    dc.lineTo(90, 20);
    EXPECT_EQ(finish(dc).header().bounds, (emf::Rect{10, 20, 49, 20}));

    CZunEmfDC wide(100, 100);
    wide.selectPen(6, 0);
    wide.moveTo(20, 20);
    wide.lineTo(40, 20);
    EXPECT_EQ(finish(wide).header().bounds, (emf::Rect{17, 17, 43, 23}));
}

TEST(EmfObjects, PensAndBrushesAreMadeOnceAndSelectedExplicitly)
{
    CZunEmfDC dc(200, 200);
    // The same pen asked for again and again is made once.
    for (int i = 0; i < 5; ++i) {
        dc.selectPen(2, 0x112233);
        dc.moveTo(i * 10, 0);
        dc.lineTo(i * 10, 50);
    }
    // Going back and forth between two pens makes each once.
    for (int i = 0; i < 50; ++i) {
        dc.selectPen(0, i % 2 ? 0x0000FF : 0x00FF00);
        dc.moveTo(0, 60 + i);
        dc.lineTo(100, 60 + i);
    }
    // Selections nothing is drawn with leave no trace.
    dc.selectSolidBrush(0x123456);
    dc.selectHollowBrush();
    dc.selectSolidBrush(0x00FFFF);
    dc.rectangle({10, 10, 20, 20});
    dc.selectHollowBrush();
    dc.ellipse({30, 10, 40, 20});
    dc.selectNullPen();
    dc.moveTo(0, 0);
    dc.lineTo(5, 5);  // no pen: nothing drawn
    dc.selectSolidBrush(0xFF0000);
    dc.polygon(std::vector<ZunIPoint>{{0, 0}, {10, 0}, {0, 10}});
    emf::File file = finish(dc);
    const std::vector<emf::Mark> marks = playChecked(file);

    EXPECT_EQ(file.count(emf::CreatePen), 3);
    EXPECT_EQ(file.count(emf::CreateBrushIndirect), 2);
    EXPECT_EQ(file.count(emf::DeleteObject), 0);
    // Pen and brush before the first line, 50 pens, the brushes of the
    // rectangle and the ellipse, the polygon's pen and brush.
    EXPECT_EQ(file.count(emf::SelectObject), 2 + 50 + 2 + 2);
    for (const emf::Record& r : file.records()) {
        if (r.type == emf::CreateBrushIndirect) {
            EXPECT_NE(file.u32(r.offset + 16), 0x123456u) << "a brush nothing was drawn with was written";
        }
    }
    ASSERT_EQ(marks.size(), 5u + 50u + 3u);
    EXPECT_EQ(marks[0].penWidth, 2);
    EXPECT_EQ(marks[0].pen, 0x112233u);
    EXPECT_EQ(marks[5].pen, 0x00FF00u);
    EXPECT_EQ(marks[6].pen, 0x0000FFu);
    EXPECT_EQ(marks[7].pen, 0x00FF00u);
    const emf::Mark& rect = marks[55];
    EXPECT_EQ(rect.record, emf::Rectangle);
    EXPECT_TRUE(rect.brushSelected);
    EXPECT_FALSE(rect.brushNull);
    EXPECT_EQ(rect.brush, 0x00FFFFu);
    EXPECT_EQ(rect.pen, 0x0000FFu);
    EXPECT_TRUE(marks[56].brushNull);
    const emf::Mark& poly = marks[57];
    EXPECT_EQ(poly.record, emf::Polygon16);
    EXPECT_TRUE(poly.penNull);
    EXPECT_EQ(poly.brush, 0xFF0000u);
    // The null pen and the hollow brush are the stock objects.
    bool stockPen = false, stockBrush = false;
    for (const emf::Record& r : file.records()) {
        if (r.type == emf::SelectObject) {
            stockPen = stockPen || file.u32(r.offset + 8) == 0x80000008u;
            stockBrush = stockBrush || file.u32(r.offset + 8) == 0x80000005u;
        }
    }
    EXPECT_TRUE(stockPen);
    EXPECT_TRUE(stockBrush);
}

TEST(EmfObjects, ManyColoursKeepSixteenObjectsAliveAndDeleteTheOldest)
{
    CZunEmfDC dc(100, 100);
    // The brush, used first and selected all along, is the oldest object
    // but must survive.
    dc.selectSolidBrush(0x808080);
    dc.rectangle({1, 1, 5, 5});
    for (int i = 0; i < 40; ++i) {
        dc.selectPen(0, static_cast<ZunRgb>(i));
        dc.moveTo(0, i);
        dc.lineTo(50, i);
    }
    dc.selectPen(0, 39);  // still alive: selected again, not made again
    dc.rectangle({1, 1, 5, 5});
    dc.selectPen(0, 0);  // long deleted: made again
    dc.moveTo(0, 99);
    dc.lineTo(9, 99);
    emf::File file = finish(dc);
    const std::vector<emf::Mark> marks = playChecked(file);  // fails on deleting a selected object
    EXPECT_EQ(file.count(emf::CreatePen), 40 + 1);  // 40 colours (the first the default), colour 0 again
    EXPECT_EQ(file.count(emf::CreateBrushIndirect), 1);
    EXPECT_EQ(file.count(emf::DeleteObject), 41 + 1 - 16);
    EXPECT_LE(file.header().handles, 17);
    ASSERT_EQ(marks.size(), 43u);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(marks[static_cast<std::size_t>(i + 1)].pen, static_cast<ZunRgb>(i));
    EXPECT_EQ(marks[41].pen, 39u);
    EXPECT_EQ(marks[41].brush, 0x808080u);
    EXPECT_EQ(marks[42].pen, 0u);
}

TEST(EmfObjects, TheFirstFillSelectsABrushEvenWhenItIsHollow)
{
    CZunEmfDC dc(50, 50);
    dc.rectangle({1, 1, 10, 10});
    emf::File file = finish(dc);
    const std::vector<emf::Mark> marks = playChecked(file);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_TRUE(marks[0].brushSelected);
    EXPECT_TRUE(marks[0].brushNull);
}

TEST(EmfLines, LinesAreGatheredByPenAndReplayExactly)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-40, 240);
    std::uniform_int_distribution<int> step(0, 3);
    CZunEmfDC dc(200, 200);
    std::vector<std::array<int, 4>> drawn;
    int x = 0, y = 0;
    std::vector<ZunRgb> pens;  // the pen of each line
    ZunRgb pen = 0;
    for (int i = 0; i < 400; ++i) {
        if (step(rng) == 0) {  // a jump: the next line starts elsewhere
            x = coord(rng);
            y = coord(rng);
            dc.moveTo(x, y);
        }
        if (step(rng) == 1) {
            pen = static_cast<ZunRgb>(step(rng));
            dc.selectPen(0, pen);
        }
        const int nx = coord(rng), ny = coord(rng);
        dc.lineTo(nx, ny);
        drawn.push_back({x, y, nx, ny});
        pens.push_back(pen);
        x = nx;
        y = ny;
    }
    emf::File file = finish(dc);
    const std::vector<emf::Segment> segs = emf::segments(playChecked(file));
    ASSERT_EQ(segs.size(), drawn.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(segs[i].a, (ZunIPoint{drawn[i][0], drawn[i][1]})) << i;
        EXPECT_EQ(segs[i].b, (ZunIPoint{drawn[i][2], drawn[i][3]})) << i;
    }
    // Lines drawn one after another with one pen share a record.
    int batches = 1;
    for (std::size_t i = 1; i < pens.size(); ++i)
        batches += pens[i] != pens[i - 1];
    EXPECT_EQ(dc.drawingRecordCount(), batches);
    EXPECT_GT(file.count(emf::PolyPolyline16), 0);
}

TEST(EmfLines, RecordsBySizeAndCoordinates)
{
    CZunEmfDC dc(100, 100);
    dc.moveTo(1, 2);
    dc.lineTo(3, 4);  // one segment: move and line
    dc.polygon(std::vector<ZunIPoint>{{0, 0}, {40, 0}, {0, 30}});
    dc.moveTo(10, 10);
    dc.lineTo(20, 10);
    dc.lineTo(20, 20);  // one run: a polyline
    dc.polygon(std::vector<ZunIPoint>{{0, 0}, {-40000, 0}, {0, 3}});  // beyond 16 bits
    dc.moveTo(30, 30);
    dc.lineTo(31, 30);
    dc.moveTo(40, 40);
    dc.lineTo(41, 40);
    dc.lineTo(41, 45);  // two runs: one record of two polylines
    dc.selectPen(0, 0xFF);
    dc.moveTo(0, 0);
    dc.lineTo(70000, 5);
    dc.lineTo(0, 9);
    dc.moveTo(5, 5);
    dc.lineTo(6, 5);  // two runs, one beyond 16 bits
    emf::File file = finish(dc);
    const std::pair<emf::Type, int> counts[] = {{emf::MoveToEx, 1}, {emf::LineTo, 1}, {emf::Polyline16, 1},
                                                {emf::Polyline, 0}, {emf::Polygon16, 1}, {emf::Polygon, 1},
                                                {emf::PolyPolyline16, 1}, {emf::PolyPolyline, 1}};
    for (const auto& [type, count] : counts)
        EXPECT_EQ(file.count(type), count) << "record type " << type;
    EXPECT_EQ(dc.drawingRecordCount(), 6);
    const std::vector<emf::Mark> marks = playChecked(file);
    ASSERT_EQ(marks.size(), 8u);
    EXPECT_EQ(marks[0].points, (std::vector<ZunIPoint>{{1, 2}, {3, 4}}));
    EXPECT_EQ(marks[1].points, (std::vector<ZunIPoint>{{0, 0}, {40, 0}, {0, 30}}));
    EXPECT_EQ(marks[3].points[1], (ZunIPoint{-40000, 0}));
    EXPECT_EQ(marks[4].points, (std::vector<ZunIPoint>{{30, 30}, {31, 30}}));
    EXPECT_EQ(marks[5].points, (std::vector<ZunIPoint>{{40, 40}, {41, 40}, {41, 45}}));
    EXPECT_EQ(marks[6].points, (std::vector<ZunIPoint>{{0, 0}, {70000, 5}, {0, 9}}));
    EXPECT_EQ(marks[7].points, (std::vector<ZunIPoint>{{5, 5}, {6, 5}}));
    EXPECT_EQ(marks[7].pen, 0xFFu);
    // Line records carry their own inclusive bounds.
    for (const emf::Record& r : file.records()) {
        if (r.type == emf::Polyline16) {
            EXPECT_EQ(file.rect(r.offset + 8), (emf::Rect{10, 10, 20, 20}));
        } else if (r.type == emf::PolyPolyline16) {
            EXPECT_EQ(file.rect(r.offset + 8), (emf::Rect{30, 30, 41, 45}));
        }
    }
}

TEST(EmfLines, ALineAfterAPolylineStatesItsStart)
{
    // Some readers move the position to a polyline's end: a line that
    // starts where the last single line ended must still say so after one.
    CZunEmfDC dc(100, 100);
    dc.moveTo(0, 0);
    dc.lineTo(10, 10);
    dc.selectPen(0, 0xFF);
    dc.moveTo(50, 50);
    dc.lineTo(60, 50);
    dc.lineTo(60, 60);
    dc.selectPen(0, 0xFF00);
    dc.moveTo(10, 10);
    dc.lineTo(20, 20);
    emf::File file = finish(dc);
    const std::vector<emf::Record>& rs = file.records();
    ASSERT_EQ(file.count(emf::Polyline16), 1);
    ASSERT_EQ(file.count(emf::LineTo), 2);
    const auto last = std::find_if(rs.rbegin(), rs.rend(), [](const emf::Record& r) { return r.type == emf::LineTo; });
    const auto move = std::next(last);
    ASSERT_EQ(move->type, emf::MoveToEx);
    EXPECT_EQ(file.i32(move->offset + 8), 10);
    EXPECT_EQ(file.i32(move->offset + 12), 10);
}

TEST(EmfShapes, BoxesPixelsBackgroundAndFilledRectangles)
{
    CZunEmfDC dc(100, 100);
    dc.selectPen(0, 0x0000FF);
    dc.rectangle({1, 2, 11, 12});
    dc.ellipse({20, 20, 31, 25});
    dc.setPixel(7, 8, 0x00FF00);
    EXPECT_EQ(dc.bkColor(), 0xFFFFFFu);
    EXPECT_EQ(dc.setBkColor(0x000000), 0xFFFFFFu);
    EXPECT_EQ(dc.setBkColor(0x000000), 0u);  // unchanged: nothing written
    dc.fillSolidRect({40, 40, 50, 45}, 0x808080);
    dc.fillSolidRect({60, 60, 60, 70}, 0x808080);  // empty: nothing
    dc.moveTo(0, 99);
    dc.lineTo(99, 99);  // the pen from before the filled rectangle
    emf::File file = finish(dc);
    EXPECT_EQ(file.count(emf::SetBkColor), 1);
    const std::vector<emf::Mark> marks = playChecked(file);
    ASSERT_EQ(marks.size(), 5u);
    EXPECT_EQ(marks[0].points, (std::vector<ZunIPoint>{{1, 2}, {11, 12}}));
    EXPECT_EQ(marks[1].record, emf::Ellipse);
    EXPECT_EQ(marks[1].points, (std::vector<ZunIPoint>{{20, 20}, {31, 25}}));
    EXPECT_EQ(marks[2].record, emf::SetPixelV);
    EXPECT_EQ(marks[2].pixel, 0x00FF00u);
    // A filled rectangle: edge and fill in its colour, the same pixels as a
    // plain fill of left..right-1, top..bottom-1.
    EXPECT_EQ(marks[3].points, (std::vector<ZunIPoint>{{40, 40}, {50, 45}}));
    EXPECT_EQ(marks[3].pen, 0x808080u);
    EXPECT_EQ(marks[3].penWidth, 1);
    EXPECT_EQ(marks[3].brush, 0x808080u);
    EXPECT_FALSE(marks[3].brushNull);
    EXPECT_EQ(marks[4].pen, 0x0000FFu);
}

TEST(EmfClip, RectangleReplacesAndPolygonsAreCutOutPixelExactly)
{
    CZunEmfDC dc(120, 100);
    dc.setClipRect({0, 0, 120, 100});
    const std::vector<ZunIPoint> square{{20, 20}, {40, 20}, {40, 40}, {20, 40}};
    const std::vector<ZunIPoint> triangle{{50, 10}, {110, 30}, {60, 90}};
    const std::vector<ZunIPoint> star{{30, 52}, {42, 88}, {11, 66}, {49, 66}, {18, 88}};  // a pentagram
    dc.excludeClipPolygon(square);
    dc.excludeClipPolygon(triangle);
    dc.excludeClipPolygon(star);
    dc.excludeClipPolygon(std::vector<ZunIPoint>{{1, 1}, {5, 5}});  // no area: ignored
    emf::File file = finish(dc);
    std::vector<emf::Clip> clips;
    playChecked(file, &clips);
    ASSERT_EQ(clips.size(), 4u);
    EXPECT_EQ(clips[0].mode, 5u);  // copy
    EXPECT_EQ(clips[0].rects, (std::vector<emf::Rect>{{0, 0, 120, 100}}));
    // The square is one band: one rectangle.
    EXPECT_EQ(clips[1].mode, 4u);  // difference
    EXPECT_EQ(clips[1].rects, (std::vector<emf::Rect>{{20, 20, 40, 40}}));
    // The others cover exactly the pixels whose corners are inside, each
    // once.
    for (int k : {2, 3}) {
        const std::vector<ZunIPoint>& poly = k == 2 ? triangle : star;
        int area = 0;
        for (const emf::Rect& r : clips[k].rects) {
            EXPECT_LT(r.left, r.right);
            EXPECT_LT(r.top, r.bottom);
            area += (r.right - r.left) * (r.bottom - r.top);
        }
        EXPECT_EQ(area, pixelsInside(poly, 120, 100)) << k;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 120; ++x) {
                ASSERT_EQ(covered(clips[k].rects, x, y), pixelInside(poly, x, y)) << k << ": " << x << "," << y;
            }
    }
    EXPECT_TRUE(covered(clips[2].rects, 70, 30));
    EXPECT_TRUE(covered(clips[3].rects, 30, 56));   // the top point of the star
    EXPECT_FALSE(covered(clips[3].rects, 30, 72));  // its centre: crossed twice, outside by the alternate rule
}

TEST(EmfBitmap, ThirtyTwoBitRowsBottomUpWithTheRasterOperation)
{
    ZunBitmap bmp;
    bmp.width = 3;
    bmp.height = 2;
    bmp.pixels = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00102030, 0x00405060, 0xFF708090};
    CZunEmfDC dc(50, 50);
    dc.bitBlt(5, 6, bmp, ZunRop::Copy);
    dc.bitBlt(0, 0, bmp, ZunRop::Xor);
    dc.bitBlt(0, 0, bmp, ZunRop::And);
    dc.bitBlt(0, 0, bmp, ZunRop::Or);
    dc.bitBlt(0, 0, ZunBitmap{}, ZunRop::Copy);  // null: nothing
    emf::File file = finish(dc);
    const std::vector<emf::Mark> marks = playChecked(file);
    ASSERT_EQ(marks.size(), 4u);
    const emf::Mark& m = marks[0];
    EXPECT_EQ(m.points[0], (ZunIPoint{5, 6}));
    EXPECT_EQ(m.dibW, 3);
    EXPECT_EQ(m.dibH, 2);  // positive: bottom-up
    EXPECT_EQ(m.rop, 0x00CC0020u);
    EXPECT_EQ(m.dib, (std::vector<std::uint32_t>{0x00102030, 0x00405060, 0x00708090, 0x00FF0000, 0x0000FF00,
                                                 0x000000FF}));
    EXPECT_EQ(marks[1].rop, 0x00660046u);
    EXPECT_EQ(marks[2].rop, 0x008800C6u);
    EXPECT_EQ(marks[3].rop, 0x00EE0086u);
    const emf::Record& r = file.records()[2];  // after the fill mode
    ASSERT_EQ(r.type, emf::StretchDIBits);
    EXPECT_EQ(file.rect(r.offset + 8), (emf::Rect{5, 6, 7, 7}));
    EXPECT_EQ(file.u32(r.offset + 80 + 14) & 0xFFFF, 32u);   // bits per pixel
    EXPECT_EQ(file.i32(r.offset + 72), 3);                   // drawn 1:1
    EXPECT_EQ(file.header().bounds, (emf::Rect{0, 0, 7, 7}));
}

TEST(EmfOutput, ClosedMetafileIgnoresDrawingAndSavesTheSameBytes)
{
    CZunEmfDC dc(40, 30);
    dc.moveTo(0, 0);
    dc.lineTo(39, 29);
    EXPECT_FALSE(dc.isClosed());
    const std::vector<std::uint8_t> first = dc.bytes();
    EXPECT_TRUE(dc.isClosed());
    dc.lineTo(5, 5);
    dc.rectangle({1, 1, 4, 4});
    dc.close();
    EXPECT_EQ(dc.bytes(), first);

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zun_emf_dc_test";
    std::filesystem::create_directories(dir);
    const std::filesystem::path path = dir / "bild \u00e4.emf";
    ASSERT_TRUE(dc.save(CZunString::fromUtf8(path.string()).c_str()));
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(saved, first);
    std::filesystem::remove_all(dir);

    EXPECT_FALSE(dc.save(nullptr));
    EXPECT_FALSE(dc.save(L""));
    EXPECT_FALSE(dc.save(CZunString::fromUtf8((dir / "missing" / "x.emf").string()).c_str()));
}
