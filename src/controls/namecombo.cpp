#include "controls/namecombo.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QLineEdit>

NameCombo::NameCombo(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    // The name is a sheet's key and is taken as typed: the completer an editable
    // combo gets would turn "山田" into a listed "山田花子" (or "yamada" into
    // "Yamada") when the field is left.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);
}

void NameCombo::focusInEvent(QFocusEvent *event)
{
    QComboBox::focusInEvent(event);
    if (event->reason() != Qt::PopupFocusReason)
        emit gotFocus();
}

void NameCombo::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    // Opening the list takes the focus twice: once as a popup, then again when
    // the list itself takes it. Either way the operator is still in this field,
    // and the focus comes back to it as a popup focus, which sends no gotFocus.
    if (event->reason() != Qt::PopupFocusReason && !view()->isVisible())
        emit lostFocus();
}
