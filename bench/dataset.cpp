#include "dataset.h"

#include "data/datastore.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

// Bumped whenever what is generated changes, so that a stale cache is not reused.
constexpr int GeneratorVersion = 3;

QStringList employeeNames(int count)
{
    static const QStringList family{
        u"佐藤"_s, u"鈴木"_s, u"高橋"_s, u"田中"_s, u"伊藤"_s, u"渡辺"_s, u"山本"_s, u"中村"_s,
        u"小林"_s, u"加藤"_s, u"吉田"_s, u"山田"_s, u"佐々木"_s, u"山口"_s, u"松本"_s, u"井上"_s,
        u"木村"_s, u"林"_s, u"斎藤"_s, u"清水"_s, u"山崎"_s, u"森"_s, u"池田"_s, u"橋本"_s,
        u"阿部"_s, u"石川"_s, u"山下"_s, u"中島"_s, u"石井"_s, u"小川"_s, u"前田"_s, u"岡田"_s,
        u"長谷川"_s, u"藤田"_s, u"後藤"_s, u"近藤"_s, u"村上"_s, u"遠藤"_s, u"青木"_s, u"坂本"_s};
    static const QStringList given{
        u"花子"_s, u"太郎"_s, u"一郎"_s, u"美咲"_s, u"陽子"_s, u"健太"_s, u"翔太"_s, u"由美"_s,
        u"恵子"_s, u"直樹"_s, u"大輔"_s, u"真由美"_s, u"拓也"_s, u"愛"_s, u"彩"_s, u"優子"_s,
        u"和也"_s, u"誠"_s, u"裕子"_s, u"明美"_s, u"剛"_s, u"聡"_s, u"智子"_s, u"浩二"_s,
        u"幸子"_s, u"隆"_s, u"京子"_s, u"修"_s, u"舞"_s, u"悠人"_s};
    QStringList names;
    for (int i = 0; names.size() < count; ++i) {
        // Beyond family × given, a numbered suffix keeps names unique as a shop would.
        const qsizetype combos = family.size() * given.size();
        QString name = family.at(i % family.size()) + u'　' + given.at((i / family.size()) % given.size());
        if (i >= combos)
            name += QString::number(i / combos + 1);
        names.append(name);
    }
    return names;
}

// Half-month pay periods, 0 the latest (the second half of December 2024) and
// counting back.
struct Period
{
    QDate first;
    QDate last;
    QString title;
};

Period period(int back)
{
    const QDate month = QDate(2024, 12, 1).addMonths(-(back / 2));
    const bool secondHalf = back % 2 == 0;
    Period p;
    p.first = secondHalf ? month.addDays(15) : month;
    p.last = secondHalf ? QDate(month.year(), month.month(), month.daysInMonth()) : month.addDays(14);
    p.title = u"%1年%2月 %3"_s.arg(month.year())
                  .arg(month.month(), 2, 10, QChar(u'0'))
                  .arg(secondHalf ? u"後半"_s : u"前半"_s);
    return p;
}

QString timeText(int minutes)
{
    return u"%1%2"_s.arg(minutes / 60, 2, 10, QChar(u'0')).arg(minutes % 60, 2, 10, QChar(u'0'));
}

bool failed(const QSqlQuery &query, QString *error)
{
    *error = query.lastError().text();
    return false;
}

int probeEmployee(int employees, int sheets)
{
    // Period 0 goes to the first min(employees, sheets) employees; the probe is the middle one.
    return std::min(employees, sheets) / 2;
}

bool generate(const DataPaths &paths, int employeeCount, int sheetCount, qint64 *lineCount,
              QString *error)
{
    DataStore store;
    if (const auto startup = store.open(paths)) {
        *error = startup->message();
        return false;
    }
    QSqlDatabase db = store.main();
    QSqlQuery query(db);
    // A private copy being filled: no fsync, a large page cache, one transaction.
    query.exec(u"PRAGMA synchronous=OFF"_s);
    query.exec(u"PRAGMA cache_size=-262144"_s);
    if (!query.exec(u"BEGIN"_s))
        return failed(query, error);

    QRandomGenerator random(20241231);
    const QStringList names = employeeNames(employeeCount);
    QList<double> wages;
    QSqlQuery employee(db);
    employee.prepare(u"INSERT INTO 従業員 (氏名, 時給) VALUES (?, ?)"_s);
    for (const QString &name : names) {
        wages.append(950 + 10 * random.bounded(56));
        employee.bindValue(0, name);
        employee.bindValue(1, wages.last());
        if (!employee.exec())
            return failed(employee, error);
    }

    QSqlQuery header(db);
    header.prepare(u"INSERT INTO 時給ヘッダ (氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計) "
                   u"VALUES (?, ?, ?, ?, ?, ?, ?)"_s);
    QSqlQuery line(db);
    line.prepare(u"INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, 時給, "
                 u"調整額, 金額) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);

    // Registered as a shop registers them: period by period, oldest first, so
    // that the lines of one sheet lie scattered through the file.
    const int periods = (sheetCount + employeeCount - 1) / employeeCount;
    const int probe = probeEmployee(employeeCount, sheetCount);
    qint64 lines = 0;
    for (int back = periods - 1; back >= 0; --back) {
        const Period p = period(back);
        const int days = int(p.first.daysTo(p.last)) + 1;
        const int inPeriod = std::min(employeeCount, sheetCount - back * employeeCount);
        for (int e = 0; e < inPeriod; ++e) {
            const QString &name = names.at(e);
            const double wage = wages.at(e);
            const int breakHours = int(random.bounded(2));
            const int count = (back == 0 && e == probe) ? 60 : 20 + int(random.bounded(41));
            double hoursSum = 0, adjustmentSum = 0, amountSum = 0;
            for (int n = 0; n < count; ++n) {
                const QDate date = p.first.addDays(n * days / count);
                const int start = 8 * 60 + 30 * int(random.bounded(10));
                const int end = std::min(start + 180 + 30 * int(random.bounded(13)), 24 * 60);
                const double hours = (end - start) / 60.0 - breakHours;
                const double adjustment = random.bounded(10) == 0 ? 500 : 0;
                const double amount = hours * wage + adjustment;
                hoursSum += hours;
                adjustmentSum += adjustment;
                amountSum += amount;
                const QVariantList values{name, p.title, n + 1, date.toString(Qt::ISODate),
                                          timeText(start), timeText(end), hours, wage,
                                          adjustment, amount};
                for (int i = 0; i < values.size(); ++i)
                    line.bindValue(i, values.at(i));
                if (!line.exec())
                    return failed(line, error);
            }
            lines += count;
            const QVariantList values{name, p.title, wage, breakHours, adjustmentSum, hoursSum, amountSum};
            for (int i = 0; i < values.size(); ++i)
                header.bindValue(i, values.at(i));
            if (!header.exec())
                return failed(header, error);
        }
    }
    employee.finish();
    header.finish();
    line.finish();
    if (!query.exec(u"COMMIT"_s))
        return failed(query, error);
    *lineCount = lines;
    return true;
}

} // namespace

namespace bench {

DataPaths pathsOfFolder(const QString &folder)
{
    DataPaths paths;
    paths.DataPath = QDir(folder).absolutePath() + u'/';
    paths.MainDbPath = paths.DataPath + QString::fromUtf16(MainDbFileName);
    paths.WorkDbPath = paths.DataPath + QString::fromUtf16(WorkDbFileName);
    return paths;
}

Dataset ensureDataset(const QString &cacheRoot, int employees, int sheets, QString *error)
{
    Dataset set;
    set.employees = employees;
    set.sheets = sheets;
    const QString name = u"v%1-N%2-M%3"_s.arg(GeneratorVersion).arg(employees).arg(sheets);
    const QString folder = QDir(cacheRoot).filePath(name);
    const QString infoFile = QDir(folder).filePath(u"bench-lines.txt"_s);

    // Folders of other generator versions of the same size are stale: they go.
    const QString suffix = u"-N%1-M%2"_s.arg(employees).arg(sheets);
    const QDir root(cacheRoot);
    for (const QString &other : root.entryList({u"v*"_s + suffix, u"v*"_s + suffix + u".partial"_s}, QDir::Dirs))
        if (other != name)
            QDir(root.filePath(other)).removeRecursively();

    if (!QFileInfo::exists(infoFile)) {
        // Generated beside the cache and renamed when complete: an interrupted
        // run never leaves a half-filled folder to be reused.
        const QString partial = folder + u".partial"_s;
        QDir(partial).removeRecursively();
        QDir(folder).removeRecursively();
        QTextStream(stderr) << "Generating " << employees << " employees and " << sheets
                            << " sheets in " << folder << " ..." << Qt::endl;
        QElapsedTimer timer;
        timer.start();
        qint64 lines = 0;
        if (!generate(pathsOfFolder(partial), employees, sheets, &lines, error))
            return set;
        QFile info(QDir(partial).filePath(u"bench-lines.txt"_s));
        if (!info.open(QIODevice::WriteOnly) || info.write(QByteArray::number(lines)) < 0) {
            *error = u"cannot write %1"_s.arg(info.fileName());
            return set;
        }
        info.close();
        if (!QDir().rename(partial, folder)) {
            *error = u"cannot rename %1"_s.arg(partial);
            return set;
        }
        QTextStream(stderr) << "  " << lines << " lines in " << timer.elapsed() / 1000.0 << " s"
                            << Qt::endl;
    }

    QFile info(infoFile);
    if (info.open(QIODevice::ReadOnly))
        set.lines = info.readAll().trimmed().toLongLong();
    set.folder = folder;
    set.paths = pathsOfFolder(folder);
    set.probeName = employeeNames(employees).at(probeEmployee(employees, sheets));
    set.probeTitle = period(0).title;
    return set;
}

} // namespace bench
