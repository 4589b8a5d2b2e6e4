// A stand-in message server for the client's checks. It behaves as the
// environment says, so that a check can start it through execute and a
// service file, as the client starts the real one:
//   ZUN_STANDIN_PROGID  the name to register ("Zun_Test.Standin")
//   ZUN_STANDIN_MODE    late:<ms>  register after ms milliseconds
//                       never      never register
//                       die        register; die in the middle of any call
//                       bad        register; answer every call with the wrong type
// It ends by itself after 30 s, or on Close.
#include "contracts/os/zun_dispatch.h"
#include "tests/dialogs/msg_standin/zun_msg_standin.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString progId = qEnvironmentVariable("ZUN_STANDIN_PROGID", QStringLiteral("Zun_Test.Standin"));
    const QString mode = qEnvironmentVariable("ZUN_STANDIN_MODE");
    CStandin standin(mode == QLatin1String("bad"), mode == QLatin1String("die"));
    int delay = 0;
    if (mode.startsWith(QLatin1String("late:")))
        delay = mode.mid(5).toInt();
    if (mode != QLatin1String("never")) {
        QTimer::singleShot(delay, &app, [&] {
            QDBusConnection bus = QDBusConnection::sessionBus();
            const QString path = ZUN::dbusPathOfProgId(CZunString(progId.toStdWString()));
            if (!bus.registerObject(path, &standin, QDBusConnection::ExportAllSlots) || !bus.registerService(progId))
                QCoreApplication::exit(2);
        });
    }
    // Its bus ends with the test that started it; so does it.
    QTimer busWatch;
    QObject::connect(&busWatch, &QTimer::timeout, &app, [] {
        if (!QDBusConnection::sessionBus().isConnected())
            QCoreApplication::quit();
    });
    busWatch.start(500);
    QTimer::singleShot(30000, &app, &QCoreApplication::quit);
    return QCoreApplication::exec();
}
