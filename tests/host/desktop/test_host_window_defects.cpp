// What a user of the host window ran into: recent files that are gone,
// the name an export suggests, the cursor readout of the drawing before,
// and a zoom without limits.

#include "tests/host/desktop/host_window_fixture.h"
#include "tests/host/desktop/pick_test_points.h"
#include "render/qt/zun_dplist_image.h"
#include "render/qt/zun_qstring.h"
#include "tests/images/slide/slide_writer.h"

#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QWheelEvent>

#include <cmath>

namespace {

QStringList recentMenuPaths(const CZunHostWindow& window)
{
    QStringList paths;
    for (const QAction* action : window.recentMenu()->actions())
        paths.append(action->data().toString());
    return paths;
}

// Writes a file of the kind into path that the window opens.
using FileMaker = bool (*)(const QString& path);

bool makeDrawing(const QString& path)
{
    return QFile::copy(kSampleDrawing, path);
}

bool makeSlide(const QString& path)
{
    SlideWriter w(2, false, 400, 300);
    w.color(1).vector(0, 0, 400, 300).end();
    const std::vector<std::uint8_t> bytes = w.bytes();
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

bool makePicture(const QString& path)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return image.save(path, "PNG");
}

struct RecentCase {
    const char* name;
    const char* file;
    FileMaker make;
};

class HostRecentFiles : public HostWindowFixture, public ::testing::WithParamInterface<RecentCase> {};

} // namespace

TEST_P(HostRecentFiles, AFileThatIsGoneLeavesTheRecentFilesWhenItFailsToOpen)
{
    const RecentCase& c = GetParam();
    const QString file = QFileInfo(path(c.file)).absoluteFilePath();
    ASSERT_TRUE(c.make(file));
    ASSERT_TRUE(m_window->openFile(file));
    ASSERT_TRUE(waitUntilOpened());
    ASSERT_TRUE(m_window->settings().recentFiles().contains(file));
    ASSERT_TRUE(recentMenuPaths(*m_window).contains(file));

    ASSERT_TRUE(QFile::remove(file));
    EXPECT_FALSE(m_window->openFile(file));
    EXPECT_EQ(m_messages.size(), 1) << "the failure is still reported";
    EXPECT_FALSE(m_window->settings().recentFiles().contains(file));
    EXPECT_FALSE(recentMenuPaths(*m_window).contains(file));
    // The other recent files stay.
    EXPECT_TRUE(m_window->settings().recentFiles().contains(QFileInfo(drawingPath()).absoluteFilePath()));
}

INSTANTIATE_TEST_SUITE_P(Kinds, HostRecentFiles,
                         ::testing::Values(RecentCase{"Drawing", "other.json", makeDrawing},
                                           RecentCase{"Slide", "frame.sld", makeSlide},
                                           RecentCase{"Picture", "blue.png", makePicture}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostWindowFixture, AFileThatFailsButExistsStaysAmongTheRecentFiles)
{
    const QString file = QFileInfo(path("picture.png")).absoluteFilePath();
    ASSERT_TRUE(makePicture(file));
    ASSERT_TRUE(m_window->openPicture(file));
    QFile broken(file);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("no picture");
    broken.close();
    EXPECT_FALSE(m_window->openPicture(file));
    EXPECT_TRUE(m_window->settings().recentFiles().contains(file));
}

namespace {

struct ExportNameCase {
    const char* handle;  // empty: the drawing's overview
    const char* expected;
};

class HostExportName : public HostWindowFixture, public ::testing::WithParamInterface<ExportNameCase> {};

} // namespace

TEST_P(HostExportName, TheExportDialogSuggestsTheNameOfWhatIsShown)
{
    const ExportNameCase& c = GetParam();
    m_window->showNode(*c.handle ? m_window->partNode(QString::fromLatin1(c.handle)) : m_window->drawingNode());
    const QFileInfo suggested(m_window->suggestedExportPath(QStringLiteral("svg")));
    EXPECT_EQ(suggested.fileName(), QString::fromUtf8(c.expected));
    EXPECT_EQ(suggested.absolutePath(), QFileInfo(drawingPath()).absolutePath());
}

INSTANTIATE_TEST_SUITE_P(Parts, HostExportName,
                         ::testing::Values(ExportNameCase{"D4", "Column base plate 300x400x25.svg"},
                                           ExportNameCase{"4D", "Cavity wall with three shells.svg"},
                                           ExportNameCase{"", "drawing.svg"}));

TEST_F(HostWindowFixture, ANameWithSlashesIsMadeAFileName)
{
    const QString file = path("slashes.json");
    QFile json(file);
    ASSERT_TRUE(json.open(QIODevice::WriteOnly));
    json.write(R"({"zun": "drawing", "version": 1, "parts": [
        {"handle": "W1", "type": "WALL", "name": "Wall A/B: east?", "data": {"VL": {"$": "vl", "pts": [[0, 0], [3000, 0]]},
                                                            "SN": {"#1": {"THICK": 240.0}}}}]})");
    json.close();
    ASSERT_TRUE(m_window->openDrawing(file));
    ASSERT_TRUE(waitUntilOpened());
    m_window->showNode(m_window->partNode(QStringLiteral("W1")));
    EXPECT_EQ(QFileInfo(m_window->suggestedExportPath(QStringLiteral("png"))).fileName(),
              QStringLiteral("Wall A_B_ east_.png"));
}

TEST_F(HostWindowFixture, TheCursorReadoutStartsAfreshWithAnotherDrawing)
{
    QTest::mouseMove(m_window->viewer(), m_window->viewer()->rect().center());
    ASSERT_FALSE(m_window->cursorText().isEmpty());
    const QString other = path("other.json");
    ASSERT_TRUE(QFile::copy(kSampleDrawing, other));
    ASSERT_TRUE(m_window->openDrawing(other));
    ASSERT_TRUE(waitUntilOpened());
    EXPECT_EQ(m_window->cursorText(), QString());
}

namespace {

struct ZoomLimitCase {
    const char* name;
    int notches;
};

class HostZoomLimit : public HostWindowFixture, public ::testing::WithParamInterface<ZoomLimitCase> {};

} // namespace

TEST_P(HostZoomLimit, SixtyNotchesStillShowTheDrawing)
{
    m_window->showNode(m_window->partNode(QStringLiteral("4D")));
    CZunDplistImage* viewer = m_window->viewer();
    const QImage before = viewer->renderImage();
    const QRect fitted = inkBox(before);
    ASSERT_FALSE(fitted.isEmpty());
    // In: about a point inside a hatched shell, between its hatch lines.
    const std::map<int, QPoint> inside = pointsInsideAreas(*viewer->get_dpList(), viewer->size(), 2.0);
    ASSERT_FALSE(inside.empty());
    const QPoint at = GetParam().notches > 0 ? inside.begin()->second : fitted.center();
    const int step = GetParam().notches > 0 ? 120 : -120;
    for (int i = 0; i < std::abs(GetParam().notches); ++i) {
        QWheelEvent wheel(QPointF(at), QPointF(viewer->mapToGlobal(at)), QPoint(), QPoint(0, step), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer, &wheel);
    }
    const CZunMatrix3d& zoom = viewer->get_dpList()->zoomMtxGet();
    const double scale = std::hypot(zoom.m[0][0], zoom.m[1][0]);
    EXPECT_GE(scale, CZunDplistImage::kZoomOutLimit * 0.999);
    EXPECT_LE(scale, CZunDplistImage::kZoomInLimit * 1.001);
    const QImage image = viewer->renderImage();
    // Measured against the fitted picture's background: zoomed in on a
    // shell, the window may show nothing but it.
    int ink = 0;
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != before.pixel(0, 0)) {
                ++ink;
                box |= QRect(x, y, 1, 1);
            }
    EXPECT_GT(ink, 100) << "nothing is left to see";
    if (step < 0) {
        EXPECT_GE(box.width(), fitted.width() / 20) << "the drawing is a speck";
    }
    // The wheel goes back from the limit at once.
    QWheelEvent back(QPointF(at), QPointF(viewer->mapToGlobal(at)), QPoint(), QPoint(0, -step), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewer, &back);
    const double after = std::hypot(viewer->get_dpList()->zoomMtxGet().m[0][0], viewer->get_dpList()->zoomMtxGet().m[1][0]);
    EXPECT_NEAR(after, step > 0 ? scale / 1.2 : scale * 1.2, 1e-6 * scale);
}

INSTANTIATE_TEST_SUITE_P(Wheel, HostZoomLimit,
                         ::testing::Values(ZoomLimitCase{"In", 60}, ZoomLimitCase{"Out", -60}),
                         [](const auto& info) { return std::string(info.param.name); });
