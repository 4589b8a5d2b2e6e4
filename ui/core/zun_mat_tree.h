#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"

#include <vector>

class CZunMatMgr;
namespace ZUN {
struct CMatProp;
}

// Which nodes the material tree shows and in which order, without any
// widget: the material tree control inserts what this computes, and tests
// and benchmarks look at it directly.
namespace ZUN {

// Bits of the material tree's flags.
enum MatTreeFlag : unsigned {
    kMatTreeDrawing = 1,   // also drawing-only materials, under a second root
    kMatTreeNames = 2,     // node text: key, three blanks, label
    kMatTreeEdge = 4,      // only materials that are or lead to an edge material
    kMatTreeSystem = 8,    // "SYSTEM" under the library root
    kMatTreeNoSpace = 16,  // leave "SPACE" out
    kMatTreePhys = 32,     // only materials that are or lead to a physical material of the sub-types
};

// Node images: a root or a material shown for a descendant's sake, a
// library material, a material only the drawing holds.
enum MatTreeImage : int {
    kMatImageGroup = 0,
    kMatImageLibrary = 1,
    kMatImageDrawing = 2,
};

struct MatTreeNode {
    int parent = -1;    // index of the parent node; -1 for the two roots
    int mat = -1;       // the material shown (CMatTreeLayout::key, text); -1 for a root
    int image = kMatImageGroup;
    int created = 0;    // the order in which the nodes were made (first match of selectMat)
};

// What the tree asks of the material manager, for each material once.
struct MatTreeInput {
    unsigned flags = 0;
    CZunString selMat;                      // the requested selection; matched ignoring case
    CZunArrayTempl<CZunString> physTypes;   // with kMatTreePhys: sub-types a physical material must all have
    CZunString country;                     // language of the labels; empty: the current one
    CZunString libraryText = L"Bibliothek";
    CZunString drawingText = L"Zeichnung";
};

class CMatTreeLayout {
public:
    // Lays the tree out from the manager's materials: the drawing's
    // materials are the top level (library ones under the library root,
    // drawing-only ones under the drawing root), each with its
    // sub-materials below. A material that would repeat one of its
    // ancestors is left out there, so cyclic data ends; a sub-material
    // shared by several materials appears under each of them.
    void build(const CZunMatMgr& mgr, const MatTreeInput& input);

    // Nodes in display order: every node after its parent, siblings in
    // their sorted order, subtrees whole (depth first).
    const std::vector<MatTreeNode>& nodes() const { return m_nodes; }
    // A node's material key (empty for a root) and text.
    const CZunString& key(int node) const;
    const CZunString& text(int node) const;
    int libraryRoot() const { return m_libraryRoot; }
    int drawingRoot() const { return m_drawingRoot; }  // -1 without kMatTreeDrawing
    // The node to select when the tree is shown: the last node whose key
    // equals the requested one ignoring case, else the library root.
    int selected() const { return m_selected; }
    // Distinct materials looked up (each exactly once).
    int materialsRead() const { return static_cast<int>(m_matCount); }
    // The text of material mat (MatTreeNode::mat), shared by all its nodes.
    const CZunString& matText(int mat) const { return m_mats[static_cast<size_t>(mat)].text; }

private:
    // One material as the tree needs it, read from the manager once.
    struct Mat {
        CZunString key;
        CZunString text;         // what its nodes show
        int labelAt = 0;         // where its label (its key when it has none) starts in text
        std::vector<int> subs;   // indices of its sub-materials
        int image = kMatImageLibrary;
        int rootRank = 0;        // place in the label order under a root
        bool read = false;
        bool shadow = false;     // only the drawing holds it
        bool selfEdge = false;   // an edge material itself
        bool selfPhys = false;   // a physical material of every requested sub-type itself
        bool edgeLeads = false;  // it or a descendant is an edge material
        bool physLeads = false;  // it or a descendant passes the physical test
        bool onPath = false;     // an ancestor of the node being built
        bool wanted = false;     // its key is the requested selection
        bool hidden = false;     // left out of the tree ("SPACE" with kMatTreeNoSpace)
    };
    struct Build;
    int matIndex(Build& b, const CZunString& key);
    void readMat(Build& b, int index);
    void qualify(Build& b);
    bool listed(int mat) const;
    void addSubtree(Build& b, const CZunArrayTempl<int>& tops, int root);
    void rankMaterials(Build& b, const CZunArrayTempl<int>& tops);
    void order(Build& b);

    void newMat(const CZunString& key);

    std::vector<Mat> m_mats;  // the first m_matCount are this build's; the rest keep their room
    size_t m_matCount = 0;
    std::vector<MatTreeNode> m_nodes;
    CZunString m_rootText[2];
    int m_libraryRoot = -1;
    int m_drawingRoot = -1;
    int m_selected = -1;
};

// Whether a material has a physical sub-type: a flag property that is
// present and not switched off. An empty type asks for nothing (true).
bool matHasPhysType(const CMatProp& prop, const CZunString& type);

// Text order of sibling nodes: letters compared without regard to case,
// ties broken by the exact text, so the order is total and repeatable.
bool matTreeTextLess(const CZunString& a, const CZunString& b);

} // namespace ZUN
