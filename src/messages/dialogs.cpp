#include "messages/dialogs.h"

#include "messages/catalog.h"
#include "messages/showmessage.h"

using namespace Qt::StringLiterals;

bool Dialogs::ask(const QString &category, const QString &code, const QString &text) const
{
    return ShowMessage(m_presenter, category, code, text);
}

bool Dialogs::mayDiscard(const QStringList &pages) const
{
    return pages.isEmpty() || ask(u"破棄"_s, u"確認"_s, pages.join(u"と"_s));
}

MessageRequest::Button Dialogs::choose(const QString &category, const QString &code, const QString &text) const
{
    const std::optional<MessageRequest> request = buildMessage(category, code, text);
    if (!request || request->buttons != MessageRequest::Buttons::YesNoCancel)
        return MessageRequest::Button::Cancel;
    return m_presenter.present(*request);
}

void Dialogs::tell(const QString &text) const
{
    ShowMessage(m_presenter, u"その他"_s, u"メッセージ"_s, text);
}

void Dialogs::tellWritten(const QString &text) const
{
    ShowMessage(m_presenter, u"その他"_s, u"書出し完了"_s, text);
}

QString Dialogs::notWritten(const QString &what, const QString &reason, bool oldFileKept)
{
    return what + u"（"_s + reason + u"）。"_s
        + (oldFileKept ? u"同じ名前の前のファイルはそのままです。"_s : u"ファイルは作っていません。"_s);
}

QString Dialogs::notStored(const QString &what)
{
    return what + u"保存されているデータは変わっていません。"_s;
}

QString Dialogs::notShown(const QString &what)
{
    return what + u"画面は前のままです。"_s;
}

QString Dialogs::typedNotWritten()
{
    return u"作業ファイルに書き込めないため、入力した値を保存できませんでした。"
           u"値は画面に残っています。書き込めるようになれば、次の入力か登録のときに保存されます。"_s;
}
