#include "ui/zun_help_window_p.h"

#include "contracts/data/zun_msg.h"
#include "render/qt/zun_qstring.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QGuiApplication>
#include <QHelpEngineCore>
#include <QHelpLink>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace ZUN {

namespace {

const QString kHelpScheme = QStringLiteral("qthelp");

QString helpText(const wchar_t* key, const wchar_t* germanDefault)
{
    return fromZun(zun_msg_get(L"ZUN_", key, germanDefault, CZunString()));
}

// A page the help file does not have: said in the browser itself, so that a
// broken link in a page leaves the reader with an explanation.
QString missingPage(const QUrl& url)
{
    const QString text = helpText(L"ZUN_HELP_0006", L"Seite nicht gefunden: %1").arg(url.toString().toHtmlEscaped());
    return QStringLiteral("<html><body><p>%1</p></body></html>").arg(text);
}

} // namespace

// ---- CZunHelpBrowser --------------------------------------------------------

CZunHelpBrowser::CZunHelpBrowser(QHelpEngineCore* engine, QWidget* parent)
    : QTextBrowser(parent), m_engine(engine)
{
    // QTextBrowser would open every absolute link, our own "qthelp:" pages
    // included, outside; we decide per link instead.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &CZunHelpBrowser::followLink);
}

QVariant CZunHelpBrowser::loadResource(int type, const QUrl& name)
{
    // The document hands over names already resolved against the page
    // being loaded; source() is still the previous page then.
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (url.scheme() != kHelpScheme)
        return QTextBrowser::loadResource(type, name);
    const QByteArray data = m_engine->fileData(url);
    if (type == QTextDocument::HtmlResource) {
        if (data.isEmpty())
            return missingPage(url);
        // Our pages are UTF-8; handing over text spares the browser a guess.
        return QString::fromUtf8(data);
    }
    return data;
}

void CZunHelpBrowser::followLink(const QUrl& link)
{
    const QUrl url = source().resolved(link);
    if (url.scheme() == kHelpScheme)
        setSource(url);
    else
        QDesktopServices::openUrl(url);
}

// ---- CZunHelpWindow ---------------------------------------------------------

CZunHelpWindow::CZunHelpWindow(QHelpEngineCore* engine, QWidget* parent)
    : QWidget(parent, Qt::Window), m_engine(engine)
{
    setObjectName(QStringLiteral("ZunHelpWindow"));
    m_toolBar = new QToolBar(this);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_back = m_toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QString());
    m_forward = m_toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QString());
    m_home = m_toolBar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QString());
    m_back->setShortcut(QKeySequence::Back);
    m_forward->setShortcut(QKeySequence::Forward);
    m_home->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    m_browser = new CZunHelpBrowser(engine, this);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setContentsMargins(6, 2, 6, 4);
    m_status->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_browser, 1);
    layout->addWidget(m_status);

    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_home, &QAction::triggered, this, [this] {
        if (m_homeUrl.isValid())
            m_browser->setSource(m_homeUrl);
    });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        m_status->clear();
        m_status->hide();
        updateTitle();
    });

    // Without a window manager there is no title bar to close the window
    // with, and the window is often opened from the keyboard (F1): Esc,
    // Ctrl+W and the platform's Close keys close it.
    QList<QKeySequence> closeKeys{QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)};
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Close))
        if (!closeKeys.contains(key))
            closeKeys.append(key);
    auto* closeAction = new QAction(this);
    closeAction->setObjectName(QStringLiteral("close"));
    closeAction->setShortcuts(closeKeys);
    closeAction->setShortcutContext(Qt::WindowShortcut);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    addAction(closeAction);

    resize(760, 560);
    retranslate();
}

void CZunHelpWindow::retranslate()
{
    m_back->setText(helpText(L"ZUN_HELP_0002", L"Zurück"));
    m_forward->setText(helpText(L"ZUN_HELP_0003", L"Vor"));
    m_home->setText(helpText(L"ZUN_HELP_0004", L"Inhalt"));
    updateTitle();
}

void CZunHelpWindow::updateTitle()
{
    const QString help = helpText(L"ZUN_HELP_0001", L"Hilfe");
    const QString page = m_browser->documentTitle();
    setWindowTitle(page.isEmpty() ? help : page + QStringLiteral(" – ") + help);
}

QString CZunHelpWindow::statusText() const
{
    return m_status->text();
}

QUrl CZunHelpWindow::startPage(const QString& nameSpace) const
{
    // The start page is the file's "index.html" nearest the top; a file
    // without one starts at its first page.
    const QList<QUrl> pages = m_engine->files(nameSpace, QString(), QStringLiteral("html"));
    QUrl best;
    for (const QUrl& page : pages) {
        if (!page.path().endsWith(QStringLiteral("/index.html")))
            continue;
        if (!best.isValid() || page.path().count(QLatin1Char('/')) < best.path().count(QLatin1Char('/')))
            best = page;
    }
    if (!best.isValid() && !pages.isEmpty())
        best = pages.first();
    return best;
}

QUrl CZunHelpWindow::keywordPage(const QString& nameSpace, const QString& keyword) const
{
    if (keyword.isEmpty())
        return {};
    // Keywords are written in lower case in our files; callers' topics may
    // not be. Other registered files may have the same keyword: only the
    // file asked for counts.
    for (const QString& word : {keyword, keyword.toLower()}) {
        for (const QList<QHelpLink>& links : {m_engine->documentsForKeyword(word), m_engine->documentsForIdentifier(word)}) {
            for (const QHelpLink& link : links)
                if (link.url.host() == nameSpace)
                    return link.url;
        }
    }
    return {};
}

bool CZunHelpWindow::showHelp(const QString& nameSpace, const QString& keyword)
{
    retranslate();
    m_homeUrl = startPage(nameSpace);
    if (!m_homeUrl.isValid())
        return false;
    // The start page first, so that Back leads from the topic to it.
    if (m_browser->source() != m_homeUrl)
        m_browser->setSource(m_homeUrl);
    const QUrl page = keywordPage(nameSpace, keyword);
    if (page.isValid()) {
        if (m_browser->source() != page)
            m_browser->setSource(page);
    } else if (!keyword.isEmpty()) {
        m_status->setText(helpText(L"ZUN_HELP_0005", L"Kein Hilfethema zu „%1“.").arg(keyword));
        m_status->show();
    }
    updateTitle();
    return true;
}

void CZunHelpWindow::placeNear(QWidget* owner)
{
    if (m_placed)
        return;
    m_placed = true;
    const QWidget* top = owner ? owner->window() : nullptr;
    QScreen* screen = top ? top->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // move() places the frame; the frame is what must fit and not cover.
    const QRect area = screen->availableGeometry();
    const QSize frameExtra = frameGeometry().size() - size();
    QRect wanted(QPoint(), (size() + frameExtra).boundedTo(area.size()));
    if (!top) {
        wanted.moveCenter(area.center());
    } else {
        // Beside the dialog, so that both can be read; on the other side
        // when there is no room, over it as the last resort.
        const QRect frame = top->frameGeometry();
        wanted.moveTopLeft(QPoint(frame.right() + 8, frame.top()));
        if (wanted.right() > area.right())
            wanted.moveRight(frame.left() - 8);
        if (wanted.left() < area.left())
            wanted.moveRight(area.right());
        wanted.moveTop(std::clamp(wanted.top(), area.top(), std::max(area.top(), area.bottom() - wanted.height())));
    }
    resize(wanted.size() - frameExtra);
    move(wanted.topLeft());
}

void CZunHelpWindow::attachTo(QWidget* modal)
{
    if (!modal || modal == this || parentWidget() == modal)
        return;
    if (m_modal)
        m_modal->removeEventFilter(this);
    m_modal = modal;
    const QPoint where = pos();
    setParent(modal, Qt::Window);
    move(where);
    modal->installEventFilter(this);
}

bool CZunHelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_modal && event->type() == QEvent::Hide) {
        // The dialog is done; the reader may not be.
        m_modal->removeEventFilter(this);
        m_modal = nullptr;
        const bool wasOpen = !isHidden();
        const QPoint where = pos();
        setParent(nullptr, Qt::Window);
        move(where);
        if (wasOpen)
            show();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace ZUN
