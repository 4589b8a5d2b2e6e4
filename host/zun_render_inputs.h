#pragma once

#include "gdx/zun_gdx.h"

#include <QImage>
#include <QSize>
#include <QHash>
#include <QSet>
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

// One slide as a display list with the name its files take, or the reason
// it cannot be drawn.
struct ZunRenderSlide {
    QString fileName;  // without extension
    QString label;     // what a message names: FILE.sld or LIBRARY.slb:NAME
    QString error;     // empty when gdx holds the slide
    CZunGDX gdx;
};

// The slides a reference names: the slide of a file, the named slide of a
// library, or every slide of a library in its order. False with the reason
// when the file or the library cannot be used at all; a library's slides
// that cannot be drawn come back with their reason.
bool zunRenderSlides(const QString& reference, std::vector<ZunRenderSlide>& slides, QString* error);

// Why a path cannot be read as an input file ("is a directory", "cannot read
// the file: no such file"), or empty when it can.
QString zunRenderUnreadable(const QString& path);

// Makes the output folder when missing; empty when pictures can be written
// into it, else the system's reason.
QString zunRenderOutputFolder(const QString& dir);

// File names for one run: every picture of one run gets its own base name,
// the name asked for or, when a picture of this run has it already (letter
// case aside, as not every file system tells case apart), the name with
// "_2", "_3", ... added.
class ZunRenderNames {
public:
    QString unique(const QString& base);

private:
    // Lower case. Sets, and for each base the next number to try, so that
    // thousands of parts, even of one name, are named in linear time.
    QSet<QString> m_taken;
    QHash<QString, int> m_nextNumber;
};

// Writes a display list as <baseName>.<format> for every format asked for,
// printing a line per file; false (after saying why) on a failed write.
using ZunRenderListWriter = std::function<bool(CZunGDX& gdx, const QString& baseName)>;

// Renders a picture or slide input into outDir: a picture as <name>.png, a
// slide through writeList. Prints one line per picture and a reason per
// failure. Returns the exit status: 0 when every file was written, 1
// otherwise, 2 for a picture asked for in formats other than png alone.
int zunRenderInputFiles(const QString& input, const QString& outDir, const QSize& size, const QStringList& formats,
                        const ZunRenderListWriter& writeList);
