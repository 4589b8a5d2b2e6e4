// View → Smooth display: on screen only, remembered; exports keep their
// exact pixels.

#include "host_window_fixture.h"

#include "render/qt/zun_dplist_image.h"

#include <QAction>

#include <gtest/gtest.h>

namespace {

using HostSmoothDisplay = HostWindowFixture;

TEST_F(HostSmoothDisplay, SmoothensTheScreenOnlyAndIsRemembered)
{
    auto* smooth = m_window->findChild<QAction*>(QStringLiteral("smoothDisplay"));
    ASSERT_NE(smooth, nullptr);
    EXPECT_FALSE(smooth->isChecked());
    ASSERT_TRUE(m_window->exportTo(path("exact.png")));

    smooth->trigger();
    EXPECT_TRUE(m_window->viewer()->smooth());
    EXPECT_TRUE(m_window->settings().smoothDisplay());
    ASSERT_TRUE(m_window->exportTo(path("while-smooth.png")));
    const QByteArray exact = fileBytes(path("exact.png"));
    ASSERT_FALSE(exact.isEmpty());
    EXPECT_EQ(fileBytes(path("while-smooth.png")), exact);

    // A new window on the same settings starts smooth.
    m_window->settings().sync();
    m_window.reset();
    m_window = std::make_unique<CZunHostWindow>(m_app);
    EXPECT_TRUE(m_window->viewer()->smooth());
    EXPECT_TRUE(m_window->findChild<QAction*>(QStringLiteral("smoothDisplay"))->isChecked());
}

} // namespace
