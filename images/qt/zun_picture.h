#pragma once

#include "render/paint/zun_cdc.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QPainter;
class QSvgRenderer;

namespace ZUN {

// A picture loaded from a file, as the picture control needs it: its size
// in HIMETRIC units (0.01 mm) and a way to draw any part of it into any
// rectangle. Raster files (PNG, JPEG, BMP, GIF, ICO and whatever else the
// image readers know) keep their pixels; SVG files and enhanced metafiles
// stay vectors and are drawn at the scale asked for. Metafiles are turned
// into SVG once at load time.
class CPictureObject {
public:
    enum class Kind { None, Raster, Svg, Metafile };

    CPictureObject();
    ~CPictureObject();
    CPictureObject(const CPictureObject&) = delete;
    CPictureObject& operator=(const CPictureObject&) = delete;

    // False with a readable reason in error (the system's text for file
    // errors, the decoder's otherwise); the object then holds no picture.
    bool load(const QString& file, QString* error = nullptr);
    // The same from bytes in memory (a file's contents).
    bool loadData(const QByteArray& data, QString* error = nullptr);
    void clear();

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::None; }
    int himetricWidth() const { return m_himetricWidth; }
    int himetricHeight() const { return m_himetricHeight; }

    // Draws the source rectangle (HIMETRIC, origin at the picture's bottom
    // left corner, y upwards: a negative cySrc runs down the picture) into
    // the destination rectangle (device pixels), clipped to bounds. The
    // part of the source outside the picture stays untouched.
    void render(QPainter& painter, int x, int y, int cx, int cy, int xSrc, int ySrc, int cxSrc, int cySrc,
                const QRect& bounds) const;

private:
    bool loadRaster(const QByteArray& data, QString* error);
    bool loadSvg(const QByteArray& data, QString* error);
    bool loadMetafile(const QByteArray& data, QString* error);
    // Draws the whole picture so that it covers target (device pixels).
    void drawWhole(QPainter& painter, const QRectF& target) const;
    void drawRaster(QPainter& painter, const QRectF& target) const;

    Kind m_kind = Kind::None;
    int m_himetricWidth = 0;
    int m_himetricHeight = 0;
    QImage m_image;
    std::unique_ptr<QSvgRenderer> m_svg;
    // Where the SVG's view box lies in the picture, as fractions of its
    // width and height (a metafile's drawing need not fill its frame).
    QRectF m_svgPlace{0.0, 0.0, 1.0, 1.0};
    // A smoothly shrunk copy of m_image for the last size drawn: shrinking
    // on the fly by sampling would drop whole rows of a large photo.
    mutable QImage m_shrunk;
};

// Where and how large the picture control shows its picture. The integer
// offsets and the truncations are the control's rules: a wheel notch moves
// the offsets by whole pixels, so the point under the cursor stays put to
// within a pixel, and repeated notches drift no further than that.
struct CPictureView {
    int pixelWidth = 0;
    int pixelHeight = 0;
    int himetricWidth = 0;
    int himetricHeight = 0;
    double zoom = 1.0;
    int offsetX = 0;
    int offsetY = 0;

    // The picture's size in HIMETRIC and, through the screen's resolution
    // in dots per inch, in pixels (rounded to the nearest pixel).
    void setSize(int himetricW, int himetricH, int dpiX, int dpiY);
    // How much the picture must shrink to fit the client area: at least 1,
    // pictures are never enlarged. A side with no extent does not count.
    double fitFactor(int clientWidth, int clientHeight) const;
    // Centres the shrunk picture and sets the zoom back to 1.
    void fit(int clientWidth, int clientHeight);
    // One wheel notch about the point (x, y): in for a delta of 1 or more,
    // out below it. False when the zoom is already at its limit.
    bool wheel(int delta, int x, int y);

    // The rectangles handed to CPictureObject::render for a paint.
    struct RenderRects {
        int x, y, cx, cy;
        int xSrc, ySrc, cxSrc, cySrc;
    };
    RenderRects renderRects(int clientWidth, int clientHeight) const;
};

// A picture fitted into a control, zoomed with the wheel about the cursor,
// panned with the middle mouse button, copied to the clipboard as an
// enhanced metafile with a PNG alternative. Meant to stand in a dialog in
// place of a static frame; it takes mouse input as it is.
class CPicture : public QWidget {
    Q_OBJECT
public:
    explicit CPicture(QWidget* parent = nullptr);
    ~CPicture() override;

    // False only for a null name. A file that cannot be loaded leaves the
    // control empty and tells the user why (see setMessageHook).
    bool LoadImageW(const wchar_t* file);
    // Fits the picture again.
    virtual void Reset();
    // 0x00BBGGRR; takes effect with the next paint.
    virtual void SetBackColor(ZunRgb color);
    // The picture at its pixel size as a metafile (image/x-emf) and a PNG.
    virtual bool Copy();

    bool hasPicture() const { return !m_picture.isNull(); }
    const CPictureObject& picture() const { return m_picture; }
    const CPictureView& view() const { return m_view; }
    ZunRgb backColor() const { return m_backColor; }

    // The control as painted now, at its size.
    QImage renderImage() const;
    // The picture alone at its pixel size, as Copy records it.
    QImage pictureImage() const;
    // Copy's metafile (empty without a picture).
    QByteArray metafileData() const;

    // Where this control's load failures are reported: (caption, text).
    // Without a hook a message box shows them; tests and batch tools give
    // the control they make a hook of their own, which no other control sees.
    using MessageHook = std::function<void(const QString& caption, const QString& text)>;
    void setMessageHook(MessageHook hook) { m_messageHook = std::move(hook); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void reportLoadFailure(const QString& text);
    static QByteArray metafileOf(const QImage& picture);

    ZunRgb m_backColor;
    MessageHook m_messageHook;
    CPictureObject m_picture;
    CPictureView m_view;
    QPoint m_panStartOffset;
    QPoint m_panStartCursor;
};

} // namespace ZUN
