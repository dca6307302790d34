#pragma once

#include <QComboBox>

// The editable name field of the time sheet: free text, or a name picked from
// the employee list. Tells when it receives and when it loses the input focus
// (not when its own list pops up).
class NameCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit NameCombo(QWidget *parent = nullptr);

signals:
    void gotFocus();
    void lostFocus();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};
