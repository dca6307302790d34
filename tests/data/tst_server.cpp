// The main data on a PostgreSQL server, as an office with several computers
// meets it: two computers registering (two windows, and two programs at the
// same moment), one deleting everything while the other is connected, a 登録
// failing as the server drops the connection or stops half-way, a server that
// cannot be reached at start, and this computer's data moved onto an empty
// server.
#include "fixture.h"

#include "controls/datagrid.h"
#include "data/copies.h"
#include "controls/namecombo.h"
#include "timesheet/sheetcolumns.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTest>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace sheet;

namespace {

void typeLine(FrmPelora *w, int row, const QString &date)
{
    op::typeCell(ui::Grid明細(w), row, Col日付, date);
    op::typeCell(ui::Grid明細(w), row, Col開始時間, u"0900"_s);
    op::typeCell(ui::Grid明細(w), row, Col終了時間, u"1700"_s);
}

void typeSheet(FrmPelora *w, const QString &name, const QString &title, const QString &date)
{
    op::fill(ui::cmb氏名(w), name);
    op::fill(ui::txtタイトル(w), title);
    op::fill(ui::num時給(w), u"1000"_s);
    typeLine(w, 0, date);
}

// Runs an administrator's statement on the test server (its own database).
bool onServer(const QString &statement)
{
    bool ok = false;
    Pelora::serverRows({}, statement, &ok);
    return ok;
}

// The rows of a statement on a server, through a connection of the test's own.
QList<QVariantList> rowsOn(const server::Config &there, const QString &statement)
{
    QList<QVariantList> rows;
    if (!server::connect(u"test-check"_s, there))
        rows = sql::rows(QSqlDatabase::database(u"test-check"_s, false), statement);
    QSqlDatabase::database(u"test-check"_s, false).close();
    QSqlDatabase::removeDatabase(u"test-check"_s);
    return rows;
}

// Another computer of the office, as a program of its own (this test program
// started with PELORA_TEST_COMPUTER="database|title|go-file"): types a sheet
// on the server's database, says "ready", registers when the go-file appears,
// answers いいえ to any question about a sheet registered meanwhile, and
// prints every message it was shown.
int anotherComputer()
{
    const QStringList args = qEnvironmentVariable("PELORA_TEST_COMPUTER").split(u'|');
    Pelora app;
    if (args.size() != 3 || !server::choose(app.settings, Pelora::testServer(args.at(0))) || !app.start())
        return 2;
    typeSheet(app.w, u"山田"_s, args.at(1), u"20250501"_s);
    for (int row = 1; row < 20; ++row)
        typeLine(app.w, row, u"202505%1"_s.arg(row + 1, 2, 10, QChar(u'0')));
    std::puts("ready");
    std::fflush(stdout);
    QDeadlineTimer deadline(60000);
    while (!QFile::exists(args.at(2)) && !deadline.hasExpired())
        QThread::msleep(5);
    app.presenter.clear();
    app.presenter.script = {MessageRequest::Button::Yes, MessageRequest::Button::No};
    op::click(ui::cmd登録(app.w));
    for (const MessageRequest &shown : std::as_const(app.presenter.shown))
        std::puts(qPrintable(shown.prompt.simplified()));
    return 0;
}

} // namespace

class TestServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void twoComputersRegister_data();
    void twoComputersRegister();
    void twoProgramsRegisterAtOnce_data();
    void twoProgramsRegisterAtOnce();
    void aServerOrNetworkFailureLosesNoRegister_data();
    void aServerOrNetworkFailureLosesNoRegister();
    void anUnreachableServerOffersThisComputersFiles_data();
    void anUnreachableServerOffersThisComputersFiles();
    void thisComputersDataMovesToAnEmptyServer();
};

void TestServer::initTestCase()
{
    if (!qEnvironmentVariableIsSet("PELORA_TEST_PG"))
        QSKIP("no PostgreSQL server for the tests: PELORA_TEST_PG is not set");
    qputenv("PELORA_TEST_ON_SERVER", "1");
}

void TestServer::twoComputersRegister_data()
{
    QTest::addColumn<QString>("secondTitle");
    QTest::addColumn<bool>("overwrite"); // the second computer's answer when asked
    QTest::newRow("different sheets: both land") << u"6月分"_s << false;
    QTest::newRow("the same sheet, changed since read: いいえ keeps the first") << u"5月分"_s << false;
    QTest::newRow("the same sheet, changed since read: はい") << u"5月分"_s << true;
}

void TestServer::twoComputersRegister()
{
    QFETCH(QString, secondTitle);
    QFETCH(bool, overwrite);
    Pelora first;
    QVERIFY(first.start());
    typeSheet(first.w, u"山田"_s, u"5月分"_s, u"20250501"_s);
    op::click(ui::cmd登録(first.w));
    Pelora second;
    QVERIFY(server::choose(second.settings, server::chosen(first.settings)));
    QVERIFY(second.start());
    // Both read the sheet; the first registers it again, then the second.
    for (Pelora *app : {&first, &second}) {
        QApplication::setActiveWindow(app->w);
        op::fill(ui::cmb氏名(app->w), u"山田"_s);
        op::fill(ui::txtタイトル(app->w), u"5月分"_s);
        op::click(ui::cmd読込(app->w));
    }
    // Keys go to the window in front, as on two computers each to its own.
    QApplication::setActiveWindow(first.w);
    typeLine(first.w, 1, u"20250502"_s);
    op::click(ui::cmd登録(first.w));
    QApplication::setActiveWindow(second.w);
    op::fill(ui::txtタイトル(second.w), secondTitle);
    second.presenter.clear();
    second.presenter.answerYes();
    second.presenter.script.append(overwrite ? MessageRequest::Button::Yes : MessageRequest::Button::No);
    op::click(ui::cmd登録(second.w));

    const bool asked = secondTitle == u"5月分"_s;
    QCOMPARE(second.presenter.shown.size(), asked ? 2 : 1);
    if (asked)
        QVERIFY2(second.presenter.last().prompt.startsWith(u"山田「5月分」は、この入力の間に変更されています（2 行"_s),
                 qPrintable(second.presenter.last().prompt));
    const auto count = [&](const QString &title) {
        return first.mainRows(u"SELECT count(*) FROM 時給明細 WHERE タイトル = ?"_s, {title}).value(0).value(0).toInt();
    };
    QCOMPARE(first.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(), asked ? 1 : 2);
    QCOMPARE(count(u"5月分"_s), asked && overwrite ? 1 : 2); // the second read one line
    QCOMPARE(ui::txtタイトル(second.w)->text().isEmpty(), !asked || overwrite);
    // Deleting everything waits while the other computer is connected.
    first.presenter.clear();
    first.presenter.answerYes();
    op::click(ui::cmd一括削除7(first.w));
    QVERIFY2(first.presenter.last().prompt.contains(u"ほかのパソコン（%1）"_s.arg(QSysInfo::machineHostName())),
             qPrintable(first.presenter.last().prompt));
    QCOMPARE(first.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(), asked ? 1 : 2);
}

void TestServer::twoProgramsRegisterAtOnce_data()
{
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("different sheets: both land") << QStringList{u"5月分"_s, u"6月分"_s};
    QTest::newRow("the same new sheet: one lands, the other is asked") << QStringList{u"5月分"_s, u"5月分"_s};
}

void TestServer::twoProgramsRegisterAtOnce()
{
    QFETCH(QStringList, titles);
    const QString database = u"pelora_programs_%1"_s.arg(QCoreApplication::applicationPid());
    QVERIFY(onServer(u"CREATE DATABASE "_s + database));
    const auto drop = qScopeGuard([&] { onServer(u"DROP DATABASE %1 WITH (FORCE)"_s.arg(database)); });
    QVERIFY(Pelora::onTestServer(database, server::makeTables));
    QTemporaryDir dir;
    const QString go = dir.filePath(u"go"_s);
    std::vector<std::unique_ptr<QProcess>> computers;
    for (const QString &title : std::as_const(titles)) {
        auto computer = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"PELORA_TEST_ON_SERVER"_s);
        env.insert(u"PELORA_TEST_COMPUTER"_s, QStringList{database, title, go}.join(u'|'));
        computer->setProcessEnvironment(env);
        computer->start(QCoreApplication::applicationFilePath(), {});
        computers.push_back(std::move(computer));
    }
    for (const auto &computer : computers)
        QVERIFY(computer->waitForReadyRead(60000) && computer->readLine().trimmed() == "ready");
    QFile(go).open(QIODevice::WriteOnly); // both register now
    int asked = 0;
    for (const auto &computer : computers) {
        QVERIFY(computer->waitForFinished(60000));
        QCOMPARE(computer->exitCode(), 0);
        const QString told = QString::fromUtf8(computer->readAllStandardOutput());
        // Asked whether to replace the sheet the other registered, found at the start or at the end.
        asked += told.contains(u"登録済みです"_s) || told.contains(u"この入力の間に変更されています"_s);
        QVERIFY2(!told.contains(u"できませんでした"_s), qPrintable(told));
    }
    const bool same = titles.first() == titles.last();
    QCOMPARE(asked, same ? 1 : 0);
    const QList<QVariantList> stored = Pelora::serverRows(
        database, u"SELECT タイトル, 合計, (SELECT count(*) FROM 時給明細 m WHERE m.タイトル = h.タイトル) "
                  u"FROM 時給ヘッダ h ORDER BY タイトル"_s);
    QCOMPARE(stored.size(), same ? 1 : 2);
    for (const QVariantList &sheet : stored)
        QCOMPARE(sheet.mid(1), (QVariantList{160000.0, 20LL}));
}

void TestServer::aServerOrNetworkFailureLosesNoRegister_data()
{
    QTest::addColumn<QString>("fault");
    // As a server restarted while Pelora stood idle does: 登録 lands on a new session.
    QTest::newRow("the server ended the session: lands at once") << u"end"_s;
    // As a crash or a power cut does, half-way through the 登録.
    QTest::newRow("the server stopped half-way") << u"stop"_s;
    // As a pulled cable does: nothing refuses, nothing answers.
    QTest::newRow("the network gone before the 登録") << u"cut"_s;
    QTest::newRow("the network gone half-way") << u"cut half-way"_s;
}

void TestServer::aServerOrNetworkFailureLosesNoRegister()
{
    QFETCH(QString, fault);
    const bool network = fault.startsWith(u"cut"_s);
    if (network) {
        QProcess nft;
        nft.start(u"nft"_s, {u"list"_s, u"tables"_s});
        if (!nft.waitForFinished() || nft.exitStatus() != QProcess::NormalExit || nft.exitCode() != 0)
            QSKIP("cutting the network to a server takes root and nft");
    }
    // A server of this test's own, which it may stop or cut off.
    QTemporaryDir cluster;
    cluster.setAutoRemove(false); // the script deletes it
    const auto script = [&cluster](const QStringList &args, QString *out = nullptr) {
        QProcess run;
        run.start(u"bash"_s, QStringList{QStringLiteral(PELORA_SCRIPTS "/pgserver.sh"), args.first(), cluster.path()}
                                  + args.mid(1));
        const bool ran = run.waitForFinished(60000) && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
        if (out)
            *out = QString::fromUtf8(run.readAllStandardOutput()).trimmed();
        return ran;
    };
    QString pairs, password;
    QVERIFY(script(network ? QStringList{u"start"_s, u"tcp"_s} : QStringList{u"start"_s}, &pairs));
    const auto stopServer = qScopeGuard([&] { script({u"stop"_s}); });
    server::Config own = server::parseKeyValues(pairs, &password);
    const QByteArray shared = qgetenv("PGPASSWORD");
    qputenv("PGPASSWORD", password.toUtf8());
    const auto sharedPassword = qScopeGuard([&] { qputenv("PGPASSWORD", shared); });
    rowsOn(own, u"CREATE DATABASE office"_s);
    own.database = u"office"_s;
    const auto stored = [&own] { return rowsOn(own, u"SELECT 合計, (SELECT count(*) FROM 時給明細) FROM 時給ヘッダ"_s); };

    qunsetenv("PELORA_TEST_ON_SERVER");
    Pelora app;
    qputenv("PELORA_TEST_ON_SERVER", "1");
    QVERIFY(server::choose(app.settings, own));
    app.presenter.answerYes(); // Pelora's tables on the empty database
    QVERIFY(app.start());
    typeSheet(app.w, u"佐藤"_s, u"5月分"_s, u"20250501"_s);
    app.presenter.answerYes();
    op::click(ui::cmd登録(app.w));
    op::fill(ui::cmb氏名(app.w), u"佐藤"_s);
    op::fill(ui::txtタイトル(app.w), u"5月分"_s);
    op::click(ui::cmd読込(app.w));
    typeLine(app.w, 1, u"20250502"_s);

    app.presenter.clear();
    app.presenter.answerYes();
    QElapsedTimer waited;
    waited.start();
    if (fault == u"end"_s) {
        rowsOn(own, u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                    u"WHERE application_name LIKE 'Pelora%' AND pid <> pg_backend_pid()"_s);
        op::click(ui::cmd登録(app.w));
    } else if (fault == u"cut"_s) {
        QVERIFY(script({u"cut"_s, u"on"_s}));
        op::click(ui::cmd登録(app.w));
        QVERIFY(script({u"cut"_s, u"off"_s}));
    } else {
        // Another session holds the lines against writes, so that 登録 waits with its
        // header written and its lines not; the server stops or is cut off under it.
        QVERIFY(!server::connect(u"test-locker"_s, own));
        QVERIFY(sql::exec(QSqlDatabase::database(u"test-locker"_s, false), u"BEGIN"_s));
        QVERIFY(sql::exec(QSqlDatabase::database(u"test-locker"_s, false), u"LOCK TABLE 時給明細 IN EXCLUSIVE MODE"_s));
        QProcess fail;
        fail.start(u"bash"_s, QStringList{u"-c"_s, u"sleep 1; exec bash \"$0\" \"$@\""_s,
                                          QStringLiteral(PELORA_SCRIPTS "/pgserver.sh")}
                                  + (network ? QStringList{u"cut"_s, cluster.path(), u"on"_s}
                                             : QStringList{u"ctl"_s, cluster.path(), u"stop"_s, u"-m"_s, u"immediate"_s}));
        op::click(ui::cmd登録(app.w));
        QVERIFY(fail.waitForFinished(30000) && fail.exitCode() == 0);
        QSqlDatabase::database(u"test-locker"_s, false).close();
        QSqlDatabase::removeDatabase(u"test-locker"_s);
        QVERIFY(script(network ? QStringList{u"cut"_s, u"off"_s}
                               : QStringList{u"ctl"_s, u"start"_s, u"-w"_s, u"-l"_s, cluster.filePath(u"server.log"_s)}));
    }
    QTest::qWait(1000); // as an operator reads the message before trying again
    // Told within seconds, not after the quarter of an hour TCP keeps trying.
    QVERIFY2(waited.elapsed() < 60000, qPrintable(QString::number(waited.elapsed())));
    if (fault != u"end"_s) { // told, and the retry lands
        QCOMPARE(app.presenter.shown.size(), 2);
        QVERIFY2(app.presenter.last().prompt.contains(u"登録できませんでした"_s), qPrintable(app.presenter.last().prompt));
        QCOMPARE(ui::txtタイトル(app.w)->text(), u"5月分"_s);
        QCOMPARE(stored(), (QList<QVariantList>{{8000.0, 1LL}})); // as before the 登録
        app.presenter.clear();
        app.presenter.answerYes();
        op::click(ui::cmd登録(app.w));
    }
    QCOMPARE(app.presenter.shown.size(), 1);
    QCOMPARE(stored(), (QList<QVariantList>{{16000.0, 2LL}}));
    app.stop();
}

void TestServer::anUnreachableServerOffersThisComputersFiles_data()
{
    QTest::addColumn<bool>("localData");
    QTest::addColumn<bool>("answer");
    QTest::newRow("no data on this computer: told") << false << false;
    QTest::newRow("this computer's data: いいえ ends") << true << false;
    QTest::newRow("this computer's data: はい, read only") << true << true;
}

void TestServer::anUnreachableServerOffersThisComputersFiles()
{
    QFETCH(bool, localData);
    QFETCH(bool, answer);
    Pelora app;
    if (localData) { // a start on this computer's files before the server was chosen
        const std::optional<server::Config> chosen = server::chosen(app.settings);
        QVERIFY(server::choose(app.settings, std::nullopt));
        QVERIFY(app.start());
        app.stop();
        QVERIFY(server::choose(app.settings, chosen));
    }
    server::Config nowhere = *server::chosen(app.settings);
    nowhere.host = u"127.0.0.1"_s;
    nowhere.port = 1; // nothing listens there
    QVERIFY(server::choose(app.settings, nowhere));
    app.presenter.script.append(answer ? MessageRequest::Button::Yes : MessageRequest::Button::No);
    QCOMPARE(app.start(), answer);
    QCOMPARE(app.presenter.shown.size(), 1);
    QVERIFY(app.presenter.last().prompt.contains(u"サーバーに接続できません"_s));
    QCOMPARE(app.presenter.last().prompt.contains(u"読み取り専用"_s), localData);
    if (answer)
        QVERIFY(app.w->windowTitle().contains(u"読み取り専用"_s));
}

void TestServer::thisComputersDataMovesToAnEmptyServer()
{
    qunsetenv("PELORA_TEST_ON_SERVER");
    Pelora app;
    qputenv("PELORA_TEST_ON_SERVER", "1");
    qputenv("PGPASSFILE", app.dir.filePath(u"pgpass"_s).toUtf8());
    const QString database = u"pelora_move_%1"_s.arg(QCoreApplication::applicationPid());
    QVERIFY(onServer(u"CREATE DATABASE "_s + database));
    {
        QVERIFY(app.start());
        typeSheet(app.w, u"山田"_s, u"5月分"_s, u"20250501"_s);
        op::click(ui::cmd登録(app.w));
        const server::Config there = Pelora::testServer(database);
        app.w->findChild<QAbstractButton *>(u"optサーバー"_s)->setChecked(true);
        for (const auto &[field, text] : {std::pair{u"txtホスト"_s, there.host}, {u"numポート"_s, QString::number(there.port)},
                                          {u"txtデータベース"_s, there.database}, {u"txtユーザー"_s, there.user},
                                          {u"txtパスワード"_s, qEnvironmentVariable("PGPASSWORD")}})
            op::fill(app.w->findChild<QLineEdit *>(field), text);
        app.presenter.clear();
        app.presenter.answerYes();
        op::click(app.w->findChild<QPushButton *>(u"cmdサーバーへ移す"_s));
        QVERIFY2(app.presenter.last().prompt.startsWith(u"これからは "_s + there.describe()),
                 qPrintable(app.presenter.last().prompt));
        QVERIFY(app.w->windowTitle().contains(there.describe()));
        QCOMPARE(server::chosen(app.settings), std::optional(there));
        QVERIFY(!(QFile(app.dir.filePath(u"pgpass"_s)).permissions() & (QFile::ReadGroup | QFile::ReadOther)));
        const auto copies = [&app] { return backup::copies(backup::folderFor(app.paths.MainDbPath)).size(); };
        const qsizetype before = copies();
        app.stop();
        QCOMPARE(copies(), before + 1); // the server's tables, at close
        QVERIFY(app.start());
        app.stop();
        QCOMPARE(copies(), before + 1); // not again: no computer wrote them since
    }
    const QList<QVariantList> moved = Pelora::serverRows(
        database, u"SELECT 氏名, タイトル, 合計, (SELECT count(*) FROM 時給明細) FROM 時給ヘッダ"_s);
    QVERIFY(onServer(u"DROP DATABASE %1 WITH (FORCE)"_s.arg(database)));
    QCOMPARE(moved, (QList<QVariantList>{{u"山田"_s, u"5月分"_s, 8000.0, 1LL}}));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("PELORA_TEST_COMPUTER"))
        return anotherComputer();
    TestServer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_server.moc"
