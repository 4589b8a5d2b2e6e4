// zun-render: draws the parts of a drawing into pictures.

#include "contracts/data/zun_files.h"
#include "host/zun_host_app.h"
#include "host/zun_part_image.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <cstdio>

namespace {

const char* const kUsage =
    "Usage: zun-render [-o DIR] [-s WxH] [--part NAME] [DRAWING]\n"
    "\n"
    "Draws the parts of a drawing file through the registered part generators\n"
    "and writes one PNG picture per part, DIR/<part name>.png, fitted to the\n"
    "picture with the drawing's own background.\n"
    "\n"
    "  DRAWING      drawing file (default: the bundled sample drawing)\n"
    "  -o DIR       folder for the pictures (default: the current folder; made when missing)\n"
    "  -s WxH       picture size in pixels (default: 800x600)\n"
    "  --part NAME  only the part with this name or handle\n"
    "  -h, --help   this text\n"
    "\n"
    "Exit status: 0 pictures written, 1 unreadable or malformed input or a failed write,\n"
    "2 bad arguments.\n";

struct Options {
    QString outDir = QStringLiteral(".");
    int width = 800;
    int height = 600;
    QString part;
    QString drawing;
};

int usageError(const QString& message)
{
    std::fprintf(stderr, "zun-render: %s\nTry 'zun-render --help'.\n", message.toLocal8Bit().constData());
    return 2;
}

bool parseSize(const QString& text, int& width, int& height)
{
    const QStringList parts = text.toLower().split('x');
    bool okW = false, okH = false;
    if (parts.size() != 2)
        return false;
    width = parts[0].toInt(&okW);
    height = parts[1].toInt(&okH);
    return okW && okH && width > 0 && height > 0 && width <= 16384 && height <= 16384;
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
            if (!parseSize(size, options.width, options.height))
                return usageError(QStringLiteral("bad picture size '%1' (expected WxH, e.g. 800x600)").arg(size));
        } else if (a == "--part") {
            if (const int rc = value("--part", options.part))
                return rc;
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

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt wants a private runtime folder; a batch run often has none.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/zun-runtime-") + QString::number(getuid());
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
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

    CZunString drawingPath = options.drawing.isEmpty() ? ZUN::fileFind(L"samples/sample_drawing.json")
                                                       : CZunString::fromUtf8(options.drawing.toStdString());
    if (drawingPath.isEmpty()) {
        std::fprintf(stderr, "zun-render: the sample drawing samples/sample_drawing.json is not installed\n");
        return 1;
    }
    ZUN::CDataFileError error;
    if (!ZUN::drawingOpen(drawingPath, &error)) {
        std::fprintf(stderr, "zun-render: %s\n", error.toString().toUtf8().c_str());
        return 1;
    }
    if (!QDir().mkpath(options.outDir)) {
        std::fprintf(stderr, "zun-render: %s: cannot make the folder\n", options.outDir.toLocal8Bit().constData());
        return 1;
    }

    const ZUN::CZunDrawing& drawing = ZUN::drawingCurrent();
    int written = 0;
    int failed = 0;
    for (int i = 0; i < drawing.partCount(); ++i) {
        const ZUN::CZunPart& part = *drawing.part(i);
        const QString name = QString::fromStdString(part.name.toUtf8());
        const QString handle = QString::fromStdString(part.handle.toUtf8());
        if (!options.part.isEmpty() && options.part != name && options.part != handle)
            continue;
        CZunGDX gdx;
        if (!zunPartImageBuild(part, gdx)) {
            std::fprintf(stderr, "zun-render: %s: part %s (%s) could not be drawn: no generator for its type or "
                                 "incomplete data\n",
                         drawingPath.toUtf8().c_str(), handle.toLocal8Bit().constData(), part.type.toUtf8().c_str());
            ++failed;
            continue;
        }
        const QString file = QDir(options.outDir).filePath(zunPartFileName(part) + ".png");
        if (!zunPaintFitted(gdx, options.width, options.height).save(file, "PNG")) {
            std::fprintf(stderr, "zun-render: %s: cannot write the picture\n", file.toLocal8Bit().constData());
            return 1;
        }
        std::printf("%s\n", file.toLocal8Bit().constData());
        ++written;
    }
    if (!options.part.isEmpty() && written == 0 && failed == 0) {
        std::fprintf(stderr, "zun-render: %s: no part named '%s'\n", drawingPath.toUtf8().c_str(),
                     options.part.toLocal8Bit().constData());
        return 1;
    }
    return failed > 0 && written == 0 ? 1 : 0;
}
