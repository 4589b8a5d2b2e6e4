#include "images/qt/zun_slide_pic.h"

#include "images/slide/zun_slide_draw.h"
#include "render/emf/zun_emf_dc.h"
#include "render/qt/zun_cdc_qt.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

namespace ZUN {

namespace {

constexpr ZunRgb kBlack = 0x000000;
constexpr ZunRgb kWhite = 0xFFFFFF;
// The clipboard's PNG stays a sensible size even for slides of 65535 units.
constexpr int kMaxPngSide = 4096;

// A new device starts with a black pen and a white brush; what a slide
// draws before its first colour record uses them.
void freshDevice(CDC& dc)
{
    dc.selectPen(0, kBlack);
    dc.selectSolidBrush(kWhite);
}

// Reads nothing but the header, so that the held slide's size is known.
class CHeaderOnly : public CSlideSink {
public:
    bool slideBegin(const SlideHeader&) override { return false; }
    void slideVector(const SlidePoint&, const SlidePoint&) override {}
    void slideSolidFill(const SlidePoint*, int) override {}
    void slideColor(int) override {}
};

QSize pngSize(int highX, int highY)
{
    const double longest = std::max({highX, highY, 1});
    const double shrink = std::min(1.0, kMaxPngSide / longest);
    return {std::max(1, int(highX * shrink)), std::max(1, int(highY * shrink))};
}

} // namespace

CSlidePic::CSlidePic(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CSlidePic::~CSlidePic() = default;

bool CSlidePic::show(const wchar_t* name, const wchar_t* library)
{
    const bool held = loadSlide(name, library);
    update();
    return held;
}

void CSlidePic::show(const void* data, int count)
{
    loadSlide(data, count);
    update();
}

bool CSlidePic::LoadSlide(unsigned long id, const wchar_t* type)
{
    if (!type)
        return false;
    QFile resource(QStringLiteral(":/%1/%2").arg(QString::fromWCharArray(type)).arg(id));
    if (!resource.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = resource.readAll();
    show(bytes.constData(), static_cast<int>(bytes.size()));
    return true;
}

int CSlidePic::SetBkColor(int index)
{
    m_bkIndex = index;
    update();
    return 1;
}

bool CSlidePic::getSize(long& highX, long& highY) const
{
    if (!hasSlide())
        return false;
    highX = m_highX;
    highY = m_highY;
    return true;
}

void CSlidePic::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
    update();
}

ZunRgb CSlidePic::faceColor() const
{
    const QColor c = palette().color(QPalette::Button);
    return ZunRgb(c.red()) | (ZunRgb(c.green()) << 8) | (ZunRgb(c.blue()) << 16);
}

void CSlidePic::paintClient(CDC& dc, const ZunIRect& client, std::optional<ZunRgb> background)
{
    dc.setClipRect(client);
    freshDevice(dc);
    if (background) {
        // Filled as a rectangle with the device's pen, so its edge is a
        // black line, as this window has always shown it. The background
        // brush stays selected for fills before the first colour record.
        dc.selectSolidBrush(*background);
        dc.rectangle(client);
    }
    slideDraw(*this, dc, client, m_bkIndex);
}

QImage CSlidePic::renderOn(ZunRgb underlay, std::optional<ZunRgb> background)
{
    QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(CZunQtDC::toQColor(underlay));
    {
        CZunQtDC dc(image);
        paintClient(dc, dc.clientRect(), background);
    }
    return image;
}

QImage CSlidePic::renderTransparent()
{
    // Drawn once on black and once on white: a pixel the slide drew is the
    // same in both, any other shows the background and becomes clear.
    // Aliased drawing never blends, so the split is exact.
    const QImage onBlack = renderOn(kBlack, std::nullopt);
    const QImage onWhite = renderOn(kWhite, std::nullopt);
    QImage out(onBlack.size(), QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(onBlack.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(onWhite.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            o[x] = a[x] == b[x] ? (a[x] | 0xFF000000u) : 0u;
    }
    return out;
}

QImage CSlidePic::renderImage()
{
    if (m_transparent)
        return renderTransparent();
    const ZunRgb background = hasSlide() ? acadRGB(m_bkIndex) : faceColor();
    return renderOn(background, background);
}

void CSlidePic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, renderImage());
}

std::vector<std::uint8_t> CSlidePic::CreateEnhMetaFileW(const ZunIRect& rect)
{
    CZunEmfDC dc(rect.width(), rect.height());
    freshDevice(dc);
    // Colour 7 comes out black, as on paper; the window's own background
    // colour index stays as it is.
    slideDraw(*this, dc, rect, 7);
    return dc.bytes();
}

bool CSlidePic::Copy()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    // The size of the held slide, even if it was never painted.
    CHeaderOnly header;
    decodeSlide(header);
    const std::vector<std::uint8_t> emf = CreateEnhMetaFileW({0, 0, m_highX, m_highY});

    QImage png(pngSize(m_highX, m_highY), QImage::Format_RGB32);
    png.fill(Qt::white);
    {
        CZunQtDC dc(png);
        freshDevice(dc);
        slideDraw(*this, dc, dc.clientRect(), 7);
    }
    QByteArray pngBytes;
    QBuffer buffer(&pngBytes);
    buffer.open(QIODevice::WriteOnly);
    png.save(&buffer, "PNG");

    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/x-emf"),
                  QByteArray(reinterpret_cast<const char*>(emf.data()), static_cast<qsizetype>(emf.size())));
    mime->setData(QStringLiteral("image/png"), pngBytes);
    mime->setImageData(png);
    clipboard->setMimeData(mime);
    return true;
}

} // namespace ZUN
