// The settings page: company name and information, stored in 自社情報 and held
// in memory for the statement.
#include "fixture.h"
#include "portable.h"
#include "smalldisk.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const int SheetPage = 0;
const int SettingsPage = 3;

QList<QVariantList> companyRows(const Pelora &app)
{
    return app.mainRows(u"SELECT 自社名, 自社情報 FROM 自社情報 ORDER BY rowid"_s);
}

// Starts the window on a data folder whose settings table holds these rows.
bool startWith(Pelora &app, const QList<QVariantList> &rows)
{
    if (!app.start())
        return false;
    app.stop();
    for (const QVariantList &row : rows)
        if (!Pelora::execute(app.paths.MainDbPath, u"INSERT INTO 自社情報 (自社名, 自社情報) VALUES (?, ?)"_s, row))
            return false;
    if (!app.start())
        return false;
    ui::SSTab1(app.w)->setCurrentIndex(SettingsPage);
    return true;
}

// The information field takes several lines; Return starts the next one.
void fillInfo(Pelora &app, const QStringList &lines)
{
    QPlainTextEdit *field = ui::txt自社情報(app.w);
    op::focus(field);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(field, Qt::Key_Return);
        op::type(field, lines.at(i));
    }
    QTest::keyClick(field, Qt::Key_Tab);
}

QStringList screen(const Pelora &app)
{
    return {ui::txt自社名(app.w)->text(), ui::txt自社情報(app.w)->toPlainText()};
}

QStringList held(const Pelora &app)
{
    return {ui::sheetPage(app.w)->heldCompany().str自社名, ui::sheetPage(app.w)->heldCompany().str自社情報};
}

// Prints from the sheet page as the operator would and returns the company
// values on the statement.
QStringList printedCompany(Pelora &app)
{
    const int page = ui::SSTab1(app.w)->currentIndex();
    ui::SSTab1(app.w)->setCurrentIndex(SheetPage);
    const qsizetype before = app.output.statements.size();
    op::click(ui::Cmd印刷(app.w));
    ui::SSTab1(app.w)->setCurrentIndex(page);
    if (app.output.statements.size() != before + 1)
        return {u"(nothing printed)"_s};
    return {app.output.statements.last().companyName, app.output.statements.last().companyInfo};
}

// Every file under folder with its bytes.
QMap<QString, QByteArray> filesUnder(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        QFile file(it.next());
        files.insert(file.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unread)"));
    }
    return files;
}

void showSettingsPage(Pelora &app)
{
    ui::SSTab1(app.w)->setCurrentIndex(SettingsPage);
}

enum class Target { Empty, HoldsData, Current, Missing, ReadOnlyDisk, FullDisk };
enum class After { Unchanged, Copied, UsedThere };

} // namespace

Q_DECLARE_METATYPE(Target)
Q_DECLARE_METATYPE(After)

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void readWithoutARowChangesNothing();
    void entryAsksThenCreatesTheRowAndReadsItBack();
    void declinedEntryPutsTheStoredValuesBack();
    void emptyTextsAreStoredAsTyped();
    void storedNullsShowEmpty_data();
    void storedNullsShowEmpty();
    void deleteAsksThenBlanksTheRowAndKeepsTheHeldValues();
    void deleteWithoutARowOnlyEmptiesTheFields();
    void clearThenReadBringsTheStoredValuesBack();
    void heldValuesChangeOnlyThroughReading();
    void onlyTheFirstRowIsReadAndWritten();
    void changeDataFolder_data();
    void changeDataFolder();
};

void TestSettings::readWithoutARowChangesNothing()
{
    Pelora app;
    QVERIFY(startWith(app, {}));
    op::fill(ui::txt自社名(app.w), u"入力中の社名"_s);
    fillInfo(app, {u"入力中の情報"_s});
    op::click(ui::cmd設定読込(app.w));
    QCOMPARE(screen(app), (QStringList{u"入力中の社名"_s, u"入力中の情報"_s}));
    QCOMPARE(held(app), (QStringList{QString(), QString()}));
    QVERIFY(companyRows(app).isEmpty());
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestSettings::entryAsksThenCreatesTheRowAndReadsItBack()
{
    Pelora app;
    QVERIFY(startWith(app, {}));
    op::fill(ui::txt自社名(app.w), u"株式会社サンプル商店"_s);
    fillInfo(app, {u"東京都千代田区1-2-3"_s, u"TEL 03-1234-5678"_s});
    op::click(ui::cmd設定登録(app.w)); // Enter on the dialog: its default, Yes

    QCOMPARE(app.presenter.shown.size(), 1);
    const MessageRequest ask = app.presenter.shown.first();
    QCOMPARE(ask.title, u"登録の確認"_s);
    QCOMPARE(ask.prompt, u"設定 を登録します。よろしいですか"_s);
    QCOMPARE(ask.icon, MessageRequest::Icon::Question);
    QCOMPARE(ask.buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(ask.defaultButton, MessageRequest::Button::Yes);

    const QString info = u"東京都千代田区1-2-3\nTEL 03-1234-5678"_s;
    const auto rows = companyRows(app);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().value(0).toString(), u"株式会社サンプル商店"_s);
    QCOMPARE(rows.first().value(1).toString(), info);
    QCOMPARE(screen(app), (QStringList{u"株式会社サンプル商店"_s, info}));
    QCOMPARE(held(app), (QStringList{u"株式会社サンプル商店"_s, info}));

    // A second save updates the same row.
    op::fill(ui::txt自社名(app.w), u"有限会社サンプル"_s);
    app.presenter.answerYes();
    op::click(ui::cmd設定登録(app.w));
    QCOMPARE(companyRows(app).size(), 1);
    QCOMPARE(companyRows(app).first().value(0).toString(), u"有限会社サンプル"_s);
    QCOMPARE(companyRows(app).first().value(1).toString(), info);
    QCOMPARE(held(app).first(), u"有限会社サンプル"_s);
}

void TestSettings::declinedEntryPutsTheStoredValuesBack()
{
    Pelora app;
    QVERIFY(startWith(app, {{u"社名A"_s, u"情報A"_s}}));
    QCOMPARE(screen(app), (QStringList{u"社名A"_s, u"情報A"_s}));
    QCOMPARE(held(app), (QStringList{u"社名A"_s, u"情報A"_s}));

    // Someone else's copy of the row changed meanwhile: what comes back is
    // what is stored now, not what was on screen before typing.
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"UPDATE 自社情報 SET 自社名 = ?, 自社情報 = ?"_s,
                            {u"社名C"_s, u"情報C"_s}));
    op::fill(ui::txt自社名(app.w), u"打ち込んだ社名"_s);
    fillInfo(app, {u"打ち込んだ情報"_s});
    app.presenter.answerNo();
    op::click(ui::cmd設定登録(app.w));

    QCOMPARE(app.presenter.shown.size(), 1);
    const auto rows = companyRows(app);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().value(0).toString(), u"社名C"_s);
    QCOMPARE(rows.first().value(1).toString(), u"情報C"_s);
    QCOMPARE(screen(app), (QStringList{u"社名C"_s, u"情報C"_s}));
    QCOMPARE(held(app), (QStringList{u"社名C"_s, u"情報C"_s}));
}

void TestSettings::emptyTextsAreStoredAsTyped()
{
    Pelora app;
    QVERIFY(startWith(app, {{u"社名A"_s, u"情報A"_s}}));
    op::fill(ui::txt自社名(app.w), QString());
    fillInfo(app, {});
    QCOMPARE(screen(app), (QStringList{QString(), QString()}));
    op::click(ui::cmd設定登録(app.w));
    const auto rows = companyRows(app);
    QCOMPARE(rows.size(), 1);
    // Empty texts, not nulls: the operator saved empty fields.
    QVERIFY(!rows.first().value(0).isNull());
    QVERIFY(!rows.first().value(1).isNull());
    QCOMPARE(rows.first().value(0).toString(), QString());
    QCOMPARE(rows.first().value(1).toString(), QString());
    QCOMPARE(held(app), (QStringList{QString(), QString()}));
    QCOMPARE(printedCompany(app), (QStringList{QString(), QString()}));
}

void TestSettings::storedNullsShowEmpty_data()
{
    QTest::addColumn<QVariant>("name");
    QTest::addColumn<QVariant>("info");
    QTest::newRow("社名だけ null") << QVariant() << QVariant(u"情報B"_s);
    QTest::newRow("情報だけ null") << QVariant(u"社名B"_s) << QVariant();
    QTest::newRow("両方 null") << QVariant() << QVariant();
}

void TestSettings::storedNullsShowEmpty()
{
    QFETCH(QVariant, name);
    QFETCH(QVariant, info);
    Pelora app;
    QVERIFY(startWith(app, {{u"社名A"_s, u"情報A"_s}}));
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"UPDATE 自社情報 SET 自社名 = ?, 自社情報 = ?"_s,
                            {name, info}));
    op::click(ui::cmd設定読込(app.w));
    const QStringList expected{name.toString(), info.toString()};
    QCOMPARE(screen(app), expected);
    QCOMPARE(held(app), expected);
    QCOMPARE(printedCompany(app), expected);
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestSettings::deleteAsksThenBlanksTheRowAndKeepsTheHeldValues()
{
    Pelora app;
    QVERIFY(startWith(app, {{u"社名A"_s, u"情報A"_s}}));
    op::fill(ui::txt自社名(app.w), u"打ち込んだ社名"_s);

    // Enter on the dialog answers No: nothing changes, not even the typing.
    op::click(ui::cmd設定削除(app.w));
    QCOMPARE(app.presenter.shown.size(), 1);
    const MessageRequest ask = app.presenter.shown.first();
    QCOMPARE(ask.title, u"削除の確認"_s);
    QCOMPARE(ask.prompt, u"設定 を削除します。よろしいですか"_s);
    QCOMPARE(ask.icon, MessageRequest::Icon::Question);
    QCOMPARE(ask.buttons, MessageRequest::Buttons::YesNo);
    QCOMPARE(ask.defaultButton, MessageRequest::Button::No);
    QCOMPARE(screen(app), (QStringList{u"打ち込んだ社名"_s, u"情報A"_s}));
    QCOMPARE(companyRows(app), (QList<QVariantList>{{u"社名A"_s, u"情報A"_s}}));

    app.presenter.answerYes();
    op::click(ui::cmd設定削除(app.w));
    QCOMPARE(app.presenter.shown.size(), 2); // no completion message
    const auto rows = companyRows(app);
    QCOMPARE(rows.size(), 1); // the row stays, blanked
    QVERIFY(rows.first().value(0).isNull());
    QVERIFY(rows.first().value(1).isNull());
    QCOMPARE(screen(app), (QStringList{QString(), QString()}));
    QCOMPARE(held(app), (QStringList{u"社名A"_s, u"情報A"_s}));
    // Until the settings are read again, statements still carry the former company.
    QCOMPARE(printedCompany(app), (QStringList{u"社名A"_s, u"情報A"_s}));

    op::click(ui::cmd設定読込(app.w));
    QCOMPARE(screen(app), (QStringList{QString(), QString()}));
    QCOMPARE(held(app), (QStringList{QString(), QString()}));
    QCOMPARE(printedCompany(app), (QStringList{QString(), QString()}));
    QCOMPARE(app.presenter.shown.size(), 2);
}

void TestSettings::deleteWithoutARowOnlyEmptiesTheFields()
{
    Pelora app;
    QVERIFY(startWith(app, {}));
    op::fill(ui::txt自社名(app.w), u"打ち込んだ社名"_s);
    fillInfo(app, {u"打ち込んだ情報"_s});
    app.presenter.answerYes();
    op::click(ui::cmd設定削除(app.w));
    QCOMPARE(screen(app), (QStringList{QString(), QString()}));
    QVERIFY(companyRows(app).isEmpty());
}

void TestSettings::clearThenReadBringsTheStoredValuesBack()
{
    Pelora app;
    QVERIFY(startWith(app, {{u"社名A"_s, u"情報A\n二行目"_s}}));
    op::fill(ui::txt自社名(app.w), u"打ち込んだ社名"_s);
    op::click(ui::cmd設定クリア(app.w));
    QCOMPARE(screen(app), (QStringList{QString(), QString()}));
    QVERIFY(app.presenter.shown.isEmpty());
    QCOMPARE(companyRows(app), (QList<QVariantList>{{u"社名A"_s, u"情報A\n二行目"_s}}));
    QCOMPARE(held(app), (QStringList{u"社名A"_s, u"情報A\n二行目"_s}));

    op::click(ui::cmd設定読込(app.w));
    QCOMPARE(screen(app), (QStringList{u"社名A"_s, u"情報A\n二行目"_s}));
}

void TestSettings::heldValuesChangeOnlyThroughReading()
{
    Pelora app;
    QVERIFY(startWith(app, {{u"社名A"_s, u"情報A"_s}}));
    QCOMPARE(printedCompany(app), (QStringList{u"社名A"_s, u"情報A"_s}));

    // Typed but not saved: the statement keeps the held values.
    op::fill(ui::txt自社名(app.w), u"社名B"_s);
    fillInfo(app, {u"情報B"_s});
    QCOMPARE(printedCompany(app), (QStringList{u"社名A"_s, u"情報A"_s}));
    op::click(ui::cmd設定クリア(app.w));
    QCOMPARE(printedCompany(app), (QStringList{u"社名A"_s, u"情報A"_s}));

    // Changed in the file behind the screen: only a read brings it in.
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"UPDATE 自社情報 SET 自社名 = ?"_s, {u"社名D"_s}));
    QCOMPARE(printedCompany(app), (QStringList{u"社名A"_s, u"情報A"_s}));
    op::click(ui::cmd設定読込(app.w));
    QCOMPARE(printedCompany(app), (QStringList{u"社名D"_s, u"情報A"_s}));

    // Saved on the page: the very next statement shows it, no restart needed.
    op::fill(ui::txt自社名(app.w), u"株式会社新社名"_s);
    fillInfo(app, {u"大阪府大阪市1-1"_s, u"TEL 06-0000-0000"_s});
    op::click(ui::cmd設定登録(app.w));
    QCOMPARE(printedCompany(app),
             (QStringList{u"株式会社新社名"_s, u"大阪府大阪市1-1\nTEL 06-0000-0000"_s}));

    // And a restart reads the same from the file.
    app.stop();
    QVERIFY(app.start());
    QCOMPARE(held(app), (QStringList{u"株式会社新社名"_s, u"大阪府大阪市1-1\nTEL 06-0000-0000"_s}));
}

void TestSettings::onlyTheFirstRowIsReadAndWritten()
{
    Pelora app;
    QVERIFY(startWith(app, {{u"一行目社名"_s, u"一行目情報"_s}, {u"二行目社名"_s, u"二行目情報"_s}}));
    QCOMPARE(screen(app), (QStringList{u"一行目社名"_s, u"一行目情報"_s}));

    op::fill(ui::txt自社名(app.w), u"新社名"_s);
    op::click(ui::cmd設定登録(app.w));
    QCOMPARE(companyRows(app), (QList<QVariantList>{{u"新社名"_s, u"一行目情報"_s},
                                                    {u"二行目社名"_s, u"二行目情報"_s}}));

    app.presenter.answerYes();
    op::click(ui::cmd設定削除(app.w));
    const auto rows = companyRows(app);
    QCOMPARE(rows.size(), 2);
    QVERIFY(rows.at(0).value(0).isNull() && rows.at(0).value(1).isNull());
    QCOMPARE(rows.at(1), (QVariantList{u"二行目社名"_s, u"二行目情報"_s}));
}

// 「データの場所を変更」 through the window: the folder chosen from a script, the
// questions answered from a script, faults of the file system injected from outside.
void TestSettings::changeDataFolder_data()
{
    QTest::addColumn<Target>("target");
    QTest::addColumn<QList<MessageRequest::Button>>("answers");
    QTest::addColumn<After>("after");
    QTest::addColumn<QString>("told"); // a piece of the last message
    using B = MessageRequest::Button;
    const QString notChanged = u"データの場所を変更できませんでした（"_s;
    QTest::newRow("an empty folder: copied, checked, used from then on")
        << Target::Empty << QList<B>{B::Yes, B::Ok} << After::Copied << u"これからはこの場所を使います。"_s;
    QTest::newRow("an empty folder, declined") << Target::Empty << QList<B>{B::No} << After::Unchanged << u"にコピーし"_s;
    QTest::newRow("a folder holding data, いいえ: its data used")
        << Target::HoldsData << QList<B>{B::No, B::Ok} << After::UsedThere << u"にあるデータを使っています。"_s;
    QTest::newRow("a folder holding data, はい: its files moved aside, the data copied")
        << Target::HoldsData << QList<B>{B::Yes, B::Ok} << After::Copied << u"これからはこの場所を使います。"_s;
    QTest::newRow("a folder holding data, キャンセル") << Target::HoldsData << QList<B>{B::Cancel} << After::Unchanged
                                                     << u"選んだフォルダー: "_s;
    QTest::newRow("the folder in use") << Target::Current << QList<B>{B::Ok} << After::Unchanged
                                       << u"選んだフォルダーは今のデータの場所です。"_s;
    QTest::newRow("a folder gone since it was chosen")
        << Target::Missing << QList<B>{B::Ok} << After::Unchanged << notChanged + u"選んだフォルダーに書き込めません"_s;
    QTest::newRow("a read-only disk") << Target::ReadOnlyDisk << QList<B>{B::Ok} << After::Unchanged
                                      << notChanged + u"選んだフォルダーに書き込めません"_s;
    QTest::newRow("a disk too small for the copy")
        << Target::FullDisk << QList<B>{B::Yes, B::Ok} << After::Unchanged << notChanged + u"コピーを書き込めません"_s;
}

void TestSettings::changeDataFolder()
{
    QFETCH(Target, target);
    QFETCH(QList<MessageRequest::Button>, answers);
    QFETCH(After, after);
    QFETCH(QString, told);
    Pelora app;
    QVERIFY(Pelora::makeData(app.paths, 3));
    QTemporaryDir elsewhere;
    QString folder = target == Target::Current ? QDir::cleanPath(app.paths.DataPath) : elsewhere.filePath(u"pelora"_s);
    const DataPaths there = dataPathsIn(QDir::toNativeSeparators(folder), portable::Windows);
    QVERIFY(target == Target::HoldsData ? Pelora::makeData(there, 1) : QDir().mkpath(folder));
    std::unique_ptr<SmallDisk> disk;
    if (target == Target::ReadOnlyDisk || target == Target::FullDisk) {
        disk = std::make_unique<SmallDisk>(folder, u"48k"_s);
        if (!disk->mounted())
            QSKIP(SmallDisk::missing());
        QVERIFY(target == Target::FullDisk || disk->makeReadOnly());
    }
    QVERIFY(app.start());
    showSettingsPage(app);
    app.folderChooser.answer = QDir::toNativeSeparators(folder);
    QVERIFY(target != Target::Missing || QDir(folder).removeRecursively());
    const QMap<QString, QByteArray> here = filesUnder(app.paths.DataPath), before = filesUnder(folder);
    app.presenter.script = answers;

    op::click(ui::find<QPushButton>(app.w, u"cmdデータ場所変更"_s));

    QCOMPARE(app.presenter.shown.size(), answers.size());
    const QString last = app.presenter.last().prompt;
    QVERIFY2(last.contains(told), qPrintable(last));
    const QString oldFolder = QDir::toNativeSeparators(QDir::cleanPath(app.paths.DataPath));
    if (told.startsWith(u"データの場所を変更できませんでした"_s))
        QVERIFY(last.endsWith(u"保存されているデータは変わっていません。今の場所 %1 をそのまま使います。"_s.arg(oldFolder)));
    const bool moved = after != After::Unchanged;
    const DataPaths inUse = moved ? there : app.paths;
    QCOMPARE(ui::find<QLineEdit>(app.w, u"txtデータ場所"_s)->text(), QDir::toNativeSeparators(QDir::cleanPath(inUse.DataPath)));
    QCOMPARE(app.w->mainDb().databaseName(), inUse.MainDbPath);
    QCOMPARE(chosenDataFolder(app.settings), moved ? QDir::toNativeSeparators(folder) : QString());
    if (!moved && target != Target::Current)
        QCOMPARE(filesUnder(folder), before); // nothing left behind, nothing moved aside
    if (moved)
        QVERIFY(last.contains(u"元の場所 %1 のデータはそのまま残しています。"_s.arg(oldFolder)));
    if (target == Target::HoldsData && after == After::Copied) // what was there, kept under a dated name
        QCOMPARE(Pelora::query(QDir(folder).filePath(QDir(folder).entryList({u"Pelora-old-*.mdb"_s}).value(0)),
                               u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(), 1);

    // What is registered now goes to the folder in use; the folder the data left is as it was.
    op::fill(ui::txt自社名(app.w), u"移転後の社名"_s);
    app.presenter.clear();
    op::click(ui::cmd設定登録(app.w));
    app.stop();
    QCOMPARE(Pelora::query(inUse.MainDbPath, u"SELECT count(*), max(自社名) FROM 時給ヘッダ, 自社情報"_s).value(0),
             (QVariantList{after == After::UsedThere ? 1 : 3, u"移転後の社名"_s}));
    if (moved)
        QCOMPARE(filesUnder(app.paths.DataPath).value(app.paths.MainDbPath), here.value(app.paths.MainDbPath));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
