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
    // The premiums: shown only while they are computed (sheet::Premiums).
    Col休日,
    Col深夜,
    Col時間外,
    Col割増,
    // The amount stays the last column: Enter in it goes on to the next day.
    Col金額,
};

inline constexpr int LineCount = 60;

inline bool isPremiumColumn(int column)
{
    return column >= Col休日 && column <= Col割増;
}

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
        // The rest-day mark is the operator's; the night and overtime hours and
        // the premium are computed from the lines and never typed.
        {QStringLiteral("休日"), QStringLiteral("休日"), K::Check, {}, 600, centre, false},
        {QStringLiteral("深夜"), QStringLiteral("深夜"), K::Number, QStringLiteral("#,###.0"), 800, right, false, false},
        {QStringLiteral("時間外"), QStringLiteral("時間外"), K::Number, QStringLiteral("#,###.0"), 800, right, false, false},
        {QStringLiteral("割増"), QStringLiteral("割増"), K::Number, QStringLiteral("#,###"), 900, right, false, false},
        {QStringLiteral("金額"), QStringLiteral("金　額"), K::Number, QStringLiteral("#,###"), 1130, right},
    };
}

} // namespace sheet
