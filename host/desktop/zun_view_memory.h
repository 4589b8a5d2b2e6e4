#pragma once

#include "contracts/base/zun_geometry.h"

#include <QRectF>
#include <QString>

class CZunDplistImage;
class CZunGDX;
class CZunViewNavigation;

// A view of a part as the user left it: the direction it was seen from and
// the part of the picture the window showed, in the list's view space (the
// space its extents are kept in, which does not change with the window's
// size). Shown again, that part fills the window as a zoom window would,
// so a window of another size or shape still shows all of it.
struct CZunSavedView {
    QString direction;
    CZunPoint3d lo;
    CZunPoint3d hi;

    bool isValid() const { return !direction.isEmpty() && hi.x > lo.x && hi.y > lo.y; }
    // "SW;x0;y0;x1;y1", as kept in the settings file.
    QString toString() const;
    // An invalid view for a text that is not one.
    static CZunSavedView fromString(const QString& text);
};

// What the viewer shows of its list now, seen from direction.
CZunSavedView zunViewOfViewer(const CZunDplistImage& viewer, const QString& direction);
// Zooms the viewer (its list fitted whole, as after showing it) so that the
// view's part fills the window; false for an invalid view. The direction is
// the caller's to set first.
bool zunShowSavedView(const CZunSavedView& view, const CZunDplistImage& viewer, CZunViewNavigation& navigation);
