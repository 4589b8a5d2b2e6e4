// The host's machining dialog: the drilling rows of a hole entity read and
// written, the dialog's checks and preview, and the whole way from the
// module's machining bridge through the host's dialog and back.

#include "contracts/data/zun_config.h"
#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_msg.h"
#include "dialogs/zun_dlg_bgr.h"
#include "gdx/zun_gdx.h"
#include "host/desktop/zun_hole_dialog.h"
#include "host/desktop/zun_host_window.h"
#include "host/zun_host_app.h"
#include "render/qt/zun_dplist_image.h"
#include "render/qt/zun_qstring.h"
#include "tests/host/desktop/host_window_fixture.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <ostream>

namespace {

const QString kSample = QStringLiteral(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json");

// The machinings of the sample's base plate: four anchor holes placed by
// matrices, two tapped holes placed by points, the plate and two slots.
CZunDataItem sampleMachinings()
{
    ZUN::CZunDrawing drawing;
    ZUN::CDataFileError error;
    EXPECT_TRUE(drawing.load(toZun(kSample), &error)) << error.toString().toUtf8();
    const ZUN::CZunPart* plate = drawing.partByHandle(L"D4");
    EXPECT_NE(plate, nullptr);
    const CZunDataItem* bt = plate ? plate->data.getItem(CZunDataKey(L"BT")) : nullptr;
    return bt ? *bt : CZunDataItem(true);
}

const CZunHoleRow* rowByKey(const QVector<CZunHoleRow>& rows, const QString& key)
{
    for (const CZunHoleRow& row : rows)
        if (row.key == key)
            return &row;
    return nullptr;
}

double numberAt(const CZunDataItem& item, const wchar_t* key)
{
    double value = std::nan("");
    item.get(value, CZunDataKey(key));
    return value;
}

TEST(HoleRows, ReadFromTheSamplePlate)
{
    const QVector<CZunHoleRow> rows = zunHoleRowsRead(sampleMachinings());
    ASSERT_EQ(rows.size(), 6) << "only the drillings, not the plate or the slots";
    const CZunHoleRow* a3 = rowByKey(rows, QStringLiteral("A3"));
    ASSERT_NE(a3, nullptr);
    EXPECT_EQ(a3->x, 110.0);
    EXPECT_EQ(a3->y, 160.0);
    EXPECT_EQ(a3->diameter, 33.0);
    EXPECT_TRUE(a3->thread.isEmpty());
    const CZunHoleRow* l1 = rowByKey(rows, QStringLiteral("L1"));
    ASSERT_NE(l1, nullptr);
    EXPECT_EQ(l1->x, 0.0);
    EXPECT_EQ(l1->y, -160.0);
    EXPECT_EQ(l1->thread, QStringLiteral("M20"));
}

TEST(HoleRows, WritingTheRowsUnchangedGivesTheSameRows)
{
    CZunDataItem machinings = sampleMachinings();
    const QVector<CZunHoleRow> rows = zunHoleRowsRead(machinings);
    ASSERT_TRUE(zunHoleRowsWrite(rows, machinings));
    EXPECT_EQ(zunHoleRowsRead(machinings), rows);
    EXPECT_NE(machinings.getItem(CZunDataKey(L"PLATE")), nullptr);
    EXPECT_NE(machinings.getItem(CZunDataKey(L"SLOTS")), nullptr);
}

// One edit of one row and what the machinings must hold afterwards.
struct RowEdit {
    const char* name;
    const char* key;
    std::function<void(CZunHoleRow&)> edit;
    std::function<void(const CZunDataItem& entry)> check;
};

void PrintTo(const RowEdit& e, std::ostream* os) { *os << e.name; }

class HoleRowEdits : public ::testing::TestWithParam<RowEdit> {};

TEST_P(HoleRowEdits, WrittenIntoTheEntry)
{
    const RowEdit& e = GetParam();
    CZunDataItem machinings = sampleMachinings();
    QVector<CZunHoleRow> rows = zunHoleRowsRead(machinings);
    for (CZunHoleRow& row : rows)
        if (row.key == QLatin1String(e.key))
            e.edit(row);
    int badRow = -2;
    ASSERT_TRUE(zunHoleRowsWrite(rows, machinings, &badRow));
    EXPECT_EQ(badRow, -2) << "untouched on success";
    const CZunDataItem* entry = machinings.getItem(CZunDataKey(QString::fromLatin1(e.key).toStdWString().c_str()));
    ASSERT_NE(entry, nullptr);
    e.check(*entry);
    // Read back as written; with a thread the bore is the tap drill.
    CZunHoleRow written = *rowByKey(rows, QLatin1String(e.key));
    const CZunHoleRow read = *rowByKey(zunHoleRowsRead(machinings), QLatin1String(e.key));
    if (!written.thread.isEmpty())
        written.diameter = read.diameter;
    EXPECT_EQ(read, written);
}

INSTANTIATE_TEST_SUITE_P(
    Sample, HoleRowEdits,
    ::testing::Values(
        RowEdit{"MatrixPlacedMoves", "A1", [](CZunHoleRow& r) { r.x = -100.0; r.y = -150.5; },
                [](const CZunDataItem& entry) {
                    CZunMatrix3d m;
                    ASSERT_TRUE(entry.get(m, CZunDataKey(L"MTX")));
                    EXPECT_EQ(m[0][3], -100.0);
                    EXPECT_EQ(m[1][3], -150.5);
                    EXPECT_EQ(entry.getItem(CZunDataKey(L"POS")), nullptr) << "a matrix-placed hole keeps its matrix";
                }},
        RowEdit{"PointPlacedMoves", "L1", [](CZunHoleRow& r) { r.x = 12.0; },
                [](const CZunDataItem& entry) {
                    CZunPoint3d p;
                    ASSERT_TRUE(entry.get(p, CZunDataKey(L"POS")));
                    EXPECT_EQ(p.x, 12.0);
                    EXPECT_EQ(p.y, -160.0);
                }},
        RowEdit{"ThreadGivenDerivesTheBore", "A2", [](CZunHoleRow& r) { r.thread = QStringLiteral("M16"); },
                [](const CZunDataItem& entry) {
                    EXPECT_EQ(numberAt(entry, L"GEN\\THREAD_D"), 16.0);
                    EXPECT_EQ(numberAt(entry, L"GEN\\PITCH"), 2.0);
                    EXPECT_EQ(numberAt(entry, L"GEN\\DIAM"), 14.0) << "the tap drill";
                }},
        RowEdit{"ThreadRemovedLeavesAPlainBore", "L2", [](CZunHoleRow& r) { r.thread.clear(); r.diameter = 22.0; },
                [](const CZunDataItem& entry) {
                    EXPECT_EQ(entry.getItem(CZunDataKey(L"GEN\\THREAD")), nullptr);
                    EXPECT_EQ(entry.getItem(CZunDataKey(L"GEN\\THREAD_D")), nullptr);
                    EXPECT_EQ(numberAt(entry, L"GEN\\DIAM"), 22.0);
                }},
        RowEdit{"BlindHole", "A3", [](CZunHoleRow& r) { r.depth = 12.0; },
                [](const CZunDataItem& entry) {
                    EXPECT_EQ(numberAt(entry, L"GEN\\DEPTH"), 12.0);
                    EXPECT_EQ(numberAt(entry, L"GEN\\LEN"), 12.0);
                }},
        RowEdit{"Countersink", "A4", [](CZunHoleRow& r) { r.sinkDiameter = 60.0; },
                [](const CZunDataItem& entry) {
                    EXPECT_EQ(numberAt(entry, L"GEN\\SINK_D"), 60.0);
                    EXPECT_EQ(numberAt(entry, L"GEN\\OUT_D"), 60.0);
                }}),
    [](const ::testing::TestParamInfo<RowEdit>& info) { return std::string(info.param.name); });

// Rows that make no drilling: refused, naming the row, nothing changed.
struct BadRow {
    const char* name;
    std::function<void(CZunHoleRow&)> spoil;
};

void PrintTo(const BadRow& b, std::ostream* os) { *os << b.name; }

class HoleRowsRefused : public ::testing::TestWithParam<BadRow> {};

TEST_P(HoleRowsRefused, NothingChanges)
{
    CZunDataItem machinings = sampleMachinings();
    const std::string before = ZUN::dataToJson(machinings, 0);
    QVector<CZunHoleRow> rows = zunHoleRowsRead(machinings);
    rows.removeAt(0);  // a removal that must not happen either
    GetParam().spoil(rows[2]);
    int badRow = -1;
    EXPECT_FALSE(zunHoleRowsWrite(rows, machinings, &badRow));
    EXPECT_EQ(badRow, 2);
    EXPECT_EQ(ZUN::dataToJson(machinings, 0), before);
}

INSTANTIATE_TEST_SUITE_P(
    Sample, HoleRowsRefused,
    ::testing::Values(BadRow{"NoDiameter", [](CZunHoleRow& r) { r.thread.clear(); r.diameter = 0.0; }},
                      BadRow{"UnknownThread", [](CZunHoleRow& r) { r.thread = QStringLiteral("M7.3"); }},
                      BadRow{"NotAThread", [](CZunHoleRow& r) { r.thread = QStringLiteral("Gewinde"); }},
                      BadRow{"CountersinkNarrowerThanTheBore", [](CZunHoleRow& r) { r.sinkDiameter = 5.0; }},
                      BadRow{"PositionNotANumber", [](CZunHoleRow& r) { r.x = std::nan(""); }},
                      BadRow{"PositionInfinite", [](CZunHoleRow& r) { r.y = INFINITY; }}),
    [](const ::testing::TestParamInfo<BadRow>& info) { return std::string(info.param.name); });

TEST(HoleRows, RemovedRowsGoNewRowsGetFreshKeys)
{
    CZunDataItem machinings = sampleMachinings();
    machinings.mkDir(CZunDataKey(L"B1"))->set(L"DRILL", CZunDataKey(L"TYPE"));
    machinings.mkDir(CZunDataKey(L"B1\\GEN"))->set(8.0, CZunDataKey(L"DIAM"));
    QVector<CZunHoleRow> rows = zunHoleRowsRead(machinings);
    rows.erase(std::remove_if(rows.begin(), rows.end(), [](const CZunHoleRow& r) { return r.key == "A2"; }),
               rows.end());
    CZunHoleRow added;
    added.x = 50.0;
    added.diameter = 9.0;
    rows.push_back(added);
    rows.push_back(added);
    ASSERT_TRUE(zunHoleRowsWrite(rows, machinings));
    EXPECT_EQ(machinings.getItem(CZunDataKey(L"A2")), nullptr);
    EXPECT_NE(machinings.getItem(CZunDataKey(L"B2")), nullptr) << "B1 was taken";
    EXPECT_NE(machinings.getItem(CZunDataKey(L"B3")), nullptr);
    EXPECT_EQ(numberAt(machinings, L"B2\\GEN\\DIAM"), 9.0);
    EXPECT_NE(machinings.getItem(CZunDataKey(L"SLOTS")), nullptr);
    EXPECT_EQ(zunHoleRowsRead(machinings).size(), 8) << "six of the plate and B1, less A2, and two new";
}

// ---- the dialog ------------------------------------------------------------------

class HoleDialog : public HostAppFixture {
protected:
    void SetUp() override
    {
        HostAppFixture::SetUp();
        ZUN::msgLangSet(L"en");
        m_entity.setItem(CZunDataKey(L"BT"), sampleMachinings());
        m_entity.set(L"STEEL_PLATE", CZunDataKey(L"PART_CON"));
    }

    static void setCell(CZunHoleDialog& dialog, int row, int column, const QVariant& value)
    {
        dialog.table()->item(row, column)->setData(Qt::EditRole, value);
    }
    static int previewItems(CZunHoleDialog& dialog) { return dialog.preview()->get_dpList()->lenGet(); }

    CZunDataItem m_entity{true};
};

TEST_F(HoleDialog, ShowsTheDrillingsAndThePlate)
{
    CZunHoleDialog dialog(m_entity);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Machinings"));
    EXPECT_EQ(dialog.table()->rowCount(), 6);
    EXPECT_EQ(dialog.table()->horizontalHeaderItem(CZunHoleDialog::kThread)->text(), QStringLiteral("Thread"));
    EXPECT_GT(previewItems(dialog), 0);
    EXPECT_TRUE(dialog.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
}

TEST_F(HoleDialog, ARowThatMakesNoDrillingBlocksOkAndIsNamed)
{
    CZunHoleDialog dialog(m_entity);
    setCell(dialog, 1, CZunHoleDialog::kSink, 3.0);
    EXPECT_FALSE(dialog.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
    EXPECT_TRUE(dialog.problem()->text().startsWith(QStringLiteral("Row 2 (A2)"))) << dialog.problem()->text().toStdString();
    setCell(dialog, 1, CZunHoleDialog::kSink, 0.0);
    EXPECT_TRUE(dialog.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
    EXPECT_TRUE(dialog.problem()->text().isEmpty());
}

TEST_F(HoleDialog, EditsReachThePreviewAndTheData)
{
    CZunHoleDialog dialog(m_entity);
    const int before = previewItems(dialog);
    dialog.table()->selectRow(0);
    dialog.addRow();
    EXPECT_EQ(dialog.table()->rowCount(), 7);
    EXPECT_GT(previewItems(dialog), before) << "the new drilling is drawn";
    dialog.table()->selectRow(2);
    dialog.removeSelectedRows();
    dialog.removeSelectedRows();  // nothing selected any more: nothing goes
    EXPECT_EQ(dialog.table()->rowCount(), 6);
    setCell(dialog, 0, CZunHoleDialog::kX, -90.0);
    // A thread makes the bore its tap drill, shown and no longer typed.
    setCell(dialog, 1, CZunHoleDialog::kThread, QStringLiteral("M12"));
    EXPECT_EQ(dialog.table()->item(1, CZunHoleDialog::kDiameter)->data(Qt::EditRole).toDouble(), 10.25);
    EXPECT_FALSE(dialog.table()->item(1, CZunHoleDialog::kDiameter)->flags() & Qt::ItemIsEditable);
    setCell(dialog, 1, CZunHoleDialog::kThread, QString());
    EXPECT_TRUE(dialog.table()->item(1, CZunHoleDialog::kDiameter)->flags() & Qt::ItemIsEditable);

    const QVector<CZunHoleRow> rows = zunHoleRowsRead(*dialog.entityData().getItem(CZunDataKey(L"BT")));
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rowByKey(rows, QStringLiteral("A1"))->x, -90.0);
    EXPECT_EQ(rowByKey(rows, QStringLiteral("A3")), nullptr) << "the third row was removed";
    EXPECT_NE(rowByKey(rows, QStringLiteral("B1")), nullptr) << "the added row got a key";
    CZunString material;
    EXPECT_TRUE(dialog.entityData().get(material, CZunDataKey(L"PART_CON")));
}

// ---- the whole way: module bridge, host dialog, drawing ---------------------

class HoleDialogInHost : public HostWindowFixture {
protected:
    void SetUp() override
    {
        HostWindowFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        m_window->setLanguage(QStringLiteral("en"));
        m_window->setMessageHook([this](const QString&, const QString& text) { m_messages.append(text); });
    }

    void whenDialogOpens(std::function<void(CZunHoleDialog&)> act)
    {
        HostWindowFixture::whenDialogOpens<CZunHoleDialog>(std::move(act));
    }
};

TEST_F(HoleDialogInHost, AcceptedEditsComeBackIntoTheAssemblyAndThePicture)
{
    m_window->tree()->setCurrentItem(m_window->partNode(QStringLiteral("D4")));
    const QImage before = m_window->viewer()->renderImage();
    CZunDataItem assembly(true);
    assembly.set(L"Frame 7", CZunDataKey(L"LABEL"));
    assembly.setItem(CZunDataKey(L"HOLE"), sampleMachinings());
    CZunString type = L"SENK";

    whenDialogOpens([](CZunHoleDialog& dialog) {
        dialog.table()->item(4, CZunHoleDialog::kX)->setData(Qt::EditRole, 60.0);  // L1
        dialog.buttons()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(ZUN::dlgBgr(ZUN::DlgEnv_st(), type, &assembly, nullptr), 1);
    EXPECT_TRUE(m_sawDialog);

    const QVector<CZunHoleRow> rows = zunHoleRowsRead(*assembly.getItem(CZunDataKey(L"HOLE")));
    ASSERT_NE(rowByKey(rows, QStringLiteral("L1")), nullptr);
    EXPECT_EQ(rowByKey(rows, QStringLiteral("L1"))->x, 60.0);
    CZunString label;
    EXPECT_TRUE(assembly.get(label, CZunDataKey(L"LABEL")));
    EXPECT_EQ(label, CZunString(L"Frame 7"));
    EXPECT_EQ(type, CZunString(L"SENK")) << "the type the bridge handed over comes back";
    EXPECT_NE(m_window->viewer()->renderImage(), before) << "the shown part follows its data";
}

TEST_F(HoleDialogInHost, CancelledDialogLeavesEverything)
{
    m_window->tree()->setCurrentItem(m_window->partNode(QStringLiteral("D4")));
    CZunDataItem assembly(true);
    assembly.setItem(CZunDataKey(L"HOLE"), sampleMachinings());
    const std::string before = ZUN::dataToJson(assembly, 0);
    CZunString type;
    whenDialogOpens([](CZunHoleDialog& dialog) {
        dialog.table()->item(0, CZunHoleDialog::kX)->setData(Qt::EditRole, 1.0);
        dialog.reject();
    });
    EXPECT_EQ(ZUN::dlgBgr(ZUN::DlgEnv_st(), type, &assembly, nullptr), 2);
    EXPECT_TRUE(m_sawDialog);
    EXPECT_EQ(ZUN::dataToJson(assembly, 0), before);
}

TEST_F(HoleDialogInHost, WithoutAHoleEntityTheUserIsToldAndNothingChanges)
{
    m_window->setPartChooser([](const QStringList&) { return -1; });
    ZUN::CZunDrawing empty;
    ZUN::drawingCurrent().swap(empty);
    CZunDataItem assembly(true);
    CZunString type;
    EXPECT_EQ(ZUN::dlgBgr(ZUN::DlgEnv_st(), type, &assembly, nullptr), 2);
    ZUN::drawingCurrent().swap(empty);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages.front(), QStringLiteral("No hole pattern picked: machinings need a part of type HOLE."));
}

} // namespace

// A length typed into a cell with a decimal comma or point reaches the row
// as that number: the comma is never taken for a group separator.
struct TypedLength {
    const char* name;
    int column;
    const char* typed;
    double value;
};

void PrintTo(const TypedLength& c, std::ostream* os) { *os << c.name; }

class HoleDialogTyping : public HoleDialog, public ::testing::WithParamInterface<TypedLength> {};

TEST_P(HoleDialogTyping, TheTypedNumberIsTheCellsValue)
{
    const TypedLength& c = GetParam();
    CZunHoleDialog dialog(m_entity);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTableWidget* table = dialog.table();
    table->setCurrentCell(0, c.column);
    table->editItem(table->item(0, c.column));
    auto* editor = table->findChild<QAbstractSpinBox*>();
    ASSERT_NE(editor, nullptr);
    auto* line = editor->findChild<QLineEdit*>();
    ASSERT_NE(line, nullptr);
    line->setFocus();
    line->selectAll();
    QTest::keyClicks(line, QString::fromUtf8(c.typed));
    const int wide = editor->fontMetrics().horizontalAdvance(QStringLiteral("-1000000.000"));
    EXPECT_GE(editor->width(), wide) << "the whole number can be seen while typing";
    EXPECT_EQ(line->text(), QString::fromUtf8(c.typed).replace(QLatin1Char(','), QLatin1Char('.')))
        << "a comma is shown as the decimal point it stands for";
    // What the table's delegate does when the edit is committed.
    editor->interpretText();
    table->itemDelegate()->setModelData(editor, table->model(), table->model()->index(0, c.column));
    EXPECT_DOUBLE_EQ(table->item(0, c.column)->data(Qt::EditRole).toDouble(), c.value);
    dialog.reject();
}

INSTANTIATE_TEST_SUITE_P(Cases, HoleDialogTyping,
                         ::testing::Values(TypedLength{"x_with_point", CZunHoleDialog::kX, "-112.5", -112.5},
                                           TypedLength{"x_with_comma", CZunHoleDialog::kX, "-155,5", -155.5},
                                           TypedLength{"y_with_comma", CZunHoleDialog::kY, "12,25", 12.25},
                                           TypedLength{"diameter_with_comma", CZunHoleDialog::kDiameter, "7,5", 7.5},
                                           TypedLength{"depth_whole", CZunHoleDialog::kDepth, "25", 25.0}),
                         [](const auto& info) { return std::string(info.param.name); });
