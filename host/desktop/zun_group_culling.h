#pragma once

#include "gdx/zun_gdx.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <unordered_map>
#include <vector>

// Paints only the top-level groups that can be seen: for a list of many
// groups (the overview of a drawing of hundreds or thousands of parts,
// zoomed in on a few cells) the painter then draws what is in the window,
// not every part. Each group's box is measured once per change of the list
// (its items or its view direction), in the space the list's extents are
// kept in; a paint only takes the boxes through the zoom and view.
class CZunGroupCulling {
public:
    // Lists of fewer groups are painted whole: culling would save little.
    static constexpr int kMinGroups = 200;

    // Measures the groups' boxes; after this, the list may be painted with
    // visibleList until its items or view direction change.
    void measure(const CZunGDX& list);
    // The same a piece at a time: measure a list that grows, or a large
    // one over several turns of the event loop, with start() and then
    // measureItems() for every new run of items [from, to).
    void start() { m_boxes.clear(); m_active = false; }
    void measureItems(const CZunGDX& list, int from, int to);
    bool active() const { return m_active; }
    int groupCount() const { return static_cast<int>(m_boxes.size()); }

    // Into out, a list with list's state (colours, defaults, matrices) and
    // the items of the groups whose box meets window (pixels), in list
    // order; items without a group always go along. False, and out left
    // alone, when culling is not active or every group meets the window.
    bool visibleList(const CZunGDX& list, const QRect& window, CZunGDX& out) const;
    // Groups that met the window in the last visibleList.
    int lastVisible() const { return m_lastVisible; }

private:
    struct Box {
        CZunPoint3d lo{1e300, 1e300, 1e300};
        CZunPoint3d hi{-1e300, -1e300, -1e300};
        void add(const CZunPoint3d& p, double margin);
    };
    bool meets(const Box& box, const CZunMatrix3d& toScreen, const QRect& window) const;

    std::unordered_map<int, Box> m_boxes;
    bool m_active = false;
    mutable int m_lastVisible = 0;
};

// The picture of list as a viewer of that size shows it, painted with only
// the groups in view (the same pixels as painting every group); a null
// image when culling does not apply, and the viewer paints as it does.
// At a pixel ratio other than 1 the image has the device's pixels; smooth
// antialiases it as the viewer's smooth display does.
QImage zunPaintVisibleGroups(const CZunGroupCulling& culling, const CZunGDX& list, const QSize& size,
                             const QColor& background, qreal pixelRatio = 1.0, bool smooth = false);
