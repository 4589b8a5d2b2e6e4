#include "dialogs/zun_label_transfer.h"

#include "contracts/base/zun_text.h"
#include "contracts/data/zun_msg.h"
#include "contracts/os/zun_registry.h"
#include "dialogs/zun_msg_dlg.h"

#include <string>

namespace ZUN {

namespace {

// Literal backslash-n sequences, as people type them into a single field.
CZunString literalBreaks(const CZunString& text, const wchar_t* replacement)
{
    std::wstring out(text.view());
    for (size_t at = out.find(L"\\n"); at != std::wstring::npos; at = out.find(L"\\n", at)) {
        out.replace(at, 2, replacement);
        at += std::wstring_view(replacement).size();
    }
    return CZunString(std::move(out));
}

} // namespace

bool labelClipboardCopy(const CZunString& label)
{
    CZunRegKey key;
    if (!key.create(kLabelClipboardKey, true))
        return false;
    for (const CZunString& name : key.valueNames())
        if (!key.removeValue(name))
            return false;
    for (const ZunCountry_st* c = zunDlCountrys(); c->code; ++c) {
        const CZunString text = label_get(label, c->code, false);
        if (!text.isEmpty() && !key.write(c->code, text))
            return false;
    }
    return key.close();
}

bool labelClipboardAvailable() { return regKeyExists(kLabelClipboardKey); }

CZunString labelClipboardPaste(bool multi)
{
    CZunRegKey key;
    CZunString label;
    if (!key.open(kLabelClipboardKey))
        return label;
    for (const ZunCountry_st* c = zunDlCountrys(); c->code; ++c) {
        CZunString text;
        if (key.read(c->code, text) && !text.isEmpty())
            label_set(label, literalBreaks(text, multi ? L"\n" : L" "), c->code);
    }
    return label;
}

LabelImport labelImport(bool multi, const CZunString& msgFile, const CZunString& country, CZunString& label)
{
    IZunMsgDlg server(dispatchFromProgID(kMsgServerProgId));
    if (server.isNull()) {
        IDispatch* started = getRscAppDispatch();
        if (!started)
            return LabelImport::NoSelection;
        started->AddRef();  // lent by getRscAppDispatch; kept for this import
        server.AttachDispatch(started);
        if (!msgFile.isEmpty()) {
            server.SetCountry(country.c_str());
            server.OpenFile(msgFile.c_str());
        }
    }
    const CZunString key = server.GetSelectedKey();
    if (key.isEmpty())
        return LabelImport::NoSelection;
    if (!multi && server.GetMsg(key.c_str(), L"0").view().find(L'M') != std::wstring_view::npos)
        return LabelImport::MultiLineRefused;
    CZunString imported;
    for (const ZunCountry_st* c = zunDlCountrys(); c->code; ++c) {
        const CZunString text = server.wGetMsg(key.c_str(), c->code);
        if (!text.isEmpty())
            label_set(imported, unEscapeWideChar(text), c->code);
    }
    if (imported.isEmpty())
        return LabelImport::NothingAssigned;
    label = imported;
    return LabelImport::Imported;
}

} // namespace ZUN
