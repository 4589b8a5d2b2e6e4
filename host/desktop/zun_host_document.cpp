#include "host/desktop/zun_host_document.h"

#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_drawing.h"
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

CZunHostDocument::CZunHostDocument(QObject* parent) : QObject(parent)
{
    connect(&m_undo, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

void CZunHostDocument::opened(const QString& path)
{
    m_path = path;
    m_undo.clear();
    m_undo.setClean();
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
    if (!part || ZUN::dataToJson(part->data, 0) == ZUN::dataToJson(data, 0))
        return false;
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
