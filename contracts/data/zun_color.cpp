#include "contracts/data/zun_color.h"

#include <array>

namespace {

using Palette = std::array<std::uint32_t, 256>;

constexpr std::uint32_t ole(unsigned r, unsigned g, unsigned b)
{
    return r | (g << 8) | (b << 16);
}

// Entries 10..249 are 24 hues, 15 degrees apart, in five brightness steps,
// each step once at full and once at half saturation. Channels are worked in
// eighths of the hue circle's ramp and in hundredths of brightness so that
// every value is an exact integer division: the drawings we exchange carry
// these values, and a float rounding off by one would break exact matches.
constexpr unsigned kBrightness[5] = {100, 65, 50, 30, 15};

// One RGB channel of a hue on a ramp of 0..8 (0 = off, 8 = full).
constexpr unsigned hueChannel(int hue, int channelOffset)
{
    // Six sectors of four hue steps each; a channel is full for two sectors,
    // ramps down for one, is off for two and ramps up for one.
    const int pos = ((hue + channelOffset * 4) % 24 + 24) % 24;
    const int sector = pos / 4;
    const int step = pos % 4;
    switch (sector) {
    case 0:
    case 1:
        return 8;
    case 2:
        return static_cast<unsigned>(8 - 2 * step);
    case 5:
        return static_cast<unsigned>(2 * step);
    default:
        return 0;
    }
}

constexpr Palette makePalette()
{
    Palette p{};
    p[1] = ole(255, 0, 0);
    p[2] = ole(255, 255, 0);
    p[3] = ole(0, 255, 0);
    p[4] = ole(0, 255, 255);
    p[5] = ole(0, 0, 255);
    p[6] = ole(255, 0, 255);
    p[7] = ole(255, 255, 255);
    p[8] = ole(128, 128, 128);
    p[9] = ole(192, 192, 192);
    for (int hue = 0; hue < 24; ++hue) {
        // Red is full from hue 20 to 3 (300 to 60 degrees), green 120 and
        // blue 240 degrees later.
        const unsigned ramp[3] = {hueChannel(hue, 1), hueChannel(hue, -1), hueChannel(hue, -3)};
        for (int shade = 0; shade < 10; ++shade) {
            const unsigned bright = kBrightness[shade / 2];
            const bool pale = shade % 2 == 1;
            unsigned c[3] = {};
            for (int k = 0; k < 3; ++k) {
                const unsigned eighths = pale ? 4 + ramp[k] / 2 : ramp[k];
                c[k] = 255u * bright * eighths / 800u;
            }
            p[static_cast<size_t>(10 + hue * 10 + shade)] = ole(c[0], c[1], c[2]);
        }
    }
    const unsigned greys[6] = {51, 80, 105, 130, 190, 255};
    for (int k = 0; k < 6; ++k)
        p[static_cast<size_t>(250 + k)] = ole(greys[k], greys[k], greys[k]);
    return p;
}

constexpr Palette kPalette = makePalette();

// A few anchors checked while compiling, so that a slip in the rule above
// cannot survive to run time.
static_assert(kPalette[10] == ole(255, 0, 0));
static_assert(kPalette[43] == ole(165, 145, 82));
static_assert(kPalette[29] == ole(38, 23, 19));
static_assert(kPalette[60] == ole(191, 255, 0));
static_assert(kPalette[130] == ole(0, 255, 255));
static_assert(kPalette[170] == ole(0, 0, 255));
static_assert(kPalette[249] == ole(38, 19, 23));

} // namespace

std::uint32_t CZunColor::paletteRgb(int index)
{
    return index >= 1 && index <= 255 ? kPalette[static_cast<size_t>(index)] : 0u;
}

int CZunColor::nearestIndex(std::uint32_t rgb)
{
    const int r = static_cast<int>(rgb & 0xFF);
    const int g = static_cast<int>((rgb >> 8) & 0xFF);
    const int b = static_cast<int>((rgb >> 16) & 0xFF);
    int best = 1;
    long bestDistance = -1;
    for (int i = 1; i <= 255; ++i) {
        const std::uint32_t p = kPalette[static_cast<size_t>(i)];
        const long dr = r - static_cast<int>(p & 0xFF);
        const long dg = g - static_cast<int>((p >> 8) & 0xFF);
        const long db = b - static_cast<int>((p >> 16) & 0xFF);
        const long d = dr * dr + dg * dg + db * db;
        // Strictly smaller only: among equals the lower index stays.
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
            if (d == 0)
                break;
        }
    }
    return best;
}

void CZunColor::setColorIndex(int index)
{
    // Anything outside the meaningful range cannot name a colour; treating it
    // as "no colour" keeps stray values from files from turning into a
    // by-block or by-layer reference.
    if (index < kNone || index > kByLayer)
        index = kNone;
    m_index = index;
    // Every index carries its own colour: a value kept from the index before
    // would show a by-block line in whatever colour came last.
    m_rgb = paletteRgb(index);
}

void CZunColor::setOleColor(std::uint32_t rgb)
{
    m_rgb = rgb & 0xFFFFFFu;
    m_index = nearestIndex(m_rgb);
}
