#include "contracts/os/zun_registry.h"

#include "contracts/base/zun_text.h"
#include "contracts/data/zun_files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QString>

#include <cstdlib>
#include <mutex>

namespace ZUN {

namespace {

QString qs(const CZunString& text)
{
    return QString::fromStdString(text.toUtf8());
}

CZunString zs(const QString& text)
{
    return CZunString::fromUtf8(text.toStdString());
}

// QSettings takes '/' and '\' as group separators. Names of ours may hold
// either, so they are escaped; '%' is escaped first to keep it reversible.
QString escapeName(const CZunString& name)
{
    QString text = qs(name);
    text.replace(QLatin1Char('%'), QLatin1String("%25"));
    text.replace(QLatin1Char('/'), QLatin1String("%2F"));
    text.replace(QLatin1Char('\\'), QLatin1String("%5C"));
    return text;
}

CZunString unescapeName(QString text)
{
    text.replace(QLatin1String("%5C"), QLatin1String("\\"));
    text.replace(QLatin1String("%2F"), QLatin1String("/"));
    text.replace(QLatin1String("%25"), QLatin1String("%"));
    return zs(text);
}

// A key that exists without values still needs an entry in an INI file;
// this name can never come out of escapeName (a '%' there is always
// followed by two hex digits).
const QString kKeyMarker = QStringLiteral("%key");
// The boot a volatile file was written in.
const QString kBootName = QStringLiteral("%boot");

// The QSettings group of a key path, or empty for a path that names no
// key (empty, or an empty name between two backslashes). A backslash at
// either end is tolerated, as the registry does.
QString groupOf(const CZunString& key)
{
    CZunString path = key;
    if (path.len() > 0 && path[0] == L'\\')
        path = path.mid(1);
    if (path.len() > 0 && path[-1] == L'\\')
        path = path.left(path.len() - 1);
    if (path.isEmpty())
        return {};
    QStringList parts;
    for (const CZunString& part : strTok(path, L"\\", true)) {
        if (part.isEmpty())
            return {};
        parts.append(escapeName(part));
    }
    return parts.join(QLatin1Char('/'));
}

QString envFolder(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value == '/' ? QString::fromLocal8Bit(value) : QString();
}

QString bootId()
{
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).trimmed();
}

std::unique_ptr<QSettings> storeOf(bool isVolatile)
{
    return std::make_unique<QSettings>(qs(regStoreFile(isVolatile)), QSettings::IniFormat);
}

// QSettings reports a damaged file only to the object that parsed it;
// later objects on the same unchanged file share the parsed copy and say
// nothing. So the verdict is kept here, per file and for the file's size
// and time as they were, and a changed file is judged afresh.
struct FileStamp {
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const QFileInfo& info)
{
    return {info.size(), info.lastModified()};
}

bool isDamaged(const QSettings& store)
{
    static std::mutex guard;
    static QHash<QString, FileStamp> damaged;
    const QFileInfo info(store.fileName());
    const std::lock_guard<std::mutex> lock(guard);
    if (store.status() == QSettings::FormatError) {
        damaged.insert(store.fileName(), stampOf(info));
        return true;
    }
    const auto it = damaged.constFind(store.fileName());
    if (it == damaged.constEnd())
        return false;
    if (info.exists() && *it == stampOf(info))
        return true;
    damaged.erase(it);
    return false;
}

// Why a store cannot be used at all, or empty.
CZunString storeProblem(const QSettings& store)
{
    const QFileInfo info(store.fileName());
    if (info.exists() && !info.isFile())
        return zs(store.fileName()) + L": the settings file is not a file";
    if (isDamaged(store))
        return zs(store.fileName()) + L": the settings file is damaged and is left as it is";
    switch (store.status()) {
    case QSettings::AccessError:
        return zs(store.fileName()) + L": the settings file cannot be read";
    default:
        return {};
    }
}

bool hasKey(QSettings& store, const QString& group)
{
    store.beginGroup(group);
    const bool found = !store.allKeys().isEmpty();
    store.endGroup();
    return found;
}

// A volatile file left from an earlier boot holds nothing of this session:
// it is emptied before anything is read from it. A file is stamped with the
// boot when something is written into it.
void forgetEarlierBoots(QSettings& store, bool writing)
{
    if (!storeProblem(store).isEmpty())
        return;
    const QString boot = bootId();
    if (boot.isEmpty())
        return;
    const QString written = store.value(kBootName).toString();
    if (written == boot || (written.isEmpty() && !writing))
        return;
    if (!written.isEmpty())
        store.clear();
    store.setValue(kBootName, boot);
    store.sync();
}

} // namespace

CZunString regAppKey(const CZunString& appName)
{
    return L"Software\\BALDRIX\\" + appName;
}

CZunString regStoreFile(bool isVolatile)
{
    if (!isVolatile)
        return appFileName(L"registry.ini");
    const char* redirect = std::getenv("ZUN_SETTINGS_DIR");
    const QString runtime = envFolder("XDG_RUNTIME_DIR");
    if ((redirect && *redirect) || runtime.isEmpty() || !QFileInfo(runtime).isDir())
        return appFileName(L"volatile.ini");
    QDir().mkpath(runtime + QStringLiteral("/zun"));
    return zs(runtime + QStringLiteral("/zun/volatile.ini"));
}

CZunRegKey::CZunRegKey() = default;

CZunRegKey::~CZunRegKey()
{
    close();
}

bool CZunRegKey::fail(const CZunString& reason)
{
    if (m_error.isEmpty())
        m_error = reason;
    return false;
}

bool CZunRegKey::open(const CZunString& key)
{
    close();
    m_error.empty();
    if (groupOf(key).isEmpty())
        return fail(L"'" + key + L"' is not a key");
    return openIn(key, false, false) || openIn(key, true, false);
}

bool CZunRegKey::create(const CZunString& key, bool isVolatile)
{
    close();
    m_error.empty();
    if (groupOf(key).isEmpty())
        return fail(L"'" + key + L"' is not a key");
    // An existing key stays where it is, as a registry key keeps the kind
    // it was created with.
    if (openIn(key, !isVolatile, false))
        return true;
    m_error.empty();
    return openIn(key, isVolatile, true);
}

bool CZunRegKey::openIn(const CZunString& key, bool isVolatile, bool create)
{
    std::unique_ptr<QSettings> store = storeOf(isVolatile);
    if (isVolatile)
        forgetEarlierBoots(*store, create);
    if (const CZunString problem = storeProblem(*store); !problem.isEmpty())
        return fail(problem);
    const QString group = groupOf(key);
    if (!hasKey(*store, group)) {
        if (!create)
            return fail(L"the key '" + key + L"' does not exist");
        store->setValue(group + QLatin1Char('/') + kKeyMarker, 1);
        store->sync();
        if (store->status() != QSettings::NoError)
            return fail(zs(store->fileName()) + L": the settings file cannot be written");
    }
    store->beginGroup(group);
    m_store = std::move(store);
    m_key = key;
    m_volatile = isVolatile;
    return true;
}

bool CZunRegKey::close()
{
    if (!m_store)
        return true;
    m_store->endGroup();
    m_store->sync();
    const bool ok = m_store->status() == QSettings::NoError;
    if (!ok)
        fail(zs(m_store->fileName()) + L": the settings file cannot be written");
    m_store.reset();
    return ok;
}

bool CZunRegKey::writable()
{
    if (!m_store)
        return fail(L"no key is open");
    m_store->sync();
    if (m_store->status() != QSettings::NoError)
        return fail(zs(m_store->fileName()) + L": the settings file cannot be written");
    return true;
}

bool CZunRegKey::read(const CZunString& name, std::uint32_t& value)
{
    if (!m_store || name.isEmpty())
        return false;
    const QVariant stored = m_store->value(escapeName(name));
    if (!stored.isValid())
        return false;
    bool ok = false;
    const qulonglong number = stored.toString().toULongLong(&ok);
    if (!ok || number > 0xFFFFFFFFull)
        return false;
    value = static_cast<std::uint32_t>(number);
    return true;
}

bool CZunRegKey::read(const CZunString& name, CZunString& value)
{
    if (!m_store || name.isEmpty())
        return false;
    const QVariant stored = m_store->value(escapeName(name));
    if (!stored.isValid())
        return false;
    value = zs(stored.toString());
    return true;
}

bool CZunRegKey::write(const CZunString& name, std::uint32_t value)
{
    if (name.isEmpty())
        return fail(L"a value needs a name");
    if (!m_store)
        return fail(L"no key is open");
    m_store->setValue(escapeName(name), static_cast<qulonglong>(value));
    return writable();
}

bool CZunRegKey::write(const CZunString& name, const CZunString& value)
{
    if (name.isEmpty())
        return fail(L"a value needs a name");
    if (!m_store)
        return fail(L"no key is open");
    m_store->setValue(escapeName(name), qs(value));
    return writable();
}

bool CZunRegKey::removeValue(const CZunString& name)
{
    if (!m_store || name.isEmpty())
        return false;
    const QString stored = escapeName(name);
    if (!m_store->contains(stored))
        return false;
    m_store->remove(stored);
    // The key itself stays, as a registry key does without values.
    m_store->setValue(kKeyMarker, 1);
    return writable();
}

CZunArrayTempl<CZunString> CZunRegKey::valueNames()
{
    CZunArrayTempl<CZunString> names;
    if (!m_store)
        return names;
    for (const QString& name : m_store->childKeys()) {
        if (name != kKeyMarker)
            names.append(unescapeName(name));
    }
    return names;
}

bool regRead(const CZunString& key, const CZunString& name, std::uint32_t& value, CZunString* error)
{
    CZunRegKey reg;
    const bool ok = reg.open(key) && reg.read(name, value);
    if (error)
        *error = reg.error();
    return ok;
}

bool regRead(const CZunString& key, const CZunString& name, CZunString& value, CZunString* error)
{
    CZunRegKey reg;
    const bool ok = reg.open(key) && reg.read(name, value);
    if (error)
        *error = reg.error();
    return ok;
}

bool regWrite(const CZunString& key, const CZunString& name, std::uint32_t value, bool isVolatile, CZunString* error)
{
    CZunRegKey reg;
    bool ok = reg.create(key, isVolatile) && reg.write(name, value);
    ok = reg.close() && ok;
    if (error)
        *error = reg.error();
    return ok;
}

bool regWrite(const CZunString& key, const CZunString& name, const CZunString& value, bool isVolatile,
              CZunString* error)
{
    CZunRegKey reg;
    bool ok = reg.create(key, isVolatile) && reg.write(name, value);
    ok = reg.close() && ok;
    if (error)
        *error = reg.error();
    return ok;
}

bool regKeyExists(const CZunString& key)
{
    CZunRegKey reg;
    return reg.open(key);
}

bool regKeyDelete(const CZunString& key, CZunString* error)
{
    const QString group = groupOf(key);
    if (group.isEmpty()) {
        if (error)
            *error = L"'" + key + L"' is not a key";
        return false;
    }
    bool ok = true;
    CZunString reason;
    for (const bool isVolatile : {false, true}) {
        std::unique_ptr<QSettings> store = storeOf(isVolatile);
        // A damaged file may hold the key in what could not be read.
        if (const CZunString problem = storeProblem(*store); !problem.isEmpty()) {
            reason = problem;
            ok = false;
            continue;
        }
        if (!hasKey(*store, group))
            continue;
        store->remove(group);
        store->sync();
        if (store->status() != QSettings::NoError) {
            reason = zs(store->fileName()) + L": the settings file cannot be written";
            ok = false;
        }
    }
    if (error)
        *error = reason;
    return ok;
}

} // namespace ZUN
