#pragma once

#include "contracts/base/zun_map.h"
#include "contracts/base/zun_string.h"
#include "ui/zun_dlg_env.h"
#include "ui/zun_dlg_ids.h"
#include "ui/zun_msg_callback.h"

#include <QDialog>
#include <QRect>

class QKeyEvent;
class QMenu;
class QShortcut;

// The base of every dialog of the module.
//
// A dialog is built from a template (ZUN::dlgTemplateBuild) when it is
// constructed, so its controls exist at once and are found by id
// (GetDlgItem, SetDlgItemText). Its window life begins with DoModal or
// Create, which run OnCreate (remembered position, language) and
// OnInitDialog (icon, dialog stack, texts, tool tips), and ends with the
// end of DoModal, DestroyWindow or the destructor, which run OnDestroy
// (position saved, dialog stack left).
//
// Texts come by message key through the module-wide message callback:
// derived dialogs fill m_langKey (and m_langDef for defaults),
// m_helpKey (help popups per control) and m_toolTipKey (tool tips per
// control) in addLangRsc, addHlpRsc and addToolTipRsc.
//
// Keyboard: Enter in an edit field moves to the next edit field (wrapping;
// with no other field the field is made to validate itself and keeps the
// focus), Page Up jumps to the first one, F1 shows the help popup of the
// focused control. Button clicks arrive in OnCommand with the button's id.
class CZunDlg : public QDialog {
    Q_OBJECT

public:
    CZunDlg(int idTemplate, QWidget* parent = nullptr);
    ~CZunDlg() override;

    // ---- message texts ----------------------------------------------------
    // Replaces the module-wide callback and returns the previous one.
    static ZunMsgCallBack SetMsgCallBack(ZunMsgCallBack callBack);
    static ZunMsgCallBack msgCallBack() { return m_pMsgFcn; }
    // The text of key: def without a callback; a null country is this
    // dialog's language.
    virtual const wchar_t* GetMsg(const wchar_t* key, const wchar_t* def = nullptr, const wchar_t* country = nullptr);
    // Sets the texts of every control in m_langKey; false without a window
    // or a callback. With the environment variable ZUN_DLG_DIAG set (not
    // "0"), texts that fall back to their default show in brackets and a
    // key whose control is missing is reported in a message box.
    virtual bool updLang();
    // Changes the language; a live dialog is texted again, unless the
    // language is the one it has.
    void SetCountry(const wchar_t* country);
    const wchar_t* country() const { return m_country; }

    // ---- template and window ----------------------------------------------
    int templateId() const { return m_idTemplate; }
    // False when the template id names no template; then the dialog has no
    // controls, DoModal returns -1 and Create false.
    bool hasTemplate() const { return m_hasTemplate; }
    // Runs the dialog modally: IDOK, IDCANCEL or what EndDialog was given;
    // -1 when it cannot run (no template, no QApplication, already open).
    virtual int DoModal();
    // Opens the dialog without blocking; DestroyWindow ends it.
    bool Create();
    bool DestroyWindow();
    // Whether the dialog's window life has begun and not yet ended.
    bool hasWindow() const { return m_hasWindow; }
    // Ends a modal run (or hides a modeless dialog) with result.
    void EndDialog(int result);
    // Exchanges values between the controls and the dialog's own members:
    // from the controls when saveAndValidate, else into them. False when a
    // value does not pass its check. The base dialog has nothing to
    // exchange.
    virtual bool UpdateData(bool saveAndValidate = true)
    {
        (void)saveAndValidate;
        return true;
    }
    // Qt's accept and reject (default button, Escape, close box) go
    // through OnOK and OnCancel, as the buttons with ids 1 and 2 do.
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

    // ---- controls by id ---------------------------------------------------
    // The control with that id: the first in creation order, not looking
    // into dialogs nested in this one (tab pages). Null when none.
    QWidget* GetDlgItem(int id) const;
    bool SetDlgItemText(int id, const wchar_t* text);
    CZunString GetDlgItemText(int id) const;

    // ---- stack, position, help --------------------------------------------
    bool isSubDlg() const { return m_subDlg; }
    void SavePosition(bool save) { m_savePos = save; }
    // The remembered window rectangle (position and client size); false
    // when positions are not kept for this dialog or none is stored.
    bool getSavedPos(QRect* rect);
    // Whether the user can resize the dialog (size grip, size restored).
    bool isResizable() const;
    // A window with a title bar: it joins the dialog stack and gets the
    // module's icon. Tab pages have none.
    bool hasCaption() const;

    // A help file path or a help web address; null hides the help button.
    void SetHelpFile(const wchar_t* path);
    void GetHelpFile(CZunString& file) const;
    CZunString GetHelpFile() const { return m_helpDir + m_helpFile; }
    void SetHelpTopic(const wchar_t* topic) { m_helpTopic = topic; }
    void GetHelpTopic(CZunString& topic) const { topic = m_helpTopic; }
    // Opens help at topic (null: the dialog's topic). A help file that
    // cannot be read is first looked for by the user; false when that is
    // cancelled or no help could be opened.
    bool Help(const wchar_t* topic = nullptr);

    // A message box titled with the application's name (messageBoxTitle);
    // type is the MB_ word, the result an ID value.
    virtual int MessageBoxW(const wchar_t* text, const wchar_t* caption = nullptr, unsigned type = MB_OK);

    // ---- the about command ------------------------------------------------
    using AboutOpener = void (*)();
    // Offers the about command (IDM_ABOUTBOX) in the dialog's context menu
    // and on Alt+F1; opener shows the about box. Null withdraws it.
    void EnableAboutCommand(AboutOpener opener);
    bool hasAboutCommand() const { return m_aboutOpener != nullptr; }
    // The context menu of the dialog (the caller owns it); empty when the
    // dialog offers nothing.
    QMenu* createSysMenu();
    // A system command; IDM_ABOUTBOX opens the about box when offered.
    virtual void OnSysCommand(unsigned id);

    // ---- replaceable services (tests, hosts) --------------------------------
    // Opens help: a web address with "<topic>" or a help file at a topic.
    using HelpOpener = bool (*)(QWidget* owner, const CZunString& location, const CZunString& topic);
    static HelpOpener SetHelpOpener(HelpOpener opener);
    // Shows a help popup text at a global point.
    using PopupShower = void (*)(const QPoint& globalPos, const QString& text, QWidget* owner);
    static PopupShower SetPopupShower(PopupShower shower);

protected:
    // The three tables are filled here by derived dialogs.
    virtual void addLangRsc() {}
    virtual void addHlpRsc() {}
    virtual void addToolTipRsc() {}

    // Window life, in this order: OnCreate, OnInitDialog, ..., OnDestroy.
    virtual bool OnCreate();
    virtual bool OnInitDialog();
    virtual void OnDestroy();

    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // A button with a control id was clicked: 1 OK, 2 Cancel, 9 help here.
    virtual void OnCommand(int id);
    // The help button; opens help at the dialog's topic.
    virtual void OnHelpButton() { Help(nullptr); }

    // The tool tip of a control: a pointer to the module-wide tool-tip
    // buffer holding the text, or null when the control has none.
    virtual const wchar_t* ToolTip(int id);
    // A help request (F1, or What's This on a control): shows the control's
    // popup text from m_helpKey at the control's centre, or at mousePos
    // when the control is missing. Always handled.
    virtual bool OnHelpInfo(int id, const QPoint& mousePos);
    // Enter and Page Up navigation before the focused control sees the key;
    // true when the key was used.
    virtual bool PreTranslateMessage(QKeyEvent* event);

    // Shows text on a label, as a clickable anchor to link when link is
    // given.
    void setLink(int id, const wchar_t* text, const wchar_t* link);
    // Enables tool tips for the controls that exist now (also done by
    // OnInitDialog when m_toolTipKey is not empty).
    void EnableToolTips();
    // Connects every button that carries an id to OnCommand; buttons made
    // after OnInitDialog are connected by calling it again.
    void connectCommands();

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // Message key of the text, help popup and tool tip per control id, and
    // the default text per control id.
    CZunMapTempl<int, CZunString> m_langKey;
    CZunMapTempl<int, CZunString> m_helpKey;
    CZunMapTempl<int, CZunString> m_langDef;
    CZunMapTempl<int, CZunString> m_toolTipKey;
    CZunString m_helpFile;   // file name with extension
    CZunString m_helpDir;    // folder, ending in '/'
    CZunString m_helpTopic;
    CZunString m_posKey;     // title at creation: where the position is kept
    CZunString m_country;
    bool m_savePos = true;
    bool m_subDlg = false;

    static inline ZunMsgCallBack m_pMsgFcn = nullptr;

private:
    friend class CZunTabPage;

    bool createWindow();
    void destroyWindow();
    void filterDescendants(QWidget* widget);
    bool ownsControl(const QWidget* widget) const;
    int controlIdAt(QWidget* widget) const;
    void updateHelpButton();
    void savePosition();
    CZunString positionKey() const;
    QWidget* nextEditField(QWidget* from) const;
    QWidget* firstEditField() const;
    QWidget* tabControlParent() const;

    int m_idTemplate = 0;
    bool m_hasTemplate = false;
    bool m_hasWindow = false;
    bool m_inModal = false;
    bool m_toolTips = false;
    AboutOpener m_aboutOpener = nullptr;
    QShortcut* m_aboutShortcut = nullptr;
};

// A dialog shown as a page of a tab control: no title bar, no place on the
// dialog stack, and help file, help topic and language taken from the
// dialog that hosts it when it starts.
class CZunTabPage : public CZunDlg {
    Q_OBJECT

public:
    CZunTabPage(int idTemplate, QWidget* parent = nullptr);

    // The hosting dialog found at start, or null.
    QWidget* parentDlg() const { return m_pParentDlg; }

protected:
    bool OnInitDialog() override;
    // Enter and Escape are the hosting dialog's: a page neither ends
    // itself nor swallows them.
    void keyPressEvent(QKeyEvent* event) override;

    QWidget* m_pParentDlg = nullptr;
};

namespace ZUN {

// The title of a module message box: the text of the configuration item
// "_APPL" when it exists, else caption; then "ORV" becomes "ORVELA" and
// "ZUN" becomes "BALDRIX" (whole titles only).
CZunString messageBoxTitle(const wchar_t* caption);

// Whether a widget counts as an edit field for Enter and Page Up: visible
// and enabled, and a line edit, a text edit, or an editable combo box.
bool isEditField(const QWidget* widget);

// The size grip's lines for a client area of w x h: grey, grey, white for
// each of three groups. For tests and the painter alike.
struct SizeGripLine {
    QPoint from;
    QPoint to;
    bool white;
};
void sizeGripLines(int w, int h, SizeGripLine (&lines)[9]);

} // namespace ZUN
