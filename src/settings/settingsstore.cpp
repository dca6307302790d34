#include "settings/settingsstore.h"

#include "data/sql.h"

using namespace Qt::StringLiterals;

namespace settings {

std::optional<Company> read(const QSqlDatabase &main, bool *ok)
{
    const QList<sql::Row> rows =
        sql::rows(main, u"SELECT 自社名, 自社情報 FROM 自社情報 ORDER BY rowid LIMIT 1"_s, {}, ok);
    if (rows.isEmpty())
        return std::nullopt;
    return Company{rows.first().value(0), rows.first().value(1)};
}

std::optional<sheet::Premiums> readPremiums(const QSqlDatabase &main)
{
    bool ok = false;
    const QList<sql::Row> rows =
        sql::rows(main,
                  u"SELECT 計算, 時間外率, 深夜率, 休日率, 時間外60時間超率, 週労働時間, 週起算日 FROM 割増設定 "
                  u"ORDER BY rowid LIMIT 1"_s,
                  {}, &ok);
    if (!ok)
        return std::nullopt;
    sheet::Premiums premiums;
    if (rows.isEmpty())
        return premiums;
    const sql::Row &row = rows.first();
    auto take = [&row](int field, auto &to) {
        if (!row.value(field).isNull())
            to = row.value(field).value<std::remove_reference_t<decltype(to)>>();
    };
    take(0, premiums.on);
    take(1, premiums.overtime);
    take(2, premiums.night);
    take(3, premiums.restDay);
    take(4, premiums.overtimeOver60);
    take(5, premiums.weeklyHours);
    take(6, premiums.weekStart);
    return premiums;
}

namespace {

bool storeCompany(const QSqlDatabase &main, const QString &name, const QString &info)
{
    const QVariant rowId = sql::scalar(main, u"SELECT rowid FROM 自社情報 ORDER BY rowid LIMIT 1"_s);
    if (rowId.isValid())
        return sql::exec(main, u"UPDATE 自社情報 SET 自社名 = ?, 自社情報 = ? WHERE rowid = ?"_s,
                         {name, info, rowId});
    return sql::exec(main, u"INSERT INTO 自社情報 (自社名, 自社情報) VALUES (?, ?)"_s, {name, info});
}

bool storePremiums(const QSqlDatabase &main, const sheet::Premiums &premiums)
{
    const QVariantList values{premiums.on ? 1 : 0,       premiums.overtime,    premiums.night,
                              premiums.restDay,          premiums.overtimeOver60, premiums.weeklyHours,
                              premiums.weekStart};
    const QVariant rowId = sql::scalar(main, u"SELECT rowid FROM 割増設定 ORDER BY rowid LIMIT 1"_s);
    if (rowId.isValid())
        return sql::exec(main,
                         u"UPDATE 割増設定 SET 計算 = ?, 時間外率 = ?, 深夜率 = ?, 休日率 = ?, 時間外60時間超率 = ?, "
                         u"週労働時間 = ?, 週起算日 = ? WHERE rowid = ?"_s,
                         values + QVariantList{rowId});
    return sql::exec(main,
                     u"INSERT INTO 割増設定 (計算, 時間外率, 深夜率, 休日率, 時間外60時間超率, 週労働時間, 週起算日) "
                     u"VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
                     values);
}

} // namespace

bool store(const QSqlDatabase &main, const QString &name, const QString &info, const sheet::Premiums &premiums)
{
    sql::Transaction transaction(main);
    return transaction.active() && storeCompany(main, name, info) && storePremiums(main, premiums)
        && transaction.commit();
}

bool blank(const QSqlDatabase &main)
{
    sql::Transaction transaction(main);
    return transaction.active()
        && sql::exec(main,
                     u"UPDATE 自社情報 SET 自社名 = NULL, 自社情報 = NULL "
                     u"WHERE rowid = (SELECT rowid FROM 自社情報 ORDER BY rowid LIMIT 1)"_s)
        && sql::exec(main, u"DELETE FROM 割増設定"_s) && transaction.commit();
}

bool deleteAllData(const QSqlDatabase &main)
{
    sql::Transaction transaction(main);
    return transaction.active() && sql::exec(main, u"DELETE FROM 時給ヘッダ"_s)
        && sql::exec(main, u"DELETE FROM 時給明細"_s) && sql::exec(main, u"DELETE FROM 従業員"_s)
        && sql::exec(main, u"DELETE FROM 自社情報"_s) && sql::exec(main, u"DELETE FROM 割増設定"_s)
        && transaction.commit();
}

} // namespace settings
