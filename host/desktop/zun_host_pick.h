#pragma once

#include "gdx/zun_gdx.h"
#include "render/paint/zun_item_boxes.h"

#include <QObject>
#include <QPointF>
#include <QSize>

class CZunDplistImage;

// What a click in the host's viewer picks. The display list's own pick
// works with a fixed distance in model units, which on a drawing in
// millimetres is far below a pixel; the host picks with an aperture of a
// few pixels whatever the zoom, and picks filled or hatched areas by their
// inside, so that a click into a band of insulation picks the band.
//
// Items are tested where the painter puts them: through the list's zoom,
// view, projection and view direction and their own matrix; anchored items
// at their fixed size about their anchor. Lines, points
// and outlines within the aperture win, the nearest first; without one,
// the topmost filled or hatched area whose inside (holes left out) holds
// the point. Hidden items and pictures are not picked.
class CZunHostPicker {
public:
    static constexpr double kAperturePixels = 4.0;

    struct Hit {
        int group = -1;       // top-level group, -1 for none
        int item = -1;        // index of the item in the list
        double distance = 0;  // pixels from the point; 0 inside an area
        bool inside = false;  // hit by the inside of an area
    };

    explicit CZunHostPicker(double aperturePixels = kAperturePixels) : m_aperture(aperturePixels) {}
    double aperture() const { return m_aperture; }

    // The item under the window point at (device pixels) of the list as it
    // is painted now in a window of that size (anchored items keep their
    // size in the window and are placed by it). Items whose box lies beyond
    // the aperture are passed over; the boxes are kept until the list's
    // content changes.
    Hit pick(const CZunGDX& list, const QPointF& at, const QSize& window);

    // Model units per window pixel at the list's present zoom: what the
    // aperture is in the drawing's own units.
    static double modelUnitsPerPixel(const CZunGDX& list);

private:
    double m_aperture;
    CZunItemBoxes m_boxes;
};

// Watches the viewer's left clicks and Esc: a click picks with the host's
// aperture (a click on nothing clears the pick), Esc clears it. Takes the
// clicks from the viewer, whose own pick would use the list's tolerance.
class CZunHostPickInput : public QObject {
    Q_OBJECT
public:
    CZunHostPickInput(CZunDplistImage* viewer, QObject* parent = nullptr);

signals:
    // group -1: the pick was cleared.
    void picked(int group);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CZunDplistImage* m_viewer;
    CZunHostPicker m_picker;
};
