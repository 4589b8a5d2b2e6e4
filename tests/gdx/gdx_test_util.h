#pragma once

#include "gdx/zun_gdx.h"

#include "contracts/data/zun_config.h"

#include <gtest/gtest.h>

#include <vector>

namespace gdxtest {

using Stack = CZunArrayTempl<int>;

// Opens the protected primitives; built without reading the configuration.
class OpenGdx : public CZunGDX {
public:
    OpenGdx() : CZunGDX(CZunColor(), CZunMatrix3d(), 0.0, 0, CZunPoint3d(), CZunPoint3d()) {}
    using CZunGDX::cFlagSet;
    using CZunGDX::flagSet;
    using CZunGDX::refresh_ext;
    using CZunGDX::removeItem;
};

inline CZunVertexArray segment(const CZunPoint3d& a, const CZunPoint3d& b, double bulge = 0.0)
{
    return CZunVertexArray{CZunVertex(a, b, bulge)};
}

inline CZunVertexArray square(double x0, double y0, double size)
{
    return CZunVertexArray::fromPoints({{x0, y0}, {x0 + size, y0}, {x0 + size, y0 + size}, {x0, y0 + size}}, true);
}

inline unsigned long withMode(unsigned long flag, int mode) { return flag | gdxFlagOfColorMode(mode); }

inline void addVl(CZunGDX& g, const Stack& s, const CZunVertexArray& vl, unsigned long flag = 0,
                  const CZunMatrix3d& mtx = CZunMatrix3d())
{
    g.imageVl(s, flag, vl, CZunColor(1), mtx, {}, 1.0, 1, CZunPoint3d());
}

inline void addPt(CZunGDX& g, const Stack& s, const CZunPoint3d& p, unsigned long flag = 0,
                  const CZunMatrix3d& mtx = CZunMatrix3d())
{
    g.imagePt(s, flag, p, CZunColor(2), mtx, 0.0, 0xFFFFFFFFul, CZunPoint3d());
}

inline void addReg(CZunGDX& g, const Stack& s, const CZunArrayTempl<CZunVertexArray>& reg, unsigned long flag = 0)
{
    g.imageReg(s, flag, reg, CZunColor(3), CZunMatrix3d(), {}, 1.0, 1, CZunColor(), ZUN::CHatchProp(), {});
}

inline void addPicture(CZunGDX& g, const Stack& s, unsigned long flag = 0)
{
    g.imagePicture(s, flag, L"pic.png", 7, CZunPoint3d(0, 0), CZunPoint3d(10, 10));
}

// First stack entries in list order: a compact picture of the order.
inline std::vector<int> firstEntries(const CZunGDX& g)
{
    std::vector<int> out;
    for (const CZunDisplayItem& it : g.getDisplayList())
        out.push_back(it.stack.get(0));
    return out;
}

inline void expectPoint(const CZunPoint3d& p, double x, double y, double z, double tol = 1e-9)
{
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
    EXPECT_NEAR(p.z, z, tol);
}

inline CZunMatrix3d translation(double x, double y) { return CZunMatrix3d().setToTranslation({x, y, 0.0}); }
inline CZunMatrix3d rotationZ(double angle) { return CZunMatrix3d().setToRotation(angle); }
inline CZunMatrix3d scaling(double x, double y, double z) { return CZunMatrix3d().setToScaling({x, y, z}); }

// The colour configuration directory, emptied; use inside a CCfgBackup.
inline CZunDataItem* freshColorConfig()
{
    ZUN::CZunCfgMgr::instance().getCfgRoot()->remove(L"ORV_MENU");
    return ZUN::cfg_dir_make(L"ORV_MENU\\COLOR");
}

} // namespace gdxtest
