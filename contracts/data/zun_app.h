#pragma once

#include "contracts/data/zun_dta.h"
#include "contracts/data/zun_hatch.h"
#include "contracts/data/zun_resbuf.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class CZunGDX;

// The way back into the host: everything the module asks of the application
// that loaded it. The host installs its own object (zunAppSet); tools and
// tests get this default one, whose named functions and entity picker can
// be set from outside.
class CZunApp {
public:
    // A named application function: arguments in, results out, host status
    // back (kRtNorm, 5100, for success).
    using Function = std::function<int(const ZUN::CZunRbList& args, ZUN::CZunRbList& result)>;
    // Picks an entity of the open drawing of a part type; true when picked.
    using EntityPicker = std::function<bool(ZUN::CAdsName& entity, const CZunString& partType, bool flag)>;
    // Draws a part item into a display list.
    using PartDrawer = std::function<bool(CZunGDX* gdx, CZunDataItem* part, CZunDataItem* params)>;

    CZunApp();
    virtual ~CZunApp();

    // Linear number format (1 scientific .. 5 fractional) and decimals for lengths.
    virtual int numberFormat() const { return m_format; }
    virtual int numberPrecision() const { return m_precision; }
    void setNumberFormat(int format, int precision) { m_format = format; m_precision = precision; }

    // Background colour of the drawing area, 0x00BBGGRR.
    virtual std::uint32_t bkColorGet() const { return m_background; }
    void bkColorSet(std::uint32_t rgb) { m_background = rgb & 0xFFFFFFu; }

    // Pattern lines of a hatch pattern by name (case-insensitive); an
    // unknown name gives an empty definition and false. The patterns come
    // from data/zun.pat in the data folders unless a library is set.
    // Reading is safe from any thread (painters off the UI thread look
    // patterns up); setting belongs to the UI thread while nothing paints.
    virtual bool hatchPatternGet(const CZunString& name, ZUN::CHatchPattern& definition) const;
    void setHatchPatterns(const ZUN::CHatchPatternLib& patterns);
    const ZUN::CHatchPatternLib& hatchPatterns() const;

    // Runs the named function; kRtError when no such function is registered.
    virtual int invokeFunction(const CZunString& name, const ZUN::CZunRbList& args, ZUN::CZunRbList& result);
    void registerFunction(const CZunString& name, Function function);
    bool hasFunction(const CZunString& name) const;

    // Without a picker: the first part of that type in the open drawing.
    virtual bool entitySelect(ZUN::CAdsName& entity, const wchar_t* partType, bool flag);
    void setEntityPicker(EntityPicker picker) { m_picker = std::move(picker); }

    // Without a drawer: nothing is drawn, false.
    virtual bool partImageDraw(CZunGDX* gdx, CZunDataItem* part, CZunDataItem* params);
    void setPartDrawer(PartDrawer drawer) { m_drawer = std::move(drawer); }

private:
    int m_format = 2;
    int m_precision = 2;
    std::uint32_t m_background = 0xFFFFFF;
    mutable std::mutex m_patternsMutex;
    mutable std::unique_ptr<ZUN::CHatchPatternLib> m_patterns;
    CZunMapTempl<CZunString, Function> m_functions;
    EntityPicker m_picker;
    PartDrawer m_drawer;
};

// The application object in charge: the host's when installed, else the default.
CZunApp* zunAppPtr();
// Installs the host's application object (null restores the default) and
// returns the one it replaces. The caller keeps ownership.
CZunApp* zunAppSet(CZunApp* app);
