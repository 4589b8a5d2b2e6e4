#pragma once

#include "host/desktop/zun_host_texts.h"

// Texts of picking, the picked element's description and the export of the
// view as shown (keys ZUN_HOST_0300 to ZUN_HOST_0349).
namespace ZunHostPickTexts {
inline constexpr CZunHostText kExportShown{"ZUN_HOST_0300", "Ansicht wie gezeigt exportieren …"};
inline constexpr CZunHostText kFilterExports{"ZUN_HOST_0301", "Bilder und Grafiken (*.png *.svg *.pdf *.emf)"};
// What a picked element is, from its generator's data. "%1" is the name of
// the element; a line without a name leaves it out with its space.
inline constexpr CZunHostText kShellInfo{"ZUN_HOST_0302", "Schale %1: Dicke %2, Schraffur %3"};
inline constexpr CZunHostText kDrillInfo{"ZUN_HOST_0303", "Bohrung %1: Ø %2, Tiefe %3"};
inline constexpr CZunHostText kThreadInfo{"ZUN_HOST_0304", "Gewinde %1: %2, Kernloch Ø %3, Tiefe %4"};
inline constexpr CZunHostText kOutlineInfo{"ZUN_HOST_0305", "Umriss %1: Typ %2, %3"};
inline constexpr CZunHostText kContoursInfo{"ZUN_HOST_0306", "Konturen %1: %2"};
} // namespace ZunHostPickTexts
