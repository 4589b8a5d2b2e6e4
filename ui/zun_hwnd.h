#pragma once

class QWidget;

namespace ZUN {

// A window handle of the module's interfaces. Callers pass the widget that
// owns a dialog; a null handle means "no owner given" and each service says
// what it takes instead (usually the active window).
using HWND = QWidget*;

} // namespace ZUN
