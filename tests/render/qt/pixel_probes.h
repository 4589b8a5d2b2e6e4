#pragma once

// Pixel probes as tables: the colour expected at each of a few points of a
// picture, checked one by one, each failure naming its point.

#include "render/paint/zun_cdc.h"

#include <QImage>

#include <gtest/gtest.h>

#include <vector>

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
