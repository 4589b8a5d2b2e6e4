#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"

#include <cstdint>
#include <memory>

class QSettings;

// The user's settings store: keys and named values, as the module's callers
// know them from a registry. A key is a path of names separated by
// backslashes ("Software\\BALDRIX\\ZUN\\Dialogs\\Info"); a value is a
// 32-bit number or a text under a name inside a key.
//
// Two stores lie behind the same key space, each an INI file read and
// written through QSettings:
//  - the lasting store, registry.ini in the user's settings folder
//    (appFileName: $ZUN_SETTINGS_DIR, else $XDG_CONFIG_HOME/zun, else
//    ~/.config/zun);
//  - the volatile store for keys that live only as long as the login
//    session: volatile.ini under $XDG_RUNTIME_DIR/zun, which the system
//    empties at logout. Without a runtime folder, and whenever
//    ZUN_SETTINGS_DIR redirects the user's files (tests), the file lies in
//    the settings folder instead; it then records the boot it was written
//    in and is emptied when read after another boot.
// A key lives in one of them: where it already exists, reads and writes go
// there; a key that exists nowhere is created in the store the creator
// asks for. Names are compared as written (with case).
//
// A settings file that QSettings cannot parse is left exactly as it is:
// every write into it fails with an error naming the file, so the user's
// other settings are never overwritten by what could be read of them.
namespace ZUN {

// The key under which an application keeps its settings:
// "Software\\BALDRIX\\" + appName.
CZunString regAppKey(const CZunString& appName);

// One open key. Open or create it, read and write values, close it; the
// first failure's reason stays in error().
class CZunRegKey {
public:
    CZunRegKey();
    ~CZunRegKey();
    CZunRegKey(const CZunRegKey&) = delete;
    CZunRegKey& operator=(const CZunRegKey&) = delete;

    // Opens an existing key for reading and writing. False when the key
    // exists in neither store, the path is empty or holds an empty name,
    // or the file that holds it cannot be read.
    bool open(const CZunString& key);
    // Opens the key, or creates it (empty) in the lasting or the volatile
    // store. False when the path is not a key or the store cannot be
    // written: a damaged file, a file that is a folder, a folder that
    // cannot be made.
    bool create(const CZunString& key, bool isVolatile = false);
    // Writes what was changed to the file; false when that failed. Called
    // by the destructor as well.
    bool close();

    bool isOpen() const { return m_store != nullptr; }
    bool isVolatile() const { return m_volatile; }
    const CZunString& key() const { return m_key; }
    const CZunString& error() const { return m_error; }

    // False when the key is not open, the value is missing or it is not of
    // the type asked for (a text that is not a number for the first).
    bool read(const CZunString& name, std::uint32_t& value);
    bool read(const CZunString& name, CZunString& value);
    // False when the key is not open, the name is empty or the file cannot
    // be written.
    bool write(const CZunString& name, std::uint32_t value);
    bool write(const CZunString& name, const CZunString& value);
    bool removeValue(const CZunString& name);
    // The names of the key's values, in the order the store keeps them.
    CZunArrayTempl<CZunString> valueNames();

private:
    bool openIn(const CZunString& key, bool isVolatile, bool create);
    bool fail(const CZunString& reason);
    bool writable();

    std::unique_ptr<QSettings> m_store;
    CZunString m_key;
    CZunString m_error;
    bool m_volatile = false;
};

// One value read or written in passing; the key is opened and closed
// around it. error (optional) receives the reason of a failure.
bool regRead(const CZunString& key, const CZunString& name, std::uint32_t& value, CZunString* error = nullptr);
bool regRead(const CZunString& key, const CZunString& name, CZunString& value, CZunString* error = nullptr);
bool regWrite(const CZunString& key, const CZunString& name, std::uint32_t value, bool isVolatile = false,
              CZunString* error = nullptr);
bool regWrite(const CZunString& key, const CZunString& name, const CZunString& value, bool isVolatile = false,
              CZunString* error = nullptr);

// Whether the key exists in either store.
bool regKeyExists(const CZunString& key);
// Removes the key with its values and the keys below it from both stores;
// false when a store cannot be read or written (a damaged file may hold
// the key). Removing a key that exists nowhere succeeds.
bool regKeyDelete(const CZunString& key, CZunString* error = nullptr);

// The files behind the two stores (for messages and tests).
CZunString regStoreFile(bool isVolatile);

} // namespace ZUN
