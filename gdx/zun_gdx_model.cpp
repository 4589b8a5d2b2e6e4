// The display list's value semantics, defaults, colour table, stacks and the
// per-item flag primitives.

#include "gdx/zun_gdx.h"
#include "gdx/zun_gdx_p.h"

#include "contracts/data/zun_app.h"
#include "contracts/data/zun_config.h"
#include "contracts/data/zun_data_item.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace {

constexpr ZUN::GdxColorMode kConfiguredModes[] = {ZUN::cModeHighlight, ZUN::cModeRefer, ZUN::cModeAxis,
                                                  ZUN::cModeBase, ZUN::cModeAux};
constexpr const wchar_t* kConfiguredKeys[] = {L"HIGHLIGHT", L"REFER", L"AXIS", L"BASE", L"AUX"};

// Highest mode with an entry in the colour table; 15 is computed from the
// background and never stored.
constexpr int kLastTableMode = 14;

} // namespace

CZunGDX::CZunGDX()
{
    if (CZunApp* app = zunAppPtr())
        m_backColor.setOleColor(app->bkColorGet());
    const CZunDataItem* cfg = ZUN::cfg_get(L"ORV_MENU\\COLOR");
    if (cfg) {
        double size = 0.0;
        if (cfg->get(size, L"PDSIZE"))
            m_pdSize = size;
        long mode = 0;
        if (cfg->get(mode, L"PDMODE"))
            m_pdMode = static_cast<std::uint32_t>(mode);
    }
    // Colours are read as colour values only; a configuration that holds bare
    // colour indices leaves default colours here (the registry's loader reads
    // indices as well).
    for (int k = 0; k < 5; ++k) {
        CZunColor c;
        ZUN::dataItemGet(cfg, CZunDataKey(kConfiguredKeys[k]), c);
        ColorTabSet(kConfiguredModes[k], c);
    }
}

CZunGDX::CZunGDX(const CZunColor& backColor, const CZunMatrix3d& projMtx, double pdSize, unsigned long pdMode,
                 const CZunPoint3d& extViewMin, const CZunPoint3d& extViewMax)
    : m_backColor(backColor),
      m_pdSize(pdSize),
      m_pdMode(static_cast<std::uint32_t>(pdMode)),
      m_projMtx(projMtx),
      m_extViewMin(extViewMin),
      m_extViewMax(extViewMax)
{
}

std::uint64_t CZunGDX::ChangeCounts::next()
{
    static std::atomic<std::uint64_t> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

CZunGDX::CZunGDX(const CZunGDX& other) = default;
CZunGDX& CZunGDX::operator=(const CZunGDX& other) = default;
CZunGDX::CZunGDX(CZunGDX&& other) noexcept = default;
CZunGDX& CZunGDX::operator=(CZunGDX&& other) noexcept = default;
CZunGDX::~CZunGDX() = default;

// ---- item list -----------------------------------------------------------------

CZunDisplayItem* CZunGDX::itemAt(int i)
{
    const int k = m_displayList.resolve(i);
    return k < 0 ? nullptr : &m_displayList.vector()[static_cast<size_t>(k)];
}

void CZunGDX::itemStackGet(Stack& stack, int i) const
{
    stack = item(i).stack;
}

bool CZunGDX::itemStackSet(int i, const Stack& stack)
{
    CZunDisplayItem* it = itemAt(i);
    if (!it)
        return false;
    it->stack = stack;
    return true;
}

CZunGDX::Stack CZunGDX::StackToItemNr(const Stack& stack) const
{
    Stack found;
    const int n = stack.len();
    if (n == 0)
        return found;
    for (int i = 0; i < lenGet(); ++i)
        if (ZUN::gdx::inSubtree(m_displayList.vector()[static_cast<size_t>(i)].stack, stack.data(), n))
            found.append(i);
    return found;
}

int CZunGDX::stackGet() const
{
    bool any = false;
    int best = 0;
    for (const CZunDisplayItem& it : m_displayList) {
        if (it.stack.isEmpty())
            continue;
        const int first = it.stack.vector().front();
        best = any ? std::max(best, first) : first;
        any = true;
    }
    return best;
}

int CZunGDX::stackGet(const Stack& stack) const
{
    const int n = stack.len();
    int result = -1;
    if (n == 0 || m_displayList.isEmpty())
        return result;
    for (const CZunDisplayItem& it : m_displayList) {
        if (!ZUN::gdx::inSubtree(it.stack, stack.data(), n))
            continue;
        // An item of exactly this stack resets the result instead of joining
        // the maximum, so the order of items matters here.
        if (it.stack.len() > n)
            result = std::max(result, it.stack.vector()[static_cast<size_t>(n)]);
        else
            result = 0;
    }
    return result;
}

// ---- colour table ------------------------------------------------------------------

const CZunColor& CZunGDX::colorTabGet(ZUN::GdxColorMode m) const
{
    return m_colorTab.get(static_cast<int>(m) - 1);
}

bool CZunGDX::ColorTabSet(ZUN::GdxColorMode m, const CZunColor& c)
{
    const int mode = static_cast<int>(m);
    if (mode < 1 || mode > kLastTableMode)
        return false;
    m_colorTab[mode - 1] = c;
    touch();
    return true;
}

// ---- per-item primitives --------------------------------------------------------------

unsigned long CZunGDX::pdModeGet(int i) const
{
    const std::uint32_t own = item(i).pdMode;
    return own < 0xFFFFFFFFu ? own : m_pdMode;
}

double CZunGDX::pdSizeGet(int i) const
{
    const double own = item(i).pdSize;
    return own != 0.0 ? own : m_pdSize;
}

bool CZunGDX::hatchGet(int i, ZUN::CHatchProp& hatch) const
{
    if (static_cast<unsigned>(i) >= static_cast<unsigned>(lenGet()))
        return false;
    hatch = item(i).hatch;
    return true;
}

bool CZunGDX::pictureGet(int i, CZunString& name, int& id) const
{
    const CZunDisplayItem& it = item(i);
    name = it.txt;
    id = static_cast<int>(it.pdMode);
    return id != 0x7FFFFFFF || !name.isEmpty();
}

void CZunGDX::flagSet(int i, unsigned long code)
{
    CZunDisplayItem* it = itemAt(i);
    if (it && ZUN::gdx::applyPropCode(it->flag, code)) {
        refresh_ext();
        touch();
    }
}

void CZunGDX::cFlagSet(int i, ZUN::GdxColorMode m)
{
    if (CZunDisplayItem* it = itemAt(i)) {
        it->flag = ZUN::gdx::withColorMode(it->flag, m);
        touch();
    }
}
