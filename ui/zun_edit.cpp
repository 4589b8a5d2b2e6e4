#include "ui/zun_edit.h"

#include "ui/zun_msg_callback.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMessageBox>
#include <QPointer>

namespace {

CZunString toZun(const QString& text)
{
    return CZunString(text.toStdWString());
}

QString fromZun(const CZunString& text)
{
    return QString::fromStdWString(text.str());
}

// Focus that leaves with the window (another application, a menu, the
// dialog closing) is no decision of the user about this field: the entry
// is checked when the user really leaves it.
bool userLeft(const QWidget* field, Qt::FocusReason reason)
{
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    return field->isVisible() && field->window()->isVisible();
}

// A click that takes the focus from a field whose entry is refused must not
// act as well: the OK button pressed while an entry is wrong would close the
// dialog behind the message. The press that moved the focus is still on its
// way to the clicked widget when the check ends; this filter eats it and its
// release, and goes as soon as any other mouse press comes.
class CClickSwallower : public QObject {
public:
    static void install()
    {
        // Owned by the application, so that one waiting at the end goes too.
        auto* swallower = new CClickSwallower;
        swallower->setParent(qApp);
        qApp->installEventFilter(swallower);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (m_pressEaten) {
                finish();
                return false;
            }
            m_pressEaten = true;
            return true;
        case QEvent::MouseButtonRelease:
            if (m_pressEaten)
                finish();
            return true;
        default:
            return false;
        }
    }

private:
    void finish()
    {
        qApp->removeEventFilter(this);
        deleteLater();
    }

    bool m_pressEaten = false;
};

} // namespace

CZunEdit::CZunEdit(QWidget* parent) : QLineEdit(parent) {}

CZunEdit::~CZunEdit() = default;

bool CZunEdit::setEditFlags(type kind, unsigned short flags, int decimals, double a, double b)
{
    return m_field.setEditFlags(kind, flags, decimals, a, b);
}

bool CZunEdit::getEditFlags(type& kind, unsigned short& flags, unsigned short& decimals, double& min,
                            double& max) const
{
    int t = 0;
    m_field.getEditFlags(t, flags, decimals, min, max);
    kind = static_cast<type>(t);
    return true;
}

bool CZunEdit::setFormat(int format)
{
    return m_field.setFormat(format);
}

bool CZunEdit::setLUnits(int from, int to)
{
    return m_field.setLUnits(from, to);
}

bool CZunEdit::setKey(const wchar_t* text, double value)
{
    return m_field.setKey(CZunString(text), value);
}

bool CZunEdit::removeKeys()
{
    m_field.removeKeys();
    return true;
}

bool CZunEdit::setVal(double value)
{
    showText(m_field.setVal(value), isModified());
    return true;
}

bool CZunEdit::setVal(int value)
{
    showText(m_field.setVal(value), isModified());
    return true;
}

bool CZunEdit::getVal(double& value) const
{
    return m_field.getVal(toZun(text()), value);
}

bool CZunEdit::getVal(int& value) const
{
    return m_field.getVal(toZun(text()), value);
}

void CZunEdit::showText(const CZunString& text, bool modified)
{
    // setText clears the modified flag; a value set by program must leave
    // it as the user left it.
    setText(fromZun(text));
    setModified(modified);
}

void CZunEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    selectAll();
    setModified(false);
}

void CZunEdit::focusOutEvent(QFocusEvent* event)
{
    bool refused = false;
    if (!m_checking && userLeft(this, event->reason())) {
        // The message box runs an event loop in which the dialog may go
        // away with this field.
        QPointer<CZunEdit> alive(this);
        m_checking = true;
        refused = checkEntry();
        if (!alive)
            return;
        m_checking = false;
    }
    QLineEdit::focusOutEvent(event);
    if (refused) {
        if (event->reason() == Qt::MouseFocusReason)
            CClickSwallower::install();
        setFocus(Qt::OtherFocusReason);
    }
    emit killFocus(refused);
}

bool CZunEdit::checkEntry()
{
    const ZUN::CEditLeave leave = m_field.leaveEdit(toZun(text()), isModified(), &ZUN::msgDefaultCallBack);
    if (!leave.checked)
        return false;
    QPointer<CZunEdit> alive(this);
    if (leave.error)
        showError(fromZun(leave.message), fromZun(leave.title));
    if (!alive)
        return false;
    if (leave.setText)
        showText(leave.text, leave.modified);
    return leave.error;
}

void CZunEdit::showError(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, this);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    // The field's window takes the activation back, as an owner of a
    // message box does, so that the focus can return to the field.
    if (QWidget* top = window(); top->isVisible())
        top->activateWindow();
}
