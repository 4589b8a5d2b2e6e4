#pragma once

// Pixel probes as tables: the colour expected at each of a few points of a
// picture, checked one by one, each failure naming its point.

#include "render/paint/zun_cdc.h"

#include <QImage>

#include <gtest/gtest.h>

#include <vector>

// Opaque colours as QImage::pixel gives them.
namespace qrgb {
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kYellow = 0xFFFFFF00;
} // namespace qrgb

// Pixels in which two images differ; -1 when their sizes do.
inline int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

struct PixelProbe {
    int x = 0;
    int y = 0;
    QRgb colour = 0;  // as QImage::pixel gives it
};

inline void expectPixels(const QImage& image, const std::vector<PixelProbe>& probes)
{
    for (const PixelProbe& p : probes)
        EXPECT_EQ(image.pixel(p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
}

// The same with the alpha channel left out of the comparison (made opaque).
inline void expectOpaquePixels(const QImage& image, const std::vector<PixelProbe>& probes)
{
    for (const PixelProbe& p : probes)
        EXPECT_EQ(image.pixel(p.x, p.y) | 0xFF000000u, p.colour) << "at " << p.x << "," << p.y;
}

// The same with colours as pens take them (0x00BBGGRR).
struct RgbProbe {
    int x = 0;
    int y = 0;
    ZunRgb colour = 0;
};

inline void expectRgb(const QImage& image, const std::vector<RgbProbe>& probes)
{
    for (const RgbProbe& p : probes)
        EXPECT_EQ(zunPixelToRgb(image.pixel(p.x, p.y) & 0xFFFFFFu), p.colour) << "at " << p.x << "," << p.y;
}
