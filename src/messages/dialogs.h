#pragma once

#include "messages/presenter.h"

#include <QString>
#include <QStringList>

// What an operation says to the operator: the catalog's questions and notices,
// and the one failure path every page and the hint window share. An operation
// that could not be done stops and tells the operator once, through the
// catalog's その他/メッセージ dialog, what could not be done; the stored data
// and the screen are left as they were, and the sentence ends by saying so.
class Dialogs
{
public:
    explicit Dialogs(MessagePresenter &presenter)
        : m_presenter(presenter)
    {
    }

    // True only when a Yes/No dialog was answered Yes.
    MessagePresenter &presenter() const { return m_presenter; }
    bool ask(const QString &category, const QString &code, const QString &text = {}) const;
    // Before typed input that is not registered is dropped: true when there is
    // none (pages empty) or the operator agreed to drop it. pages names where
    // it is: 「入力シート」, 「従業員」.
    bool mayDiscard(const QStringList &pages) const;
    // The answer to one of the catalog's choices between two ways forward
    // (Yes, No) and a way out (Cancel); Cancel too when the pair is no choice.
    MessageRequest::Button choose(const QString &category, const QString &code, const QString &text) const;
    // A notice: the catalog's その他/メッセージ box with the text as title and prompt.
    void tell(const QString &text) const;
    // An operation that could not be done: told the same way.
    void fail(const QString &text) const { tell(text); }
    // A file written for the operator: the catalog's completion box, titled
    // 「書出し完了」, with the text (what was written, and where) as its prompt.
    void tellWritten(const QString &text) const;

    // A write that failed: what could not be done, then "保存されているデータは変わっていません。"
    static QString notStored(const QString &what);
    // A read that failed: what could not be done, then "画面は前のままです。"
    static QString notShown(const QString &what);
    // A file that could not be written: what could not be done, why (in
    // brackets), then that the file of that name is as it was, or that none was made.
    static QString notWritten(const QString &what, const QString &reason, bool oldFileKept);
    // A value typed into a grid that could not be written to its work table yet.
    static QString typedNotWritten();

private:
    MessagePresenter &m_presenter;
};
