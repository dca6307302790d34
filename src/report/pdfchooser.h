#pragma once

#include <QString>
#include <optional>

class QWidget;

// Where the statements of a preview are saved as a PDF: the application asks
// with a save dialog, tests answer from a script.
class PdfChooser
{
public:
    virtual ~PdfChooser() = default;
    // Nothing when the operator cancelled.
    virtual std::optional<QString> choosePdf(QWidget *owner, const QString &proposedName) = 0;
};

// The save dialog (in Japanese, in the Documents folder), for PDF files.
class PdfFileDialog : public PdfChooser
{
public:
    std::optional<QString> choosePdf(QWidget *owner, const QString &proposedName) override;
};
