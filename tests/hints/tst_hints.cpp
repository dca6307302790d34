// The hint buttons of the four pages and the hint window they open.
#include "fixture.h"

#include "hints/hintwindow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QColor Grey(209, 209, 205);
const QColor LightRed(255, 128, 128);

QToolButton *hintButton(const Pelora &app, int page)
{
    return QList<QToolButton *>{ui::cmdHint(app.w), ui::cmdHint2(app.w), ui::cmdHint3(app.w), ui::cmdHint4(app.w)}.at(page);
}

// Presses the hint button of a page and returns the hint window.
Hint *openHint(Pelora &app, int page)
{
    ui::SSTab1(app.w)->setCurrentIndex(page);
    op::click(hintButton(app, page));
    return app.w->hintWindow();
}

// Replaces the hint's text by typing (editing must be on for it to take).
void typeHint(Hint *hint, const QString &text)
{
    QTest::keyClick(hint->txtContents, Qt::Key_A, Qt::ControlModifier);
    op::type(hint->txtContents, text);
}

void closeHint(Hint *hint)
{
    QPointer<Hint> window = hint;
    op::click(hint->cmd閉じる);
    QTRY_VERIFY(!window); // unloaded, not only hidden
}

QList<QVariantList> hintRows(const Pelora &app)
{
    return app.workRows(u"SELECT FormName, CtlName, FormTitle, Contents FROM ClHint ORDER BY CtlName"_s);
}

// Opens a page's hint, writes text and saves it; the window is closed again.
void storeHint(Pelora &app, int page, const QString &text)
{
    Hint *hint = openHint(app, page);
    op::click(hint->cmd編集);
    typeHint(hint, text);
    op::click(ui::cmd登録(hint));
    closeHint(hint);
}

void checkRequest(const MessageRequest &request, const QString &title, const QString &prompt,
                  MessageRequest::Icon icon, MessageRequest::Button defaultButton)
{
    QCOMPARE(request.title, title);
    QCOMPARE(request.prompt, prompt);
    QCOMPARE(request.icon, icon);
    QCOMPARE(request.buttons, defaultButton == MessageRequest::Button::Ok ? MessageRequest::Buttons::Ok
                                                                         : MessageRequest::Buttons::YesNo);
    QCOMPARE(request.defaultButton, defaultButton);
}

} // namespace

class TestHints : public QObject
{
    Q_OBJECT

private slots:
    void firstOpeningIsEmptyAndReadOnly();
    void editButtonTogglesTyping();
    void editButtonColourIsTheOnlyState();
    void storeAsksAndConfirms();
    void savingTwiceKeepsOneRowWithTheLaterTextAndCaption();
    void deleteAsksAndConfirms();
    void declinedQuestionsWriteNothing();
    void hintsOfTheFourButtonsAreIndependent();
    void clearAndCloseKeepTheStoredText();
    void oneWindowKeepsThePairItWasOpenedWith();
    void closingTheMainWindowClosesTheHintFirst();
};

void TestHints::firstOpeningIsEmptyAndReadOnly()
{
    Pelora app;
    QVERIFY(app.start());
    Hint *hint = openHint(app, 1);
    QVERIFY(hint);
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->windowTitle(), u"ヒント"_s);
    QVERIFY(hint->isWindow());
    QVERIFY(!hint->isModal());
    QCOMPARE(hint->lblFormName->text(), u"FrmPelora"_s);
    QCOMPARE(hint->lblCtlName->text(), u"cmdHint2"_s);
    QCOMPARE(hint->lblFormTitle->text(), u"Pelora Ver 1.30"_s);
    QCOMPARE(app.w->hintHandOver().HintFormName, u"FrmPelora"_s);
    QCOMPARE(app.w->hintHandOver().HintCtlName, u"cmdHint2"_s);
    QCOMPARE(app.w->hintHandOver().HintFormTitle, u"Pelora Ver 1.30"_s);
    QCOMPARE(hint->txtContents->toPlainText(), QString());
    QVERIFY(hint->txtContents->isReadOnly());
    QCOMPARE(hint->focusWidget(), static_cast<QWidget *>(hint->txtContents));
    for (QPushButton *b : {ui::cmdクリア(hint), ui::cmd削除(hint), ui::cmd登録(hint), hint->cmd閉じる, hint->cmd編集})
        QCOMPARE(Hint::backColor(b), Grey);

    op::type(hint->txtContents, u"abc ヒント"_s);
    QCOMPARE(hint->txtContents->toPlainText(), QString());
    QVERIFY(hintRows(app).isEmpty());
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestHints::editButtonTogglesTyping()
{
    Pelora app;
    QVERIFY(app.start());
    Hint *hint = openHint(app, 1);
    op::click(hint->cmd編集);
    QCOMPARE(Hint::backColor(hint->cmd編集), LightRed);
    QVERIFY(!hint->txtContents->isReadOnly());
    QCOMPARE(hint->focusWidget(), static_cast<QWidget *>(hint->txtContents));
    op::type(hint->txtContents, u"abc ヒント"_s);
    QCOMPARE(hint->txtContents->toPlainText(), u"abc ヒント"_s);

    op::click(hint->cmd編集);
    QCOMPARE(Hint::backColor(hint->cmd編集), Grey);
    QVERIFY(hint->txtContents->isReadOnly());
    op::type(hint->txtContents, u"xyz"_s);
    QCOMPARE(hint->txtContents->toPlainText(), u"abc ヒント"_s);
    // The other buttons never change colour.
    for (QPushButton *b : {ui::cmdクリア(hint), ui::cmd削除(hint), ui::cmd登録(hint), hint->cmd閉じる})
        QCOMPARE(Hint::backColor(b), Grey);
}

void TestHints::editButtonColourIsTheOnlyState()
{
    Pelora app;
    QVERIFY(app.start());
    Hint *hint = openHint(app, 0);
    auto paint = [](QPushButton *b, const QColor &colour) {
        QPalette palette = b->palette();
        palette.setColor(QPalette::Button, colour);
        b->setPalette(palette);
    };
    // Read-only but red: the next press locks (and turns grey), it does not unlock.
    paint(hint->cmd編集, LightRed);
    op::click(hint->cmd編集);
    QVERIFY(hint->txtContents->isReadOnly());
    QCOMPARE(Hint::backColor(hint->cmd編集), Grey);

    // Any other colour than the starting grey counts as editing, too.
    paint(hint->cmd編集, Qt::yellow);
    op::click(hint->cmd編集);
    QVERIFY(hint->txtContents->isReadOnly());
    QCOMPARE(Hint::backColor(hint->cmd編集), Grey);

    op::click(hint->cmd編集);
    QVERIFY(!hint->txtContents->isReadOnly());
    paint(hint->cmd編集, Grey);
    op::click(hint->cmd編集);
    QVERIFY(!hint->txtContents->isReadOnly());
    QCOMPARE(Hint::backColor(hint->cmd編集), LightRed);
}

void TestHints::storeAsksAndConfirms()
{
    Pelora app;
    QVERIFY(app.start());
    Hint *hint = openHint(app, 1);
    op::click(hint->cmd編集);
    typeHint(hint, u"読込で一覧を作ります"_s);
    op::click(ui::cmd登録(hint)); // Enter: the default, Yes

    QCOMPARE(app.presenter.shown.size(), 2);
    checkRequest(app.presenter.shown.at(0), u"登録の確認"_s, u"ヒント を登録します。よろしいですか"_s,
                 MessageRequest::Icon::Question, MessageRequest::Button::Yes);
    checkRequest(app.presenter.shown.at(1), u"登録完了"_s, u"ヒント を登録しました。"_s,
                 MessageRequest::Icon::Information, MessageRequest::Button::Ok);
    QCOMPARE(hintRows(app), (QList<QVariantList>{
                                {u"FrmPelora"_s, u"cmdHint2"_s, u"Pelora Ver 1.30"_s, u"読込で一覧を作ります"_s}}));
    // Saving leaves the window as it was: open, text kept, still editable.
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->txtContents->toPlainText(), u"読込で一覧を作ります"_s);
    QVERIFY(!hint->txtContents->isReadOnly());

    // Opened again later, the stored text shows, read-only.
    closeHint(hint);
    hint = openHint(app, 1);
    QCOMPARE(hint->txtContents->toPlainText(), u"読込で一覧を作ります"_s);
    QVERIFY(hint->txtContents->isReadOnly());
    QCOMPARE(Hint::backColor(hint->cmd編集), Grey);
}

void TestHints::savingTwiceKeepsOneRowWithTheLaterTextAndCaption()
{
    Pelora app;
    QVERIFY(app.start());
    storeHint(app, 0, u"一回目"_s);
    app.w->setWindowTitle(u"Pelora Ver 1.30 (4月)"_s);
    Hint *hint = openHint(app, 0);
    QCOMPARE(hint->txtContents->toPlainText(), u"一回目"_s);
    QCOMPARE(hint->lblFormTitle->text(), u"Pelora Ver 1.30 (4月)"_s);
    op::click(hint->cmd編集);
    typeHint(hint, u"二回目"_s);
    op::click(ui::cmd登録(hint));
    QCOMPARE(hintRows(app), (QList<QVariantList>{
                                {u"FrmPelora"_s, u"cmdHint"_s, u"Pelora Ver 1.30 (4月)"_s, u"二回目"_s}}));

    // Saved again without a change: still one row.
    op::click(ui::cmd登録(hint));
    QCOMPARE(hintRows(app).size(), 1);
}

void TestHints::deleteAsksAndConfirms()
{
    Pelora app;
    QVERIFY(app.start());
    storeHint(app, 3, u"設定のヒント"_s);
    app.presenter.clear();
    Hint *hint = openHint(app, 3);
    QCOMPARE(hint->txtContents->toPlainText(), u"設定のヒント"_s);

    op::click(ui::cmd削除(hint)); // Enter: the default, No
    QCOMPARE(app.presenter.shown.size(), 1);
    checkRequest(app.presenter.shown.at(0), u"削除の確認"_s, u"ヒント を削除します。よろしいですか"_s,
                 MessageRequest::Icon::Question, MessageRequest::Button::No);
    QCOMPARE(hintRows(app).size(), 1);
    QCOMPARE(hint->txtContents->toPlainText(), u"設定のヒント"_s);

    app.presenter.answerYes();
    op::click(ui::cmd削除(hint));
    QCOMPARE(app.presenter.shown.size(), 3);
    checkRequest(app.presenter.shown.at(2), u"削除の完了"_s, u"データ ヒント を削除しました。"_s,
                 MessageRequest::Icon::Information, MessageRequest::Button::Ok);
    QVERIFY(hintRows(app).isEmpty());
    QCOMPARE(hint->txtContents->toPlainText(), QString());
    // Deleting works while read-only: the lock only keeps the operator from typing.
    QVERIFY(hint->txtContents->isReadOnly());
}

void TestHints::declinedQuestionsWriteNothing()
{
    Pelora app;
    QVERIFY(app.start());
    storeHint(app, 2, u"従業員のヒント"_s);
    app.presenter.clear();
    Hint *hint = openHint(app, 2);
    op::click(hint->cmd編集);
    typeHint(hint, u"書きかけ"_s);

    app.presenter.answerNo();
    op::click(ui::cmd登録(hint));
    app.presenter.answerNo();
    op::click(ui::cmd削除(hint));
    QCOMPARE(app.presenter.shown.size(), 2); // the two questions, no completion
    QCOMPARE(app.presenter.shown.at(0).title, u"登録の確認"_s);
    QCOMPARE(app.presenter.shown.at(1).title, u"削除の確認"_s);
    QCOMPARE(hintRows(app), (QList<QVariantList>{
                                {u"FrmPelora"_s, u"cmdHint3"_s, u"Pelora Ver 1.30"_s, u"従業員のヒント"_s}}));
    QCOMPARE(hint->txtContents->toPlainText(), u"書きかけ"_s);

    // Unsaved text is dropped on closing, without a question.
    closeHint(hint);
    QCOMPARE(app.presenter.shown.size(), 2);
    hint = openHint(app, 2);
    QCOMPARE(hint->txtContents->toPlainText(), u"従業員のヒント"_s);
}

void TestHints::hintsOfTheFourButtonsAreIndependent()
{
    Pelora app;
    QVERIFY(app.start());
    const QStringList texts{u"入力のヒント"_s, u"履歴のヒント"_s, u"従業員のヒント"_s, u"設定のヒント"_s};
    for (int page = 0; page < 4; ++page)
        storeHint(app, page, texts.at(page));
    const auto rows = hintRows(app);
    QCOMPARE(rows.size(), 4);
    const QStringList names{u"cmdHint"_s, u"cmdHint2"_s, u"cmdHint3"_s, u"cmdHint4"_s};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(rows.at(i).value(1).toString(), names.at(i));
        QCOMPARE(rows.at(i).value(3).toString(), texts.at(i));
    }
    for (int page = 0; page < 4; ++page) {
        Hint *hint = openHint(app, page);
        QCOMPARE(hint->txtContents->toPlainText(), texts.at(page));
        closeHint(hint);
    }

    Hint *hint = openHint(app, 2);
    app.presenter.answerYes();
    op::click(ui::cmd削除(hint));
    closeHint(hint);
    QCOMPARE(hintRows(app).size(), 3);
    for (int page : {0, 1, 3}) {
        hint = openHint(app, page);
        QCOMPARE(hint->txtContents->toPlainText(), texts.at(page));
        closeHint(hint);
    }
    hint = openHint(app, 2);
    QCOMPARE(hint->txtContents->toPlainText(), QString());
}

void TestHints::clearAndCloseKeepTheStoredText()
{
    Pelora app;
    QVERIFY(app.start());
    storeHint(app, 0, u"明細は日付から入力"_s);
    app.presenter.clear();
    Hint *hint = openHint(app, 0);
    op::click(ui::cmdクリア(hint));
    QCOMPARE(hint->txtContents->toPlainText(), QString());
    closeHint(hint);
    QVERIFY(app.presenter.shown.isEmpty());
    QCOMPARE(hintRows(app).size(), 1);
    QCOMPARE(hintRows(app).first().value(3).toString(), u"明細は日付から入力"_s);
    hint = openHint(app, 0);
    QCOMPARE(hint->txtContents->toPlainText(), u"明細は日付から入力"_s);

    // Cleared and then saved, the hint is stored empty.
    op::click(ui::cmdクリア(hint));
    op::click(ui::cmd登録(hint));
    QCOMPARE(hintRows(app).size(), 1);
    QCOMPARE(hintRows(app).first().value(3).toString(), QString());
}

void TestHints::oneWindowKeepsThePairItWasOpenedWith()
{
    Pelora app;
    QVERIFY(app.start());
    storeHint(app, 0, u"入力のヒント"_s);
    storeHint(app, 2, u"従業員のヒント"_s);
    QPointer<Hint> hint = openHint(app, 0);
    QVERIFY(hint);

    QApplication::setActiveWindow(app.w);
    Hint *again = openHint(app, 2);
    QCOMPARE(again, hint.data());
    QCOMPARE(app.w->findChildren<Hint *>().size(), 1);
    QVERIFY(hint->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(hint.data()));
    QCOMPARE(hint->lblCtlName->text(), u"cmdHint"_s);
    QCOMPARE(hint->txtContents->toPlainText(), u"入力のヒント"_s);
    // The shared values follow the last button pressed.
    QCOMPARE(app.w->hintHandOver().HintCtlName, u"cmdHint3"_s);

    // What is saved now is still the hint of the first button.
    op::click(hint->cmd編集);
    typeHint(hint, u"入力のヒント（改）"_s);
    op::click(ui::cmd登録(hint));
    const auto rows = hintRows(app);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).value(1).toString(), u"cmdHint"_s);
    QCOMPARE(rows.at(0).value(3).toString(), u"入力のヒント（改）"_s);
    QCOMPARE(rows.at(1).value(3).toString(), u"従業員のヒント"_s);

    // Closed and opened again, it takes the button pressed.
    closeHint(hint);
    Hint *fresh = openHint(app, 2);
    QCOMPARE(fresh->lblCtlName->text(), u"cmdHint3"_s);
    QCOMPARE(fresh->txtContents->toPlainText(), u"従業員のヒント"_s);
}

void TestHints::closingTheMainWindowClosesTheHintFirst()
{
    Pelora app;
    QVERIFY(app.start());
    QPointer<Hint> hint = openHint(app, 3);
    QVERIFY(hint && hint->isVisible());
    bool workOpenWhenHintWent = false;
    connect(hint.data(), &QObject::destroyed, this,
            [&] { workOpenWhenHintWent = app.w && app.w->workDb().isOpen(); });
    app.w->close();
    QVERIFY(!hint);
    QVERIFY(workOpenWhenHintWent);
    QVERIFY(!app.w->workDb().isOpen());
}

QTEST_MAIN(TestHints)
#include "tst_hints.moc"
