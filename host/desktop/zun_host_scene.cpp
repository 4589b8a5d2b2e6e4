#include "host/desktop/zun_host_scene.h"

#include "render/qt/zun_qstring.h"
#include "contracts/data/zun_resbuf.h"
#include "host/desktop/zun_host_highlight.h"
#include "host/zun_host_app.h"
#include "host/zun_part_image.h"
#include "host/desktop/zun_host_texts.h"

#include <algorithm>
#include <cmath>

namespace {

CZunGDX::Stack topStack(int group)
{
    return CZunGDX::Stack{group};
}

// What the user calls a part: its name, else its handle.
QString partLabel(const ZUN::CZunPart& part)
{
    return fromZun(part.name.isEmpty() ? part.handle : part.name);
}

} // namespace

// ---- the shown list ------------------------------------------------------------

void CZunHostScene::show(const CZunGDX& list, std::map<int, QString> groupNames)
{
    show(std::make_shared<const CZunGDX>(list), std::move(groupNames));
}

void CZunHostScene::show(std::shared_ptr<const CZunGDX> list, std::map<int, QString> groupNames)
{
    m_base = list ? std::move(list) : std::make_shared<const CZunGDX>();
    m_names = std::move(groupNames);
    m_modes.clear();
    m_hatches.clear();
    m_highlight = -1;
    // A new picture starts unzoomed; the viewer fits it. (Only the
    // matrices: the items are copied once, by the rebuild.)
    m_shown.viewMtxSet(m_base->viewMtxGet());
    m_shown.zoomMtxSet(m_base->zoomMtxGet());
    rebuild();
}

void CZunHostScene::show(std::shared_ptr<const CZunGDX> list, CZunGDX&& shown, const QString& viewDirection,
                         std::map<int, QString> groupNames)
{
    if (!list || viewDirection != m_direction || shown.lenGet() != list->lenGet()) {
        show(std::move(list), std::move(groupNames));
        return;
    }
    m_base = std::move(list);
    m_names = std::move(groupNames);
    m_modes.clear();
    m_hatches.clear();
    m_highlight = -1;
    // What rebuild() makes of the base without changes, made elsewhere.
    m_shown = std::move(shown);
    m_shown.viewMtxSet(m_base->viewMtxGet());
    m_shown.zoomMtxSet(m_base->zoomMtxGet());
}

void CZunHostScene::clear()
{
    show(CZunGDX(), {});
}

QString CZunHostScene::groupName(int group) const
{
    const auto it = m_names.find(group);
    return it == m_names.end() ? QString() : it->second;
}

std::vector<int> CZunHostScene::groups() const
{
    std::vector<int> found;
    for (const CZunDisplayItem& item : m_base->getDisplayList())
        if (!item.stack.isEmpty())
            found.push_back(item.stack.get(0));
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

ZunDisplayObj CZunHostScene::groupType(int group) const
{
    auto type = static_cast<ZunDisplayObj>(0);
    for (const CZunDisplayItem& item : m_base->getDisplayList()) {
        if (item.stack.isEmpty() || item.stack.get(0) != group)
            continue;
        if (type != 0 && item.type != type)
            return static_cast<ZunDisplayObj>(0);
        type = item.type;
    }
    return type;
}

bool CZunHostScene::hasItems(int group) const
{
    return group < 0 ? m_base->lenGet() > 0 : !m_base->StackToItemNr(topStack(group)).isEmpty();
}

bool CZunHostScene::setViewDirection(const QString& name)
{
    if (zun_gdx_view_vdir_get(toZun(name)).isZeroLength())
        return false;
    m_direction = name;
    rebuild();
    return true;
}

bool CZunHostScene::setColorMode(int group, ZUN::GdxColorMode mode)
{
    if (!hasItems(group))
        return false;
    m_modes.emplace_back(group, mode);
    rebuild();
    return true;
}

CZunGDX::Stack CZunHostScene::hatchedStacksOf(int group) const
{
    CZunGDX::Stack found;
    for (int i = 0; i < m_base->lenGet(); ++i) {
        const CZunDisplayItem& item = m_base->getDisplayList().get(i);
        if (item.type == objReg && (item.flag & gdxFlagHatch) && !item.stack.isEmpty() &&
            (group < 0 || item.stack.get(0) == group))
            found.append(i);
    }
    return found;
}

bool CZunHostScene::setHatchPattern(int group, const CZunString& pattern)
{
    if (hatchedStacksOf(group).isEmpty())
        return false;
    m_hatches.emplace_back(group, pattern);
    rebuild();
    return true;
}

void CZunHostScene::resetStyles()
{
    m_modes.clear();
    m_hatches.clear();
    rebuild();
}

void CZunHostScene::setHighlight(int group)
{
    m_highlight = group;
    rebuild();
}

void CZunHostScene::rebuild()
{
    const CZunMatrix3d view = m_shown.viewMtxGet();
    const CZunMatrix3d zoom = m_shown.zoomMtxGet();
    m_shown = *m_base;
    m_shown.viewDirectionSet(toZun(m_direction));
    for (const auto& [group, mode] : m_modes) {
        if (group >= 0) {
            m_shown.cModeSet(topStack(group), mode);
            continue;
        }
        for (int g : groups())
            m_shown.cModeSet(topStack(g), mode);
    }
    for (const auto& [group, pattern] : m_hatches) {
        // Hatch changes select whole subtrees: the outer stacks go first so
        // that an inner region's own angle and scale win for it.
        std::vector<std::pair<CZunGDX::Stack, ZUN::CHatchProp>> changes;
        for (int i : hatchedStacksOf(group)) {
            ZUN::CHatchProp hatch;
            m_base->hatchGet(i, hatch);
            hatch.setName(pattern);
            changes.emplace_back(m_base->getDisplayList().get(i).stack, hatch);
        }
        std::stable_sort(changes.begin(), changes.end(),
                         [](const auto& a, const auto& b) { return a.first.len() < b.first.len(); });
        for (const auto& [stack, hatch] : changes)
            m_shown.hatchSet(stack, hatch);
    }
    if (m_highlight >= 0)
        zunHighlightGroup(m_shown, m_highlight);
    m_shown.viewMtxSet(view);
    m_shown.zoomMtxSet(zoom);
}

// ---- building lists ---------------------------------------------------------------

void zunGroupLooseItems(CZunGDX& list)
{
    // Stacks do not enter the extents: the items are renumbered in place
    // and nothing is measured again.
    int next = list.stackGet() + 1;
    const int n = list.lenGet();
    for (int i = 0; i < n; ++i)
        if (list.getDisplayList().get(i).stack.isEmpty())
            list.itemStackSet(i, CZunGDX::Stack{next++});
}

namespace {

void transformContours(CZunArrayTempl<CZunVertexArray>& contours, const CZunMatrix3d& m)
{
    for (CZunVertexArray& contour : contours)
        contour.transformBy(m);
}

// Moves an item's geometry by m (see zunAppendPlaced).
void bakePlacement(CZunDisplayItem& item, const CZunMatrix3d& m)
{
    const CZunVector3d xAxis = CZunVector3d::kXAxis * m;
    const double scale = xAxis.length();
    switch (item.type) {
    case objVl:
        item.vl.transformBy(m);
        break;
    case objPt:
        item.point = m * item.point;
        break;
    case objReg:
        transformContours(item.reg, m);
        break;
    case objTxt:
        for (CZunArrayTempl<CZunVertexArray>& region : item.txtRegl)
            transformContours(region, m);
        item.point = m * item.point;
        break;
    default:
        // Pictures lie in window pixels; their matrix stays as it is.
        item.mtx = m;
        return;
    }
    item.mtx = CZunMatrix3d();
    item.hatch.setScale(item.hatch.scale() * scale);
    item.hatch.setAngle(item.hatch.angle() + std::atan2(xAxis.y, xAxis.x));
    if (item.pdSize > 0.0)
        item.pdSize *= scale;
    item.ltscale *= scale;
}

} // namespace

void zunAppendPlaced(CZunGDX& out, const CZunGDX& list, int group, const CZunMatrix3d& place)
{
    // Only the new items are copied and measured; the list grows by them.
    CZunArrayTempl<CZunDisplayItem> items;
    items.reserve(list.lenGet());
    for (const CZunDisplayItem& source : list.getDisplayList()) {
        CZunDisplayItem item = source;
        item.stack.insertAt(0, group);
        bakePlacement(item, place * item.mtx);
        items.append(std::move(item));
    }
    out.appendDisplayList(std::move(items));
}

namespace {

// Cells of the overview, in drawing units: the part fills most of the
// cell, its name sits below it.
constexpr double kCell = 1000.0;
constexpr double kPartShare = 0.8;
constexpr double kLabelHeight = 56.0;
constexpr double kRowPitch = kCell * 1.25;
constexpr double kColumnPitch = kCell * 1.08;
constexpr int kFrameColor = 8;  // grey
constexpr int kLabelColor = 7;  // drawn in the contrast colour of the background

CZunMatrix3d fitIntoCell(const CZunPoint3d& lo, const CZunPoint3d& hi, const CZunPoint3d& cellCentre)
{
    const double size = std::max({hi.x - lo.x, hi.y - lo.y, 1e-9});
    const double scale = kCell * kPartShare / size;
    const CZunPoint3d centre((lo.x + hi.x) / 2.0, (lo.y + hi.y) / 2.0, (lo.z + hi.z) / 2.0);
    CZunMatrix3d toCell, scaling, toOrigin;
    toCell.setToTranslation(cellCentre.asVector());
    scaling.setToScaling(scale);
    toOrigin.setToTranslation(-centre.asVector());
    return toCell * scaling * toOrigin;
}

void addCellFrame(CZunGDX& out, int group, const CZunPoint3d& centre)
{
    const double h = kCell / 2.0;
    const CZunVertexArray frame = CZunVertexArray::fromPoints(
        {{centre.x - h, centre.y - h}, {centre.x + h, centre.y - h}, {centre.x + h, centre.y + h},
         {centre.x - h, centre.y + h}},
        true);
    out.imageVl(topStack(group), 0, frame, CZunColor(kFrameColor), CZunMatrix3d(), {1.0}, 0.0, 1, {});
}

void addLabel(CZunGDX& out, const CZunGDX::Stack& stack, const QString& text, const CZunPoint3d& at, double height,
              const wchar_t* align, int color)
{
    CZunMatrix3d place, size;
    place.setToTranslation(at.asVector());
    size.setToScaling(height);
    out.imageTxt(stack, 0, toZun(text).c_str(), CZunColor(color), place * size, align, {}, {});
}

// A text object for the application's "zun_text_to_regl".
CZunDataItem textObject(const QString& text, const char* font, bool bold, bool italic, const CZunPoint3d& at,
                        const wchar_t* align = L"BL")
{
    CZunDataItem item(true);
    item.set(align, L"ALIGN");
    item.set(toZun(text).c_str(), L"TEXT");
    item.set(CZunString::fromUtf8(font).c_str(), L"FONT");
    item.set(bold, L"BOLD");
    item.set(italic, L"ITALIC");
    item.set(CZunDataItem::Value(at), L"POS");
    return item;
}

// A long name in two lines, broken at the space nearest its middle.
QStringList wrapInTwo(const QString& name)
{
    const auto offMiddle = [&name](qsizetype i) { return std::abs(i - name.size() / 2); };
    qsizetype best = -1;
    for (qsizetype i = 0; i < name.size(); ++i)
        if (name[i] == QLatin1Char(' ') && (best < 0 || offMiddle(i) < offMiddle(best)))
            best = i;
    if (best < 0)
        return {name};
    return {name.left(best), name.mid(best + 1)};
}

// The part's name below its cell, in a real font (the outline font has no
// space): in two lines, or smaller, where one line would reach into the
// next cell, whichever keeps it larger.
void addPartName(CZunGDX& out, int group, const ZUN::CZunPart* part, const CZunPoint3d& centre)
{
    const QFont font(QString::fromLatin1(CZunHostApp::kDefaultFont));
    const auto fittingHeight = [&font](const QStringList& lines) {
        double widest = 0.0;
        for (const QString& line : lines)
            widest = std::max(widest, CZunHostApp::textWidth(line, font, 1.0));
        return widest > 0.0 ? std::min(kLabelHeight, kCell * 0.96 / widest) : kLabelHeight;
    };
    QStringList lines{partLabel(*part)};
    double height = fittingHeight(lines);
    if (height < kLabelHeight) {
        const QStringList wrapped = wrapInTwo(lines.first());
        if (const double wrappedHeight = fittingHeight(wrapped); wrappedHeight > height) {
            lines = wrapped;
            height = wrappedHeight;
        }
    }
    CZunPoint3d at(centre.x, centre.y - kCell / 2.0 - kLabelHeight * 0.4);
    for (const QString& line : lines) {
        const CZunDataItem label = textObject(line, CZunHostApp::kDefaultFont, false, false, at, L"TC");
        out.imageTxt(topStack(group), 0, &label, CZunColor(kLabelColor), CZunMatrix3d(), height, {});
        at.y -= height * 1.4;
    }
}


} // namespace

CZunOverviewBuilder::CZunOverviewBuilder(const ZUN::CZunDrawing& drawing, QString title)
    : CZunOverviewBuilder(drawing, std::move(title), drawing.partCount())
{
}

CZunOverviewBuilder::CZunOverviewBuilder(const ZUN::CZunDrawing& drawing, QString title, int partCount)
    : m_drawing(drawing),
      m_count(partCount),
      m_title(std::move(title)),
      m_columns(std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(partCount))))))
{
}

bool CZunOverviewBuilder::next()
{
    if (finished())
        return false;
    if (m_next < m_count) {
        addPart(*m_drawing.part(m_next++));
        return true;
    }
    addTitle();
    m_titled = true;
    return true;
}

void CZunOverviewBuilder::addPart(const ZUN::CZunPart& part)
{
    // One part's list at a time: it is placed into the overview and dropped.
    CZunGDX list;
    if (!zunPartImageBuild(part, list) || list.lenGet() == 0)
        return;
    const int k = static_cast<int>(m_entries.size());
    const int group = k + 1;
    const CZunPoint3d centre((k % m_columns) * kColumnPitch, -(k / m_columns) * kRowPitch);
    CZunPoint3d lo, hi;
    list.extMaxViewGet(lo, hi);
    zunAppendPlaced(m_list, list, group, fitIntoCell(lo, hi, centre));
    addCellFrame(m_list, group, centre);
    addPartName(m_list, group, &part, centre);
    m_entries.push_back({group, fromZun(part.handle), partLabel(part)});
}

void CZunOverviewBuilder::addTitle()
{
    // The title in a real font, through the application, above the grid.
    if (m_title.isEmpty() || m_entries.empty())
        return;
    const CZunDataItem text = textObject(m_title, CZunHostApp::kDefaultFont, true, false,
                                         {-kCell / 2.0, kCell / 2.0 + kLabelHeight * 1.2});
    m_list.imageTxt(topStack(static_cast<int>(m_entries.size()) + 1), 0, &text, CZunColor(5), CZunMatrix3d(),
                    kLabelHeight * 2.0, {});
}

bool zunOverviewReadableWindow(const CZunGDX& overview, int width, int height, CZunPoint3d& lo, CZunPoint3d& hi)
{
    // A cell of fewer pixels shows a part too small to tell.
    constexpr double kReadableCell = 160.0;
    CZunPoint3d elo, ehi;
    if (width <= 0 || height <= 0 || !overview.extmaxGet(elo, ehi))
        return false;
    const double columns = std::max(1.0, std::floor(width / kReadableCell));
    const double readableWidth = columns * kColumnPitch;
    if (ehi.x - elo.x <= readableWidth * 1.05)
        return false;
    const double readableHeight = readableWidth * height / width;
    lo = CZunPoint3d(elo.x, ehi.y - readableHeight, elo.z);
    hi = CZunPoint3d(elo.x + readableWidth, ehi.y, ehi.z);
    return true;
}

std::vector<CZunOverviewEntry> zunDrawingOverview(const ZUN::CZunDrawing& drawing, const QString& title, CZunGDX& out)
{
    CZunOverviewBuilder builder(drawing, title);
    while (builder.next()) {
    }
    out = std::move(builder.list());
    return builder.takeEntries();
}

void zunTextSheet(CZunGDX& out, std::map<int, QString>& names)
{
    out.clear();
    names.clear();
    const double h = 10.0;
    double y = 0.0;

    // Group 1: the heading, group 2: the outline font's characters.
    names[1] = QStringLiteral("DejaVu Serif");
    const CZunDataItem heading =
        textObject(QStringLiteral("Zun – Texte / Texts"), "DejaVu Serif", true, false, {0, y});
    out.imageTxt(topStack(1), 0, &heading, CZunColor(5), CZunMatrix3d(), 2.0 * h, {});
    names[2] = zunHostText(ZunHostTexts::kOutlineFont);
    // One line per kind of character: the outline font has no space.
    const QString lines[] = {
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
        QStringLiteral("abcdefghijklmnopqrstuvwxyz"),
        QStringLiteral("0123456789±²³º¼½¾ÄÖÜäöüß"),
        QStringLiteral("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"),
    };
    y -= 3.0 * h;
    for (const QString& line : lines) {
        addLabel(out, topStack(2), line, {0, y}, h, L"BL", 7);
        y -= 2.0 * h;
    }

    // Group 3: alignment codes, each at its own marked point.
    names[3] = zunHostText(ZunHostTexts::kAlignments);
    const wchar_t* codes[] = {L"TL", L"TC", L"TR", L"CL", L"CC", L"CR", L"BL", L"BC", L"BR"};
    y -= 2.0 * h;
    for (int i = 0; i < 9; ++i) {
        const CZunPoint3d at((i % 3) * 9.0 * h + 4.0 * h, y - (i / 3) * 3.0 * h);
        out.imagePt(topStack(3), 0, at, CZunColor(1), CZunMatrix3d(), -7.0, 2, {});
        addLabel(out, topStack(3), QString::fromWCharArray(codes[i]), at, h, codes[i], 3);
    }
    y -= 8.0 * h;

    // Groups 4 and 5: real fonts, laid out by the application.
    struct Sample {
        const char* font;
        bool italic;
        const char* text;
    };
    const Sample samples[] = {
        {"DejaVu Sans", false, "DejaVu Sans: Bohrung Ø 22, Gewinde M16 – 48 %"},
        {"DejaVu Serif", true, "DejaVu Serif kursiv: Trapezblech 85/280"},
    };
    int group = 4;
    for (const Sample& s : samples) {
        y -= 2.5 * h;
        names[group] = QString::fromUtf8(s.font);
        const CZunDataItem text = textObject(QString::fromUtf8(s.text), s.font, false, s.italic, {0, y});
        out.imageTxt(topStack(group), 0, &text, CZunColor(group == 4 ? 1 : 6), CZunMatrix3d(), h, {});
        ++group;
    }
}
