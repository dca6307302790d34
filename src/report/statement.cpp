#include "report/statement.h"

#include "app/platform.h"
#include "controls/fonts.h"
#include "controls/formats.h"
#include "report/textfit.h"

#include <QFont>
#include <QPainter>
#include <QPen>

using namespace Qt::StringLiterals;

namespace {

using fonts::Gothic;
using fonts::Mincho;

StatementItem label(const QString &name, QRect box, const QString &text, double size,
                    Qt::Alignment alignment = Qt::AlignHCenter)
{
    return {name, StatementItem::Kind::Label, box, text, Gothic, size, alignment};
}

StatementItem field(const QString &name, QRect box, const QString &text, double size,
                    Qt::Alignment alignment, const QString &family = Gothic)
{
    return {name, StatementItem::Kind::Text, box, text, family, size, alignment};
}

StatementItem rule(const QString &name, QPoint from, QPoint to)
{
    return {name, StatementItem::Kind::Line, QRect(from, to), QString(), QString(), 0, {}};
}

} // namespace

StatementValues statementOf(const QString &name, const QString &title, const QVariant &wage,
                            const QVariant &hours, const QVariant &adjustment, const QVariant &total,
                            const QString &companyName, const QString &companyInfo, const QDate &date)
{
    return {name,
            title,
            fmt::value(wage, u"#,###"),
            fmt::value(hours, u"#,###.0"),
            fmt::value(adjustment, u"#,###"),
            fmt::value(total, u"#,###"),
            companyName,
            companyInfo,
            date};
}

void setPremiumValues(StatementValues &values, const QVariant &overtime, const QVariant &night,
                      const QVariant &restDay, const QVariant &premium)
{
    auto orZero = [](const QVariant &value) { return value.isNull() || !value.isValid() ? QVariant(0) : value; };
    values.premiums = true;
    values.overtime = fmt::value(orZero(overtime), u"#,###.0");
    values.night = fmt::value(orZero(night), u"#,###.0");
    values.restDay = fmt::value(orZero(restDay), u"#,###.0");
    values.premium = fmt::value(orZero(premium), u"#,###");
}

QList<StatementItem> statementItems(const StatementValues &v)
{
    const auto left = Qt::AlignLeft;
    const auto right = Qt::AlignRight;
    const auto centre = Qt::AlignHCenter;
    if (v.premiums) {
        // The second row's pairs stand in the columns of the first, and the
        // closing rule moves down under them.
        StatementValues first = v;
        first.premiums = false;
        QList<StatementItem> items = statementItems(first);
        const int top = 1701 + PremiumRowTwips;
        items.removeLast();
        items.append({
            label(u"Label時間外"_s, {213, top, 779, 354}, u"時間外"_s, 12),
            field(u"txt時間外"_s, {1140, top - 6, 735, 360}, v.overtime, 14.5, right),
            label(u"Label深夜"_s, {2126, top, 780, 354}, u"深夜"_s, 12),
            field(u"txt深夜"_s, {3047, top, 992, 354}, v.night, 14.5, right),
            label(u"Label休日"_s, {4394, top, 992, 354}, u"休日"_s, 12),
            field(u"txt休日"_s, {5669, top, 1488, 354}, v.restDay, 14.5, right),
            label(u"Label割増"_s, {7370, top, 1134, 354}, u"割増"_s, 12),
            field(u"txt割増"_s, {8715, top - 6, 1380, 360}, v.premium, 14.5, right),
            rule(u"Line1"_s, {0, 2120 + PremiumRowTwips}, {10350, 2120 + PremiumRowTwips}),
        });
        return items;
    }
    return {
        label(u"Lblタイトル"_s, {4100, 30, 1701, 354}, u"給与明細"_s, 14.5),
        field(u"txt日付"_s, {7800, 70, 2445, 300}, fmt::longDate(v.date), 11.5, right),
        rule(u"Line2"_s, {0, 425}, {10346, 425}),
        label(u"Label2"_s, {213, 600, 779, 354}, u"氏名"_s, 12),
        field(u"txt氏名"_s, {1140, 630, 3945, 600}, v.name + u"　様"_s, 14.5, left),
        field(u"txt自社名"_s, {5315, 650, 4890, 300}, v.companyName, 14.5, centre),
        field(u"txt自社情報"_s, {6236, 980, 3898, 600}, v.companyInfo, 10, left, Mincho),
        field(u"txtタイトル"_s, {300, 1275, 5805, 360}, v.title, 12, left),
        label(u"Label3"_s, {213, 1701, 779, 354}, u"時給"_s, 12),
        field(u"txt時給"_s, {1140, 1695, 735, 360}, v.wage, 14.5, right),
        label(u"Label4"_s, {2126, 1701, 780, 354}, u"時間"_s, 12),
        field(u"txt時間"_s, {3047, 1701, 992, 354}, v.hours, 14.5, right),
        label(u"Label5"_s, {4394, 1701, 992, 354}, u"調整額"_s, 12),
        field(u"txt調整額"_s, {5669, 1701, 1488, 354}, v.adjustment, 14.5, right),
        label(u"Label6"_s, {7370, 1701, 1134, 354}, u"支給額"_s, 12),
        field(u"txt合計"_s, {8715, 1695, 1380, 360}, v.total, 14.5, right),
        rule(u"Line1"_s, {0, 2120}, {10350, 2120}),
    };
}

void renderStatement(QPainter &painter, const QRectF &area, double dotsPerInch,
                     const StatementValues &values)
{
    const double scale = dotsPerInch / 1440.0;
    auto toDevice = [&](double twips) { return twips * scale; };
    // The statement may be drawn before (or without) a main window: its faces
    // must map to the installed Japanese fonts all the same.
    platform::installFontSubstitutes();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const StatementItem &item : statementItems(values)) {
        if (item.kind == StatementItem::Kind::Line) {
            painter.setPen(QPen(Qt::black, std::max(1.0, toDevice(15))));
            painter.drawLine(QPointF(area.left() + toDevice(item.twips.left()),
                                     area.top() + toDevice(item.twips.top())),
                             QPointF(area.left() + toDevice(item.twips.right()),
                                     area.top() + toDevice(item.twips.bottom())));
            continue;
        }
        const QRectF box(area.left() + toDevice(item.twips.left()), area.top() + toDevice(item.twips.top()),
                         toDevice(item.twips.width()), toDevice(item.twips.height()));
        // Point sizes relative to the device: a point is 20 twips. Right-aligned
        // values are numbers, set on one line; the others are texts that wrap.
        auto pixels = [&](double points) { return int(std::lround(toDevice(points * 20))); };
        const TextFit kind = item.alignment & Qt::AlignRight ? TextFit::Number : TextFit::Text;
        const FittedText fit = fitText(item.text, QFont(item.fontFamily), pixels(item.pointSize),
                                       pixels(StatementFloorPointSize), box, kind, area, painter.device());
        painter.setFont(fit.font);
        painter.setPen(Qt::black);
        // Measured to fit: nothing may clip a glyph over a rounding difference.
        const int flags = int(item.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop | Qt::TextSingleLine
            | Qt::TextDontClip;
        double top = fit.box.top();
        for (const QString &line : fit.lines) {
            painter.drawText(QRectF(fit.box.left(), top, fit.box.width(), fit.lineSpacing), flags, line);
            top += fit.lineSpacing;
        }
    }
    painter.restore();
}
