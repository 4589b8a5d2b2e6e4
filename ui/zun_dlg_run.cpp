#include "ui/zun_dlg_run.h"

namespace ZUN {

void dlgEnvApply(CZunDlg& dlg, const DlgEnv_st& env, unsigned use)
{
    if (use & kEnvCountry)
        dlg.SetCountry(env.country);
    if (use & kEnvHelpFile)
        dlg.SetHelpFile(env.helpFile);
    if (use & kEnvHelpTopic)
        dlg.SetHelpTopic(env.helpTopic);
}

} // namespace ZUN
