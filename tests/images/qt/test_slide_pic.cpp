// The slide window as a user sees it: pixels of its picture, background
// colours, slides from resources, files and libraries, transparency and the
// clipboard's metafile and PNG.
#include "images/qt/zun_picture.h"
#include "contracts/base/zun_string.h"
#include "images/qt/zun_slide_pic.h"
#include "tests/render/qt/pixel_probes.h"
#include "tests/images/slide/slide_writer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

using ZUN::CSlidePic;

namespace {

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kYellow = 0xFFFFFF00;

void hold(CSlidePic& pic, const SlideWriter& w)
{
    pic.show(w.bytes().data(), static_cast<int>(w.bytes().size()));
}

// A 100 x 50 slide: a red line along its bottom edge, a white (colour 7)
// line along its top edge and a yellow square filled at the right.
SlideWriter sample(bool big = false)
{
    SlideWriter w(2, big, 100, 50);
    w.color(1).vector(0, 0, 100, 0).color(7).vector(0, 50, 100, 50);
    w.color(2).solidFill({{80, 10}, {90, 10}, {90, 20}, {80, 20}}).end();
    return w;
}

QRgb at(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

} // namespace

TEST(SlidePic, SlideIsScaledAndCentredInTheClientArea)
{
    CSlidePic pic;
    pic.resize(201, 201);
    hold(pic, sample());
    const QImage image = pic.renderImage();
    long highX = 0, highY = 0;
    ASSERT_TRUE(pic.getSize(highX, highY));
    EXPECT_EQ(highX, 100);
    EXPECT_EQ(highY, 50);
    // Scale 2, offsets 0 and 50: slide y 0 lands on row 150, y 50 on row 50.
    for (int x : {1, 57, 199}) {
        EXPECT_EQ(at(image, x, 150), kRed) << x;
        EXPECT_EQ(at(image, x, 149), kBlack) << x;
        EXPECT_EQ(at(image, x, 151), kBlack) << x;
        EXPECT_EQ(at(image, x, 50), kWhite) << x;
    }
    // The fill: slide (80..90, 10..20) is device (160..180, 110..130).
    expectOpaquePixels(image, {{170, 120, kYellow}, {157, 120, kBlack}, {183, 120, kBlack}});
    // The background is black (index 0) and is edged by the black pen.
    expectOpaquePixels(image, {{100, 10, kBlack}, {100, 190, kBlack}});
    // What the window paints is this picture.
    pic.QWidget::show();
    EXPECT_EQ(pic.grab().toImage().convertToFormat(QImage::Format_RGB32), image);
}

TEST(SlidePic, ColourSevenIsBlackOnBackgroundSevenAndWhiteElsewhere)
{
    CSlidePic pic;
    pic.resize(201, 201);
    hold(pic, sample());
    EXPECT_EQ(pic.BackColor(), 0);
    EXPECT_EQ(pic.SetBkColor(7), 1);
    EXPECT_EQ(pic.BackColor(), 7);
    QImage image = pic.renderImage();
    expectOpaquePixels(image, {{100, 50, kBlack}, {100, 10, kWhite}, {0, 10, kBlack},  // the frame
                               {100, 150, kRed}});

    pic.SetBkColor(5);
    image = pic.renderImage();
    expectOpaquePixels(image, {{100, 50, kWhite}, {100, 10, 0xFF0000FFu}});
}

TEST(SlidePic, BigEndianTwinPaintsTheSamePixelsAndOtherLevelsOnlyTheBackground)
{
    CSlidePic little, big;
    little.resize(160, 90);
    big.resize(160, 90);
    hold(little, sample(false));
    hold(big, sample(true));
    EXPECT_EQ(little.renderImage(), big.renderImage());

    std::vector<std::uint8_t> bytes = sample().bytes();
    bytes[18] = 3;
    CSlidePic other;
    other.resize(60, 40);
    other.show(bytes.data(), static_cast<int>(bytes.size()));
    other.SetBkColor(3);
    const QImage image = other.renderImage();
    for (int y = 1; y < 39; ++y)
        for (int x = 1; x < 59; ++x)
            ASSERT_EQ(at(image, x, y), kGreen) << x << "," << y;
}

TEST(SlidePic, SlidesComeFromResourcesFilesAndLibraries)
{
    CSlidePic pic;
    pic.resize(201, 101);
    ASSERT_TRUE(pic.LoadSlide(101, L"SLD"));
    QImage image = pic.renderImage();
    // The test card: 200 x 100 at scale 1, its red diagonal from the bottom
    // left to the top right and its green triangle.
    expectOpaquePixels(image, {{100, 50, kRed}, {50, 60, kGreen}, {100, 0, kWhite},  // the frame in colour 7
                               {100, 100, kWhite}});
    ASSERT_TRUE(pic.LoadSlide(102, L"SLD"));  // the big-endian arrow
    EXPECT_EQ(at(pic.renderImage(), 120, 50), kYellow);  // inside the head, offset 50
    EXPECT_FALSE(pic.LoadSlide(999, L"SLD"));
    EXPECT_FALSE(pic.LoadSlide(101, nullptr));

    QTemporaryDir dir;
    const std::string file = dir.filePath("one.sld").toStdString();
    std::ofstream(file, std::ios::binary) << sample().str();
    const std::string lib = dir.filePath("lib.slb").toStdString();
    std::ofstream(lib, std::ios::binary)
        << std::string(reinterpret_cast<const char*>(slideLibrary({{"SAMPLE", sample().bytes()}}).data()),
                       slideLibrary({{"SAMPLE", sample().bytes()}}).size());
    pic.resize(201, 201);
    ASSERT_TRUE(pic.show(CZunString::fromUtf8(file), nullptr));
    image = pic.renderImage();
    EXPECT_EQ(at(image, 100, 150), kRed);
    ASSERT_TRUE(pic.show(L"sample", CZunString::fromUtf8(lib)));
    EXPECT_EQ(pic.renderImage(), image);

    // A failure leaves the window empty, painted in the face colour.
    EXPECT_FALSE(pic.show(L"MISSING", CZunString::fromUtf8(lib)));
    long x = 0, y = 0;
    EXPECT_FALSE(pic.getSize(x, y));
    const QRgb face = pic.palette().color(QPalette::Button).rgb();
    EXPECT_EQ(at(pic.renderImage(), 100, 150), face);
}

TEST(SlidePic, TransparentWindowPaintsOnlyTheSlide)
{
    CSlidePic pic;
    pic.resize(201, 201);
    hold(pic, sample());
    pic.SetTransparent(true);
    const QImage image = pic.renderImage();
    expectPixels(image, {{100, 150, kRed}, {170, 120, kYellow}});
    EXPECT_EQ(qAlpha(image.pixel(100, 100)), 0);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);  // no frame either
}

TEST(SlidePic, CopyPutsAMetafileAndAPngOfTheSlidesOwnSize)
{
    CSlidePic pic;
    ASSERT_TRUE(pic.LoadSlide(101, L"SLD"));
    pic.SetBkColor(0);
    ASSERT_TRUE(pic.Copy());
    EXPECT_EQ(pic.BackColor(), 0);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    const QByteArray emf = mime->data(QStringLiteral("image/x-emf"));
    ASSERT_GT(emf.size(), 88);
    EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));

    QImage png;
    ASSERT_TRUE(png.loadFromData(mime->data(QStringLiteral("image/png")), "PNG"));
    ASSERT_EQ(png.size(), QSize(200, 100));
    // The rectangle is the slide's size, so the scale is a little below 1.
    expectOpaquePixels(png, {{50, 60, kGreen}, {100, 0, kBlack},  // colour 7 drawn black on white
                             {100, 30, kWhite}});

    // The metafile, read back by the picture loader, shows the same picture.
    ZUN::CPictureObject picture;
    ASSERT_TRUE(picture.loadData(emf));
    EXPECT_EQ(picture.kind(), ZUN::CPictureObject::Kind::Metafile);
    QImage shown(200, 100, QImage::Format_RGB32);
    shown.fill(Qt::white);
    {
        QPainter painter(&shown);
        picture.render(painter, 0, 0, 200, 100, 0, picture.himetricHeight(), picture.himetricWidth(),
                       -picture.himetricHeight(), shown.rect());
    }
    const QRgb inTriangle = at(shown, 50, 60);
    EXPECT_GT(qGreen(inTriangle), 200);
    EXPECT_LT(qRed(inTriangle), 60);
    EXPECT_LT(qBlue(inTriangle), 60);
}
