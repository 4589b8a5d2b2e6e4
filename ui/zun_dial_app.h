#pragma once

#include "contracts/base/zun_string.h"
#include "ui/zun_msg_callback.h"

#include <QIcon>
#include <QString>

// The module's application object and what starts and stops with it.
//
// Loading the shared module Zun_2017_19_64_Mfc attaches the module
// (ZUN::moduleAttach) before the host can call anything, and unloading it
// detaches it again. Programs that link the static libraries instead
// (tests, tools) call moduleAttach themselves, once, before their first
// dialog; it needs no QApplication.
class CZunDialApp {
public:
    CZunDialApp() = default;
    virtual ~CZunDialApp() = default;
    CZunDialApp(const CZunDialApp&) = delete;
    CZunDialApp& operator=(const CZunDialApp&) = delete;

    // Installs the module's default message callback (remembering the one
    // it replaces) and registers the module's resources: icons and strings
    // (templates are compiled in, see zun_dlg_template.h). True when the
    // module can run.
    virtual bool InitInstance();
    // Undoes InitInstance: the callback found at start comes back unless
    // somebody replaced ours meanwhile, the dialog stack is emptied, the
    // resources are unregistered. Returns 0.
    virtual int ExitInstance();

    bool isRunning() const { return m_running; }

private:
    ZunMsgCallBack m_previousCallBack = nullptr;
    bool m_running = false;
};

namespace ZUN {

// The one application object of the module.
CZunDialApp& zunDialApp();

// Starts the module once: runs InitInstance; when that fails, ExitInstance
// runs and the module stays detached (false). Calling it again while
// attached changes nothing and returns true.
bool moduleAttach();
// Stops the module (ExitInstance) when it is attached.
void moduleDetach();
bool moduleAttached();

// Entered by every exported dialog function for the length of the call.
// Qt resources of the module live under their own prefix (":/zun/"), so
// templates, icons and strings resolve to this module whether it is called
// directly or through the host; what the scope adds is that the resources
// are registered even in a program that never attached the module, and a
// count of the calls in progress.
class CModuleState {
public:
    CModuleState();
    ~CModuleState();
    CModuleState(const CModuleState&) = delete;
    CModuleState& operator=(const CModuleState&) = delete;

    // Whether windows can be made: a QApplication exists.
    bool canShowWindows() const;
    // How many module entries are in progress on the stack.
    static int depth();
};

// The resource path of a module resource: moduleResourcePath("icons",
// 2000, "svg") is ":/zun/icons/2000.svg".
QString moduleResourcePath(const char* kind, int id, const char* suffix);
// The module's icon of that id (2000..2005); a null icon when none.
QIcon moduleIcon(int id);
// The module's string of that id; empty when none.
CZunString moduleString(int id);

// Ids of the module's own resources.
inline constexpr int IDI_ZUN_MODULE = 2000;     // window icon of every captioned dialog
inline constexpr int IDI_ZUN_TREE_ROOT = 2001;  // material tree: root or container
inline constexpr int IDI_ZUN_MATERIAL = 2002;   // material tree: library material
inline constexpr int IDI_ZUN_DRAWING_MAT = 2003;  // material tree: drawing-only material
inline constexpr int IDI_ZUN_SINGLE_LINE = 2004;  // label list: single-line text
inline constexpr int IDI_ZUN_MULTI_LINE = 2005;   // label list: multi-line text
inline constexpr int IDS_ABOUTBOX = 1;          // text of the about command

} // namespace ZUN
