// Saving the drawing and undoing its changes in the desktop host: the
// file is replaced whole or not at all, unsaved changes are asked about,
// and every change comes back with Ctrl+Z and goes again with Ctrl+Y.

#include "host_window_fixture.h"

#include "contracts/data/zun_data_file.h"
#include "render/qt/zun_dplist_image.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

class HostDocument : public HostWindowFixture {
protected:
    // In English, the plate shown, the question about unsaved changes
    // answered by the test.
    HostWindowOptions options() const override
    {
        HostWindowOptions o;
        o.copyName = QStringLiteral("plate.json");
        o.language = QStringLiteral("en");
        o.size = QSize();
        return o;
    }
    void prepareWindow(CZunHostWindow& window) override
    {
        window.setSaveQuestion([this] {
            ++m_questions;
            return m_answer;
        });
    }
    void SetUp() override
    {
        HostWindowFixture::SetUp();
        m_drawing = drawingPath();
        m_window->tree()->setCurrentItem(m_window->partNode(QStringLiteral("D4")));
    }

    // The plate's label changed and its drillings moved: one step.
    void changePlate()
    {
        CZunDataItem data = plate().data;
        data.set(L"changed plate", CZunDataKey(L"LABEL"));
        data.remove(CZunDataKey(L"BT\\A1"));
        ASSERT_TRUE(m_window->document().setPartData(QStringLiteral("D4"), data, QStringLiteral("edit")));
    }
    static ZUN::CZunPart& plate() { return *ZUN::drawingCurrent().partByHandle(L"D4"); }
    static std::string plateJson() { return ZUN::dataToJson(plate().data, 0); }

    QString m_drawing;
    QMessageBox::StandardButton m_answer = QMessageBox::Cancel;
    int m_questions = 0;
};

TEST_F(HostDocument, UndoAndRedoByKeysFollowEveryChange)
{
    const std::string original = plateJson();
    const QImage before = m_window->viewer()->renderImage();
    EXPECT_FALSE(m_window->isWindowModified());
    changePlate();
    const std::string changed = plateJson();
    EXPECT_NE(changed, original);
    EXPECT_TRUE(m_window->isWindowModified());
    const QImage after = m_window->viewer()->renderImage();
    EXPECT_NE(after, before) << "the shown part follows its data";

    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(plateJson(), original);
    EXPECT_FALSE(m_window->isWindowModified()) << "back where it was saved";
    EXPECT_EQ(m_window->viewer()->renderImage(), before);

    QTest::keyClick(m_window.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(plateJson(), changed);
    EXPECT_EQ(m_window->viewer()->renderImage(), after);
    EXPECT_FALSE(m_window->document().setPartData(QStringLiteral("D4"), plate().data, QStringLiteral("none")))
        << "unchanged data is no step";
    EXPECT_FALSE(m_window->document().setPartData(QStringLiteral("XX"), plate().data, QStringLiteral("none")));
}

TEST_F(HostDocument, SavedChangesSurviveReopening)
{
    changePlate();
    const std::string changed = plateJson();
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
    EXPECT_FALSE(m_window->isWindowModified());
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("plate.json[*] – zun-host"));

    ASSERT_TRUE(m_window->openDrawing(kSampleDrawing));
    EXPECT_NE(plateJson(), changed);
    ASSERT_TRUE(m_window->openDrawing(m_drawing));
    EXPECT_EQ(plateJson(), changed);
    EXPECT_EQ(m_questions, 0) << "nothing unsaved, nothing asked";
}

TEST_F(HostDocument, SaveAsWritesTheNewFileAndKeepsTheOld)
{
    const QByteArray old = fileBytes(m_drawing);
    changePlate();
    const QString copy = m_dir.filePath(QStringLiteral("copy.json"));
    ASSERT_TRUE(m_window->saveDrawingTo(copy));
    EXPECT_EQ(fileBytes(m_drawing), old);
    EXPECT_EQ(m_window->document().path(), copy);
    ZUN::CZunDrawing reread;
    ASSERT_TRUE(reread.load(toZun(copy)));
    EXPECT_EQ(ZUN::dataToJson(reread.partByHandle(L"D4")->data, 0), plateJson());
}

// A save that cannot be written leaves the file as it was, says why and
// keeps the drawing modified.
TEST_F(HostDocument, AFailedSaveKeepsTheFileOnDisk)
{
    const QByteArray old = fileBytes(m_drawing);
    changePlate();
    EXPECT_FALSE(m_window->saveDrawingTo(m_dir.filePath(QStringLiteral("no/such/folder/plate.json"))));
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages.front().startsWith(QStringLiteral("Save failed\n"))) << m_messages.front().toStdString();
    EXPECT_TRUE(m_messages.front().endsWith(QStringLiteral("The file on disk stays as it was.")));

    // A full disk: writes beyond a few bytes fail as they would on a full
    // device (the size limit's signal ignored, the write reports the error).
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool saved512 = m_window->saveDrawing();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved512);
    EXPECT_EQ(fileBytes(m_drawing), old) << "the old file stays whole";
    EXPECT_FALSE(QFile::exists(m_drawing + QStringLiteral(".tmp"))) << "no half-written file left behind";
    EXPECT_EQ(m_messages.size(), 2);
    EXPECT_TRUE(m_window->isWindowModified());
}

struct CloseCase {
    const char* name;
    QMessageBox::StandardButton answer;
    bool closes;
    bool saves;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class HostDocumentClose : public HostDocument, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(HostDocumentClose, UnsavedChangesAreAskedAbout)
{
    const CloseCase& c = GetParam();
    const QByteArray old = fileBytes(m_drawing);
    changePlate();
    m_answer = c.answer;
    EXPECT_EQ(m_window->close(), c.closes);
    EXPECT_EQ(m_questions, 1);
    EXPECT_EQ(fileBytes(m_drawing) != old, c.saves);
    // Opening another drawing asks the same way.
    if (!c.closes) {
        EXPECT_FALSE(m_window->openDrawing(kSampleDrawing));
        EXPECT_EQ(m_questions, 2);
        EXPECT_EQ(m_window->document().path(), m_drawing);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, HostDocumentClose,
                         ::testing::Values(CloseCase{"Cancel", QMessageBox::Cancel, false, false},
                                           CloseCase{"Discard", QMessageBox::Discard, true, false},
                                           CloseCase{"Save", QMessageBox::Save, true, true}),
                         [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

} // namespace
