#include "host/desktop/zun_hole_rows.h"

#include "contracts/data/zun_drill.h"
#include "render/qt/zun_qstring.h"

#include <algorithm>
#include <cmath>

namespace {

const CZunDataKey kType(L"TYPE");
const CZunDataKey kGen(L"GEN");
const CZunDataKey kMatrix(L"MTX");
const CZunDataKey kPos(L"POS");
const CZunString kDrill(L"DRILL");

bool isDrill(const CZunDataItem& entry)
{
    CZunString type;
    return entry.isDir() && entry.get(type, kType) && type == kDrill;
}

double numberAt(const CZunDataItem& gen, const wchar_t* key)
{
    double value = 0.0;
    if (gen.get(value, CZunDataKey(key)))
        return value;
    long whole = 0;
    return gen.get(whole, CZunDataKey(key)) ? static_cast<double>(whole) : 0.0;
}

CZunHoleRow rowOf(const CZunDataItem& entry)
{
    CZunHoleRow row;
    row.key = fromZun(entry.getKey().toString());
    CZunMatrix3d matrix;
    CZunPoint3d pos;
    if (entry.get(matrix, kMatrix)) {
        row.x = matrix.translation().x;
        row.y = matrix.translation().y;
    } else if (entry.get(pos, kPos)) {
        row.x = pos.x;
        row.y = pos.y;
    }
    if (const CZunDataItem* gen = entry.getItem(kGen)) {
        CZunString thread;
        gen->get(thread, CZunDataKey(L"THREAD"));
        row.thread = fromZun(thread);
        row.diameter = numberAt(*gen, L"DIAM");
        row.depth = numberAt(*gen, L"DEPTH");
        row.sinkDiameter = numberAt(*gen, L"SINK_D");
    }
    return row;
}

// The design keys of a row; a zero removes a key that zero means "none" for.
void setDesignKeys(const CZunHoleRow& row, CZunDataItem& gen)
{
    const auto setOrRemove = [&](const wchar_t* key, double value) {
        if (value > 0.0)
            gen.set(value, CZunDataKey(key));
        else
            gen.remove(CZunDataKey(key));
    };
    if (row.thread.trimmed().isEmpty()) {
        gen.remove(CZunDataKey(L"THREAD"));
        gen.set(row.diameter, CZunDataKey(L"DIAM"));
    } else {
        gen.set(toZun(row.thread.trimmed()).c_str(), CZunDataKey(L"THREAD"));
    }
    setOrRemove(L"DEPTH", row.depth);
    setOrRemove(L"SINK_D", row.sinkDiameter);
    if (row.sinkDiameter <= 0.0)
        gen.remove(CZunDataKey(L"SINK_T"));
}

void setPosition(const CZunHoleRow& row, CZunDataItem& entry)
{
    CZunMatrix3d matrix;
    if (entry.get(matrix, kMatrix)) {
        matrix[0][3] = row.x;
        matrix[1][3] = row.y;
        ZUN::dataItemSet(&entry, kMatrix, matrix);
    } else {
        CZunPoint3d pos;
        entry.get(pos, kPos);
        pos.x = row.x;
        pos.y = row.y;
        ZUN::dataItemSet(&entry, kPos, pos);
    }
}

QString freshKey(const CZunDataItem& machinings, int& next)
{
    for (;; ++next) {
        const QString key = QStringLiteral("B%1").arg(next);
        if (!machinings.getItem(CZunDataKey(toZun(key).c_str())))
            return key;
    }
}

bool fail(int* badRow, int row)
{
    if (badRow)
        *badRow = row;
    return false;
}

} // namespace

QVector<CZunHoleRow> zunHoleRowsRead(const CZunDataItem& machinings)
{
    QVector<CZunHoleRow> rows;
    for (int i = 0; i < machinings.childCount(); ++i)
        if (const CZunDataItem* entry = machinings.childAt(i); isDrill(*entry))
            rows.push_back(rowOf(*entry));
    return rows;
}

bool zunHoleRowsWrite(const QVector<CZunHoleRow>& rows, CZunDataItem& machinings, int* badRow)
{
    // Work on a copy: a row that cannot be made leaves everything as it was.
    CZunDataItem result(machinings);
    for (const CZunHoleRow& old : zunHoleRowsRead(machinings)) {
        const bool kept = std::any_of(rows.begin(), rows.end(), [&](const CZunHoleRow& r) { return r.key == old.key; });
        if (!kept)
            result.remove(CZunDataKey(toZun(old.key).c_str()));
    }
    int next = 1;
    for (int i = 0; i < rows.size(); ++i) {
        const CZunHoleRow& row = rows[i];
        if (!std::isfinite(row.x) || !std::isfinite(row.y))
            return fail(badRow, i);
        const QString key = row.key.isEmpty() ? freshKey(result, next) : row.key;
        CZunDataItem* entry = result.mkDir(CZunDataKey(toZun(key).c_str()));
        if (!entry)
            return fail(badRow, i);
        entry->set(kDrill.c_str(), kType);
        setPosition(row, *entry);
        CZunDataItem* gen = entry->mkDir(kGen);
        setDesignKeys(row, *gen);
        if (!ZUN::objGen(gen, 0))
            return fail(badRow, i);
    }
    machinings = result;
    return true;
}
