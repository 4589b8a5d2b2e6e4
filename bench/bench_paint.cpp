// Painting a full-HD picture of large lists: our painter against plain
// QPainter calls that draw the same final geometry. The baselines replay the
// device operations our painter issued (recorded once, outside the timing):
//   _Baseline         one QPainter call per operation, as a plain program
//                     drawing that geometry would;
//   _BaselineMatched  the same calls the way our device makes them (hairlines
//                     in a row in one call, the vector state settled after
//                     drawing), so that ours / matched is the cost of
//                     everything the painter does besides drawing: matrices,
//                     colours, line types, hatching;
//   _PainterOnly      our painter on a device that draws nothing.
// The viewer cases paint through the viewer widget, as a window shows the
// list: zoomed deep inside it, panned, and uncovered unchanged.

#include "bench/bench_lists.h"
#include "render/paint/zun_painter.h"
#include "render/paint/zun_recording_dc.h"
#include "render/qt/zun_cdc_qt.h"
#include "render/qt/zun_dplist_image.h"
#include "render/qt/zun_vector_state.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

#include <benchmark/benchmark.h>

#include <random>
#include <variant>

namespace {

using zun_bench::freshList;
using zun_bench::kHeight;
using zun_bench::kWidth;
using zun_bench::polylines;

// ---- the baseline: recorded device operations ---------------------------------

struct OpPen { int width; ZunRgb color; bool none; };
struct OpBrush { ZunRgb color; bool none; };
struct OpClip { ZunIRect rect; };
struct OpExclude { QPolygon polygon; };
struct OpLine { QLine line; };
struct OpPixel { QPoint at; ZunRgb color; };
struct OpPolygon { QPolygon polygon; };
struct OpEllipse { QRect rect; };
struct OpRect { QRect rect; };
struct OpFill { QRect rect; ZunRgb color; };
using Op = std::variant<OpPen, OpBrush, OpClip, OpExclude, OpLine, OpPixel, OpPolygon, OpEllipse, OpRect, OpFill>;

class RecordingDC : public CZunRecordingDC {
public:
    RecordingDC() : CZunRecordingDC({0, 0, kWidth, kHeight}) {}
    std::vector<Op> ops;
    void selectPen(int w, ZunRgb c) override { ops.push_back(OpPen{w, c, false}); }
    void selectNullPen() override { ops.push_back(OpPen{0, 0, true}); }
    void selectSolidBrush(ZunRgb c) override { ops.push_back(OpBrush{c, false}); }
    void selectHollowBrush() override { ops.push_back(OpBrush{0, true}); }
    void setClipRect(const ZunIRect& r) override { ops.push_back(OpClip{r}); }
    void excludeClipPolygon(const ZunIPoint* p, int n) override { ops.push_back(OpExclude{poly(p, n)}); }
    void lineTo(int x, int y) override
    {
        const ZunIPoint from = lineStart(x, y);
        ops.push_back(OpLine{QLine(from.x, from.y, x, y)});
    }
    void setPixel(int x, int y, ZunRgb c) override { ops.push_back(OpPixel{QPoint(x, y), c}); }
    void polygon(const ZunIPoint* p, int n) override { ops.push_back(OpPolygon{poly(p, n)}); }
    void ellipse(const ZunIRect& r) override { ops.push_back(OpEllipse{QRect(r.left, r.top, r.width() - 1, r.height() - 1)}); }
    void rectangle(const ZunIRect& r) override { ops.push_back(OpRect{QRect(r.left, r.top, r.width() - 1, r.height() - 1)}); }
    void fillSolidRect(const ZunIRect& r, ZunRgb c) override { ops.push_back(OpFill{QRect(r.left, r.top, r.width(), r.height()), c}); }

private:
    static QPolygon poly(const ZunIPoint* p, int n)
    {
        QPolygon out(n);
        for (int i = 0; i < n; ++i)
            out.setPoint(i, p[i].x, p[i].y);
        return out;
    }
};

// A device that keeps nothing: the painter's own work alone.
class DiscardingDC : public CZunRecordingDC {
public:
    DiscardingDC() : CZunRecordingDC({0, 0, kWidth, kHeight}) {}
    void moveTo(int x, int y) override { benchmark::DoNotOptimize(x + y); }
    void lineTo(int x, int y) override { benchmark::DoNotOptimize(x + y); }
    void setPixel(int x, int y, ZunRgb) override { benchmark::DoNotOptimize(x + y); }
    void polygon(const ZunIPoint* p, int) override { benchmark::DoNotOptimize(p); }
};

enum class Replay { OneCallEach, LikeOurDevice };

template <class T>
constexpr bool kDraws = std::is_same_v<T, OpLine> || std::is_same_v<T, OpPolygon> || std::is_same_v<T, OpEllipse> ||
                        std::is_same_v<T, OpRect> || std::is_same_v<T, OpFill>;

void replay(const std::vector<Op>& ops, QImage& image, Replay how)
{
    QPainter p(&image);
    QRegion clip(image.rect());
    const bool matched = how == Replay::LikeOurDevice;
    std::vector<QLine> lines;
    bool hairline = false;
    const auto drawLines = [&] {
        if (lines.empty())
            return;
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
        zunSettleVectorState();
        lines.clear();
    };
    OpPen current{-1, 0, false};
    for (const Op& op : ops) {
        if (const auto* line = std::get_if<OpLine>(&op); line && matched && hairline) {
            lines.push_back(line->line);
            continue;
        }
        if (const auto* pen = std::get_if<OpPen>(&op); pen && matched && !pen->none && !current.none
                                                          && pen->width == current.width && pen->color == current.color)
            continue;  // the device keeps the pen it has, and its batch
        drawLines();
        std::visit(
            [&](const auto& o) {
                using T = std::decay_t<decltype(o)>;
                if constexpr (std::is_same_v<T, OpPen>) {
                    current = o;
                    hairline = !o.none && o.width <= 1;
                    if (o.none)
                        p.setPen(Qt::NoPen);
                    else
                        p.setPen(QPen(CZunQtDC::toQColor(o.color), o.width <= 1 ? 0 : o.width));
                } else if constexpr (std::is_same_v<T, OpBrush>) {
                    p.setBrush(o.none ? QBrush(Qt::NoBrush) : QBrush(CZunQtDC::toQColor(o.color)));
                } else if constexpr (std::is_same_v<T, OpClip>) {
                    clip = QRegion(o.rect.left, o.rect.top, o.rect.width(), o.rect.height());
                    p.setClipRegion(clip);
                } else if constexpr (std::is_same_v<T, OpExclude>) {
                    clip = clip.subtracted(QRegion(o.polygon, Qt::OddEvenFill));
                    p.setClipRegion(clip);
                } else if constexpr (std::is_same_v<T, OpLine>) {
                    p.drawLine(o.line);
                } else if constexpr (std::is_same_v<T, OpPixel>) {
                    // Pixels are not clipped by QPainter: keep them inside as the device does.
                    if (clip.contains(o.at))
                        image.setPixel(o.at, zunRgbToPixel(o.color) | 0xFF000000u);
                } else if constexpr (std::is_same_v<T, OpPolygon>) {
                    p.drawPolygon(o.polygon, Qt::OddEvenFill);
                } else if constexpr (std::is_same_v<T, OpEllipse>) {
                    p.drawEllipse(o.rect);
                } else if constexpr (std::is_same_v<T, OpRect>) {
                    p.drawRect(o.rect);
                } else if constexpr (std::is_same_v<T, OpFill>) {
                    p.fillRect(o.rect, CZunQtDC::toQColor(o.color));
                }
                if constexpr (kDraws<T>)
                    if (matched)
                        zunSettleVectorState();
            },
            op);
    }
    drawLines();
}

// ---- the lists -------------------------------------------------------------------

CZunVertexArray box(double x, double y, double w, double h)
{
    return CZunVertexArray::fromPoints(CZunPoint3dArray{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, true);
}

CZunGDX filledRegions()
{
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> pos(0, 1);
    CZunGDX gdx = freshList();
    for (int i = 0; i < 10000; ++i) {
        const double x = pos(rng) * (kWidth - 40), y = pos(rng) * (kHeight - 40);
        gdx.imageReg({i}, gdxFlagFill | gdxFlagOutline, {box(x, y, 36, 30), box(x + 10, y + 8, 12, 10)},
                     CZunColor(1 + i % 6), {}, {1.0}, 1.0, 0, CZunColor(2 + i % 5), {}, {});
    }
    return gdx;
}

CZunGDX hatchedRegions()
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> pos(0, 1);
    const wchar_t* patterns[] = {L"ANSI31", L"ANSI37", L"BRICK", L"ANSI32"};
    CZunGDX gdx = freshList();
    for (int i = 0; i < 1000; ++i) {
        const double x = pos(rng) * (kWidth - 120), y = pos(rng) * (kHeight - 100);
        gdx.imageReg({i}, gdxFlagHatch | gdxFlagOutline, {box(x, y, 110, 90), box(x + 40, y + 30, 30, 25)},
                     CZunColor(1 + i % 6), {}, {1.0}, 1.0, 0, CZunColor(8),
                     ZUN::CHatchProp(patterns[i % 4], 0.0, 2.0, false), {});
    }
    return gdx;
}

CZunGDX points()
{
    std::mt19937 rng(4);
    std::uniform_real_distribution<double> pos(0, 1);
    const unsigned long modes[] = {0, 2, 3, 4, 1 | 32, 1 | 64, 8, 3 | 32};
    CZunGDX gdx = freshList();
    for (int i = 0; i < 10000; ++i)
        gdx.imagePt({i}, 0, {pos(rng) * kWidth, pos(rng) * kHeight}, CZunColor(1 + i % 6), {}, -12, modes[i % 8], {});
    return gdx;
}

// Labels as a drawing has them: position numbers, dimensions and notes of a
// few characters, at text heights of 9 to 20 pixels, every fourth one turned
// upright, in all nine alignments.
CZunGDX texts()
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> pos(0, 1), height(9, 20);
    const wchar_t* labels[] = {L"Pos. 12", L"M16x1.5", L"A-A", L"t=8 S235", L"L=2450", L"\u00b1 0.2 mm", L"R 15",
                               L"B\u00fcgel 3", L"GRP-4711", L"50x50x5"};
    const wchar_t* aligns[] = {L"BL", L"BC", L"BR", L"CL", L"CC", L"CR", L"TL", L"TC", L"TR"};
    CZunGDX gdx = freshList();
    for (int i = 0; i < 2000; ++i) {
        const CZunVector3d at(40 + pos(rng) * (kWidth - 80), 40 + pos(rng) * (kHeight - 80), 0);
        CZunMatrix3d place, turn, size;
        place.setToTranslation(at);
        turn.setToRotation(i % 4 == 0 ? 1.5707963267948966 : 0.0);
        const double h = height(rng);
        size.setToScaling(CZunVector3d(h, -h, 1.0));  // the font's y runs up, the image's down
        gdx.imageTxt({i}, 0, labels[i % 10], CZunColor(1 + i % 6), place * turn * size, aligns[i % 9], {}, {});
    }
    return gdx;
}

// ---- the benchmarks --------------------------------------------------------------

void paintOurs(benchmark::State& state, CZunGDX (*make)())
{
    CZunGDX gdx = make();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        CZunQtDC dc(image);
        CZunPainter painter(dc);
        painter.paint(&gdx);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The painter keeps hatch lines between paints, so the case above times a
// repaint. This one drops them before every paint: a list's first paint,
// with every hatch generated.
void paintOursFirst(benchmark::State& state, CZunGDX (*make)())
{
    CZunGDX gdx = make();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        CZunPainter::clearHatchCache();
        CZunQtDC dc(image);
        CZunPainter painter(dc);
        painter.paint(&gdx);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void paintPainterOnly(benchmark::State& state, CZunGDX (*make)())
{
    CZunGDX gdx = make();
    for (auto _ : state) {
        DiscardingDC dc;
        CZunPainter painter(dc);
        painter.paint(&gdx);
    }
}

void paintBaseline(benchmark::State& state, CZunGDX (*make)(), Replay how)
{
    CZunGDX gdx = make();
    RecordingDC recorder;
    CZunPainter(recorder).paint(&gdx);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        replay(recorder.ops, image, how);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["ops"] = static_cast<double>(recorder.ops.size());
}

// ---- through the viewer --------------------------------------------------------------

// The viewer widget at full HD showing the list fitted, as a window does.
struct Viewer {
    explicit Viewer(CZunGDX& gdx) : image(kWidth, kHeight, QImage::Format_RGB32)
    {
        view.resize(kWidth, kHeight);
        view.set_dpList(&gdx);
        view.zoomExtents();
    }
    // What a paint event of the window does.
    void show()
    {
        view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    CZunDplistImage view;
    QImage image;
};

void moveZoom(CZunGDX& gdx, double dx, double dy)
{
    CZunMatrix3d zoom = gdx.zoomMtxGet();
    zoom[0][3] += dx;
    zoom[1][3] += dy;
    gdx.zoomMtxSet(zoom);
}

// Ten times into the middle; each paint is of a view moved by half a pixel
// from the one before, so the picture is painted anew every time (a wheel
// notch deep in the drawing).
void paintViewerZoomed(benchmark::State& state)
{
    CZunGDX gdx = polylines();
    Viewer viewer(gdx);
    gdx.zoomMtxSet(CZunMatrix3d().setToScaling(10.0, CZunPoint3d(kWidth / 2.0, kHeight / 2.0, 0)));
    viewer.show();
    double step = 0.5;
    for (auto _ : state) {
        moveZoom(gdx, step, 0.0);
        step = -step;
        viewer.show();
    }
}

// 20 pixels to the right and back again, at fit: a step of a middle-button pan.
void paintViewerPan(benchmark::State& state)
{
    CZunGDX gdx = polylines();
    Viewer viewer(gdx);
    viewer.show();
    int step = 20;
    for (auto _ : state) {
        moveZoom(gdx, step, 0.0);
        step = -step;
        viewer.show();
    }
}

// 20 pixels to the right and back again, ten times into the middle: a step
// of a middle-button pan deep inside the drawing, where many lines are far
// longer than the window.
void paintViewerZoomedPan(benchmark::State& state)
{
    CZunGDX gdx = polylines();
    Viewer viewer(gdx);
    gdx.zoomMtxSet(CZunMatrix3d().setToScaling(10.0, CZunPoint3d(kWidth / 2.0, kHeight / 2.0, 0)));
    viewer.show();
    int step = 20;
    int scrolled = 0;
    for (auto _ : state) {
        moveZoom(gdx, step, 0.0);
        step = -step;
        viewer.show();
        scrolled += viewer.view.lastPaint().kind == CZunDplistImage::Repaint::Scrolled ? 1 : 0;
    }
    state.counters["scrolled"] = benchmark::Counter(scrolled, benchmark::Counter::kAvgIterations);
}

// Nothing changed: the window uncovered.
void paintViewerUnchanged(benchmark::State& state)
{
    CZunGDX gdx = polylines();
    Viewer viewer(gdx);
    viewer.show();
    for (auto _ : state)
        viewer.show();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    struct Case {
        const char* name;
        CZunGDX (*make)();
    };
    const Case cases[] = {{"Polylines", polylines}, {"Regions", filledRegions}, {"Hatches", hatchedRegions},
                          {"Points", points}, {"Text", texts}};
    for (const Case& c : cases) {
        benchmark::RegisterBenchmark((std::string("BM_") + c.name + "_Ours").c_str(), paintOurs, c.make)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("BM_") + c.name + "_Baseline").c_str(), paintBaseline, c.make,
                                     Replay::OneCallEach)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("BM_") + c.name + "_BaselineMatched").c_str(), paintBaseline,
                                     c.make, Replay::LikeOurDevice)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("BM_") + c.name + "_PainterOnly").c_str(), paintPainterOnly, c.make)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_Hatches_OursFirstPaint", paintOursFirst, hatchedRegions)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_PolylinesZoomed_Ours", paintViewerZoomed)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_PolylinesPan_Ours", paintViewerPan)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_PolylinesZoomedPan_Ours", paintViewerZoomedPan)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_PolylinesUnchanged_Ours", paintViewerUnchanged)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
