#pragma once

// The stand-in's bus object (apart from main, whose includes the
// meta-object compiler cannot read).
#include <QCoreApplication>
#include <QObject>
#include <QTimer>
#include <QVariant>

#include <unistd.h>

class CStandin : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "Zun_Test.Standin")

public:
    explicit CStandin(bool bad, bool die) : m_bad(bad), m_die(die) {}

public slots:
    QVariant GetSelectedKey() { return answer(QStringLiteral("KEY"), 42); }
    QVariant OpenFile(const QString&) { return answer(true, QStringLiteral("yes")); }
    QVariant GetMsg(const QString&, const QString&) { return answer(QStringLiteral("text"), 7.5); }
    void Close() { QTimer::singleShot(0, qApp, &QCoreApplication::quit); }

private:
    QVariant answer(const QVariant& right, const QVariant& wrong)
    {
        if (m_die)
            ::_exit(3);  // gone without an answer
        return m_bad ? wrong : right;
    }

    bool m_bad;
    bool m_die;
};

