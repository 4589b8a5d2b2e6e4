#include "render/paint/zun_painter.h"

#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_units.h"
#include "render/paint/zun_viewfit.h"
#include "render/zun_dashing.h"
#include "render/zun_hatching.h"

#include <cmath>

namespace {

constexpr ZunRgb kInvert = 0xFFFFFF;

// Device coordinates are truncated toward zero, as the device APIs take ints.
int device(double v)
{
    return static_cast<int>(v);
}

bool isLineType(const CZunArrayTempl<double>& lt, std::initializer_list<double> values)
{
    if (lt.len() != static_cast<int>(values.size()))
        return false;
    int i = 0;
    for (double v : values)
        if (lt.get(i++) != v)
            return false;
    return true;
}

} // namespace

struct CZunPainter::ItemContext {
    int index = 0;
    unsigned long flag = 0;
    int mode = 0;
    ZunRgb color = 0;
    CZunMatrix3d screen;  // S(i)
    CZunMatrix3d area;    // A(i) = S(i) x view direction x item matrix
    CZunArrayTempl<double> lineType;
};

void CZunPainter::paint(CZunGDX* gdx)
{
    if (!gdx)
        return;
    m_client = m_dc.clientRect();
    m_background = gdx->backColorGet().oleColor();
    m_dc.setClipRect(m_client);
    m_dc.selectNullPen();
    m_dc.fillSolidRect(m_client, m_background);
    if (gdx->lenGet() < 1)
        return;
    gdx->displListSort();
    const ZunRgb previous = m_dc.setBkColor(m_background);
    m_shortPiece = ZUN::acadUnitCv(0.22, 4, -1);
    m_dotLength = ZUN::acadUnitCv(0.21, 4, -1);
    computeScreenMatrices(*gdx);
    for (int i = 0; i < gdx->lenGet(); ++i)
        drawItem(*gdx, i);
    m_dc.setBkColor(previous);
}

void CZunPainter::computeScreenMatrices(const CZunGDX& gdx)
{
    m_screen = gdx.zoomMtxGet() * gdx.viewMtxGet() * gdx.projMtxGet();
    // Fixed-size items keep one model unit the size it has in a 1 x 1 box
    // fitted into the window, whatever the zoom.
    CZunMatrix3d f = getViewMtx({0, 0, 0}, {1, 1, 0}, m_client.height(), m_client.width(), 0.05);
    f.setToScaling(f.axis(0).x);
    const CZunMatrix3d y = CZunMatrix3d().setCoordSystem(
        CZunPoint3d::kOrigin + gdx.viewMtxGet().translation(), CZunVector3d::kXAxis, -CZunVector3d::kYAxis,
        CZunVector3d::kZAxis);
    const CZunPoint3d p0 = CZunPoint3d::kOrigin * (gdx.zoomMtxGet() * gdx.viewMtxGet());
    const CZunPoint3d p1 = CZunPoint3d::kOrigin * (y * f);
    m_fixedSize = CZunMatrix3d().setToTranslation(p0 - p1) * y * f * gdx.projMtxGet();
}

CZunMatrix3d CZunPainter::itemScreenMatrix(const CZunGDX& gdx, int i) const
{
    if (!(gdx.flagGet(i) & gdxFlagAnchored))
        return m_screen;
    CZunPoint3d anchor;
    const ZunDisplayObj type = gdx.typeGet(i);
    if (type == objPt || type == objTxt)
        anchor = gdx.getDisplayList().get(i).vl.get(0).start();
    else
        gdx.geomGet(anchor, i);
    return CZunMatrix3d().setToTranslation(anchor.asVector() * m_screen) * m_fixedSize;
}

ZunRgb CZunPainter::itemColor(const CZunGDX& gdx, int i, int& mode) const
{
    mode = static_cast<int>((gdx.flagGet(i) >> 8) & 15);
    ZunRgb color = 0;
    if (mode == ZUN::cModeOwn) {
        if (gdx.colorGet(i).colorIndex() != -1)
            color = gdx.colorGet(i).oleColor();
        else
            mode = ZUN::cModeContrast;
    }
    if (mode >= 1 && mode <= 14)
        color = gdx.colorTabGet(static_cast<ZUN::GdxColorMode>(mode)).oleColor();
    else if (mode == ZUN::cModeContrast)
        color = m_background ^ kInvert;
    if (color == m_dc.bkColor())
        color ^= kInvert;
    return color;
}

CZunArrayTempl<double> CZunPainter::preparedLineType(const CZunGDX& gdx, int i) const
{
    const CZunArrayTempl<double>& stored = gdx.linetypeGet(i);
    CZunArrayTempl<double> lt;
    if (isLineType(stored, {1.0}) || isLineType(stored, {1.0, 0.0, 0.0}))
        lt.clear();
    else if (isLineType(stored, {1.0, 1.0, 0.0}))
        lt = {10.0, -4.0};
    else if (isLineType(stored, {1.0, 1.0, 1.0}))
        lt = {11.0, -5.0, 0.0, -5.0};
    else if (stored.len() == 3 && stored.get(0) == 0.0 && stored.get(1) == 0.0 && stored.get(2) != 0.0)
        lt = {0.0, -4.0};
    else
        lt = stored;
    const double scale = gdx.ltscaleGet(i);
    for (double& entry : lt)
        entry = entry != 0.0 ? entry * scale : m_dotLength;
    return lt;
}

void CZunPainter::drawItem(const CZunGDX& gdx, int i)
{
    ItemContext c;
    c.index = i;
    c.flag = gdx.flagGet(i);
    if (c.flag & gdxFlagHidden)
        return;
    c.color = itemColor(gdx, i, c.mode);
    c.lineType = preparedLineType(gdx, i);
    c.screen = itemScreenMatrix(gdx, i);
    c.area = c.screen * gdx.viewDirectionMtxGet() * gdx.mtxGet(i);
    m_dc.selectPen(gdx.thicknGet(i), c.color);
    switch (gdx.typeGet(i)) {
    case objPt: drawPoint(gdx, c); break;
    case objPicture: drawPicture(gdx, c); break;
    case objTxt: drawText(gdx, c); break;
    case objReg: drawRegion(gdx, c); break;
    case objVl: drawPolyline(gdx, c); break;
    default: break;
    }
}

void CZunPainter::drawPoint(const CZunGDX& gdx, const ItemContext& c)
{
    CZunPoint3d p;
    gdx.geomGet(p, c.index);
    p = p * c.area;
    const double pdSize = gdx.pdSizeGet(c.index);
    const int size = pdSize <= 0.0 ? device(pdSize) : device(pdSize * (CZunVector3d::kXAxis * c.screen).length());
    const int h = size >> 1;  // an arithmetic shift: negative sizes turn the marks over
    const int x = device(p.x);
    const int y = device(p.y);
    const unsigned long m = gdx.pdModeGet(c.index);
    m_dc.selectPen(0, c.color);
    m_dc.selectHollowBrush();
    if (m & 8) {
        m_dc.fillSolidRect({x - h, y - h, x - h + size, y - h + size}, c.color);
        return;
    }
    if (m & 32)
        m_dc.ellipse({x - h, y - h, x + h, y + h});
    if (m & 64) {
        const int a = size % 2 == 0 ? size / 2 : size / 2 - 1;
        m_dc.rectangle({x - a, y - a, x + h, y + h});
    }
    const auto ray = [&](int dx, int dy) {
        m_dc.moveTo(x, y);
        m_dc.lineTo(x + dx, y + dy);
    };
    if ((m & 1) && (m & 2)) {
        ray(-h, -h);
        ray(-h, h);
        ray(h, -h);
        ray(h, h);
    } else if (m & 1) {
        // Only the circle or square, if any.
    } else if (m & 2) {
        ray(0, -h);
        ray(0, h);
        ray(h, 0);
        ray(-h, 0);
    } else if (m & 4) {
        ray(0, -h);
    } else {
        m_dc.selectSolidBrush(c.color);
        m_dc.ellipse({x - 1, y - 1, x + 1, y + 1});
    }
}

void CZunPainter::drawPicture(const CZunGDX& gdx, const ItemContext& c)
{
    CZunString file;
    int id = 0;
    gdx.pictureGet(c.index, file, id);
    CZunPoint3d p0(0, 0), p1(m_client.width(), m_client.height());
    if (!(c.flag & gdxFlagWindow)) {
        const CZunVertexArray& vl = gdx.getDisplayList().get(c.index).vl;
        if (!vl.isEmpty()) {
            p0 = vl.get(0).start();
            p1 = vl.get(-1).end();
        }
    }
    if (!m_bitmaps)
        return;
    const ZunBitmap bitmap = m_bitmaps(file, id, device(p1.x - p0.x), device(p1.y - p0.y), m_background);
    if (!bitmap.isNull())
        m_dc.bitBlt(device(p0.x), device(p0.y), bitmap, ZunRop::Copy);
}

void CZunPainter::drawText(const CZunGDX& gdx, const ItemContext& c)
{
    for (const CZunArrayTempl<CZunVertexArray>& glyph : gdx.getDisplayList().get(c.index).txtRegl) {
        CZunArrayTempl<CZunVertexArray> flat;
        flat.reserve(glyph.len());
        for (const CZunVertexArray& contour : glyph)
            flat.append(ZUN::g_vl_expl(contour, 0.1));
        if (!flat.isEmpty() && flat.get(0).isClosed())
            fillContours(flat, c.area, c.color);
        m_dc.selectPen(0, c.color);
        for (const CZunVertexArray& contour : flat)
            for (const CZunVertex& v : contour)
                drawVertex(CZunVertex(v).transformBy(c.area));
    }
}

void CZunPainter::drawRegion(const CZunGDX& gdx, const ItemContext& c)
{
    const CZunDisplayItem& item = gdx.getDisplayList().get(c.index);
    const CZunArrayTempl<CZunVertexArray> flat = zun_gdx_image_reg_split(item.reg);
    bool fill = (c.flag & gdxFlagFill) != 0;
    bool hatch = (c.flag & gdxFlagHatch) != 0;
    ZUN::CHatchProp hatchProp;
    if (hatch) {
        gdx.hatchGet(c.index, hatchProp);
        // Too dense to see at this scale: fill instead.
        if (!zun_gdx_pattern_test(flat, hatchProp, gdx.mtxGet(c.index) * gdx.viewDirectionMtxGet() * c.screen)) {
            hatch = false;
            fill = true;
        }
    }
    ZunRgb fillColor = c.color;
    if (c.mode == 0 && gdx.fcolorGet(c.index).colorIndex() != 0) {
        fillColor = gdx.fcolorGet(c.index).oleColor();
        if (fillColor == m_dc.bkColor())
            fillColor ^= kInvert;
    }
    if (fill) {
        fillContours(flat, c.area, fillColor);
    } else if (hatch) {
        m_dc.selectPen(0, fillColor);
        CZunString name = hatchProp.name();
        const bool dots = name.makeUpper() == L"DOTS";
        for (const CZunVertexArray& line : zun_gdx_image_reg_hatch2(flat, CZunMatrix3d(), hatchProp)) {
            const bool drawAll = !dots && line.isContinuous();
            for (const CZunVertex& v : line) {
                if (drawAll || v.start().distanceTo(v.end()) >= m_shortPiece)
                    drawVertex(CZunVertex(v).transformBy(c.area));
                else
                    setPixel(v.start() * c.area, fillColor);
            }
        }
    }
    if (c.flag & gdxFlagOutline) {
        m_dc.selectPen(gdx.thicknGet(c.index), c.color);
        const CZunMatrix3d m = c.screen * gdx.mtxGet(c.index);
        for (const CZunVertexArray& contour : item.reg)
            drawDashed(contour.getTransformedCopy(gdx.viewDirectionMtxGet()), c, m);
    }
}

void CZunPainter::drawPolyline(const CZunGDX& gdx, const ItemContext& c)
{
    const CZunVertexArray& vl = gdx.getDisplayList().get(c.index).vl;
    drawDashed(vl.getTransformedCopy(gdx.viewDirectionMtxGet()), c, c.screen * gdx.mtxGet(c.index));
}

void CZunPainter::drawDashed(CZunVertexArray line, const ItemContext& c, const CZunMatrix3d& m)
{
    zun_gdx_image_vl_measure(line, c.lineType, 1);
    const bool continuous = line.isContinuous();
    for (const CZunVertex& v : zun_gdx_image_vl_split(line)) {
        if (!continuous && v.start().distanceTo(v.end()) < m_shortPiece)
            setPixel(v.start() * m, c.color);
        else
            drawVertex(CZunVertex(v).transformBy(m));
    }
}

void CZunPainter::drawVertex(const CZunVertex& v)
{
    if (!v.isArc()) {
        m_dc.moveTo(device(v.start().x), device(v.start().y));
        m_dc.lineTo(device(v.end().x), device(v.end().y));
        return;
    }
    CZunVertexArray one;
    one.append(v);
    const CZunPoint3dArray points = one.pts(true, 0.5);
    for (int k = 0; k < points.len(); ++k) {
        const CZunPoint3d& p = points.get(k);
        if (k == 0)
            m_dc.moveTo(device(p.x), device(p.y));
        else
            m_dc.lineTo(device(p.x), device(p.y));
    }
}

void CZunPainter::setPixel(const CZunPoint3d& p, ZunRgb color)
{
    m_dc.setPixel(device(p.x), device(p.y), color);
}

void CZunPainter::polygonPoints(const CZunVertexArray& contour, const CZunMatrix3d& m,
                                std::vector<ZunIPoint>& out) const
{
    out.clear();
    for (const CZunVertex& v : contour) {
        const CZunVertex t = CZunVertex(v).transformBy(m);
        if (!t.isArc()) {
            out.push_back({device(t.start().x), device(t.start().y)});
            out.push_back({device(t.end().x), device(t.end().y)});
            continue;
        }
        CZunVertexArray one;
        one.append(t);
        for (const CZunPoint3d& p : one.pts(true, 0.5))
            out.push_back({device(p.x), device(p.y)});
    }
}

void CZunPainter::fillContours(const CZunArrayTempl<CZunVertexArray>& contours, const CZunMatrix3d& m, ZunRgb color)
{
    for (int k = 1; k < contours.len(); ++k) {
        polygonPoints(contours.get(k), m, m_points);
        m_dc.excludeClipPolygon(m_points);
    }
    polygonPoints(contours.get(0), m, m_points);
    m_dc.selectSolidBrush(color);
    m_dc.polygon(m_points);
    m_dc.selectHollowBrush();
    restoreClip();
}

void CZunPainter::restoreClip()
{
    m_dc.setClipRect(m_client);
}
