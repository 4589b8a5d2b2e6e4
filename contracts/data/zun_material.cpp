#include "contracts/data/zun_material.h"

#include "contracts/data/zun_data_file_p.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_files.h"
#include "contracts/data/zun_msg.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
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

// Made once: a key made from text costs an allocation each time.
const CZunDataKey kLabelKey(kLabel);

enum class Own { None, Label, Subs, Edge, Edges, Phys, Ref, Props };

// Which of the material's own members a key names; None for a property.
Own ownMember(const CZunItemKey& key)
{
    if (!key.isText())
        return Own::None;
    static constexpr std::pair<std::wstring_view, Own> kOwn[] = {
        {kLabel, Own::Label}, {kSubs, Own::Subs}, {kEdge, Own::Edge},    {kEdges, Own::Edges},
        {kPhys, Own::Phys},   {kRef, Own::Ref},   {kProps, Own::Props},
    };
    const std::wstring_view text = key.text().view();
    for (const auto& [name, own] : kOwn)
        if (text == name)
            return own;
    return Own::None;
}

struct Library {
    CZunDataItem root{true};
    CZunString error;  // why the shipped file could not be used; the root is then empty
    // The materials by key, made once the root is complete: a material tree
    // looks up every material of a large library, and the root never
    // changes after loading.
    std::unordered_map<std::wstring_view, const CZunDataItem*> byKey;  // views of the root's keys

    Library() = default;
    Library(const Library&) = delete;  // the views would point into the other root
    Library& operator=(const Library&) = delete;

    void index()
    {
        byKey.clear();
        byKey.reserve(static_cast<size_t>(root.childCount()));
        for (const auto& m : root.childList())
            if (m->isDir() && m->getKey().isText() && !m->getKey().text().isEmpty())
                byKey.emplace(m->getKey().text().view(), m.get());
    }
    const CZunDataItem* find(const CZunString& key) const
    {
        const auto it = byKey.find(key.view());
        return it == byKey.end() ? nullptr : it->second;
    }
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
    const CZunDataItem* item = dir.childNamed(key.view());
    return item && item->isDir() ? item : nullptr;
}

enum class Field { Absent, Given, Bad };

Field textListOf(const CZunDataItem* item, CZunArrayTempl<CZunString>& out)
{
    if (!item)
        return Field::Absent;
    if (item->isDir())
        return Field::Bad;
    if (item->get(out))  // leaves out as it was when the item holds no texts
        return Field::Given;
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
    for (const auto& child : from.childList())
        if (overwrite || !props.childByKey(child->getKey()))
            props.setChild(child->getKey(), *child);
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
    // One pass over the members: a material is read for every node of a
    // material tree, and a lookup per member name costs more than the walk.
    const CZunDataItem* props = nullptr;
    const CZunDataItem* phys = nullptr;
    for (const auto& child : m.childList()) {
        const CZunDataItem* c = child.get();
        switch (ownMember(c->getKey())) {
        case Own::Label:
            c->get(out.label);
            break;
        case Own::Subs:
            textListOf(c, out.subMats);
            break;
        case Own::Edges:
            given.edges = textListOf(c, out.edges) == Field::Given;
            break;
        case Own::Edge:
            given.edge = kindOf(c, out.edgeKind) == Field::Given;
            break;
        case Own::Ref:
            c->get(out.refKey);
            break;
        case Own::Props:
            props = c;
            break;
        case Own::Phys:
            phys = c;
            break;
        case Own::None:
            // A property written beside the own members; one of the same
            // name in "PROPS" wins (copied over it below).
            if (!out.props.childByKey(c->getKey()))
                out.props.setChild(c->getKey(), *c);
            break;
        }
    }
    if (props && props->isDir())
        addProps(*props, out.props, true);

    given.phys = kindOf(phys, out.physKind) == Field::Given;
    CZunString flag;
    if (!given.phys && phys && phys->get(flag) && !flag.isEmpty()) {
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
        const CZunDataItem* m = library.find(key);
        return m ? m : materialIn(drawing, key);
    }
};

// The materials being resolved, the one asked for first: a reference loop
// ends at the first material met twice instead of recursing for ever, and
// a chain ends after kMatMaxReferences references. A key always finds the
// same directory, so the directories stand for the keys. Held on the
// stack: a material is resolved for every node of a material tree.
struct Chain {
    std::array<const CZunDataItem*, kMatMaxReferences + 2> items{};
    size_t size = 0;

    bool holds(const CZunDataItem* m) const
    {
        return std::find(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(size), m) !=
               items.begin() + static_cast<std::ptrdiff_t>(size);
    }
};

void resolve(const Sources& sources, const CZunDataItem& m, const CZunString& key, CMatProp& out, Chain& chain)
{
    chain.items[chain.size++] = &m;
    const Given given = readOwn(m, key, out);
    const bool follow = chain.size <= static_cast<size_t>(kMatMaxReferences);
    const CZunDataItem* ref = follow && !out.refKey.isEmpty() ? sources.find(out.refKey) : nullptr;
    if (ref && !chain.holds(ref)) {
        CMatProp base;
        resolve(sources, *ref, out.refKey, base, chain);
        if (!given.phys)
            out.physKind = base.physKind;
        if (!given.edge)
            out.edgeKind = base.edgeKind;
        if (!given.edges)
            out.edges = base.edges;
        addProps(base.props, out.props, false);
    }
    out.physProps.clear();
    out.physProps.reserve(out.props.childCount());
    for (const auto& child : out.props.childList())
        out.physProps.append(child->getKey().toString());
}

// ---- reading in place, for CZunMatReader ------------------------------------------
// The same rules as readOwn and resolve, answered from the stored members
// without building the material's properties.

template <class T>
const T* valueOf(const CZunDataItem* item)
{
    return item ? std::get_if<T>(&item->value()) : nullptr;
}

// A material's own members, found in one pass over its children: a
// material tree reads every material, and one lookup per member name costs
// more than the walk.
class OwnMembers {
public:
    explicit OwnMembers(const CZunDataItem& m)
    {
        for (const auto& child : m.childList())
            if (const Own own = ownMember(child->getKey()); own != Own::None)
                m_of[static_cast<size_t>(own)] = child.get();
    }
    const CZunDataItem* operator[](Own own) const { return m_of[static_cast<size_t>(own)]; }

private:
    std::array<const CZunDataItem*, static_cast<size_t>(Own::Props) + 1> m_of{};
};

// Walks a material and those it derives from, nearest first, as resolve
// follows them; stops where visit(material, its members) returns true.
template <class Visit>
void walkReferences(const Sources& sources, const CZunDataItem& m, Visit visit)
{
    Chain chain;
    for (const CZunDataItem* at = &m; at;) {
        chain.items[chain.size++] = at;
        const OwnMembers own(*at);
        if (visit(*at, own) || chain.size > static_cast<size_t>(kMatMaxReferences))
            return;
        const CZunString* ref = valueOf<CZunString>(own[Own::Ref]);
        const CZunDataItem* next = ref && !ref->isEmpty() ? sources.find(*ref) : nullptr;
        at = next && !chain.holds(next) ? next : nullptr;
    }
}

// The physical kind a material gives itself: a kind code, or a flag.
bool ownPhysKind(const OwnMembers& own, int& kind)
{
    const CZunDataItem* phys = own[Own::Phys];
    if (kindOf(phys, kind) == Field::Given)
        return true;
    const CZunString* flag = valueOf<CZunString>(phys);
    if (!flag || flag->isEmpty())
        return false;
    kind = physKindOfFlag(*flag);
    return true;
}

// Whether a material gives the property flag itself, in the order readOwn
// lets them win: "PROPS", then a member beside the own ones, then its
// physical flag. on tells whether it is switched on.
bool ownFlag(const CZunDataItem& m, const OwnMembers& own, const CZunItemKey& flag, bool& on)
{
    auto found = [&on](const CZunDataItem* item) {
        bool value = true;
        on = !item->get(value) || value;
        return true;
    };
    if (const CZunDataItem* props = own[Own::Props]; props && props->isDir())
        if (const CZunDataItem* item = props->childByKey(flag))
            return found(item);
    if (ownMember(flag) == Own::None)
        if (const CZunDataItem* item = m.childByKey(flag))
            return found(item);
    const CZunDataItem* phys = own[Own::Phys];
    int kind = 0;
    const CZunString* physFlag = valueOf<CZunString>(phys);
    if (kindOf(phys, kind) != Field::Given && physFlag && !physFlag->isEmpty() && CZunItemKey(*physFlag) == flag) {
        on = true;
        return true;
    }
    return false;
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
    library->index();
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
    const CZunDataItem* m = sources.find(key);
    if (!m)
        return false;
    CMatProp found;
    Chain chain;
    resolve(sources, *m, key, found, chain);
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
    CZunString text = prop.label.isEmpty() ? CZunString() : label_get(prop.label, country);
    if (text.isEmpty())
        return prop.key;
    return text;
}

bool CZunMatMgr::isShadowMat(const CZunString& key) const
{
    const std::shared_ptr<const Library> lib = library();
    return !lib->find(key) && materialIn(drawingCurrent().materials(), key);
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

// ---- the reader ------------------------------------------------------------------

struct CZunMatReader::Impl {
    std::shared_ptr<const Library> lib = library();
    const CZunDataItem& drawing = drawingCurrent().materials();
    Sources sources{*lib, drawing};
};

CZunMatReader::CZunMatReader() : m_impl(std::make_unique<const Impl>()) {}

CZunMatReader::~CZunMatReader() = default;

bool CZunMatReader::entryGet(const CZunString& key, CMatEntry& entry) const
{
    const CZunDataItem* m = m_impl->lib->find(key);
    const bool shadow = !m;
    if (shadow && !(m = materialIn(m_impl->drawing, key)))
        return false;
    CMatEntry read;
    read.shadow = shadow;
    bool edgeGiven = false;
    bool physGiven = false;
    walkReferences(m_impl->sources, *m, [&](const CZunDataItem& at, const OwnMembers& own) {
        if (&at == m) {
            // Label and sub-materials belong to the one material.
            read.label = valueOf<CZunString>(own[Own::Label]);
            read.subMats = valueOf<CZunArrayTempl<CZunString>>(own[Own::Subs]);
        }
        if (!edgeGiven)
            edgeGiven = kindOf(own[Own::Edge], read.edgeKind) == Field::Given;
        if (!physGiven)
            physGiven = ownPhysKind(own, read.physKind);
        return edgeGiven && physGiven;
    });
    entry = read;
    return true;
}

bool CZunMatReader::flagOn(const CZunString& key, const CZunItemKey& flag) const
{
    const CZunDataItem* m = m_impl->sources.find(key);
    if (!m || (flag.isText() && flag.text().isEmpty()))
        return false;
    bool found = false;
    bool on = false;
    walkReferences(m_impl->sources, *m,
                   [&](const CZunDataItem& at, const OwnMembers& own) { return found = ownFlag(at, own, flag, on); });
    return found && on;
}

bool CZunMatReader::isShadowMat(const CZunString& key) const
{
    return !m_impl->lib->find(key) && materialIn(m_impl->drawing, key);
}
