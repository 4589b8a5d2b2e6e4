// Files dropped onto the host's window: drawings, slides and pictures open,
// other files are named in a message and change nothing.

#include "host_window_fixture.h"

#include "host/desktop/zun_file_drop.h"

#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

const QString kSlide = QStringLiteral(ZUN_SOURCE_RES_DIR "/slides/zun_arrow.sld");

// What a drop of these URLs on the window does: the window must take the
// drag first, as a real one is only dropped where it was accepted.
bool dropOn(QWidget& window, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(window.width() / 2, window.height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    return drop.isAccepted();
}

struct KindCase {
    const char* name;
    bool opens;
};

class FileDropKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(FileDropKind, OpensTheKindsTheFileMenuOpens)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(GetParam().name));
    ASSERT_TRUE(writeFile(path, "x"));
    EXPECT_EQ(CZunFileDrop::canOpen(path), GetParam().opens);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileDropKind,
                         ::testing::Values(KindCase{"plan.json", true}, KindCase{"PLAN.JSON", true},
                                           KindCase{"a.sld", true}, KindCase{"lib.slb", true},
                                           KindCase{"p.png", true}, KindCase{"p.jpeg", true},
                                           KindCase{"p.svg", true}, KindCase{"p.emf", true},
                                           KindCase{"notes.txt", false}, KindCase{"plan.dwg", false},
                                           KindCase{"json", false}, KindCase{"archive.json.gz", false}));

TEST(FileDropSort, FoldersMissingAndRemoteFilesAreRefused)
{
    QTemporaryDir dir;
    const QString drawing = dir.filePath(QStringLiteral("a.json"));
    ASSERT_TRUE(writeFile(drawing, "{}"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.json")));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(drawing), QUrl::fromLocalFile(dir.filePath(QStringLiteral("folder.json"))),
                  QUrl::fromLocalFile(dir.filePath(QStringLiteral("gone.json"))),
                  QUrl(QStringLiteral("https://example.org/plan.json"))});
    QStringList openable, refused;
    CZunFileDrop::sort(data, openable, refused);
    EXPECT_EQ(openable, QStringList{drawing});
    ASSERT_EQ(refused.size(), 3);
    EXPECT_TRUE(refused[2].startsWith(QStringLiteral("https://")));
}

using HostFileDrop = HostWindowFixture;

TEST_F(HostFileDrop, ADroppedDrawingOpens)
{
    const QString other = path("other.json");
    ASSERT_TRUE(QFile::copy(kSampleDrawing, other));
    ASSERT_TRUE(dropOn(*m_window, {QUrl::fromLocalFile(other)}));
    if (m_window->isOpening()) {
        QSignalSpy opened(m_window.get(), &CZunHostWindow::drawingOpened);
        ASSERT_TRUE(opened.wait(10000));
    }
    EXPECT_EQ(m_window->document().path(), other);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('|').toStdString();
    EXPECT_EQ(m_window->drawingNode()->text(0), QStringLiteral("other.json"));
}

TEST_F(HostFileDrop, OtherFilesAreNamedAndTheOpenableOnesStillOpen)
{
    const QString notes = path("notes.txt");
    ASSERT_TRUE(writeFile(notes, "not a drawing"));
    const QString drawingBefore = m_window->document().path();
    const int topNodes = m_window->tree()->topLevelItemCount();

    ASSERT_TRUE(dropOn(*m_window, {QUrl::fromLocalFile(notes), QUrl::fromLocalFile(kSlide)}));
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].startsWith(QStringLiteral("Nicht geöffnet\n"))) << m_messages[0].toStdString();
    EXPECT_TRUE(m_messages[0].contains(QStringLiteral("notes.txt"))) << m_messages[0].toStdString();
    EXPECT_TRUE(m_messages[0].contains(QStringLiteral("*.json"))) << m_messages[0].toStdString();
    EXPECT_FALSE(m_messages[0].contains(QStringLiteral("zun_arrow.sld")));
    // The slide opened beside the drawing, which stays.
    EXPECT_EQ(m_window->document().path(), drawingBefore);
    EXPECT_EQ(m_window->tree()->topLevelItemCount(), topNodes + 1);
    EXPECT_EQ(m_window->tree()->currentItem()->text(0), QStringLiteral("zun_arrow.sld"));

    // Only a file that cannot be opened: the message, nothing else.
    m_messages.clear();
    ASSERT_TRUE(dropOn(*m_window, {QUrl::fromLocalFile(notes)}));
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_window->tree()->topLevelItemCount(), topNodes + 1);
}

TEST_F(HostFileDrop, TextWithoutFilesIsNotTaken)
{
    QMimeData data;
    data.setText(QStringLiteral("plan.json"));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(m_window.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

} // namespace
