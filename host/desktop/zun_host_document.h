#pragma once

#include "contracts/data/zun_data_item.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

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

    // A drawing was opened from path: no steps, nothing modified.
    void opened(const QString& path);
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

signals:
    // A part's data changed (by a step, its undo or its redo).
    void partChanged(const QString& handle);
    void modifiedChanged(bool modified);

private:
    friend class CPartDataStep;
    void applyPartData(const QString& handle, const CZunDataItem& data);

    QUndoStack m_undo;
    QString m_path;
};
