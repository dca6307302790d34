// Pay day on the page "履　歴": the statements of the chosen sheets on shared
// pages, and their figures as a CSV file for the books. Nothing is written
// but the file the operator asks for.
#include "history/historypage.h"

#include "controls/datagrid.h"
#include "controls/worktablemodel.h"
#include "data/datastore.h"
#include "data/files.h"
#include "history/exportchooser.h"
#include "history/historycolumns.h"
#include "history/paydayexport.h"
#include "history/paydaystore.h"
#include "report/statementoutput.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QList<sheet::Key> HistoryPage::chosenSheets() const
{
    // The chosen lines in the order shown; none chosen means every line listed.
    QList<int> rows = Grid履歴->selectedModelRows();
    if (rows.isEmpty())
        rows = Grid履歴->shownModelRows();
    QList<sheet::Key> keys;
    for (int row : std::as_const(rows))
        keys.append({dat履歴->value(row, history::Col氏名).toString(),
                     dat履歴->value(row, history::Colタイトル).toString()});
    return keys;
}

void HistoryPage::Print履歴()
{
    const QList<sheet::Key> keys = chosenSheets();
    if (keys.isEmpty()) {
        m_dialogs.tell(u"印刷するシートがありません。先に履歴を読み込んでください。"_s);
        return;
    }
    const std::optional<history::StoredSheets> sheets = history::readHeaders(m_store.main(), keys);
    if (!sheets) {
        m_dialogs.fail(Dialogs::notShown(u"データファイルを読み込めないため、給与明細を印刷できませんでした。"_s));
        return;
    }
    if (!sheets->missing.isEmpty())
        m_dialogs.tell(u"一覧を読み込んだ後に削除されたシートが %1 件あります。残りの %2 件を印刷します。"_s
                          .arg(sheets->missing.size())
                          .arg(sheets->found.size()));
    QList<StatementValues> statements;
    const QDate today = QDate::currentDate();
    for (const history::StoredSheet &sheet : sheets->found)
        statements.append(history::statementValues(sheet, m_companyName, m_companyInfo, m_premiums, today));
    if (!statements.isEmpty() && m_statementOutput)
        m_statementOutput->showAll(statements, this);
}

void HistoryPage::Export履歴(history::CsvKind kind)
{
    const QList<sheet::Key> keys = chosenSheets();
    if (keys.isEmpty()) {
        m_dialogs.tell(u"書き出すシートがありません。先に履歴を読み込んでください。"_s);
        return;
    }
    if (!m_exportChooser)
        return;
    const bool lines = kind == history::CsvKind::Lines;
    const QString today = QDate::currentDate().toString(u"yyyyMMdd"_s);
    const std::optional<QString> file = lines
        ? m_exportChooser->choose(this, u"日ごとの明細を CSV ファイルに書き出す"_s, u"勤務明細_%1.csv"_s.arg(today))
        : m_exportChooser->choose(this, u"シートごとの合計を CSV ファイルに書き出す"_s, u"給与集計_%1.csv"_s.arg(today));
    if (!file)
        return;

    std::optional<QByteArray> content;
    qsizetype sheetCount = 0;
    if (const auto sheets = history::readHeaders(m_store.main(), keys)) {
        sheetCount = sheets->found.size();
        if (!lines)
            content = history::sheetsCsv(sheets->found, m_premiums);
        else if (const auto read = history::readLines(m_store.main(), keys))
            content = history::linesCsv(*read, m_premiums);
    }
    if (!content) {
        m_dialogs.fail(u"データファイルを読み込めないため、CSVファイルを書き出せませんでした。ファイルは作っていません。"_s);
        return;
    }
    const bool oldFile = QFileInfo(*file).isFile();
    if (const files::WriteError error = files::writeWhole(*file, *content); error != files::WriteError::None) {
        m_dialogs.fail(Dialogs::notWritten(u"CSVファイルを書き出せませんでした"_s, files::reason(error), oldFile));
        return;
    }
    m_dialogs.tellWritten(u"%1 件のシートの%2を CSV ファイルに書き出しました。\n%3"_s.arg(sheetCount)
                              .arg(lines ? u"日ごとの明細"_s : u"合計"_s, QDir::toNativeSeparators(*file)));
}
