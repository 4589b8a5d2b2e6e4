#pragma once

#include "contracts/data/zun_data_item.h"
#include "host/desktop/zun_hole_rows.h"
#include "host/desktop/zun_host_texts.h"

#include <QDialog>

#include <memory>

class CZunDplistImage;
class CZunGDX;
class QDialogButtonBox;
class QLabel;
class QTableWidget;

// The host's machining dialog: the drillings of a hole entity in a table
// (position, diameter, depth, countersink, thread), rows to add and remove,
// and beside it the entity drawn by the module's hole generator as it would
// look with the table's values. OK is offered only while every row makes a
// drilling; a row that does not is named below the table.
class CZunHoleDialog : public QDialog {
    Q_OBJECT
public:
    // entityData: the hole entity's data; its "BT" holds the machinings.
    explicit CZunHoleDialog(const CZunDataItem& entityData, QWidget* parent = nullptr);
    ~CZunHoleDialog() override;

    // The entity's data with the table's machinings (valid after OK).
    const CZunDataItem& entityData() const { return m_data; }

    QTableWidget* table() const { return m_table; }
    CZunDplistImage* preview() const { return m_preview; }
    QDialogButtonBox* buttons() const { return m_buttons; }
    QLabel* problem() const { return m_problem; }

    // Rows as the table holds them now.
    QVector<CZunHoleRow> rows() const;
    void addRow();
    void removeSelectedRows();

    // Columns of the table.
    enum Column { kName, kX, kY, kDiameter, kDepth, kSink, kThread, kColumns };

private:
    void buildWidgets();
    void fillTable(const QVector<CZunHoleRow>& rows);
    void appendRow(const CZunHoleRow& row);
    // Takes the table's values: checks them, redraws the preview, and
    // offers OK only when every row makes a drilling.
    void takeValues();
    void showTapDrills();

    CZunDataItem m_data;
    CZunTextBinder m_texts;
    QTableWidget* m_table = nullptr;
    CZunDplistImage* m_preview = nullptr;
    std::unique_ptr<CZunGDX> m_gdx;
    QLabel* m_problem = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    bool m_filling = false;
};
