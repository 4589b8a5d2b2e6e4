#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"

// Where the module finds the files it ships (message catalogues, hatch
// patterns, help, sample data) and where it keeps the user's own files.
namespace ZUN {

// The search path for shipped data files, in the order it is searched:
//  1. folders given to dataDirAdd, first added first (a host or a test that
//     brings its own files wins over everything installed);
//  2. the entries of the environment variable ZUN_DATA_PATH, separated by
//     ':' (empty entries are skipped);
//  3. <folder of the running program>/../share/zun, the installed layout;
//  4. the build tree's folder of generated data (the help files), so that
//     programs run from a build tree find what the build made;
//  5. the source tree's res folder, so that tests and tools work straight
//     from a build tree without installing.
// The list is computed on every call, so a changed ZUN_DATA_PATH counts at
// once. Trailing slashes are dropped and a folder appears only at its first
// place. Folders are listed whether or not they exist.
CZunArrayTempl<CZunString> dataDirs();

// Adds a folder at the end of the caller-given part of the search path.
// Empty names and folders already added are ignored.
void dataDirAdd(const CZunString& dir);
// Takes a folder given to dataDirAdd out again; false when it was not there.
bool dataDirRemove(const CZunString& dir);

// The file name refers to:
//  - an absolute path: returned unchanged whether it exists or not; the
//    caller chose it, and opening it then fails with the name the caller
//    knows;
//  - a relative path that exists from the current folder: returned unchanged;
//  - otherwise the first data folder that holds it (name may contain
//    sub-folders, "msg/en.json"), as that folder joined with name.
// Empty when nothing was found.
CZunString fileFind(const CZunString& name);

// The path of one of the user's own files (settings, remembered dialog
// positions, the label clipboard): under $ZUN_SETTINGS_DIR when that is set,
// else under $XDG_CONFIG_HOME/zun, else ~/.config/zun. The folder that will
// hold the file is created when missing, so the caller can write at once.
// A leading '/' of name is ignored: user files always stay in that folder.
// An empty name gives the folder itself.
CZunString appFileName(const CZunString& name);

// Where the help of a help name is: a help file (.qch) or a web address.
//  - a name that is itself a web address ("http://", "https://") is
//    returned unchanged; an absolute path is returned when the file exists;
//  - otherwise the data folders are searched in order, and in each one
//    help/<language>/Zun.qch for the current message language (msgLangSet),
//    then help/Zun.qch (a name that already ends in ".qch" is taken as it
//    is), then help/Zun.url, a text file whose first non-empty line is the
//    web address of that help (it may hold "<topic>" where the topic goes).
// Empty when none of them is there.
CZunString help_find(const CZunString& helpName);

} // namespace ZUN
