// The desktop host on large drawings: from opening a drawing to its painted
// overview, for 100, 1,000 and 2,000 parts (the 100-part case is the
// baseline of the others: the work should grow linearly, t(1000)/t(100)
// about 10), and the start-up of the window to the painted sample drawing. Each
// case also reports the longest the event loop waited during the open
// (max_gap_ms, the worst of the runs): the window must stay responsive
// while parts are read and drawn and when the overview is handed over;
// the 100-part case's gap is the baseline of the stall, what the window
// costs at the end of any open.
#include "contracts/data/zun_files.h"
#include "host/desktop/zun_drawing_opener.h"
#include "host/desktop/zun_host_pick.h"
#include "host/desktop/zun_host_window.h"
#include "host/zun_drawing_repeat.h"
#include "host/zun_host_app.h"
#include "render/qt/zun_dplist_image.h"
#include "render/qt/zun_qstring.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

QTemporaryDir* g_dir = nullptr;

QString samplePath()
{
    return fromZun(ZUN::fileFind(L"samples/sample_drawing.json"));
}

// The sample's parts repeated n times, written once per run.
QString largeDrawing(int n)
{
    static std::map<int, QString> made;
    if (const auto it = made.find(n); it != made.end())
        return it->second;
    const QString path = g_dir->filePath(QStringLiteral("large_%1.json").arg(n));
    CZunString error;
    if (!zunRepeatDrawingFile(toZun(samplePath()), n, toZun(path), &error))
        std::fprintf(stderr, "bench_host: %s\n", error.toUtf8().c_str());
    made[n] = path;
    return path;
}

// Opens path in the window and waits for it; the longest gap between two
// turns of the event loop meanwhile goes to maxGap (milliseconds).
bool openAndWait(CZunHostWindow& window, const QString& path, qint64& maxGap)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    maxGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        maxGap = std::max(maxGap, clock.elapsed() - last);
        last = clock.elapsed();
    });
    ticker.start(0);
    if (!window.openDrawing(path))
        return false;
    // The call itself holds the loop up to its first slice.
    maxGap = std::max(maxGap, clock.elapsed());
    last = clock.elapsed();
    if (window.isOpening()) {
        QEventLoop loop;
        QObject::connect(&window, &CZunHostWindow::drawingOpened, &loop, &QEventLoop::quit);
        QObject::connect(window.opener(), &CZunDrawingOpener::cancelled, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return !window.isOpening();
}

// A shown window, as a user sees it, with the sample open.
void BM_HostOpenToPaintedOverview(benchmark::State& state)
{
    const int parts = static_cast<int>(state.range(0));
    const QString path = largeDrawing(parts);
    CZunHostApp host;
    zunAppSet(&host);
    CZunHostApp::registerGenerators();
    qint64 worstGap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<CZunHostWindow>(host);
        window->resize(1280, 800);
        window->show();
        window->openDrawing(samplePath());
        QApplication::processEvents();
        state.ResumeTiming();

        qint64 gap = 0;
        if (!openAndWait(*window, path, gap)) {
            state.SkipWithError("the drawing did not open");
            break;
        }
        worstGap = std::max(worstGap, gap);
        const QImage painted = window->grab().toImage();
        benchmark::DoNotOptimize(painted.constBits());

        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    zunAppSet(nullptr);
    state.counters["parts"] = parts;
    state.counters["max_gap_ms"] = static_cast<double>(worstGap);
}

// From nothing to the painted sample drawing: the application object, the
// window with its menus, the drawing opened and the window painted.
void BM_HostStartupSample(benchmark::State& state)
{
    const QString sample = samplePath();
    for (auto _ : state) {
        CZunHostApp host;
        zunAppSet(&host);
        CZunHostApp::registerGenerators();
        {
            CZunHostWindow window(host);
            window.resize(1280, 800);
            qint64 gap = 0;
            if (!openAndWait(window, sample, gap)) {
                state.SkipWithError("the sample did not open");
                break;
            }
            window.show();
            const QImage painted = window.grab().toImage();
            benchmark::DoNotOptimize(painted.constBits());
        }
        zunAppSet(nullptr);
    }
}

// The 1,000-part drawing open in a shown 1,280 x 800 window, handed to use;
// the case is skipped when the drawing does not open.
template <class Use>
void withLargeDrawing(benchmark::State& state, Use&& use)
{
    CZunHostApp host;
    zunAppSet(&host);
    CZunHostApp::registerGenerators();
    {
        CZunHostWindow window(host);
        window.resize(1280, 800);
        window.show();
        qint64 gap = 0;
        if (openAndWait(window, largeDrawing(1000), gap))
            use(window);
        else
            state.SkipWithError("the drawing did not open");
    }
    zunAppSet(nullptr);
}

// The 1,000-part overview zoomed in on a few cells, repainted: every cell
// through the viewer's own paint (the baseline) against the window's paint
// of the cells in view.
void paintZoomed(benchmark::State& state, bool culled)
{
    withLargeDrawing(state, [&](CZunHostWindow& window) {
        CZunMatrix3d zoom;
        zoom.setToScaling(8.0, CZunPoint3d(200, 150, 0));
        window.scene().displayList()->zoomMtxSet(zoom);
        for (auto _ : state) {
            const QImage painted = culled ? window.viewer()->grab().toImage() : window.viewer()->renderImage();
            benchmark::DoNotOptimize(painted.constBits());
        }
    });
}

void BM_HostPaintZoomed_Baseline(benchmark::State& state)
{
    paintZoomed(state, false);
}

void BM_HostPaintZoomed_CellsInView(benchmark::State& state)
{
    paintZoomed(state, true);
}

// Clicks on the 1,000-part overview as a user makes them: a grid of points
// over the window, each picked on the list the viewer shows. The baseline is
// the list's own pick (imageItemGet) at the same points, on a copy, since
// it reorders the list it looks at.
template <class Pick>
void pickOverview(benchmark::State& state, Pick&& pickAt)
{
    withLargeDrawing(state, [&](CZunHostWindow& window) {
        QApplication::processEvents();
        CZunGDX& shown = *window.viewer()->get_dpList();
        CZunGDX copy = shown;
        const QSize size = window.viewer()->size();
        int hits = 0;
        for (auto _ : state)
            for (int y = 1; y <= 5; ++y)
                for (int x = 1; x <= 8; ++x)
                    hits += pickAt(shown, copy, QPointF(size.width() * x / 9.0, size.height() * y / 6.0), size) >= 0;
        state.counters["picks"] = 40;
        state.counters["hits"] = hits / static_cast<double>(state.iterations());
        state.counters["items"] = shown.lenGet();
    });
}

void BM_HostPick_Baseline(benchmark::State& state)
{
    pickOverview(state, [](CZunGDX&, CZunGDX& copy, const QPointF& at, const QSize&) {
        return copy.imageItemGet(CZunPoint3d(at.x(), at.y(), 0.0));
    });
}

void BM_HostPick_Ours(benchmark::State& state)
{
    CZunHostPicker picker;
    pickOverview(state, [&](CZunGDX& shown, CZunGDX&, const QPointF& at, const QSize& window) {
        return picker.pick(shown, at, window).group;
    });
}

} // namespace

BENCHMARK(BM_HostPaintZoomed_Baseline)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_HostPaintZoomed_CellsInView)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_HostOpenToPaintedOverview)->Arg(100)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HostStartupSample)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_HostPick_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostPick_Ours)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    if (qEnvironmentVariableIsEmpty("ZUN_SETTINGS_DIR"))
        qputenv("ZUN_SETTINGS_DIR", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    QTemporaryDir drawings;
    g_dir = &drawings;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
