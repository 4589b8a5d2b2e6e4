#pragma once

#include "contracts/data/zun_part_keys.h"
#include "contracts/data/zun_resbuf.h"
#include "host/desktop/zun_host_document.h"
#include "host/desktop/zun_host_language.h"
#include "host/desktop/zun_host_scene.h"
#include "host/desktop/zun_host_settings.h"
#include "host/desktop/zun_host_texts.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QStringList>

#include <functional>
#include <memory>

class CZunDplistImage;
class CZunDrawingOpener;
class CZunOpenProgress;
class CZunTreeFilter;
class CZunGroupCulling;
class CZunViewNavigation;
class QLineEdit;
class CZunHostApp;
class CZunHostPartCommands;
class CZunMeasureTool;
class CZunHostLegend;
class QActionGroup;
class QLabel;
class QMenu;
class QSplitter;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace ZUN {
class CPicture;
class CSlidePic;
} // namespace ZUN

// The desktop host's main window: the parts of the open drawing, opened
// slides, slide libraries and pictures in a tree on the left; on the right
// the display-list viewer, the slide view and the picture view as tabs.
// Menus open files, export and copy the picture, change view direction,
// colour modes and hatches, and switch the language of every text.
class CZunHostWindow : public QMainWindow {
    Q_OBJECT
public:
    // What a node of the tree stands for.
    enum class Node { Drawing, Part, Texts, Slides, Slide, Library, LibrarySlide, Pictures, Picture };

    // app: the host's application object, installed by the caller; its
    // entity picker is pointed at the part selected in the tree.
    explicit CZunHostWindow(CZunHostApp& app, QWidget* parent = nullptr);
    ~CZunHostWindow() override;

    // Each opens a file and shows it. On failure a message box names the
    // file and the reason, and whatever was open stays as it was.
    // A drawing whose parts take a while is drawn a slice at a time after
    // this returns, with a progress bar in the status bar that can cancel;
    // drawingOpened tells when it is open.
    bool openDrawing(const QString& path);
    // True while a drawing is being opened.
    bool isOpening() const;
    CZunDrawingOpener* opener() const { return m_opener; }
    CZunOpenProgress* openProgress() const { return m_openProgress; }
    bool openSlide(const QString& path);
    bool openLibrary(const QString& path);
    bool openPicture(const QString& path);
    // By the file's extension: .json drawing, .sld slide, .slb library,
    // anything else a picture.
    bool openFile(const QString& path);

    // Saves the open drawing to its file, or to path. False, with a message
    // naming the file and the reason, when it cannot be written; the file
    // on disk then stays as it was.
    bool saveDrawing();
    bool saveDrawingTo(const QString& path);
    CZunHostDocument& document() { return m_document; }

    // Asked before unsaved changes would be lost (closing, opening another
    // drawing): Save, Discard or Cancel. Without a hook a message box asks.
    using SaveQuestion = std::function<QMessageBox::StandardButton()>;
    void setSaveQuestion(SaveQuestion question) { m_saveQuestion = std::move(question); }

    // Writes the shown display list to a file, fitted whatever the zoom;
    // the format follows the extension (.png, .svg, .pdf, .emf). False with
    // a message box when it cannot be written.
    bool exportTo(const QString& path);
    // The same with the view as the viewer shows it (zoom and pan).
    bool exportShownTo(const QString& path);
    // The file an export dialog offers: the shown part's name (the
    // drawing's for the overview) in the folder of the last file opened.
    QString suggestedExportPath(const QString& extension) const;
    // The picture of the active tab to the clipboard; false without one.
    bool copyToClipboard();
    // The page set-up with the shown list; the set-up chosen there is kept.
    void showPrintDialog();

    // Shows the tree node (selects it).
    void showNode(QTreeWidgetItem* item);
    // The node of a part by handle, null when the open drawing has none.
    QTreeWidgetItem* partNode(const QString& handle) const;
    QTreeWidgetItem* drawingNode() const { return m_drawingNode; }
    QTreeWidgetItem* textsNode() const { return m_textsNode; }

    // A code of the list (P N S O W NO NW SO SW) or its English label (E, NE, SE).
    bool setViewDirection(const QString& code);
    bool setColorMode(ZUN::GdxColorMode mode);
    bool setHatchPattern(const QString& pattern);
    // Picks the group as a click on it would; false for a group the shown
    // list does not have.
    bool pickGroup(int group);
    // "de", "en" or "0" (message keys).
    void setLanguage(const QString& code);

    // Where this window's errors are reported: (caption, text). Without a
    // hook a message box shows them; a test gives the window it made its own.
    using MessageHook = std::function<void(const QString& caption, const QString& text)>;
    void setMessageHook(MessageHook hook) { m_messageHook = std::move(hook); }

    // When a module asks for a part of a type and the shown part is not of
    // it, the user chooses among the parts of that type (by name); the
    // chooser answers the index, or -1 for none. Without a hook a list
    // dialog asks; a test gives its own.
    using PartChooser = std::function<int(const QStringList& names)>;
    void setPartChooser(PartChooser chooser) { m_partChooser = std::move(chooser); }

    // The host's machining dialog ("orv_hole_dial" of the application
    // object): edits the drillings of the part last handed to a module by
    // the entity pick. Answers the integer 1 when the user accepted (the
    // part's data changed and its picture follows), 0 otherwise.
    int runHoleDialog(const ZUN::CZunRbList& args, ZUN::CZunRbList& result);

    // The handle of the part selected in the tree, empty when no part is.
    QString selectedPartHandle() const;
    // The Part menu's commands, help and about.
    CZunHostPartCommands* partCommands() const { return m_partCommands; }

    QTreeWidget* tree() const { return m_tree; }
    QLineEdit* searchField() const { return m_search; }
    CZunTreeFilter* treeFilter() const { return m_treeFilter; }
    const CZunGroupCulling& culling() const { return *m_culling; }
    CZunDplistImage* viewer() const { return m_viewer; }
    // Keyboard zoom and pan and the zoom window on the viewer.
    CZunViewNavigation* navigation() const { return m_navigation; }
    ZUN::CSlidePic* slideView() const { return m_slideView; }
    ZUN::CPicture* pictureView() const { return m_pictureView; }
    QTabWidget* tabs() const { return m_tabs; }
    CZunHostScene& scene() { return m_scene; }
    CZunHostSettings& settings() { return m_settings; }
    QMenu* fileMenu() const { return m_fileMenu; }
    QMenu* recentMenu() const { return m_recentMenu; }
    CZunMeasureTool* measureTool() const { return m_measure; }
    CZunHostLegend* legend() const { return m_legend; }
    // The status bar's text about the picked group and the cursor.
    QString pickText() const;
    QString cursorText() const;

signals:
    // A drawing is open and shown in the tree and the viewer.
    void drawingOpened(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Tells, without stopping the user, which keys of the open drawing's
    // parts hold values of the wrong kind.
    // The drawing's warnings; those given, when gathered already.
    void showKeyWarnings(const std::vector<ZUN::CPartKeyWarning>* gathered = nullptr);

    void buildWidgets();
    QWidget* buildTreePane();
    void buildMenus();
    void buildFileMenu();
    void buildEditMenu();
    void buildViewMenu();
    void buildLanguageMenu();
    void buildPartMenu();
    void showTreeMenu(const QPoint& at);
    void addedPart(const QString& handle);
    void removedPart(const QString& handle);
    void labelPartNode(QTreeWidgetItem* node);
    void buildToolBar();
    void restoreSettings();
    void saveSettings();

    void fillDrawingNodes();
    void labelNodes();
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, Node kind, const QString& label, const QString& data,
                             const QString& library = QString());
    // A node in no tree yet.
    static QTreeWidgetItem* makeNode(Node kind, const QString& label, const QString& data,
                                     const QString& library = QString());
    QTreeWidgetItem* rootNode(Node kind);
    void onNodeSelected();
    void showDisplayList(const CZunGDX& list, std::map<int, QString> names);
    void showPart(const QString& handle);
    // Keeps the view of the part shown (in the settings, for its drawing):
    // its direction and the part of the picture in the window; forgets it
    // when the part is shown fitted. Shows a part's kept view again.
    void rememberShownView();
    void restoreView(const QString& handle);
    void showOverview();
    void adoptOpenedDrawing();
    // Fits the overview's readable start when it is shown (see
    // zunOverviewReadableWindow); false when it is not.
    bool fitReadably();
    void markUndrawnParts(const QStringList& drawn);
    void showSlideNode(const QString& name, const QString& library);
    void showPictureNode(const QString& path);
    void onPicked(int group);
    bool pickEntity(ZUN::CAdsName& entity, const CZunString& type);
    void showEditedPart(const QString& handle);
    int chooseAmong(const QStringList& names);
    void updatePickText();
    QString groupKind(int group) const;
    void updateCursorText(const QPoint& at);
    // A length of the drawing (in its unit) as shown: in the document's
    // display unit and the application's number format, with the unit's
    // abbreviation or without; a plain number in that format; the display
    // unit's abbreviation.
    QString lengthText(double value, bool withUnit = true) const;
    QString numberText(double value) const;
    QString unitText() const;
    void updateRecentMenu();
    void rememberFile(const QString& path);
    void report(const CZunHostText& caption, const QString& file, const QString& reason);
    void askAndOpen(const CZunHostText& filter, bool (CZunHostWindow::*open)(const QString&));
    void askAndExport(const QString& extension);
    void askAndExportShown();
    bool reportExport(bool written, const QString& path, const QString& error);
    void retranslate();
    // measured: the groups' boxes are the culling's already.
    void refreshViewer(bool fit, bool measured = false);
    // True when nothing unsaved is lost by going on (saved, discarded or
    // nothing changed); false when the user cancelled or saving failed.
    bool settleUnsavedChanges();
    void updateTitle();

    CZunHostApp& m_app;
    CZunHostSettings m_settings;
    // Qt's own texts in the window's language, installed while it lives.
    CZunQtTranslations m_qtTexts;
    CZunTextBinder m_texts;
    CZunHostScene m_scene;
    CZunHostDocument m_document;
    SaveQuestion m_saveQuestion;

    QSplitter* m_splitter = nullptr;
    QTreeWidget* m_tree = nullptr;
    QLineEdit* m_search = nullptr;
    CZunTreeFilter* m_treeFilter = nullptr;
    QTabWidget* m_tabs = nullptr;
    CZunDplistImage* m_viewer = nullptr;
    CZunViewNavigation* m_navigation = nullptr;
    ZUN::CSlidePic* m_slideView = nullptr;
    ZUN::CPicture* m_pictureView = nullptr;
    QLabel* m_pickLabel = nullptr;
    QLabel* m_cursorLabel = nullptr;
    // The measure's prompt or result, beside the status bar's messages:
    // a status tip (hovering a menu) replaces a message, not this.
    QLabel* m_measureLabel = nullptr;
    CZunMeasureTool* m_measure = nullptr;
    CZunHostLegend* m_legend = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_recentMenu = nullptr;
    QMenu* m_hatchMenu = nullptr;
    QActionGroup* m_viewGroup = nullptr;
    QActionGroup* m_languageGroup = nullptr;
    CZunHostPartCommands* m_partCommands = nullptr;
    // Where the cursor was last over the viewer: its coordinates are shown
    // again when the unit changes.
    QPoint m_cursorAt;

    std::unique_ptr<CZunGroupCulling> m_culling;
    CZunDrawingOpener* m_opener = nullptr;
    CZunOpenProgress* m_openProgress = nullptr;
    // The open drawing's overview, built once it opened and again after a
    // part changed: showing the drawing again does not draw every part.
    // Shared with the scene while it shows it; none until built.
    std::shared_ptr<const CZunGDX> m_overview;
    std::vector<CZunOverviewEntry> m_overviewEntries;
    // The viewer's copy of a just opened overview, made by the opener in
    // slices, and the view direction it is measured in; used once.
    std::unique_ptr<CZunGDX> m_overviewShown;
    std::unique_ptr<CZunGroupCulling> m_overviewShownCulling;
    // Counts the nodes shown, so that showNode() tells whether the
    // selection's change has shown its node already.
    quint64 m_nodesShown = 0;
    QString m_overviewShownDirection;
    // The overview shows its first cells readably until the user fits or
    // another picture is shown.
    bool m_readableStart = false;

    QTreeWidgetItem* m_drawingNode = nullptr;
    QTreeWidgetItem* m_textsNode = nullptr;
    QTreeWidgetItem* m_slidesNode = nullptr;
    QTreeWidgetItem* m_picturesNode = nullptr;
    // The part shown, when one is: groups are then the part's own.
    QString m_shownPart;
    // What the shown part's generator told about its groups.
    CZunDataItem m_shownInfo{true};
    MessageHook m_messageHook;
    PartChooser m_partChooser;
    // The part the last entity pick handed out: the machining dialog edits it.
    QString m_pickedHandle;
};
