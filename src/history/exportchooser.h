#pragma once

#include <QString>
#include <optional>

class QWidget;

// Where the figures of the chosen sheets go, and in which form: the
// application asks with a save dialog, tests answer from a script.
class ExportChooser
{
public:
    enum class Kind { Sheets, Lines }; // one row per sheet, or per stored day line
    struct Choice
    {
        QString fileName;
        Kind kind = Kind::Sheets;
    };

    virtual ~ExportChooser() = default;
    // Nothing when the operator cancelled.
    virtual std::optional<Choice> choose(QWidget *owner, const QString &proposedName) = 0;
};

// The save dialog (in Japanese, in the Documents folder) with the two forms
// as its two file types.
class FileDialogChooser : public ExportChooser
{
public:
    std::optional<Choice> choose(QWidget *owner, const QString &proposedName) override;
};
