#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_string.h"
#include "ui/zun_hwnd.h"

#include <QFileDialog>
#include <QStringList>

class QObject;

namespace ZUN {

// Flags of CZunFileDialog, with the values callers of the file dialog know.
// Qt's dialog has no read-only box and no hook, so those two are accepted
// and have no effect.
inline constexpr unsigned long OFN_READONLY = 0x1;
inline constexpr unsigned long OFN_OVERWRITEPROMPT = 0x2;
inline constexpr unsigned long OFN_HIDEREADONLY = 0x4;
inline constexpr unsigned long OFN_ENABLEHOOK = 0x20;
inline constexpr unsigned long OFN_ALLOWMULTISELECT = 0x200;
inline constexpr unsigned long OFN_PATHMUSTEXIST = 0x800;
inline constexpr unsigned long OFN_FILEMUSTEXIST = 0x1000;

// Lets the user choose a folder. The dialog starts in path, written with
// either separator; a trailing separator is dropped except after a drive
// colon ("C:\" stays a root, "C:" becomes one). On success path is the
// chosen folder ending in "/" and the result is true; on cancel path keeps
// its text and the result is false. A null owner means the active window;
// a null title gives the module's own title.
bool dlgFolder(HWND owner, CZunString& path, const wchar_t* title);

// Starts dragging one existing file (or folder) to other applications, as
// a "text/uri-list" with its absolute path. True when it was dropped
// somewhere; false for a missing file, without any drag. effects are the
// actions offered (copy, move, link); source is the object the drag comes
// from (null: the active window).
bool DoDragDrop(const wchar_t* file, Qt::DropActions effects = Qt::CopyAction, QObject* source = nullptr);

// The open-file dialog with the settings callers of the file dialog give:
// default extension, initial name, flags and a filter in the form
// "Text|*.txt;*.text|All files|*.*||". DoModal always shows the open
// dialog, also when the object was made for saving.
class CZunFileDialog : public QFileDialog {
    Q_OBJECT
public:
    CZunFileDialog(bool open, const wchar_t* defExt = nullptr, const wchar_t* fileName = nullptr,
                   unsigned long flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const wchar_t* filter = nullptr,
                   QWidget* parent = nullptr);

    // The dialog's title; null restores the module's own title.
    void SetTitle(const wchar_t* title);
    // Runs the dialog: 1 (IDOK) when a file was chosen, else 2 (IDCANCEL).
    virtual int DoModal();

    // The chosen file: full path, name with extension, extension without
    // the dot, name without it, folder. Empty before a file was chosen.
    CZunString GetPathName() const;
    CZunString GetFileName() const;
    CZunString GetFileExt() const;
    CZunString GetFileTitle() const;
    CZunString GetFolderPath() const;
    // Every chosen file (several with OFN_ALLOWMULTISELECT).
    CZunArrayTempl<CZunString> GetPathNames() const;

    bool IsOpenDialog() const { return m_open; }
    unsigned long Flags() const { return m_flags; }

    // The filter list in Qt's form: one "Text (*.txt *.text)" entry per
    // text and pattern pair; "*.*" matches every file; a text left empty
    // shows the patterns alone. The list ends at an empty text ("||") or
    // at a text without patterns.
    static QStringList filterToQt(const wchar_t* filter);

private:
    bool m_open;
    unsigned long m_flags;
    CZunArrayTempl<CZunString> m_chosen;
};

} // namespace ZUN
