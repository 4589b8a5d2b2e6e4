#include "render/core/zun_font.h"

#include "contracts/data/zun_app.h"
#include "contracts/data/zun_resbuf.h"
#include "render/core/zun_font_map.h"

#include <memory>
#include <utility>

CZunGlyphMap::CZunGlyphMap()
    : m_table(std::make_unique<std::unique_ptr<Entry>[]>(kInitialCapacity)), m_capacity(kInitialCapacity)
{
}

CZunGlyphMap::~CZunGlyphMap() = default;

int CZunGlyphMap::lowerBound(wchar_t code) const
{
    int lo = 0;
    int hi = m_len;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (m_table[mid]->code < code)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void CZunGlyphMap::insert(wchar_t code, CZunRegionList glyph)
{
    const int at = lowerBound(code);
    if (at < m_len && m_table[at]->code == code) {
        m_table[at]->glyph = std::move(glyph);
        return;
    }
    if (m_len == m_capacity) {
        const int grown = m_capacity * 2;
        auto table = std::make_unique<std::unique_ptr<Entry>[]>(grown);
        for (int i = 0; i < m_len; ++i)
            table[i] = std::move(m_table[i]);
        m_table = std::move(table);
        m_capacity = grown;
    }
    for (int i = m_len; i > at; --i)
        m_table[i] = std::move(m_table[i - 1]);
    m_table[at] = std::make_unique<Entry>(Entry{code, std::move(glyph)});
    ++m_len;
}

const CZunRegionList* CZunGlyphMap::find(wchar_t code) const
{
    const int at = lowerBound(code);
    return at < m_len && m_table[at]->code == code ? &m_table[at]->glyph : nullptr;
}

wchar_t CZunGlyphMap::codeAt(int i) const
{
    return i >= 0 && i < m_len ? m_table[i]->code : L'\0';
}

namespace ZUN {

const CZunGlyphMap& glyphMap()
{
    // Built on first use rather than at load: most sessions never draw a
    // string text, and the glyphs take a few hundred kilobytes. The build
    // runs inside the initialisation of a local static, which the language
    // runs exactly once even when several threads ask at the same time (the
    // others wait); afterwards the map is only read.
    static const std::unique_ptr<const CZunGlyphMap> map = [] {
        auto built = std::make_unique<CZunGlyphMap>();
        glyphFill1(*built);
        glyphFill2(*built);
        glyphFill3(*built);
        glyphFill4(*built);
        glyphFill5(*built);
        glyphFill6(*built);
        glyphFill7(*built);
        glyphFill8(*built);
        return std::unique_ptr<const CZunGlyphMap>(std::move(built));
    }();
    return *map;
}

} // namespace ZUN

CZunRegionList get_ascii_from_map(wchar_t c)
{
    const CZunRegionList* glyph = ZUN::glyphMap().find(c);
    return glyph ? *glyph : CZunRegionList();
}

bool zun_text_to_regl(const CZunDataItem* txt, CZunRegionList& regl, double height)
{
    regl.clear();
    // The host's function may throw, and memory may run out on a huge
    // answer: either is a failure like any other, never an exception out.
    try {
        ZUN::CZunRbList args = ZUN::rbToList(ZUN::mkLisp(txt).get());
        args.append(ZUN::CRbValue::makeReal(height));
        ZUN::CZunRbList result;
        if (zunAppPtr()->invokeFunction(L"zun_text_to_regl", args, result) != kRtNorm)
            return false;
        // An empty answer reads as nil here, which converts to no regions.
        const short first = result.get(0).type;
        if (first != kRtListBegin && first != kRtNil)
            return false;
        if (!ZUN::fromRb(result, regl))
            regl.clear();
        return !regl.isEmpty();
    } catch (...) {
        regl.clear();
        return false;
    }
}
