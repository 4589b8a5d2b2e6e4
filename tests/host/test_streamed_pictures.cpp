// Drawing the parts of a file read a part at a time gives the pictures that
// drawing them from the whole drawing gives, pixel for pixel, for the
// sample and for the sample repeated (whose copies take other handles).

#include "contracts/data/zun_drawing_reader.h"
#include "host/zun_drawing_repeat.h"
#include "host/zun_host_app.h"
#include "host/zun_part_image.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

const CZunString kSample = CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json");

using Pictures = std::map<std::wstring, QImage>;

// The host's application and generators, and the current drawing given
// back as it was.
class HostRun {
public:
    HostRun()
    {
        m_previous = zunAppSet(&m_app);
        CZunHostApp::registerGenerators();
        ZUN::drawingCurrent().swap(m_saved);
    }
    ~HostRun()
    {
        ZUN::drawingCurrent().swap(m_saved);
        zunAppSet(m_previous);
    }
    HostRun(const HostRun&) = delete;
    HostRun& operator=(const HostRun&) = delete;

private:
    CZunHostApp m_app;
    CZunApp* m_previous = nullptr;
    ZUN::CZunDrawing m_saved;
};

QImage picture(const ZUN::CZunPart& part)
{
    CZunGDX gdx;
    QString reason;
    EXPECT_TRUE(zunPartImageBuild(part, gdx, &reason)) << reason.toStdString();
    return zunPaintFitted(gdx, 200, 150);
}

Pictures wholeFilePictures(const CZunString& path)
{
    Pictures out;
    ZUN::CDataFileError error;
    EXPECT_TRUE(ZUN::drawingOpen(path, &error)) << error.toString().toUtf8();
    const ZUN::CZunDrawing& drawing = ZUN::drawingCurrent();
    for (int i = 0; i < drawing.partCount(); ++i)
        out[drawing.part(i)->handle.str()] = picture(*drawing.part(i));
    return out;
}

Pictures streamedPictures(const CZunString& path, size_t& mostParts)
{
    Pictures out;
    ZUN::CZunDrawingReader reader;
    ZUN::CDataFileError error;
    EXPECT_TRUE(reader.open(path, &error)) << error.toString().toUtf8();
    EXPECT_TRUE(reader.streamed());
    mostParts = 0;
    EXPECT_TRUE(reader.forEachPart(
        [&](const ZUN::CZunDrawing& drawing, const ZUN::CZunPart& part) {
            mostParts = std::max(mostParts, static_cast<size_t>(drawing.partCount()));
            out[part.handle.str()] = picture(part);
            return true;
        },
        ZUN::drawingCurrent(), &error))
        << error.toString().toUtf8();
    return out;
}

class StreamedPictures : public ::testing::TestWithParam<int> {};

TEST_P(StreamedPictures, AreTheWholeFilesPictures)
{
    HostRun run;
    const int repeat = GetParam();
    QTemporaryDir dir;
    CZunString path = kSample;
    if (repeat > 0) {
        path = CZunString::fromUtf8(dir.filePath(QStringLiteral("repeated.json")).toStdString());
        CZunString error;
        ASSERT_TRUE(zunRepeatDrawingFile(kSample, repeat, path, &error)) << error.toUtf8();
    }
    const Pictures whole = wholeFilePictures(path);
    size_t mostParts = 0;
    const Pictures streamed = streamedPictures(path, mostParts);
    EXPECT_EQ(mostParts, 1u);
    ASSERT_EQ(streamed.size(), whole.size());
    ASSERT_GE(whole.size(), 10u);
    for (const auto& [handle, image] : whole) {
        const auto found = streamed.find(handle);
        ASSERT_NE(found, streamed.end()) << CZunString(handle).toUtf8();
        EXPECT_FALSE(image.isNull());
        EXPECT_TRUE(found->second == image) << CZunString(handle).toUtf8();
    }
}

INSTANTIATE_TEST_SUITE_P(Drawings, StreamedPictures, ::testing::Values(0, 23));

} // namespace
