#include "controls/numberedit.h"

#include "controls/formats.h"
#include "controls/numbertext.h"

#include <QKeyEvent>
#include <QValidator>

namespace {

// Lets through, key by key, only what is or may still become a number the
// field takes: the grid's grammar (full-width input included), the field's
// range and its decimals. An empty field is a value too: null.
class NumberValidator : public QValidator
{
public:
    explicit NumberValidator(NumberEdit *field)
        : QValidator(field)
        , m_field(field)
    {
    }

    State validate(QString &input, int &) const override
    {
        if (input.trimmed().isEmpty())
            return Acceptable;
        switch (numbertext::typing(input, m_field->minimum(), m_field->maximum(), m_field->decimals())) {
        case numbertext::Typing::Acceptable: return Acceptable;
        case numbertext::Typing::Intermediate: return Intermediate;
        case numbertext::Typing::Invalid: break;
        }
        return Invalid;
    }

private:
    NumberEdit *m_field;
};

} // namespace

NumberEdit::NumberEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setValidator(new NumberValidator(this));
    setInputMethodHints(Qt::ImhFormattedNumbersOnly);
}

void NumberEdit::setDisplayFormat(const QString &format)
{
    m_format = format;
    showValue();
}

void NumberEdit::setRange(double minimum, double maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
}

void NumberEdit::setDecimals(int decimals)
{
    m_decimals = decimals;
}

void NumberEdit::setValue(const QVariant &value)
{
    double d = 0;
    if (fmt::toDouble(value, &d))
        m_value = d;
    else
        m_value = QVariant();
    showValue();
}

double NumberEdit::number() const
{
    return m_value.isNull() ? 0.0 : m_value.toDouble();
}

QString NumberEdit::plainText() const
{
    if (m_value.isNull())
        return QString();
    return numbertext::plain(m_value.toDouble());
}

void NumberEdit::showValue()
{
    // Setting the same text again would only lay it out again: the totals are
    // set after every cell edit, most of them unchanged.
    const QString shown = m_typing ? plainText() : fmt::value(m_value, m_format);
    if (shown != text())
        setText(shown);
}

void NumberEdit::takeTypedText()
{
    // Passing through takes nothing: what the program set may lie beyond what
    // the operator may type.
    if (!isModified())
        return;
    // Typing let through only numbers and their beginnings; a beginning left
    // unfinished ("-", "1,2") is no number, and the field empties as a grid
    // cell does.
    double d = 0;
    const bool number = numbertext::typing(text(), m_minimum, m_maximum, m_decimals) == numbertext::Typing::Acceptable
        && numbertext::parse(text(), &d);
    m_value = number ? QVariant(d) : QVariant();
}

void NumberEdit::focusInEvent(QFocusEvent *event)
{
    m_typing = true;
    showValue();
    QLineEdit::focusInEvent(event);
    selectAll();
}

void NumberEdit::focusOutEvent(QFocusEvent *event)
{
    if (m_typing) {
        const QVariant before = m_value;
        takeTypedText();
        m_typing = false;
        showValue();
        if (before != m_value)
            emit valueEdited();
    }
    QLineEdit::focusOutEvent(event);
}

void NumberEdit::keyPressEvent(QKeyEvent *event)
{
    if (m_typing && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        const QVariant before = m_value;
        takeTypedText();
        showValue();
        selectAll();
        if (before != m_value)
            emit valueEdited();
    }
    QLineEdit::keyPressEvent(event);
}
