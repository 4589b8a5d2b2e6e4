// The picture control as a user meets it: loading files of every kind,
// fitting, wheel zoom, panning, colours, the clipboard and load failures.
#include "images/qt/zun_picture.h"

#include "render/emf/zun_emf_dc.h"
#include "tests/images/qt/picture_images.h"
#include "tests/render/qt/pixel_probes.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using ZUN::CPicture;
using ZUN::CPictureObject;

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr ZunRgb kGreenRgb = 0x00FF00;  // 0x00BBGGRR
constexpr QRgb kGreen = 0xFF00FF00;

QImage halves(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kRed);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x)
            image.setPixel(x, y, kBlue);
    return image;
}

void wheel(QWidget& w, QPoint at, int delta)
{
    QWheelEvent event(at, w.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &event);
}

void mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, w.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

// A metafile written byte by byte: the frame is 200 x 100 pixels at 96 dpi,
// the only drawing a red rectangle at (100, 20)-(150, 70) without an edge,
// so the drawn bounds lie well inside the frame.
QByteArray handMadeMetafile()
{
    std::vector<std::uint32_t> words;
    const auto record = [&words](std::uint32_t type, std::initializer_list<std::uint32_t> payload) {
        words.push_back(type);
        words.push_back(static_cast<std::uint32_t>(8 + 4 * payload.size()));
        words.insert(words.end(), payload);
    };
    record(39, {1, 0, 0x0000FF, 0});  // create brush 1: solid red
    record(37, {1});                  // select it
    record(37, {0x80000008});         // select the stock null pen
    record(43, {100, 20, 150, 70});   // rectangle
    record(14, {0, 16, 20});          // end of file
    const std::uint32_t headerBytes = 108;
    const std::uint32_t total = headerBytes + static_cast<std::uint32_t>(4 * words.size());
    std::vector<std::uint32_t> header = {1, headerBytes, 100, 20, 150, 70, 0, 0, 5292, 2646, 0x464D4520, 0x10000,
                                         total, 6, 2, 0, 0, 0, 960, 960, 254, 254, 0, 0, 0, 254000, 254000};
    header.insert(header.end(), words.begin(), words.end());
    QByteArray bytes;
    for (const std::uint32_t w : header)
        for (int i = 0; i < 4; ++i)
            bytes.append(static_cast<char>((w >> (8 * i)) & 0xFF));
    return bytes;
}

// Counts paints, to tell whether a call repainted.
class CountingPicture : public CPicture {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        CPicture::paintEvent(event);
    }
};

class PictureControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
    }

    // The control, at a size, reports its failures to this test only.
    void hook(CPicture& picture, const QSize& size)
    {
        picture.resize(size);
        picture.setMessageHook([this](const QString& caption, const QString& text) {
            captions.push_back(caption);
            texts.push_back(text);
        });
    }

    std::wstring file(const QString& name, const QByteArray& contents)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contents);
        return path.toStdWString();
    }
    std::wstring png(const QString& name, const QImage& image) { return file(name, pngOf(image)); }

    QStringList captions;
    QStringList texts;

private:
    QTemporaryDir m_dir;
};

// ---- fitting: a file of each kind in a control on a green background ------------

QImage fineHalves()
{
    QImage fine = halves(100, 60);
    fine.setDotsPerMeterX(7559);  // 192 dpi: half the size on a 96 dpi screen
    fine.setDotsPerMeterY(7559);
    return fine;
}

QByteArray recordedMetafile()
{
    CZunEmfDC dc(120, 60);
    dc.fillSolidRect({0, 0, 60, 60}, 0x0000FF);
    dc.fillSolidRect({60, 0, 120, 60}, 0xFF0000);
    const std::vector<std::uint8_t>& bytes = dc.bytes();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

struct FittedPicture {
    std::string name;
    QSize control;
    QString file;
    std::function<QByteArray()> contents;
    CPictureObject::Kind kind = CPictureObject::Kind::Raster;
    QSize himetric;         // checked when not empty, within himetricSlack
    int himetricSlack = 0;
    QSize shown;            // pixel size, checked when not empty, within shownSlack
    int shownSlack = 0;
    std::vector<PixelProbe> probes;
    int offsetX = -1;       // checked when not negative
};

void PrintTo(const FittedPicture& f, std::ostream* os)
{
    *os << f.name;
}

const std::vector<FittedPicture>& fittedPictures()
{
    static const std::vector<FittedPicture> table = {
        // Smaller than the control: shown at its pixel size, centred.
        {"SmallPictureAtItsPixelSizeCentred", {200, 100}, "small.png", [] { return pngOf(coordinateImage(60, 40)); },
         CPictureObject::Kind::Raster, {}, 0, {60, 40}, 0,
         {{70, 30, qRgb(0, 0, 0x80)}, {129, 69, qRgb(59, 39, 0x80)}, {69, 30, kGreen}, {130, 69, kGreen},
          {100, 29, kGreen}, {100, 70, kGreen}}},
        // Twice as wide as the control: halved to 200 x 25 from row 37 on.
        {"TwiceAsWideHalvedAndCentredVertically", {200, 100}, "wide.png", [] { return pngOf(halves(400, 50)); },
         CPictureObject::Kind::Raster, {}, 0, {}, 0,
         {{50, 38, kRed}, {150, 60, kBlue}, {1, 49, kRed}, {198, 49, kBlue}, {50, 35, kGreen}, {150, 63, kGreen}}},
        // The file's resolution sets the shown size.
        {"FileResolutionSetsTheShownSize", {200, 200}, "fine.png", [] { return pngOf(fineHalves()); },
         CPictureObject::Kind::Raster, {}, 0, {50, 30}, 0,
         {{80, 100, kRed}, {120, 100, kBlue}, {70, 100, kGreen}, {130, 100, kGreen}}},
        // Drawings are fitted as vectors.
        {"SvgDrawingFittedAsVectors", {100, 100}, "drawing.svg",
         [] {
             return QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"100\" "
                               "viewBox=\"0 0 20 10\"><rect x=\"0\" y=\"0\" width=\"10\" height=\"10\" "
                               "fill=\"#ff0000\"/><rect x=\"10\" y=\"0\" width=\"10\" height=\"10\" "
                               "fill=\"#0000ff\"/></svg>");
         },
         CPictureObject::Kind::Svg, {5292, 2646}, 0, {}, 0,
         {{25, 50, kRed}, {75, 50, kBlue}, {50, 20, kGreen}, {50, 80, kGreen}}},
        // Our own metafile at the size of its frame.
        {"RecordedMetafileAtItsFrameSize", {240, 120}, "recorded.emf", recordedMetafile,
         CPictureObject::Kind::Metafile, {3175, 1587}, 30, {120, 60}, 1,
         {{90, 60, kRed}, {150, 60, kBlue}, {50, 60, kGreen}, {190, 60, kGreen}, {120, 20, kGreen}}},
        // Drawing that lies inside a larger frame keeps its place there.
        {"MetafileDrawingKeepsItsPlaceInsideTheFrame", {200, 100}, "placed.emf", handMadeMetafile,
         CPictureObject::Kind::Metafile, {5292, 2646}, 0, {}, 0,
         {{125, 45, kRed}, {102, 22, kRed}, {90, 45, kGreen}, {160, 45, kGreen}, {125, 10, kGreen},
          {125, 80, kGreen}},
         0},
    };
    return table;
}

class FittedPictureControl : public PictureControl, public ::testing::WithParamInterface<FittedPicture> {};

} // namespace

TEST_P(FittedPictureControl, ShowsThePictureFittedAndCentred)
{
    const FittedPicture& f = GetParam();
    CPicture picture;
    hook(picture, f.control);
    picture.SetBackColor(kGreenRgb);
    ASSERT_TRUE(picture.LoadImageW(file(f.file, f.contents()).c_str()));
    ASSERT_TRUE(picture.hasPicture());
    ASSERT_EQ(picture.picture().kind(), f.kind) << texts.join(", ").toStdString();
    ASSERT_EQ(picture.logicalDpiX(), 96) << "the pixel checks assume a 96 dpi screen";
    EXPECT_TRUE(captions.isEmpty());
    const CPictureObject& object = picture.picture();
    EXPECT_EQ(picture.view().pixelWidth, (object.himetricWidth() * picture.logicalDpiX() + 1270) / 2540);
    if (!f.himetric.isEmpty()) {
        EXPECT_NEAR(object.himetricWidth(), f.himetric.width(), f.himetricSlack);
        EXPECT_NEAR(object.himetricHeight(), f.himetric.height(), f.himetricSlack);
    }
    if (!f.shown.isEmpty()) {
        EXPECT_NEAR(picture.view().pixelWidth, f.shown.width(), f.shownSlack);
        EXPECT_NEAR(picture.view().pixelHeight, f.shown.height(), f.shownSlack);
    }
    if (f.offsetX >= 0) {
        EXPECT_EQ(picture.view().offsetX, f.offsetX);
    }
    expectPixels(picture.renderImage(), f.probes);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FittedPictureControl, ::testing::ValuesIn(fittedPictures()),
                         [](const ::testing::TestParamInfo<FittedPicture>& info) { return info.param.name; });


TEST_F(PictureControl, WheelNotchKeepsThePictureUnderTheCursor)
{
    CPicture picture;
    hook(picture, QSize(300, 200));
    picture.show();
    ASSERT_TRUE(picture.LoadImageW(png("coords.png", coordinateImage(100, 80)).c_str()));
    const QPoint at(130, 90);
    ASSERT_EQ(picture.renderImage().pixel(at), qRgb(30, 30, 0x80));
    for (int notch = 1; notch <= 3; ++notch) {
        wheel(picture, at, 120);
        const QRgb under = picture.renderImage().pixel(at);
        EXPECT_NEAR(qRed(under), 30, 1) << "notch " << notch;
        EXPECT_NEAR(qGreen(under), 30, 1) << "notch " << notch;
    }
    EXPECT_NEAR(picture.view().zoom, 3.375, 1e-12);
    // The picture grew: the pixel next to the cursor's is still the same one.
    EXPECT_EQ(picture.renderImage().pixel(at + QPoint(1, 1)), picture.renderImage().pixel(at));
}

TEST_F(PictureControl, WheelZoomHonoursItsLimitsAndIgnoresSidewaysScrolling)
{
    CPicture picture;
    hook(picture, QSize(100, 100));
    picture.show();
    ASSERT_TRUE(picture.LoadImageW(png("c.png", coordinateImage(50, 50)).c_str()));
    for (int i = 0; i < 12; ++i)
        wheel(picture, QPoint(25, 25), 120);
    EXPECT_NEAR(picture.view().zoom, 25.62890625, 1e-9);
    for (int i = 0; i < 12; ++i)
        wheel(picture, QPoint(25, 25), -120);
    EXPECT_NEAR(picture.view().zoom, 25.62890625 / std::pow(1.5, 10), 1e-9);
    const double zoom = picture.view().zoom;
    const int x = picture.view().offsetX;
    QWheelEvent sideways(QPointF(25, 25), picture.mapToGlobal(QPointF(25, 25)), QPoint(), QPoint(120, 0),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&picture, &sideways);
    EXPECT_EQ(picture.view().zoom, zoom);
    EXPECT_EQ(picture.view().offsetX, x);
}

TEST_F(PictureControl, MiddleDragPansByTheMouseDisplacement)
{
    CPicture picture;
    hook(picture, QSize(300, 200));
    picture.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picture));
    ASSERT_TRUE(picture.LoadImageW(png("coords.png", coordinateImage(100, 80)).c_str()));
    ASSERT_EQ(picture.view().offsetX, 100);
    ASSERT_EQ(picture.view().offsetY, 60);

    mouse(picture, QEvent::MouseButtonPress, QPoint(50, 50), Qt::MiddleButton, Qt::MiddleButton);
    EXPECT_TRUE(picture.hasFocus());
    mouse(picture, QEvent::MouseMove, QPoint(60, 55), Qt::NoButton, Qt::MiddleButton);
    mouse(picture, QEvent::MouseMove, QPoint(80, 40), Qt::NoButton, Qt::MiddleButton);
    EXPECT_EQ(picture.view().offsetX, 130);  // total movement, not the sum of steps
    EXPECT_EQ(picture.view().offsetY, 50);
    mouse(picture, QEvent::MouseButtonRelease, QPoint(80, 40), Qt::MiddleButton, Qt::NoButton);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(picture.renderImage().pixel(130, 50), qRgb(0, 0, 0x80));

    // Moving without the middle button changes nothing.
    mouse(picture, QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(picture.view().offsetX, 130);
    // Reset brings back the fitted view.
    wheel(picture, QPoint(10, 10), 120);
    picture.Reset();
    EXPECT_EQ(picture.view().offsetX, 100);
    EXPECT_EQ(picture.view().offsetY, 60);
    EXPECT_EQ(picture.view().zoom, 1.0);
}

TEST_F(PictureControl, SetBackColorWaitsForTheNextPaint)
{
    CountingPicture picture;
    hook(picture, QSize(120, 80));
    picture.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picture));
    ASSERT_TRUE(QTest::qWaitFor([&] { return picture.paints > 0; }));
    QTest::qWait(20);
    const int before = picture.paints;
    picture.SetBackColor(kGreenRgb);
    EXPECT_EQ(picture.backColor(), kGreenRgb);
    QTest::qWait(50);
    EXPECT_EQ(picture.paints, before);
    const QImage shown = picture.grab().toImage();
    EXPECT_GT(picture.paints, before);
    EXPECT_EQ(shown.pixel(5, 5), kGreen);
    // A transparent control shows the dialog's face instead.
    picture.setAttribute(Qt::WA_TranslucentBackground);
    EXPECT_EQ(QColor(picture.renderImage().pixel(5, 5)), picture.palette().color(QPalette::Window).toRgb());
}

TEST_F(PictureControl, LoadFailureEmptiesTheControlAndTellsWhy)
{
    CPicture picture;
    hook(picture, QSize(100, 100));
    ASSERT_TRUE(picture.LoadImageW(png("good.png", halves(10, 10)).c_str()));
    ASSERT_TRUE(picture.hasPicture());

    // A null name is refused before anything is released.
    EXPECT_FALSE(picture.LoadImageW(nullptr));
    EXPECT_TRUE(picture.hasPicture());
    EXPECT_TRUE(captions.isEmpty());

    // A missing file: true all the same, no picture, the system's reason.
    const std::wstring missing = (QDir::tempPath() + "/zun-no-such-picture.png").toStdWString();
    EXPECT_TRUE(picture.LoadImageW(missing.c_str()));
    EXPECT_FALSE(picture.hasPicture());
    ASSERT_EQ(captions.size(), 1);
    EXPECT_EQ(captions[0], "CPicture::LoadImage");
    EXPECT_TRUE(texts[0].contains("No such file", Qt::CaseInsensitive)) << texts[0].toStdString();
    const QImage empty = picture.renderImage();
    EXPECT_EQ(empty.pixel(50, 50), empty.pixel(0, 0));

    // A file that is no picture.
    EXPECT_TRUE(picture.LoadImageW(file("notes.png", "just some text").c_str()));
    EXPECT_FALSE(picture.hasPicture());
    ASSERT_EQ(captions.size(), 2);
    EXPECT_FALSE(texts[1].isEmpty());
    EXPECT_FALSE(picture.Copy());

    // Each control reports to its own hook: another control's failure
    // reaches only the hook that control was given.
    CPicture other;
    QStringList otherTexts;
    other.setMessageHook([&otherTexts](const QString&, const QString& text) { otherTexts.push_back(text); });
    EXPECT_TRUE(other.LoadImageW(missing.c_str()));
    EXPECT_EQ(otherTexts.size(), 1);
    EXPECT_EQ(captions.size(), 2);
    picture.Reset();  // nothing to fit: no effect
    EXPECT_FALSE(picture.hasPicture());
}

TEST_F(PictureControl, CopyPutsAMetafileAndAPngOnTheClipboard)
{
    CPicture picture;
    hook(picture, QSize(50, 50));  // smaller than the picture: Copy takes the full size
    const QImage source = coordinateImage(80, 60);
    ASSERT_TRUE(picture.LoadImageW(png("copy.png", source).c_str()));
    ASSERT_TRUE(picture.Copy());

    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    ASSERT_TRUE(mime->hasImage());
    const QImage copied = qvariant_cast<QImage>(mime->imageData()).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(copied.size(), QSize(80, 60));
    expectPixels(copied, {{0, 0, source.pixel(0, 0)}, {79, 59, source.pixel(79, 59)},
                          {33, 21, source.pixel(33, 21)}});

    const QByteArray emf = mime->data("image/x-emf");
    ASSERT_GT(emf.size(), 108);
    EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));
    // Read back, the metafile shows the same pixels at the same size.
    CPicture again;
    hook(again, QSize(100, 80));
    ASSERT_TRUE(again.LoadImageW(file("copied.emf", emf).c_str()));
    ASSERT_EQ(again.picture().kind(), CPictureObject::Kind::Metafile) << texts.join(", ").toStdString();
    EXPECT_EQ(again.view().pixelWidth, 80);
    EXPECT_EQ(again.view().pixelHeight, 60);
    const QImage shown = again.renderImage();
    for (const QPoint p : {QPoint(1, 1), QPoint(40, 30), QPoint(70, 55)})
        EXPECT_EQ(shown.pixel(p + QPoint(10, 10)), source.pixel(p)) << p.x() << "," << p.y();
}
