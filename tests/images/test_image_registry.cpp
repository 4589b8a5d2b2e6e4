#include "images/zun_image.h"

#include <gtest/gtest.h>

namespace {

int g_calls = 0;
CZunGDX* g_lastGdx = nullptr;

bool drawOne(CZunGDX* gdx, ZUN::CDtaFilePointer*, ZUN::CDtaFilePointer*)
{
    ++g_calls;
    g_lastGdx = gdx;
    gdx->imagePt({1}, 0, {}, CZunColor(), {}, 0.0, 0, {});
    return true;
}

bool refuse(CZunGDX*, ZUN::CDtaFilePointer*, ZUN::CDtaFilePointer*)
{
    return false;
}

// Leaves the registry as it found it.
class Registry : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const CZunString& name : zunGdxImageTypes())
            setGdxImageFcn(name, nullptr);
    }
};

} // namespace

TEST_F(Registry, InsertsSortedAndFindsEveryName)
{
    for (const wchar_t* name : {L"WALL", L"BAR", L"SHEET", L"HOLE", L"DRILL", L"Bar"})
        setGdxImageFcn(name, drawOne);
    const CZunArrayTempl<CZunString> names = zunGdxImageTypes();
    ASSERT_EQ(names.len(), 6);
    for (int i = 1; i < names.len(); ++i)
        EXPECT_LT(names[i - 1], names[i]);
    CZunGDX gdx;
    g_calls = 0;
    for (const CZunString& name : names)
        EXPECT_TRUE(zun_gdx_image(name, &gdx, nullptr, nullptr)) << name;
    EXPECT_EQ(g_calls, 6);
    EXPECT_EQ(g_lastGdx, &gdx);
}

TEST_F(Registry, ReplaceKeepsOneEntryAndNullRemoves)
{
    setGdxImageFcn(L"HOLE", drawOne);
    setGdxImageFcn(L"HOLE", refuse);
    EXPECT_EQ(zunGdxImageTypes().len(), 1);
    CZunGDX gdx;
    EXPECT_FALSE(zun_gdx_image(L"HOLE", &gdx, nullptr, nullptr));  // the later generator answers
    setGdxImageFcn(L"HOLE", nullptr);
    EXPECT_TRUE(zunGdxImageTypes().isEmpty());
    setGdxImageFcn(L"ABSENT", nullptr);  // removing an absent name does nothing
    EXPECT_FALSE(zun_gdx_image(L"HOLE", &gdx, nullptr, nullptr));
}

TEST_F(Registry, UnregisteredOrNullNamesDrawNothing)
{
    CZunGDX gdx;
    g_calls = 0;
    EXPECT_FALSE(zun_gdx_image(L"WALL", &gdx, nullptr, nullptr));
    EXPECT_FALSE(zun_gdx_image(nullptr, &gdx, nullptr, nullptr));
    setGdxImageFcn(L"wall", drawOne);
    EXPECT_FALSE(zun_gdx_image(L"WALL", &gdx, nullptr, nullptr));  // names match exactly
    EXPECT_EQ(gdx.lenGet(), 0);
    EXPECT_EQ(g_calls, 0);
}
