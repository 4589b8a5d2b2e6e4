#include "host/zun_msg/zun_msg_service.h"

#include "contracts/os/zun_dispatch.h"
#include "dialogs/zun_msg_dlg.h"
#include "host/zun_msg/zun_msg_window.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTimer>

CZunMsgService::CZunMsgService(CZunMsgWindow* window) : QObject(window), m_window(window) {}

bool CZunMsgService::registerOnBus(QString* why)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *why = QStringLiteral("no session bus: automation is off");
        return false;
    }
    const QString name = QString::fromWCharArray(ZUN::kMsgServerProgId);
    if (!bus.registerObject(ZUN::dbusPathOfProgId(ZUN::kMsgServerProgId), this,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)) {
        *why = QStringLiteral("the automation object could not be registered");
        return false;
    }
    if (!bus.registerService(name)) {
        *why = QStringLiteral("another program serves %1: automation is off").arg(name);
        return false;
    }
    *why = QStringLiteral("automation on the session bus as %1").arg(name);
    return true;
}

bool CZunMsgService::visible() const { return m_window->isVisible(); }
void CZunMsgService::setVisible(bool visible) { m_window->setVisible(visible); }
QString CZunMsgService::country() const { return m_window->country(); }
void CZunMsgService::setCountry(const QString& country) { m_window->setCountry(country); }

QString CZunMsgService::GetSelectedKey() { return m_window->selectedKey(); }
bool CZunMsgService::OpenFile(const QString& file) { return m_window->openFile(file); }
bool CZunMsgService::SearchKey(const QString& key) { return m_window->searchKey(key); }
QString CZunMsgService::GetMsg(const QString& key, const QString& country) { return m_window->text(key, country, false); }
QString CZunMsgService::wGetMsg(const QString& key, const QString& country) { return m_window->text(key, country, true); }

void CZunMsgService::Close()
{
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
}
