#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"
#include "contracts/data/zun_material.h"
#include "ui/core/zun_mat_tree.h"
#include "ui/zun_tree_ctrl.h"

#include <QIcon>

#include <vector>

// The materials of the material manager as a tree: the drawing's library
// materials under the library root and, on request, its drawing-only
// materials under the drawing root, each with its sub-materials below.
// The flags of init (ZUN::MatTreeFlag) choose what qualifies and how
// nodes are labelled; the user picks a node and the caller reads the
// chosen key back with getSelMat.
//
// Images: 0 a root or a material shown for a descendant's sake, 1 a
// library material, 2 a material only the drawing holds (the module's
// icons 2001, 2002, 2003, sharp at 16 and 32 pixels). The tree shows no
// tool tips.
class CZunMatTreeCtrl : public CZunTreeCtrl {
    Q_OBJECT

public:
    explicit CZunMatTreeCtrl(QWidget* parent = nullptr);

    // Fills the tree again: root texts by message key ("ZUN_LIB_027",
    // "DLG_SG018"), labels in the tree's language, selMat selected (the
    // library root when no node has that key, compared ignoring case).
    // physTypes count with ZUN::kMatTreePhys only. Always true.
    bool init(unsigned flags, const wchar_t* selMat, const CZunArrayTempl<CZunString>& physTypes = {});
    // Selects the first material node made whose key is key; false (and
    // nothing changes) when there is none.
    bool selectMat(const wchar_t* key);
    // The key of the selected node; false when nothing or a root is selected.
    bool getSelMat(CZunString& key) const;

    // The key of a node (empty for a root) and its image index (-1 for an
    // item of no material tree).
    CZunString itemKey(const QTreeWidgetItem* item) const;
    int itemImage(const QTreeWidgetItem* item) const;
    // The image list: index 0, 1, 2.
    const QIcon& image(int index) const { return m_images[index]; }

protected:
    bool viewportEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showSelected(QTreeWidgetItem* item);

    QIcon m_images[3];
    CZunMatMgr m_matMgr;
    CZunString m_selMat;  // requested as initial selection
    CZunString m_reqMat;
    CZunArrayTempl<CZunString> m_physTypes;
    ZUN::CMatTreeLayout m_layout;
    QTreeWidgetItem* m_hSelect = nullptr;
    std::vector<QTreeWidgetItem*> m_created;  // material nodes in the order they were made
    bool m_scrollPending = false;             // the selected node is to be shown when the tree shows
};
