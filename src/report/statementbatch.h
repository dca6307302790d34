#pragma once

#include "report/statement.h"

#include <QList>

class QPagedPaintDevice;

// Many statements on shared pages, for handing out on pay day: as many whole
// statements on a page as its printable area holds, one under the other in the
// given order, with a dashed line to cut along between neighbours. Each
// statement is drawn by renderStatement, exactly as when it is printed alone.

// The room between two statements on a page; the cut line runs through its middle.
inline constexpr int StatementGapTwips = 400;

struct StatementPage
{
    int first = 0;          // index of the page's first statement
    QList<double> tops;     // each statement's top, in twips from the top of the printable area
    QList<double> cutLines; // heights of the cut lines in twips, between neighbours only
};

// How count statements of statementHeight twips (statementHeightTwips) fall
// onto pages whose printable area is pageHeightTwips high. A page too short
// for even one statement still takes one.
QList<StatementPage> layOutStatements(int count, double pageHeightTwips,
                                      double statementHeight = StatementHeightTwips);

// Draws one page into area, the page's printable area, at dotsPerInch.
void paintStatementPage(QPainter &painter, const QRectF &area, double dotsPerInch,
                        const QList<StatementValues> &statements, const StatementPage &page);

// Every page onto a printer or a PDF writer whose page layout is already set;
// false when painting could not begin or a page could not be added.
bool printStatements(QPagedPaintDevice &device, const QList<StatementValues> &statements);
