#include "report/pdfchooser.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

std::optional<QString> PdfFileDialog::choosePdf(QWidget *owner, const QString &proposedName)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString file = QFileDialog::getSaveFileName(owner, u"PDFに保存"_s, QDir(folder).filePath(proposedName),
                                                      u"PDF ファイル (*.pdf)"_s);
    if (file.isEmpty())
        return std::nullopt;
    if (!file.endsWith(u".pdf"_s, Qt::CaseInsensitive))
        file += u".pdf"_s;
    return file;
}
