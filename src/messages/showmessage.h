#pragma once

#include <QString>

class MessagePresenter;

// The one dialog routine: shows the catalog's dialog for category and code with
// the caller's text and returns true only when a Yes/No dialog was answered Yes.
// A category or code not in the catalog shows nothing and returns false.
bool ShowMessage(MessagePresenter &presenter, const QString &category, const QString &code,
                 const QString &text);
