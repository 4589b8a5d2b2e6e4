#pragma once

#include "contracts/data/zun_data_item.h"
#include "ui/zun_dlg_env.h"

namespace ZUN {

// The machinings of an assembly are edited by a dialog of the host
// ("orv_hole_dial"), which works on a hole entity of the drawing. This is
// the bridge to it:
//  - the outline catalogue ("*ZUN_OUTLINE*") is made once in the
//    configuration, with the default outlines;
//  - the user picks a "HOLE" entity (the application object's entitySelect);
//    the assembly's data goes into the entity's data, with "LABEL", "ORDER"
//    and the machinings ("HOLE" of the assembly) under "BT";
//  - bt, the machining type, goes to the configuration ("*HOLE*", "BT"),
//    where the host dialog reads and may change it;
//  - the host dialog runs; when it answers the integer 1, the entity's data
//    comes back into the assembly (the machinings as "HOLE") and bt is read
//    back from the configuration.
// Results: 1 accepted and copied back; 2 (IDCANCEL) when the host answered
// 0 or nothing usable (no integer first); 0 when the host call failed, the
// host answered any other number, or there is no assembly. Only a result of
// 1 changes the assembly or bt. When no entity is picked, the host dialog
// still runs but nothing is copied either way except bt on acceptance.
// env and other are not used.
int dlgBgr(const DlgEnv_st& env, CZunString& bt, CZunDataItem* assembly, CZunDataItem* other);

// The name of the host's machining dialog and the host's 32-bit integer
// type besides 5010, which the bridge also takes as an answer.
inline constexpr const wchar_t* kHoleDialogFunction = L"orv_hole_dial";
inline constexpr short kRtInt32 = 5031;

} // namespace ZUN
