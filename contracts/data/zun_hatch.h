#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_map.h"
#include "contracts/base/zun_string.h"

#include <string>
#include <vector>

namespace ZUN {

// A hatch as an item uses it: pattern name, angle (radians), scale and the
// double-hatch flag; built from those four in that order.
class CHatchProp : public CZunObj {
public:
    CHatchProp() = default;  // no pattern, angle 0, scale 1, single
    CHatchProp(const CZunString& name, double angle, double scale, bool isDouble)
        : m_name(name), m_angle(angle), m_scale(scale), m_double(isDouble) {}

    const CZunString& name() const { return m_name; }
    double angle() const { return m_angle; }
    double scale() const { return m_scale; }
    bool isDouble() const { return m_double; }

    void setName(const CZunString& name) { m_name = name; }
    void setAngle(double angle) { m_angle = angle; }
    void setScale(double scale) { m_scale = scale; }
    void setDouble(bool isDouble) { m_double = isDouble; }

    // Pattern names compare without regard to case, as the pattern library
    // looks them up that way: "ansi31" and "ANSI31" draw the same hatch.
    friend bool operator==(const CHatchProp& a, const CHatchProp& b);
    friend bool operator!=(const CHatchProp& a, const CHatchProp& b) { return !(a == b); }

private:
    CZunString m_name;
    double m_angle = 0.0;
    double m_scale = 1.0;
    bool m_double = false;
};

// One line family of a pattern, unscaled, as in the file:
// [0] angle in degrees, [1] x origin, [2] y origin, [3] delta-x (shift along
// the line from one line to the next), [4] delta-y (spacing across),
// [5..] dashes: positive a dash, negative a gap, 0 a dot. No dashes: solid.
using CHatchLine = CZunArrayTempl<double>;
using CHatchPattern = CZunArrayTempl<CHatchLine>;

// One line family by name instead of by position: what the hatching and
// the density test work from, read once from a definition's numbers. The
// lengths are unscaled, as in the definition.
struct CPatternLine {
    double angle = 0.0;    // direction of the lines, degrees counter-clockwise from x
    double originX = 0.0;  // a point the family's first line passes through
    double originY = 0.0;
    double shift = 0.0;    // delta-x: along the line, from one line to the next
    double spacing = 0.0;  // delta-y: across, from one line to the next; 0 draws nothing
    // Positive a dash, negative a gap, 0 a dot; none: solid lines.
    std::vector<double> dashes;

    friend bool operator==(const CPatternLine&, const CPatternLine&) = default;
};
using CPatternLines = std::vector<CPatternLine>;

// The named form of a line family; an entry the numbers lack (a definition
// from an application object need not hold all five) reads as 0.
CPatternLine patternLineOf(const CHatchLine& numbers);
CPatternLines patternLinesOf(const CHatchPattern& definition);

// What one pattern may hold: the painter draws every line family across
// the whole region and every dash along each line, so a pattern beyond
// these is refused when read instead of stalling every hatch that uses it.
// Real patterns have a few dozen families and a handful of dashes.
inline constexpr int kHatchMaxLines = 1000;   // line families of one pattern
inline constexpr int kHatchMaxDashes = 100;   // dashes (and gaps and dots) of one family

// A set of named patterns read from .pat text.
class CHatchPatternLib {
public:
    // Adds the patterns of .pat text; a name already present is replaced in
    // its place. On the first malformed line (or the first line beyond
    // kHatchMaxLines or kHatchMaxDashes) returns false, fills error with
    // "<sourceName>:<line>: <what was expected>" and leaves the library as it
    // was: a half-read file would give hatches that change with file order.
    bool parse(const std::string& utf8Text, const CZunString& sourceName, CZunString* error = nullptr);
    // Reads the file (UTF-8) and parses it; the path is the source name.
    bool load(const CZunString& path, CZunString* error = nullptr);

    // The definition of a pattern, by name without regard to case. An unknown
    // name gives an empty definition and false.
    bool get(const CZunString& name, CHatchPattern& definition) const;
    bool contains(const CZunString& name) const { return find(name) >= 0; }
    // The description of the header line; empty for an unknown name.
    CZunString description(const CZunString& name) const;
    // Names as written in the files, in the order first read.
    CZunArrayTempl<CZunString> names() const;
    int len() const { return static_cast<int>(m_patterns.size()); }

private:
    struct Entry {
        CZunString name;
        CZunString description;
        CHatchPattern lines;
    };
    static CZunString keyOf(const CZunString& name);
    int find(const CZunString& name) const;

    std::vector<Entry> m_patterns;
    CZunMapTempl<CZunString, int> m_byKey;  // upper-case name -> position
};

} // namespace ZUN
