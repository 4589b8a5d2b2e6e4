#include "host/desktop/zun_host_window.h"

#include "render/qt/zun_qstring.h"
#include "contracts/data/zun_msg.h"
#include "contracts/data/zun_part_keys.h"
#include "contracts/data/zun_app.h"
#include "contracts/data/zun_units.h"
#include "contracts/base/zun_number.h"
#include "dialogs/zun_dlg_bgr.h"
#include "host/desktop/zun_drawing_opener.h"
#include "host/desktop/zun_file_drop.h"
#include "host/desktop/zun_group_culling.h"
#include "host/desktop/zun_hole_dialog.h"
#include "host/desktop/zun_host_legend.h"
#include "host/desktop/zun_measure_tool.h"
#include "host/desktop/zun_tree_filter.h"
#include "host/desktop/zun_view_memory.h"
#include "host/desktop/zun_view_navigation.h"
#include "host/desktop/zun_host_export.h"
#include "host/desktop/zun_host_language.h"
#include "host/desktop/zun_host_reasons.h"
#include "host/desktop/zun_host_part_commands.h"
#include "host/desktop/zun_host_pick.h"
#include "host/desktop/zun_host_pick_info.h"
#include "host/desktop/zun_host_slides.h"
#include "host/desktop/zun_print_dialog.h"
#include "host/zun_host_app.h"
#include "host/zun_part_image.h"
#include "images/qt/zun_picture.h"
#include "images/qt/zun_slide_pic.h"
#include "render/qt/zun_dplist_image.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace T = ZunHostTexts;

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kDataRole = Qt::UserRole + 1;
constexpr int kLibraryRole = Qt::UserRole + 2;
constexpr int kViewerId = 1001;
// Exported pictures: large enough to print, small enough to mail.
const QSize kExportSize(1600, 1200);

QIcon standardIcon(QStyle::StandardPixmap which)
{
    return QApplication::style()->standardIcon(which);
}

} // namespace


CZunHostWindow::CZunHostWindow(CZunHostApp& app, QWidget* parent) : QMainWindow(parent), m_app(app)
{
    // The window's resources live in a static library, which the linker
    // would leave out unless something refers to them.
    Q_INIT_RESOURCE(zun_host);
    ZUN::msgLangSet(toZun(m_settings.language()).c_str());
    m_qtTexts.install(m_settings.language());
    buildWidgets();
    buildMenus();
    buildToolBar();
    restoreSettings();
    // Files dropped on the window open as File → Open opens them.
    new CZunFileDrop(
        this, [this](const QString& path) { return openFile(path); },
        [this](const QString& caption, const QString& text) {
            if (m_messageHook)
                m_messageHook(caption, text);
            else
                QMessageBox::warning(this, caption, text);
        });
    m_app.setEntityPicker(
        [this](ZUN::CAdsName& entity, const CZunString& type, bool) { return pickEntity(entity, type); });
    m_app.registerFunction(ZUN::kHoleDialogFunction, [this](const ZUN::CZunRbList& args, ZUN::CZunRbList& result) {
        return runHoleDialog(args, result);
    });
    if (!m_app.patternError().isEmpty())
        statusBar()->showMessage(zunHostText(T::kPatternsMissing) + QStringLiteral(": ") +
                                 fromZun(m_app.patternError()));
}

CZunHostWindow::~CZunHostWindow()
{
    m_app.setEntityPicker(nullptr);
    m_app.registerFunction(ZUN::kHoleDialogFunction, nullptr);
}

// ---- building the window ---------------------------------------------------------

void CZunHostWindow::buildWidgets()
{
    m_tree = new QTreeWidget;
    m_tree->setColumnCount(3);
    m_tree->setUniformRowHeights(true);
    m_tree->header()->setStretchLastSection(true);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_tree->header()->resizeSection(0, 230);
    m_texts.bind(m_tree, T::kTreeName, [this](const QString& s) { m_tree->headerItem()->setText(0, s); });
    m_texts.bind(m_tree, T::kTreeType, [this](const QString& s) { m_tree->headerItem()->setText(1, s); });
    m_texts.bind(m_tree, T::kTreeLabel, [this](const QString& s) { m_tree->headerItem()->setText(2, s); });
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QTreeWidget::customContextMenuRequested, this, &CZunHostWindow::showTreeMenu);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CZunHostWindow::onNodeSelected);

    m_viewer = new CZunDplistImage(nullptr, kViewerId);
    m_viewer->set_dpList(m_scene.displayList());
    m_viewer->installEventFilter(this);
    m_texts.bind(m_viewer, T::kViewerTip, [this](const QString& s) { m_viewer->setToolTip(s); });
    connect(m_viewer, &CZunDplistImage::picked, this, [this](int, int group) { onPicked(group); });
    // Clicks pick with an aperture of a few pixels; a click on nothing or
    // Esc clears the pick.
    auto* pickInput = new CZunHostPickInput(m_viewer, this);
    connect(pickInput, &CZunHostPickInput::picked, this, &CZunHostWindow::onPicked);
    // Installed after the pick input, so that its filter runs first: while
    // measuring, clicks and Esc are the measure's.
    m_measure = new CZunMeasureTool(m_viewer);
    m_measure->setFormat({[this](double v) { return lengthText(v, false); }, [this] { return unitText(); },
                          [this](double v) { return numberText(v); }});
    m_legend = new CZunHostLegend(m_viewer, this);
    addDockWidget(Qt::RightDockWidgetArea, m_legend);
    m_legend->hide();
    m_navigation = new CZunViewNavigation(m_viewer, this);
    connect(m_navigation, &CZunViewNavigation::fitRequested, this, [this] { refreshViewer(true); });
    connect(m_navigation, &CZunViewNavigation::zoomWindowModeChanged, this, [this](bool on) {
        if (on)
            statusBar()->showMessage(zunZoomWindowHint());
        else
            statusBar()->clearMessage();
    });

    m_slideView = new ZUN::CSlidePic;
    // Slides are drawn on white like the display lists; colour 7 then comes out black.
    m_slideView->SetBkColor(7);
    m_pictureView = new ZUN::CPicture;

    m_tabs = new QTabWidget;
    m_tabs->setDocumentMode(true);
    m_tabs->addTab(m_viewer, standardIcon(QStyle::SP_FileDialogContentsView), QString());
    m_tabs->addTab(m_slideView, standardIcon(QStyle::SP_DesktopIcon), QString());
    m_tabs->addTab(m_pictureView, standardIcon(QStyle::SP_DirIcon), QString());
    m_texts.bind(m_tabs, T::kTabList, [this](const QString& s) { m_tabs->setTabText(m_tabs->indexOf(m_viewer), s); });
    m_texts.bind(m_tabs, T::kTabSlide,
                 [this](const QString& s) { m_tabs->setTabText(m_tabs->indexOf(m_slideView), s); });
    m_texts.bind(m_tabs, T::kTabPicture,
                 [this](const QString& s) { m_tabs->setTabText(m_tabs->indexOf(m_pictureView), s); });

    m_splitter = new QSplitter;
    m_splitter->addWidget(buildTreePane());
    m_splitter->addWidget(m_tabs);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({480, 800});
    setCentralWidget(m_splitter);

    m_pickLabel = new QLabel;
    m_cursorLabel = new QLabel;
    m_cursorLabel->setMinimumWidth(220);
    statusBar()->addWidget(m_pickLabel, 1);
    m_measureLabel = new QLabel;
    m_measureLabel->setObjectName(QStringLiteral("measureText"));
    m_measureLabel->hide();
    statusBar()->addPermanentWidget(m_measureLabel);
    statusBar()->addPermanentWidget(m_cursorLabel);
    m_culling = std::make_unique<CZunGroupCulling>();
    m_opener = new CZunDrawingOpener(this);
    m_openProgress = new CZunOpenProgress(*m_opener);
    statusBar()->addPermanentWidget(m_openProgress);
    connect(m_opener, &CZunDrawingOpener::finished, this, &CZunHostWindow::adoptOpenedDrawing);
    connect(m_opener, &CZunDrawingOpener::failed, this, [this](const QString& reason) {
        report(T::kBadDrawing, m_opener->path(), reason + QStringLiteral("\n\n") + zunHostText(T::kKeepsDrawing));
    });
    connect(m_opener, &CZunDrawingOpener::cancelled, this, [this] {
        statusBar()->showMessage(zunHostText(T::kOpeningCancelled).arg(QFileInfo(m_opener->path()).fileName()),
                                 10000);
    });
    setWindowTitle(QStringLiteral("zun-host"));
    setWindowIcon(QIcon(QStringLiteral(":/zun-host/zun-host.svg")));
    resize(1280, 800);
    // Not the search field, which comes first but would keep Ctrl+Z and
    // Ctrl+Y from the window.
    m_tree->setFocus();
}

QWidget* CZunHostWindow::buildTreePane()
{
    // The search field above the tree filters its parts by name and type.
    m_search = new QLineEdit;
    m_search->setObjectName(QStringLiteral("partSearch"));
    m_texts.bind(m_search, T::kSearchParts, [this](const QString& s) { m_search->setPlaceholderText(s); });
    m_treeFilter = new CZunTreeFilter(m_tree, m_search, this);
    auto* pane = new QWidget;
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_search);
    layout->addWidget(m_tree);
    return pane;
}

void CZunHostWindow::buildMenus()
{
    buildFileMenu();
    buildEditMenu();
    buildPartMenu();
    buildViewMenu();
    buildLanguageMenu();
    QMenu* help = menuBar()->addMenu(QString());
    m_texts.bind(help, T::kMenuHelp);
    help->addAction(m_partCommands->helpAction());
    QAction* steps = help->addAction(standardIcon(QStyle::SP_MessageBoxInformation), QString());
    m_texts.bind(steps, T::kFirstSteps);
    connect(steps, &QAction::triggered, this, [this] {
        QMessageBox::information(this, zunHostText(T::kFirstSteps), zunHostText(T::kFirstStepsText));
    });
    help->addSeparator();
    help->addAction(m_partCommands->aboutAction());
}

void CZunHostWindow::buildPartMenu()
{
    m_partCommands = new CZunHostPartCommands(m_document, *this, m_texts);
    QMenu* part = menuBar()->addMenu(QString());
    part->setObjectName(QStringLiteral("partMenu"));
    m_texts.bind(part, T::kMenuPart);
    m_partCommands->addPartActions(part);
    // Actions of a menu only fire their keys while the menu bar holds them.
    addActions(part->actions());
    addAction(m_partCommands->helpAction());
    connect(&m_document, &CZunHostDocument::partAdded, this, &CZunHostWindow::addedPart);
    connect(&m_document, &CZunHostDocument::partRemoved, this, &CZunHostWindow::removedPart);
    connect(&m_document, &CZunHostDocument::displayUnitChanged, this, [this](int unit) {
        // Kept for the drawing beside its file: the file format has no place for it.
        m_settings.setDisplayUnit(m_document.path(), unit);
        m_settings.sync();
        if (!m_cursorAt.isNull())
            updateCursorText(m_cursorAt);
    });
}

void CZunHostWindow::showTreeMenu(const QPoint& at)
{
    // The commands work on the part under the cursor, as a click would choose it.
    if (QTreeWidgetItem* item = m_tree->itemAt(at))
        m_tree->setCurrentItem(item);
    QMenu menu(this);
    m_partCommands->addPartActions(&menu);
    menu.exec(m_tree->viewport()->mapToGlobal(at));
}

QString CZunHostWindow::selectedPartHandle() const
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (!item || !item->isSelected() || static_cast<Node>(item->data(0, kKindRole).toInt()) != Node::Part)
        return QString();
    return item->data(0, kDataRole).toString();
}

void CZunHostWindow::addedPart(const QString& handle)
{
    const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(handle));
    if (!part || !m_drawingNode)
        return;
    m_overview.reset();
    m_overviewShown.reset();
    const QString name = fromZun(part->name.isEmpty() ? part->handle : part->name);
    QTreeWidgetItem* node = addNode(m_drawingNode, Node::Part, name, handle);
    node->setText(1, fromZun(part->type));
    node->setToolTip(0, QStringLiteral("%1 (%2)").arg(name, handle));
    node->setIcon(0, standardIcon(QStyle::SP_FileIcon));
    labelNodes();
    showNode(node);
}

void CZunHostWindow::removedPart(const QString& handle)
{
    QTreeWidgetItem* node = partNode(handle);
    if (!node)
        return;
    m_overview.reset();
    m_overviewShown.reset();
    const bool wasShown = m_shownPart == handle || m_tree->currentItem() == node;
    delete node;
    labelNodes();
    if (wasShown)
        showNode(m_drawingNode);
    else if (m_tree->currentItem() == m_drawingNode)
        showOverview();
}

void CZunHostWindow::labelPartNode(QTreeWidgetItem* node)
{
    const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(node->data(0, kDataRole).toString()));
    CZunString label;
    if (part)
        part->data.get(label, CZunDataKey(L"LABEL"));
    const QString text = fromZun(ZUN::label_get(label, toZun(m_settings.language())));
    node->setText(2, text);
    node->setToolTip(2, text);
}

void CZunHostWindow::buildFileMenu()
{
    m_fileMenu = menuBar()->addMenu(QString());
    m_texts.bind(m_fileMenu, T::kMenuFile);
    const auto addOpen = [this](QStyle::StandardPixmap icon, const CZunHostText& text, QKeySequence keys,
                                const CZunHostText& filter, bool (CZunHostWindow::*open)(const QString&)) {
        QAction* action = m_fileMenu->addAction(standardIcon(icon), QString());
        action->setShortcut(keys);
        action->setObjectName(QString::fromLatin1(text.key));
        m_texts.bind(action, text);
        connect(action, &QAction::triggered, this, [this, filter, open] { askAndOpen(filter, open); });
        return action;
    };
    addOpen(QStyle::SP_DialogOpenButton, T::kOpenDrawing, QKeySequence::Open, T::kFilterDrawings,
            &CZunHostWindow::openDrawing);
    addOpen(QStyle::SP_FileIcon, T::kOpenSlide, QKeySequence(), T::kFilterSlides, &CZunHostWindow::openSlide);
    addOpen(QStyle::SP_DirIcon, T::kOpenLibrary, QKeySequence(), T::kFilterLibraries, &CZunHostWindow::openLibrary);
    addOpen(QStyle::SP_FileDialogDetailedView, T::kOpenPicture, QKeySequence(), T::kFilterPictures,
            &CZunHostWindow::openPicture);
    m_recentMenu = m_fileMenu->addMenu(QString());
    m_texts.bind(m_recentMenu, T::kRecentFiles);
    m_fileMenu->addSeparator();
    QAction* save = m_fileMenu->addAction(standardIcon(QStyle::SP_DialogSaveButton), QString());
    save->setObjectName(QStringLiteral("save"));
    save->setShortcut(QKeySequence::Save);
    m_texts.bind(save, T::kSave);
    connect(save, &QAction::triggered, this, &CZunHostWindow::saveDrawing);
    QAction* saveAs = m_fileMenu->addAction(QString());
    saveAs->setObjectName(QStringLiteral("saveAs"));
    saveAs->setShortcut(QKeySequence::SaveAs);
    m_texts.bind(saveAs, T::kSaveAs);
    connect(saveAs, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, zunHostText(T::kSaveAs), m_document.path(),
                                                          zunHostText(T::kFilterDrawings));
        if (!path.isEmpty())
            saveDrawingTo(path);
    });
    m_fileMenu->addSeparator();

    const std::pair<const CZunHostText*, const char*> exports[] = {
        {&T::kExportPng, "png"}, {&T::kExportSvg, "svg"}, {&T::kExportPdf, "pdf"}, {&T::kExportEmf, "emf"}};
    for (const auto& [text, extension] : exports) {
        QAction* action = m_fileMenu->addAction(standardIcon(QStyle::SP_DialogSaveButton), QString());
        m_texts.bind(action, *text);
        const QString ext = QString::fromLatin1(extension);
        connect(action, &QAction::triggered, this, [this, ext] { askAndExport(ext); });
    }
    QAction* print = m_fileMenu->addAction(QIcon::fromTheme(QStringLiteral("document-print")), QString());
    print->setObjectName(QStringLiteral("print"));
    print->setShortcut(QKeySequence::Print);
    m_texts.bind(print, T::kPrint);
    connect(print, &QAction::triggered, this, &CZunHostWindow::showPrintDialog);
    QAction* shown = m_fileMenu->addAction(standardIcon(QStyle::SP_DialogSaveButton), QString());
    shown->setObjectName(QString::fromLatin1(ZunHostTexts::kExportShown.key));
    m_texts.bind(shown, ZunHostTexts::kExportShown);
    connect(shown, &QAction::triggered, this, &CZunHostWindow::askAndExportShown);
    QAction* copy = m_fileMenu->addAction(QIcon::fromTheme(QStringLiteral("edit-copy")), QString());
    copy->setObjectName(QStringLiteral("copy"));
    copy->setShortcut(QKeySequence::Copy);
    m_texts.bind(copy, T::kCopy);
    connect(copy, &QAction::triggered, this, &CZunHostWindow::copyToClipboard);
    m_fileMenu->addSeparator();
    QAction* quit = m_fileMenu->addAction(QString());
    quit->setShortcut(QKeySequence::Quit);
    m_texts.bind(quit, T::kQuit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
}

void CZunHostWindow::buildEditMenu()
{
    QMenu* edit = menuBar()->addMenu(QString());
    m_texts.bind(edit, T::kMenuEdit);
    QUndoStack* steps = m_document.undoStack();
    QAction* undo = edit->addAction(QIcon::fromTheme(QStringLiteral("edit-undo")), QString());
    undo->setObjectName(QStringLiteral("undo"));
    undo->setShortcut(QKeySequence::Undo);
    m_texts.bind(undo, T::kUndo);
    QAction* redo = edit->addAction(QIcon::fromTheme(QStringLiteral("edit-redo")), QString());
    redo->setObjectName(QStringLiteral("redo"));
    // Ctrl+Y besides the platform's keys; a key named twice would make the
    // shortcut ambiguous and do nothing.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    if (!redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)))
        redoKeys.prepend(QKeySequence(Qt::CTRL | Qt::Key_Y));
    redo->setShortcuts(redoKeys);
    m_texts.bind(redo, T::kRedo);
    // The actions keep texts of their own (they follow the language); the
    // stack says when they apply and what they would undo.
    const auto follow = [steps, undo, redo] {
        undo->setEnabled(steps->canUndo());
        redo->setEnabled(steps->canRedo());
        undo->setToolTip(steps->undoText());
        redo->setToolTip(steps->redoText());
    };
    connect(steps, &QUndoStack::indexChanged, this, follow);
    connect(steps, &QUndoStack::cleanChanged, this, follow);
    follow();
    connect(undo, &QAction::triggered, steps, &QUndoStack::undo);
    connect(redo, &QAction::triggered, steps, &QUndoStack::redo);
    connect(&m_document, &CZunHostDocument::partChanged, this, &CZunHostWindow::showEditedPart);
    connect(&m_document, &CZunHostDocument::modifiedChanged, this, &QWidget::setWindowModified);
}

void CZunHostWindow::buildViewMenu()
{
    QMenu* view = menuBar()->addMenu(QString());
    m_texts.bind(view, T::kMenuView);
    QAction* fit = view->addAction(standardIcon(QStyle::SP_BrowserReload), QString());
    fit->setObjectName(QStringLiteral("fit"));
    fit->setShortcut(Qt::CTRL | Qt::Key_0);
    m_texts.bind(fit, T::kFit);
    connect(fit, &QAction::triggered, this, [this] { refreshViewer(true); });
    zunAddNavigationActions(*view, *m_navigation, m_texts);
    QAction* legend = m_legend->toggleViewAction();
    legend->setObjectName(QStringLiteral("legendAction"));
    legend->setShortcut(Qt::CTRL | Qt::Key_L);
    m_texts.bind(legend, T::kLegend);
    view->addAction(legend);

    QAction* measure = view->addAction(QIcon::fromTheme(QStringLiteral("measure")), QString());
    measure->setObjectName(QStringLiteral("measure"));
    measure->setCheckable(true);
    measure->setShortcut(Qt::CTRL | Qt::Key_M);
    m_texts.bind(measure, T::kMeasure);
    connect(measure, &QAction::toggled, m_measure, &CZunMeasureTool::setActive);
    connect(m_measure, &CZunMeasureTool::activeChanged, measure, &QAction::setChecked);
    connect(m_measure, &CZunMeasureTool::textChanged, this, [this](const QString& text) {
        m_measureLabel->setText(text);
        m_measureLabel->setVisible(!text.isEmpty());
    });

    QMenu* directions = view->addMenu(QString());
    m_texts.bind(directions, T::kViewDirection);
    m_viewGroup = new QActionGroup(this);
    for (int i = 0; i < 9; ++i) {
        const QString code = QString::fromLatin1(T::kViewCodes[i]);
        QAction* action = directions->addAction(QString());
        action->setCheckable(true);
        action->setChecked(code == m_scene.viewDirection());
        action->setData(code);
        m_viewGroup->addAction(action);
        // The list keeps its codes; the buttons and menu show them as the
        // language writes them (E for O in English).
        m_texts.bind(action, T::kViewNames[i], [action, code](const QString& name) {
            const QString label = zunViewCodeLabel(code);
            action->setText(QStringLiteral("%1 (%2)").arg(name, label));
            action->setIconText(label);
        });
        connect(action, &QAction::triggered, this, [this, code] { setViewDirection(code); });
    }

    QMenu* modes = view->addMenu(QString());
    m_texts.bind(modes, T::kColorMode);
    const ZUN::GdxColorMode modeCodes[] = {ZUN::cModeOwn,  ZUN::cModeHighlight, ZUN::cModeRefer,   ZUN::cModeAxis,
                                           ZUN::cModeBase, ZUN::cModeAux,       ZUN::cModeContrast};
    for (int i = 0; i < 7; ++i) {
        QAction* action = modes->addAction(QString());
        const ZUN::GdxColorMode mode = modeCodes[i];
        m_texts.bind(action, T::kColorModes[i], QStringLiteral(" (%1)").arg(static_cast<int>(mode)));
        connect(action, &QAction::triggered, this, [this, mode] { setColorMode(mode); });
    }

    m_hatchMenu = view->addMenu(QString());
    m_texts.bind(m_hatchMenu, T::kHatch);
    const CZunArrayTempl<CZunString> names = m_app.hatchPatterns().names();
    for (const CZunString& name : names) {
        const QString pattern = fromZun(name);
        QAction* action = m_hatchMenu->addAction(pattern);
        action->setToolTip(fromZun(m_app.hatchPatterns().description(name)));
        connect(action, &QAction::triggered, this, [this, pattern] { setHatchPattern(pattern); });
    }
    m_hatchMenu->setToolTipsVisible(true);
    view->addSeparator();
    // On screen only: exports and the clipboard keep the exact pixels.
    QAction* smooth = view->addAction(QString());
    smooth->setObjectName(QStringLiteral("smoothDisplay"));
    smooth->setCheckable(true);
    m_texts.bind(smooth, T::kSmoothDisplay);
    smooth->setChecked(m_settings.smoothDisplay());
    m_viewer->setSmooth(smooth->isChecked());
    connect(smooth, &QAction::toggled, this, [this](bool on) {
        m_viewer->setSmooth(on);
        m_settings.setSmoothDisplay(on);
    });
    QAction* reset = view->addAction(QString());
    m_texts.bind(reset, T::kResetStyles);
    connect(reset, &QAction::triggered, this, [this] {
        m_scene.resetStyles();
        refreshViewer(false);
    });
}

void CZunHostWindow::buildLanguageMenu()
{
    QMenu* language = menuBar()->addMenu(QString());
    m_texts.bind(language, T::kMenuLanguage);
    m_languageGroup = new QActionGroup(this);
    const std::pair<const char*, const char*> languages[] = {{"de", "Deutsch"}, {"en", "English"}};
    for (const auto& [code, name] : languages) {
        QAction* action = language->addAction(QString::fromUtf8(name));
        action->setCheckable(true);
        action->setData(QString::fromLatin1(code));
        action->setChecked(m_settings.language() == QLatin1String(code));
        m_languageGroup->addAction(action);
        const QString c = QString::fromLatin1(code);
        connect(action, &QAction::triggered, this, [this, c] { setLanguage(c); });
    }
}

void CZunHostWindow::buildToolBar()
{
    QToolBar* bar = addToolBar(QString());
    bar->setObjectName(QStringLiteral("mainToolBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_texts.bind(bar, T::kToolbar, [bar](const QString& s) { bar->setWindowTitle(s); });
    const QList<QAction*> file = m_fileMenu->actions();
    bar->addAction(file.at(0));  // open a drawing
    bar->addAction(findChild<QAction*>(QStringLiteral("fit")));
    bar->addAction(findChild<QAction*>(QStringLiteral("measure")));
    bar->addAction(findChild<QAction*>(QStringLiteral("zoomWindow")));
    bar->addSeparator();
    // The menu's own actions: a button shows the code, its tool tip the name.
    bar->addActions(m_viewGroup->actions());
    bar->addSeparator();
    bar->addAction(findChild<QAction*>(QStringLiteral("copy")));
}

void CZunHostWindow::restoreSettings()
{
    restoreGeometry(m_settings.geometry());
    restoreState(m_settings.windowState());
    if (const QByteArray splitter = m_settings.splitterState(); !splitter.isEmpty())
        m_splitter->restoreState(splitter);
    updateRecentMenu();
}

void CZunHostWindow::saveSettings()
{
    rememberShownView();
    m_settings.setGeometry(saveGeometry());
    m_settings.setWindowState(saveState());
    m_settings.setSplitterState(m_splitter->saveState());
    m_settings.sync();
}

void CZunHostWindow::closeEvent(QCloseEvent* event)
{
    if (!settleUnsavedChanges()) {
        event->ignore();
        return;
    }
    saveSettings();
    QMainWindow::closeEvent(event);
}

// ---- opening files --------------------------------------------------------------------

void CZunHostWindow::report(const CZunHostText& caption, const QString& file, const QString& reason)
{
    // A file that is gone is no longer offered among the recent ones.
    if (!QFileInfo::exists(file) && m_settings.recentFiles().contains(QFileInfo(file).absoluteFilePath())) {
        m_settings.removeRecentFile(file);
        m_settings.sync();
        updateRecentMenu();
    }
    const QString text = QStringLiteral("%1\n\n%2\n%3").arg(zunHostText(caption), file, reason);
    if (m_messageHook)
        m_messageHook(zunHostText(T::kOpenFailed), text);
    else
        QMessageBox::warning(this, zunHostText(T::kOpenFailed), text);
}

bool CZunHostWindow::openDrawing(const QString& path)
{
    if (!settleUnsavedChanges())
        return false;
    ZUN::CDataFileError error;
    // The drawing is read into a new object first, and its overview built
    // a slice at a time (a progress bar in the status bar shows it): the
    // open one is replaced only by a drawing that loaded and drew
    // completely; until then, and after a cancel, it stays.
    m_opener->setViewDirection(m_scene.viewDirection());
    if (!m_opener->start(path, &error)) {
        report(T::kBadDrawing, path, zunHostFileError(error) + QStringLiteral("\n\n") + zunHostText(T::kKeepsDrawing));
        return false;
    }
    return true;
}

bool CZunHostWindow::isOpening() const
{
    return m_opener->isRunning();
}

void CZunHostWindow::adoptOpenedDrawing()
{
    // Kept for the drawing open until now, before it is replaced.
    rememberShownView();
    const QString path = m_opener->path();
    auto overview = std::make_shared<CZunGDX>();
    m_overviewShown = std::make_unique<CZunGDX>();
    m_overviewShownCulling = std::make_unique<CZunGroupCulling>();
    std::vector<ZUN::CPartKeyWarning> warnings;
    m_opener->adopt(*overview, m_overviewEntries, m_overviewShown.get(), &m_overviewShownDirection,
                    m_overviewShownCulling.get(), &warnings);
    m_overview = std::move(overview);
    m_document.opened(path, m_settings.displayUnit(path));
    // The cursor's coordinates were the other drawing's.
    m_cursorAt = QPoint();
    m_cursorLabel->clear();
    updateTitle();
    rememberFile(path);
    fillDrawingNodes();
    showNode(m_drawingNode);
    showKeyWarnings(&warnings);
    emit drawingOpened(path);
}

bool CZunHostWindow::saveDrawing()
{
    if (m_document.path().isEmpty())
        return false;
    return saveDrawingTo(m_document.path());
}

bool CZunHostWindow::saveDrawingTo(const QString& path)
{
    QString reason;
    if (!m_document.save(path, &reason)) {
        const QString text =
            QStringLiteral("%1\n%2\n\n%3").arg(QDir::toNativeSeparators(path), zunHostReason(reason), zunHostText(T::kKeepsFile));
        if (m_messageHook)
            m_messageHook(zunHostText(T::kSaveFailed), text);
        else
            QMessageBox::warning(this, zunHostText(T::kSaveFailed), text);
        return false;
    }
    m_settings.setDisplayUnit(path, m_document.displayUnit());
    rememberFile(path);
    updateTitle();
    return true;
}

bool CZunHostWindow::settleUnsavedChanges()
{
    if (!m_document.isModified())
        return true;
    const QMessageBox::StandardButton answer =
        m_saveQuestion ? m_saveQuestion()
                       : QMessageBox::question(this, QStringLiteral("zun-host"), zunHostText(T::kAskSave),
                                               QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                               QMessageBox::Save);
    switch (answer) {
    case QMessageBox::Save: return saveDrawing();
    case QMessageBox::Discard: return true;
    default: return false;
    }
}

void CZunHostWindow::updateTitle()
{
    const QString name = QFileInfo(m_document.path()).fileName();
    setWindowTitle(name.isEmpty() ? QStringLiteral("zun-host") : QStringLiteral("%1[*] – zun-host").arg(name));
    setWindowModified(m_document.isModified());
}

void CZunHostWindow::showKeyWarnings(const std::vector<ZUN::CPartKeyWarning>* gathered)
{
    // In the status bar, not in a message box: the drawing is open and
    // drawn, the warnings only say where it took defaults.
    const std::vector<ZUN::CPartKeyWarning> warnings =
        gathered ? *gathered : ZUN::drawingKeyWarnings(ZUN::drawingCurrent());
    QStringList lines;
    for (const ZUN::CPartKeyWarning& w : warnings)
        lines.append(fromZun(w.toString()));
    statusBar()->setToolTip(lines.join('\n'));
    if (lines.isEmpty())
        return;
    statusBar()->showMessage(QStringLiteral("%1 (%2): %3").arg(zunHostText(T::kWrongKinds)).arg(lines.size()).arg(
        lines.join(QStringLiteral("; "))));
}

bool CZunHostWindow::openSlide(const QString& path)
{
    QString reason;
    if (!zunHostSlideCheck(path, &reason)) {
        report(T::kBadSlide, path, reason);
        return false;
    }
    rememberFile(path);
    QTreeWidgetItem* node = addNode(rootNode(Node::Slides), Node::Slide, QFileInfo(path).fileName(), path);
    node->setIcon(0, standardIcon(QStyle::SP_FileIcon));
    showNode(node);
    return true;
}

bool CZunHostWindow::openLibrary(const QString& path)
{
    QString reason;
    QStringList names;
    if (!zunHostSlideLibraryNames(path, names, &reason)) {
        report(T::kBadLibrary, path, reason);
        return false;
    }
    rememberFile(path);
    QTreeWidgetItem* library = addNode(rootNode(Node::Slides), Node::Library, QFileInfo(path).fileName(), path);
    library->setIcon(0, standardIcon(QStyle::SP_DirIcon));
    for (const QString& name : names)
        addNode(library, Node::LibrarySlide, name, name, path)->setIcon(0, standardIcon(QStyle::SP_FileIcon));
    library->setExpanded(true);
    showNode(library->childCount() > 0 ? library->child(0) : library);
    return true;
}

bool CZunHostWindow::openPicture(const QString& path)
{
    ZUN::CPictureObject probe;
    QString reason;
    if (!probe.load(path, &reason)) {
        report(T::kBadPicture, path, zunHostReason(reason));
        return false;
    }
    rememberFile(path);
    QTreeWidgetItem* node = addNode(rootNode(Node::Pictures), Node::Picture, QFileInfo(path).fileName(), path);
    node->setIcon(0, standardIcon(QStyle::SP_FileDialogContentsView));
    showNode(node);
    return true;
}

bool CZunHostWindow::openFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("json"))
        return openDrawing(path);
    if (suffix == QLatin1String("sld"))
        return openSlide(path);
    if (suffix == QLatin1String("slb"))
        return openLibrary(path);
    return openPicture(path);
}

void CZunHostWindow::askAndOpen(const CZunHostText& filter, bool (CZunHostWindow::*open)(const QString&))
{
    const QString filters = zunHostText(filter) + QStringLiteral(";;") + zunHostText(T::kFilterAll);
    const QString start = m_settings.recentFiles().value(0);
    const QString path = QFileDialog::getOpenFileName(this, QString(), QFileInfo(start).absolutePath(), filters);
    if (!path.isEmpty())
        (this->*open)(path);
}

void CZunHostWindow::rememberFile(const QString& path)
{
    m_settings.addRecentFile(path);
    m_settings.sync();
    updateRecentMenu();
}

void CZunHostWindow::updateRecentMenu()
{
    m_recentMenu->clear();
    const QStringList files = m_settings.recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QAction* action = m_recentMenu->addAction(QStringLiteral("&%1  %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        action->setToolTip(path);
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { openFile(path); });
    }
    m_recentMenu->setEnabled(!files.isEmpty());
    m_recentMenu->setToolTipsVisible(true);
}

// ---- the tree ----------------------------------------------------------------------------

QTreeWidgetItem* CZunHostWindow::addNode(QTreeWidgetItem* parent, Node kind, const QString& label,
                                         const QString& data, const QString& library)
{
    QTreeWidgetItem* item = makeNode(kind, label, data, library);
    if (parent)
        parent->addChild(item);
    else
        m_tree->addTopLevelItem(item);
    return item;
}

QTreeWidgetItem* CZunHostWindow::makeNode(Node kind, const QString& label, const QString& data,
                                          const QString& library)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, label);
    item->setData(0, kKindRole, static_cast<int>(kind));
    item->setData(0, kDataRole, data);
    item->setData(0, kLibraryRole, library);
    item->setToolTip(0, library.isEmpty() ? data : library + QStringLiteral(" : ") + data);
    return item;
}

QTreeWidgetItem* CZunHostWindow::rootNode(Node kind)
{
    QTreeWidgetItem*& node = kind == Node::Slides ? m_slidesNode : m_picturesNode;
    if (!node) {
        node = addNode(nullptr, kind, QString(), QString());
        node->setIcon(0, standardIcon(kind == Node::Slides ? QStyle::SP_DesktopIcon : QStyle::SP_DirIcon));
        node->setFlags(node->flags() & ~Qt::ItemIsSelectable);
        node->setExpanded(true);
        labelNodes();
    }
    return node;
}

void CZunHostWindow::fillDrawingNodes()
{
    // Other nodes keep their place; the drawing's own are made anew.
    delete m_drawingNode;
    m_drawingNode = nullptr;
    const ZUN::CZunDrawing& drawing = ZUN::drawingCurrent();
    const QString file = QFileInfo(fromZun(drawing.path())).fileName();
    m_drawingNode = addNode(nullptr, Node::Drawing, file, fromZun(drawing.path()));
    m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(m_drawingNode));
    m_tree->insertTopLevelItem(0, m_drawingNode);
    m_drawingNode->setIcon(0, standardIcon(QStyle::SP_DirHomeIcon));
    // The part nodes go in at once: added one by one, each would make the
    // view take its rows in anew.
    QList<QTreeWidgetItem*> parts;
    parts.reserve(drawing.partCount());
    const QIcon partIcon = standardIcon(QStyle::SP_FileIcon);
    for (int i = 0; i < drawing.partCount(); ++i) {
        const ZUN::CZunPart& part = *drawing.part(i);
        const QString name = fromZun(part.name.isEmpty() ? part.handle : part.name);
        QTreeWidgetItem* node = makeNode(Node::Part, name, fromZun(part.handle));
        node->setText(1, fromZun(part.type));
        node->setToolTip(0, QStringLiteral("%1 (%2)").arg(name, fromZun(part.handle)));
        node->setIcon(0, partIcon);
        parts.append(node);
    }
    m_drawingNode->addChildren(parts);
    if (!m_textsNode) {
        m_textsNode = addNode(nullptr, Node::Texts, QString(), QString());
        m_textsNode->setIcon(0, standardIcon(QStyle::SP_FileDialogInfoView));
    }
    m_drawingNode->setExpanded(true);
    labelNodes();
    m_treeFilter->apply();
}

void CZunHostWindow::labelNodes()
{
    // Tree items are no QObjects, so their texts are set here rather than bound.
    if (m_drawingNode) {
        m_drawingNode->setText(1, QStringLiteral("%1 %2").arg(m_drawingNode->childCount()).arg(zunHostText(T::kParts)));
        for (int i = 0; i < m_drawingNode->childCount(); ++i)
            labelPartNode(m_drawingNode->child(i));
    }
    if (m_textsNode)
        m_textsNode->setText(0, zunHostText(T::kTexts));
    if (m_slidesNode)
        m_slidesNode->setText(0, zunHostText(T::kSlides));
    if (m_picturesNode)
        m_picturesNode->setText(0, zunHostText(T::kPictures));
}

QTreeWidgetItem* CZunHostWindow::partNode(const QString& handle) const
{
    if (!m_drawingNode)
        return nullptr;
    for (int i = 0; i < m_drawingNode->childCount(); ++i)
        if (m_drawingNode->child(i)->data(0, kDataRole).toString() == handle)
            return m_drawingNode->child(i);
    return nullptr;
}

void CZunHostWindow::showNode(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const quint64 shown = m_nodesShown;
    m_tree->setCurrentItem(item);
    m_tree->scrollToItem(item);
    // Selecting the node that is already selected shows nothing new; the
    // caller still wants it shown (a reopened drawing, say). A node the
    // selection's change showed is not shown twice: for a large overview
    // that is the copy and the fit done again.
    if (m_nodesShown == shown)
        onNodeSelected();
}

void CZunHostWindow::onNodeSelected()
{
    ++m_nodesShown;
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (selected.isEmpty())
        return;
    rememberShownView();
    const QTreeWidgetItem* item = selected.first();
    const auto kind = static_cast<Node>(item->data(0, kKindRole).toInt());
    const QString data = item->data(0, kDataRole).toString();
    switch (kind) {
    case Node::Drawing:
        showOverview();
        break;
    case Node::Part:
        showPart(data);
        break;
    case Node::Texts: {
        CZunGDX sheet;
        std::map<int, QString> names;
        zunTextSheet(sheet, names);
        m_shownPart.clear();
        showDisplayList(sheet, std::move(names));
        break;
    }
    case Node::Slide:
        showSlideNode(data, QString());
        break;
    case Node::LibrarySlide:
        showSlideNode(data, item->data(0, kLibraryRole).toString());
        break;
    case Node::Picture:
        showPictureNode(data);
        break;
    case Node::Library:
    case Node::Slides:
    case Node::Pictures:
        break;
    }
}

// ---- what the viewer shows ----------------------------------------------------------------

void CZunHostWindow::showDisplayList(const CZunGDX& list, std::map<int, QString> names)
{
    m_scene.show(list, std::move(names));
    m_tabs->setCurrentWidget(m_viewer);
    updatePickText();
    refreshViewer(true);
}

void CZunHostWindow::showPart(const QString& handle)
{
    const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(handle));
    if (!part)
        return;
    CZunGDX list;
    // Shown again after an edit, the part keeps the view it had.
    rememberShownView();
    m_shownPart = handle;
    if (!zunPartImageBuild(*part, list, m_shownInfo)) {
        showDisplayList(CZunGDX(), {});
        m_pickLabel->setText(zunHostText(T::kNotDrawn));
        return;
    }
    zunGroupLooseItems(list);
    showDisplayList(list, {});
    restoreView(handle);
}

void CZunHostWindow::rememberShownView()
{
    if (m_shownPart.isEmpty() || m_document.path().isEmpty())
        return;
    // A part left fitted has nothing to keep: it comes up fitted anyway,
    // in the direction the window then shows.
    const bool fitted = m_viewer->zoomMtx() == CZunMatrix3d();
    const CZunSavedView view = fitted ? CZunSavedView{} : zunViewOfViewer(*m_viewer, m_scene.viewDirection());
    m_settings.setPartView(m_document.path(), m_shownPart, view.isValid() ? view.toString() : QString());
}

void CZunHostWindow::restoreView(const QString& handle)
{
    const CZunSavedView view = CZunSavedView::fromString(m_settings.partView(m_document.path(), handle));
    if (!view.isValid())
        return;
    if (view.direction != m_scene.viewDirection() && !setViewDirection(view.direction))
        return;
    zunShowSavedView(view, *m_viewer, *m_navigation);
}

void CZunHostWindow::showOverview()
{
    // Built when the drawing opened, and again only after a part changed.
    if (!m_overview) {
        const QString title = QFileInfo(fromZun(ZUN::drawingCurrent().path())).completeBaseName();
        auto overview = std::make_shared<CZunGDX>();
        m_overviewEntries = zunDrawingOverview(ZUN::drawingCurrent(), title, *overview);
        m_overview = std::move(overview);
    }
    std::map<int, QString> names;
    QStringList drawn;
    for (const CZunOverviewEntry& entry : m_overviewEntries) {
        names.emplace_hint(names.end(), entry.group, entry.name);
        drawn.append(entry.handle);
    }
    markUndrawnParts(drawn);
    m_shownPart.clear();
    // Just opened: the opener has made the viewer's copy and measured its
    // groups in slices, when it did so in the scene's view direction.
    bool measured = false;
    if (m_overviewShown) {
        measured = m_overviewShownDirection == m_scene.viewDirection() && m_overviewShownCulling;
        m_scene.show(m_overview, std::move(*m_overviewShown), m_overviewShownDirection, std::move(names));
        if (measured)
            *m_culling = std::move(*m_overviewShownCulling);
        m_overviewShown.reset();
        m_overviewShownCulling.reset();
    } else {
        m_scene.show(m_overview, std::move(names));
    }
    m_tabs->setCurrentWidget(m_viewer);
    updatePickText();
    refreshViewer(true, measured);
    // Thousands of parts fitted whole are specks: the overview starts on
    // its first cells at a readable size (only they are painted); Fit
    // shows all of it. One that fits whole readably is fitted as any
    // picture, and stays so when the window narrows.
    m_readableStart = true;
    m_readableStart = fitReadably();
}

bool CZunHostWindow::fitReadably()
{
    CZunPoint3d lo, hi;
    if (!m_readableStart ||
        !zunOverviewReadableWindow(*m_scene.displayList(), m_viewer->width(), m_viewer->height(), lo, hi))
        return false;
    // The view window only for the fit: exports and Fit take the whole.
    m_scene.displayList()->extMaxViewSet(lo, hi);
    m_viewer->zoomExtents();
    m_scene.displayList()->extMaxViewSet(CZunPoint3d::kOrigin, CZunPoint3d::kOrigin);
    return true;
}

void CZunHostWindow::markUndrawnParts(const QStringList& drawn)
{
    // Parts no generator could draw are greyed, so that an empty picture
    // does not come as a surprise. A set: a list would be searched once
    // for every part.
    const QSet<QString> drawnSet(drawn.begin(), drawn.end());
    for (int i = 0; m_drawingNode && i < m_drawingNode->childCount(); ++i) {
        QTreeWidgetItem* node = m_drawingNode->child(i);
        if (drawnSet.contains(node->data(0, kDataRole).toString()))
            continue;
        node->setForeground(0, m_tree->palette().brush(QPalette::Disabled, QPalette::Text));
        node->setToolTip(0, zunHostText(T::kNotDrawn));
    }
}

void CZunHostWindow::showSlideNode(const QString& name, const QString& library)
{
    m_shownPart.clear();
    CZunGDX list;
    zunHostSlideList(name, library, list);
    m_scene.show(list, {});
    updatePickText();
    refreshViewer(true);
    m_slideView->show(toZun(name).c_str(), library.isEmpty() ? nullptr : toZun(library).c_str());
    m_tabs->setCurrentWidget(m_slideView);
}

void CZunHostWindow::showPictureNode(const QString& path)
{
    // Shown first: the picture is fitted to the size the view has when it loads.
    m_tabs->setCurrentWidget(m_pictureView);
    m_pictureView->LoadImageW(toZun(path).c_str());
}

void CZunHostWindow::refreshViewer(bool fit, bool measured)
{
    // A fit follows every change of the items or the view direction: the
    // groups' boxes are measured anew with it.
    if (fit) {
        m_readableStart = false;
        m_viewer->zoomExtents();
        if (!measured)
            m_culling->measure(*m_scene.displayList());
    }
    m_viewer->update();
}

// ---- picking and the status bar ------------------------------------------------------------

void CZunHostWindow::onPicked(int group)
{
    m_scene.setHighlight(group);
    updatePickText();
    m_viewer->update();
}

bool CZunHostWindow::pickEntity(ZUN::CAdsName& entity, const CZunString& type)
{
    // Modules that ask the user for a part get the one shown when its type
    // fits: the user chose it by showing it. Otherwise the user chooses
    // among the parts of that type; with only one there is nothing to ask.
    const ZUN::CZunDrawing& drawing = ZUN::drawingCurrent();
    const ZUN::CZunPart* chosen = drawing.partByHandle(toZun(m_shownPart));
    if (!chosen || !(type.isEmpty() || chosen->type == type)) {
        std::vector<const ZUN::CZunPart*> candidates;
        QStringList names;
        for (int i = 0; i < drawing.partCount(); ++i)
            if (type.isEmpty() || drawing.part(i)->type == type) {
                candidates.push_back(drawing.part(i));
                names.append(fromZun(drawing.part(i)->name.isEmpty() ? drawing.part(i)->handle : drawing.part(i)->name));
            }
        const int index = candidates.size() == 1 ? 0 : chooseAmong(names);
        chosen = index >= 0 && index < static_cast<int>(candidates.size()) ? candidates[index] : nullptr;
    }
    if (!chosen)
        return false;
    entity = drawing.entityName(*chosen);
    m_pickedHandle = fromZun(chosen->handle);
    return true;
}

int CZunHostWindow::chooseAmong(const QStringList& names)
{
    if (names.isEmpty())
        return -1;
    if (m_partChooser)
        return m_partChooser(names);
    bool ok = false;
    const QString name = QInputDialog::getItem(this, zunHostText(T::kChoosePart), zunHostText(T::kChoosePart), names,
                                               0, false, &ok);
    return ok ? names.indexOf(name) : -1;
}

int CZunHostWindow::runHoleDialog(const ZUN::CZunRbList&, ZUN::CZunRbList& result)
{
    result = {ZUN::CRbValue::makeLong(0)};
    ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(m_pickedHandle));
    if (!part || part->type != CZunString(L"HOLE")) {
        const QString text = zunHostText(T::kHoleNoEntity);
        if (m_messageHook)
            m_messageHook(zunHostText(T::kHoleTitle), text);
        else
            QMessageBox::information(this, zunHostText(T::kHoleTitle), text);
        return kRtNorm;
    }
    CZunHoleDialog dialog(part->data, this);
    if (dialog.exec() != QDialog::Accepted)
        return kRtNorm;
    m_document.setPartData(m_pickedHandle, dialog.entityData(), zunHostText(T::kHoleTitle));
    result = {ZUN::CRbValue::makeLong(1)};
    return kRtNorm;
}

void CZunHostWindow::showEditedPart(const QString& handle)
{
    if (QTreeWidgetItem* node = partNode(handle))
        labelPartNode(node);
    m_overview.reset();
    m_overviewShown.reset();
    if (m_shownPart == handle)
        showPart(handle);
    else if (m_shownPart.isEmpty() && m_tree->currentItem() == m_drawingNode)
        showOverview();
}

bool CZunHostWindow::pickGroup(int group)
{
    const std::vector<int> groups = m_scene.groups();
    if (std::find(groups.begin(), groups.end(), group) == groups.end())
        return false;
    onPicked(group);
    return true;
}

void CZunHostWindow::updatePickText()
{
    const int group = m_scene.highlight();
    if (group < 0) {
        m_pickLabel->setText(zunHostText(T::kReady));
        return;
    }
    QString what = m_scene.groupName(group);
    if (!m_shownPart.isEmpty()) {
        const QString info = zunGroupInfoText(m_shownInfo, group, m_settings.language(),
                                              [this](double value) { return lengthText(value); });
        if (!info.isEmpty())
            what = info;
    }
    if (what.isEmpty())
        what = QStringLiteral("%1 %2").arg(groupKind(group)).arg(group);
    else
        what = QStringLiteral("%1 (%2 %3)").arg(what, zunHostText(T::kGroup)).arg(group);
    if (const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(m_shownPart)))
        what = fromZun(part->name.isEmpty() ? part->handle : part->name) + QStringLiteral(" – ") + what;
    m_pickLabel->setText(QStringLiteral("%1: %2").arg(zunHostText(T::kPicked), what));
}

QString CZunHostWindow::groupKind(int group) const
{
    switch (m_scene.groupType(group)) {
    case objVl:
        return zunHostText(T::kPolyline);
    case objPt:
        return zunHostText(T::kPoint);
    case objReg:
        return zunHostText(T::kRegion);
    case objTxt:
        return zunHostText(T::kText);
    case objPicture:
        return zunHostText(T::kPictureItem);
    }
    return zunHostText(T::kGroup);
}

QString CZunHostWindow::pickText() const
{
    return m_pickLabel->text();
}

QString CZunHostWindow::cursorText() const
{
    return m_cursorLabel->text();
}

void CZunHostWindow::updateCursorText(const QPoint& at)
{
    m_cursorAt = at;
    const CZunPoint3d p = m_scene.displayList()->imagePtWc(CZunPoint3d(at.x(), at.y(), 0.0));
    m_cursorLabel->setText(
        QStringLiteral("X %1   Y %2 %3").arg(lengthText(p.x, false), lengthText(p.y, false), unitText()).trimmed());
}

// Drawing values are in the drawing's unit; they are shown in the
// document's display unit, written as the application writes lengths.
QString CZunHostWindow::lengthText(double value, bool withUnit) const
{
    const QString number =
        numberText(ZUN::acadUnitCv(value, ZUN::drawingCurrent().unit(), m_document.displayUnit()));
    return withUnit ? QStringLiteral("%1 %2").arg(number, unitText()).trimmed() : number;
}

QString CZunHostWindow::numberText(double value) const
{
    const CZunApp* app = zunAppPtr();
    CZunString text;
    ZUN::zunRtoS(value, app->numberFormat(), app->numberPrecision(), text);
    return fromZun(text);
}

QString CZunHostWindow::unitText() const
{
    return fromZun(ZUN::unitAbbrev(m_document.displayUnit()));
}

bool CZunHostWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A list of many groups zoomed in on a few is painted with those alone.
    if (watched == m_viewer && event->type() == QEvent::Paint) {
        const QImage visible = zunPaintVisibleGroups(*m_culling, *m_scene.displayList(), m_viewer->size(),
                                                     m_viewer->palette().window().color(),
                                                     m_viewer->devicePixelRatioF(), m_viewer->smooth());
        if (!visible.isNull()) {
            QPainter(m_viewer).drawImage(0, 0, visible);
            return true;
        }
    }
    if (watched == m_viewer && event->type() == QEvent::MouseMove)
        updateCursorText(static_cast<QMouseEvent*>(event)->position().toPoint());
    if (watched == m_viewer && event->type() == QEvent::Resize) {
        // A picture the user zoomed or panned keeps what was in the
        // window's middle there, as a panel opens or the window is resized.
        // A fitted one stays fitted to the new size. The overview's
        // readable start holds while the grid is still too large to read
        // whole; once the window shows it whole it is fitted like any
        // picture, so that a narrower window (the legend opened) does not
        // cut off its last column.
        const auto* resize = static_cast<const QResizeEvent*>(event);
        if (m_viewer->zoomMtx() != CZunMatrix3d()) {
            m_navigation->keepCentre(resize->oldSize(), resize->size());
        } else if (!fitReadably()) {
            m_readableStart = false;
            m_viewer->zoomExtents();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- view changes -----------------------------------------------------------------------------

bool CZunHostWindow::setViewDirection(const QString& codeOrLabel)
{
    // English labels (E, NE, SE) name the list's codes (O, NO, SO) too.
    const QString code = zunViewCodeOf(codeOrLabel);
    if (code.isEmpty() || !m_scene.setViewDirection(code))
        return false;
    for (QAction* action : m_viewGroup->actions())
        action->setChecked(action->data().toString() == code);
    refreshViewer(true);
    return true;
}

bool CZunHostWindow::setColorMode(ZUN::GdxColorMode mode)
{
    const bool changed = m_scene.setColorMode(m_scene.highlight(), mode);
    refreshViewer(false);
    return changed;
}

bool CZunHostWindow::setHatchPattern(const QString& pattern)
{
    const bool changed = m_scene.setHatchPattern(m_scene.highlight(), toZun(pattern));
    refreshViewer(false);
    return changed;
}

void CZunHostWindow::setLanguage(const QString& code)
{
    ZUN::msgLangSet(toZun(code).c_str());
    m_qtTexts.install(code);
    m_settings.setLanguage(code);
    for (QAction* action : m_languageGroup->actions())
        action->setChecked(action->data().toString() == code);
    retranslate();
}

void CZunHostWindow::retranslate()
{
    m_texts.apply();
    m_openProgress->retranslate();
    m_legend->retranslate();
    labelNodes();
    m_partCommands->updateEnabled();
    // The texts sheet names its groups in the language it was drawn in:
    // shown again, with the pick kept.
    if (m_textsNode && m_tree->currentItem() == m_textsNode) {
        const int picked = m_scene.highlight();
        onNodeSelected();
        if (picked >= 0)
            pickGroup(picked);
    }
    updatePickText();
}

// ---- export and clipboard --------------------------------------------------------------------

bool CZunHostWindow::exportTo(const QString& path)
{
    QString error;
    return reportExport(zunHostExport(*m_scene.displayList(), path, kExportSize, &error), path, error);
}

bool CZunHostWindow::exportShownTo(const QString& path)
{
    QString error;
    const bool written = zunHostExportShown(*m_scene.displayList(), m_viewer->size(), path, kExportSize, &error);
    return reportExport(written, path, error);
}

bool CZunHostWindow::reportExport(bool written, const QString& path, const QString& error)
{
    if (!written) {
        const QString text = QStringLiteral("%1\n%2").arg(path, error);
        if (m_messageHook)
            m_messageHook(zunHostText(T::kExportFailed), text);
        else
            QMessageBox::warning(this, zunHostText(T::kExportFailed), text);
        return false;
    }
    statusBar()->showMessage(QStringLiteral("%1: %2").arg(zunHostText(T::kExported), path), 5000);
    return true;
}

void CZunHostWindow::showPrintDialog()
{
    // Named and placed as an export of the shown part would be: the part's
    // name (not its handle) in the folder of the last drawing.
    const QFileInfo suggested(suggestedExportPath(QStringLiteral("pdf")));
    const QString name = suggested.absolutePath() + QLatin1Char('/') + suggested.completeBaseName();
    CZunPrintDialog dialog(*m_scene.displayList(), m_settings.printSetup(), name, this);
    if (m_messageHook)
        dialog.setMessageHook(m_messageHook);
    dialog.exec();
    m_settings.setPrintSetup(dialog.setup());
}

void CZunHostWindow::askAndExport(const QString& extension)
{
    const QString suggested = suggestedExportPath(extension);
    const QString filter = QStringLiteral("%1 (*.%2)").arg(extension.toUpper(), extension);
    QString path = QFileDialog::getSaveFileName(this, QString(), suggested, filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + extension;
    exportTo(path);
}

QString CZunHostWindow::suggestedExportPath(const QString& extension) const
{
    QString base;
    if (const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(m_shownPart)))
        base = fromZun(part->name.isEmpty() ? part->handle : part->name);
    else if (!m_document.path().isEmpty())
        base = QFileInfo(m_document.path()).completeBaseName();
    // A name may hold characters no file name can.
    static const QRegularExpression unfit(QStringLiteral(R"([/\\:*?"<>|]+)"));
    base = base.replace(unfit, QStringLiteral("_")).trimmed();
    if (base.isEmpty())
        base = QStringLiteral("zun");
    const QString folder = QFileInfo(m_settings.recentFiles().value(0)).absolutePath();
    return folder + QLatin1Char('/') + base + QLatin1Char('.') + extension;
}

void CZunHostWindow::askAndExportShown()
{
    const QString suggested = suggestedExportPath(QStringLiteral("png"));
    QString path = QFileDialog::getSaveFileName(this, zunHostText(ZunHostTexts::kExportShown), suggested,
                                                zunHostText(ZunHostTexts::kFilterExports));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    exportShownTo(path);
}

bool CZunHostWindow::copyToClipboard()
{
    bool copied = false;
    if (m_tabs->currentWidget() == m_pictureView)
        copied = m_pictureView->Copy();
    else if (m_tabs->currentWidget() == m_slideView)
        copied = m_slideView->Copy();
    else
        copied = zunHostCopy(*m_scene.displayList(), kExportSize);
    if (copied)
        statusBar()->showMessage(zunHostText(T::kCopied), 3000);
    return copied;
}
