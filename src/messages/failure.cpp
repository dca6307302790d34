#include "messages/failure.h"

#include "messages/showmessage.h"

using namespace Qt::StringLiterals;

namespace failure {

QString notStored(const QString &what)
{
    return what + u"保存されているデータは変わっていません。"_s;
}

QString notShown(const QString &what)
{
    return what + u"画面は前のままです。"_s;
}

void tell(MessagePresenter &presenter, const QString &text)
{
    ShowMessage(presenter, u"その他"_s, u"メッセージ"_s, text);
}

} // namespace failure
