#include "render/emf/zun_emf_refresh.h"

#include "render/emf/zun_emf_dc.h"
#include "render/paint/zun_viewfit.h"

void zunPaintForExport(CZunGDX& gdx, CDC& dc, const CZunPainter::BitmapSource& bitmaps)
{
    const ZunIRect client = dc.clientRect();
    zunFitToWindow(gdx, client.height(), client.width());
    CZunPainter painter(dc);
    painter.setTarget(CZunPainter::Target::Metafile);
    painter.setBitmapSource(bitmaps);
    painter.paint(&gdx);
}

std::vector<std::uint8_t> zunEmfRefreshBytes(CZunGDX* gdx, int height, int width,
                                             const CZunPainter::BitmapSource& bitmaps)
{
    if (!gdx || height < 1 || width < 1)
        return {};
    CZunEmfDC dc(width, height);
    zunPaintForExport(*gdx, dc, bitmaps);
    return dc.bytes();
}

bool zunEmfRefreshFile(CZunGDX* gdx, const wchar_t* file, int height, int width,
                       const CZunPainter::BitmapSource& bitmaps)
{
    if (!gdx || !file || !*file || height < 1 || width < 1)
        return false;
    CZunEmfDC dc(width, height);
    zunPaintForExport(*gdx, dc, bitmaps);
    return dc.save(file);
}
