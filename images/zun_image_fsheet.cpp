#include "images/zun_image_fsheet.h"

#include "contracts/data/zun_attribute.h"
#include "contracts/data/zun_fsheet.h"
#include "contracts/data/zun_layer.h"
#include "contracts/data/zun_units.h"
#include "contracts/data/zun_view.h"

#include <cmath>

namespace {

using Texts = CZunArrayTempl<CZunString>;

// One axis per segment boundary of the longest sheet drawn. A sheet
// without segment width still reads "N", and must not keep a preview busy
// drawing axes that lie on top of each other.
constexpr int kMaxAxisCopies = ZUN::kFsheetMaxSegments + 1;

const CZunArrayTempl<double>& continuous()
{
    static const CZunArrayTempl<double> line{1.0};
    return line;
}

// A layer that is not in the drawing leaves "no colour", which the painter
// shows in the contrast colour rather than in an invented one.
CZunColor physColor(const CZunString& layer)
{
    ZUN::CPhysLayerProp prop;
    CZunLayerMgr().physLayerPropGet(layer, prop);
    return prop.color;
}

CZunString textOf(const CZunDataItem* item, const CZunDataKey& key, const CZunString& fallback = {})
{
    CZunString value = fallback;
    item->get(value, key);
    return value;
}

bool flagOf(const CZunDataItem* item, const CZunDataKey& key, bool fallback = false)
{
    bool value = fallback;
    item->get(value, key);
    return value;
}

double numberOf(const CZunDataItem* item, const CZunDataKey& key, double fallback = 0.0)
{
    double value = fallback;
    item->get(value, key);
    return value;
}

// Addresses are text arrays; older parts hold a single text, which is an
// address of one component.
Texts addressOf(const CZunDataItem* item)
{
    Texts stack;
    if (!item->get(stack, L"STACK")) {
        CZunString one;
        if (item->get(one, L"STACK"))
            stack.append(one);
    }
    return stack;
}

// What the part asks for, read once before any geometry is made.
struct Look {
    CZunString draw;
    ZUN::CHatchProp hatch;
    CZunColor con, fill, axis;
    CZunColor surface1, surface2;
    bool surface1Found = false, surface2Found = false;
    bool axes = false, coatline = false, hatch2 = false, coord = false;
    double seg = 0.0, n = 1.5;
};

Look readLook(const CZunDataItem* work, ZUN::CDtaFilePointer* opts)
{
    Look look;
    look.axes = flagOf(work, L"AXIS");
    look.coatline = flagOf(work, L"COATLINE");
    look.hatch2 = flagOf(work, L"IS_HATCH2");
    work->get(look.draw, L"DRAW");
    if (look.draw == L"S")
        look.hatch = ZUN::CHatchProp(textOf(work, L"HPNAME"), numberOf(work, L"HPANG"),
                                     numberOf(work, L"HPSCALE", 1.0), false);
    if (look.coatline) {
        look.surface1Found = work->get(look.surface1, {L"SURFACE", L"1"});
        look.surface2Found = work->get(look.surface2, {L"SURFACE", L"2"});
    }
    const CZunString conLayer = textOf(work, L"PART_CON", L"0");
    look.con = physColor(conLayer);
    look.fill = physColor(textOf(work, L"PART_FILL", conLayer));
    if (look.axes)
        look.axis = physColor(textOf(work, L"PART_CEN", L"0"));
    if (const CZunDataItem* o = opts ? opts->get() : nullptr)
        look.coord = flagOf(o, L"COORD");
    return look;
}

// Appends the items; all of them sit in the empty stack with the identity
// matrix, since a sheet image is always shown alone.
class SheetDraw {
public:
    SheetDraw(CZunGDX& gdx, const Look& look) : m_gdx(gdx), m_look(look) {}

    // One item per contour, as "DRAW" asks.
    void contours(const CZunContourSet& contours) const
    {
        for (const CZunVertexArray& c : contours) {
            if (m_look.draw == L"L")
                region({c}, gdxFlagFill | gdxFlagOutline, m_look.con, m_look.fill, ZUN::CHatchProp());
            else if (m_look.draw == L"S")
                region({c}, gdxFlagHatch | gdxFlagOutline, m_look.con, m_look.fill, m_look.hatch);
            else
                line(c, m_look.con);
        }
    }

    void region(const CZunContourSet& contours, unsigned long flag, const CZunColor& color, const CZunColor& fcolor,
                const ZUN::CHatchProp& hatch) const
    {
        m_gdx.imageReg({}, flag, contours, color, CZunMatrix3d(), continuous(), 1.0, 0, fcolor, hatch, {});
    }

    void line(const CZunVertexArray& vl, const CZunColor& color) const
    {
        m_gdx.imageVl({}, 0, vl, color, CZunMatrix3d(), continuous(), 1.0, 0, {});
    }

    // The rib axis once per segment boundary, the last one past the end so
    // that a part-segment at the end still shows where its rib would be.
    void axes(const CZunContourSet& contours, double thickness) const
    {
        CZunVertexArray axis;
        if (!ZUN::fsheet_axis_vl(contours, thickness, axis) || axis.isEmpty())
            return;
        for (int i = 0; i < kMaxAxisCopies && i < m_look.n + 1.0; ++i) {
            CZunMatrix3d shift;
            shift.setToTranslation(CZunVector3d(m_look.seg * i, 0.0, 0.0));
            CZunVertexArray copy = axis;
            line(copy.transformBy(shift), m_look.axis);
        }
    }

    void marker() const
    {
        m_gdx.imagePt({}, static_cast<unsigned long>(ZUN::cModeBase) << gdxFlagColorModeShift,
                      CZunPoint3d::kOrigin, CZunColor(), CZunMatrix3d(), m_gdx.pdSizeGet(), m_gdx.pdModeGet(), {});
    }

private:
    CZunGDX& m_gdx;
    const Look& m_look;
};

// False when the profile refused the sheet as longer than a sheet may be;
// nothing is drawn then.
bool drawSingle(const CZunDataItem* work, const CZunDataItem* sheet, const Look& look, const SheetDraw& draw)
{
    CZunContourSet contours;
    CZunVertexArray surface1, surface2;
    CZunString refused;
    if (sheet->getItem(L"FILLET_P") || sheet->getItem(L"POINTS"))
        ZUN::fsheet_vll_fillet(work, contours, surface1, surface2, &refused);
    else
        ZUN::fsheet_vll_fnc(work, contours, surface1, surface2, &refused);
    if (!refused.isEmpty())
        return false;

    draw.contours(contours);
    if (look.coatline) {
        if (look.surface1Found)
            draw.line(surface1, look.surface1);
        if (look.surface2Found)
            draw.line(surface2, look.surface2);
    }
    if (look.coord && !contours.isEmpty())
        draw.marker();
    if (look.axes)
        draw.axes(contours, numberOf(work, L"S"));
    return true;
}

// Gaskets and insulation are drawn the way the attribute sets of those
// materials say; any other filling takes the part's own layers.
void drawFilling(const CZunDataItem* work, const CZunDataItem* layer, const CZunContourSet& contours,
                 const Look& look, const SheetDraw& draw)
{
    const CZunString type = textOf(layer, L"TYPE");
    CZunString conLayer = L"0", fillLayer = L"0";
    ZUN::CHatchProp hatch;
    if (type == L"GASKET" || type == L"INSULATION") {
        const CZunAttributeMgr attributes(type == L"GASKET" ? L"DICHT" : L"DM");
        attributes.get(L"PART_CON", conLayer);
        attributes.get(L"PART_FILL", fillLayer);
        hatch = ZUN::CHatchProp(attributes.text(L"HPNAME"), attributes.number(L"HPANG"),
                                attributes.number(L"HPSCALE", 1.0), false);
    } else {
        work->get(conLayer, L"PART_CON");
        work->get(fillLayer, L"PART_FILL");
    }
    const CZunColor color = physColor(conLayer);
    if (look.hatch2)
        draw.region(contours, gdxFlagHatch | gdxFlagOutline, color, physColor(fillLayer), hatch);
    else
        draw.region(contours, gdxFlagOutline, color, CZunColor(), ZUN::CHatchProp());
}

// False when a layer was refused as longer than a sheet or a layer may be;
// the layers before it are drawn already then.
bool drawCompound(CZunDataItem* work, const CZunDataItem* sheet, const Look& look, const SheetDraw& draw)
{
    // The filling is cut between the faces of the sheets and around the
    // inserts, so those must come first: the panel's layer keys are
    // ordered that way.
    CZunVertexArray topLine, botLine;
    CZunRegionList inserts;
    const CZunDataItem* sandwich = sheet->getItem(L"SANDWICH");
    if (!sandwich || !sandwich->isDir())
        return true;
    ZUN::CDataIterator it(sandwich);
    while (const CZunDataItem* child = it.next()) {
        const Texts stack = addressOf(child);
        const CZunString side = textOf(child, L"SIDE");
        const bool top = side == L"TOP", bot = side == L"BOT";
        CZunString sid;
        {
            // The gauge variant is the part's, not the layer's.
            ZUN::CUniqPointer<ZUN::CDtaFilePointer> dta =
                ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead | ZUN::kDtaWrite, nullptr, nullptr, work);
            sid = ZUN::fsheet_sid(dta.get());
        }
        const double thickness = numberOf(sheet, {L"THICK", CZunItemKey(sid), bot ? L"S_BOT" : L"S"});
        const CZunMatrix3d placement = ZUN::g_mtx_local(child, ZUN::kUnitDrawing, ZUN::kUnitDrawing);

        const CZunDataItem* layer = ZUN::fsheet_get(work, stack);
        if (!layer || !layer->isDir())
            continue;
        const CZunString calc = textOf(layer, L"CALC");

        CZunDataItem layerWork(*work);
        layerWork.set(CZunDataItem::Value(stack), L"STACK");
        layerWork.set(thickness, L"S");
        layerWork.set(CZunDataItem::Value(placement), L"MTX");

        CZunContourSet contours;
        CZunVertexArray coat;
        CZunString refused;
        if (layer->getItem(L"REGION")) {
            ZUN::fsheet_vll_region(&layerWork, contours, &refused);
        } else if (layer->getItem(L"FILLET_P")) {
            // A panel shows only its outer faces' coats: the top sheet's upper
            // face and the bottom sheet's lower face.
            CZunVertexArray surface1, surface2;
            ZUN::fsheet_vll_fillet(&layerWork, contours, surface1, surface2, &refused);
            coat = bot ? surface2 : surface1;
        } else if (calc == L"OUTLINE" && !topLine.isEmpty() && !botLine.isEmpty()) {
            ZUN::fsheet_vll_outline(topLine, botLine, inserts, contours);
        }
        if (!refused.isEmpty())
            return false;

        if (top)
            topLine = contours.first();
        else if (bot)
            botLine = contours.first();
        else if (calc == L"REGION")
            inserts.append(contours);

        if (calc != L"REGION" && calc != L"OUTLINE") {
            draw.contours(contours);
            if (top) {
                if (look.axes)
                    draw.axes(contours, thickness);
                if (look.coatline && look.surface1Found)
                    draw.line(coat, look.surface1);
                if (look.coord && !contours.isEmpty())
                    draw.marker();
            } else if (bot && look.coatline && look.surface2Found) {
                draw.line(coat, look.surface2);
            }
        } else if (!contours.isEmpty()) {
            drawFilling(work, layer, contours, look, draw);
        }
    }
    return true;
}

} // namespace

bool zun_gdx_image_fsheet(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts)
{
    if (!gdx || !part)
        return false;
    const CZunDataItem* lobj = part->lobjGet();
    if (!lobj)
        return false;
    // The profile functions read "VL", "STACK", "S" and "MTX" from the item
    // they are given; those go into copies so the stored part stays as it is.
    CZunDataItem work(*lobj);
    Look look = readLook(&work, opts);
    CZunString segm = L"F";
    if (const CZunDataItem* o = opts ? opts->get() : nullptr)
        o->get(segm, L"SEGM");

    const CZunDataItem* sheet = ZUN::fsheet_get(&work, addressOf(&work));
    if (!sheet || !sheet->isDir())
        return false;
    look.seg = numberOf(sheet, L"SEG");
    if (segm != L"S")
        sheet->get(look.n, L"N");
    // Without segment data the part's own dimension is all there is to go by.
    const double length = look.n == 0.0 || look.seg == 0.0 ? 5.0 * std::abs(numberOf(&work, L"D"))
                                                           : look.n * look.seg;
    // A sheet longer than a sheet may be is refused before any layer is
    // drawn, so that a panel does not come out with some layers only.
    if (look.seg != 0.0 && !(std::abs(length / look.seg) <= ZUN::kFsheetMaxSegments))
        return false;

    const CZunString calc = textOf(sheet, L"CALC");
    if (look.axes)
        sheet->get(look.axes, L"AXIS");
    if (look.coatline && flagOf(sheet, L"COAT")) {
        // A sheet coated alike on both faces.
        look.surface2 = look.surface1;
        look.surface2Found = look.surface1Found;
    }

    CZunVertexArray run;
    run.append(CZunPoint3d::kOrigin, CZunPoint3d(length, 0.0, 0.0), 0.0);
    work.set(CZunDataItem::Value(run), L"VL");

    const SheetDraw draw(*gdx, look);
    if (calc != L"COMPOUND")
        return drawSingle(&work, sheet, look, draw);
    // A layer may be refused after others are drawn; a panel is drawn into
    // a scratch list first, so that a refused one leaves nothing behind.
    CZunGDX scratch;
    if (!drawCompound(&work, sheet, look, SheetDraw(scratch, look)))
        return false;
    return drawCompound(&work, sheet, look, draw);
}
