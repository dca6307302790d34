#pragma once

#include "report/statement.h"

#include <QList>

class QWidget;

// Where a statement goes when the operator prints: a preview with a print
// button in the application, a recorder in tests.
class StatementOutput
{
public:
    virtual ~StatementOutput() = default;
    virtual void show(const StatementValues &values, QWidget *owner) = 0;
    // Several statements at once, in order. An output that has no shared pages
    // takes them one by one.
    virtual void showAll(const QList<StatementValues> &statements, QWidget *owner)
    {
        for (const StatementValues &values : statements)
            show(values, owner);
    }
};
