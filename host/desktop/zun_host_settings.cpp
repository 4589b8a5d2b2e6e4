#include "host/desktop/zun_host_settings.h"

#include "contracts/data/zun_files.h"
#include "host/desktop/zun_host_language.h"

#include <QFileInfo>
#include <QSettings>
#include <QUrl>

#include <algorithm>

namespace {
const QString kGeometry = QStringLiteral("window/geometry");
const QString kState = QStringLiteral("window/state");
const QString kSplitter = QStringLiteral("window/splitter");
const QString kRecent = QStringLiteral("recent/files");
const QString kLanguage = QStringLiteral("language");
const QString kSmooth = QStringLiteral("view/smooth");
} // namespace

CZunHostSettings::CZunHostSettings()
    : m_store(std::make_unique<QSettings>(QString::fromStdString(ZUN::appFileName(L"zun-host.ini").toUtf8()),
                                          QSettings::IniFormat))
{
}

CZunHostSettings::~CZunHostSettings() = default;

QString CZunHostSettings::fileName() const
{
    return m_store->fileName();
}

QByteArray CZunHostSettings::geometry() const
{
    return m_store->value(kGeometry).toByteArray();
}

void CZunHostSettings::setGeometry(const QByteArray& geometry)
{
    m_store->setValue(kGeometry, geometry);
}

QByteArray CZunHostSettings::windowState() const
{
    return m_store->value(kState).toByteArray();
}

void CZunHostSettings::setWindowState(const QByteArray& state)
{
    m_store->setValue(kState, state);
}

QByteArray CZunHostSettings::splitterState() const
{
    return m_store->value(kSplitter).toByteArray();
}

void CZunHostSettings::setSplitterState(const QByteArray& state)
{
    m_store->setValue(kSplitter, state);
}

QStringList CZunHostSettings::recentFiles() const
{
    QStringList files = m_store->value(kRecent).toStringList();
    files.removeDuplicates();
    while (files.size() > kMaxRecent)
        files.removeLast();
    return files;
}

void CZunHostSettings::addRecentFile(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = recentFiles();
    files.removeAll(absolute);
    files.prepend(absolute);
    while (files.size() > kMaxRecent)
        files.removeLast();
    m_store->setValue(kRecent, files);
}

void CZunHostSettings::removeRecentFile(const QString& path)
{
    QStringList files = recentFiles();
    files.removeAll(QFileInfo(path).absoluteFilePath());
    m_store->setValue(kRecent, files);
}

QString CZunHostSettings::language() const
{
    // A first start speaks the language of the user's locale.
    const QString stored = m_store->value(kLanguage).toString();
    return stored.isEmpty() ? zunHostLanguageForLocale(QLocale()) : stored;
}

void CZunHostSettings::setLanguage(const QString& code)
{
    m_store->setValue(kLanguage, code);
}

bool CZunHostSettings::smoothDisplay() const
{
    return m_store->value(kSmooth, false).toBool();
}

void CZunHostSettings::setSmoothDisplay(bool smooth)
{
    m_store->setValue(kSmooth, smooth);
}

void CZunHostSettings::sync()
{
    m_store->sync();
}

namespace {

// A path as one settings key: its slashes would otherwise make groups.
QString unitKey(const QString& drawing)
{
    return QStringLiteral("displayUnits/") +
           QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(drawing).absoluteFilePath()));
}

} // namespace

int CZunHostSettings::displayUnit(const QString& drawing) const
{
    return drawing.isEmpty() ? 0 : m_store->value(unitKey(drawing), 0).toInt();
}

void CZunHostSettings::setDisplayUnit(const QString& drawing, int unit)
{
    if (!drawing.isEmpty())
        m_store->setValue(unitKey(drawing), unit);
}

CZunPrintSetup CZunHostSettings::printSetup() const
{
    CZunPrintSetup setup;
    setup.paper = m_store->value(QStringLiteral("print/paper")).toString() == QLatin1String("A3")
                      ? CZunPrintSetup::Paper::A3
                      : CZunPrintSetup::Paper::A4;
    setup.landscape = m_store->value(QStringLiteral("print/landscape"), false).toBool();
    const int scale = m_store->value(QStringLiteral("print/scale"), CZunPrintSetup::kFit).toInt();
    const auto& offered = CZunPrintSetup::kScales;
    setup.scale = std::find(offered.begin(), offered.end(), scale) != offered.end() ? scale : CZunPrintSetup::kFit;
    return setup;
}

void CZunHostSettings::setPrintSetup(const CZunPrintSetup& setup)
{
    m_store->setValue(QStringLiteral("print/paper"),
                      setup.paper == CZunPrintSetup::Paper::A3 ? QStringLiteral("A3") : QStringLiteral("A4"));
    m_store->setValue(QStringLiteral("print/landscape"), setup.landscape);
    m_store->setValue(QStringLiteral("print/scale"), setup.scale);
}

namespace {

// A group per drawing, a key per part; both encoded, so that neither a
// path's slashes nor a handle's characters make groups of their own.
QString viewKey(const QString& drawing, const QString& part)
{
    return QStringLiteral("partViews/") +
           QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(drawing).absoluteFilePath())) + QLatin1Char('/') +
           QString::fromLatin1(QUrl::toPercentEncoding(part));
}

} // namespace

QString CZunHostSettings::partView(const QString& drawing, const QString& part) const
{
    if (drawing.isEmpty() || part.isEmpty())
        return QString();
    return m_store->value(viewKey(drawing, part)).toString();
}

void CZunHostSettings::setPartView(const QString& drawing, const QString& part, const QString& view)
{
    if (drawing.isEmpty() || part.isEmpty())
        return;
    if (view.isEmpty())
        m_store->remove(viewKey(drawing, part));
    else
        m_store->setValue(viewKey(drawing, part), view);
}
