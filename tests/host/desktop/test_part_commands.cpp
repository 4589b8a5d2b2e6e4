// The Part menu's commands on the open drawing: each drives the module's
// real dialog as a user would, changes the drawing by one undoable step and
// shows the change; cancelled dialogs change nothing; F1 opens the right
// page of the help.

#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_outline.h"
#include "dialogs/zun_label_edit.h"
#include "dialogs/zun_mat_tree_dlg.h"
#include "dialogs/zun_outl_dlg.h"
#include "dialogs/zun_units_dlg.h"
#include "host/desktop/zun_hole_dialog.h"
#include "host/desktop/zun_hole_rows.h"
#include "host/desktop/zun_host_part_commands.h"
#include "host/zun_outline_image.h"
#include "render/qt/zun_dplist_image.h"
#include "render/qt/zun_qstring.h"
#include "tests/dialogs/field_typing.h"
#include "tests/host/desktop/host_window_fixture.h"
#include "ui/zun_edit.h"
#include "ui/zun_tree_ctrl.h"
#include "ui/zun_mat_tree_ctrl.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QUndoStack>

namespace {

void clickOk(CZunDlg& dlg)
{
    auto* ok = qobject_cast<QPushButton*>(dlg.GetDlgItem(IDOK));
    EXPECT_TRUE(ok && ok->isEnabled()) << "OK cannot be pressed";
    if (ok && ok->isEnabled())
        ok->click();
    else
        dlg.reject();
}

// ---- what the user does in each dialog ---------------------------------------------

// A rectangle 250 x 120 typed into the outline dialog.
void typeRectangle(CZunOutlDlg& dlg)
{
    auto* list = qobject_cast<QComboBox*>(dlg.GetDlgItem(5034));
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(list->findData(ZUN::kOutlRect));
    typeAndLeave(qobject_cast<CZunEdit*>(dlg.GetDlgItem(1070)), QStringLiteral("250"));
    typeAndLeave(qobject_cast<CZunEdit*>(dlg.GetDlgItem(1071)), QStringLiteral("120"));
    clickOk(dlg);
}

// The tree offers the drawing's materials with their sub-materials: the
// galvanized steel below the sample's structural steel.
void chooseGalvanized(CZunMatTreeDlg& dlg)
{
    EXPECT_TRUE(dlg.tree()->selectMat(L"S235-GALV"));
    clickOk(dlg);
}

void chooseMetre(CZunUnitsDlg& dlg)
{
    for (int row = 0; row < dlg.list()->count(); ++row)
        if (dlg.list()->item(row)->data(Qt::UserRole).toInt() == ZUN::kUnitMeter)
            dlg.list()->setCurrentRow(row);
    clickOk(dlg);
}

void writeBothLabels(CZunLabelEdit& dlg)
{
    for (int row = 0; row < dlg.list()->GetItemCount(); ++row) {
        if (dlg.list()->rowCode(row) == CZunString(L"de"))
            dlg.list()->SetItemText(row, 1, L"Außenwand Nord");
        else if (dlg.list()->rowCode(row) == CZunString(L"en"))
            dlg.list()->SetItemText(row, 1, L"North outer wall");
    }
    clickOk(dlg);
}

// Drilling L1 moved to x = 60.
void moveDrilling(CZunHoleDialog& dlg)
{
    for (int row = 0; row < dlg.table()->rowCount(); ++row)
        if (dlg.table()->item(row, CZunHoleDialog::kName)->text() == QStringLiteral("L1"))
            dlg.table()->item(row, CZunHoleDialog::kX)->setData(Qt::EditRole, 60.0);
    dlg.buttons()->button(QDialogButtonBox::Ok)->click();
}

template <class D>
void cancel(D& dlg)
{
    dlg.reject();
}

// ---- the table ---------------------------------------------------------------------

class PartCommands;

struct CommandCase {
    const char* name;
    const char* part;  // handle selected first; "NEW" an outline plate added first
    bool (CZunHostPartCommands::*run)();
    // Arms the fixture to drive the dialog; accept or cancel.
    void (*drive)(PartCommands& test, bool accept);
    // Checks the accepted change on the shown drawing.
    void (*check)(PartCommands& test);
};

class PartCommands : public HostWindowFixture, public ::testing::WithParamInterface<CommandCase> {
public:
    CZunHostPartCommands& commands() { return *m_window->partCommands(); }
    QUndoStack& steps() { return *m_window->document().undoStack(); }
    const ZUN::CZunPart* part(const QString& handle) { return ZUN::drawingCurrent().partByHandle(toZun(handle)); }
    QString selected() const { return m_window->selectedPartHandle(); }

    // What a step may change: the drawing as it would be saved, and the unit shown.
    std::string state() const
    {
        return ZUN::drawingCurrent().toJson() + "\nunit " + std::to_string(m_window->document().displayUnit());
    }

    QString addOutlinePlate()
    {
        const CZunDataItem data = zunOutlinePartData(ZUN::kOutlRect, {300.0, 200.0}, CZunPoint3d(), 4, L"S235", 3);
        const QString handle = m_window->document().addPart(QStringLiteral("OUTLINE"), QStringLiteral("Plate"), data,
                                                             QStringLiteral("set-up"));
        steps().clear();
        return handle;
    }

    template <class D>
    void arm(void (*act)(D&), bool accept)
    {
        whenDialogOpens<D>([act, accept](D& dlg) {
            if (accept)
                act(dlg);
            else
                cancel(dlg);
        });
    }

    QString shownBefore;
    QImage pictureBefore;
};

template <class D, void (*Act)(D&)>
void driveWith(PartCommands& test, bool accept)
{
    test.arm<D>(Act, accept);
}

void newPartIsSelectedAndDrawn(PartCommands& t)
{
    const ZUN::CZunPart* added = t.part(t.selected());
    ASSERT_NE(added, nullptr) << "the new part is selected in the tree";
    EXPECT_EQ(added->type, CZunString(L"OUTLINE"));
    CZunArrayTempl<double> parms;
    ASSERT_TRUE(added->data.get(parms, CZunDataKey({L"GEN", L"PARM"})));
    ASSERT_EQ(parms.len(), 2);
    EXPECT_EQ(parms[0], 250.0);
    EXPECT_EQ(parms[1], 120.0);
    CZunString material;
    EXPECT_TRUE(added->data.get(material, CZunDataKey(L"MAT")));
    EXPECT_EQ(material, CZunString(L"S235"));
    EXPECT_GT(t.m_window->viewer()->get_dpList()->lenGet(), 0) << "its picture is shown";
}

void materialIsGalvanized(PartCommands& t)
{
    CZunString material;
    EXPECT_TRUE(t.part(t.selected())->data.get(material, CZunDataKey(L"MAT")));
    EXPECT_EQ(material, CZunString(L"S235-GALV"));
    EXPECT_NE(t.m_window->viewer()->renderImage(), t.pictureBefore) << "hatch and colour follow the material";
}

void unitIsMetre(PartCommands& t)
{
    EXPECT_EQ(t.m_window->document().displayUnit(), ZUN::kUnitMeter);
    QTest::mouseMove(t.m_window->viewer(), QPoint(50, 60));
    EXPECT_TRUE(t.m_window->cursorText().endsWith(QStringLiteral(" m"))) << t.m_window->cursorText().toStdString();
}

void labelIsInBothLanguages(PartCommands& t)
{
    CZunString label;
    ASSERT_TRUE(t.part(QStringLiteral("4D"))->data.get(label, CZunDataKey(L"LABEL")));
    EXPECT_EQ(ZUN::label_get(label, L"de", false), CZunString(L"Außenwand Nord"));
    EXPECT_EQ(ZUN::label_get(label, L"en", false), CZunString(L"North outer wall"));
    QTreeWidgetItem* node = t.m_window->partNode(QStringLiteral("4D"));
    EXPECT_EQ(node->text(2), QStringLiteral("Außenwand Nord"));
    t.m_window->setLanguage(QStringLiteral("en"));
    EXPECT_EQ(node->text(2), QStringLiteral("North outer wall")) << "the tree follows the language";
}

void drillingMoved(PartCommands& t)
{
    const CZunDataItem* machinings = t.part(QStringLiteral("D4"))->data.getItem(CZunDataKey(L"BT"));
    ASSERT_NE(machinings, nullptr);
    bool found = false;
    for (const CZunHoleRow& row : zunHoleRowsRead(*machinings))
        if (row.key == QStringLiteral("L1")) {
            found = true;
            EXPECT_EQ(row.x, 60.0);
        }
    EXPECT_TRUE(found);
    EXPECT_EQ(t.part(QStringLiteral("D4"))->data.getItem(CZunDataKey(L"HOLE")), nullptr)
        << "the bridge's copy of the machinings does not stay in the part";
    EXPECT_NE(t.m_window->viewer()->renderImage(), t.pictureBefore) << "the drilling moved in the picture";
}

const CommandCase kCommands[] = {
    {"NewOutlinePart", "", &CZunHostPartCommands::newOutlinePart, &driveWith<CZunOutlDlg, typeRectangle>,
     newPartIsSelectedAndDrawn},
    {"Material", "NEW", &CZunHostPartCommands::changeMaterial, &driveWith<CZunMatTreeDlg, chooseGalvanized>,
     materialIsGalvanized},
    {"Units", "", &CZunHostPartCommands::changeUnits, &driveWith<CZunUnitsDlg, chooseMetre>, unitIsMetre},
    {"Label", "4D", &CZunHostPartCommands::editLabel, &driveWith<CZunLabelEdit, writeBothLabels>,
     labelIsInBothLanguages},
    {"Machining", "D4", &CZunHostPartCommands::editMachinings, &driveWith<CZunHoleDialog, moveDrilling>,
     drillingMoved},
};

void selectCasePart(PartCommands& t, const CommandCase& c)
{
    QString handle = QString::fromLatin1(c.part);
    if (handle == QLatin1String("NEW"))
        handle = t.addOutlinePlate();
    if (!handle.isEmpty())
        t.m_window->showNode(t.m_window->partNode(handle));
}

} // namespace

TEST_P(PartCommands, AcceptedDialogIsOneStepThatUndoesAndRedoes)
{
    const CommandCase& c = GetParam();
    selectCasePart(*this, c);
    pictureBefore = m_window->viewer()->renderImage();
    const std::string before = state();
    const int count = steps().count();

    c.drive(*this, true);
    EXPECT_TRUE((commands().*c.run)());
    ASSERT_TRUE(sawDialog()) << "the module's dialog did not open";
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
    c.check(*this);
    const std::string after = state();
    ASSERT_TRUE(after != before) << "the command changed nothing";
    EXPECT_EQ(steps().count(), count + 1) << "one step for the whole command";
    EXPECT_TRUE(m_window->document().isModified());

    steps().undo();
    EXPECT_TRUE(state() == before) << "not as before";
    steps().redo();
    EXPECT_TRUE(state() == after) << "not as after";
}

TEST_P(PartCommands, CancelledDialogChangesNothing)
{
    const CommandCase& c = GetParam();
    selectCasePart(*this, c);
    const std::string before = state();
    const int count = steps().count();

    c.drive(*this, false);
    EXPECT_FALSE((commands().*c.run)());
    ASSERT_TRUE(sawDialog());
    EXPECT_TRUE(state() == before) << "not as before";
    EXPECT_EQ(steps().count(), count);
}

INSTANTIATE_TEST_SUITE_P(Each, PartCommands, ::testing::ValuesIn(kCommands),
                         [](const ::testing::TestParamInfo<CommandCase>& info) { return info.param.name; });

// ---- enabled commands, help, language ----------------------------------------------------

namespace {

struct EnabledCase {
    const char* node;  // part handle, or "" for the drawing node
    bool material;
    bool machining;
};

class PartCommandsEnabled : public HostWindowFixture, public ::testing::WithParamInterface<EnabledCase> {};

} // namespace

TEST_P(PartCommandsEnabled, CommandsThatNeedAPartWaitForOne)
{
    const EnabledCase& c = GetParam();
    QTreeWidgetItem* node = *c.node ? m_window->partNode(QString::fromLatin1(c.node)) : m_window->drawingNode();
    ASSERT_NE(node, nullptr);
    m_window->showNode(node);
    const CZunHostPartCommands& commands = *m_window->partCommands();
    EXPECT_EQ(commands.materialAction()->isEnabled(), c.material);
    EXPECT_EQ(commands.labelAction()->isEnabled(), c.material);
    EXPECT_EQ(commands.machiningAction()->isEnabled(), c.machining);
    EXPECT_TRUE(commands.newOutlineAction()->isEnabled());
    EXPECT_TRUE(commands.unitsAction()->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Nodes, PartCommandsEnabled,
                         ::testing::Values(EnabledCase{"", false, false}, EnabledCase{"4D", true, false},
                                           EnabledCase{"D4", true, true}));

namespace {

struct HelpCase {
    const char* name;
    const char* part;
    bool (CZunHostPartCommands::*run)();
    const char* topic;
    // Presses F1 in the dialog, then cancels it.
    void (*drive)(HostWindowFixture& test);
};

template <class D>
void pressF1AndCancel(HostWindowFixture& test)
{
    test.whenDialogOpens<D>([](D& dlg) {
        QTest::keyClick(dlg.focusWidget() ? dlg.focusWidget() : &dlg, Qt::Key_F1);
        dlg.reject();
    });
}

class PartCommandsHelp : public HostWindowFixture, public ::testing::WithParamInterface<HelpCase> {
public:
    using HostWindowFixture::whenDialogOpens;
};

} // namespace

TEST_P(PartCommandsHelp, F1InTheDialogOpensItsPage)
{
    const HelpCase& c = GetParam();
    if (*c.part)
        m_window->showNode(m_window->partNode(QString::fromLatin1(c.part)));
    QStringList opened;
    m_window->partCommands()->setHelpOpener([&](QWidget*, const CZunString& file, const CZunString& topic) {
        opened.append(QStringLiteral("%1 %2").arg(QFileInfo(fromZun(file)).fileName(), fromZun(topic)));
        return true;
    });
    c.drive(*this);
    (m_window->partCommands()->*c.run)();
    ASSERT_TRUE(sawDialog());
    EXPECT_EQ(opened, QStringList{QStringLiteral("Zun.qch ") + QString::fromLatin1(c.topic)});
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, PartCommandsHelp,
    ::testing::Values(
        HelpCase{"Outline", "", &CZunHostPartCommands::newOutlinePart, "outline", &pressF1AndCancel<CZunOutlDlg>},
        HelpCase{"Material", "4D", &CZunHostPartCommands::changeMaterial, "material", &pressF1AndCancel<CZunMatTreeDlg>},
        HelpCase{"Units", "", &CZunHostPartCommands::changeUnits, "units", &pressF1AndCancel<CZunUnitsDlg>},
        HelpCase{"Label", "4D", &CZunHostPartCommands::editLabel, "label", &pressF1AndCancel<CZunLabelEdit>},
        HelpCase{"Machining", "D4", &CZunHostPartCommands::editMachinings, "machining",
                 &pressF1AndCancel<CZunHoleDialog>}),
    [](const ::testing::TestParamInfo<HelpCase>& info) { return info.param.name; });

namespace {
class PartMenu : public HostWindowFixture {};
} // namespace

TEST_F(PartMenu, F1InTheMainWindowOpensTheStartPage)
{
    QStringList opened;
    m_window->partCommands()->setHelpOpener([&](QWidget* owner, const CZunString&, const CZunString& topic) {
        opened.append(fromZun(topic));
        return owner == m_window.get();
    });
    m_window->activateWindow();
    QTest::keyClick(m_window.get(), Qt::Key_F1);
    EXPECT_EQ(opened, QStringList{QStringLiteral("dialogs")});
}

TEST_F(PartMenu, MenuAndTreeLabelsFollowTheLanguage)
{
    QMenu* menu = m_window->findChild<QMenu*>(QStringLiteral("partMenu"));
    ASSERT_NE(menu, nullptr);
    QTreeWidgetItem* plate = m_window->partNode(QStringLiteral("D4"));
    EXPECT_EQ(menu->title(), QStringLiteral("&Teil"));
    EXPECT_EQ(m_window->partCommands()->labelAction()->text(), QStringLiteral("&Bezeichnung …"));
    EXPECT_EQ(plate->text(2), QStringLiteral("Fußplatte 300x400x25, Lochbild"));
    EXPECT_EQ(m_window->tree()->headerItem()->text(2), QStringLiteral("Bezeichnung"));
    m_window->setLanguage(QStringLiteral("en"));
    EXPECT_EQ(menu->title(), QStringLiteral("&Part"));
    EXPECT_EQ(m_window->partCommands()->labelAction()->text(), QStringLiteral("&Label …"));
    EXPECT_EQ(plate->text(2), QStringLiteral("Column base plate 300x400x25, hole pattern"));
    EXPECT_EQ(m_window->tree()->headerItem()->text(2), QStringLiteral("Label"));
}

// The window starts with the tree focused: a start in the search field
// would keep Ctrl+Z and Ctrl+Y from the window (the field takes them).
TEST_F(PartMenu, StartsWithTheTreeFocusedSoThatUndoReachesTheWindow)
{
    EXPECT_EQ(m_window->focusWidget(), m_window->tree());
}

namespace {
// How many groups of the shown picture a click can pick.
int pickableGroups(CZunHostWindow& window)
{
    int count = 0;
    for (int group = 0; group < 200; ++group)
        count += window.pickGroup(group) ? 1 : 0;
    return count;
}
} // namespace

// The overview is kept while the drawing is open: a part added or taken
// away must not leave it showing the parts as they were.
TEST_F(PartMenu, TheOverviewFollowsPartsAddedAndTakenAway)
{
    m_window->showNode(m_window->drawingNode());
    const int before = pickableGroups(*m_window);
    ASSERT_GT(before, 0);
    const QString handle = m_window->document().addPart(
        QStringLiteral("OUTLINE"), QStringLiteral("Plate"),
        zunOutlinePartData(ZUN::kOutlCircle, {80.0}, CZunPoint3d(), 4, CZunString(), 3), QStringLiteral("add"));
    ASSERT_FALSE(handle.isEmpty());
    m_window->showNode(m_window->drawingNode());
    EXPECT_EQ(pickableGroups(*m_window), before + 1);
    m_window->document().undoStack()->undo();
    m_window->showNode(m_window->drawingNode());
    EXPECT_EQ(pickableGroups(*m_window), before);
}

TEST_F(PartMenu, UndoingANewPartTakesItOutOfTheTreeAndTheSavedFile)
{
    const QString handle = m_window->document().addPart(
        QStringLiteral("OUTLINE"), QStringLiteral("Plate"),
        zunOutlinePartData(ZUN::kOutlCircle, {80.0}, CZunPoint3d(), 4, CZunString(), 3), QStringLiteral("add"));
    ASSERT_FALSE(handle.isEmpty());
    ASSERT_NE(m_window->partNode(handle), nullptr);
    EXPECT_EQ(m_window->selectedPartHandle(), handle);
    ASSERT_TRUE(m_window->saveDrawing());
    ZUN::CZunDrawing saved;
    ASSERT_TRUE(saved.load(toZun(drawingPath())));
    ASSERT_NE(saved.partByHandle(toZun(handle)), nullptr);
    EXPECT_EQ(saved.partByHandle(toZun(handle))->type, CZunString(L"OUTLINE"));

    m_window->document().undoStack()->undo();
    EXPECT_EQ(m_window->partNode(handle), nullptr);
    EXPECT_EQ(m_window->tree()->currentItem(), m_window->drawingNode());
    ASSERT_TRUE(m_window->saveDrawing());
    ASSERT_TRUE(saved.load(toZun(drawingPath())));
    EXPECT_EQ(saved.partByHandle(toZun(handle)), nullptr);
}

TEST_F(PartMenu, TheDisplayUnitStaysWithTheDrawing)
{
    ASSERT_TRUE(m_window->document().setDisplayUnit(ZUN::kUnitCentimeter, QStringLiteral("unit")));
    ASSERT_TRUE(m_window->saveDrawing());
    ASSERT_TRUE(QFile::copy(kSampleDrawing, path("other.json")));
    ASSERT_TRUE(m_window->openDrawing(path("other.json")));
    EXPECT_EQ(m_window->document().displayUnit(), ZUN::kUnitMillimeter) << "another drawing: its own unit";
    ASSERT_TRUE(m_window->openDrawing(drawingPath()));
    EXPECT_EQ(m_window->document().displayUnit(), ZUN::kUnitCentimeter);
    EXPECT_FALSE(m_window->document().isModified());
}
