#pragma once

#include "contracts/data/zun_data_item.h"

#include <memory>

// The glyph map behind get_ascii_from_map, and the fill routines that the
// generated render/core/zun_glyphs_data.cpp provides. Internal to the font; the
// rest of the module uses render/core/zun_font.h.

// Glyphs by character code. The entries sit in a table of pointers sorted by
// code, so a lookup is a binary search and growing the table moves pointers,
// never glyphs. The table starts with room for 16 entries and doubles when
// full.
class CZunGlyphMap {
public:
    static constexpr int kInitialCapacity = 16;

    CZunGlyphMap();
    ~CZunGlyphMap();
    CZunGlyphMap(const CZunGlyphMap&) = delete;
    CZunGlyphMap& operator=(const CZunGlyphMap&) = delete;

    // Inserts the glyph of code; a code already present gets the new glyph.
    void insert(wchar_t code, CZunRegionList glyph);
    // The glyph of code, or null.
    const CZunRegionList* find(wchar_t code) const;

    int len() const { return m_len; }
    bool isEmpty() const { return m_len == 0; }
    int capacity() const { return m_capacity; }
    // The i-th code in ascending order (0 <= i < len()).
    wchar_t codeAt(int i) const;

private:
    struct Entry {
        wchar_t code;
        CZunRegionList glyph;
    };

    // Position of the first entry whose code is not less than code.
    int lowerBound(wchar_t code) const;

    std::unique_ptr<std::unique_ptr<Entry>[]> m_table;
    int m_len = 0;
    int m_capacity = 0;
};

namespace ZUN {

// The process-wide glyph map, filled once on first use from whichever
// thread asks first; read-only and safe to share between threads after that.
const CZunGlyphMap& glyphMap();

// Generated fill routines; glyphMap() runs them in this order.
void glyphFill1(CZunGlyphMap& map);
void glyphFill2(CZunGlyphMap& map);
void glyphFill3(CZunGlyphMap& map);
void glyphFill4(CZunGlyphMap& map);
void glyphFill5(CZunGlyphMap& map);
void glyphFill6(CZunGlyphMap& map);
void glyphFill7(CZunGlyphMap& map);
void glyphFill8(CZunGlyphMap& map);

} // namespace ZUN
