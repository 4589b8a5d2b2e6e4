#include "ui/core/zun_mat_tree.h"

#include "contracts/data/zun_material.h"

#include <algorithm>
#include <cwctype>
#include <deque>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace ZUN {

namespace {

constexpr const wchar_t* kSystem = L"SYSTEM";
constexpr const wchar_t* kSpace = L"SPACE";
constexpr const wchar_t* kNameGap = L"   ";

bool equalNoCase(const CZunString& a, const CZunString& b)
{
    return a.len() == b.len() && std::equal(a.str().begin(), a.str().end(), b.str().begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
           });
}

// A physical sub-type is a flag property: present, and not switched off.
bool hasPhysType(const CMatProp& prop, const CZunString& type)
{
    const CZunDataKey key{CZunItemKey(type)};
    if (!prop.props.getItem(key))
        return false;
    bool on = true;
    return !prop.props.get(on, key) || on;
}

} // namespace

bool matTreeTextLess(const CZunString& a, const CZunString& b)
{
    const std::wstring& x = a.str();
    const std::wstring& y = b.str();
    const size_t n = std::min(x.size(), y.size());
    for (size_t i = 0; i < n; ++i) {
        const wint_t cx = std::towlower(static_cast<wint_t>(x[i]));
        const wint_t cy = std::towlower(static_cast<wint_t>(y[i]));
        if (cx != cy)
            return cx < cy;
    }
    if (x.size() != y.size())
        return x.size() < y.size();
    return x < y;
}

// What one build works on. Nodes are made in creation order as plain
// numbers (parent, material); texts live with the materials.
struct CMatTreeLayout::Build {
    const CZunMatMgr& mgr;
    const MatTreeInput& in;
    std::unordered_map<std::wstring, int> index;  // material key -> m_mats
    std::unordered_set<std::wstring> drawing;     // keys the drawing holds
    std::vector<int> madeParent;                  // per made node, creation order
    std::vector<int> madeMat;                     // -1 for a root
    int selected = -1;
};

const CZunString& CMatTreeLayout::key(int node) const
{
    static const CZunString none;
    const int mat = node >= 0 && node < static_cast<int>(m_nodes.size()) ? m_nodes[static_cast<size_t>(node)].mat : -1;
    return mat < 0 ? none : m_mats[static_cast<size_t>(mat)].key;
}

const CZunString& CMatTreeLayout::text(int node) const
{
    static const CZunString none;
    if (node < 0 || node >= static_cast<int>(m_nodes.size()))
        return none;
    const int mat = m_nodes[static_cast<size_t>(node)].mat;
    if (mat >= 0)
        return m_mats[static_cast<size_t>(mat)].text;
    return m_rootText[node == m_libraryRoot ? 0 : 1];
}

int CMatTreeLayout::matIndex(Build& b, const CZunString& key)
{
    const auto [it, added] = b.index.try_emplace(key.str(), static_cast<int>(m_mats.size()));
    if (added) {
        m_mats.emplace_back();
        m_mats.back().key = key;
    }
    return it->second;
}

void CMatTreeLayout::readMat(Build& b, int i)
{
    if (m_mats[static_cast<size_t>(i)].read)
        return;
    // A key the manager does not know keeps the empty properties and shows
    // its key.
    CMatProp prop;
    const CZunString key = m_mats[static_cast<size_t>(i)].key;
    b.mgr.propGet(key, prop);
    CZunString label = b.mgr.matLabel(key, b.in.country);
    std::vector<int> subs;
    subs.reserve(static_cast<size_t>(prop.subMats.len()));
    for (const CZunString& sub : prop.subMats)
        subs.push_back(matIndex(b, sub));  // may move m_mats

    const unsigned flags = b.in.flags;
    Mat& m = m_mats[static_cast<size_t>(i)];
    m.read = true;
    m.label = label == key ? CZunString() : std::move(label);
    m.subs = std::move(subs);
    // Only a material the drawing holds can be one the library lacks.
    m.shadow = b.drawing.count(key.str()) && b.mgr.isShadowMat(key);
    m.selfEdge = prop.edgeKind != kMatEdgeNone;
    m.selfPhys = prop.physKind != kMatPhysNone &&
                 std::all_of(b.in.physTypes.begin(), b.in.physTypes.end(),
                             [&](const CZunString& type) { return hasPhysType(prop, type); });
    if (flags & kMatTreeNames)
        m.text = m.label.isEmpty() ? m.key : m.key + kNameGap + m.label;
    else
        m.text = m.label.isEmpty() ? m.key : m.label;
    const bool shownForDescendant = ((flags & kMatTreeEdge) && !m.selfEdge) || ((flags & kMatTreePhys) && !m.selfPhys);
    m.image = shownForDescendant ? kMatImageGroup : m.shadow ? kMatImageDrawing : kMatImageLibrary;
    m.wanted = !b.in.selMat.isEmpty() && equalNoCase(m.key, b.in.selMat);
}

// Whether a material or any of its descendants passes the edge and the
// physical test, for every material read. Worked backwards from the
// materials that pass themselves along the reversed sub-material links, so
// that cycles and shared sub-materials cost each link once.
void CMatTreeLayout::qualify(Build&)
{
    const size_t count = m_mats.size();
    std::vector<std::vector<int>> usedBy(count);
    for (size_t i = 0; i < count; ++i)
        for (int sub : m_mats[i].subs)
            usedBy[static_cast<size_t>(sub)].push_back(static_cast<int>(i));

    auto spread = [&](bool Mat::*self, bool Mat::*leads) {
        std::vector<int> todo;
        for (size_t i = 0; i < count; ++i) {
            if (m_mats[i].*self) {
                m_mats[i].*leads = true;
                todo.push_back(static_cast<int>(i));
            }
        }
        while (!todo.empty()) {
            const int i = todo.back();
            todo.pop_back();
            for (int user : usedBy[static_cast<size_t>(i)]) {
                if (!(m_mats[static_cast<size_t>(user)].*leads)) {
                    m_mats[static_cast<size_t>(user)].*leads = true;
                    todo.push_back(user);
                }
            }
        }
    };
    spread(&Mat::selfEdge, &Mat::edgeLeads);
    spread(&Mat::selfPhys, &Mat::physLeads);
}

bool CMatTreeLayout::listed(const Build& b, int mat) const
{
    return !((b.in.flags & kMatTreeNoSpace) && m_mats[static_cast<size_t>(mat)].key == kSpace);
}

void CMatTreeLayout::addSubtree(Build& b, const CZunArrayTempl<int>& tops, int root)
{
    auto make = [&](int parent, int mat) {
        const int n = static_cast<int>(b.madeParent.size());
        b.madeParent.push_back(parent);
        b.madeMat.push_back(mat);
        if (m_mats[static_cast<size_t>(mat)].wanted)
            b.selected = n;
        return n;
    };

    // Depth first with a stack of its own: a long chain of sub-materials
    // must not exhaust the call stack.
    struct Frame {
        int node;
        int mat;
        size_t next;
    };
    std::vector<Frame> stack;
    for (int top : tops) {
        if (!listed(b, top))
            continue;
        stack.push_back({make(root, top), top, 0});
        m_mats[static_cast<size_t>(top)].onPath = true;
        while (!stack.empty()) {
            Frame& f = stack.back();
            const std::vector<int>& subs = m_mats[static_cast<size_t>(f.mat)].subs;
            if (f.next == subs.size()) {
                m_mats[static_cast<size_t>(f.mat)].onPath = false;
                stack.pop_back();
                continue;
            }
            const int sub = subs[f.next++];
            if (m_mats[static_cast<size_t>(sub)].onPath || !listed(b, sub))
                continue;  // a cycle back to an ancestor ends here
            const int child = make(f.node, sub);
            m_mats[static_cast<size_t>(sub)].onPath = true;
            stack.push_back({child, sub, 0});
        }
    }
}

// The sibling orders as numbers, once per material: the text order, and
// for the materials of the top level "SYSTEM" first and the rest by label
// in the tree's language. Equal texts (labels) share a rank, so that the
// stable sorts keep their order of making.
void CMatTreeLayout::rankMaterials(Build&, const CZunArrayTempl<int>& tops)
{
    auto mat = [&](int i) -> Mat& { return m_mats[static_cast<size_t>(i)]; };
    // Texts folded once: the sort then compares plain characters.
    std::vector<std::wstring> folded(m_mats.size());
    std::vector<int> byText(m_mats.size());
    for (size_t i = 0; i < m_mats.size(); ++i) {
        byText[i] = static_cast<int>(i);
        folded[i] = m_mats[i].text.str();
        for (wchar_t& c : folded[i])
            c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    }
    std::sort(byText.begin(), byText.end(), [&](int x, int y) {
        const int c = folded[static_cast<size_t>(x)].compare(folded[static_cast<size_t>(y)]);
        return c != 0 ? c < 0 : mat(x).text.str() < mat(y).text.str();
    });
    for (size_t r = 0; r < byText.size(); ++r)
        mat(byText[r]).textRank = r > 0 && mat(byText[r]).text == mat(byText[r - 1]).text
                                      ? mat(byText[r - 1]).textRank
                                      : static_cast<int>(r);

    auto sortLabel = [&](int i) -> const CZunString& { return mat(i).label.isEmpty() ? mat(i).key : mat(i).label; };
    std::vector<std::pair<bool, int>> byLabel;  // (not first, material)
    for (int i : tops)
        byLabel.emplace_back(!(mat(i).key.isEmpty() || equalNoCase(mat(i).key, kSystem)), i);
    std::sort(byLabel.begin(), byLabel.end(), [&](const auto& x, const auto& y) {
        if (x.first != y.first)
            return !x.first;
        return x.first && sortLabel(x.second) < sortLabel(y.second);
    });
    for (size_t r = 0; r < byLabel.size(); ++r) {
        const auto& [later, x] = byLabel[r];
        const bool same = r > 0 && later == byLabel[r - 1].first &&
                          (!later || sortLabel(x) == sortLabel(byLabel[r - 1].second));
        mat(x).rootRank = same ? mat(byLabel[r - 1].second).rootRank : static_cast<int>(r);
    }
}

// Puts the made nodes into display order: children of each node sorted by
// their rank, subtrees whole.
void CMatTreeLayout::order(Build& b)
{
    const size_t made = b.madeParent.size();
    // Children per node in creation order, in one array.
    std::vector<int> first(made + 1, 0);
    for (size_t n = 0; n < made; ++n)
        if (b.madeParent[n] >= 0)
            ++first[static_cast<size_t>(b.madeParent[n]) + 1];
    for (size_t n = 0; n < made; ++n)
        first[n + 1] += first[n];
    std::vector<int> children(static_cast<size_t>(first[made]));
    std::vector<int> fill(first.begin(), first.end() - 1);
    for (size_t n = 0; n < made; ++n)
        if (b.madeParent[n] >= 0)
            children[static_cast<size_t>(fill[static_cast<size_t>(b.madeParent[n])]++)] = static_cast<int>(n);

    for (size_t n = 0; n < made; ++n) {
        auto from = children.begin() + first[n];
        auto to = children.begin() + first[n + 1];
        const bool root = b.madeMat[n] < 0;
        std::stable_sort(from, to, [&](int x, int y) {
            const Mat& mx = m_mats[static_cast<size_t>(b.madeMat[static_cast<size_t>(x)])];
            const Mat& my = m_mats[static_cast<size_t>(b.madeMat[static_cast<size_t>(y)])];
            return root ? mx.rootRank < my.rootRank : mx.textRank < my.textRank;
        });
    }

    m_nodes.clear();
    m_nodes.reserve(made);
    std::vector<int> position(made, -1);
    std::vector<int> todo;
    for (int root : {m_libraryRoot, m_drawingRoot}) {
        if (root < 0)
            continue;
        todo.push_back(root);
        while (!todo.empty()) {
            const int n = todo.back();
            todo.pop_back();
            MatTreeNode node;
            const int parent = b.madeParent[static_cast<size_t>(n)];
            node.parent = parent >= 0 ? position[static_cast<size_t>(parent)] : -1;
            node.mat = b.madeMat[static_cast<size_t>(n)];
            node.image = node.mat >= 0 ? m_mats[static_cast<size_t>(node.mat)].image : kMatImageGroup;
            node.created = n;
            position[static_cast<size_t>(n)] = static_cast<int>(m_nodes.size());
            m_nodes.push_back(node);
            for (int c = first[static_cast<size_t>(n) + 1] - 1; c >= first[static_cast<size_t>(n)]; --c)
                todo.push_back(children[static_cast<size_t>(c)]);
        }
    }
    m_libraryRoot = position[static_cast<size_t>(m_libraryRoot)];
    if (m_drawingRoot >= 0)
        m_drawingRoot = position[static_cast<size_t>(m_drawingRoot)];
    m_selected = b.selected >= 0 ? position[static_cast<size_t>(b.selected)] : m_libraryRoot;
}

void CMatTreeLayout::build(const CZunMatMgr& mgr, const MatTreeInput& in)
{
    m_mats.clear();
    m_nodes.clear();
    m_libraryRoot = m_drawingRoot = m_selected = -1;
    m_rootText[0] = in.libraryText;
    m_rootText[1] = in.drawingText;
    Build b{mgr, in, {}, {}, {}, {}, -1};
    const unsigned flags = in.flags;

    CZunArrayTempl<CZunString> keys;
    mgr.matDrawAll(keys, false);
    b.drawing.reserve(static_cast<size_t>(keys.len()));
    for (const CZunString& key : keys)
        b.drawing.insert(key.str());

    // The top level: the drawing's materials, less the ones the flags keep out.
    CZunArrayTempl<int> candidates;
    for (const CZunString& key : keys) {
        if (key.isEmpty() || equalNoCase(key, kSystem))
            continue;
        if ((flags & kMatTreeNoSpace) && key == kSpace)
            continue;
        const int i = matIndex(b, key);
        readMat(b, i);
        if (!(flags & kMatTreeDrawing) && m_mats[static_cast<size_t>(i)].shadow)
            continue;
        candidates.append(i);
    }
    const int system = (flags & kMatTreeSystem) ? matIndex(b, kSystem) : -1;

    // Everything below them, each material read once.
    std::deque<int> todo(candidates.begin(), candidates.end());
    if (system >= 0)
        todo.push_back(system);
    std::vector<bool> queued(m_mats.size(), false);
    while (!todo.empty()) {
        const int i = todo.front();
        todo.pop_front();
        readMat(b, i);
        if (queued.size() < m_mats.size())
            queued.resize(m_mats.size(), false);
        for (int sub : m_mats[static_cast<size_t>(i)].subs) {
            if (!m_mats[static_cast<size_t>(sub)].read && !queued[static_cast<size_t>(sub)]) {
                queued[static_cast<size_t>(sub)] = true;
                todo.push_back(sub);
            }
        }
    }
    if (flags & (kMatTreeEdge | kMatTreePhys))
        qualify(b);

    CZunArrayTempl<int> lib;
    CZunArrayTempl<int> drawing;
    for (int i : candidates) {
        const Mat& m = m_mats[static_cast<size_t>(i)];
        if ((flags & kMatTreeEdge) && !m.edgeLeads)
            continue;
        if ((flags & kMatTreePhys) && !m.physLeads)
            continue;
        (m.shadow ? drawing : lib).append(i);
    }
    if (system >= 0)
        lib.append(system);

    auto makeRoot = [&] {
        b.madeParent.push_back(-1);
        b.madeMat.push_back(-1);
        return static_cast<int>(b.madeParent.size()) - 1;
    };
    m_libraryRoot = makeRoot();
    addSubtree(b, lib, m_libraryRoot);
    if (flags & kMatTreeDrawing) {
        m_drawingRoot = makeRoot();
        addSubtree(b, drawing, m_drawingRoot);
    }
    CZunArrayTempl<int> tops = lib;
    for (int i : drawing)
        tops.append(i);
    rankMaterials(b, tops);
    order(b);
}

} // namespace ZUN
