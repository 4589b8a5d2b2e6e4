#include "host/desktop/zun_view_memory.h"

#include "host/desktop/zun_view_navigation.h"
#include "render/qt/zun_dplist_image.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

QString CZunSavedView::toString() const
{
    const auto number = [](double v) { return QString::number(v, 'g', 17); };
    return QStringList{direction, number(lo.x), number(lo.y), number(hi.x), number(hi.y)}.join(QLatin1Char(';'));
}

CZunSavedView CZunSavedView::fromString(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(';'));
    if (parts.size() != 5)
        return {};
    double v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i + 1].toDouble(&ok);
        if (!ok || !std::isfinite(v[i]))
            return {};
    }
    CZunSavedView view{parts[0], CZunPoint3d(v[0], v[1], 0.0), CZunPoint3d(v[2], v[3], 0.0)};
    return view.isValid() ? view : CZunSavedView{};
}

CZunSavedView zunViewOfViewer(const CZunDplistImage& viewer, const QString& direction)
{
    const CZunGDX* list = viewer.get_dpList();
    if (!list)
        return {};
    // The window's corners taken back through the zoom and the fit.
    CZunMatrix3d back;
    if (!(list->zoomMtxGet() * list->viewMtxGet()).inverse(back))
        return {};
    const CZunPoint3d a = back * CZunPoint3d(0.0, 0.0, 0.0);
    const CZunPoint3d b = back * CZunPoint3d(viewer.width(), viewer.height(), 0.0);
    CZunSavedView view{direction, CZunPoint3d(std::min(a.x, b.x), std::min(a.y, b.y), 0.0),
                       CZunPoint3d(std::max(a.x, b.x), std::max(a.y, b.y), 0.0)};
    return view.isValid() ? view : CZunSavedView{};
}

bool zunShowSavedView(const CZunSavedView& view, const CZunDplistImage& viewer, CZunViewNavigation& navigation)
{
    const CZunGDX* list = viewer.get_dpList();
    if (!list || !view.isValid())
        return false;
    const CZunMatrix3d& fit = list->viewMtxGet();
    const CZunPoint3d a = fit * view.lo;
    const CZunPoint3d b = fit * view.hi;
    return navigation.zoomToRect(QRectF(QPointF(a.x, a.y), QPointF(b.x, b.y)).normalized());
}
