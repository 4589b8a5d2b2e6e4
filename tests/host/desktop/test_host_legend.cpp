// The legend of colours and layers: which colours a picture has and which
// of the drawing's layers give them, and switching a colour's elements off
// and on, also across a change of the shown part.

#include "host_window_fixture.h"

#include "gdx/zun_gdx.h"
#include "host/desktop/zun_host_legend.h"
#include "host/desktop/zun_host_legend_rows.h"
#include "host/desktop/zun_snap.h"
#include "render/paint/zun_viewfit.h"
#include "render/qt/zun_dplist_image.h"

#include <QAction>
#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

CZunVertexArray line(double y)
{
    CZunVertexArray vl;
    vl.append({0, y}, {100, y});
    return vl;
}

CZunColor plateFill()
{
    CZunColor c(254);
    c.setColor(CZunColor::rgb(0xD6, 0xDC, 0xE4));
    return c;
}

// Two red lines, a white one, one in the plate's fill colour (an exact RGB
// beside its palette index).
CZunGDX colouredList()
{
    CZunGDX gdx;
    gdx.imageVl({1}, 0, line(0), CZunColor(1), {}, {1.0}, 1.0, 0, {});
    gdx.imageVl({2}, 0, line(10), CZunColor(7), {}, {1.0}, 1.0, 0, {});
    gdx.imageVl({3}, 0, line(20), CZunColor(1), {}, {1.0}, 1.0, 0, {});
    gdx.imageVl({4}, 0, line(30), plateFill(), {}, {1.0}, 1.0, 0, {});
    return gdx;
}

int redPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == 0xFF0000u;
    return n;
}

class HostLegend : public HostWindowFixture {};

} // namespace

TEST_F(HostLegend, ListsEachColourOnceWithTheSampleLayersThatGiveIt)
{
    const std::vector<CZunLegendRow> rows = zunLegendRows(colouredList());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].color, CZunColor(1));
    EXPECT_EQ(rows[0].items, 2);
    EXPECT_TRUE(rows[0].layers.contains(QStringLiteral("AXIS")));
    EXPECT_TRUE(rows[0].layers.contains(QStringLiteral("DRILLING")));
    EXPECT_EQ(rows[1].color, CZunColor(7));
    EXPECT_TRUE(rows[1].layers.contains(QStringLiteral("CONTOUR")));
    EXPECT_FALSE(rows[1].layers.contains(QStringLiteral("AXIS")));
    // The exact colour, not only its nearest palette entry.
    EXPECT_EQ(rows[2].layers, QStringList{QStringLiteral("PLATE_FILL")});
    for (const CZunLegendRow& row : rows)
        EXPECT_FALSE(row.hidden);
}

TEST_F(HostLegend, HidingAColourHidesItsElementsAloneAndKeepsTheView)
{
    CZunGDX gdx = colouredList();
    CZunPoint3d lo, hi, lo2, hi2;
    gdx.extMaxViewGet(lo, hi);
    const std::set<std::uint64_t> red{zunLegendKey(CZunColor(1))};
    ASSERT_TRUE(zunLegendApply(gdx, red));
    for (int i = 0; i < gdx.lenGet(); ++i)
        EXPECT_EQ((gdx.flagGet(i) & gdxFlagHidden) != 0, gdx.colorGet(i) == CZunColor(1)) << i;
    gdx.extMaxViewGet(lo2, hi2);
    EXPECT_EQ(lo2, lo);
    EXPECT_EQ(hi2, hi);
    EXPECT_TRUE(zunLegendRows(gdx)[0].hidden);

    // Nothing to change: the list is left alone.
    const std::uint64_t count = gdx.changeCountGet();
    EXPECT_FALSE(zunLegendApply(gdx, red));
    EXPECT_EQ(gdx.changeCountGet(), count);

    // Hidden elements are not snapped to.
    zunFitToWindow(gdx, 300, 400);
    const CZunPoint3d end = gdx.windowToWorldMtx().inverse() * CZunPoint3d(0, 0, 0);
    CZunSnapFinder finder;
    EXPECT_FALSE(finder.find(gdx, end.x, end.y, 8.0));

    ASSERT_TRUE(zunLegendApply(gdx, {}));
    for (int i = 0; i < gdx.lenGet(); ++i)
        EXPECT_EQ(gdx.flagGet(i) & gdxFlagHidden, 0u) << i;
}

TEST_F(HostLegend, AColourSwitchedOffStaysOffOnAnotherPartAndComesBack)
{
    QAction* toggle = m_window->findChild<QAction*>(QStringLiteral("legendAction"));
    ASSERT_NE(toggle, nullptr);
    toggle->trigger();
    EXPECT_TRUE(m_window->legend()->isVisible());

    CZunDplistImage* viewer = m_window->viewer();
    m_window->showNode(m_window->partNode(QStringLiteral("D1")));
    const QImage shown = viewer->renderImage();
    ASSERT_GT(redPixels(shown), 0) << "the drilling is drawn red";
    m_window->legend()->listShown();
    QTreeWidget* tree = m_window->legend()->tree();
    QTreeWidgetItem* red = nullptr;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(0) == QStringLiteral("1"))
            red = tree->topLevelItem(i);
    ASSERT_NE(red, nullptr);
    EXPECT_TRUE(red->text(1).contains(QStringLiteral("DRILLING")));

    red->setCheckState(0, Qt::Unchecked);  // as a click on its box does
    EXPECT_EQ(redPixels(viewer->renderImage()), 0);

    m_window->showNode(m_window->partNode(QStringLiteral("D4")));
    m_window->showNode(m_window->partNode(QStringLiteral("D1")));
    m_window->legend()->listShown();
    EXPECT_EQ(redPixels(viewer->renderImage()), 0);
    const auto& rows = m_window->legend()->rows();
    const auto redRow = std::find_if(rows.begin(), rows.end(), [](const CZunLegendRow& r) { return r.color == CZunColor(1); });
    ASSERT_NE(redRow, rows.end());
    EXPECT_TRUE(redRow->hidden);

    m_window->legend()->setColorHidden(redRow->key, false);
    EXPECT_EQ(viewer->renderImage(), shown);
}

TEST_F(HostLegend, AClosedPanelListsNothingKeepsColoursOffAndListsWhenOpened)
{
    CZunHostLegend* legend = m_window->legend();
    ASSERT_FALSE(legend->isVisible());
    CZunDplistImage* viewer = m_window->viewer();
    const auto showPart = [&](const char* name) {
        m_window->showNode(m_window->partNode(QString::fromLatin1(name)));
        viewer->repaint();  // the paint the panel watches for
    };
    const int before = legend->listings();
    for (const char* name : {"D1", "D4", "D1"})
        showPart(name);
    legend->update();  // the dock's own repaint lists nothing either
    QCoreApplication::processEvents();
    EXPECT_EQ(legend->listings(), before);

    // Switched off while closed: off on every part shown, still unlisted.
    legend->setColorHidden(zunLegendKey(CZunColor(1)), true);
    showPart("D4");
    showPart("D1");
    EXPECT_EQ(redPixels(viewer->renderImage()), 0);
    EXPECT_EQ(legend->listings(), before);

    // Opened: the shown part is listed once, its red row switched off.
    legend->show();
    EXPECT_EQ(legend->listings(), before + 1);
    viewer->repaint();
    EXPECT_EQ(legend->listings(), before + 1);
    const auto& rows = legend->rows();
    ASSERT_EQ(legend->tree()->topLevelItemCount(), static_cast<int>(rows.size()));
    const auto red = std::find_if(rows.begin(), rows.end(), [](const CZunLegendRow& r) { return r.color == CZunColor(1); });
    ASSERT_NE(red, rows.end());
    EXPECT_TRUE(red->hidden);
    EXPECT_EQ(legend->tree()->topLevelItem(static_cast<int>(red - rows.begin()))->checkState(0), Qt::Unchecked);
}

struct LegendLanguageCase {
    const char* language;
    const char* title;
    const char* layers;
    const char* noColour;
};

class HostLegendLanguage : public HostWindowFixture, public ::testing::WithParamInterface<LegendLanguageCase> {};

TEST_P(HostLegendLanguage, PanelColumnsAndRowsFollowTheWindowsLanguage)
{
    const LegendLanguageCase& c = GetParam();
    CZunHostLegend* legend = m_window->legend();
    legend->show();
    // Switched to and fro, open and closed: the last language holds.
    for (const char* code : {"en", "de", "en", "de"}) {
        m_window->setLanguage(QString::fromLatin1(code));
        legend->setVisible(!legend->isVisible());
    }
    m_window->setLanguage(QString::fromLatin1(c.language));
    legend->show();
    EXPECT_EQ(legend->windowTitle(), QString::fromUtf8(c.title));
    EXPECT_EQ(legend->tree()->headerItem()->text(1), QString::fromUtf8(c.layers));
    // The overview holds elements without a colour of their own.
    const QList<QTreeWidgetItem*> named =
        legend->tree()->findItems(QString::fromUtf8(c.noColour), Qt::MatchExactly, 0);
    EXPECT_EQ(named.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Languages, HostLegendLanguage,
                         ::testing::Values(LegendLanguageCase{"de", "Legende", "Layer", "ohne Farbe"},
                                           LegendLanguageCase{"en", "Legend", "Layers", "no colour"}),
                         [](const auto& info) { return std::string(info.param.language); });

TEST_F(HostLegend, LongLayerListsAreReadableInFull)
{
    CZunHostLegend* legend = m_window->legend();
    legend->show();
    m_window->viewer()->repaint();
    QTreeWidget* tree = legend->tree();
    const QFontMetrics metrics(tree->font());
    // The text's margins in a cell, as the item delegate leaves them.
    const int margin = tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1;
    // Narrow and wide: the rows are measured again for each width. The
    // sample's longest list fits the default width; narrower, it wraps.
    tree->setMinimumWidth(0);
    QCoreApplication::processEvents();
    for (const int width : {280, 600}) {
        m_window->resizeDocks({legend}, {width}, Qt::Horizontal);
        QCoreApplication::processEvents();
        int longLists = 0;
        for (int row = 0; row < tree->topLevelItemCount(); ++row) {
            const QString text = tree->topLevelItem(row)->text(1);
            const QRect cell = tree->visualRect(tree->model()->index(row, 1));
            const QRect needed =
                metrics.boundingRect(QRect(0, 0, cell.width() - 2 * margin, 10000), Qt::TextWordWrap, text);
            longLists += metrics.horizontalAdvance(text) > cell.width() - 2 * margin;
            EXPECT_LE(needed.height(), cell.height()) << width << ": " << text.toStdString();
            EXPECT_LE(needed.width(), cell.width() - 2 * margin) << width << ": " << text.toStdString();
        }
        if (width < 400)
            EXPECT_GT(longLists, 0) << "the overview has a colour given by layers that need more than a line";
    }
}
