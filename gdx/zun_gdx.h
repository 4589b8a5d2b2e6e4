#pragma once

// The display list: a retained, ordered list of graphic items with the state
// needed to show them (background, point style defaults, colour table, four
// matrices, extents). Generators append to it, the painter draws it, viewers
// zoom and pick in it.

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_geometry.h"
#include "contracts/base/zun_obj.h"
#include "contracts/base/zun_string.h"
#include "contracts/base/zun_vertex.h"
#include "contracts/data/zun_color.h"
#include "contracts/data/zun_data_item.h"
#include "contracts/data/zun_hatch.h"

#include <cstdint>

// Kind of a display item. 0 is the type of an item nobody filled (the shared
// item that out-of-range reads return); 4 is never produced. Both are passed
// over by the painter, the extents and picking.
enum ZunDisplayObj : std::int32_t {
    objVl = 1,
    objPt = 2,
    objReg = 3,
    objTxt = 5,
    objPicture = 6,
};

// Property bits 0..7 of the flag word.
inline constexpr unsigned long gdxFlagFill = 0x01;
inline constexpr unsigned long gdxFlagHatch = 0x02;
inline constexpr unsigned long gdxFlagHidden = 0x04;
inline constexpr unsigned long gdxFlagNoExt = 0x08;
inline constexpr unsigned long gdxFlagOutline = 0x10;
inline constexpr unsigned long gdxFlagWindow = 0x20;
inline constexpr unsigned long gdxFlagPicOpt = 0x40;
inline constexpr unsigned long gdxFlagAnchored = 0x80;
// Bits 8..11 hold the colour mode.
inline constexpr unsigned long gdxFlagColorModeMask = 0xF00;
inline constexpr int gdxFlagColorModeShift = 8;
// An item with any of these bits stays out of the extents: it either asked to
// (NoExt) or is drawn at a fixed size about its anchor, so its geometry says
// nothing about where the drawing lies.
inline constexpr unsigned long gdxFlagExtMask = gdxFlagNoExt | gdxFlagAnchored;

// Property codes taken by flagSet, propSet and redraw. The outline pair runs
// the other way from show/hide and ext in/out: its odd code sets the bit.
enum GdxPropCode : unsigned long {
    propShow = 1,
    propHide = 2,
    propExtIn = 3,
    propExtOut = 4,
    propOutlineOn = 5,
    propOutlineOff = 6,
    propWindowOn = 7,
    propWindowOff = 8,
    propPicOptOn = 9,
    propPicOptOff = 10,
};

namespace ZUN {

// Colour mode of an item, stored in bits 8..11 of its flag word. Modes 1..14
// read the display list's colour table (entry m-1); 6..14 have no name and
// are set only through ColorTabSet. Any int may be cast to it (the underlying
// type is fixed) and is taken modulo 16 where it is stored.
enum GdxColorMode : int {
    cModeOwn = 0,
    cModeHighlight = 1,
    cModeRefer = 2,
    cModeAxis = 3,
    cModeBase = 4,
    cModeAux = 5,
    cModeContrast = 15,
};

} // namespace ZUN

// The colour mode inside a flag word (bits 8..11), read and written by name
// rather than by shifts. Any int is taken modulo 16, as the list stores it.
inline constexpr unsigned long gdxFlagOfColorMode(int mode)
{
    return (static_cast<unsigned long>(mode) & 15ul) << gdxFlagColorModeShift;
}
inline constexpr int gdxColorModeOfFlag(unsigned long flag)
{
    return static_cast<int>((flag & gdxFlagColorModeMask) >> gdxFlagColorModeShift);
}
// flag with its colour mode replaced by mode; the other bits stay.
inline constexpr unsigned long gdxFlagWithColorMode(unsigned long flag, int mode)
{
    return (flag & ~gdxFlagColorModeMask) | gdxFlagOfColorMode(mode);
}

// Bits of a point item's display mode (pdMode): the low three bits choose
// the mark at the point, the higher ones add a frame round it.
//   0 a small dot, 1 nothing, 2 a plus, 3 a cross, 4 a tick upward;
//   8 a filled square instead of any mark; 32 a circle; 64 a square.
// A mode with both 1 and 2 is the cross; with 1 but not 2 it draws no mark,
// whatever else of the low bits is set.
inline constexpr unsigned long pdModeDot = 0;
inline constexpr unsigned long pdModeNoMark = 0x01;
inline constexpr unsigned long pdModePlus = 0x02;
inline constexpr unsigned long pdModeCross = pdModeNoMark | pdModePlus;
inline constexpr unsigned long pdModeTick = 0x04;
inline constexpr unsigned long pdModeFilledSquare = 0x08;
inline constexpr unsigned long pdModeCircle = 0x20;
inline constexpr unsigned long pdModeSquare = 0x40;
// The item's own mode is this when the display list's default applies.
inline constexpr unsigned long pdModeUseDefault = 0xFFFFFFFFul;

// One graphic item. A plain record: the display list fills the fields that
// the item's type uses and leaves the others at their initial values, so
// readers (painter, export) can look at the fields directly.
class CZunDisplayItem : public CZunObj {
public:
    CZunDisplayItem() = default;
    CZunDisplayItem(const CZunDisplayItem&) = default;
    CZunDisplayItem& operator=(const CZunDisplayItem&) = default;
    // Declared because the virtual destructor would otherwise suppress them,
    // and lists of a hundred thousand items must move, not copy, when they
    // grow or are reordered.
    CZunDisplayItem(CZunDisplayItem&&) noexcept = default;
    CZunDisplayItem& operator=(CZunDisplayItem&&) noexcept = default;
    virtual ~CZunDisplayItem() = default;

    ZunDisplayObj type = static_cast<ZunDisplayObj>(0);
    // Property bits 0..7, colour mode in bits 8..11.
    std::uint32_t flag = 0;
    // Group numbers, outermost first.
    CZunArrayTempl<int> stack;
    CZunColor color;
    // Dash and gap lengths; the single entry 1.0 is a continuous line.
    CZunArrayTempl<double> linetype;
    double ltscale = 0.0;
    // Point items: the point; texts: insertion point; anchored items: anchor.
    CZunPoint3d point;
    // Point items: display mode, 0xFFFFFFFF for the list's default.
    // Pictures: the resource identifier (0x7FFFFFFF for none).
    std::uint32_t pdMode = 0;
    // Point items: display size, 0.0 for the list's default; negative sizes
    // are in pixels.
    double pdSize = 0.0;
    // Polylines: the polyline. Anchored points and texts: one vertex from the
    // anchor. Pictures: one vertex across the picture rectangle.
    CZunVertexArray vl;
    // Regions: contours, the first one outer.
    CZunArrayTempl<CZunVertexArray> reg;
    CZunMatrix3d mtx;
    // Regions: fill colour, set only for filled or hatched ones.
    CZunColor fcolor;
    // Pen width in pixels.
    std::uint32_t thickn = 0;
    ZUN::CHatchProp hatch;
    // Texts: alignment code; the text (pictures: the file name); the glyph
    // regions, each a list of contours.
    CZunString txtAlign;
    CZunString txt;
    CZunArrayTempl<CZunArrayTempl<CZunVertexArray>> txtRegl;
};

class CZunGDX : public CZunObj {
public:
    using Stack = CZunArrayTempl<int>;
    using Contours = CZunArrayTempl<CZunVertexArray>;
    using Regions = CZunArrayTempl<Contours>;

    // Background from the running application, point style defaults and the
    // colours of modes 1..5 from the configuration "ORV_MENU\COLOR".
    CZunGDX();
    // Takes the six values as they are; the colour table stays empty and the
    // configuration is not read.
    CZunGDX(const CZunColor& backColor, const CZunMatrix3d& projMtx, double pdSize, unsigned long pdMode,
            const CZunPoint3d& extViewMin, const CZunPoint3d& extViewMax);
    CZunGDX(const CZunGDX& other);
    CZunGDX& operator=(const CZunGDX& other);
    CZunGDX(CZunGDX&& other) noexcept;
    CZunGDX& operator=(CZunGDX&& other) noexcept;
    virtual ~CZunGDX();

    // ---- item list ---------------------------------------------------------
    int lenGet() const { return m_displayList.len(); }
    // In drawing order. Valid until the list next changes.
    const CZunArrayTempl<CZunDisplayItem>& getDisplayList() const { return m_displayList; }
    void itemStackGet(Stack& stack, int i) const;
    // Gives item i another stack; the extents do not depend on stacks and
    // stay. False when i addresses no item.
    bool itemStackSet(int i, const Stack& stack);
    // Ascending indices of the items in the subtree of stack.
    Stack StackToItemNr(const Stack& stack) const;
    // Largest first stack entry (0 without any stacked item): callers number
    // a new top-level group stackGet() + 1.
    int stackGet() const;
    // Largest entry directly below stack in its subtree; 0 once an item of
    // exactly that stack follows (see the definition); -1 for no subtree.
    int stackGet(const Stack& stack) const;

    // ---- colour table and defaults -------------------------------------------
    const CZunColor& colorTabGet(ZUN::GdxColorMode m) const;
    bool ColorTabSet(ZUN::GdxColorMode m, const CZunColor& c);
    int ColorTabLenGet() const { return m_colorTab.len(); }
    const CZunColor& backColorGet() const { return m_backColor; }
    void backColorSet(const CZunColor& c)
    {
        m_backColor = c;
        touch();
    }
    unsigned long pdModeGet() const { return m_pdMode; }
    void pdModeSet(unsigned long mode)
    {
        m_pdMode = static_cast<std::uint32_t>(mode);
        touch();
    }
    double pdSizeGet() const { return m_pdSize; }
    void pdSizeSet(double size)
    {
        m_pdSize = size;
        touch();
    }

    // ---- change counts ---------------------------------------------------------
    // Renewed by every edit and every setter, so that a viewer that kept a
    // picture, or anything else worked out from the list, can tell whether
    // it still holds. Counts are drawn from one sequence for the whole
    // process: two lists, or one list before and after an assignment, never
    // share a count unless they hold the same (a copy keeps its original's).
    std::uint64_t changeCountGet() const { return m_changes.all; }
    // The same, except that setting the zoom or view matrix leaves it alone:
    // what a picture shows apart from where in the window it sits. A viewer
    // compares those two matrices itself to tell a pan from an edit.
    std::uint64_t contentChangeCountGet() const { return m_changes.content; }

    // ---- adding items --------------------------------------------------------
    void imageVl(const Stack& stack, unsigned long flag, const CZunVertexArray& vl, const CZunColor& color,
                 const CZunMatrix3d& mtx, const CZunArrayTempl<double>& linetype, double ltscale,
                 unsigned long thickn, const CZunPoint3d& anchor);
    void imagePt(const Stack& stack, unsigned long flag, const CZunPoint3d& pt, const CZunColor& color,
                 const CZunMatrix3d& mtx, double pdSize, unsigned long pdMode, const CZunPoint3d& anchor);
    void imageReg(const Stack& stack, unsigned long flag, const Contours& reg, const CZunColor& color,
                  const CZunMatrix3d& mtx, const CZunArrayTempl<double>& linetype, double ltscale,
                  unsigned long thickn, const CZunColor& fcolor, const ZUN::CHatchProp& hatch,
                  const CZunPoint3d& anchor);
    // Corners in window pixels; equal corners mean the whole window.
    void imagePicture(const Stack& stack, unsigned long flag, const wchar_t* name, int id,
                      const CZunPoint3d& corner1, const CZunPoint3d& corner2);
    // Appends copies; the extents are left as they are.
    bool addDisplayList(const CZunArrayTempl<CZunDisplayItem>& items);
    // Moves the items in after the others and merges the extents of those
    // that count, by the rule the whole list is measured by: the items
    // already there are neither copied nor measured again, so a list built
    // by appending part after part costs what its items cost. False (and
    // nothing added, items left as they were) for no items or on failure.
    bool appendDisplayList(CZunArrayTempl<CZunDisplayItem>&& items);
    // Room for n items in all, so that a generator that knows its count
    // fills the list without regrowing it. Room that cannot be had is not
    // taken; the list then grows as items come.
    void reserve(int n);

    // No exception leaves an operation that adds items: when one fails
    // part-way (memory runs out on a huge list, the host's text function
    // throws), the items and extents are as they were before the call and
    // the operation reports failure as it reports any other (false, or for
    // the operations without a result, no item added).

    // ---- text items -------------------------------------------------------------
    // A text object of the data tree, laid out by the application's
    // "zun_text_to_regl"; false (nothing added) when that fails.
    bool imageTxt(const Stack& stack, unsigned long flag, const CZunDataItem* txt, const CZunColor& color,
                  const CZunMatrix3d& mtx, double height, const CZunPoint3d& anchor);
    // A string laid out with the built-in outline font at point, aligned by
    // a code such as "BL", "CC" or "TR".
    void imageTxt(const Stack& stack, unsigned long flag, const wchar_t* text, const CZunColor& color,
                  const CZunMatrix3d& mtx, const wchar_t* align, const CZunPoint3d& point, const CZunPoint3d& anchor);
    // Change every item of the subtree and lay its outlines out again.
    bool txtSet(const Stack& stack, const wchar_t* text);
    bool txtAlignSet(const Stack& stack, const wchar_t* align);
    void txtPointSet(const Stack& stack, CZunPoint3d point);

    // ---- removing items ------------------------------------------------------
    // Items and extents go; colour table, matrices and defaults stay.
    void clear();
    bool clear(const Stack& stack);
    bool removeItemStack(const Stack& stack);

    // ---- changing items by stack ---------------------------------------------
    bool propSet(const Stack& stack, unsigned long code);
    // An empty stack applies to every item.
    bool redraw(const Stack& stack, unsigned long code);
    bool cModeSet(const Stack& stack, ZUN::GdxColorMode m);
    bool hatchSet(const Stack& stack, const ZUN::CHatchProp& hatch);
    // Re-places the subtree: every item matrix is multiplied on the right by
    // m x inverse(reference matrix), the reference being the group's own item
    // (the first one) or, without one, the subtree's last item.
    bool mtxSet(const Stack& stack, const CZunMatrix3d& m);
    // These two select the exact stack, not the subtree.
    bool pdModeSet(const Stack& stack, unsigned long mode);
    bool pdSizeSet(const Stack& stack, double size);

    // ---- reading items (index rules of CZunArrayTempl) -----------------------
    ZunDisplayObj typeGet(int i) const { return item(i).type; }
    unsigned long flagGet(int i) const { return item(i).flag; }
    const CZunColor& colorGet(int i) const { return item(i).color; }
    const CZunColor& fcolorGet(int i) const { return item(i).fcolor; }
    const CZunArrayTempl<double>& linetypeGet(int i) const { return item(i).linetype; }
    double ltscaleGet(int i) const { return item(i).ltscale; }
    int thicknGet(int i) const { return static_cast<int>(item(i).thickn); }
    const CZunMatrix3d& mtxGet(int i) const { return item(i).mtx; }
    // Effective point style: the item's own unless it defers to the list.
    unsigned long pdModeGet(int i) const;
    double pdSizeGet(int i) const;
    void geomGet(CZunVertexArray& vl, int i) const { vl = item(i).vl; }
    void geomGet(CZunPoint3d& p, int i) const { p = item(i).point; }
    void geomGet(Contours& reg, int i) const { reg = item(i).reg; }
    void geomGet(Regions& regl, int i) const { regl = item(i).txtRegl; }
    bool hatchGet(int i, ZUN::CHatchProp& hatch) const;
    bool pictureGet(int i, CZunString& name, int& id) const;
    const wchar_t* txtGet(int i) const { return item(i).txt.c_str(); }
    const wchar_t* txtAlignGet(int i) const { return item(i).txtAlign.c_str(); }
    CZunPoint3d txtPointGet(int i) const { return item(i).point; }

    // Drawing order: plain regions, other plain items, mode-2 items, mode-1
    // regions, other mode-1 items, pictures; stable within each group.
    void displListSort();

    // ---- matrices and view direction -------------------------------------------
    const CZunMatrix3d& projMtxGet() const { return m_projMtx; }
    const CZunMatrix3d& viewMtxGet() const { return m_viewMtx; }
    const CZunMatrix3d& zoomMtxGet() const { return m_zoomMtx; }
    const CZunMatrix3d& viewDirectionMtxGet() const { return m_viewDirectionMtx; }
    void projMtxSet(const CZunMatrix3d& m);
    void viewMtxSet(const CZunMatrix3d& m)
    {
        m_viewMtx = m;
        touchPlacement();
    }
    void zoomMtxSet(const CZunMatrix3d& m)
    {
        m_zoomMtx = m;
        touchPlacement();
    }
    void viewDirectionMtxSet(const CZunMatrix3d& m);
    void viewDirectionHvcSet(const CZunVector3d& v);
    // One of "P", "N", "S", "O", "W", "NO", "NW", "SO", "SW"; false otherwise.
    bool viewDirectionSet(CZunString name);

    // ---- extents ---------------------------------------------------------------
    bool extmaxGet(CZunPoint3d& min, CZunPoint3d& max) const;
    // Merges the subtree's extents into min and max, which the caller
    // initialises; false when no counted item belongs to the subtree.
    bool extmaxGet(const Stack& stack, CZunPoint3d& min, CZunPoint3d& max) const;
    void extMaxViewSet(const CZunPoint3d& min, const CZunPoint3d& max);
    void extMaxViewSet();
    // The view window when one is set (min differs from max), else the extents.
    void extMaxViewGet(CZunPoint3d& min, CZunPoint3d& max) const;
    // How many items have been measured for extents since this list was
    // made (not carried over by copies): work that should grow with the
    // items added shows here when it measures the earlier ones again.
    std::uint64_t measuredItemCount() const { return m_scratch.measured; }

    // ---- window point and picking -----------------------------------------------
    CZunPoint3d imagePtWc(const CZunPoint3d& p) const;
    // The matrix imagePtWc maps window points with.
    CZunMatrix3d windowToWorldMtx() const;
    // First stack entry of the topmost item within 5.0 of the point, or -1.
    // Leaves the list sorted and reversed (topmost first).
    int imageItemGet(const CZunPoint3d& p);

protected:
    // Runs add, which appends items and merges their extents, so that a
    // throw leaves items and extents as they were; false after a throw.
    // ourItems: the items added were made here, so their rules are checked.
    template <class Add>
    bool guardedAdd(Add&& add, bool ourItems = true) noexcept;
    // In debug builds, asserts what every operation keeps true of the
    // items from index from on and of the extents; nothing otherwise.
    void checkInvariants(int from = 0) const;

    // Lays out item i's glyph outlines from its text, alignment and point.
    void txtReglUpd(int i);

    // Applies one property code to item i; codes 1..10 recompute the extents.
    void flagSet(int i, unsigned long code);
    // Colour mode m & 15 into bits 8..11; bits 12..31 are cleared.
    void cFlagSet(int i, ZUN::GdxColorMode m);
    bool removeItem(int i);

    void refresh_ext();
    void refresh_ext(const CZunPoint3d& p, const CZunMatrix3d& m);
    void refresh_ext(const CZunVertexArray& vl, const CZunMatrix3d& m);
    // projMtx x viewDirectionMtx x item matrix: item coordinates to the
    // space the extents are kept in.
    CZunMatrix3d extMtx(const CZunMatrix3d& itemMtx) const;

    // Renews both change counts; every operation that changes the list or
    // its state calls it (the placement matrices call touchPlacement).
    void touch() { m_changes.renew(); }
    void touchPlacement() { m_changes.renewPlacement(); }

    const CZunDisplayItem& item(int i) const { return m_displayList.get(i); }
    // The item at i, or null when i addresses none (same index rules).
    CZunDisplayItem* itemAt(int i);

    CZunColor m_backColor;
    double m_pdSize = 0.0;
    std::uint32_t m_pdMode = 0;
    CZunMatrix3d m_projMtx;
    CZunMatrix3d m_viewMtx;
    CZunMatrix3d m_zoomMtx;
    CZunPoint3dArray m_ext;
    CZunPoint3d m_extViewMin;
    CZunPoint3d m_extViewMax;
    CZunArrayTempl<CZunDisplayItem> m_displayList;
    CZunArrayTempl<CZunColor> m_colorTab;
    CZunMatrix3d m_viewDirectionMtx;

private:
    // The two change counts. A new list starts with counts of its own; a
    // list moved from takes new ones, since what it showed went elsewhere.
    struct ChangeCounts {
        ChangeCounts() { renew(); }
        ChangeCounts(const ChangeCounts&) = default;
        ChangeCounts& operator=(const ChangeCounts&) = default;
        ChangeCounts(ChangeCounts&& other) noexcept : all(other.all), content(other.content) { other.renew(); }
        ChangeCounts& operator=(ChangeCounts&& other) noexcept
        {
            all = other.all;
            content = other.content;
            other.renew();
            return *this;
        }
        void renew() { all = content = next(); }
        void renewPlacement() { all = next(); }
        static std::uint64_t next();

        std::uint64_t all = 0;
        std::uint64_t content = 0;
    };
    ChangeCounts m_changes;

    // One-vertex work array for the box of a transformed arc, so that the
    // extents of a hundred thousand items need no allocation per item, and
    // the count of items measured. Not part of the list's value: copies
    // start with an empty one.
    struct Scratch {
        Scratch() = default;
        Scratch(const Scratch&) noexcept {}
        Scratch& operator=(const Scratch&) noexcept { return *this; }
        CZunVertexArray vl;
        std::uint64_t measured = 0;
    };
    void mergeExt(const CZunPoint3d& lo, const CZunPoint3d& hi);
    template <class Pred>
    bool removeIf(Pred pred);
    void mergeTextExtents(const CZunDisplayItem& item);
    template <class Change>
    void textChange(const Stack& stack, Change change);
    template <class F>
    int forSubtree(const Stack& stack, F&& f);

    mutable Scratch m_scratch;
};

// Direction vector of a named view ("P" from above, "NO" from north-east...);
// the zero vector for any other name.
CZunVector3d zun_gdx_view_vdir_get(const CZunString& name);
