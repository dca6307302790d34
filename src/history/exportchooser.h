#pragma once

#include <QString>
#include <optional>

class QWidget;

// Where the figures of the chosen sheets go: the application asks with a save
// dialog, tests answer from a script. The form is chosen before, by the button.
class ExportChooser
{
public:
    virtual ~ExportChooser() = default;
    // The file, or nothing when the operator cancelled. title says which form is written.
    virtual std::optional<QString> choose(QWidget *owner, const QString &title, const QString &proposedName) = 0;
};

// The save dialog (in Japanese, in the Documents folder) for a CSV file.
class FileDialogChooser : public ExportChooser
{
public:
    std::optional<QString> choose(QWidget *owner, const QString &title, const QString &proposedName) override;
};
