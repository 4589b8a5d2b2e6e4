#include "host/desktop/zun_host_pick_info.h"

#include "contracts/data/zun_msg.h"
#include "host/desktop/zun_host_texts.h"
#include "render/qt/zun_qstring.h"

#include <QStringList>

namespace T = ZunHostTexts;

namespace {

// The text with its "%1" (a sub-part's name) filled in, or dropped with
// the space before it when the group has no name.
QString withName(const CZunHostText& text, const QString& name)
{
    QString pattern = zunHostText(text);
    if (name.isEmpty())
        return pattern.replace(QStringLiteral(" %1"), QString());
    return pattern.replace(QStringLiteral("%1"), name);
}

QString numberList(const CZunArrayTempl<double>& values, const std::function<QString(double)>& length)
{
    QStringList parts;
    for (double v : values)
        parts.append(length(v));
    return parts.join(QStringLiteral(" × "));
}

QString shellText(const CZunDataItem& info, const QString& language, const std::function<QString(double)>& length)
{
    CZunString name, pattern;
    double thick = 0.0;
    info.get(name, L"NAME");
    info.get(thick, L"THICK");
    info.get(pattern, L"HPNAME");
    return withName(T::kShellInfo, fromZun(ZUN::label_get(name, toZun(language))))
        .arg(length(thick), fromZun(pattern));
}

QString drillText(const CZunDataItem& info, const std::function<QString(double)>& length)
{
    CZunString key, thread;
    info.get(key, L"NAME");
    double diameter = 0.0, depth = 0.0;
    info.get(diameter, L"GEN\\DIAM");
    info.get(depth, L"GEN\\LEN");
    if (info.get(thread, L"GEN\\THREAD") && !thread.isEmpty())
        return withName(T::kThreadInfo, fromZun(key)).arg(fromZun(thread), length(diameter), length(depth));
    return withName(T::kDrillInfo, fromZun(key)).arg(length(diameter), length(depth));
}

QString outlineText(const CZunDataItem& info, const std::function<QString(double)>& length)
{
    CZunString key;
    info.get(key, L"NAME");
    int outline = 0;
    info.get(outline, L"GEN\\OUTLINE");
    CZunArrayTempl<double> parameters;
    info.get(parameters, L"GEN\\PARM");
    return withName(T::kOutlineInfo, fromZun(key)).arg(outline).arg(numberList(parameters, length));
}

QString contoursText(const CZunDataItem& info)
{
    CZunString key;
    info.get(key, L"NAME");
    CZunContourSet contours;
    info.get(contours, L"GEN");
    return withName(T::kContoursInfo, fromZun(key)).arg(contours.len());
}

} // namespace

QString zunGroupInfoText(const CZunDataItem& info, int group, const QString& language,
                         const std::function<QString(double)>& length)
{
    const CZunDataItem* about = info.getItem(CZunDataKey(group));
    if (!about || !about->isDir())
        return QString();
    CZunString type;
    about->get(type, L"TYPE");
    if (type == L"SHELL")
        return shellText(*about, language, length);
    if (type == L"DRILL")
        return drillText(*about, length);
    if (type == L"OUTLINE")
        return outlineText(*about, length);
    if (type == L"CONTOURS")
        return contoursText(*about);
    return QString();
}
