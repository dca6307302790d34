#include "history/exportchooser.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

std::optional<QString> FileDialogChooser::choose(QWidget *owner, const QString &title, const QString &proposedName)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString file = QFileDialog::getSaveFileName(owner, title, QDir(folder).filePath(proposedName),
                                                u"CSV ファイル (*.csv)"_s);
    if (file.isEmpty())
        return std::nullopt;
    if (!file.endsWith(u".csv"_s, Qt::CaseInsensitive))
        file += u".csv"_s;
    return file;
}
