#pragma once

#include "host/desktop/zun_host_texts.h"

#include <QDockWidget>

#include <cstdint>
#include <set>
#include <vector>

class CZunDplistImage;
class CZunGDX;
class QTreeWidget;
class QTreeWidgetItem;

// A row of the legend: see zun_host_legend_rows.h. Kept out of this header,
// which the meta-object compiler reads.
struct CZunLegendRow;

// The legend beside the viewer: a row per colour of the shown picture with
// its swatch, its number, its layers and its element count, each with a
// switch that hides or shows its elements. Whatever the picture shows next
// (another part, a restyle) is listed when it is painted, and the colours
// switched off stay off. While the panel is closed nothing is listed (a
// large picture has many rows); the colours switched off are still kept
// off, and the panel lists the picture when it opens again.
class CZunHostLegend : public QDockWidget {
    Q_OBJECT
public:
    explicit CZunHostLegend(CZunDplistImage* viewer, QWidget* parent = nullptr);
    ~CZunHostLegend() override;

    QTreeWidget* tree() const { return m_tree; }
    const std::vector<CZunLegendRow>& rows() const { return m_rows; }
    // Switches a colour's elements off or on, as the row's box does.
    void setColorHidden(std::uint64_t key, bool hidden);
    // Lists the viewer's list now, if it changed since it was listed.
    // Named apart from QWidget::update(), which repaints the dock.
    void listShown();
    // Names the panel, its columns and its rows in the message language.
    void retranslate();
    // How many times the rows were listed; a closed panel lists nothing.
    int listings() const { return m_listings; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    CZunGDX* shownList() const;
    void keepSwitchedOff();
    void fill();
    void onItemChanged(QTreeWidgetItem* item, int column);

    CZunDplistImage* m_viewer = nullptr;
    const QObject* m_watched = nullptr;
    QTreeWidget* m_tree = nullptr;
    CZunTextBinder m_texts;
    std::vector<CZunLegendRow> m_rows;
    std::set<std::uint64_t> m_hidden;
    // The list and content the switches were last applied to, and those
    // the rows were last made from: apart, since a closed panel applies
    // without listing.
    const CZunGDX* m_applied = nullptr;
    std::uint64_t m_appliedContent = 0;
    const CZunGDX* m_listed = nullptr;
    std::uint64_t m_listedContent = 0;
    int m_listings = 0;
    bool m_filling = false;
};
