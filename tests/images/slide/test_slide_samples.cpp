// Our own slides in every encoding go through files and back. With
// ZUN_SLIDE_SAMPLES_DIR set, they are left in that folder (the fuzzers'
// seed slides are made this way, see fuzz/README.md).

#include "images/slide/zun_gdx_sld.h"
#include "images/slide/zun_slide_lib.h"
#include "slide_test_util.h"
#include "slide_writer.h"
#include "tests/contracts/data/test_tmp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using Named = std::vector<std::pair<std::string, std::vector<std::uint8_t>>>;

SlideWriter picture(int level, bool big)
{
    SlideWriter w(level, big, 640, 480);
    w.color(7).vector(0, 0, 640, 0).commonEndpoint(0, 100).commonEndpoint(-100, 0).offsetVector(10, 10, 20, -10);
    w.color(1).solidFill({{100, 100}, {300, 100}, {300, 300}, {100, 300}});
    w.color(140).solidFillEndingEarly(10, {{400, 50}, {600, 50}, {500, 400}});
    w.color(250).vector(320, 240, 639, 479).end();
    return w;
}

Named sampleSlides()
{
    Named slides;
    for (int level : {1, 2})
        for (bool big : {false, true})
            if (level == 2 || !big)
                slides.push_back({"picture_l" + std::to_string(level) + (big ? "_be" : "_le") + ".sld",
                                  picture(level, big).bytes()});
    SlideWriter noEnd(2, false, 100, 50);
    slides.push_back({"no_end.sld", noEnd.color(3).vector(1, 1, 99, 49).bytes()});
    SlideWriter unknown(2, true, 100, 50);
    slides.push_back({"unknown_kind.sld", unknown.vector(1, 1, 99, 49).word(0x8123).vector(2, 2, 3, 3).end().bytes()});
    SlideWriter walk(2, false, 1000, 1000);
    for (int i = 0; i < 40; ++i)
        walk.color(10 + i * 6).commonEndpoint(i % 2 ? 25 : -3, i % 3 ? 25 : -7);
    slides.push_back({"walk.sld", walk.end().bytes()});
    return slides;
}

std::filesystem::path samplesDir(const CTestTmpDir& scratch)
{
    const char* keep = std::getenv("ZUN_SLIDE_SAMPLES_DIR");
    if (!keep || !*keep)
        return scratch.path();
    std::filesystem::create_directories(keep);
    return keep;
}

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

CZunGDX plainGdx()
{
    return CZunGDX(CZunColor(), CZunMatrix3d(), 0.0, 0, CZunPoint3d(), CZunPoint3d());
}

} // namespace

TEST(SlideSamples, FilesAndTheirLibraryGiveTheSameSlidesAndItems)
{
    CTestTmpDir scratch;
    const std::filesystem::path dir = samplesDir(scratch);
    const Named slides = sampleSlides();
    Named entries;
    for (const auto& [file, bytes] : slides) {
        writeFile(dir / file, bytes);
        entries.push_back({file.substr(0, file.size() - 4), bytes});
    }
    const std::filesystem::path lib = dir / "samples.slb";
    writeFile(lib, slideLibrary(entries));
    const CZunString wlib = CZunString::fromUtf8(lib.string());

    for (const auto& [name, bytes] : entries) {
        ZUN::CGdxSld fromFile, fromLib;
        ASSERT_TRUE(fromFile.loadSlide(CZunString::fromUtf8((dir / (name + ".sld")).string()), nullptr)) << name;
        ASSERT_TRUE(fromLib.loadSlide(CZunString::fromUtf8(name), wlib)) << name;
        EXPECT_EQ(fromFile.slideBytes(), bytes) << name;
        EXPECT_EQ(fromLib.slideBytes(), bytes) << name;

        CZunGDX a = plainGdx(), b = plainGdx();
        EXPECT_TRUE(fromFile.convert(&a, 0, nullptr)) << name;
        EXPECT_TRUE(zun_gdx_image_sld(&b, CZunString::fromUtf8(name), wlib, 0, nullptr)) << name;
        SlideRecordLog log;
        ASSERT_TRUE(fromFile.decodeSlide(log).ok);
        EXPECT_EQ(a.lenGet(), log.vectors + log.fills) << name;
        EXPECT_EQ(a.lenGet(), b.lenGet()) << name;
    }

    // The same picture in all three encodings.
    const DecodedSlide oldLevel = decodeSlide(slides[0].second), little = decodeSlide(slides[1].second);
    const DecodedSlide big = decodeSlide(slides[2].second);
    EXPECT_EQ(little.log.records, oldLevel.log.records);
    EXPECT_EQ(little.log.records, big.log.records);
    EXPECT_EQ(little.log.records.size(), 11u);

    CZunArrayTempl<CZunString> names;
    ASSERT_TRUE(ZUN::slideLibNames(wlib, names));
    EXPECT_EQ(names.len(), static_cast<int>(entries.size()));
}
