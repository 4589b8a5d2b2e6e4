#pragma once

#include <QComboBox>

namespace ZUN {
struct ZunCountry_st;
}

// A drop-down list of the languages of the country table, sorted by name;
// each entry carries its code. Selection and reading go by code.
class CZunComboCountryBox : public QComboBox {
    Q_OBJECT

public:
    explicit CZunComboCountryBox(QWidget* parent = nullptr);

    // Fills the list from a country table ended by a record with a null
    // code (the module's zunDlCountrys() when built); a null or empty
    // table leaves the list empty. Entry 0 is selected.
    void setCountries(const ZUN::ZunCountry_st* table);
    // Selects the first entry whose code equals code ignoring case; 0 for
    // a null code, an empty list or an unknown code (selection kept), else 1.
    int SelectCountry(const wchar_t* code);
    // The code of the selected entry; null when nothing is selected.
    const wchar_t* GetCountry() const;
};
