#include "render/qt/zun_export.h"

#include "render/emf/zun_emf_refresh.h"
#include "render/paint/zun_viewfit.h"
#include "render/qt/zun_bitmap.h"
#include "render/qt/zun_cdc_qt.h"
#include "render/paint/zun_painter.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {

constexpr int kPixelsPerInch = 96;

bool usable(const CZunGDX* gdx, int height, int width)
{
    return gdx && height >= 1 && width >= 1;
}

QByteArray toByteArray(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// Paints the fitted list on white paper on a device set up by the caller;
// false when the device could not be opened.
bool paintOn(QPaintDevice& device, CZunGDX& gdx, QSize size = {})
{
    const QSize area = size.isEmpty() ? QSize(device.width(), device.height()) : size;
    zunFitToWindow(gdx, area.height(), area.width());
    return zunPaintOnPaper(device, gdx, size);
}

void setUpSvg(QSvgGenerator& svg, int height, int width)
{
    svg.setSize(QSize(width, height));
    svg.setViewBox(QRect(0, 0, width, height));
    svg.setResolution(kPixelsPerInch);
}

QByteArray pngOf(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace

// A copy is painted, so that the list keeps its own background and item
// order.
bool zunPaintOnPaper(QPaintDevice& device, const CZunGDX& gdx, QSize size)
{
    CZunQtDC dc(device, size);
    if (!dc.isActive())
        return false;
    CZunGDX paper(gdx);
    CZunColor white;
    white.setColor(0xFFFFFF);
    paper.backColorSet(white);
    CZunPainter painter(dc);
    painter.setBitmapSource(zunPictureBitmaps());
    painter.paint(&paper);
    return true;
}

bool refresh(CZunGDX* gdx, const wchar_t* file, int height, int width)
{
    if (file)
        return zunEmfRefreshFile(gdx, file, height, width, zunPictureBitmaps());
    QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                                        : nullptr;
    QMimeData* data = clipboard ? zunExportMimeData(gdx, height, width) : nullptr;
    if (!data)
        return false;
    clipboard->setMimeData(data);  // the clipboard owns it now
    return true;
}

QMimeData* zunExportMimeData(CZunGDX* gdx, int height, int width)
{
    if (!usable(gdx, height, width))
        return nullptr;
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/x-emf"),
                  toByteArray(zunEmfRefreshBytes(gdx, height, width, zunPictureBitmaps())));
    data->setData(QStringLiteral("image/png"), pngOf(zunExportImage(gdx, height, width)));
    data->setData(QStringLiteral("image/svg+xml"), zunExportSvg(gdx, height, width));
    return data;
}

QImage zunExportImage(CZunGDX* gdx, int height, int width)
{
    if (!usable(gdx, height, width))
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    paintOn(image, *gdx);
    return image;
}

QByteArray zunExportSvg(CZunGDX* gdx, int height, int width)
{
    if (!usable(gdx, height, width))
        return {};
    QByteArray svg;
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    setUpSvg(generator, height, width);
    if (!paintOn(generator, *gdx))
        return {};
    return svg;
}

bool zunExportSvgFile(CZunGDX* gdx, const QString& path, int height, int width)
{
    if (!usable(gdx, height, width))
        return false;
    const QByteArray svg = zunExportSvg(gdx, height, width);
    QFile file(path);
    return !svg.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(svg) == svg.size() && file.flush();
}

bool zunExportPdfFile(CZunGDX* gdx, const QString& path, int height, int width)
{
    if (!usable(gdx, height, width))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(kPixelsPerInch);
        const QSizeF millimetres(width * 25.4 / kPixelsPerInch, height * 25.4 / kPixelsPerInch);
        pdf.setPageLayout(QPageLayout(QPageSize(millimetres, QPageSize::Millimeter), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        if (!paintOn(pdf, *gdx, QSize(width, height)))
            return false;
    }
    return file.flush() && file.size() > 0;
}
