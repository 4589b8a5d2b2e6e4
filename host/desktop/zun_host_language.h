#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

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

// Installs Qt's translations for the language (qtbase_<code>.qm from
// directory, or from Qt's translations folder when directory is empty),
// replacing those installed before. English needs none. False when the
// file is not there: Qt's dialogs then stay English and nothing else
// changes.
bool zunHostInstallQtTranslations(const QString& code, const QString& directory = QString());
// The folder Qt's translations are read from.
QString zunHostQtTranslationsDir();

// The label of a view direction's code in the message language: the list
// keeps its own codes (O, NO, SO), English readers see E, NE, SE.
QString zunViewCodeLabel(const QString& code);
// The list's code for a code or a label of any language ("E" and "O" both
// give "O"); empty for neither.
QString zunViewCodeOf(const QString& codeOrLabel);
