#include "host/zun_render_inputs.h"

#include "render/qt/zun_qstring.h"
#include "contracts/data/zun_app.h"
#include "images/qt/zun_picture.h"
#include "images/slide/zun_gdx_sld.h"
#include "images/slide/zun_slide.h"
#include "images/slide/zun_slide_lib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

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

// Counts what a slide would draw.
class SlideCount : public ZUN::CSlideSink {
public:
    int drawn = 0;
    bool slideBegin(const ZUN::SlideHeader&) override { return true; }
    void slideVector(const ZUN::SlidePoint&, const ZUN::SlidePoint&) override { ++drawn; }
    void slideSolidFill(const ZUN::SlidePoint*, int) override { ++drawn; }
    void slideColor(int) override {}
};

// Why a slide's bytes give no picture: empty, no slide at all, or a slide
// that draws nothing.
QString slideProblem(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.empty())
        return QStringLiteral("the slide is empty (0 bytes)");
    std::uint16_t order = 0;
    SlideCount count;
    if (!ZUN::slideDecode(bytes.data(), bytes.size(), order, count).ok)
        return QStringLiteral("not a slide: no slide header of level 1 or 2");
    if (count.drawn == 0)
        return QStringLiteral("the slide has nothing to draw");
    return QString();
}

// A slide's bytes as a display list, or the reason there is none.
ZunRenderSlide slideFromBytes(const QString& fileName, const QString& label, const std::vector<std::uint8_t>& bytes)
{
    ZunRenderSlide slide{safeFileName(fileName), label, QString(), CZunGDX()};
    ZUN::CGdxSld converter;
    converter.loadSlide(bytes.data(), static_cast<int>(bytes.size()));
    if (bytes.empty() || !converter.convert(&slide.gdx, 0, nullptr)) {
        slide.error = slideProblem(bytes);
        if (slide.error.isEmpty())
            slide.error = QStringLiteral("the slide cannot be drawn");
    }
    return slide;
}

bool readWhole(const QString& path, std::vector<std::uint8_t>& bytes, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the file: ") + file.errorString();
        return false;
    }
    const QByteArray data = file.readAll();
    bytes.assign(data.begin(), data.end());
    return true;
}

bool wholeLibrary(const QString& library, std::vector<ZunRenderSlide>& slides, QString* error)
{
    std::vector<std::uint8_t> bytes;
    if (!readWhole(library, bytes, error))
        return false;
    if (bytes.empty()) {
        *error = QStringLiteral("the slide library is empty (0 bytes)");
        return false;
    }
    const std::vector<ZUN::SlideLibEntry> entries = ZUN::slideLibDirectory(bytes.data(), bytes.size());
    if (entries.empty()) {
        *error = QStringLiteral("not a slide library: no slide in its directory");
        return false;
    }
    for (const ZUN::SlideLibEntry& e : entries) {
        const QString name = fromZun(ZUN::slideNameFromCp1252(e.name));
        const std::size_t end = std::min<std::size_t>(bytes.size(), std::size_t(e.offset) + e.length);
        std::vector<std::uint8_t> slide;
        if (e.offset < end)
            slide.assign(bytes.begin() + e.offset, bytes.begin() + static_cast<std::ptrdiff_t>(end));
        slides.push_back(slideFromBytes(name, library + ':' + name, slide));
    }
    return true;
}

bool namedSlide(const CZunString& library, const CZunString& name, std::vector<ZunRenderSlide>& slides,
                QString* error)
{
    std::vector<std::uint8_t> bytes;
    if (!readWhole(fromZun(library), bytes, error))
        return false;
    std::string wanted;
    ZUN::SlideLibEntry entry;
    if (!ZUN::slideNameToCp1252(name.c_str(), wanted) ||
        !ZUN::slideLibFind(bytes.data(), bytes.size(), wanted, entry)) {
        *error = bytes.empty() ? QStringLiteral("the slide library is empty (0 bytes)")
                               : QStringLiteral("no slide named '%1' in the library").arg(fromZun(name));
        return false;
    }
    const std::vector<std::uint8_t> slide(bytes.begin() + entry.offset,
                                          bytes.begin() + entry.offset + entry.length);
    slides.push_back(slideFromBytes(fromZun(name), fromZun(library) + ':' + fromZun(name), slide));
    return true;
}

bool slideFile(const QString& path, std::vector<ZunRenderSlide>& slides, QString* error)
{
    std::vector<std::uint8_t> bytes;
    if (!readWhole(path, bytes, error))
        return false;
    slides.push_back(slideFromBytes(QFileInfo(path).completeBaseName(), path, bytes));
    return true;
}

} // namespace

QString zunRenderUnreadable(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("is a directory, not a file");
    if (!info.exists())
        return QStringLiteral("cannot read the file: no such file");
    if (!info.isFile() || !info.isReadable())
        return QStringLiteral("cannot read the file");
    return QString();
}

QString zunRenderOutputFolder(const QString& dir)
{
    std::error_code ec;
    const std::filesystem::path path = dir.toStdString();
    std::filesystem::create_directories(path, ec);
    if (ec)
        return QStringLiteral("cannot make the folder: ") + QString::fromStdString(ec.message());
    if (!std::filesystem::is_directory(path, ec))
        return QStringLiteral("cannot use it as the folder: ") +
               QString::fromStdString(std::make_error_code(std::errc::not_a_directory).message());
    if (::access(path.c_str(), W_OK) != 0)
        return QStringLiteral("cannot write to the folder: ") + QString::fromLocal8Bit(std::strerror(errno));
    return QString();
}

QString ZunRenderNames::unique(const QString& base)
{
    // The first free of base, base_2, base_3, ...: names are never given
    // back, so the numbers below the last one tried for base stay taken.
    QString name = base;
    if (m_taken.contains(name.toLower())) {
        int& n = m_nextNumber[base.toLower()];
        n = std::max(n, 2);
        do
            name = base + '_' + QString::number(n++);
        while (m_taken.contains(name.toLower()));
    }
    m_taken.insert(name.toLower());
    return name;
}

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
    if (const QString reason = zunRenderUnreadable(path); !reason.isEmpty()) {
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
    if (const QString reason = zunRenderUnreadable(file); !reason.isEmpty()) {
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
    if (const QString reason = zunRenderOutputFolder(outDir); !reason.isEmpty()) {
        report(outDir, reason);
        return 1;
    }
    QString error;
    if (kind == ZunRenderInput::Picture) {
        QImage image;
        if (!zunRenderPicture(input, size, image, &error)) {
            report(input, error);
            return 1;
        }
        // A png written over the png it was made from would lose the original.
        ZunRenderNames names;
        const QFileInfo source(input);
        if (QFileInfo(outDir).canonicalFilePath() == source.canonicalPath() && source.suffix().toLower() == "png")
            names.unique(source.completeBaseName());
        const QString path = QDir(outDir).filePath(names.unique(source.completeBaseName()) + ".png");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG")) {
            report(path, QStringLiteral("cannot write the picture: ") + file.errorString());
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
    ZunRenderNames names;
    for (ZunRenderSlide& slide : slides) {
        if (!slide.error.isEmpty()) {
            report(slide.label, slide.error);
            ++failed;
        } else if (!writeList(slide.gdx, names.unique(slide.fileName))) {
            ++failed;
        }
    }
    return failed > 0 ? 1 : 0;
}
