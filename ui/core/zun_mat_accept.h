#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"

class CZunMatMgr;

namespace ZUN {

// Whether the material selection dialog may return a material: the test
// behind its OK button, without any widget.
//
// "SYSTEM" is always accepted. With the edge filter (kMatTreeEdge) only an
// edge material is; with the physical filter (kMatTreePhys, and no edge
// filter) only a material that makes a body and has every sub-type of
// physTypes, with what it takes over through its references ("REF"); every
// material of that chain must be known, and a chain that comes back to a
// material already on it is refused rather than followed for ever. Without
// filters every known material is accepted. An unknown key or a root (an
// empty key) is refused.
bool matDlgAccepts(const CZunMatMgr& mgr, const CZunString& key, unsigned flags,
                   const CZunArrayTempl<CZunString>& physTypes);

} // namespace ZUN
