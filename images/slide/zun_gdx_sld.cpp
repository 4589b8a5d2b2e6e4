#include "images/slide/zun_gdx_sld.h"

#include "render/core/zun_hatching.h"

namespace ZUN {

namespace {

CZunPoint3d toPoint(const SlidePoint& p)
{
    return {static_cast<double>(p.x), static_cast<double>(p.y), 0.0};
}

// Turns records into display items under a stack whose first entry counts
// the items.
class CItemMaker : public CSlideSink {
public:
    CItemMaker(CZunGDX& gdx, CZunGDX::Stack& stack, unsigned long flags, const CZunMatrix3d& mtx)
        : m_gdx(gdx), m_stack(stack), m_flags(flags), m_mtx(mtx) {}

    bool slideBegin(const SlideHeader&) override { return true; }

    void slideVector(const SlidePoint& from, const SlidePoint& to) override
    {
        CZunVertexArray vl;
        vl.append(toPoint(from), toPoint(to), 0.0);
        m_gdx.imageVl(m_stack, m_flags, vl, m_color, m_mtx, m_linetype, 1.0, 0, CZunPoint3d::kOrigin);
        nextItem();
    }

    void slideSolidFill(const SlidePoint* points, int count) override
    {
        m_points.clear();
        for (int i = 0; i < count; ++i)
            m_points.append(toPoint(points[i]));
        CZunGDX::Contours reg{CZunVertexArray::fromPoints(m_points, true)};
        zun_gdx_reg_orient(reg, CZunVector3d::kZAxis);
        m_gdx.imageReg(m_stack, m_flags | gdxFlagFill, reg, m_color, m_mtx, m_linetype, 1.0, 0, m_color,
                       CHatchProp(), CZunPoint3d::kOrigin);
        // Only the items up to the first fill keep a fill request of the
        // caller: later vectors would otherwise all count as filled.
        m_flags &= ~gdxFlagFill;
        nextItem();
    }

    void slideColor(int index) override { m_color.setColorIndex(index); }

private:
    void nextItem() { ++m_stack[0]; }

    CZunGDX& m_gdx;
    CZunGDX::Stack& m_stack;
    unsigned long m_flags;
    const CZunMatrix3d& m_mtx;
    CZunColor m_color;
    const CZunArrayTempl<double> m_linetype{1.0};
    CZunArrayTempl<CZunPoint3d> m_points;
};

CZunGDX::Stack stackPrefix(const CZunDataItem* opts)
{
    CZunGDX::Stack stack;
    if (!opts || opts->get(stack, L"STACK"))
        return stack;
    int single = 0;
    if (opts->get(single, L"STACK"))
        stack.append(single);
    return stack;
}

bool isEmptySlideName(const wchar_t* name)
{
    CZunString upper(name);
    return upper.makeUpper() == L"LEER";
}

} // namespace

bool CGdxSld::convert(CZunGDX* gdx, unsigned long flags, const CZunDataItem* opts)
{
    if (!gdx || !hasSlide())
        return false;
    CZunGDX::Stack stack = stackPrefix(opts);
    stack.append(1);
    CZunMatrix3d mtx;
    if (opts)
        opts->get(mtx, L"MTX");
    CItemMaker maker(*gdx, stack, flags, mtx);
    if (!decodeSlide(maker).ok)
        return false;
    return stack.get(0) > 1;
}

} // namespace ZUN

bool zun_gdx_image_sld(CZunGDX* gdx, const wchar_t* slideName, const wchar_t* libName, unsigned long flags,
                       CZunDataItem* opts)
{
    if (!gdx || !slideName)
        return false;
    if (ZUN::isEmptySlideName(slideName)) {
        // A placeholder for "no slide": not painted, but it keeps the extents
        // of an otherwise empty picture.
        gdx->imagePt(CZunGDX::Stack(), gdxFlagHidden, CZunPoint3d::kOrigin, CZunColor(), CZunMatrix3d(), 0.0,
                     0xFFFFFFFFul, CZunPoint3d::kOrigin);
        return true;
    }
    if (!libName)
        return false;
    ZUN::CGdxSld slide;
    if (!slide.loadSlide(slideName, libName))
        return false;
    return slide.convert(gdx, flags, opts);
}
