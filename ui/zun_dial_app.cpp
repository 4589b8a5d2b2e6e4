#include "ui/zun_dial_app.h"

#include "ui/zun_dlg.h"
#include "ui/zun_dlg_env.h"
#include "ui/zun_help_p.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

// Q_INIT_RESOURCE must be used outside any namespace. Calling it also keeps
// the resource object in a program linked from the static library.
static void registerModuleResources()
{
    Q_INIT_RESOURCE(zun_ui);
}

static void unregisterModuleResources()
{
    Q_CLEANUP_RESOURCE(zun_ui);
}

bool CZunDialApp::InitInstance()
{
    // The callback comes first: no dialog may exist without it.
    m_previousCallBack = CZunDlg::SetMsgCallBack(&ZUN::msgDefaultCallBack);
    registerModuleResources();
    m_running = QFile::exists(ZUN::moduleResourcePath("icons", ZUN::IDI_ZUN_MODULE, "svg"));
    return m_running;
}

int CZunDialApp::ExitInstance()
{
    // A callback the host installed meanwhile stays: it is not ours to remove.
    if (CZunDlg::msgCallBack() == &ZUN::msgDefaultCallBack)
        CZunDlg::SetMsgCallBack(m_previousCallBack);
    m_previousCallBack = nullptr;
    ZUN::dlgStackClear();
    // The help window and engine belong to the module: they go with it.
    ZUN::helpReset();
    unregisterModuleResources();
    m_running = false;
    return 0;
}

namespace ZUN {

namespace {

bool g_attached = false;
int g_entryDepth = 0;

} // namespace

CZunDialApp& zunDialApp()
{
    static CZunDialApp theApp;
    return theApp;
}

bool moduleAttach()
{
    if (g_attached)
        return true;
    if (!zunDialApp().InitInstance()) {
        zunDialApp().ExitInstance();
        return false;
    }
    g_attached = true;
    return true;
}

void moduleDetach()
{
    if (!g_attached)
        return;
    zunDialApp().ExitInstance();
    g_attached = false;
}

bool moduleAttached()
{
    return g_attached;
}

CModuleState::CModuleState()
{
    registerModuleResources();
    ++g_entryDepth;
}

CModuleState::~CModuleState()
{
    --g_entryDepth;
}

bool CModuleState::canShowWindows() const
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

int CModuleState::depth()
{
    return g_entryDepth;
}

QString moduleResourcePath(const char* kind, int id, const char* suffix)
{
    return QStringLiteral(":/zun/%1/%2.%3").arg(QLatin1String(kind)).arg(id).arg(QLatin1String(suffix));
}

QIcon moduleIcon(int id)
{
    const QString path = moduleResourcePath("icons", id, "svg");
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

CZunString moduleString(int id)
{
    // Read on every call: the table is small and the module may have been
    // detached and attached again since.
    QFile file(QStringLiteral(":/zun/strings.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject table = QJsonDocument::fromJson(file.readAll()).object();
    return CZunString::fromUtf8(table.value(QString::number(id)).toString().toStdString());
}

} // namespace ZUN
