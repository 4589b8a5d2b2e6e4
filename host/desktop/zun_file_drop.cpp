#include "host/desktop/zun_file_drop.h"

#include "host/desktop/zun_host_texts.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

// The extensions the host opens: drawings, slides, libraries, pictures.
constexpr const char* kExtensions[] = {"json", "sld", "slb", "png", "jpg", "jpeg", "bmp", "gif", "ico", "svg", "emf"};

} // namespace

CZunFileDrop::CZunFileDrop(QWidget* target, Open open, Refuse refuse)
    : QObject(target), m_target(target), m_open(std::move(open)), m_refuse(std::move(refuse))
{
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

bool CZunFileDrop::canOpen(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    const QString suffix = info.suffix().toLower();
    for (const char* extension : kExtensions)
        if (suffix == QLatin1String(extension))
            return true;
    return false;
}

void CZunFileDrop::sort(const QMimeData& data, QStringList& openable, QStringList& refused)
{
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) {
            refused.append(url.toDisplayString());
            continue;
        }
        const QString path = url.toLocalFile();
        if (canOpen(path))
            openable.append(path);
        else
            refused.append(QDir::toNativeSeparators(path));
    }
}

bool CZunFileDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_target)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // Any files at all: those that cannot be opened are named on the
        // drop rather than silently not taken.
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!drag->mimeData()->hasUrls())
            return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: drop(*static_cast<QDropEvent*>(event)); return true;
    default: return false;
    }
}

void CZunFileDrop::drop(QDropEvent& event)
{
    QStringList openable, refused;
    sort(*event.mimeData(), openable, refused);
    if (openable.isEmpty() && refused.isEmpty()) {
        event.ignore();
        return;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    if (!refused.isEmpty())
        m_refuse(zunHostText(ZunHostTexts::kNotOpened), zunHostText(ZunHostTexts::kOnlyThese) + QStringLiteral("\n\n") + refused.join('\n'));
    for (const QString& path : openable)
        m_open(path);
}
