#pragma once

#include <QDate>
#include <QRectF>
#include <QString>
#include <QVariant>

class QPainter;

// What one pay statement shows: the page's values as formatted at the moment
// of printing, the held company values and the date of printing.
struct StatementValues
{
    QString name;
    QString title;
    QString wage;       // "#,###"
    QString hours;      // "#,###.0"
    QString adjustment; // "#,###"
    QString total;      // "#,###"
    QString companyName;
    QString companyInfo;
    QDate date;
    // With premiums computed, a second row under the first: overtime, night
    // and rest-day hours ("#,###.0") and the premium ("#,###").
    bool premiums = false;
    QString overtime{}, night{}, restDay{}, premium{};
};

// A statement of one sheet's values formatted as the time-sheet page shows
// them (yen "#,###", hours "#,###.0"), with the held company values.
StatementValues statementOf(const QString &name, const QString &title, const QVariant &wage,
                            const QVariant &hours, const QVariant &adjustment, const QVariant &total,
                            const QString &companyName, const QString &companyInfo, const QDate &date);

// The premium row of a statement, formatted as the page formats its totals
// (an empty value as the page shows it: as 0).
void setPremiumValues(StatementValues &values, const QVariant &overtime, const QVariant &night,
                      const QVariant &restDay, const QVariant &premium);

// The statement's width in twips; a page must hold it.
inline constexpr int StatementWidthTwips = 10350;
inline constexpr int StatementHeightTwips = 2160;
// The premium row adds this much below the first row.
inline constexpr int PremiumRowTwips = 440;
inline int statementHeightTwips(const StatementValues &values)
{
    return StatementHeightTwips + (values.premiums ? PremiumRowTwips : 0);
}
// No value is cut: a text too wide for its box is set smaller, down to this size.
inline constexpr double StatementFloorPointSize = 6;

// Draws the statement with its top left corner at the top left of area, one
// twip being dotsPerInch / 1440 device pixels. Each value is set in its box at
// its own size or smaller (see fitText); nothing is drawn outside area.
void renderStatement(QPainter &painter, const QRectF &area, double dotsPerInch,
                     const StatementValues &values);

// One drawn item of the statement: its name, box in twips and text, so that
// tests and the renderer read the same layout.
struct StatementItem
{
    enum class Kind { Label, Text, Line };
    QString name;
    Kind kind;
    QRect twips;         // for lines: from (left, top) to (right, bottom)
    QString text;
    QString fontFamily;
    double pointSize = 0;
    Qt::Alignment alignment;
};

QList<StatementItem> statementItems(const StatementValues &values);
