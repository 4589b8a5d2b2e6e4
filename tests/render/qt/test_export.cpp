#include "render/emf/zun_emf_refresh.h"
#include "render/paint/zun_viewfit.h"
#include "render/qt/zun_cdc_qt.h"
#include "render/qt/zun_export.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int kSide = 220;

CZunColor black()
{
    CZunColor c;
    c.setColor(0);
    return c;
}

CZunVertexArray square(double x, double y, double size)
{
    return CZunVertexArray::fromPoints(CZunPoint3dArray{{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}},
                                       true);
}

// On a black background with view extents (0, 0)-(100, 100), so that in
// 220 x 220 pixels model (x, y) lands on (10 + 2x, 210 - 2y): a green ring
// (filled square with a square hole), a white line and a red line.
CZunGDX sampleList()
{
    CZunGDX gdx(black(), CZunMatrix3d(), 0.0, 0, {0, 0, 0}, {100, 100, 0});
    gdx.imageReg({1}, gdxFlagFill, {square(0, 0, 60), square(20, 20, 20)}, CZunColor(1), {}, {1.0}, 1.0, 0,
                 CZunColor(3), {}, {});
    CZunVertexArray white, red;
    white.append({0, 80}, {100, 80});
    red.append({0, 90}, {100, 90});
    gdx.imageVl({2}, 0, white, CZunColor(7), {}, {1.0}, 1.0, 2, {});
    gdx.imageVl({3}, 0, red, CZunColor(1), {}, {1.0}, 1.0, 2, {});
    return gdx;
}

QRgb rgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

// The SVG drawn on white at its own size.
QImage renderSvg(const QByteArray& svg, int width, int height)
{
    QSvgRenderer renderer(svg);
    EXPECT_TRUE(renderer.isValid());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, width, height));
    return image;
}

// The ring covers x 10..130 and y 90..210, its hole x 50..90 and y
// 130..170; the white line runs along row 50, the red one along row 30.
void expectSamplePicture(const QImage& image, const char* what)
{
    EXPECT_EQ(rgb(image, 30, 110), 0x00FF00u) << what << ": the ring";
    EXPECT_EQ(rgb(image, 70, 150), 0xFFFFFFu) << what << ": the hole stays empty";
    EXPECT_EQ(rgb(image, 200, 200), 0xFFFFFFu) << what << ": white paper, not the list's black";
    EXPECT_EQ(rgb(image, 100, 50), 0x000000u) << what << ": white drawn black";
    EXPECT_EQ(rgb(image, 100, 30), 0xFF0000u) << what << ": red";
}

} // namespace

TEST(Export, ClipboardHoldsTheMetafileWithPngAndSvgBesideIt)
{
    CZunGDX gdx = sampleList();
    ASSERT_TRUE(refresh(&gdx, nullptr, kSide, kSide));
    EXPECT_TRUE(gdx.viewMtxGet().isEqualTo(getViewMtx({0, 0, 0}, {100, 100, 0}, kSide, kSide, 0.05)));

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat("image/x-emf"));
    ASSERT_TRUE(data->hasFormat("image/png"));
    ASSERT_TRUE(data->hasFormat("image/svg+xml"));

    // The metafile is exactly the one the writer makes of the list.
    CZunGDX again = sampleList();
    const std::vector<std::uint8_t> expected = zunEmfRefreshBytes(&again, kSide, kSide);
    const QByteArray emf = data->data("image/x-emf");
    ASSERT_EQ(static_cast<std::size_t>(emf.size()), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), reinterpret_cast<const std::uint8_t*>(emf.constData())));
    EXPECT_EQ(emf.left(4), QByteArray("\x01\x00\x00\x00", 4));
    EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));

    const QImage png = QImage::fromData(data->data("image/png"), "PNG");
    ASSERT_EQ(png.size(), QSize(kSide, kSide));
    expectSamplePicture(png, "PNG");
    expectSamplePicture(renderSvg(data->data("image/svg+xml"), kSide, kSide), "SVG");

    EXPECT_FALSE(refresh(nullptr, nullptr, kSide, kSide));
    EXPECT_FALSE(refresh(&gdx, nullptr, 0, kSide));
    EXPECT_EQ(zunExportMimeData(nullptr, kSide, kSide), nullptr);
}

TEST(Export, RefreshWithAFileNameWritesTheMetafileThere)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CZunGDX gdx = sampleList();
    const QString path = dir.filePath(QStringLiteral("teil.emf"));
    ASSERT_TRUE(refresh(&gdx, path.toStdWString().c_str(), 120, 160));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    CZunGDX again = sampleList();
    const std::vector<std::uint8_t> expected = zunEmfRefreshBytes(&again, 120, 160);
    const QByteArray written = file.readAll();
    EXPECT_EQ(written, QByteArray(reinterpret_cast<const char*>(expected.data()), qsizetype(expected.size())));
    EXPECT_FALSE(refresh(&gdx, dir.filePath(QStringLiteral("no/such/folder.emf")).toStdWString().c_str(), 120, 160));
}

TEST(Export, SvgFileHasTheSizeAndElementsOfThePicture)
{
    QTemporaryDir dir;
    CZunGDX gdx = sampleList();
    const QString path = dir.filePath(QStringLiteral("teil.svg"));
    ASSERT_TRUE(zunExportSvgFile(&gdx, path, kSide, kSide));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(svg.contains(QStringLiteral("<svg")));
    EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 220 220\"")));
    EXPECT_TRUE(svg.contains(QStringLiteral("width=\"58.2083mm\"")));  // 220 pixels at 96 dpi
    // White paper, the ring as one filled path with its hole as a second
    // outline (even-odd), and the two lines, the white one in black.
    EXPECT_EQ(svg.count(QStringLiteral("<rect")), 1);
    EXPECT_EQ(svg.count(QStringLiteral("#ffffff")), 1);
    const QRegularExpression ring(QStringLiteral("<g fill=\"#00ff00\"[^>]*>\\s*<path[^>]* d=\"(M[^\"]*)\""));
    const QRegularExpressionMatch m = ring.match(svg);
    ASSERT_TRUE(m.hasMatch()) << svg.toStdString();
    EXPECT_EQ(m.captured(1).count('M'), 2);
    EXPECT_EQ(svg.count(QStringLiteral("<path")), 1);
    EXPECT_EQ(svg.count(QStringLiteral("<polyline")), 2);
    EXPECT_TRUE(svg.contains(QRegularExpression(
        QStringLiteral("stroke=\"#000000\"[^>]*stroke-width=\"2\"[^>]*>\\s*<polyline[^>]*points=\"10,50 210,50"))));
    EXPECT_TRUE(svg.contains(QRegularExpression(
        QStringLiteral("stroke=\"#ff0000\"[^>]*stroke-width=\"2\"[^>]*>\\s*<polyline[^>]*points=\"10,30 210,30"))));
    expectSamplePicture(renderSvg(svg.toUtf8(), kSide, kSide), "SVG file");
    EXPECT_FALSE(zunExportSvgFile(&gdx, dir.filePath(QStringLiteral("no/x.svg")), kSide, kSide));
    EXPECT_FALSE(zunExportSvgFile(nullptr, path, kSide, kSide));
}

TEST(Export, PdfFileIsOnePageOfThePictureSize)
{
    QTemporaryDir dir;
    CZunGDX gdx = sampleList();
    const QString path = dir.filePath(QStringLiteral("teil.pdf"));
    ASSERT_TRUE(zunExportPdfFile(&gdx, path, 150, 300));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 1) << "one page";
    // 300 x 150 pixels at 96 dpi are 225 x 112.5 points.
    const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
    const QRegularExpressionMatch m = box.match(QString::fromLatin1(pdf));
    ASSERT_TRUE(m.hasMatch());
    EXPECT_NEAR(m.captured(1).toDouble(), 225.0, 0.5);
    EXPECT_NEAR(m.captured(2).toDouble(), 112.5, 0.5);
    EXPECT_TRUE(gdx.viewMtxGet().isEqualTo(getViewMtx({0, 0, 0}, {100, 100, 0}, 150, 300, 0.05)));
    EXPECT_FALSE(zunExportPdfFile(&gdx, dir.filePath(QStringLiteral("no/x.pdf")), 150, 300));
}

TEST(Export, VectorDevicesCutExcludedPolygonsOutOfFills)
{
    // Vector formats need not keep clip regions: the cut-out must be in the
    // filled shape itself.
    QByteArray svg;
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(100, 100));
    generator.setViewBox(QRect(0, 0, 100, 100));
    {
        CZunQtDC dc(generator);
        ASSERT_TRUE(dc.isActive());
        EXPECT_EQ(dc.clientRect(), (ZunIRect{0, 0, 100, 100}));
        dc.setClipRect(dc.clientRect());
        dc.excludeClipPolygon(std::vector<ZunIPoint>{{40, 40}, {60, 40}, {60, 60}, {40, 60}});
        dc.selectNullPen();
        dc.selectSolidBrush(0x0000FF);
        dc.polygon(std::vector<ZunIPoint>{{10, 10}, {90, 10}, {90, 90}, {10, 90}});
        dc.setClipRect(dc.clientRect());
        dc.polygon(std::vector<ZunIPoint>{{45, 95}, {55, 95}, {55, 99}, {45, 99}});  // after the clip came back
        dc.setPixel(2, 2, 0x00FF00);
    }
    const QImage image = renderSvg(svg, 100, 100);
    EXPECT_EQ(rgb(image, 20, 20), 0xFF0000u);
    EXPECT_EQ(rgb(image, 50, 50), 0xFFFFFFu);
    EXPECT_EQ(rgb(image, 50, 97), 0xFF0000u);
    EXPECT_EQ(rgb(image, 2, 2), 0x00FF00u);
}
