#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"
#include "contracts/data/zun_data_item.h"

#include <memory>

// Materials: the shipped material library (data/materials.json on the data
// path) and the materials a drawing brings along. The file layout is
// described in docs/materials.md.
namespace ZUN {

// What a material does at the edge of another one. Edge materials are
// listed in the "EDGES" of the materials they finish; the kind tells a
// part how to draw and count them.
enum MatEdgeKind : int {
    kMatEdgeNone = 0,     // not an edge material
    kMatEdgeBand = 1,     // strip glued onto a panel edge (ABS, PVC, veneer)
    kMatEdgeSeal = 2,     // compressible strip or tape pressed into a joint (EPDM profile, foam tape)
    kMatEdgeJoint = 3,    // sealant filled into a joint on site (silicone, polyurethane)
    kMatEdgeCoating = 4,  // coating of cut edges (zinc-rich paint)
};

// What kind of body a material makes. Only kinds above 0 take part in
// weights and thermal calculations.
enum MatPhysKind : int {
    kMatPhysNone = 0,        // no body: the system material and the groups of the material tree
    kMatPhysSolid = 1,       // bulk or load-bearing solid (steel, aluminium, timber, concrete)
    kMatPhysInsulation = 2,  // thermal insulation
    kMatPhysSeal = 3,        // soft sealing material (gaskets, sealants, tapes)
    kMatPhysCavity = 4,      // gas-filled space (air layers, the "SPACE" material)
    kMatPhysLayer = 5,       // too thin to draw as a body, counted by area (coatings, edge bands, foils)
};

// The most references a material is derived through ("REF" of "REF" ...).
// A library with a longer chain is refused; in a drawing, whose materials
// are read leniently, a longer chain is followed this far and no further.
inline constexpr int kMatMaxReferences = 32;

// Properties of one material.
struct CMatProp {
    CZunString key;                        // the material key, e.g. "S235"
    CZunArrayTempl<CZunString> subMats;    // keys of its sub-materials (children in the material tree), in order
    int edgeKind = kMatEdgeNone;           // MatEdgeKind
    CZunArrayTempl<CZunString> edges;      // keys of the edge materials it uses
    int physKind = kMatPhysNone;           // MatPhysKind
    CZunString refKey;                     // the material it derives from; may be empty
    CZunArrayTempl<CZunString> physProps;  // keys of props, in key order ("DENSITY", "STEEL", ...)
    CZunDataItem props{true};              // physical property values by key (density, lambda, colour, hatch ...)
    CZunString label;                      // its own composite label ("\\de:...\\en:..."), never taken over
};

// What trees and lists of materials show of one material, read in place
// by CZunMatReader without copying its properties. The pointers lead into
// the manager's data: they hold while the reader lives and the open
// drawing's materials are not changed.
struct CMatEntry {
    const CZunString* label = nullptr;                    // its own label ("LABEL"); null when it has none
    const CZunArrayTempl<CZunString>* subMats = nullptr;  // its sub-materials ("SUBS"); null when it has none
    int edgeKind = kMatEdgeNone;                          // as propGet gives them, references resolved
    int physKind = kMatPhysNone;
    bool shadow = false;                                  // only the drawing holds it (CZunMatMgr::isShadowMat)
};

} // namespace ZUN

// Looks materials up in the library and in the open drawing.
//
// The library is read on first use and kept for the process; the
// drawing's materials are read from ZUN::drawingCurrent() on every call, so
// opening another drawing counts at once. The library wins over the
// drawing: a drawing cannot change what a library material means. Keys are
// matched exactly, case included.
//
// A material that names a reference ("REF") derives from it: whatever it
// does not give itself ("PHYS", "EDGE", "EDGES" and each property) comes
// from the reference, which in turn may derive from another one. "SUBS"
// and "LABEL" are never taken over: they belong to the one material.
class CZunMatMgr {
public:
    // The properties of a material, with its references resolved; false
    // (prop untouched) when neither the library nor the drawing holds it.
    bool propGet(const CZunString& key, ZUN::CMatProp& prop) const;
    // The label of a material in a language (empty: the current one; a
    // language the label lacks gives the German text); the key itself when
    // the material has no label or is unknown.
    CZunString matLabel(const CZunString& key, const CZunString& country) const;
    // The same for properties already read: what matLabel gives for them.
    static CZunString labelOf(const ZUN::CMatProp& prop, const CZunString& country);
    // A material of the drawing that the library does not know: it travels
    // with the drawing and is lost when copied into another one.
    bool isShadowMat(const CZunString& key) const;
    // The keys of all materials of the library (fromLibrary) or of the open
    // drawing, in key order (file order is not kept by the data tree);
    // returns their count.
    int matDrawAll(CZunArrayTempl<CZunString>& keys, bool fromLibrary) const;
    // True when the library in use failed to load, with why in text
    // ("file:line:column: what was expected"); the library is then empty.
    bool loadError(CZunString& text) const;

    // Uses another library file from now on. A file that does not load or
    // does not have the library's layout is refused (false, error says
    // where) and the library in use stays. An empty path goes back to the
    // shipped library and reads it again; if that fails, the library is
    // empty and loadError says why, as on first use.
    static bool setLibraryFile(const CZunString& path, CZunString* error = nullptr);
};

// Reads many materials in a row, as a material tree does for a whole
// library: keeps the library in use for its lifetime (a library set
// meanwhile counts for the next reader) and gives each material's entry
// and flags without the copies propGet makes. What it answers is what
// propGet gives for the same material.
class CZunMatReader {
public:
    CZunMatReader();
    ~CZunMatReader();
    CZunMatReader(const CZunMatReader&) = delete;
    CZunMatReader& operator=(const CZunMatReader&) = delete;

    // False (entry untouched) when neither the library nor the drawing
    // holds the material.
    bool entryGet(const CZunString& key, ZUN::CMatEntry& entry) const;
    // Whether propGet's properties of the material hold flag, present and
    // not switched off (a value that is not a flag counts as on).
    bool flagOn(const CZunString& key, const CZunItemKey& flag) const;
    // As CZunMatMgr::isShadowMat.
    bool isShadowMat(const CZunString& key) const;

private:
    struct Impl;
    std::unique_ptr<const Impl> m_impl;
};
