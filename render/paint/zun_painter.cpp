#include "render/paint/zun_painter.h"

#include "contracts/base/zun_polyline.h"
#include "contracts/data/zun_app.h"
#include "contracts/data/zun_units.h"
#include "render/paint/zun_fixed_size.h"
#include "render/core/zun_dashing.h"
#include "render/core/zun_hatching.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace {

constexpr ZunRgb kInvert = 0xFFFFFF;
constexpr ZunRgb kWhite = 0xFFFFFF;

// Device coordinates are truncated toward zero, as the device APIs take ints.
int device(double v)
{
    return static_cast<int>(v);
}

// The device x and y of m * p, by the very same arithmetic, leaving out the
// z that no device takes: every line piece is mapped so.
int deviceX(const CZunMatrix3d& m, const CZunPoint3d& p)
{
    return device(m.m[0][0] * p.x + m.m[0][1] * p.y + m.m[0][2] * p.z + m.m[0][3]);
}
int deviceY(const CZunMatrix3d& m, const CZunPoint3d& p)
{
    return device(m.m[1][0] * p.x + m.m[1][1] * p.y + m.m[1][2] * p.z + m.m[1][3]);
}

bool isLineType(const CZunArrayTempl<double>& lt, std::initializer_list<double> values)
{
    if (lt.len() != static_cast<int>(values.size()))
        return false;
    int i = 0;
    for (double v : values)
        if (lt.get(i++) != v)
            return false;
    return true;
}

// The items of a list lie one after another, each with its vertices and
// line type elsewhere again, and a large list is far bigger than the
// caches. Asked for a few items ahead, they arrive while the items before
// them are drawn, rather than each stalling the paint when it comes.
constexpr int kItemsAhead = 8;
constexpr int kArraysAhead = 4;
void prefetchItem(const CZunDisplayItem& item)
{
    const char* const at = reinterpret_cast<const char*>(&item);
    for (std::size_t offset = 0; offset < sizeof(CZunDisplayItem); offset += 64)
        __builtin_prefetch(at + offset);
}
void prefetchArrays(const CZunDisplayItem& item)
{
    if (!item.vl.isEmpty()) {
        const char* const vertices = reinterpret_cast<const char*>(item.vl.vector().data());
        __builtin_prefetch(vertices);
        __builtin_prefetch(vertices + 64);
    }
    if (!item.linetype.isEmpty())
        __builtin_prefetch(item.linetype.vector().data());
}

bool hasArc(const CZunVertexArray& vl)
{
    return std::any_of(vl.begin(), vl.end(), [](const CZunVertex& v) { return v.isArc(); });
}

// ---- hatch lines kept between paints ---------------------------------------------

// One piece of a region's hatch as the painter draws it: a line, or, for a
// piece of a broken line too short to see, a pixel at its start.
struct HatchPiece {
    CZunVertex v;
    bool line = true;
};
using HatchPieces = std::vector<HatchPiece>;

// Generating hatch lines is most of the cost of painting a hatched region,
// and the lines depend only on what the painter passes to the hatching: the
// region's contours, its hatch, the pattern definition and the dot and
// short-piece lengths in the drawing's unit, never on the view or the
// item's matrix, which the painter applies anew at every paint. So they are
// kept between paints, keyed by all of those inputs bit for bit: an entry
// serves only the very input it was made from, and any change of the
// region, its hatch, the pattern or the lengths finds no entry and
// generates afresh. Entries unused for longest go first
// once the kept lines outgrow the budget. Lookups lock, so that a second
// thread painting another list cannot pull an entry away mid-paint.
class HatchCache {
public:
    std::shared_ptr<const HatchPieces> find(const std::vector<std::uint64_t>& key, std::uint64_t hash)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto [first, last] = m_entries.equal_range(hash);
        for (auto it = first; it != last; ++it)
            if (it->second.key == key) {
                it->second.lastUse = ++m_clock;
                return it->second.pieces;
            }
        return nullptr;
    }

    std::shared_ptr<const HatchPieces> insert(const std::vector<std::uint64_t>& key, std::uint64_t hash,
                                              HatchPieces pieces)
    {
        auto shared = std::make_shared<const HatchPieces>(std::move(pieces));
        const std::size_t bytes = key.size() * sizeof(std::uint64_t) + shared->size() * sizeof(HatchPiece);
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.emplace(hash, Entry{key, shared, ++m_clock, bytes});
        m_bytes += bytes;
        if (m_bytes > kBudget)
            evictTo(kBudget / 4 * 3);
        return shared;
    }

    void clear()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.clear();
        m_bytes = 0;
        ++m_losses;
    }

    // Counts the times entries went (cleared or evicted): while it stays,
    // the lines a paint put in are all still there.
    std::uint64_t losses()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_losses;
    }

private:
    static constexpr std::size_t kBudget = std::size_t(64) << 20;

    struct Entry {
        std::vector<std::uint64_t> key;
        std::shared_ptr<const HatchPieces> pieces;
        std::uint64_t lastUse = 0;
        std::size_t bytes = 0;
    };
    using Map = std::unordered_multimap<std::uint64_t, Entry>;

    void evictTo(std::size_t target)
    {
        ++m_losses;
        std::vector<Map::iterator> byAge;
        byAge.reserve(m_entries.size());
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            byAge.push_back(it);
        std::sort(byAge.begin(), byAge.end(),
                  [](const Map::iterator& a, const Map::iterator& b) { return a->second.lastUse < b->second.lastUse; });
        for (const Map::iterator& it : byAge) {
            if (m_bytes <= target)
                break;
            m_bytes -= it->second.bytes;
            m_entries.erase(it);
        }
    }

    std::mutex m_mutex;
    Map m_entries;
    std::uint64_t m_clock = 0;
    std::size_t m_bytes = 0;
    std::uint64_t m_losses = 0;
};

HatchCache& hatchCache()
{
    static HatchCache cache;
    return cache;
}

// Writes every input of a region's hatch lines into key, doubles by their
// bits, and returns the key's hash.
std::uint64_t hatchKey(const CZunArrayTempl<CZunVertexArray>& reg, const ZUN::CHatchProp& hatch,
                       const ZUN::CPatternLines& pattern, const ZunUnitLengths& lengths,
                       std::vector<std::uint64_t>& key)
{
    key.clear();
    const auto real = [&](double d) { key.push_back(std::bit_cast<std::uint64_t>(d)); };
    const auto count = [&](int n) { key.push_back(static_cast<std::uint64_t>(n)); };
    real(lengths.dot);
    real(lengths.shortPiece);
    real(hatch.angle());
    real(hatch.scale());
    count(hatch.isDouble() ? 1 : 0);
    count(hatch.name().len());
    for (const wchar_t ch : hatch.name().view())
        key.push_back(static_cast<std::uint64_t>(ch));
    count(static_cast<int>(pattern.size()));
    for (const ZUN::CPatternLine& line : pattern) {
        real(line.angle);
        real(line.originX);
        real(line.originY);
        real(line.shift);
        real(line.spacing);
        count(static_cast<int>(line.dashes.size()));
        for (const double d : line.dashes)
            real(d);
    }
    count(reg.len());
    for (const CZunVertexArray& contour : reg) {
        count(contour.len());
        for (const CZunVertex& v : contour) {
            real(v.start().x);
            real(v.start().y);
            real(v.start().z);
            real(v.end().x);
            real(v.end().y);
            real(v.end().z);
            real(v.bulge());
        }
    }
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const std::uint64_t word : key) {
        hash ^= word;
        hash *= 0x100000001b3ull;
        hash ^= hash >> 29;
    }
    return hash;
}

// Writes what decides which hatch lines a paint of gdx needs into stamp:
// the list's content, its matrices, the device and the target,
// the lengths, the thread count and the cache's losses, doubles by their
// bits. Equal stamps mean the lines are those the last preparation found.
void hatchStamp(const CZunGDX& gdx, const ZunIRect& client, bool metafile,
                const ZunUnitLengths& lengths, int threads, std::uint64_t losses, std::vector<std::uint64_t>& stamp)
{
    stamp.clear();
    const auto real = [&](double d) { stamp.push_back(std::bit_cast<std::uint64_t>(d)); };
    const auto count = [&](long long n) { stamp.push_back(static_cast<std::uint64_t>(n)); };
    const auto matrix = [&](const CZunMatrix3d& m) {
        for (const auto& row : m.m)
            for (const double d : row)
                real(d);
    };
    count(static_cast<long long>(gdx.contentChangeCountGet()));
    count(gdx.lenGet());
    matrix(gdx.zoomMtxGet());
    matrix(gdx.viewMtxGet());
    matrix(gdx.projMtxGet());
    matrix(gdx.viewDirectionMtxGet());
    count(client.left);
    count(client.top);
    count(client.right);
    count(client.bottom);
    count(metafile ? 1 : 0);
    count(lengths.unit);
    real(lengths.dot);
    real(lengths.shortPiece);
    count(threads);
    count(static_cast<long long>(losses));
}

// The hatch of the flattened region in its own space, each piece marked as
// the painter draws it. The lines come end to end into a buffer each thread
// keeps, so that hatching region after region allocates only the pieces
// that are kept.
HatchPieces hatchPieces(const CZunArrayTempl<CZunVertexArray>& flat, const ZUN::CHatchProp& hatch,
                        const ZUN::CPatternLines& pattern, const ZunUnitLengths& lengths)
{
    CZunString name = hatch.name();
    const bool dots = name.makeUpper() == L"DOTS";
    thread_local ZunHatchLines lines;
    zun_hatch_region_lines(flat, CZunMatrix3d(), hatch, pattern, lengths, lines);
    const std::vector<CZunVertex>& vertices = lines.vertices.vector();
    HatchPieces pieces;
    pieces.reserve(vertices.size());
    for (int i = 0; i < lines.count(); ++i) {
        const auto first = vertices.begin() + lines.starts[static_cast<size_t>(i)];
        const auto last = vertices.begin() + lines.starts[static_cast<size_t>(i) + 1];
        bool continuous = true;
        for (auto it = first + 1; it < last && continuous; ++it)
            continuous = (it - 1)->end().isEqualTo(it->start(), kZunTol);
        const bool drawAll = !dots && continuous;
        for (auto it = first; it != last; ++it)
            pieces.push_back({*it, drawAll || it->start().distanceTo(it->end()) >= lengths.shortPiece});
    }
    // Lines of a huge region should not stay with the thread for its life.
    constexpr std::size_t kKeepVertices = std::size_t(1) << 18;
    if (vertices.capacity() > kKeepVertices)
        lines = ZunHatchLines();
    return pieces;
}

// The region's hatch pieces from the cache, made and kept there when it
// lacks them; key is working space.
std::shared_ptr<const HatchPieces> cachedHatchPieces(const CZunArrayTempl<CZunVertexArray>& reg,
                                                     const CZunArrayTempl<CZunVertexArray>& flat,
                                                     const ZUN::CHatchProp& hatch, const ZUN::CPatternLines& pattern,
                                                     const ZunUnitLengths& lengths, std::vector<std::uint64_t>& key)
{
    const std::uint64_t hash = hatchKey(reg, hatch, pattern, lengths, key);
    HatchCache& cache = hatchCache();
    std::shared_ptr<const HatchPieces> pieces = cache.find(key, hash);
    if (!pieces)
        pieces = cache.insert(key, hash, hatchPieces(flat, hatch, pattern, lengths));
    return pieces;
}

} // namespace

// The item being drawn. The matrices are the painter's (m_screen, or its
// scratch matrices for this item), so that setting up an item copies none.
struct CZunPainter::ItemContext {
    int index = 0;
    unsigned long flag = 0;
    int mode = 0;
    ZunRgb color = 0;
    const CZunMatrix3d* toScreen = nullptr;  // S(i)
    const CZunMatrix3d* toArea = nullptr;    // A(i) = S(i) x view direction x item matrix

    const CZunMatrix3d& screen() const { return *toScreen; }
    const CZunMatrix3d& area() const { return *toArea; }
};

// The hatch lines a paint lacks, made by helper threads while the painting
// thread draws. Jobs are taken in list order, so the lines of the next
// regions to draw are made first; the painting thread, reaching a region
// whose lines are not made yet, makes them itself, or while a helper is at
// them makes later ones, or waits. Every job puts its lines into the hatch
// cache, where the drawing finds them: each region's lines depend on that
// region alone, so the picture is the same for any number of threads.
struct CZunPainter::HatchJobs {
    struct Job {
        int index = 0;
        ZUN::CHatchProp hatch;
        CZunMatrix3d toDevice;
        std::vector<std::uint64_t> key;
        std::uint64_t hash = 0;
        std::size_t pattern = 0;  // into definitions
        // Set by the job: the density test was made, and its verdict; the
        // lines went into the cache.
        bool tested = false, drawable = false, made = false;
    };
    enum : int { kOpen = 0, kTaken = 1, kDone = 2 };

    const CZunArrayTempl<CZunDisplayItem>* items = nullptr;
    ZunUnitLengths lengths;
    // Copies: the painter's own table may grow while the helpers read.
    std::vector<ZUN::CPatternLines> definitions;
    std::vector<Job> jobs;
    std::unique_ptr<std::atomic<int>[]> state;
    std::atomic<std::size_t> next{0};
    std::size_t drawn = 0;  // the painting thread's place in jobs
    std::vector<std::thread> helpers;

    HatchJobs() = default;
    HatchJobs(const HatchJobs&) = delete;
    HatchJobs& operator=(const HatchJobs&) = delete;
    // A paint that stops early (out of memory) leaves the jobs not begun.
    ~HatchJobs()
    {
        next = jobs.size();
        for (std::thread& helper : helpers)
            helper.join();
    }

    void start(int threads)
    {
        state = std::make_unique<std::atomic<int>[]>(jobs.size());
        for (std::size_t k = 0; k < jobs.size(); ++k)
            state[k].store(kOpen);
        try {
            for (int t = 1; t < threads; ++t)
                helpers.emplace_back([this] { helpOut(); });
        } catch (...) {
            // Fewer helpers than asked for; the painting thread does the rest.
        }
    }

    void helpOut() noexcept
    {
        while (takeNext()) {
        }
    }

    // Runs the next job not yet taken; false when there is none.
    bool takeNext() noexcept
    {
        for (std::size_t k = next++; k < jobs.size(); k = next++) {
            int open = kOpen;
            if (state[k].compare_exchange_strong(open, kTaken)) {
                run(k);
                return true;
            }
        }
        return false;
    }

    void run(std::size_t k) noexcept
    {
        Job& job = jobs[k];
        const ZUN::CPatternLines& pattern = definitions[job.pattern];
        try {
            const CZunArrayTempl<CZunVertexArray> flat = zun_gdx_image_reg_split(items->get(job.index).reg);
            // Too dense to see: the region is filled, no lines needed.
            job.drawable = zun_hatch_pattern_test(flat, job.hatch, pattern, job.toDevice);
            job.tested = true;
            if (job.drawable) {
                hatchCache().insert(job.key, job.hash, hatchPieces(flat, job.hatch, pattern, lengths));
                job.made = true;
            }
        } catch (...) {
            // Left to the drawing, which makes what it lacks itself.
        }
        state[k].store(kDone);
        state[k].notify_all();
    }

    // Called by the painting thread before it draws the hatch of item i:
    // returns that region's job once it is done, or null when it has none.
    const Job* finish(int i) noexcept
    {
        while (drawn < jobs.size() && jobs[drawn].index < i)
            ++drawn;
        if (drawn == jobs.size() || jobs[drawn].index != i)
            return nullptr;
        const std::size_t k = drawn;
        int open = kOpen;
        if (state[k].compare_exchange_strong(open, kTaken)) {
            run(k);
            return &jobs[k];
        }
        while (state[k].load() != kDone) {
            if (!takeNext())
                state[k].wait(kTaken);
        }
        return &jobs[k];
    }
};

void CZunPainter::paint(CZunGDX* gdx)
{
    if (!gdx)
        return;
    // Memory running out part-way (a huge list, a huge hatch) stops the
    // paint there: what is drawn stays, the device gets its clip and
    // background colour back, and nothing is thrown at the caller.
    const ZunRgb bkColor = m_dc.bkColor();
    try {
        paintList(*gdx);
    } catch (...) {
        m_hatchJobs.reset();
        m_dc.setBkColor(bkColor);
        restoreClip();
    }
}

void CZunPainter::paintList(CZunGDX& list)
{
    CZunGDX* const gdx = &list;
    m_itemsDrawn = 0;
    m_itemsCulled = 0;
    prepare(list);
    m_dc.setClipRect(m_client);
    if (!toMetafile()) {
        m_dc.selectNullPen();
        if (!m_mask)
            m_dc.fillSolidRect(m_client, m_background);
        else
            for (const ZunIRect& r : m_mask->rects())
                m_dc.fillSolidRect(r, m_background);
    }
    if (gdx->lenGet() < 1)
        return;
    const ZunRgb previous = m_dc.setBkColor(m_background);
    // The drawing's unit and the pattern definitions are looked up once
    // per paint; everything below works from these.
    m_lengths = ZunUnitLengths::ofDrawing();
    m_patterns.clear();
    prepareHatches(*gdx);
    const std::vector<CZunDisplayItem>& items = gdx->getDisplayList().vector();
    const int n = gdx->lenGet();
    for (int i = 0; i < n; ++i) {
        if (i + kItemsAhead < n)
            prefetchItem(items[static_cast<std::size_t>(i + kItemsAhead)]);
        if (i + kArraysAhead < n)
            prefetchArrays(items[static_cast<std::size_t>(i + kArraysAhead)]);
        drawItem(*gdx, i);
    }
    m_hatchJobs.reset();
    m_dc.setBkColor(previous);
}

void CZunPainter::prepare(CZunGDX& gdx)
{
    m_client = m_dc.clientRect();
    m_background = gdx.backColorGet().oleColor();
    if (gdx.lenGet() < 1)
        return;
    // Current boxes mean the list has not changed since it was sorted.
    if (!m_boxes || !m_boxes->current(gdx))
        gdx.displListSort();
    if (m_boxes)
        m_boxes->update(gdx);
    computeScreenMatrices(gdx);
    m_turnsView = gdx.viewDirectionMtxGet() != CZunMatrix3d::kIdentity;
}

bool CZunPainter::shiftRepaintMask(CZunGDX& gdx, int dx, int dy, CZunTileMask& mask)
{
    m_itemsTraced = 0;
    // The uncovered strips alone can be more than is worth scrolling for:
    // then the list is not walked for nothing before the full paint.
    if (!m_boxes || toMetafile() || mask.overLimit())
        return false;
    prepare(gdx);
    // The part of the device the shifted picture covers. Only pieces wholly
    // inside it, before and after the shift, keep their pixels there; an
    // item wholly inside or wholly apart keeps all of them. The others are
    // drawn onto a device that marks the pixels of their crossing pieces.
    const ZunIRect kept = {std::max(0, dx), std::max(0, dy), m_client.right + std::min(0, dx),
                           m_client.bottom + std::min(0, dy)};
    CZunShiftTraceDC trace(m_client, kept, mask);
    CZunPainter tracer(trace);
    tracer.m_client = m_client;
    tracer.m_background = m_background;
    tracer.m_screen = m_screen;
    tracer.m_fixedSize = m_fixedSize;
    tracer.m_turnsView = m_turnsView;
    tracer.m_lengths = ZunUnitLengths::ofDrawing();
    tracer.m_hatchThreads = 1;
    trace.setBkColor(m_background);
    for (int i = 0; i < gdx.lenGet(); ++i) {
        ++m_itemsTraced;
        if (gdx.flagGet(i) & gdxFlagHidden)
            continue;
        if (gdx.typeGet(i) == objPicture)
            return false;  // pictures stay where they are in the window
        ZunIRect r;
        if (!deviceBox(gdx, i, itemScreenMatrix(gdx, i), r))
            return false;
        const bool inside = r.left >= kept.left && r.top >= kept.top && r.right <= kept.right && r.bottom <= kept.bottom;
        const bool apart = r.right <= kept.left || r.left >= kept.right || r.bottom <= kept.top || r.top >= kept.bottom;
        if (!inside && !apart) {
            tracer.drawItem(gdx, i);
            if (mask.overLimit())
                return false;  // more to paint than is worth scrolling for
        }
    }
    return true;
}

bool CZunPainter::deviceBox(const CZunGDX& gdx, int i, const CZunMatrix3d& toScreen, ZunIRect& out) const
{
    // Marks about a point reach as far as their size in pixels, and a
    // little more for the dot and the frames.
    int reach = gdx.thicknGet(i);
    if (gdx.typeGet(i) == objPt) {
        const double pdSize = gdx.pdSizeGet(i);
        const double size = pdSize <= 0.0 ? -pdSize : pdSize * (CZunVector3d::kXAxis * toScreen).length();
        if (!(size < 1.0e6))
            return false;
        reach = std::max(reach, static_cast<int>(size) + 2);
    }
    if (reach < 0)
        return false;  // a width beyond any pen: drawn, whatever it gives
    return zunDeviceBoxOf(m_boxes->box(i), toScreen, reach, out);
}

bool CZunPainter::outOfSight(const CZunGDX& gdx, int i, const CZunMatrix3d& toScreen) const
{
    if (!m_boxes || toMetafile() || i >= m_boxes->size())
        return false;
    ZunIRect r;
    if (!deviceBox(gdx, i, toScreen, r))
        return false;
    if (r.right <= m_client.left || r.left >= m_client.right || r.bottom <= m_client.top || r.top >= m_client.bottom)
        return true;
    return m_mask && !m_mask->touches(r);
}

void CZunPainter::computeScreenMatrices(const CZunGDX& gdx)
{
    m_screen = gdx.zoomMtxGet() * gdx.viewMtxGet() * gdx.projMtxGet();
    m_fixedSize = zunFixedSizeMtx(gdx, m_client.height(), m_client.width());
}

const CZunMatrix3d& CZunPainter::itemScreenMatrix(const CZunGDX& gdx, int i)
{
    if (!(gdx.flagGet(i) & gdxFlagAnchored))
        return m_screen;
    m_itemScreen = zunItemScreenMtx(gdx, i, m_screen, m_fixedSize);
    return m_itemScreen;
}

ZunRgb CZunPainter::itemColor(const CZunGDX& gdx, int i, int& mode) const
{
    mode = gdxColorModeOfFlag(gdx.flagGet(i));
    ZunRgb color = 0;
    if (mode == ZUN::cModeOwn) {
        if (gdx.colorGet(i).colorIndex() != -1)
            color = gdx.colorGet(i).oleColor();
        else
            mode = ZUN::cModeContrast;
    }
    if (mode >= 1 && mode <= 14)
        color = gdx.colorTabGet(static_cast<ZUN::GdxColorMode>(mode)).oleColor();
    else if (mode == ZUN::cModeContrast)
        color = m_background ^ kInvert;
    return targetColor(color);
}

void CZunPainter::prepareLineType(const CZunGDX& gdx, int i)
{
    const CZunArrayTempl<double>& stored = gdx.linetypeGet(i);
    std::vector<double>& lt = m_lineType.vector();
    if (isLineType(stored, {1.0}) || isLineType(stored, {1.0, 0.0, 0.0}))
        lt.clear();
    else if (isLineType(stored, {1.0, 1.0, 0.0}))
        lt.assign({10.0, -4.0});
    else if (isLineType(stored, {1.0, 1.0, 1.0}))
        lt.assign({11.0, -5.0, 0.0, -5.0});
    else if (stored.len() == 3 && stored.get(0) == 0.0 && stored.get(1) == 0.0 && stored.get(2) != 0.0)
        lt.assign({0.0, -4.0});
    else
        lt.assign(stored.begin(), stored.end());
    const double scale = gdx.ltscaleGet(i);
    for (double& entry : lt)
        entry = entry != 0.0 ? entry * scale : m_lengths.lineTypeDot;
}

void CZunPainter::drawItem(const CZunGDX& gdx, int i)
{
    ItemContext c;
    c.index = i;
    c.flag = gdx.flagGet(i);
    if (c.flag & gdxFlagHidden)
        return;
    c.toScreen = &itemScreenMatrix(gdx, i);
    if (outOfSight(gdx, i, c.screen())) {
        ++m_itemsCulled;
        return;
    }
    c.color = itemColor(gdx, i, c.mode);
    prepareLineType(gdx, i);
    ++m_itemsDrawn;
    const ZunDisplayObj type = gdx.typeGet(i);
    if (type == objPt || type == objTxt || type == objReg) {  // lines and pictures do without
        m_itemArea = c.screen() * gdx.viewDirectionMtxGet() * gdx.mtxGet(i);
        c.toArea = &m_itemArea;
    }
    m_dc.selectPen(gdx.thicknGet(i), c.color);
    switch (gdx.typeGet(i)) {
    case objPt: drawPoint(gdx, c); break;
    case objPicture: drawPicture(gdx, c); break;
    case objTxt: drawText(gdx, c); break;
    case objReg: drawRegion(gdx, c); break;
    case objVl: drawPolyline(gdx, c); break;
    default: break;
    }
}

void CZunPainter::drawPoint(const CZunGDX& gdx, const ItemContext& c)
{
    CZunPoint3d p;
    gdx.geomGet(p, c.index);
    p = p * c.area();
    const double pdSize = gdx.pdSizeGet(c.index);
    const int size = pdSize <= 0.0 ? device(pdSize) : device(pdSize * (CZunVector3d::kXAxis * c.screen()).length());
    const int h = size >> 1;  // an arithmetic shift: negative sizes turn the marks over
    const int x = device(p.x);
    const int y = device(p.y);
    const unsigned long m = gdx.pdModeGet(c.index);
    m_dc.selectPen(0, c.color);
    m_dc.selectHollowBrush();
    if (m & pdModeFilledSquare) {
        if (toMetafile()) {
            m_dc.selectSolidBrush(c.color);
            m_dc.rectangle({x - h, y - h, x + h, y + h});
        } else {
            m_dc.fillSolidRect({x - h, y - h, x - h + size, y - h + size}, c.color);
        }
        return;
    }
    if (m & pdModeCircle)
        m_dc.ellipse({x - h, y - h, x + h, y + h});
    if (m & pdModeSquare) {
        const int a = toMetafile() ? h : size % 2 == 0 ? size / 2 : size / 2 - 1;
        m_dc.rectangle({x - a, y - a, x + h, y + h});
    }
    const auto ray = [&](int dx, int dy) {
        m_dc.moveTo(x, y);
        m_dc.lineTo(x + dx, y + dy);
    };
    if ((m & pdModeCross) == pdModeCross) {
        ray(-h, -h);
        ray(-h, h);
        ray(h, -h);
        ray(h, h);
    } else if (m & pdModeNoMark) {
        // Only the circle or square, if any.
    } else if (m & pdModePlus) {
        ray(0, -h);
        ray(0, h);
        ray(h, 0);
        ray(-h, 0);
    } else if (m & pdModeTick) {
        ray(0, -h);
    } else {
        m_dc.selectSolidBrush(c.color);
        m_dc.ellipse({x - 1, y - 1, x + 1, y + 1});
    }
}

void CZunPainter::drawPicture(const CZunGDX& gdx, const ItemContext& c)
{
    CZunString file;
    int id = 0;
    gdx.pictureGet(c.index, file, id);
    CZunPoint3d p0(0, 0), p1(m_client.width(), m_client.height());
    if (!(c.flag & gdxFlagWindow)) {
        const CZunVertexArray& vl = gdx.getDisplayList().get(c.index).vl;
        if (!vl.isEmpty()) {
            p0 = vl.get(0).start();
            p1 = vl.get(-1).end();
        }
    }
    if (!m_bitmaps)
        return;
    // The bitmap source is the caller's; one that throws has no bitmap for
    // this picture, and the rest of the list is still drawn.
    ZunBitmap bitmap;
    try {
        bitmap = m_bitmaps(file, id, device(p1.x - p0.x), device(p1.y - p0.y), toMetafile() ? kWhite : m_background);
    } catch (...) {
        return;
    }
    if (!bitmap.isNull())
        m_dc.bitBlt(device(p0.x), device(p0.y), bitmap, ZunRop::Copy);
}

void CZunPainter::drawText(const CZunGDX& gdx, const ItemContext& c)
{
    CZunArrayTempl<CZunVertexArray>& flat = m_contours;
    for (const CZunArrayTempl<CZunVertexArray>& glyph : gdx.getDisplayList().get(c.index).txtRegl) {
        // The font's glyphs are straight already: copied into the reused
        // buffers, they cost no allocation.
        flat.setLen(glyph.len());
        for (int k = 0; k < glyph.len(); ++k) {
            const CZunVertexArray& contour = glyph.get(k);
            if (hasArc(contour))
                flat[k] = ZUN::g_vl_expl(contour, 0.1);
            else
                flat[k].vector().assign(contour.begin(), contour.end());
        }
        if (!flat.isEmpty() && flat.get(0).isClosed())
            fillContours(flat, c.area(), c.color);
        m_dc.selectPen(0, c.color);
        for (const CZunVertexArray& contour : flat)
            for (const CZunVertex& v : contour)
                drawVertex(v, c.area());
    }
}

void CZunPainter::drawRegion(const CZunGDX& gdx, const ItemContext& c)
{
    const CZunDisplayItem& item = gdx.getDisplayList().get(c.index);
    // Flattened only when needed: a helper that made the hatch has tested
    // the density on its own flattened copy already.
    CZunArrayTempl<CZunVertexArray> flattened;
    bool isFlat = false;
    const auto flat = [&]() -> const CZunArrayTempl<CZunVertexArray>& {
        if (!isFlat)
            flattened = zun_gdx_image_reg_split(item.reg);
        isFlat = true;
        return flattened;
    };
    bool fill = (c.flag & gdxFlagFill) != 0;
    bool hatch = (c.flag & gdxFlagHatch) != 0;
    ZUN::CHatchProp hatchProp;
    const HatchJobs::Job* job = nullptr;
    if (hatch) {
        gdx.hatchGet(c.index, hatchProp);
        if (m_hatchJobs)
            job = m_hatchJobs->finish(c.index);
        // Too dense to see at this scale: fill instead. (Metafiles leave
        // the view direction out of the test.) The job's test had the very
        // same inputs.
        const CZunMatrix3d toDevice = toMetafile() ? gdx.mtxGet(c.index) * c.screen()
                                                   : gdx.mtxGet(c.index) * gdx.viewDirectionMtxGet() * c.screen();
        const bool drawable = job && job->tested
                                  ? job->drawable
                                  : zun_hatch_pattern_test(flat(), hatchProp, patternOf(hatchProp.name()), toDevice);
        if (!drawable) {
            hatch = false;
            fill = true;
        }
    }
    ZunRgb fillColor = c.color;
    if (c.mode == 0 && gdx.fcolorGet(c.index).colorIndex() != 0) {
        fillColor = targetColor(gdx.fcolorGet(c.index).oleColor());
    }
    if (fill && toMetafile()) {
        fillScanLines(flat(), c.area(), fillColor);
    } else if (fill) {
        fillContours(flat(), c.area(), fillColor);
    } else if (hatch) {
        m_dc.selectPen(0, fillColor);
        std::shared_ptr<const HatchPieces> pieces;
        if (job && job->made)
            pieces = hatchCache().find(job->key, job->hash);
        if (!pieces)
            pieces = cachedHatchPieces(item.reg, flat(), hatchProp, patternOf(hatchProp.name()), m_lengths, m_hatchKey);
        for (const HatchPiece& piece : *pieces) {
            if (piece.line)
                drawVertex(piece.v, c.area());
            else
                markShortPiece(piece.v.start() * c.area(), fillColor);
        }
    }
    if (c.flag & gdxFlagOutline) {
        m_dc.selectPen(gdx.thicknGet(c.index), c.color);
        const CZunMatrix3d m = c.screen() * gdx.mtxGet(c.index);
        for (const CZunVertexArray& contour : item.reg)
            drawDashed(contour, gdx.viewDirectionMtxGet(), c, m);
    }
}

void CZunPainter::drawPolyline(const CZunGDX& gdx, const ItemContext& c)
{
    const CZunVertexArray& vl = gdx.getDisplayList().get(c.index).vl;
    // Most items keep their model coordinates: the product with the identity
    // would only give the screen matrix back.
    const CZunMatrix3d& item = gdx.mtxGet(c.index);
    if (item == CZunMatrix3d::kIdentity)
        drawDashed(vl, gdx.viewDirectionMtxGet(), c, c.screen());
    else
        drawDashed(vl, gdx.viewDirectionMtxGet(), c, c.screen() * item);
}

void CZunPainter::drawDashed(const CZunVertexArray& line, const CZunMatrix3d& viewDirection, const ItemContext& c,
                             const CZunMatrix3d& m)
{
    // A solid straight line in the plan view is drawn as it is stored: the
    // working copy would only give the same vertices back.
    if (m_lineType.len() < 2 && !m_turnsView && !hasArc(line)) {
        const bool continuous = line.isContinuous();
        for (const CZunVertex& v : line) {
            if (!continuous && zun_piece_shorter_than(v, m_lengths.shortPiece))
                markShortPiece(v.start() * m, c.color);
            else
                drawVertex(v, m);
        }
        return;
    }
    m_line.vector().assign(line.begin(), line.end());
    m_line.setArcNormal(line.arcNormal());
    if (m_turnsView)
        m_line.transformBy(viewDirection);
    zun_gdx_image_vl_measure(m_line, m_lineType, 1, m_lengths.dot, m_dash);
    // Lines are drawn whole when continuous; a closed line is a continuous
    // one, so metafiles, which draw closed lines whole, need no case of their own.
    const bool continuous = m_line.isContinuous();
    // Without arcs the split would only copy the line.
    const bool arcs = hasArc(m_line);
    if (arcs)
        zun_gdx_image_vl_split(m_line, m_flat);
    for (const CZunVertex& v : arcs ? m_flat : m_line) {
        if (!continuous && zun_piece_shorter_than(v, m_lengths.shortPiece))
            markShortPiece(v.start() * m, c.color);
        else
            drawVertex(v, m);
    }
}


CZunPainter::CZunPainter(CDC& dc) : m_dc(dc) {}

CZunPainter::~CZunPainter() = default;

void CZunPainter::prepareHatches(const CZunGDX& gdx)
{
    m_hatchJobs.reset();
    m_hatchItemsRead = 0;
    // Too few to be worth starting threads for: the drawing makes them.
    constexpr std::size_t kMinJobs = 8;
    int threads = m_hatchThreads > 0 ? m_hatchThreads : static_cast<int>(std::thread::hardware_concurrency());
    if (threads < 2)
        return;
    HatchCache& cache = hatchCache();
    // A paint of what the last one prepared for, with the cache holding all
    // it made since, finds every line there: the list is not read again.
    // (A tile mask differs from pan to pan, and so does the zoom.)
    if (m_boxes && !m_mask) {
        hatchStamp(gdx, m_client, toMetafile(), m_lengths, threads, cache.losses(), m_hatchKey);
        if (m_boxes->hatchStamp() == m_hatchKey)
            return;
        m_boxes->hatchStamp() = m_hatchKey;
    }
    auto pending = std::make_unique<HatchJobs>();
    HatchJobs& p = *pending;
    const CZunArrayTempl<CZunDisplayItem>& items = gdx.getDisplayList();
    std::vector<CZunString> names;
    m_hatchItemsRead = items.len();
    for (int i = 0; i < items.len(); ++i) {
        const CZunDisplayItem& item = items.get(i);
        // Only what drawRegion hatches: shown regions with the hatch flag
        // and not the fill flag, which wins.
        if (item.type != objReg || (item.flag & (gdxFlagHidden | gdxFlagFill)) || !(item.flag & gdxFlagHatch))
            continue;
        const CZunMatrix3d& toScreen = itemScreenMatrix(gdx, i);
        if (outOfSight(gdx, i, toScreen))
            continue;
        HatchJobs::Job job;
        job.index = i;
        job.hatch = item.hatch;
        job.toDevice = toMetafile() ? item.mtx * toScreen : item.mtx * gdx.viewDirectionMtxGet() * toScreen;
        const ZUN::CPatternLines& pattern = patternOf(job.hatch.name());
        job.hash = hatchKey(item.reg, job.hatch, pattern, m_lengths, job.key);
        if (cache.find(job.key, job.hash))
            continue;
        const auto known = std::find(names.begin(), names.end(), job.hatch.name());
        job.pattern = static_cast<std::size_t>(known - names.begin());
        if (known == names.end()) {
            names.push_back(job.hatch.name());
            p.definitions.push_back(pattern);
        }
        p.jobs.push_back(std::move(job));
    }
    if (p.jobs.size() < kMinJobs)
        return;
    p.items = &items;
    p.lengths = m_lengths;
    m_hatchJobs = std::move(pending);
    m_hatchJobs->start(std::min(threads, static_cast<int>(p.jobs.size() / 2)));
}

const ZUN::CPatternLines& CZunPainter::patternOf(const CZunString& name)
{
    // By the name as given: the application's lookup decides how names
    // match, and a paint rarely uses more than a handful of spellings.
    if (const ZUN::CPatternLines* known = m_patterns.find(name))
        return *known;
    ZUN::CHatchPattern definition;
    zunAppPtr()->hatchPatternGet(name, definition);
    m_patterns.setAt(name, ZUN::patternLinesOf(definition));
    return *m_patterns.find(name);
}

void CZunPainter::clearHatchCache()
{
    hatchCache().clear();
}

void CZunPainter::drawVertex(const CZunVertex& v)
{
    if (!v.isArc()) {
        drawSegment(v.start(), v.end());
        return;
    }
    CZunVertexArray one;
    one.append(v);
    const CZunPoint3dArray points = one.pts(true, 0.5);
    for (int k = 0; k < points.len(); ++k) {
        const CZunPoint3d& p = points.get(k);
        if (k == 0)
            m_dc.moveTo(device(p.x), device(p.y));
        else
            m_dc.lineTo(device(p.x), device(p.y));
    }
}

void CZunPainter::drawVertex(const CZunVertex& v, const CZunMatrix3d& m)
{
    if (v.isArc()) {
        drawVertex(CZunVertex(v).transformBy(m));
        return;
    }
    const CZunPoint3d& from = v.start();
    const CZunPoint3d& to = v.end();
    m_dc.moveTo(deviceX(m, from), deviceY(m, from));
    m_dc.lineTo(deviceX(m, to), deviceY(m, to));
}

void CZunPainter::drawSegment(const CZunPoint3d& from, const CZunPoint3d& to)
{
    m_dc.moveTo(device(from.x), device(from.y));
    m_dc.lineTo(device(to.x), device(to.y));
}

void CZunPainter::setPixel(const CZunPoint3d& p, ZunRgb color)
{
    m_dc.setPixel(device(p.x), device(p.y), color);
}

void CZunPainter::polygonPoints(const CZunVertexArray& contour, const CZunMatrix3d& m,
                                std::vector<ZunIPoint>& out) const
{
    out.clear();
    for (const CZunVertex& v : contour) {
        if (!v.isArc()) {
            const CZunPoint3d a = m * v.start(), b = m * v.end();
            out.push_back({device(a.x), device(a.y)});
            out.push_back({device(b.x), device(b.y)});
            continue;
        }
        const CZunVertex t = CZunVertex(v).transformBy(m);
        CZunVertexArray one;
        one.append(t);
        for (const CZunPoint3d& p : one.pts(true, 0.5))
            out.push_back({device(p.x), device(p.y)});
    }
}

void CZunPainter::fillContours(const CZunArrayTempl<CZunVertexArray>& contours, const CZunMatrix3d& m, ZunRgb color)
{
    for (int k = 1; k < contours.len(); ++k) {
        polygonPoints(contours.get(k), m, m_points);
        m_dc.excludeClipPolygon(m_points);
    }
    polygonPoints(contours.get(0), m, m_points);
    m_dc.selectSolidBrush(color);
    m_dc.polygon(m_points);
    m_dc.selectHollowBrush();
    restoreClip();
}

void CZunPainter::restoreClip()
{
    m_dc.setClipRect(m_client);
}

ZunRgb CZunPainter::targetColor(ZunRgb color) const
{
    if (toMetafile())
        return color == kWhite ? 0 : color;  // the paper is white
    return color == m_dc.bkColor() ? color ^ kInvert : color;
}

void CZunPainter::markShortPiece(const CZunPoint3d& p, ZunRgb color)
{
    if (!toMetafile()) {
        setPixel(p, color);
        return;
    }
    // Pixels do not scale with the picture; a line one unit long does.
    const int x = device(p.x);
    const int y = device(p.y);
    m_dc.moveTo(x, y);
    m_dc.lineTo(x + 1, y);
}

void CZunPainter::fillScanLines(const CZunArrayTempl<CZunVertexArray>& contours, const CZunMatrix3d& m,
                                ZunRgb color)
{
    if (contours.isEmpty())
        return;
    CZunArrayTempl<CZunVertexArray>& onDevice = m_contours;
    onDevice.setLen(contours.len());
    for (int k = 0; k < contours.len(); ++k) {
        onDevice[k].vector().assign(contours.get(k).begin(), contours.get(k).end());
        onDevice[k].setArcNormal(contours.get(k).arcNormal());
        onDevice[k].transformBy(m);
    }
    CZunPoint3d lo, hi;
    if (!onDevice.get(0).extents(lo, hi))
        return;
    m_dc.selectPen(0, color);
    CZunVertexArray row;
    for (int y = device(lo.y); y < hi.y; ++y) {
        row.vector().assign(1, CZunVertex(CZunPoint3d(lo.x, y), CZunPoint3d(hi.x, y)));
        for (const CZunVertexArray& piece : ZUN::g_vl_punch_reg(row, onDevice, true))
            for (const CZunVertex& v : piece)
                drawVertex(v);
    }
}
