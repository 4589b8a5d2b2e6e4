// The value combo box in a real dialog: typed into and left, its
// corrections and beeps, its list values and its tinted rows.
#include "tests/ui/edit_test_util.h"

#include "contracts/data/zun_units.h"
#include "ui/zun_subclass.h"

#include <QAbstractItemView>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionViewItem>

#include <gtest/gtest.h>

namespace {

constexpr unsigned short kReq = ZUN::kFlagRequired;
constexpr unsigned short kNotZero = ZUN::kFlagRequired | ZUN::kFlagNotZero;
constexpr unsigned short kNotZeroRange = kNotZero | ZUN::kFlagRange;

struct ComboLeaveCase {
    const char* name;
    int type;
    unsigned short flags;
    double lo, hi;
    const char* typed;  // empty: the text is deleted
    const char* textAfter;
    int beeps;
};

} // namespace

class ComboLeave : public CFieldsDlgTest, public ::testing::WithParamInterface<ComboLeaveCase> {};

TEST_P(ComboLeave, CorrectsTheTextWithoutAMessage)
{
    const ComboLeaveCase& c = GetParam();
    int beeps = 0;
    combo->setBeep([&beeps] { ++beeps; });
    combo->setEditFlags(static_cast<CZunComboBox::type>(c.type), c.flags, -1, c.lo, c.hi);
    CBoxWatcher boxes;
    typeInto(combo->lineEdit(), c.typed);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Tab);
    EXPECT_TRUE(QTest::qWaitFor([&] { return plain->hasFocus(); }, 2000));
    EXPECT_EQ(combo->currentText(), QString::fromUtf8(c.textAfter));
    EXPECT_EQ(beeps, c.beeps);
    EXPECT_TRUE(boxes.seen.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ComboLeave,
    ::testing::Values(ComboLeaveCase{"empty_not_zero_range_min", 2, kNotZeroRange, 2, 5, "", "2.0", 0},
                      ComboLeaveCase{"empty_not_zero_one", 2, kNotZero, 0, 0, "", "1.0", 0},
                      ComboLeaveCase{"empty_required_zero", 2, kReq, 0, 0, "", "0.0", 0},
                      ComboLeaveCase{"empty_optional_stays", 2, 0, 0, 0, "", "", 0},
                      ComboLeaveCase{"zero_becomes_one", 2, kNotZero, 0, 0, "0", "1.0", 1},
                      ComboLeaveCase{"negative_beeps", 2, kReq | ZUN::kFlagNotNegative, 0, 0, "-3", "-3.0", 1},
                      ComboLeaveCase{"clamped_silently", 2, kReq | ZUN::kFlagRange, 0, 10, "12", "10.0", 0},
                      ComboLeaveCase{"angle_no_sign", 3, kReq, 0, 0, "45", "45.0", 0},
                      ComboLeaveCase{"integer_zero", 1, kNotZero, 0, 0, "0", "1", 1},
                      ComboLeaveCase{"unreadable", 2, kReq, 0, 0, "abc", "0.0", 1},
                      ComboLeaveCase{"plain_text_untouched", 0, kReq, 0, 0, "abc", "abc", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CFieldsDlgTest, ComboChecksAnUnchangedTextAndLeavingByClick)
{
    int beeps = 0;
    combo->setBeep([&beeps] { ++beeps; });
    combo->setEditFlags(CZunComboBox::kLength, kNotZero, 1, 0, 0);
    combo->setEditText("0");  // by program, never typed
    combo->lineEdit()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return combo->lineEdit()->hasFocus(); }, 2000));
    QTest::mouseClick(plain, Qt::LeftButton, {}, plain->rect().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return plain->hasFocus(); }, 2000));
    EXPECT_EQ(combo->currentText(), QString("1.0"));
    EXPECT_EQ(beeps, 1);
}

TEST_F(CFieldsDlgTest, ComboPopupIsNoLeaving)
{
    int beeps = 0;
    combo->setBeep([&beeps] { ++beeps; });
    combo->setEditFlags(CZunComboBox::kLength, kNotZero, 1, 0, 0);
    combo->addItem("5.0");
    typeInto(combo->lineEdit(), "0");
    combo->showPopup();
    QTest::qWait(50);
    combo->hidePopup();
    EXPECT_EQ(combo->currentText(), QString("0"));
    EXPECT_EQ(beeps, 0);
}

TEST_F(CFieldsDlgTest, ComboBeepHookBelongsToOneBox)
{
    int ours = 0;
    int other = 0;
    combo->setBeep([&ours] { ++ours; });
    CZunComboBox second;
    second.setBeep([&other] { ++other; });
    combo->setEditFlags(CZunComboBox::kLength, kNotZero, 1, 0, 0);
    typeInto(combo->lineEdit(), "0");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Tab);
    EXPECT_EQ(ours, 1);
    EXPECT_EQ(other, 0);
}

TEST(ComboValues, SetGetAddInsert)
{
    CZunComboBox box;
    box.setEditFlags(CZunComboBox::kLength, kReq, 1, 0, 0);
    EXPECT_TRUE(box.setLUnits(ZUN::kUnitMeter, ZUN::kUnitMillimeter));
    EXPECT_TRUE(box.setVal(0.25));
    EXPECT_EQ(box.currentText(), QString("250.0"));
    double v = 0;
    ASSERT_TRUE(box.getVal(v));
    EXPECT_DOUBLE_EQ(v, 0.25);
    EXPECT_FALSE(box.setVal(3));  // integers only in an integer box
    int n = 0;
    EXPECT_FALSE(box.getVal(n));

    EXPECT_EQ(box.AddVal(1.0), 0);
    EXPECT_EQ(box.AddVal(2.0), 1);
    EXPECT_EQ(box.InsertVal(0, 0.5), 0);
    EXPECT_EQ(box.InsertVal(-1, 3.0), 3);
    EXPECT_EQ(box.InsertVal(99, 4.0), 4);
    ASSERT_EQ(box.count(), 5);
    EXPECT_EQ(box.itemText(0), QString("500.0"));
    EXPECT_EQ(box.itemText(1), QString("1000.0"));
    EXPECT_EQ(box.itemText(3), QString("3000.0"));
    EXPECT_EQ(box.currentText(), QString("250.0"));  // the box's own text stays
    EXPECT_EQ(box.AddVal(std::nan("")), -1);  // cannot be shown: nothing added
    EXPECT_EQ(box.count(), 5);

    box.setEditText("abc");
    EXPECT_FALSE(box.getVal(v));
    EXPECT_DOUBLE_EQ(v, 0.25);

    CZunComboBox integers;
    integers.setEditFlags(CZunComboBox::kInteger, kReq, -1, 0, 0);
    EXPECT_TRUE(integers.setVal(42));
    EXPECT_EQ(integers.currentText(), QString("42"));
    EXPECT_FALSE(integers.setVal(4.2));
    ASSERT_TRUE(integers.getVal(n));
    EXPECT_EQ(n, 42);
    EXPECT_EQ(integers.AddVal(7.9), 0);
    EXPECT_EQ(integers.itemText(0), QString("7"));

    CZunComboBox plainBox;
    EXPECT_FALSE(plainBox.setVal(1.0));
    EXPECT_FALSE(plainBox.getVal(v));
    EXPECT_EQ(plainBox.AddVal(1.0), -1);
    EXPECT_TRUE(plainBox.setFormat(0));  // the combo stores what it is given
}

// ---- tinted rows ----------------------------------------------------------------------------

struct RowCase {
    const char* name;
    QColor base;
    QColor plainRow;
    QColor tintedRow;
};

class ComboRows : public ::testing::TestWithParam<RowCase> {};

// Paints rows 0..3 with the box's own delegate, rows 1 and 3 tinted.
TEST_P(ComboRows, AlternateRowsAreTinted)
{
    const RowCase& c = GetParam();
    CZunComboBox box;
    for (const char* text : {"1.0", "2.0", "3.0", "4.0"})
        box.addItem(text);
    box.setAltBackgr(CZunArrayTempl<int>({3, 1}));
    CZunArrayTempl<int> rows;
    box.getAltBackgr(rows);
    ASSERT_EQ(rows.len(), 2);
    EXPECT_EQ(rows[0], 1);
    EXPECT_EQ(rows[1], 3);

    QImage image(100, 80, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    QAbstractItemDelegate* delegate = box.view()->itemDelegate();
    for (int row = 0; row < 4; ++row) {
        QStyleOptionViewItem option;
        option.initFrom(box.view());
        option.palette.setColor(QPalette::Base, c.base);
        option.palette.setColor(QPalette::Text, c.base == Qt::black ? Qt::white : Qt::black);
        option.state = QStyle::State_Enabled;
        option.rect = QRect(0, row * 20, 100, 20);
        delegate->paint(&painter, option, box.model()->index(row, 0));
    }
    painter.end();
    // The right end of each row holds no text.
    EXPECT_EQ(image.pixelColor(95, 10), c.plainRow);
    EXPECT_EQ(image.pixelColor(95, 30), c.tintedRow);
    EXPECT_EQ(image.pixelColor(95, 50), c.plainRow);
    EXPECT_EQ(image.pixelColor(95, 70), c.tintedRow);
    EXPECT_EQ(image.pixelColor(0, 20), c.tintedRow);  // the whole row, edge to edge
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, ComboRows,
                         ::testing::Values(RowCase{"white", Qt::white, Qt::white, QColor(242, 242, 242)},
                                           RowCase{"black", Qt::black, Qt::black, QColor(12, 12, 12)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ComboRows, SelectedRowIsHighlightedNotTinted)
{
    CZunComboBox box;
    box.addItem("1.0");
    box.setAltBackgr(CZunArrayTempl<int>({0}));
    QImage image(60, 20, QImage::Format_RGB32);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.initFrom(box.view());
    option.palette.setColor(QPalette::Highlight, QColor(10, 20, 200));
    option.state = QStyle::State_Enabled | QStyle::State_Selected;
    option.rect = image.rect();
    box.view()->itemDelegate()->paint(&painter, option, box.model()->index(0, 0));
    painter.end();
    EXPECT_EQ(image.pixelColor(55, 10), QColor(10, 20, 200));
}

TEST_F(CFieldsDlgTest, ComboPopupShowsTintedRows)
{
    for (const char* text : {"1.0", "2.0", "3.0"})
        combo->addItem(text);
    combo->setAltBackgr(CZunArrayTempl<int>({1}));
    QPalette palette = combo->view()->palette();
    palette.setColor(QPalette::Base, Qt::white);
    combo->view()->setPalette(palette);
    combo->setCurrentIndex(0);
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->isVisible(); }, 2000));
    const QImage shot = view->viewport()->grab().toImage();
    const QRect row1 = view->visualRect(combo->model()->index(1, 0));
    const QRect row2 = view->visualRect(combo->model()->index(2, 0));
    combo->hidePopup();
    EXPECT_EQ(shot.pixelColor(row1.right() - 2, row1.center().y()), QColor(242, 242, 242));
    EXPECT_EQ(shot.pixelColor(row2.right() - 2, row2.center().y()), QColor(Qt::white));
}

TEST(ComboTemplate, SubclassReplacesAnEditableComboWithItsItems)
{
    CTestSettings settings;
    CTestDlg dlg(kTplFields, nullptr);
    auto* old = qobject_cast<QComboBox*>(dlg.GetDlgItem(1004));
    ASSERT_NE(old, nullptr);
    old->addItems({"1.0", "2.0"});
    old->setEditText("7.5");
    CZunComboBox* box = ZUN::subclassDlgItem<CZunComboBox>(&dlg, 1004);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(dlg.GetDlgItem(1004), box);
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(1), QString("2.0"));
    EXPECT_EQ(box->currentText(), QString("7.5"));
    box->setEditFlags(CZunComboBox::kLength, kReq, 1, 0, 0);
    double v = 0;
    ASSERT_TRUE(box->getVal(v));
    EXPECT_EQ(v, 7.5);
}
