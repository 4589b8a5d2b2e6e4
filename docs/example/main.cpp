// Draws a small display list into a PNG picture: a plate with a hatched
// section, two holes and a label, fitted to 480 x 320 pixels.
//
//     zun-example [PICTURE.png]

#include <contracts/data/zun_app.h>
#include <contracts/data/zun_files.h>
#include <gdx/zun_gdx.h>
#include <render/paint/zun_painter.h>
#include <render/paint/zun_viewfit.h>
#include <render/qt/zun_cdc_qt.h>

#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    const char* file = argc > 1 ? argv[1] : "zun-example.png";

    // A display list takes its background and colours from the module's
    // configuration; hatches read the shipped pattern file.
    CZunGDX gdx;
    const CZunMatrix3d none;
    const CZunArrayTempl<double> continuous{1.0};

    // Group 1: the plate outline with a hatched section.
    CZunVertexArray plate = CZunVertexArray::fromPoints({{0, 0}, {300, 0}, {300, 160}, {0, 160}}, true);
    gdx.imageVl({1}, 0, plate, CZunColor(5), none, continuous, 0.0, 2, {});
    CZunVertexArray section = CZunVertexArray::fromPoints({{20, 20}, {140, 20}, {140, 140}, {20, 140}}, true);
    gdx.imageReg({1, 1}, gdxFlagHatch, {section}, CZunColor(1), none, continuous, 0.0, 1, CZunColor(1),
                 ZUN::CHatchProp(L"ANSI31", 0.0, 2.0, false), {});

    // Group 2: two holes, filled, each a circle of two arcs (bulge 1).
    for (double x : {200.0, 260.0}) {
        CZunVertexArray hole;
        hole.append({x - 15, 80}, {x + 15, 80}, 1.0);
        hole.append({x + 15, 80}, {x - 15, 80}, 1.0);
        gdx.imageReg({2}, gdxFlagFill, {hole}, CZunColor(3), none, continuous, 0.0, 1, CZunColor(3), {}, {});
    }

    // Group 3: a label in the module's outline font, 12 units high (the font has
    // no space: words are joined by other characters).
    // The glyphs are laid out in glyph units (cap height 1) and placed by the matrix.
    CZunMatrix3d place;
    place.setToTranslation({0.0, 172.0, 0.0});
    place = place * CZunMatrix3d().setToScaling(12.0);
    gdx.imageTxt({3}, 0, L"Plate-300x160", CZunColor(7), place, L"BL", {}, {});

    // Fit the list into the picture and paint it.
    const int width = 480, height = 320;
    zunFitToWindow(gdx, height, width);
    QImage image(width, height, QImage::Format_RGB32);
    {
        CZunQtDC dc(image);  // paints until it goes out of scope
        CZunPainter painter(dc);
        painter.paint(&gdx);
    }

    std::printf("patterns: %s\n", ZUN::fileFind(L"data/zun.pat").toUtf8().c_str());
    if (!image.save(QString::fromLocal8Bit(file), "PNG")) {
        std::fprintf(stderr, "zun-example: cannot write %s\n", file);
        return 1;
    }
    std::printf("wrote %s: %d items\n", file, gdx.lenGet());
    return 0;
}
