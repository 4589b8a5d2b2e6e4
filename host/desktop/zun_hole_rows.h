#pragma once

#include "contracts/data/zun_data_item.h"

#include <QString>
#include <QVector>

// The drillings of a hole entity's machinings ("BT"), one row each, as the
// host's machining dialog edits them. Entries of other kinds (the plate's
// outline, slots) are not rows and are kept as they are.
struct CZunHoleRow {
    QString key;         // the entry's key in the machinings; empty for a new row
    double x = 0.0;      // position in the plate
    double y = 0.0;
    double diameter = 0.0;  // the bore; with a thread, the tap drill follows from it
    double depth = 0.0;     // 0: through the plate
    double sinkDiameter = 0.0;  // countersink at the top face; 0 none
    QString thread;      // "M20", "M10x1.25" or empty

    friend bool operator==(const CZunHoleRow&, const CZunHoleRow&) = default;
};

// The rows of every "DRILL" entry, in key order. The position comes from the
// entry's "MTX" (its translation) when it has one, else from "POS".
QVector<CZunHoleRow> zunHoleRowsRead(const CZunDataItem& machinings);

// Writes rows back: each row's entry gets its position (into "MTX" when it
// has one, else "POS"), its design keys in "GEN" and the derived keys made
// again; entries of drillings without a row are removed; new rows get fresh
// keys ("B1", "B2", ...). Nothing changes and false is returned, with the
// row's index in badRow, when a row's drilling cannot be made (a position
// that is no number, sizes that do not fit, an unknown thread).
bool zunHoleRowsWrite(const QVector<CZunHoleRow>& rows, CZunDataItem& machinings, int* badRow = nullptr);
