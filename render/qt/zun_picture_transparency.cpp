#include "render/qt/zun_picture_transparency.h"

#include "contracts/base/zun_map.h"
#include "render/qt/zun_cdc_qt.h"

namespace {

constexpr ZunRgb kWhite = 0xFFFFFF;
constexpr ZunRgb kBlack = 0x000000;

// Counts the colours at the sample points in their fixed order: the four
// corners and the centre, coordinates truncated toward zero. A tiny picture
// samples the same pixel more than once, which is what it should weigh.
template <class PixelAt>
unsigned long mostCommonSample(int width, int height, PixelAt pixelAt)
{
    if (width <= 0 || height <= 0)
        return 0;
    const int right = width - 1;
    const int bottom = height - 1;
    const int samples[5][2] = {{0, 0},
                               {right, 0},
                               {0, bottom},
                               {static_cast<int>(right * 0.5), static_cast<int>(bottom * 0.5)},
                               {right, bottom}};
    CZunMapTempl<unsigned long, int> counts;
    for (const auto& s : samples)
        ++counts[pixelAt(s[0], s[1])];
    // The map runs in colour order, and only a strictly higher count takes
    // over: among equal counts the smallest colour stays.
    unsigned long best = 0;
    int bestCount = 0;
    for (const auto& [color, count] : counts)
        if (count > bestCount) {
            best = color;
            bestCount = count;
        }
    return best;
}

unsigned long rgbAt(const ZunBitmap& bitmap, int x, int y)
{
    return zunPixelToRgb(bitmap.pixel(x, y) & 0xFFFFFFu);
}

// The picture seen through a monochrome copy made against the background
// colour bk: set where the picture has bk, clear elsewhere.
std::vector<bool> maskOf(const ZunBitmap& picture, unsigned long bk)
{
    std::vector<bool> mask(picture.pixels.size());
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        mask[i] = zunPixelToRgb(picture.pixels[i] & 0xFFFFFFu) == bk;
    return mask;
}

// A monochrome bitmap copied onto a colour target takes the target's
// background colour for set bits and its text colour for clear ones.
ZunBitmap expandMask(const std::vector<bool>& mask, int width, int height, ZunRgb setColor, ZunRgb clearColor)
{
    ZunBitmap out;
    out.width = width;
    out.height = height;
    out.pixels.resize(mask.size());
    const std::uint32_t set = zunRgbToPixel(setColor);
    const std::uint32_t clear = zunRgbToPixel(clearColor);
    for (size_t i = 0; i < mask.size(); ++i)
        out.pixels[i] = mask[i] ? set : clear;
    return out;
}

} // namespace

unsigned long zun_gdx_picture_bkcolor_get(const ZunBitmap& bitmap)
{
    return mostCommonSample(bitmap.width, bitmap.height,
                            [&](int x, int y) { return rgbAt(bitmap, x, y); });
}

unsigned long zun_gdx_picture_bkcolor_get(const QImage& image)
{
    return mostCommonSample(image.width(), image.height(),
                            [&](int x, int y) { return zunPixelToRgb(image.pixel(x, y) & 0xFFFFFFu); });
}

void zun_gdx_picture_transparent(CDC* dc, int x, int y, int, int, const ZunBitmap& bitmap)
{
    if (!dc || bitmap.isNull())
        return;
    // White background and black text make the mask come out as it is: set
    // bits white, clear bits black. The device context has no text colour
    // of its own, so black stands for it here.
    const ZunRgb previousBk = dc->setBkColor(kWhite);
    const unsigned long bk = zun_gdx_picture_bkcolor_get(bitmap);
    const ZunBitmap mask =
        expandMask(maskOf(bitmap, bk), bitmap.width, bitmap.height, dc->bkColor(), kBlack);
    // Picture XOR target, then the mask clears the picture's part to black
    // and keeps the target's bits under the background, then XOR with the
    // picture again: the target comes back under the background, the
    // picture appears elsewhere.
    dc->bitBlt(x, y, bitmap, ZunRop::Xor);
    dc->bitBlt(x, y, mask, ZunRop::And);
    dc->bitBlt(x, y, bitmap, ZunRop::Xor);
    dc->setBkColor(previousBk);
}

void zun_gdx_picture_transparent(CDC* dc, int x, int y, int w, int h, const QImage& image)
{
    if (!dc || image.isNull())
        return;
    zun_gdx_picture_transparent(dc, x, y, w, h, CZunQtDC::fromQImage(image));
}
