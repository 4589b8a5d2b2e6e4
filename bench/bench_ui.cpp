// The dialog controls' work that grows with the data: each case is set
// against a baseline measured in the same run, so that a regression shows
// as a ratio, not as a machine speed.

#include "ui/core/zun_value_field.h"

#include "contracts/data/zun_data_item.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_material.h"
#include "contracts/data/zun_outline.h"
#include "contracts/data/zun_units.h"
#include "dialogs/zun_outl_dlg.h"
#include "ui/core/zun_mat_tree.h"
#include "ui/zun_dial_app.h"
#include "ui/zun_mat_tree_ctrl.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
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

// ---- outline dialog: opening it ------------------------------------------------------------
//
// What the user waits for when a command opens the outline dialog: the
// dialog built from its template, the default catalogue written into an
// empty one, the outline list filled, the parameters of the chosen outline
// set up with their names, fields and named values, and the window with
// its preview painted. Against a dialog of the same widgets in the same
// layouts, filled with the same number of texts and a polyline painted by
// QPainter, without any of the module's logic. Goal: under 150 ms and at
// most twice the baseline.

namespace {

// The opening as a command does it, without the modal loop.
void BM_OutlineDialogOpen_Ours(benchmark::State& state)
{
    for (auto _ : state) {
        CZunDataItem catalogue(true);
        ZUN::zunOutlineInit(&catalogue);
        ZUN::outlineData data;
        data.outline = ZUN::kOutlBeam;
        data.range = 3;
        CZunOutlDlg dlg;
        dlg.SavePosition(false);
        dlg.loadData(data);
        dlg.setCatalogue(&catalogue);
        if (!dlg.Create()) {
            state.SkipWithError("the outline dialog did not open");
            break;
        }
        const QImage picture = dlg.grab().toImage();
        benchmark::DoNotOptimize(picture.constBits());
        dlg.DestroyWindow();
    }
}

// A preview that paints one polyline with QPainter.
class CPlainPreview : public QWidget {
public:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawPolyline(m_points.data(), static_cast<int>(m_points.size()));
    }
    std::vector<QPointF> m_points;
};

QGroupBox* plainGroup(const QString& title, QLayout* layout)
{
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

// The same widgets in the same layouts as template 200, filled by hand.
void BM_OutlineDialogOpen_Baseline(benchmark::State& state)
{
    const int outlines = ZUN::g_outline_keys().len();
    for (auto _ : state) {
        QDialog dlg;
        dlg.setWindowTitle(QStringLiteral("Kontur"));
        auto* list = new QComboBox;
        for (int i = 0; i < outlines; ++i)
            list->addItem(QStringLiteral("Kontur %1").arg(i + 1), i + 1);
        auto* selection = new QHBoxLayout;
        selection->addWidget(list, 1);
        selection->addWidget(new QPushButton(QStringLiteral("Filter...")));
        auto* ranges = new QHBoxLayout;
        for (const char* r : {"1", "10", "100", "1000"})
            ranges->addWidget(new QRadioButton(QString::fromLatin1(r)));
        auto* material = new QHBoxLayout;
        material->addWidget(new QLabel(QStringLiteral("Baustahl S235")), 1);
        material->addWidget(new QPushButton(QStringLiteral("...")));
        auto* base = new QGridLayout;
        base->addWidget(new QLabel(QStringLiteral("X")), 0, 0);
        base->addWidget(new QLineEdit(QStringLiteral("0")), 0, 1);
        base->addWidget(new QLabel(QStringLiteral("Y")), 0, 2);
        base->addWidget(new QLineEdit(QStringLiteral("0")), 0, 3);
        auto* parms = new QGridLayout;
        for (int j = 0; j < 6; ++j) {
            auto* name = new QPushButton(QStringLiteral("Parameter %1").arg(j + 1));
            name->setFlat(true);
            parms->addWidget(name, j, 0);
            parms->addWidget(new QLineEdit(QString::number(10.5 * (j + 1))), j, 1);
        }
        auto* left = new QVBoxLayout;
        left->addWidget(plainGroup(QStringLiteral("Auswahl"), selection));
        left->addWidget(plainGroup(QStringLiteral("Bereich"), ranges));
        left->addLayout(material);
        left->addWidget(plainGroup(QStringLiteral("Basispunkt"), base));
        left->addWidget(plainGroup(QStringLiteral("Parameter"), parms));
        auto* preview = new CPlainPreview;
        preview->setMinimumSize(260, 260);
        for (const QPointF& p : {QPointF(20, 20), QPointF(200, 20), QPointF(200, 40), QPointF(120, 40),
                                 QPointF(120, 200), QPointF(200, 200), QPointF(200, 220), QPointF(20, 220),
                                 QPointF(20, 200), QPointF(100, 200), QPointF(100, 40), QPointF(20, 40),
                                 QPointF(20, 20)})
            preview->m_points.push_back(p);
        auto* columns = new QHBoxLayout;
        columns->addLayout(left);
        columns->addWidget(preview, 1);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(new QPushButton(QStringLiteral("OK")));
        buttons->addWidget(new QPushButton(QStringLiteral("Abbrechen")));
        auto* help = new QPushButton(QStringLiteral("Hilfe"));
        help->setVisible(false);
        buttons->addWidget(help);
        auto* main = new QVBoxLayout(&dlg);
        main->addLayout(columns);
        main->addLayout(buttons);
        dlg.show();
        const QImage picture = dlg.grab().toImage();
        benchmark::DoNotOptimize(picture.constBits());
    }
}

} // namespace

BENCHMARK(BM_OutlineDialogOpen_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutlineDialogOpen_Ours)->Unit(benchmark::kMillisecond);

// ---- end of the outline dialog's cases -----------------------------------------------------

// Dialogs need an application object and the module attached, as loading
// the shared library does; without a display they run offscreen.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    if (qEnvironmentVariableIsEmpty("ZUN_SETTINGS_DIR"))
        qputenv("ZUN_SETTINGS_DIR", settings.path().toLocal8Bit());
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
