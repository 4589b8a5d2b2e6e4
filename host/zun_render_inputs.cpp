#include "host/zun_render_inputs.h"

#include "render/qt/zun_qstring.h"
#include "contracts/data/zun_app.h"
#include "images/qt/zun_picture.h"
#include "images/slide/zun_gdx_sld.h"
#include "images/slide/zun_slide_lib.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

bool hasSuffix(const QString& path, std::initializer_list<const char*> suffixes)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const char* s : suffixes)
        if (suffix == QLatin1String(s))
            return true;
    return false;
}

bool isLibrary(const QString& path)
{
    return hasSuffix(path, {"slb"});
}

// Letters, digits, '-', '_' and '.' stay; everything else becomes '_', so
// that slide names cannot leave the output folder.
QString safeFileName(const QString& name)
{
    QString safe = name;
    for (QChar& c : safe)
        if (!c.isLetterOrNumber() && c != '-' && c != '_' && c != '.')
            c = '_';
    return safe.isEmpty() || safe == "." || safe == ".." ? QStringLiteral("slide") : safe;
}

void report(const QString& what, const QString& reason)
{
    std::fprintf(stderr, "zun-render: %s: %s\n", what.toLocal8Bit().constData(), reason.toLocal8Bit().constData());
}

// The reason a file cannot be read, or empty when it can.
QString unreadable(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("cannot read the file: no such file");
    if (!info.isFile() || !info.isReadable())
        return QStringLiteral("cannot read the file");
    return QString();
}

bool librarySlide(const CZunString& library, const CZunString& name, std::vector<ZunRenderSlide>& slides)
{
    ZunRenderSlide slide{safeFileName(fromZun(name)), CZunGDX()};
    if (!zun_gdx_image_sld(&slide.gdx, name.c_str(), library.c_str(), 0, nullptr))
        return false;
    slides.push_back(std::move(slide));
    return true;
}

bool wholeLibrary(const QString& library, std::vector<ZunRenderSlide>& slides, QString* error)
{
    CZunArrayTempl<CZunString> names;
    if (!ZUN::slideLibNames(toZun(library).c_str(), names)) {
        *error = QStringLiteral("cannot read the slide library");
        return false;
    }
    for (const CZunString& name : names)
        librarySlide(toZun(library), name, slides);
    if (slides.empty()) {
        *error = QStringLiteral("the library holds no slide that can be drawn");
        return false;
    }
    return true;
}

bool namedSlide(const CZunString& library, const CZunString& name, std::vector<ZunRenderSlide>& slides,
                QString* error)
{
    if (librarySlide(library, name, slides))
        return true;
    std::vector<std::uint8_t> bytes;
    if (ZUN::slideReadFromLibrary(library.c_str(), name.c_str(), bytes))
        *error = QStringLiteral("slide '%1' cannot be drawn").arg(fromZun(name));
    else
        *error = QStringLiteral("no slide named '%1' in the library").arg(fromZun(name));
    return false;
}

bool slideFile(const QString& path, std::vector<ZunRenderSlide>& slides, QString* error)
{
    ZunRenderSlide slide{safeFileName(QFileInfo(path).completeBaseName()), CZunGDX()};
    ZUN::CGdxSld converter;
    if (!converter.loadSlide(toZun(path).c_str(), nullptr)) {
        *error = QStringLiteral("cannot read the file");
        return false;
    }
    if (!converter.convert(&slide.gdx, 0, nullptr)) {
        *error = QStringLiteral("not a slide, or a slide with nothing to draw");
        return false;
    }
    slides.push_back(std::move(slide));
    return true;
}

} // namespace

ZunRenderInput zunRenderInputKind(const QString& input)
{
    if (hasSuffix(input, {"png", "jpg", "jpeg", "bmp", "gif", "ico", "svg", "emf"}))
        return ZunRenderInput::Picture;
    CZunString library, name;
    ZUN::slideSplitReference(toZun(input), library, name);
    if (!library.isEmpty() || hasSuffix(input, {"sld", "slb"}))
        return ZunRenderInput::Slide;
    return ZunRenderInput::Drawing;
}

bool zunRenderPicture(const QString& path, const QSize& size, QImage& image, QString* error)
{
    if (const QString reason = unreadable(path); !reason.isEmpty()) {
        *error = reason;
        return false;
    }
    QString failure;
    ZUN::CPicture picture;
    picture.setMessageHook([&failure](const QString&, const QString& text) { failure = text; });
    picture.resize(size);
    if (CZunApp* app = zunAppPtr())
        picture.SetBackColor(app->bkColorGet());
    picture.LoadImageW(path.toStdWString().c_str());
    if (!picture.hasPicture()) {
        *error = failure.isEmpty() ? QStringLiteral("not a picture") : failure;
        return false;
    }
    image = picture.renderImage();
    return true;
}

bool zunRenderSlides(const QString& reference, std::vector<ZunRenderSlide>& slides, QString* error)
{
    slides.clear();
    CZunString library, name;
    ZUN::slideSplitReference(toZun(reference), library, name);
    const QString file = library.isEmpty() ? reference : fromZun(library);
    if (const QString reason = unreadable(file); !reason.isEmpty()) {
        *error = reason;
        return false;
    }
    if (!library.isEmpty())
        return namedSlide(library, name, slides, error);
    if (isLibrary(reference))
        return wholeLibrary(reference, slides, error);
    return slideFile(reference, slides, error);
}

int zunRenderInputFiles(const QString& input, const QString& outDir, const QSize& size, const QStringList& formats,
                        const ZunRenderListWriter& writeList)
{
    const ZunRenderInput kind = zunRenderInputKind(input);
    if (kind == ZunRenderInput::Drawing) {
        report(input, QStringLiteral("neither a picture nor a slide"));
        return 2;
    }
    if (kind == ZunRenderInput::Picture && formats != QStringList{QStringLiteral("png")}) {
        report(input, QStringLiteral("pictures are written as png only, not %1").arg(formats.join(',')));
        return 2;
    }
    if (!QDir().mkpath(outDir)) {
        report(outDir, QStringLiteral("cannot make the folder"));
        return 1;
    }
    QString error;
    if (kind == ZunRenderInput::Picture) {
        QImage image;
        if (!zunRenderPicture(input, size, image, &error)) {
            report(input, error);
            return 1;
        }
        const QString path = QDir(outDir).filePath(QFileInfo(input).completeBaseName() + ".png");
        if (!image.save(path, "PNG")) {
            report(path, QStringLiteral("cannot write the picture"));
            return 1;
        }
        std::printf("%s\n", path.toLocal8Bit().constData());
        return 0;
    }
    std::vector<ZunRenderSlide> slides;
    if (!zunRenderSlides(input, slides, &error)) {
        report(input, error);
        return 1;
    }
    int failed = 0;
    for (ZunRenderSlide& slide : slides)
        if (!writeList(slide.gdx, slide.fileName))
            ++failed;
    return failed > 0 ? 1 : 0;
}
