#include "hints/hintstore.h"

#include "data/sql.h"

using namespace Qt::StringLiterals;

namespace hints {

std::optional<QString> read(const QSqlDatabase &work, const QString &formName, const QString &ctlName,
                            bool *ok)
{
    const QList<sql::Row> rows = sql::rows(
        work, u"SELECT Contents FROM ClHint WHERE FormName = ? AND CtlName = ? ORDER BY rowid LIMIT 1"_s,
        {formName, ctlName}, ok);
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().value(0).toString();
}

bool store(const QSqlDatabase &work, const QString &formName, const QString &ctlName,
           const QString &formTitle, const QString &contents)
{
    sql::Transaction transaction(work);
    return transaction.active()
        && sql::exec(work, u"DELETE FROM ClHint WHERE FormName = ? AND CtlName = ?"_s, {formName, ctlName})
        && sql::exec(work,
                     u"INSERT INTO ClHint (FormName, CtlName, FormTitle, Contents) VALUES (?, ?, ?, ?)"_s,
                     {formName, ctlName, formTitle, contents})
        && transaction.commit();
}

bool remove(const QSqlDatabase &work, const QString &formName, const QString &ctlName)
{
    return sql::exec(work, u"DELETE FROM ClHint WHERE FormName = ? AND CtlName = ?"_s, {formName, ctlName});
}

} // namespace hints
