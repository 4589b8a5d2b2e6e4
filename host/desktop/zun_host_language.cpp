#include "host/desktop/zun_host_language.h"

#include "host/desktop/zun_host_texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace {

using ZunHostTexts::kViewLabels;
constexpr int kViewCount = static_cast<int>(std::size(kViewLabels));
static_assert(std::size(kViewLabels) == std::size(ZunHostTexts::kViewCodes));

// English labels are accepted in every language: "E" names east in any.
constexpr const char* kEnglishLabels[] = {"P", "N", "S", "E", "W", "NE", "NW", "SE", "SW"};

} // namespace

QStringList zunHostLanguages()
{
    return {QStringLiteral("de"), QStringLiteral("en")};
}

bool zunHostLanguageKnown(const QString& code)
{
    // "0" shows the message keys in place of texts, for translators.
    return zunHostLanguages().contains(code) || code == QLatin1String("0");
}

QString zunHostLanguageForLocale(const QLocale& locale)
{
    return locale.language() == QLocale::German ? QStringLiteral("de") : QStringLiteral("en");
}

QString zunHostUnknownLanguage(const QString& code)
{
    return QStringLiteral("unknown language '%1' (known: %2; 0 shows the message keys)")
        .arg(code, zunHostLanguages().join(QStringLiteral(", ")));
}

QString zunHostQtTranslationsDir()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

CZunQtTranslations::CZunQtTranslations() = default;

CZunQtTranslations::~CZunQtTranslations()
{
    remove();
}

void CZunQtTranslations::remove()
{
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
}

bool CZunQtTranslations::install(const QString& code, const QString& directory)
{
    remove();
    // Qt's texts are written in English.
    if (code == QLatin1String("en"))
        return true;
    auto translator = std::make_unique<QTranslator>();
    const QString folder = directory.isEmpty() ? zunHostQtTranslationsDir() : directory;
    if (!translator->load(QStringLiteral("qtbase_") + code, folder))
        return false;
    QCoreApplication::installTranslator(translator.get());
    m_translator = std::move(translator);
    return true;
}

QString zunViewCodeLabel(const QString& code)
{
    for (int i = 0; i < kViewCount; ++i)
        if (code == QLatin1String(ZunHostTexts::kViewCodes[i]))
            return zunHostText(kViewLabels[i]);
    return code;
}

QString zunViewCodeOf(const QString& codeOrLabel)
{
    const QString upper = codeOrLabel.trimmed().toUpper();
    for (int i = 0; i < kViewCount; ++i)
        if (upper == QLatin1String(ZunHostTexts::kViewCodes[i]) || upper == QLatin1String(kEnglishLabels[i]) ||
            upper == zunHostText(kViewLabels[i]).toUpper())
            return QString::fromLatin1(ZunHostTexts::kViewCodes[i]);
    return QString();
}
