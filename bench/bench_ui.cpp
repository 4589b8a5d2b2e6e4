// The dialog controls' work that grows with the data: each case is set
// against a baseline measured in the same run, so that a regression shows
// as a ratio, not as a machine speed.

#include "ui/core/zun_value_field.h"

#include "contracts/data/zun_units.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cwchar>
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

BENCHMARK_MAIN();
