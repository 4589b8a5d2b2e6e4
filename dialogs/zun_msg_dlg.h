#pragma once

#include "contracts/base/zun_string.h"
#include "contracts/os/zun_dispatch.h"

// The client side of the message server, the program in which the user
// opens message files and selects a message key ("Zun_Msg.App", our
// zun-msg). IZunMsgDlg calls the server's members by name; getRscAppDispatch
// finds a running server or starts one and waits for it.
//
// Calls never throw: a member that fails (no server, a server that went away
// during the call, an answer of the wrong type, no answer within the
// time-out) gives an empty text, 0 or false, and LastError() says why.

// A typed wrapper over the server's automation object. It holds one
// reference to the object (or none).
class IZunMsgDlg {
public:
    IZunMsgDlg() = default;
    // Takes over the caller's reference to dispatch.
    explicit IZunMsgDlg(ZUN::IDispatch* dispatch) : m_dispatch(dispatch) {}
    IZunMsgDlg(const IZunMsgDlg& other);
    IZunMsgDlg& operator=(const IZunMsgDlg& other);
    ~IZunMsgDlg();

    // Gives up the object held and takes over the caller's reference to dispatch.
    void AttachDispatch(ZUN::IDispatch* dispatch);
    // Gives the held reference back to the caller; the wrapper is empty then.
    ZUN::IDispatch* DetachDispatch();
    void ReleaseDispatch();
    ZUN::IDispatch* dispatch() const { return m_dispatch; }
    bool isNull() const { return m_dispatch == nullptr; }

    // The key the user selected in the server; empty when none.
    CZunString GetSelectedKey();
    // Opens a message file in the server (merging it with what is open).
    int OpenFile(const wchar_t* file);
    // Selects the key in the server; 0 when it has no such key.
    int SearchKey(const wchar_t* key);
    // The text of key in a language; country "0" gives a short description of
    // the key in which "M" marks a text of more than one line.
    CZunString GetMsg(const wchar_t* key, const wchar_t* country);
    // As GetMsg, with line breaks and other special characters written as
    // backslash escapes (unEscapeWideChar gives the text back).
    CZunString wGetMsg(const wchar_t* key, const wchar_t* country);
    // Ends the server.
    void Close();
    int GetVisible();
    void SetVisible(int visible);
    CZunString GetCountry();
    void SetCountry(const wchar_t* country);

    // Why the last call failed; empty after one that succeeded.
    const CZunString& LastError() const { return m_error; }

private:
    CZunString textOf(const QString& member, const QVariantList& args);
    int boolOf(const QString& member, const QVariantList& args);
    bool call(const QString& member, const QVariantList& args, QVariant* result);

    ZUN::IDispatch* m_dispatch = nullptr;
    CZunString m_error;
};

namespace ZUN {

// The ProgID under which the message server registers.
inline constexpr const wchar_t* kMsgServerProgId = L"Zun_Msg.App";

// The message server's automation object, or null. A running server is
// used as it is; otherwise the program named by the server's service file
// is started and asked for up to 40 times, 500 ms apart (at most 20 s).
// While it waits the wait cursor shows and the application keeps painting.
//
// The pointer is lent, not given: the module keeps the reference until the
// next call or the module's unloading, and a caller that keeps the object
// adds a reference of its own (AddRef), e.g. by handing it to IZunMsgDlg.
IDispatch* getRscAppDispatch();

} // namespace ZUN
