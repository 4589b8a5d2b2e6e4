#pragma once

#include "host/desktop/zun_host_texts.h"

// Texts of picking, the picked element's description and the export of the
// view as shown (keys ZUN_HOST_0300 to ZUN_HOST_0349).
namespace ZunHostPickTexts {
inline constexpr CZunHostText kExportShown{"ZUN_HOST_0300", "Ansicht wie gezeigt exportieren …"};
inline constexpr CZunHostText kFilterExports{"ZUN_HOST_0301", "Bilder und Grafiken (*.png *.svg *.pdf *.emf)"};
} // namespace ZunHostPickTexts
