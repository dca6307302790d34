#include "fixture.h"

#include "messages/catalog.h"
#include "messages/consolepresenter.h"
#include "messages/dialogs.h"
#include "messages/messageboxpresenter.h"
#include "messages/showmessage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

enum class Kind { AskNo, AskYes, Info, Warn, Choose };

// One dialog of the catalog as the operator must see it. "{text}" stands for
// the caller's text, in the title as in the prompt.
struct Dialog
{
    QString category;
    QString code;
    QString title;
    QString prompt;
    Kind kind;
};

// Typed from the dialog tables, independently of the program's own catalog.
const QList<Dialog> &dialogs()
{
    static const QList<Dialog> all{
        {u"登録"_s, u"確認"_s, u"登録の確認"_s, u"{text} を登録します。よろしいですか"_s, Kind::AskYes},
        {u"登録"_s, u"データ確認"_s, u"登録の確認"_s, u"データ {text} を登録します。よろしいですか"_s, Kind::AskYes},
        {u"登録"_s, u"コード指定"_s, u"登録注意"_s, u"コードが指定されていません。コードを指定してください。"_s, Kind::Info},
        {u"登録"_s, u"完了"_s, u"登録完了"_s, u"{text} を登録しました。"_s, Kind::Info},
        {u"登録"_s, u"上書き確認"_s, u"上書きの確認"_s, u"{text}。\n上書きしますか"_s, Kind::AskNo}, // Pelora's own
        {u"登録"_s, u"完了2"_s, u"登録完了"_s, u"データ  {text} を登録しました。"_s, Kind::Info},
        {u"登録"_s, u"チェック"_s, u"入力項目のチェック"_s, u"入力必須項目が空白です。"_s, Kind::Info},
        {u"登録"_s, u"商品未登録"_s, u"入力項目のチェック"_s, u"登録商品データがありません。"_s, Kind::Info},
        {u"登録"_s, u"データなし"_s, u"入力項目のチェック"_s, u"登録がデータがありません。"_s, Kind::Info},

        {u"転記"_s, u"確認"_s, u"登録の確認"_s, u"{text} に転記します。よろしいですか"_s, Kind::AskNo},

        {u"削除"_s, u"確認2"_s, u"削除の確認"_s, u"すべてのデータを削除します。よろしいですか"_s, Kind::AskNo},
        {u"削除"_s, u"伝票確認"_s, u"削除の確認"_s, u"伝票 {text} を削除します。よろしいですか"_s, Kind::AskNo},
        {u"削除"_s, u"確認"_s, u"削除の確認"_s, u"{text} を削除します。よろしいですか"_s, Kind::AskNo},
        {u"削除"_s, u"データ確認"_s, u"削除の確認"_s, u"データ {text} を削除します。よろしいですか"_s, Kind::AskNo},
        {u"削除"_s, u"指定確認"_s, u"削除の確認"_s, u"指定された {text} を削除します。よろしいですか"_s, Kind::AskNo},
        {u"削除"_s, u"伝票完了"_s, u"削除の完了"_s, u"伝票 {text} を削除しました。"_s, Kind::Info},
        {u"削除"_s, u"削除不可能"_s, u"削除の拒否"_s, u"{text}削除できません。"_s, Kind::Info},
        {u"削除"_s, u"伝票完了2"_s, u"削除の完了"_s, u"{text} を削除しました。"_s, Kind::Info},
        {u"削除"_s, u"完了"_s, u"削除の完了"_s, u"データ {text} を削除しました。"_s, Kind::Info},
        {u"削除"_s, u"削除不可"_s, u"削除不可"_s,
         u"{text} にデータがあるため削除できません。メンテナンス機能で削除してください。"_s, Kind::Info},
        {u"削除"_s, u"その他確認"_s, u"削除の確認"_s, u"{text} よろしいですか"_s, Kind::AskNo},

        {u"入力"_s, u"上行空白"_s, u"入力注意"_s, u"上の行が空白です。データは連続して指定してください。"_s, Kind::Info},
        {u"入力"_s, u"区分なし"_s, u"入力注意"_s, u"区分が指定されていません。区分を指定してください"_s, Kind::Warn},
        {u"入力"_s, u"必須入力なし"_s, u"入力注意"_s, u"{text}指定されていません。確認してください"_s, Kind::Warn},
        {u"入力"_s, u"重複"_s, u"入力注意"_s, u"{text}が重複しています。確認してください"_s, Kind::Warn},
        {u"入力"_s, u"範囲外"_s, u"入力注意"_s, u"{text}が指定範囲外です。確認してください"_s, Kind::Warn},
        {u"入力"_s, u"数字のみ"_s, u"入力注意"_s, u"{text}には数字以外使用できません"_s, Kind::Warn},

        {u"行指定"_s, u"無効行"_s, u"入力注意"_s, u"無効な行が指定されています。行指定をやり直してください。"_s, Kind::Warn},
        {u"行指定"_s, u"指定なし"_s, u"入力注意"_s, u"行が指定されていません。行指定してください。"_s, Kind::Warn},
        {u"行指定"_s, u"重複"_s, u"入力注意"_s, u"指定行は１回に１行です。行指定をやり直してください。"_s, Kind::Warn},
        {u"行指定"_s, u"余白なし"_s, u"行挿入注意"_s, u"行挿入する余白はありません。"_s, Kind::Warn},

        {u"クリア"_s, u"確認"_s, u"画面クリアの確認"_s, u"画面をクリアします。よろしいですか"_s, Kind::AskNo},

        {u"印刷"_s, u"確認"_s, u"印刷の確認"_s, u"{text}を印刷します。よろしいですか"_s, Kind::AskNo},

        {u"その他"_s, u"コピー完了"_s, u"コピー完了"_s, u"{text}コピーしました。"_s, Kind::Info},
        {u"その他"_s, u"読込み完了"_s, u"読込完了"_s, u"{text}読込みしました。"_s, Kind::Info},
        {u"その他"_s, u"メッセージ"_s, u"{text}"_s, u"{text}"_s, Kind::Info},
        {u"その他"_s, u"書出し完了"_s, u"書出し完了"_s, u"{text}"_s, Kind::Info}, // Pelora's own
        {u"その他"_s, u"確認"_s, u"確認"_s, u"{text}、よろしいですか"_s, Kind::AskYes},
        {u"破棄"_s, u"確認"_s, u"入力の破棄の確認"_s, u"{text}に登録していない入力があります。破棄して続けますか"_s,
         Kind::AskNo}, // Pelora's own
        {u"起動"_s, u"控えに戻す"_s, u"Pelora の起動"_s,
         u"{text} に戻しますか。\n「はい」: 今のファイルを日付の付いた名前に変えて data フォルダーに残し、控えを戻して起動します。"
         u"\n「いいえ」: 何も変えずに終了します。"_s, Kind::AskNo},
        {u"起動"_s, u"このファイルを使う"_s, u"Pelora の起動"_s,
         u"{text}\n\nこのファイルで起動しますか。\n「はい」: このファイルで起動します。控えに戻すときは、「設定・情報」の"
         u"「控えの一覧」で選べます。\n「いいえ」: 何も変えずに終了します。"_s, Kind::AskNo},
        {u"起動"_s, u"作業ファイルを作り直す"_s, u"Pelora の起動"_s,
         u"{text}\n\n作業ファイルを作り直しますか。\n「はい」: 壊れた作業ファイルを日付の付いた名前に変えて残し、新しく作ります。"
         u"ヒントの文章は控えから戻します。\n「いいえ」: 何も変えずに終了します。"_s, Kind::AskNo},
        {u"起動"_s, u"鍵を引き継ぐ"_s, u"Pelora の起動"_s,
         u"{text}\n\nそのコンピューターで Pelora が動いているときは「いいえ」を押し、そちらで閉じてから起動してください。"
         u"\nそのコンピューターで Pelora が動いていないとき（データフォルダーをコピーしてきたときなど）は「はい」: "
         u"Pelora.lock を別の名前に変えて残し、起動します。"_s, Kind::AskNo},
        {u"起動"_s, u"表を作る"_s, u"Pelora の起動"_s,
         u"{text}\n「はい」: 従業員・時給明細・自社情報の表を作り、空のデータで起動します。\n「いいえ」: 何も変えずに終了します。"_s,
         Kind::AskNo},
        {u"起動"_s, u"読み取り専用で始める"_s, u"Pelora の起動"_s,
         u"{text}\n「はい」: このパソコンに残っているデータを見るだけで起動します（登録・削除はできません。サーバーのデータとは"
         u"違うことがあります）。\n「いいえ」: 終了します。"_s, Kind::AskNo},
        {u"起動"_s, u"データの場所を選ぶ"_s, u"Pelora の起動"_s,
         u"データの入ったフォルダーが二つあります。どちらのデータで起動しますか。\n\n{text}\n\n「はい」: 1 のデータで起動します。"
         u"\n「いいえ」: 2 のデータで起動します。\n「キャンセル」: 何も変えずに終了します。\n選んだ場所はこれからも使います"
         u"（「設定・情報」の「データの場所を変更」で変えられます）。もう一方のフォルダーには手を加えません。"_s, Kind::Choose},
        {u"起動"_s, u"元の場所で起動"_s, u"Pelora の起動"_s,
         u"{text}\n\n元の場所で起動しますか。\n「はい」: 選んだ場所の記録を消し、元の場所のデータで起動します。\n「いいえ」: "
         u"何も変えずに終了します。フォルダーを使えるようにしてから（ネットワークドライブならつないでから）起動してください。"_s,
         Kind::AskNo},
        {u"データの場所"_s, u"確認"_s, u"データの場所の変更"_s,
         u"データを {text} にコピーし、これからはこの場所を使います。今の場所のデータはそのまま残します。よろしいですか"_s, Kind::AskYes},
        {u"データの場所"_s, u"既にデータ"_s, u"データの場所の変更"_s,
         u"選んだフォルダーには既にデータがあります。\n\n{text}\n\n「はい」: そのフォルダーのデータファイルは日付の付いた名前に"
         u"変えて残し、今のデータをコピーして使います。\n「いいえ」: そのフォルダーにあるデータをそのまま使います。今のデータは"
         u"そのまま残します。\n「キャンセル」: 何も変えません。"_s, Kind::Choose},
        {u"データの場所"_s, u"完了"_s, u"データの場所の変更"_s, u"{text}"_s, Kind::Info},
        {u"復元"_s, u"確認"_s, u"復元の確認"_s,
         u"控え {text} に戻します。今のデータファイルは日付の付いた名前で data フォルダーに残します。よろしいですか"_s, Kind::AskNo},
        {u"復元"_s, u"サーバー確認"_s, u"復元の確認"_s,
         u"控え {text} のデータとして戻します。今のサーバーのデータは控えを取ってから置き換えます（ほかのパソコンでも、戻した"
         u"データになります）。入力中で登録していない内容は破棄されます。よろしいですか"_s, Kind::AskNo},
        {u"復元"_s, u"入力破棄確認"_s, u"復元の確認"_s,
         u"控え {text} に戻します。今のデータファイルは日付の付いた名前で data フォルダーに残します。"
         u"入力シートと従業員の登録していない入力は破棄されます。よろしいですか"_s, Kind::AskNo},
        {u"復元"_s, u"完了"_s, u"復元の完了"_s, u"控え {text}"_s, Kind::Info},
    };
    return all;
}

QString fill(QString piece, const QString &text)
{
    return piece.replace(u"{text}"_s, text);
}

// Answers every dialog with the same button, whatever buttons it has.
class StubbornPresenter : public MessagePresenter
{
public:
    explicit StubbornPresenter(MessageRequest::Button answer)
        : m_answer(answer)
    {
    }
    int shown = 0;
    MessageRequest::Button present(const MessageRequest &) override
    {
        ++shown;
        return m_answer;
    }

private:
    MessageRequest::Button m_answer;
};

// What the operator saw in a real QMessageBox, read while it was open.
struct SeenBox
{
    bool found = false;
    bool closedByKey = true;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
    QWidget *parent = nullptr;
    bool modal = false;
    Qt::TextFormat textFormat = Qt::AutoText;
};

// Watches for the modal message box, reads it, and answers it with a key or a
// click on Yes (key 0). Should the answer not close it, the box is closed anyway
// so that no test ever waits on a dialog.
class BoxAnswerer : public QObject
{
public:
    BoxAnswerer(int key, SeenBox *seen)
        : m_key(key)
        , m_seen(seen)
    {
        connect(&m_poll, &QTimer::timeout, this, &BoxAnswerer::poll);
        m_poll.start(10);
        m_clock.start();
    }

private:
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            if (m_clock.elapsed() > 10000)
                m_poll.stop();
            return;
        }
        if (m_seen->found) {
            m_seen->closedByKey = false;
            box->done(0);
            return;
        }
        m_seen->found = true;
        m_seen->title = box->windowTitle();
        m_seen->text = box->text();
        m_seen->icon = box->icon();
        m_seen->buttons = box->standardButtons();
        m_seen->defaultButton = box->standardButton(box->defaultButton());
        m_seen->escapeButton = box->standardButton(box->escapeButton());
        m_seen->parent = box->parentWidget();
        m_seen->modal = box->isModal();
        m_seen->textFormat = box->textFormat();
        if (m_key == 0)
            QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
        else
            QTest::keyClick(box, Qt::Key(m_key));
    }

    int m_key;
    SeenBox *m_seen;
    QTimer m_poll;
    QElapsedTimer m_clock;
};

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestCatalog : public QObject
{
    Q_OBJECT

private slots:
    void everyDialog_data();
    void everyDialog();
    void catalogHoldsNothingElse();
    void notInTheCatalog_data();
    void notInTheCatalog();
    void confirmationsWithEmptyText();
    void onlyYesIsTrue_data();
    void onlyYesIsTrue();
    void messageBox_data();
    void messageBox();
    void showMessageThroughARealBox();
};

void TestCatalog::everyDialog_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<Kind>("kind");
    for (const Dialog &d : dialogs()) {
        for (const QString &text : {u"山田花子"_s, QString()}) {
            const QString name = d.category + u'/' + d.code + (text.isEmpty() ? u", no text"_s : u", with text"_s);
            QTest::newRow(qPrintable(name)) << d.category << d.code << text << fill(d.title, text)
                                            << fill(d.prompt, text) << d.kind;
        }
    }
}

void TestCatalog::everyDialog()
{
    QFETCH(QString, category);
    QFETCH(QString, code);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, prompt);
    QFETCH(Kind, kind);

    const std::optional<MessageRequest> request = buildMessage(category, code, text);
    QVERIFY(request.has_value());
    QCOMPARE(request->title, title);
    QCOMPARE(request->prompt, prompt);
    switch (kind) {
    case Kind::AskNo:
    case Kind::AskYes:
        QCOMPARE(request->icon, MessageRequest::Icon::Question);
        QCOMPARE(request->buttons, MessageRequest::Buttons::YesNo);
        QCOMPARE(request->defaultButton,
                 kind == Kind::AskYes ? MessageRequest::Button::Yes : MessageRequest::Button::No);
        break;
    case Kind::Choose:
        QCOMPARE(request->icon, MessageRequest::Icon::Question);
        QCOMPARE(request->buttons, MessageRequest::Buttons::YesNoCancel);
        QCOMPARE(request->defaultButton, MessageRequest::Button::Cancel);
        break;
    case Kind::Info:
    case Kind::Warn:
        QCOMPARE(request->icon, kind == Kind::Info ? MessageRequest::Icon::Information
                                                   : MessageRequest::Icon::Warning);
        QCOMPARE(request->buttons, MessageRequest::Buttons::Ok);
        QCOMPARE(request->defaultButton, MessageRequest::Button::Ok);
        break;
    }

    // Through the dispatcher: shown once, as built; Enter (the default button)
    // is a Yes only for the confirmations that preselect Yes.
    ScriptedPresenter presenter;
    QCOMPARE(ShowMessage(presenter, category, code, text), kind == Kind::AskYes);
    QCOMPARE(presenter.shown.size(), 1);
    QCOMPARE(presenter.last().title, title);
    QCOMPARE(presenter.last().prompt, prompt);
}

void TestCatalog::catalogHoldsNothingElse()
{
    QCOMPARE(messageCatalog().size(), dialogs().size());
    for (const CatalogEntry &entry : messageCatalog()) {
        const bool listed = std::any_of(dialogs().cbegin(), dialogs().cend(), [&](const Dialog &d) {
            return d.category == entry.category && d.code == entry.code;
        });
        QVERIFY2(listed, qPrintable(entry.category + u'/' + entry.code));
    }
}

void TestCatalog::notInTheCatalog_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("code");
    QTest::newRow("code of the deletion family under 登録") << u"登録"_s << u"確認2"_s;
    QTest::newRow("code of 登録 under クリア") << u"クリア"_s << u"完了"_s;
    QTest::newRow("code of その他 under 印刷") << u"印刷"_s << u"メッセージ"_s;
    QTest::newRow("code of 入力 under その他") << u"その他"_s << u"重複"_s;
    QTest::newRow("unknown category") << u"保存"_s << u"確認"_s;
    QTest::newRow("empty category") << QString() << u"確認"_s;
    QTest::newRow("empty code") << u"登録"_s << QString();
    QTest::newRow("both empty") << QString() << QString();
    QTest::newRow("category with a trailing blank") << u"登録 "_s << u"確認"_s;
    QTest::newRow("category with a full-width blank") << u"登録　"_s << u"確認"_s;
    QTest::newRow("code with a trailing blank") << u"登録"_s << u"確認 "_s;
    QTest::newRow("code with a leading blank") << u"削除"_s << u" 確認"_s;
    QTest::newRow("full-width digit in the code") << u"登録"_s << u"完了２"_s;
    QTest::newRow("half-width katakana category") << u"ｸﾘｱ"_s << u"確認"_s;
    QTest::newRow("half-width katakana code") << u"その他"_s << u"ﾒｯｾｰｼﾞ"_s;
    QTest::newRow("the family's name instead of its word") << u"registration"_s << u"確認"_s;
    QTest::newRow("older spelling of the read code") << u"その他"_s << u"読込完了"_s;
}

void TestCatalog::notInTheCatalog()
{
    QFETCH(QString, category);
    QFETCH(QString, code);
    QVERIFY(!buildMessage(category, code, u"山田"_s).has_value());
    StubbornPresenter presenter(MessageRequest::Button::Yes);
    QCOMPARE(ShowMessage(presenter, category, code, u"山田"_s), false);
    QCOMPARE(presenter.shown, 0);
}

void TestCatalog::confirmationsWithEmptyText()
{
    ScriptedPresenter presenter;
    presenter.answerYes();
    QVERIFY(ShowMessage(presenter, u"登録"_s, u"確認"_s, QString()));
    QCOMPARE(presenter.last().prompt, u" を登録します。よろしいですか"_s);
    QCOMPARE(presenter.last().title, u"登録の確認"_s);

    // Deleting all data asks with an empty text: the prompt begins with its blank.
    presenter.answerYes();
    QVERIFY(ShowMessage(presenter, u"削除"_s, u"確認"_s, QString()));
    QCOMPARE(presenter.last().prompt, u" を削除します。よろしいですか"_s);
    QCOMPARE(presenter.last().defaultButton, MessageRequest::Button::No);
}

void TestCatalog::onlyYesIsTrue_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("code");
    QTest::addColumn<MessageRequest::Button>("answer");
    QTest::addColumn<bool>("result");
    using B = MessageRequest::Button;
    QTest::newRow("ask-no answered yes") << u"削除"_s << u"確認"_s << B::Yes << true;
    QTest::newRow("ask-no answered no") << u"削除"_s << u"確認"_s << B::No << false;
    QTest::newRow("ask-yes answered yes") << u"登録"_s << u"確認"_s << B::Yes << true;
    QTest::newRow("ask-yes answered no") << u"登録"_s << u"確認"_s << B::No << false;
    QTest::newRow("ask-yes answered ok") << u"その他"_s << u"確認"_s << B::Ok << false;
    QTest::newRow("info answered ok") << u"登録"_s << u"完了"_s << B::Ok << false;
    QTest::newRow("info answered yes") << u"削除"_s << u"完了"_s << B::Yes << false;
    QTest::newRow("warn answered ok") << u"入力"_s << u"範囲外"_s << B::Ok << false;
    QTest::newRow("warn answered yes") << u"行指定"_s << u"重複"_s << B::Yes << false;
    QTest::newRow("message answered yes") << u"その他"_s << u"メッセージ"_s << B::Yes << false;
    // A choice between two ways forward is no Yes/No question: it is asked through Dialogs::choose.
    QTest::newRow("choice answered yes") << u"起動"_s << u"データの場所を選ぶ"_s << B::Yes << false;
}

void TestCatalog::onlyYesIsTrue()
{
    QFETCH(QString, category);
    QFETCH(QString, code);
    QFETCH(MessageRequest::Button, answer);
    QFETCH(bool, result);
    StubbornPresenter presenter(answer);
    QCOMPARE(ShowMessage(presenter, category, code, u"ヒント"_s), result);
    QCOMPARE(presenter.shown, 1);
}

void TestCatalog::messageBox_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("key"); // 0: a click on Yes
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
    QTest::addColumn<QMessageBox::StandardButton>("escapeButton");
    QTest::addColumn<MessageRequest::Button>("answer");

    using B = MessageRequest::Button;
    const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
    QTest::newRow("ask-yes, Enter") << u"登録"_s << u"確認"_s << int(Qt::Key_Return) << QMessageBox::Question
                                    << yesNo << QMessageBox::Yes << QMessageBox::No << B::Yes;
    QTest::newRow("ask-yes, Escape") << u"登録"_s << u"確認"_s << int(Qt::Key_Escape) << QMessageBox::Question
                                     << yesNo << QMessageBox::Yes << QMessageBox::No << B::No;
    QTest::newRow("ask-no, Enter") << u"削除"_s << u"確認"_s << int(Qt::Key_Return) << QMessageBox::Question
                                   << yesNo << QMessageBox::No << QMessageBox::No << B::No;
    QTest::newRow("ask-no, Escape") << u"削除"_s << u"確認"_s << int(Qt::Key_Escape) << QMessageBox::Question
                                    << yesNo << QMessageBox::No << QMessageBox::No << B::No;
    QTest::newRow("ask-no, click on Yes") << u"クリア"_s << u"確認"_s << 0 << QMessageBox::Question
                                          << yesNo << QMessageBox::No << QMessageBox::No << B::Yes;
    QTest::newRow("info, Enter") << u"登録"_s << u"完了"_s << int(Qt::Key_Return) << QMessageBox::Information
                                 << QMessageBox::StandardButtons(QMessageBox::Ok) << QMessageBox::Ok
                                 << QMessageBox::Ok << B::Ok;
    QTest::newRow("warn, Escape") << u"入力"_s << u"重複"_s << int(Qt::Key_Escape) << QMessageBox::Warning
                                  << QMessageBox::StandardButtons(QMessageBox::Ok) << QMessageBox::Ok
                                  << QMessageBox::Ok << B::Ok;
    const QMessageBox::StandardButtons yesNoCancel = yesNo | QMessageBox::Cancel;
    QTest::newRow("choice, Enter") << u"起動"_s << u"データの場所を選ぶ"_s << int(Qt::Key_Return) << QMessageBox::Question
                                   << yesNoCancel << QMessageBox::Cancel << QMessageBox::Cancel << B::Cancel;
    QTest::newRow("choice, Escape") << u"データの場所"_s << u"既にデータ"_s << int(Qt::Key_Escape)
                                    << QMessageBox::Question << yesNoCancel << QMessageBox::Cancel
                                    << QMessageBox::Cancel << B::Cancel;
    QTest::newRow("choice, click on Yes") << u"起動"_s << u"データの場所を選ぶ"_s << 0 << QMessageBox::Question
                                          << yesNoCancel << QMessageBox::Cancel << QMessageBox::Cancel << B::Yes;
}

void TestCatalog::messageBox()
{
    QFETCH(QString, category);
    QFETCH(QString, code);
    QFETCH(int, key);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(QMessageBox::StandardButtons, buttons);
    QFETCH(QMessageBox::StandardButton, defaultButton);
    QFETCH(QMessageBox::StandardButton, escapeButton);
    QFETCH(MessageRequest::Button, answer);

    QWidget window;
    window.resize(300, 200);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // A name typed as markup is shown as typed.
    const MessageRequest request = *buildMessage(category, code, u"<b>山田</b>"_s);
    SeenBox seen;
    BoxAnswerer answerer(key, &seen);
    MessageBoxPresenter presenter;
    const MessageRequest::Button answered = presenter.present(request);

    QVERIFY2(seen.found, "no modal message box appeared");
    QVERIFY2(seen.closedByKey, "the key did not close the message box");
    QCOMPARE(seen.title, request.title);
    QCOMPARE(seen.text, request.prompt);
    QCOMPARE(seen.textFormat, Qt::PlainText);
    QCOMPARE(seen.icon, icon);
    QCOMPARE(seen.buttons, buttons);
    QCOMPARE(seen.defaultButton, defaultButton);
    QCOMPARE(seen.escapeButton, escapeButton);
    QCOMPARE(seen.parent, &window);
    QVERIFY(seen.modal);
    QCOMPARE(answered, answer);
    // Unattended runs write start-up messages to stderr and never answer a question Yes.
    QCOMPARE(ConsolePresenter().present(request),
             request.buttons == MessageRequest::Buttons::YesNo         ? MessageRequest::Button::No
                 : request.buttons == MessageRequest::Buttons::YesNoCancel ? MessageRequest::Button::Cancel
                                                                          : MessageRequest::Button::Ok);
    // A choice answers what was clicked, through Dialogs as through the box.
    if (request.buttons == MessageRequest::Buttons::YesNoCancel) {
        StubbornPresenter stubborn(answer);
        QCOMPARE(Dialogs(stubborn).choose(category, code, u"山田"_s), answer);
        QCOMPARE(stubborn.shown, 1);
    }
}

void TestCatalog::showMessageThroughARealBox()
{
    QWidget window;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MessageBoxPresenter presenter;

    SeenBox yes;
    {
        BoxAnswerer answerer(Qt::Key_Return, &yes);
        QVERIFY(ShowMessage(presenter, u"登録"_s, u"確認"_s, u"山田花子"_s));
    }
    QCOMPARE(yes.text, u"山田花子 を登録します。よろしいですか"_s);

    SeenBox ok;
    {
        BoxAnswerer answerer(Qt::Key_Return, &ok);
        QVERIFY(!ShowMessage(presenter, u"削除"_s, u"完了"_s, u"ヒント"_s));
    }
    QVERIFY(ok.found);
    QCOMPARE(ok.title, u"削除の完了"_s);
    QCOMPARE(ok.text, u"データ ヒント を削除しました。"_s);
}

QTEST_MAIN(TestCatalog)
#include "tst_catalog.moc"
