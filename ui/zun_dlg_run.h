#pragma once

#include "ui/zun_dial_app.h"
#include "ui/zun_dlg.h"
#include "ui/zun_dlg_env.h"

#include <exception>
#include <utility>

// The one way every exported dialog function enters the module and runs
// its dialog:
//  1. the module's state for the whole call (resources; CModuleState);
//  2. the owner from the environment record (parentWnd());
//  3. the dialog made with that owner; the record's language, help file
//     and help topic copied in as the dialog's function says (use);
//     the caller's data passed in (in);
//  4. the modal run; on IDOK the results copied back (out);
//  5. the modal result returned.
// -1 when no dialog can run: no QApplication, a template that is missing,
// or anything thrown on the way (nothing is thrown across the module's
// boundary).
namespace ZUN {

enum DlgEnvUse : unsigned {
    kEnvCountry = 0x1,     // SetCountry(env.country)
    kEnvHelpFile = 0x2,    // SetHelpFile(env.helpFile)
    kEnvHelpTopic = 0x4,   // SetHelpTopic(env.helpTopic)
    kEnvAll = 0x7,
    kCopyBackAlways = 0x8  // out runs whatever the result (the unit dialog)
};

// Copies what use names from the record into the dialog.
void dlgEnvApply(CZunDlg& dlg, const DlgEnv_st& env, unsigned use);

// Dlg is made as Dlg(QWidget* owner); in(Dlg&) and out(Dlg&) move the
// caller's data.
template <class Dlg, class In, class Out>
int dlgRunModal(const DlgEnv_st& env, unsigned use, In&& in, Out&& out)
{
    CModuleState state;
    if (!state.canShowWindows())
        return -1;
    try {
        Dlg dlg(env.parentWnd());
        dlgEnvApply(dlg, env, use);
        std::forward<In>(in)(dlg);
        const int result = dlg.DoModal();
        if (result == IDOK || (use & kCopyBackAlways))
            std::forward<Out>(out)(dlg);
        return result;
    } catch (const std::exception&) {
        return -1;
    }
}

} // namespace ZUN
