#include "report/previewoutput.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QPageLayout>
#include <QPainter>
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

void paint(QPainter &painter, const QRectF &paintRect, double dpi, const StatementValues &values)
{
    renderStatement(painter, paintRect, dpi, values);
}

} // namespace

void PreviewOutput::setUpPage(QPrinter &printer)
{
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, PageMargins,
                                      QPageLayout::Millimeter));
}

QString PreviewOutput::proposedFileName(const StatementValues &values)
{
    QString base = u"給与明細_%1_%2"_s.arg(values.name, values.title);
    base.replace(QRegularExpression(u"[\\\\/:*?\"<>|\\r\\n\\t]"_s), u"_"_s);
    return base.left(120) + u".pdf"_s;
}

bool PreviewOutput::writePdf(const StatementValues &values, const QString &fileName)
{
    QPdfWriter writer(fileName);
    writer.setTitle(u"給与明細"_s);
    writer.setCreator(u"Pelora"_s);
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, PageMargins,
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    paint(painter, QRectF(QPointF(0, 0), writer.pageLayout().paintRectPixels(600).size()), 600, values);
    return painter.end();
}

void PreviewOutput::show(const StatementValues &values, QWidget *owner)
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPage(printer);
    printer.setDocName(u"給与明細"_s);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setWindowTitle(u"給与明細の印刷プレビュー"_s);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&values](QPrinter *p) {
        QPainter painter(p);
        paint(painter, QRectF(QPointF(0, 0), p->pageLayout().paintRectPixels(p->resolution()).size()),
              p->resolution(), values);
    });
    if (auto *toolbar = dialog.findChild<QToolBar *>()) {
        toolbar->addSeparator();
        QAction *save = toolbar->addAction(u"PDFに保存"_s);
        save->setToolTip(u"給与明細をPDFファイルに保存します"_s);
        QObject::connect(save, &QAction::triggered, &dialog, [&dialog, &values] {
            const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            const QString file = QFileDialog::getSaveFileName(
                &dialog, u"PDFに保存"_s, QDir(folder).filePath(proposedFileName(values)),
                u"PDF ファイル (*.pdf)"_s);
            if (!file.isEmpty())
                writePdf(values, file);
        });
    }
    dialog.resize(900, 700);
    dialog.exec();
}
