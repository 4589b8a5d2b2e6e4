#include "host/desktop/zun_host_slides.h"

#include "render/qt/zun_qstring.h"
#include "host/desktop/zun_host_texts.h"
#include "images/slide/zun_gdx_sld.h"
#include "images/slide/zun_slide.h"
#include "images/slide/zun_slide_lib.h"

#include <QByteArray>
#include <QFile>

namespace {

bool readAll(const QString& path, QByteArray& bytes, QString* reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return false;
    }
    bytes = file.readAll();
    if (bytes.isEmpty()) {
        *reason = zunHostText(ZunHostTexts::kEmptyFile);
        return false;
    }
    return true;
}

bool headerReadable(const std::uint8_t* data, std::size_t size)
{
    std::uint16_t byteOrder = ZUN::kSlideLittleEndian;
    return ZUN::CSlideReader(data, size).readHeader(byteOrder);
}

const std::uint8_t* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const std::uint8_t*>(bytes.constData());
}

} // namespace

bool zunHostSlideCheck(const QString& path, QString* reason)
{
    QByteArray bytes;
    if (!readAll(path, bytes, reason))
        return false;
    if (!headerReadable(bytesOf(bytes), static_cast<std::size_t>(bytes.size()))) {
        *reason = zunHostText(ZunHostTexts::kNotASlide);
        return false;
    }
    return true;
}

bool zunHostSlideLibraryNames(const QString& library, QStringList& names, QString* reason)
{
    names.clear();
    QByteArray bytes;
    if (!readAll(library, bytes, reason))
        return false;
    const std::uint8_t* data = bytesOf(bytes);
    const auto size = static_cast<std::size_t>(bytes.size());
    // A file that is no library yields a directory of nonsense; only names
    // whose bytes start with a slide header are slides.
    for (const ZUN::SlideLibEntry& entry : ZUN::slideLibDirectory(data, size)) {
        if (entry.length == 0 || entry.offset >= size || !headerReadable(data + entry.offset, entry.length))
            continue;
        names.append(QString::fromStdString(ZUN::slideNameFromCp1252(entry.name).toUtf8()));
    }
    if (names.isEmpty()) {
        *reason = zunHostText(ZunHostTexts::kNoSlides);
        return false;
    }
    return true;
}

bool zunHostSlideList(const QString& name, const QString& library, CZunGDX& gdx)
{
    if (!library.isEmpty())
        return zun_gdx_image_sld(&gdx, toZun(name).c_str(), toZun(library).c_str(), 0, nullptr);
    ZUN::CGdxSld slide;
    return slide.loadSlide(toZun(name).c_str(), nullptr) && slide.convert(&gdx, 0, nullptr);
}
