#pragma once

#include "ui/core/zun_value_field.h"

#include <QLineEdit>

#include <cfloat>

// The input field for numbers: integers, lengths and angles.
//
// A field keeps its value in the caller's internal unit (lengths) or in
// radians (angles) and shows it in the display unit with the field's
// number format. Typing is free; when the user leaves a changed field the
// entry is checked (required, not zero, not negative, range): a violation
// shows a message box owned by the field (texts of the module's own
// message callback, title "ZUN001"), puts a valid value back and returns
// the focus to the field. Named values (setKey) show a text instead of a
// number and are typed as that text in any letter case.
//
// Set it up before it is shown: setEditFlags, setFormat, setLUnits, keys,
// then setVal. Values set by program never count as a user change.
//
// In a dialog template the field is a QLineEdit promoted to CZunEdit
// (header ui/zun_edit.h), or a plain QLineEdit replaced at start with
// ZUN::subclassDlgItem<CZunEdit>(dialog, id) (ui/zun_subclass.h).
class CZunEdit : public QLineEdit {
    Q_OBJECT

public:
    // The kind of field.
    enum type : int {
        kNone = ZUN::kFieldNone,        // plain text, no number handling
        kInteger = ZUN::kFieldInteger,  // decimal integer
        kLength = ZUN::kFieldLength,    // internal unit inside, display unit shown
        kAngle = ZUN::kFieldAngle,      // radians inside, degrees shown
    };

    explicit CZunEdit(QWidget* parent = nullptr);
    ~CZunEdit() override;

    // Type and check flags (ZUN::kFlagRequired ...); for lengths and angles
    // decimals > 0 replaces the decimals; for types 1 to 3 the range is
    // [smaller, larger] of a and b. False only for a NaN limit (the range
    // then stays as it was).
    bool setEditFlags(type kind, unsigned short flags, int decimals = 0, double a = -DBL_MAX, double b = DBL_MAX);
    bool getEditFlags(type& kind, unsigned short& flags, unsigned short& decimals, double& min, double& max) const;
    // The length format (ZUN::lFormat, 1 to 5); -1 the application's
    // default; 0 is refused (false).
    bool setFormat(int format);
    // Internal unit from, display unit to (ZUN::lUnit). False when either
    // is not a unit; the factor is then 1.
    bool setLUnits(int from, int to);
    // Names a value (matched by exact equality); false for NaN.
    bool setKey(const wchar_t* text, double value);
    bool removeKeys();

    // Stores the value and shows it (its name, or the formatted value).
    bool setVal(double value);
    bool setVal(int value);
    // The stored value while the text is unchanged; else the text read as a
    // name or number. False for an empty required field and for a text
    // that holds no number.
    bool getVal(double& value) const;
    bool getVal(int& value) const;

    // The value logic the field runs on (tests, derived controls).
    const ZUN::CValueField& valueField() const { return m_field; }

signals:
    // The field lost the focus and its checks have run; refused: the entry
    // was refused and the focus is back on the field. Emitted last, so a
    // receiver may delete the field (an in-place cell editor ends here).
    void killFocus(bool refused);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    // Leaving the field: checks a changed entry and writes the accepted
    // value back; true when the entry was refused and the focus must
    // return. Called from focusOutEvent; derived controls (an in-place
    // cell editor) may call it when they end an edit themselves.
    virtual bool checkEntry();
    // The message box of a refused entry; owned by the field.
    virtual void showError(const QString& text, const QString& title);

private:
    void showText(const CZunString& text, bool modified);

    ZUN::CValueField m_field{ZUN::CValueField::Kind::Edit};
    bool m_checking = false;
};
