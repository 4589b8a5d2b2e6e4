#include "render/qt/zun_bitmap.h"

#include "contracts/data/zun_files.h"
#include "render/qt/zun_cdc_qt.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QStyle>

namespace {

QSize wanted(int width, int height, const QSize& natural)
{
    return width > 0 && height > 0 ? QSize(width, height) : natural;
}

QImage loadScaled(const QString& path, int width, int height)
{
    QImageReader reader(path);
    if (!reader.canRead())
        return {};
    QImage image = reader.read();
    if (image.isNull())
        return {};
    const QSize size = wanted(width, height, image.size());
    return image.size() == size ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage systemIcon(int id, int width, int height)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return {};
    QStyle::StandardPixmap pixmap;
    switch (id) {
    case 32512: pixmap = QStyle::SP_DesktopIcon; break;
    case 32513: pixmap = QStyle::SP_MessageBoxCritical; break;
    case 32514: pixmap = QStyle::SP_MessageBoxQuestion; break;
    case 32515: pixmap = QStyle::SP_MessageBoxWarning; break;
    case 32516: pixmap = QStyle::SP_MessageBoxInformation; break;
    default: return {};
    }
    const QSize size = wanted(width, height, QSize(32, 32));
    return app->style()->standardIcon(pixmap).pixmap(size).toImage().scaled(size);
}

// The icon over the background: where it is transparent the background shows.
ZunBitmap compose(const QImage& icon, unsigned long background)
{
    QImage result(icon.size().isEmpty() ? QSize(32, 32) : icon.size(), QImage::Format_RGB32);
    result.fill(CZunQtDC::toQColor(static_cast<ZunRgb>(background)));
    QPainter painter(&result);
    painter.drawImage(0, 0, icon.convertToFormat(QImage::Format_ARGB32));
    painter.end();
    return CZunQtDC::fromQImage(result);
}

} // namespace

ZunBitmap zun_gdx_image_get_bitmap(const CZunString& file, int id, int width, int height, bool& flag,
                                   unsigned long background)
{
    QImage icon;
    if (!file.isEmpty()) {
        const CZunString found = ZUN::fileFind(file);
        if (found.len() <= 4)
            return {};
        CZunString ending = found.right(4);
        ending.makeLower();
        // The name as given is loaded, not the one found: the search only
        // decides whether there is a file and what kind it is.
        const QString path = QString::fromStdString(file.toUtf8());
        if (ending == L".bmp")
            return CZunQtDC::fromQImage(loadScaled(path, width, height));
        if (ending != L".ico")
            return {};
        icon = loadScaled(path, width, height);
    } else {
        id &= 0xFFFF;
        icon = systemIcon(id, width, height);
        if (icon.isNull()) {
            const CZunString own = ZUN::fileFind(CZunString::formatted(L"icons/%d.png", id));
            if (!own.isEmpty())
                icon = loadScaled(QString::fromStdString(own.toUtf8()), width, height);
        }
    }
    if (icon.isNull())
        return {};
    flag = false;
    return compose(icon, background);
}

CZunPainter::BitmapSource zunPictureBitmaps()
{
    return [](const CZunString& file, int id, int width, int height, ZunRgb background) {
        bool flag = true;
        return zun_gdx_image_get_bitmap(file, id, width, height, flag, background);
    };
}
