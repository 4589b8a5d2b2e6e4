#include "host/desktop/zun_measure_tool.h"

#include "gdx/zun_gdx.h"
#include "host/desktop/zun_host_texts.h"
#include "render/qt/zun_dplist_image.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <cmath>
#include <numbers>

namespace T = ZunHostTexts;

namespace {

const QColor kMarkColor(255, 128, 0);
constexpr int kMarkRadius = 6;

QPointF screenOf(const CZunGDX& list, const CZunPoint3d& world)
{
    const CZunPoint3d s = list.windowToWorldMtx().inverse() * world;
    return {s.x, s.y};
}

// The snap marks: a square for ends, a cross for crossings, a circle for
// centres and a triangle for midpoints.
void drawMark(QPainter& painter, CZunSnapKind kind, const QPointF& at)
{
    const double r = kMarkRadius;
    switch (kind) {
    case CZunSnapKind::End:
        painter.drawRect(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r));
        break;
    case CZunSnapKind::Intersection:
        painter.drawLine(at + QPointF(-r, -r), at + QPointF(r, r));
        painter.drawLine(at + QPointF(-r, r), at + QPointF(r, -r));
        break;
    case CZunSnapKind::Center:
        painter.drawEllipse(at, r, r);
        break;
    case CZunSnapKind::Mid: {
        const QPointF triangle[] = {at + QPointF(0, -r), at + QPointF(r, r), at + QPointF(-r, r)};
        painter.drawPolygon(triangle, 3);
        break;
    }
    case CZunSnapKind::None:
        break;
    }
}

const CZunHostText& snapName(CZunSnapKind kind)
{
    switch (kind) {
    case CZunSnapKind::Intersection:
        return T::kSnapIntersection;
    case CZunSnapKind::Center:
        return T::kSnapCenter;
    case CZunSnapKind::Mid:
        return T::kSnapMid;
    default:
        return T::kSnapEnd;
    }
}

} // namespace

// Drawn over the viewer: the snap mark under the cursor, the line from the
// start point and the measured line. Mouse events pass through it.
class CZunMeasureTool::Overlay : public QWidget {
public:
    Overlay(CZunMeasureTool& tool, QWidget* viewer) : QWidget(viewer), m_tool(tool)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(viewer->rect());
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const CZunGDX* list = m_tool.m_viewer ? m_tool.m_viewer->get_dpList() : nullptr;
        if (!list)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(kMarkColor, 2));
        const CZunSnap& snap = m_tool.m_snap;
        const QPointF cursor = snap ? QPointF(snap.screen.x, snap.screen.y) : m_tool.m_cursor;
        if (const auto& result = m_tool.m_result) {
            drawMeasured(painter, screenOf(*list, result->from), screenOf(*list, result->to));
        } else if (const auto& start = m_tool.m_start) {
            painter.setPen(QPen(kMarkColor, 1, Qt::DashLine));
            painter.drawLine(screenOf(*list, *start), cursor);
            painter.setPen(QPen(kMarkColor, 2));
        }
        if (snap) {
            drawMark(painter, snap.kind, cursor);
            painter.drawText(cursor + QPointF(kMarkRadius + 4, -kMarkRadius - 2), zunHostText(snapName(snap.kind)));
        }
    }

private:
    void drawMeasured(QPainter& painter, const QPointF& from, const QPointF& to)
    {
        painter.drawLine(from, to);
        painter.drawEllipse(from, 3, 3);
        painter.drawEllipse(to, 3, 3);
        const Format& format = m_tool.m_format;
        if (!format.length)
            return;
        const QString unit = format.unit ? format.unit() : QString();
        const QString label = (format.length(m_tool.m_result->distance) + QLatin1Char(' ') + unit).trimmed();
        const QRectF box = painter.fontMetrics().boundingRect(label).adjusted(-3, -2, 3, 2);
        const QRectF placed = box.translated((from + to) / 2 - box.center() + QPointF(0, -box.height()));
        painter.fillRect(placed, QColor(255, 255, 255, 220));
        painter.drawText(placed, Qt::AlignCenter, label);
    }

    CZunMeasureTool& m_tool;
};

CZunMeasureTool::Result CZunMeasureTool::measure(const CZunPoint3d& from, const CZunPoint3d& to)
{
    Result r;
    r.from = from;
    r.to = to;
    r.dx = to.x - from.x;
    r.dy = to.y - from.y;
    r.distance = from.distanceTo(to);
    double angle = std::atan2(r.dy, r.dx) * 180.0 / std::numbers::pi;
    if (angle < 0.0)
        angle += 360.0;
    // -0.0 and values that round to 360 read as 0.
    r.angle = angle >= 360.0 - 1e-9 || r.distance == 0.0 ? 0.0 : angle;
    return r;
}

CZunMeasureTool::CZunMeasureTool(CZunDplistImage* viewer)
    : QObject(viewer), m_viewer(viewer), m_watched(viewer), m_overlay(new Overlay(*this, viewer))
{
    viewer->installEventFilter(this);
}

CZunMeasureTool::~CZunMeasureTool() = default;

void CZunMeasureTool::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    m_snap = CZunSnap();
    m_start.reset();
    m_result.reset();
    m_overlay->setVisible(active);
    if (m_viewer) {
        if (active) {
            m_viewer->setCursor(Qt::CrossCursor);
            m_viewer->setMouseTracking(true);
            m_viewer->setFocus(Qt::OtherFocusReason);
        } else {
            m_viewer->unsetCursor();
        }
    }
    emit activeChanged(active);
    changed();
}

QString CZunMeasureTool::text() const
{
    if (!m_active)
        return QString();
    if (m_result) {
        const auto length = [this](double v) { return m_format.length ? m_format.length(v) : QString::number(v); };
        const auto number = [this](double v) { return m_format.number ? m_format.number(v) : QString::number(v); };
        const QString unit = m_format.unit ? m_format.unit() : QString();
        const QString distance = (length(m_result->distance) + QLatin1Char(' ') + unit).trimmed();
        return zunHostText(T::kMeasureResult)
            .arg(distance, length(m_result->dx), length(m_result->dy), number(m_result->angle));
    }
    return zunHostText(m_start ? T::kMeasureSecond : T::kMeasureFirst);
}

CZunPoint3d CZunMeasureTool::pointAt(const QPointF& at)
{
    const CZunGDX* list = m_viewer ? m_viewer->get_dpList() : nullptr;
    if (!list)
        return {};
    m_snap = m_finder.find(*list, at.x(), at.y(), kAperture);
    return m_snap ? m_snap.point : CZunSnapFinder::modelPoint(*list, at.x(), at.y());
}

void CZunMeasureTool::hover(const QPointF& at)
{
    m_cursor = at;
    forgetIfListChanged();
    pointAt(at);
    m_overlay->update();
}

void CZunMeasureTool::click(const QPointF& at)
{
    forgetIfListChanged();
    const CZunPoint3d p = pointAt(at);
    if (!m_start || m_result) {
        m_start = p;
        m_result.reset();
    } else {
        m_result = measure(*m_start, p);
    }
    if (m_viewer && m_viewer->get_dpList())
        m_listContent = m_viewer->get_dpList()->contentChangeCountGet();
    m_overlay->update();
    changed();
}

bool CZunMeasureTool::escape()
{
    if (m_start && !m_result) {
        m_start.reset();
        m_overlay->update();
        changed();
    } else {
        setActive(false);
    }
    return true;
}

// Points taken on another drawing or part mean nothing on this one.
void CZunMeasureTool::forgetIfListChanged()
{
    const CZunGDX* list = m_viewer ? m_viewer->get_dpList() : nullptr;
    if ((m_start || m_result) && (!list || list->contentChangeCountGet() != m_listContent)) {
        m_start.reset();
        m_result.reset();
        changed();
    }
}

void CZunMeasureTool::changed()
{
    emit textChanged(text());
}

bool CZunMeasureTool::eventFilter(QObject* watched, QEvent* event)
{
    // Compared as an object: while the viewer is being destroyed it is no
    // longer a viewer, and its children's removal still comes through here.
    if (watched != m_watched)
        return false;
    if (event->type() == QEvent::Resize)
        m_overlay->setGeometry(m_viewer->rect());
    if (!m_active)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        hover(static_cast<QMouseEvent*>(event)->position());
        return false;  // the viewer pans and the window shows the cursor
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (event->type() == QEvent::MouseButtonPress)
            click(mouse->position());
        return true;  // measuring, not picking
    }
    case QEvent::ToolTip:
        return true;  // the viewer's tip speaks of picking, and hides the marks
    case QEvent::ShortcutOverride:
        // Esc belongs to measuring while it runs, before any shortcut.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        return false;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            return escape();
        return false;
    default:
        return false;
    }
}
