#include "ui/core/zun_mat_tree.h"

#include "contracts/data/zun_material.h"
#include "contracts/data/zun_msg.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <string_view>
#include <cwctype>
#include <deque>
#include <string>

namespace ZUN {

namespace {

constexpr const wchar_t* kSystem = L"SYSTEM";
constexpr const wchar_t* kSpace = L"SPACE";
constexpr const wchar_t* kNameGap = L"   ";

bool equalNoCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return x == y || std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
           });
}

} // namespace

namespace {

// A flag property that is present and not switched off.
bool physFlagOn(const CMatProp& prop, const CZunItemKey& type)
{
    const CZunDataItem* flag = prop.props.childByKey(type);
    bool on = true;
    return flag && (!flag->get(on) || on);
}

} // namespace

bool matHasPhysType(const CMatProp& prop, const CZunString& type)
{
    // An empty type asks for nothing.
    return type.isEmpty() || physFlagOn(prop, CZunItemKey(type));
}

bool matTreeTextLess(const CZunString& a, const CZunString& b)
{
    const std::wstring& x = a.str();
    const std::wstring& y = b.str();
    const size_t n = std::min(x.size(), y.size());
    for (size_t i = 0; i < n; ++i) {
        if (x[i] == y[i])
            continue;  // siblings share long prefixes: fold only where they differ
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
    CZunMatReader reader;                         // every material is read through it
    std::vector<int> slots;                       // material key -> m_mats (CMatTreeLayout::matIndex)
    std::vector<int> subs;                        // the sub-materials of the material being read
    std::vector<CZunItemKey> physKeys;            // the requested sub-types as property keys
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

namespace {

size_t keyHash(const CZunString& key) { return std::hash<std::wstring_view>{}(key.view()); }

} // namespace

// The materials of the last build are kept and filled again: their texts
// and lists keep their room, so that building a tree again allocates
// little.
void CMatTreeLayout::newMat(const CZunString& key)
{
    if (m_matCount == m_mats.size())
        m_mats.emplace_back();
    Mat& m = m_mats[m_matCount++];
    CZunString oldKey = std::move(m.key);
    CZunString oldText = std::move(m.text);
    std::vector<int> oldSubs = std::move(m.subs);
    m = Mat();
    m.key = std::move(oldKey);
    m.key = key;  // into the old key's room when it fits
    m.text = std::move(oldText);
    m.text.empty();
    m.subs = std::move(oldSubs);
    m.subs.clear();
}

// Keys find their material through an open-addressed table of indices
// into m_mats: each key is held once, by its material, and a lookup
// allocates nothing. The table is kept at most half full.
int CMatTreeLayout::matIndex(Build& b, const CZunString& key)
{
    if (b.slots.size() < 2 * (m_matCount + 1)) {
        b.slots.assign(std::max<size_t>(64, std::bit_ceil(4 * (m_matCount + 1))), -1);
        const size_t mask = b.slots.size() - 1;
        for (size_t i = 0; i < m_matCount; ++i) {
            size_t s = keyHash(m_mats[i].key) & mask;
            while (b.slots[s] >= 0)
                s = (s + 1) & mask;
            b.slots[s] = static_cast<int>(i);
        }
    }
    const size_t mask = b.slots.size() - 1;
    for (size_t s = keyHash(key) & mask;; s = (s + 1) & mask) {
        const int i = b.slots[s];
        if (i < 0) {
            b.slots[s] = static_cast<int>(m_matCount);
            newMat(key);
            return b.slots[s];
        }
        if (m_mats[static_cast<size_t>(i)].key == key)
            return i;
    }
}

void CMatTreeLayout::readMat(Build& b, int i)
{
    if (m_mats[static_cast<size_t>(i)].read)
        return;
    // A key the manager does not know keeps an empty entry and shows its key.
    CMatEntry entry;
    {
        Mat& m = m_mats[static_cast<size_t>(i)];
        const bool known = b.reader.entryGet(m.key, entry);
        CZunString label = entry.label && !entry.label->isEmpty() ? label_get(*entry.label, b.in.country) : CZunString();
        const bool ownLabel = !label.isEmpty() && label != m.key;
        const unsigned flags = b.in.flags;
        m.read = true;
        // Only a material the drawing holds can be one the library lacks.
        m.shadow = known && entry.shadow;
        m.selfEdge = entry.edgeKind != kMatEdgeNone;
        m.selfPhys = entry.physKind != kMatPhysNone &&
                     std::all_of(b.physKeys.begin(), b.physKeys.end(),
                                 [&](const CZunItemKey& type) { return b.reader.flagOn(m.key, type); });
        if (!ownLabel) {
            m.text = m.key;
        } else if (flags & kMatTreeNames) {
            m.text = m.key;
            m.text += kNameGap;
            m.labelAt = m.text.len();
            m.text += label;
        } else {
            m.text = label;
        }
        const bool shownForDescendant =
            ((flags & kMatTreeEdge) && !m.selfEdge) || ((flags & kMatTreePhys) && !m.selfPhys);
        m.image = shownForDescendant ? kMatImageGroup : m.shadow ? kMatImageDrawing : kMatImageLibrary;
        m.wanted = !b.in.selMat.isEmpty() && equalNoCase(m.key.view(), b.in.selMat.view());
        m.hidden = (flags & kMatTreeNoSpace) && m.key == kSpace;
    }
    if (!entry.subMats)
        return;
    // Last: making the sub-materials known may move m_mats.
    b.subs.clear();
    for (const CZunString& sub : *entry.subMats)
        b.subs.push_back(matIndex(b, sub));
    m_mats[static_cast<size_t>(i)].subs.assign(b.subs.begin(), b.subs.end());
}

// Whether a material or any of its descendants passes the edge and the
// physical test, for every material read. Worked backwards from the
// materials that pass themselves along the reversed sub-material links, so
// that cycles and shared sub-materials cost each link once.
void CMatTreeLayout::qualify(Build&)
{
    // The reversed links in one array: the users of material i are
    // users[firstUser[i] .. firstUser[i + 1]).
    const size_t count = m_matCount;
    std::vector<int> firstUser(count + 1, 0);
    for (size_t i = 0; i < count; ++i)
        for (int sub : m_mats[i].subs)
            ++firstUser[static_cast<size_t>(sub) + 1];
    for (size_t i = 0; i < count; ++i)
        firstUser[i + 1] += firstUser[i];
    std::vector<int> users(static_cast<size_t>(firstUser[count]));
    std::vector<int> fill(firstUser.begin(), firstUser.end() - 1);
    for (size_t i = 0; i < count; ++i)
        for (int sub : m_mats[i].subs)
            users[static_cast<size_t>(fill[static_cast<size_t>(sub)]++)] = static_cast<int>(i);

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
            for (int u = firstUser[static_cast<size_t>(i)]; u < firstUser[static_cast<size_t>(i) + 1]; ++u) {
                const int user = users[static_cast<size_t>(u)];
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

bool CMatTreeLayout::listed(int mat) const
{
    return !m_mats[static_cast<size_t>(mat)].hidden;
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
        if (!listed(top))
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
            if (m_mats[static_cast<size_t>(sub)].onPath || !listed(sub))
                continue;  // a cycle back to an ancestor ends here
            const int child = make(f.node, sub);
            m_mats[static_cast<size_t>(sub)].onPath = true;
            stack.push_back({child, sub, 0});
        }
    }
}

// The order of the top level as numbers: "SYSTEM" first, the rest by label
// in the tree's language. Equal labels share a rank, so that the stable
// sort keeps their order of making.
void CMatTreeLayout::rankMaterials(Build&, const CZunArrayTempl<int>& tops)
{
    auto mat = [&](int i) -> Mat& { return m_mats[static_cast<size_t>(i)]; };
    struct Top {
        bool later;              // not "SYSTEM"
        std::wstring_view label; // its label, or its key when it has none
        int mat;
    };
    std::vector<Top> byLabel;
    byLabel.reserve(static_cast<size_t>(tops.len()));
    for (int i : tops)
        byLabel.push_back({!(mat(i).key.isEmpty() || equalNoCase(mat(i).key.view(), kSystem)),
                           mat(i).text.view().substr(static_cast<size_t>(mat(i).labelAt)), i});
    std::sort(byLabel.begin(), byLabel.end(), [](const Top& x, const Top& y) {
        if (x.later != y.later)
            return !x.later;
        if (!x.later)
            return false;
        // A plain loop: the library's wide compare costs more to set up
        // than these short labels take to compare.
        const auto [a, b] = std::mismatch(x.label.begin(), x.label.end(), y.label.begin(), y.label.end());
        return b != y.label.end() && (a == x.label.end() || *a < *b);
    });
    for (size_t r = 0; r < byLabel.size(); ++r) {
        const Top& t = byLabel[r];
        const bool same = r > 0 && t.later == byLabel[r - 1].later && (!t.later || t.label == byLabel[r - 1].label);
        mat(t.mat).rootRank = same ? mat(byLabel[r - 1].mat).rootRank : static_cast<int>(r);
    }
}

namespace {

// A stable sort for the sibling lists of the tree: most hold a handful of
// nodes, for which moving elements in place beats the buffer that
// std::stable_sort allocates on every call.
template <class It, class Less>
void sortSiblings(It from, It to, Less less)
{
    if (to - from > 16) {
        std::stable_sort(from, to, less);
        return;
    }
    for (It i = from + (from != to); i < to; ++i) {
        auto value = *i;
        It j = i;
        for (; j != from && less(value, *(j - 1)); --j)
            *j = *(j - 1);
        *j = value;
    }
}

} // namespace

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
        sortSiblings(from, to, [&](int x, int y) {
            const Mat& mx = m_mats[static_cast<size_t>(b.madeMat[static_cast<size_t>(x)])];
            const Mat& my = m_mats[static_cast<size_t>(b.madeMat[static_cast<size_t>(y)])];
            return root ? mx.rootRank < my.rootRank : matTreeTextLess(mx.text, my.text);
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
    m_matCount = 0;
    m_nodes.clear();
    m_libraryRoot = m_drawingRoot = m_selected = -1;
    m_rootText[0] = in.libraryText;
    m_rootText[1] = in.drawingText;
    Build b{mgr, in, {}, {}, {}, {}, {}, {}, -1};
    const unsigned flags = in.flags;
    if (flags & kMatTreePhys)
        for (const CZunString& type : in.physTypes)
            if (!type.isEmpty())  // asks for nothing
                b.physKeys.emplace_back(type);

    CZunArrayTempl<CZunString> keys;
    mgr.matDrawAll(keys, false);

    // The top level: the drawing's materials, less the ones the flags keep out.
    CZunArrayTempl<int> candidates;
    for (const CZunString& key : keys) {
        if (key.isEmpty() || equalNoCase(key.view(), kSystem))
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
    std::vector<bool> queued(m_matCount, false);
    while (!todo.empty()) {
        const int i = todo.front();
        todo.pop_front();
        readMat(b, i);
        if (queued.size() < m_matCount)
            queued.resize(m_matCount, false);
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
