#include "ui/core/zun_mat_tree.h"

#include "contracts/data/zun_material.h"

#include <algorithm>
#include <cwctype>
#include <deque>
#include <string>
#include <unordered_map>

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

// What one build works on; the nodes are made here in creation order and
// put into display order at the end.
struct CMatTreeLayout::Build {
    const CZunMatMgr& mgr;
    const MatTreeInput& in;
    std::unordered_map<std::wstring, int> index;  // material key -> m_mats
    std::vector<MatTreeNode> made;                // creation order
    std::vector<int> nodeMat;                     // material of each made node; -1 for a root
    std::vector<std::vector<int>> children;       // per made node
    int selected = -1;
};

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

    Mat& m = m_mats[static_cast<size_t>(i)];
    m.read = true;
    m.label = label == key ? CZunString() : label;
    m.subs = std::move(subs);
    m.shadow = b.mgr.isShadowMat(key);
    m.selfEdge = prop.edgeKind != kMatEdgeNone;
    m.selfPhys = prop.physKind != kMatPhysNone &&
                 std::all_of(b.in.physTypes.begin(), b.in.physTypes.end(),
                             [&](const CZunString& type) { return hasPhysType(prop, type); });
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
    const unsigned flags = b.in.flags;
    auto make = [&](int parent, int mat) {
        const Mat& m = m_mats[static_cast<size_t>(mat)];
        MatTreeNode node;
        node.parent = parent;
        node.key = m.key;
        if (flags & kMatTreeNames)
            node.text = m.label.isEmpty() ? m.key : m.key + kNameGap + m.label;
        else
            node.text = m.label.isEmpty() ? m.key : m.label;
        const bool shownForDescendant = ((flags & kMatTreeEdge) && !m.selfEdge) || ((flags & kMatTreePhys) && !m.selfPhys);
        node.image = shownForDescendant ? kMatImageGroup : m.shadow ? kMatImageDrawing : kMatImageLibrary;
        node.created = static_cast<int>(b.made.size());
        const int n = node.created;
        b.made.push_back(std::move(node));
        b.nodeMat.push_back(mat);
        b.children.emplace_back();
        b.children[static_cast<size_t>(parent)].push_back(n);
        if (!b.in.selMat.isEmpty() && equalNoCase(m.key, b.in.selMat))
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

void CMatTreeLayout::sortChildren(Build& b)
{
    for (std::vector<int>& kids : b.children) {
        std::stable_sort(kids.begin(), kids.end(), [&](int x, int y) {
            return matTreeTextLess(b.made[static_cast<size_t>(x)].text, b.made[static_cast<size_t>(y)].text);
        });
    }
    // Under the roots the system material comes first and the rest follow
    // by label in the tree's language.
    auto labelOf = [&](int node) -> const CZunString& {
        const Mat& m = m_mats[static_cast<size_t>(b.nodeMat[static_cast<size_t>(node)])];
        return m.label.isEmpty() ? m.key : m.label;
    };
    auto first = [&](int node) {
        const CZunString& key = b.made[static_cast<size_t>(node)].key;
        return key.isEmpty() || equalNoCase(key, kSystem);
    };
    for (int root : {m_libraryRoot, m_drawingRoot}) {
        if (root < 0)
            continue;
        std::vector<int>& kids = b.children[static_cast<size_t>(root)];
        std::stable_sort(kids.begin(), kids.end(), [&](int x, int y) {
            const bool fx = first(x);
            const bool fy = first(y);
            if (fx || fy)
                return fx && !fy;
            return labelOf(x) < labelOf(y);
        });
    }
}

void CMatTreeLayout::flatten(Build& b)
{
    m_nodes.clear();
    m_nodes.reserve(b.made.size());
    std::vector<int> position(b.made.size(), -1);
    std::vector<int> todo;
    for (int root : {m_libraryRoot, m_drawingRoot}) {
        if (root < 0)
            continue;
        todo.push_back(root);
        while (!todo.empty()) {
            const int n = todo.back();
            todo.pop_back();
            MatTreeNode node = std::move(b.made[static_cast<size_t>(n)]);
            if (node.parent >= 0)
                node.parent = position[static_cast<size_t>(node.parent)];
            position[static_cast<size_t>(n)] = static_cast<int>(m_nodes.size());
            m_nodes.push_back(std::move(node));
            const std::vector<int>& kids = b.children[static_cast<size_t>(n)];
            todo.insert(todo.end(), kids.rbegin(), kids.rend());
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
    Build b{mgr, in, {}, {}, {}, {}, -1};
    const unsigned flags = in.flags;

    // The top level: the drawing's materials, less the ones the flags keep out.
    CZunArrayTempl<CZunString> keys;
    mgr.matDrawAll(keys, false);
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

    auto makeRoot = [&](const CZunString& text) {
        MatTreeNode root;
        root.text = text;
        root.created = static_cast<int>(b.made.size());
        b.made.push_back(root);
        b.nodeMat.push_back(-1);
        b.children.emplace_back();
        return root.created;
    };
    m_libraryRoot = makeRoot(in.libraryText);
    addSubtree(b, lib, m_libraryRoot);
    if (flags & kMatTreeDrawing) {
        m_drawingRoot = makeRoot(in.drawingText);
        addSubtree(b, drawing, m_drawingRoot);
    }
    sortChildren(b);
    flatten(b);
}

} // namespace ZUN
