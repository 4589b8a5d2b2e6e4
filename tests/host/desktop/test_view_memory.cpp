// A part's view is kept when the user leaves it and shown again on return,
// also after a restart (in zun-host.ini, beside the drawing's unit).

#include "host_window_fixture.h"

#include "host/desktop/zun_view_memory.h"
#include "host/desktop/zun_view_navigation.h"
#include "render/qt/zun_dplist_image.h"

#include <QAction>
#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* text;
    bool valid;
};

class SavedViewText : public ::testing::TestWithParam<TextCase> {};

TEST_P(SavedViewText, ReadsBackWhatItWritesAndRefusesTheRest)
{
    const CZunSavedView view = CZunSavedView::fromString(QString::fromLatin1(GetParam().text));
    EXPECT_EQ(view.isValid(), GetParam().valid);
    if (view.isValid()) {
        const CZunSavedView again = CZunSavedView::fromString(view.toString());
        EXPECT_EQ(again.direction, view.direction);
        EXPECT_EQ(again.lo, view.lo);
        EXPECT_EQ(again.hi, view.hi);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, SavedViewText,
                         ::testing::Values(TextCase{"SW;0;0;10;5", true}, TextCase{"P;-12.5;3e-7;0.1;1e6", true},
                                           TextCase{"O;0.1234567890123456789;0;1;1", true},
                                           TextCase{"P;0;0;10", false}, TextCase{"P;0;0;0;5", false},
                                           TextCase{"P;10;0;0;5", false}, TextCase{";0;0;1;1", false},
                                           TextCase{"P;a;0;1;1", false}, TextCase{"P;nan;0;1;1", false},
                                           TextCase{"P;0;0;inf;1", false}, TextCase{"", false}));

class HostViewMemory : public HostWindowFixture {
protected:
    QString handle(int i) const { return QString::fromStdString(ZUN::drawingCurrent().part(i)->handle.toUtf8()); }

    void showPart(int i) { m_window->showNode(m_window->partNode(handle(i))); }

    // A view no fit gives: turned, zoomed in twice and moved.
    CZunMatrix3d leaveAView()
    {
        EXPECT_TRUE(m_window->setViewDirection(QStringLiteral("SW")));
        CZunViewNavigation& navigation = *m_window->navigation();
        navigation.zoomIn();
        navigation.zoomIn();
        navigation.pan(37, -21);
        return m_window->viewer()->zoomMtx();
    }

    static void expectSameZoom(const CZunMatrix3d& a, const CZunMatrix3d& b)
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(a.m[r][c], b.m[r][c], 1e-6) << r << "," << c;
    }
};

TEST_F(HostViewMemory, ReturningToAPartShowsTheViewItWasLeftIn)
{
    showPart(0);
    const CZunMatrix3d zoom = leaveAView();
    showPart(1);
    // The other part has none of its own: it keeps the direction, fitted.
    EXPECT_EQ(m_window->viewer()->zoomMtx(), CZunMatrix3d());
    m_window->setViewDirection(QStringLiteral("P"));
    showPart(0);
    EXPECT_EQ(m_window->scene().viewDirection(), QStringLiteral("SW"));
    expectSameZoom(m_window->viewer()->zoomMtx(), zoom);
    // Through the overview and back, too.
    m_window->showNode(m_window->drawingNode());
    showPart(0);
    expectSameZoom(m_window->viewer()->zoomMtx(), zoom);
}

TEST_F(HostViewMemory, APartFittedAgainForgetsItsView)
{
    showPart(0);
    leaveAView();
    showPart(1);
    showPart(0);
    ASSERT_NE(m_window->viewer()->zoomMtx(), CZunMatrix3d());
    m_window->findChild<QAction*>(QStringLiteral("fit"))->trigger();
    showPart(1);
    showPart(0);
    EXPECT_EQ(m_window->viewer()->zoomMtx(), CZunMatrix3d());
    EXPECT_TRUE(m_window->settings().partView(drawingPath(), handle(0)).isEmpty());
    // Parts only looked at keep nothing either, whatever the direction.
    EXPECT_TRUE(m_window->settings().partView(drawingPath(), handle(1)).isEmpty());
}

TEST_F(HostViewMemory, TheViewIsShownAgainAfterARestart)
{
    showPart(2);
    const CZunMatrix3d zoom = leaveAView();
    const QString ini = m_window->settings().fileName();
    ASSERT_TRUE(m_window->close());
    m_window.reset();
    {
        // Beside the drawing's unit, under the drawing's path and the part's handle.
        QSettings stored(ini, QSettings::IniFormat);
        stored.beginGroup(QStringLiteral("partViews"));
        ASSERT_EQ(stored.childGroups().size(), 1);
    }

    openWindow();
    // The overview opens as always; the part shows its view when shown.
    EXPECT_EQ(m_window->viewer()->zoomMtx(), CZunMatrix3d());
    showPart(2);
    EXPECT_EQ(m_window->scene().viewDirection(), QStringLiteral("SW"));
    expectSameZoom(m_window->viewer()->zoomMtx(), zoom);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('|').toStdString();
}

TEST_F(HostViewMemory, AViewLeftInAWindowOfAnotherSizeShowsTheSamePartWhole)
{
    showPart(0);
    leaveAView();
    CZunDplistImage& viewer = *m_window->viewer();
    const CZunSavedView before = zunViewOfViewer(viewer, QStringLiteral("SW"));
    ASSERT_TRUE(before.isValid());
    showPart(1);
    m_window->resize(760, 520);
    QApplication::processEvents();
    showPart(0);
    // All of the part kept is in the window, and it fills the window one way.
    const CZunSavedView after = zunViewOfViewer(viewer, QStringLiteral("SW"));
    ASSERT_TRUE(after.isValid());
    EXPECT_LE(after.lo.x, before.lo.x + 1e-6);
    EXPECT_LE(after.lo.y, before.lo.y + 1e-6);
    EXPECT_GE(after.hi.x, before.hi.x - 1e-6);
    EXPECT_GE(after.hi.y, before.hi.y - 1e-6);
    const bool fillsWidth = std::abs((after.hi.x - after.lo.x) - (before.hi.x - before.lo.x)) < 1e-6;
    const bool fillsHeight = std::abs((after.hi.y - after.lo.y) - (before.hi.y - before.lo.y)) < 1e-6;
    EXPECT_TRUE(fillsWidth || fillsHeight);
}

} // namespace
