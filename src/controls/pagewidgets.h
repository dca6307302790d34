#pragma once

#include <QList>
#include <QString>

class DataGrid;
class Dialogs;
class NumberEdit;
class QLabel;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class QWidget;

// The pieces every page is built from, so that the pages look and behave alike.
namespace pagewidgets {

// A command button; Enter presses it when it has the focus.
QPushButton *button(const QString &name, const QString &caption, double pointSize = 0);
// The caption-less hint button of a page.
QToolButton *hintButton(const QString &name);
// A field's caption, whose buddy the field is (its accessible name is the caption).
QLabel *fieldLabel(const QString &name, const QString &text, QWidget *buddy);
NumberEdit *numberField(const QString &name, double range, int decimals, const QString &format);
DataGrid *grid(const QString &name, const QString &accessibleName);
// A page's command bar: its buttons from the top, its hint button below a stretch.
QVBoxLayout *commandBar(const QList<QPushButton *> &buttons, QToolButton *hint);

// Re-reads a grid's work table; a failed read is told, and the grid keeps its rows.
bool refresh(DataGrid *grid, const Dialogs &dialogs);

} // namespace pagewidgets
