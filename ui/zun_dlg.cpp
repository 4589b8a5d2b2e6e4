#include "ui/zun_dlg.h"

#include "contracts/data/zun_config.h"
#include "contracts/data/zun_msg.h"
#include "contracts/os/zun_registry.h"
#include "render/qt/zun_qstring.h"
#include "ui/zun_dial_app.h"
#include "ui/zun_dlg_item.h"
#include "ui/zun_dlg_template.h"
#include "ui/zun_help.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolTip>
#include <QWhatsThis>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

namespace {

// The text of the last tool tip asked for; the next request overwrites it
// in place (the room kept keeps the pointer handed out valid).
std::wstring& toolTipBuffer()
{
    static std::wstring buffer = [] {
        std::wstring room;
        room.reserve(1024);
        return room;
    }();
    return buffer;
}

bool defaultHelpOpener(QWidget* owner, const CZunString& location, const CZunString& topic)
{
    return ZUN::helpOpen(owner, location, topic);
}

void defaultPopupShower(const QPoint& globalPos, const QString& text, QWidget* owner)
{
    QWhatsThis::showText(globalPos, text, owner);
}

CZunDlg::HelpOpener g_helpOpener = &defaultHelpOpener;
CZunDlg::PopupShower g_popupShower = &defaultPopupShower;

// Diagnostic mode stands in for "a debugger is attached": texts without a
// catalogue entry show in brackets, keys without a control are reported.
bool diagnosticMode()
{
    const char* value = std::getenv("ZUN_DLG_DIAG");
    return value && *value && std::string_view(value) != "0";
}

bool startsWithHttp(const CZunString& text)
{
    CZunString head = text.left(4);
    return head.makeLower() == L"http";
}

// A control that handles Enter itself (a multi-line edit), as ES_WANTRETURN
// says: the dynamic property "dlgWantReturn" decides when set.
bool wantsReturn(const QWidget* widget)
{
    const QVariant flag = widget->property("dlgWantReturn");
    if (flag.isValid())
        return flag.toBool();
    return qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QTextEdit*>(widget);
}

// The widget that counts as the field for focus in widget: the combo box
// that owns a focused line edit, else the widget itself.
QWidget* fieldOf(QWidget* widget)
{
    if (!widget)
        return nullptr;
    if (auto* combo = qobject_cast<QComboBox*>(widget->parentWidget()); combo && combo->lineEdit() == widget)
        return combo;
    return widget;
}

CZunDlg* dialogAbove(const QWidget* widget)
{
    for (QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* dlg = qobject_cast<CZunDlg*>(w))
            return dlg;
    }
    return nullptr;
}

} // namespace

// ---- construction ---------------------------------------------------------

CZunDlg::CZunDlg(int idTemplate, QWidget* parent) : QDialog(parent), m_idTemplate(idTemplate)
{
    // Another module dialog open: this one is a sub-dialog. Peek by popping
    // and pushing the same handle back.
    if (ZUN::HWND top = ZUN::dlgStackPop()) {
        ZUN::dlgStackPush(top);
        m_subDlg = true;
    }
    m_hasTemplate = ZUN::dlgTemplateBuild(idTemplate, this);
    // The grip is drawn by paintEvent; Qt's own would cover it.
    setSizeGripEnabled(false);
}

CZunDlg::~CZunDlg()
{
    // The window life must end (position, stack) even when nobody closed it.
    if (m_hasWindow)
        destroyWindow();
}

ZunMsgCallBack CZunDlg::SetMsgCallBack(ZunMsgCallBack callBack)
{
    const ZunMsgCallBack previous = m_pMsgFcn;
    m_pMsgFcn = callBack;
    return previous;
}

CZunDlg::HelpOpener CZunDlg::SetHelpOpener(HelpOpener opener)
{
    const HelpOpener previous = g_helpOpener;
    g_helpOpener = opener ? opener : &defaultHelpOpener;
    return previous;
}

CZunDlg::PopupShower CZunDlg::SetPopupShower(PopupShower shower)
{
    const PopupShower previous = g_popupShower;
    g_popupShower = shower ? shower : &defaultPopupShower;
    return previous;
}

// ---- texts ------------------------------------------------------------------

const wchar_t* CZunDlg::GetMsg(const wchar_t* key, const wchar_t* def, const wchar_t* country)
{
    if (!m_pMsgFcn)
        return def;
    return m_pMsgFcn(key, def, country ? country : m_country.c_str());
}

bool CZunDlg::updLang()
{
    if (!m_hasWindow || !m_pMsgFcn)
        return false;
    const bool diagnose = diagnosticMode();
    for (int i = 0; i < m_langKey.len(); ++i) {
        const int id = m_langKey.keyAt(i);
        const CZunString key = m_langKey.valueAt(i);
        QWidget* control = GetDlgItem(id);
        if (!control) {
            if (diagnose)
                MessageBoxW(CZunString::formatted(L"\nSetDlgItemText failed:\nDlgID = %d\nKEY = '%s'", id, key.c_str()),
                            nullptr, MB_ICONEXCLAMATION);
            continue;
        }
        CZunString def;
        if (const CZunString* given = m_langDef.find(id))
            def = *given;
        else
            def = GetMsg(key, nullptr, nullptr);
        if (diagnose)
            def = L"[" + def + L"]";
        if (const wchar_t* text = GetMsg(key, def, nullptr))
            ZUN::widgetTextSet(control, fromZun(text));
    }
    return true;
}

void CZunDlg::SetCountry(const wchar_t* country)
{
    const CZunString wanted(country);
    if (wanted == m_country)
        return;
    m_country = wanted;
    if (m_hasWindow)
        updLang();
}

// ---- window life --------------------------------------------------------------

int CZunDlg::DoModal()
{
    if (m_inModal || isVisible() || !createWindow())
        return -1;
    m_inModal = true;
    const int result = exec();
    m_inModal = false;
    if (m_hasWindow)
        destroyWindow();
    return result;
}

bool CZunDlg::Create()
{
    if (m_hasWindow)
        return false;
    if (!createWindow())
        return false;
    show();
    return true;
}

bool CZunDlg::DestroyWindow()
{
    if (!m_hasWindow)
        return false;
    destroyWindow();
    hide();
    return true;
}

void CZunDlg::EndDialog(int result)
{
    QDialog::done(result);
}

bool CZunDlg::createWindow()
{
    if (m_hasWindow || !m_hasTemplate || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    m_hasWindow = true;
    if (!OnCreate()) {
        m_hasWindow = false;
        return false;
    }
    OnInitDialog();
    return true;
}

void CZunDlg::destroyWindow()
{
    OnDestroy();
    m_hasWindow = false;
}

bool CZunDlg::OnCreate()
{
    m_posKey = toZun(windowTitle());
    // A page inside another window has no screen position of its own.
    if (m_posKey.isEmpty() || !hasCaption())
        m_savePos = false;
    QRect saved;
    if (m_savePos && getSavedPos(&saved)) {
        move(saved.topLeft());
        if (isResizable())
            resize(saved.size());
    }
    if (m_country.isEmpty()) {
        m_country = ZUN::msgLangSet(nullptr);
        // A dialog of the same kind further up passes its language on.
        for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
            if (w->metaObject()->inherits(metaObject())) {
                m_country = static_cast<CZunDlg*>(w)->m_country;
                break;
            }
        }
    }
    return true;
}

bool CZunDlg::OnInitDialog()
{
    if (hasCaption()) {
        setWindowIcon(ZUN::moduleIcon(ZUN::IDI_ZUN_MODULE));
        ZUN::dlgStackPush(this);
    }
    addLangRsc();
    addHlpRsc();
    addToolTipRsc();
    // The help button speaks the dialog's language in every dialog, unless
    // the dialog texts it itself.
    if (!m_langKey.contains(IDHELP) && GetDlgItem(IDHELP)) {
        m_langKey[IDHELP] = L"ZUN_MFC_0106";
        m_langDef[IDHELP] = L"Hilfe";
    }
    if (!m_toolTipKey.isEmpty())
        EnableToolTips();
    filterDescendants(this);
    connectCommands();
    updLang();
    // Offer What's This from the title bar where the window system has it.
    if (hasCaption() && !m_helpKey.isEmpty())
        setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    updateHelpButton();
    return true;
}

void CZunDlg::OnDestroy()
{
    if (m_savePos)
        savePosition();
    if (hasCaption())
        ZUN::dlgStackPop();
}

// ---- controls ---------------------------------------------------------------------

QWidget* CZunDlg::GetDlgItem(int id) const
{
    // Breadth first over the children in creation order, not entering
    // dialogs nested in this one: their controls are theirs.
    QList<QWidget*> level = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    while (!level.isEmpty()) {
        QList<QWidget*> next;
        for (QWidget* w : level) {
            if (ZUN::dlgIdOf(w) == id && w->property(ZUN::kDlgIdProperty).isValid())
                return w;
            if (!qobject_cast<CZunDlg*>(w))
                next += w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        }
        level = std::move(next);
    }
    return nullptr;
}

bool CZunDlg::SetDlgItemText(int id, const wchar_t* text)
{
    return ZUN::widgetTextSet(GetDlgItem(id), fromZun(CZunString(text)));
}

CZunString CZunDlg::GetDlgItemText(int id) const
{
    return toZun(ZUN::widgetText(GetDlgItem(id)));
}

void CZunDlg::setLink(int id, const wchar_t* text, const wchar_t* link)
{
    QWidget* control = GetDlgItem(id);
    const QString shown = fromZun(CZunString(text));
    auto* label = qobject_cast<QLabel*>(control);
    if (!label) {
        ZUN::widgetTextSet(control, shown);
        return;
    }
    if (!link) {
        label->setTextFormat(Qt::PlainText);
        label->setText(shown);
        return;
    }
    QString target = fromZun(CZunString(link));
    target.replace(QLatin1Char('"'), QLatin1String("%22"));
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(target, shown.toHtmlEscaped()));
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    label->setOpenExternalLinks(true);
}

void CZunDlg::connectCommands()
{
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        const int id = ZUN::dlgIdOf(button);
        if (id == 0 || !ownsControl(button) || button->property("zunCommandLinked").toBool())
            continue;
        button->setProperty("zunCommandLinked", true);
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    }
}

void CZunDlg::OnCommand(int id)
{
    switch (id) {
    case IDOK:
        OnOK();
        break;
    case IDCANCEL:
        OnCancel();
        break;
    case IDHELP:
        OnHelpButton();
        break;
    default:
        break;
    }
}

// ---- position ------------------------------------------------------------------------

bool CZunDlg::isResizable() const
{
    if (!isWindow())
        return false;
    if (const QLayout* l = layout(); l && l->sizeConstraint() == QLayout::SetFixedSize)
        return false;
    return minimumSize() != maximumSize();
}

bool CZunDlg::hasCaption() const
{
    return isWindow() && !(windowFlags() & Qt::FramelessWindowHint);
}

CZunString CZunDlg::positionKey() const
{
    return ZUN::regAppKey(L"ZUN") + L"\\Dialogs\\" + m_posKey;
}

bool CZunDlg::getSavedPos(QRect* rect)
{
    if (!m_savePos || !rect)
        return false;
    ZUN::CZunRegKey key;
    if (!key.open(positionKey()))
        return false;
    std::uint32_t pos = 0;
    std::uint32_t size = 0;
    if (!key.read(L"Pos", pos) || !key.read(L"Size", size))
        return false;
    *rect = QRect(static_cast<int>(pos & 0xFFFFu), static_cast<int>(pos >> 16), static_cast<int>(size & 0xFFFFu),
                  static_cast<int>(size >> 16));
    return true;
}

void CZunDlg::savePosition()
{
    QScreen* desktop = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!desktop)
        return;
    // The normal (not maximised) rectangle, with the frame around it: the
    // position is the frame's corner, as move() takes it back. The size is
    // the client size, as resize() takes it back.
    const QRect client = isMaximized() || isMinimized() || isFullScreen() ? normalGeometry() : geometry();
    const QRect frameNow = frameGeometry();
    const QRect clientNow = geometry();
    const QMargins frameWidths(clientNow.left() - frameNow.left(), clientNow.top() - frameNow.top(),
                               frameNow.right() - clientNow.right(), frameNow.bottom() - clientNow.bottom());
    const QRect frame = client.marginsAdded(frameWidths);
    const QRect desk = desktop->geometry();
    // Pulled back onto the desktop: left and top not before its start, the
    // right and bottom edges not beyond its end. A dialog larger than the
    // desktop keeps its left or top edge on it rather than going negative,
    // which the 16-bit halves could not hold.
    int x = std::max(frame.left(), desk.left());
    x = std::min(x, x + (desk.x() + desk.width()) - (frame.x() + frame.width()));
    x = std::max(x, desk.left());
    int y = std::max(frame.top(), desk.top());
    y = std::min(y, y + (desk.y() + desk.height()) - (frame.y() + frame.height()));
    y = std::max(y, desk.top());

    ZUN::CZunRegKey key;
    if (!key.create(positionKey(), true))
        return;  // not remembering a position is no reason to bother the user
    const auto pack = [](int low, int high) {
        return (static_cast<std::uint32_t>(low) & 0xFFFFu) | ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16);
    };
    key.write(L"Pos", pack(x, y));
    key.write(L"Size", pack(client.width(), client.height()));
}

// ---- help -----------------------------------------------------------------------------

void CZunDlg::SetHelpFile(const wchar_t* path)
{
    if (!path) {
        m_helpFile.empty();
        m_helpDir.empty();
    } else {
        const CZunString whole(path);
        // A web address stays whole: one ending in '/' has no file name.
        const int slash = startsWithHttp(whole) ? -1 : whole.reverseFind(L'/');
        m_helpDir = whole.left(slash + 1);
        m_helpFile = whole.mid(slash + 1);
    }
    updateHelpButton();
}

void CZunDlg::GetHelpFile(CZunString& file) const
{
    file = GetHelpFile();
}

void CZunDlg::updateHelpButton()
{
    if (QWidget* button = GetDlgItem(IDHELP)) {
        const bool offered = !m_helpFile.isEmpty();
        button->setVisible(offered);
        button->setEnabled(offered);
    }
}

bool CZunDlg::Help(const wchar_t* topic)
{
    const CZunString wanted = topic ? CZunString(topic) : m_helpTopic;
    CZunString file = GetHelpFile();
    if (!startsWithHttp(file)) {
        const QFileInfo info(fromZun(file));
        if (!info.isFile() || !info.isReadable()) {
            // Let the user find the help file that moved or was never there.
            QFileDialog locate(this);
            locate.setFileMode(QFileDialog::ExistingFile);
            locate.setAcceptMode(QFileDialog::AcceptOpen);
            locate.setDefaultSuffix(QStringLiteral("qch"));
            locate.setNameFilter(QStringLiteral("(*.qch)"));
            if (!file.isEmpty()) {
                // Start in the nearest folder that still exists, with the
                // file's name ready to be found again.
                QString folder = QFileInfo(fromZun(file)).absolutePath();
                while (!QFileInfo(folder).isDir() && folder != QFileInfo(folder).absolutePath())
                    folder = QFileInfo(folder).absolutePath();
                locate.setDirectory(folder);
                locate.selectFile(QFileInfo(fromZun(file)).fileName());
            }
            if (locate.exec() != QDialog::Accepted || locate.selectedFiles().isEmpty())
                return false;
            SetHelpFile(toZun(locate.selectedFiles().constFirst()));
            file = GetHelpFile();
        }
    }
    return g_helpOpener(this, file, wanted);
}

bool CZunDlg::OnHelpInfo(int id, const QPoint& mousePos)
{
    QWidget* control = id ? GetDlgItem(id) : nullptr;
    const QPoint where = control ? control->mapToGlobal(control->rect().center()) : mousePos;
    if (!m_pMsgFcn || m_helpKey.isEmpty())
        return true;
    const CZunString* key = m_helpKey.find(id);
    if (!key)
        return true;
    const wchar_t* text = GetMsg(*key, nullptr, nullptr);
    if (text && *text)
        g_popupShower(where, fromZun(CZunString(text)), this);
    return true;
}

const wchar_t* CZunDlg::ToolTip(int id)
{
    if (!m_pMsgFcn)
        return nullptr;
    const CZunString* key = m_toolTipKey.find(id);
    if (!key)
        return nullptr;
    const wchar_t* text = GetMsg(*key, nullptr, nullptr);
    if (!text || !*text)
        return nullptr;
    std::wstring& buffer = toolTipBuffer();
    buffer.assign(text);
    return buffer.c_str();
}

void CZunDlg::EnableToolTips()
{
    m_toolTips = true;
    filterDescendants(this);
}

// ---- message box --------------------------------------------------------------------------

int CZunDlg::MessageBoxW(const wchar_t* text, const wchar_t* caption, unsigned type)
{
    QMessageBox box(this);
    box.setWindowTitle(fromZun(ZUN::messageBoxTitle(caption)));
    box.setText(fromZun(CZunString(text)));
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        int id;
    };
    static const Choice kOk[] = {{QMessageBox::Ok, IDOK}};
    static const Choice kOkCancel[] = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    static const Choice kAbortRetryIgnore[] = {
        {QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    static const Choice kYesNoCancel[] = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    static const Choice kYesNo[] = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    static const Choice kRetryCancel[] = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    std::span<const Choice> choices = kOk;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        choices = kOkCancel;
        break;
    case MB_ABORTRETRYIGNORE:
        choices = kAbortRetryIgnore;
        break;
    case MB_YESNOCANCEL:
        choices = kYesNoCancel;
        break;
    case MB_YESNO:
        choices = kYesNo;
        break;
    case MB_RETRYCANCEL:
        choices = kRetryCancel;
        break;
    default:
        break;
    }
    for (const Choice& choice : choices)
        box.addButton(choice.button);
    const std::size_t defaultIndex = (type & MB_DEFMASK) >> 8;
    box.setDefaultButton(choices[std::min(defaultIndex, choices.size() - 1)].button);
    box.exec();
    const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
    for (const Choice& choice : choices) {
        if (choice.button == clicked)
            return choice.id;
    }
    // Closed without a button: what Escape means for these buttons.
    return choices.size() == 1 ? IDOK : IDCANCEL;
}

// ---- about command ---------------------------------------------------------------------------

void CZunDlg::EnableAboutCommand(AboutOpener opener)
{
    m_aboutOpener = opener;
    delete m_aboutShortcut;
    m_aboutShortcut = nullptr;
    if (!opener)
        return;
    m_aboutShortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F1), this);
    connect(m_aboutShortcut, &QShortcut::activated, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
}

QMenu* CZunDlg::createSysMenu()
{
    auto* menu = new QMenu(this);
    if (m_aboutOpener) {
        const CZunString text = ZUN::moduleString(ZUN::IDS_ABOUTBOX);
        QAction* about = menu->addAction(fromZun(CZunString(GetMsg(L"ZUN_MFC_0105", text))));
        about->setData(IDM_ABOUTBOX);
        about->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F1));
        connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    }
    return menu;
}

void CZunDlg::OnSysCommand(unsigned id)
{
    if ((id & 0xFFF0u) == IDM_ABOUTBOX && m_aboutOpener)
        m_aboutOpener();
}

void CZunDlg::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(createSysMenu());
    if (menu->isEmpty()) {
        event->ignore();
        return;
    }
    menu->exec(event->globalPos());
}

// ---- events ----------------------------------------------------------------------------------

void CZunDlg::filterDescendants(QWidget* widget)
{
    if (widget != this)
        widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        filterDescendants(child);
}

bool CZunDlg::ownsControl(const QWidget* widget) const
{
    return widget && widget != this && dialogAbove(widget) == this;
}

int CZunDlg::controlIdAt(QWidget* widget) const
{
    for (QWidget* w = widget; w && w != this; w = w->parentWidget()) {
        if (const int id = ZUN::dlgIdOf(w))
            return id;
    }
    return 0;
}

bool CZunDlg::event(QEvent* event)
{
    if (event->type() == QEvent::ChildAdded) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType())
            filterDescendants(static_cast<QWidget*>(child));
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
               static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        return OnHelpInfo(0, QCursor::pos());
    }
    return QDialog::event(event);
}

bool CZunDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (!watched->isWidgetType())
        return QDialog::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::ChildAdded: {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType())
            filterDescendants(static_cast<QWidget*>(child));
        break;
    }
    case QEvent::KeyPress: {
        // The focused control's key, before the control sees it; the same
        // key arriving again at its parents is not ours any more.
        if (widget != QApplication::focusWidget() || !ownsControl(widget))
            break;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier)
            return OnHelpInfo(controlIdAt(widget), QCursor::pos());
        if (PreTranslateMessage(key))
            return true;
        break;
    }
    case QEvent::ToolTip:
        if (m_toolTips && ownsControl(widget)) {
            if (const wchar_t* text = ToolTip(controlIdAt(widget))) {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), fromZun(CZunString(text)), widget);
                return true;
            }
        }
        break;
    case QEvent::QueryWhatsThis:
        if (ownsControl(widget) && m_helpKey.contains(controlIdAt(widget))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::WhatsThis:
        if (ownsControl(widget))
            return OnHelpInfo(controlIdAt(widget), static_cast<QHelpEvent*>(event)->globalPos());
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

QWidget* CZunDlg::tabControlParent() const
{
    QWidget* parent = parentWidget();
    // A QTabWidget keeps its pages on a stacked widget of its own.
    if (qobject_cast<QStackedWidget*>(parent) && qobject_cast<QTabWidget*>(parent->parentWidget()))
        parent = parent->parentWidget();
    if (!parent)
        return nullptr;
    if (qobject_cast<QTabWidget*>(parent) || qobject_cast<QTabBar*>(parent) ||
        parent->metaObject()->indexOfMethod("PreTranslateMessage(QKeyEvent*)") >= 0)
        return parent;
    return nullptr;
}

// A tab control of ours answers through an invokable
// PreTranslateMessage(QKeyEvent*); a plain one handles nothing here and the
// key goes on as usual.
static bool forwardToTabControl(QWidget* tab, QKeyEvent* event)
{
    bool handled = false;
    if (tab->metaObject()->indexOfMethod("PreTranslateMessage(QKeyEvent*)") >= 0)
        QMetaObject::invokeMethod(tab, "PreTranslateMessage", Qt::DirectConnection, Q_RETURN_ARG(bool, handled),
                                  Q_ARG(QKeyEvent*, event));
    return handled;
}

bool CZunDlg::PreTranslateMessage(QKeyEvent* event)
{
    const int key = event->key();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    QWidget* tab = tabControlParent();
    if (ctrl && (key == Qt::Key_Tab || key == Qt::Key_Backtab) && tab)
        return forwardToTabControl(tab, event);

    QWidget* focus = QApplication::focusWidget();
    if (!focus || wantsReturn(focus))
        return false;
    QWidget* field = fieldOf(focus);

    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (tab)
            return forwardToTabControl(tab, event);
        if (!ZUN::isEditField(field))
            return false;
        if (QWidget* next = nextEditField(field)) {
            next->setFocus(Qt::TabFocusReason);
        } else {
            // No other field: leaving and coming back makes the field check
            // its value (focus-out validation) and keeps the user in it.
            setFocus(Qt::OtherFocusReason);
            field->setFocus(Qt::OtherFocusReason);
        }
        return true;
    }
    if (key == Qt::Key_PageUp && ZUN::isEditField(field)) {
        if (QWidget* first = firstEditField())
            first->setFocus(Qt::BacktabFocusReason);
        return true;
    }
    return false;
}

QWidget* CZunDlg::nextEditField(QWidget* from) const
{
    // The focus chain is the tab order and runs round the whole window.
    const int guard = static_cast<int>(findChildren<QWidget*>().size()) + 2;
    QWidget* w = from->nextInFocusChain();
    for (int i = 0; w && w != from && i < guard; ++i, w = w->nextInFocusChain()) {
        QWidget* field = fieldOf(w);
        if (field != from && ownsControl(field) && ZUN::isEditField(field))
            return field;
    }
    return nullptr;
}

QWidget* CZunDlg::firstEditField() const
{
    const int guard = static_cast<int>(findChildren<QWidget*>().size()) + 2;
    QWidget* w = nextInFocusChain();
    for (int i = 0; w && w != this && i < guard; ++i, w = w->nextInFocusChain()) {
        QWidget* field = fieldOf(w);
        if (ownsControl(field) && ZUN::isEditField(field))
            return field;
    }
    return nullptr;
}

// ---- painting -------------------------------------------------------------------------------

void CZunDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (!isResizable())
        return;
    ZUN::SizeGripLine lines[9];
    ZUN::sizeGripLines(width(), height(), lines);
    QPainter painter(this);
    for (const ZUN::SizeGripLine& line : lines) {
        painter.setPen(QPen(line.white ? QColor(255, 255, 255) : QColor(128, 128, 128), 1));
        painter.drawLine(line.from, line.to);
    }
}

void CZunDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The grip sits in the corner that moved: draw it all again.
    update();
}

void CZunDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    updateHelpButton();
}

// ---- tab page -------------------------------------------------------------------------------

CZunTabPage::CZunTabPage(int idTemplate, QWidget* parent) : CZunDlg(idTemplate, parent)
{
    // A page is a child widget, never a window of its own.
    setWindowFlags(Qt::Widget);
}

bool CZunTabPage::OnInitDialog()
{
    QWidget* host = parentWidget();
    if (QWidget* tab = tabControlParent())
        host = tab->parentWidget();
    // Layouts put the tab control into frames and group boxes of the
    // dialog: the nearest dialog above is the one that hosts the page.
    while (host && !qobject_cast<CZunDlg*>(host))
        host = host->parentWidget();
    m_pParentDlg = host;
    if (auto* dlg = qobject_cast<CZunDlg*>(host)) {
        SetHelpFile(dlg->GetHelpFile());
        SetHelpTopic(dlg->m_helpTopic);
        SetCountry(dlg->country());
    }
    CZunDlg::OnInitDialog();
    // The page does not ask for the default focus.
    return false;
}

void CZunTabPage::keyPressEvent(QKeyEvent* event)
{
    QWidget::keyPressEvent(event);
}

// ---- helpers ------------------------------------------------------------------------------------

namespace ZUN {

CZunString messageBoxTitle(const wchar_t* caption)
{
    CZunString title(caption);
    if (const CZunDataItem* appl = cfg_get(L"_APPL")) {
        CZunString text;
        if (appl->get(text))
            title = text;
    }
    if (title == L"ORV")
        return L"ORVELA";
    if (title == L"ZUN")
        return L"BALDRIX";
    return title;
}

bool isEditField(const QWidget* widget)
{
    if (!widget || !widget->isVisible() || !widget->isEnabled())
        return false;
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
        qobject_cast<const QTextEdit*>(widget))
        return true;
    const auto* combo = qobject_cast<const QComboBox*>(widget);
    return combo && combo->isEditable();
}

void sizeGripLines(int w, int h, SizeGripLine (&lines)[9])
{
    int a = 3;
    for (int group = 0; group < 3; ++group, a += 4) {
        lines[group * 3 + 0] = {QPoint(w - a, h), QPoint(w, h - a), false};
        lines[group * 3 + 1] = {QPoint(w - a - 1, h), QPoint(w, h - a - 1), false};
        lines[group * 3 + 2] = {QPoint(w - a - 2, h), QPoint(w, h - a - 2), true};
    }
}

} // namespace ZUN
