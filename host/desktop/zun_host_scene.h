#pragma once

#include "contracts/data/zun_drawing.h"
#include "gdx/zun_gdx.h"

#include <QString>

#include <map>
#include <memory>
#include <utility>
#include <vector>

// What the host's viewer shows: a display list as it was built (the base)
// and the same list with the user's changes laid over it (view direction,
// colour modes and hatch patterns by group, the picked group highlighted).
// The shown list is rebuilt from the base after every change, so that
// taking a highlight away restores each item exactly as it was, whatever
// order the painter has sorted the items into meanwhile. The view and zoom
// matrices of the shown list survive a rebuild: a pick does not move the
// picture.
class CZunHostScene {
public:
    // Replaces the base: names of the top-level groups (what a pick
    // reports) and the list. Every change of the old list is dropped; the
    // view direction stays.
    void show(const CZunGDX& list, std::map<int, QString> groupNames);
    // The same with a list the caller keeps as well (the open drawing's
    // overview): it is shared, not copied.
    void show(std::shared_ptr<const CZunGDX> list, std::map<int, QString> groupNames);
    // The same with the shown list made already: a copy of list's items
    // measured in viewDirection (see zunOverviewShownCopy), so that a
    // large list is not copied and measured in one go. A copy made for
    // another direction is dropped and the list shown as by show().
    void show(std::shared_ptr<const CZunGDX> list, CZunGDX&& shown, const QString& viewDirection,
              std::map<int, QString> groupNames);
    void clear();

    // The list the viewer paints; it stays at this address.
    CZunGDX* displayList() { return &m_shown; }
    const CZunGDX& base() const { return *m_base; }

    // The name of a top-level group; empty for a group without one.
    QString groupName(int group) const;
    // The top-level group numbers of the base, ascending.
    std::vector<int> groups() const;
    // The item type of a group whose items are all of one type; 0 for a
    // mixed group or one without items.
    ZunDisplayObj groupType(int group) const;

    // One of "P", "N", "S", "O", "W", "NO", "NW", "SO", "SW"; false and
    // nothing changed for any other name.
    bool setViewDirection(const QString& name);
    const QString& viewDirection() const { return m_direction; }

    // Colour mode of a group's items; group -1 for every item. False when
    // no item belongs to the group.
    bool setColorMode(int group, ZUN::GdxColorMode mode);
    // Pattern of the hatched regions of a group (-1: every group); each
    // region keeps its own angle and scale. False when the group has no
    // hatched region.
    bool setHatchPattern(int group, const CZunString& pattern);
    // Forgets the colour-mode and hatch changes.
    void resetStyles();

    // Highlights the group (-1: none).
    void setHighlight(int group);
    int highlight() const { return m_highlight; }

private:
    void rebuild();
    CZunGDX::Stack hatchedStacksOf(int group) const;
    bool hasItems(int group) const;

    std::shared_ptr<const CZunGDX> m_base = std::make_shared<const CZunGDX>();
    CZunGDX m_shown;
    std::map<int, QString> m_names;
    QString m_direction = QStringLiteral("P");
    std::vector<std::pair<int, ZUN::GdxColorMode>> m_modes;
    std::vector<std::pair<int, CZunString>> m_hatches;
    int m_highlight = -1;
};

// A part of the overview: its group number and the part.
struct CZunOverviewEntry {
    int group = 0;
    QString handle;
    QString name;
};

// The whole open drawing in one list: every part that its generator can
// draw, scaled into a cell of a grid in drawing order with its name below
// it, the drawing's title above. The grid is as near square as the
// drawing's part count allows. Part k (counted from 0 among the drawn
// parts) is top-level group k + 1. Returns the parts drawn.
std::vector<CZunOverviewEntry> zunDrawingOverview(const ZUN::CZunDrawing& drawing, const QString& title,
                                                  CZunGDX& out);

// Where a window of width x height pixels first looks at an overview too
// large to read whole: its top left cells, each at least a readable size,
// in the overview's extents space. False when the whole grid fits so.
bool zunOverviewReadableWindow(const CZunGDX& overview, int width, int height, CZunPoint3d& lo, CZunPoint3d& hi);

// The same overview built one part per step, so that a window can run its
// event loop between steps. Each part's list is built, placed and dropped
// in its step; the overview grows by that part's items alone. The
// generators look parts up in the current drawing: drawing must be the
// current one while next() runs, and outlive the builder.
class CZunOverviewBuilder {
public:
    CZunOverviewBuilder(const ZUN::CZunDrawing& drawing, QString title);
    // For a drawing still being read: it will hold partCount parts, and
    // part k is there before the k-th call of next().
    CZunOverviewBuilder(const ZUN::CZunDrawing& drawing, QString title, int partCount);

    // Draws the next part (the title after the last one); false when there
    // was nothing left to do.
    bool next();
    bool finished() const { return m_titled; }
    // Parts gone through (drawn or not) and the drawing's part count.
    int partsDone() const { return m_next; }
    int partCount() const { return m_count; }

    CZunGDX& list() { return m_list; }
    const std::vector<CZunOverviewEntry>& entries() const { return m_entries; }
    std::vector<CZunOverviewEntry> takeEntries() { return std::move(m_entries); }

private:
    void addPart(const ZUN::CZunPart& part);
    void addTitle();

    const ZUN::CZunDrawing& m_drawing;
    // The drawing's part count when the builder was made: the drawing is
    // read only while next() runs.
    int m_count;
    QString m_title;
    int m_columns;
    int m_next = 0;
    bool m_titled = false;
    CZunGDX m_list;
    std::vector<CZunOverviewEntry> m_entries;
};

// A sheet of text items: the characters of the outline font, its
// alignments, and texts of real fonts through the application's
// "zun_text_to_regl". Group names go into names.
void zunTextSheet(CZunGDX& out, std::map<int, QString>& names);

// Gives every item without a group a top-level group of its own, numbered
// on from the list's largest group, so that a pick can tell it apart.
void zunGroupLooseItems(CZunGDX& list);

// Appends the items of list to out, each with its stack prefixed by group
// and moved by place (a uniform scale, rotation and move): to put a list
// into another one. The placement goes into the geometry, and item
// matrices become the identity, because polylines meet the view direction
// before their item matrix and areas after it: only items without a matrix
// of their own stay together when the list is seen from another side.
// Hatch scale and angle, point sizes and line-type scales follow place.
void zunAppendPlaced(CZunGDX& out, const CZunGDX& list, int group, const CZunMatrix3d& place);
