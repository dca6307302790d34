// Pay day: finding sheets in the history list, reading many sheets at once,
// their statements and their figures as CSV.
#include "fixture.h"
#include "portable.h"
#include "smalldisk.h"

#include "controls/worktablemodel.h"
#include "data/files.h"
#include "history/historycolumns.h"
#include "history/historysearch.h"
#include "history/paydayexport.h"
#include "history/paydaystore.h"
#include "report/previewoutput.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// name, title, 時給, 休憩, 調整額, 時間, 合計
void storeHeader(const Pelora &app, const QVariantList &values)
{
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給ヘッダ (氏名, タイトル, 時給, 休憩, 調整額, 時間, 合計) "
                            u"VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
                            values));
}

QStringList names(const QAbstractItemModel &model)
{
    QStringList shown;
    for (int r = 0; r < model.rowCount(); ++r)
        shown.append(model.index(r, history::Col氏名).data().toString());
    return shown;
}

// The file as Python's csv module reads it (strict RFC quoting, BOM dropped).
QList<QVariantList> readCsv(const QString &file)
{
    QProcess python;
    python.start(u"python3"_s, {u"-c"_s,
                                u"import csv,json,sys; f=open(sys.argv[1], encoding='utf-8-sig', newline=''); "
                                u"print(json.dumps(list(csv.reader(f, strict=True))))"_s,
                                file});
    python.waitForFinished();
    QList<QVariantList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        rows.append(row.toArray().toVariantList());
    return rows;
}

// The cells of a CSV file as LibreOffice reads it (Japanese, UTF-8, comma
// separated), converted to ODS: "type value" for each cell of each row, the
// type as the spreadsheet stores it (time, date, float, string; empty).
QList<QStringList> asSpreadsheet(const QString &csv, const QString &folder)
{
    QProcess office;
    office.start(u"soffice"_s, {u"-env:UserInstallation=file://"_s + folder + u"/profile"_s, u"--headless"_s,
                                u"--convert-to"_s, u"ods"_s, u"--infilter=CSV:44,34,76,1,,1041"_s, u"--outdir"_s,
                                folder, csv});
    office.waitForFinished(180000);
    QProcess python;
    python.start(u"python3"_s, {u"-c"_s,
                                u"import json,sys,zipfile,xml.etree.ElementTree as ET\n"
                                u"T='{urn:oasis:names:tc:opendocument:xmlns:table:1.0}'\n"
                                u"O='{urn:oasis:names:tc:opendocument:xmlns:office:1.0}'\n"
                                u"root=ET.fromstring(zipfile.ZipFile(sys.argv[1]).read('content.xml'))\n"
                                u"rows=[]\n"
                                u"for row in root.iter(T+'table-row'):\n"
                                u"  cells=[]\n"
                                u"  for c in row.findall(T+'table-cell'):\n"
                                u"    n=min(int(c.get(T+'number-columns-repeated','1')),16)\n"
                                u"    v=c.get(O+'time-value') or c.get(O+'date-value') or c.get(O+'value') or ''.join(c.itertext())\n"
                                u"    cells+=[c.get(O+'value-type','empty')+' '+v]*n\n"
                                u"  rows.append(cells)\n"
                                u"print(json.dumps(rows))"_s,
                                QDir(folder).filePath(QFileInfo(csv).completeBaseName() + u".ods"_s)});
    python.waitForFinished();
    QList<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList cells;
        for (const QJsonValue &cell : row.toArray())
            cells.append(cell.toString());
        rows.append(cells);
    }
    return rows;
}

// A CSV field read back against the stored value: text as it is, numbers equal
// as numbers, null as an empty field.
bool sameAsStored(const QVariant &field, const QVariant &stored)
{
    if (stored.isNull())
        return field.toString().isEmpty();
    if (stored.typeId() == QMetaType::Double)
        return field.toString().toDouble() == stored.toDouble() && !field.toString().contains(u',');
    return field.toString() == stored.toString();
}

// The bytes of a file, or the names in a folder.
QByteArray contentOf(const QString &path)
{
    if (QFileInfo(path).isDir())
        return QDir(path).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).join(u'|').toUtf8();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Presses 「PDFに保存」 in the print preview as soon as it is shown, then closes it.
void saveFromThePreview()
{
    QTimer::singleShot(0, [] {
        auto *preview = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
        if (!preview)
            return saveFromThePreview();
        preview->findChild<QAction *>(u"actPDF保存"_s)->trigger();
        preview->reject();
    });
}

} // namespace

class TestPayday : public QObject
{
    Q_OBJECT

private slots:
    void findsByNameOrTitleInEitherWidthAndCase_data();
    void findsByNameOrTitleInEitherWidthAndCase();
    void filterFollowsTheList();
    void statementIsTheOneThePagePrints_data();
    void statementIsTheOneThePagePrints();
    void csvGivesBackTheStoredValuesOrNothing();
    void readsInKeyOrderAndTellsAFailedReadApart();
    void aFileIsWrittenWholeOrNotAtAll_data();
    void aFileIsWrittenWholeOrNotAtAll();
};

void TestPayday::findsByNameOrTitleInEitherWidthAndCase_data()
{
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("listed");
    QTest::newRow("全角の英字") << u"ＳＡＴＯ"_s << u"sato"_s << u"4月"_s << true;
    QTest::newRow("半角の数字") << u"12"_s << u"山田"_s << u"１２月分"_s << true;
    QTest::newRow("全角の数字") << u"１２"_s << u"山田"_s << u"12月分"_s << true;
    QTest::newRow("半角カナ") << u"ﾔﾏﾀﾞ"_s << u"ヤマダ ハナコ"_s << u""_s << true;
    QTest::newRow("全角カナで半角を") << u"ヤマダ"_s << u"ﾔﾏﾀﾞ ﾊﾅｺ"_s << u""_s << true;
    QTest::newRow("大文字と小文字") << u"smith"_s << u"SMITH John"_s << u""_s << true;
    QTest::newRow("全角空白") << u"山田　花子"_s << u"山田 花子"_s << u""_s << true;
    QTest::newRow("空の検索") << u""_s << u"山田"_s << u"4月"_s << true;
    QTest::newRow("タイトルだけ") << u"5月"_s << u"山田"_s << u"2024年5月分"_s << true;
    QTest::newRow("絵文字") << u"🌸"_s << u"田中🌸"_s << u"4月"_s << true;
    QTest::newRow("ない絵文字") << u"🌻"_s << u"田中🌸"_s << u"4月"_s << false;
    QTest::newRow("ひらがなとカタカナは別") << u"やまだ"_s << u"ヤマダ"_s << u""_s << false;
    QTest::newRow("氏名とタイトルをまたがない") << u"田4"_s << u"山田"_s << u"4月"_s << false;
    QTest::newRow("含まない") << u"佐藤"_s << u"山田"_s << u"4月"_s << false;
}

void TestPayday::findsByNameOrTitleInEitherWidthAndCase()
{
    QFETCH(QString, needle);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(bool, listed);
    QCOMPARE(history::matches(history::searchKey(needle), name, title), listed);
}

void TestPayday::filterFollowsTheList()
{
    Pelora app;
    QVERIFY(app.start());
    storeHeader(app, {u"ヤマダ"_s, u"4月"_s, 1000, 1, 0, 7, 7000});
    storeHeader(app, {u"佐藤"_s, u"4月"_s, 1000, 1, 0, 7, 7000});
    ui::SSTab1(app.w)->setCurrentIndex(1);
    op::click(ui::cmd履歴読込(app.w));
    // Typed into the page's search field, narrowing the grid itself.
    auto *search = ui::find<QLineEdit>(app.w, u"txt検索"_s);
    op::fill(search, u"ﾔﾏ"_s);
    const QAbstractItemModel &shown = *ui::Grid履歴(app.w)->model();
    QCOMPARE(names(shown), QStringList{u"ヤマダ"_s});

    // Read again (the source is reset): the new sheet is found, the old keys are not reused.
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"UPDATE 時給ヘッダ SET 氏名 = 'ﾔﾏﾓﾄ' WHERE 氏名 = '佐藤'"_s));
    op::click(ui::cmd履歴読込(app.w));
    QCOMPARE(names(shown), (QStringList{u"ヤマダ"_s, u"ﾔﾏﾓﾄ"_s}));
    // 選択 opens the line chosen in the narrowed list.
    op::selectCell(ui::Grid履歴(app.w), 1, history::Col氏名);
    op::click(ui::cmd履歴選択(app.w));
    QCOMPARE(ui::cmb氏名(app.w)->currentText(), u"ﾔﾏﾓﾄ"_s);
    op::fill(search, QString());
    QCOMPARE(shown.rowCount(), 2);
    history::SearchFilterModel filter(history::Col氏名, history::Colタイトル);

    // Rows added, removed and changed in the source, one by one.
    QStandardItemModel list(0, 3);
    filter.setSourceModel(&list);
    filter.setSearchText(u"やま"_s);
    for (const QString &name : {u"佐藤"_s, u"やまだ"_s})
        list.appendRow({new QStandardItem(name), new QStandardItem(), new QStandardItem(u"4月"_s)});
    QCOMPARE(names(filter), QStringList{u"やまだ"_s});
    list.insertRow(0, {new QStandardItem(u"ＹＡＭＡやまＡ"_s), new QStandardItem(), new QStandardItem()});
    QCOMPARE(names(filter), (QStringList{u"ＹＡＭＡやまＡ"_s, u"やまだ"_s}));
    list.removeRow(0);
    list.item(0, 0)->setText(u"やまもと"_s);
    QCOMPARE(names(filter), (QStringList{u"やまもと"_s, u"やまだ"_s}));
    list.item(1, 2)->setText(u"やまの日"_s);
    list.item(1, 0)->setText(u"林"_s);
    QCOMPARE(names(filter), (QStringList{u"やまもと"_s, u"林"_s}));
    filter.setSearchText(QString());
    QCOMPARE(filter.rowCount(), 2);
}

void TestPayday::statementIsTheOneThePagePrints_data()
{
    QTest::addColumn<QVariantList>("header"); // 時給, 休憩, 調整額, 時間, 合計
    QTest::newRow("普通") << QVariantList{1100, 1, -500, 62.5, 68250};
    QTest::newRow("空と零") << QVariantList{QVariant(), 0, QVariant(), QVariant(), 0};
    QTest::newRow("端数") << QVariantList{1234.5, 0.5, 0.5, 1234.56, 1234567.5};
}

void TestPayday::statementIsTheOneThePagePrints()
{
    QFETCH(QVariantList, header);
    Pelora app;
    QVERIFY(app.start());
    ui::SSTab1(app.w)->setCurrentIndex(3);
    op::fill(ui::txt自社名(app.w), u"株式会社サンプル商店"_s);
    op::fill(ui::txt自社情報(app.w), u"TEL 03-1234-5678"_s);
    app.presenter.answerYes();
    op::click(ui::cmd設定登録(app.w));
    storeHeader(app, QVariantList{u"山田 花子"_s, u"4月分"_s} + header);
    storeHeader(app, {u"佐藤"_s, u"4月分"_s, 900, 0, 0, 1, 900}); // listed first
    ui::SSTab1(app.w)->setCurrentIndex(1);
    op::click(ui::cmd履歴読込(app.w));
    op::selectCell(ui::Grid履歴(app.w), 1, history::Col氏名);
    op::click(ui::cmd履歴選択(app.w));
    op::click(ui::Cmd印刷(app.w));
    QCOMPARE(app.output.statements.size(), 1);
    const StatementValues printed = app.output.statements.first();

    // The history prints the chosen sheets, and every sheet listed when none is chosen.
    ui::SSTab1(app.w)->setCurrentIndex(1);
    auto *printAll = ui::find<QPushButton>(app.w, u"cmd履歴印刷"_s);
    op::click(printAll);
    ui::Grid履歴(app.w)->clearSelection();
    op::click(printAll);
    QCOMPARE(app.output.statements.size(), 4);
    QCOMPARE(app.output.statements.at(2).name, u"佐藤"_s);
    const StatementValues built = app.output.statements.at(3);
    const auto fields = [](const StatementValues &v) {
        return QStringList{v.name, v.title, v.wage, v.hours, v.adjustment, v.total, v.companyName,
                           v.companyInfo, v.date.toString(Qt::ISODate)};
    };
    QCOMPARE(fields(built), fields(printed));
    QCOMPARE(fields(app.output.statements.at(1)), fields(printed));
}

void TestPayday::csvGivesBackTheStoredValuesOrNothing()
{
    Pelora app;
    QVERIFY(app.start());
    const QList<sheet::Key> keys{
        {u"O'Brien, \"Pat\""_s, u"前半\n後半"_s}, {u" 林 "_s, u"4月,5月"_s}, {u"田中🌸"_s, u"=1+1"_s}};
    storeHeader(app, {keys[0].name, keys[0].title, 1100, 1, -500, 0.1 + 0.2, 12345678});
    storeHeader(app, {keys[1].name, keys[1].title, QVariant(), 0, 1e-7, 1234.5, 1e20});
    storeHeader(app, {keys[2].name, keys[2].title, 999.5, QVariant(), QVariant(), 7, 6996.5});
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給明細 "
                                 u"(氏名, タイトル, 行番号, 日付, 開始時間, 終了時間, 時間, 時給, 調整額, 金額) VALUES (?, ?, 1, '2007-04-02', '0900', '1730', 7.5, 1000, NULL, 7500), "
                            u"(?, ?, 2, '2007-04-03', '0000', '0600', 6, 1000.5, -10, 5993), "
                            u"(?, ?, 3, '2007-04-03', '2200', '2400', 2.25, 1000, NULL, 2250)"_s,
                            {keys[0].name, keys[0].title, keys[0].name, keys[0].title, keys[0].name, keys[0].title}));
    // Written through the page, every listed sheet (none chosen), in the order listed.
    const QString sheetsFile = app.dir.filePath(u"figures.csv"_s);
    const QString linesFile = app.dir.filePath(u"lines.csv"_s);
    ui::SSTab1(app.w)->setCurrentIndex(1);
    op::click(ui::cmd履歴読込(app.w));
    // Each form has its button and its own file name.
    const QDate today = QDate::currentDate();
    for (const auto &[file, button, proposed] :
         {std::tuple(sheetsFile, u"cmd履歴CSV合計"_s, u"給与集計_%1.csv"_s),
          std::tuple(linesFile, u"cmd履歴CSV明細"_s, u"勤務明細_%1.csv"_s)}) {
        app.chooser.answer = file;
        op::click(ui::find<QPushButton>(app.w, button));
        QCOMPARE(app.chooser.proposed, proposed.arg(today.toString(u"yyyyMMdd"_s)));
    }
    QCOMPARE(app.presenter.last().prompt,
             u"3 件のシートの日ごとの明細を CSV ファイルに書き出しました。\n"_s + QDir::toNativeSeparators(linesFile));

    QFile bytes(sheetsFile);
    QVERIFY(bytes.open(QIODevice::ReadOnly));
    const QByteArray content = bytes.readAll();
    bytes.close();
    QVERIFY(content.startsWith("\xEF\xBB\xBF" "氏名,タイトル,時給,休憩,時間,調整額,支給額\r\n"));
    // Every line ends in CRLF; the one bare LF is inside the quoted title.
    QCOMPARE(content.count("\r\n"), 4);
    QCOMPARE(content.count('\n'), 5);

    // A folder that is a file: a reason, and no file anywhere.
    const QStringList before = QDir(app.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
    QCOMPARE(files::writeWhole(sheetsFile + u"/x.csv"_s, content), files::WriteError::NoFolder);
    QCOMPARE(QDir(app.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), before);
    QCOMPARE(QFileInfo(sheetsFile).size(), content.size());

    // Written again: the file keeps the permissions the office gave it (Windows
    // has only the read-only attribute).
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
    QVERIFY(QFile::setPermissions(sheetsFile, ownerOnly));
    QCOMPARE(files::writeWhole(sheetsFile, content), files::WriteError::None);
    if (!portable::Windows)
        QCOMPARE(QFile::permissions(sheetsFile), ownerOnly);

    // Read back as Python's csv module reads it: hours with one decimal, times
    // as h:mm, everything else as stored.
    if (portable::Windows)
        QSKIP("no Python under Wine to read the files back with its csv module");
    const QString hmm = u"CAST(substr(%1, 1, 2) AS INTEGER) || ':' || substr(%1, 3, 2)"_s;
    const QList<QVariantList> stored = app.mainRows(
        u"SELECT 氏名, タイトル, 時給, 休憩, printf('%.1f', 時間), 調整額, 合計 FROM 時給ヘッダ ORDER BY 氏名"_s);
    const QList<QVariantList> storedLines = app.mainRows(
        u"SELECT 氏名, タイトル, 行番号, replace(日付, '-', '/'), %1, %2, printf('%.1f', 時間), 時給, 調整額, 金額 "
        u"FROM 時給明細 ORDER BY 行番号"_s.arg(hmm.arg(u"開始時間"_s), hmm.arg(u"終了時間"_s)));
    for (const auto &[file, expected] : {std::pair(sheetsFile, stored), std::pair(linesFile, storedLines)}) {
        const QList<QVariantList> read = readCsv(file);
        QCOMPARE(read.size(), expected.size() + 1);
        for (int r = 0; r < expected.size(); ++r)
            for (int c = 0; c < expected[r].size(); ++c)
                QVERIFY2(sameAsStored(read[r + 1][c], expected[r][c]),
                         qPrintable(u"%1: %2 ≠ %3"_s.arg(file).arg(read[r + 1][c].toString(), expected[r][c].toString())));
    }
    const QList<QVariantList> lines = readCsv(linesFile);
    QCOMPARE(lines[0], (QVariantList{u"氏名"_s, u"タイトル"_s, u"行番号"_s, u"日付"_s, u"開始時間"_s, u"終了時間"_s,
                                     u"時間"_s, u"時給"_s, u"調整額"_s, u"金額"_s}));
    QCOMPARE(lines[1].mid(3, 4), (QVariantList{u"2007/04/02"_s, u"9:00"_s, u"17:30"_s, u"7.5"_s}));
    QCOMPARE(lines[2].mid(3, 4), (QVariantList{u"2007/04/03"_s, u"0:00"_s, u"6:00"_s, u"6.0"_s}));
    QCOMPARE(lines[3].mid(3, 4), (QVariantList{u"2007/04/03"_s, u"22:00"_s, u"24:00"_s, u"2.3"_s})); // half away from zero
    QCOMPARE(readCsv(sheetsFile)[2].mid(0, 5), (QVariantList{keys[0].name, keys[0].title, u"1100"_s, u"1"_s, u"0.3"_s}));

    // A spreadsheet (LibreOffice, as a Japanese office's would) takes the
    // times as times, the hours and amounts as numbers and the dates as dates.
    if (QStandardPaths::findExecutable(u"soffice"_s).isEmpty())
        QSKIP("LibreOffice is not installed (scripts/setup.sh installs it)");
    const QList<QStringList> sheet = asSpreadsheet(linesFile, app.dir.filePath(u"office"_s));
    QVERIFY(sheet.size() >= 4);
    QCOMPARE(sheet[3].mid(4, 2), (QStringList{u"time PT22H00M00S"_s, u"time PT24H00M00S"_s}));
    QCOMPARE(sheet[1].mid(3, 7), (QStringList{u"date 2007-04-02"_s, u"time PT09H00M00S"_s, u"time PT17H30M00S"_s,
                                              u"float 7.5"_s, u"float 1000"_s, u"empty "_s, u"float 7500"_s}));
    QCOMPARE(sheet[2].mid(3, 7), (QStringList{u"date 2007-04-03"_s, u"time PT00H00M00S"_s, u"time PT06H00M00S"_s,
                                              u"float 6"_s, u"float 1000.5"_s, u"float -10"_s, u"float 5993"_s}));
    const QList<QStringList> totals = asSpreadsheet(sheetsFile, app.dir.filePath(u"office"_s));
    QVERIFY(totals.size() >= 4);
    QCOMPARE(totals[0].value(6), u"string 支給額"_s);
    for (int r = 1; r <= 3; ++r)
        QCOMPARE(totals[r].value(4).section(u' ', 0, 0), u"float"_s);
}

void TestPayday::readsInKeyOrderAndTellsAFailedReadApart()
{
    Pelora app;
    QVERIFY(app.start());
    for (const QString &name : {u"A"_s, u"B"_s})
        storeHeader(app, {name, u"4月"_s, 1000, 1, 0, 7, 7000});
    QVERIFY(Pelora::execute(app.paths.MainDbPath,
                            u"INSERT INTO 時給明細 (氏名, タイトル, 行番号) VALUES ('A', '4月', 2), ('B', '4月', 1), "
                            u"('A', '4月', 1)"_s));
    const QList<sheet::Key> keys{{u"B"_s, u"4月"_s}, {u"C"_s, u"4月"_s}, {u"A"_s, u"4月"_s}};
    const auto sheets = history::readHeaders(app.w->mainDb(), keys);
    const auto lines = history::readLines(app.w->mainDb(), keys);
    QVERIFY(sheets && lines && sheets->found.size() == 2 && sheets->missing.size() == 1);
    QCOMPARE(sheets->found[0].key.name + sheets->found[1].key.name + sheets->missing[0].name, u"BAC"_s);
    QStringList order;
    for (const sql::Row &line : *lines)
        order.append(line[0].toString() + line[2].toString());
    QCOMPARE(order, (QStringList{u"B1"_s, u"A1"_s, u"A2"_s}));

    // Another program takes the table away: a failed read, not "no such sheet".
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"ALTER TABLE 時給ヘッダ RENAME TO 退避"_s));
    QVERIFY(!history::readHeaders(app.w->mainDb(), keys));
    QVERIFY(history::readLines(app.w->mainDb(), keys)); // the lines are still there
}

void TestPayday::aFileIsWrittenWholeOrNotAtAll_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("told"); // the failure message, empty when the file is written
    const QString kept = u"同じ名前の前のファイルはそのままです。"_s;
    const QList<std::pair<QString, QString>> faults{
        {u"none"_s, QString()},
        {u"disk full"_s, u"（ディスクの空きが足りません）。"_s + kept},
        {u"read-only folder"_s, u"（保存先のフォルダーは読み取り専用です）。"_s + kept},
        {u"folder given"_s, u"（指定した名前はファイルではなくフォルダーです）。ファイルは作っていません。"_s},
    };
    // (The time sheet's 印刷 saves through the same preview as the history's.)
    for (const QString &output : {u"CSV 履歴"_s, u"PDF 履歴"_s})
        for (const auto &[fault, told] : faults)
            QTest::addRow("%s, %s", qPrintable(output), qPrintable(fault))
                << output << fault
                << (told.isEmpty() ? told
                                   : (output.startsWith(u"CSV"_s) ? u"CSVファイルを書き出せませんでした"_s
                                                                  : u"PDFファイルに保存できませんでした"_s)
                           + told);
}

void TestPayday::aFileIsWrittenWholeOrNotAtAll()
{
    QFETCH(QString, output);
    QFETCH(QString, fault);
    QFETCH(QString, told);
    const bool csv = output.startsWith(u"CSV"_s);
    QTemporaryDir folder;
    std::unique_ptr<SmallDisk> disk;
    if (fault == u"disk full"_s || fault == u"read-only folder"_s) {
        disk = std::make_unique<SmallDisk>(folder.path(), u"32k"_s);
        if (!disk->mounted())
            QSKIP(SmallDisk::missing());
    }
    // An earlier file of that name, or a folder.
    const QString target = folder.filePath(csv ? u"out.csv"_s : u"out.pdf"_s);
    if (fault == u"folder given"_s) {
        QVERIFY(QDir().mkpath(target));
        QFile inside(target + u"/inside.txt"_s);
        QVERIFY(inside.open(QIODevice::WriteOnly) && inside.write("kept") == 4);
    } else {
        QFile earlier(target);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier file\r\n") == 14);
    }
    if (fault == u"disk full"_s)
        QVERIFY(disk->fill());
    if (fault == u"read-only folder"_s)
        QVERIFY(disk->makeReadOnly());
    const QByteArray before = contentOf(target);
    const QStringList listed = QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);

    Pelora app;
    ScriptedPdfChooser pdfChooser;
    pdfChooser.answer = target;
    PreviewOutput preview(app.presenter, &pdfChooser);
    app.statementOutput = &preview;
    QVERIFY(app.start());
    storeHeader(app, {u"山田"_s, u"4月"_s, 1000, 1, 0, 7, 7000});
    storeHeader(app, {u"佐藤"_s, u"4月"_s, 1000, 1, 0, 7, 7000});
    ui::SSTab1(app.w)->setCurrentIndex(1);
    op::click(ui::cmd履歴読込(app.w));
    app.chooser.answer = target;
    if (csv) {
        op::click(ui::find<QPushButton>(app.w, u"cmd履歴CSV合計"_s));
    } else {
        saveFromThePreview();
        op::click(ui::find<QPushButton>(app.w, u"cmd履歴印刷"_s));
    }

    // Nothing else is left in the folder: no temporary file.
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), listed);
    if (!told.isEmpty()) {
        // The old file byte for byte, and one message that says why.
        QCOMPARE(contentOf(target), before);
        QCOMPARE(app.presenter.shown.size(), 1);
        QCOMPARE(app.presenter.last().prompt, told);
        return;
    }
    const QByteArray written = contentOf(target);
    if (csv) {
        QVERIFY(written.startsWith("\xEF\xBB\xBF" "氏名,タイトル"));
        QCOMPARE(app.presenter.shown.size(), 1);
        QCOMPARE(app.presenter.last().title, u"書出し完了"_s);
        QCOMPARE(app.presenter.last().prompt,
                 u"2 件のシートの合計を CSV ファイルに書き出しました。\n"_s + QDir::toNativeSeparators(target));
    } else {
        QVERIFY(written.startsWith("%PDF-") && written.trimmed().endsWith("%%EOF"));
        QVERIFY(app.presenter.shown.isEmpty());
    }
}

QTEST_MAIN(TestPayday)
#include "tst_payday.moc"
