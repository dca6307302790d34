#pragma once

#include <QString>
#include <optional>

class QWidget;

// Where the data goes when the operator moves it: the application asks with a
// folder dialog, tests answer from a script.
class FolderChooser
{
public:
    virtual ~FolderChooser() = default;
    // Nothing when the operator cancelled.
    virtual std::optional<QString> chooseFolder(QWidget *owner, const QString &startIn) = 0;
};

// The folder dialog, in Japanese.
class FolderDialog : public FolderChooser
{
public:
    std::optional<QString> chooseFolder(QWidget *owner, const QString &startIn) override;
};
