#include "ui/zun_country_box.h"

#include "contracts/base/zun_text.h"
#include "render/qt/zun_qstring.h"

#include <QCollator>

#include <algorithm>
#include <cwctype>
#include <vector>

namespace {

// The code pointers point into the country table, which lives as long as
// the process.
const wchar_t* codeAt(const QComboBox& box, int index)
{
    return index < 0 ? nullptr : static_cast<const wchar_t*>(box.itemData(index).value<const void*>());
}

bool sameCode(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *b; ++a, ++b) {
        if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b)))
            return false;
    }
    return *a == *b;
}

} // namespace

CZunComboCountryBox::CZunComboCountryBox(QWidget* parent) : QComboBox(parent)
{
    // A drop-down list: the user picks, never types.
    setEditable(false);
    setCountries(ZUN::zunDlCountrys());
}

void CZunComboCountryBox::setCountries(const ZUN::ZunCountry_st* table)
{
    clear();
    struct Entry {
        QString name;
        const wchar_t* code;
    };
    std::vector<Entry> entries;
    for (const ZUN::ZunCountry_st* c = table; c && c->code; ++c)
        entries.push_back({fromZun(CZunString(c->name ? c->name : c->code)), c->code});
    // Names in the order a reader expects them, not by character code.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const Entry& a, const Entry& b) { return collator.compare(a.name, b.name) < 0; });
    for (const Entry& e : entries)
        addItem(e.name, QVariant::fromValue(static_cast<const void*>(e.code)));
    setCurrentIndex(count() > 0 ? 0 : -1);
}

int CZunComboCountryBox::SelectCountry(const wchar_t* code)
{
    if (!code || count() == 0)
        return 0;
    for (int i = 0; i < count(); ++i) {
        if (sameCode(codeAt(*this, i), code)) {
            setCurrentIndex(i);
            return 1;
        }
    }
    return 0;
}

const wchar_t* CZunComboCountryBox::GetCountry() const
{
    return codeAt(*this, currentIndex());
}
