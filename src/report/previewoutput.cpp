#include "report/previewoutput.h"

#include "report/statementbatch.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

// 10350 twips is 182.6 mm; A4 is 210 mm wide, so 12 mm margins hold it.
const QMarginsF PageMargins(12, 15, 12, 15);

QPageLayout pageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, PageMargins, QPageLayout::Millimeter);
}

} // namespace

void PreviewOutput::setUpPage(QPrinter &printer)
{
    printer.setPageLayout(pageLayout());
}

QString PreviewOutput::proposedFileName(const StatementValues &values)
{
    QString base = u"給与明細_%1_%2"_s.arg(values.name, values.title);
    base.replace(QRegularExpression(u"[\\\\/:*?\"<>|\\r\\n\\t]"_s), u"_"_s);
    return base.left(120) + u".pdf"_s;
}

QString PreviewOutput::proposedFileName(const QList<StatementValues> &statements)
{
    if (statements.size() == 1)
        return proposedFileName(statements.first());
    const QDate date = statements.isEmpty() ? QDate::currentDate() : statements.first().date;
    return u"給与明細_%1件_%2.pdf"_s.arg(statements.size()).arg(date.toString(u"yyyyMMdd"_s));
}

bool PreviewOutput::writePdf(const StatementValues &values, const QString &fileName)
{
    return writePdf(QList<StatementValues>{values}, fileName);
}

bool PreviewOutput::writePdf(const QList<StatementValues> &statements, const QString &fileName)
{
    QPdfWriter writer(fileName);
    writer.setTitle(u"給与明細"_s);
    writer.setCreator(u"Pelora"_s);
    writer.setResolution(600);
    writer.setPageLayout(pageLayout());
    return printStatements(writer, statements);
}

void PreviewOutput::show(const StatementValues &values, QWidget *owner)
{
    showAll({values}, owner);
}

void PreviewOutput::showAll(const QList<StatementValues> &statements, QWidget *owner)
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPage(printer);
    printer.setDocName(u"給与明細"_s);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setWindowTitle(u"給与明細の印刷プレビュー"_s);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&statements](QPrinter *p) { printStatements(*p, statements); });
    if (auto *toolbar = dialog.findChild<QToolBar *>()) {
        toolbar->addSeparator();
        QAction *save = toolbar->addAction(u"PDFに保存"_s);
        save->setToolTip(u"給与明細をPDFファイルに保存します"_s);
        QObject::connect(save, &QAction::triggered, &dialog, [&dialog, &statements] {
            const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            const QString file = QFileDialog::getSaveFileName(
                &dialog, u"PDFに保存"_s, QDir(folder).filePath(proposedFileName(statements)),
                u"PDF ファイル (*.pdf)"_s);
            if (!file.isEmpty())
                writePdf(statements, file);
        });
    }
    dialog.resize(900, 700);
    dialog.exec();
}
