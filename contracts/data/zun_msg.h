#pragma once

#include "contracts/base/zun_string.h"

// Texts shown to the user, by message key and language, and labels that
// carry one text per language.
//
// Languages are the two-letter codes of the country table (zunDlCountrys:
// "de", "en", "fr", ...). The language "0" shows message keys instead of
// texts, so that a translator can see which key a dialog uses.
namespace ZUN {

// ---- Message catalogues ---------------------------------------------------
//
// A catalogue is the file msg/<language>.json on the data path (fileFind):
// one flat JSON object, UTF-8, {"KEY": "text", ...}. German texts are the
// defaults written into the callers' code, so German needs no catalogue; a
// catalogue that does not exist simply leaves every default in place.
//
// Keys are stored as the callers write them ("ZUN_MFC_0001", "DLG_001",
// "ZUN084"). A caller also passes a prefix naming its group of callers (the
// dialogs pass "ZUN_"); an entry under prefix + key overrides the plain
// key for that group only, so "ZUN_DLG_001" can give the dialogs another
// OK text than the rest without touching the shared entry "DLG_001".

// The text of key in language:
//  - language "0": the key itself;
//  - an empty language: the current one (msgLangSet);
//  - otherwise the catalogue's entry under prefix + key, else under key,
//    else defaultText. An empty entry counts as missing: it is a text that
//    nobody has translated yet, and the default is better than nothing.
// The catalogue is read on first use and kept; see msgCatalogReset.
CZunString zun_msg_get(const CZunString& prefix, const CZunString& key, const CZunString& defaultText,
                       const CZunString& language);

// The current message language. A null argument only asks; otherwise the
// language becomes the current one and the previous one is returned. An
// empty code restores the default, German ("de"). Codes are kept in lower
// case.
CZunString msgLangSet(const wchar_t* language);

// Why the catalogue of a language could not be used: the file's path and
// what was wrong (for a syntax error with line and column). Empty when the
// catalogue is fine or there is none. A broken catalogue is reported once
// on stderr when it is read and then behaves as an empty one, so the user
// sees the German defaults instead of a crash. An empty language means the
// current one.
CZunString msgCatalogError(const CZunString& language);

// Forgets every catalogue read so far; the next lookup reads them again.
// For hosts that change the data path or update a catalogue while running.
void msgCatalogReset();

// ---- Labels ---------------------------------------------------------------
//
// A label is either plain, one text for every language ("Blech"), or
// composite, one text per language. A composite label starts with a
// backslash and holds parts separated by backslashes; a part is a language
// code, a colon and the text:
//     \de:Blech\en:Sheet
// Inside a text every backslash is doubled ("a\b" is written "a\\b"), so a
// single backslash always starts the next part. Colons need no escape: the
// code ends at the first colon of a part and codes contain none. Codes are
// ASCII letters, digits, '_' or '-', kept in lower case and compared
// without regard to case. label_set writes the parts in the order of the
// country table (languages it does not know after those), so that equal
// texts always give the same label. A part without a colon is skipped when
// reading: a damaged label loses that part, never the others.

// The text of a label in a language (empty: the current one). A plain
// label gives its text in every language. For a composite label without
// that language: with fallback the German text, else the first one; without
// fallback an empty text.
CZunString label_get(const CZunString& label, const CZunString& language, bool fallback = true);

// Sets the text of one language (empty: the current one) in a label. An
// empty text removes that language; a label left without any text becomes
// empty. A non-empty plain label is first turned into a composite one in
// which the plain text is the German text: plain labels are written in the
// language of the callers' defaults. (Removing a language that a plain label
// does not have leaves it plain.) Returns false, with the label unchanged,
// only for a language code that cannot be written into a label.
bool label_set(CZunString& label, const CZunString& text, const CZunString& language);

} // namespace ZUN
