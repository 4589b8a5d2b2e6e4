#include "contracts/os/zun_dispatch.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTextStream>

namespace ZUN {

namespace {

QString qt(const CZunString& s) { return QString::fromStdWString(s.str()); }
CZunString wide(const QString& s) { return CZunString(s.toStdWString()); }

constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";

bool isBusName(const QString& name)
{
    const QStringList parts = name.split(u'.');
    if (parts.size() < 2 || name.size() > 255)
        return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.front().isDigit())
            return false;
        for (const QChar c : part)
            if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_' && c != u'-')
                return false;
    }
    return true;
}

// The folders the session bus looks in for service files, in its order.
QStringList serviceFolders()
{
    QStringList folders;
    const QString home = qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + "/.local/share");
    folders << home;
    const QString dirs = qEnvironmentVariable("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    folders << dirs.split(u':', Qt::SkipEmptyParts);
    for (QString& folder : folders)
        folder += "/dbus-1/services";
    return folders;
}

// The program of an Exec line: its first word, quotes removed.
QString programOfExec(const QString& exec)
{
    const QStringList words = QProcess::splitCommand(exec.trimmed());
    return words.isEmpty() ? QString() : words.front();
}

} // namespace

IDispatch::IDispatch(const CZunString& progId)
    : m_progId(progId), m_service(qt(progId)), m_path(dbusPathOfProgId(progId)), m_interface(qt(progId))
{
}

unsigned long IDispatch::AddRef() { return ++m_refs; }

unsigned long IDispatch::Release()
{
    const unsigned long left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

bool IDispatch::invoke(const QString& member, const QVariantList& args, QVariant* result)
{
    m_error = CZunString();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_error = L"no session bus";
        return false;
    }
    const bool isProperty = member == "Get" || member == "Set";
    QDBusMessage call = QDBusMessage::createMethodCall(m_service, m_path, isProperty ? kPropertiesInterface : m_interface, member);
    call.setArguments(args);
    // A program that went away must not be started again behind the
    // caller's back through its service file.
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, m_timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_error = wide(qt(m_progId) + "." + member + ": "
                       + (reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage()));
        return false;
    }
    if (result)
        *result = reply.arguments().isEmpty() ? QVariant() : reply.arguments().front();
    return true;
}

bool IDispatch::getProperty(const QString& name, QVariant& value)
{
    QVariant answer;
    if (!invoke("Get", {m_interface, name}, &answer))
        return false;
    value = answer.canConvert<QDBusVariant>() ? answer.value<QDBusVariant>().variant() : answer;
    return true;
}

bool IDispatch::setProperty(const QString& name, const QVariant& value)
{
    return invoke("Set", {m_interface, name, QVariant::fromValue(QDBusVariant(value))});
}

QString dbusPathOfProgId(const CZunString& progId)
{
    const QString name = qt(progId);
    if (!isBusName(name))
        return QString();
    QString path = "/" + name;
    path.replace(u'.', u'/');
    path.replace(u'-', u'_');  // object paths allow no dash
    return path;
}

IDispatch* dispatchFromProgID(const CZunString& progId)
{
    if (dbusPathOfProgId(progId).isEmpty())
        return nullptr;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return nullptr;
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(qt(progId));
    if (!registered.isValid() || !registered.value())
        return nullptr;
    return new IDispatch(progId);
}

CZunString serverFromProgID(const CZunString& progId)
{
    if (dbusPathOfProgId(progId).isEmpty())
        return CZunString();
    for (const QString& folder : serviceFolders()) {
        QFile file(folder + "/" + qt(progId) + ".service");
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&file);
        bool inSection = false;
        QString name;
        QString exec;
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.startsWith(u'[')) {
                inSection = line == "[D-BUS Service]";
                continue;
            }
            if (!inSection)
                continue;
            if (line.startsWith("Name="))
                name = line.mid(5).trimmed();
            else if (line.startsWith("Exec="))
                exec = line.mid(5);
        }
        // The file's name is a convention; the Name line is what the bus uses.
        if (name == qt(progId) && !programOfExec(exec).isEmpty())
            return wide(programOfExec(exec));
    }
    return CZunString();
}

bool execute(const CZunString& path, int showMode, bool detached)
{
    const QString program = qt(path);
    if (program.isEmpty())
        return false;
    QProcess process;
    process.setProgram(program);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZUN_SHOW", QString::number(showMode));
    process.setProcessEnvironment(env);
    if (detached) {
        // A program of its own: it must not hold its starter's pipes open.
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        return process.startDetached();
    }
    process.start();
    if (!process.waitForStarted())
        return false;
    process.waitForFinished(-1);
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace ZUN
