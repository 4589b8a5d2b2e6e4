#pragma once

// Points of a shown display list that tests click on, worked out with Qt's
// own geometry rather than the host's picker.

#include "contracts/base/zun_polyline.h"
#include "gdx/zun_gdx.h"

#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPoint>
#include <QSize>

#include <map>

// The window points of the list's filled or hatched areas that lie well
// inside one of them (by Qt's own even-odd test of the contours, at least
// margin pixels from every edge), one per group; worked out without the
// host's picker.
inline std::map<int, QPoint> pointsInsideAreas(const CZunGDX& list, QSize size, double margin)
{
    const CZunMatrix3d screen =
        list.zoomMtxGet() * list.viewMtxGet() * list.projMtxGet() * list.viewDirectionMtxGet();
    std::map<int, QPoint> found;
    const auto& items = list.getDisplayList();
    for (int i = 0; i < items.len(); ++i) {
        const CZunDisplayItem& it = items.get(i);
        if (it.type != objReg || !(it.flag & (gdxFlagFill | gdxFlagHatch)) || found.count(it.stack.get(0)))
            continue;
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const CZunVertexArray& contour : it.reg) {
            QPolygonF polygon;
            for (const CZunVertex& v : ZUN::g_vl_expl(contour, 0.1)) {
                const CZunPoint3d p = screen * it.mtx * v.start();
                polygon << QPointF(p.x, p.y);
            }
            path.addPolygon(polygon);
            path.closeSubpath();
        }
        QPainterPathStroker stroker;
        stroker.setWidth(2 * margin);
        const QPainterPath edges = stroker.createStroke(path);
        const QRect box = path.boundingRect().toAlignedRect() & QRect(QPoint(0, 0), size);
        for (int y = box.top(); y <= box.bottom() && !found.count(it.stack.get(0)); y += 3)
            for (int x = box.left(); x <= box.right(); x += 3)
                if (path.contains(QPointF(x, y)) && !edges.contains(QPointF(x, y))) {
                    found[it.stack.get(0)] = QPoint(x, y);
                    break;
                }
    }
    return found;
}

