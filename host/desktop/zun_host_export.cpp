#include "host/desktop/zun_host_export.h"

#include "host/desktop/zun_host_texts.h"
#include "render/qt/zun_qstring.h"
#include "render/qt/zun_export.h"
#include "render/paint/zun_viewfit.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMimeData>

#include <memory>

namespace {

namespace T = ZunHostTexts;

bool writeAs(const QString& suffix, CZunGDX& copy, const QString& path, const QSize& size)
{
    if (suffix == QLatin1String("png")) {
        const QImage image = zunExportImage(&copy, size.height(), size.width());
        return !image.isNull() && image.save(path, "PNG");
    }
    if (suffix == QLatin1String("svg"))
        return zunExportSvgFile(&copy, path, size.height(), size.width());
    if (suffix == QLatin1String("pdf"))
        return zunExportPdfFile(&copy, path, size.height(), size.width());
    return refresh(&copy, toZun(path).c_str(), size.height(), size.width());
}

} // namespace

namespace {

bool writeCopy(CZunGDX& copy, const QString& path, const QSize& size, QString* error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QStringList known{QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("pdf"), QStringLiteral("emf")};
    if (!known.contains(suffix)) {
        if (error)
            *error = zunHostText(T::kUnknownFormat).arg(suffix);
        return false;
    }
    if (!writeAs(suffix, copy, path, size)) {
        if (error)
            *error = zunHostText(T::kNotWritten);
        return false;
    }
    return true;
}

} // namespace

bool zunHostExport(const CZunGDX& list, const QString& path, const QSize& size, QString* error)
{
    // The exports fit the view matrix of a copy; without the viewer's zoom
    // the copy shows the whole picture, as zun-render writes it.
    CZunGDX copy(list);
    copy.zoomMtxSet(CZunMatrix3d());
    return writeCopy(copy, path, size, error);
}

QSize zunHostShownExportSize(const QSize& viewSize, const QSize& size)
{
    if (viewSize.isEmpty())
        return size;
    return viewSize.scaled(size, Qt::KeepAspectRatio);
}

bool zunHostExportShown(const CZunGDX& list, const QSize& viewSize, const QString& path, const QSize& size,
                        QString* error)
{
    // The export fits the copy's view matrix to its own size; its zoom is
    // chosen so that, after that fit, the picture maps to the file as the
    // viewer maps it to the window, scaled up to the file's size.
    const QSize out = zunHostShownExportSize(viewSize, size);
    CZunGDX copy(list);
    if (!viewSize.isEmpty()) {
        CZunPoint3d lo, hi;
        copy.extMaxViewGet(lo, hi);
        const CZunMatrix3d fitted = getViewMtx(lo, hi, out.height(), out.width(), kFitMargin);
        const double k = static_cast<double>(out.width()) / viewSize.width();
        const CZunMatrix3d scale = CZunMatrix3d().setToScaling(CZunVector3d(k, k, 1.0));
        copy.zoomMtxSet(scale * list.zoomMtxGet() * list.viewMtxGet() * fitted.inverse());
    }
    return writeCopy(copy, path, out, error);
}

bool zunHostCopy(const CZunGDX& list, const QSize& size)
{
    CZunGDX copy(list);
    std::unique_ptr<QMimeData> data(zunExportMimeData(&copy, size.height(), size.width()));
    QClipboard* clipboard = QApplication::clipboard();
    if (!data || !clipboard)
        return false;
    clipboard->setMimeData(data.release());
    return true;
}
