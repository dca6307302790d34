#include "fixture.h"

#include "app/platform.h"

#include "app/startup.h"
#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "controls/worktablemodel.h"
#include "data/schema.h"
#include "data/sql.h"

#include <QApplication>
#include <QHash>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

// The main files whose data is on the server, and the database of each.
QHash<QString, QString> &serverDatabases()
{
    static QHash<QString, QString> databases;
    return databases;
}

QList<QVariantList> run(const QSqlDatabase &db, const QString &statement, const QVariantList &values, bool *ok);

} // namespace

bool Pelora::onTestServer(const QString &database, const std::function<bool(const QSqlDatabase &)> &fn)
{
    static int counter = 0;
    const QString name = QStringLiteral("test-server-%1").arg(++counter);
    bool result = false;
    if (!server::connect(name, Pelora::testServer(database)))
        result = fn(QSqlDatabase::database(name, false));
    else
        qWarning() << "test server:" << QSqlDatabase::database(name, false).lastError().text();
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

QList<QVariantList> Pelora::serverRows(const QString &database, const QString &statement, bool *ok)
{
    QList<QVariantList> rows;
    bool ran = false;
    onTestServer(database, [&](const QSqlDatabase &db) {
        rows = run(db, statement, {}, &ran);
        return ran;
    });
    if (ok)
        *ok = ran;
    return rows;
}

bool Pelora::onServer()
{
    return qEnvironmentVariableIsSet("PELORA_TEST_ON_SERVER");
}

server::Config Pelora::testServer(const QString &database)
{
    QString password;
    server::Config config = server::parseKeyValues(qEnvironmentVariable("PELORA_TEST_PG"), &password);
    qputenv("PGPASSWORD", password.toUtf8()); // read by libpq itself, as the password file would be
    if (!database.isEmpty())
        config.database = database;
    return config;
}

Pelora::Pelora()
{
    paths = chooseDataPaths(dir.path(), false, QString(), {});
    if (!onServer())
        return;
    if (!qEnvironmentVariableIsSet("PELORA_TEST_PG")) {
        // ctest counts this line as a skip (scripts/test.sh starts a server).
        std::fputs("no PostgreSQL server for the tests: PELORA_TEST_PG is not set\n", stderr);
        std::exit(0);
    }
    static int counter = 0;
    m_database = QStringLiteral("pelora_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    bool made = false;
    serverRows({}, QStringLiteral("CREATE DATABASE ") + m_database, &made);
    made = made && onTestServer(m_database, server::makeTables);
    if (!made || !server::choose(settings, testServer(m_database)))
        qFatal("The test database %s could not be made", qPrintable(m_database));
    serverDatabases().insert(paths.MainDbPath, m_database);
}

Pelora::~Pelora()
{
    stop();
    if (m_database.isEmpty())
        return;
    serverDatabases().remove(paths.MainDbPath);
    serverRows({}, QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(m_database));
}

Services Pelora::services()
{
    return Services{&presenter, statementOutput, [this](const QUrl &url) {
                        openedUrls.append(url);
                        return desktopOpens;
                    }, &chooser, &folderChooser, &settings};
}

bool Pelora::start()
{
    stop();
    platform::installApplicationFont(); // as main() does
    m_window = startPelora(paths, services(), nullptr, &progress);
    w = m_window.get();
    if (!w)
        return false;
    w->show();
    QApplication::setActiveWindow(w);
    if (!QTest::qWaitForWindowExposed(w))
        return false;
    return true;
}

void Pelora::stop()
{
    // The program ends as at the end of a session: nothing is asked of the
    // operator, typed input or not (a test closes the window itself for that).
    m_window.reset();
    w = nullptr;
}

namespace {

QList<QVariantList> run(const QSqlDatabase &db, const QString &statement, const QVariantList &values, bool *ok)
{
    QList<QVariantList> rows;
    QSqlQuery q(db);
    // (A server prepares no CREATE DATABASE: a statement without values runs as it stands.)
    if (values.isEmpty()) {
        *ok = q.exec(statement);
    } else {
        q.prepare(statement);
        for (const QVariant &v : values)
            q.addBindValue(v);
        *ok = q.exec();
    }
    if (!*ok)
        qWarning() << "test statement failed" << statement << q.lastError().text();
    while (q.next()) {
        QVariantList row;
        for (int c = 0; c < q.record().count(); ++c)
            row.append(q.value(c));
        rows.append(row);
    }
    return rows;
}

// Runs a statement on file, or on the server database that holds its data.
QList<QVariantList> runOn(const QString &file, bool readOnly, const QString &statement, const QVariantList &values,
                          bool *ok)
{
    QList<QVariantList> rows;
    *ok = false;
    if (const QString database = serverDatabases().value(file); !database.isEmpty()) {
        Pelora::onTestServer(database, [&](const QSqlDatabase &db) {
            rows = run(db, statement, values, ok);
            return *ok;
        });
        return rows;
    }
    static int counter = 0;
    const QString name = QStringLiteral("test-check-%1").arg(++counter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (readOnly)
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open())
            rows = run(db, statement, values, ok);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

} // namespace

QList<QVariantList> Pelora::query(const QString &file, const QString &statement, const QVariantList &values)
{
    bool ok = false;
    return runOn(file, true, statement, values, &ok);
}

bool Pelora::execute(const QString &file, const QString &statement, const QVariantList &values)
{
    bool ok = false;
    runOn(file, false, statement, values, &ok);
    return ok;
}

bool Pelora::makeData(const DataPaths &paths, int sheets)
{
    Pelora app;
    app.paths = paths;
    if (!app.start())
        return false;
    app.stop();
    for (int n = 1; n <= sheets; ++n)
        if (!execute(paths.MainDbPath, QStringLiteral("INSERT INTO 時給ヘッダ (氏名, タイトル) VALUES ('山田花子', ?)"),
                     {QStringLiteral("%1月分").arg(n)}))
            return false;
    return true;
}

bool Pelora::makeOlderData(const DataPaths &paths, int version)
{
    if (!QDir().mkpath(paths.DataPath))
        return false;
    for (const auto &[file, schema, upTo] : {std::tuple{paths.MainDbPath, &mainSchema(), version},
                                             std::tuple{paths.WorkDbPath, &workSchema(), 0}}) {
        const FileSchema older{schema->tables, schema->upgrades.mid(0, upTo)};
        QFile made(file);
        if (!made.open(QIODevice::WriteOnly)
            || !sql::withFile(file, sql::Access::ReadWrite,
                              [&older](const QSqlDatabase &db) { return createSchema(db, older); }))
            return false;
    }
    const QString main = paths.MainDbPath;
    return execute(main, QStringLiteral("INSERT INTO 従業員 (氏名, 時給) VALUES ('山田花子', 1000)"))
        && execute(main, QStringLiteral("INSERT INTO 時給ヘッダ (氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計) VALUES "
                                        "('山田花子', '4月分', 1000, 1, 500, -14, -13500), "
                                        "('佐藤', '5月分', 1200, 0, NULL, 8, 9600)"))
        && execute(main, QStringLiteral("INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, "
                                        "時給, 調整額, 金額) VALUES "
                                        "('山田花子', '4月分', 1, '2007-04-02', '0900', '1700', 7, 1000, 500, 7500), "
                                        "('山田花子', '4月分', 2, '2007-04-03', '2200', '0200', -21, 1000, NULL, -21000), "
                                        "('佐藤', '5月分', 1, '2007-05-01', '0900', '1700', 8, 1200, NULL, 9600)"));
}

SheetPage sheetPage(FrmPelora *w)
{
    SheetPage page{ui::cmb氏名(w)->currentText(), ui::txtタイトル(w)->text(), {}, {}};
    for (NumberEdit *field : {ui::num時給(w), ui::num休憩(w), ui::num調整額(w), ui::num時間(w), ui::num合計(w)})
        page.fields.append(field->value());
    for (int r = 0; r < ui::dat明細(w)->storedRowCount(); ++r) {
        QVariantList line;
        for (int c = 0; c < ui::dat明細(w)->columnCount(); ++c)
            line.append(ui::dat明細(w)->value(r, c));
        page.lines.append(line);
    }
    return page;
}

bool verifyMissingKeyMessage(const Pelora &app, const QString &message, const QString &focusName)
{
    [&] {
        QCOMPARE(app.presenter.shown.size(), 1);
        const MessageRequest shown = app.presenter.last();
        QCOMPARE(shown.title, message);
        QCOMPARE(shown.prompt, message);
        QCOMPARE(shown.buttons, MessageRequest::Buttons::Ok);
        QCOMPARE(shown.icon, MessageRequest::Icon::Information);
        QWidget *expected = app.w->findChild<QWidget *>(focusName);
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(expected && focused);
        QVERIFY2(focused == expected || expected->isAncestorOf(focused), qPrintable(focused->objectName()));
    }();
    return !QTest::currentTestFailed();
}

bool isDiscardQuestion(const MessageRequest &asked, const QString &pages)
{
    return asked.title == QStringLiteral("入力の破棄の確認")
        && asked.prompt == pages + QStringLiteral("に登録していない入力があります。破棄して続けますか")
        && asked.icon == MessageRequest::Icon::Question && asked.buttons == MessageRequest::Buttons::YesNo
        && asked.defaultButton == MessageRequest::Button::No;
}

namespace op {

void type(QWidget *widget, const QString &text)
{
    // One key per character; a character outside the BMP (an emoji) is one
    // key carrying both halves of its surrogate pair.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            QTest::keyClick(widget, char(c.unicode()));
            continue;
        }
        const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, length), Qt::NoModifier);
        i += length - 1;
    }
}

void focus(QWidget *widget)
{
    widget->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

void fill(QWidget *field, const QString &text)
{
    focus(field);
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : field;
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(target, Qt::Key_Delete);
    type(target, text);
    QTest::keyClick(target, Qt::Key_Tab);
    QApplication::processEvents();
}

void click(QWidget *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
}

void selectCell(DataGrid *grid, int row, int column)
{
    grid->setFocus(Qt::MouseFocusReason);
    grid->setCurrentIndex(grid->model()->index(row, column));
    QApplication::processEvents();
}

void typeCell(DataGrid *grid, int row, int column, const QString &text, int key)
{
    selectCell(grid, row, column);
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget *editor = QApplication::focusWidget();
    if (!editor || editor == grid) {
        qWarning() << "no cell editor opened at" << row << column;
        return;
    }
    if (text.isEmpty())
        QTest::keyClick(editor, Qt::Key_Delete);
    else
        type(editor, text);
    QTest::keyClick(editor, Qt::Key(key));
    QApplication::processEvents();
}

void clickCell(DataGrid *grid, int row, int column, const QString &text)
{
    const QPoint at = grid->visualRect(grid->model()->index(row, column)).center();
    QWidget *target = grid->viewport()->childAt(at);
    if (!target)
        target = grid->viewport();
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(grid->viewport(), at));
    QApplication::processEvents();
    // Keys go where the focus is: the first opens the cell's editor.
    for (const QChar c : text)
        type(QApplication::focusWidget(), c);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QApplication::processEvents();
}

} // namespace op
