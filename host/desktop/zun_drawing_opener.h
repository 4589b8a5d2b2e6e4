#pragma once

#include "contracts/data/zun_drawing.h"
#include "host/desktop/zun_host_scene.h"
#include "host/desktop/zun_host_texts.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QWidget>

#include <chrono>
#include <memory>
#include <vector>

class QLabel;
class QProgressBar;
class QToolButton;

namespace ZunHostTexts {
inline constexpr CZunHostText kOpeningParts{"ZUN_HOST_0101", "Öffne %1: %2 von %3 Teilen"};
inline constexpr CZunHostText kCancelOpening{"ZUN_HOST_0102", "Abbrechen"};
inline constexpr CZunHostText kOpeningCancelled{"ZUN_HOST_0103",
                                                "Öffnen abgebrochen: %1. Die offene Zeichnung bleibt unverändert."};
inline constexpr CZunHostText kSearchParts{"ZUN_HOST_0104", "Teile suchen (Name oder Typ)"};
} // namespace ZunHostTexts

// Opens a drawing without holding up the window: the file is read at once,
// its overview is built a few parts per turn of the event loop, each turn
// at most a slice of time long. Until the overview is complete the drawing
// open before stays the current one; the new drawing is made current only
// for the length of a slice, because the generators look parts up in the
// current drawing. Cancelling drops the new drawing and leaves the old one
// as it was. All of it runs on the thread of the module's objects.
class CZunDrawingOpener : public QObject {
    Q_OBJECT
public:
    explicit CZunDrawingOpener(QObject* parent = nullptr);
    ~CZunDrawingOpener() override;

    // Reads the file and builds the first slice at once; a drawing of no
    // more parts than atOnce() is built whole, so that it is open
    // (finished emitted) before this returns, as callers of a small
    // drawing expect. False, with the reason in error and nothing started,
    // when the file cannot be read. An open still under way is cancelled
    // first.
    bool start(const QString& path, ZUN::CDataFileError* error);
    // Drops the drawing being opened; emits cancelled when one was.
    void cancel();
    bool isRunning() const { return m_builder != nullptr && !m_done; }

    // The longest time a slice builds parts (one part may take longer).
    void setSlice(std::chrono::milliseconds slice) { m_slice = slice; }
    // Drawings of up to this many parts are drawn in one go.
    void setAtOnce(int parts) { m_atOnce = parts; }
    int atOnce() const { return m_atOnce; }

    const QString& path() const { return m_path; }
    int partsDone() const;
    int partCount() const;

    // After finished: makes the new drawing the current one and hands out
    // its overview and parts. The drawing open before is dropped.
    void adopt(CZunGDX& overview, std::vector<CZunOverviewEntry>& entries);

signals:
    void progress(int done, int total);
    // The overview is complete: adopt() takes it.
    void finished();
    void cancelled();

private:
    // Builds for one slice (to the end when whole); true when the
    // overview is complete.
    bool buildSlice(bool whole = false);
    void runSlice(bool whole = false);

    std::unique_ptr<ZUN::CZunDrawing> m_drawing;
    std::unique_ptr<CZunOverviewBuilder> m_builder;
    QString m_path;
    std::chrono::milliseconds m_slice{40};
    // A few dozen parts draw in well under a second.
    int m_atOnce = 32;
    bool m_done = false;
    // Bumped by every start and cancel, so that a slice queued for an
    // earlier open does nothing.
    quint64 m_generation = 0;
};

// The status bar's part of an open under way: what is opened, a bar with
// the parts done, and a button that cancels. Hidden while nothing opens.
class CZunOpenProgress : public QWidget {
    Q_OBJECT
public:
    explicit CZunOpenProgress(CZunDrawingOpener& opener, QWidget* parent = nullptr);

    QProgressBar* bar() const { return m_bar; }
    QToolButton* cancelButton() const { return m_cancel; }
    QString text() const;
    void retranslate();

private:
    void showProgress(int done, int total);

    CZunDrawingOpener& m_opener;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    QToolButton* m_cancel = nullptr;
};
