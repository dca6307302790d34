#include "history/exportchooser.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

std::optional<ExportChooser::Choice> FileDialogChooser::choose(QWidget *owner, const QString &proposedName)
{
    const QString sheets = u"シートごとの合計 (*.csv)"_s;
    const QString lines = u"日ごとの明細 (*.csv)"_s;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString chosenType = sheets;
    QString file = QFileDialog::getSaveFileName(owner, u"CSV ファイルに書き出す"_s,
                                                QDir(folder).filePath(proposedName),
                                                sheets + u";;"_s + lines, &chosenType);
    if (file.isEmpty())
        return std::nullopt;
    if (!file.endsWith(u".csv"_s, Qt::CaseInsensitive))
        file += u".csv"_s;
    return Choice{file, chosenType == lines ? Kind::Lines : Kind::Sheets};
}
