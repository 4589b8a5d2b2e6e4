// Enter moves to the next edit field in tab order (wrapping), a field
// without another one validates itself in place and keeps the focus, Page
// Up jumps to the first edit field; fields that handle Enter keep it.
#include "tests/ui/ui_test_util.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLayout>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

// The widget that holds the focus for a field id (an editable combo box
// hands it to its line edit).
QWidget* focusOf(CZunDlg& dlg, int id)
{
    QWidget* w = dlg.GetDlgItem(id);
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit())
        return combo->lineEdit();
    return w;
}

int focusedField(CZunDlg& dlg)
{
    for (int id : {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1, 2}) {
        QWidget* w = dlg.GetDlgItem(id);
        if (w && (w->hasFocus() || (focusOf(dlg, id) && focusOf(dlg, id)->hasFocus())))
            return id;
    }
    return 0;
}

// Counts how often a field lost the focus: the moment a field validates.
class FocusOutCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut)
            ++count;
        return false;
    }
};

} // namespace

struct KeyCase {
    const char* name;
    int start;
    Qt::Key key;
    std::vector<int> hidden;    // fields hidden for the case
    std::vector<int> disabled;  // fields disabled for the case
    int expected;
};

void PrintTo(const KeyCase& c, std::ostream* os)
{
    *os << c.name;
}

class NavigationKeyTest : public DlgTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(NavigationKeyTest, MovesTheFocusBetweenEditFields)
{
    const KeyCase& c = GetParam();
    ASSERT_TRUE(dlg.Create());
    for (int id : c.hidden)
        dlg.GetDlgItem(id)->hide();
    for (int id : c.disabled)
        dlg.GetDlgItem(id)->setEnabled(false);
    ASSERT_TRUE(showActive(&dlg));
    focusOf(dlg, c.start)->setFocus();
    ASSERT_EQ(focusedField(dlg), c.start);
    int accepted = 0;
    QObject::connect(&dlg, &QDialog::finished, [&](int) { ++accepted; });

    QTest::keyClick(QApplication::focusWidget(), c.key);
    EXPECT_EQ(focusedField(dlg), c.expected);
    EXPECT_EQ(accepted, 0) << "Enter in a field never ends the dialog";
    EXPECT_TRUE(dlg.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, NavigationKeyTest,
    ::testing::Values(
        KeyCase{"enter_next", 1001, Qt::Key_Return, {}, {}, 1002},
        KeyCase{"enter_into_group", 1002, Qt::Key_Enter, {}, {}, 1003},
        KeyCase{"enter_to_combo", 1003, Qt::Key_Return, {}, {}, 1004},
        KeyCase{"enter_from_combo", 1004, Qt::Key_Return, {}, {}, 1006},
        KeyCase{"enter_skips_disabled", 1001, Qt::Key_Return, {}, {1002}, 1003},
        KeyCase{"enter_skips_hidden", 1003, Qt::Key_Return, {1004}, {}, 1006},
        KeyCase{"enter_wraps", 1004, Qt::Key_Return, {1006}, {}, 1001},
        KeyCase{"page_up", 1004, Qt::Key_PageUp, {}, {}, 1001},
        KeyCase{"page_up_first_visible", 1003, Qt::Key_PageUp, {1001}, {}, 1002},
        KeyCase{"page_up_in_first", 1001, Qt::Key_PageUp, {}, {}, 1001}),
    [](const auto& info) { return std::string(info.param.name); });

class NavigationKeys : public DlgTest {};

TEST_F(NavigationKeys, EnterInTheOnlyFieldValidatesItAndKeepsTheFocus)
{
    CTestDlg fixed(kTplFixed);
    ASSERT_TRUE(fixed.Create());
    ASSERT_TRUE(showActive(&fixed));
    QWidget* field = fixed.GetDlgItem(1001);
    field->setFocus();
    ASSERT_TRUE(field->hasFocus());
    FocusOutCounter validations;
    field->installEventFilter(&validations);
    int finished = 0;
    QObject::connect(&fixed, &QDialog::finished, [&](int) { ++finished; });

    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(validations.count, 1) << "the field lost the focus once: it validated itself";
    EXPECT_TRUE(field->hasFocus()) << "and has it back";
    EXPECT_EQ(finished, 0) << "the default button did not end the dialog";
}

TEST_F(NavigationKeys, EnterInTheLastFieldWithTheOthersDisabledStaysThere)
{
    ASSERT_TRUE(dlg.Create());
    for (int id : {1001, 1002, 1003, 1004})
        dlg.GetDlgItem(id)->setEnabled(false);
    ASSERT_TRUE(showActive(&dlg));
    auto* notes = qobject_cast<QPlainTextEdit*>(dlg.GetDlgItem(1006));
    notes->setProperty("dlgWantReturn", false);  // here a one-line field
    notes->setFocus();
    FocusOutCounter validations;
    notes->installEventFilter(&validations);
    QTest::keyClick(notes, Qt::Key_Return);
    EXPECT_EQ(validations.count, 1);
    EXPECT_TRUE(notes->hasFocus());
    EXPECT_TRUE(notes->toPlainText().isEmpty()) << "the key went to navigation, not into the text";
}

TEST_F(NavigationKeys, AFieldThatWantsEnterGetsIt)
{
    ASSERT_TRUE(shown());
    auto* notes = qobject_cast<QPlainTextEdit*>(dlg.GetDlgItem(1006));
    notes->setFocus();
    QTest::keyClicks(notes, "a");
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, "b");
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("a\nb"));
    EXPECT_TRUE(notes->hasFocus());
    // Page Up, too, is the text's own there.
    QTest::keyClick(notes, Qt::Key_PageUp);
    EXPECT_TRUE(notes->hasFocus());
}

TEST_F(NavigationKeys, EnterOnAButtonOrAListIsTheDialogsDefault)
{
    ASSERT_TRUE(shown());
    dlg.GetDlgItem(1005)->setFocus();  // a drop-down list is no edit field
    int result = -1;
    QObject::connect(&dlg, &QDialog::finished, [&](int r) { result = r; });
    QTest::keyClick(dlg.GetDlgItem(1005), Qt::Key_Return);
    EXPECT_EQ(result, IDOK);
}

TEST_F(NavigationKeys, EscapeCancels)
{
    whenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

// ---- pages of a tab control -------------------------------------------------

namespace {

// A tab control of ours: it answers the keys its pages hand over.
class KeyTabs : public QTabWidget {
    Q_OBJECT
public:
    using QTabWidget::QTabWidget;
    QList<int> keys;
    bool handles = true;
    Q_INVOKABLE bool PreTranslateMessage(QKeyEvent* event)
    {
        keys << event->key();
        return handles;
    }
};

} // namespace

TEST(TabPageKeys, CtrlTabAndEnterOfAPageGoToItsTabControl)
{
    CTestSettings settings;
    CTestDlg host(kTplFields);
    auto* tabs = new KeyTabs(&host);
    host.layout()->addWidget(tabs);
    auto* page = new CZunTabPage(kTplPage, tabs);
    tabs->addTab(page, QStringLiteral("Seite"));
    tabs->addTab(new QWidget, QStringLiteral("Andere"));
    ASSERT_TRUE(host.Create());
    ASSERT_TRUE(page->Create());
    ASSERT_TRUE(showActive(&host));
    QWidget* field = page->GetDlgItem(1001);
    field->setFocus();
    ASSERT_TRUE(field->hasFocus());

    QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(tabs->keys, (QList<int>{Qt::Key_Tab, Qt::Key_Return}));
    EXPECT_TRUE(field->hasFocus()) << "the tab control used the keys";

    // Not used by the tab control: Enter goes on as usual and ends the
    // hosting dialog through its default button.
    tabs->handles = false;
    QList<int> results;
    QObject::connect(&host, &QDialog::finished, [&](int r) { results << r; });
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(results, QList<int>{IDOK});
    // Escape in a page cancels the hosting dialog, not the page.
    host.show();
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(results, (QList<int>{IDOK, IDCANCEL}));
    EXPECT_TRUE(page->isVisibleTo(&host));
    page->DestroyWindow();
    host.DestroyWindow();
}

#include "test_dlg_keyboard.moc"
