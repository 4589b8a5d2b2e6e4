#include "host/desktop/zun_host_part_commands.h"

#include "contracts/data/zun_config.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_files.h"
#include "contracts/data/zun_msg.h"
#include "contracts/data/zun_outline.h"
#include "dialogs/zun_aboutbox.h"
#include "dialogs/zun_dlg_bgr.h"
#include "dialogs/zun_label_edit.h"
#include "dialogs/zun_mat_tree_dlg.h"
#include "dialogs/zun_units_dlg.h"
#include "host/desktop/zun_host_document.h"
#include "host/desktop/zun_host_texts.h"
#include "host/desktop/zun_host_window.h"
#include "host/zun_outline_image.h"
#include "render/qt/zun_qstring.h"
#include "ui/zun_help.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QStyle>
#include <QTreeWidget>

namespace T = ZunHostTexts;

namespace {

const CZunDataKey kOutlineCatalogue(L"*ZUN_OUTLINE*");

// Which page of the help belongs to which dialog, by class name; the
// outline dialog's filter belongs to the outline page.
struct TopicOfDialog {
    const char* className;
    const char* topic;
};
constexpr TopicOfDialog kTopics[] = {
    {"CZunOutlDlg", "outline"},   {"CDlgFilterOutline", "outline"}, {"CZunMatTreeDlg", "material"},
    {"CZunUnitsDlg", "units"},    {"CZunLabelEdit", "label"},       {"CZunHoleDialog", "machining"},
    {"CAboutboxDlg", "about"},
};

// A value of a part's data, empty when it has none.
CZunString partText(const ZUN::CZunPart& part, const wchar_t* key)
{
    CZunString text;
    part.data.get(text, CZunDataKey(key));
    return text;
}

} // namespace

CZunHostPartCommands::CZunHostPartCommands(CZunHostDocument& document, CZunHostWindow& window,
                                           CZunTextBinder& texts)
    : QObject(&window), m_document(document), m_window(window), m_texts(texts)
{
    m_helpOpener = [](QWidget* owner, const CZunString& file, const CZunString& topic) {
        return ZUN::helpOpen(owner, file, topic);
    };
    m_lastOutline.material = L"S235";
    m_lastOutline.range = 3;

    m_newOutline = makeAction(T::kNewOutline, "newOutline");
    m_newOutline->setIcon(QApplication::style()->standardIcon(QStyle::SP_FileDialogNewFolder));
    m_material = makeAction(T::kMaterial, "material");
    m_units = makeAction(T::kUnits, "units");
    m_label = makeAction(T::kLabel, "label");
    m_machining = makeAction(T::kMachining, "machining");
    m_help = makeAction(T::kHelpContents, "help");
    // The main window's F1; in a dialog the event filter below answers it.
    m_help->setShortcut(QKeySequence::HelpContents);
    m_about = makeAction(T::kAbout, "about");

    connect(m_newOutline, &QAction::triggered, this, &CZunHostPartCommands::newOutlinePart);
    connect(m_material, &QAction::triggered, this, &CZunHostPartCommands::changeMaterial);
    connect(m_units, &QAction::triggered, this, &CZunHostPartCommands::changeUnits);
    connect(m_label, &QAction::triggered, this, &CZunHostPartCommands::editLabel);
    connect(m_machining, &QAction::triggered, this, &CZunHostPartCommands::editMachinings);
    connect(m_help, &QAction::triggered, this, [this] { openHelp(QStringLiteral("dialogs")); });
    connect(m_about, &QAction::triggered, this, [] { CAboutboxDlg::Show(); });
    connect(m_window.tree(), &QTreeWidget::itemSelectionChanged, this, &CZunHostPartCommands::updateEnabled);
    // F1 in a module dialog opens that dialog's page: the dialogs
    // themselves keep F1 for the pop-up about a single control.
    qApp->installEventFilter(this);
    ZUN::DlgEnv_st::hWndApplic = &m_window;
    updateEnabled();
}

CZunHostPartCommands::~CZunHostPartCommands()
{
    qApp->removeEventFilter(this);
    if (ZUN::DlgEnv_st::hWndApplic == &m_window)
        ZUN::DlgEnv_st::hWndApplic = nullptr;
}

QAction* CZunHostPartCommands::makeAction(const CZunHostText& text, const char* name)
{
    auto* action = new QAction(this);
    action->setObjectName(QString::fromLatin1(name));
    m_texts.bind(action, text);
    return action;
}

void CZunHostPartCommands::addPartActions(QMenu* menu) const
{
    menu->addAction(m_newOutline);
    menu->addSeparator();
    menu->addAction(m_material);
    menu->addAction(m_label);
    menu->addAction(m_machining);
    menu->addSeparator();
    menu->addAction(m_units);
}

QString CZunHostPartCommands::selectedPart() const
{
    return m_window.selectedPartHandle();
}

void CZunHostPartCommands::updateEnabled()
{
    const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(selectedPart()));
    m_material->setEnabled(part != nullptr);
    m_label->setEnabled(part != nullptr);
    // Machinings belong to hole patterns only.
    m_machining->setEnabled(part && part->type == CZunString(L"HOLE"));
}

ZUN::DlgEnv_st CZunHostPartCommands::environment(const wchar_t* topic) const
{
    ZUN::DlgEnv_st env;
    env.country = toZun(m_window.settings().language());
    env.helpFile = ZUN::help_find(L"Zun");
    env.helpTopic = topic;
    env.hWndParent = &m_window;
    return env;
}

CZunDataItem* CZunHostPartCommands::outlineCatalogue()
{
    if (CZunDataItem* catalogue = ZUN::cfg_get(kOutlineCatalogue); catalogue && catalogue->isDir())
        return catalogue;
    CZunDataItem* catalogue = ZUN::cfg_dir_make(kOutlineCatalogue);
    ZUN::zunOutlineInit(catalogue);
    return catalogue;
}

// ---- the commands ---------------------------------------------------------------------

bool CZunHostPartCommands::newOutlinePart()
{
    ZUN::outlineData data = m_lastOutline;
    data.unit = static_cast<ZUN::lUnit>(ZUN::drawingCurrent().unit());
    if (ZUN::dlgOutline(environment(L"outline"), data, outlineCatalogue()) != 1)
        return false;
    m_lastOutline = data;
    const CZunString language = toZun(m_window.settings().language());
    const CZunString name = ZUN::g_outline_text(data.outline, data.parms, data.txtGen > 0 ? data.txtGen : 1, language);
    const CZunDataItem partData =
        zunOutlinePartData(data.outline, data.parms, data.basePt, data.unit, data.material, data.txtGen);
    const QString handle =
        m_document.addPart(QStringLiteral("OUTLINE"), fromZun(name), partData, zunHostText(T::kStepNewOutline));
    return !handle.isEmpty();
}

bool CZunHostPartCommands::changeMaterial()
{
    const QString handle = selectedPart();
    const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(handle));
    if (!part)
        return false;
    ZUN::DlgEnvMatTree_st env;
    static_cast<ZUN::DlgEnv_st&>(env) = environment(L"material");
    env.matTypes.append(L"PHYS");
    env.withDrawing = true;
    CZunString material = partText(*part, L"MAT");
    if (ZUN::dlgMatTree(env, material) != 1 || material.isEmpty())
        return false;
    CZunDataItem data = part->data;
    data.set(CZunDataItem::Value(material), CZunDataKey(L"MAT"));
    return m_document.setPartData(handle, data, zunHostText(T::kStepMaterial));
}

bool CZunHostPartCommands::changeUnits()
{
    const ZUN::lUnit unit =
        ZUN::dlgUnits(environment(L"units"), static_cast<ZUN::lUnit>(m_document.displayUnit()));
    return m_document.setDisplayUnit(unit, zunHostText(T::kStepUnits));
}

bool CZunHostPartCommands::editLabel()
{
    const QString handle = selectedPart();
    const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(handle));
    if (!part)
        return false;
    const CZunString initial = partText(*part, L"LABEL");
    const CZunString language = toZun(m_window.settings().language());
    CZunString label;
    if (ZUN::dlgLabelEdit(environment(L"label"), label, 0, initial.c_str(), language.c_str(), nullptr) != 1)
        return false;
    CZunDataItem data = part->data;
    if (label.isEmpty())
        data.remove(CZunDataKey(L"LABEL"));
    else
        data.set(CZunDataItem::Value(label), CZunDataKey(L"LABEL"));
    return m_document.setPartData(handle, data, zunHostText(T::kStepLabel));
}

bool CZunHostPartCommands::editMachinings()
{
    const QString handle = selectedPart();
    const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(handle));
    if (!part || part->type != CZunString(L"HOLE"))
        return false;
    // The hole pattern as the add-on holds it: an assembly with its
    // machinings under "HOLE". The bridge writes it into the entity before
    // the host's dialog runs and reads it back after; the part then takes
    // the edited machinings and nothing else from the round trip.
    const CZunDataItem original = part->data;
    CZunDataItem assembly = original;
    if (const CZunDataItem* machinings = original.getItem(CZunDataKey(L"BT")))
        assembly.setItem(CZunDataKey(L"HOLE"), *machinings);
    CZunString type;
    m_document.beginOutsideEdit();
    const int result = ZUN::dlgBgr(environment(L"machining"), type, &assembly, nullptr);
    if (result == 1) {
        CZunDataItem data = original;
        if (const CZunDataItem* machinings = assembly.getItem(CZunDataKey(L"HOLE")))
            data.setItem(CZunDataKey(L"BT"), *machinings);
        if (ZUN::CZunPart* edited = ZUN::drawingCurrent().partByHandle(toZun(handle)))
            edited->data = data;
    }
    return m_document.endOutsideEdit(zunHostText(T::kStepMachining), result == 1);
}

// ---- help ------------------------------------------------------------------------------

QString CZunHostPartCommands::helpTopicOf(const QWidget* dialog)
{
    for (const TopicOfDialog& entry : kTopics)
        if (dialog && dialog->inherits(entry.className))
            return QString::fromLatin1(entry.topic);
    return QString();
}

bool CZunHostPartCommands::openHelp(const QString& topic)
{
    QWidget* owner = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : &m_window;
    const CZunString file = ZUN::help_find(L"Zun");
    if (!file.isEmpty() && m_helpOpener(owner, file, toZun(topic)))
        return true;
    m_window.statusBar()->showMessage(zunHostText(T::kNoHelp), 5000);
    return false;
}

bool CZunHostPartCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
        return false;
    QWidget* modal = QApplication::activeModalWidget();
    const QString topic = helpTopicOf(modal);
    if (topic.isEmpty())
        return false;
    // Only the dialog's own key press: a widget inside it gets the same
    // event first, and the page must open once.
    if (static_cast<QWidget*>(watched)->window() != modal)
        return false;
    openHelp(topic);
    return true;
}
