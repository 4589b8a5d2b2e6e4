#include "host/desktop/zun_host_document.h"

#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_units.h"
#include "render/qt/zun_qstring.h"

#include <QUndoCommand>

// One changed part: its data before and after, by handle (the part object
// itself may be replaced when the drawing is read again).
class CPartDataStep : public QUndoCommand {
public:
    CPartDataStep(CZunHostDocument& doc, const QString& handle, CZunDataItem before, CZunDataItem after,
                  const QString& what)
        : QUndoCommand(what), m_doc(doc), m_handle(handle), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void redo() override { m_doc.applyPartData(m_handle, m_after); }
    void undo() override { m_doc.applyPartData(m_handle, m_before); }

private:
    CZunHostDocument& m_doc;
    QString m_handle;
    CZunDataItem m_before;
    CZunDataItem m_after;
};

// Several parts changed at once: their data before and after.
class CPartsDataStep : public QUndoCommand {
public:
    using Change = std::pair<CZunDataItem, CZunDataItem>;
    CPartsDataStep(CZunHostDocument& doc, std::map<QString, Change> changes, const QString& what)
        : QUndoCommand(what), m_doc(doc), m_changes(std::move(changes))
    {
    }
    void redo() override
    {
        for (const auto& [handle, change] : m_changes)
            m_doc.applyPartData(handle, change.second);
    }
    void undo() override
    {
        for (const auto& [handle, change] : m_changes)
            m_doc.applyPartData(handle, change.first);
    }

private:
    CZunHostDocument& m_doc;
    std::map<QString, Change> m_changes;
};

// A new part: added by redo, removed again by undo.
class CAddPartStep : public QUndoCommand {
public:
    CAddPartStep(CZunHostDocument& doc, const QString& handle, const QString& type, const QString& name,
                 CZunDataItem data, const QString& what)
        : QUndoCommand(what), m_doc(doc), m_handle(handle), m_type(type), m_name(name), m_data(std::move(data))
    {
    }
    void redo() override { m_doc.insertPart(m_handle, m_type, m_name, m_data); }
    void undo() override { m_doc.erasePart(m_handle); }

private:
    CZunHostDocument& m_doc;
    QString m_handle;
    QString m_type;
    QString m_name;
    CZunDataItem m_data;
};

class CDisplayUnitStep : public QUndoCommand {
public:
    CDisplayUnitStep(CZunHostDocument& doc, int before, int after, const QString& what)
        : QUndoCommand(what), m_doc(doc), m_before(before), m_after(after)
    {
    }
    void redo() override { m_doc.applyDisplayUnit(m_after); }
    void undo() override { m_doc.applyDisplayUnit(m_before); }

private:
    CZunHostDocument& m_doc;
    int m_before;
    int m_after;
};

namespace {

bool sameData(const CZunDataItem& a, const CZunDataItem& b)
{
    return ZUN::dataToJson(a, 0) == ZUN::dataToJson(b, 0);
}

} // namespace

CZunHostDocument::CZunHostDocument(QObject* parent) : QObject(parent)
{
    connect(&m_undo, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

void CZunHostDocument::opened(const QString& path, int displayUnit)
{
    m_path = path;
    m_outside.reset();
    m_undo.clear();
    m_undo.setClean();
    applyDisplayUnit(displayUnit > 0 && displayUnit < ZUN::kUnitCount ? displayUnit : ZUN::drawingCurrent().unit());
}

bool CZunHostDocument::save(const QString& path, QString* error)
{
    CZunString reason;
    if (!ZUN::drawingCurrent().save(toZun(path), &reason)) {
        if (error)
            *error = fromZun(reason);
        return false;
    }
    m_path = path;
    m_undo.setClean();
    return true;
}

bool CZunHostDocument::setPartData(const QString& handle, const CZunDataItem& data, const QString& what)
{
    const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(handle));
    if (!part || sameData(part->data, data))
        return false;
    if (m_outside) {
        // Part of the outside edit's one step, made when it ends.
        applyPartData(handle, data);
        return true;
    }
    m_undo.push(new CPartDataStep(*this, handle, part->data, data, what));
    return true;
}

void CZunHostDocument::applyPartData(const QString& handle, const CZunDataItem& data)
{
    ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(handle));
    if (!part)
        return;
    part->data = data;
    emit partChanged(handle);
}

QString CZunHostDocument::newHandle() const
{
    // Handles are hexadecimal like the drawing's own; new ones start
    // above the sample range so that they stand out in a saved file.
    const ZUN::CZunDrawing& drawing = ZUN::drawingCurrent();
    for (unsigned n = 0x1000;; ++n) {
        const QString handle = QString::number(n, 16).toUpper();
        if (!drawing.partByHandle(toZun(handle)))
            return handle;
    }
}

QString CZunHostDocument::addPart(const QString& type, const QString& name, const CZunDataItem& data,
                                  const QString& what)
{
    if (type.isEmpty())
        return QString();
    const QString handle = newHandle();
    m_undo.push(new CAddPartStep(*this, handle, type, name, data, what));
    return ZUN::drawingCurrent().partByHandle(toZun(handle)) ? handle : QString();
}

void CZunHostDocument::insertPart(const QString& handle, const QString& type, const QString& name,
                                  const CZunDataItem& data)
{
    ZUN::CZunPart* part = ZUN::drawingCurrent().addPart(toZun(handle), toZun(type), data);
    if (!part)
        return;
    part->name = toZun(name);
    emit partAdded(handle);
}

void CZunHostDocument::erasePart(const QString& handle)
{
    if (ZUN::drawingCurrent().removePart(toZun(handle)))
        emit partRemoved(handle);
}

bool CZunHostDocument::setDisplayUnit(int unit, const QString& what)
{
    if (unit < 1 || unit >= ZUN::kUnitCount || unit == m_displayUnit)
        return false;
    m_undo.push(new CDisplayUnitStep(*this, m_displayUnit, unit, what));
    return true;
}

void CZunHostDocument::applyDisplayUnit(int unit)
{
    if (unit == m_displayUnit)
        return;
    m_displayUnit = unit;
    emit displayUnitChanged(unit);
}

void CZunHostDocument::beginOutsideEdit()
{
    std::map<QString, CZunDataItem> before;
    const ZUN::CZunDrawing& drawing = ZUN::drawingCurrent();
    for (int i = 0; i < drawing.partCount(); ++i)
        before.emplace(fromZun(drawing.part(i)->handle), drawing.part(i)->data);
    m_outside = std::move(before);
}

bool CZunHostDocument::endOutsideEdit(const QString& what, bool keep)
{
    if (!m_outside)
        return false;
    std::map<QString, CPartsDataStep::Change> changes;
    for (auto& [handle, before] : *m_outside) {
        const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(toZun(handle));
        if (part && !sameData(part->data, before))
            changes.emplace(handle, CPartsDataStep::Change(std::move(before), part->data));
    }
    m_outside.reset();
    if (changes.empty())
        return false;
    if (!keep) {
        for (const auto& [handle, change] : changes)
            applyPartData(handle, change.first);
        return false;
    }
    // The parts already hold the new data: the step's first redo only
    // tells the views again.
    m_undo.push(new CPartsDataStep(*this, std::move(changes), what));
    return true;
}
