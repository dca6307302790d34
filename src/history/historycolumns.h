#pragma once

#include "controls/gridcolumn.h"

#include <QList>

// The history grid over w履歴; read only.
namespace history {

enum Column { Col氏名 = 0, Col合計, Colタイトル };

inline QList<GridColumn> columns()
{
    using K = GridColumn::Kind;
    return {
        {QStringLiteral("氏名"), QStringLiteral("氏　　名"), K::Text, {}, 2160, Qt::AlignLeft, true, false},
        {QStringLiteral("合計"), QStringLiteral("金額"), K::Number, QStringLiteral("#,###"), 1050, Qt::AlignRight, true, false},
        {QStringLiteral("タイトル"), QStringLiteral("タイトル"), K::Text, {}, 4515, Qt::AlignLeft, true, false},
    };
}

} // namespace history
