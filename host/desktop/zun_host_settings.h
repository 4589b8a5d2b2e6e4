#pragma once

#include "host/desktop/zun_host_print.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

// What the desktop host remembers between runs: window geometry and
// layout, the recently opened files and the language. Kept in an INI file
// in the user's settings folder (ZUN_SETTINGS_DIR when set).
class CZunHostSettings {
public:
    static constexpr int kMaxRecent = 8;

    CZunHostSettings();
    ~CZunHostSettings();

    // The settings file.
    QString fileName() const;

    QByteArray geometry() const;
    void setGeometry(const QByteArray& geometry);
    QByteArray windowState() const;
    void setWindowState(const QByteArray& state);
    QByteArray splitterState() const;
    void setSplitterState(const QByteArray& state);

    // Most recent first, at most kMaxRecent, each path once.
    QStringList recentFiles() const;
    // Puts the file (as an absolute path) first.
    void addRecentFile(const QString& path);
    void removeRecentFile(const QString& path);

    // Message language code; at a first start the one of the locale
    // (QLocale(), the system's unless a default was set).
    QString language() const;
    void setLanguage(const QString& code);

    // The unit lengths of a drawing are shown in (by the drawing's absolute
    // path); 0 when none was chosen for it.
    int displayUnit(const QString& drawing) const;
    void setDisplayUnit(const QString& drawing, int unit);

    // The last page set-up for printing; A4 portrait, fitted, when none was
    // kept or what was kept is not one of the offered choices.
    CZunPrintSetup printSetup() const;
    void setPrintSetup(const CZunPrintSetup& setup);
    // The view last left on a part of a drawing (drawing's absolute path,
    // part's handle), as CZunSavedView writes it; empty when none is kept.
    QString partView(const QString& drawing, const QString& part) const;
    // An empty view forgets the part's.
    void setPartView(const QString& drawing, const QString& part, const QString& view);

    // Lines antialiased on screen (View → Smooth display); off when not set.
    bool smoothDisplay() const;
    void setSmoothDisplay(bool smooth);

    // Writes what was set to the file now.
    void sync();

private:
    std::unique_ptr<QSettings> m_store;
};
