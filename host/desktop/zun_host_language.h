#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <memory>

class QTranslator;

// The languages zun-host speaks, the one it starts in, and Qt's own texts
// (file dialogs, standard buttons) in that language.

// Message language codes the host has catalogues for, German first.
QStringList zunHostLanguages();
// One of them, or "0" (the message keys instead of texts).
bool zunHostLanguageKnown(const QString& code);
// The language of a first start: German for a German locale, English for
// any other.
QString zunHostLanguageForLocale(const QLocale& locale);
// The refusal of an unknown language code, naming the known ones.
QString zunHostUnknownLanguage(const QString& code);

// Qt's own texts (file dialogs, standard buttons) in a language, installed
// in the application for as long as this object lives. The window owns
// one, so that the translations go with it instead of staying installed
// for the rest of the process.
class CZunQtTranslations {
public:
    CZunQtTranslations();
    ~CZunQtTranslations();
    CZunQtTranslations(const CZunQtTranslations&) = delete;
    CZunQtTranslations& operator=(const CZunQtTranslations&) = delete;

    // Installs Qt's translations for the language (qtbase_<code>.qm from
    // directory, or from Qt's translations folder when directory is
    // empty), replacing those this object installed before. English needs
    // none. False when the file is not there: Qt's dialogs then stay
    // English and nothing else changes.
    bool install(const QString& code, const QString& directory = QString());
    // Takes this object's translations out again.
    void remove();

private:
    std::unique_ptr<QTranslator> m_translator;
};

// The folder Qt's translations are read from.
QString zunHostQtTranslationsDir();

// The label of a view direction's code in the message language: the list
// keeps its own codes (O, NO, SO), English readers see E, NE, SE.
QString zunViewCodeLabel(const QString& code);
// The list's code for a code or a label of any language ("E" and "O" both
// give "O"); empty for neither.
QString zunViewCodeOf(const QString& codeOrLabel);
