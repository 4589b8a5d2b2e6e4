#include "contracts/data/zun_part_keys.h"

#include <array>

namespace ZUN {

namespace {

enum class Kind { Number, Integer, Text, Flag, Polyline, Matrix, Address, Colour, Directory };

const wchar_t* describe(Kind kind)
{
    switch (kind) {
    case Kind::Number: return L"a number";
    case Kind::Integer: return L"a whole number";
    case Kind::Text: return L"a text";
    case Kind::Flag: return L"true or false";
    case Kind::Polyline: return L"a polyline";
    case Kind::Matrix: return L"a 4x4 matrix";
    case Kind::Address: return L"a text or a list of texts";
    case Kind::Colour: return L"a colour";
    case Kind::Directory: return L"a directory";
    }
    return L"";
}

// True when the item reads as the kind, by the same reads the generators use.
bool reads(const CZunDataItem& item, Kind kind)
{
    if (kind == Kind::Directory)
        return item.isDir();
    if (item.isDir())
        return false;
    switch (kind) {
    case Kind::Number: { double v; return item.get(v); }
    case Kind::Integer: { long v; return item.get(v); }
    case Kind::Text: { CZunString v; return item.get(v); }
    case Kind::Flag: { bool v; return item.get(v); }
    case Kind::Polyline: { CZunVertexArray v; return item.get(v); }
    case Kind::Matrix: { CZunMatrix3d v; return item.get(v); }
    case Kind::Address: { CZunString one; CZunArrayTempl<CZunString> v; return item.get(v) || item.get(one); }
    case Kind::Colour: { CZunColor v; return item.get(v); }
    case Kind::Directory: break;
    }
    return false;
}

// A key of a part type: its path below the part's data (or local object), a
// "*" step standing for every child of the directory there.
struct KeyRule {
    const wchar_t* type;
    std::array<const wchar_t*, 3> path;  // unused steps null
    Kind kind;
};

// Drawing look shared by drillings and hole patterns.
#define ZUN_DRAWN_PART(T)                                                                                        \
    {T, {L"DRAW"}, Kind::Text}, {T, {L"PART_CON"}, Kind::Text}, {T, {L"PART_FILL"}, Kind::Text},                  \
        {T, {L"HPNAME"}, Kind::Text}, {T, {L"HPSCALE"}, Kind::Number}, {T, {L"HPANG"}, Kind::Number},           \
        {T, {L"LABEL"}, Kind::Text}

const KeyRule kRules[] = {
    // Drillings: the design keys of "GEN".
    ZUN_DRAWN_PART(L"DRILL"),
    {L"DRILL", {L"PART_SOLID"}, Kind::Text},
    {L"DRILL", {L"VIEW"}, Kind::Integer},
    {L"DRILL", {L"GEN"}, Kind::Directory},
    {L"DRILL", {L"GEN", L"DIAM"}, Kind::Number},
    {L"DRILL", {L"GEN", L"DEPTH"}, Kind::Number},
    {L"DRILL", {L"GEN", L"THICK"}, Kind::Number},
    {L"DRILL", {L"GEN", L"THREAD"}, Kind::Text},
    {L"DRILL", {L"GEN", L"THREAD_T"}, Kind::Number},
    {L"DRILL", {L"GEN", L"SINK_D"}, Kind::Number},
    {L"DRILL", {L"GEN", L"SINK_ANG"}, Kind::Number},
    {L"DRILL", {L"GEN", L"SINK_T"}, Kind::Number},
    {L"DRILL", {L"GEN", L"CBORE_D"}, Kind::Number},
    {L"DRILL", {L"GEN", L"CBORE_T"}, Kind::Number},
    {L"DRILL", {L"GEN", L"TIP_ANG"}, Kind::Number},
    {L"DRILL", {L"GEN", L"PLATE_W"}, Kind::Number},
    {L"DRILL", {L"GEN", L"PLATE_L"}, Kind::Number},
    // Hole patterns: sub-parts under "BT".
    ZUN_DRAWN_PART(L"HOLE"),
    {L"HOLE", {L"BT"}, Kind::Directory},
    {L"HOLE", {L"BT", L"*", L"TYPE"}, Kind::Text},
    {L"HOLE", {L"BT", L"*", L"MTX"}, Kind::Matrix},
    // Profiled sheets and panels.
    {L"SHEET", {L"LABEL"}, Kind::Text},
    {L"SHEET", {L"STACK"}, Kind::Address},
    {L"SHEET", {L"S"}, Kind::Number},
    {L"SHEET", {L"SID"}, Kind::Text},
    {L"SHEET", {L"DRAW"}, Kind::Text},
    {L"SHEET", {L"PART_CON"}, Kind::Text},
    {L"SHEET", {L"PART_FILL"}, Kind::Text},
    {L"SHEET", {L"PART_CEN"}, Kind::Text},
    {L"SHEET", {L"HPNAME"}, Kind::Text},
    {L"SHEET", {L"HPSCALE"}, Kind::Number},
    {L"SHEET", {L"HPANG"}, Kind::Number},
    {L"SHEET", {L"AXIS"}, Kind::Flag},
    {L"SHEET", {L"COATLINE"}, Kind::Flag},
    {L"SHEET", {L"SURFACE", L"*"}, Kind::Colour},
    {L"SHEET", {L"VL"}, Kind::Polyline},
    {L"SHEET", {L"MTX"}, Kind::Matrix},
    {L"SHEET", {L"THICK", L"*", L"S"}, Kind::Number},
    {L"SHEET", {L"THICK", L"*", L"S_BOT"}, Kind::Number},
    // Bars: the construction group they are drawn in.
    {L"BAR", {L"LABEL"}, Kind::Text},
    {L"BAR", {L"GRP"}, Kind::Text},
    {L"BAR", {L"BT"}, Kind::Text},
    // Walls: the axis and the shells.
    {L"WALL", {L"VL"}, Kind::Polyline},
    {L"WALL", {L"SN"}, Kind::Directory},
    {L"WALL", {L"SN", L"*"}, Kind::Directory},
    {L"WALL", {L"SN", L"*", L"NAME"}, Kind::Text},
    {L"WALL", {L"SN", L"*", L"THICK"}, Kind::Number},
    {L"WALL", {L"SN", L"*", L"HPNAME"}, Kind::Text},
    {L"WALL", {L"SN", L"*", L"HPSCALE"}, Kind::Number},
    {L"WALL", {L"CORNER"}, Kind::Directory},
    {L"WALL", {L"CORNER", L"MODE"}, Kind::Text},
};

#undef ZUN_DRAWN_PART

struct Walk {
    const CZunPart& part;
    const CZunString& file;
    std::vector<CPartKeyWarning>& out;

    // Follows the rule's path from item; at its end, checks the value.
    void follow(const CZunDataItem& item, const KeyRule& rule, size_t step, const CZunDataKey& at)
    {
        if (step == rule.path.size() || !rule.path[step]) {
            if (!reads(item, rule.kind))
                out.push_back({file, part.handle, part.name, at.toString(), describe(rule.kind)});
            return;
        }
        if (!item.isDir())
            return;  // reported at the step that should have been a directory
        if (CZunString(rule.path[step]) == L"*") {
            for (const auto& child : item.childList())
                follow(*child, rule, step + 1, CZunDataKey(at).append(child->getKey()));
            return;
        }
        const CZunItemKey key{CZunString(rule.path[step])};
        if (const CZunDataItem* child = item.getItem(CZunDataKey(key)))
            follow(*child, rule, step + 1, CZunDataKey(at).append(key));
    }
};

} // namespace

CZunString CPartKeyWarning::toString() const
{
    CZunString text = file + L": part " + handle;
    if (!partName.isEmpty())
        text += L" (" + partName + L")";
    return text + L": key " + key + L" is not " + expected + L"; drawn with its default";
}

std::vector<CPartKeyWarning> partKeyWarnings(const CZunPart& part, const CZunString& file)
{
    std::vector<CPartKeyWarning> out;
    Walk walk{part, file, out};
    for (const KeyRule& rule : kRules) {
        if (part.type != rule.type)
            continue;
        // Sheets keep their drawing keys in the local object as often as in the data.
        walk.follow(part.data, rule, 0, CZunDataKey());
        if (part.lobj.childCount() > 0)
            walk.follow(part.lobj, rule, 0, CZunDataKey());
    }
    return out;
}

std::vector<CPartKeyWarning> drawingKeyWarnings(const CZunDrawing& drawing)
{
    std::vector<CPartKeyWarning> out;
    for (int i = 0; i < drawing.partCount(); ++i) {
        std::vector<CPartKeyWarning> part = partKeyWarnings(*drawing.part(i), drawing.path());
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

} // namespace ZUN
