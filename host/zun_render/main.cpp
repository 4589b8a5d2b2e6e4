// zun-render: draws the parts of a drawing into pictures.

#include "contracts/data/zun_drawing_reader.h"
#include "contracts/data/zun_files.h"
#include "contracts/data/zun_part_keys.h"
#include "host/zun_host_app.h"
#include "host/zun_part_image.h"
#include "host/zun_render_inputs.h"
#include "render/emf/zun_emf_dc.h"
#include "render/emf/zun_emf_refresh.h"
#include "render/qt/zun_bitmap.h"
#include "render/qt/zun_export.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <cstdio>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: zun-render [-o DIR] [-s WxH] [-f FORMATS] [--records] [--part NAME] [DRAWING]\n"
    "\n"
    "Draws the parts of a drawing file through the registered part generators\n"
    "and writes one picture per part and format, DIR/<part name>.<format>,\n"
    "fitted to the picture.\n"
    "\n"
    "  DRAWING      drawing file (default: the bundled sample drawing), or instead\n"
    "               a picture (.png .jpg .bmp .gif .ico .svg .emf): DIR/<name>.png, fitted\n"
    "               as the picture control shows it on the white background, never\n"
    "               enlarged (png only), or\n"
    "               slides: FILE.sld, LIBRARY.slb:NAME, or LIBRARY.slb for each of its slides\n"
    "  -o DIR       folder for the pictures (default: the current folder; made when missing)\n"
    "  -s WxH       picture size in pixels (default: 800x600)\n"
    "  -f FORMATS   one or more of png, svg, pdf, emf, separated by commas (default: png).\n"
    "               png is the picture as the viewer shows it, on the application's\n"
    "               background colour, which is white here (an item of that colour is\n"
    "               drawn inverted, black); svg and pdf are painted on white paper, a white\n"
    "               rectangle behind the picture, white items drawn black; emf (enhanced\n"
    "               metafile) has no background at all, white drawn black. svg, pdf and emf\n"
    "               are at 96 pixels per inch\n"
    "  --records    after each metafile's name, the number of its drawing records\n"
    "  --part NAME  only the part with this name or handle\n"
    "  -h, --help   this text\n"
    "\n"
    "Prints one line per file written, and on a terminal the parts done so far\n"
    "(n/N parts) on standard error. Parts (and slides) whose names give the same\n"
    "file name, letter case aside, get \"_2\", \"_3\", ... added, so that no picture\n"
    "overwrites another.\n"
    "Warnings (a key of a part holding a value of the wrong kind, drawn with its\n"
    "default) and errors go to standard error.\n"
    "Exit status: 0 every picture written, 1 unreadable or malformed input, a drawing\n"
    "without parts, a part or slide that could not be drawn (the others are written)\n"
    "or a failed write, 2 bad arguments.\n";

const QStringList kFormats = {QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("pdf"),
                              QStringLiteral("emf")};

struct Options {
    QString outDir = QStringLiteral(".");
    int width = 800;
    int height = 600;
    QStringList formats = {QStringLiteral("png")};
    bool records = false;
    QString part;
    QString drawing;
};

int usageError(const QString& message)
{
    std::fprintf(stderr, "zun-render: %s\nTry 'zun-render --help'.\n", message.toLocal8Bit().constData());
    return 2;
}

// The largest picture side: a picture of 16384 x 16384 takes 1 GiB.
constexpr int kMaxSide = 16384;

// Empty when the size reads; else what is wrong with it.
QString parseSize(const QString& text, int& width, int& height)
{
    const QStringList parts = text.toLower().split('x');
    bool okW = false, okH = false;
    if (parts.size() == 2) {
        width = parts[0].toInt(&okW);
        height = parts[1].toInt(&okH);
    }
    if (!okW || !okH || width <= 0 || height <= 0)
        return QStringLiteral("bad picture size '%1' (expected WxH, e.g. 800x600)").arg(text);
    if (width > kMaxSide || height > kMaxSide)
        return QStringLiteral("bad picture size '%1' (at most %2x%2)").arg(text).arg(kMaxSide);
    return QString();
}

// Known formats, each once, in the order given.
bool parseFormats(const QString& text, QStringList& formats, QString& bad)
{
    formats.clear();
    for (const QString& part : text.split(',')) {
        const QString format = part.trimmed().toLower();
        if (!kFormats.contains(format)) {
            bad = part;
            return false;
        }
        if (!formats.contains(format))
            formats.append(format);
    }
    return true;
}

// 0: go on; otherwise the exit status.
int parseArguments(const QStringList& args, Options& options, bool& help)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto value = [&](const char* option, QString& out) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("option %1 needs a value").arg(option));
            out = args[++i];
            if (out.isEmpty())
                return usageError(QStringLiteral("option %1 needs a value, not an empty argument").arg(option));
            return 0;
        };
        if (a == "-h" || a == "--help") {
            help = true;
            return 0;
        }
        if (a == "-o") {
            if (const int rc = value("-o", options.outDir))
                return rc;
        } else if (a == "-s") {
            QString size;
            if (const int rc = value("-s", size))
                return rc;
            if (const QString problem = parseSize(size, options.width, options.height); !problem.isEmpty())
                return usageError(problem);
        } else if (a == "-f") {
            QString text, bad;
            if (const int rc = value("-f", text))
                return rc;
            if (!parseFormats(text, options.formats, bad))
                return usageError(QStringLiteral("bad format '%1' (expected png, svg, pdf or emf)").arg(bad));
        } else if (a == "--records") {
            options.records = true;
        } else if (a == "--part") {
            if (const int rc = value("--part", options.part))
                return rc;
        } else if (a.isEmpty()) {
            return usageError(QStringLiteral("an empty argument where a file was expected"));
        } else if (a.startsWith('-') && a.size() > 1) {
            return usageError(QStringLiteral("unknown option '%1'").arg(a));
        } else if (options.drawing.isEmpty()) {
            options.drawing = a;
        } else {
            return usageError(QStringLiteral("more than one drawing given ('%1')").arg(a));
        }
    }
    return 0;
}

// Writes gdx fitted into path in format; the metafile's drawing record
// count goes to records.
bool writePicture(CZunGDX& gdx, const QString& path, const QString& format, const Options& options, int& records)
{
    const int w = options.width;
    const int h = options.height;
    if (format == QLatin1String("png"))
        return zunPaintFitted(gdx, w, h).save(path, "PNG");
    if (format == QLatin1String("svg"))
        return zunExportSvgFile(&gdx, path, h, w);
    if (format == QLatin1String("pdf"))
        return zunExportPdfFile(&gdx, path, h, w);
    CZunEmfDC dc(w, h);
    zunPaintForExport(gdx, dc, zunPictureBitmaps());
    const bool saved = dc.save(path.toStdWString().c_str());
    records = dc.drawingRecordCount();  // complete once saved
    return saved;
}

// Empty when path can be written, else the system's reason. The writers
// below say no more than that they failed.
QString unwritable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    return QString();
}

// One file per format; one line per file written. False on a failed write,
// after the other formats are written.
bool writePictures(CZunGDX& gdx, const QString& baseName, const Options& options)
{
    bool all = true;
    for (const QString& format : options.formats) {
        const QString file = QDir(options.outDir).filePath(baseName + '.' + format);
        int records = 0;
        QString reason = unwritable(file);
        if (reason.isEmpty() && !writePicture(gdx, file, format, options, records))
            reason = QStringLiteral("the %1 writer failed").arg(format);
        if (!reason.isEmpty()) {
            std::fprintf(stderr, "zun-render: %s: cannot write the picture: %s\n", file.toLocal8Bit().constData(),
                         reason.toLocal8Bit().constData());
            all = false;
            continue;
        }
        if (options.records && format == QLatin1String("emf"))
            std::printf("%s (%d drawing records)\n", file.toLocal8Bit().constData(), records);
        else
            std::printf("%s\n", file.toLocal8Bit().constData());
    }
    return all;
}

// Runs Qt without a display and with a private runtime folder, which batch
// runs often lack.
void prepareEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/zun-runtime-") + QString::number(getuid());
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
}

// Opens the drawing (the sample when none is given); 0 or the exit status.
// The file is gone through once before any picture is written: a
// malformed part stops the run with nothing written, as a drawing read
// whole would, and the warnings come first. Neither pass keeps more than
// one part.
int openDrawing(const Options& options, ZUN::CZunDrawingReader& reader, CZunString& drawingPath)
{
    drawingPath = options.drawing.isEmpty() ? ZUN::fileFind(L"samples/sample_drawing.json")
                                            : CZunString::fromUtf8(options.drawing.toStdString());
    if (drawingPath.isEmpty()) {
        std::fprintf(stderr, "zun-render: the sample drawing samples/sample_drawing.json is not installed\n");
        return 1;
    }
    ZUN::CDataFileError error;
    if (!reader.open(drawingPath, &error)) {
        std::fprintf(stderr, "zun-render: %s\n", error.toString().toUtf8().c_str());
        return 1;
    }
    if (reader.partCount() == 0) {
        std::fprintf(stderr, "zun-render: %s: the drawing has no parts to draw\n", drawingPath.toUtf8().c_str());
        return 1;
    }
    std::vector<ZUN::CPartKeyWarning> warnings;
    const auto check = [&warnings](const ZUN::CZunDrawing& drawing, const ZUN::CZunPart& part) {
        std::vector<ZUN::CPartKeyWarning> found = ZUN::partKeyWarnings(part, drawing.path());
        warnings.insert(warnings.end(), found.begin(), found.end());
        return true;
    };
    if (!reader.forEachPart(check, ZUN::drawingCurrent(), &error)) {
        std::fprintf(stderr, "zun-render: %s\n", error.toString().toUtf8().c_str());
        return 1;
    }
    for (const ZUN::CPartKeyWarning& w : warnings)
        std::fprintf(stderr, "zun-render: warning: %s\n", w.toString().toUtf8().c_str());
    if (const QString reason = zunRenderOutputFolder(options.outDir); !reason.isEmpty()) {
        std::fprintf(stderr, "zun-render: %s: %s\n", options.outDir.toLocal8Bit().constData(),
                     reason.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

// "n/N parts" on standard error, rewritten in place, when a person watches
// it on a terminal; nothing when standard error goes to a file or a pipe.
class Progress {
public:
    explicit Progress(int total) : m_total(total), m_shown(isatty(STDERR_FILENO) == 1 && total > 1) {}
    // The last count stays on its own line.
    ~Progress()
    {
        if (!m_shown)
            return;
        show(m_total);
        std::fputc('\n', stderr);
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void show(int done)
    {
        if (!m_shown)
            return;
        std::fprintf(stderr, "\r\033[Kzun-render: %d/%d parts", done, m_total);
        std::fflush(stderr);
        m_onLine = true;
    }
    // Takes the progress line away before other output.
    void clear()
    {
        if (!m_onLine)
            return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_onLine = false;
    }

private:
    int m_total;
    bool m_shown;
    bool m_onLine = false;
};

// Draws every part asked for in every format; the exit status. Each part
// is read from the file into the current drawing, drawn, written and
// dropped before the next is read, so that memory stays that of the
// largest part whatever the number of parts.
int renderParts(const Options& options, ZUN::CZunDrawingReader& reader, const CZunString& drawingPath)
{
    int written = 0;
    int failed = 0;
    int done = 0;
    ZunRenderNames names;
    Progress progress(options.part.isEmpty() ? reader.partCount() : 0);
    const auto render = [&](const ZUN::CZunDrawing&, const ZUN::CZunPart& part) {
        progress.show(done++);
        const QString name = QString::fromStdString(part.name.toUtf8());
        const QString handle = QString::fromStdString(part.handle.toUtf8());
        if (!options.part.isEmpty() && options.part != name && options.part != handle)
            return true;
        CZunGDX gdx;
        QString reason;
        if (!zunPartImageBuild(part, gdx, &reason)) {
            progress.clear();
            std::fprintf(stderr, "zun-render: %s: part %s%s could not be drawn: %s\n", drawingPath.toUtf8().c_str(),
                         handle.toLocal8Bit().constData(),
                         name.isEmpty() ? "" : (" (" + name + ")").toLocal8Bit().constData(),
                         reason.toLocal8Bit().constData());
            ++failed;
            return true;
        }
        progress.clear();
        if (!writePictures(gdx, names.unique(zunPartFileName(part)), options))
            ++failed;
        else
            ++written;
        return true;
    };
    ZUN::CDataFileError error;
    if (!reader.forEachPart(render, ZUN::drawingCurrent(), &error)) {
        // The file changed since it was checked.
        progress.clear();
        std::fprintf(stderr, "zun-render: %s\n", error.toString().toUtf8().c_str());
        return 1;
    }
    if (!options.part.isEmpty() && written == 0 && failed == 0) {
        std::fprintf(stderr, "zun-render: %s: no part named '%s'\n", drawingPath.toUtf8().c_str(),
                     options.part.toLocal8Bit().constData());
        return 1;
    }
    return failed > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    prepareEnvironment();
    QApplication app(argc, argv);
    Options options;
    bool help = false;
    if (const int rc = parseArguments(app.arguments(), options, help))
        return rc;
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    CZunHostApp host;
    zunAppSet(&host);
    CZunHostApp::registerGenerators();

    if (!options.drawing.isEmpty() && QFileInfo(options.drawing).isDir()) {
        std::fprintf(stderr, "zun-render: %s: is a directory, not a file\n", options.drawing.toLocal8Bit().constData());
        return 1;
    }
    if (zunRenderInputKind(options.drawing) != ZunRenderInput::Drawing)
        return zunRenderInputFiles(options.drawing, options.outDir, QSize(options.width, options.height),
                                   options.formats, [&options](CZunGDX& gdx, const QString& name) {
                                       return writePictures(gdx, name, options);
                                   });

    CZunString drawingPath;
    ZUN::CZunDrawingReader reader;
    if (const int rc = openDrawing(options, reader, drawingPath))
        return rc;
    return renderParts(options, reader, drawingPath);
}
