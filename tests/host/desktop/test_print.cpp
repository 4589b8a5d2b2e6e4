// Printing of the shown list: the page's size and the drawing's size on it
// at each scale (read back from the PDF by an independent rasteriser), the
// scale at which a drawing fits, the page set-up dialog and what the host
// remembers of it.

#include "host_window_fixture.h"

#include "gdx/zun_gdx.h"
#include "host/desktop/zun_host_print.h"
#include "host/desktop/zun_host_settings.h"
#include "host/desktop/zun_print_dialog.h"

#include <QComboBox>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTreeWidget>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Paper = CZunPrintSetup::Paper;

// The outline of a w x h millimetre rectangle, drawn in colour 7 (black on
// paper).
CZunGDX rectangleList(double w, double h)
{
    CZunGDX gdx;
    CZunVertexArray outline = CZunVertexArray::fromPoints(CZunPoint3dArray{{0, 0}, {w, 0}, {w, h}, {0, h}}, true);
    gdx.imageVl({1}, 0, outline, CZunColor(7), {}, {1.0}, 1.0, 2, {});
    return gdx;
}

// The box of the pixels darker than mid-grey.
QRect darkBox(const QImage& image)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qGray(row[x]) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The PDF's first page at 254 dots per inch (ten pixels a millimetre),
// drawn by poppler's rasteriser; null when it is not installed.
QImage rasterised(const QString& pdf, const QTemporaryDir& dir)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (tool.isEmpty())
        return {};
    const QString stem = dir.filePath(QStringLiteral("page"));
    QProcess::execute(tool, {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-png"),
                             QStringLiteral("-singlefile"), pdf, stem});
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

struct PageCase {
    Paper paper;
    bool landscape;
    int scale;
    double pageW, pageH;       // millimetres
    double drawnW, drawnH;     // the 100 x 50 rectangle on paper, millimetres
};

void PrintTo(const PageCase& c, std::ostream* os)
{
    *os << (c.paper == Paper::A3 ? "A3" : "A4") << (c.landscape ? " landscape" : " portrait") << " 1:" << c.scale;
}

class PrintedPage : public ::testing::TestWithParam<PageCase> {};

// Fitted: the rectangle plus the viewer's margin of 5 % of its longer side
// fills the printable area (the page less 10 mm on each side) in the
// tighter direction.
double fittedScale(double areaW, double areaH)
{
    return std::min(areaW / 110.0, areaH / 60.0);
}

} // namespace

TEST_P(PrintedPage, HasThePapersSizeAndTheDrawingAtScaleInItsMiddle)
{
    const PageCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CZunPrintSetup setup;
    setup.paper = c.paper;
    setup.landscape = c.landscape;
    setup.scale = c.scale;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    QString error;
    ASSERT_TRUE(zunPrintPdf(rectangleList(100, 50), setup, pdf, &error)) << error.toStdString();

    const QImage page = rasterised(pdf, dir);
    if (page.isNull())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    EXPECT_NEAR(page.width(), c.pageW * 10, 2);
    EXPECT_NEAR(page.height(), c.pageH * 10, 2);
    const QRect drawn = darkBox(page);
    ASSERT_FALSE(drawn.isNull());
    // Within the pen's width, and for fitted pages within the 0.2 % that
    // page sizes gain when the PDF rounds them to whole points.
    EXPECT_NEAR(drawn.width(), c.drawnW * 10, 3 + c.drawnW * 0.02);
    EXPECT_NEAR(drawn.height(), c.drawnH * 10, 3 + c.drawnH * 0.02);
    EXPECT_NEAR(drawn.center().x(), page.width() / 2.0, 3);
    EXPECT_NEAR(drawn.center().y(), page.height() / 2.0, 3);
}

INSTANTIATE_TEST_SUITE_P(
    PaperAndScale, PrintedPage,
    ::testing::Values(PageCase{Paper::A4, false, 1, 210, 297, 100, 50},
                      PageCase{Paper::A4, false, 5, 210, 297, 20, 10},
                      PageCase{Paper::A4, true, 10, 297, 210, 10, 5},
                      PageCase{Paper::A3, false, 20, 297, 420, 5, 2.5},
                      PageCase{Paper::A3, true, 50, 420, 297, 2, 1},
                      PageCase{Paper::A4, false, CZunPrintSetup::kFit, 210, 297, 100 * fittedScale(190, 277),
                               50 * fittedScale(190, 277)},
                      PageCase{Paper::A3, true, CZunPrintSetup::kFit, 420, 297, 100 * fittedScale(400, 277),
                               50 * fittedScale(400, 277)}));

namespace {

struct FitCase {
    double w, h;  // drawing, millimetres
    Paper paper;
    bool landscape;
    int smallest;  // 0: fits at none
};

void PrintTo(const FitCase& c, std::ostream* os)
{
    *os << c.w << " x " << c.h << " mm on " << (c.paper == Paper::A3 ? "A3" : "A4")
        << (c.landscape ? " landscape" : " portrait");
}

class FittingScale : public ::testing::TestWithParam<FitCase> {};

} // namespace

TEST_P(FittingScale, IsTheSmallestOfferedScaleAtWhichTheDrawingFitsThePrintableArea)
{
    const FitCase& c = GetParam();
    const CZunPrintExtents extents{{-c.w / 2, 5, 0}, {c.w / 2, 5 + c.h, 0}};
    CZunPrintSetup setup;
    setup.paper = c.paper;
    setup.landscape = c.landscape;
    EXPECT_EQ(zunPrintSmallestFittingScale(extents, setup), c.smallest);
    for (int scale : CZunPrintSetup::kScales) {
        setup.scale = scale;
        const bool fits = scale == CZunPrintSetup::kFit || (c.smallest != 0 && scale >= c.smallest);
        EXPECT_EQ(zunPrintFits(extents, setup), fits) << "1:" << scale;
    }
}

// A4's printable area is 190 x 277 mm, A3's 277 x 400 mm (portrait).
INSTANTIATE_TEST_SUITE_P(Drawings, FittingScale,
                         ::testing::Values(FitCase{190, 277, Paper::A4, false, 1},
                                           FitCase{191, 100, Paper::A4, false, 5},
                                           FitCase{191, 100, Paper::A4, true, 1},
                                           FitCase{3000, 1500, Paper::A4, false, 20},
                                           FitCase{10000, 100, Paper::A3, true, 50},
                                           FitCase{15000, 100, Paper::A3, false, 0},
                                           FitCase{30000, 10, Paper::A3, true, 0}));

TEST(PrintSetupSettings, AreKeptAndWhatIsNotOfferedReadsAsTheDefault)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("ZUN_SETTINGS_DIR", dir.path().toLocal8Bit());
    const CZunPrintSetup chosen{Paper::A3, true, 20};
    {
        CZunHostSettings settings;
        EXPECT_EQ(settings.printSetup(), CZunPrintSetup());
        settings.setPrintSetup(chosen);
        settings.sync();
    }
    EXPECT_EQ(CZunHostSettings().printSetup(), chosen);
    {
        QSettings raw(dir.filePath(QStringLiteral("zun-host.ini")), QSettings::IniFormat);
        raw.setValue(QStringLiteral("print/paper"), QStringLiteral("A5"));
        raw.setValue(QStringLiteral("print/scale"), 7);
    }
    const CZunPrintSetup read = CZunHostSettings().printSetup();
    EXPECT_EQ(read.paper, Paper::A4);
    EXPECT_EQ(read.scale, CZunPrintSetup::kFit);
    EXPECT_TRUE(read.landscape);
}

TEST(PrintDialog, ShowsThePageAndSaysAtWhichScaleALargeDrawingFits)
{
    ZUN::msgLangSet(L"de");
    const CZunGDX list = rectangleList(3000, 1500);
    CZunPrintDialog dialog(list, CZunPrintSetup{Paper::A4, false, 1}, QStringLiteral("wall"));
    EXPECT_EQ(dialog.scaleBox()->currentText(), QStringLiteral("1:1"));
    EXPECT_EQ(dialog.note(), QStringLiteral("Bei 1:1 ist die Zeichnung größer als das Papier; sie passt bei 1:20."));

    // Portrait A4: taller than wide, the longer side the picture's.
    const QImage& portrait = dialog.pagePicture();
    EXPECT_EQ(portrait.height(), CZunPrintDialog::kPictureSide);
    EXPECT_LT(portrait.width(), portrait.height());

    dialog.scaleBox()->setCurrentIndex(dialog.scaleBox()->findData(20));
    EXPECT_EQ(dialog.setup().scale, 20);
    EXPECT_TRUE(dialog.note().isEmpty());
    // At 1:20 the 3 m wall is 150 mm of the 210 mm page's width.
    const QRect drawn = darkBox(dialog.pagePicture().copy(2, 2, portrait.width() - 4, portrait.height() - 4));
    EXPECT_NEAR(drawn.width() / double(portrait.width() - 4), 150.0 / 210.0, 0.03);

    dialog.orientationBox()->setCurrentIndex(1);
    dialog.paperBox()->setCurrentIndex(1);
    EXPECT_EQ(dialog.setup(), (CZunPrintSetup{Paper::A3, true, 20}));
    EXPECT_GT(dialog.pagePicture().width(), dialog.pagePicture().height());

    ZUN::msgLangSet(L"en");
    dialog.setSetup(CZunPrintSetup{Paper::A4, false, 5});
    EXPECT_EQ(dialog.note(), QStringLiteral("At 1:5 the drawing is larger than the paper; it fits at 1:20."));
    ZUN::msgLangSet(L"de");
}

TEST(PrintDialog, APdfThatCannotBeWrittenIsReportedAndNothingIsLeftBehind)
{
    ZUN::msgLangSet(L"de");
    CZunPrintDialog dialog(rectangleList(100, 50), CZunPrintSetup(), QString());
    QStringList messages;
    dialog.setMessageHook([&](const QString& title, const QString& text) { messages << title << text; });
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("missing/folder/page.pdf"));
    EXPECT_FALSE(dialog.savePdf(path));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], QStringLiteral("Drucken fehlgeschlagen"));
    EXPECT_TRUE(messages[1].startsWith(path));
    EXPECT_FALSE(QFile::exists(path));

    const QString good = dir.filePath(QStringLiteral("page.pdf"));
    EXPECT_TRUE(dialog.savePdf(good));
    EXPECT_GT(QFileInfo(good).size(), 0);
}

class HostPrint : public HostWindowFixture {};

TEST_F(HostPrint, CtrlPOpensThePageSetUpAndTheChosenSetUpIsKept)
{
    QAction* print = m_window->findChild<QAction*>(QStringLiteral("print"));
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(print->shortcut(), QKeySequence(QKeySequence::Print));
    whenDialogOpens<CZunPrintDialog>([](CZunPrintDialog& dialog) {
        // The sample drawing on the page, inside its grey edge.
        const QImage& page = dialog.pagePicture();
        EXPECT_FALSE(darkBox(page.copy(2, 2, page.width() - 4, page.height() - 4)).isNull());
        dialog.scaleBox()->setCurrentIndex(dialog.scaleBox()->findData(10));
        dialog.orientationBox()->setCurrentIndex(1);
        dialog.reject();
    });
    print->trigger();
    EXPECT_TRUE(sawDialog());
    EXPECT_EQ(m_window->settings().printSetup(), (CZunPrintSetup{Paper::A4, true, 10}));
}

// The print job and the PDF it suggests are named as an export of the
// shown picture would be: the part's name, not its handle; the overview
// by its drawing. The page set-up keeps its size: its page picture has one.
struct PrintName {
    const char* name;
    const char* part;  // empty: the drawing's overview
    const char* job;
};

void PrintTo(const PrintName& c, std::ostream* os) { *os << c.name; }

class HostPrintName : public HostWindowFixture, public ::testing::WithParamInterface<PrintName> {};

TEST_P(HostPrintName, TheJobIsNamedAfterTheShownPicture)
{
    const PrintName& c = GetParam();
    if (*c.part)
        m_window->tree()->setCurrentItem(m_window->partNode(QString::fromLatin1(c.part)));
    QString job;
    QSize grown;
    QSize before;
    whenDialogOpens<CZunPrintDialog>([&](CZunPrintDialog& dialog) {
        job = dialog.jobName();
        before = dialog.size();
        dialog.resize(dialog.width() + 400, dialog.height() + 300);
        QApplication::processEvents();
        grown = dialog.size();
        dialog.reject();
    });
    m_window->findChild<QAction*>(QStringLiteral("print"))->trigger();
    ASSERT_TRUE(sawDialog());
    EXPECT_EQ(job, QString::fromUtf8(c.job));
    EXPECT_EQ(grown, before) << "the page set-up keeps its size";
}

INSTANTIATE_TEST_SUITE_P(Shown, HostPrintName,
                         ::testing::Values(PrintName{"overview", "", "drawing"},
                                           PrintName{"base_plate", "D4", "Column base plate 300x400x25"}),
                         [](const auto& info) { return std::string(info.param.name); });
