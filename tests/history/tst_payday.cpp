// Pay day: finding sheets in the history list.
#include "fixture.h"

#include "controls/worktablemodel.h"
#include "history/historycolumns.h"
#include "history/historysearch.h"

#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTest>

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

} // namespace

class TestPayday : public QObject
{
    Q_OBJECT

private slots:
    void findsByNameOrTitleInEitherWidthAndCase_data();
    void findsByNameOrTitleInEitherWidthAndCase();
    void filterFollowsTheList();
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
    app.w->SSTab1->setCurrentIndex(1);
    op::click(app.w->cmd履歴読込);
    history::SearchFilterModel filter(history::Col氏名, history::Colタイトル);
    filter.setSourceModel(app.w->dat履歴);
    filter.setSearchText(u"ﾔﾏ"_s);
    QCOMPARE(names(filter), QStringList{u"ヤマダ"_s});

    // Read again (the source is reset): the new sheet is found, the old keys are not reused.
    QVERIFY(Pelora::execute(app.paths.MainDbPath, u"UPDATE 時給ヘッダ SET 氏名 = 'ﾔﾏﾓﾄ' WHERE 氏名 = '佐藤'"_s));
    op::click(app.w->cmd履歴読込);
    QCOMPARE(names(filter), (QStringList{u"ヤマダ"_s, u"ﾔﾏﾓﾄ"_s}));
    QCOMPARE(app.w->dat履歴->value(filter.mapToSource(filter.index(1, 0)).row(), history::Col氏名), u"ﾔﾏﾓﾄ"_s);
    filter.setSearchText(QString());
    QCOMPARE(filter.rowCount(), 2);

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
}

QTEST_MAIN(TestPayday)
#include "tst_payday.moc"
