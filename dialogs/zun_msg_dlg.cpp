#include "dialogs/zun_msg_dlg.h"

#include "dialogs/zun_msg_dlg_p.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

namespace {

QString qt(const wchar_t* s) { return s ? QString::fromWCharArray(s) : QString(); }

// The module's reference to the server object that getRscAppDispatch lent
// out last; given back when the next one is lent or the module unloads.
struct LentDispatch {
    ZUN::IDispatch* dispatch = nullptr;
    ~LentDispatch() { reset(nullptr); }
    void reset(ZUN::IDispatch* next)
    {
        if (dispatch)
            dispatch->Release();
        dispatch = next;
    }
};

LentDispatch& lent()
{
    static LentDispatch held;
    return held;
}

// The wait cursor for one scope; only where there is a GUI to show it.
class WaitCursor {
public:
    WaitCursor() : m_shown(qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_shown)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        if (m_shown)
            QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_shown;
};

// Waits ms milliseconds in a local event loop: windows keep painting and
// timers keep running while the server starts.
void waitPainting(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

// ---- IZunMsgDlg ---------------------------------------------------------------

IZunMsgDlg::IZunMsgDlg(const IZunMsgDlg& other) : m_dispatch(other.m_dispatch)
{
    if (m_dispatch)
        m_dispatch->AddRef();
}

IZunMsgDlg& IZunMsgDlg::operator=(const IZunMsgDlg& other)
{
    // Taken and counted first, so that self-assignment keeps the object.
    ZUN::IDispatch* const next = other.m_dispatch;
    if (next)
        next->AddRef();
    ReleaseDispatch();
    m_dispatch = next;
    return *this;
}

IZunMsgDlg::~IZunMsgDlg() { ReleaseDispatch(); }

void IZunMsgDlg::AttachDispatch(ZUN::IDispatch* dispatch)
{
    ReleaseDispatch();
    m_dispatch = dispatch;
}

ZUN::IDispatch* IZunMsgDlg::DetachDispatch()
{
    ZUN::IDispatch* dispatch = m_dispatch;
    m_dispatch = nullptr;
    return dispatch;
}

void IZunMsgDlg::ReleaseDispatch()
{
    if (m_dispatch)
        m_dispatch->Release();
    m_dispatch = nullptr;
}

bool IZunMsgDlg::call(const QString& member, const QVariantList& args, QVariant* result)
{
    m_error = CZunString();
    if (!m_dispatch) {
        m_error = L"no message server";
        return false;
    }
    if (m_dispatch->invoke(member, args, result))
        return true;
    m_error = m_dispatch->error();
    return false;
}

CZunString IZunMsgDlg::textOf(const QString& member, const QVariantList& args)
{
    QVariant answer;
    if (!call(member, args, &answer))
        return CZunString();
    if (answer.typeId() != QMetaType::QString) {
        m_error = CZunString((member + ": the server answered " + answer.typeName() + ", not a text").toStdWString());
        return CZunString();
    }
    return CZunString(answer.toString().toStdWString());
}

int IZunMsgDlg::boolOf(const QString& member, const QVariantList& args)
{
    QVariant answer;
    if (!call(member, args, &answer))
        return 0;
    if (answer.typeId() != QMetaType::Bool) {
        m_error = CZunString((member + ": the server answered " + answer.typeName() + ", not a truth value").toStdWString());
        return 0;
    }
    return answer.toBool() ? 1 : 0;
}

CZunString IZunMsgDlg::GetSelectedKey() { return textOf("GetSelectedKey", {}); }
int IZunMsgDlg::OpenFile(const wchar_t* file) { return boolOf("OpenFile", {qt(file)}); }
int IZunMsgDlg::SearchKey(const wchar_t* key) { return boolOf("SearchKey", {qt(key)}); }
CZunString IZunMsgDlg::GetMsg(const wchar_t* key, const wchar_t* country) { return textOf("GetMsg", {qt(key), qt(country)}); }
CZunString IZunMsgDlg::wGetMsg(const wchar_t* key, const wchar_t* country) { return textOf("wGetMsg", {qt(key), qt(country)}); }
void IZunMsgDlg::Close() { call("Close", {}, nullptr); }

int IZunMsgDlg::GetVisible()
{
    m_error = CZunString();
    QVariant value;
    if (!m_dispatch || !m_dispatch->getProperty("Visible", value)) {
        m_error = m_dispatch ? m_dispatch->error() : CZunString(L"no message server");
        return 0;
    }
    if (value.typeId() != QMetaType::Bool) {
        m_error = L"Visible: the server answered no truth value";
        return 0;
    }
    return value.toBool() ? 1 : 0;
}

void IZunMsgDlg::SetVisible(int visible)
{
    m_error = CZunString();
    if (!m_dispatch || !m_dispatch->setProperty("Visible", visible != 0))
        m_error = m_dispatch ? m_dispatch->error() : CZunString(L"no message server");
}

CZunString IZunMsgDlg::GetCountry()
{
    m_error = CZunString();
    QVariant value;
    if (!m_dispatch || !m_dispatch->getProperty("Country", value)) {
        m_error = m_dispatch ? m_dispatch->error() : CZunString(L"no message server");
        return CZunString();
    }
    if (value.typeId() != QMetaType::QString) {
        m_error = L"Country: the server answered no text";
        return CZunString();
    }
    return CZunString(value.toString().toStdWString());
}

void IZunMsgDlg::SetCountry(const wchar_t* country)
{
    m_error = CZunString();
    if (!m_dispatch || !m_dispatch->setProperty("Country", qt(country)))
        m_error = m_dispatch ? m_dispatch->error() : CZunString(L"no message server");
}

// ---- start and wait -------------------------------------------------------------

namespace ZUN {

IDispatch* msg_detail::rscAppDispatchWait(const CZunString& progId, RscWait& wait)
{
    wait.triesUsed = 0;
    wait.started = false;
    if (IDispatch* running = dispatchFromProgID(progId))
        return running;
    const CZunString program = serverFromProgID(progId);
    if (program.isEmpty())
        return nullptr;
    const WaitCursor cursor;
    if (!execute(program, 0, true))
        return nullptr;
    wait.started = true;
    IDispatch* dispatch = nullptr;
    while (!dispatch && wait.triesUsed < wait.tries) {
        waitPainting(wait.intervalMs);
        ++wait.triesUsed;
        dispatch = dispatchFromProgID(progId);
    }
    return dispatch;
}

IDispatch* getRscAppDispatch()
{
    msg_detail::RscWait wait;
    IDispatch* dispatch = msg_detail::rscAppDispatchWait(kMsgServerProgId, wait);
    lent().reset(dispatch);
    return dispatch;
}

} // namespace ZUN
