#include "controls/pagewidgets.h"

#include "controls/datagrid.h"
#include "controls/fonts.h"
#include "controls/numberedit.h"
#include "messages/dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pagewidgets {

QPushButton *button(const QString &name, const QString &caption, double pointSize)
{
    auto *b = new QPushButton(caption);
    b->setObjectName(name);
    b->setFont(fonts::gothic(pointSize > 0 ? pointSize : fonts::Button));
    b->setAutoDefault(true);
    b->setMinimumSize(92, 34);
    return b;
}

QToolButton *hintButton(const QString &name)
{
    auto *b = new QToolButton;
    b->setObjectName(name);
    b->setIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    b->setIconSize(QSize(24, 24));
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setToolTip(u"ヒント"_s);
    b->setAccessibleName(u"ヒント"_s);
    b->setAccessibleDescription(u"このページのヒントを表示します"_s);
    return b;
}

QLabel *fieldLabel(const QString &name, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setFont(fonts::gothic(fonts::Field));
    label->setBuddy(buddy);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

NumberEdit *numberField(const QString &name, double range, int decimals, const QString &format)
{
    auto *field = new NumberEdit;
    field->setObjectName(name);
    field->setFont(fonts::gothic(fonts::Field));
    field->setRange(-range, range);
    field->setDecimals(decimals);
    field->setDisplayFormat(format);
    return field;
}

DataGrid *grid(const QString &name, const QString &accessibleName)
{
    auto *grid = new DataGrid;
    grid->setObjectName(name);
    grid->setFont(fonts::gothic(fonts::Grid));
    grid->setAccessibleName(accessibleName);
    return grid;
}

QVBoxLayout *commandBar(const QList<QPushButton *> &buttons, QToolButton *hint)
{
    auto *bar = new QVBoxLayout;
    for (QPushButton *b : buttons)
        bar->addWidget(b);
    bar->addStretch();
    bar->addWidget(hint, 0, Qt::AlignRight);
    return bar;
}

bool refresh(DataGrid *grid, const Dialogs &dialogs)
{
    if (grid->refresh())
        return true;
    dialogs.fail(Dialogs::notShown(u"作業ファイルを読み込めないため、一覧を表示できませんでした。"_s));
    return false;
}

} // namespace pagewidgets
