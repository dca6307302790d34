// Pulling the plug, proved by killing: this program starts itself as a child
// that runs the real window on a data folder and loops the real operations
// (registering sheets, registering one again with other lines, deleting one,
// registering the employee master, the company settings, deleting all data).
// The parent kills it with SIGKILL at a random moment, then Pelora must start
// normally, both files must pass integrity_check and the main file must hold
// exactly the state before or after the operation that was under way: every
// sheet whole (its header and all its lines from one registration), the master
// and the settings one of those registered.
//
// PELORA_KILLS sets the number of kills (40 by default, scripts/crashtest.sh
// runs 300); PELORA_KILL_RUN repeats a run.
#include "fixture.h"
#include "portable.h"

#include "app/startup.h"
#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "data/schema.h"
#include "data/backup.h"
#include "data/restore.h"
#include "data/sql.h"
#include "timesheet/sheetstore.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <QTreeWidget>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const char ChildVariable[] = "PELORA_CRASH_CHILD"; // the folder the child's data folder is in
const char FromVariable[] = "PELORA_CRASH_FROM";   // the first operation the child runs; -1: none; -2: a restore

// ---- What the operations register ----------------------------------------

struct Variant
{
    double wage = 0;
    double breakHours = 0;
    QList<sql::Row> lines; // date, start, end, hours, wage, adjustment, amount; dates ascending
};

// Sheet variants told apart by wage, with 3, 60, 25, no and 12 lines. All
// values are halves and whole yen, so sums are exact in any order.
Variant variant(int v)
{
    static const int counts[] = {3, 60, 25, 0, 12};
    Variant result;
    result.wage = 1000 + 100 * v;
    result.breakHours = v % 2;
    for (int i = 0; i < counts[v]; ++i) {
        const double hours = 8 - result.breakHours + 0.5 * (i % 3);
        const double wage = result.wage + i;
        const double adjustment = (i % 4) * 100 - 100;
        result.lines.append({QDate(2024, 4, 1).addDays(i + 3 * v).toString(Qt::ISODate), u"0900"_s,
                             u"1%1"_s.arg(700 + 30 * (i % 2), 3, 10, QChar(u'0')), hours, wage, adjustment,
                             hours * wage + adjustment});
    }
    return result;
}

QList<std::pair<QString, double>> master(int m)
{
    QList<std::pair<QString, double>> rows;
    if (m == 1) {
        for (int i = 1; i <= 30; ++i)
            rows.append({u"社員%1"_s.arg(i, 2, 10, QChar(u'0')), 900.0 + i});
        rows.append({u"山田花子"_s, 950.0});
    } else {
        for (int i = 1; i <= 5; ++i)
            rows.append({u"パート%1"_s.arg(i), 1200.0 + 10 * i});
    }
    return rows;
}

std::pair<QString, QString> company(int k)
{
    return {u"ぺろら商店 %1"_s.arg(k), u"東京都千代田区 %1\n電話 03-0000-000%1"_s.arg(k)};
}

enum class Kind { Register, Delete, Master, Settings, DeleteAll };

struct Operation
{
    Kind kind;
    QString name;
    QString title;
    int number = 0; // variant, master or settings
};

// The cycle the child loops. A name and a title that look like SQL and carry
// quotes share the file with the others.
const QList<Operation> &cycle()
{
    static const QString a = u"山田花子"_s;
    static const QString b = u"O'Brien'); DELETE FROM 時給明細; --"_s;
    static const QList<Operation> ops{
        {Kind::Register, a, u"4月分"_s, 0}, {Kind::Register, b, u"4月分 '"_s, 1},
        {Kind::Register, a, u"4月分"_s, 2}, {Kind::Master, {}, {}, 1},
        {Kind::Register, a, u"5月分"_s, 3}, {Kind::Settings, {}, {}, 1},
        {Kind::Register, a, u"4月分"_s, 4}, {Kind::Delete, a, u"4月分"_s},
        {Kind::Register, b, u"4月分 '"_s, 3}, {Kind::Master, {}, {}, 2},
        {Kind::Settings, {}, {}, 2},        {Kind::DeleteAll, {}, {}, 0},
    };
    return ops;
}

const Operation &operation(qint64 index)
{
    return cycle().at(int(index % cycle().size()));
}

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Register: return u"register sheet"_s;
    case Kind::Delete: return u"delete sheet"_s;
    case Kind::Master: return u"register master"_s;
    case Kind::Settings: return u"register settings"_s;
    case Kind::DeleteAll: return u"delete all data"_s;
    }
    return {};
}

// ---- The model: what the main file may hold --------------------------------

struct State
{
    QMap<std::pair<QString, QString>, int> sheets; // key → variant
    QMap<QString, double> employees;
    int settings = 0; // 0: no settings row

    State after(const Operation &op) const
    {
        State next = *this;
        switch (op.kind) {
        case Kind::Register:
            next.employees[op.name] = variant(op.number).wage;
            next.sheets[{op.name, op.title}] = op.number;
            break;
        case Kind::Delete:
            next.sheets.remove({op.name, op.title});
            break;
        case Kind::Master:
            next.employees.clear();
            for (const auto &[name, wage] : master(op.number))
                next.employees[name] = wage;
            break;
        case Kind::Settings:
            next.settings = op.number;
            break;
        case Kind::DeleteAll:
            next = State();
            break;
        }
        return next;
    }
};

QString number(const QVariant &value)
{
    return value.isNull() ? u"null"_s : QString::number(value.toDouble(), 'g', 15);
}

QString text(const QVariant &value)
{
    return value.isNull() ? u"null"_s : u'"' + value.toString() + u'"';
}

QString lineText(const QString &name, const QString &title, int lineNumber, const sql::Row &line)
{
    return u"line %1 %2 #%3: %4 %5 %6 %7 %8 %9 %10"_s.arg(text(name), text(title))
        .arg(lineNumber)
        .arg(text(line.value(0)), text(line.value(1)), text(line.value(2)), number(line.value(3)),
             number(line.value(4)), number(line.value(5)), number(line.value(6)));
}

// The main file's contents as sorted lines of text, from the model…
QStringList expectedContents(const State &state)
{
    QStringList rows;
    for (auto it = state.sheets.cbegin(); it != state.sheets.cend(); ++it) {
        const auto &[name, title] = it.key();
        const Variant v = variant(it.value());
        double hours = 0, adjustment = 0, amount = 0;
        int n = 0;
        for (const sql::Row &line : v.lines) {
            rows.append(lineText(name, title, ++n, line));
            hours += line.value(3).toDouble();
            adjustment += line.value(5).toDouble();
            amount += line.value(6).toDouble();
        }
        rows.append(u"header %1 %2: %3 %4 %5 %6 %7"_s.arg(text(name), text(title), number(v.wage),
                                                          number(v.breakHours), number(adjustment),
                                                          number(hours), number(amount)));
    }
    for (auto it = state.employees.cbegin(); it != state.employees.cend(); ++it)
        rows.append(u"employee %1 %2"_s.arg(text(it.key()), number(it.value())));
    if (state.settings) {
        const auto [name, info] = company(state.settings);
        rows.append(u"settings %1 %2"_s.arg(text(name), text(info)));
    }
    rows.sort();
    return rows;
}

// …and from the file.
QStringList actualContents(const QString &mainFile)
{
    QStringList rows;
    for (const QVariantList &r : Pelora::query(mainFile, u"SELECT 氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, "
                                                         u"時間, 時給, 調整額, 金額 FROM 時給明細"_s))
        rows.append(lineText(r.value(0).toString(), r.value(1).toString(), r.value(2).toInt(), r.mid(3)));
    for (const QVariantList &r :
         Pelora::query(mainFile, u"SELECT 氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計 FROM 時給ヘッダ"_s))
        rows.append(u"header %1 %2: %3 %4 %5 %6 %7"_s.arg(text(r.value(0)), text(r.value(1)), number(r.value(2)),
                                                          number(r.value(3)), number(r.value(4)),
                                                          number(r.value(5)), number(r.value(6))));
    for (const QVariantList &r : Pelora::query(mainFile, u"SELECT 氏名, 時給 FROM 従業員"_s))
        rows.append(u"employee %1 %2"_s.arg(text(r.value(0)), number(r.value(1))));
    for (const QVariantList &r : Pelora::query(mainFile, u"SELECT 自社名, 自社情報 FROM 自社情報"_s))
        rows.append(u"settings %1 %2"_s.arg(text(r.value(0)), text(r.value(1))));
    rows.sort();
    return rows;
}

// Sheets whose header and lines are not exactly one registration's.
int tornSheets(const QStringList &contents)
{
    QMap<QString, QStringList> byKey; // "name title" → that sheet's rows
    static const QRegularExpression key(u"^(?:line|header) (\"[^\"]*\" \"[^\"]*\")"_s);
    for (const QString &row : contents) {
        const QRegularExpressionMatch m = key.match(row);
        if (m.hasMatch())
            byKey[m.captured(1)].append(row);
    }
    int torn = 0;
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it) {
        bool whole = false;
        for (const Operation &op : cycle()) {
            if (op.kind != Kind::Register)
                continue;
            State one;
            one.sheets[{op.name, op.title}] = op.number;
            QStringList rows;
            for (const QString &row : expectedContents(one))
                if (!row.startsWith(u"employee"_s))
                    rows.append(row);
            if (rows == it.value())
                whole = true;
        }
        torn += whole ? 0 : 1;
    }
    return torn;
}

// ---- The child -------------------------------------------------------------

class YesPresenter : public MessagePresenter
{
public:
    MessageRequest::Button present(const MessageRequest &request) override
    {
        return request.buttons == MessageRequest::Buttons::YesNo ? MessageRequest::Button::Yes
                                                                 : MessageRequest::Button::Ok;
    }
};

void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout); // in the pipe before anything else happens, so a kill cannot lose it
}

// The operator's steps through the window; the lines of a sheet go onto its
// work rows in reverse, so that registering has to put them in date order.
void perform(FrmPelora *w, const Operation &op)
{
    switch (op.kind) {
    case Kind::Register: {
        const Variant v = variant(op.number);
        ui::cmdクリア(w)->click();
        ui::cmb氏名(w)->setEditText(op.name);
        ui::txtタイトル(w)->setText(op.title);
        ui::num時給(w)->setValue(v.wage);
        ui::num休憩(w)->setValue(v.breakHours);
        QList<sql::Row> reversed(v.lines.crbegin(), v.lines.crend());
        sheet::loadWorkLines(w->workDb(), reversed);
        ui::Grid明細(w)->refresh();
        ui::sheetPage(w)->Calc明細();
        ui::cmd登録(w)->click();
        break;
    }
    case Kind::Delete:
        ui::cmb氏名(w)->setEditText(op.name);
        ui::txtタイトル(w)->setText(op.title);
        ui::cmd削除(w)->click();
        break;
    case Kind::Master: {
        QList<sql::Row> rows;
        for (const auto &[name, wage] : master(op.number))
            rows.append({0, name, wage});
        sql::exec(w->workDb(), u"DELETE FROM w従業員"_s);
        sql::execMany(w->workDb(), u"INSERT INTO w従業員 (チェック, 氏名, 時給) VALUES (?, ?, ?)"_s, rows);
        ui::Grid従業員(w)->refresh();
        ui::cmd従業員登録(w)->click();
        break;
    }
    case Kind::Settings: {
        const auto [name, info] = company(op.number);
        ui::txt自社名(w)->setText(name);
        ui::txt自社情報(w)->setPlainText(info);
        ui::cmd設定登録(w)->click();
        break;
    }
    case Kind::DeleteAll:
        ui::cmd一括削除7(w)->click();
        break;
    }
}

int runChild()
{
    const DataPaths paths =
        chooseDataPaths(qEnvironmentVariable(ChildVariable), false, QString(), {});
    YesPresenter presenter;
    std::unique_ptr<FrmPelora> window = startPelora(paths, Services{&presenter, nullptr, {}});
    if (!window) {
        say("refused");
        return 3;
    }
    window->show();
    QCoreApplication::processEvents();
    say("ready");
    const qint64 from = qEnvironmentVariable(FromVariable).toLongLong();
    if (from == -2) { // the oldest copy put back from 設定・情報
        QElapsedTimer clock;
        clock.start();
        ui::SSTab1(window.get())->setCurrentIndex(3);
        ui::find<QPushButton>(window.get(), u"cmd控え一覧"_s)->click();
        auto *list = ui::find<QTreeWidget>(window.get(), u"lst控え"_s);
        list->setCurrentItem(list->topLevelItem(list->topLevelItemCount() - 1));
        ui::find<QPushButton>(window.get(), u"cmd復元"_s)->click();
        say("restored " + QByteArray::number(clock.elapsed()));
    }
    if (from < 0) // started only, to be killed in its start-up or after the restore
        return QApplication::exec();
    for (qint64 g = from;; ++g) {
        say("begin " + QByteArray::number(g));
        perform(window.get(), operation(g));
        QCoreApplication::processEvents();
    }
}

// ---- The parent ------------------------------------------------------------

struct Killed
{
    bool ready = false;
    bool refused = false;
    std::optional<qint64> lastBegun;
};

Killed parse(const QByteArray &output)
{
    Killed killed;
    for (const QByteArray &line : output.split('\n')) {
        if (line == "ready")
            killed.ready = true;
        else if (line == "refused")
            killed.refused = true;
        else if (line.startsWith("begin "))
            killed.lastBegun = line.mid(6).toLongLong();
    }
    return killed;
}

QString integrity(const QString &file)
{
    return Pelora::query(file, u"PRAGMA integrity_check"_s).value(0).value(0).toString();
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedDuringTheFirstStart_data();
    void killedDuringTheFirstStart();
    void killedAtRandomMoments();
    void killedWhileRestoring();

private:
    // Starts a child on folder (from operation from on), kills it after
    // delayMs, or after it is ready and then delayMs; returns what it said.
    QByteArray killChild(const QString &folder, qint64 from, int delayMs, bool afterReady, qint64 *startMs);
    // Pelora starts on the folder without a word, and both files are sound.
    bool startsAndIsSound(const DataPaths &paths, QString *why);

    int m_kills = 40;
    quint32 m_runNumber = 0;
    QRandomGenerator m_random;
};

void TestCrashSafety::initTestCase()
{
    if (qEnvironmentVariableIsSet("PELORA_KILLS"))
        m_kills = qMax(1, qEnvironmentVariableIntValue("PELORA_KILLS"));
    m_runNumber = qEnvironmentVariableIsSet("PELORA_KILL_RUN") ? quint32(qEnvironmentVariableIntValue("PELORA_KILL_RUN"))
                                                           : QRandomGenerator::system()->generate();
    m_random = QRandomGenerator(m_runNumber);
    qInfo().noquote() << u"kills: %1, run number: %2 (PELORA_KILL_RUN=%2 repeats this run)"_s.arg(m_kills).arg(m_runNumber);
}

QByteArray TestCrashSafety::killChild(const QString &folder, qint64 from, int delayMs, bool afterReady,
                                      qint64 *startMs)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(ChildVariable), folder);
    env.insert(QString::fromLatin1(FromVariable), QString::number(from));
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.setStandardErrorFile(QProcess::nullDevice());
    portable::withoutConsole(child);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {}, QIODevice::ReadWrite | QIODevice::Text); // CRLF on Windows
    child.waitForStarted();
    QByteArray output;
    if (afterReady) {
        const QDeadlineTimer deadline(20000);
        while (!output.contains("ready\n") && !output.contains("refused") && !deadline.hasExpired()
               && child.state() == QProcess::Running) {
            child.waitForReadyRead(50);
            output += child.readAllStandardOutput();
        }
        if (startMs)
            *startMs = clock.elapsed();
    }
    QThread::msleep(delayMs);
    child.kill(); // SIGKILL
    child.waitForFinished();
    return output + child.readAllStandardOutput();
}

bool TestCrashSafety::startsAndIsSound(const DataPaths &paths, QString *why)
{
    {
        ScriptedPresenter presenter;
        RecordingOutput output;
        std::unique_ptr<FrmPelora> window = startPelora(paths, Services{&presenter, &output, {}});
        if (!window || !presenter.shown.isEmpty()) {
            *why = u"start-up refused: "_s + presenter.last().prompt;
            return false;
        }
    }
    for (const QString &file : {paths.MainDbPath, paths.WorkDbPath}) {
        const QString check = integrity(file);
        if (check != u"ok"_s) {
            *why = u"integrity_check of %1: %2"_s.arg(file, check);
            return false;
        }
    }
    const QStringList copies = backup::copies(backup::folderFor(paths.MainDbPath));
    if (copies.size() > backup::KeptCopies) {
        *why = u"%1 copies kept"_s.arg(copies.size());
        return false;
    }
    for (const QString &copy : copies) {
        const QString check = integrity(copy);
        if (check != u"ok"_s) {
            *why = u"integrity_check of copy %1: %2"_s.arg(copy, check);
            return false;
        }
    }
    return true;
}

void TestCrashSafety::killedDuringTheFirstStart_data()
{
    QTest::addColumn<int>("olderVersion"); // -1: none
    // A brand-new folder: the files are being made when the kill comes.
    QTest::newRow("new folder") << -1;
    // Files of the version before: they are being copied and brought up to date.
    QTest::newRow("files of the version before") << mainSchema().version() - 1;
}

void TestCrashSafety::killedDuringTheFirstStart()
{
    QFETCH(int, olderVersion);
    const int kills = qMax(5, m_kills / 10);
    int faults = 0;
    qint64 startMs = 400;
    for (int k = 0; k < kills; ++k) {
        QTemporaryDir dir;
        const DataPaths paths = chooseDataPaths(dir.path(), false, QString(), {});
        QStringList before;
        if (olderVersion >= 0) {
            QVERIFY(Pelora::makeOlderData(paths, olderVersion));
            before = actualContents(paths.MainDbPath);
            QVERIFY(!before.isEmpty());
        }
        if (k == 0) // one full start tells how long a start takes
            killChild(dir.path(), -1, 0, true, &startMs);
        else
            killChild(dir.path(), -1, int(m_random.bounded(qMax<qint64>(startMs, 50))), false, nullptr);
        QString why;
        if (!startsAndIsSound(paths, &why)) {
            ++faults;
            qWarning().noquote() << "fault after kill" << k << "during the first start:" << why;
            continue;
        }
        if (actualContents(paths.MainDbPath) != before) {
            ++faults;
            qWarning().noquote() << "fault after kill" << k << ": the file does not hold what it held";
        }
    }
    qInfo().noquote() << u"first start: kills %1, faults %2"_s.arg(kills).arg(faults);
    QCOMPARE(faults, 0);
}

void TestCrashSafety::killedAtRandomMoments()
{
    QTemporaryDir dir;
    const DataPaths paths = chooseDataPaths(dir.path(), false, QString(), {});
    QVERIFY(QDir().mkpath(paths.DataPath));

    State model;
    qint64 next = 0;
    int faults = 0, torn = 0, duringStart = 0, committed = 0;
    QMap<QString, int> byOperation;
    qint64 startMs = 400;
    QElapsedTimer clock;
    clock.start();

    for (int k = 0; k < m_kills; ++k) {
        // One kill in five lands anywhere in start-up (taking a copy of the
        // main file included), the others while the operations run.
        const bool inStart = m_random.bounded(5) == 0;
        const int delay = int(inStart ? m_random.bounded(qMax<qint64>(startMs, 50)) : m_random.bounded(300));
        qint64 measured = 0;
        const Killed killed = parse(killChild(dir.path(), next, delay, !inStart, &measured));
        if (measured > 0)
            startMs = (startMs * 3 + measured) / 4;
        if (killed.refused) {
            ++faults;
            qWarning().noquote() << "fault: the child's start was refused after kill" << k - 1;
        }

        QString why;
        if (!startsAndIsSound(paths, &why)) {
            ++faults;
            qWarning().noquote() << "fault after kill" << k << ":" << why;
            QFAIL("Pelora must start after every kill");
        }

        State before = model;
        std::optional<State> after;
        if (killed.lastBegun) {
            for (qint64 g = next; g < *killed.lastBegun; ++g)
                before = before.after(operation(g));
            after = before.after(operation(*killed.lastBegun));
            byOperation[kindName(operation(*killed.lastBegun).kind)]++;
        } else {
            ++duringStart;
        }
        const QStringList actual = actualContents(paths.MainDbPath);
        if (actual == expectedContents(before)) {
            model = before;
        } else if (after && actual == expectedContents(*after)) {
            model = *after;
            ++committed;
        } else {
            ++faults;
            const int tornNow = tornSheets(actual);
            torn += tornNow;
            const QStringList expected = expectedContents(after ? *after : before);
            QStringList diff;
            for (const QString &row : actual)
                if (!expected.contains(row))
                    diff.append(u"+ "_s + row);
            for (const QString &row : expected)
                if (!actual.contains(row))
                    diff.append(u"- "_s + row);
            qWarning().noquote() << u"fault after kill %1 during operation %2 (%3), %4 torn sheets:\n"_s.arg(k)
                                        .arg(killed.lastBegun.value_or(-1))
                                        .arg(killed.lastBegun ? kindName(operation(*killed.lastBegun).kind)
                                                              : u"start-up"_s)
                                        .arg(tornNow)
                                 + diff.mid(0, 20).join(u'\n');
            // Go on from a state the model knows.
            QVERIFY(QDir(paths.DataPath).removeRecursively());
            model = State();
        }
        if (killed.lastBegun)
            next = *killed.lastBegun + 1;
    }

    QStringList operations;
    for (auto it = byOperation.cbegin(); it != byOperation.cend(); ++it)
        operations.append(u"%1 %2"_s.arg(it.key()).arg(it.value()));
    qInfo().noquote() << u"kills: %1 (in start-up %2; in an operation %3: %4; the operation had committed "
                         u"in %5), operations run: %6, faults: %7, torn sheets: %8, %9 s"_s.arg(m_kills)
                             .arg(duringStart)
                             .arg(m_kills - duringStart)
                             .arg(operations.join(u", "_s))
                             .arg(committed)
                             .arg(next)
                             .arg(faults)
                             .arg(torn)
                             .arg(clock.elapsed() / 1000);
    QCOMPARE(faults, 0);
}

void TestCrashSafety::killedWhileRestoring()
{
    // A folder whose oldest copy holds the first sheet, the main file both.
    QTemporaryDir model;
    const DataPaths modelPaths = chooseDataPaths(model.path(), false, QString(), {});
    for (int op : {0, 1}) {
        YesPresenter yes;
        std::unique_ptr<FrmPelora> window = startPelora(modelPaths, Services{&yes, nullptr, {}});
        QVERIFY(window);
        perform(window.get(), cycle().at(op));
    } // each closed: a copy at close
    auto sheetsIn = [](const QString &file) {
        QStringList names;
        for (const QVariantList &row : Pelora::query(file, u"SELECT 氏名 FROM 時給ヘッダ ORDER BY 氏名"_s))
            names.append(row.value(0).toString());
        return names;
    };
    const QStringList all = sheetsIn(modelPaths.MainDbPath);
    QCOMPARE(all.size(), 2);

    const int kills = qMax(10, m_kills / 2);
    qint64 restoreMs = 0;
    QMap<QString, int> leftBehind; // what the kill left: which of the restore's files
    for (int k = 0; k <= kills; ++k) {
        QTemporaryDir dir;
        const DataPaths paths = chooseDataPaths(dir.path(), false, QString(), {});
        for (const QString &sub : {QString(), u"backup"_s}) {
            const QDir from(QDir(modelPaths.DataPath).filePath(sub)), to(QDir(paths.DataPath).filePath(sub));
            QVERIFY(QDir().mkpath(to.path()));
            for (const QString &name : from.entryList(QDir::Files))
                QVERIFY(QFile::copy(from.filePath(name), to.filePath(name)));
        }
        // The first run is not killed before it is done: it measures the
        // restore. The others are killed anywhere in it.
        const QByteArray said =
            killChild(dir.path(), -2, k == 0 ? 5000 : int(m_random.bounded(restoreMs + 20)), true, nullptr);
        if (k == 0) {
            const qsizetype at = said.indexOf("restored ");
            QVERIFY2(at >= 0, said.constData());
            restoreMs = said.mid(at + 9).trimmed().toLongLong();
            continue;
        }
        QStringList files = QDir(paths.DataPath).entryList({u"Pelora.mdb*"_s, u"Pelora.restoring"_s, u"Pelora-old-*"_s});
        leftBehind[files.join(u' ').replace(QRegularExpression(u"\\d{8}-\\d{6}"_s), u"…"_s)]++;

        // Pelora starts on its own, and every sheet is in the file it uses or
        // in a file the list of copies names.
        ScriptedPresenter presenter;
        std::unique_ptr<FrmPelora> window = startPelora(paths, Services{&presenter, nullptr, {}});
        QVERIFY2(window, qPrintable(presenter.last().prompt));
        QCOMPARE(integrity(paths.MainDbPath), u"ok"_s);
        QStringList found = sheetsIn(paths.MainDbPath);
        for (const restore::CopyInfo &copy : restore::copies(paths.MainDbPath))
            found += sheetsIn(copy.path);
        for (const QString &sheet : all)
            QVERIFY2(found.contains(sheet), qPrintable(sheet));
        QCOMPARE(QDir(paths.DataPath).entryList({u"Pelora.mdb.restore*"_s, u"Pelora.restoring"_s}), QStringList());
    }
    qInfo().noquote() << u"restore: %1 ms; kills %2, leaving %3"_s.arg(restoreMs).arg(kills).arg(
        [&] {
            QStringList counts;
            for (auto it = leftBehind.cbegin(); it != leftBehind.cend(); ++it)
                counts.append(u"[%1] %2"_s.arg(it.key()).arg(it.value()));
            return counts.join(u", "_s);
        }());
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(ChildVariable))
        return runChild();
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestCrashSafety test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
