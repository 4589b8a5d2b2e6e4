#include "ui/zun_help.h"

#include "contracts/base/zun_text.h"
#include "contracts/data/zun_files.h"
#include "render/qt/zun_qstring.h"
#include "ui/zun_help_p.h"
#include "ui/zun_help_window_p.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHelpEngineCore>
#include <QPointer>
#include <QTemporaryDir>

#include <memory>

namespace ZUN {

namespace {

// Everything the help service keeps between calls. The engine and the
// window belong to the application object's lifetime: they are made while
// one exists and go before it does (see dropAtExit).
struct HelpState {
    QPointer<QHelpEngineCore> engine;
    QPointer<CZunHelpWindow> window;
    std::unique_ptr<QTemporaryDir> tempFolder;
    QString folder;          // set by tests; empty: a temporary folder
    QString error;
    bool failed = false;
    bool exitHookAdded = false;
};

HelpState& state()
{
    static HelpState helpState;
    return helpState;
}

void dropWindowAndEngine()
{
    HelpState& s = state();
    delete s.window.data();
    delete s.engine.data();
    s.tempFolder.reset();
}

// Widgets must be gone before the application object; post routines run
// while it still exists.
void dropAtExit()
{
    dropWindowAndEngine();
    state().exitHookAdded = false;
}

bool fail(const QString& why)
{
    HelpState& s = state();
    s.failed = true;
    s.error = why;
    qWarning("Zun help: the help engine is not available: %s", qPrintable(why));
    return false;
}

QString collectionFolder()
{
    HelpState& s = state();
    if (!s.folder.isEmpty())
        return QDir().mkpath(s.folder) ? s.folder : QString();
    s.tempFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/zun-help-XXXXXX"));
    return s.tempFolder->isValid() ? s.tempFolder->path() : QString();
}

bool startEngine()
{
    HelpState& s = state();
    if (!qApp)
        return fail(QStringLiteral("no application object"));
    const QString folder = collectionFolder();
    if (folder.isEmpty())
        return fail(QStringLiteral("no folder for the help collection"));
    if (!s.exitHookAdded) {
        qAddPostRoutine(dropAtExit);
        s.exitHookAdded = true;
    }
    auto* engine = new QHelpEngineCore(folder + QStringLiteral("/zun-help.qhc"), qApp);
    engine->setReadOnly(false);
    if (!engine->setupData()) {
        const QString why = engine->error();
        delete engine;
        return fail(why.isEmpty() ? QStringLiteral("the help collection could not be set up") : why);
    }
    s.engine = engine;
    return true;
}

bool sameFile(const QString& a, const QString& b)
{
    return QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath();
}

// The namespace under which file is registered in the engine, registering
// it first when needed; empty when file is no help file.
QString registeredNamespace(QHelpEngineCore* engine, const QString& file)
{
    const QString nameSpace = QHelpEngineCore::namespaceName(file);
    if (nameSpace.isEmpty()) {
        qWarning("Zun help: %s is no help file", qPrintable(file));
        return {};
    }
    if (engine->registeredDocumentations().contains(nameSpace)) {
        if (sameFile(engine->documentationFileName(nameSpace), file))
            return nameSpace;
        // Another copy of the same help (an installed one and one in a
        // build tree): the file asked for wins.
        engine->unregisterDocumentation(nameSpace);
    }
    if (!engine->registerDocumentation(file)) {
        qWarning("Zun help: %s could not be registered: %s", qPrintable(file), qPrintable(engine->error()));
        return {};
    }
    return nameSpace;
}

bool openWebAddress(const CZunString& location, const CZunString& topic)
{
    const QUrl url = helpWebAddress(location, topic);
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool openHelpFile(QWidget* owner, const CZunString& location, const CZunString& topic)
{
    QHelpEngineCore* engine = helpEngine();
    if (!engine)
        return false;
    const QString nameSpace = registeredNamespace(engine, fromZun(location));
    if (nameSpace.isEmpty())
        return false;
    CZunHelpWindow* window = helpWindow(true);
    if (!window)
        return false;
    // While a modal dialog runs, only its own windows take input.
    window->attachTo(QApplication::activeModalWidget());
    window->placeNear(owner ? owner : QApplication::activeWindow());
    if (!window->showHelp(nameSpace, fromZun(topic)))
        return false;
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

} // namespace

HelpSpec helpSpecSplit(const wchar_t* spec)
{
    const CZunString text(spec);
    const CZunArrayTempl<CZunString> parts = strTok(text, L"\\", false);
    if (parts.len() < 2)
        return {L"Zun", text};
    return {parts[0], parts[1]};
}

bool helpIsWebAddress(const CZunString& location)
{
    CZunString start = location.left(4);
    return start.makeLower() == L"http";
}

QUrl helpWebAddress(const CZunString& location, const CZunString& topic)
{
    CZunString address = location;
    address.replace(L"<topic>", topic);
    return QUrl(fromZun(address), QUrl::TolerantMode);
}

QHelpEngineCore* helpEngine()
{
    HelpState& s = state();
    if (s.failed)
        return nullptr;
    if (!s.engine && !startEngine())
        return nullptr;
    return s.engine;
}

QString helpEngineError()
{
    return state().error;
}

CZunHelpWindow* helpWindow(bool create)
{
    HelpState& s = state();
    if (!s.window && create) {
        if (QHelpEngineCore* engine = helpEngine())
            s.window = new CZunHelpWindow(engine);
    }
    return s.window;
}

void helpReset()
{
    dropWindowAndEngine();
    HelpState& s = state();
    s.failed = false;
    s.error.clear();
}

void helpCollectionFolderSet(const QString& folder)
{
    state().folder = folder;
}

bool helpOpen(QWidget* owner, const CZunString& location, const CZunString& topic)
{
    if (location.isEmpty())
        return false;
    if (helpIsWebAddress(location))
        return openWebAddress(location, topic);
    return openHelpFile(owner, location, topic);
}

bool help(const wchar_t* spec)
{
    const HelpSpec parts = helpSpecSplit(spec);
    const CZunString location = help_find(parts.name);
    if (location.isEmpty())
        return false;
    // Help for a command has no dialog of its own to stand beside. The
    // answer is whether the name has help at all: a location that cannot be
    // shown (a damaged file, no help engine) is the reader's trouble, which
    // the caller cannot mend by asking again elsewhere.
    helpOpen(nullptr, location, parts.topic);
    return true;
}

} // namespace ZUN
