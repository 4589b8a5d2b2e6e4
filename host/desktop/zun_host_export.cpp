#include "host/desktop/zun_host_export.h"

#include "render/qt/zun_qstring.h"
#include "render/qt/zun_export.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMimeData>

#include <memory>

namespace {

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

bool zunHostExport(const CZunGDX& list, const QString& path, const QSize& size, QString* error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QStringList known{QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("pdf"), QStringLiteral("emf")};
    if (!known.contains(suffix)) {
        if (error)
            *error = QStringLiteral("unknown format '%1' (png, svg, pdf, emf)").arg(suffix);
        return false;
    }
    // The exports fit the list they are given; the viewer's stays as it is.
    CZunGDX copy(list);
    if (!writeAs(suffix, copy, path, size)) {
        if (error)
            *error = QStringLiteral("the file cannot be written");
        return false;
    }
    return true;
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
