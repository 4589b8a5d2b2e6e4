// Opening a large message file in the message server's store against a
// baseline that only reads and parses the same file, in the same run: the
// store's own work is the difference (goal: 20,000 keys in 5 languages in
// under a second).
#include "contracts/data/zun_msg_file.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr int kKeys = 20000;
constexpr const char* kLanguages[] = {"de", "en", "fr", "it", "nl"};

// A message file like a real one: keys of the module's forms, texts of some
// dozens of characters, now and then a line break or a non-ASCII letter.
const std::string& messageFile()
{
    static const std::string path = [] {
        const std::filesystem::path file = std::filesystem::temp_directory_path() / "zun_bench_messages.json";
        nlohmann::ordered_json texts = nlohmann::ordered_json::object();
        for (int k = 0; k < kKeys; ++k) {
            char key[32];
            std::snprintf(key, sizeof key, "ZUN_BENCH_%05d", k);
            nlohmann::ordered_json byLanguage = nlohmann::ordered_json::object();
            for (const char* language : kLanguages) {
                std::string text = std::string("Text ") + key + " in " + language + " f\u00FCr Bauteile";
                if (k % 17 == 0)
                    text += "\nzweite Zeile";
                byLanguage[language] = text;
            }
            texts[key] = byLanguage;
        }
        std::ofstream(file, std::ios::binary) << nlohmann::ordered_json{{"zun_messages", 1}, {"texts", texts}}.dump(2);
        return file.string();
    }();
    return path;
}

// Baseline: read the file and parse it into a JSON document, nothing more.
void BM_MsgFileParseOnly(benchmark::State& state)
{
    const std::string& path = messageFile();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        nlohmann::json doc = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(doc);
    }
}
BENCHMARK(BM_MsgFileParseOnly)->Unit(benchmark::kMillisecond);

// The server's open: read, parse, check, merge into the store.
void BM_MsgFileOpen(benchmark::State& state)
{
    const CZunString path = CZunString::fromUtf8(messageFile());
    for (auto _ : state) {
        ZUN::CZunMsgFile file;
        if (!file.open(path)) {
            state.SkipWithError("the generated file did not open");
            break;
        }
        benchmark::DoNotOptimize(file.keyCount());
    }
    state.counters["keys"] = kKeys;
}
BENCHMARK(BM_MsgFileOpen)->Unit(benchmark::kMillisecond);

// Looking every key up in every language once, as a client reading all
// texts would.
void BM_MsgFileLookupAll(benchmark::State& state)
{
    ZUN::CZunMsgFile file;
    file.open(CZunString::fromUtf8(messageFile()));
    for (auto _ : state) {
        size_t chars = 0;
        for (size_t k = 0; k < file.keyCount(); ++k)
            for (const CZunString& language : file.languages())
                chars += file.escapedText(file.keyAt(k), language).view().size();
        benchmark::DoNotOptimize(chars);
    }
}
BENCHMARK(BM_MsgFileLookupAll)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
