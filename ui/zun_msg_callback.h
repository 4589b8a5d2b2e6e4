#pragma once

// The message callback: every text a dialog or control of the module shows
// is asked of it by message key, with a German default and a language code.
// The module installs msgDefaultCallBack when it starts (CZunDialApp); a
// host may install its own through CZunDlg::SetMsgCallBack.
//
// The returned text must stay valid until the callback has been called
// eight more times: callers pass one result as the default of the next
// call.
using ZunMsgCallBack = const wchar_t* (*)(const wchar_t* key, const wchar_t* def, const wchar_t* country);

namespace ZUN {

// The module's own callback:
//  - the language "0" gives the key itself (shows translators the keys);
//  - a key of three parts separated by backslashes, "A\\ZUN_MFC_0001\\:",
//    gives the first part, the text of the middle key and the last part;
//  - any other key is looked up whole in the catalogue with the prefix
//    "ZUN_" (zun_msg_get), falling back to def.
// Results are kept in a ring of eight slots; the ninth call reuses the
// first slot. Null arguments read as empty (null country: the current
// language).
const wchar_t* msgDefaultCallBack(const wchar_t* key, const wchar_t* def, const wchar_t* country);

// The number of slots in the default callback's ring.
inline constexpr int kMsgRingSize = 8;

} // namespace ZUN
