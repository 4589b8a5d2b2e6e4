#pragma once

// The module's help window: a small browser over one process-wide Qt Help
// engine. Private to the help service and its tests.

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

class QAction;
class QHelpEngineCore;
class QLabel;
class QToolBar;

namespace ZUN {

// Shows pages of registered help files ("qthelp://<namespace>/<folder>/
// <page>"), their style sheets and pictures straight from the engine; web
// links go to the desktop's browser.
class CZunHelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    CZunHelpBrowser(QHelpEngineCore* engine, QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    void followLink(const QUrl& link);

    QHelpEngineCore* m_engine;
};

class CZunHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CZunHelpWindow(QHelpEngineCore* engine, QWidget* parent = nullptr);

    // Shows the start page of the help file registered under nameSpace, then
    // the page of keyword when the file has one. False when the file has no
    // page at all. A keyword without a page keeps the start page and says so
    // in the window's status line.
    bool showHelp(const QString& nameSpace, const QString& keyword);

    // The page shown now and its title.
    QUrl currentUrl() const { return m_browser->source(); }
    QString currentTitle() const { return m_browser->documentTitle(); }
    // The status line (empty unless a keyword had no page).
    QString statusText() const;

    // Makes the window usable while a modal dialog runs: Qt blocks every
    // window but the modal one and its own windows, so the help window
    // becomes a window of that dialog until the dialog is hidden, and then
    // stands alone again (it stays open). A null dialog changes nothing.
    void attachTo(QWidget* modal);
    // Places the window beside owner (null: centred on the screen) the first
    // time it is shown; later it stays where the user put it.
    void placeNear(QWidget* owner);

    CZunHelpBrowser* browser() const { return m_browser; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void retranslate();
    void updateTitle();
    QUrl startPage(const QString& nameSpace) const;
    QUrl keywordPage(const QString& nameSpace, const QString& keyword) const;

    QHelpEngineCore* m_engine;
    CZunHelpBrowser* m_browser;
    QToolBar* m_toolBar;
    QAction* m_back;
    QAction* m_forward;
    QAction* m_home;
    QLabel* m_status;
    QUrl m_homeUrl;
    QPointer<QWidget> m_modal;
    bool m_placed = false;
};

} // namespace ZUN
