#pragma once

#include "gdx/zun_gdx.h"
#include "render/paint/zun_cdc.h"
#include "render/paint/zun_item_boxes.h"
#include "render/paint/zun_shift_trace.h"
#include "contracts/base/zun_map.h"
#include "render/core/zun_dashing.h"
#include "render/core/zun_unit_lengths.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
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

    explicit CZunPainter(CDC& dc);
    ~CZunPainter();
    CZunPainter(const CZunPainter&) = delete;
    CZunPainter& operator=(const CZunPainter&) = delete;
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

    // Boxes the caller keeps between paints of one list. With them, items
    // that cannot reach the device (or the marked tiles, with a paint mask)
    // are passed over on screen (never in a metafile, which is drawn whole).
    void setItemBoxes(CZunItemBoxes* boxes) { m_boxes = boxes; }
    // Paints only the marked tiles of the device right: only they are
    // filled with the background, and with item boxes the items that meet
    // none of them are passed over. The items that reach them are drawn
    // whole and clipped to the device as in any paint (a clip at a tile's
    // edge would cut lines elsewhere and change their pixels), so outside
    // the tiles the device holds scraps: a caller paints this way on a
    // spare image and copies the tiles. The mask must be sealed and outlive
    // the paint.
    void setPaintMask(const CZunTileMask* mask) { m_mask = mask; }
    // After the zoom moved by (dx, dy) pixels, marks in mask (sized to the
    // device) the pixels that must be painted again, besides the strips
    // the shift uncovers, for the shifted old picture to equal a new one:
    // the pixels of the pieces (line pieces, dash runs, hatch lines, fills,
    // marks) that reach from the part the old picture still covers to
    // beyond it, since their lines are cut at other edges and their
    // coordinates truncated on the other side of zero. Items wholly inside
    // or wholly apart from that part are not looked into. False when no
    // such part can be told: pictures (they stay in place in the window) or
    // items of unknown extent, and as soon as the mask is over its limit,
    // without looking at any item when the strips added to it already are.
    // Needs the item boxes.
    bool shiftRepaintMask(CZunGDX& gdx, int dx, int dy, CZunTileMask& mask);
    // Threads that make the hatch lines a paint lacks before it draws: 0
    // for one per core (the default), 1 for the painting thread alone. The
    // picture is the same whatever the count: each region's lines depend
    // on that region alone, and the drawing keeps the list's order.
    void setHatchThreads(int threads) { m_hatchThreads = threads; }
    // Items drawn by the last paint, and those passed over as out of sight.
    int itemsDrawn() const { return m_itemsDrawn; }
    int itemsCulled() const { return m_itemsCulled; }
    // Items the last shiftRepaintMask looked at before it was done or gave up.
    int itemsTraced() const { return m_itemsTraced; }
    // Items the last paint's hatch preparation read: none when it had no
    // helper threads, or when it kept the item boxes' record that the paint
    // before had the same list, matrices, device and target.
    int hatchItemsRead() const { return m_hatchItemsRead; }

private:
    struct ItemContext;
    struct HatchJobs;

    void paintList(CZunGDX& gdx);
    // What every paint settles first: device area, clip, background colour,
    // the list's order, its boxes and the screen matrices.
    void prepare(CZunGDX& gdx);

    void computeScreenMatrices(const CZunGDX& gdx);
    const CZunMatrix3d& itemScreenMatrix(const CZunGDX& gdx, int i);
    ZunRgb itemColor(const CZunGDX& gdx, int i, int& mode) const;
    // Into m_lineType.
    void prepareLineType(const CZunGDX& gdx, int i);

    void drawItem(const CZunGDX& gdx, int i);
    // Whether item i, drawn through toScreen, cannot reach the device or,
    // with a paint mask, any of its marked tiles.
    bool outOfSight(const CZunGDX& gdx, int i, const CZunMatrix3d& toScreen) const;
    // The device pixels item i can touch through toScreen; false when that
    // cannot be told.
    bool deviceBox(const CZunGDX& gdx, int i, const CZunMatrix3d& toScreen, ZunIRect& out) const;
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
    // Sets helper threads making the hatch lines of the regions this paint
    // will hatch and the hatch cache lacks, while the paint draws. Skipped
    // when the item boxes record a preparation for the same inputs and the
    // cache has lost nothing since.
    void prepareHatches(const CZunGDX& gdx);

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
    const CZunTileMask* m_mask = nullptr;  // tiles to paint; else the whole client
    CZunItemBoxes* m_boxes = nullptr;
    int m_itemsDrawn = 0;
    int m_itemsCulled = 0;
    int m_itemsTraced = 0;
    int m_hatchItemsRead = 0;
    int m_hatchThreads = 0;
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
    std::unique_ptr<HatchJobs> m_hatchJobs;  // during a paint with helpers
};
