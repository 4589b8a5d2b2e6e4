#pragma once

#include "contracts/base/zun_string.h"

// What the label dialog exchanges with the world outside its list: the
// label clipboard, a settings key that lives for the login session, and
// the import of a message key's texts from the message server. Kept apart
// from the dialog's widgets so that each can be checked on its own.
namespace ZUN {

// The label clipboard: one text value per language, named by its code.
inline constexpr const wchar_t* kLabelClipboardKey = L"Software\\BALDRIX\\ZUN_MSG\\DATA";

// Empties the clipboard key (creating it, volatile) and writes every
// language of the country table that has a text in label. False when the
// key cannot be created or written.
bool labelClipboardCopy(const CZunString& label);
// Whether the clipboard key exists, so that paste has something to offer.
bool labelClipboardAvailable();
// The clipboard as a composite label: every literal "\n" of a text becomes
// a line break when multi, else a blank. Empty when the key is missing.
CZunString labelClipboardPaste(bool multi);

// How an import from the message server ended, with the message to show.
enum class LabelImport {
    Imported,          // label holds the texts
    NoSelection,       // no server, or no key selected: "Kein Text ausgewählt" (ZUN_MFC_0010)
    MultiLineRefused,  // a multi-line key for a single-line label: "Mehzeilige Texte nicht möglich" (ZUN_MFC_0017)
    NothingAssigned,   // the key has no text in any language: "Kein Text zugeordnet" (ZUN_MFC_0011)
};

// Imports the texts of the key selected in the message server. A running
// server is used as it is; otherwise one is started (getRscAppDispatch),
// set to country and given msgFile to open when msgFile is not empty.
// Single-line labels (multi false) refuse a key whose description has an
// "M". Every language of the country table with a text is un-escaped into
// label, which is changed only on success.
LabelImport labelImport(bool multi, const CZunString& msgFile, const CZunString& country, CZunString& label);

} // namespace ZUN
