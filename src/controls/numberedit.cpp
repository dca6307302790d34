#include "controls/numberedit.h"

#include "controls/formats.h"
#include "controls/numbertext.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <cmath>

NumberEdit::NumberEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[-+]?[0-9,]*(\\.[0-9]*)?")), this));
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
    const QString typed = text().trimmed();
    if (typed.isEmpty()) {
        m_value = QVariant();
        return;
    }
    double d = 0;
    if (!numbertext::parse(typed, &d))
        return; // not a number: keep the previous value
    const double scale = std::pow(10.0, m_decimals);
    const bool whole = std::abs(d * scale - std::round(d * scale)) < 1e-9;
    if (d < m_minimum || d > m_maximum || !whole)
        return; // outside what the field accepts: keep the previous value
    m_value = d;
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
