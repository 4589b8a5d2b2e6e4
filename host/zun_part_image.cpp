#include "host/zun_part_image.h"

#include "contracts/data/zun_dta.h"
#include "images/zun_image.h"
#include "render/paint/zun_painter.h"
#include "render/paint/zun_viewfit.h"
#include "render/emf/zun_emf_refresh.h"
#include "render/qt/zun_bitmap.h"
#include "render/qt/zun_cdc_qt.h"
#include "render/qt/zun_qstring.h"

bool zunPartImageBuild(const ZUN::CZunPart& part, CZunGDX& gdx, QString* reason)
{
    const auto fail = [&](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    const QString type = fromZun(part.type);
    if (zunGdxImageTypes().indexOf(part.type) < 0)
        return fail(QStringLiteral("no generator draws parts of type '%1'").arg(type));
    const ZUN::CAdsName name = ZUN::drawingCurrent().entityName(part);
    ZUN::CUniqPointer<ZUN::CDtaFilePointer> data = ZUN::dtaOpen(ZUN::kDtaEntity, ZUN::kDtaRead, &name, nullptr, nullptr);
    ZUN::CUniqPointer<ZUN::CDtaFilePointer> options = ZUN::dtaOpen(ZUN::kDtaMemory, ZUN::kDtaRead | ZUN::kDtaWrite,
                                                                   nullptr, nullptr, nullptr);
    if (!data || !options)
        return fail(QStringLiteral("its data cannot be opened"));
    // A bar is drawn within its construction group: the part names both.
    CZunString text;
    for (const wchar_t* key : {L"GRP", L"BT"})
        if (part.data.get(text, key))
            options->get()->set(text.c_str(), key);
    if (!zun_gdx_image(part.type.c_str(), &gdx, data.get(), options.get()))
        return fail(QStringLiteral("the %1 generator found its data incomplete or unusable").arg(type));
    return true;
}

QImage zunPaintFitted(CZunGDX& gdx, int width, int height)
{
    zunFitToWindow(gdx, height, width);
    gdx.zoomMtxSet(CZunMatrix3d());
    QImage image(width, height, QImage::Format_RGB32);
    CZunQtDC dc(image);
    CZunPainter painter(dc);
    painter.setBitmapSource(zunPictureBitmaps());
    painter.paint(&gdx);
    return image;
}

QString zunPartFileName(const ZUN::CZunPart& part)
{
    QString name = QString::fromStdString((part.name.isEmpty() ? part.handle : part.name).toUtf8());
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != '-' && c != '_' && c != '.')
            c = '_';
    return name.isEmpty() ? QStringLiteral("part") : name;
}
