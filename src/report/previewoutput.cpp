#include "report/previewoutput.h"

#include "data/files.h"
#include "messages/dialogs.h"
#include "report/pdfchooser.h"
#include "report/statementbatch.h"

#include <QAction>
#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
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

QByteArray PreviewOutput::pdf(const QList<StatementValues> &statements)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(u"給与明細"_s);
        writer.setCreator(u"Pelora"_s);
        writer.setResolution(600);
        writer.setPageLayout(pageLayout());
        if (!printStatements(writer, statements))
            return QByteArray();
    } // the document is finished when the writer goes
    const QByteArray document = buffer.data();
    // A whole document: its header, and its end marker after the cross-reference table.
    return document.startsWith("%PDF-") && document.trimmed().endsWith("%%EOF") ? document : QByteArray();
}

bool PreviewOutput::writePdf(const StatementValues &values, const QString &fileName, files::WriteError *error)
{
    return writePdf(QList<StatementValues>{values}, fileName, error);
}

bool PreviewOutput::writePdf(const QList<StatementValues> &statements, const QString &fileName,
                             files::WriteError *error)
{
    const QByteArray document = pdf(statements);
    const files::WriteError written =
        document.isEmpty() ? files::WriteError::Incomplete : files::writeWhole(fileName, document);
    if (error)
        *error = written;
    return written == files::WriteError::None;
}

PreviewOutput::PreviewOutput(MessagePresenter &presenter, PdfChooser *pdfChooser)
    : m_presenter(presenter)
    , m_pdfChooser(pdfChooser)
{
}

void PreviewOutput::savePdf(const QList<StatementValues> &statements, QWidget *owner)
{
    if (!m_pdfChooser)
        return;
    const std::optional<QString> file = m_pdfChooser->choosePdf(owner, proposedFileName(statements));
    if (!file)
        return;
    const bool oldFile = QFileInfo(*file).isFile();
    files::WriteError error = files::WriteError::None;
    if (!writePdf(statements, *file, &error))
        Dialogs(m_presenter).fail(
            Dialogs::notWritten(u"PDFファイルに保存できませんでした"_s, files::reason(error), oldFile));
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
        save->setObjectName(u"actPDF保存"_s);
        QObject::connect(save, &QAction::triggered, &dialog,
                         [this, &dialog, &statements] { savePdf(statements, &dialog); });
    }
    dialog.resize(900, 700);
    dialog.exec();
}
