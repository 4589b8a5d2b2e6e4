#pragma once

#include "contracts/data/zun_app.h"

// The host's application object: what the CAD application provides on
// Windows, provided here by the programs of this repository. It registers
// the part generators under the drawing's part type names.
class CZunHostApp : public CZunApp {
public:
    CZunHostApp();

    // Registers every generator this host knows under its part type name:
    // "DRILL", "HOLE", "SHEET", "BAR", and "WALL" (the host's own plan view).
    static void registerGenerators();
    // The part type names registered by registerGenerators.
    static CZunArrayTempl<CZunString> partTypes();
};
