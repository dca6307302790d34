#pragma once

#include "controls/gridcolumn.h"

#include <QList>

// The detail grid over w明細, column by column.
namespace sheet {

enum Column {
    Col行番号 = 0,
    Col日付,
    Col開始時間,
    Col終了時間,
    Col時間,
    Col時給,
    Col調整額,
    Col金額,
};

inline constexpr int LineCount = 60;

inline QList<GridColumn> columns()
{
    using K = GridColumn::Kind;
    const Qt::Alignment centre = Qt::AlignHCenter;
    const Qt::Alignment right = Qt::AlignRight;
    return {
        {QStringLiteral("行番号"), QStringLiteral("行番号"), K::Number, {}, 0, right, false, false},
        {QStringLiteral("日付"), QStringLiteral("日　付"), K::Date, QStringLiteral("yyyy/mm/dd"), 1430, centre},
        {QStringLiteral("開始時間"), QStringLiteral("開始時間"), K::Time, QStringLiteral("##:##"), 1200, centre},
        {QStringLiteral("終了時間"), QStringLiteral("終了時間"), K::Time, QStringLiteral("##:##"), 1200, centre},
        {QStringLiteral("時間"), QStringLiteral("時間"), K::Number, QStringLiteral("#,###.0"), 1050, right},
        {QStringLiteral("時給"), QStringLiteral("時給"), K::Number, QStringLiteral("#,###"), 765, right},
        {QStringLiteral("調整額"), QStringLiteral("調整額"), K::Number, QStringLiteral("#,###"), 1050, right},
        {QStringLiteral("金額"), QStringLiteral("金　額"), K::Number, QStringLiteral("#,###"), 1130, right},
    };
}

} // namespace sheet
