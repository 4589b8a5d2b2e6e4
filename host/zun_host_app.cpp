#include "host/zun_host_app.h"

#include "contracts/data/zun_files.h"
#include "contracts/data/zun_resbuf.h"
#include "host/zun_outline_image.h"
#include "host/zun_part_image.h"
#include "host/zun_wall_image.h"
#include "images/zun_drill_draw.h"
#include "images/zun_image.h"
#include "images/zun_image_bar.h"
#include "images/zun_image_drill.h"
#include "images/zun_image_fsheet.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <vector>

namespace {

// The outlines are taken at this pixel size and scaled down afterwards:
// Qt flattens curves to within half a unit, so a large size keeps the
// curves of small texts round.
constexpr int kOutlinePixelSize = 256;

ZUN::CHatchPatternLib loadShippedPatterns(CZunString& error)
{
    ZUN::CHatchPatternLib patterns;
    const CZunString path = ZUN::fileFind(L"data/zun.pat");
    if (path.isEmpty())
        error = L"data/zun.pat: not found in the data folders";
    else
        patterns.load(path, &error);
    return patterns;
}

} // namespace

CZunHostApp::CZunHostApp()
{
    // A light drawing area: parts read best dark on white in pictures and documents.
    bkColorSet(0xFFFFFF);
    setNumberFormat(2, 2);
    // Loaded now rather than on first hatch, so that a broken pattern file
    // is known (and can be shown) when the host starts.
    setHatchPatterns(loadShippedPatterns(m_patternError));
    // Drillings are drawn by the application, as seen from above.
    setPartDrawer(zunDrillPartImageDraw);
    registerFunction(kTextToRegions, &CZunHostApp::textToRegions);
}

namespace {

struct Registration {
    const wchar_t* type;
    ZunGdxImageFcn fcn;
};

// Filled as generators exist; one place for every program of the host.
const Registration kGenerators[] = {
    {L"DRILL", zunHostDrillImage},
    {L"HOLE", zunHostHoleImage},
    {L"SHEET", zun_gdx_image_fsheet},
    {L"BAR", zun_gdx_image_bar_surface},
    {L"WALL", zunHostWallImage},
    {L"OUTLINE", zunHostOutlineImage},
};

} // namespace

void CZunHostApp::registerGenerators()
{
    for (const Registration& r : kGenerators)
        setGdxImageFcn(r.type, r.fcn);
}

CZunArrayTempl<CZunString> CZunHostApp::partTypes()
{
    CZunArrayTempl<CZunString> types;
    for (const Registration& r : kGenerators)
        types.append(r.type);
    return types;
}

// ---- texts as regions of a real font ---------------------------------------

namespace {

struct Outline {
    QPolygonF points;
    // Kept to pass over outlines that cannot enclose another before the
    // point test: a line of text holds dozens of outlines, each tested
    // against every other.
    QRectF bounds;
    int depth = 0;
};

// The closed outlines of a path, without the repeated closing point; dots
// and slivers that enclose nothing are dropped.
std::vector<Outline> closedOutlines(const QPainterPath& path)
{
    std::vector<Outline> outlines;
    for (QPolygonF polygon : path.toSubpathPolygons()) {
        if (polygon.size() > 1 && polygon.first() == polygon.last())
            polygon.removeLast();
        double area2 = 0.0;
        for (qsizetype i = 0; i < polygon.size(); ++i) {
            const QPointF& a = polygon[i];
            const QPointF& b = polygon[(i + 1) % polygon.size()];
            area2 += a.x() * b.y() - b.x() * a.y();
        }
        if (polygon.size() >= 3 && std::abs(area2) > 1e-6)
            outlines.push_back({polygon, polygon.boundingRect(), 0});
    }
    return outlines;
}

bool encloses(const Outline& outer, const Outline& inner)
{
    return &outer != &inner && outer.bounds.contains(inner.points.first()) &&
           outer.points.containsPoint(inner.points.first(), Qt::OddEvenFill);
}

// Depth = how many outlines enclose an outline: even depths bound filled
// areas, odd depths are their holes (the even-odd rule).
void measureDepths(std::vector<Outline>& outlines)
{
    for (Outline& inner : outlines)
        for (const Outline& outer : outlines)
            if (encloses(outer, inner))
                ++inner.depth;
}

CZunVertexArray toContour(const QPolygonF& polygon, double scale)
{
    CZunPoint3dArray points;
    points.reserve(static_cast<int>(polygon.size()));
    // Font outlines run with y downwards; drawings with y upwards.
    for (const QPointF& p : polygon)
        points.append(CZunPoint3d(p.x() * scale, -p.y() * scale, 0.0));
    return CZunVertexArray::fromPoints(points, true);
}

// The outline with depth - 1 that encloses a hole: the filled area it is cut from.
int holeOwner(const std::vector<Outline>& outlines, size_t hole)
{
    for (size_t i = 0; i < outlines.size(); ++i)
        if (outlines[i].depth == outlines[hole].depth - 1 && encloses(outlines[i], outlines[hole]))
            return static_cast<int>(i);
    return -1;
}

// Fonts without a cap height in their tables get the usual share of the ascent.
double capHeightOf(const QFontMetricsF& metrics)
{
    return metrics.capHeight() > 0.0 ? metrics.capHeight() : metrics.ascent() * 0.7;
}

// The shift that puts the insertion point where an alignment code wants it:
// first letter T(op), C(entre) or B(aseline), second L(eft), C(entre) or R(ight).
CZunVector3d alignShift(const CZunString& align, double width, double height)
{
    const std::string code = align.toUtf8();
    if (code.size() != 2)
        return {};
    const double dy = code[0] == 'T' ? -height : code[0] == 'C' ? -height / 2.0 : 0.0;
    const double dx = code[1] == 'R' ? -width : code[1] == 'C' ? -width / 2.0 : 0.0;
    return {dx, dy, 0.0};
}

} // namespace

double CZunHostApp::textWidth(const QString& text, const QFont& font, double capHeight)
{
    QFont big(font);
    big.setPixelSize(kOutlinePixelSize);
    const QFontMetricsF metrics(big);
    return metrics.horizontalAdvance(text) * capHeight / capHeightOf(metrics);
}

CZunRegionList CZunHostApp::textRegions(const QString& text, const QFont& font, double capHeight)
{
    QFont big(font);
    big.setPixelSize(kOutlinePixelSize);
    QPainterPath path;
    path.addText(0.0, 0.0, big, text);
    std::vector<Outline> outlines = closedOutlines(path);
    measureDepths(outlines);

    const double scale = capHeight / capHeightOf(QFontMetricsF(big));

    CZunRegionList regions;
    std::vector<int> regionOf(outlines.size(), -1);
    for (size_t i = 0; i < outlines.size(); ++i) {
        if (outlines[i].depth % 2 != 0)
            continue;
        regionOf[i] = regions.len();
        regions.append(CZunContourSet{toContour(outlines[i].points, scale)});
    }
    for (size_t i = 0; i < outlines.size(); ++i) {
        if (outlines[i].depth % 2 == 0)
            continue;
        const int owner = holeOwner(outlines, i);
        if (owner >= 0 && regionOf[owner] >= 0)
            regions[regionOf[owner]].append(toContour(outlines[i].points, scale));
    }
    return regions;
}

int CZunHostApp::textToRegions(const ZUN::CZunRbList& args, ZUN::CZunRbList& result)
{
    result.clear();
    if (args.len() < 2 || args.get(-1).type != kRtReal || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return kRtError;
    const double height = args.get(-1).real;
    ZUN::CZunRbList itemList = args;
    itemList.removeAt(itemList.len() - 1);
    CZunDataItem item(true);
    CZunString text;
    if (!(height > 0.0) || !ZUN::fromRb(itemList, item) || !item.get(text, L"TEXT"))
        return kRtError;

    CZunString family = CZunString::fromUtf8(kDefaultFont);
    CZunString align = L"BL";
    bool bold = false, italic = false;
    double angle = 0.0;
    CZunPoint3d pos;
    item.get(family, L"FONT");
    item.get(bold, L"BOLD");
    item.get(italic, L"ITALIC");
    item.get(angle, L"ANGLE");
    item.get(pos, L"POS");
    item.get(align, L"ALIGN");

    QFont font(QString::fromStdString(family.toUtf8()));
    font.setBold(bold);
    font.setItalic(italic);
    const QString qtext = QString::fromStdString(text.toUtf8());
    CZunRegionList regions = textRegions(qtext, font, height);
    CZunMatrix3d place, shift;
    place.setToTranslation(pos.asVector());
    shift.setToTranslation(alignShift(align, textWidth(qtext, font, height), height));
    place = place * CZunMatrix3d().setToRotation(angle) * shift;
    for (CZunContourSet& region : regions)
        for (CZunVertexArray& contour : region)
            contour.transformBy(place);
    result = ZUN::regionsToList(regions);
    return kRtNorm;
}
