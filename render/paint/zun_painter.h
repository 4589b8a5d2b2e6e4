#pragma once

#include "gdx/zun_gdx.h"
#include "render/paint/zun_cdc.h"
#include "contracts/base/zun_map.h"
#include "render/core/zun_dashing.h"
#include "render/core/zun_unit_lengths.h"

#include <cstdint>
#include <functional>
#include <vector>

// Draws a display list through a device context: background first, then
// every item in drawing order, each by its type, flags, colour mode, line
// type, point style, hatch and matrices. The caller owns the surface (an
// off-screen image it copies to the window afterwards, or a metafile).
class CZunPainter {
public:
    // Supplies the bitmap of a picture item: file name, resource id, size in
    // pixels and the background to compose it on. A null bitmap skips it.
    using BitmapSource =
        std::function<ZunBitmap(const CZunString& file, int id, int width, int height, ZunRgb background)>;

    explicit CZunPainter(CDC& dc) : m_dc(dc) {}
    void setBitmapSource(BitmapSource source) { m_bitmaps = std::move(source); }

    // Paints the list (sorting it into drawing order first); a null list
    // paints nothing at all, an empty one the background only. Throws
    // nothing: a paint that runs out of memory stops where it was, and a
    // picture whose bitmap source throws is left out.
    void paint(CZunGDX* gdx);

    // Hatch lines are kept between paints, for as long as the region, its
    // hatch, the pattern definition and the drawing unit stay the same; this
    // drops them all (for memory, or to compare against fresh ones).
    static void clearHatchCache();

    // Where the picture goes. A metafile is drawn with a few differences
    // that keep it right when other programs show or scale it on paper: no
    // background, white drawn black, region fills as scan lines that leave
    // the holes empty, filled square points as rectangles, pixels as lines
    // one unit long, closed lines drawn whole, pictures composed on white.
    enum class Target { Screen, Metafile };
    void setTarget(Target target) { m_target = target; }
    Target target() const { return m_target; }

private:
    struct ItemContext;

    void paintList(CZunGDX& gdx);

    void computeScreenMatrices(const CZunGDX& gdx);
    const CZunMatrix3d& itemScreenMatrix(const CZunGDX& gdx, int i);
    ZunRgb itemColor(const CZunGDX& gdx, int i, int& mode) const;
    // Into m_lineType.
    void prepareLineType(const CZunGDX& gdx, int i);

    void drawItem(const CZunGDX& gdx, int i);
    void drawPoint(const CZunGDX& gdx, const ItemContext& c);
    void drawPicture(const CZunGDX& gdx, const ItemContext& c);
    void drawText(const CZunGDX& gdx, const ItemContext& c);
    void drawRegion(const CZunGDX& gdx, const ItemContext& c);
    void drawPolyline(const CZunGDX& gdx, const ItemContext& c);
    // Brings a line into view-direction space, dashes it there and draws
    // it through m, short pieces of a dashed line as single pixels.
    void drawDashed(const CZunVertexArray& line, const CZunMatrix3d& viewDirection, const ItemContext& c,
                    const CZunMatrix3d& m);
    // The lines of the pattern name, looked up and read once per paint.
    const ZUN::CPatternLines& patternOf(const CZunString& name);
    void drawHatch(const CZunArrayTempl<CZunVertexArray>& reg, const CZunArrayTempl<CZunVertexArray>& flat,
                   const ZUN::CHatchProp& hatch, const ItemContext& c, ZunRgb color);

    // A straight vertex as one line; an arc as chords no further than half a
    // pixel from it. Coordinates are truncated toward zero.
    void drawVertex(const CZunVertex& v);
    // The vertex as transformed by m, without copying a straight one.
    void drawVertex(const CZunVertex& v, const CZunMatrix3d& m);
    void drawSegment(const CZunPoint3d& from, const CZunPoint3d& to);
    void setPixel(const CZunPoint3d& p, ZunRgb color);
    // Fills contour 0 by the alternate rule with the other contours cut out.
    void fillContours(const CZunArrayTempl<CZunVertexArray>& contours, const CZunMatrix3d& m, ZunRgb color);
    void polygonPoints(const CZunVertexArray& contour, const CZunMatrix3d& m, std::vector<ZunIPoint>& out) const;
    void restoreClip();

    bool toMetafile() const { return m_target == Target::Metafile; }
    // The colour as the target shows it: on screen a colour equal to the
    // background is inverted, in a metafile white turns black.
    ZunRgb targetColor(ZunRgb color) const;
    // A piece too short to see: a pixel on screen, in a metafile a line one
    // unit long with the selected pen.
    void markShortPiece(const CZunPoint3d& p, ZunRgb color);
    // The metafile's region fill: horizontal lines one unit apart, cut to
    // the inside of the contour set (even-odd, so holes stay empty).
    void fillScanLines(const CZunArrayTempl<CZunVertexArray>& contours, const CZunMatrix3d& m, ZunRgb color);

    CDC& m_dc;
    BitmapSource m_bitmaps;
    Target m_target = Target::Screen;
    ZunIRect m_client;
    ZunRgb m_background = 0;
    CZunMatrix3d m_screen;      // zoom x view x projection
    CZunMatrix3d m_fixedSize;   // for items drawn at a fixed size about an anchor
    bool m_turnsView = false;   // the list has a view direction other than the plan
    CZunMatrix3d m_itemScreen;  // S(i) of an anchored item
    CZunMatrix3d m_itemArea;    // A(i) of the item being drawn
    ZunUnitLengths m_lengths;   // dots and short pieces in the drawing's unit, per paint
    std::vector<ZunIPoint> m_points;  // reused polygon buffer
    // Working buffers reused from item to item, so that drawing a line or a
    // glyph allocates nothing once they have grown.
    CZunArrayTempl<double> m_lineType;  // the item's prepared line type
    CZunVertexArray m_line, m_flat;
    CZunDashWork m_dash;
    CZunArrayTempl<CZunVertexArray> m_contours;
    // The pattern definitions used in this paint by name, looked up once.
    CZunMapTempl<CZunString, ZUN::CPatternLines> m_patterns;
    std::vector<std::uint64_t> m_hatchKey;
};
