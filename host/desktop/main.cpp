// zun-host: the desktop host. Opens the sample drawing (or the files
// given) in a window with the part tree, the viewer, slides and pictures.

#include "contracts/data/zun_files.h"
#include "host/desktop/zun_drawing_opener.h"
#include "host/desktop/zun_host_language.h"
#include "host/desktop/zun_host_window.h"
#include "host/zun_host_app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <unistd.h>

#include <cstdio>

namespace {

// Qt wants a private runtime folder; a session started without one (a
// container, a virtual display) would print a warning on every start.
void ensureRuntimeDir()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QString runtime = QDir::tempPath() + QStringLiteral("/zun-runtime-") + QString::number(getuid());
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
}

// A node of the tree by its label, searched depth first.
QTreeWidgetItem* findNode(QTreeWidget* tree, const QString& label)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(label, Qt::MatchFixedString | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

bool parseSize(const QString& text, QSize& size)
{
    const QStringList parts = text.toLower().split(QLatin1Char('x'));
    bool okW = false, okH = false;
    if (parts.size() == 2)
        size = QSize(parts[0].toInt(&okW), parts[1].toInt(&okH));
    return okW && okH && size.width() >= 320 && size.height() >= 240;
}

} // namespace

int main(int argc, char** argv)
{
    ensureRuntimeDir();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zun-host"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Shows the parts of a drawing, slides, slide libraries and pictures. Without a file the bundled "
        "sample drawing opens."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("drawings (.json), slides (.sld), slide libraries (.slb), pictures"));
    const QCommandLineOption shotOption(QStringLiteral("screenshot"),
                                        QStringLiteral("save a picture of the window to FILE once shown, then quit"),
                                        QStringLiteral("FILE"));
    const QCommandLineOption selectOption(QStringLiteral("select"),
                                          QStringLiteral("show the tree node labelled NAME (a part, a slide)"),
                                          QStringLiteral("NAME"));
    const QCommandLineOption viewOption(QStringLiteral("view"),
                                        QStringLiteral("view direction P, N, S, O (or E), W, NO (NE), NW, SO (SE) or SW"),
                                        QStringLiteral("CODE"));
    const QCommandLineOption pickOption(QStringLiteral("pick"), QStringLiteral("pick the group N"),
                                        QStringLiteral("N"));
    const QCommandLineOption langOption(QStringLiteral("lang"), QStringLiteral("language of the texts: de or en (default: the system's)"),
                                        QStringLiteral("CODE"));
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("window size WxH"),
                                        QStringLiteral("WxH"));
    parser.addOptions({shotOption, selectOption, viewOption, pickOption, langOption, sizeOption});
    parser.process(app);
    if (parser.isSet(langOption) && !zunHostLanguageKnown(parser.value(langOption))) {
        std::fprintf(stderr, "zun-host: %s\n", qPrintable(zunHostUnknownLanguage(parser.value(langOption))));
        return 2;
    }

    CZunHostApp host;
    zunAppSet(&host);
    CZunHostApp::registerGenerators();

    CZunHostWindow window(host);
    if (parser.isSet(langOption))
        window.setLanguage(parser.value(langOption));
    QStringList files = parser.positionalArguments();
    if (files.isEmpty() || !files.first().endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
        const CZunString sample = ZUN::fileFind(L"samples/sample_drawing.json");
        if (!sample.isEmpty())
            files.prepend(QString::fromStdString(sample.toUtf8()));
    }
    for (const QString& file : files)
        window.openFile(file);
    if (parser.isSet(sizeOption)) {
        QSize size;
        if (!parseSize(parser.value(sizeOption), size)) {
            std::fprintf(stderr, "zun-host: bad window size '%s' (expected WxH, at least 320x240)\n",
                         qPrintable(parser.value(sizeOption)));
            return 2;
        }
        window.resize(size);
    }
    window.show();
    // The options below act on the drawing: a large one is still being
    // drawn, slice by slice, and is waited for.
    if (window.isOpening() && (parser.isSet(selectOption) || parser.isSet(viewOption) || parser.isSet(pickOption) ||
                               parser.isSet(shotOption))) {
        QEventLoop opening;
        QObject::connect(&window, &CZunHostWindow::drawingOpened, &opening, &QEventLoop::quit);
        QObject::connect(window.opener(), &CZunDrawingOpener::cancelled, &opening, &QEventLoop::quit);
        opening.exec();
    }
    if (parser.isSet(selectOption)) {
        QTreeWidgetItem* node = findNode(window.tree(), parser.value(selectOption));
        if (!node) {
            std::fprintf(stderr, "zun-host: no node labelled '%s'\n", qPrintable(parser.value(selectOption)));
            return 2;
        }
        window.showNode(node);
    }
    if (parser.isSet(viewOption) && !window.setViewDirection(parser.value(viewOption))) {
        std::fprintf(stderr, "zun-host: unknown view direction '%s'\n", qPrintable(parser.value(viewOption)));
        return 2;
    }
    if (parser.isSet(pickOption))
        window.pickGroup(parser.value(pickOption).toInt());

    if (parser.isSet(shotOption)) {
        const QString shot = parser.value(shotOption);
        // Shot after the first paints, so that the window has its final size.
        QTimer::singleShot(700, &window, [&window, shot] {
            const bool saved = window.grab().save(shot, "PNG");
            std::fprintf(saved ? stdout : stderr, saved ? "%s\n" : "zun-host: cannot write %s\n", qPrintable(shot));
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
