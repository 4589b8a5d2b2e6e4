#pragma once

#include "gdx/zun_gdx.h"
#include "render/paint/zun_item_boxes.h"
#include "render/paint/zun_shift_trace.h"

#include <QCursor>
#include <QEvent>
#include <QImage>
#include <QWidget>

// Sent (posted) to the parent when the user picks an item: the control's id
// and the top-level group number of the picked item.
class CZunPickEvent : public QEvent {
public:
    static QEvent::Type eventType();
    CZunPickEvent(int controlId, int group) : QEvent(eventType()), m_id(controlId), m_group(group) {}
    int controlId() const { return m_id; }
    int group() const { return m_group; }

private:
    int m_id;
    int m_group;
};

// Shows a display list the caller owns: wheel zoom about the cursor, pan
// with the middle button, fit with a middle double click, pick with the
// left button. The list is drawn by the painter into an off-screen image
// and copied to the window in one step.
//
// The image is kept between paints. While neither the list (its change
// counts), nor its matrices, nor the widget's size, colours or pixel ratio
// changed, a paint only copies it again. A pan by whole pixels scrolls it
// and paints the uncovered strips alone, where that gives the very pixels
// a full paint would.
//
// On a screen of a device pixel ratio other than 1 the picture has the
// screen's pixels (its size times the ratio) and is painted at that
// resolution; zoom, pan, fit and pick stay in the widget's pixels. Items that cannot reach the part being painted are
// passed over (their boxes are kept with the picture).
class CZunDplistImage : public QWidget {
    Q_OBJECT
public:
    // id: the control id the pick is reported with (also the "dlgId" property).
    explicit CZunDplistImage(QWidget* parent = nullptr, int id = 0);
    ~CZunDplistImage() override;

    bool set_dpList(CZunGDX* gdx);
    CZunGDX* get_dpList() const { return m_gdx; }
    int controlId() const { return m_id; }

    // How far the wheel zooms in and out, as factors of the fitted picture.
    static constexpr double kZoomInLimit = 100.0;
    static constexpr double kZoomOutLimit = 1.0 / 16.0;

    // Fits the list's view extents into the window; callers repaint.
    void zoomExtents();
    const CZunMatrix3d& zoomMtx() const { return m_zoom; }
    // Sets the zoom (widget pixels to widget pixels, after the fit) as a
    // wheel or a pan would, and repaints; a host's own zoom commands use it.
    void setZoomMtx(const CZunMatrix3d& zoom);

    // Smooth display: lines and edges antialiased on screen. Off by default,
    // so that the picture has the painter's exact pixels as every export
    // does; a smooth picture is painted whole on every change (a scrolled
    // one would differ at the edges of its strips).
    void setSmooth(bool smooth);
    bool smooth() const { return m_smooth; }

    // The picture as painted now, at the widget's size in device pixels
    // (its own pixel ratio is 1).
    QImage renderImage();

    // How the last picture came about, for tests and statistics.
    enum class Repaint { None, Unchanged, Scrolled, Full };
    struct PaintStats {
        Repaint kind = Repaint::None;
        int itemsDrawn = 0;   // items the painter drew for it
        int itemsCulled = 0;  // items it passed over as out of sight
        // Of a scrolled picture: lines, pixels and fills of those items it
        // drew in the tiles painted again (pieces reaching none are left out).
        int piecesDrawn = 0;
        // Of a pan, scrolled or given up: items the trace of the pieces
        // crossing the kept part's edge looked at.
        int itemsTraced = 0;
    };
    const PaintStats& lastPaint() const { return m_stats; }

signals:
    void picked(int controlId, int group);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

    // Wheel zoom by the wheel delta about a window point; false when refused
    // (middle button held). A delta of 0 changes nothing.
    bool zoomAt(int delta, const QPoint& at, Qt::MouseButtons buttons);

private:
    // What the kept picture shows: when all of it is the same, the picture
    // still holds.
    struct PictureKey {
        const CZunGDX* list = nullptr;
        std::uint64_t content = 0;
        CZunMatrix3d zoom;
        CZunMatrix3d view;
        QSize size;
        qreal pixelRatio = 1.0;
        QRgb window = 0;
        bool smooth = false;
    };
    PictureKey currentKey() const;
    // Brings the kept picture up to date as cheaply as it can.
    void refreshPicture();
    // Paints the whole picture.
    void paintPicture();
    // Paints the tiles marked in m_mask.
    void paintMasked();
    // The pan from the kept picture to key in whole pixels, if that is all
    // that differs.
    bool panFromKept(const PictureKey& key, QPoint& shift) const;
    // Scrolls the picture and paints what it uncovers and what crosses into
    // it; false when that is not possible or not worth it. traced: items
    // the trace looked at, either way.
    bool scrollPicture(const QPoint& shift, int& traced);

    class DeviceZoom;

    void pick(const QPoint& at);
    void updateCursor();

    CZunGDX* m_gdx = nullptr;
    int m_id = 0;
    CZunMatrix3d m_zoom;
    QPoint m_panStart;
    double m_panStartX = 0.0;
    double m_panStartY = 0.0;
    QCursor m_panCursor;
    QImage m_picture;
    QImage m_spare;  // where parts of a picture are painted before they are copied
    PictureKey m_key;
    bool m_hasPicture = false;
    bool m_smooth = false;
    CZunItemBoxes m_boxes;
    CZunTileMask m_mask;  // what a scrolled picture paints again
    PaintStats m_stats;
};

// A preview of polylines with its own display list: group 0 the base point,
// group k + 1 polyline k; one polyline can be highlighted.
class CZunVllImage : public CZunDplistImage {
    Q_OBJECT
public:
    explicit CZunVllImage(QWidget* parent = nullptr, int id = 0);

    bool setVll(const CZunArrayTempl<CZunVertexArray>& polylines);
    int SetCurVl(int index);
    bool setDrawBase(bool draw);
    // Background (0x00BBGGRR) and, from its brightness, the foreground.
    void SetBkColor(std::uint32_t rgb);
    std::uint32_t foreground() const { return m_foreground; }
    CZunGDX& displayList() { return m_own; }

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    CZunGDX m_own;
    int m_pointSize = 0;
    int m_pointMode = -1;
    int m_current = -1;
    std::uint32_t m_background = 0;
    std::uint32_t m_foreground = 0;
    bool m_drawBase = true;
};
