// The desktop host's main window on the offscreen platform: opening files,
// showing parts, picking, view changes, errors, settings and language.

#include "host_window_fixture.h"

#include "images/qt/zun_picture.h"
#include "images/qt/zun_slide_pic.h"
#include "render/qt/zun_dplist_image.h"
#include "tests/images/slide/slide_writer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString& kSample = kSampleDrawing;

QByteArray asBytes(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// A slide of a frame and a diagonal in two colours.
std::vector<std::uint8_t> frameSlide()
{
    SlideWriter w(2, false, 400, 300);
    w.color(1).vector(0, 0, 400, 0).vector(400, 0, 400, 300).vector(400, 300, 0, 300).vector(0, 300, 0, 0);
    w.color(3).vector(0, 0, 400, 300).end();
    return w.bytes();
}

class HostWindow : public HostWindowFixture {
protected:
    // The sample opened where it lies: the recent files name it.
    HostWindowOptions options() const override { return HostWindowOptions::inPlace(); }

    // The window point of a point of the shown list's world.
    QPoint toWindow(const CZunPoint3d& world)
    {
        const CZunGDX& gdx = *m_window->scene().displayList();
        const CZunMatrix3d m =
            gdx.zoomMtxGet() * gdx.projMtxGet() * gdx.viewMtxGet() * gdx.viewDirectionMtxGet();
        const CZunPoint3d p = m * world;
        return QPoint(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
    }
};

} // namespace

TEST_F(HostWindow, OpeningADrawingListsItsPartsAndShowsThemAll)
{
    const ZUN::CZunDrawing& drawing = ZUN::drawingCurrent();
    QTreeWidgetItem* root = m_window->drawingNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), QStringLiteral("sample_drawing.json"));
    ASSERT_EQ(root->childCount(), drawing.partCount());
    for (int i = 0; i < drawing.partCount(); ++i) {
        EXPECT_EQ(root->child(i)->text(0), fromZun(drawing.part(i)->name));
        EXPECT_EQ(root->child(i)->text(1), fromZun(drawing.part(i)->type));
    }
    // The drawing node is selected: the viewer shows the overview.
    EXPECT_EQ(m_window->tree()->currentItem(), root);
    EXPECT_GT(m_window->viewer()->get_dpList()->lenGet(), drawing.partCount());
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
}

TEST_F(HostWindow, SelectingAPartShowsItsPicture)
{
    QTreeWidgetItem* node = m_window->partNode(QStringLiteral("D4"));
    ASSERT_NE(node, nullptr);
    m_window->tree()->setCurrentItem(node);
    CZunGDX* shown = m_window->viewer()->get_dpList();
    ASSERT_GT(shown->lenGet(), 0);
    const QImage plate = m_window->viewer()->renderImage();
    EXPECT_EQ(plate.size(), m_window->viewer()->size());
    EXPECT_GT(inkPixels(plate), 2000);

    m_window->tree()->setCurrentItem(m_window->partNode(QStringLiteral("4D")));
    const QImage wall = m_window->viewer()->renderImage();
    EXPECT_GT(inkPixels(wall), 2000);
    EXPECT_NE(wall, plate);
    EXPECT_EQ(m_window->tabs()->currentWidget(), m_window->viewer());
}

TEST_F(HostWindow, AMalformedDrawingIsReportedAndTheOpenOneStays)
{
    const QString bad = path("broken.json");
    ASSERT_TRUE(writeFile(bad, "{\"zun\": \"drawing\", \"version\": 1, \"parts\": [\n  {\"handle\": 7,"));
    const CZunString before = ZUN::drawingCurrent().path();
    const int parts = ZUN::drawingCurrent().partCount();
    const int shownItems = m_window->viewer()->get_dpList()->lenGet();

    EXPECT_FALSE(m_window->openDrawing(bad));
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].contains(bad)) << m_messages[0].toStdString();
    EXPECT_TRUE(m_messages[0].contains(QStringLiteral("Zeile 2, Spalte "))) << m_messages[0].toStdString();
    EXPECT_EQ(ZUN::drawingCurrent().path(), before);
    EXPECT_EQ(ZUN::drawingCurrent().partCount(), parts);
    EXPECT_EQ(m_window->drawingNode()->childCount(), parts);
    EXPECT_EQ(m_window->viewer()->get_dpList()->lenGet(), shownItems);

    // A file that is not there at all is reported the same way.
    EXPECT_FALSE(m_window->openDrawing(path("missing.json")));
    ASSERT_EQ(m_messages.size(), 2);
    EXPECT_TRUE(m_messages[1].contains(path("missing.json")));
    EXPECT_EQ(ZUN::drawingCurrent().path(), before);
}

TEST_F(HostWindow, PartsNoGeneratorCanDrawAreMarked)
{
    const QString file = path("roof.json");
    ASSERT_TRUE(writeFile(file, R"({"zun": "drawing", "version": 1, "parts": [
        {"handle": "R1", "type": "ROOF", "name": "Roof of unknown kind", "data": {}},
        {"handle": "W1", "type": "WALL", "name": "Wall", "data": {"VL": {"$": "vl", "pts": [[0, 0], [3000, 0]]},
                                                            "SN": {"#1": {"THICK": 240.0}}}}]})"));
    ASSERT_TRUE(m_window->openDrawing(file));
    QTreeWidgetItem* roof = m_window->partNode(QStringLiteral("R1"));
    QTreeWidgetItem* wall = m_window->partNode(QStringLiteral("W1"));
    ASSERT_TRUE(roof && wall);
    EXPECT_TRUE(roof->toolTip(0).startsWith(QStringLiteral("Nicht darstellbar"))) << roof->toolTip(0).toStdString();
    EXPECT_NE(wall->toolTip(0), roof->toolTip(0));
    EXPECT_NE(roof->foreground(0).color(), wall->foreground(0).color());

    m_window->tree()->setCurrentItem(roof);
    EXPECT_EQ(m_window->viewer()->get_dpList()->lenGet(), 0);
    EXPECT_EQ(m_window->pickText(), roof->toolTip(0));
    m_window->tree()->setCurrentItem(wall);
    EXPECT_GT(m_window->viewer()->get_dpList()->lenGet(), 0);
}

TEST_F(HostWindow, ValuesOfTheWrongKindAreNamedInTheStatusBarAndDrawnWithTheDefault)
{
    const QString file = path("wall.json");
    ASSERT_TRUE(writeFile(file, R"({"zun": "drawing", "version": 1, "parts": [
        {"handle": "W1", "type": "WALL", "name": "Wall", "data": {"VL": {"$": "vl", "pts": [[0, 0], [3000, 0]]},
                                                            "SN": {"#1": {"THICK": "two hundred"}}}}]})"));
    ASSERT_TRUE(m_window->openDrawing(file));
    EXPECT_TRUE(m_messages.isEmpty());  // no message box
    const QString shown = m_window->statusBar()->currentMessage();
    for (const QString& part : {file, QStringLiteral("W1"), QStringLiteral("THICK")})
        EXPECT_TRUE(shown.contains(part)) << shown.toStdString();
    m_window->tree()->setCurrentItem(m_window->partNode(QStringLiteral("W1")));
    EXPECT_GT(m_window->viewer()->get_dpList()->lenGet(), 0);  // drawn all the same

    // A drawing without such values leaves the status bar alone.
    ASSERT_TRUE(m_window->openDrawing(kSample));
    EXPECT_TRUE(m_window->statusBar()->toolTip().isEmpty());
}

TEST_F(HostWindow, ViewDirectionTurnsThePicture)
{
    m_window->tree()->setCurrentItem(m_window->partNode(QStringLiteral("D4")));
    const CZunGDX* shown = m_window->viewer()->get_dpList();
    const QImage plan = m_window->viewer()->renderImage();
    EXPECT_EQ(shown->viewDirectionMtxGet(), CZunMatrix3d());

    ASSERT_TRUE(m_window->setViewDirection(QStringLiteral("SW")));
    EXPECT_NE(shown->viewDirectionMtxGet(), CZunMatrix3d());
    EXPECT_NE(m_window->viewer()->renderImage(), plan);
    EXPECT_FALSE(m_window->setViewDirection(QStringLiteral("Z")));

    // The direction stays for the next part shown.
    m_window->tree()->setCurrentItem(m_window->partNode(QStringLiteral("4D")));
    EXPECT_NE(m_window->viewer()->get_dpList()->viewDirectionMtxGet(), CZunMatrix3d());
    ASSERT_TRUE(m_window->setViewDirection(QStringLiteral("P")));
    EXPECT_EQ(m_window->viewer()->get_dpList()->viewDirectionMtxGet(), CZunMatrix3d());
}

TEST_F(HostWindow, AClickPicksAPartOfTheOverviewAndNamesIt)
{
    EXPECT_EQ(m_window->pickText(), QStringLiteral("Bereit"));
    // The first cell's frame: the first part sits in the cell about the
    // origin, 1000 units wide.
    const QPoint onFrame = toWindow({-500.0, 0.0, 0.0});
    ASSERT_TRUE(m_window->viewer()->rect().contains(onFrame));
    QTest::mouseClick(m_window->viewer(), Qt::LeftButton, Qt::NoModifier, onFrame);
    const QString first = fromZun(ZUN::drawingCurrent().part(0)->name);
    EXPECT_EQ(m_window->scene().highlight(), 1);
    EXPECT_TRUE(m_window->pickText().contains(first)) << m_window->pickText().toStdString();
    EXPECT_TRUE(m_window->pickText().startsWith(QStringLiteral("Gewählt"))) << m_window->pickText().toStdString();

    // Nothing there (between two cells): the pick is cleared.
    QTest::mouseClick(m_window->viewer(), Qt::LeftButton, Qt::NoModifier, toWindow({540.0, 0.0, 0.0}));
    EXPECT_EQ(m_window->scene().highlight(), -1);

    // The cursor's drawing coordinates follow the mouse, to within a pixel.
    QTest::mouseMove(m_window->viewer(), toWindow({-250.0, 125.0, 0.0}));
    const QStringList words = m_window->cursorText().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    ASSERT_EQ(words.size(), 5) << m_window->cursorText().toStdString();
    EXPECT_EQ(words[4], QStringLiteral("mm")) << "the sample drawing is in millimetres";
    const double pixel = 1.0 / m_window->scene().displayList()->viewMtxGet()[0][0];
    EXPECT_NEAR(words[1].toDouble(), -250.0, std::abs(pixel));
    EXPECT_NEAR(words[3].toDouble(), 125.0, std::abs(pixel));
}

TEST_F(HostWindow, ColourModeAndHatchChangeThePickedGroup)
{
    m_window->tree()->setCurrentItem(m_window->partNode(QStringLiteral("4D")));
    const QImage before = m_window->viewer()->renderImage();
    // Without a pick the change applies to every group.
    EXPECT_TRUE(m_window->setHatchPattern(QStringLiteral("NET")));
    const QImage netted = m_window->viewer()->renderImage();
    EXPECT_NE(netted, before);
    EXPECT_TRUE(m_window->setColorMode(ZUN::cModeAux));
    EXPECT_NE(m_window->viewer()->renderImage(), netted);

    // A picked group without hatches has no pattern to change: the
    // overview's title, one group after the parts.
    m_window->tree()->setCurrentItem(m_window->drawingNode());
    ASSERT_TRUE(m_window->pickGroup(ZUN::drawingCurrent().partCount() + 1));
    EXPECT_FALSE(m_window->setHatchPattern(QStringLiteral("NET")));
    EXPECT_FALSE(m_window->pickGroup(99));
    EXPECT_EQ(m_window->scene().highlight(), ZUN::drawingCurrent().partCount() + 1);
}

TEST_F(HostWindow, TheLanguageSwitchChangesEveryText)
{
    EXPECT_EQ(m_window->fileMenu()->title(), QStringLiteral("&Datei"));
    EXPECT_EQ(m_window->textsNode()->text(0), QStringLiteral("Texte"));
    m_window->setLanguage(QStringLiteral("en"));
    EXPECT_EQ(m_window->fileMenu()->title(), QStringLiteral("&File"));
    EXPECT_EQ(m_window->recentMenu()->title(), QStringLiteral("Recent files"));
    EXPECT_EQ(m_window->textsNode()->text(0), QStringLiteral("Texts"));
    EXPECT_EQ(m_window->pickText(), QStringLiteral("Ready"));
    EXPECT_EQ(m_window->settings().language(), QStringLiteral("en"));
    // Language "0" shows the keys, for translators.
    m_window->setLanguage(QStringLiteral("0"));
    EXPECT_EQ(m_window->fileMenu()->title(), QStringLiteral("ZUN_HOST_0001"));
    m_window->setLanguage(QStringLiteral("de"));
    EXPECT_EQ(m_window->fileMenu()->title(), QStringLiteral("&Datei"));
}

TEST_F(HostWindow, SettingsRememberGeometryAndRecentFiles)
{
    const QString slide = path("frame.sld");
    ASSERT_TRUE(writeFile(slide, asBytes(frameSlide())));
    ASSERT_TRUE(m_window->openSlide(slide));
    // Smaller than the offscreen screen, which a restored window must fit.
    m_window->resize(700, 500);
    m_window->close();
    m_window.reset();

    m_window = std::make_unique<CZunHostWindow>(m_app);
    EXPECT_EQ(m_window->size(), QSize(700, 500));
    const QList<QAction*> recent = m_window->recentMenu()->actions();
    ASSERT_EQ(recent.size(), 2);
    EXPECT_EQ(recent[0]->data().toString(), slide);
    EXPECT_EQ(recent[1]->data().toString(), kSample);
    EXPECT_TRUE(QFile::exists(m_dir.filePath(QStringLiteral("zun-host.ini"))));

    // Opening an older file again moves it to the top, once.
    ASSERT_TRUE(m_window->openDrawing(kSample));
    EXPECT_EQ(m_window->settings().recentFiles(), (QStringList{kSample, slide}));
}

TEST_F(HostWindow, SlidesShowAsDisplayListsAndLibrariesListTheirSlides)
{
    const QString slide = path("frame.sld");
    ASSERT_TRUE(writeFile(slide, asBytes(frameSlide())));
    ASSERT_TRUE(m_window->openSlide(slide));
    EXPECT_EQ(m_window->tree()->currentItem()->text(0), QStringLiteral("frame.sld"));
    EXPECT_EQ(m_window->viewer()->get_dpList()->lenGet(), 5);
    EXPECT_GT(inkPixels(m_window->viewer()->renderImage()), 500);
    // The slide view shows the same slide, and is in front.
    EXPECT_EQ(m_window->tabs()->currentWidget(), m_window->slideView());
    long highX = 0, highY = 0;
    m_window->slideView()->renderImage();
    ASSERT_TRUE(m_window->slideView()->getSize(highX, highY));
    EXPECT_EQ(highX, 400);
    EXPECT_EQ(highY, 300);
    EXPECT_GT(inkPixels(m_window->slideView()->renderImage()), 500);

    SlideWriter small(2, false, 100, 100);
    small.vector(0, 0, 100, 100).end();
    const QString library = path("parts.slb");
    ASSERT_TRUE(writeFile(library, asBytes(slideLibrary({{"FRAME", frameSlide()}, {"DIAG", small.bytes()}}))));
    ASSERT_TRUE(m_window->openLibrary(library));
    QTreeWidgetItem* node = m_window->tree()->currentItem();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(0), QStringLiteral("FRAME"));
    ASSERT_EQ(node->parent()->childCount(), 2);
    m_window->tree()->setCurrentItem(node->parent()->child(1));
    EXPECT_EQ(m_window->viewer()->get_dpList()->lenGet(), 1);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
}

TEST_F(HostWindow, UnreadableSlidesAndPicturesAreRefusedWithTheReason)
{
    const int topLevel = m_window->tree()->topLevelItemCount();
    const QString notSlide = path("notes.sld");
    ASSERT_TRUE(writeFile(notSlide, "just a few words"));
    EXPECT_FALSE(m_window->openSlide(notSlide));
    EXPECT_FALSE(m_window->openLibrary(notSlide));
    EXPECT_FALSE(m_window->openSlide(path("absent.sld")));
    const QString notPicture = path("notes.png");
    ASSERT_TRUE(writeFile(notPicture, "just a few words"));
    EXPECT_FALSE(m_window->openPicture(notPicture));
    ASSERT_EQ(m_messages.size(), 4);
    EXPECT_TRUE(m_messages[0].contains(notSlide) && m_messages[0].contains(QStringLiteral("Kein Dia")));
    EXPECT_TRUE(m_messages[1].contains(notSlide));
    EXPECT_TRUE(m_messages[2].contains(path("absent.sld")));
    EXPECT_TRUE(m_messages[3].contains(notPicture));
    EXPECT_EQ(m_window->tree()->topLevelItemCount(), topLevel);
    EXPECT_EQ(ZUN::drawingCurrent().path(), CZunString::fromUtf8(kSample.toStdString()));
}

TEST_F(HostWindow, PicturesOpenInThePictureView)
{
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString file = path("cyan.png");
    ASSERT_TRUE(image.save(file));
    ASSERT_TRUE(m_window->openPicture(file));
    EXPECT_EQ(m_window->tabs()->currentWidget(), m_window->pictureView());
    EXPECT_TRUE(m_window->pictureView()->hasPicture());
    const QImage shown = m_window->pictureView()->renderImage();
    const QPoint centre(shown.width() / 2, shown.height() / 2);
    EXPECT_EQ(shown.pixelColor(centre), QColor(Qt::darkCyan));
}

TEST_F(HostWindow, ExportsWriteEachFormat)
{
    m_window->tree()->setCurrentItem(m_window->partNode(QStringLiteral("D4")));
    // The viewer keeps its own view: exports fit a copy.
    const CZunMatrix3d view = m_window->viewer()->get_dpList()->viewMtxGet();
    ASSERT_TRUE(m_window->exportTo(path("plate.png")));
    const QImage png(path("plate.png"));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(1600, 1200));
    EXPECT_GT(inkPixels(png), 5000);

    ASSERT_TRUE(m_window->exportTo(path("plate.emf")));
    QFile emf(path("plate.emf"));
    ASSERT_TRUE(emf.open(QIODevice::ReadOnly));
    const QByteArray metafile = emf.readAll();
    ASSERT_GT(metafile.size(), 1000);
    EXPECT_EQ(static_cast<unsigned char>(metafile[0]), 1);  // the header record
    EXPECT_EQ(metafile.mid(40, 4), QByteArray(" EMF"));

    ASSERT_TRUE(m_window->exportTo(path("plate.svg")));
    QFile svg(path("plate.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray svgText = svg.readAll();
    EXPECT_TRUE(svgText.contains("<svg"));
    EXPECT_GT(svgText.count("<path") + svgText.count("<polyline") + svgText.count("<polygon"), 20)
        << svgText.left(3000).toStdString();

    ASSERT_TRUE(m_window->exportTo(path("plate.pdf")));
    QFile pdf(path("plate.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF-"));

    EXPECT_EQ(m_window->viewer()->get_dpList()->viewMtxGet(), view);
    EXPECT_FALSE(m_window->exportTo(path("plate.xyz")));
    EXPECT_EQ(m_messages.size(), 1);
    EXPECT_FALSE(m_window->exportTo(path("no/such/folder/plate.png")));
    EXPECT_EQ(m_messages.size(), 2);
}

TEST_F(HostWindow, CopyPutsAMetafileAndAPictureOnTheClipboard)
{
    m_window->tree()->setCurrentItem(m_window->partNode(QStringLiteral("D4")));
    QApplication::clipboard()->clear();
    ASSERT_TRUE(m_window->copyToClipboard());
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data(QStringLiteral("image/x-emf")).mid(40, 4), QByteArray(" EMF"));
    const QImage picture = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG");
    EXPECT_EQ(picture.size(), QSize(1600, 1200));
    EXPECT_GT(inkPixels(picture), 5000);

    // With the slide tab in front, the slide goes to the clipboard.
    const QString slide = path("frame.sld");
    ASSERT_TRUE(writeFile(slide, asBytes(frameSlide())));
    ASSERT_TRUE(m_window->openSlide(slide));
    ASSERT_EQ(m_window->tabs()->currentWidget(), m_window->slideView());
    QApplication::clipboard()->clear();
    ASSERT_TRUE(m_window->copyToClipboard());
    const QImage slidePicture =
        QImage::fromData(QApplication::clipboard()->mimeData()->data(QStringLiteral("image/png")), "PNG");
    EXPECT_EQ(slidePicture.size(), QSize(400, 300));
}

TEST_F(HostWindow, TheEntityPickerOffersTheSelectedPart)
{
    m_window->tree()->setCurrentItem(m_window->partNode(QStringLiteral("D3")));
    ZUN::CAdsName entity;
    ASSERT_TRUE(zunAppPtr()->entitySelect(entity, L"DRILL", false));
    EXPECT_EQ(ZUN::drawingCurrent().partByName(entity)->handle, CZunString(L"D3"));
    // Another type: the user chooses among the parts of that type.
    QStringList offered;
    int answer = 2;
    m_window->setPartChooser([&](const QStringList& names) {
        offered = names;
        return answer;
    });
    ASSERT_TRUE(zunAppPtr()->entitySelect(entity, L"SHEET", false));
    EXPECT_EQ(offered.size(), 4);
    EXPECT_EQ(ZUN::drawingCurrent().partByName(entity)->handle, CZunString(L"7A"));
    answer = -1;
    EXPECT_FALSE(zunAppPtr()->entitySelect(entity, L"SHEET", false)) << "the user chose none";
    // The only part of a type needs no choice.
    offered.clear();
    ASSERT_TRUE(zunAppPtr()->entitySelect(entity, L"HOLE", false));
    EXPECT_EQ(ZUN::drawingCurrent().partByName(entity)->handle, CZunString(L"D4"));
    EXPECT_TRUE(offered.isEmpty());
    EXPECT_FALSE(zunAppPtr()->entitySelect(entity, L"NONE", false));
}
