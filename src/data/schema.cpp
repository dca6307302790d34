#include "data/schema.h"

#include "data/sql.h"

using namespace Qt::StringLiterals;

namespace {

TableDef table(const QString &name, const QList<std::pair<QString, QString>> &columns,
               const QList<QStringList> &indexes = {})
{
    TableDef def;
    def.name = name;
    QStringList parts;
    for (const auto &[column, type] : columns) {
        def.columns.append(column);
        parts.append(column + u' ' + type);
    }
    def.createSql = QStringLiteral("CREATE TABLE %1 (%2)").arg(name, parts.join(QStringLiteral(", ")));
    int n = 0;
    for (const QStringList &key : indexes) {
        def.indexSql.append(QStringLiteral("CREATE INDEX %1_key%2 ON %1 (%3)")
                                .arg(name)
                                .arg(++n)
                                .arg(key.join(QStringLiteral(", "))));
    }
    return def;
}

const QString Text = QStringLiteral("TEXT");
const QString Real = QStringLiteral("REAL");
const QString Integer = QStringLiteral("INTEGER");

} // namespace

// Version 1: the file counts its writes (generationOf).
QStringList countWrites()
{
    QStringList steps{u"CREATE TABLE 世代 (番号 INTEGER NOT NULL)"_s, u"INSERT INTO 世代 (番号) VALUES (1)"_s};
    // Every registration, deletion and setting touches one of these tables;
    // the lines of a sheet are left out, so that deleting all of them keeps
    // SQLite's quick emptying of a table.
    for (const QString &table : {u"従業員"_s, u"時給ヘッダ"_s, u"自社情報"_s})
        for (const QString &event : {u"INSERT"_s, u"UPDATE"_s, u"DELETE"_s})
            steps.append(u"CREATE TRIGGER 世代_%1_%2 AFTER %2 ON %1 BEGIN UPDATE 世代 SET 番号 = 番号 + 1; END"_s
                             .arg(table, event));
    return steps;
}

// Version 3: the premiums of the lines and their totals on the sheet (null on
// a sheet registered without them), and the settings they are computed by.
// The settings count as writes, as the company settings do.
QStringList addPremiums()
{
    QStringList steps;
    for (const QString &table : {u"時給明細"_s, u"時給ヘッダ"_s}) {
        const bool line = table == u"時給明細"_s;
        steps.append(u"ALTER TABLE %1 ADD COLUMN 休日 %2"_s.arg(table, line ? Integer : Real));
        for (const QString &column : {u"深夜"_s, u"時間外"_s, u"割増"_s})
            steps.append(u"ALTER TABLE %1 ADD COLUMN %2 REAL"_s.arg(table, column));
    }
    steps.append(u"CREATE TABLE 割増設定 (計算 INTEGER, 時間外率 REAL, 深夜率 REAL, 休日率 REAL, "
                 u"時間外60時間超率 REAL, 週労働時間 REAL, 週起算日 INTEGER)"_s);
    for (const QString &event : {u"INSERT"_s, u"UPDATE"_s, u"DELETE"_s})
        steps.append(u"CREATE TRIGGER 世代_割増設定_%1 AFTER %1 ON 割増設定 BEGIN UPDATE 世代 SET 番号 = 番号 + 1; END"_s
                         .arg(event));
    return steps;
}

const FileSchema &mainSchema()
{
    static const FileSchema schema{{
        table(u"従業員"_s, {{u"氏名"_s, Text}, {u"時給"_s, Real}}, {{u"氏名"_s}}),
        table(u"時給ヘッダ"_s,
              {{u"氏名"_s, Text}, {u"タイトル"_s, Text}, {u"時給"_s, Real}, {u"休憩"_s, Real},
               {u"調整額"_s, Real}, {u"時間"_s, Real}, {u"合計"_s, Real}},
              {{u"氏名"_s, u"タイトル"_s}}),
        table(u"時給明細"_s,
              {{u"氏名"_s, Text}, {u"タイトル"_s, Text}, {u"行番号"_s, Integer}, {u"日付"_s, Text},
               {u"開始時間"_s, Text}, {u"終了時間"_s, Text}, {u"時間"_s, Real}, {u"時給"_s, Real},
               {u"調整額"_s, Real}, {u"金額"_s, Real}},
              {{u"氏名"_s, u"タイトル"_s, u"行番号"_s}}),
        table(u"自社情報"_s, {{u"自社名"_s, Text}, {u"自社情報"_s, Text}}),
    }, {countWrites(),
        // Version 2: when a sheet was registered, for the question before it is replaced.
        {u"ALTER TABLE 時給ヘッダ ADD COLUMN 登録日時 TEXT"_s},
        addPremiums(),
        // Version 4: which write of a sheet this is and the computer that made it, so
        // that a computer registering over a sheet another one changed since is asked.
        {u"ALTER TABLE 時給ヘッダ ADD COLUMN 版 INTEGER"_s, u"ALTER TABLE 時給ヘッダ ADD COLUMN 更新者 TEXT"_s}}};
    return schema;
}

const FileSchema &workSchema()
{
    static const FileSchema schema{{
        table(u"w明細"_s,
              {{u"行番号"_s, Integer}, {u"日付"_s, Text}, {u"開始時間"_s, Text}, {u"終了時間"_s, Text},
               {u"時間"_s, Real}, {u"時給"_s, Real}, {u"調整額"_s, Real}, {u"金額"_s, Real}}),
        table(u"w従業員"_s, {{u"チェック"_s, Integer}, {u"氏名"_s, Text}, {u"時給"_s, Real}}),
        table(u"w履歴"_s, {{u"氏名"_s, Text}, {u"合計"_s, Real}, {u"タイトル"_s, Text}}),
        table(u"ClHint"_s,
              {{u"FormName"_s, Text}, {u"CtlName"_s, Text}, {u"FormTitle"_s, Text}, {u"Contents"_s, Text}},
              {{u"FormName"_s, u"CtlName"_s}}),
    }, {// Version 1: the premiums of the lines being edited.
        {u"ALTER TABLE w明細 ADD COLUMN 休日 INTEGER"_s, u"ALTER TABLE w明細 ADD COLUMN 深夜 REAL"_s,
         u"ALTER TABLE w明細 ADD COLUMN 時間外 REAL"_s, u"ALTER TABLE w明細 ADD COLUMN 割増 REAL"_s}}};
    return schema;
}

namespace {

bool runUpgrades(const QSqlDatabase &db, const FileSchema &schema, int from)
{
    for (int version = from; version < schema.version(); ++version)
        for (const QString &statement : schema.upgrades.at(version))
            if (!sql::exec(db, statement))
                return false;
    // (A pragma takes no bound value; the number is the program's own.)
    return sql::exec(db, u"PRAGMA user_version = %1"_s.arg(schema.version()));
}

} // namespace

bool createSchema(const QSqlDatabase &db, const FileSchema &schema)
{
    sql::Transaction transaction(db);
    if (!transaction.active())
        return false;
    for (const TableDef &def : schema.tables) {
        if (!sql::exec(db, def.createSql))
            return false;
        for (const QString &index : def.indexSql)
            if (!sql::exec(db, index))
                return false;
    }
    return runUpgrades(db, schema, 0) && transaction.commit();
}

int fileVersion(const QSqlDatabase &db)
{
    const QVariant version = sql::scalar(db, u"PRAGMA user_version"_s);
    return version.isValid() ? version.toInt() : -1;
}

bool upgradeSchema(const QSqlDatabase &db, const FileSchema &schema)
{
    sql::Transaction transaction(db);
    const int from = fileVersion(db);
    return transaction.active() && from >= 0 && runUpgrades(db, schema, from) && transaction.commit();
}

std::optional<qint64> generationOf(const QSqlDatabase &main)
{
    const QVariant counted =
        sql::scalar(main, u"SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '世代'"_s);
    if (!counted.isValid())
        return std::nullopt;
    if (counted.toInt() == 0)
        return 0;
    const QVariant generation = sql::scalar(main, u"SELECT 番号 FROM 世代"_s);
    return generation.isValid() ? std::optional(generation.toLongLong()) : std::nullopt;
}

QString findMissingTable(const QSqlDatabase &db, const FileSchema &schema, bool *readable)
{
    bool ok = false;
    const QList<sql::Row> master =
        sql::rows(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), {}, &ok);
    *readable = ok;
    if (!ok)
        return QString();
    QStringList present;
    for (const sql::Row &row : master)
        present.append(row.value(0).toString());
    for (const TableDef &def : schema.tables) {
        if (!present.contains(def.name))
            return def.name;
        const QList<sql::Row> info =
            sql::rows(db, QStringLiteral("SELECT name FROM pragma_table_info(?)"), {def.name});
        QStringList columns;
        for (const sql::Row &row : info)
            columns.append(row.value(0).toString());
        for (const QString &column : def.columns)
            if (!columns.contains(column))
                return def.name + u'.' + column;
    }
    return QString();
}
