#pragma once

#include "host/desktop/zun_snap.h"

#include <QObject>
#include <QPointF>
#include <QPointer>

#include <functional>
#include <optional>

class CZunDplistImage;
class CZunGDX;
class QWidget;

// Measuring in the viewer: while active, the cursor snaps to end points,
// midpoints, centres and crossings within a few pixels (marked on the
// picture), the first click takes the start, the second the end, and the
// distance, its x and y parts and the angle against the x axis are told
// in the drawing's unit and number format. Wheel zoom and middle-button
// pan go on working; left clicks measure instead of picking. Esc drops the
// start point, or ends measuring when there is none.
class CZunMeasureTool : public QObject {
    Q_OBJECT
public:
    // Pixels the snap reaches from the cursor, at any zoom.
    static constexpr double kAperture = 8.0;

    struct Result {
        CZunPoint3d from;
        CZunPoint3d to;
        double distance = 0.0;
        double dx = 0.0;
        double dy = 0.0;
        double angle = 0.0;  // degrees, counter-clockwise from the x axis, in [0, 360)
    };
    static Result measure(const CZunPoint3d& from, const CZunPoint3d& to);

    explicit CZunMeasureTool(CZunDplistImage* viewer);
    ~CZunMeasureTool() override;

    bool isActive() const { return m_active; }
    void setActive(bool active);

    // How results are written: a length of the drawing (in its own unit) as
    // it is shown, with the unit's abbreviation; a plain number (angles).
    struct Format {
        std::function<QString(double)> length;
        std::function<QString()> unit;
        std::function<QString(double)> number;
    };
    void setFormat(Format format) { m_format = std::move(format); }

    // The snap under the cursor now, the start point taken, the last result.
    const CZunSnap& snap() const { return m_snap; }
    const std::optional<CZunPoint3d>& start() const { return m_start; }
    const std::optional<Result>& result() const { return m_result; }
    // The text of the last result, or the prompt for the next click.
    QString text() const;

    // The model point under a window point: the snap there, if any.
    CZunPoint3d pointAt(const QPointF& at);

signals:
    void activeChanged(bool active);
    // The text to show changed (a prompt or a result).
    void textChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Overlay;
    void click(const QPointF& at);
    void hover(const QPointF& at);
    bool escape();
    void forgetIfListChanged();
    void changed();

    QPointer<CZunDplistImage> m_viewer;
    const QObject* m_watched = nullptr;
    Overlay* m_overlay = nullptr;
    CZunSnapFinder m_finder;
    CZunSnap m_snap;
    QPointF m_cursor;
    std::optional<CZunPoint3d> m_start;
    std::optional<Result> m_result;
    std::uint64_t m_listContent = 0;  // the list's content when the points were taken
    Format m_format;
    bool m_active = false;
};
