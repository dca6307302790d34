#include "messages/catalog.h"

using namespace Qt::StringLiterals;

namespace {

using K = MessageKind;

CatalogEntry fixed(const QString &category, const QString &code, const QString &title,
                   const QString &prompt, MessageKind kind)
{
    return {category, code, title, prompt, false, QString(), kind};
}

CatalogEntry withText(const QString &category, const QString &code, const QString &title,
                      const QString &before, const QString &after, MessageKind kind)
{
    return {category, code, title, before, true, after, kind};
}

} // namespace

const QList<CatalogEntry> &messageCatalog()
{
    static const QList<CatalogEntry> catalog{
        // 登録
        withText(u"登録"_s, u"確認"_s, u"登録の確認"_s, {}, u" を登録します。よろしいですか"_s, K::AskYes),
        withText(u"登録"_s, u"データ確認"_s, u"登録の確認"_s, u"データ "_s, u" を登録します。よろしいですか"_s, K::AskYes),
        fixed(u"登録"_s, u"コード指定"_s, u"登録注意"_s, u"コードが指定されていません。コードを指定してください。"_s, K::Info),
        withText(u"登録"_s, u"完了"_s, u"登録完了"_s, {}, u" を登録しました。"_s, K::Info),
        // Pelora's own: a registered sheet the page was not read from; the text names what is stored.
        withText(u"登録"_s, u"上書き確認"_s, u"上書きの確認"_s, {}, u"。\n上書きしますか"_s, K::AskNo),
        withText(u"登録"_s, u"完了2"_s, u"登録完了"_s, u"データ  "_s, u" を登録しました。"_s, K::Info),
        fixed(u"登録"_s, u"チェック"_s, u"入力項目のチェック"_s, u"入力必須項目が空白です。"_s, K::Info),
        fixed(u"登録"_s, u"商品未登録"_s, u"入力項目のチェック"_s, u"登録商品データがありません。"_s, K::Info),
        fixed(u"登録"_s, u"データなし"_s, u"入力項目のチェック"_s, u"登録がデータがありません。"_s, K::Info),
        // 転記
        withText(u"転記"_s, u"確認"_s, u"登録の確認"_s, {}, u" に転記します。よろしいですか"_s, K::AskNo),
        // 削除
        fixed(u"削除"_s, u"確認2"_s, u"削除の確認"_s, u"すべてのデータを削除します。よろしいですか"_s, K::AskNo),
        withText(u"削除"_s, u"伝票確認"_s, u"削除の確認"_s, u"伝票 "_s, u" を削除します。よろしいですか"_s, K::AskNo),
        withText(u"削除"_s, u"確認"_s, u"削除の確認"_s, {}, u" を削除します。よろしいですか"_s, K::AskNo),
        withText(u"削除"_s, u"データ確認"_s, u"削除の確認"_s, u"データ "_s, u" を削除します。よろしいですか"_s, K::AskNo),
        withText(u"削除"_s, u"指定確認"_s, u"削除の確認"_s, u"指定された "_s, u" を削除します。よろしいですか"_s, K::AskNo),
        withText(u"削除"_s, u"伝票完了"_s, u"削除の完了"_s, u"伝票 "_s, u" を削除しました。"_s, K::Info),
        withText(u"削除"_s, u"削除不可能"_s, u"削除の拒否"_s, {}, u"削除できません。"_s, K::Info),
        withText(u"削除"_s, u"伝票完了2"_s, u"削除の完了"_s, {}, u" を削除しました。"_s, K::Info),
        withText(u"削除"_s, u"完了"_s, u"削除の完了"_s, u"データ "_s, u" を削除しました。"_s, K::Info),
        withText(u"削除"_s, u"削除不可"_s, u"削除不可"_s, {},
                 u" にデータがあるため削除できません。メンテナンス機能で削除してください。"_s, K::Info),
        withText(u"削除"_s, u"その他確認"_s, u"削除の確認"_s, {}, u" よろしいですか"_s, K::AskNo),
        // 入力
        fixed(u"入力"_s, u"上行空白"_s, u"入力注意"_s, u"上の行が空白です。データは連続して指定してください。"_s, K::Info),
        fixed(u"入力"_s, u"区分なし"_s, u"入力注意"_s, u"区分が指定されていません。区分を指定してください"_s, K::Warn),
        withText(u"入力"_s, u"必須入力なし"_s, u"入力注意"_s, {}, u"指定されていません。確認してください"_s, K::Warn),
        withText(u"入力"_s, u"重複"_s, u"入力注意"_s, {}, u"が重複しています。確認してください"_s, K::Warn),
        withText(u"入力"_s, u"範囲外"_s, u"入力注意"_s, {}, u"が指定範囲外です。確認してください"_s, K::Warn),
        withText(u"入力"_s, u"数字のみ"_s, u"入力注意"_s, {}, u"には数字以外使用できません"_s, K::Warn),
        // 行指定
        fixed(u"行指定"_s, u"無効行"_s, u"入力注意"_s, u"無効な行が指定されています。行指定をやり直してください。"_s, K::Warn),
        fixed(u"行指定"_s, u"指定なし"_s, u"入力注意"_s, u"行が指定されていません。行指定してください。"_s, K::Warn),
        fixed(u"行指定"_s, u"重複"_s, u"入力注意"_s, u"指定行は１回に１行です。行指定をやり直してください。"_s, K::Warn),
        fixed(u"行指定"_s, u"余白なし"_s, u"行挿入注意"_s, u"行挿入する余白はありません。"_s, K::Warn),
        // クリア
        fixed(u"クリア"_s, u"確認"_s, u"画面クリアの確認"_s, u"画面をクリアします。よろしいですか"_s, K::AskNo),
        // 印刷
        withText(u"印刷"_s, u"確認"_s, u"印刷の確認"_s, {}, u"を印刷します。よろしいですか"_s, K::AskNo),
        // その他
        withText(u"その他"_s, u"コピー完了"_s, u"コピー完了"_s, {}, u"コピーしました。"_s, K::Info),
        withText(u"その他"_s, u"読込み完了"_s, u"読込完了"_s, {}, u"読込みしました。"_s, K::Info),
        withText(u"その他"_s, u"メッセージ"_s, QString(), {}, {}, K::Info),
        // Pelora's own: a file written for the operator (CSV出力), what and where.
        withText(u"その他"_s, u"書出し完了"_s, u"書出し完了"_s, {}, {}, K::Info),
        withText(u"その他"_s, u"確認"_s, u"確認"_s, {}, u"、よろしいですか"_s, K::AskYes),
        // Pelora's own: typed input not registered, about to be dropped; the text names the pages.
        withText(u"破棄"_s, u"確認"_s, u"入力の破棄の確認"_s, {},
                 u"に登録していない入力があります。破棄して続けますか"_s, K::AskNo),
        // 起動: a refusal at start-up that offers the way forward; the text is the refusal
        withText(u"起動"_s, u"控えに戻す"_s, u"Pelora の起動"_s, {},
                 u" に戻しますか。\n「はい」: 今のファイルを日付の付いた名前に変えて data フォルダーに残し、"
                 u"控えを戻して起動します。\n「いいえ」: 何も変えずに終了します。"_s, K::AskNo),
        withText(u"起動"_s, u"このファイルを使う"_s, u"Pelora の起動"_s, {},
                 u"\n\nこのファイルで起動しますか。\n「はい」: このファイルで起動します。控えに戻すときは、"
                 u"「設定・情報」の「控えの一覧」で選べます。\n「いいえ」: 何も変えずに終了します。"_s, K::AskNo),
        withText(u"起動"_s, u"作業ファイルを作り直す"_s, u"Pelora の起動"_s, {},
                 u"\n\n作業ファイルを作り直しますか。\n「はい」: 壊れた作業ファイルを日付の付いた名前に変えて残し、"
                 u"新しく作ります。ヒントの文章は控えから戻します。\n「いいえ」: 何も変えずに終了します。"_s, K::AskNo),
        withText(u"起動"_s, u"鍵を引き継ぐ"_s, u"Pelora の起動"_s, {},
                 u"\n\nそのコンピューターで Pelora が動いているときは「いいえ」を押し、そちらで閉じてから"
                 u"起動してください。\nそのコンピューターで Pelora が動いていないとき（データフォルダーを"
                 u"コピーしてきたときなど）は「はい」: Pelora.lock を別の名前に変えて残し、起動します。"_s, K::AskNo),
        withText(u"起動"_s, u"表を作る"_s, u"Pelora の起動"_s, {},
                 u"\n「はい」: 従業員・時給明細・自社情報の表を作り、空のデータで起動します。\n"
                 u"「いいえ」: 何も変えずに終了します。"_s, K::AskNo),
        withText(u"起動"_s, u"読み取り専用で始める"_s, u"Pelora の起動"_s, {},
                 u"\n「はい」: このパソコンに残っているデータを見るだけで起動します（登録・削除はできません。"
                 u"サーバーのデータとは違うことがあります）。\n「いいえ」: 終了します。"_s, K::AskNo),
        withText(u"起動"_s, u"データの場所を選ぶ"_s, u"Pelora の起動"_s,
                 u"データの入ったフォルダーが二つあります。どちらのデータで起動しますか。\n\n"_s,
                 u"\n\n「はい」: 1 のデータで起動します。\n「いいえ」: 2 のデータで起動します。\n"
                 u"「キャンセル」: 何も変えずに終了します。\n選んだ場所はこれからも使います（「設定・情報」の"
                 u"「データの場所を変更」で変えられます）。もう一方のフォルダーには手を加えません。"_s, K::Choose),
        withText(u"起動"_s, u"元の場所で起動"_s, u"Pelora の起動"_s, {},
                 u"\n\n元の場所で起動しますか。\n「はい」: 選んだ場所の記録を消し、元の場所のデータで起動します。"
                 u"\n「いいえ」: 何も変えずに終了します。フォルダーを使えるようにしてから（ネットワークドライブなら"
                 u"つないでから）起動してください。"_s, K::AskNo),
        // データの場所
        withText(u"データの場所"_s, u"確認"_s, u"データの場所の変更"_s, u"データを "_s,
                 u" にコピーし、これからはこの場所を使います。今の場所のデータはそのまま残します。よろしいですか"_s,
                 K::AskYes),
        withText(u"データの場所"_s, u"既にデータ"_s, u"データの場所の変更"_s, u"選んだフォルダーには既にデータがあります。\n\n"_s,
                 u"\n\n「はい」: そのフォルダーのデータファイルは日付の付いた名前に変えて残し、今のデータをコピーして"
                 u"使います。\n「いいえ」: そのフォルダーにあるデータをそのまま使います。今のデータはそのまま残します。"
                 u"\n「キャンセル」: 何も変えません。"_s, K::Choose),
        withText(u"データの場所"_s, u"完了"_s, u"データの場所の変更"_s, {}, {}, K::Info),
        // 復元
        withText(u"復元"_s, u"確認"_s, u"復元の確認"_s, u"控え "_s,
                 u" に戻します。今のデータファイルは日付の付いた名前で data フォルダーに残します。よろしいですか"_s,
                 K::AskNo),
        withText(u"復元"_s, u"サーバー確認"_s, u"復元の確認"_s, u"控え "_s,
                 u" のデータとして戻します。今のサーバーのデータは控えを取ってから置き換えます（ほかのパソコンでも、"
                 u"戻したデータになります）。入力中で登録していない内容は破棄されます。よろしいですか"_s, K::AskNo),
        withText(u"復元"_s, u"入力破棄確認"_s, u"復元の確認"_s, u"控え "_s,
                 u" に戻します。今のデータファイルは日付の付いた名前で data フォルダーに残します。"
                 u"入力シートと従業員の登録していない入力は破棄されます。よろしいですか"_s,
                 K::AskNo),
        withText(u"復元"_s, u"完了"_s, u"復元の完了"_s, u"控え "_s, {}, K::Info),
    };
    return catalog;
}

std::optional<MessageRequest> buildMessage(const QString &category, const QString &code,
                                           const QString &text)
{
    for (const CatalogEntry &entry : messageCatalog()) {
        if (entry.category != category || entry.code != code)
            continue;
        MessageRequest request;
        request.title = entry.title.isEmpty() ? text : entry.title;
        request.prompt = entry.withText ? entry.before + text + entry.after : entry.before;
        switch (entry.kind) {
        case MessageKind::AskNo:
        case MessageKind::AskYes:
            request.icon = MessageRequest::Icon::Question;
            request.buttons = MessageRequest::Buttons::YesNo;
            request.defaultButton = entry.kind == MessageKind::AskYes ? MessageRequest::Button::Yes
                                                                      : MessageRequest::Button::No;
            break;
        case MessageKind::Choose:
            request.icon = MessageRequest::Icon::Question;
            request.buttons = MessageRequest::Buttons::YesNoCancel;
            request.defaultButton = MessageRequest::Button::Cancel;
            break;
        case MessageKind::Info:
        case MessageKind::Warn:
            request.icon = entry.kind == MessageKind::Info ? MessageRequest::Icon::Information
                                                           : MessageRequest::Icon::Warning;
            request.buttons = MessageRequest::Buttons::Ok;
            request.defaultButton = MessageRequest::Button::Ok;
            break;
        }
        return request;
    }
    return std::nullopt;
}
