#pragma once

#include "gdx/zun_gdx.h"
#include "render/zun_cdc.h"

#include <functional>

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
    // paints nothing at all, an empty one the background only.
    void paint(CZunGDX* gdx);

private:
    struct ItemContext;

    void computeScreenMatrices(const CZunGDX& gdx);
    CZunMatrix3d itemScreenMatrix(const CZunGDX& gdx, int i) const;
    ZunRgb itemColor(const CZunGDX& gdx, int i, int& mode) const;
    CZunArrayTempl<double> preparedLineType(const CZunGDX& gdx, int i) const;

    void drawItem(const CZunGDX& gdx, int i);
    void drawPoint(const CZunGDX& gdx, const ItemContext& c);
    void drawPicture(const CZunGDX& gdx, const ItemContext& c);
    void drawText(const CZunGDX& gdx, const ItemContext& c);
    void drawRegion(const CZunGDX& gdx, const ItemContext& c);
    void drawPolyline(const CZunGDX& gdx, const ItemContext& c);
    // Dashes a line in view-direction space and draws it through m, short
    // pieces of a dashed line as single pixels.
    void drawDashed(CZunVertexArray line, const ItemContext& c, const CZunMatrix3d& m);

    // A straight vertex as one line; an arc as chords no further than half a
    // pixel from it. Coordinates are truncated toward zero.
    void drawVertex(const CZunVertex& v);
    void setPixel(const CZunPoint3d& p, ZunRgb color);
    // Fills contour 0 by the alternate rule with the other contours cut out.
    void fillContours(const CZunArrayTempl<CZunVertexArray>& contours, const CZunMatrix3d& m, ZunRgb color);
    void polygonPoints(const CZunVertexArray& contour, const CZunMatrix3d& m, std::vector<ZunIPoint>& out) const;
    void restoreClip();

    CDC& m_dc;
    BitmapSource m_bitmaps;
    ZunIRect m_client;
    ZunRgb m_background = 0;
    CZunMatrix3d m_screen;      // zoom x view x projection
    CZunMatrix3d m_fixedSize;   // for items drawn at a fixed size about an anchor
    double m_shortPiece = 0.0;  // pieces shorter than this become pixels
    double m_dotLength = 0.0;   // length of a dot of a line type
    std::vector<ZunIPoint> m_points;  // reused polygon buffer
};
