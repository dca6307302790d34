#pragma once

#include "report/statementoutput.h"

class QPrinter;

// Shows statements in a print preview with a print button, and offers to save
// them as a PDF (a file name is proposed). One statement or many go the same
// way: many share their pages (see statementbatch.h), one is the first
// statement of its page.
class PreviewOutput : public StatementOutput
{
public:
    void show(const StatementValues &values, QWidget *owner) override;
    void showAll(const QList<StatementValues> &statements, QWidget *owner) override;

    // A4 portrait with margins that hold the statement's width.
    static void setUpPage(QPrinter &printer);
    static bool writePdf(const StatementValues &values, const QString &fileName);
    static bool writePdf(const QList<StatementValues> &statements, const QString &fileName);
    // From the name and title for one statement; from the count and the date
    // of printing for several.
    static QString proposedFileName(const StatementValues &values);
    static QString proposedFileName(const QList<StatementValues> &statements);
};
