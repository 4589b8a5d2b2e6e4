// The opener keeps every turn of the event loop small by count, whatever
// the machine's speed: no slice reads and draws more parts, or copies more
// overview items, than it is allowed; the viewer's copy it makes is the
// overview as the scene would have measured it; a part that cannot be read
// midway leaves the open drawing as it was.

#include "host_window_fixture.h"

#include "host/desktop/zun_drawing_opener.h"

#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>

namespace {

const QString& kSample = kSampleDrawing;

class OpenerSlicesBase : public HostAppFixture {
protected:
    void SetUp() override
    {
        HostAppFixture::SetUp();
        ZUN::drawingCurrent().swap(m_saved);
        ZUN::CDataFileError error;
        ASSERT_TRUE(ZUN::drawingOpen(toZun(kSample), &error)) << error.toString().toUtf8();
        // Slices bounded by count alone: no slice ends for its time.
        m_opener.setSlice(std::chrono::hours(1));
        m_opener.setAtOnce(0);
    }
    void TearDown() override
    {
        ZUN::drawingCurrent().swap(m_saved);
        HostAppFixture::TearDown();
    }

    // Runs the event loop until the open ends one way or the other.
    void waitForEnd()
    {
        QEventLoop loop;
        QObject::connect(&m_opener, &CZunDrawingOpener::finished, &loop, &QEventLoop::quit);
        QObject::connect(&m_opener, &CZunDrawingOpener::failed, &loop, &QEventLoop::quit);
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        if (m_opener.isRunning())
            loop.exec();
    }

    ZUN::CZunDrawing m_saved;
    CZunDrawingOpener m_opener;
};

struct SliceCase {
    int parts;       // in the drawing
    int sliceParts;  // the most parts a slice may take
    int sliceItems;  // the most overview items a slice may copy
};

std::ostream& operator<<(std::ostream& os, const SliceCase& c)
{
    return os << c.parts << " parts, " << c.sliceParts << " per slice, " << c.sliceItems << " items per slice";
}

class OpenerSlices : public OpenerSlicesBase, public ::testing::WithParamInterface<SliceCase> {};

TEST_P(OpenerSlices, NoSliceTakesMoreThanItsShare)
{
    const SliceCase& c = GetParam();
    m_opener.setSliceParts(c.sliceParts);
    m_opener.setSliceItems(c.sliceItems);
    ZUN::CDataFileError error;
    const QString path = largeDrawing(c.parts);
    ASSERT_TRUE(m_opener.start(path, &error)) << error.toString().toUtf8();
    // The first slice ran in start(); the rest wait for the event loop,
    // and the drawing open before is the current one meanwhile.
    ASSERT_TRUE(m_opener.isRunning());
    EXPECT_LE(m_opener.partsDone(), c.sliceParts);
    EXPECT_EQ(fromZun(ZUN::drawingCurrent().path()), kSample);
    waitForEnd();
    ASSERT_FALSE(m_opener.isRunning());

    const CZunDrawingOpener::SliceStats stats = m_opener.sliceStats();
    EXPECT_LE(stats.mostParts, c.sliceParts);
    EXPECT_EQ(stats.mostParts, std::min(c.parts, c.sliceParts));
    EXPECT_LE(stats.mostItems, c.sliceItems);
    EXPECT_GT(stats.mostItems, 0);

    CZunGDX overview, shown;
    std::vector<CZunOverviewEntry> entries;
    QString direction;
    m_opener.adopt(overview, entries, &shown, &direction);
    EXPECT_EQ(fromZun(ZUN::drawingCurrent().path()), path);
    EXPECT_EQ(ZUN::drawingCurrent().partCount(), c.parts);
    EXPECT_EQ(static_cast<int>(entries.size()), c.parts);
    // At least one slice per share of parts and one per share of items.
    const int items = overview.lenGet();
    EXPECT_GE(stats.slices, (c.parts + c.sliceParts - 1) / c.sliceParts + (items + c.sliceItems - 1) / c.sliceItems - 1);

    // The copy is the overview measured in the view direction, as the
    // scene's own copy would be.
    EXPECT_EQ(direction, QStringLiteral("P"));
    CZunGDX expected = overview;
    expected.viewDirectionSet(L"P");
    ASSERT_EQ(shown.lenGet(), items);
    CZunPoint3d lo, hi, elo, ehi;
    ASSERT_TRUE(shown.extmaxGet(lo, hi));
    ASSERT_TRUE(expected.extmaxGet(elo, ehi));
    EXPECT_EQ(lo, elo);
    EXPECT_EQ(hi, ehi);
    for (int i = 0; i < items; i += std::max(1, items / 50))
        EXPECT_EQ(shown.getDisplayList().get(i).stack, overview.getDisplayList().get(i).stack) << i;
}

INSTANTIATE_TEST_SUITE_P(Shares, OpenerSlices,
                         ::testing::Values(SliceCase{40, 3, 500}, SliceCase{40, 64, 200}, SliceCase{25, 1, 100000},
                                           SliceCase{12, 5, 50}));

TEST_F(OpenerSlicesBase, APartThatCannotBeReadMidwayKeepsTheOpenDrawing)
{
    const QString path = largeDrawing(40);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    // The 34th part takes the handle of the 4th.
    const QByteArray clash = QByteArrayLiteral("\"D4_3\"");
    ASSERT_GT(text.indexOf(clash), 0);
    text.replace(text.indexOf(clash), clash.size(), QByteArrayLiteral("\"D4\""));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();

    m_opener.setSliceParts(4);
    QSignalSpy failed(&m_opener, &CZunDrawingOpener::failed);
    QSignalSpy finished(&m_opener, &CZunDrawingOpener::finished);
    ZUN::CDataFileError error;
    ASSERT_TRUE(m_opener.start(path, &error)) << error.toString().toUtf8();
    waitForEnd();
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(finished.count(), 0);
    const QString reason = failed.at(0).at(0).toString();
    EXPECT_TRUE(reason.contains(QStringLiteral("a handle not used by another part"))) << reason.toStdString();
    EXPECT_FALSE(m_opener.isRunning());
    EXPECT_EQ(fromZun(ZUN::drawingCurrent().path()), kSample);
    EXPECT_EQ(ZUN::drawingCurrent().partCount(), 10);
}

} // namespace
