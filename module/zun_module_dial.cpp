// Loading the module starts its dialog half, unloading stops it: the
// application object's InitInstance installs the default message callback
// before the host can open a dialog, and ExitInstance takes it back.

#include "ui/zun_dial_app.h"

namespace {

struct DialogModuleLifetime {
    DialogModuleLifetime() { ZUN::moduleAttach(); }
    ~DialogModuleLifetime() { ZUN::moduleDetach(); }
    DialogModuleLifetime(const DialogModuleLifetime&) = delete;
    DialogModuleLifetime& operator=(const DialogModuleLifetime&) = delete;
};

const DialogModuleLifetime lifetime;

} // namespace
