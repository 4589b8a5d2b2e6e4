#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Catches what would go to the desktop's browser (a URL handler of
// QDesktopServices).
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};
