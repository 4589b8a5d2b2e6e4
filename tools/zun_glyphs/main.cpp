// zun-glyphs: renders the built-in outline font into a PNG, black on white,
// laid out the way string text items lay out their glyphs. Used to produce
// docs/glyphs.png and to look at the font at any size.

#include "render/core/zun_font.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Text items leave this gap after each glyph's width (font units).
constexpr double kGlyphGap = 0.5;
// Text items skip characters without a glyph; here a space still moves on,
// so that words stay apart.
constexpr double kSpaceAdvance = 0.6;
// Room around the text and the distance of baselines, in font units: glyphs
// reach from about -0.34 to 1.05.
constexpr double kMargin = 0.4;
constexpr double kAboveBaseline = 1.08;
constexpr double kBelowBaseline = 0.36;
constexpr double kRowPitch = 1.75;

constexpr int kMinHeight = 4;
constexpr int kMaxHeight = 1000;

const char* const kUsage =
    "Usage: zun-glyphs [--text TEXT] [--height PIXELS] OUT.png\n"
    "\n"
    "Renders the built-in outline font black on white into a PNG.\n"
    "\n"
    "  --text TEXT      the text to render; a line break starts a new row.\n"
    "                   Without it: all 108 glyphs of the font, in rows.\n"
    "  --height PIXELS  cap height in pixels, 4 to 1000 (default 64).\n"
    "  --help           show this help and exit.\n"
    "\n"
    "Glyphs are placed as text items place them: each at its own x, the next\n"
    "one after the glyph's width plus half a cap height. Characters without a\n"
    "glyph are skipped, except that a space leaves a gap.\n";

// The rows of the default sheet: punctuation, figures, capitals, brackets,
// lower case and the Latin-1 extras.
std::vector<std::wstring> defaultSheet()
{
    auto range = [](wchar_t from, wchar_t to) {
        std::wstring s;
        for (wchar_t c = from; c <= to; ++c)
            s += c;
        return s;
    };
    return {
        range(L'!', L'/'),
        range(L'0', L'@'),
        range(L'A', L'M'),
        range(L'N', L'Z'),
        range(L'[', L'`') + range(L'{', L'~'),
        range(L'a', L'm'),
        range(L'n', L'z'),
        std::wstring{wchar_t(177), wchar_t(178), wchar_t(179), wchar_t(186), wchar_t(188), wchar_t(189),
                     wchar_t(190), wchar_t(196), wchar_t(214), wchar_t(220), wchar_t(228), wchar_t(246),
                     wchar_t(252), wchar_t(223)},
    };
}

std::vector<std::wstring> splitRows(const std::wstring& text)
{
    std::vector<std::wstring> rows(1);
    for (wchar_t c : text) {
        if (c == L'\n')
            rows.emplace_back();
        else
            rows.back() += c;
    }
    return rows;
}

// Horizontal extent of a glyph, measured like the text layout does: over
// the first contour of each region.
bool glyphExtent(const CZunRegionList& glyph, double& minX, double& maxX)
{
    bool any = false;
    for (const CZunContourSet& region : glyph) {
        CZunPoint3d lo, hi;
        if (!region.get(0).extents(lo, hi))
            continue;
        minX = any ? std::min(minX, lo.x) : lo.x;
        maxX = any ? std::max(maxX, hi.x) : hi.x;
        any = true;
    }
    return any;
}

struct PlacedGlyph {
    double x;
    CZunRegionList glyph;
};

struct Row {
    std::vector<PlacedGlyph> glyphs;
    double right = 0.0;  // largest x reached
};

Row layoutRow(const std::wstring& text)
{
    Row row;
    double x = 0.0;
    for (wchar_t c : text) {
        CZunRegionList glyph = get_ascii_from_map(c);
        double minX = 0.0, maxX = 0.0;
        if (!glyphExtent(glyph, minX, maxX)) {
            if (c == L' ')
                x += kSpaceAdvance;
            continue;
        }
        row.right = std::max(row.right, x + maxX);
        row.glyphs.push_back({x, std::move(glyph)});
        x += std::fabs(maxX - minX) + kGlyphGap;
    }
    return row;
}

QPainterPath glyphPath(const CZunRegionList& glyph, double dx)
{
    // Holes are separate contours of the same region, so the even-odd rule
    // cuts them out whatever their orientation.
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const CZunContourSet& region : glyph) {
        for (const CZunVertexArray& contour : region) {
            if (contour.isEmpty())
                continue;
            path.moveTo(contour.get(0).start().x + dx, contour.get(0).start().y);
            for (const CZunVertex& v : contour)
                path.lineTo(v.end().x + dx, v.end().y);
            path.closeSubpath();
        }
    }
    return path;
}

QImage render(const std::vector<std::wstring>& lines, int height)
{
    std::vector<Row> rows;
    double width = 0.0;
    for (const std::wstring& line : lines) {
        rows.push_back(layoutRow(line));
        width = std::max(width, rows.back().right);
    }
    const double px = height;
    const double unitsHigh = 2 * kMargin + kAboveBaseline + kBelowBaseline + kRowPitch * double(rows.size() - 1);
    // Whole pixels, without a spare one for a rounding error of the sums.
    const int w = std::max(1, int(std::ceil((width + 2 * kMargin) * px - 1e-6)));
    const int h = std::max(1, int(std::ceil(unitsHigh * px - 1e-6)));

    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (size_t r = 0; r < rows.size(); ++r) {
        const double baseline = (kMargin + kAboveBaseline + kRowPitch * double(r)) * px;
        painter.resetTransform();
        painter.translate(kMargin * px, baseline);
        painter.scale(px, -px);
        for (const PlacedGlyph& placed : rows[r].glyphs)
            painter.drawPath(glyphPath(placed.glyph, placed.x));
    }
    painter.end();
    return image;
}

int usageError(const std::string& message)
{
    std::fprintf(stderr, "zun-glyphs: %s\n(zun-glyphs --help shows the usage)\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::wstring> lines;
    bool haveText = false;
    int height = 64;
    std::string out;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--text" || arg == "--height") {
            if (i + 1 >= argc)
                return usageError(arg + " needs a value");
            const char* value = argv[++i];
            if (arg == "--text") {
                lines = splitRows(QString::fromLocal8Bit(value).toStdWString());
                haveText = true;
            } else {
                bool ok = false;
                height = QString::fromLocal8Bit(value).toInt(&ok);
                if (!ok || height < kMinHeight || height > kMaxHeight)
                    return usageError("--height wants a whole number of pixels from 4 to 1000, not \"" +
                                      std::string(value) + "\"");
            }
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-')
            return usageError("unknown option " + arg);
        if (!out.empty())
            return usageError("more than one output file: " + out + " and " + arg);
        out = arg;
    }
    if (out.empty())
        return usageError("no output file given");
    if (!haveText)
        lines = defaultSheet();

    const QImage image = render(lines, height);
    if (!image.save(QString::fromLocal8Bit(out.c_str()), "PNG")) {
        std::fprintf(stderr, "zun-glyphs: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
