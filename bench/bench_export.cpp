// Exporting a large list as an enhanced metafile against the obvious
// alternative for the same picture, a PNG file: the painter on a QImage and
// QImage::save. Both draw the same fitted geometry and write a file, so the
// ratio metafile / PNG is what choosing the metafile costs.

#include "bench_lists.h"

#include "render/emf/zun_emf_dc.h"
#include "render/emf/zun_emf_refresh.h"
#include "render/paint/zun_viewfit.h"
#include "render/paint/zun_painter.h"
#include "render/qt/zun_cdc_qt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

namespace {

using zun_bench::kHeight;
using zun_bench::kWidth;

// The list fitted once, as every export fits it, so the loops time drawing
// and writing only.
CZunGDX& fittedPolylines()
{
    static CZunGDX gdx = [] {
        CZunGDX list = zun_bench::polylines();
        zunFitToWindow(list, kHeight, kWidth);
        return list;
    }();
    return gdx;
}

QString outputPath(const char* name)
{
    return QDir::temp().filePath(QStringLiteral("zun_bench_export_%1").arg(QLatin1String(name)));
}

void BM_Polylines_Emf(benchmark::State& state)
{
    CZunGDX& gdx = fittedPolylines();
    const std::wstring path = outputPath("polylines.emf").toStdWString();
    int records = 0;
    for (auto _ : state) {
        CZunEmfDC dc(kWidth, kHeight);
        CZunPainter painter(dc);
        painter.setTarget(CZunPainter::Target::Metafile);
        painter.paint(&gdx);
        if (!dc.save(path.c_str()))
            state.SkipWithError("cannot write the metafile");
        records = dc.recordCount();
    }
    state.counters["records"] = records;
    state.counters["bytes"] = static_cast<double>(QFileInfo(QString::fromStdWString(path)).size());
}

void BM_Polylines_PngBaseline(benchmark::State& state)
{
    CZunGDX& gdx = fittedPolylines();
    const QString path = outputPath("polylines.png");
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        {
            CZunQtDC dc(image);
            CZunPainter painter(dc);
            painter.paint(&gdx);
        }
        if (!image.save(path, "PNG"))
            state.SkipWithError("cannot write the picture");
    }
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
}

} // namespace

BENCHMARK(BM_Polylines_Emf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Polylines_PngBaseline)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QFile::remove(outputPath("polylines.emf"));
    QFile::remove(outputPath("polylines.png"));
    return 0;
}
