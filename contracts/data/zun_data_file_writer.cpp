// Writing data trees as JSON files: the typed form of every value kind,
// and the atomic save that every file format of the library uses.

#include "contracts/data/zun_data_file_p.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <variant>

namespace ZUN {

bool writeTextFileAtomic(const CZunString& path, const std::string& utf8, CZunString* error)
{
    const std::string target = path.toUtf8();
    const std::string temp = target + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << utf8;
        out.flush();
        if (!out) {
            if (error)
                *error = CZunString::fromUtf8(std::strerror(errno));
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        if (error)
            *error = CZunString::fromUtf8(std::strerror(errno));
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

namespace json_detail {

namespace {

// JSON has no NaN or infinity; they travel as strings.
JsonOut numberToJson(double d)
{
    if (std::isfinite(d))
        return d;
    return std::isnan(d) ? "nan" : (d > 0 ? "inf" : "-inf");
}

JsonOut pointJson(const CZunPoint3d& p)
{
    return JsonOut::array({numberToJson(p.x), numberToJson(p.y), numberToJson(p.z)});
}

JsonOut vertexArrayJson(const CZunVertexArray& vl, bool tagged)
{
    JsonOut j = JsonOut::object();
    if (tagged)
        j["$"] = "vl";
    // The point form is exact only when every vertex starts where the last one ended.
    if (vl.isEmpty() || vl.isContinuous(0.0)) {
        // A closed polyline's last vertex is implied by "closed"; its bulge rides on the last point.
        const bool closed = vl.len() > 1 && vl.get(-1).end() == vl.get(0).start();
        JsonOut pts = JsonOut::array();
        for (const CZunVertex& v : vl) {
            JsonOut p = pointJson(v.start());
            if (v.bulge() != 0.0)
                p.push_back(numberToJson(v.bulge()));
            pts.push_back(std::move(p));
        }
        if (!vl.isEmpty() && !closed)
            pts.push_back(pointJson(vl.get(-1).end()));
        j["pts"] = std::move(pts);
        j["closed"] = closed;
    } else {
        JsonOut segs = JsonOut::array();
        for (const CZunVertex& v : vl)
            segs.push_back(JsonOut::array({numberToJson(v.start().x), numberToJson(v.start().y),
                                        numberToJson(v.start().z), numberToJson(v.end().x), numberToJson(v.end().y),
                                        numberToJson(v.end().z), numberToJson(v.bulge())}));
        j["segs"] = std::move(segs);
    }
    // Written only where it differs from the default, so that files without
    // arcs standing upright read as before.
    if (vl.arcNormal() != CZunVector3d::kZAxis) {
        const CZunVector3d& n = vl.arcNormal();
        j["normal"] = Json::array({numberToJson(n.x), numberToJson(n.y), numberToJson(n.z)});
    }
    return j;
}

JsonOut contoursJson(const CZunContourSet& set)
{
    JsonOut a = JsonOut::array();
    for (const CZunVertexArray& vl : set)
        a.push_back(vertexArrayJson(vl, false));
    return a;
}

JsonOut typed(const char* kind, JsonOut body)
{
    JsonOut j = JsonOut::object();
    j["$"] = kind;
    j["v"] = std::move(body);
    return j;
}

struct Writer {
    JsonOut operator()(std::monostate) const { return nullptr; }
    JsonOut operator()(const CZunString& v) const { return utf8Of(v); }
    JsonOut operator()(short v) const { return typed("short", v); }
    JsonOut operator()(long v) const { return v; }
    JsonOut operator()(double v) const { return std::isfinite(v) ? JsonOut(v) : typed("real", numberToJson(v)); }
    JsonOut operator()(bool v) const { return v; }
    JsonOut operator()(const CZunPoint3d& v) const { return typed("point", pointJson(v)); }
    JsonOut operator()(const CZunVertexArray& v) const { return vertexArrayJson(v, true); }
    JsonOut operator()(const CZunArrayTempl<int>& v) const { return typed("ints", JsonOut(v.vector())); }
    JsonOut operator()(const CZunArrayTempl<double>& v) const
    {
        JsonOut a = JsonOut::array();
        for (double d : v)
            a.push_back(numberToJson(d));
        return typed("reals", std::move(a));
    }
    JsonOut operator()(const CZunArrayTempl<CZunString>& v) const
    {
        JsonOut a = JsonOut::array();
        for (const CZunString& s : v)
            a.push_back(utf8Of(s));
        return typed("texts", std::move(a));
    }
    JsonOut operator()(const CZunPoint3dArray& v) const
    {
        JsonOut a = JsonOut::array();
        for (const CZunPoint3d& p : v)
            a.push_back(pointJson(p));
        return typed("points", std::move(a));
    }
    JsonOut operator()(const CZunMatrix3d& m) const
    {
        JsonOut rows = JsonOut::array();
        for (const auto& row : m.m)
            rows.push_back(JsonOut::array({numberToJson(row[0]), numberToJson(row[1]), numberToJson(row[2]),
                                        numberToJson(row[3])}));
        return typed("matrix", std::move(rows));
    }
    JsonOut operator()(const CZunColor& c) const
    {
        JsonOut j = JsonOut::object();
        j["$"] = "color";
        j["index"] = c.colorIndex();
        char rgb[8];
        std::snprintf(rgb, sizeof rgb, "#%02X%02X%02X", c.red(), c.green(), c.blue());
        j["rgb"] = rgb;
        if (!c.bookName().isEmpty() || !c.colorName().isEmpty()) {
            j["book"] = utf8Of(c.bookName());
            j["name"] = utf8Of(c.colorName());
        }
        return j;
    }
    JsonOut operator()(const CZunContourSet& v) const { return typed("contours", contoursJson(v)); }
    JsonOut operator()(const CZunRegionList& v) const
    {
        JsonOut a = JsonOut::array();
        for (const CZunContourSet& set : v)
            a.push_back(contoursJson(set));
        return typed("regions", std::move(a));
    }
};

std::string keyName(const CZunItemKey& key)
{
    if (key.type() == kRtLong)
        return "#L" + std::to_string(key.num());
    if (key.isInt())
        return "#" + std::to_string(key.num());
    const std::string name = utf8Of(key.text());
    if (key.type() == kRtDxf0)
        return "#X:" + name;
    return !name.empty() && (name[0] == '#' || name[0] == '$') ? "#" + name : name;
}

} // namespace

JsonOut itemToJson(const CZunDataItem& item)
{
    if (!item.isDir())
        return std::visit(Writer{}, item.value());
    JsonOut dir = JsonOut::object();
    // Distinct keys have distinct names, so the members are appended
    // without the search for an existing name that indexing would make.
    auto& members = dir.get_ref<JsonOut::object_t&>();
    members.reserve(static_cast<size_t>(item.childCount()));
    for (const auto& child : item.childList())
        members.emplace_back(keyName(child->getKey()), itemToJson(*child));
    return dir;
}

} // namespace json_detail

using namespace json_detail;

std::string dataToJson(const CZunDataItem& root, int indent)
{
    JsonOut doc = JsonOut::object();
    doc["zun"] = "data";
    doc["version"] = 1;
    doc["root"] = itemToJson(root);
    return doc.dump(indent) + "\n";
}

bool dataFileSave(const CZunString& path, const CZunDataItem& root, CZunString* error)
{
    return writeTextFileAtomic(path, dataToJson(root), error);
}

} // namespace ZUN
