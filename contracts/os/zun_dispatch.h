#pragma once

#include "contracts/base/zun_string.h"

#include <QVariant>
#include <QVariantList>

#include <atomic>

// Automation of other programs over the D-Bus session bus, where the
// module's callers know COM: a program registers a "ProgID" ("Zun_Msg.App"),
// a client obtains a dispatch interface for it and calls members by name.
//
// A ProgID is the program's well-known name on the session bus. Its object
// lies at the path made of the ProgID's parts ("/Zun_Msg/App") and answers
// the interface of the ProgID's name; methods are called by their member
// names, properties through org.freedesktop.DBus.Properties.
namespace ZUN {

// One program's automation object, counted by references like the
// interface it stands for: the creator holds the first reference, whoever
// keeps a copy of the pointer adds one (AddRef) and gives it back
// (Release); the last Release deletes it.
class IDispatch {
public:
    explicit IDispatch(const CZunString& progId);
    IDispatch(const IDispatch&) = delete;
    IDispatch& operator=(const IDispatch&) = delete;

    unsigned long AddRef();
    unsigned long Release();

    const CZunString& progId() const { return m_progId; }

    // Calls a method. False when the bus, the program or the member fails or
    // no answer comes within the time-out; the reason is then in error().
    bool invoke(const QString& member, const QVariantList& args, QVariant* result = nullptr);
    bool getProperty(const QString& name, QVariant& value);
    bool setProperty(const QString& name, const QVariant& value);

    // How long a call waits for its answer, in milliseconds.
    void setTimeout(int ms) { m_timeoutMs = ms; }
    int timeout() const { return m_timeoutMs; }
    // The reason of the last failure; empty after a call that succeeded.
    const CZunString& error() const { return m_error; }

private:
    ~IDispatch() = default;

    std::atomic<unsigned long> m_refs{1};
    CZunString m_progId;
    QString m_service;
    QString m_path;
    QString m_interface;
    CZunString m_error;
    int m_timeoutMs = 5000;
};

// The session-bus object path of a ProgID: "/" and its parts ("Zun_Msg.App"
// gives "/Zun_Msg/App"). Empty when the ProgID is not a valid bus name.
QString dbusPathOfProgId(const CZunString& progId);

// The automation object of a running program, with a reference for the
// caller, or null when no program holds the ProgID on the session bus (or
// there is no session bus). Asks the bus only; it never starts a program.
IDispatch* dispatchFromProgID(const CZunString& progId);

// The program that serves a ProgID: the Exec line's program of the D-Bus
// service file "<ProgID>.service" in the session bus's service folders
// ($XDG_DATA_HOME, then each of $XDG_DATA_DIRS, below dbus-1/services).
// Empty when no service file names one.
CZunString serverFromProgID(const CZunString& progId);

// Starts a program. detached: it runs on its own and true means it started;
// otherwise execute waits for it to end and true means it ended with status
// 0. The show mode is the caller's wish for the program's window (0: hidden,
// 1: normal); it reaches the program as the environment variable ZUN_SHOW.
bool execute(const CZunString& path, int showMode, bool detached);

} // namespace ZUN
