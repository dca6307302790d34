#pragma once

#include "report/statement.h"

class QWidget;

// Where a statement goes when the operator prints: a preview with a print
// button in the application, a recorder in tests.
class StatementOutput
{
public:
    virtual ~StatementOutput() = default;
    virtual void show(const StatementValues &values, QWidget *owner) = 0;
};
