// The outline dialog driven as a user would: it runs modally through
// dlgOutline, the test types into its fields, turns signs, switches ranges,
// filters the list and presses OK or Cancel, and checks the record that
// comes back.

#include "dialogs/zun_mat_tree_dlg.h"
#include "dialogs/zun_outl_dlg.h"
#include "tests/dialogs/field_typing.h"

#include "contracts/data/zun_material.h"
#include "contracts/data/zun_msg.h"
#include "contracts/data/zun_outline.h"
#include "gdx/zun_gdx.h"
#include "render/qt/zun_dplist_image.h"
#include "ui/zun_dlg_item.h"
#include "ui/zun_edit.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using namespace ZUN;

constexpr double kPi = 3.14159265358979323846;

// The modal dialog that is not `outer` once it is active; null after two
// seconds.
QDialog* waitForModal(QWidget* outer = nullptr)
{
    QDialog* modal = nullptr;
    QTest::qWaitFor(
        [&] {
            modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            return modal && modal != outer && modal->isVisible();
        },
        2000);
    if (modal == outer)
        return nullptr;
    if (modal && !QTest::qWaitForWindowActive(modal))
        qWarning("the modal window did not become active");
    return modal;
}

// Runs dlgOutline with action working in the open dialog; the action ends
// the dialog (OK or Cancel). A dialog the action leaves open is cancelled so
// that a failing test does not hang.
int runOutline(outlineData& data, CZunDataItem* catalogue, std::function<void(CZunOutlDlg&)> action,
               const wchar_t* country = L"de")
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CZunOutlDlg*>(waitForModal());
        if (!dlg)
            return;
        ran = true;
        action(*dlg);
        if (dlg->isVisible())
            dlg->reject();
    });
    DlgEnv_st env;
    env.country = country;
    const int result = dlgOutline(env, data, catalogue);
    EXPECT_TRUE(ran) << "the dialog did not open";
    return result;
}

CZunEdit* field(CZunOutlDlg& dlg, int id) { return qobject_cast<CZunEdit*>(dlg.GetDlgItem(id)); }
QPushButton* button(CZunOutlDlg& dlg, int id) { return qobject_cast<QPushButton*>(dlg.GetDlgItem(id)); }
QComboBox* outlineList(CZunOutlDlg& dlg) { return qobject_cast<QComboBox*>(dlg.GetDlgItem(5034)); }

double valueOf(CZunEdit* edit)
{
    double v = std::nan("");
    if (edit)
        edit->getVal(v);
    return v;
}

void pressOk(CZunOutlDlg& dlg) { button(dlg, 1)->click(); }

// The catalogue with the default outlines.
CZunDataItem defaultCatalogue()
{
    CZunDataItem catalogue(true);
    zunOutlineInit(&catalogue);
    return catalogue;
}

// A name of the catalogue in a language: the outline's label (path empty)
// or a name below the outline.
QString catalogueName(const CZunDataItem& catalogue, int key, const wchar_t* path, const wchar_t* language)
{
    CZunString label;
    catalogue.get(label, CZunDataKey(key).append(CZunDataKey(path)));
    return QString::fromStdWString(label_get(label, language).c_str());
}

double defaultOf(const CZunDataItem& catalogue, int key, int parm, int range)
{
    double v = 0.0;
    catalogue.get(v, CZunDataKey({CZunItemKey(key), CZunItemKey(CZunString::formatted(L"PARM%d", parm)),
                                  CZunItemKey(CZunString::formatted(L"VAL%d", range))}));
    return v;
}

class OutlineDlgTest : public ::testing::Test {
protected:
    void SetUp() override { CZunOutlDlg::clearParmMemory(); }
    void TearDown() override { CZunOutlDlg::clearParmMemory(); }
};

} // namespace

// ---- entry and catalogue ------------------------------------------------------------

TEST_F(OutlineDlgTest, NoCatalogueGivesZeroAndNoDirectoryGivesCancelWithoutAWindow)
{
    outlineData data;
    data.outline = 7;
    EXPECT_EQ(dlgOutline(DlgEnv_st(), data, nullptr), 0);
    CZunDataItem notADirectory;
    notADirectory.set(5);
    bool shown = false;
    QTimer::singleShot(0, [&] { shown = waitForModal() != nullptr; });
    EXPECT_EQ(dlgOutline(DlgEnv_st(), data, &notADirectory), IDCANCEL);
    QTest::qWait(50);
    EXPECT_FALSE(shown);
    EXPECT_EQ(data.outline, 7);
    EXPECT_FALSE(notADirectory.isDir());
}

TEST_F(OutlineDlgTest, AnEmptyCatalogueIsFilledWithTheDefaultOutlinesAndOkReturnsTheChoice)
{
    CZunDataItem catalogue(true);
    outlineData data;
    data.outline = 1;
    data.range = 3;
    const int result = runOutline(data, &catalogue, [](CZunOutlDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Kontur"));
        QComboBox* list = outlineList(dlg);
        EXPECT_EQ(list->count(), g_outline_keys().len());
        EXPECT_EQ(list->currentData().toInt(), 1);
        pressOk(dlg);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(catalogue.childCount(), g_outline_keys().len());
    const CZunDataItem expected = defaultCatalogue();
    int txtGen = 0;
    expected.get(txtGen, CZunDataKey(1).append(CZunDataKey(L"TXTGEN")));
    EXPECT_EQ(data.outline, 1);
    EXPECT_EQ(data.txtGen, txtGen);
    EXPECT_EQ(data.range, 3);
    ASSERT_EQ(data.parms.len(), 2);
    EXPECT_DOUBLE_EQ(data.parms[0], defaultOf(expected, 1, 1, 3));
    EXPECT_DOUBLE_EQ(data.parms[1], defaultOf(expected, 1, 2, 3));
}

TEST_F(OutlineDlgTest, CancelLeavesTheRecordAsItWas)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.outline = 2;
    data.parms.append(42.0);
    data.basePt = CZunPoint3d(1, 2, 0);
    const int result = runOutline(data, &catalogue, [](CZunOutlDlg& dlg) {
        outlineList(dlg)->setCurrentIndex(4);
        typeAndLeave(field(dlg, 5015), QStringLiteral("99"));
        button(dlg, 2)->click();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(data.outline, 2);
    ASSERT_EQ(data.parms.len(), 1);
    EXPECT_EQ(data.parms[0], 42.0);
    EXPECT_EQ(data.basePt.x, 1.0);
}

// ---- filter ---------------------------------------------------------------------------

namespace {

struct FilterCase {
    const char* name;
    int before;
    int toggled;  // filter entries clicked, bit i for entry i
    bool ok;
    int after;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

int outlinesWith(const CZunDataItem& catalogue, int mask)
{
    int n = 0;
    for (int i = 0; i < catalogue.childCount(); ++i) {
        int code = 0;
        catalogue.childAt(i)->get(code, L"CODE");
        n += (code & mask) != 0;
    }
    return n;
}

} // namespace

class OutlineFilter : public OutlineDlgTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(OutlineFilter, TheFilterDialogRebuildsTheMaskAndTheList)
{
    const FilterCase& c = GetParam();
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.filter = c.before;
    int shownBefore = -1;
    int selectedBefore = -1;
    int shownAfter = -1;
    QString filterTitle;
    const int result = runOutline(
        data, &catalogue,
        [&](CZunOutlDlg& dlg) {
            shownBefore = outlineList(dlg)->count();
            QTimer::singleShot(0, [&] {
                auto* filter = qobject_cast<CDlgFilterOutline*>(waitForModal(&dlg));
                if (!filter)
                    return;
                filterTitle = filter->windowTitle();
                auto* list = qobject_cast<QListWidget*>(filter->GetDlgItem(5029));
                int selected = 0;
                for (int i = 0; i < list->count(); ++i)
                    selected |= list->item(i)->isSelected() ? 1 << i : 0;
                selectedBefore = selected;
                for (int i = 0; i < list->count(); ++i) {
                    if (!(c.toggled & (1 << i)))
                        continue;
                    const QRect r = list->visualItemRect(list->item(i));
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
                }
                qobject_cast<QPushButton*>(filter->GetDlgItem(c.ok ? 1 : 2))->click();
            });
            button(dlg, 5012)->click();
            shownAfter = outlineList(dlg)->count();
            pressOk(dlg);
        },
        L"en");
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(filterTitle, QStringLiteral("Filter outlines"));
    EXPECT_EQ(selectedBefore, c.before);
    EXPECT_EQ(shownBefore, outlinesWith(catalogue, c.before));
    EXPECT_EQ(shownAfter, outlinesWith(catalogue, c.after));
    EXPECT_EQ(data.filter, c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, OutlineFilter,
                         ::testing::Values(FilterCase{"basic_only", 0xF, 0xE, true, 0x1},
                                           FilterCase{"add_machinings", 0x1, 0x8, true, 0x9},
                                           FilterCase{"cancel_keeps", 0x3, 0x3, false, 0x3},
                                           FilterCase{"none_selected", 0x4, 0x4, true, 0x0},
                                           FilterCase{"from_none", 0x0, 0x2, true, 0x2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutlineDlgTest, WithFilterZeroNothingIsListedAndNothingLoaded)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.filter = 0;
    data.outline = 5;
    data.txtGen = 7;
    data.parms.append(12.5);
    const int result = runOutline(data, &catalogue, [](CZunOutlDlg& dlg) {
        EXPECT_EQ(outlineList(dlg)->count(), 0);
        EXPECT_EQ(outlineList(dlg)->currentIndex(), -1);
        // The empty list says why instead of showing blank rows.
        EXPECT_EQ(outlineList(dlg)->placeholderText(),
                  QStringLiteral("Keine Kontur in den gew\u00E4hlten Kategorien (Filter...)"));
        for (int j = 0; j < 6; ++j)
            EXPECT_EQ(field(dlg, 1070 + j)->isVisibleTo(&dlg), j == 0) << j;
        pressOk(dlg);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(data.outline, 5);
    EXPECT_EQ(data.txtGen, 7);
    ASSERT_EQ(data.parms.len(), 1);
    EXPECT_EQ(data.parms[0], 12.5);
}

// ---- parameters -----------------------------------------------------------------------

TEST_F(OutlineDlgTest, FieldsAreConfiguredPerParameterAndNamedInTheDialogsLanguage)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.outline = kOutlSector;  // radius, opening angle
    data.range = 3;
    runOutline(
        data, &catalogue,
        [&](CZunOutlDlg& dlg) {
            EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Outline"));
            EXPECT_EQ(outlineList(dlg)->currentText(), catalogueName(catalogue, 12, L"LABEL", L"en"));
            EXPECT_EQ(button(dlg, 1080)->text(), catalogueName(catalogue, 12, L"PARM1\\LABEL", L"en"));
            EXPECT_EQ(button(dlg, 1081)->text(), catalogueName(catalogue, 12, L"PARM2\\LABEL", L"en"));
            EXPECT_TRUE(button(dlg, 1080)->isFlat()) << "no sign: a flat button";
            EXPECT_EQ(button(dlg, 5012)->text(), QStringLiteral("Filter..."));
            for (int j = 0; j < 6; ++j)
                EXPECT_EQ(field(dlg, 1070 + j)->isVisibleTo(&dlg), j < 2) << j;
            CZunEdit::type kind;
            unsigned short flags = 0;
            unsigned short decimals = 0;
            double lo = 0;
            double hi = 0;
            field(dlg, 1070)->getEditFlags(kind, flags, decimals, lo, hi);
            EXPECT_EQ(kind, CZunEdit::kLength);
            EXPECT_EQ(flags, kFlagCompact | kFlagAutoUnit);
            EXPECT_EQ(decimals, 3);
            field(dlg, 1071)->getEditFlags(kind, flags, decimals, lo, hi);
            EXPECT_EQ(kind, CZunEdit::kAngle);
            EXPECT_EQ(flags, kFlagCompact);
            // A named value of "KWORD": typed as its name.
            typeAndLeave(field(dlg, 1071), QStringLiteral("45\u00B0"));
            EXPECT_NEAR(dlg.parms()[1], kPi / 4, 1e-12);
            EXPECT_EQ(field(dlg, 1071)->text(), QStringLiteral("45\u00B0"));
            pressOk(dlg);
        },
        L"en");
    ASSERT_EQ(data.parms.len(), 2);
    EXPECT_NEAR(data.parms[1], kPi / 4, 1e-12);
}

TEST_F(OutlineDlgTest, ParameterMemoryPerRangeSurvivesRangeSwitchesAndASecondCall)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.outline = kOutlRect;
    data.range = 3;
    const double default100 = defaultOf(catalogue, kOutlRect, 1, 3);
    const double default1000 = defaultOf(catalogue, kOutlRect, 1, 4);
    ASSERT_NE(default100, default1000);
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        EXPECT_EQ(valueOf(field(dlg, 1070)), default100);
        qobject_cast<QRadioButton*>(dlg.GetDlgItem(1062))->click();  // "1000"
        EXPECT_EQ(dlg.rangeIndex(), 3);
        EXPECT_EQ(valueOf(field(dlg, 1070)), default1000);
        typeAndLeave(field(dlg, 1070), QStringLiteral("1234.5"));
        EXPECT_EQ(dlg.parms()[0], 1234.5);
        qobject_cast<QRadioButton*>(dlg.GetDlgItem(1061))->click();  // "100"
        EXPECT_EQ(valueOf(field(dlg, 1070)), default100);
        qobject_cast<QRadioButton*>(dlg.GetDlgItem(1062))->click();  // back to "1000"
        EXPECT_EQ(valueOf(field(dlg, 1070)), 1234.5);
        button(dlg, 2)->click();
    });
    // A second call that asks for range "1000" with nothing of its own.
    outlineData again;
    again.outline = kOutlRect;
    again.range = 4;
    runOutline(again, &catalogue, [&](CZunOutlDlg& dlg) {
        EXPECT_EQ(valueOf(field(dlg, 1070)), 1234.5);
        pressOk(dlg);
    });
    ASSERT_EQ(again.parms.len(), 2);
    EXPECT_EQ(again.parms[0], 1234.5);
    EXPECT_EQ(again.parms[1], defaultOf(catalogue, kOutlRect, 2, 4));
    EXPECT_EQ(CZunOutlDlg::rememberedParms(3, kOutlRect).get(0), 1234.5);
}

TEST_F(OutlineDlgTest, SwitchingOutlinesRemembersEachOutlinesValues)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.outline = kOutlRect;
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        typeAndLeave(field(dlg, 1071), QStringLiteral("77"));
        QComboBox* list = outlineList(dlg);
        list->setCurrentIndex(list->findData(kOutlCircle));
        EXPECT_EQ(dlg.outline(), kOutlCircle);
        EXPECT_FALSE(field(dlg, 1071)->isVisibleTo(&dlg));
        list->setCurrentIndex(list->findData(kOutlRect));
        EXPECT_EQ(valueOf(field(dlg, 1071)), 77.0);
        pressOk(dlg);
    });
    EXPECT_EQ(data.parms.get(1), 77.0);
}

namespace {

// A parameter with a name for negative values: the trapezoid's offset of
// the top's middle (parameter 4).
struct SignCase {
    const char* name;
    double start;          // the parameter's value in the record
    const char* typed;     // typed after the presses; empty: nothing
    int pressesBefore;     // button presses before typing
    int pressesAfter;      // and after
    double stored;         // the value returned
    bool minusName;        // the button shows the name for negative values
};

void PrintTo(const SignCase& c, std::ostream* os) { *os << c.name; }

} // namespace

class OutlineSign : public OutlineDlgTest, public ::testing::WithParamInterface<SignCase> {};

TEST_P(OutlineSign, TheButtonTogglesTheSignOfTheValue)
{
    const SignCase& c = GetParam();
    CZunDataItem catalogue = defaultCatalogue();
    const QString plus = catalogueName(catalogue, 7, L"PARM4\\LABEL", L"de");
    const QString minus = catalogueName(catalogue, 7, L"PARM4\\MINUSP", L"de");
    ASSERT_FALSE(minus.isEmpty()) << "the trapezoid's offset has a sign";
    outlineData data;
    data.outline = kOutlTrapezoid;
    data.parms = {200.0, 100.0, 80.0, c.start};
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        QPushButton* name = button(dlg, 1083);
        EXPECT_FALSE(name->isFlat());
        EXPECT_EQ(name->text(), c.start < 0 ? minus : plus);
        EXPECT_EQ(valueOf(field(dlg, 1073)), std::fabs(c.start)) << "the field shows the absolute value";
        for (int i = 0; i < c.pressesBefore; ++i)
            name->click();
        if (*c.typed)
            typeAndLeave(field(dlg, 1073), QString::fromUtf8(c.typed));
        for (int i = 0; i < c.pressesAfter; ++i)
            name->click();
        EXPECT_EQ(name->text(), c.minusName ? minus : plus);
        EXPECT_GE(valueOf(field(dlg, 1073)), 0.0);
        pressOk(dlg);
    });
    ASSERT_EQ(data.parms.len(), 4);
    EXPECT_EQ(data.parms[3], c.stored);
    EXPECT_EQ(data.parms[0], 200.0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutlineSign,
    ::testing::Values(SignCase{"negative_shown", -12.0, "", 0, 0, -12.0, true},
                      SignCase{"press_turns_positive", -12.0, "", 1, 0, 12.0, false},
                      SignCase{"minus_then_five", 3.0, "5", 1, 0, -5.0, true},
                      SignCase{"five_with_minus_then_press", -3.0, "5", 0, 1, 5.0, false},
                      SignCase{"zero_press_gives_minus", 0.0, "5", 1, 0, -5.0, true},
                      SignCase{"typed_minus_turns_sign", 4.0, "-6", 0, 0, -6.0, true},
                      SignCase{"two_presses", 9.0, "", 2, 0, 9.0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutlineDlgTest, TheParallelogramsAngleIsKeptInDegreesAndShownAsAnAngle)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.outline = kOutlParallelogram;
    data.parms = {200.0, 100.0, 90.0};
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        EXPECT_EQ(field(dlg, 1072)->text(), QStringLiteral("90\u00B0"));
        EXPECT_NEAR(valueOf(field(dlg, 1072)), kPi / 2, 1e-12);
        typeAndLeave(field(dlg, 1072), QStringLiteral("60"));
        EXPECT_NEAR(dlg.parms()[2], 60.0, 1e-9);
        typeAndLeave(field(dlg, 1072), QStringLiteral("90"));
        pressOk(dlg);
    });
    ASSERT_EQ(data.parms.len(), 3);
    EXPECT_NEAR(data.parms[2], 90.0, 1e-9);
}

TEST_F(OutlineDlgTest, BasePointFieldsShowTheNegatedPointPerRange)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.outline = kOutlRect;
    data.range = 2;
    data.basePt = CZunPoint3d(3.0, -4.0, 0.0);
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        EXPECT_EQ(valueOf(field(dlg, 5015)), -3.0);
        EXPECT_EQ(valueOf(field(dlg, 5017)), 4.0);
        typeAndLeave(field(dlg, 5015), QStringLiteral("10"));
        EXPECT_EQ(dlg.basePoint().x, -10.0);
        // Another range has a base point of its own, the zero vector.
        qobject_cast<QRadioButton*>(dlg.GetDlgItem(1059))->click();
        EXPECT_EQ(valueOf(field(dlg, 5015)), 0.0);
        qobject_cast<QRadioButton*>(dlg.GetDlgItem(1060))->click();
        EXPECT_EQ(valueOf(field(dlg, 5015)), 10.0);
        pressOk(dlg);
    });
    EXPECT_EQ(data.range, 2);
    EXPECT_EQ(data.basePt.x, -10.0);
    EXPECT_EQ(data.basePt.y, -4.0);
}

// ---- preview --------------------------------------------------------------------------

namespace {

CZunVertexArray previewPolyline(CZunOutlDlg& dlg)
{
    CZunGDX& gdx = dlg.preview()->displayList();
    CZunVertexArray found;
    int polylines = 0;
    for (int i = 0; i < gdx.lenGet(); ++i) {
        const CZunDisplayItem& item = gdx.getDisplayList().get(i);
        if (item.type == objVl) {
            found = item.vl;
            ++polylines;
        }
    }
    EXPECT_LE(polylines, 1);
    return found;
}

void expectSame(const CZunVertexArray& a, const CZunVertexArray& b)
{
    ASSERT_EQ(a.len(), b.len());
    for (int i = 0; i < a.len(); ++i) {
        EXPECT_TRUE(a.get(i).start().isEqualTo(b.get(i).start(), 1e-9)) << i;
        EXPECT_TRUE(a.get(i).end().isEqualTo(b.get(i).end(), 1e-9)) << i;
        EXPECT_NEAR(a.get(i).bulge(), b.get(i).bulge(), 1e-12) << i;
    }
}

} // namespace

TEST_F(OutlineDlgTest, ThePreviewDrawsTheOutlineOfTheCurrentValues)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.outline = kOutlChannel;
    data.basePt = CZunPoint3d(15.0, 25.0, 0.0);
    data.parms = {160.0, 65.0, 7.5, 10.5};
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        const CZunVertexArray first = previewPolyline(dlg);
        EXPECT_GT(first.len(), 4);
        expectSame(first, g_outline(kOutlChannel, CZunVector3d(15.0, 25.0, 0.0), data.parms));
        typeAndLeave(field(dlg, 1070), QStringLiteral("200"));
        typeAndLeave(field(dlg, 5017), QStringLiteral("5"));
        const CZunArrayTempl<double> changed = {200.0, 65.0, 7.5, 10.5};
        expectSame(previewPolyline(dlg), g_outline(kOutlChannel, CZunVector3d(15.0, -5.0, 0.0), changed));
        pressOk(dlg);
    });
}

// ---- material -------------------------------------------------------------------------

namespace {

CZunString g_offered;
CZunArrayTempl<CZunString> g_types;
int chooseS355(const DlgEnvMatTree_st& env, CZunString& mat)
{
    g_offered = mat;
    g_types = env.matTypes;
    mat = L"S355";
    return 1;
}
int chooseNothing(const DlgEnvMatTree_st&, CZunString& mat)
{
    mat = L"WRONG";
    return 0;
}

} // namespace

TEST_F(OutlineDlgTest, TheMaterialButtonShowsOnlyWithAMaterialAndTakesTheChoice)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData none;
    runOutline(none, &catalogue, [&](CZunOutlDlg& dlg) {
        EXPECT_FALSE(dlg.GetDlgItem(4004)->isVisibleTo(&dlg));
        EXPECT_FALSE(dlg.GetDlgItem(4005)->isVisibleTo(&dlg));
        pressOk(dlg);
    });
    EXPECT_TRUE(none.material.isEmpty());

    struct Case {
        OutlineMaterialChooser chooser;
        const wchar_t* expected;
    };
    for (const Case& c : {Case{&chooseS355, L"S355"}, Case{&chooseNothing, L"S235"}}) {
        const OutlineMaterialChooser previous = setOutlineMaterialChooser(c.chooser);
        outlineData data;
        data.material = L"S235";
        runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
            EXPECT_TRUE(dlg.GetDlgItem(4004)->isVisibleTo(&dlg));
            auto* label = qobject_cast<QLabel*>(dlg.GetDlgItem(4005));
            EXPECT_EQ(label->text(), QString::fromStdWString(CZunMatMgr().matLabel(L"S235", L"de").c_str()));
            button(dlg, 4004)->click();
            EXPECT_EQ(label->text(), QString::fromStdWString(CZunMatMgr().matLabel(c.expected, L"de").c_str()));
            pressOk(dlg);
        });
        setOutlineMaterialChooser(previous);
        EXPECT_EQ(data.material, c.expected);
    }
    EXPECT_EQ(g_offered, L"S235");
    ASSERT_EQ(g_types.len(), 1);
    EXPECT_EQ(g_types[0], L"SYSTEM");
}

// Without a chooser of the caller's, "..." opens the module's material
// selection dialog; cancelling it keeps the material.
TEST_F(OutlineDlgTest, TheMaterialButtonOpensTheMaterialSelectionDialog)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.material = L"S235";
    bool sawMaterialDialog = false;
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        QTimer::singleShot(0, [&] {
            auto* materials = qobject_cast<CZunMatTreeDlg*>(QApplication::activeModalWidget());
            sawMaterialDialog = materials != nullptr;
            if (QWidget* open = QApplication::activeModalWidget(); open && open != &dlg)
                open->close();
        });
        button(dlg, 4004)->click();
        pressOk(dlg);
    });
    EXPECT_TRUE(sawMaterialDialog);
    EXPECT_EQ(data.material, L"S235");
}

// ---- damaged catalogues ---------------------------------------------------------------

namespace {

// A catalogue of hand-made outlines under the keys of real ones, so that
// the preview has shapes to draw.
CZunDataItem damagedCatalogue()
{
    CZunDataItem c(true);
    // Rectangle: "PARMS" says 4, two entries present; the second default a
    // text holding a number.
    CZunDataItem* rect = c.mkDir(CZunDataKey(kOutlRect));
    rect->set(1, L"CODE");
    rect->set(L"Rechteck", L"LABEL");
    rect->set(2, L"TXTGEN");
    rect->set(4, L"PARMS");
    rect->set(L"Breite", L"PARM1\\LABEL");
    rect->set(50.0, L"PARM1\\VAL3");
    rect->set(L"Höhe", L"PARM2\\LABEL");
    rect->set(L"25.5", L"PARM2\\VAL3");
    rect->set(L"x", L"PARM4\\LABEL");  // beyond the gap: not read
    // Sector: a default that is no number, named values one of which is no
    // number and one under an integer key.
    CZunDataItem* sector = c.mkDir(CZunDataKey(kOutlSector));
    sector->set(1, L"CODE");
    sector->set(L"Sektor", L"LABEL");
    sector->set(2, L"PARMS");
    sector->set(L"Radius", L"PARM1\\LABEL");
    sector->set(L"viel", L"PARM1\\VAL3");
    sector->set(L"Winkel", L"PARM2\\LABEL");
    sector->set(L"A", L"PARM2\\TYPE");
    sector->set(kPi / 2, L"PARM2\\VAL3");
    sector->set(kPi / 3, L"PARM2\\KWORD\\Drittel");
    sector->set(L"halb", L"PARM2\\KWORD\\Halb");
    sector->set(kPi, CZunDataKey({CZunItemKey(L"PARM2"), CZunItemKey(L"KWORD"), CZunItemKey(7)}));
    // Not outlines: a value, and a directory under a text key.
    c.set(3, CZunDataKey(kOutlSlot));
    c.mkDir(L"NOTE")->set(1, L"CODE");
    return c;
}

} // namespace

TEST_F(OutlineDlgTest, MissingParameterEntriesShowOnlyThoseFoundAndBadDefaultsReadAsZero)
{
    CZunDataItem catalogue = damagedCatalogue();
    const CZunDataItem before = catalogue;
    outlineData data;
    data.outline = 99;  // unknown: the first entry is taken
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        EXPECT_EQ(outlineList(dlg)->count(), 2) << "only directories under integer keys are outlines";
        EXPECT_EQ(dlg.outline(), kOutlRect);
        EXPECT_TRUE(field(dlg, 1071)->isVisibleTo(&dlg));
        EXPECT_FALSE(field(dlg, 1072)->isVisibleTo(&dlg));
        EXPECT_EQ(valueOf(field(dlg, 1071)), 25.5);
        QComboBox* list = outlineList(dlg);
        list->setCurrentIndex(list->findData(kOutlSector));
        EXPECT_EQ(valueOf(field(dlg, 1070)), 0.0);
        typeAndLeave(field(dlg, 1071), QStringLiteral("Drittel"));
        EXPECT_NEAR(dlg.parms()[1], kPi / 3, 1e-12);
        EXPECT_EQ(field(dlg, 1071)->text(), QStringLiteral("Drittel"));
        list->setCurrentIndex(list->findData(kOutlRect));
        pressOk(dlg);
    });
    EXPECT_EQ(data.outline, kOutlRect);
    EXPECT_EQ(data.txtGen, 2);
    ASSERT_EQ(data.parms.len(), 2);
    EXPECT_EQ(data.parms[0], 50.0);
    EXPECT_EQ(data.parms[1], 25.5);
    EXPECT_EQ(catalogue.childCount(), before.childCount()) << "a damaged catalogue is not filled or changed";
    EXPECT_EQ(CZunOutlDlg::rememberedParms(2, kOutlSector).get(1), kPi / 3);
}

TEST_F(OutlineDlgTest, ParametersBeyondSixAreKeptAsTheyAreInTheRecord)
{
    CZunDataItem catalogue(true);
    CZunDataItem* many = catalogue.mkDir(CZunDataKey(kOutlRect));
    many->set(1, L"CODE");
    many->set(L"Viele", L"LABEL");
    many->set(8, L"PARMS");
    for (int j = 1; j <= 8; ++j) {
        many->set(CZunString::formatted(L"P%d", j).c_str(), CZunDataKey::format(L"PARM%d\\LABEL", j));
        many->set(static_cast<double>(j), CZunDataKey::format(L"PARM%d\\VAL3", j));
    }
    outlineData data;
    data.outline = kOutlRect;
    data.parms = {10.0, 20.0, 30.0, 40.0, 50.0, 60.0, 70.0, 80.0};
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        for (int j = 0; j < 6; ++j)
            EXPECT_TRUE(field(dlg, 1070 + j)->isVisibleTo(&dlg)) << j;
        EXPECT_EQ(button(dlg, 1085)->text(), QStringLiteral("P6"));
        typeAndLeave(field(dlg, 1075), QStringLiteral("66"));
        pressOk(dlg);
    });
    EXPECT_EQ(data.parms, (CZunArrayTempl<double>{10.0, 20.0, 30.0, 40.0, 50.0, 66.0, 70.0, 80.0}));

    // Without values of its own the defaults fill the rest.
    CZunOutlDlg::clearParmMemory();
    outlineData fresh;
    fresh.outline = kOutlRect;
    runOutline(fresh, &catalogue, [&](CZunOutlDlg& dlg) { pressOk(dlg); });
    EXPECT_EQ(fresh.parms, (CZunArrayTempl<double>{1, 2, 3, 4, 5, 6, 7, 8}));
}

// ---- window ---------------------------------------------------------------------------

TEST_F(OutlineDlgTest, ThePreviewIsFittedAgainWhenTheDialogIsResized)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.outline = kOutlBeam;
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        EXPECT_TRUE(dlg.hasAboutCommand());
        CZunVllImage* preview = dlg.preview();
        const QSize before = preview->size();
        dlg.resize(dlg.width() + 300, dlg.height() + 200);
        ASSERT_TRUE(QTest::qWaitFor([&] { return preview->size() != before; }, 2000));
        const CZunMatrix3d shown = preview->displayList().viewMtxGet();
        preview->zoomExtents();
        EXPECT_TRUE(shown.isEqualTo(preview->displayList().viewMtxGet()))
            << "the preview keeps the fit of its old size";
        pressOk(dlg);
    });
}

TEST_F(OutlineDlgTest, OkTakesTheEntryOfTheFieldBeingTypedIn)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.outline = kOutlRect;
    const int result = runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        CZunEdit* width = field(dlg, 1070);
        width->setFocus();
        QTest::qWaitFor([width] { return width->hasFocus(); }, 2000);
        width->selectAll();
        QTest::keyClicks(width, QStringLiteral("321"));
        pressOk(dlg);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(data.parms.get(0), 321.0);
}

// ---- keyboard and layout --------------------------------------------------------------

namespace {

// Tab from one control of the trapezoid's parameters to the next: the
// names of parameters without a sign are flat and do nothing, so Tab
// passes them by; the offset's name turns its sign and keeps its stop.
struct TabCase {
    const char* name;
    int from;
    int to;
};

void PrintTo(const TabCase& c, std::ostream* os) { *os << c.name; }

} // namespace

class OutlineTab : public OutlineDlgTest, public ::testing::WithParamInterface<TabCase> {};

TEST_P(OutlineTab, TabSkipsTheFlatParameterNames)
{
    const TabCase& c = GetParam();
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.outline = kOutlTrapezoid;
    QString reached;
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        QWidget* from = dlg.GetDlgItem(c.from);
        ASSERT_NE(from, nullptr);
        from->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([from] { return from->hasFocus(); }, 2000));
        QTest::keyClick(from, Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        reached = focus ? QString::number(dlgIdOf(focus)) + QLatin1Char(' ') + focus->objectName() : QString();
        pressOk(dlg);
    });
    EXPECT_EQ(reached.section(QLatin1Char(' '), 0, 0).toInt(), c.to) << reached.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, OutlineTab,
                         ::testing::Values(TabCase{"base_y_to_first_value", 5017, 1070},
                                           TabCase{"first_to_second_value", 1070, 1071},
                                           TabCase{"second_to_third_value", 1071, 1072},
                                           TabCase{"third_value_to_sign_button", 1072, 1083},
                                           TabCase{"sign_button_to_its_value", 1083, 1073}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutlineDlgTest, ATallerDialogGivesTheHeightToThePreviewAndKeepsTheFieldsTogether)
{
    CZunDataItem catalogue = defaultCatalogue();
    outlineData data;
    data.outline = kOutlRect;
    runOutline(data, &catalogue, [&](CZunOutlDlg& dlg) {
        const int ids[] = {5034, 1059, 5015, 1070, 1071};
        QList<int> before;
        for (int id : ids)
            before.push_back(dlg.GetDlgItem(id)->mapTo(&dlg, QPoint()).y());
        CZunVllImage* preview = dlg.preview();
        const int previewBefore = preview->height();
        dlg.resize(dlg.width(), dlg.height() + 300);
        ASSERT_TRUE(QTest::qWaitFor([&] { return preview->height() != previewBefore; }, 2000));
        EXPECT_EQ(preview->height(), previewBefore + 300);
        for (int i = 0; i < before.size(); ++i)
            EXPECT_EQ(dlg.GetDlgItem(ids[i])->mapTo(&dlg, QPoint()).y(), before[i]) << "control " << ids[i];
        pressOk(dlg);
    });
}
