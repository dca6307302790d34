#pragma once

#include "controls/gridcolumn.h"

#include <QList>

// The employee grid over w従業員.
namespace employees {

enum Column { Colチェック = 0, Col氏名, Col時給 };

inline QList<GridColumn> columns()
{
    using K = GridColumn::Kind;
    return {
        {QStringLiteral("チェック"), QString(), K::Check, {}, 390, Qt::AlignHCenter},
        {QStringLiteral("氏名"), QStringLiteral("氏　　名"), K::Text, {}, 4695, Qt::AlignLeft},
        {QStringLiteral("時給"), QStringLiteral("時給"), K::Number, QStringLiteral("#,###"), 855, Qt::AlignRight},
    };
}

} // namespace employees
