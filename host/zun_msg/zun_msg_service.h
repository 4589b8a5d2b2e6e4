#pragma once

#include <QObject>

class CZunMsgWindow;

// What zun-msg offers on the session bus under "Zun_Msg.App": the members
// the module's message-server client calls, forwarded to the window.
class CZunMsgService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "Zun_Msg.App")
    Q_PROPERTY(bool Visible READ visible WRITE setVisible)
    Q_PROPERTY(QString Country READ country WRITE setCountry)

public:
    explicit CZunMsgService(CZunMsgWindow* window);

    // Registers the object and the name on the session bus; false (with the
    // reason) when there is no bus or another program holds the name.
    bool registerOnBus(QString* why);

    bool visible() const;
    void setVisible(bool visible);
    QString country() const;
    void setCountry(const QString& country);

public slots:
    QString GetSelectedKey();
    bool OpenFile(const QString& file);
    bool SearchKey(const QString& key);
    QString GetMsg(const QString& key, const QString& country);
    QString wGetMsg(const QString& key, const QString& country);
    // Ends zun-msg once the answer has gone out.
    void Close();

private:
    CZunMsgWindow* m_window;
};
