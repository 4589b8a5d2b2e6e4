// Smooth display: antialiased lines on screen, the exact pixels otherwise.

#include "render/qt/zun_dplist_image.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

// Colours in the picture: background, the line's red, and, when smooth,
// the blends between them.
QSet<QRgb> colours(const QImage& image)
{
    QSet<QRgb> found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            found.insert(image.pixel(x, y));
    return found;
}

struct SmoothCase {
    bool smooth;
    bool blends;
};

class ViewerSmooth : public ::testing::TestWithParam<SmoothCase> {};

TEST_P(ViewerSmooth, BlendsSlantedLinesOnlyWhenSmooth)
{
    CZunGDX gdx(CZunColor(7), CZunMatrix3d(), 0.0, 0, {}, {});
    CZunVertexArray slant;
    slant.append({0, 0, 0}, {100, 37, 0});
    gdx.imageVl({1}, 0, slant, CZunColor(1), {}, {1.0}, 1.0, 0, {});
    CZunDplistImage view;
    view.resize(160, 90);
    view.set_dpList(&gdx);
    view.zoomExtents();
    const QImage exact = view.renderImage();
    EXPECT_EQ(colours(exact).size(), 2);

    view.setSmooth(GetParam().smooth);
    EXPECT_EQ(view.smooth(), GetParam().smooth);
    const QImage shown = view.renderImage();
    EXPECT_EQ(colours(shown).size() > 2, GetParam().blends);
    // Back to the exact pixels, whatever was shown in between.
    view.setSmooth(false);
    EXPECT_EQ(view.renderImage(), exact);
}

INSTANTIATE_TEST_SUITE_P(Modes, ViewerSmooth, ::testing::Values(SmoothCase{false, false}, SmoothCase{true, true}));

} // namespace
