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

// The column of a line, as readLines gives it, that holds the date.
constexpr int LineDateColumn = 3;

QByteArray csv(const QStringList &header, const QList<QStringList> &rows)
{
    QString text;
    auto line = [&text](const QStringList &fields) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                text += u',';
            text += csvField(fields.at(i));
        }
        text += u"\r\n"_s;
    };
    line(header);
    for (const QStringList &row : rows)
        line(row);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace

StatementValues statementValues(const StoredSheet &sheet, const QString &companyName, const QString &companyInfo,
                                const QDate &date)
{
    return statementOf(sheet.key.name, sheet.key.title, asOnThePage(sheet.header.wage),
                       asOnThePage(sheet.header.hours), asOnThePage(sheet.header.adjustment),
                       asOnThePage(sheet.header.total), companyName, companyInfo, date);
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

QByteArray sheetsCsv(const QList<StoredSheet> &sheets)
{
    QList<QStringList> rows;
    rows.reserve(sheets.size());
    for (const StoredSheet &s : sheets)
        rows.append({s.key.name, s.key.title, storedText(s.header.wage), storedText(s.header.breakHours),
                     storedText(s.header.hours), storedText(s.header.adjustment), storedText(s.header.total)});
    return csv({u"氏名"_s, u"タイトル"_s, u"時給"_s, u"休憩"_s, u"時間"_s, u"調整額"_s, u"合計"_s}, rows);
}

QByteArray linesCsv(const QList<sql::Row> &lines)
{
    QList<QStringList> rows;
    rows.reserve(lines.size());
    for (const sql::Row &line : lines) {
        QStringList fields;
        for (int c = 0; c < line.size(); ++c)
            fields.append(c == LineDateColumn ? fmt::date(line.at(c)) : storedText(line.at(c)));
        rows.append(fields);
    }
    return csv({u"氏名"_s, u"タイトル"_s, u"行番号"_s, u"日付"_s, u"開始時間"_s, u"終了時間"_s, u"時間"_s,
                u"時給"_s, u"調整額"_s, u"金額"_s},
               rows);
}

} // namespace history
