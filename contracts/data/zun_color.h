#pragma once

#include "contracts/base/zun_string.h"

#include <cstdint>

// A drawing colour: a colour index of the 256-entry palette of CAD drawings
// (-1 for "no colour", 0 by block, 256 by layer, 1..255 palette entries)
// together with an exact RGB value and an optional pair of colour-book names.
// RGB values are kept in the 0x00BBGGRR layout that the host's colour
// values use ("OLE colour"): red in the low byte.
class CZunColor : public CZunObj {
public:
    static constexpr int kNone = -1;
    static constexpr int kByBlock = 0;
    static constexpr int kByLayer = 256;

    // No colour: index -1, RGB black, no names.
    CZunColor() = default;
    explicit CZunColor(int colorIndex) { setColorIndex(colorIndex); }

    int colorIndex() const { return m_index; }
    // Sets the index, and the RGB value to that index's own colour: the
    // palette entry for 1..255, black for -1 (no colour), 0 (by block) and
    // 256 (by layer), whose real colour only the painter or the layer knows.
    // Any other index is taken as -1. An exact RGB value that belongs with
    // the index is set afterwards (setColor).
    void setColorIndex(int index);

    std::uint32_t oleColor() const { return m_rgb; }
    // Sets the exact RGB value and, as index, the nearest palette entry, so
    // that a colour given by RGB still counts as a colour.
    void setOleColor(std::uint32_t rgb);
    // Sets the RGB value only; the index stays.
    void setColor(std::uint32_t rgb) { m_rgb = rgb & 0xFFFFFFu; }

    int red() const { return static_cast<int>(m_rgb & 0xFF); }
    int green() const { return static_cast<int>((m_rgb >> 8) & 0xFF); }
    int blue() const { return static_cast<int>((m_rgb >> 16) & 0xFF); }
    static std::uint32_t rgb(int r, int g, int b)
    {
        return static_cast<std::uint32_t>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
    }

    void setNames(const CZunString& bookName, const CZunString& colorName) { m_book = bookName; m_name = colorName; }
    const CZunString& bookName() const { return m_book; }
    const CZunString& colorName() const { return m_name; }

    // The palette: RGB of entry 1..255 (black for any other index), and the
    // entry nearest to an RGB value (exact matches win; ties take the lower index).
    static std::uint32_t paletteRgb(int index);
    static int nearestIndex(std::uint32_t rgb);

    friend bool operator==(const CZunColor& a, const CZunColor& b)
    {
        return a.m_index == b.m_index && a.m_rgb == b.m_rgb && a.m_book == b.m_book && a.m_name == b.m_name;
    }
    friend bool operator!=(const CZunColor& a, const CZunColor& b) { return !(a == b); }

private:
    int m_index = kNone;
    std::uint32_t m_rgb = 0;
    CZunString m_book;
    CZunString m_name;
};
