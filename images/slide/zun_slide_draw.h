#pragma once

// Drawing a slide onto a device context, scaled and centred in a rectangle.
// The slide window paints with it and exports metafiles with it, so the
// screen and the clipboard show the same picture.

#include "images/slide/zun_slide.h"
#include "render/paint/zun_cdc.h"

namespace ZUN {

// Slide units to device pixels for one rectangle.
struct SlideMapping {
    double scale = 1.0;
    int offsetX = 0;
    int offsetY = 0;
    int highY = 0;

    // The largest scale at which the slide fits the rectangle less one pixel
    // each way, the spare room split evenly; the rectangle's left and top
    // are not added, as windows draw in client coordinates. A zero width or
    // height does not limit the scale; with both zero the scale is 1.
    static SlideMapping fit(const ZunIRect& rect, int highX, int highY);

    // Slide y grows upwards, device y downwards.
    ZunIPoint map(const SlidePoint& p) const;
};

// Draws the slide for the rectangle. Colour changes select a pen of width 1
// and a solid brush of acadRGB of the index; index 7 is drawn black when
// bkIndex is 7, so that white lines stay visible on white. What comes
// before the first colour record uses the device context's pen and brush.
// False when nothing is held or the header is short or of another level.
bool slideDraw(CSlide& slide, CDC& dc, const ZunIRect& rect, int bkIndex);

} // namespace ZUN
