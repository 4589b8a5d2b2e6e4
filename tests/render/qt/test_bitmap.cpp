#include "render/qt/zun_bitmap.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A 16 x 16 icon: opaque blue with a transparent top-left quarter.
QImage iconImage()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(QColor(0, 0, 255));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, 0x00000000);
    return image;
}

CZunString wide(const QString& s)
{
    return CZunString::fromUtf8(s.toStdString());
}

} // namespace

TEST(PictureBitmap, IconsAreLaidOntoTheBackground)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("mark.ICO");
    ASSERT_TRUE(iconImage().save(path, "ICO"));
    bool flag = true;
    const ZunBitmap bitmap = zun_gdx_image_get_bitmap(wide(path), 0, 16, 16, flag, 0x0000FF);  // red background
    ASSERT_FALSE(bitmap.isNull());
    EXPECT_FALSE(flag);
    EXPECT_EQ(bitmap.width, 16);
    EXPECT_EQ(bitmap.pixel(2, 2), 0xFF0000u);   // transparent: the red background (0xRRGGBB)
    EXPECT_EQ(bitmap.pixel(12, 12), 0x0000FFu); // the icon's blue
}

TEST(PictureBitmap, BitmapsLoadAtTheRequestedSize)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("plate.bmp");
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 30));
    ASSERT_TRUE(image.save(path, "BMP"));
    bool flag = true;
    const ZunBitmap bitmap = zun_gdx_image_get_bitmap(wide(path), 0, 8, 4, flag, 0);
    ASSERT_FALSE(bitmap.isNull());
    EXPECT_TRUE(flag);  // only icons clear it
    EXPECT_EQ(bitmap.width, 8);
    EXPECT_EQ(bitmap.height, 4);
    EXPECT_EQ(bitmap.pixel(7, 3), 0x0A141Eu);
}

TEST(PictureBitmap, OtherEndingsAndMissingFilesGiveNothing)
{
    QTemporaryDir dir;
    const QString png = dir.filePath("picture.png");
    ASSERT_TRUE(iconImage().save(png, "PNG"));
    bool flag = true;
    EXPECT_TRUE(zun_gdx_image_get_bitmap(wide(png), 0, 16, 16, flag, 0).isNull());
    EXPECT_TRUE(zun_gdx_image_get_bitmap(wide(dir.filePath("missing.ico")), 0, 16, 16, flag, 0).isNull());
    EXPECT_TRUE(zun_gdx_image_get_bitmap(L"", 12345, 16, 16, flag, 0).isNull());
    EXPECT_TRUE(flag);
}

TEST(PictureBitmap, SystemIconsByIdentifier)
{
    bool flag = true;
    const ZunBitmap warning = zun_gdx_image_get_bitmap(L"", 32515, 32, 32, flag, 0xFFFFFF);
    ASSERT_FALSE(warning.isNull());
    EXPECT_EQ(warning.width, 32);
    EXPECT_FALSE(flag);
}
