// Times the operations of the real window, offscreen, on generated data folders
// of growing size, each against what SQLite or Qt alone takes for the same work
// on the same files in the same run, and prints the medians as Markdown.
//
//   pelora_bench [--sizes 1000,10000,100000] [--employees 1000] [--runs 21]
//                [--startup-runs 11] [--changed-runs 3] [--crash-runs 3]
//                [--cache /tmp/pelora-bench] [--startup-only] [--server]
//
// Progress goes to stderr, the tables to stdout.
#include "app/frmpelora.h"
#include "app/startup.h"
#include "controls.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "timesheet/premiums.h"
#include "controls/worktablemodel.h"
#include "data/backup.h"
#include "data/filecheck.h"
#include "data/server.h"
#include "data/sql.h"
#include "dataset.h"
#include "history/historycolumns.h"
#include "history/historysearch.h"
#include "history/paydayexport.h"
#include "history/paydaystore.h"
#include "probe.h"
#include "report/previewoutput.h"
#include "report/statementbatch.h"
#include "timesheet/sheetcolumns.h"
#include "yespresenter.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsView>
#include <QLineEdit>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSettings>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr double RatioGoal = 1.5;
constexpr double CellEditGoalMs = 5.0;
constexpr double PremiumEditGoalMs = 1.0;
constexpr double MemoryGoalMb = 150.0;
constexpr double KeystrokeGoalMs = 50.0;
constexpr int PrintedSheets = 100;
constexpr double FirstWindowGoalMs = 500.0;
constexpr double CrashCheckGoalMs = 2000.0;

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

[[noreturn]] void fail(const QString &why)
{
    err() << "pelora_bench: " << why << Qt::endl;
    std::exit(1);
}

struct Options
{
    QList<int> sizes{1000, 10000, 100000};
    int employees = 1000;
    int runs = 21;
    int startupRuns = 11;
    int changedRuns = 3;
    int crashRuns = 3;
    bool startupOnly = false;
    bool server = false; // --server: only the page operations, on the files and on the server of PELORA_TEST_PG
    QString cache = u"/tmp/pelora-bench"_s;
};

Options parseOptions(const QStringList &args)
{
    Options options;
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const QString value = args.value(i + 1);
        bool ok = true;
        if (arg == u"--startup-only"_s) {
            options.startupOnly = true;
            continue;
        }
        if (arg == u"--server"_s) {
            options.server = true;
            continue;
        }
        if (arg == u"--sizes"_s) {
            options.sizes.clear();
            for (const QString &size : value.split(u',', Qt::SkipEmptyParts))
                options.sizes.append(size.toInt(&ok));
        } else if (arg == u"--employees"_s) {
            options.employees = value.toInt(&ok);
        } else if (arg == u"--runs"_s) {
            options.runs = value.toInt(&ok);
        } else if (arg == u"--startup-runs"_s) {
            options.startupRuns = value.toInt(&ok);
        } else if (arg == u"--changed-runs"_s) {
            options.changedRuns = value.toInt(&ok);
        } else if (arg == u"--crash-runs"_s) {
            options.crashRuns = value.toInt(&ok);
        } else if (arg == u"--cache"_s) {
            options.cache = value;
        } else {
            fail(u"unknown option %1"_s.arg(arg));
        }
        ++i;
        if (!ok || value.isEmpty())
            fail(u"bad value for %1"_s.arg(arg));
    }
    if (options.sizes.isEmpty() || options.employees < 1 || options.runs < 1 || options.startupRuns < 1
        || options.changedRuns < 1 || options.crashRuns < 1)
        fail(u"nothing to measure"_s);
    return options;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

double elapsedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

enum class Growth { Flat, Linear };

struct Result
{
    QString operation;
    int sheets = 0;
    double pelora = 0;
    double baseline = 0;
    QString unit; // "ms" or "MB"
    Growth growth = Growth::Flat;
    double absoluteLimit = 0; // 0 when only the ratio counts
    double ratioGoal = RatioGoal; // 0 when only the absolute limit counts
    double ratio() const { return baseline > 0 ? pelora / baseline : 0; }
    bool met() const
    {
        return (ratioGoal <= 0 || ratio() <= ratioGoal) && (absoluteLimit <= 0 || pelora < absoluteLimit);
    }
    QString goal() const
    {
        QStringList parts;
        if (ratioGoal > 0)
            parts.append(u"≤ %1×"_s.arg(ratioGoal));
        if (absoluteLimit > 0)
            parts.append(u"< %1 %2"_s.arg(absoluteLimit).arg(unit));
        return parts.join(u", "_s);
    }
};

QString amount(double value, const QString &unit)
{
    if (unit == u"MB"_s)
        return u"%1 MB"_s.arg(value, 0, 'f', 1);
    return u"%1 ms"_s.arg(value, 0, 'f', value < 1 ? 3 : value < 100 ? 2 : 1);
}

// ---- Child processes: start-up and memory ---------------------------------

QString sibling(const QString &program)
{
    return QCoreApplication::applicationDirPath() + u'/' + program;
}

// One start of a program, in milliseconds from its start: to its first window
// of any kind, to its main window, and what its check and copy of the main
// file took (0 for programs that do none).
struct Start
{
    double first = -1;
    double main = -1;
    double aside = 0;
};

// Starts a program and times it until it printed "exposed" (its main window
// shown); "first-window" marks an earlier window, "aside-ms" the check.
Start timeStart(const QString &program, const QStringList &args)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    QByteArray out;
    Start start;
    while (process.waitForReadyRead(60000)) {
        out += process.readAllStandardOutput();
        const double now = timer.nsecsElapsed() / 1e6;
        if (start.first < 0 && (out.contains("first-window") || out.contains("exposed")))
            start.first = now;
        if (out.contains("exposed")) {
            start.main = now;
            break;
        }
    }
    process.waitForFinished(60000);
    out += process.readAllStandardOutput();
    if (start.main < 0 || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        fail(u"%1 did not show its window (exit %2)\n%3"_s.arg(program)
                 .arg(process.exitCode())
                 .arg(QString::fromLocal8Bit(process.readAllStandardError())));
    const qsizetype aside = out.indexOf("aside-ms ");
    if (aside >= 0)
        start.aside = out.mid(aside + 9, out.indexOf('\n', aside) - aside - 9).trimmed().toDouble();
    return start;
}

double timeToExposed(const QString &program, const QStringList &args)
{
    return timeStart(program, args).main;
}

// Runs a program that prints "rows n" and "peak-kb k"; returns the peak in MB.
double peakMb(const QString &program, const QStringList &args, int expectedRows)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(600000);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    qint64 rows = -1, kb = -1;
    for (const QString &line : out.split(u'\n')) {
        if (line.startsWith(u"rows "_s))
            rows = line.mid(5).toLongLong();
        if (line.startsWith(u"peak-kb "_s))
            kb = line.mid(8).toLongLong();
    }
    if (process.exitCode() != 0 || rows != expectedRows || kb <= 0)
        fail(u"%1 %2: exit %3, rows %4, peak %5\n%6"_s.arg(program, args.join(u' '))
                 .arg(process.exitCode())
                 .arg(rows)
                 .arg(kb)
                 .arg(QString::fromLocal8Bit(process.readAllStandardError())));
    return kb / 1024.0;
}

// ---- The operations ---------------------------------------------------------

// One operation: the window's and the raw one, each with an untimed set-up
// before every run and a check after it, so that a failing operation can never
// pass for a fast one; before and after run once around all the runs.
struct Case
{
    QString operation;
    double absoluteLimit = 0;
    Growth growth = Growth::Flat;
    std::function<void()> before{};
    std::function<void()> setUp{};
    std::function<void()> pelora{};
    std::function<QString()> checkPelora{};
    std::function<void()> setUpBaseline{};
    std::function<void()> baseline{};
    std::function<QString()> checkBaseline{};
    std::function<void()> after{};
    // A baseline that does far less than the operation must is no yardstick
    // for a ratio; such a case is held to its absolute limit alone.
    double ratioGoal = RatioGoal;
};

double timeOnce(const std::function<void()> &setUp, const std::function<void()> &work,
                const std::function<QString()> &check, const QString &what)
{
    if (setUp)
        setUp();
    QCoreApplication::processEvents();
    const double ms = elapsedMs(work);
    // What the operation left for the event loop (repaints) runs outside the timing.
    QCoreApplication::processEvents();
    if (const QString problem = check ? check() : QString(); !problem.isEmpty())
        fail(what + u": "_s + problem);
    return ms;
}

// A connection of the benchmark's own on one of the data files, with the journal
// and sync settings the window's connection to the same file uses.
QSqlDatabase rawConnection(const QString &name, const QString &file, const QSqlDatabase &like)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
    db.setDatabaseName(file);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=2000"_s);
    if (!db.open())
        fail(u"cannot open %1: %2"_s.arg(file, db.lastError().text()));
    for (const QString &pragma : {u"journal_mode"_s, u"synchronous"_s}) {
        QSqlQuery read(like);
        read.exec(u"PRAGMA "_s + pragma);
        read.next();
        const QString value = read.value(0).toString();
        read.finish();
        QSqlQuery set(db);
        set.exec(u"PRAGMA %1=%2"_s.arg(pragma, value));
    }
    return db;
}

QSqlQuery prepared(const QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        fail(u"baseline statement: %1 -- %2"_s.arg(statement, query.lastError().text()));
    return query;
}

void run(QSqlQuery &query)
{
    if (!query.exec())
        fail(u"baseline statement: %1 -- %2"_s.arg(query.lastQuery(), query.lastError().text()));
}

QList<QVariantList> fetchAll(QSqlQuery &query, int columns)
{
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.append(query.value(c));
        rows.append(std::move(row));
    }
    return rows;
}

QVariant scalar(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {})
{
    QSqlQuery query = prepared(db, statement);
    for (const QVariant &value : values)
        query.addBindValue(value);
    run(query);
    return query.next() ? query.value(0) : QVariant();
}

QString expectEqual(const QString &what, const QVariant &actual, const QVariant &expected)
{
    if (actual.toString() == expected.toString())
        return QString();
    return u"%1 is %2, expected %3"_s.arg(what, actual.toString(), expected.toString());
}

// The window on one data folder with the benchmark's own connections to the
// same files, and what its cases keep between their runs.
struct Session
{
    const Dataset *data = nullptr;
    YesPresenter presenter;
    PreviewOutput preview{presenter, nullptr}; // the real print preview, as the application has it
    std::unique_ptr<FrmPelora> window;
    QString rawMainName, rawWorkName;
    QSqlDatabase rawMain, rawWork;
    QVariant wage, total, rowId, sink;
    int edits = 0;
    QVariantList baselineRow, header;
    qsizetype fetched = 0;
    // The history search: the two texts typed in turn, how many sheets each
    // lists, and every sheet's folded keys for the baseline.
    QStringList needles;
    QList<qsizetype> needleCounts;
    QStringList nameKeys, titleKeys;
    int baselineTurn = 0;
    // The preview of the chosen sheets' statements, and what the timer that
    // closes it saw.
    QList<StatementValues> statements;
    QPageLayout pageLayout;
    int resolution = 0;
    qsizetype expectedPages = 0, previewPages = 0;
    int previewPaints = 0;
    bool printing = false;
    QByteArray pdf;
    QList<Case> cases;

    FrmPelora *w() const { return window.get(); }
};

// Counts the paint events of the preview's page view.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// Runs from a zero-timer inside the preview's own event loop: closes the
// preview once it is shown and its page view has been painted, noting what
// it showed. The dialog renders every page before it is shown; what is left
// is painting the pages in view, which the next pass of the event loop does.
void closePreviewWhenShown(Session &s)
{
    auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) {
        if (s.printing)
            QTimer::singleShot(0, [&s] { closePreviewWhenShown(s); });
        return;
    }
    auto *preview = dialog->findChild<QPrintPreviewWidget *>();
    auto *view = dialog->findChild<QGraphicsView *>();
    if (!preview || !view)
        fail(u"the preview has no page view"_s);
    PaintCounter counter;
    view->viewport()->installEventFilter(&counter);
    QCoreApplication::processEvents();
    view->viewport()->removeEventFilter(&counter);
    s.previewPages = preview->pageCount();
    s.previewPaints = counter.paints;
    dialog->reject();
}

// Pages of a PDF as QPdfWriter writes them: one page object each.
qsizetype pdfPages(const QByteArray &pdf)
{
    return pdf.count("/Type /Page\n");
}

QList<Case> casesOf(Session &s)
{
    FrmPelora *w = s.w();
    // Found once, so that the timed calls are the operations alone.
    TimeSheetPage *sheetPage = ui::sheetPage(w);
    HistoryPage *historyPage = ui::historyPage(w);
    EmployeePage *employeePage = ui::employeePage(w);
    WorkTableModel *lines = ui::dat明細(w);
    const QString name = s.data->probeName;
    const QString title = s.data->probeTitle;
    const auto noNotice = [&s]() -> QString {
        if (s.presenter.notices == 0)
            return QString();
        s.presenter.notices = 0;
        return u"the window said: "_s + s.presenter.lastNotice;
    };
    const auto putKey = [w, name, title] {
        ui::cmb氏名(w)->setEditText(name);
        ui::txtタイトル(w)->setText(title);
    };
    const auto loadProbe = [w, putKey] {
        putKey();
        ui::sheetPage(w)->Read時給();
    };
    const auto countLines = [&s, name, title] {
        return scalar(s.rawMain, u"SELECT count(*) FROM 時給明細 WHERE 氏名 = ? AND タイトル = ?"_s,
                      {name, title});
    };
    const auto listedAll = [&s](qsizetype rows) {
        return rows == s.data->employees
            ? QString()
            : u"%1 employees listed, not %2"_s.arg(rows).arg(s.data->employees);
    };
    const auto fetchedAll = [&s](qsizetype rows) {
        return rows == s.data->sheets ? QString()
                                      : u"%1 rows listed, not %2"_s.arg(rows).arg(s.data->sheets);
    };
    const int row = 10; // the line whose end time the cell edit changes
    const QStringList ends{u"1730"_s, u"1800"_s};
    QList<Case> cases;

    // Get時給: the wage of the typed name.
    cases.append({u"Get時給"_s, 0, Growth::Flat, {},
                  [w, name] {
                      ui::cmb氏名(w)->setEditText(name);
                      ui::num時給(w)->setValue(QVariant());
                  },
                  [sheetPage] { sheetPage->Get時給(); },
                  [w, &s] { return expectEqual(u"num時給"_s, ui::num時給(w)->value(), s.wage); },
                  {},
                  [&s, name] {
                      QSqlQuery query = prepared(s.rawMain, u"SELECT 時給 FROM 従業員 WHERE 氏名 = ?"_s);
                      query.addBindValue(name);
                      run(query);
                      s.sink = query.next() ? query.value(0) : QVariant();
                  },
                  [&s] { return expectEqual(u"wage"_s, s.sink, s.wage); },
                  {}});

    // One committed cell edit: the end time of line 11 alternates between two
    // values, so that every run is a real edit with its hours, amount and totals.
    cases.append({u"cell edit, after-edit and Calc明細"_s, CellEditGoalMs, Growth::Flat,
                  [w, &s, loadProbe] {
                      loadProbe();
                      ui::num時給(w)->setValue(s.wage);
                      ui::num休憩(w)->setValue(1);
                      s.rowId = scalar(s.rawWork, u"SELECT rowid FROM w明細 WHERE 行番号 = ?"_s, {row + 1});
                  },
                  {},
                  [lines, &s, ends] {
                      lines->setData(lines->index(row, sheet::Col終了時間), ends.at(++s.edits % 2), Qt::EditRole);
                  },
                  [w, &s, ends]() -> QString {
                      const QVariant stored =
                          scalar(s.rawWork, u"SELECT 終了時間 FROM w明細 WHERE rowid = ?"_s, {s.rowId});
                      if (QString e = expectEqual(u"stored end"_s, stored, ends.at(s.edits % 2)); !e.isEmpty())
                          return e;
                      return expectEqual(u"num合計"_s, ui::num合計(w)->value(),
                                         scalar(s.rawWork, u"SELECT sum(金額) FROM w明細"_s));
                  },
                  [w, &s, ends] {
                      s.baselineRow.clear();
                      for (int c = 0; c < 8; ++c)
                          s.baselineRow.append(ui::dat明細(w)->value(row, c));
                      // The other end time: SQLite skips writing a row that would not change.
                      s.baselineRow[sheet::Col終了時間] = ends.at((s.edits + 1) % 2);
                      s.baselineRow.append(s.rowId);
                  },
                  [&s] {
                      QSqlQuery update = prepared(s.rawWork, u"UPDATE w明細 SET 行番号 = ?, 日付 = ?, 開始時間 = ?, "
                                                             u"終了時間 = ?, 時間 = ?, 時給 = ?, 調整額 = ?, "
                                                             u"金額 = ? WHERE rowid = ?"_s);
                      for (const QVariant &value : std::as_const(s.baselineRow))
                          update.addBindValue(value);
                      run(update);
                      QSqlQuery sums = prepared(s.rawWork, u"SELECT sum(時間), sum(調整額), sum(金額) FROM w明細"_s);
                      run(sums);
                      sums.next();
                      s.sink = sums.value(2);
                  },
                  {},
                  {}});

    // The same cell edit with premiums computed: every line's night hours,
    // overtime and premium follow the edit, in the 60-line sheet. The baseline
    // (the edited row written and summed) computes no premium, so the case is
    // held to its limit alone.
    Case premiums = cases.last();
    premiums.operation = u"cell edit with premiums computed (60 lines)"_s;
    premiums.absoluteLimit = PremiumEditGoalMs;
    premiums.ratioGoal = 0;
    premiums.before = [sheetPage, before = premiums.before] {
        sheet::Premiums on;
        on.on = true;
        sheetPage->setPremiums(on);
        before();
    };
    premiums.checkPelora = [w, &s, check = premiums.checkPelora]() -> QString {
        if (QString e = check(); !e.isEmpty())
            return e;
        const QVariant premium = scalar(s.rawWork, u"SELECT sum(割増) FROM w明細"_s);
        if (premium.isNull() || premium.toDouble() <= 0)
            return u"no premium computed"_s;
        return expectEqual(u"num割増"_s, ui::find<NumberEdit>(w, u"num割増"_s)->value(), sheet::roundYen(premium.toDouble()));
    };
    premiums.after = [sheetPage] { sheetPage->setPremiums(sheet::Premiums()); };
    cases.append(premiums);

    // Calc明細 alone: the three sums into the total fields.
    cases.append({u"Calc明細"_s, 0, Growth::Flat, {}, {}, [sheetPage] { sheetPage->Calc明細(); },
                  [w, &s] {
                      return expectEqual(u"num合計"_s, ui::num合計(w)->value(),
                                         scalar(s.rawWork, u"SELECT sum(金額) FROM w明細"_s));
                  },
                  {},
                  [&s] {
                      QSqlQuery sums = prepared(s.rawWork, u"SELECT sum(時間), sum(調整額), sum(金額) FROM w明細"_s);
                      run(sums);
                      sums.next();
                      s.sink = sums.value(2);
                  },
                  {},
                  {}});

    // Entry時給 of the 60-line sheet, registered again as it was read. The
    // baseline stores the same lines from w明細 in one transaction of its own.
    cases.append({u"Entry時給 (60 lines)"_s, 0, Growth::Flat, {}, loadProbe, [sheetPage] { sheetPage->Entry時給(); },
                  [w, noNotice, countLines]() -> QString {
                      if (QString e = noNotice(); !e.isEmpty())
                          return e;
                      if (!ui::cmb氏名(w)->currentText().isEmpty())
                          return u"the page was not cleared"_s;
                      return expectEqual(u"stored lines"_s, countLines(), 60);
                  },
                  [w, &s, loadProbe, name, title] {
                      loadProbe();
                      s.header = {ui::num時給(w)->value(), ui::num休憩(w)->value(), ui::num調整額(w)->value(),
                                  ui::num時間(w)->value(), ui::num合計(w)->value(), name, title};
                  },
                  [&s, name, title] {
                      QSqlQuery read = prepared(s.rawWork, u"SELECT 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額 "
                                                           u"FROM w明細 WHERE 日付 IS NOT NULL AND 金額 IS NOT NULL "
                                                           u"ORDER BY 日付, 行番号"_s);
                      run(read);
                      const QList<QVariantList> lines = fetchAll(read, 7);
                      read.finish();
                      QSqlQuery begin(s.rawMain);
                      if (!begin.exec(u"BEGIN IMMEDIATE"_s))
                          fail(u"baseline begin: "_s + begin.lastError().text());
                      QSqlQuery employee = prepared(s.rawMain, u"UPDATE 従業員 SET 時給 = ? WHERE 氏名 = ?"_s);
                      employee.addBindValue(s.header.at(0));
                      employee.addBindValue(name);
                      run(employee);
                      QSqlQuery head = prepared(s.rawMain, u"UPDATE 時給ヘッダ SET 時給 = ?, 休憩 = ?, 調整額 = ?, "
                                                           u"時間 = ?, 合計 = ? WHERE 氏名 = ? AND タイトル = ?"_s);
                      for (const QVariant &value : std::as_const(s.header))
                          head.addBindValue(value);
                      run(head);
                      QSqlQuery remove =
                          prepared(s.rawMain, u"DELETE FROM 時給明細 WHERE 氏名 = ? AND タイトル = ?"_s);
                      remove.addBindValue(name);
                      remove.addBindValue(title);
                      run(remove);
                      QSqlQuery insert = prepared(s.rawMain, u"INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付, "
                                                             u"開始時間, 終了時間, 時間, 時給, 調整額, 金額) "
                                                             u"VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
                      int number = 0;
                      for (const QVariantList &line : lines) {
                          insert.bindValue(0, name);
                          insert.bindValue(1, title);
                          insert.bindValue(2, ++number);
                          for (int i = 0; i < line.size(); ++i)
                              insert.bindValue(3 + i, line.at(i));
                          run(insert);
                      }
                      QSqlQuery commit(s.rawMain);
                      if (!commit.exec(u"COMMIT"_s))
                          fail(u"baseline commit: "_s + commit.lastError().text());
                  },
                  [countLines] { return expectEqual(u"stored lines"_s, countLines(), 60); },
                  {}});

    // Read時給 of the 60-line sheet onto the page.
    cases.append({u"Read時給 (60 lines)"_s, 0, Growth::Flat, {}, putKey, [sheetPage] { sheetPage->Read時給(); },
                  [w, &s]() -> QString {
                      if (ui::dat明細(w)->value(59, sheet::Col日付).isNull())
                          return u"line 60 was not read"_s;
                      return expectEqual(u"num合計"_s, ui::num合計(w)->value(), s.total);
                  },
                  {},
                  [&s, name, title] {
                      QSqlQuery head = prepared(s.rawMain, u"SELECT 時給, 休憩, 調整額, 時間, 合計 FROM 時給ヘッダ "
                                                           u"WHERE 氏名 = ? AND タイトル = ?"_s);
                      head.addBindValue(name);
                      head.addBindValue(title);
                      run(head);
                      s.sink = fetchAll(head, 5).value(0).value(4);
                      QSqlQuery lines = prepared(s.rawMain, u"SELECT 日付, 開始時間, 終了時間, 時間, 時給, 調整額, "
                                                            u"金額 FROM 時給明細 WHERE 氏名 = ? AND タイトル = ? "
                                                            u"ORDER BY 行番号"_s);
                      lines.addBindValue(name);
                      lines.addBindValue(title);
                      run(lines);
                      if (fetchAll(lines, 7).size() != 60)
                          fail(u"the baseline read not 60 lines"_s);
                  },
                  [&s] { return expectEqual(u"total"_s, s.sink, s.total); },
                  {}});

    // Read従業員 and ReadComb氏名: the employees into their grid and into the name list.
    cases.append({u"Read従業員"_s, 0, Growth::Flat, [w] { ui::SSTab1(w)->setCurrentIndex(2); },
                  [w] { ui::employeePage(w)->Clear従業員(); }, [employeePage] { employeePage->Read従業員(); },
                  [w, listedAll] { return listedAll(ui::dat従業員(w)->storedRowCount()); }, {},
                  [&s] {
                      QSqlQuery query = prepared(s.rawMain, u"SELECT 氏名, 時給 FROM 従業員 ORDER BY 氏名"_s);
                      run(query);
                      s.fetched = fetchAll(query, 2).size();
                  },
                  [&s, listedAll] { return listedAll(s.fetched); },
                  [w] { ui::SSTab1(w)->setCurrentIndex(0); }});
    cases.append({u"ReadComb氏名"_s, 0, Growth::Flat, {}, {}, [sheetPage] { sheetPage->ReadComb氏名(); },
                  [w, listedAll] { return listedAll(ui::cmb氏名(w)->count()); }, {},
                  [&s] {
                      QSqlQuery query = prepared(s.rawMain, u"SELECT 氏名 FROM 従業員 ORDER BY 氏名"_s);
                      run(query);
                      QStringList names;
                      while (query.next())
                          names.append(query.value(0).toString());
                      s.fetched = names.size();
                  },
                  [&s, listedAll] { return listedAll(s.fetched); },
                  {}});

    // The history last, as listing it leaves the most behind in the process
    // (memory, caches). Read履歴: every registered sheet listed, from an empty
    // list as after start-up.
    cases.append({u"Read履歴"_s, 0, Growth::Linear, [w] { ui::SSTab1(w)->setCurrentIndex(1); },
                  [w] { ui::historyPage(w)->Clear履歴(); }, [historyPage] { historyPage->Read履歴(); },
                  [w, fetchedAll] { return fetchedAll(ui::dat履歴(w)->storedRowCount()); }, {},
                  [&s] {
                      QSqlQuery query =
                          prepared(s.rawMain, u"SELECT 氏名, 合計, タイトル FROM 時給ヘッダ ORDER BY 氏名"_s);
                      run(query);
                      s.fetched = fetchAll(query, 3).size();
                  },
                  [&s, fetchedAll] { return fetchedAll(s.fetched); },
                  [w] {
                      ui::historyPage(w)->Clear履歴();
                      ui::SSTab1(w)->setCurrentIndex(0);
                  }});

    // One keystroke in the history search with every sheet listed: the second
    // character of the probe's name typed after the first, then taken back, in
    // turn, so that every run filters the whole list again. The baseline is the
    // least any such filter does: one substring test per sheet, over keys folded
    // beforehand. What is typed is the start of a name, which folding leaves as
    // it is, so SQLite's instr over the stored texts counts what each lists.
    QLineEdit *search = ui::find<QLineEdit>(w, u"txt検索"_s);
    const auto typedNeedle = [&s, search]() -> qsizetype { return s.needles.indexOf(search->text()); };
    cases.append(Case{
        .operation = u"keystroke in the history search"_s,
        .absoluteLimit = KeystrokeGoalMs,
        .growth = Growth::Linear,
        .before =
            [w, &s, search, name] {
                ui::SSTab1(w)->setCurrentIndex(1);
                ui::historyPage(w)->Read履歴();
                s.needles = {name.left(1), name.left(2)};
                s.needleCounts.clear();
                for (const QString &needle : std::as_const(s.needles))
                    s.needleCounts.append(scalar(s.rawMain,
                                                 u"SELECT count(*) FROM 時給ヘッダ "
                                                 u"WHERE instr(氏名, ?) > 0 OR instr(タイトル, ?) > 0"_s,
                                                 {needle, needle})
                                              .toLongLong());
                QSqlQuery keys = prepared(s.rawMain, u"SELECT 氏名, タイトル FROM 時給ヘッダ"_s);
                run(keys);
                s.nameKeys.clear();
                s.titleKeys.clear();
                while (keys.next()) {
                    s.nameKeys.append(history::searchKey(keys.value(0).toString()));
                    s.titleKeys.append(history::searchKey(keys.value(1).toString()));
                }
                search->setFocus(Qt::OtherFocusReason);
                QTest::sendKeyEvent(QTest::Click, search, Qt::Key_unknown, s.needles.at(0), Qt::NoModifier);
            },
        .pelora =
            [&s, search] {
                if (search->text() == s.needles.at(0))
                    QTest::sendKeyEvent(QTest::Click, search, Qt::Key_unknown, s.needles.at(1).right(1),
                                        Qt::NoModifier);
                else
                    QTest::keyClick(search, Qt::Key_Backspace);
            },
        .checkPelora = [w, &s, search, typedNeedle]() -> QString {
            const qsizetype typed = typedNeedle();
            if (typed < 0)
                return u"the search field holds %1"_s.arg(search->text());
            const qsizetype shown = ui::Grid履歴(w)->model()->rowCount();
            return shown == s.needleCounts.at(typed)
                ? QString()
                : u"%1 sheets listed for %2, not %3"_s.arg(shown).arg(search->text()).arg(s.needleCounts.at(typed));
        },
        .baseline =
            [&s] {
                const QString needle = history::searchKey(s.needles.at(++s.baselineTurn % 2));
                qsizetype found = 0;
                for (qsizetype i = 0; i < s.nameKeys.size(); ++i)
                    found += s.nameKeys.at(i).contains(needle) || s.titleKeys.at(i).contains(needle);
                s.fetched = found;
            },
        .checkBaseline = [&s]() -> QString {
            const qsizetype expected = s.needleCounts.at(s.baselineTurn % 2);
            return s.fetched == expected ? QString() : u"%1 sheets found, not %2"_s.arg(s.fetched).arg(expected);
        },
        .after =
            [w, search] {
                search->clear();
                ui::historyPage(w)->Clear履歴();
                ui::SSTab1(w)->setCurrentIndex(0);
            },
        .ratioGoal = 0,
    });

    // The preview of the statements of 100 chosen sheets, from the click on
    // 印刷 until the dialog, shown with its pages painted, is closed again by
    // a zero-timer (the closing is about 1 ms of it). The baseline draws the
    // same statements onto the same pages of a PDF in memory, with no dialog.
    QWidget *printButton = ui::find<QPushButton>(w, u"cmd履歴印刷"_s);
    cases.append(Case{
        .operation = u"preview of %1 statements (印刷)"_s.arg(PrintedSheets),
        .before =
            [w, &s] {
                ui::SSTab1(w)->setCurrentIndex(1);
                ui::historyPage(w)->Read履歴();
                DataGrid *grid = ui::Grid履歴(w);
                const QAbstractItemModel *shown = grid->model();
                if (shown->rowCount() < PrintedSheets)
                    fail(u"fewer than %1 sheets listed"_s.arg(PrintedSheets));
                grid->selectionModel()->select(
                    QItemSelection(shown->index(0, 0), shown->index(PrintedSheets - 1, 0)),
                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                QList<sheet::Key> keys;
                for (int row : grid->selectedModelRows())
                    keys.append({ui::dat履歴(w)->value(row, history::Col氏名).toString(),
                                 ui::dat履歴(w)->value(row, history::Colタイトル).toString()});
                const auto sheets = history::readHeaders(s.rawMain, keys);
                if (keys.size() != PrintedSheets || !sheets || sheets->found.size() != PrintedSheets)
                    fail(u"the %1 chosen sheets could not be read"_s.arg(PrintedSheets));
                s.statements.clear();
                for (const history::StoredSheet &sheet : sheets->found)
                    s.statements.append(history::statementValues(sheet, ui::txt自社名(w)->text(),
                                                                 ui::txt自社情報(w)->toPlainText()));
                // The page the preview prints on.
                QPrinter printer(QPrinter::HighResolution);
                PreviewOutput::setUpPage(printer);
                s.pageLayout = printer.pageLayout();
                s.resolution = printer.resolution();
                const double pageTwips = s.pageLayout.paintRectPixels(s.resolution).height() * 1440.0 / s.resolution;
                s.expectedPages = layOutStatements(PrintedSheets, pageTwips).size();
            },
        .pelora =
            [&s, printButton] {
                s.previewPages = 0;
                s.previewPaints = 0;
                s.printing = true;
                QTimer::singleShot(0, [&s] { closePreviewWhenShown(s); });
                QTest::mouseClick(printButton, Qt::LeftButton);
                s.printing = false;
            },
        .checkPelora = [&s, noNotice]() -> QString {
            if (QString e = noNotice(); !e.isEmpty())
                return e;
            if (s.previewPaints == 0)
                return u"the preview was not painted"_s;
            return expectEqual(u"preview pages"_s, s.previewPages, s.expectedPages);
        },
        .baseline =
            [&s] {
                QBuffer buffer;
                buffer.open(QIODevice::WriteOnly);
                QPdfWriter writer(&buffer);
                writer.setResolution(s.resolution);
                writer.setPageLayout(s.pageLayout);
                if (!printStatements(writer, s.statements))
                    fail(u"the statements could not be drawn into a PDF"_s);
                s.pdf = buffer.data();
            },
        .checkBaseline = [&s] { return expectEqual(u"PDF pages"_s, pdfPages(s.pdf), s.expectedPages); },
        .after =
            [w, &s] {
                s.statements.clear();
                s.pdf.clear();
                ui::historyPage(w)->Clear履歴();
                ui::SSTab1(w)->setCurrentIndex(0);
            },
    });
    return cases;
}

std::unique_ptr<Session> openSession(const Dataset &data)
{
    auto s = std::make_unique<Session>();
    s->data = &data;
    s->window = startPelora(data.paths, Services{&s->presenter, &s->preview, {}});
    if (!s->window)
        fail(u"the window did not start on %1"_s.arg(data.folder));
    s->window->show();
    QApplication::setActiveWindow(s->window.get());
    if (!QTest::qWaitForWindowExposed(s->window.get()))
        fail(u"the window was not shown"_s);
    s->rawMainName = u"bench-main-%1"_s.arg(data.sheets);
    s->rawWorkName = u"bench-work-%1"_s.arg(data.sheets);
    s->rawMain = rawConnection(s->rawMainName, data.paths.MainDbPath, s->w()->mainDb());
    s->rawWork = rawConnection(s->rawWorkName, data.paths.WorkDbPath, s->w()->workDb());
    const QVariantList key{data.probeName, data.probeTitle};
    s->wage = scalar(s->rawMain, u"SELECT 時給 FROM 従業員 WHERE 氏名 = ?"_s, {data.probeName});
    s->total = scalar(s->rawMain, u"SELECT 合計 FROM 時給ヘッダ WHERE 氏名 = ? AND タイトル = ?"_s, key);
    if (scalar(s->rawMain, u"SELECT count(*) FROM 時給明細 WHERE 氏名 = ? AND タイトル = ?"_s, key).toInt() != 60)
        fail(u"the probe sheet %1 %2 has not 60 lines"_s.arg(data.probeName, data.probeTitle));
    s->cases = casesOf(*s);
    return s;
}

void closeSession(std::unique_ptr<Session> s)
{
    s->cases.clear();
    s->rawMain = QSqlDatabase();
    s->rawWork = QSqlDatabase();
    QSqlDatabase::removeDatabase(s->rawMainName);
    QSqlDatabase::removeDatabase(s->rawWorkName);
    s->window->close();
    s->window.reset();
}

// Every operation on every data folder: one operation on all folders before
// the next, so that the sizes of one operation are measured within seconds of
// each other and the growth from one size to the next is not the machine's
// load changing. Each size has its own warm-up runs, which also absorb what
// the size before left in the caches.
QList<Result> measureWindows(const QList<Dataset> &sets, int runs)
{
    std::vector<std::unique_ptr<Session>> sessions;
    for (const Dataset &set : sets)
        sessions.push_back(openSession(set));
    QList<Result> results;
    for (qsizetype k = 0; k < sessions.front()->cases.size(); ++k) {
        err() << "  " << sessions.front()->cases.at(k).operation << " ..." << Qt::endl;
        for (const auto &session : sessions) {
            const Case &c = session->cases.at(k);
            if (c.before)
                c.before();
            QList<double> window, raw;
            // Two warm-up runs; the window and the baseline alternate.
            for (int i = -2; i < runs; ++i) {
                const double p = timeOnce(c.setUp, c.pelora, c.checkPelora, c.operation);
                const double b = timeOnce(c.setUpBaseline, c.baseline, c.checkBaseline,
                                          c.operation + u" (baseline)"_s);
                if (i >= 0) {
                    window.append(p);
                    raw.append(b);
                }
            }
            if (c.after)
                c.after();
            Result result;
            result.operation = c.operation;
            result.sheets = session->data->sheets;
            result.pelora = median(window);
            result.baseline = median(raw);
            result.unit = u"ms"_s;
            result.growth = c.growth;
            result.absoluteLimit = c.absoluteLimit;
            result.ratioGoal = c.ratioGoal;
            results.append(result);
        }
    }
    for (auto &session : sessions)
        closeSession(std::move(session));
    return results;
}

// Marks the main file changed, as registering a sheet leaves it, so that the
// next start meets it as the first start after a day's work does.
void markChanged(const QString &file)
{
    QFile main(file);
    if (!main.open(QIODevice::ReadWrite)
        || !main.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime))
        fail(u"cannot mark %1 changed"_s.arg(file));
}

// Leaves the record a Pelora killed while running leaves behind: a session
// that never closed, so that the next start checks the main file whole.
void leaveCrashRecord(const QString &folder)
{
    QFile record(QDir(folder).filePath(u"Pelora.session"_s));
    if (!record.open(QIODevice::WriteOnly | QIODevice::Truncate) || record.write("open\n") != 5)
        fail(u"cannot leave a session record in %1"_s.arg(folder));
}

// The copies start-up leaves in the cached folder's backup folder would pile up
// run after run: all but the newest go.
void dropOlderCopies(const QString &folder)
{
    QDir backup(QDir(folder).filePath(u"backup"_s));
    const QStringList copies = backup.entryList({u"Pelora-*.mdb"_s}, QDir::Files, QDir::Time);
    for (qsizetype i = 1; i < copies.size(); ++i)
        backup.remove(copies.at(i));
}

Result processResult(const QString &operation, const Dataset &data, const QList<double> &pelora,
                     const QList<double> &bare)
{
    Result result;
    result.operation = operation;
    result.sheets = data.sheets;
    result.pelora = median(pelora);
    result.baseline = median(bare);
    result.unit = u"ms"_s;
    return result;
}

// Start-up and memory, each run a fresh process; the folders in turn within each run.
QList<Result> measureProcesses(const QList<Dataset> &sets, int runs, int changedRuns, int crashRuns)
{
    const QString window = sibling(u"pelora_bench_window"_s);
    const QString probe = sibling(u"pelora_bench_probe"_s);
    const qsizetype count = sets.size();
    std::vector<QList<double>> bare(count), pelora(count), changedBare(count), crashBare(count);
    std::vector<QList<Start>> changedPelora(count), crashPelora(count);
    timeToExposed(window, {});
    for (const Dataset &set : sets)
        timeToExposed(probe, {set.folder});
    for (int i = 0; i < runs; ++i) {
        for (qsizetype n = 0; n < count; ++n) {
            bare.at(n).append(timeToExposed(window, {}));
            pelora.at(n).append(timeToExposed(probe, {sets.at(n).folder}));
        }
    }
    for (int i = 0; i < changedRuns; ++i) {
        for (qsizetype n = 0; n < count; ++n) {
            markChanged(sets.at(n).paths.MainDbPath);
            changedBare.at(n).append(timeToExposed(window, {}));
            changedPelora.at(n).append(timeStart(probe, {sets.at(n).folder}));
        }
    }
    // After the changed runs each main file has its copy: a start after a
    // crash only checks the file whole.
    for (int i = 0; i < crashRuns; ++i) {
        for (qsizetype n = 0; n < count; ++n) {
            leaveCrashRecord(sets.at(n).folder);
            crashBare.at(n).append(timeToExposed(window, {}));
            crashPelora.at(n).append(timeStart(probe, {sets.at(n).folder}));
        }
    }
    auto part = [](const QList<Start> &starts, double Start::*which) {
        QList<double> values;
        for (const Start &start : starts)
            values.append(start.*which);
        return values;
    };
    // A window of some kind, the progress window of a long start or the main
    // window, within half a second of every start; the check within two.
    auto limited = [](Result result, double limit) {
        result.absoluteLimit = limit;
        result.ratioGoal = 0;
        return result;
    };
    // Reading the whole file grows with it.
    auto wholeFile = [](Result result) {
        result.growth = Growth::Linear;
        return result;
    };
    QList<Result> results;
    for (qsizetype n = 0; n < count; ++n) {
        Result normal = processResult(u"start-up to first shown window"_s, sets.at(n), pelora.at(n), bare.at(n));
        normal.absoluteLimit = FirstWindowGoalMs;
        results.append(normal);
    }
    for (qsizetype n = 0; n < count; ++n) {
        dropOlderCopies(sets.at(n).folder);
        results.append(wholeFile(processResult(u"start-up, main file changed since the last start (check and copy)"_s,
                                               sets.at(n), part(changedPelora.at(n), &Start::main),
                                               changedBare.at(n))));
        results.append(limited(processResult(u"… its first window (progress window)"_s, sets.at(n),
                                             part(changedPelora.at(n), &Start::first), changedBare.at(n)),
                               FirstWindowGoalMs));
    }
    for (qsizetype n = 0; n < count; ++n) {
        results.append(wholeFile(processResult(u"start-up after a crash (main file checked whole)"_s, sets.at(n),
                                               part(crashPelora.at(n), &Start::main), crashBare.at(n))));
        results.append(limited(processResult(u"… its first window (progress window)"_s, sets.at(n),
                                             part(crashPelora.at(n), &Start::first), crashBare.at(n)),
                               FirstWindowGoalMs));
        results.append(wholeFile(limited(processResult(u"… the check itself (baseline: none)"_s, sets.at(n),
                                                       part(crashPelora.at(n), &Start::aside), {0.0}),
                                         CrashCheckGoalMs)));
    }
    return results;
}

// The check of an untrusted main file against integrity_check and quick_check
// on the same file, in this process, wall-clock and processor time: on a
// shared machine the latter is what the check itself costs.
QList<Result> measureChecks(const QList<Dataset> &sets, int runs)
{
    QList<Result> results;
    for (const Dataset &set : sets) {
        const QString name = u"bench-check"_s;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
            db.setDatabaseName(set.paths.MainDbPath);
            db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
            if (!db.open())
                fail(u"cannot open %1"_s.arg(set.paths.MainDbPath));
            const QList<std::pair<QString, std::function<bool()>>> checks{
                {u"integrity_check"_s, [&] { return filecheck::integrityCheck(db); }},
                {u"quick_check"_s, [&] { return filecheck::quickCheck(db); }},
                {u"start-up check: quick_check, each index's count and rowid sum against its table's"_s,
                 [&] { return filecheck::checkWhole(db); }},
            };
            QList<double> wall[3], cpu[3];
            for (int i = 0; i < runs; ++i) {
                for (qsizetype k = 0; k < checks.size(); ++k) {
                    const std::clock_t before = std::clock();
                    bool ok = false;
                    wall[k].append(elapsedMs([&] { ok = checks.at(k).second(); }));
                    cpu[k].append((std::clock() - before) * 1000.0 / CLOCKS_PER_SEC);
                    if (!ok)
                        fail(u"%1 failed on %2"_s.arg(checks.at(k).first, set.paths.MainDbPath));
                }
            }
            for (qsizetype k = 0; k < checks.size(); ++k) {
                for (bool processor : {false, true}) {
                    Result result;
                    result.operation = u"%1 (%2; baseline: integrity_check)"_s.arg(
                        checks.at(k).first, processor ? u"processor time"_s : u"wall clock"_s);
                    result.sheets = set.sheets;
                    result.pelora = median(processor ? cpu[k] : wall[k]);
                    result.baseline = median(processor ? cpu[0] : wall[0]);
                    result.unit = u"ms"_s;
                    result.ratioGoal = 0;
                    result.growth = Growth::Linear;
                    results.append(result);
                }
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    return results;
}

// Peak memory with every sheet listed, in a fresh process each, so that
// nothing measured before weighs on it.
QList<Result> measureMemory(const QList<Dataset> &sets)
{
    QList<Result> results;
    for (const Dataset &set : sets) {
        Result memory;
        memory.operation = u"peak memory, history listed"_s;
        memory.sheets = set.sheets;
        memory.pelora = peakMb(sibling(u"pelora_bench_probe"_s), {u"--history"_s, set.folder}, set.sheets);
        memory.baseline = peakMb(sibling(u"pelora_bench_window"_s), {u"--rows"_s, set.folder}, set.sheets);
        memory.unit = u"MB"_s;
        memory.growth = Growth::Linear;
        memory.absoluteLimit = MemoryGoalMb;
        results.append(memory);
    }
    return results;
}

// ---- Report -----------------------------------------------------------------

QString firstLineOf(const QString &file, const QByteArray &key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
    }
    return QString();
}

QString sqliteVersion()
{
    QString version;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"bench-version"_s);
        db.setDatabaseName(u":memory:"_s);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(u"SELECT sqlite_version()"_s) && query.next())
                version = query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(u"bench-version"_s);
    return version;
}

void printMachine(QTextStream &out, const Options &options)
{
    QFile load(u"/proc/loadavg"_s);
    const QString loadAverage =
        load.open(QIODevice::ReadOnly) ? QString::fromUtf8(load.readAll()).section(u' ', 0, 2) : QString();
    out << "## Pelora benchmark\n\n"
        << "- Machine: " << firstLineOf(u"/proc/cpuinfo"_s, "model name") << ", "
        << QThread::idealThreadCount() << " logical CPUs, "
        << firstLineOf(u"/proc/meminfo"_s, "MemTotal") << " RAM\n"
        << "- System: " << QSysInfo::prettyProductName() << ", kernel " << QSysInfo::kernelVersion()
        << ", Qt " << qVersion() << ", SQLite " << sqliteVersion() << ", platform "
        << qEnvironmentVariable("QT_QPA_PLATFORM") << "\n"
        << "- Load average at the start: " << loadAverage << "\n"
        << "- Data: " << options.employees << " employees; M registered sheets of 20 to 60 lines; "
        << "medians of " << options.runs << " runs (start-up: " << options.startupRuns
        << " runs, start-up after a change: " << options.changedRuns << " runs, after a crash: "
        << options.crashRuns << " runs)\n\n";
}

void printResults(QTextStream &out, const QList<Result> &results)
{
    out << "| Operation | M | Pelora | Baseline | Ratio | Goal | Met |\n"
        << "|---|---:|---:|---:|---:|---|---|\n";
    for (const Result &r : results) {
        out << "| " << r.operation << " | " << r.sheets << " | " << amount(r.pelora, r.unit) << " | "
            << amount(r.baseline, r.unit) << " | " << QString::number(r.ratio(), 'f', 2) << "× | "
            << r.goal() << " | " << (r.met() ? "yes" : "**no**") << " |\n";
    }
    out << "\n";
}

// How each cost grows from the smallest to the largest M: not at all for a
// lookup by key, at most in proportion to M for a list of every sheet.
void printGrowth(QTextStream &out, const QList<Result> &results, int smallest, int largest)
{
    if (smallest == largest)
        return;
    const double scale = double(largest) / smallest;
    out << "| Operation | Pelora at M = " << smallest << " | at M = " << largest
        << " | Growth | Baseline growth | Goal | Met |\n|---|---:|---:|---:|---:|---|---|\n";
    for (const Result &small : results) {
        if (small.sheets != smallest)
            continue;
        for (const Result &large : results) {
            if (large.sheets != largest || large.operation != small.operation)
                continue;
            const double growth = small.pelora > 0 ? large.pelora / small.pelora : 0;
            const double baselineGrowth = small.baseline > 0 ? large.baseline / small.baseline : 0;
            const double allowed = small.growth == Growth::Flat ? RatioGoal : scale;
            out << "| " << small.operation << " | " << amount(small.pelora, small.unit) << " | "
                << amount(large.pelora, large.unit) << " | " << QString::number(growth, 'f', 2) << "× | "
                << QString::number(baselineGrowth, 'f', 2) << "× | "
                << (small.growth == Growth::Flat ? u"flat (≤ %1×)"_s.arg(RatioGoal)
                                                 : u"linear (≤ %1×)"_s.arg(scale))
                << " | " << (growth <= allowed ? "yes" : "**no**") << " |\n";
        }
    }
    out << "\n";
}

} // namespace

// The page operations on the files and on a server holding the same data, side
// by side: each data folder's main file is copied into a database of its own
// on the server of PELORA_TEST_PG ("host=… port=… dbname=… user=… password=…").
void measureServer(QTextStream &out, const QList<Dataset> &sets, int runs)
{
    QString password;
    const server::Config config = server::parseKeyValues(qEnvironmentVariable("PELORA_TEST_PG"), &password);
    qputenv("PGPASSWORD", password.toUtf8());
    if (config.host.isEmpty())
        fail(u"--server: PELORA_TEST_PG names no server (scripts/pgserver.sh start DIR prints one)"_s);
    const auto admin = [&config](const QString &statement) {
        bool ok = false;
        if (!server::connect(u"bench-admin"_s, config))
            ok = QSqlQuery(QSqlDatabase::database(u"bench-admin"_s, false)).exec(statement);
        QSqlDatabase::database(u"bench-admin"_s, false).close();
        QSqlDatabase::removeDatabase(u"bench-admin"_s);
        return ok;
    };
    out << "\n### The page operations on the files and on a PostgreSQL server\n\n"
        << "| operation | M | files | server | server/files |\n|---|---:|---:|---:|---:|\n";
    for (const Dataset &data : sets) {
        server::Config there = config;
        there.database = u"pelora_bench_%1"_s.arg(data.sheets);
        err() << "  copying M = " << data.sheets << " to the server ..." << Qt::endl;
        admin(u"DROP DATABASE IF EXISTS "_s + there.database);
        bool copied = admin(u"CREATE DATABASE "_s + there.database) && !server::connect(u"bench-copy"_s, there);
        if (copied) {
            const QSqlDatabase db = QSqlDatabase::database(u"bench-copy"_s, false);
            copied = server::makeTables(db) && sql::withFile(data.paths.MainDbPath, sql::Access::ReadOnly,
                                                             [&db](const QSqlDatabase &file) {
                                                                 sql::Transaction t(db);
                                                                 return server::copyTables(file, db) && t.commit();
                                                             });
        }
        QSqlDatabase::database(u"bench-copy"_s, false).close();
        QSqlDatabase::removeDatabase(u"bench-copy"_s);
        if (!copied)
            fail(u"the data of M = %1 could not be copied to the server"_s.arg(data.sheets));
        QList<QList<double>> times(2);
        QStringList names;
        for (int place = 0; place < 2; ++place) {
            QTemporaryDir dir;
            QSettings settings(dir.filePath(u"settings.ini"_s), QSettings::IniFormat);
            if (place == 1)
                server::choose(settings, there);
            YesPresenter presenter;
            struct : StatementOutput {
                void show(const StatementValues &, QWidget *) override {}
            } output;
            auto window = startPelora(data.paths, Services{&presenter, &output, {}, nullptr, nullptr, &settings});
            if (!window)
                fail(u"the window did not start"_s);
            window->show();
            FrmPelora *w = window.get();
            const auto readProbe = [w, &data] {
                ui::cmb氏名(w)->setEditText(data.probeName);
                ui::txtタイトル(w)->setText(data.probeTitle);
                ui::sheetPage(w)->Read時給();
            };
            const QList<std::pair<QString, std::function<void()>>> operations{
                {u"入力シート 読込 (60 lines)"_s, readProbe},
                {u"入力シート 登録 (60 lines, read before)"_s,
                 [w, readProbe] {
                     readProbe();
                     ui::sheetPage(w)->Entry時給();
                 }},
                {u"履歴 読込 (every sheet)"_s, [w] { ui::historyPage(w)->Read履歴(); }},
                {u"従業員 読込"_s, [w] { ui::employeePage(w)->Read従業員(); }},
            };
            for (const auto &[name, work] : operations) {
                QList<double> each;
                for (int i = -2; i < runs; ++i) {
                    const double ms = elapsedMs(work);
                    if (i >= 0)
                        each.append(ms);
                }
                if (place == 0)
                    names.append(name);
                times[place].append(median(each));
                if (presenter.notices != 0)
                    fail(u"%1 said: %2"_s.arg(name, presenter.lastNotice));
            }
            window->close();
        }
        for (qsizetype k = 0; k < names.size(); ++k)
            out << "| " << names.at(k) << " | " << data.sheets << " | " << amount(times[0].at(k), u"ms"_s) << " | "
                << amount(times[1].at(k), u"ms"_s) << " | "
                << QString::number(times[1].at(k) / qMax(times[0].at(k), 0.001), 'f', 2) << "× |\n";
        admin(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(there.database));
    }
}

int main(int argc, char *argv[])
{
    bench::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    const Options options = parseOptions(QApplication::arguments());
    QTextStream out(stdout);

    QList<Dataset> sets;
    for (int sheets : options.sizes) {
        QString error;
        const Dataset set = bench::ensureDataset(options.cache, options.employees, sheets, &error);
        if (set.folder.isEmpty())
            fail(u"generating M = %1: %2"_s.arg(sheets).arg(error));
        sets.append(set);
    }

    printMachine(out, options);
    if (options.server) {
        err() << "Files and server ..." << Qt::endl;
        measureServer(out, sets, options.runs);
        return 0;
    }
    err() << "Start-up ..." << Qt::endl;
    QList<Result> results =
        measureProcesses(sets, options.startupRuns, options.changedRuns, options.crashRuns);
    err() << "Checks of the main file ..." << Qt::endl;
    results += measureChecks(sets, options.crashRuns);
    if (!options.startupOnly) {
        err() << "Operations ..." << Qt::endl;
        results += measureWindows(sets, options.runs);
        err() << "Memory ..." << Qt::endl;
        results += measureMemory(sets);
    }
    printResults(out, results);
    printGrowth(out, results, *std::min_element(options.sizes.cbegin(), options.sizes.cend()),
                *std::max_element(options.sizes.cbegin(), options.sizes.cend()));
    return 0;
}
