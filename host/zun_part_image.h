#pragma once

#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_dta.h"
#include "gdx/zun_gdx.h"

#include <QImage>

// Draws one part of the current drawing through the generator registered
// under its part type into gdx (a fresh list with the application's
// background and the configured colours). False when no generator is
// registered for the type or the generator fails, with the reason in reason.
bool zunPartImageBuild(const ZUN::CZunPart& part, CZunGDX& gdx, QString* reason = nullptr);

// The same, with what the generator tells about the groups it drew: its
// options' "INFO" directory afterwards, a directory per top-level group
// (integer key, the group number) holding the data the group was drawn
// from: "TYPE" ("SHELL", "DRILL", "OUTLINE", "CONTOURS"), "NAME" (a label,
// possibly in several languages) and the keys of that kind ("THICK",
// "HPNAME", "GEN", ...). Empty when the generator tells nothing.
bool zunPartImageBuild(const ZUN::CZunPart& part, CZunGDX& gdx, CZunDataItem& info, QString* reason = nullptr);

// The host's "DRILL" generator: the module's drilling, with "INFO" for its
// group (1) from the part's "GEN".
bool zunHostDrillImage(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts);

// The host's "HOLE" generator: the module's hole picture, in which a filled
// (or hatched) plate is one region and its slots and drillings are drawn on
// top of it, with every such opening cut out of the plate's region as a
// hole (zunCutOpenings), so that it shows what lies beneath. Each
// sub-part of the pattern is a top-level group of its own (numbered from 1
// in the pattern's order), described in the options' "INFO" by its key
// ("NAME"), "TYPE" and "GEN". Same signature and result as the module's
// generator.
bool zunHostHoleImage(CZunGDX* gdx, ZUN::CDtaFilePointer* part, ZUN::CDtaFilePointer* opts);

// Makes openings of a filled or hatched region read as openings: every
// closed contour that lies inside such a region (a closed polyline, or
// the outer contour of another region) becomes a hole of it, the
// outermost one where several are nested (a drilling's circles), each
// shape once. A filled or hatched region that becomes a hole is left as
// its outline. Returns the number of holes made.
int zunCutOpenings(CZunArrayTempl<CZunDisplayItem>& items);

// Fits gdx into a picture of the given size (margin 0.05) and paints it.
QImage zunPaintFitted(CZunGDX& gdx, int width, int height);

// A file name for a part: its name, else its handle, with every character
// that is not a letter, digit, '-', '_' or '.' replaced by '_'.
QString zunPartFileName(const ZUN::CZunPart& part);
