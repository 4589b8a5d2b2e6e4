#include "images/qt/zun_picture.h"

#include "render/emf/zun_emf_dc.h"
#include "render/qt/zun_cdc_qt.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QWheelEvent>

#include <emf2svg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace ZUN {

namespace {

constexpr double kHimetricPerInch = 2540.0;
constexpr double kHimetricPerMetre = 100000.0;
// SVG pixels, and pictures that do not state their resolution.
constexpr double kDefaultDpi = 96.0;
// Resolutions below about one dot per inch are junk in the file; such
// pictures are measured at the default resolution instead.
constexpr int kMinDotsPerMetre = 40;

// The header of an enhanced metafile, as far as sizing needs it.
struct MetafileHeader {
    std::int32_t bounds[4];  // device pixels, inclusive
    std::int32_t frame[4];   // HIMETRIC, inclusive
    std::int32_t device[2];  // reference device in pixels
    std::int32_t millimetres[2];
    std::int32_t micrometres[2];  // 0 when the header is too old to have them
};

constexpr std::uint32_t kEmrHeader = 1;
constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr int kMetafileHeaderSize = 88;
constexpr int kMetafileHeaderWithMicrometres = 108;

std::int32_t readInt32(const QByteArray& data, int offset)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(data[offset + i]);
    return static_cast<std::int32_t>(v);
}

bool isMetafile(const QByteArray& data)
{
    return data.size() >= kMetafileHeaderSize && static_cast<std::uint32_t>(readInt32(data, 0)) == kEmrHeader &&
           static_cast<std::uint32_t>(readInt32(data, 40)) == kEmfSignature;
}

MetafileHeader readMetafileHeader(const QByteArray& data)
{
    MetafileHeader h{};
    for (int i = 0; i < 4; ++i) {
        h.bounds[i] = readInt32(data, 8 + 4 * i);
        h.frame[i] = readInt32(data, 24 + 4 * i);
    }
    for (int i = 0; i < 2; ++i) {
        h.device[i] = readInt32(data, 72 + 4 * i);
        h.millimetres[i] = readInt32(data, 80 + 4 * i);
        if (readInt32(data, 4) >= kMetafileHeaderWithMicrometres && data.size() >= kMetafileHeaderWithMicrometres)
            h.micrometres[i] = readInt32(data, 100 + 4 * i);
    }
    return h;
}

// Reference-device pixels per HIMETRIC unit along one axis (0: x, 1: y);
// 96 dpi when the header does not say. Whole millimetres are too coarse for
// a small reference device, so the micrometres win where they are given.
double devicePerHimetric(const MetafileHeader& h, int axis)
{
    if (h.device[axis] > 0 && h.micrometres[axis] > 0)
        return double(h.device[axis]) * 10.0 / double(h.micrometres[axis]);
    if (h.device[axis] > 0 && h.millimetres[axis] > 0)
        return double(h.device[axis]) / (double(h.millimetres[axis]) * 100.0);
    return kDefaultDpi / kHimetricPerInch;
}

// The metafile as SVG through the system converter; empty on failure.
QByteArray metafileToSvg(QByteArray data)
{
    char nameSpace[] = "";
    generatorOptions options{};
    options.nameSpace = nameSpace;
    options.verbose = false;
    options.emfplus = false;
    options.svgDelimiter = true;
    char* out = nullptr;
    size_t outLength = 0;
    const int ok = emf2svg(data.data(), static_cast<size_t>(data.size()), &out, &outLength, &options);
    QByteArray svg;
    if (ok && out)
        svg = QByteArray(out, static_cast<qsizetype>(outLength));
    std::free(out);
    return svg;
}

ZunRgb toRgb(const QColor& c)
{
    return static_cast<ZunRgb>(c.red()) | (static_cast<ZunRgb>(c.green()) << 8) |
           (static_cast<ZunRgb>(c.blue()) << 16);
}

} // namespace

// ---- the picture object ------------------------------------------------------

CPictureObject::CPictureObject() = default;
CPictureObject::~CPictureObject() = default;

void CPictureObject::clear()
{
    m_kind = Kind::None;
    m_himetricWidth = 0;
    m_himetricHeight = 0;
    m_image = QImage();
    m_shrunk = QImage();
    m_svg.reset();
    m_svgPlace = QRectF(0.0, 0.0, 1.0, 1.0);
}

bool CPictureObject::load(const QString& file, QString* error)
{
    clear();
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return loadData(data, error);
}

bool CPictureObject::loadData(const QByteArray& data, QString* error)
{
    clear();
    if (isMetafile(data))
        return loadMetafile(data, error);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader(&buffer).format();
    if (format == "svg" || format == "svgz")
        return loadSvg(data, error);
    return loadRaster(data, error);
}

bool CPictureObject::loadRaster(const QByteArray& data, QString* error)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = reader.errorString();
        return false;
    }
    const auto himetric = [](int pixels, int dotsPerMetre) {
        const double perMetre = dotsPerMetre >= kMinDotsPerMetre ? dotsPerMetre : kDefaultDpi * 100.0 / 2.54;
        return static_cast<int>(std::lround(pixels * kHimetricPerMetre / perMetre));
    };
    m_himetricWidth = himetric(image.width(), image.dotsPerMeterX());
    m_himetricHeight = himetric(image.height(), image.dotsPerMeterY());
    m_image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
    m_kind = Kind::Raster;
    return true;
}

bool CPictureObject::loadSvg(const QByteArray& data, QString* error)
{
    auto svg = std::make_unique<QSvgRenderer>(data);
    const QSize size = svg->defaultSize();
    if (!svg->isValid() || size.isEmpty()) {
        if (error)
            *error = QStringLiteral("The SVG drawing could not be read or has no size.");
        return false;
    }
    m_himetricWidth = static_cast<int>(std::lround(size.width() * kHimetricPerInch / kDefaultDpi));
    m_himetricHeight = static_cast<int>(std::lround(size.height() * kHimetricPerInch / kDefaultDpi));
    m_svg = std::move(svg);
    m_kind = Kind::Svg;
    return true;
}

bool CPictureObject::loadMetafile(const QByteArray& data, QString* error)
{
    const MetafileHeader h = readMetafileHeader(data);
    const double kx = devicePerHimetric(h, 0);
    const double ky = devicePerHimetric(h, 1);
    // The frame is the picture's own size; a writer that left it empty
    // still tells the drawn area in pixels.
    double left = h.frame[0], top = h.frame[1];
    double width = double(h.frame[2]) - h.frame[0];
    double height = double(h.frame[3]) - h.frame[1];
    if (width <= 0.0 || height <= 0.0) {
        left = h.bounds[0] / kx;
        top = h.bounds[1] / ky;
        width = (double(h.bounds[2]) - h.bounds[0]) / kx;
        height = (double(h.bounds[3]) - h.bounds[1]) / ky;
    }
    const auto fail = [error](const char* text) {
        if (error)
            *error = QString::fromLatin1(text);
        return false;
    };
    if (width <= 0.0 || height <= 0.0 || width > INT32_MAX || height > INT32_MAX)
        return fail("The metafile has no usable size.");
    auto svg = std::make_unique<QSvgRenderer>(metafileToSvg(data));
    if (!svg->isValid())
        return fail("The metafile could not be converted for display.");
    // The converted drawing covers the metafile's bounds (device pixels),
    // which may lie anywhere inside the frame.
    const QRectF box = svg->viewBoxF();
    m_svgPlace = QRectF((h.bounds[0] / kx - left) / width, (h.bounds[1] / ky - top) / height,
                        box.width() / kx / width, box.height() / ky / height);
    m_himetricWidth = static_cast<int>(std::lround(width));
    m_himetricHeight = static_cast<int>(std::lround(height));
    m_svg = std::move(svg);
    m_kind = Kind::Metafile;
    return true;
}

void CPictureObject::render(QPainter& painter, int x, int y, int cx, int cy, int xSrc, int ySrc, int cxSrc,
                            int cySrc, const QRect& bounds) const
{
    if (isNull() || cx == 0 || cy == 0 || cxSrc == 0 || cySrc == 0)
        return;
    // Device pixels per HIMETRIC unit; the source runs up the picture for a
    // positive cySrc while device y runs down, hence the sign.
    const double sx = double(cx) / cxSrc;
    const double sy = double(cy) / -double(cySrc);
    const QRectF target(x - xSrc * sx, y + (ySrc - m_himetricHeight) * sy, m_himetricWidth * sx,
                        m_himetricHeight * sy);
    painter.save();
    painter.setClipRect(QRect(x, y, cx, cy).normalized() & bounds, Qt::IntersectClip);
    drawWhole(painter, target);
    painter.restore();
}

void CPictureObject::drawWhole(QPainter& painter, const QRectF& target) const
{
    QRectF upright = target;
    if (target.width() < 0.0 || target.height() < 0.0) {
        // A mirrored source: mirror the painter about the target's centre.
        upright = target.normalized();
        painter.translate(upright.center());
        painter.scale(target.width() < 0.0 ? -1.0 : 1.0, target.height() < 0.0 ? -1.0 : 1.0);
        painter.translate(-upright.center());
    }
    if (m_kind == Kind::Raster) {
        drawRaster(painter, upright);
        return;
    }
    // Whole device pixels for the drawing's corners: at a scale of one, the
    // bitmaps a drawing holds then come out unresampled.
    const QPointF topLeft(std::round(upright.left() + m_svgPlace.left() * upright.width()),
                          std::round(upright.top() + m_svgPlace.top() * upright.height()));
    const QPointF bottomRight(std::round(upright.left() + m_svgPlace.right() * upright.width()),
                              std::round(upright.top() + m_svgPlace.bottom() * upright.height()));
    const QRectF place(topLeft, bottomRight);
    painter.setRenderHint(QPainter::Antialiasing);
    m_svg->render(&painter, place);
}

void CPictureObject::drawRaster(QPainter& painter, const QRectF& target) const
{
    // Enlarged pixels stay sharp squares; shrinking averages them.
    if (target.width() >= m_image.width() && target.height() >= m_image.height()) {
        painter.drawImage(target, m_image);
        return;
    }
    const QSize size(std::max(1, int(std::lround(target.width()))), std::max(1, int(std::lround(target.height()))));
    if (m_shrunk.size() != size)
        m_shrunk = m_image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.drawImage(target, m_shrunk);
}

// ---- the view ----------------------------------------------------------------

void CPictureView::setSize(int himetricW, int himetricH, int dpiX, int dpiY)
{
    himetricWidth = himetricW;
    himetricHeight = himetricH;
    pixelWidth = static_cast<int>((static_cast<long long>(himetricW) * dpiX + 1270) / 2540);
    pixelHeight = static_cast<int>((static_cast<long long>(himetricH) * dpiY + 1270) / 2540);
}

double CPictureView::fitFactor(int clientWidth, int clientHeight) const
{
    double f = 1.0;
    if (clientHeight > 0)
        f = std::max(f, double(pixelHeight) / clientHeight);
    if (clientWidth > 0)
        f = std::max(f, double(pixelWidth) / clientWidth);
    return f;
}

void CPictureView::fit(int clientWidth, int clientHeight)
{
    const double f = fitFactor(clientWidth, clientHeight);
    offsetX = static_cast<int>((clientWidth - pixelWidth / f) * 0.5);
    offsetY = static_cast<int>((clientHeight - pixelHeight / f) * 0.5);
    zoom = 1.0;
}

bool CPictureView::wheel(int delta, int x, int y)
{
    constexpr double kStep = 1.5;
    if (delta < 1) {
        if (zoom < 0.5)
            return false;
        zoom /= kStep;
        offsetX = static_cast<int>((offsetX - x) / kStep + x);
        offsetY = static_cast<int>((offsetY - y) / kStep + y);
    } else {
        if (zoom > 20.0)
            return false;
        zoom *= kStep;
        offsetX = static_cast<int>((offsetX - x) * kStep + x);
        offsetY = static_cast<int>((offsetY - y) * kStep + y);
    }
    return true;
}

CPictureView::RenderRects CPictureView::renderRects(int clientWidth, int clientHeight) const
{
    // A huge picture in a control of a pixel or two asks for source sizes
    // past the integer range; they are cut there rather than overflowing.
    const auto truncated = [](double v) {
        return static_cast<int>(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
    };
    const double f = fitFactor(clientWidth, clientHeight);
    return {offsetX,
            offsetY,
            truncated(zoom * pixelWidth),
            truncated(zoom * pixelHeight),
            0,
            himetricHeight,
            truncated(himetricWidth * f),
            truncated(-himetricHeight * f)};
}

// ---- the control -------------------------------------------------------------

CPicture::CPicture(QWidget* parent) : QWidget(parent), m_backColor(toRgb(palette().color(QPalette::Window)))
{
    // Every pixel is painted from the off-screen image.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CPicture::~CPicture() = default;

void CPicture::reportLoadFailure(const QString& text)
{
    static const QString caption = QStringLiteral("CPicture::LoadImage");
    if (m_messageHook) {
        m_messageHook(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
    box.exec();
}

bool CPicture::LoadImageW(const wchar_t* file)
{
    if (!file)
        return false;
    QString error;
    if (m_picture.load(QString::fromWCharArray(file), &error)) {
        m_view.setSize(m_picture.himetricWidth(), m_picture.himetricHeight(), logicalDpiX(), logicalDpiY());
        m_view.fit(width(), height());
    } else if (!error.isEmpty()) {
        reportLoadFailure(error);
    }
    update();
    return true;
}

void CPicture::Reset()
{
    if (!hasPicture())
        return;
    m_view.fit(width(), height());
    update();
}

void CPicture::SetBackColor(ZunRgb color)
{
    m_backColor = color & 0xFFFFFF;
}

QImage CPicture::renderImage() const
{
    QImage image(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    // A transparent control shows the dialog's face behind the picture.
    const ZunRgb back =
        testAttribute(Qt::WA_TranslucentBackground) ? toRgb(palette().color(QPalette::Window)) : m_backColor;
    image.fill(CZunQtDC::toQColor(back));
    if (hasPicture()) {
        QPainter painter(&image);
        const CPictureView::RenderRects r = m_view.renderRects(width(), height());
        m_picture.render(painter, r.x, r.y, r.cx, r.cy, r.xSrc, r.ySrc, r.cxSrc, r.cySrc, image.rect());
    }
    return image;
}

QImage CPicture::pictureImage() const
{
    if (!hasPicture() || m_view.pixelWidth <= 0 || m_view.pixelHeight <= 0)
        return QImage();
    QImage image(m_view.pixelWidth, m_view.pixelHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    m_picture.render(painter, 0, 0, image.width(), image.height(), 0, m_view.himetricHeight, m_view.himetricWidth,
                     -m_view.himetricHeight, image.rect());
    return image;
}

void CPicture::paintEvent(QPaintEvent*)
{
    const QImage image = renderImage();
    QPainter(this).drawImage(0, 0, image);
}

void CPicture::wheelEvent(QWheelEvent* event)
{
    // Sideways scrolling is not a wheel notch: leave it to the parent.
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    if (!m_view.wheel(delta, at.x(), at.y())) {
        event->accept();
        return;
    }
    update();
    // The default handling after a zoom, as for any other wheel message.
    QWidget::wheelEvent(event);
}

void CPicture::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        setFocus(Qt::MouseFocusReason);
        grabMouse();
        m_panStartOffset = QPoint(m_view.offsetX, m_view.offsetY);
        m_panStartCursor = event->position().toPoint();
    }
    QWidget::mousePressEvent(event);
}

void CPicture::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::MiddleButton) {
        const QPoint offset = m_panStartOffset + (event->position().toPoint() - m_panStartCursor);
        m_view.offsetX = offset.x();
        m_view.offsetY = offset.y();
        // Moves coalesce into the paint that is already due.
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void CPicture::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton)
        releaseMouse();
    QWidget::mouseReleaseEvent(event);
}

bool CPicture::Copy()
{
    // A picture of less than a pixel has nothing to copy.
    const QImage image = pictureImage();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (image.isNull() || !clipboard)
        return false;
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/x-emf"), metafileOf(image));
    mime->setImageData(image);
    clipboard->setMimeData(mime);
    return true;
}

QByteArray CPicture::metafileData() const
{
    return metafileOf(pictureImage());
}

QByteArray CPicture::metafileOf(const QImage& image)
{
    if (image.isNull())
        return QByteArray();
    // A metafile bitmap has no transparency: what the picture leaves open
    // comes out as white paper.
    QImage paper(image.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter(&paper).drawImage(0, 0, image);
    CZunEmfDC dc(paper.width(), paper.height());
    dc.bitBlt(0, 0, CZunQtDC::fromQImage(paper), ZunRop::Copy);
    const std::vector<std::uint8_t>& bytes = dc.bytes();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

} // namespace ZUN
