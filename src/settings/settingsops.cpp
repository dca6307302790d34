// The settings page: company name and information, and deleting all data.
#include "app/frmpelora.h"
#include "data/backup.h"
#include "messages/failure.h"
#include "settings/settingsstore.h"

#include <QLineEdit>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

void FrmPelora::Read設定()
{
    bool read = false;
    const std::optional<settings::Company> company = settings::read(mainDb(), &read);
    if (!read) {
        fail(failure::notShown(u"データファイルを読み込めないため、設定を読み込めませんでした。"_s));
        return;
    }
    if (!company)
        return;
    str自社名 = company->name.isNull() ? QString() : company->name.toString();
    str自社情報 = company->info.isNull() ? QString() : company->info.toString();
    txt自社名->setText(str自社名);
    txt自社情報->setPlainText(str自社情報);
}

bool FrmPelora::Entry設定()
{
    if (!ask(u"登録"_s, u"確認"_s, u"設定"_s))
        return true;
    if (settings::store(mainDb(), txt自社名->text(), txt自社情報->toPlainText()))
        return true;
    fail(failure::notStored(u"データファイルに書き込めないため、設定を登録できませんでした。"_s));
    return false;
}

void FrmPelora::Delete設定()
{
    if (!ask(u"削除"_s, u"確認"_s, u"設定"_s))
        return;
    if (!settings::blank(mainDb())) {
        fail(failure::notStored(u"データファイルに書き込めないため、設定を削除できませんでした。"_s));
        return;
    }
    Clear設定();
}

void FrmPelora::Clear設定()
{
    txt自社情報->clear();
    txt自社名->clear();
}

void FrmPelora::AllDelete()
{
    // Deletes only what a backup copy still holds.
    if (!backup::beforeDeletingAll(mainDb(), MainDbPath)) {
        fail(failure::notStored(u"バックアップを作成できないため、削除しませんでした。"_s));
        return;
    }
    if (!settings::deleteAllData(mainDb())) {
        // Nothing was deleted: the screens keep showing the data that is still there.
        fail(failure::notStored(u"データファイルに書き込めないため、削除できませんでした。"_s));
        return;
    }
    // The data is gone; a list that cannot be emptied says so itself.
    Clear設定();
    Clear従業員();
    Clear履歴();
    Clear明細();
}
