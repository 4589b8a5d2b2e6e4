#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_map.h"
#include "ui/core/zun_value_field.h"

#include <QComboBox>
#include <QStyledItemDelegate>

#include <cfloat>
#include <functional>

// An editable combo box for numbers: a value typed or picked from the
// list, shown in the display unit. When the box loses the focus its text
// is read and put right without a message: an empty required box takes a
// default (the minimum when the value must not be zero and has a range,
// else 1 when it must not be zero, else 0), a zero that is not allowed
// becomes 1 and a negative one stays, both with a beep, and a value out of
// range is clamped silently. Text that holds no number is replaced like an
// empty text, with a beep. List rows may be tinted (setAltBackgr).
//
// In a template: an editable QComboBox promoted to CZunComboBox (header
// ui/zun_combo_box.h), or replaced with
// ZUN::subclassDlgItem<CZunComboBox>(dialog, id) (ui/zun_subclass.h).
class CZunComboBox : public QComboBox {
    Q_OBJECT

public:
    enum type : int {
        kNone = ZUN::kFieldNone,
        kInteger = ZUN::kFieldInteger,
        kLength = ZUN::kFieldLength,
        kAngle = ZUN::kFieldAngle,
    };

    explicit CZunComboBox(QWidget* parent = nullptr);
    ~CZunComboBox() override;

    // As CZunEdit's, except that any decimals but -1 replace the decimals.
    bool setEditFlags(type kind, unsigned short flags, short decimals = -1, double a = -DBL_MAX,
                      double b = DBL_MAX);
    bool getEditFlags(type& kind, unsigned short& flags, unsigned short& decimals, double& min, double& max) const;
    // Stores the format as given (ZUN::lFormat).
    bool setFormat(int format);
    bool setLUnits(int from, int to);

    // Shows a length or angle (false for other types or a value that cannot
    // be written) or an integer (false unless the type is integer).
    bool setVal(double value);
    bool setVal(int value);
    // The text read as the type's value; false for a plain-text box and a
    // text that holds no number.
    bool getVal(double& value) const;
    bool getVal(int& value) const;
    // Appends (inserts at index; a negative index appends) a list item
    // showing the value; its index, or -1 when the value cannot be shown.
    int AddVal(double value);
    int InsertVal(int index, double value);

    // The list rows drawn with a tinted background.
    void setAltBackgr(const CZunArrayTempl<int>& rows);
    void getAltBackgr(CZunArrayTempl<int>& rows) const;
    bool isAltBackgr(int row) const { return m_altRows.contains(row); }

    // The sound of a corrected entry; QApplication::beep unless replaced
    // (a test counts the beeps of one box). An empty function is silence.
    void setBeep(std::function<void()> beep) { m_beep = std::move(beep); }

    const ZUN::CValueField& valueField() const { return m_field; }

protected:
    void focusOutEvent(QFocusEvent* event) override;
    // Leaving the box: reads, corrects and writes back its text.
    virtual void checkEntry();

private:
    // Whether the focus only moved within the box or into its list.
    bool focusStaysInBox() const;

    ZUN::CValueField m_field{ZUN::CValueField::Kind::Combo};
    CZunMapTempl<int, bool> m_altRows;
    std::function<void()> m_beep;
};

// Draws a combo box's list rows: the highlight for the selected row, a
// tinted background for the box's alternate rows, grey text for disabled
// rows; the text single line, vertically centred, 1 pixel inside the row.
class CZunComboRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    CZunComboRowDelegate(CZunComboBox* box);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    CZunComboBox* m_box;
};
