#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QDropEvent;
class QMimeData;
class QWidget;

// Files dropped onto a window are opened as the File menu opens them:
// drawings, slides, slide libraries and pictures, each by its extension.
// Anything else (another kind of file, a folder, a file that is not on
// this machine) is refused, with the names, in one message per drop; the
// files that can be opened still open.
class CZunFileDrop : public QObject {
    Q_OBJECT
public:
    using Open = std::function<bool(const QString& path)>;
    // caption, text
    using Refuse = std::function<void(const QString&, const QString&)>;

    // Accepts drops on target (and its children that take none of their own).
    CZunFileDrop(QWidget* target, Open open, Refuse refuse);

    // True for an existing file of a kind the host opens.
    static bool canOpen(const QString& path);
    // The dropped files that open and the names of those that do not.
    static void sort(const QMimeData& data, QStringList& openable, QStringList& refused);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void drop(QDropEvent& event);

    QWidget* m_target;
    Open m_open;
    Refuse m_refuse;
};
