#pragma once

#include "images/slide/zun_slide.h"
#include "render/paint/zun_cdc.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

namespace ZUN {

// A window that shows a slide, scaled and centred in its client area, on a
// background of a slide colour index. Slides come from files, libraries,
// the module's resources or memory; the picture goes to the clipboard as a
// metafile (with a PNG beside it). Every paint decodes the held bytes anew
// through the one slide decoder, and the screen, the PNG and the metafile
// are drawn by the same code through the device-context interface.
class CSlidePic : public QWidget, public CSlide {
    Q_OBJECT
public:
    explicit CSlidePic(QWidget* parent = nullptr);
    ~CSlidePic() override;

    using QWidget::show;
    // A slide file (library null), or the named slide of a library. The
    // held slide goes first, so a failure leaves the window empty. True
    // when a slide is held afterwards.
    bool show(const wchar_t* name, const wchar_t* library);
    // A copy of count bytes (none for a null pointer).
    void show(const void* data, int count);
    // A slide compiled into the module's resources, at ":/<type>/<id>"
    // (for example LoadSlide(101, L"SLD")); false when there is none.
    bool LoadSlide(unsigned long id, const wchar_t* type);

    // The background colour index (0, black, at first); returns 1.
    int SetBkColor(int index);
    int BackColor() const { return m_bkIndex; }
    // Size of the slide last drawn; false when none is held.
    bool getSize(long& highX, long& highY) const;

    // With a transparent window only the slide is painted: what lies below
    // shows through between its lines.
    void SetTransparent(bool transparent);
    bool IsTransparent() const { return m_transparent; }

    // Puts the slide on the clipboard: a metafile ("image/x-emf") of the
    // slide's own size, colour 7 drawn black, and the same picture as PNG
    // on white. False when there is no clipboard.
    bool Copy();
    // The slide as an enhanced metafile of the rectangle's size, drawn as
    // on a white background (colour 7 black). The background colour index
    // is left as it was.
    virtual std::vector<std::uint8_t> CreateEnhMetaFileW(const ZunIRect& rect);

    // The window's picture as painted now, at its size (ARGB with
    // transparent gaps for a transparent window).
    QImage renderImage();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The client area: the background when one is given, then the slide.
    void paintClient(CDC& dc, const ZunIRect& client, std::optional<ZunRgb> background);
    // The client area painted over an image filled with underlay.
    QImage renderOn(ZunRgb underlay, std::optional<ZunRgb> background);
    QImage renderTransparent();
    ZunRgb faceColor() const;

    int m_bkIndex = 0;
    bool m_transparent = false;
};

} // namespace ZUN
