#include "ui/zun_file_dialogs.h"

#include "contracts/data/zun_msg.h"
#include "render/qt/zun_qstring.h"
#include "ui/zun_file_dialogs_p.h"

#include <QApplication>
#include <QDrag>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

namespace ZUN {

namespace {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

QString uiText(const wchar_t* key, const wchar_t* germanDefault)
{
    return fromZun(zun_msg_get(L"ZUN_", key, germanDefault, CZunString()));
}

QWidget* ownerOrActive(QWidget* owner)
{
    return owner ? owner->window() : QApplication::activeWindow();
}

Qt::DropAction runDrag(QDrag& drag, Qt::DropActions effects)
{
    return drag.exec(effects);
}

DragRunner& dragRunner()
{
    static DragRunner runner = runDrag;
    return runner;
}

// "*.*" means every file where the filter comes from; here a name need not
// have a dot.
QString qtPattern(QString pattern)
{
    pattern = pattern.trimmed();
    return pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
}

// A text such as "Text files (*.txt)" already names its patterns; the
// patterns part of the pair is what counts, so the text's own list goes and
// the real one is put in its place.
QString filterText(QString text)
{
    static const QRegularExpression trailingList(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    return text.remove(trailingList).trimmed();
}

} // namespace

// ---- folder -----------------------------------------------------------------

CZunString folderStartPath(const CZunString& path)
{
    CZunString start = path;
    start.replace(L'\\', L'/');
    while (start.len() >= 2 && start[-1] == L'/' && start[-2] != L':')
        start = start.left(start.len() - 1);
    if (start.len() >= 2 && start[-1] == L':')
        start += L'/';
    return start;
}

bool dlgFolder(HWND owner, CZunString& path, const wchar_t* title)
{
    const QString caption = (title && *title) ? fromZun(title) : uiText(L"ZUN_FILE_0001", L"Ordner wählen");
    QFileDialog dialog(ownerOrActive(owner), caption);
    dialog.setObjectName(QStringLiteral("ZunFolderDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const CZunString start = folderStartPath(path);
    if (!start.isEmpty())
        dialog.setDirectory(fromZun(start));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return false;
    CZunString folder = toZun(chosen.first());
    if (folder[-1] != L'/')
        folder += L'/';
    path = folder;
    return true;
}

// ---- file -------------------------------------------------------------------

QStringList CZunFileDialog::filterToQt(const wchar_t* filter)
{
    QStringList result;
    if (!filter)
        return result;
    const QStringList parts = fromZun(filter).split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& text = parts[i];
        if (text.isEmpty())
            break;
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';')))
            if (const QString p = qtPattern(pattern); !p.isEmpty())
                patterns.append(p);
        if (patterns.isEmpty())
            break;
        const QString list = patterns.join(QLatin1Char(' '));
        const QString name = filterText(text);
        result.append(name.isEmpty() ? list : name + QStringLiteral(" (") + list + QLatin1Char(')'));
    }
    return result;
}

CZunFileDialog::CZunFileDialog(bool open, const wchar_t* defExt, const wchar_t* fileName, unsigned long flags,
                               const wchar_t* filter, QWidget* parent)
    : QFileDialog(ownerOrActive(parent)), m_open(open), m_flags(flags)
{
    setObjectName(QStringLiteral("ZunFileDialog"));
    SetTitle(nullptr);
    if (defExt && *defExt) {
        QString suffix = fromZun(defExt);
        while (suffix.startsWith(QLatin1Char('.')))
            suffix.remove(0, 1);
        setDefaultSuffix(suffix);
    }
    const QStringList filters = filterToQt(filter);
    if (!filters.isEmpty())
        setNameFilters(filters);
    if (fileName && *fileName)
        selectFile(fromZun(fileName));
}

void CZunFileDialog::SetTitle(const wchar_t* title)
{
    setWindowTitle((title && *title) ? fromZun(title) : uiText(L"ZUN_FILE_0002", L"Datei öffnen"));
}

int CZunFileDialog::DoModal()
{
    // The open dialog always, whatever the object was made for.
    m_flags &= ~OFN_ENABLEHOOK;
    setAcceptMode(QFileDialog::AcceptOpen);
    if (m_flags & OFN_ALLOWMULTISELECT)
        setFileMode(QFileDialog::ExistingFiles);
    else if (m_flags & OFN_FILEMUSTEXIST)
        setFileMode(QFileDialog::ExistingFile);
    else
        setFileMode(QFileDialog::AnyFile);
    m_chosen.clear();
    if (exec() != QDialog::Accepted)
        return kIdCancel;
    for (const QString& file : selectedFiles())
        if (!file.isEmpty())
            m_chosen.append(toZun(file));
    return m_chosen.isEmpty() ? kIdCancel : kIdOk;
}

CZunString CZunFileDialog::GetPathName() const
{
    return m_chosen.isEmpty() ? CZunString() : m_chosen[0];
}

CZunString CZunFileDialog::GetFileName() const
{
    return toZun(QFileInfo(fromZun(GetPathName())).fileName());
}

CZunString CZunFileDialog::GetFileExt() const
{
    return toZun(QFileInfo(fromZun(GetPathName())).suffix());
}

CZunString CZunFileDialog::GetFileTitle() const
{
    return toZun(QFileInfo(fromZun(GetPathName())).completeBaseName());
}

CZunString CZunFileDialog::GetFolderPath() const
{
    return m_chosen.isEmpty() ? CZunString() : toZun(QFileInfo(fromZun(GetPathName())).absolutePath());
}

CZunArrayTempl<CZunString> CZunFileDialog::GetPathNames() const
{
    return m_chosen;
}

// ---- drag -------------------------------------------------------------------

QMimeData* fileDragData(const CZunString& file)
{
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(QFileInfo(fromZun(file)).absoluteFilePath())});
    return data;
}

DragRunner dragRunnerSet(DragRunner runner)
{
    DragRunner previous = dragRunner();
    dragRunner() = runner ? std::move(runner) : DragRunner(runDrag);
    return previous;
}

bool DoDragDrop(const wchar_t* file, Qt::DropActions effects, QObject* source)
{
    if (!file || !*file || !QFileInfo::exists(fromZun(file)))
        return false;
    if (!source)
        source = QApplication::activeWindow();
    QDrag drag(source ? source : qApp);
    drag.setMimeData(fileDragData(file));
    const QIcon icon = QFileIconProvider().icon(QFileInfo(fromZun(file)));
    if (!icon.isNull())
        drag.setPixmap(icon.pixmap(32, 32));
    return dragRunner()(drag, effects) != Qt::IgnoreAction;
}

} // namespace ZUN
