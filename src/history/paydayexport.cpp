#include "history/paydayexport.h"

#include "controls/formats.h"

#include <QLocale>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace history {

namespace {

// The page shows an empty stored value as 0, and prints what it shows.
QVariant asOnThePage(const QVariant &stored)
{
    double d = 0;
    if (stored.isNull() || !stored.isValid())
        return 0.0;
    return fmt::toDouble(stored, &d) ? QVariant(d) : QVariant();
}

// The fields of a line as readLines gives them.
enum LineField { L氏名, Lタイトル, L行番号, L日付, L開始時間, L終了時間, L時間, L時給, L調整額, L金額, L休日, L深夜, L時間外, L割増 };

template <typename Row>
QByteArray csv(QList<CsvColumn<Row>> columns, const QList<Row> &rows, bool premiums)
{
    if (!premiums)
        columns.removeIf([](const CsvColumn<Row> &column) { return column.premium; });
    QString text;
    auto line = [&text](const QStringList &fields) {
        text += fields.join(u',');
        text += u"\r\n"_s;
    };
    QStringList fields;
    for (const CsvColumn<Row> &column : columns)
        fields.append(csvField(column.caption));
    line(fields);
    for (const Row &row : rows) {
        fields.clear();
        for (const CsvColumn<Row> &column : columns)
            fields.append(csvField(column.text(row)));
        line(fields);
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace

StatementValues statementValues(const StoredSheet &sheet, const QString &companyName, const QString &companyInfo,
                                bool premiums, const QDate &date)
{
    const sheet::Header &h = sheet.header;
    StatementValues values = statementOf(sheet.key.name, sheet.key.title, asOnThePage(h.wage), asOnThePage(h.hours),
                                         asOnThePage(h.adjustment), asOnThePage(h.total), companyName, companyInfo,
                                         date);
    if (premiums)
        setPremiumValues(values, asOnThePage(h.overtime), asOnThePage(h.night), asOnThePage(h.restDay),
                         asOnThePage(h.premium));
    return values;
}

QString csvField(const QString &text)
{
    static const QString needsQuotes = u",\"\r\n"_s;
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return needsQuotes.contains(c); }))
        return text;
    return u'"' + QString(text).replace(u'"', u"\"\""_s) + u'"';
}

QString storedText(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    if (value.typeId() == QMetaType::Double)
        return QLocale::c().toString(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    return value.toString();
}

QString csvTime(const QVariant &value)
{
    const QString text = storedText(value);
    const bool fourDigits = text.size() == 4 && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
                                return c >= u'0' && c <= u'9';
                            });
    return fourDigits ? fmt::value(text, u"##:##") : text;
}

QString csvHours(const QVariant &value)
{
    double hours = 0;
    if (!fmt::toDouble(value, &hours))
        return storedText(value);
    return fmt::number(hours, u"0.0");
}

const QList<CsvColumn<StoredSheet>> &sheetColumns()
{
    using S = StoredSheet;
    static const QList<CsvColumn<S>> columns{
        {u"氏名"_s, [](const S &s) { return s.key.name; }},
        {u"タイトル"_s, [](const S &s) { return s.key.title; }},
        {u"時給"_s, [](const S &s) { return storedText(s.header.wage); }},
        {u"休憩"_s, [](const S &s) { return storedText(s.header.breakHours); }},
        {u"時間"_s, [](const S &s) { return csvHours(s.header.hours); }},
        {u"調整額"_s, [](const S &s) { return storedText(s.header.adjustment); }},
        {u"支給額"_s, [](const S &s) { return storedText(s.header.total); }},
        {u"時間外"_s, [](const S &s) { return csvHours(s.header.overtime); }, true},
        {u"深夜"_s, [](const S &s) { return csvHours(s.header.night); }, true},
        {u"休日"_s, [](const S &s) { return csvHours(s.header.restDay); }, true},
        {u"割増"_s, [](const S &s) { return storedText(s.header.premium); }, true},
    };
    return columns;
}

const QList<CsvColumn<sql::Row>> &lineColumns()
{
    using R = sql::Row;
    static const QList<CsvColumn<R>> columns{
        {u"氏名"_s, [](const R &l) { return storedText(l.value(L氏名)); }},
        {u"タイトル"_s, [](const R &l) { return storedText(l.value(Lタイトル)); }},
        {u"行番号"_s, [](const R &l) { return storedText(l.value(L行番号)); }},
        {u"日付"_s, [](const R &l) { return fmt::date(l.value(L日付)); }},
        {u"開始時間"_s, [](const R &l) { return csvTime(l.value(L開始時間)); }},
        {u"終了時間"_s, [](const R &l) { return csvTime(l.value(L終了時間)); }},
        {u"時間"_s, [](const R &l) { return csvHours(l.value(L時間)); }},
        {u"時給"_s, [](const R &l) { return storedText(l.value(L時給)); }},
        {u"調整額"_s, [](const R &l) { return storedText(l.value(L調整額)); }},
        {u"金額"_s, [](const R &l) { return storedText(l.value(L金額)); }},
        {u"休日"_s, [](const R &l) { return l.value(L休日).toInt() == 1 ? u"1"_s : QString(); }, true},
        {u"深夜"_s, [](const R &l) { return csvHours(l.value(L深夜)); }, true},
        {u"時間外"_s, [](const R &l) { return csvHours(l.value(L時間外)); }, true},
        {u"割増"_s, [](const R &l) { return storedText(l.value(L割増)); }, true},
    };
    return columns;
}

QByteArray sheetsCsv(const QList<StoredSheet> &sheets, bool premiums)
{
    return csv(sheetColumns(), sheets, premiums);
}

QByteArray linesCsv(const QList<sql::Row> &lines, bool premiums)
{
    return csv(lineColumns(), lines, premiums);
}

} // namespace history
