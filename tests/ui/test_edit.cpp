// The numeric edit in a real dialog: typed into with keys, left with Tab
// or a click elsewhere, its message box read and dismissed, the focus
// looked at afterwards.
#include "tests/ui/edit_test_util.h"

#include "contracts/data/zun_msg.h"
#include "contracts/data/zun_units.h"
#include "ui/zun_subclass.h"

#include <QLayout>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr double kPi = 3.141592653589793;

enum class LeaveBy { Tab, Click };

struct EditLeaveCase {
    const char* name;
    const wchar_t* language;
    int type;
    unsigned short flags;
    double lo, hi;
    const char* typed;  // empty: the text is deleted
    LeaveBy leave;
    const char* message;  // empty: no message box
    const char* title;
    const char* textAfter;
    double valueAfter;
};

} // namespace

class EditLeave : public CFieldsDlgTest, public ::testing::WithParamInterface<EditLeaveCase> {};

TEST_P(EditLeave, ChecksWhenTheUserLeaves)
{
    const EditLeaveCase& c = GetParam();
    const CMsgLanguage language(c.language);
    CZunEdit* field = c.type == CZunEdit::kAngle ? angle : length;
    field->setEditFlags(static_cast<CZunEdit::type>(c.type), c.flags, 2, c.lo, c.hi);
    if (c.type == CZunEdit::kLength)
        field->setLUnits(ZUN::kUnitMeter, ZUN::kUnitMillimeter);
    field->setKey(L"Auto", -1.0);
    field->setVal(c.type == CZunEdit::kAngle ? kPi / 2 : 1.5);

    CBoxWatcher boxes;
    typeInto(field, c.typed);
    QWidget* other = c.type == CZunEdit::kAngle ? static_cast<QWidget*>(count) : angle;
    if (c.leave == LeaveBy::Tab)
        QTest::keyClick(field, Qt::Key_Tab);
    else
        QTest::mouseClick(other, Qt::LeftButton, {}, other->rect().center());

    if (*c.message) {
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(boxes.seen[0].title, QString::fromUtf8(c.title));
        EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Critical);
        EXPECT_EQ(boxes.seen[0].owner, field);  // owned by the field
        EXPECT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 2000)) << "the focus did not come back";
    } else {
        EXPECT_TRUE(boxes.seen.empty());
        EXPECT_TRUE(QTest::qWaitFor([&] { return other->hasFocus(); }, 2000));
    }
    EXPECT_EQ(field->text(), QString::fromUtf8(c.textAfter));
    double v = 0;
    ASSERT_TRUE(field->getVal(v));
    EXPECT_NEAR(v, c.valueAfter, 1e-12);
}

constexpr unsigned short kReq = ZUN::kFlagRequired | ZUN::kFlagCompact;
constexpr unsigned short kRange = kReq | ZUN::kFlagRange;
constexpr unsigned short kNotNeg = kReq | ZUN::kFlagNotNegative;

INSTANTIATE_TEST_SUITE_P(
    Fields, EditLeave,
    ::testing::Values(
        EditLeaveCase{"mm_typed", L"de", 2, kReq, -1e9, 1e9, "2500", LeaveBy::Tab, "", "", "2500", 2.5},
        EditLeaveCase{"angle_typed", L"de", 3, kReq, -1e9, 1e9, "45", LeaveBy::Tab, "", "", "45\u00B0", kPi / 4},
        EditLeaveCase{"name_any_case", L"de", 2, kNotNeg, -1e9, 1e9, "aUTO", LeaveBy::Click, "", "", "Auto", -1.0},
        EditLeaveCase{"required_de", L"de", 2, kReq, -1e9, 1e9, "", LeaveBy::Tab, "Eintragung notwendig", "Fehler", "1500", 1.5},
        EditLeaveCase{"required_en", L"en", 2, kReq, -1e9, 1e9, "", LeaveBy::Click, "Entry required", "Error", "1500", 1.5},
        EditLeaveCase{"range_over", L"de", 2, kRange, 0, 10, "12000", LeaveBy::Click,
                      "Wert darf nicht größer sein als 10000", "Fehler", "10000", 10.0},
        EditLeaveCase{"range_under_en", L"en", 2, kRange, 0.5, 10, "100", LeaveBy::Tab,
                      "Value must not be less than 500", "Error", "500", 0.5},
        EditLeaveCase{"not_negative", L"de", 2, kNotNeg, -1e9, 1e9, "-3", LeaveBy::Tab, "Wert darf nicht negativ sein",
                      "Fehler", "1500", 1.5},
        EditLeaveCase{"unparseable", L"de", 2, kReq, -1e9, 1e9, "zwei", LeaveBy::Click, "Ungültige Zahl", "Fehler", "1500",
                      1.5},
        EditLeaveCase{"unparseable_en", L"en", 3, kReq, -1e9, 1e9, "x", LeaveBy::Tab, "Invalid number", "Error", "90\u00B0",
                      kPi / 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CFieldsDlgTest, LeavingUnchangedNeverChecks)
{
    length->setEditFlags(CZunEdit::kLength, kRange, 2, 0.0, 10.0);
    length->setVal(50.0);  // out of range, set by program
    CBoxWatcher boxes;
    length->setFocus();
    QTest::keyClick(length, Qt::Key_Tab);
    EXPECT_TRUE(QTest::qWaitFor([&] { return angle->hasFocus(); }, 2000));
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(length->text(), QString("50"));
}

TEST_F(CFieldsDlgTest, SetValIsNoUserChange)
{
    length->setEditFlags(CZunEdit::kLength, kReq, 2, 0, 0);
    length->setVal(1.0);
    EXPECT_FALSE(length->isModified());
    typeInto(length, "12");
    ASSERT_TRUE(length->isModified());
    length->setVal(3.0);
    EXPECT_TRUE(length->isModified());  // the user's change is still pending
    EXPECT_EQ(length->text(), QString("3"));
}

TEST_F(CFieldsDlgTest, FocusSelectsAllAndClearsTheModifiedFlag)
{
    length->setEditFlags(CZunEdit::kLength, kReq, 2, 0, 0);
    length->setVal(123.5);
    angle->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return angle->hasFocus(); }, 2000));
    length->setModified(true);
    length->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return length->hasFocus(); }, 2000));
    EXPECT_EQ(length->selectedText(), QString("123.5"));
    EXPECT_FALSE(length->isModified());
}

TEST_F(CFieldsDlgTest, IntegerFieldTruncatesTypedDecimals)
{
    count->setEditFlags(CZunEdit::kInteger, kRange, 0, 1, 100);
    count->setVal(5);
    CBoxWatcher boxes;
    typeInto(count, "42.9");
    QTest::keyClick(count, Qt::Key_Tab);
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(count->text(), QString("42"));
    int n = 0;
    ASSERT_TRUE(count->getVal(n));
    EXPECT_EQ(n, 42);
}

TEST_F(CFieldsDlgTest, EnterInTheLastFieldValidatesInPlace)
{
    // The dialog's Enter moves to the next edit field; the combo box and
    // the plain field follow, so Enter on the length leaves it.
    length->setEditFlags(CZunEdit::kLength, kRange, 2, 0.0, 10.0);
    length->setVal(1.0);
    CBoxWatcher boxes;
    typeInto(length, "99");
    QTest::keyClick(length, Qt::Key_Return);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, QString("Wert darf nicht größer sein als 10"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return length->hasFocus(); }, 2000));
    EXPECT_EQ(length->text(), QString("10"));
}

TEST(EditSetup, OperationsAndTheirResults)
{
    CZunEdit edit;
    EXPECT_FALSE(edit.setFormat(0));
    EXPECT_TRUE(edit.setFormat(5));
    EXPECT_TRUE(edit.setEditFlags(CZunEdit::kLength, 0x0009, 3, 7.0, -2.0));
    CZunEdit::type t;
    unsigned short flags = 0, decimals = 0;
    double lo = 0, hi = 0;
    ASSERT_TRUE(edit.getEditFlags(t, flags, decimals, lo, hi));
    EXPECT_EQ(t, CZunEdit::kLength);
    EXPECT_EQ(flags, 0x0009);
    EXPECT_EQ(decimals, 3);
    EXPECT_EQ(lo, -2.0);
    EXPECT_EQ(hi, 7.0);
    EXPECT_TRUE(edit.setLUnits(ZUN::kUnitMeter, ZUN::kUnitCentimeter));
    EXPECT_FALSE(edit.setLUnits(ZUN::kUnitMeter, 77));  // no such unit: 1:1
    EXPECT_TRUE(edit.setFormat(2));
    edit.setVal(2.0);
    EXPECT_EQ(edit.text(), QString("2.000"));
    EXPECT_TRUE(edit.setKey(L"Standard", 2.0));
    edit.setVal(2.0);
    EXPECT_EQ(edit.text(), QString("Standard"));
    EXPECT_TRUE(edit.removeKeys());
    edit.setVal(2.0);
    EXPECT_EQ(edit.text(), QString("2.000"));
    // NaN and infinities set by program show nothing and read as no value.
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        edit.setVal(bad);
        EXPECT_EQ(edit.text(), QString());
        double v = 1;
        EXPECT_FALSE(edit.getVal(v));
    }
}

// ---- templates ------------------------------------------------------------------------------

TEST(EditTemplate, PromotedFieldsAreOursAlready)
{
    CFieldsDlgTest::registerTemplate();
    CTestSettings settings;
    CTestDlg dlg(kTplEditFields, nullptr);
    QWidget* length = dlg.GetDlgItem(1101);
    ASSERT_NE(qobject_cast<CZunEdit*>(length), nullptr);
    EXPECT_EQ(ZUN::subclassDlgItem<CZunEdit>(&dlg, 1101), length);
    EXPECT_NE(qobject_cast<CZunComboBox*>(dlg.GetDlgItem(1104)), nullptr);
}

TEST(EditTemplate, SubclassReplacesAPlainFieldInPlace)
{
    CTestSettings settings;
    CTestDlg dlg(kTplFields, nullptr);
    auto* old = qobject_cast<QLineEdit*>(dlg.GetDlgItem(1002));
    ASSERT_NE(old, nullptr);
    old->setText("alt");
    old->setToolTip("Tipp");
    QLayout* layout = old->parentWidget()->layout();
    const int place = layout->indexOf(old);

    CZunEdit* edit = ZUN::subclassDlgItem<CZunEdit>(&dlg, 1002);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(dlg.GetDlgItem(1002), edit);
    EXPECT_EQ(edit->objectName(), QString("second"));
    EXPECT_EQ(edit->text(), QString("alt"));
    EXPECT_EQ(edit->toolTip(), QString("Tipp"));
    EXPECT_EQ(layout->indexOf(edit), place);
    EXPECT_EQ(dlg.findChildren<QLineEdit*>("second").size(), 1);  // the old one is gone

    // The tab order runs first -> the new field -> third, as before.
    ASSERT_TRUE(showActive(&dlg));
    dlg.GetDlgItem(1001)->setFocus();
    QTest::keyClick(dlg.GetDlgItem(1001), Qt::Key_Tab);
    EXPECT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }, 2000));
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.GetDlgItem(1003)->hasFocus(); }, 2000));

    // And it works as a field of the dialog.
    edit->setEditFlags(CZunEdit::kLength, kRange, 2, 0, 5);
    edit->setVal(1.0);
    CBoxWatcher boxes;
    typeInto(edit, "7");
    QTest::keyClick(edit, Qt::Key_Tab);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, QString("Wert darf nicht größer sein als 5"));
    dlg.hide();

    EXPECT_EQ(ZUN::subclassDlgItem<CZunEdit>(&dlg, 4711), nullptr);
}

TEST_F(CFieldsDlgTest, ClickOnOkWithARefusedEntryDoesNotClose)
{
    length->setEditFlags(CZunEdit::kLength, kRange, 2, 0.0, 10.0);
    length->setVal(1.0);
    CBoxWatcher boxes;
    typeInto(length, "99");
    QWidget* ok = dlg->GetDlgItem(IDOK);
    QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return length->hasFocus(); }, 2000));
    EXPECT_TRUE(dlg->isVisible()) << "the click that was refused closed the dialog";
    EXPECT_EQ(length->text(), QString("10"));

    // The next click is an ordinary one: the value is valid now.
    QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg->isVisible(); }, 2000));
    EXPECT_EQ(boxes.seen.size(), 1u);
}

TEST_F(CFieldsDlgTest, KillFocusFollowsEveryCheck)
{
    length->setEditFlags(CZunEdit::kLength, kRange, 2, 0.0, 10.0);
    length->setVal(1.0);
    std::vector<bool> refusals;
    QObject::connect(length, &CZunEdit::killFocus, [&](bool refused) {
        refusals.push_back(refused);
        // What the receiver reads is the checked value.
        double v = 0;
        length->getVal(v);
        EXPECT_EQ(v, refused ? 10.0 : 4.0);
    });
    CBoxWatcher boxes;
    typeInto(length, "99");
    QTest::keyClick(length, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return length->hasFocus(); }, 2000));
    typeInto(length, "4");
    QTest::keyClick(length, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return angle->hasFocus(); }, 2000));
    EXPECT_EQ(refusals, (std::vector<bool>{true, false}));
    EXPECT_EQ(boxes.seen.size(), 1u);
}
