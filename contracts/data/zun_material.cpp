#include "contracts/data/zun_material.h"

#include "contracts/data/zun_data_file_p.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_files.h"
#include "contracts/data/zun_msg.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using namespace ZUN;
using namespace ZUN::json_detail;

namespace {

constexpr const wchar_t* kLibraryName = L"data/materials.json";

// The members a material gives itself; every other member of a material
// directory is a property value, so that a drawing may write "HPNAME" next
// to "LABEL" instead of inside "PROPS".
constexpr const wchar_t* kLabel = L"LABEL";
constexpr const wchar_t* kSubs = L"SUBS";
constexpr const wchar_t* kEdge = L"EDGE";
constexpr const wchar_t* kEdges = L"EDGES";
constexpr const wchar_t* kPhys = L"PHYS";
constexpr const wchar_t* kRef = L"REF";
constexpr const wchar_t* kProps = L"PROPS";

// The same as keys, made once: a material is read for every node of a
// material tree, and a key made from text costs an allocation each time.
const CZunDataKey kLabelKey(kLabel);
const CZunDataKey kSubsKey(kSubs);
const CZunDataKey kEdgeKey(kEdge);
const CZunDataKey kEdgesKey(kEdges);
const CZunDataKey kPhysKey(kPhys);
const CZunDataKey kRefKey(kRef);
const CZunDataKey kPropsKey(kProps);

bool isOwnMember(const CZunItemKey& key)
{
    if (!key.isText())
        return false;
    for (const wchar_t* name : {kLabel, kSubs, kEdge, kEdges, kPhys, kRef, kProps})
        if (key.text() == name)
            return true;
    return false;
}

struct Library {
    CZunDataItem root{true};
    CZunString error;  // why the shipped file could not be used; the root is then empty
};

struct LibraryState {
    std::mutex lock;
    std::shared_ptr<const Library> current;  // null until first use
};

LibraryState& libraryState()
{
    static LibraryState state;
    return state;
}

// ---- reading one material ------------------------------------------------------

const CZunDataItem* materialIn(const CZunDataItem& dir, const CZunString& key)
{
    if (key.isEmpty())
        return nullptr;
    // One step, never a path: a key holding a backslash must not reach into
    // another material's directory.
    const CZunDataItem* item = dir.getItem(CZunDataKey(CZunItemKey(key)));
    return item && item->isDir() ? item : nullptr;
}

enum class Field { Absent, Given, Bad };

Field textListOf(const CZunDataItem* item, CZunArrayTempl<CZunString>& out)
{
    if (!item)
        return Field::Absent;
    if (item->isDir())
        return Field::Bad;
    CZunArrayTempl<CZunString> texts;
    if (item->get(texts)) {
        out = texts;
        return Field::Given;
    }
    // "[]" carries no element type and reads as an empty array of numbers.
    CZunArrayTempl<double> numbers;
    if (item->get(numbers) && numbers.isEmpty()) {
        out.clear();
        return Field::Given;
    }
    return Field::Bad;
}

Field kindOf(const CZunDataItem* item, int& out)
{
    if (!item)
        return Field::Absent;
    int n = 0;
    if (item->isDir() || !item->get(n) || n < 0)
        return Field::Bad;
    out = n;
    return Field::Given;
}

// A drawing may name the physical kind by a property flag instead of a code
// ("PHYS": "STEEL"); the flag then decides the kind and is kept as a property.
int physKindOfFlag(const CZunString& flag)
{
    struct Entry {
        const wchar_t* flag;
        int kind;
    };
    static const Entry table[] = {
        {L"INSULATION", kMatPhysInsulation}, {L"GASKET", kMatPhysSeal}, {L"SEALANT", kMatPhysSeal},
        {L"SEAL", kMatPhysSeal},             {L"AIR", kMatPhysCavity},  {L"CAVITY", kMatPhysCavity},
        {L"COATING", kMatPhysLayer},         {L"FOIL", kMatPhysLayer},
    };
    CZunString upper = flag;
    upper.makeUpper();
    for (const Entry& e : table)
        if (upper == e.flag)
            return e.kind;
    // Any other flag still says the material is a body of its own.
    return kMatPhysSolid;
}

void addProps(const CZunDataItem& from, CZunDataItem& props, bool overwrite)
{
    for (const auto& child : from.childList()) {
        const CZunDataKey key(child->getKey());
        if (overwrite || !props.getItem(key))
            props.setItem(key, *child);
    }
}

struct Given {
    bool phys = false;
    bool edge = false;
    bool edges = false;
};

// The material's own fields, forgiving: a member of the wrong type counts
// as missing, because a drawing edited by hand must still open.
Given readOwn(const CZunDataItem& m, const CZunString& key, CMatProp& out)
{
    Given given;
    out.key = key;
    m.get(out.label, kLabelKey);
    textListOf(m.getItem(kSubsKey), out.subMats);
    given.edges = textListOf(m.getItem(kEdgesKey), out.edges) == Field::Given;
    given.edge = kindOf(m.getItem(kEdgeKey), out.edgeKind) == Field::Given;
    m.get(out.refKey, kRefKey);

    if (const CZunDataItem* props = m.getItem(kPropsKey); props && props->isDir())
        addProps(*props, out.props, true);
    for (const auto& child : m.childList())
        if (!isOwnMember(child->getKey()) && !out.props.getItem(CZunDataKey(child->getKey())))
            out.props.setItem(CZunDataKey(child->getKey()), *child);

    given.phys = kindOf(m.getItem(kPhysKey), out.physKind) == Field::Given;
    CZunString flag;
    if (!given.phys && m.get(flag, kPhysKey) && !flag.isEmpty()) {
        out.physKind = physKindOfFlag(flag);
        given.phys = true;
        if (!out.props.getItem(CZunDataKey(CZunItemKey(flag))))
            out.props.set(true, CZunDataKey(CZunItemKey(flag)));
    }
    return given;
}

struct Sources {
    const Library& library;
    const CZunDataItem& drawing;

    const CZunDataItem* find(const CZunString& key) const
    {
        const CZunDataItem* m = materialIn(library.root, key);
        return m ? m : materialIn(drawing, key);
    }
};

// chain holds the materials being resolved, so that a reference loop ends
// at the first material met twice instead of recursing for ever, and a
// chain ends after kMatMaxReferences references.
bool resolve(const Sources& sources, const CZunString& key, CMatProp& out, std::vector<std::wstring>& chain)
{
    const CZunDataItem* m = sources.find(key);
    if (!m)
        return false;
    chain.push_back(key.str());
    const Given given = readOwn(*m, key, out);
    const bool follow = chain.size() <= static_cast<size_t>(kMatMaxReferences);
    if (follow && !out.refKey.isEmpty() && std::find(chain.begin(), chain.end(), out.refKey.str()) == chain.end()) {
        CMatProp base;
        if (resolve(sources, out.refKey, base, chain)) {
            if (!given.phys)
                out.physKind = base.physKind;
            if (!given.edge)
                out.edgeKind = base.edgeKind;
            if (!given.edges)
                out.edges = base.edges;
            addProps(base.props, out.props, false);
        }
    }
    out.physProps.clear();
    for (const CZunItemKey& k : out.props.getDir())
        out.physProps.append(k.toString());
    return true;
}

// ---- loading the library -------------------------------------------------------

// The JSON member name of a key, as the typed form writes it.
std::string memberName(const CZunItemKey& key)
{
    if (key.isInt())
        return (key.type() == kRtLong ? "#L" : "#") + std::to_string(key.num());
    std::string text = utf8Of(key.text());
    if (key.type() == kRtDxf0)
        return "#X:" + text;
    return !text.empty() && (text[0] == '#' || text[0] == '$') ? "#" + text : text;
}

// How many references lead on from m within root, counted up to one more
// than kMatMaxReferences; a loop or a missing material ends the chain.
int referencesFrom(const CZunDataItem& root, const CZunDataItem& m)
{
    std::vector<const CZunDataItem*> chain{&m};
    CZunString ref;
    while (chain.size() <= static_cast<size_t>(kMatMaxReferences) + 1 && chain.back()->get(ref, kRef)) {
        const CZunDataItem* next = materialIn(root, ref);
        if (!next || std::find(chain.begin(), chain.end(), next) != chain.end())
            break;
        chain.push_back(next);
    }
    return static_cast<int>(chain.size()) - 1;
}

// The library is our own file, so unlike a drawing it is held to its
// layout: a typo there would otherwise turn a material silently into one
// without a kind or without sub-materials.
bool checkLibrary(const CZunDataItem& root, JsonProblem& problem)
{
    static const std::string kChainExpected =
        "a chain of at most " + std::to_string(kMatMaxReferences) + " references";
    for (const auto& m : root.childList()) {
        const JsonPath at{memberName(m->getKey())};
        auto fail = [&](const wchar_t* member, const char* expected) {
            problem.path = at;
            if (member)
                problem.path.push_back(utf8Of(member));
            problem.expected = expected;
            return false;
        };
        if (!m->getKey().isText())
            return fail(nullptr, "a material named by a text key");
        if (!m->isDir())
            return fail(nullptr, "a material directory {\"LABEL\", \"PHYS\", \"PROPS\", ...}");
        CZunString text;
        for (const wchar_t* name : {kLabel, kRef})
            if (m->getItem(name) && !m->get(text, name))
                return fail(name, "a text");
        CZunArrayTempl<CZunString> keys;
        for (const wchar_t* name : {kSubs, kEdges})
            if (textListOf(m->getItem(name), keys) == Field::Bad)
                return fail(name, "an array of material keys");
        int kind = 0;
        for (const wchar_t* name : {kEdge, kPhys})
            if (kindOf(m->getItem(name), kind) == Field::Bad)
                return fail(name, "a kind code, an integer 0 or above");
        if (const CZunDataItem* props = m->getItem(kProps); props && !props->isDir())
            return fail(kProps, "a directory of properties");
        if (referencesFrom(root, *m) > kMatMaxReferences)
            return fail(kRef, kChainExpected.c_str());
    }
    return true;
}

std::shared_ptr<Library> readLibrary(const CZunString& path, CZunString& error)
{
    std::string text;
    CZunString why;
    CDataFileError fileError;
    fileError.file = path;
    if (!readTextFile(path, text, &why)) {
        fileError.message = L"cannot read the file: " + why;
        error = fileError.toString();
        return nullptr;
    }
    auto library = std::make_shared<Library>();
    if (!dataFromJson(text, path, library->root, &fileError)) {
        error = fileError.toString();
        return nullptr;
    }
    JsonProblem problem;
    if (!checkLibrary(library->root, problem)) {
        // The text parsed a moment ago; only the envelope decides where the
        // materials start.
        Json doc;
        parseJson(text, path, doc, nullptr);
        if (doc.is_object() && doc.contains("zun") && doc.contains("root"))
            problem.path.insert(problem.path.begin(), std::string("root"));
        reportProblem(text, path, problem, &fileError);
        error = fileError.toString();
        return nullptr;
    }
    return library;
}

std::shared_ptr<const Library> readShippedLibrary()
{
    const CZunString path = fileFind(kLibraryName);
    CZunString error;
    std::shared_ptr<Library> library;
    if (path.isEmpty())
        error = CZunString(kLibraryName) + L": not found in the data folders";
    else
        library = readLibrary(path, error);
    if (!library) {
        // Working on without materials beats refusing every part that names one.
        library = std::make_shared<Library>();
        library->error = error;
    }
    return library;
}

std::shared_ptr<const Library> library()
{
    LibraryState& state = libraryState();
    const std::lock_guard<std::mutex> guard(state.lock);
    if (!state.current)
        state.current = readShippedLibrary();
    return state.current;
}

} // namespace

bool CZunMatMgr::propGet(const CZunString& key, CMatProp& prop) const
{
    const std::shared_ptr<const Library> lib = library();
    const Sources sources{*lib, drawingCurrent().materials()};
    CMatProp found;
    std::vector<std::wstring> chain;
    if (!resolve(sources, key, found, chain))
        return false;
    prop = std::move(found);
    return true;
}

CZunString CZunMatMgr::matLabel(const CZunString& key, const CZunString& country) const
{
    const std::shared_ptr<const Library> lib = library();
    const Sources sources{*lib, drawingCurrent().materials()};
    CMatProp own;
    own.key = key;
    if (const CZunDataItem* m = sources.find(key))
        m->get(own.label, kLabelKey);
    return labelOf(own, country);
}

CZunString CZunMatMgr::labelOf(const CMatProp& prop, const CZunString& country)
{
    const CZunString text = prop.label.isEmpty() ? CZunString() : label_get(prop.label, country);
    return text.isEmpty() ? prop.key : text;
}

bool CZunMatMgr::isShadowMat(const CZunString& key) const
{
    const std::shared_ptr<const Library> lib = library();
    return !materialIn(lib->root, key) && materialIn(drawingCurrent().materials(), key);
}

int CZunMatMgr::matDrawAll(CZunArrayTempl<CZunString>& keys, bool fromLibrary) const
{
    const std::shared_ptr<const Library> lib = library();
    const CZunDataItem& dir = fromLibrary ? lib->root : drawingCurrent().materials();
    keys.clear();
    // Only what propGet can find counts as a material.
    for (const auto& m : dir.childList())
        if (m->isDir() && m->getKey().isText() && !m->getKey().text().isEmpty())
            keys.append(m->getKey().text());
    return keys.len();
}

bool CZunMatMgr::loadError(CZunString& text) const
{
    const std::shared_ptr<const Library> lib = library();
    if (lib->error.isEmpty())
        return false;
    text = lib->error;
    return true;
}

bool CZunMatMgr::setLibraryFile(const CZunString& path, CZunString* error)
{
    std::shared_ptr<const Library> next;
    CZunString why;
    if (path.isEmpty()) {
        next = readShippedLibrary();
        why = next->error;
    } else if (!(next = readLibrary(path, why))) {
        if (error)
            *error = why;
        return false;
    }
    {
        LibraryState& state = libraryState();
        const std::lock_guard<std::mutex> guard(state.lock);
        state.current = next;
    }
    if (error)
        *error = why;
    return why.isEmpty();
}
