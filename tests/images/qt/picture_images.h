#pragma once

// Pictures for the picture tests: pixels that tell where they are, and the
// bytes of a picture as a PNG file.

#include <QBuffer>
#include <QByteArray>
#include <QImage>

// Every pixel tells where it is: red = x, green = y.
inline QImage coordinateImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x, y, 0x80));
    return image;
}

inline QByteArray pngOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
