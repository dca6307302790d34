#pragma once

#include "data/files.h"
#include "report/statementoutput.h"

class MessagePresenter;
class PdfChooser;
class QPrinter;

// Shows statements in a print preview with a print button, and offers to save
// them as a PDF (a file name is proposed, the chooser says where). One
// statement or many go the same way: many share their pages (see
// statementbatch.h), one is the first statement of its page. A PDF that
// cannot be saved is told through the presenter, and the file of that name
// stays as it was.
class PreviewOutput : public StatementOutput
{
public:
    PreviewOutput(MessagePresenter &presenter, PdfChooser *pdfChooser);

    void show(const StatementValues &values, QWidget *owner) override;
    void showAll(const QList<StatementValues> &statements, QWidget *owner) override;

    // A4 portrait with margins that hold the statement's width.
    static void setUpPage(QPrinter &printer);
    // The statements as a PDF document; empty when they could not be drawn.
    static QByteArray pdf(const QList<StatementValues> &statements);
    // Writes the PDF whole or not at all (see files::writeWhole).
    static bool writePdf(const StatementValues &values, const QString &fileName, files::WriteError *error = nullptr);
    static bool writePdf(const QList<StatementValues> &statements, const QString &fileName,
                         files::WriteError *error = nullptr);
    // From the name and title for one statement; from the count and the date
    // of printing for several.
    static QString proposedFileName(const StatementValues &values);
    static QString proposedFileName(const QList<StatementValues> &statements);

private:
    // 「PDFに保存」 of the preview: asks where, writes, tells a failure.
    void savePdf(const QList<StatementValues> &statements, QWidget *owner);

    MessagePresenter &m_presenter;
    PdfChooser *m_pdfChooser;
};
