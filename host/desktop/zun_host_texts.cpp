#include "host/desktop/zun_host_texts.h"

#include "contracts/data/zun_msg.h"

#include <QAction>
#include <QMenu>

QString zunHostText(const CZunHostText& text)
{
    const CZunString found = ZUN::zun_msg_get(CZunString(), CZunString::fromUtf8(text.key),
                                              CZunString::fromUtf8(text.german), CZunString());
    return QString::fromStdString(found.toUtf8());
}

void CZunTextBinder::bind(QAction* action, const CZunHostText& text, const QString& suffix)
{
    bind(action, text, [action, suffix](const QString& s) { action->setText(s + suffix); });
}

void CZunTextBinder::bind(QMenu* menu, const CZunHostText& text)
{
    bind(menu, text, [menu](const QString& s) { menu->setTitle(s); });
}

void CZunTextBinder::bind(QObject* owner, const CZunHostText& text, Setter setter)
{
    setter(zunHostText(text));
    m_bindings.push_back({owner, text, std::move(setter)});
}

void CZunTextBinder::apply() const
{
    for (const Binding& b : m_bindings)
        if (b.owner)
            b.setter(zunHostText(b.text));
}
