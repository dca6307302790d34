#pragma once

#include <QString>

class MessagePresenter;

// The one failure path of every operation: it stops and tells the operator
// once, through the catalog's その他/メッセージ dialog, what could not be done.
// The stored data and the screen are left as they were, so the sentences end
// by saying so.
namespace failure {

// A write that failed: what could not be done, then "保存されているデータは変わっていません。"
QString notStored(const QString &what);
// A read that failed: what could not be done, then "画面は前のままです。"
QString notShown(const QString &what);

void tell(MessagePresenter &presenter, const QString &text);

} // namespace failure
