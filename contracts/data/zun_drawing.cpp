#include "contracts/data/zun_drawing.h"

#include "contracts/data/zun_data_file_p.h"

#include <algorithm>
#include <string>

namespace ZUN {

using namespace json_detail;

namespace {
long nextDrawingSerial()
{
    static long serial = 0;
    return ++serial;
}
} // namespace

CZunDrawing::CZunDrawing() : m_serial(nextDrawingSerial()) {}

CZunPart* CZunDrawing::part(int i) const
{
    return i >= 0 && i < partCount() ? m_parts[static_cast<size_t>(i)].get() : nullptr;
}

CZunPart* CZunDrawing::partByHandle(const CZunString& handle) const
{
    const auto found = m_byHandle.find(handle.str());
    return found == m_byHandle.end() ? nullptr : found->second;
}

CZunPart* CZunDrawing::partByName(const CAdsName& name) const
{
    if (name.id[1] != m_serial)
        return nullptr;
    // Serials are handed out in ascending order and parts keep their order
    // when others are removed: a binary search finds the part, so that the
    // generators' look-up of every part of a large drawing stays n log n.
    const auto found = std::lower_bound(m_parts.begin(), m_parts.end(), name.id[0],
                                        [](const auto& p, long serial) { return p->serial < serial; });
    return found != m_parts.end() && (*found)->serial == name.id[0] ? found->get() : nullptr;
}

CZunPart* CZunDrawing::addPart(const CZunString& handle, const CZunString& type, const CZunDataItem& data)
{
    if (handle.isEmpty() || partByHandle(handle))
        return nullptr;
    auto part = std::make_unique<CZunPart>();
    part->handle = handle;
    part->type = type;
    part->data = data;
    part->serial = m_nextPart++;
    m_byHandle.emplace(handle.str(), part.get());
    m_parts.push_back(std::move(part));
    return m_parts.back().get();
}

bool CZunDrawing::removePart(const CZunString& handle)
{
    const auto it = std::find_if(m_parts.begin(), m_parts.end(), [&](const auto& p) { return p->handle == handle; });
    if (it == m_parts.end())
        return false;
    m_byHandle.erase(handle.str());
    m_parts.erase(it);
    return true;
}

void CZunDrawing::clear()
{
    // An assignment, not the string's empty(): that name reads as the
    // standard strings' query, which changes nothing.
    m_path = CZunString();
    m_unit = 4;
    m_parts.clear();
    m_byHandle.clear();
    m_layers.clear();
    m_materials.clear();
}

void CZunDrawing::swap(CZunDrawing& other) noexcept
{
    std::swap(m_path, other.m_path);
    std::swap(m_unit, other.m_unit);
    std::swap(m_serial, other.m_serial);
    std::swap(m_nextPart, other.m_nextPart);
    std::swap(m_parts, other.m_parts);
    std::swap(m_byHandle, other.m_byHandle);
    CZunDataItem layers(std::move(m_layers));
    m_layers = other.m_layers;
    other.m_layers = layers;
    CZunDataItem materials(std::move(m_materials));
    m_materials = other.m_materials;
    other.m_materials = materials;
}

namespace {

class DrawingReader {
public:
    DrawingReader(const std::string& text, const CZunString& source, CDataFileError* error)
        : m_text(text), m_source(source), m_error(error) {}

    bool read(const Json& doc, CZunDrawing& into)
    {
        // value("zun", "") would throw for a "zun" that is no text.
        if (!doc.is_object() || !doc.contains("zun") || doc["zun"] != "drawing")
            return fail({}, "a drawing object {\"zun\": \"drawing\", ...}");
        if (!version(doc))
            return false;
        if (doc.contains("unit")) {
            if (!doc["unit"].is_number_integer())
                return fail({std::string("unit")}, "a unit number");
            into.setUnit(doc["unit"].get<int>());
        }
        if (!directory(doc, "layers", into.layers()) || !directory(doc, "materials", into.materials()))
            return false;
        if (!doc.contains("parts"))
            return true;
        const Json& parts = doc["parts"];
        if (!parts.is_array())
            return fail({std::string("parts")}, "an array of parts");
        for (size_t i = 0; i < parts.size(); ++i)
            if (!part(parts[i], i, into))
                return false;
        return true;
    }

    bool part(const Json& j, size_t i, CZunDrawing& into)
    {
        const JsonPath at{std::string("parts"), i};
        if (!j.is_object())
            return fail(at, "a part object {\"handle\", \"type\", \"data\"}");
        for (const char* field : {"handle", "type"})
            if (!j.contains(field) || !j[field].is_string() || j[field].get<std::string>().empty())
                return fail(j.contains(field) ? JsonPath{std::string("parts"), i, std::string(field)} : at,
                            std::string("a non-empty text \"") + field + "\"");
        const CZunString handle = wideOf(j["handle"].get<std::string>());
        if (into.partByHandle(handle))
            return fail({std::string("parts"), i, std::string("handle")}, "a handle not used by another part");
        CZunDataItem data(true);
        if (j.contains("data") && !tree(j["data"], {std::string("parts"), i, std::string("data")}, data))
            return false;
        CZunPart* p = into.addPart(handle, wideOf(j["type"].get<std::string>()), data);
        if (j.contains("name") && j["name"].is_string())
            p->name = wideOf(j["name"].get<std::string>());
        if (j.contains("lobj") && !tree(j["lobj"], {std::string("parts"), i, std::string("lobj")}, p->lobj))
            return false;
        return true;
    }

private:
    bool fail(const JsonPath& path, const std::string& expected)
    {
        reportProblem(m_text, m_source, JsonProblem{path, expected}, m_error);
        return false;
    }

    // The format version: missing in the oldest files, which read as 1. A
    // newer format is refused as a whole: reading what we know of it would
    // quietly drop what we do not.
    bool version(const Json& doc)
    {
        if (!doc.contains("version"))
            return true;
        const Json& v = doc["version"];
        const JsonPath at{std::string("version")};
        if (!v.is_number_integer() || v.get<long long>() < 1)
            return fail(at, "a format version number from 1 to " + std::to_string(kDrawingFormatVersion));
        if (v.get<long long>() > kDrawingFormatVersion) {
            fail(at, {});
            if (m_error)
                m_error->message = CZunString::fromUtf8(
                    "drawing format version " + std::to_string(v.get<long long>()) +
                    " is newer than this program reads (up to " + std::to_string(kDrawingFormatVersion) +
                    "); open it with a newer version");
            return false;
        }
        return true;
    }

    bool tree(const Json& j, const JsonPath& at, CZunDataItem& item)
    {
        if (!j.is_object() || j.contains("$"))
            return fail(at, "a directory object");
        JsonPath path = at;
        JsonProblem problem;
        CZunDataItem scratch(true);
        if (!itemFromJson(j, scratch, path, problem)) {
            reportProblem(m_text, m_source, problem, m_error);
            return false;
        }
        item = scratch;
        return true;
    }

    bool directory(const Json& doc, const char* name, CZunDataItem& item)
    {
        return !doc.contains(name) || tree(doc[name], {std::string(name)}, item);
    }

    const std::string& m_text;
    const CZunString& m_source;
    CDataFileError* m_error;
};

} // namespace

namespace json_detail {

bool drawingEnvelopeFromJson(const Json& doc, CZunDrawing& into)
{
    static const std::string noText;
    return DrawingReader(noText, CZunString(), nullptr).read(doc, into);
}

bool drawingPartFromJson(const Json& part, size_t index, CZunDrawing& into)
{
    static const std::string noText;
    return DrawingReader(noText, CZunString(), nullptr).part(part, index, into);
}

} // namespace json_detail

bool CZunDrawing::loadJson(const std::string& utf8, const CZunString& sourceName, CDataFileError* error)
{
    Json doc;
    if (!parseJson(utf8, sourceName, doc, error))
        return false;
    // Read into a fresh drawing and swap only when all went well.
    CZunDrawing fresh;
    if (!DrawingReader(utf8, sourceName, error).read(doc, fresh))
        return false;
    fresh.m_path = sourceName;
    swap(fresh);
    return true;
}

bool CZunDrawing::load(const CZunString& path, CDataFileError* error)
{
    std::string text;
    return readFileForLoad(path, text, error) && loadJson(text, path, error);
}

std::string CZunDrawing::toJson() const
{
    JsonOut doc = JsonOut::object();
    doc["zun"] = "drawing";
    doc["version"] = kDrawingFormatVersion;
    doc["unit"] = m_unit;
    doc["layers"] = itemToJson(m_layers);
    doc["materials"] = itemToJson(m_materials);
    JsonOut parts = JsonOut::array();
    for (const auto& p : m_parts) {
        JsonOut j = JsonOut::object();
        j["handle"] = utf8Of(p->handle);
        j["type"] = utf8Of(p->type);
        if (!p->name.isEmpty())
            j["name"] = utf8Of(p->name);
        j["data"] = itemToJson(p->data);
        if (p->lobj.childCount() > 0)
            j["lobj"] = itemToJson(p->lobj);
        parts.push_back(std::move(j));
    }
    doc["parts"] = std::move(parts);
    return doc.dump(1) + "\n";
}

bool CZunDrawing::save(const CZunString& path, CZunString* error) const
{
    return writeTextFileAtomic(path, toJson(), error);
}

CZunDrawing& drawingCurrent()
{
    static CZunDrawing drawing;
    return drawing;
}

bool drawingOpen(const CZunString& path, CDataFileError* error)
{
    return drawingCurrent().load(path, error);
}

} // namespace ZUN
