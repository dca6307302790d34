#pragma once

#include "data/background.h"
#include "history/exportchooser.h"
#include "messages/presenter.h"
#include "report/pdfchooser.h"
#include "report/statementoutput.h"
#include "settings/folderchooser.h"

#include <QList>
#include <QUrl>

// Answers dialogs from a script and records every one shown. With nothing
// scripted it answers with the dialog's default button, as Enter would.
class ScriptedPresenter : public MessagePresenter
{
public:
    QList<MessageRequest> shown;
    QList<MessageRequest::Button> script;

    void answerYes() { script.append(MessageRequest::Button::Yes); }
    void answerNo() { script.append(MessageRequest::Button::No); }
    MessageRequest last() const { return shown.isEmpty() ? MessageRequest() : shown.last(); }
    void clear()
    {
        shown.clear();
        script.clear();
    }

    MessageRequest::Button present(const MessageRequest &request) override;
};

// Keeps the statements that would have been previewed.
class RecordingOutput : public StatementOutput
{
public:
    QList<StatementValues> statements;
    void show(const StatementValues &values, QWidget *) override { statements.append(values); }
};

// Answers the question where exported figures go from a script.
class ScriptedChooser : public ExportChooser
{
public:
    std::optional<QString> answer; // nothing: the operator cancels
    QString title;
    QString proposed;
    std::optional<QString> choose(QWidget *, const QString &dialogTitle, const QString &proposedName) override
    {
        title = dialogTitle;
        proposed = proposedName;
        return answer;
    }
};

// Answers the question where a PDF goes from a script.
class ScriptedPdfChooser : public PdfChooser
{
public:
    std::optional<QString> answer; // nothing: the operator cancels
    std::optional<QString> choosePdf(QWidget *, const QString &) override { return answer; }
};

// Answers the question where the data goes from a script.
class ScriptedFolderChooser : public FolderChooser
{
public:
    std::optional<QString> answer; // nothing: the operator cancels
    int asked = 0;
    std::optional<QString> chooseFolder(QWidget *, const QString &) override
    {
        ++asked;
        return answer;
    }
};

// Keeps what start-up told of its progress while it checked or copied the main file.
class RecordingProgress : public OpenProgress
{
public:
    struct Step
    {
        OpenSteps::Phase phase;
        int done;
        int total;
    };
    QList<Step> steps;
    int begun = 0;
    int ended = 0;

    void begin() override { ++begun; }
    void advance(OpenSteps::Phase phase, int done, int total) override { steps.append({phase, done, total}); }
    void end() override { ++ended; }
};
