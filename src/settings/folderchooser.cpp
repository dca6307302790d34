#include "settings/folderchooser.h"

#include <QFileDialog>

using namespace Qt::StringLiterals;

std::optional<QString> FolderDialog::chooseFolder(QWidget *owner, const QString &startIn)
{
    const QString folder = QFileDialog::getExistingDirectory(owner, u"データの場所を選ぶ"_s, startIn);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}
