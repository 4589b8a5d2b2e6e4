#include "contracts/data/zun_app.h"

#include "contracts/data/zun_files.h"

CZunApp::CZunApp() = default;
CZunApp::~CZunApp() = default;

const ZUN::CHatchPatternLib& CZunApp::hatchPatterns() const
{
    // Loaded on first use: most callers never hatch. Painters on other
    // threads may be the first to ask, so the load happens under the lock.
    const std::lock_guard<std::mutex> lock(m_patternsMutex);
    if (!m_patterns) {
        m_patterns = std::make_unique<ZUN::CHatchPatternLib>();
        const CZunString path = ZUN::fileFind(L"data/zun.pat");
        if (!path.isEmpty())
            m_patterns->load(path);
    }
    return *m_patterns;
}

void CZunApp::setHatchPatterns(const ZUN::CHatchPatternLib& patterns)
{
    auto replacement = std::make_unique<ZUN::CHatchPatternLib>(patterns);
    const std::lock_guard<std::mutex> lock(m_patternsMutex);
    m_patterns = std::move(replacement);
}

bool CZunApp::hatchPatternGet(const CZunString& name, ZUN::CHatchPattern& definition) const
{
    return hatchPatterns().get(name, definition);
}

int CZunApp::invokeFunction(const CZunString& name, const ZUN::CZunRbList& args, ZUN::CZunRbList& result)
{
    const Function* function = m_functions.find(name);
    if (!function || !*function)
        return kRtError;
    // A registered function that throws has failed; the exception stays
    // here, and result keeps whatever it held before the call.
    try {
        ZUN::CZunRbList answer;
        const int status = (*function)(args, answer);
        result = std::move(answer);
        return status;
    } catch (...) {
        return kRtError;
    }
}

void CZunApp::registerFunction(const CZunString& name, Function function)
{
    m_functions.setAt(name, std::move(function));
}

bool CZunApp::hasFunction(const CZunString& name) const
{
    return m_functions.contains(name);
}

bool CZunApp::entitySelect(ZUN::CAdsName& entity, const wchar_t* partType, bool flag)
{
    const CZunString type(partType);
    if (m_picker) {
        // A throwing picker has picked nothing; entity stays as it was.
        try {
            ZUN::CAdsName picked = entity;
            if (!m_picker(picked, type, flag))
                return false;
            entity = picked;
            return true;
        } catch (...) {
            return false;
        }
    }
    const ZUN::CZunDrawing& drawing = ZUN::drawingCurrent();
    for (int i = 0; i < drawing.partCount(); ++i) {
        const ZUN::CZunPart* part = drawing.part(i);
        if (type.isEmpty() || part->type == type) {
            entity = drawing.entityName(*part);
            return true;
        }
    }
    return false;
}

bool CZunApp::partImageDraw(CZunGDX* gdx, CZunDataItem* part, CZunDataItem* params)
{
    if (!m_drawer)
        return false;
    // The drawer is the host's; what it throws ends here as "not drawn".
    try {
        return m_drawer(gdx, part, params);
    } catch (...) {
        return false;
    }
}

namespace {
CZunApp*& installedApp()
{
    static CZunApp* app = nullptr;
    return app;
}
} // namespace

CZunApp* zunAppPtr()
{
    static CZunApp defaultApp;
    CZunApp* app = installedApp();
    return app ? app : &defaultApp;
}

CZunApp* zunAppSet(CZunApp* app)
{
    CZunApp* previous = installedApp();
    installedApp() = app;
    return previous;
}
