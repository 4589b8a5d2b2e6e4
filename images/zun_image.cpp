#include "images/zun_image.h"

#include "contracts/base/zun_map.h"

namespace {

// Process-wide, filled by the add-on's modules; empty at start.
CZunMapTempl<CZunString, ZunGdxImageFcn>& registry()
{
    static CZunMapTempl<CZunString, ZunGdxImageFcn> map;
    return map;
}

} // namespace

void setGdxImageFcn(const wchar_t* typeName, ZunGdxImageFcn fcn)
{
    const CZunString name(typeName);
    if (fcn)
        registry().setAt(name, fcn);
    else
        registry().removeKey(name);
}

bool zun_gdx_image(const wchar_t* typeName, CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts)
{
    if (!typeName)
        return false;
    const ZunGdxImageFcn* fcn = registry().find(CZunString(typeName));
    return fcn && *fcn ? (*fcn)(gdx, part, opts) : false;
}

CZunArrayTempl<CZunString> zunGdxImageTypes()
{
    CZunArrayTempl<CZunString> names;
    for (const auto& entry : registry())
        names.append(entry.first);
    return names;
}
