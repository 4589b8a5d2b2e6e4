#include "host/desktop/zun_host_print.h"

#include "gdx/zun_gdx.h"
#include "host/desktop/zun_host_texts.h"
#include "render/paint/zun_viewfit.h"
#include "render/qt/zun_export.h"

#include <QFile>
#include <QPagedPaintDevice>
#include <QPdfWriter>

#include <algorithm>

namespace {

constexpr double kMmPerInch = 25.4;

// The printable area in millimetres: the page without its margins.
QSizeF printableMm(const CZunPrintSetup& setup)
{
    return setup.pageLayout().paintRect(QPageLayout::Millimeter).size();
}

bool fitsAt(const CZunPrintExtents& extents, const QSizeF& area, int scale)
{
    const double w = (extents.max.x - extents.min.x) / scale;
    const double h = (extents.max.y - extents.min.y) / scale;
    return w <= area.width() && h <= area.height();
}

} // namespace

QPageLayout CZunPrintSetup::pageLayout() const
{
    const QPageSize size(paper == Paper::A3 ? QPageSize::A3 : QPageSize::A4);
    const QMarginsF margins(kMarginMm, kMarginMm, kMarginMm, kMarginMm);
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, margins,
                       QPageLayout::Millimeter);
}

QString CZunPrintSetup::scaleText(const QString& fitWord) const
{
    return scale == kFit ? fitWord : QStringLiteral("1:%1").arg(scale);
}

CZunPrintExtents zunPrintExtents(const CZunGDX& list)
{
    CZunPrintExtents extents;
    list.extMaxViewGet(extents.min, extents.max);
    return extents;
}

CZunMatrix3d zunPrintViewMtx(const CZunPrintExtents& extents, const CZunPrintSetup& setup, double width,
                             double height, double resolution)
{
    if (setup.scale == CZunPrintSetup::kFit)
        return getViewMtx(extents.min, extents.max, static_cast<int>(height), static_cast<int>(width), kFitMargin);
    const double s = resolution / kMmPerInch / setup.scale;
    const double cx = (extents.min.x + extents.max.x) * 0.5;
    const double cy = (extents.min.y + extents.max.y) * 0.5;
    // Device y runs downward: the drawing's y axis is turned over.
    return CZunMatrix3d().setCoordSystem({width * 0.5 - s * cx, height * 0.5 + s * cy, 0.0}, {s, 0.0, 0.0},
                                         {0.0, -s, 0.0}, {0.0, 0.0, s});
}

bool zunPrintFits(const CZunPrintExtents& extents, const CZunPrintSetup& setup)
{
    return setup.scale == CZunPrintSetup::kFit || fitsAt(extents, printableMm(setup), setup.scale);
}

int zunPrintSmallestFittingScale(const CZunPrintExtents& extents, const CZunPrintSetup& setup)
{
    const QSizeF area = printableMm(setup);
    for (int scale : CZunPrintSetup::kScales)
        if (scale != CZunPrintSetup::kFit && fitsAt(extents, area, scale))
            return scale;
    return 0;
}

bool zunPrintPage(QPagedPaintDevice& device, const CZunGDX& list, const CZunPrintSetup& setup)
{
    const int resolution = device.logicalDpiX();
    const QRect area = device.pageLayout().paintRectPixels(resolution);
    CZunGDX page(list);
    page.zoomMtxSet(CZunMatrix3d());
    page.viewMtxSet(zunPrintViewMtx(zunPrintExtents(list), setup, area.width(), area.height(), resolution));
    return zunPaintOnPaper(device, page, area.size());
}

bool zunPrintPdf(const CZunGDX& list, const CZunPrintSetup& setup, const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    bool painted = false;
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(CZunPrintSetup::kResolution);
        pdf.setPageLayout(setup.pageLayout());
        pdf.setCreator(QStringLiteral("zun-host"));
        painted = zunPrintPage(pdf, list, setup);
    }
    if (!painted || !file.flush() || file.size() == 0) {
        if (error)
            *error = painted ? file.errorString() : zunHostText(ZunHostTexts::kPageNotPainted);
        return false;
    }
    return true;
}
