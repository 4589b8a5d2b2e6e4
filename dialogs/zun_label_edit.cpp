#include "dialogs/zun_label_edit.h"

#include "contracts/base/zun_text.h"
#include "contracts/data/zun_msg.h"
#include "dialogs/zun_aboutbox.h"
#include "dialogs/zun_label_transfer.h"
#include "ui/zun_dlg_run.h"
#include "ui/zun_edit.h"
#include "ui/zun_subclass.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QResizeEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int kListId = 1091;
constexpr int kImportId = 1086;
constexpr int kCmdLines = 1027;
constexpr int kCmdPaste = 1028;
constexpr int kCmdCopy = 1029;

QString qt(const CZunString& s) { return QString::fromStdWString(s.str()); }

int countryCount()
{
    int n = 0;
    for (const ZUN::ZunCountry_st* c = ZUN::zunDlCountrys(); c->code; ++c)
        ++n;
    return n;
}

// Every row as tall as the list asks: the tallest text's lines.
class RowHeightDelegate : public QStyledItemDelegate {
public:
    explicit RowHeightDelegate(QObject* parent) : QStyledItemDelegate(parent) {}
    int height = 0;  // 0: the style's own height

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (height > 0)
            size.setHeight(height);
        return size;
    }
};

bool hasBreak(const CZunString& text) { return text.view().find(L'\n') != std::wstring_view::npos; }

CZunString replaced(CZunString text, std::wstring_view what, const wchar_t* with)
{
    std::wstring out(text.view());
    for (size_t at = out.find(what); at != std::wstring::npos; at = out.find(what, at)) {
        out.replace(at, what.size(), with);
        at += std::wstring_view(with).size();
    }
    return CZunString(std::move(out));
}

} // namespace

// ---- the list -------------------------------------------------------------------

CZunLabelEditLst::CZunLabelEditLst(QWidget* parent) : CZunListCtrl(parent)
{
    SetImageList({QIcon(QStringLiteral(":/zun/icons/2004.svg")), QIcon(QStringLiteral(":/zun/icons/2005.svg"))});
    InsertColumn(0, L"", LVCFMT_LEFT, 100);
    InsertColumn(1, L"", LVCFMT_LEFT, 400);
    setHeaderHidden(true);
    setUniformRowHeights(false);
    setIconSize(QSize(16, 16));
    setItemDelegate(new RowHeightDelegate(this));
}

CZunString CZunLabelEditLst::rowCode(int row) const
{
    return row >= 0 && row < countryCount() ? CZunString(ZUN::zunDlCountrys()[row].code) : CZunString();
}

void CZunLabelEditLst::fill(const CZunString& label, const CZunString& language)
{
    CZunString code = language;
    if (code.isEmpty())
        code = rowCode(std::max(GetCurSel(), 0));
    CZunString composite = label;
    if (!composite.isEmpty() && composite.view().front() != L'\\') {
        composite = CZunString();
        ZUN::label_set(composite, label, code);
    }
    widenTextColumn();
    const int rows = countryCount();
    m_rowMulti.assign(static_cast<size_t>(rows), 0);
    int selected = -1;
    for (int i = 0; i < rows; ++i) {
        const ZUN::ZunCountry_st& c = ZUN::zunDlCountrys()[i];
        if (i >= GetItemCount())
            InsertItem(i, c.name);
        CZunString text = ZUN::label_get(composite, c.code, false);
        m_rowMulti[static_cast<size_t>(i)] = m_multi && hasBreak(text) ? 1 : 0;
        if (!m_rowMulti[static_cast<size_t>(i)])
            text = replaced(replaced(text, L"\r\n", L" "), L"\n", L" ");
        SetItemImage(i, 0, m_rowMulti[static_cast<size_t>(i)]);
        SetItemText(i, 1, text.c_str());
        topLevelItem(i)->setData(0, Qt::UserRole, i);
        CZunString lower = code;
        lower.makeLower();
        if (CZunString(c.code) == lower)
            selected = i;
    }
    if (selected >= 0)
        SetCurSel(selected);
    if (m_multi)
        updateHeights();
}

void CZunLabelEditLst::widenTextColumn()
{
    // Twice the list's width, so that no text is cut off by its column;
    // kept so when the list grows (it is filled before the dialog's
    // layout gives it its size).
    setColumnWidth(1, 2 * std::max(width(), 200));
}

void CZunLabelEditLst::resizeEvent(QResizeEvent* event)
{
    CZunListCtrl::resizeEvent(event);
    widenTextColumn();
}

int CZunLabelEditLst::lineCount() const
{
    int most = 1;
    for (int i = 0; i < GetItemCount(); ++i) {
        const CZunString cell = GetItemText(i, 1);
        const std::wstring_view text = cell.view();
        int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), L'\n'))
            + static_cast<int>(std::count(text.begin(), text.end(), L'\u00B6'));
        for (size_t at = text.find(L"\\n"); at != std::wstring_view::npos; at = text.find(L"\\n", at + 2))
            ++lines;
        most = std::max(most, lines);
    }
    return most;
}

void CZunLabelEditLst::updateHeights()
{
    static_cast<RowHeightDelegate*>(itemDelegate())->height = 16 * lineCount() + 2;
    doItemsLayout();
    if (GetCurSel() >= 0)
        scrollToItem(topLevelItem(GetCurSel()));
}

CZunString CZunLabelEditLst::result() const
{
    CZunString label;
    for (int i = 0; i < GetItemCount(); ++i) {
        const CZunString text = replaced(GetItemText(i, 1), L"\r", L"");
        if (!text.isEmpty())
            ZUN::label_set(label, text, rowCode(i));
    }
    return label;
}

int CZunLabelEditLst::OnAllowEdit(LVHITTESTINFO* hit)
{
    return hit && hit->iItem >= 0 && hit->iItem < GetItemCount() && hit->iSubItem == 1 ? 1 : 0;
}

void CZunLabelEditLst::setRowText(int row, const CZunString& text)
{
    CZunString value = text;
    if (m_multi)
        value = replaced(replaced(value, L"\\n", L"\n"), L"\u00B6", L"\n");
    SetItemText(row, 1, value.c_str());
    m_rowMulti[static_cast<size_t>(row)] = hasBreak(value) ? 1 : 0;
    SetItemImage(row, 0, m_rowMulti[static_cast<size_t>(row)]);
    if (m_multi)
        updateHeights();
}

int CZunLabelEditLst::OnEndItemEdit(CZunEdit* edit)
{
    const int row = GetCurSel();
    if (edit && row >= 0)
        setRowText(row, CZunString(edit->text().toStdWString()));
    return 0;  // written here; the base list must not write it again
}

void CZunLabelEditLst::command(int id)
{
    const int row = GetCurSel();
    switch (id) {
    case kCmdLines:
        if (row < 0)
            return;
        if (rowMulti(row)) {
            SetItemText(row, 1, replaced(GetItemText(row, 1), L"\n", L" ").c_str());
            m_rowMulti[static_cast<size_t>(row)] = 0;
        } else {
            m_rowMulti[static_cast<size_t>(row)] = 1;
        }
        SetItemImage(row, 0, m_rowMulti[static_cast<size_t>(row)]);
        break;
    case kCmdPaste: fill(ZUN::labelClipboardPaste(m_multi), rowCode(std::max(row, 0))); break;
    case kCmdCopy: ZUN::labelClipboardCopy(result()); break;
    default: break;
    }
}

void CZunLabelEditLst::contextMenuEvent(QContextMenuEvent* event)
{
    const int row = GetCurSel();
    if (row < 0)
        return;
    QMenu menu(this);
    if (m_multi)
        menu.addAction(qt(CZunString(rowMulti(row) ? GetMsg(L"ZUN_MFC_0006", L"Einzeilig")
                                                    : GetMsg(L"ZUN_MFC_0007", L"Mehrzeilig"))))
            ->setData(kCmdLines);
    if (ZUN::labelClipboardAvailable())
        menu.addAction(qt(CZunString(GetMsg(L"ZUN_MFC_0005", L"Einf\u00FCgen"))))->setData(kCmdPaste);
    menu.addAction(qt(CZunString(GetMsg(L"ZUN_MFC_0004", L"Kopieren"))))->setData(kCmdCopy);
    if (QAction* chosen = menu.exec(event->globalPos()))
        command(chosen->data().toInt());
}

// ---- the dialog -----------------------------------------------------------------

CZunLabelEdit::CZunLabelEdit(QWidget* parent) : CZunDlg(204, parent)
{
    m_list = ZUN::subclassDlgItem<CZunLabelEditLst>(this, kListId);
    EnableAboutCommand(&CAboutboxDlg::Show);
}

void CZunLabelEdit::addLangRsc()
{
    m_langKey[IDOK] = L"DLG_001";
    m_langDef[IDOK] = L"Ok";
    m_langKey[IDCANCEL] = L"DLG_002";
    m_langDef[IDCANCEL] = L"Abbrechen";
    m_langKey[kImportId] = L"ZUN_MFC_0008";
    m_langDef[kImportId] = L"Import";
}

bool CZunLabelEdit::updLang()
{
    if (hasWindow())
        setWindowTitle(qt(CZunString(GetMsg(L"ZUN_MFC_0009", L"Bezeichnung", country()))));
    return CZunDlg::updLang();
}

bool CZunLabelEdit::OnInitDialog()
{
    CZunDlg::OnInitDialog();
    if (!m_list)
        return false;
    m_list->setMulti(m_multi);
    m_list->fill(m_label, m_rowCountry);
    m_list->setFocus();
    return false;
}

void CZunLabelEdit::OnOK()
{
    if (m_list)
        m_label = m_list->result();
    CZunDlg::OnOK();
}

void CZunLabelEdit::OnCommand(int id)
{
    if (id == kImportId) {
        importFromServer();
        return;
    }
    CZunDlg::OnCommand(id);
}

void CZunLabelEdit::importFromServer()
{
    CZunString label;
    const CZunString language = country() ? CZunString(country()) : CZunString();
    switch (ZUN::labelImport(m_multi, m_msgFile, language, label)) {
    case ZUN::LabelImport::Imported:
        m_label = label;
        if (m_list)
            m_list->fill(m_label, language);
        return;
    case ZUN::LabelImport::NoSelection:
        MessageBoxW(GetMsg(L"ZUN_MFC_0010", L"Kein Text ausgew\u00E4hlt"), nullptr, MB_ICONEXCLAMATION);
        return;
    case ZUN::LabelImport::MultiLineRefused:
        MessageBoxW(GetMsg(L"ZUN_MFC_0017", L"Mehzeilige Texte nicht m\u00F6glich"), nullptr, MB_ICONEXCLAMATION);
        return;
    case ZUN::LabelImport::NothingAssigned:
        MessageBoxW(GetMsg(L"ZUN_MFC_0011", L"Kein Text zugeordnet"), nullptr, MB_ICONEXCLAMATION);
        return;
    }
}

namespace ZUN {

int dlgLabelEdit(const DlgEnv_st& env, CZunString& label, unsigned long flags, const wchar_t* initial,
                 const wchar_t* country, const wchar_t* msgFile)
{
    label = CZunString(initial);
    return dlgRunModal<CZunLabelEdit>(
        env, kEnvCountry,
        [&](CZunLabelEdit& dlg) {
            if (msgFile)
                dlg.m_msgFile = msgFile;
            dlg.m_rowCountry = CZunString(country);
            dlg.m_label = CZunString(initial);
            dlg.m_multi = (flags & 1) != 0;
        },
        [&](CZunLabelEdit& dlg) { label = dlg.m_label; });
}

} // namespace ZUN
