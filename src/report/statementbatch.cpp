#include "report/statementbatch.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <cmath>

QList<StatementPage> layOutStatements(int count, double pageHeightTwips, double statementHeight)
{
    const double step = statementHeight + StatementGapTwips;
    const int perPage = std::max(1, int(std::floor((pageHeightTwips + StatementGapTwips) / step)));
    QList<StatementPage> pages;
    for (int first = 0; first < count; first += perPage) {
        StatementPage page;
        page.first = first;
        const int onPage = std::min(perPage, count - first);
        for (int i = 0; i < onPage; ++i) {
            page.tops.append(i * step);
            if (i > 0)
                page.cutLines.append(i * step - StatementGapTwips / 2.0);
        }
        pages.append(page);
    }
    return pages;
}

void paintStatementPage(QPainter &painter, const QRectF &area, double dotsPerInch,
                        const QList<StatementValues> &statements, const StatementPage &page)
{
    const double scale = dotsPerInch / 1440.0;
    const double width = StatementWidthTwips * scale;
    for (int i = 0; i < page.tops.size(); ++i) {
        const int index = page.first + i;
        if (index < statements.size())
            renderStatement(painter,
                            QRectF(area.topLeft() + QPointF(0, page.tops.at(i) * scale),
                                   QSizeF(width, statementHeightTwips(statements.at(index)) * scale)),
                            dotsPerInch, statements.at(index));
    }
    painter.save();
    // Dashes of 3 mm with 2 mm between them, thinner than the statement's rules.
    const double penWidth = std::max(1.0, 8 * scale);
    QPen pen(Qt::darkGray, penWidth);
    pen.setDashPattern({170 * scale / penWidth, 113 * scale / penWidth});
    painter.setPen(pen);
    for (const double y : page.cutLines) {
        const double top = area.top() + y * scale;
        painter.drawLine(QPointF(area.left(), top), QPointF(area.left() + width, top));
    }
    painter.restore();
}

bool printStatements(QPagedPaintDevice &device, const QList<StatementValues> &statements)
{
    const int dpi = device.logicalDpiY();
    const QRectF area(QPointF(0, 0), device.pageLayout().paintRectPixels(dpi).size());
    // One batch prints with the premiums or without: its statements are of one height.
    double height = StatementHeightTwips;
    for (const StatementValues &values : statements)
        height = std::max<double>(height, statementHeightTwips(values));
    const QList<StatementPage> pages = layOutStatements(int(statements.size()), area.height() * 1440.0 / dpi, height);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int k = 0; k < pages.size(); ++k) {
        if (k > 0 && !device.newPage())
            return false;
        paintStatementPage(painter, area, dpi, statements, pages.at(k));
    }
    return painter.end();
}
