// Remembered positions: kept per title in the volatile settings, position
// and size as two 16-bit halves, clamped onto the screen when saved, size
// restored only for resizable dialogs, nothing for a dialog without title.
#include "tests/ui/ui_test_util.h"

#include "contracts/os/zun_registry.h"

#include <QScreen>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace ZUN;

namespace {

CZunString positionKey(const wchar_t* title)
{
    return regAppKey(L"ZUN") + L"\\Dialogs\\" + title;
}

std::uint32_t pack(int low, int high)
{
    return (static_cast<std::uint32_t>(low) & 0xFFFFu) | (static_cast<std::uint32_t>(high) << 16);
}

QRect screenRect()
{
    return QGuiApplication::primaryScreen()->geometry();
}

// Opens a dialog, puts it at rect (frame position and client size) and
// closes it; frame receives the size with the window frame.
void openMoveClose(int idTemplate, const QRect& rect, QSize& frame)
{
    CTestDlg dlg(idTemplate);
    ASSERT_TRUE(dlg.Create());
    dlg.move(rect.topLeft());
    if (dlg.isResizable())
        dlg.resize(rect.size());
    QCoreApplication::processEvents();
    frame = dlg.frameGeometry().size();
    ASSERT_TRUE(dlg.DestroyWindow());
}

} // namespace

struct SaveCase {
    const char* name;
    QRect placed;          // where the dialog was when it closed (x, y as offsets, see below)
    bool fromRight;        // x counts back from the screen's right edge
    bool fromBottom;       // y counts back from the screen's bottom edge
    int expectX;           // expected saved left; -1: the screen's right edge minus the frame's width
    int expectY;           // expected saved top; -1: the screen's bottom edge minus the frame's height
};

void PrintTo(const SaveCase& c, std::ostream* os)
{
    *os << c.name;
}

class SavePositionTest : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SavePositionTest, APositionIsSavedWhereTheDialogFitsOnTheScreen)
{
    const SaveCase& c = GetParam();
    CTestSettings settings;
    const QRect screen = screenRect();
    QRect placed = c.placed;
    if (c.fromRight)
        placed.moveLeft(screen.right() + 1 - c.placed.x());
    if (c.fromBottom)
        placed.moveTop(screen.bottom() + 1 - c.placed.y());
    QSize frame;
    openMoveClose(kTplFields, placed, frame);
    ASSERT_GE(placed.width(), CTestDlg(kTplFields).minimumSizeHint().width()) << "a size the dialog can take";

    std::uint32_t pos = 0;
    std::uint32_t size = 0;
    ASSERT_TRUE(regRead(positionKey(L"Testdialog"), L"Pos", pos));
    ASSERT_TRUE(regRead(positionKey(L"Testdialog"), L"Size", size));
    const int expectX = c.expectX >= 0 ? c.expectX : screen.right() + 1 - frame.width();
    const int expectY = c.expectY >= 0 ? c.expectY : screen.bottom() + 1 - frame.height();
    EXPECT_EQ(pos, pack(expectX, expectY));
    EXPECT_EQ(size, pack(placed.width(), placed.height())) << "the size as it was";
    // The key lives in the volatile store, as the position of a session.
    EXPECT_TRUE(std::filesystem::exists(settings.dir().path() / "volatile.ini"));
    EXPECT_FALSE(std::filesystem::exists(settings.dir().path() / "registry.ini"));
}

INSTANTIATE_TEST_SUITE_P(
    Places, SavePositionTest,
    ::testing::Values(SaveCase{"inside", QRect(40, 30, 360, 400), false, false, 40, 30},
                      SaveCase{"half_off_left", QRect(-180, 50, 360, 400), false, false, 0, 50},
                      SaveCase{"half_off_top", QRect(60, -100, 360, 400), false, false, 60, 0},
                      // 180 from the right edge: half of it beyond.
                      SaveCase{"half_off_right", QRect(180, 20, 360, 400), true, false, -1, 20},
                      SaveCase{"half_off_bottom", QRect(10, 200, 360, 400), false, true, 10, -1}),
    [](const auto& info) { return std::string(info.param.name); });

struct RestoreCase {
    const char* name;
    int idTemplate;
    const wchar_t* title;
    bool restoresSize;
};

void PrintTo(const RestoreCase& c, std::ostream* os)
{
    *os << c.name;
}

class RestorePositionTest : public ::testing::TestWithParam<RestoreCase> {};

TEST_P(RestorePositionTest, AResizableDialogGetsItsSizeBackAFixedOneOnlyItsPosition)
{
    const RestoreCase& c = GetParam();
    CTestSettings settings;
    ASSERT_TRUE(regWrite(positionKey(c.title), L"Pos", pack(123, 77), true));
    ASSERT_TRUE(regWrite(positionKey(c.title), L"Size", pack(400, 420), true));

    CTestDlg dlg(c.idTemplate);
    QRect saved;
    EXPECT_FALSE(dlg.getSavedPos(&saved)) << "the title is known only at creation";
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.m_posKey, c.title);
    EXPECT_EQ(dlg.pos(), QPoint(123, 77));
    if (c.restoresSize)
        EXPECT_EQ(dlg.size(), QSize(400, 420));
    else
        EXPECT_EQ(dlg.size(), dlg.minimumSize()) << "the fixed size of its layout";
    EXPECT_EQ(dlg.size() == QSize(400, 420), c.restoresSize);
    EXPECT_EQ(dlg.isResizable(), c.restoresSize);
    ASSERT_TRUE(dlg.getSavedPos(&saved));
    EXPECT_EQ(saved, QRect(123, 77, 400, 420));
    dlg.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(Kinds, RestorePositionTest,
                         ::testing::Values(RestoreCase{"resizable", kTplFields, L"Testdialog", true},
                                           RestoreCase{"fixed", kTplFixed, L"Fest", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DialogPosition, ADialogWithoutTitleNeverSavesNorRestores)
{
    CTestSettings settings;
    // Even a position stored under the empty name is not taken.
    regWrite(regAppKey(L"ZUN") + L"\\Dialogs", L"Pos", pack(5, 5), true);
    CTestDlg dlg(kTplNoTitle);
    ASSERT_TRUE(dlg.Create());
    const QPoint opened = dlg.pos();
    dlg.move(300, 200);
    ASSERT_TRUE(dlg.DestroyWindow());
    EXPECT_NE(opened, QPoint(5, 5));
    CZunRegKey dialogs;
    ASSERT_TRUE(dialogs.open(regAppKey(L"ZUN") + L"\\Dialogs"));
    EXPECT_EQ(dialogs.valueNames().len(), 1) << "nothing was added";
    EXPECT_FALSE(std::filesystem::exists(settings.dir().path() / "registry.ini"));
}

TEST(DialogPosition, SavePositionFalseKeepsNothing)
{
    CTestSettings settings;
    CTestDlg dlg(kTplFields);
    dlg.SavePosition(false);
    ASSERT_TRUE(dlg.Create());
    dlg.DestroyWindow();
    EXPECT_FALSE(regKeyExists(positionKey(L"Testdialog")));
}

TEST(DialogPosition, AModalRunRemembersWhereItWasLeft)
{
    CTestSettings settings;
    {
        CTestDlg dlg(kTplFixed);
        whenModal([](QWidget* modal) {
            modal->move(210, 140);
            static_cast<QDialog*>(modal)->accept();
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
    }
    CTestDlg again(kTplFixed);
    QPoint shownAt;
    whenModal([&](QWidget* modal) {
        shownAt = modal->pos();
        static_cast<QDialog*>(modal)->reject();
    });
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_EQ(shownAt, QPoint(210, 140));
}

TEST(DialogPosition, ADamagedSettingsFileLeavesTheTemplatePosition)
{
    CTestSettings settings;
    const std::string damaged = "[Software\nbroken";
    settings.dir().write("volatile.ini", damaged);
    CTestDlg dlg(kTplFixed);
    ASSERT_TRUE(dlg.Create());
    const QPoint opened = dlg.pos();
    QRect saved;
    EXPECT_FALSE(dlg.getSavedPos(&saved));
    dlg.move(opened + QPoint(40, 40));
    ASSERT_TRUE(dlg.DestroyWindow()) << "a failed save is no failure of the dialog";
    std::ifstream in(settings.dir().path() / "volatile.ini", std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after, damaged);
}
