#pragma once

#include "gdx/zun_gdx.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// zun-render's inputs besides drawings: picture files, shown as the picture
// control shows them, and slides, turned into display lists.

enum class ZunRenderInput {
    Drawing,  // anything else: a drawing file
    Picture,  // .png .jpg .jpeg .bmp .gif .ico .svg .emf
    Slide,    // FILE.sld, LIBRARY.slb:NAME or a whole LIBRARY.slb
};

// By the name alone (extensions in any case).
ZunRenderInput zunRenderInputKind(const QString& input);

// The picture fitted into a control of the given size on the application's
// background. False with the reason when the file cannot be shown.
bool zunRenderPicture(const QString& path, const QSize& size, QImage& image, QString* error);

// One slide as a display list with the name its files take.
struct ZunRenderSlide {
    QString fileName;  // without extension
    CZunGDX gdx;
};

// The slides a reference names: the slide of a file, the named slide of a
// library, or every slide of a library in its order. False with the reason
// when none can be read; a library's unreadable slides are left out.
bool zunRenderSlides(const QString& reference, std::vector<ZunRenderSlide>& slides, QString* error);

// Writes a display list as <baseName>.<format> for every format asked for,
// printing a line per file; false (after saying why) on a failed write.
using ZunRenderListWriter = std::function<bool(CZunGDX& gdx, const QString& baseName)>;

// Renders a picture or slide input into outDir: a picture as <name>.png, a
// slide through writeList. Prints one line per picture and a reason per
// failure. Returns the exit status: 0 when every file was written, 1
// otherwise, 2 for a picture asked for in formats other than png alone.
int zunRenderInputFiles(const QString& input, const QString& outDir, const QSize& size, const QStringList& formats,
                        const ZunRenderListWriter& writeList);
