#include "host/zun_part_image.h"

#include "contracts/data/zun_dta.h"
#include "images/zun_image_drill.h"
#include "images/zun_image.h"
#include "render/paint/zun_painter.h"
#include "render/paint/zun_viewfit.h"
#include "render/emf/zun_emf_refresh.h"
#include "render/qt/zun_bitmap.h"
#include "render/qt/zun_cdc_qt.h"
#include "render/qt/zun_qstring.h"

#include <algorithm>
#include <cmath>
#include <vector>

bool zunPartImageBuild(const ZUN::CZunPart& part, CZunGDX& gdx, QString* reason)
{
    CZunDataItem info(true);
    return zunPartImageBuild(part, gdx, info, reason);
}

bool zunPartImageBuild(const ZUN::CZunPart& part, CZunGDX& gdx, CZunDataItem& info, QString* reason)
{
    const auto fail = [&](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    const QString type = fromZun(part.type);
    if (zunGdxImageTypes().indexOf(part.type) < 0)
        return fail(QStringLiteral("no generator draws parts of type '%1'").arg(type));
    const ZUN::CAdsName name = ZUN::drawingCurrent().entityName(part);
    ZUN::CUniqPointer<ZUN::CDtaFilePointer> data = ZUN::dtaOpen(ZUN::kDtaEntity, ZUN::kDtaRead, &name, nullptr, nullptr);
    ZUN::CUniqPointer<ZUN::CDtaFilePointer> options = ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead | ZUN::kDtaWrite,
                                                                   nullptr, nullptr, nullptr);
    if (!data || !options)
        return fail(QStringLiteral("its data cannot be opened"));
    // A bar is drawn within its construction group: the part names both.
    CZunString text;
    for (const wchar_t* key : {L"GRP", L"BT"})
        if (part.data.get(text, key))
            options->get()->set(text.c_str(), key);
    if (!zun_gdx_image(part.type.c_str(), &gdx, data.get(), options.get()))
        return fail(QStringLiteral("the %1 generator found its data incomplete or unusable").arg(type));
    info.clear();
    if (const CZunDataItem* told = options->get()->getItem(L"INFO"); told && told->isDir())
        info = *told;
    return true;
}

QImage zunPaintFitted(CZunGDX& gdx, int width, int height)
{
    zunFitToWindow(gdx, height, width);
    gdx.zoomMtxSet(CZunMatrix3d());
    QImage image(width, height, QImage::Format_RGB32);
    CZunQtDC dc(image);
    CZunPainter painter(dc);
    painter.setBitmapSource(zunPictureBitmaps());
    painter.paint(&gdx);
    return image;
}

QString zunPartFileName(const ZUN::CZunPart& part)
{
    QString name = QString::fromStdString((part.name.isEmpty() ? part.handle : part.name).toUtf8());
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != '-' && c != '_' && c != '.')
            c = '_';
    return name.isEmpty() ? QStringLiteral("part") : name;
}

// ---- openings of filled plates ---------------------------------------------------

namespace {

// Flattening of arcs for the tests below: fine against a plate's size,
// coarse enough to keep a circle at a few dozen points.
constexpr double kChordFraction = 0.002;

constexpr unsigned long kFilled = gdxFlagFill | gdxFlagHatch;

// A closed contour of the list in world coordinates, with the points the
// tests below use.
struct Shape {
    int item = -1;
    bool isRegion = false;
    CZunVertexArray world;
    CZunPoint3dArray points;
    double area = 0.0;
    double size = 0.0;  // the larger side of its extents
};

double areaOf(const CZunPoint3dArray& p)
{
    double twice = 0.0;
    for (int i = 0; i < p.len(); ++i) {
        const CZunPoint3d& a = p.get(i);
        const CZunPoint3d& b = p.get((i + 1) % p.len());
        twice += a.x * b.y - b.x * a.y;
    }
    return std::abs(twice) / 2.0;
}

double segmentDistance(const CZunPoint3d& p, const CZunPoint3d& a, const CZunPoint3d& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double lengthSq = dx * dx + dy * dy;
    const double t = lengthSq > 0.0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSq, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Whether p lies inside the polygon or within tol of its boundary.
bool insideOrOn(const CZunPoint3d& p, const CZunPoint3dArray& polygon, double tol)
{
    bool inside = false;
    for (int i = 0, j = polygon.len() - 1; i < polygon.len(); j = i++) {
        const CZunPoint3d& a = polygon.get(i);
        const CZunPoint3d& b = polygon.get(j);
        if (segmentDistance(p, a, b) <= tol)
            return true;
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

bool within(const Shape& inner, const Shape& outer)
{
    const double tol = outer.size * kChordFraction;
    return std::all_of(inner.points.begin(), inner.points.end(),
                       [&](const CZunPoint3d& p) { return insideOrOn(p, outer.points, tol); });
}

bool makeShape(const CZunDisplayItem& item, int index, Shape& shape)
{
    const CZunVertexArray* contour = nullptr;
    if (item.type == objVl)
        contour = &item.vl;
    else if (item.type == objReg && !item.reg.isEmpty())
        contour = &item.reg.get(0);
    // Anchored items keep their size on screen: they open nothing.
    if (!contour || contour->len() < 1 || !contour->isClosed() || (item.flag & gdxFlagAnchored))
        return false;
    shape.item = index;
    shape.isRegion = item.type == objReg;
    shape.world = contour->getTransformedCopy(item.mtx);
    CZunPoint3d lo, hi;
    if (!shape.world.extents(lo, hi))
        return false;
    shape.size = std::max(hi.x - lo.x, hi.y - lo.y);
    shape.points = shape.world.pts(true, shape.size * kChordFraction);
    shape.area = areaOf(shape.points);
    return shape.area > 0.0;
}

} // namespace

int zunCutOpenings(CZunArrayTempl<CZunDisplayItem>& items)
{
    std::vector<Shape> shapes;
    for (int i = 0; i < items.len(); ++i) {
        Shape shape;
        if (makeShape(items.get(i), i, shape))
            shapes.push_back(std::move(shape));
    }
    // Largest first: an opening is taken before the circles inside it.
    std::stable_sort(shapes.begin(), shapes.end(), [](const Shape& a, const Shape& b) { return a.area > b.area; });

    std::vector<int> unfill;
    int made = 0;
    for (const Shape& plate : shapes) {
        const CZunDisplayItem& plateItem = items.get(plate.item);
        if (!plate.isRegion || !(plateItem.flag & kFilled))
            continue;
        std::vector<const Shape*> openings;
        for (const Shape& shape : shapes) {
            // The plate's own outline (its contour drawn as a line as well)
            // and whatever is not inside it are no openings of it; nor is
            // a shape inside an opening taken already, or the same again.
            if (shape.item == plate.item || shape.area >= plate.area * (1.0 - kChordFraction) || !within(shape, plate))
                continue;
            const auto taken = std::find_if(openings.begin(), openings.end(),
                                            [&](const Shape* o) { return within(shape, *o); });
            if (taken == openings.end()) {
                openings.push_back(&shape);
            } else if (shape.isRegion && within(**taken, shape)) {
                // The opening's own region (a slot drawn as a line and as a
                // filled region): it must not fill the hole again. Smaller
                // regions inside an opening are left as they are: an island
                // of the plate in a ring-shaped cut is still plate.
                unfill.push_back(shape.item);
            }
        }
        CZunDisplayItem& target = items[plate.item];
        const CZunMatrix3d toPlate = target.mtx.inverse();
        for (const Shape* opening : openings) {
            target.reg.append(opening->world.getTransformedCopy(toPlate));
            if (opening->isRegion)
                unfill.push_back(opening->item);
            ++made;
        }
    }
    for (int i : unfill)
        items[i].flag &= ~static_cast<std::uint32_t>(kFilled);
    return made;
}

namespace {

// Puts an item of another list into gdx through the operation that made
// it, so that gdx's extents take it in.
void addItem(CZunGDX& gdx, const CZunDisplayItem& item)
{
    switch (item.type) {
    case objVl:
        gdx.imageVl(item.stack, item.flag, item.vl, item.color, item.mtx, item.linetype, item.ltscale, item.thickn,
                    item.point);
        break;
    case objPt:
        gdx.imagePt(item.stack, item.flag, item.point, item.color, item.mtx, item.pdSize, item.pdMode,
                    item.vl.isEmpty() ? CZunPoint3d::kOrigin : item.vl.get(0).start());
        break;
    case objReg:
        gdx.imageReg(item.stack, item.flag, item.reg, item.color, item.mtx, item.linetype, item.ltscale, item.thickn,
                     item.fcolor, item.hatch, item.point);
        break;
    default:
        // Texts and pictures (no hole picture has them) go over as they are.
        gdx.addDisplayList({item});
        break;
    }
}

} // namespace

namespace {

// The directory for a group's description in the options, or null when
// the caller gave no options to write into.
CZunDataItem* infoOf(ZUN::CDtaFilePointer* opts, int group)
{
    CZunDataItem* root = opts ? opts->get() : nullptr;
    CZunDataItem* info = root && root->isDir() ? root->mkDir(L"INFO") : nullptr;
    return info ? info->mkDir(CZunDataKey(group)) : nullptr;
}

void describeHoleChild(CZunDataItem& info, const CZunItemKey& key, const CZunDataItem& child)
{
    CZunString type;
    child.get(type, L"TYPE");
    info.set(key.toString().c_str(), L"NAME");
    info.set(type == L"DRILL" ? L"DRILL" : type == L"OUTLINE" ? L"OUTLINE" : L"CONTOURS", L"TYPE");
    if (const CZunDataItem* gen = child.getItem(L"GEN"))
        info.setItem(L"GEN", *gen);
}

// Draws the pattern's sub-parts one at a time, each a group of its own
// numbered in the pattern's order, and describes each. False when the
// module's generator fails.
bool drawHoleChildrenApart(const CZunDataItem& root, ZUN::CDtaFilePointer* opts, CZunGDX& drawn,
                           CZunArrayTempl<CZunDisplayItem>& items)
{
    // The pattern without its sub-parts, then with one at a time.
    CZunDataItem single(root);
    single.remove(L"BT");
    int group = 0;
    for (const CZunItemKey& key : root.getDir(L"BT")) {
        const CZunDataItem* child = root.getItem({L"BT", key});
        if (!child)
            continue;
        CZunDataItem* bt = single.mkDir(L"BT");
        bt->clear();
        bt->setChild(key, *child);
        ZUN::CUniqPointer<ZUN::CDtaFilePointer> handle =
            ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead, nullptr, nullptr, &single);
        drawn.clear();
        if (!handle || !zun_gdx_image_hole(&drawn, handle.get(), opts))
            return false;
        if (drawn.lenGet() == 0)
            continue;
        ++group;
        for (CZunDisplayItem item : drawn.getDisplayList()) {
            CZunGDX::Stack stack{group};
            for (int level : item.stack)
                stack.append(level);
            item.stack = stack;
            items.append(std::move(item));
        }
        if (CZunDataItem* info = infoOf(opts, group))
            describeHoleChild(*info, key, *child);
    }
    return true;
}

} // namespace

bool zunHostHoleImage(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts)
{
    if (!gdx)
        return false;
    // Drawn apart first: the openings are known only once the whole
    // pattern is drawn, and gdx may hold other parts already.
    CZunGDX drawn(*gdx);
    drawn.clear();
    CZunArrayTempl<CZunDisplayItem> items;
    const CZunDataItem* root = part ? part->get() : nullptr;
    if (root && root->getItem(L"BT")) {
        if (!drawHoleChildrenApart(*root, opts, drawn, items))
            return false;
    } else {
        // Without a pattern the module asks the user for one.
        if (!zun_gdx_image_hole(&drawn, part, opts))
            return false;
        items = drawn.getDisplayList();
    }
    zunCutOpenings(items);
    gdx->reserve(gdx->lenGet() + items.len());
    for (const CZunDisplayItem& item : items)
        addItem(*gdx, item);
    return true;
}

bool zunHostDrillImage(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts)
{
    if (!zun_gdx_image_drill(gdx, part, opts))
        return false;
    const CZunDataItem* root = part ? part->get() : nullptr;
    const CZunDataItem* gen = root ? root->getItem(L"GEN") : nullptr;
    CZunDataItem* info = gen ? infoOf(opts, 1) : nullptr;
    if (info) {
        info->set(L"DRILL", L"TYPE");
        info->setItem(L"GEN", *gen);
    }
    return true;
}
