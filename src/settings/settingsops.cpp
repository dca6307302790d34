// The settings page: company name and information, and deleting all data.
#include "app/frmpelora.h"
#include "data/backup.h"
#include "settings/settingsstore.h"

#include <QLineEdit>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

void FrmPelora::Read設定()
{
    const std::optional<settings::Company> company = settings::read(mainDb());
    if (!company)
        return;
    str自社名 = company->name.isNull() ? QString() : company->name.toString();
    str自社情報 = company->info.isNull() ? QString() : company->info.toString();
    txt自社名->setText(str自社名);
    txt自社情報->setPlainText(str自社情報);
}

void FrmPelora::Entry設定()
{
    if (!ask(u"登録"_s, u"確認"_s, u"設定"_s))
        return;
    settings::store(mainDb(), txt自社名->text(), txt自社情報->toPlainText());
}

void FrmPelora::Delete設定()
{
    if (!ask(u"削除"_s, u"確認"_s, u"設定"_s))
        return;
    settings::blank(mainDb());
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
        ask(u"その他"_s, u"メッセージ"_s, u"バックアップを作成できないため削除しませんでした。"_s);
        return;
    }
    if (!settings::deleteAllData(mainDb())) {
        // Nothing was deleted: the screens keep showing the data that is still there.
        ask(u"その他"_s, u"メッセージ"_s, u"データファイルに書き込めないため削除できませんでした。"_s);
        return;
    }
    Clear設定();
    Clear従業員();
    Clear履歴();
    Clear明細();
}
