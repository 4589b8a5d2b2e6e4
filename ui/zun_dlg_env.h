#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"
#include "contracts/data/zun_units.h"

class QWidget;

namespace ZUN {

// A window handle is the widget itself.
using HWND = QWidget*;

// What a caller hands to an exported dialog function: number format,
// language, help and owner. A default-made record is ready to use: the
// application's number format, the current message language, no help, and
// as owner the innermost open captioned module dialog, else the host's
// main window (hWndApplic), else the active window.
struct DlgEnv_st {
    DlgEnv_st();
    // Virtual for safety only: records are handed around by reference and
    // the material record derives from this one.
    virtual ~DlgEnv_st() = default;
    DlgEnv_st(const DlgEnv_st&) = default;
    DlgEnv_st& operator=(const DlgEnv_st&) = default;

    lFormat format;
    CZunString country;
    CZunString helpFile;
    CZunString helpTopic;
    HWND hWndParent = nullptr;

    // The host's main window. The module only reads it; the host sets it.
    static inline HWND hWndApplic = nullptr;

    // The owner window of the dialog, or null.
    virtual QWidget* parentWnd() const { return hWndParent; }
};

// The record of the material selection dialog: which categories it offers
// ("EDGE", "PHYS", "SYSTEM", "SPACE"), which physical sub-types a material
// must have under "PHYS", and whether drawing materials and keys show.
struct DlgEnvMatTree_st : DlgEnv_st {
    CZunArrayTempl<CZunString> matTypes;
    CZunArrayTempl<CZunString> physTypes;
    bool withDrawing = false;
    bool showNames = false;
};

// The module's dialog stack: the open captioned module dialogs, innermost
// last. Base dialogs push themselves when they start and pop when they
// end; a record made meanwhile takes the top as its owner.
void dlgStackPush(HWND wnd);
// Removes and returns the top; null when the stack is empty. A dialog that
// was deleted while on the stack comes back as null too.
HWND dlgStackPop();
// The top without removing it (null when empty), and the number of entries.
HWND dlgStackTop();
int dlgStackDepth();
// Empties the stack (module unload).
void dlgStackClear();

} // namespace ZUN
