// The automatic copies of the main file in data/backup/: when they are made,
// what they hold, that one can be put back, and that only the newest ten stay.
#include "fixture.h"
#include "portable.h"
#include "smalldisk.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "data/backup.h"
#include "timesheet/sheetcolumns.h"

#include <QCryptographicHash>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// Registers a sheet as the operator does: name, wage, title, one typed line a
// day from the first of April, then 登録 answered with its default (Yes).
void registerSheet(Pelora &app, const QString &name, const QString &title, int days)
{
    op::fill(ui::cmb氏名(app.w), name);
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::fill(ui::txtタイトル(app.w), title);
    for (int day = 0; day < days; ++day) {
        op::typeCell(ui::Grid明細(app.w), day, sheet::Col日付, u"202404%1"_s.arg(day + 1, 2, 10, QChar(u'0')));
        op::typeCell(ui::Grid明細(app.w), day, sheet::Col開始時間, u"0900"_s);
        op::typeCell(ui::Grid明細(app.w), day, sheet::Col終了時間, u"1700"_s);
    }
    op::click(ui::cmd登録(app.w));
}

QString folderOf(const Pelora &app)
{
    return backup::folderFor(app.paths.MainDbPath);
}

QList<QVariantList> copyRows(const QString &copy, const QString &statement)
{
    return Pelora::query(copy, statement);
}

QByteArray digest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Scribbles over the middle of a page of the lines' table, keeping the file's
// size; the first page (the schema) stays sound, so only a check of the whole
// file finds it.
bool damageLinesPage(const QString &mainFile)
{
    const int page = Pelora::query(mainFile, u"SELECT rootpage FROM sqlite_master WHERE name = '時給明細'"_s)
                         .value(0)
                         .value(0)
                         .toInt();
    const int pageSize = Pelora::query(mainFile, u"PRAGMA page_size"_s).value(0).value(0).toInt();
    QFile file(mainFile);
    if (page < 2 || pageSize < 512 || !file.open(QIODevice::ReadWrite) || !file.seek(qint64(page - 1) * pageSize + 8))
        return false;
    return file.write(QByteArray(64, '\xee')) == 64;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private slots:
    void copyAtTheFirstStartAfterAChange();
    void copyWhenClosingAfterAChange();
    void noCopyWhenNothingChanged();
    void copyBeforeDeletingAllHoldsWhatWasDeleted();
    void deletingAllAgainDoesNotPushOutTheCopyWithData();
    void aCopyCanBePutBack();
    void keepsOnlyTheNewestTen();
    void aCopyCutShortIsNeverKept();
    void aDamagedFileIsNeitherCopiedNorOpened();
    void aFileLeftByAKilledSessionIsCheckedWhole_data();
    void aFileLeftByAKilledSessionIsCheckedWhole();
    void deletingAllWhenTheCopiesAreDefeated_data();
    void deletingAllWhenTheCopiesAreDefeated();
    void aMainFileRemovedWhileRunningIsCopiedAtClose();
    void aFolderCopiedElsewhereIsUsedWithoutAQuestion();
    void aCopyIsRestoredFromTheSettingsPage_data();
    void aCopyIsRestoredFromTheSettingsPage();
};

void TestBackup::copyAtTheFirstStartAfterAChange()
{
    // A change the program did not copy itself (made while it was not running,
    // or lost with a killed process) is copied at the next start.
    Pelora app;
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 3);
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給明細"_s).value(0).value(0).toInt(), 3);
    app.stop();
    const QStringList before = backup::copies(folderOf(app));
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"UPDATE 時給ヘッダ SET 合計 = 24001 WHERE 氏名 = '山田花子'"_s));

    app.presenter.clear();
    QVERIFY(app.start());
    const QStringList copies = backup::copies(folderOf(app));
    QCOMPARE(copies.size(), before.size() + 1);
    QVERIFY2(QFileInfo(copies.first()).fileName().contains(QRegularExpression(u"^Pelora-\\d{8}-\\d{6}(-\\d+)?\\.mdb$"_s)),
             qPrintable(copies.first()));
    QCOMPARE(copyRows(copies.first(), u"PRAGMA integrity_check"_s).value(0).value(0).toString(), u"ok"_s);
    QCOMPARE(copyRows(copies.first(), u"SELECT 氏名, タイトル, 合計 FROM 時給ヘッダ"_s),
             app.mainRows(u"SELECT 氏名, タイトル, 合計 FROM 時給ヘッダ"_s));
    QCOMPARE(copyRows(copies.first(), u"SELECT 合計 FROM 時給ヘッダ"_s).value(0).value(0).toInt(), 24001);
    QCOMPARE(copyRows(copies.first(), u"SELECT count(*) FROM 時給明細"_s).value(0).value(0).toInt(), 3);
    QCOMPARE(app.progress.steps.last().phase, OpenSteps::Phase::Copying);
    QCOMPARE(app.progress.steps.last().done, 1);
    // No dialog of any kind came with it.
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestBackup::copyWhenClosingAfterAChange()
{
    Pelora app;
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 2);
    QVERIFY(backup::copies(folderOf(app)).isEmpty());
    app.stop();
    // The copy is taken as the window closes, so the next start has nothing to do.
    const QStringList copies = backup::copies(folderOf(app));
    QCOMPARE(copies.size(), 1);
    QCOMPARE(copyRows(copies.first(), u"SELECT count(*) FROM 時給明細"_s).value(0).value(0).toInt(), 2);
    app.presenter.clear();
    QVERIFY(app.start());
    QCOMPARE(backup::copies(folderOf(app)), copies);
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestBackup::noCopyWhenNothingChanged()
{
    Pelora app;
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 2);
    app.stop();
    QVERIFY(app.start());
    const QStringList first = backup::copies(folderOf(app));
    QCOMPARE(first.size(), 1);

    // Reading, listing and clearing touch only the work file.
    op::fill(ui::cmb氏名(app.w), u"山田花子"_s);
    op::fill(ui::txtタイトル(app.w), u"4月分"_s);
    op::click(ui::cmd読込(app.w));
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 16000.0);
    op::click(ui::cmdクリア(app.w));
    ui::SSTab1(app.w)->setCurrentIndex(1);
    op::click(ui::cmd履歴読込(app.w));
    ui::SSTab1(app.w)->setCurrentIndex(2);
    op::click(ui::cmd従業員読込(app.w));
    ui::SSTab1(app.w)->setCurrentIndex(3);
    op::click(ui::cmd設定読込(app.w));
    app.stop();
    QVERIFY(app.start());
    app.stop();
    QVERIFY(app.start());
    QCOMPARE(backup::copies(folderOf(app)), first);
}

void TestBackup::copyBeforeDeletingAllHoldsWhatWasDeleted()
{
    Pelora app;
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 4);
    registerSheet(app, u"佐藤一郎"_s, u"4月分"_s, 2);
    ui::SSTab1(app.w)->setCurrentIndex(3);
    QApplication::processEvents();
    op::fill(ui::txt自社名(app.w), u"ぺろら商店"_s);
    op::click(ui::cmd設定登録(app.w));
    QVERIFY(backup::copies(folderOf(app)).isEmpty());

    app.presenter.answerYes();
    op::click(ui::cmd一括削除7(app.w));
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給明細"_s).value(0).value(0).toInt(), 0);
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 従業員"_s).value(0).value(0).toInt(), 0);

    const QStringList copies = backup::copies(folderOf(app));
    QCOMPARE(copies.size(), 1);
    const QString copy = copies.first();
    QCOMPARE(copyRows(copy, u"PRAGMA integrity_check"_s).value(0).value(0).toString(), u"ok"_s);
    QCOMPARE(copyRows(copy, u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(), 2);
    QCOMPARE(copyRows(copy, u"SELECT count(*) FROM 時給明細"_s).value(0).value(0).toInt(), 6);
    QCOMPARE(copyRows(copy, u"SELECT 氏名 FROM 従業員 ORDER BY 氏名"_s),
             (QList<QVariantList>{{u"佐藤一郎"_s}, {u"山田花子"_s}}));
    QCOMPARE(copyRows(copy, u"SELECT 自社名 FROM 自社情報"_s).value(0).value(0).toString(), u"ぺろら商店"_s);
}

void TestBackup::deletingAllAgainDoesNotPushOutTheCopyWithData()
{
    Pelora app;
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 1);
    app.stop();
    QVERIFY(app.start()); // the copy of the sheet is taken here
    const QStringList first = backup::copies(folderOf(app));
    QCOMPARE(first.size(), 1);

    // Nothing changed since that copy: it already holds what is deleted.
    ui::SSTab1(app.w)->setCurrentIndex(3);
    app.presenter.answerYes();
    op::click(ui::cmd一括削除7(app.w));
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(), 0);
    QCOMPARE(backup::copies(folderOf(app)), first);

    // Pressed again, and started again and again on the empty file: a copy of
    // nothing is never taken, so the copy with the sheet stays.
    for (int n = 0; n < backup::KeptCopies + 1; ++n) {
        app.presenter.answerYes();
        op::click(ui::cmd一括削除7(app.w));
        app.stop();
        QVERIFY(app.start());
        ui::SSTab1(app.w)->setCurrentIndex(3);
    }
    QCOMPARE(backup::copies(folderOf(app)), first);
    QCOMPARE(copyRows(first.first(), u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(), 1);
}

void TestBackup::aCopyCanBePutBack()
{
    Pelora app;
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 5);
    const auto headers = app.mainRows(u"SELECT * FROM 時給ヘッダ"_s);
    const auto lines = app.mainRows(u"SELECT * FROM 時給明細 ORDER BY 行番号"_s);
    ui::SSTab1(app.w)->setCurrentIndex(3);
    app.presenter.answerYes();
    op::click(ui::cmd一括削除7(app.w));
    app.stop();

    // Put back by hand, with Pelora closed: the copy in place of Pelora.mdb.
    // It is not the file Pelora left, so it is used once the operator agrees,
    // having seen its sheets beside those of the newest copy.
    const QString copy = backup::copies(folderOf(app)).first();
    QVERIFY(QFile::remove(app.paths.MainDbPath));
    QVERIFY(QFile::copy(copy, app.paths.MainDbPath));
    app.presenter.clear();
    app.presenter.answerYes();
    QVERIFY(app.start());
    QCOMPARE(app.presenter.shown.size(), 1);
    const QString question = app.presenter.last().prompt;
    QVERIFY2(question.contains(u"このファイル: シート 1 件、従業員 1 人\n最新の控え: "_s)
                 && question.contains(u"（一括削除の前）、シート 1 件"_s),
             qPrintable(question));
    QCOMPARE(app.mainRows(u"PRAGMA integrity_check"_s).value(0).value(0).toString(), u"ok"_s);
    QCOMPARE(app.mainRows(u"SELECT * FROM 時給ヘッダ"_s), headers);
    QCOMPARE(app.mainRows(u"SELECT * FROM 時給明細 ORDER BY 行番号"_s), lines);

    op::fill(ui::cmb氏名(app.w), u"山田花子"_s);
    op::fill(ui::txtタイトル(app.w), u"4月分"_s);
    op::click(ui::cmd読込(app.w));
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 40000.0);
    QCOMPARE(ui::dat明細(app.w)->displayText(4, sheet::Col日付), u"2024/04/05"_s);
}

void TestBackup::keepsOnlyTheNewestTen()
{
    Pelora app;
    QVERIFY(app.start());
    const QString folder = folderOf(app);
    QVERIFY(QDir().mkpath(folder));
    // Files of the office's own in the folder are never touched.
    const QStringList foreign{u"memo.txt"_s, u"Pelora-before-upgrade.mdb"_s, u"Pelora-2020.mdb"_s};
    for (const QString &name : foreign) {
        QFile file(QDir(folder).filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep");
    }

    // Twelve changes, each followed by a start that copies it: copy n holds n sheets.
    for (int n = 1; n <= 12; ++n) {
        registerSheet(app, u"山田花子"_s, u"第%1週"_s.arg(n), 1);
        app.stop();
        QVERIFY(app.start());
    }
    const QStringList copies = backup::copies(folder);
    QCOMPARE(copies.size(), backup::KeptCopies);
    for (int i = 0; i < copies.size(); ++i) {
        const int sheets = 12 - i;
        QCOMPARE(copyRows(copies.at(i), u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(), sheets);
    }
    for (const QString &name : foreign)
        QVERIFY2(QFileInfo::exists(QDir(folder).filePath(name)), qPrintable(name));
}

void TestBackup::aCopyCutShortIsNeverKept()
{
    Pelora app;
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 1);
    app.stop();
    // What a Pelora killed while copying leaves: a part-written copy, and the
    // new session record and copy state it had not yet put in place.
    const QString folder = folderOf(app);
    QVERIFY(QDir().mkpath(folder));
    const QString part = QDir(folder).filePath(u"Pelora-20240401-120000.mdb.part"_s);
    const QStringList leftovers{part, QDir(app.paths.DataPath).filePath(u"Pelora.session.part-0badc0de"_s),
                                QDir(folder).filePath(u"last-copy.txt.part-00c0ffee"_s)};
    for (const QString &name : leftovers) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000, 'x'));
    }
    // The copy taken as the window closed, and a change made since.
    const QStringList before = backup::copies(folder);
    QCOMPARE(before.size(), 1);
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"UPDATE 時給ヘッダ SET 合計 = 1"_s));
    QVERIFY(app.start());
    for (const QString &name : leftovers)
        QVERIFY2(!QFileInfo::exists(name), qPrintable(name));
    const QStringList copies = backup::copies(folder);
    QCOMPARE(copies.size(), 2);
    QCOMPARE(copyRows(copies.first(), u"PRAGMA integrity_check"_s).value(0).value(0).toString(), u"ok"_s);
}

void TestBackup::aDamagedFileIsNeitherCopiedNorOpened()
{
    Pelora app;
    QVERIFY(app.start());
    for (int n = 0; n < 40; ++n)
        QVERIFY(Pelora::execute(app.paths.MainDbPath,
                                u"INSERT INTO 時給明細 (氏名, タイトル, 行番号, 日付) VALUES (?, ?, ?, ?)"_s,
                                {u"山田花子"_s, QString(200, u'x'), n + 1, u"2024-04-01"_s}));
    app.stop();
    QVERIFY(app.start());
    app.stop();
    const QString folder = folderOf(app);
    const QStringList before = backup::copies(folder);
    QCOMPARE(before.size(), 1);
    const QByteArray goodCopy = digest(before.first());

    QVERIFY(damageLinesPage(app.paths.MainDbPath));
    const QByteArray damaged = digest(app.paths.MainDbPath);

    QVERIFY(!app.start());
    QCOMPARE(app.presenter.shown.size(), 1);
    QVERIFY2(app.presenter.last().prompt.contains(u"壊れています"_s), qPrintable(app.presenter.last().prompt));
    QVERIFY(app.presenter.last().prompt.contains(u"backup"_s)); // where the good copies are
    QCOMPARE(backup::copies(folder), before);
    QCOMPARE(digest(before.first()), goodCopy);
    QCOMPARE(digest(app.paths.MainDbPath), damaged);
}

void TestBackup::aFileLeftByAKilledSessionIsCheckedWhole_data()
{
    QTest::addColumn<bool>("killed");
    QTest::addColumn<bool>("damaged");
    QTest::newRow("session killed") << true << true;
    QTest::newRow("session killed, file whole") << true << false;
    // The same bytes as Pelora closed them are taken as they stand: a normal
    // start never reads the whole file.
    QTest::newRow("session closed") << false << true;
}

void TestBackup::aFileLeftByAKilledSessionIsCheckedWhole()
{
    QFETCH(bool, killed);
    QFETCH(bool, damaged);
    Pelora app;
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 30);
    app.stop();
    QVERIFY(app.start());
    // What a Pelora killed now would leave: its record of a session still open.
    const QString record = QDir(app.paths.DataPath).filePath(u"Pelora.session"_s);
    const QByteArray open = readAll(record);
    app.stop();

    // A page torn during that session, the file's size, time and header kept.
    const portable::ModificationTime modified(app.paths.MainDbPath);
    if (damaged)
        QVERIFY(damageLinesPage(app.paths.MainDbPath));
    QVERIFY(modified.restore());
    if (killed)
        QVERIFY(writeAll(record, open));

    app.progress.steps.clear();
    const int begunBefore = app.progress.begun;
    QCOMPARE(app.start(), !(killed && damaged));
    if (killed && damaged)
        QVERIFY2(app.presenter.last().prompt.contains(u"壊れています"_s), qPrintable(app.presenter.last().prompt));
    // The check told how far it was: each of the three indexes against its
    // table and the whole file; a trusted file is not read at all. A damaged
    // file is followed by the check of the copy that is then offered.
    const RecordingProgress::Step last = app.progress.steps.value(app.progress.steps.size() - 1);
    QCOMPARE(app.progress.begun, app.progress.ended);
    QCOMPARE(app.progress.begun - begunBefore, killed && damaged ? 2 : 1);
    QCOMPARE(last.phase, OpenSteps::Phase::Checking);
    QCOMPARE(last.total, killed ? 4 : 0);
    QCOMPARE(last.done, last.total);
}

void TestBackup::deletingAllWhenTheCopiesAreDefeated_data()
{
    QTest::addColumn<QString>("defeat");
    QTest::addColumn<bool>("deletes");
    QTest::newRow("copy state garbage") << u"garbage state"_s << true;
    QTest::newRow("newest copy emptied") << u"empty copy"_s << true;
    QTest::newRow("newest copy removed") << u"remove copy"_s << true;
    QTest::newRow("newest copy replaced by another database") << u"replace copy"_s << true;
    QTest::newRow("backup folder replaced by a file") << u"folder is a file"_s << false;
    // Not writable for anyone, root included (for whom permission bits are no bar).
    QTest::newRow("backup folder where nothing can be created") << u"folder not writable"_s << false;
}

void TestBackup::deletingAllWhenTheCopiesAreDefeated()
{
    QFETCH(QString, defeat);
    QFETCH(bool, deletes);
    Pelora app;
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 3);
    app.stop(); // the copy is taken here
    QVERIFY(app.start());
    const QString folder = folderOf(app);
    const QString copy = backup::copies(folder).value(0);
    QVERIFY(!copy.isEmpty());

    if (defeat == u"garbage state"_s)
        QVERIFY(writeAll(QDir(folder).filePath(u"last-copy.txt"_s), "Pelora-20990101-000000.mdb\n1 2 3\n"));
    else if (defeat == u"empty copy"_s)
        QVERIFY(writeAll(copy, {}));
    else if (defeat == u"remove copy"_s)
        QVERIFY(QFile::remove(copy));
    else if (defeat == u"replace copy"_s)
        QVERIFY(QFile::remove(copy) && QFile::copy(app.paths.WorkDbPath, copy));
    else if (defeat == u"folder is a file"_s)
        QVERIFY(QDir(folder).removeRecursively() && writeAll(QDir::cleanPath(folder), "not a folder"));
    else if (defeat == u"folder not writable"_s && portable::Windows)
        QSKIP("Windows has no /proc/self/fdinfo, a folder where no one can create anything");
    else if (defeat == u"folder not writable"_s)
        QVERIFY(QDir(folder).removeRecursively() && QFile::link(u"/proc/self/fdinfo"_s, QDir::cleanPath(folder)));

    ui::SSTab1(app.w)->setCurrentIndex(3);
    app.presenter.answerYes();
    op::click(ui::cmd一括削除7(app.w));
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給明細"_s).value(0).value(0).toInt(), deletes ? 0 : 3);
    if (deletes) {
        // A copy of what was deleted exists, whatever had become of the old one.
        const QString newest = backup::copies(folder).value(0);
        QVERIFY(!newest.isEmpty());
        QCOMPARE(copyRows(newest, u"PRAGMA integrity_check"_s).value(0).value(0).toString(), u"ok"_s);
        QCOMPARE(copyRows(newest, u"SELECT count(*) FROM 時給明細"_s).value(0).value(0).toInt(), 3);
    } else {
        QVERIFY2(app.presenter.last().prompt.contains(u"バックアップを作成できないため、削除しませんでした。"_s),
                 qPrintable(app.presenter.last().prompt));
    }
    // Closing and starting again go on as usual.
    app.stop();
    app.presenter.clear();
    QVERIFY(app.start());
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestBackup::aMainFileRemovedWhileRunningIsCopiedAtClose()
{
    Pelora app;
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 2);
    if (portable::Windows) {
        QVERIFY(!QFile::remove(app.paths.MainDbPath));
        QSKIP("Windows removes no file SQLite holds open (it opens its files without delete sharing)");
    }
    QVERIFY(QFile::remove(app.paths.MainDbPath));
    // SQLite refuses to write to a file whose name is gone; the operator is told.
    registerSheet(app, u"佐藤一郎"_s, u"4月分"_s, 3);
    QVERIFY(app.presenter.last().prompt.startsWith(u"データファイルに書き込めないため、登録できませんでした。"_s));
    app.stop();

    // The copy is taken from the connection; the next start creates nothing
    // and names that copy.
    const QString copy = backup::copies(folderOf(app)).value(0);
    QVERIFY(!copy.isEmpty());
    QCOMPARE(copyRows(copy, u"SELECT count(*) FROM 時給明細"_s).value(0).value(0).toInt(), 2);
    QVERIFY(!app.start());
    QVERIFY(!QFileInfo::exists(app.paths.MainDbPath));
    QVERIFY2(app.presenter.last().prompt.contains(QDir::toNativeSeparators(copy)), qPrintable(app.presenter.last().prompt));

    // The refusal offers that copy; はい puts it back and opens with the sheet.
    QVERIFY(app.presenter.last().prompt.contains(u"に戻しますか"_s));
    app.presenter.clear();
    app.presenter.answerYes();
    QVERIFY(app.start());
    QCOMPARE(app.presenter.shown.size(), 1);
    QCOMPARE(app.mainRows(u"SELECT 氏名 FROM 時給ヘッダ"_s), (QList<QVariantList>{{u"山田花子"_s}}));
}

void TestBackup::aFolderCopiedElsewhereIsUsedWithoutAQuestion()
{
    // Its files are other files there (other inodes), holding the same data:
    // a new computer, a synced folder.
    Pelora app;
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 2);
    app.stop();
    Pelora moved;
    for (const QString &name : QDir(app.paths.DataPath).entryList(QDir::Files))
        QVERIFY(QDir().mkpath(moved.paths.DataPath)
                && QFile::copy(QDir(app.paths.DataPath).filePath(name), QDir(moved.paths.DataPath).filePath(name)));
    QVERIFY(moved.start());
    QCOMPARE(moved.presenter.shown.size(), 0);
    QCOMPARE(moved.mainRows(u"SELECT 氏名 FROM 時給ヘッダ"_s), (QList<QVariantList>{{u"山田花子"_s}}));
}

void TestBackup::aCopyIsRestoredFromTheSettingsPage_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("told"); // why it could not be done; empty: done
    QTest::addColumn<bool>("typed");   // a line typed on 入力シート and not registered
    QTest::newRow("whole copy") << QString() << QString() << false;
    // The confirmation says that the typed line goes; the page shows the restored file.
    QTest::newRow("whole copy, a line typed") << QString() << QString() << true;
    // Checked whole before anything is moved: the file in use stays in place, untouched.
    QTest::newRow("copy damaged since it was taken") << u"damaged copy"_s << u"控えを読み取れないか、控えが壊れています"_s << false;
    // What fails before anything is moved leaves the connection as it was.
    QTest::newRow("disk full") << u"disk full"_s << u"ディスクの空きが足りません"_s << false;
    QTest::newRow("data folder made read-only") << u"read-only folder"_s << u"読み取り専用"_s << false;
}

void TestBackup::aCopyIsRestoredFromTheSettingsPage()
{
    QFETCH(QString, fault);
    QFETCH(QString, told);
    QFETCH(bool, typed);
    Pelora app;
    std::unique_ptr<SmallDisk> disk;
    if (fault == u"disk full"_s) {
        disk = std::make_unique<SmallDisk>(app.dir.path());
        if (!disk->mounted())
            QSKIP(SmallDisk::missing());
    }
    QVERIFY(app.start());
    registerSheet(app, u"山田花子"_s, u"4月分"_s, 3);
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 従業員 VALUES ('鈴木次郎', 900)"_s));
    QVERIFY(Pelora::execute(app.paths.WorkDbPath, u"INSERT INTO ClHint VALUES ('FrmPelora', 'cmdHint4', 'Pelora', '設定の説明')"_s));
    app.stop(); // the copy at close holds the sheet, two employees and the hint
    QVERIFY(app.start());
    registerSheet(app, u"佐藤一郎"_s, u"5月分"_s, 2);
    QVERIFY(Pelora::execute(app.paths.WorkDbPath, u"DELETE FROM ClHint"_s));
    // A hint written after the copy exists nowhere else: it stays.
    QVERIFY(Pelora::execute(app.paths.WorkDbPath, u"INSERT INTO ClHint VALUES ('FrmPelora', 'cmdHint', 'Pelora', '入力の説明')"_s));

    if (typed)
        op::typeCell(ui::Grid明細(app.w), 0, 1, u"20070402"_s);
    // 設定・情報: the copies listed, one chosen, はい to the confirmation.
    ui::SSTab1(app.w)->setCurrentIndex(3);
    op::click(ui::find<QPushButton>(app.w, u"cmd控え一覧"_s));
    auto *list = ui::find<QTreeWidget>(app.w, u"lst控え"_s);
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->topLevelItem(0)->text(1), u"閉じたとき"_s);
    QCOMPARE(list->topLevelItem(0)->text(2), u"1"_s);
    QCOMPARE(list->topLevelItem(0)->text(3), u"2"_s);
    list->setCurrentItem(list->topLevelItem(0));
    std::unique_ptr<ReadOnlyFolder> readOnly;
    if (fault == u"damaged copy"_s)
        QVERIFY(damageLinesPage(backup::copies(folderOf(app)).first()));
    else if (fault == u"disk full"_s)
        QVERIFY(disk->fill());
    else if (fault == u"read-only folder"_s) {
        readOnly = std::make_unique<ReadOnlyFolder>(app.paths.DataPath);
        if (!readOnly->made())
            QSKIP(ReadOnlyFolder::missing());
    }
    const QByteArray before = digest(app.paths.MainDbPath);
    app.presenter.clear();
    app.presenter.answerYes();
    op::click(ui::find<QPushButton>(app.w, u"cmd復元"_s));
    QCOMPARE(app.presenter.shown.size(), 2); // the confirmation, then the notice that it is done or not
    if (!told.isEmpty()) {
        QVERIFY2(app.presenter.last().prompt.startsWith(u"控えに戻せませんでした（"_s)
                     && app.presenter.last().prompt.contains(told),
                 qPrintable(app.presenter.last().prompt));
        QCOMPARE(digest(app.paths.MainDbPath), before);
        QFile::remove(app.dir.filePath(u"filler"_s));
        readOnly.reset();
        QCOMPARE(QDir(app.paths.DataPath).entryList({u"Pelora-old-*"_s, u"*.restore"_s}), QStringList());
        registerSheet(app, u"鈴木次郎"_s, u"6月分"_s, 1); // the window works on as before, the fault lifted
        QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(), 3);
        return;
    }
    QVERIFY2(app.presenter.shown.first().prompt.contains(u"（閉じたとき）、シート 1 件、従業員 2 人"_s),
             qPrintable(app.presenter.shown.first().prompt));
    QCOMPARE(app.presenter.shown.first().prompt.contains(u"入力シートと従業員の登録していない入力は破棄されます。"_s), typed);
    QVERIFY(ui::dat明細(app.w)->value(0, 1).isNull());
    QVERIFY(!ui::sheetPage(app.w)->hasUnregisteredInput());

    // The pages read the restored file; the hint text is back, and the one written since stays.
    ui::SSTab1(app.w)->setCurrentIndex(1);
    QCOMPARE(ui::dat履歴(app.w)->storedRowCount(), 1);
    QCOMPARE(ui::dat履歴(app.w)->displayText(0, 0), u"山田花子"_s);
    QCOMPARE(app.workRows(u"SELECT Contents FROM ClHint ORDER BY CtlName"_s),
             (QList<QVariantList>{{u"入力の説明"_s}, {u"設定の説明"_s}}));
    // The file replaced sits aside under a dated name, whole, with the newer sheet.
    const QStringList aside = QDir(app.paths.DataPath).entryList({u"Pelora-old-*.mdb"_s});
    QCOMPARE(aside.size(), 1);
    QVERIFY(aside.first().contains(QRegularExpression(u"^Pelora-old-\\d{8}-\\d{6}\\.mdb$"_s)));
    QCOMPARE(copyRows(QDir(app.paths.DataPath).filePath(aside.first()), u"SELECT count(*) FROM 時給ヘッダ"_s)
                 .value(0).value(0).toInt(), 2);

    // Work goes on in the restored file, and the next start trusts it as Pelora left it.
    registerSheet(app, u"鈴木次郎"_s, u"6月分"_s, 1);
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(), 2);
    app.stop();
    app.presenter.clear();
    QVERIFY(app.start());
    QVERIFY(app.presenter.shown.isEmpty());
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(), 2);
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
