#pragma once

// The host's main window on the offscreen platform with a copy of the
// sample drawing open: what the window, document, dialog and command tests
// of the desktop host share.

#include "contracts/data/zun_config.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_msg.h"
#include "host/desktop/zun_host_window.h"
#include "host/zun_host_app.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

inline const QString kSampleDrawing = QStringLiteral(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json");

class HostWindowFixture : public ::testing::Test {
public:
    void SetUp() override
    {
        m_previous = zunAppSet(&m_app);
        CZunHostApp::registerGenerators();
        ZUN::msgLangSet(L"de");
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ZUN_SETTINGS_DIR", m_dir.path().toLocal8Bit());
        m_window = std::make_unique<CZunHostWindow>(m_app);
        m_window->setMessageHook([this](const QString& caption, const QString& text) {
            m_messages.append(caption + QLatin1Char('\n') + text);
        });
        m_window->resize(1000, 700);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        // A copy, so that saving never touches the shipped sample.
        ASSERT_TRUE(QFile::copy(kSampleDrawing, drawingPath()));
        ASSERT_TRUE(m_window->openDrawing(drawingPath()));
    }

    void TearDown() override
    {
        m_window.reset();
        ZUN::msgLangSet(L"de");
        zunAppSet(m_previous);
    }

    QString drawingPath() const { return m_dir.filePath(QStringLiteral("drawing.json")); }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // Runs act on the modal dialog of class D as soon as it is open; a
    // modal window of another class that is in the way is closed. Waits up
    // to ten seconds, then gives up (sawDialog() stays false).
    template <class D>
    void whenDialogOpens(std::function<void(D&)> act)
    {
        m_sawDialog = false;
        auto* poll = new QTimer(m_window.get());
        auto tries = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, tries, act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<D*>(modal); dialog && dialog->isVisible()) {
                poll->stop();
                poll->deleteLater();
                m_sawDialog = true;
                act(*dialog);
                // A check that failed half-way must not leave the test
                // waiting on the dialog for ever.
                QTimer::singleShot(5000, dialog, [dialog] {
                    if (dialog->isVisible())
                        dialog->reject();
                });
            } else if (++*tries > 500) {
                poll->stop();
                poll->deleteLater();
                if (modal)
                    modal->close();
            }
        });
        poll->start(20);
    }
    bool sawDialog() const { return m_sawDialog; }

    ZUN::CCfgBackup m_config;
    CZunHostApp m_app;
    CZunApp* m_previous = nullptr;
    QTemporaryDir m_dir;
    QStringList m_messages;
    std::unique_ptr<CZunHostWindow> m_window;
    bool m_sawDialog = false;
};
