// The base of the devices that only look at a paint: the state it keeps is
// what the painter set last, whatever the derived device records.

#include "recording_dc.h"

#include <gtest/gtest.h>

namespace {

// A device that keeps the state the base hands out at each line.
class StateProbe : public CZunRecordingDC {
public:
    StateProbe() : CZunRecordingDC({0, 0, 50, 40}, 0x123456) {}
    struct Seen {
        ZunIPoint from;
        int width;
        ZunRgb pen;
        bool nullPen;
        ZunRgb brush;
        bool hollow;
    };
    std::vector<Seen> seen;
    void lineTo(int x, int y) override
    {
        const ZunIPoint from = lineStart(x, y);
        seen.push_back({from, penWidth(), penColor(), nullPen(), brushColor(), hollowBrush()});
    }
};

TEST(RecordingDC, KeepsPenBrushPositionAndBackground)
{
    StateProbe dc;
    EXPECT_EQ(dc.clientRect(), (ZunIRect{0, 0, 50, 40}));
    EXPECT_EQ(dc.setBkColor(0xFF), 0x123456u);
    EXPECT_EQ(dc.bkColor(), 0xFFu);
    dc.selectPen(3, 0xAA);
    dc.selectSolidBrush(0xBB);
    dc.moveTo(1, 2);
    dc.lineTo(5, 6);
    dc.lineTo(7, 8);  // starts where the last ended
    dc.selectNullPen();
    dc.selectHollowBrush();
    dc.polygon(std::vector<ZunIPoint>{{0, 0}, {4, 0}, {0, 4}});  // ignored, moves nothing
    dc.lineTo(9, 9);
    ASSERT_EQ(dc.seen.size(), 3u);
    EXPECT_EQ(dc.seen[0].from, (ZunIPoint{1, 2}));
    EXPECT_EQ(dc.seen[1].from, (ZunIPoint{5, 6}));
    EXPECT_EQ(dc.seen[2].from, (ZunIPoint{7, 8}));
    EXPECT_EQ(dc.seen[1].width, 3);
    EXPECT_EQ(dc.seen[1].pen, 0xAAu);
    EXPECT_FALSE(dc.seen[1].nullPen);
    EXPECT_FALSE(dc.seen[1].hollow);
    // A null pen and a hollow brush keep the colours chosen before them.
    EXPECT_TRUE(dc.seen[2].nullPen);
    EXPECT_TRUE(dc.seen[2].hollow);
    EXPECT_EQ(dc.seen[2].pen, 0xAAu);
    EXPECT_EQ(dc.seen[2].brush, 0xBBu);
}

// The tests' recording device lists the calls with the colours in force.
TEST(RecordingDC, TestDeviceRecordsLinesInThePenAndPolygonsInTheBrush)
{
    RecordingDC dc(20, 10);
    EXPECT_EQ(dc.bkColor(), 0xC0C0C0u);
    dc.selectPen(1, 0x11);
    dc.selectSolidBrush(0x22);
    dc.moveTo(1, 1);
    dc.lineTo(4, 1);
    dc.polygon(std::vector<ZunIPoint>{{0, 0}, {4, 0}, {0, 4}});
    ASSERT_EQ(dc.count("line"), 1);
    EXPECT_EQ(dc.only("line")[0].args, (std::vector<int>{1, 1, 4, 1}));
    EXPECT_EQ(dc.only("line")[0].color, 0x11u);
    ASSERT_EQ(dc.count("polygon"), 1);
    EXPECT_EQ(dc.only("polygon")[0].color, 0x22u);
}

} // namespace
