#pragma once

// The dialog headers first: the meta-object compiler cannot read the
// standard library's concepts when zun_string.h is the first header it meets.
#include "dialogs/zun_outl_dlg.h"
#include "ui/zun_dlg_env.h"

#include <QObject>
#include <QString>

#include <functional>

class CZunHostDocument;
class CZunHostWindow;
class CZunTextBinder;
class QAction;
class QMenu;
class QWidget;

// The commands of the Part menu, as the add-on's commands run them: each
// opens a module dialog through its exported function with a record the
// host fills (the main window as hWndApplic, the host's language, the
// shipped help file and the dialog's topic) and turns what the user chose
// into one undoable step of the document. Also help (F1 in the main window
// and in every dialog a command opens) and the about box.
class CZunHostPartCommands : public QObject {
    Q_OBJECT
public:
    CZunHostPartCommands(CZunHostDocument& document, CZunHostWindow& window, CZunTextBinder& texts);
    ~CZunHostPartCommands() override;

    // The actions, in menu order; those that need a part are enabled only
    // while one is selected in the tree.
    QAction* newOutlineAction() const { return m_newOutline; }
    QAction* materialAction() const { return m_material; }
    QAction* unitsAction() const { return m_units; }
    QAction* labelAction() const { return m_label; }
    QAction* machiningAction() const { return m_machining; }
    QAction* helpAction() const { return m_help; }
    QAction* aboutAction() const { return m_about; }

    // Fills a menu with the part commands (the Part menu, the tree's
    // context menu).
    void addPartActions(QMenu* menu) const;
    // Enables the commands for what is selected now.
    void updateEnabled();

    // The commands themselves; each answers whether the drawing changed.
    bool newOutlinePart();
    bool changeMaterial();
    bool changeUnits();
    bool editLabel();
    bool editMachinings();
    // Opens the help at a topic ("outline", "material", ..., "dialogs" for
    // the start page); false with a message when there is no help to open.
    bool openHelp(const QString& topic);

    // The record a command hands to a dialog, for a help topic.
    ZUN::DlgEnv_st environment(const wchar_t* topic) const;
    // The help topic of a dialog (by its class), empty for none of ours.
    static QString helpTopicOf(const QWidget* dialog);

    // What opens the help: the help window by default; a test puts its own.
    using HelpOpener = std::function<bool(QWidget* owner, const CZunString& file, const CZunString& topic)>;
    void setHelpOpener(HelpOpener opener) { m_helpOpener = std::move(opener); }

    // The outline catalogue of the configuration, made with the default
    // outlines on first use.
    static CZunDataItem* outlineCatalogue();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* makeAction(const struct CZunHostText& text, const char* name);
    QString selectedPart() const;
    QString partLabel(const QString& handle) const;

    CZunHostDocument& m_document;
    CZunHostWindow& m_window;
    HelpOpener m_helpOpener;
    // The last choices of the outline dialog, handed in again next time.
    ZUN::outlineData m_lastOutline;

    QAction* m_newOutline = nullptr;
    QAction* m_material = nullptr;
    QAction* m_units = nullptr;
    QAction* m_label = nullptr;
    QAction* m_machining = nullptr;
    QAction* m_help = nullptr;
    QAction* m_about = nullptr;
    CZunTextBinder& m_texts;
};
