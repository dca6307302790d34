#pragma once

#include "report/statementoutput.h"

class QPrinter;

// Shows the statement in a print preview with a print button, and offers to
// save it as a PDF (a file name is proposed from the name and title).
class PreviewOutput : public StatementOutput
{
public:
    void show(const StatementValues &values, QWidget *owner) override;

    // A4 portrait with margins that hold the statement's width.
    static void setUpPage(QPrinter &printer);
    static bool writePdf(const StatementValues &values, const QString &fileName);
    static QString proposedFileName(const StatementValues &values);
};
