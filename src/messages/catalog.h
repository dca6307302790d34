#pragma once

#include "messages/presenter.h"

#include <QList>
#include <QString>
#include <optional>

// The fixed catalog of every confirmation, warning and completion dialog.
// A dialog is picked by a category word and a code word; the caller's text is
// put between the fixed pieces of the prompt.
enum class MessageKind {
    AskNo,  // Yes/No, question icon, No preselected
    AskYes, // Yes/No, question icon, Yes preselected
    Info,   // OK, information icon
    Warn,   // OK, warning icon
    Choose, // Yes/No/Cancel, question icon, Cancel preselected: two ways forward and a way out
};

struct CatalogEntry
{
    QString category;
    QString code;
    QString title;      // empty: the caller's text is the title
    QString before;     // prompt piece before the caller's text
    bool withText;      // whether the caller's text is part of the prompt
    QString after;      // prompt piece after the caller's text
    MessageKind kind;
};

const QList<CatalogEntry> &messageCatalog();

// The dialog for a category, code and text, or nothing when the pair is not in the catalog.
std::optional<MessageRequest> buildMessage(const QString &category, const QString &code,
                                           const QString &text);
