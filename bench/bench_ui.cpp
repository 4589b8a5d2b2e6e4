// The dialog controls' work that grows with the data: each case is set
// against a baseline measured in the same run, so that a regression shows
// as a ratio, not as a machine speed.

#include "ui/core/zun_value_field.h"

#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_material.h"
#include "contracts/data/zun_units.h"
#include "ui/core/zun_mat_tree.h"
#include "ui/zun_dial_app.h"
#include "ui/zun_mat_tree_ctrl.h"

#include <QApplication>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <random>
#include <vector>

// ---- numeric fields: formatting and parsing lengths -------------------------------------------
//
// 100,000 lengths as a dialog full of fields would show and read them: the
// edit's formatVal (with its fall-backs) and the edit's reading of typed
// text, in each of the five length formats, against the C library writing
// and reading the same values as plain decimals. Goal: under 100 ms each.

namespace {

constexpr int kFieldValues = 100000;

// Lengths as a drawing has them: mostly up to a few metres in millimetres,
// some tiny ones (the fall-backs), some negative.
const std::vector<double>& fieldValues()
{
    static const std::vector<double> values = [] {
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> length(0.0, 12000.0), tiny(0.0, 0.05);
        std::vector<double> v;
        v.reserve(kFieldValues);
        for (int i = 0; i < kFieldValues; ++i) {
            double x = i % 50 == 0 ? tiny(rng) : length(rng);
            v.push_back(i % 7 == 0 ? -x : x);
        }
        return v;
    }();
    return values;
}

ZUN::CValueField lengthField(int format)
{
    ZUN::CValueField field(ZUN::CValueField::Kind::Edit);
    field.setEditFlags(ZUN::kFieldLength, ZUN::kFlagRequired | ZUN::kFlagCompact, 4, 0, 0);
    field.setFormat(format);
    return field;
}

// The texts of the values in a format, as the field writes them.
std::vector<CZunString> fieldTexts(int format)
{
    const ZUN::CValueField field = lengthField(format);
    std::vector<CZunString> texts;
    texts.reserve(kFieldValues);
    for (double x : fieldValues()) {
        CZunString text;
        field.formatVal(x, text);
        texts.push_back(text);
    }
    return texts;
}

void formatAll(benchmark::State& state, int format)
{
    const ZUN::CValueField field = lengthField(format);
    const std::vector<double>& values = fieldValues();
    CZunString text;
    for (auto _ : state) {
        for (double x : values) {
            field.formatVal(x, text);
            benchmark::DoNotOptimize(text.c_str());
        }
    }
    state.SetItemsProcessed(state.iterations() * kFieldValues);
}

void parseAll(benchmark::State& state, int format)
{
    ZUN::CValueField field = lengthField(format);
    field.markChanged(true);  // read the text, as on leaving a changed field
    const std::vector<CZunString> texts = fieldTexts(format);
    for (const CZunString& text : texts) {
        double v = 0.0;
        if (!field.getVal(text, v)) {
            state.SkipWithError("a text the field wrote does not read back");
            return;
        }
    }
    for (auto _ : state) {
        double sum = 0.0;
        for (const CZunString& text : texts) {
            double v = 0.0;
            field.getVal(text, v);
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kFieldValues);
}

void BM_Format_Scientific(benchmark::State& state) { formatAll(state, ZUN::kFormatScientific); }
void BM_Format_Decimal(benchmark::State& state) { formatAll(state, ZUN::kFormatDecimal); }
void BM_Format_Engineering(benchmark::State& state) { formatAll(state, ZUN::kFormatEngineering); }
void BM_Format_Architectural(benchmark::State& state) { formatAll(state, ZUN::kFormatArchitectural); }
void BM_Format_Fractional(benchmark::State& state) { formatAll(state, ZUN::kFormatFractional); }

// The C library writing the same values with four decimals.
void BM_Format_Baseline(benchmark::State& state)
{
    const std::vector<double>& values = fieldValues();
    wchar_t buffer[64];
    for (auto _ : state) {
        for (double x : values) {
            std::swprintf(buffer, 64, L"%.4f", x);
            benchmark::DoNotOptimize(buffer);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFieldValues);
}

void BM_Parse_Scientific(benchmark::State& state) { parseAll(state, ZUN::kFormatScientific); }
void BM_Parse_Decimal(benchmark::State& state) { parseAll(state, ZUN::kFormatDecimal); }
void BM_Parse_Engineering(benchmark::State& state) { parseAll(state, ZUN::kFormatEngineering); }
void BM_Parse_Architectural(benchmark::State& state) { parseAll(state, ZUN::kFormatArchitectural); }
void BM_Parse_Fractional(benchmark::State& state) { parseAll(state, ZUN::kFormatFractional); }

// The C library reading the same values written as plain decimals.
void BM_Parse_Baseline(benchmark::State& state)
{
    const std::vector<CZunString> texts = fieldTexts(ZUN::kFormatDecimal);
    for (auto _ : state) {
        double sum = 0.0;
        for (const CZunString& text : texts)
            sum += std::wcstod(text.c_str(), nullptr);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kFieldValues);
}

} // namespace

BENCHMARK(BM_Format_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Format_Scientific)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Format_Decimal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Format_Engineering)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Format_Architectural)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Format_Fractional)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse_Scientific)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse_Decimal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse_Engineering)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse_Architectural)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse_Fractional)->Unit(benchmark::kMillisecond);

// ---- end of the numeric fields' cases ------------------------------------------------------

// ---- the material tree: building it over a large library -------------------------------------
//
// The material tree's init with every flag over a generated library of
// 10,000 materials: 1000 materials, each with three sub-materials of its
// own, each of those with one, and those with two sub-materials taken from
// a pool of 2999 that many share. SYSTEM holds the 1000; the drawing names
// them as well and brings 200 materials of its own, each over one of the
// 1000. About 29,000 nodes. Against the same nodes (texts, images, parents)
// put into a plain QTreeWidget the same way. Goal: ratio at most 2, under
// 200 ms.

namespace {

constexpr int kTopMaterials = 1000;
constexpr int kOwnSubs = 3;
constexpr int kSharedPool = 2999;
constexpr int kDrawingOnly = 200;
constexpr unsigned kAllTreeFlags = ZUN::kMatTreeDrawing | ZUN::kMatTreeNames | ZUN::kMatTreeEdge |
                                   ZUN::kMatTreeSystem | ZUN::kMatTreeNoSpace | ZUN::kMatTreePhys;

std::string label(const char* de, const char* en, int n)
{
    return "\"LABEL\": \"\\\\de:" + std::string(de) + " " + std::to_string(n) + "\\\\en:" + en + " " +
           std::to_string(n) + "\"";
}

// Writes the library, loads it and opens a drawing naming its materials;
// false (with why) when either does not load.
bool setUpMaterials(std::string& why)
{
    std::string lib = R"({"zun": "data", "version": 1, "root": {"SYSTEM": {"LABEL": "\\de:System", "SUBS": [)";
    for (int t = 0; t < kTopMaterials; ++t)
        lib += (t ? ",\"T" : "\"T") + std::to_string(t) + "\"";
    lib += "]}";
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pool(0, kSharedPool - 1);
    for (int t = 0; t < kTopMaterials; ++t) {
        lib += ",\"T" + std::to_string(t) + "\": {" + label("Werkstoff", "Material", t) + ", \"PHYS\": 1, \"SUBS\": [";
        for (int a = 0; a < kOwnSubs; ++a) {
            const int n = t * kOwnSubs + a;
            lib += (a ? ",\"A" : "\"A") + std::to_string(n) + "\"";
        }
        lib += "]}";
    }
    for (int n = 0; n < kTopMaterials * kOwnSubs; ++n) {
        lib += ",\"A" + std::to_string(n) + "\": {" + label("Schicht", "Layer", n) + ", \"SUBS\": [\"B" + std::to_string(n) + "\"]}";
        lib += ",\"B" + std::to_string(n) + "\": {" + label("Lage", "Ply", n) + ", \"SUBS\": [\"C" +
               std::to_string(pool(rng)) + "\", \"C" + std::to_string(pool(rng)) + "\"]}";
    }
    for (int c = 0; c < kSharedPool; ++c)
        lib += ",\"C" + std::to_string(c) + "\": {" + label("Kante", "Edge", c) +
               ", \"EDGE\": 1, \"PHYS\": 5, \"PROPS\": {\"COATING\": true, \"THICK\": 0.5}}";
    lib += "}}";

    const std::string path = (std::filesystem::temp_directory_path() / "zun_bench_materials.json").string();
    std::ofstream(path, std::ios::binary) << lib;
    CZunString error;
    const bool loaded = CZunMatMgr::setLibraryFile(CZunString::fromUtf8(path), &error);
    std::filesystem::remove(path);
    if (!loaded) {
        why = error.toUtf8();
        return false;
    }

    std::string drawing = R"({"zun": "drawing", "materials": {)";
    for (int t = 0; t < kTopMaterials; ++t)
        drawing += (t ? ",\"T" : "\"T") + std::to_string(t) + "\": {}";
    for (int d = 0; d < kDrawingOnly; ++d)
        drawing += ",\"D" + std::to_string(d) + "\": {" + label("Eigen", "Own", d) + ", \"SUBS\": [\"T" +
                   std::to_string(d * 5) + "\"]}";
    drawing += "}}";
    ZUN::CDataFileError drawingError;
    if (!ZUN::drawingCurrent().loadJson(drawing, L"bench", &drawingError)) {
        why = drawingError.toString().toUtf8();
        return false;
    }
    return true;
}

bool materialsReady(benchmark::State& state)
{
    static std::string why;
    static const bool ready = setUpMaterials(why);
    if (!ready)
        state.SkipWithError(why.c_str());
    return ready;
}

const CZunArrayTempl<CZunString> kPhysTypes{L"COATING"};

void BM_MatTreeInit_Ours(benchmark::State& state)
{
    if (!materialsReady(state))
        return;
    CZunMatTreeCtrl tree;
    for (auto _ : state)
        tree.init(kAllTreeFlags, L"C17", kPhysTypes);
    int nodes = 0;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        ++nodes;
    state.counters["nodes"] = nodes;
}

// The part without widgets alone: which nodes, their texts and order.
void BM_MatTreeInit_LayoutOnly(benchmark::State& state)
{
    if (!materialsReady(state))
        return;
    ZUN::MatTreeInput input;
    input.flags = kAllTreeFlags;
    input.physTypes = kPhysTypes;
    input.selMat = L"C17";
    ZUN::CMatTreeLayout layout;
    for (auto _ : state)
        layout.build(CZunMatMgr(), input);
    state.counters["nodes"] = static_cast<double>(layout.nodes().size());
}

// The same nodes, computed once outside the timing, put into a plain tree
// widget as the control puts them: items under their parents first, the
// roots added at the end, one text and one of three icons each.
void BM_MatTreeInit_Baseline(benchmark::State& state)
{
    if (!materialsReady(state))
        return;
    ZUN::CMatTreeLayout layout;
    ZUN::MatTreeInput input;
    input.flags = kAllTreeFlags;
    input.physTypes = kPhysTypes;
    input.selMat = L"C17";
    layout.build(CZunMatMgr(), input);
    std::vector<QString> texts;
    for (int i = 0; i < static_cast<int>(layout.nodes().size()); ++i)
        texts.push_back(QString::fromStdWString(layout.text(i).str()));
    const QIcon icons[3] = {ZUN::moduleIcon(2001), ZUN::moduleIcon(2002), ZUN::moduleIcon(2003)};

    QTreeWidget tree;
    tree.setHeaderHidden(true);
    tree.setUniformRowHeights(true);
    const std::vector<ZUN::MatTreeNode>& nodes = layout.nodes();
    std::vector<QTreeWidgetItem*> items(nodes.size());
    for (auto _ : state) {
        tree.clear();
        QList<QTreeWidgetItem*> roots;
        for (size_t i = 0; i < nodes.size(); ++i) {
            const int parent = nodes[i].parent;
            QTreeWidgetItem* item =
                parent < 0 ? new QTreeWidgetItem() : new QTreeWidgetItem(items[static_cast<size_t>(parent)]);
            item->setText(0, texts[i]);
            item->setIcon(0, icons[nodes[i].image]);
            if (parent < 0)
                roots.append(item);
            items[i] = item;
        }
        tree.addTopLevelItems(roots);
        tree.setCurrentItem(items[static_cast<size_t>(layout.selected())]);
    }
    state.counters["nodes"] = static_cast<double>(nodes.size());
}

} // namespace

BENCHMARK(BM_MatTreeInit_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatTreeInit_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatTreeInit_LayoutOnly)->Unit(benchmark::kMillisecond);

// ---- end of the material tree's cases ------------------------------------------------------

// Widgets need an application object; without a display it runs offscreen.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ZUN::moduleAttach();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ZUN::moduleDetach();
    return 0;
}
