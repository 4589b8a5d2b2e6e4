#include "ui/zun_combo_box.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPainter>

namespace {

CZunString toZun(const QString& text)
{
    return CZunString(text.toStdWString());
}

QString fromZun(const CZunString& text)
{
    return QString::fromStdWString(text.str());
}

QColor fromOle(std::uint32_t c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

std::uint32_t toOle(const QColor& c)
{
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

} // namespace

CZunComboBox::CZunComboBox(QWidget* parent) : QComboBox(parent), m_beep([] { QApplication::beep(); })
{
    setEditable(true);
    // Typed values are the box's text, not new list items.
    setInsertPolicy(QComboBox::NoInsert);
    view()->setItemDelegate(new CZunComboRowDelegate(this));
}

CZunComboBox::~CZunComboBox() = default;

bool CZunComboBox::setEditFlags(type kind, unsigned short flags, short decimals, double a, double b)
{
    return m_field.setEditFlags(kind, flags, decimals, a, b);
}

bool CZunComboBox::getEditFlags(type& kind, unsigned short& flags, unsigned short& decimals, double& min,
                                double& max) const
{
    int t = 0;
    m_field.getEditFlags(t, flags, decimals, min, max);
    kind = static_cast<type>(t);
    return true;
}

bool CZunComboBox::setFormat(int format)
{
    return m_field.setFormat(format);
}

bool CZunComboBox::setLUnits(int from, int to)
{
    return m_field.setLUnits(from, to);
}

bool CZunComboBox::setVal(double value)
{
    CZunString text;
    if (m_field.type() != kLength && m_field.type() != kAngle)
        return false;
    m_field.comboText(value, text);  // a value that cannot be written shows as empty text
    setEditText(fromZun(text));
    return true;
}

bool CZunComboBox::setVal(int value)
{
    CZunString text;
    if (!m_field.comboText(value, text))
        return false;
    setEditText(fromZun(text));
    return true;
}

bool CZunComboBox::getVal(double& value) const
{
    return m_field.comboGetVal(toZun(currentText()), value);
}

bool CZunComboBox::getVal(int& value) const
{
    return m_field.comboGetVal(toZun(currentText()), value);
}

int CZunComboBox::AddVal(double value)
{
    return InsertVal(-1, value);
}

int CZunComboBox::InsertVal(int index, double value)
{
    CZunString text;
    if (!m_field.formatVal(m_field.displayOf(value), text))
        return -1;
    if (index < 0 || index > count())
        index = count();
    // Adding to the list must not replace what the user sees in the box.
    const QString shown = currentText();
    insertItem(index, fromZun(text));
    setEditText(shown);
    return index;
}

void CZunComboBox::setAltBackgr(const CZunArrayTempl<int>& rows)
{
    m_altRows = {};
    for (int i = 0; i < rows.len(); ++i)
        m_altRows[rows[i]] = true;
    view()->viewport()->update();
}

void CZunComboBox::getAltBackgr(CZunArrayTempl<int>& rows) const
{
    rows = {};
    for (const auto& [row, tinted] : m_altRows)
        rows.append(row);
}

void CZunComboBox::focusOutEvent(QFocusEvent* event)
{
    // The list popup takes the focus while it is open, and another window
    // takes it with the activation: the user has not left the box yet.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && !focusStaysInBox())
        checkEntry();
    QComboBox::focusOutEvent(event);
}

bool CZunComboBox::focusStaysInBox() const
{
    QAbstractItemView* list = view();
    if (list && list->isVisible())
        return true;
    const QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return false;
    return focus == this || isAncestorOf(focus) || (list && list->window()->isAncestorOf(focus));
}

void CZunComboBox::checkEntry()
{
    const ZUN::CComboLeave leave = m_field.leaveCombo(toZun(currentText()));
    if (leave.beep && m_beep)
        m_beep();
    if (leave.writeBack)
        setEditText(fromZun(leave.text));
}

// ---- list rows ---------------------------------------------------------------------------

CZunComboRowDelegate::CZunComboRowDelegate(CZunComboBox* box) : QStyledItemDelegate(box), m_box(box) {}

void CZunComboRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    const QPalette& palette = option.palette;
    QColor background = palette.color(QPalette::Base);
    QColor textColor = palette.color(QPalette::Text);
    if (option.state & (QStyle::State_Selected | QStyle::State_HasFocus)) {
        background = palette.color(QPalette::Highlight);
        textColor = palette.color(QPalette::HighlightedText);
    } else if (m_box && index.isValid() && m_box->isAltBackgr(index.row())) {
        background = fromOle(ZUN::tintedRowColor(toOle(background)));
    } else if (!(option.state & QStyle::State_Enabled)) {
        textColor = palette.color(QPalette::Disabled, QPalette::Text);
    }
    painter->save();
    painter->fillRect(option.rect, background);
    painter->setPen(textColor);
    painter->setFont(option.font);
    const QString text = index.isValid() ? index.data(Qt::DisplayRole).toString() : QString();
    painter->drawText(option.rect.adjusted(1, 1, -1, -1), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->restore();
}
