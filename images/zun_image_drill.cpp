#include "images/zun_image_drill.h"

#include "contracts/data/zun_app.h"
#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_drill.h"
#include "contracts/data/zun_layer.h"
#include "contracts/data/zun_outline.h"
#include "contracts/data/zun_solid.h"
#include "contracts/data/zun_view.h"

namespace {

const CZunArrayTempl<double> kSolidLine{1.0};
// Point items follow the list's own point style.
constexpr double kListPdSize = 0.0;
constexpr unsigned long kListPdMode = 0xFFFFFFFFul;
constexpr int kViewSolid = 3;
constexpr int kActiveMarkerColor = 7;

unsigned long modeFlag(int mode)
{
    return (static_cast<unsigned long>(mode) & 15ul) << gdxFlagColorModeShift;
}

unsigned long modeFlag(ZUN::GdxColorMode mode)
{
    return modeFlag(static_cast<int>(mode));
}

void addMarker(CZunGDX& gdx, const CZunGDX::Stack& stack, unsigned long flag, const CZunPoint3d& at,
               const CZunColor& color)
{
    gdx.imagePt(stack, flag, at, color, CZunMatrix3d(), kListPdSize, kListPdMode, CZunPoint3d::kOrigin);
}

// The isometric direction parts are shown from in previews: from front
// right above, with the plate's x axis running to the right.
CZunMatrix3d solidViewMatrix()
{
    const CZunVector3d x = CZunVector3d(1, 1, 0).normal();
    const CZunVector3d z = CZunVector3d(1, -1, 1).normal();
    return CZunMatrix3d().setCoordSystem(CZunPoint3d::kOrigin, x, z.crossProduct(x), z);
}

bool drawSolid(CZunGDX& gdx, const CZunDataItem* root, const CZunGDX::Stack& stack)
{
    CZun_Solid solid;
    // A definition that does not close into a solid cannot be drawn either.
    if (!root || !ZUN::objModel(root, solid) || !solid.solid())
        return false;
    CZunString layer(L"0");
    root->get(layer, L"PART_SOLID");
    ZUN::CPhysLayerProp prop;
    CZunLayerMgr().physLayerPropGet(layer, prop);

    solid.evaluate(1);
    CZunArrayTempl<CZunVertexArray> visible, hidden;
    solid.project(solidViewMatrix(), false, 1, visible, hidden);
    for (const CZunVertexArray& edge : visible)
        gdx.imageVl(stack, 0, edge, prop.color, CZunMatrix3d(), kSolidLine, 1.0, 0, CZunPoint3d::kOrigin);
    return true;
}

struct HoleStyle {
    CZunString draw;
    CZunColor contour;
    CZunColor fill;
    ZUN::CHatchProp hatch;
};

HoleStyle readHoleStyle(const CZunDataItem& root)
{
    HoleStyle style;
    CZunString conLayer, fillLayer, hatchName;
    double hatchScale = 0.0, hatchAngle = 0.0;
    root.get(style.draw, L"DRAW");
    root.get(conLayer, L"PART_CON");
    root.get(fillLayer, L"PART_FILL");
    root.get(hatchName, L"HPNAME");
    root.get(hatchScale, L"HPSCALE");
    root.get(hatchAngle, L"HPANG");
    style.contour = ZUN::layer_color(conLayer);
    style.fill = ZUN::layer_color(fillLayer);
    style.hatch = ZUN::CHatchProp(hatchName, hatchAngle, hatchScale, false);
    return style;
}

CZunContourSet childContours(const CZunString& type, const CZunDataItem* gen)
{
    CZunContourSet contours;
    if (type.isEmpty()) {
        ZUN::dataItemGet(gen, contours);
    } else if (type == L"OUTLINE") {
        if (gen)
            contours.append(ZUN::g_outline(gen, -1));
    }
    return contours;
}

// The drilling as the application should see it: its derived keys
// regenerated. Drawing must not edit the part (it may be open for reading
// only, and a preview is no reason to change a drawing), so stale keys are
// regenerated on a copy and the stored item is handed over as long as it
// is current.
CZunDataItem* regeneratedDrilling(CZunDataItem* gen, CZunDataItem& scratch)
{
    if (!gen)
        return nullptr;
    scratch = *gen;
    if (!ZUN::objGen(&scratch, 0))
        return gen;
    return ZUN::dataToJson(scratch, 0) == ZUN::dataToJson(*gen, 0) ? gen : &scratch;
}

void drawHoleChild(CZunGDX& gdx, CZunDataItem& child, const HoleStyle& style, const CZunMatrix3d& placement,
                   int mode, bool active, bool coord)
{
    CZunDataItem* gen = child.getItem(L"GEN");
    CZunString type;
    child.get(type, L"TYPE");
    // The child's own "MTX", or its frame from "POS", "XDIR" and "ZDIR".
    const CZunMatrix3d m = placement * ZUN::g_mtx_local(&child, 0, -1);
    const CZunGDX::Stack none;

    if (coord && active)
        addMarker(gdx, none, modeFlag(ZUN::cModeHighlight), CZunPoint3d::kOrigin * m, CZunColor(kActiveMarkerColor));

    if (type == L"DRILL") {
        CZunDataItem scratch(true);
        CZunDataItem* drilling = regeneratedDrilling(gen, scratch);
        CZunDataItem params(true);
        params.set(mode, L"CMODE");
        ZUN::dataItemSet(&params, L"MTX", m);
        zunAppPtr()->partImageDraw(&gdx, drilling, &params);
    } else {
        for (const CZunVertexArray& contour : childContours(type, gen)) {
            // An outline whose parameters make no shape comes back empty.
            if (contour.isEmpty())
                continue;
            const CZunVertexArray placed = contour.getTransformedCopy(m);
            gdx.imageVl(none, modeFlag(mode), placed, style.contour, CZunMatrix3d(), kSolidLine, 1.0, 0,
                        CZunPoint3d::kOrigin);
            // Each contour is a region of its own: holes in a plate are
            // drawn over the plate rather than cut out of it.
            if (style.draw == L"F")
                gdx.imageReg(none, gdxFlagFill | gdxFlagOutline, {placed}, style.contour, CZunMatrix3d(), kSolidLine,
                             1.0, 0, style.fill, ZUN::CHatchProp(), CZunPoint3d::kOrigin);
            else if (style.draw == L"S")
                gdx.imageReg(none, gdxFlagHatch | gdxFlagOutline, {placed}, style.contour, CZunMatrix3d(),
                             kSolidLine, 1.0, 0, style.fill, style.hatch, CZunPoint3d::kOrigin);
        }
    }

    if (coord)
        addMarker(gdx, none, modeFlag(ZUN::cModeBase), CZunPoint3d::kOrigin + placement.translation(), CZunColor());
}

bool isNamedChild(const CZunDataItem& child)
{
    const short keyType = child.getKey().type();
    return keyType == kRtStr || keyType == kRtDxf0;
}

} // namespace

bool zun_gdx_image_drill(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts)
{
    if (!gdx)
        return false;
    int mode = 0;
    CZunMatrix3d mtx;
    bool coord = false;
    CZunGDX::Stack stack;
    const CZunDataItem* options = opts ? opts->get() : nullptr;
    if (options && options->isDir()) {
        options->get(mode, L"CMODE");
        options->get(mtx, L"MTX");
        options->get(coord, L"COORD");
        options->get(stack, L"STACK");
    }
    stack.append(1);

    CZunDataItem* root = part ? part->get() : nullptr;
    int view = 0;
    if (root)
        root->get(view, L"VIEW");
    // The solid view shows the drilled plate as modelled, in its own
    // coordinates; placement and colour mode belong to the plan views.
    if (view == kViewSolid)
        return drawSolid(*gdx, root, stack);

    CZunDataItem params(true);
    params.set(mode, L"CMODE");
    ZUN::dataItemSet(&params, L"MTX", mtx);
    ZUN::dataItemSet(&params, L"STACK", stack);
    zunAppPtr()->partImageDraw(gdx, root, &params);
    if (coord) {
        ++stack.last();
        addMarker(*gdx, stack, modeFlag(ZUN::cModeBase), CZunPoint3d::kOrigin, CZunColor());
    }
    return true;
}

bool zun_gdx_image_hole(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts)
{
    if (!gdx)
        return false;
    // A pattern picked here is opened for this call only.
    ZUN::CUniqPointer<ZUN::CDtaFilePointer> picked;
    if (!part) {
        ZUN::CAdsName entity;
        if (zunAppPtr()->entitySelect(entity, L"HOLE", true))
            picked = ZUN::dtaOpen(ZUN::kDtaEntity, ZUN::kDtaRead | ZUN::kDtaWrite, &entity, nullptr, nullptr);
        part = picked.get();
    }
    CZunDataItem* root = part ? part->get() : nullptr;
    if (!root)
        return true;

    CZunString act;
    CZunMatrix3d placement;
    int cmode = 0;
    bool coord = false;
    if (const CZunDataItem* options = opts ? opts->get() : nullptr) {
        options->get(act, L"ACT");
        options->get(placement, L"MTX");
        options->get(cmode, L"CMODE");
        options->get(coord, L"COORD");
    }
    const HoleStyle style = readHoleStyle(*root);

    ZUN::CDataIterator children(root->getItem(L"BT"));
    while (CZunDataItem* child = children.next()) {
        if (!isNamedChild(*child))
            continue;
        const bool active = child->getKey().toString() == act;
        drawHoleChild(*gdx, *child, style, placement, active ? static_cast<int>(ZUN::cModeHighlight) : cmode, active,
                      coord);
    }
    return true;
}
