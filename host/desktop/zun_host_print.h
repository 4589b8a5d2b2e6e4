#pragma once

#include "contracts/base/zun_geometry.h"

#include <QPageLayout>
#include <QString>

#include <array>

class CZunGDX;
class QPagedPaintDevice;

// Paper output of the shown display list: a page size and orientation, and
// a drawing scale of 1:n or fitted to the page. Drawing lengths are
// millimetres, so at 1:n one millimetre on paper is n of the drawing's.
struct CZunPrintSetup {
    enum class Paper { A4, A3 };
    // Scale denominators offered; 0 fits the drawing to the page.
    static constexpr std::array<int, 6> kScales{1, 5, 10, 20, 50, 0};
    static constexpr int kFit = 0;
    // Room kept free round the printable area on each side, in millimetres.
    static constexpr double kMarginMm = 10.0;
    // Device units per inch that printing and PDF pages draw at: fine
    // enough for thin lines, coarse enough for quick previews.
    static constexpr int kResolution = 300;

    Paper paper = Paper::A4;
    bool landscape = false;
    int scale = kFit;

    QPageLayout pageLayout() const;
    // "1:10", or the given word for fitting.
    QString scaleText(const QString& fitWord) const;
    bool operator==(const CZunPrintSetup&) const = default;
};

// The drawing's view extents as the list measures them (the view window
// when one is set), in millimetres.
struct CZunPrintExtents {
    CZunPoint3d min;
    CZunPoint3d max;
    bool empty() const { return !(max.x > min.x) && !(max.y > min.y); }
};
CZunPrintExtents zunPrintExtents(const CZunGDX& list);

// The view matrix that puts the extents' centre on the centre of a paint
// area of width x height device units at resolution units per inch, at the
// setup's scale (fitted with the viewer's margin for kFit), y upward.
CZunMatrix3d zunPrintViewMtx(const CZunPrintExtents& extents, const CZunPrintSetup& setup, double width,
                             double height, double resolution);

// Whether the drawing fits the printable area at the setup's scale.
bool zunPrintFits(const CZunPrintExtents& extents, const CZunPrintSetup& setup);

// The smallest of the offered scales 1:n at which the drawing fits the
// printable area; 0 when none of them does.
int zunPrintSmallestFittingScale(const CZunPrintExtents& extents, const CZunPrintSetup& setup);

// Paints the list on one page of the device (a printer or a PDF writer whose
// page layout and resolution the caller set up) at the setup's scale, on
// white paper; the list keeps its own matrices. False when the device could
// not be opened.
bool zunPrintPage(QPagedPaintDevice& device, const CZunGDX& list, const CZunPrintSetup& setup);

// Writes the list as a one-page PDF of the setup's paper and scale; false
// with the reason in error.
bool zunPrintPdf(const CZunGDX& list, const CZunPrintSetup& setup, const QString& path, QString* error);
