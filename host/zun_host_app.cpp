#include "host/zun_host_app.h"

#include "host/zun_wall_image.h"
#include "images/zun_drill_draw.h"
#include "images/zun_image.h"
#include "images/zun_image_bar.h"
#include "images/zun_image_drill.h"
#include "images/zun_image_fsheet.h"

CZunHostApp::CZunHostApp()
{
    // A light drawing area: parts read best dark on white in pictures and documents.
    bkColorSet(0xFFFFFF);
    setNumberFormat(2, 2);
    // Drillings are drawn by the application, as seen from above.
    setPartDrawer(zunDrillPartImageDraw);
}

namespace {

struct Registration {
    const wchar_t* type;
    ZunGdxImageFcn fcn;
};

// Filled as generators exist; one place for every program of the host.
const Registration kGenerators[] = {
    {L"DRILL", zun_gdx_image_drill},
    {L"HOLE", zun_gdx_image_hole},
    {L"SHEET", zun_gdx_image_fsheet},
    {L"BAR", zun_gdx_image_bar_surface},
    {L"WALL", zunHostWallImage},
};

} // namespace

void CZunHostApp::registerGenerators()
{
    for (const Registration& r : kGenerators)
        setGdxImageFcn(r.type, r.fcn);
}

CZunArrayTempl<CZunString> CZunHostApp::partTypes()
{
    CZunArrayTempl<CZunString> types;
    for (const Registration& r : kGenerators)
        types.append(r.type);
    return types;
}
