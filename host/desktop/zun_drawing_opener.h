#pragma once

#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_drawing_reader.h"
#include "contracts/data/zun_part_keys.h"
#include "host/desktop/zun_group_culling.h"
#include "host/desktop/zun_host_scene.h"
#include "host/desktop/zun_host_texts.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

class QLabel;
class QProgressBar;
class QToolButton;

// Opens a drawing without holding up the window. Everything that grows
// with the drawing is done a little per turn of the event loop, each turn
// at most a slice of time long and at most a number of parts (or, at the
// end, of items) large: the parts are read from the file one at a time
// and drawn into the overview as they come, and the list the viewer will
// show is copied from the overview and measured in pieces. Until all is
// done the drawing open before stays the current one; the new drawing is
// made current only for the length of a slice, because the generators look
// parts up in the current drawing. Cancelling, or a part the file holds
// malformed, drops the new drawing and leaves the old one as it was. All
// of it runs on the thread of the module's objects.
class CZunDrawingOpener : public QObject {
    Q_OBJECT
public:
    explicit CZunDrawingOpener(QObject* parent = nullptr);
    ~CZunDrawingOpener() override;

    // Reads the file's envelope, notes where its parts stand and builds the
    // first slice at once; a drawing of no more parts than atOnce() is
    // built whole, so that it is open (finished emitted) before this
    // returns, as callers of a small drawing expect. False, with the reason
    // in error and nothing started, when the file cannot be read. An open
    // still under way is cancelled first.
    bool start(const QString& path, ZUN::CDataFileError* error);
    // Drops the drawing being opened; emits cancelled when one was.
    void cancel();
    bool isRunning() const { return m_builder != nullptr && !m_done; }

    // The longest time a slice works (one part may take longer).
    void setSlice(std::chrono::milliseconds slice) { m_slice = slice; }
    // The most parts a slice reads and draws, and the most items of the
    // overview it copies for the viewer.
    void setSliceParts(int parts) { m_sliceParts = std::max(1, parts); }
    void setSliceItems(int items) { m_sliceItems = std::max(1, items); }
    // Drawings of up to this many parts are drawn in one go.
    void setAtOnce(int parts) { m_atOnce = parts; }
    int atOnce() const { return m_atOnce; }
    // The view direction the viewer's copy of the overview is measured in;
    // the window's, when the open starts.
    void setViewDirection(const QString& name) { m_direction = name; }

    const QString& path() const { return m_path; }
    int partsDone() const;
    int partCount() const;

    // What the slices of the last open did: their number, and the most
    // parts and items one of them took on.
    struct SliceStats {
        int slices = 0;
        int mostParts = 0;
        int mostItems = 0;
    };
    const SliceStats& sliceStats() const { return m_stats; }

    // After finished: makes the new drawing the current one and hands out
    // its overview, its parts and the viewer's copy of the overview with
    // the view direction it was measured in and its groups' boxes, and the
    // parts' warnings (keys of the wrong kind), gathered as they were read. The drawing open before is
    // dropped.
    void adopt(CZunGDX& overview, std::vector<CZunOverviewEntry>& entries, CZunGDX* shown = nullptr,
               QString* shownDirection = nullptr, CZunGroupCulling* shownCulling = nullptr,
               std::vector<ZUN::CPartKeyWarning>* warnings = nullptr);

signals:
    void progress(int done, int total);
    // The overview is complete: adopt() takes it.
    void finished();
    void cancelled();
    // A part could not be read; the drawing open before stays.
    void failed(const QString& reason);

private:
    // Works for one slice (to the end when whole); true when the open is
    // complete, false when there is more to do or it failed (m_builder
    // gone).
    bool buildSlice(bool whole = false);
    // One part read and drawn, or one piece of the viewer's copy made;
    // the parts and items it took go to parts and items.
    bool step(int& parts, int& items);
    void runSlice(bool whole = false);
    void fail(const ZUN::CDataFileError& error);
    void reset();
    void noteWarnings(const ZUN::CZunPart& part, const CZunString& file);

    ZUN::CZunDrawingReader m_reader;
    std::unique_ptr<ZUN::CZunDrawing> m_drawing;
    std::unique_ptr<CZunOverviewBuilder> m_builder;
    // The viewer's copy of the overview and how far it has come.
    CZunGDX m_shown;
    CZunGroupCulling m_culling;
    int m_copied = 0;
    QString m_direction = QStringLiteral("P");
    QString m_path;
    std::chrono::milliseconds m_slice{40};
    int m_sliceParts = 64;
    // Copying and measuring this many items takes a few milliseconds.
    int m_sliceItems = 20000;
    // A few dozen parts draw in well under a second.
    int m_atOnce = 32;
    bool m_done = false;
    // A part that could not be read in the slice under way.
    bool m_failed = false;
    ZUN::CDataFileError m_failure;
    SliceStats m_stats;
    std::vector<ZUN::CPartKeyWarning> m_warnings;
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
