#include "employees/employeestore.h"

#include "data/sql.h"

using namespace Qt::StringLiterals;

namespace employees {

bool copyMasterToWork(const QSqlDatabase &main, const QSqlDatabase &work)
{
    return sql::refillFromMain(work, main, u"w従業員"_s, u"チェック, 氏名, 時給"_s,
                               u"SELECT 0, 氏名, 時給 FROM {main}従業員 ORDER BY 氏名"_s);
}

bool replaceMasterFromWork(const QSqlDatabase &main, const QSqlDatabase &work)
{
    bool ok = false;
    const QList<sql::Row> rows =
        sql::rows(work, u"SELECT 氏名, 時給 FROM w従業員 ORDER BY rowid"_s, {}, &ok);
    if (!ok)
        return false;
    sql::Transaction transaction(main);
    return transaction.active() && sql::exec(main, u"DELETE FROM 従業員"_s)
        && sql::insertRows(main, u"従業員"_s, u"氏名, 時給"_s, rows)
        && transaction.commit();
}

bool deleteTicked(const QSqlDatabase &main, const QSqlDatabase &work)
{
    // The work file's write lock is taken first, so that once the master has
    // committed, the ticked rows leave the grid too; a master that cannot be
    // written leaves both as they were.
    sql::Transaction workTransaction(work);
    bool ok = false;
    const QList<sql::Row> names = workTransaction.active()
        ? sql::rows(work, u"SELECT 氏名 FROM w従業員 WHERE チェック = 1"_s, {}, &ok)
        : QList<sql::Row>();
    if (!ok || !sql::exec(work, u"DELETE FROM w従業員 WHERE チェック = 1"_s))
        return false;
    if (!names.isEmpty()) {
        sql::Transaction transaction(main);
        if (!transaction.active()
            || !sql::execMany(main, u"DELETE FROM 従業員 WHERE 氏名 = ?"_s, names)
            || !transaction.commit())
            return false;
    }
    return workTransaction.commit();
}

bool clearWork(const QSqlDatabase &work)
{
    return sql::exec(work, u"DELETE FROM w従業員"_s);
}

QStringList namesInOrder(const QSqlDatabase &main, bool *ok)
{
    QStringList names;
    for (const sql::Row &row : sql::rows(main, u"SELECT 氏名 FROM 従業員 ORDER BY 氏名"_s, {}, ok))
        names.append(row.value(0).toString());
    return names;
}

QVariant wageOf(const QSqlDatabase &main, const QString &name, bool *ok)
{
    const QList<sql::Row> rows = sql::rows(
        main, u"SELECT 時給 FROM 従業員 WHERE 氏名 = ? ORDER BY rowid LIMIT 1"_s, {name}, ok);
    return rows.isEmpty() ? QVariant() : rows.first().value(0);
}

bool storeEmployee(const QSqlDatabase &main, const QString &name, const QVariant &wage)
{
    const QVariant rowId = sql::scalar(
        main, u"SELECT rowid FROM 従業員 WHERE 氏名 = ? ORDER BY rowid LIMIT 1"_s, {name});
    if (rowId.isValid())
        return sql::exec(main, u"UPDATE 従業員 SET 氏名 = ?, 時給 = ? WHERE rowid = ?"_s,
                         {name, wage, rowId});
    return sql::exec(main, u"INSERT INTO 従業員 (氏名, 時給) VALUES (?, ?)"_s, {name, wage});
}

} // namespace employees
