// The search field above the part tree: parts by name and type.

#include "host_window_fixture.h"

#include "host/desktop/zun_tree_filter.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

struct MatchCase {
    const char* text;
    const char* name;
    const char* type;
    bool matches;
};

class TreeFilterMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(TreeFilterMatch, EveryWordInNameOrType)
{
    const MatchCase& c = GetParam();
    EXPECT_EQ(CZunTreeFilter::matches(QString::fromUtf8(c.text), QString::fromUtf8(c.name), QString::fromUtf8(c.type)),
              c.matches)
        << c.text << " / " << c.name << " / " << c.type;
}

INSTANTIATE_TEST_SUITE_P(
    Words, TreeFilterMatch,
    ::testing::Values(MatchCase{"", "Column base plate", "HOLE", true},
                      MatchCase{"   ", "Column base plate", "HOLE", true},
                      MatchCase{"plate", "Column base plate", "HOLE", true},
                      MatchCase{"PLATE", "Column base plate", "HOLE", true},
                      MatchCase{"hole", "Column base plate", "HOLE", true},
                      MatchCase{"hole plate", "Column base plate", "HOLE", true},
                      MatchCase{"hole sheet", "Column base plate", "HOLE", false},
                      MatchCase{"M16", "Tapped blind hole M16", "DRILL", true},
                      MatchCase{"M20", "Tapped blind hole M16", "DRILL", false},
                      MatchCase{"Ø", "Bohrung Ø 22", "DRILL", true}));

class TreeFilterInWindow : public HostWindowFixture {
protected:
    // Thirty parts, the sample's repeated, in a window of its own size.
    HostWindowOptions options() const override
    {
        HostWindowOptions o;
        o.copyName = QStringLiteral("thirty.json");
        o.repeatedParts = 30;
        o.size = QSize();
        return o;
    }

    // Visible part nodes after typing text and the filter's pause.
    int shownAfterTyping(const QString& text)
    {
        m_window->searchField()->clear();
        QTest::keyClicks(m_window->searchField(), text);
        QTest::qWait(300);
        int shown = 0;
        for (int i = 0; i < m_window->drawingNode()->childCount(); ++i)
            shown += !m_window->drawingNode()->child(i)->isHidden();
        EXPECT_EQ(shown, m_window->treeFilter()->shownCount()) << text.toStdString();
        return shown;
    }
};

TEST_F(TreeFilterInWindow, TypingFiltersThePartsAndClearingShowsThemAll)
{
    ASSERT_EQ(m_window->drawingNode()->childCount(), 30);
    EXPECT_EQ(shownAfterTyping(QStringLiteral("mullion")), 3);
    EXPECT_EQ(shownAfterTyping(QStringLiteral("sheet")), 12) << "by type: the SHEET parts";
    EXPECT_EQ(shownAfterTyping(QStringLiteral("drill m16")), 3);
    EXPECT_EQ(shownAfterTyping(QStringLiteral("#2")), 10);
    EXPECT_EQ(shownAfterTyping(QStringLiteral("no such part")), 0);
    EXPECT_FALSE(m_window->drawingNode()->isHidden()) << "the drawing itself stays";
    EXPECT_EQ(shownAfterTyping(QString()), 30);
}

TEST_F(TreeFilterInWindow, AReopenedDrawingIsFilteredToo)
{
    EXPECT_EQ(shownAfterTyping(QStringLiteral("plate")), 3);
    ASSERT_TRUE(m_window->openDrawing(QStringLiteral(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json")));
    int shown = 0;
    for (int i = 0; i < m_window->drawingNode()->childCount(); ++i)
        shown += !m_window->drawingNode()->child(i)->isHidden();
    EXPECT_EQ(shown, 1);
}

} // namespace
