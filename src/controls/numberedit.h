#pragma once

#include <QLineEdit>
#include <QVariant>

// A numeric field: its value is null when the field is empty. While it has the
// focus it shows the plain number for typing; otherwise it shows the value
// through its display format ("#,###", "#,###.0"). It reads numbers as a grid
// cell does (numbertext), full-width input included; the range and the number
// of decimals limit what the operator may type, never what the program sets.
// A key that cannot lead to such a number is refused as it is typed.
class NumberEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit NumberEdit(QWidget *parent = nullptr);

    void setDisplayFormat(const QString &format);
    QString displayFormat() const { return m_format; }
    void setRange(double minimum, double maximum);
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    void setDecimals(int decimals);
    int decimals() const { return m_decimals; }

    QVariant value() const { return m_value; }
    // A null or empty-text value empties the field.
    void setValue(const QVariant &value);
    // The value as a number, 0 when empty.
    double number() const;
    bool isEmpty() const { return m_value.isNull(); }

signals:
    void valueEdited();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void takeTypedText();
    void showValue();
    QString plainText() const;

    QVariant m_value;
    QString m_format = QStringLiteral("#,###");
    double m_minimum = -99999;
    double m_maximum = 99999;
    int m_decimals = 0;
    bool m_typing = false;
};
