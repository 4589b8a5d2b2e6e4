// The kept inputs of the text readers' fuzzers, run through the fuzzers'
// own checks on every build: odd files that once reached new code must
// still load or be refused as the readers promise.

#include "fuzz/reader_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Corpus {
    const char* target;
    std::string (*check)(const std::uint8_t*, std::size_t);
};

std::ostream& operator<<(std::ostream& out, const Corpus& c) { return out << c.target; }

std::vector<std::filesystem::path> corpus(const char* target)
{
    const std::filesystem::path dir = std::filesystem::path(ZUN_SOURCE_RES_DIR).parent_path() / "fuzz" / "corpus" / target;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    return files;
}

class ReaderCorpus : public ::testing::TestWithParam<Corpus> {
protected:
    void TearDown() override { zun_fuzz::resetReaderChecks(); }
};

} // namespace

TEST_P(ReaderCorpus, EveryKeptInputKeepsTheReadersPromises)
{
    const std::vector<std::filesystem::path> files = corpus(GetParam().target);
    ASSERT_GE(files.size(), 10u) << "the kept corpus of " << GetParam().target << " is missing";
    for (const std::filesystem::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(GetParam().check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "") << file;
    }
}

INSTANTIATE_TEST_SUITE_P(Fuzzers, ReaderCorpus,
                         ::testing::Values(Corpus{"fuzz_data_tree", zun_fuzz::checkDataTree},
                                           Corpus{"fuzz_drawing", zun_fuzz::checkDrawing},
                                           Corpus{"fuzz_hatch_pat", zun_fuzz::checkHatchPatterns},
                                           Corpus{"fuzz_msg_catalog", zun_fuzz::checkMessageCatalogue}),
                         [](const auto& info) { return std::string(info.param.target); });
