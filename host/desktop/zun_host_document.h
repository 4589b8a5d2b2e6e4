#pragma once

#include "contracts/data/zun_data_item.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <map>
#include <optional>

// The open drawing as the desktop host edits it: every change made through
// a dialog goes through here as one step of the undo stack, and the
// drawing is saved only as a whole file replaced in one step. The drawing
// itself is the module's current drawing (ZUN::drawingCurrent()); this
// object adds what editing needs around it.
class CZunHostDocument : public QObject {
    Q_OBJECT
public:
    explicit CZunHostDocument(QObject* parent = nullptr);

    QUndoStack* undoStack() { return &m_undo; }
    // True while there are changes since the drawing was opened or saved.
    bool isModified() const { return !m_undo.isClean(); }

    // A drawing was opened from path: no steps, nothing modified; lengths
    // are shown in displayUnit (0: the drawing's own unit).
    void opened(const QString& path, int displayUnit = 0);
    // The file the drawing came from or was last saved to.
    const QString& path() const { return m_path; }

    // Writes the drawing to path: to a temporary file first, then renamed
    // over the old one, so that a failed write (an unwritable folder, a
    // full disk) leaves the file on disk as it was. On success the drawing
    // counts as unmodified and path becomes its file.
    bool save(const QString& path, QString* error = nullptr);

    // Replaces the data of the part with that handle, as one undoable step
    // named what. False, and no step, for an unknown part or unchanged data.
    bool setPartData(const QString& handle, const CZunDataItem& data, const QString& what);

    // Adds a part under a new handle as one step named what; the handle,
    // or empty when the drawing refused the part.
    QString addPart(const QString& type, const QString& name, const CZunDataItem& data, const QString& what);

    // The unit the host shows lengths in (cursor coordinates); the
    // drawing's own unit until changed. Changing it is one step; false, and
    // no step, for the same unit or no unit 1..20.
    int displayUnit() const { return m_displayUnit; }
    bool setDisplayUnit(int unit, const QString& what);

    // A module that writes parts itself (through the entity data, outside
    // this object) is run between these two calls: whatever it changed in
    // the parts becomes one step named what when keep is true, and is
    // taken back when keep is false. Changes made through setPartData in
    // between belong to the same step. True when a step was made.
    void beginOutsideEdit();
    bool endOutsideEdit(const QString& what, bool keep);
    bool inOutsideEdit() const { return m_outside.has_value(); }

signals:
    // A part's data changed (by a step, its undo or its redo).
    void partChanged(const QString& handle);
    void modifiedChanged(bool modified);
    // A part came (by a step or its redo) or went (by its undo).
    void partAdded(const QString& handle);
    void partRemoved(const QString& handle);
    void displayUnitChanged(int unit);

private:
    friend class CPartDataStep;
    friend class CPartsDataStep;
    friend class CAddPartStep;
    friend class CDisplayUnitStep;
    void applyPartData(const QString& handle, const CZunDataItem& data);
    void insertPart(const QString& handle, const QString& type, const QString& name, const CZunDataItem& data);
    void erasePart(const QString& handle);
    void applyDisplayUnit(int unit);
    QString newHandle() const;

    QUndoStack m_undo;
    QString m_path;
    int m_displayUnit = 4;
    // The parts' data when an outside edit began, by handle.
    std::optional<std::map<QString, CZunDataItem>> m_outside;
};
