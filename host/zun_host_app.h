#pragma once

#include "contracts/data/zun_app.h"

#include <QFont>
#include <QString>

// The host's application object: what the CAD application provides on
// Windows, provided here by the programs of this repository. It sets the
// drawing area's background and number format, loads the hatch patterns
// of the shipped pattern file, draws drillings, offers the named function
// "zun_text_to_regl" (texts of the data tree as filled regions of a real
// font) and registers the part generators under the drawing's type names.
class CZunHostApp : public CZunApp {
public:
    // The name under which the module asks for text regions.
    static constexpr const wchar_t* kTextToRegions = L"zun_text_to_regl";
    // The font family of text objects that name none.
    static constexpr const char* kDefaultFont = "DejaVu Sans";

    CZunHostApp();

    // Why the shipped pattern file could not be used (file and line); empty
    // when it loaded.
    const CZunString& patternError() const { return m_patternError; }

    // Registers every generator this host knows under its part type name:
    // "DRILL", "HOLE" (the module's picture, openings cut out of a filled
    // plate: zunHostHoleImage), "SHEET", "BAR", and "WALL" (the host's own
    // plan view).
    static void registerGenerators();
    // The part type names registered by registerGenerators.
    static CZunArrayTempl<CZunString> partTypes();

    // The host's "zun_text_to_regl": args are a text object as a host list
    // followed by one real, the cap height. Keys of the text object: "TEXT"
    // the text (required), "FONT" the family (kDefaultFont), "BOLD" and
    // "ITALIC" (false), "POS" the insertion point (origin), "ALIGN" where it
    // lies on the text ("BL": baseline left; first letter T, C or B for cap
    // height, half of it or baseline, second L, C or R), "ANGLE" the
    // baseline's direction in radians (0). The answer is the
    // region list of the glyph outlines. kRtError for a list that holds no
    // text object, a height that is not positive, or without a running Qt
    // GUI application (fonts need one).
    static int textToRegions(const ZUN::CZunRbList& args, ZUN::CZunRbList& result);

    // The outlines of text in font, scaled to the cap height, baseline on
    // y = 0 and y upwards, starting at x = 0: one region per filled area,
    // contour 0 its outer boundary and the others its holes, found by the
    // even-odd rule of the font's outlines. Empty for an empty text.
    static CZunRegionList textRegions(const QString& text, const QFont& font, double capHeight);
    // The advance of text at that cap height: where the next text would start.
    static double textWidth(const QString& text, const QFont& font, double capHeight);

private:
    CZunString m_patternError;
};
