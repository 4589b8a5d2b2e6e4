// zun-msg, the message server: open message files, look through their keys
// and texts in every language, select a key; other programs (the module's
// label dialog) read the selection and the texts over the session bus.
#include "host/zun_msg/zun_msg_service.h"
#include "host/zun_msg/zun_msg_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zun-msg"));
    QApplication::setDesktopFileName(QStringLiteral("zun-msg"));

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Message server: texts by key and language"));
    options.addHelpOption();
    options.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Message files to open and merge"));
    const QCommandLineOption select(QStringLiteral("select"), QStringLiteral("Select KEY."), QStringLiteral("KEY"));
    const QCommandLineOption filter(QStringLiteral("filter"), QStringLiteral("Start with TEXT in the filter."),
                                    QStringLiteral("TEXT"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the window as a PNG picture to FILE and quit."),
                                        QStringLiteral("FILE"));
    options.addOptions({select, filter, screenshot});
    options.process(app);

    CZunMsgWindow window;
    auto* service = new CZunMsgService(&window);
    QString busNote;
    const bool onBus = service->registerOnBus(&busNote);
    window.setBusNote(busNote);
    if (!onBus)
        std::fprintf(stderr, "zun-msg: %s\n", qPrintable(busNote));
    // Started for a session bus that has ended (a test's private bus, a
    // closed login): nobody can reach it any more, so it ends too.
    QTimer busWatch;
    if (onBus) {
        QObject::connect(&busWatch, &QTimer::timeout, &app, [] {
            if (!QDBusConnection::sessionBus().isConnected())
                QApplication::quit();
        });
        busWatch.start(1000);
    }

    int failures = 0;
    for (const QString& file : options.positionalArguments())
        failures += window.openFile(file) ? 0 : 1;
    if (options.isSet(filter))
        window.filterField()->setText(options.value(filter));
    if (options.isSet(select))
        window.searchKey(options.value(select));
    window.show();

    if (options.isSet(screenshot)) {
        const QString path = options.value(screenshot);
        QTimer::singleShot(300, &window, [&window, path] {
            const bool saved = window.grab().save(path, "PNG");
            std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
            QApplication::exit(saved ? 0 : 1);
        });
    }
    const int result = QApplication::exec();
    return result != 0 ? result : (failures > 0 && options.isSet(screenshot) ? 1 : 0);
}
