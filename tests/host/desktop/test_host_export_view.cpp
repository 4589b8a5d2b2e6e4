// File → Export writes the whole picture fitted, whatever the viewer's zoom;
// "export the view as shown" writes what the window shows.

#include "tests/host/desktop/host_window_fixture.h"
#include "host/desktop/zun_host_export.h"
#include "contracts/data/zun_msg.h"
#include "gdx/zun_gdx.h"
#include "render/qt/zun_dplist_image.h"

#include <QImage>
#include <QWheelEvent>

namespace {

struct ZoomCase {
    const char* name;
    int notches;
};

// A point on a line of the picture: zoomed about, it keeps a line in sight.
QPoint onALine(const QImage& image)
{
    const QRect box = inkBox(image);
    const int y = box.center().y();
    for (int x = box.left(); x <= box.right(); ++x)
        if (image.pixel(x, y) != image.pixel(0, 0))
            return {x, y};
    return box.center();
}

class HostExportAtZoom : public HostWindowFixture, public ::testing::WithParamInterface<ZoomCase> {};

} // namespace

TEST_P(HostExportAtZoom, ExportIsFittedAndTheShownViewIsAsShown)
{
    const ZoomCase& c = GetParam();
    m_window->showNode(m_window->partNode(QStringLiteral("D4")));
    CZunDplistImage* viewer = m_window->viewer();
    ASSERT_TRUE(m_window->exportTo(path("fitted.png")));
    const QImage fitted(path("fitted.png"));
    ASSERT_EQ(fitted.size(), QSize(1600, 1200));

    turnWheel(viewer, onALine(viewer->renderImage()), c.notches);
    ASSERT_FALSE(viewer->get_dpList()->zoomMtxGet() == CZunMatrix3d()) << "the wheel did not zoom";
    const CZunMatrix3d zoom = viewer->get_dpList()->zoomMtxGet();
    ASSERT_TRUE(m_window->exportTo(path("zoomed.png")));
    EXPECT_EQ(QImage(path("zoomed.png")), fitted) << "File → Export follows the viewer's zoom";

    // As shown: the window's picture scaled up to the file, the zoom kept.
    ASSERT_TRUE(m_window->exportShownTo(path("shown.png")));
    const QImage shown(path("shown.png"));
    const QImage window = viewer->renderImage();
    const QSize size = zunHostShownExportSize(window.size(), QSize(1600, 1200));
    ASSERT_EQ(shown.size(), size);
    const double k = static_cast<double>(size.width()) / window.width();
    const QRect inWindow = inkBox(window);
    const QRect inFile = inkBox(shown);
    ASSERT_FALSE(inWindow.isEmpty());
    const double slack = 2.0 * k + 2.0;
    EXPECT_NEAR(inFile.left(), inWindow.left() * k, slack);
    EXPECT_NEAR(inFile.top(), inWindow.top() * k, slack);
    EXPECT_NEAR(inFile.right(), (inWindow.right() + 1) * k, slack);
    EXPECT_NEAR(inFile.bottom(), (inWindow.bottom() + 1) * k, slack);
    EXPECT_EQ(viewer->get_dpList()->zoomMtxGet(), zoom) << "exports leave the viewer as it is";
}

INSTANTIATE_TEST_SUITE_P(Zooms, HostExportAtZoom,
                         ::testing::Values(ZoomCase{"In", 4}, ZoomCase{"Out", -4}, ZoomCase{"FarIn", 12}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostWindowFixture, TheOtherFormatsAreFittedAsWell)
{
    m_window->showNode(m_window->partNode(QStringLiteral("4D")));
    ASSERT_TRUE(m_window->exportTo(path("fitted.svg")));
    turnWheel(m_window->viewer(), m_window->viewer()->rect().center(), 5);
    ASSERT_TRUE(m_window->exportTo(path("zoomed.svg")));
    QFile a(path("fitted.svg")), b(path("zoomed.svg"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
}

// An export that fails says why in the window's language.
struct ExportFailure {
    const char* name;
    const wchar_t* language;
    const char* path;
    const char* reason;
};

void PrintTo(const ExportFailure& c, std::ostream* os) { *os << c.name; }

class HostExportFailure : public ::testing::TestWithParam<ExportFailure> {
protected:
    void TearDown() override { ZUN::msgLangSet(L"de"); }
};

TEST_P(HostExportFailure, TheReasonIsInTheLanguage)
{
    const ExportFailure& c = GetParam();
    ZUN::msgLangSet(c.language);
    CZunGDX list;
    QString error;
    EXPECT_FALSE(zunHostExport(list, QString::fromUtf8(c.path), QSize(64, 48), &error));
    EXPECT_EQ(error, QString::fromUtf8(c.reason));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostExportFailure,
    ::testing::Values(
        ExportFailure{"unwritable_de", L"de", "/proc/zun-export.png", "die Datei kann nicht geschrieben werden"},
        ExportFailure{"unwritable_en", L"en", "/proc/zun-export.png", "the file cannot be written"},
        ExportFailure{"unknown_de", L"de", "/tmp/zun-export.txt", "unbekanntes Format „txt“ (png, svg, pdf, emf)"},
        ExportFailure{"unknown_en", L"en", "/tmp/zun-export.txt", "unknown format 'txt' (png, svg, pdf, emf)"}),
    [](const auto& info) { return std::string(info.param.name); });
