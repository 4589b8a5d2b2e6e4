// Opening a large drawing in the window: a progress bar with the part count
// while its parts are drawn slice by slice, a cancel that keeps the drawing
// open before, and the open drawing in the end.

#include "host_window_fixture.h"

#include "host/desktop/zun_drawing_opener.h"

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

const QString& kSample = kSampleDrawing;

class OpenLargeDrawing : public HostWindowFixture {
protected:
    // The sample where it lies, as the drawing open before a large one.
    HostWindowOptions options() const override { return HostWindowOptions::inPlace(); }
    void SetUp() override
    {
        HostWindowFixture::SetUp();
        // Short slices: several of them even for a few dozen parts.
        m_window->opener()->setSlice(std::chrono::milliseconds(10));
    }

    // The sample is open and shown, as it was before.
    void expectSampleOpen()
    {
        EXPECT_EQ(fromZun(ZUN::drawingCurrent().path()), kSample);
        EXPECT_EQ(ZUN::drawingCurrent().partCount(), 10);
        ASSERT_NE(m_window->drawingNode(), nullptr);
        EXPECT_EQ(m_window->drawingNode()->text(0), QStringLiteral("sample_drawing.json"));
        EXPECT_EQ(m_window->drawingNode()->childCount(), 10);
        EXPECT_EQ(m_window->scene().groups().size(), 11u) << "ten parts and the title";
        EXPECT_NE(m_window->partNode(QStringLiteral("D4")), nullptr);
    }
};

TEST_F(OpenLargeDrawing, ShowsTheProgressWithThePartCountThenTheDrawing)
{
    const QString big = largeDrawing(60);
    ASSERT_TRUE(m_window->openDrawing(big));
    ASSERT_TRUE(m_window->isOpening());
    // Under way: the bar counts parts, the earlier drawing is still shown.
    EXPECT_TRUE(m_window->openProgress()->isVisible());
    EXPECT_EQ(m_window->openProgress()->bar()->maximum(), 60);
    EXPECT_LT(m_window->openProgress()->bar()->value(), 60);
    EXPECT_TRUE(m_window->openProgress()->text().contains(QStringLiteral("von 60 Teilen")))
        << m_window->openProgress()->text().toStdString();
    expectSampleOpen();

    // The event loop turns between slices: a timer keeps firing meanwhile.
    int turns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&turns] { ++turns; });
    ticker.start(0);
    ASSERT_TRUE(waitUntilOpened());
    ticker.stop();
    EXPECT_GT(turns, 3);

    EXPECT_FALSE(m_window->openProgress()->isVisible());
    EXPECT_EQ(fromZun(ZUN::drawingCurrent().path()), big);
    EXPECT_EQ(m_window->drawingNode()->childCount(), 60);
    EXPECT_EQ(m_window->scene().groups().size(), 61u);
    EXPECT_EQ(m_window->tree()->currentItem(), m_window->drawingNode());
    EXPECT_EQ(m_window->scene().groupName(60), QStringLiteral("Curtain wall mullion 50x150 #5"));
    EXPECT_TRUE(m_window->windowTitle().startsWith(QStringLiteral("large_60.json")));
}

TEST_F(OpenLargeDrawing, CancelKeepsTheEarlierDrawingAndItOpensAgainToTheEnd)
{
    const QString big = largeDrawing(60);
    ASSERT_TRUE(m_window->openDrawing(big));
    ASSERT_TRUE(m_window->isOpening());
    QTest::qWait(30);
    QSignalSpy cancelled(m_window->opener(), &CZunDrawingOpener::cancelled);
    QTest::mouseClick(m_window->openProgress()->cancelButton(), Qt::LeftButton);
    ASSERT_EQ(cancelled.count(), 1);
    EXPECT_FALSE(m_window->isOpening());
    // No slice queued before the cancel changes anything later.
    QTest::qWait(100);
    EXPECT_FALSE(m_window->openProgress()->isVisible());
    expectSampleOpen();
    EXPECT_TRUE(m_window->statusBar()->currentMessage().contains(QStringLiteral("large_60.json")));
    // The kept drawing still works: its parts show and draw.
    m_window->showNode(m_window->partNode(QStringLiteral("D4")));
    EXPECT_GT(m_window->scene().displayList()->lenGet(), 0);

    ASSERT_TRUE(m_window->openDrawing(big));
    ASSERT_TRUE(waitUntilOpened());
    EXPECT_EQ(ZUN::drawingCurrent().partCount(), 60);
    EXPECT_EQ(m_window->drawingNode()->childCount(), 60);
}

TEST_F(OpenLargeDrawing, AnotherOpenReplacesOneUnderWay)
{
    ASSERT_TRUE(m_window->openDrawing(largeDrawing(60)));
    ASSERT_TRUE(m_window->isOpening());
    const QString second = largeDrawing(40);
    ASSERT_TRUE(m_window->openDrawing(second));
    ASSERT_TRUE(waitUntilOpened());
    QTest::qWait(50);
    EXPECT_EQ(fromZun(ZUN::drawingCurrent().path()), second);
    EXPECT_EQ(m_window->drawingNode()->childCount(), 40);
}

// Small drawings open at once, as callers of openDrawing have always seen;
// larger ones in slices.
struct AtOnceCase {
    int parts;
    int atOnce;
    bool opensAtOnce;
};

class OpenByPartCount : public OpenLargeDrawing, public ::testing::WithParamInterface<AtOnceCase> {};

TEST_P(OpenByPartCount, OpensAtOnceOnlyUpToTheLimit)
{
    const AtOnceCase& c = GetParam();
    m_window->opener()->setAtOnce(c.atOnce);
    ASSERT_TRUE(m_window->openDrawing(largeDrawing(c.parts)));
    EXPECT_EQ(!m_window->isOpening(), c.opensAtOnce);
    EXPECT_EQ(m_window->openProgress()->isVisible(), !c.opensAtOnce);
    ASSERT_TRUE(waitUntilOpened());
    EXPECT_EQ(m_window->drawingNode()->childCount(), c.parts);
}

INSTANTIATE_TEST_SUITE_P(Limits, OpenByPartCount,
                         ::testing::Values(AtOnceCase{10, 32, true}, AtOnceCase{32, 32, true},
                                           AtOnceCase{33, 32, false}, AtOnceCase{10, 0, false}));

} // namespace
