#pragma once

// The host's main window on the offscreen platform with a drawing open (a
// copy of the sample unless a test asks otherwise): what the window,
// document, dialog and command tests of the desktop host share. Tests
// without a window share the application object and the settings folder.

#include "contracts/data/zun_config.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_msg.h"
#include "host/desktop/zun_host_window.h"
#include "host/zun_drawing_repeat.h"
#include "host/zun_host_app.h"
#include "render/qt/zun_qstring.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

inline const QString kSampleDrawing = QStringLiteral(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json");

// The host's application object installed with its part generators, the
// messages in German and the settings in a folder of the test's own.
class HostAppFixture : public ::testing::Test {
public:
    void SetUp() override
    {
        m_previous = zunAppSet(&m_app);
        CZunHostApp::registerGenerators();
        ZUN::msgLangSet(L"de");
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ZUN_SETTINGS_DIR", m_dir.path().toLocal8Bit());
    }

    void TearDown() override
    {
        ZUN::msgLangSet(L"de");
        zunAppSet(m_previous);
    }

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // A drawing of n parts in the test's folder, the sample's repeated.
    QString largeDrawing(int n, const QString& name = QString())
    {
        const QString file = m_dir.filePath(name.isEmpty() ? QStringLiteral("large_%1.json").arg(n) : name);
        CZunString error;
        EXPECT_TRUE(zunRepeatDrawingFile(toZun(kSampleDrawing), n, toZun(file), &error)) << error.toUtf8();
        return file;
    }

    ZUN::CCfgBackup m_config;
    CZunHostApp m_app;
    CZunApp* m_previous = nullptr;
    QTemporaryDir m_dir;
};

// What a test's window opens and how it is set up.
struct HostWindowOptions {
    // The drawing opened once the window shows.
    QString drawing = kSampleDrawing;
    // Copied into the test's folder under this name first, so that saving
    // never touches the original; empty: opened where it is.
    QString copyName = QStringLiteral("drawing.json");
    // Instead, a drawing of this many parts, the sample's repeated (0: none).
    int repeatedParts = 0;
    // The window's language, set once it is made; empty: as it starts.
    QString language;
    // The window's size; empty: its own.
    QSize size{1000, 700};

    // The sample opened where it lies (its path is what the window keeps).
    static HostWindowOptions inPlace()
    {
        HostWindowOptions o;
        o.copyName.clear();
        return o;
    }
};

class HostWindowFixture : public HostAppFixture {
public:
    void SetUp() override
    {
        HostAppFixture::SetUp();
        const HostWindowOptions o = options();
        if (o.repeatedParts > 0) {
            m_drawingPath = largeDrawing(o.repeatedParts, o.copyName);
        } else if (!o.copyName.isEmpty()) {
            m_drawingPath = m_dir.filePath(o.copyName);
            ASSERT_TRUE(QFile::copy(o.drawing, m_drawingPath));
        } else {
            m_drawingPath = o.drawing;
        }
        openWindow();
    }

    void TearDown() override
    {
        closeWindow();
        HostAppFixture::TearDown();
    }

    // The test's set-up; a fixture of its own gives another.
    virtual HostWindowOptions options() const { return {}; }
    // Called on each window made, before it shows (hooks of the test).
    virtual void prepareWindow(CZunHostWindow&) {}

    // A new window, shown with the test's drawing open: what a start of
    // zun-host gives, also for a second start on the same settings.
    void openWindow()
    {
        const HostWindowOptions o = options();
        m_window = std::make_unique<CZunHostWindow>(m_app);
        m_window->setMessageHook([this](const QString& caption, const QString& text) {
            m_messages.append(caption + QLatin1Char('\n') + text);
        });
        prepareWindow(*m_window);
        if (!o.language.isEmpty())
            m_window->setLanguage(o.language);
        if (!o.size.isEmpty())
            m_window->resize(o.size);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        ASSERT_TRUE(m_window->openDrawing(m_drawingPath));
        ASSERT_TRUE(waitUntilOpened());
    }

    // Closes the window without asking about unsaved changes.
    void closeWindow()
    {
        if (m_window)
            m_window->setSaveQuestion([] { return QMessageBox::Discard; });
        m_window.reset();
    }

    // Waits for a drawing being opened in slices; true at once when none is.
    bool waitUntilOpened(int milliseconds = 120000)
    {
        QSignalSpy opened(m_window.get(), &CZunHostWindow::drawingOpened);
        return !m_window->isOpening() || opened.wait(milliseconds);
    }

    QString drawingPath() const { return m_drawingPath; }

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

    QString m_drawingPath;
    QStringList m_messages;
    std::unique_ptr<CZunHostWindow> m_window;
    bool m_sawDialog = false;
};

// The box of the pixels that differ from the picture's top left corner
// (its background), and how many there are.
inline QRect inkBox(const QImage& image)
{
    const QRgb background = image.pixel(0, 0);
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

inline int inkPixels(const QImage& image)
{
    const QRgb background = image.pixel(0, 0);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += image.pixel(x, y) != background;
    return ink;
}

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Turns the wheel over the viewer by notches (positive: in).
inline void turnWheel(QWidget* viewer, const QPoint& at, int notches)
{
    for (int i = 0; i < std::abs(notches); ++i) {
        QWheelEvent wheel(QPointF(at), QPointF(viewer->mapToGlobal(at)), QPoint(), QPoint(0, notches > 0 ? 120 : -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer, &wheel);
    }
}
