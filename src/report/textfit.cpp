#include "report/textfit.h"

#include <QFontMetricsF>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace {

QFont sized(QFont font, int pixelSize)
{
    font.setPixelSize(std::max(1, pixelSize));
    return font;
}

// The lines of text at a width: broken at line feeds, and where a line may
// break when wrap is on. Blanks at the end of a line take no room and go.
QStringList layOut(const QString &text, const QFont &font, double width, bool wrap, const QPaintDevice *device)
{
    QString shaped = text;
    shaped.remove(u'\r').replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(shaped, font, const_cast<QPaintDevice *>(device));
    QTextOption option;
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(wrap ? width : 1e9);
        QString part = shaped.mid(line.textStart(), line.textLength());
        while (!part.isEmpty() && (part.back().isSpace() || part.back() == QChar::LineSeparator))
            part.chop(1);
        lines.append(part);
    }
    layout.endLayout();
    return lines;
}

double widest(const QStringList &lines, const QFontMetricsF &metrics)
{
    double width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return width;
}

// Lines whose tops are one line spacing apart; the last needs its height only.
double heightOf(qsizetype lines, const QFontMetricsF &metrics)
{
    return lines <= 0 ? 0 : double(lines - 1) * metrics.lineSpacing() + metrics.height();
}

FittedText attempt(const QString &text, const QFont &font, int pixelSize, const QRectF &box, TextFit kind,
                   const QPaintDevice *device)
{
    FittedText fit{sized(font, pixelSize), box, {}, 0, false};
    const QFontMetricsF metrics(fit.font, const_cast<QPaintDevice *>(device));
    fit.lineSpacing = metrics.lineSpacing();
    fit.lines = layOut(text, fit.font, box.width(), kind == TextFit::Text, device);
    return fit;
}

bool fits(const FittedText &fit, const QRectF &box, const QPaintDevice *device)
{
    const QFontMetricsF metrics(fit.font, const_cast<QPaintDevice *>(device));
    return widest(fit.lines, metrics) <= box.width() && heightOf(fit.lines.size(), metrics) <= box.height();
}

// The largest size in [low, high] for which accept holds, given that it holds at low.
template<typename Accept>
int largest(int low, int high, Accept accept)
{
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (accept(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

// A text too long for its box even at the floor: the lines that fit, the last
// one ending in "…".
FittedText elided(FittedText fit, const QRectF &box, const QPaintDevice *device)
{
    const QFontMetricsF metrics(fit.font, const_cast<QPaintDevice *>(device));
    const qsizetype room = std::max<qsizetype>(1, qsizetype((box.height() - metrics.height()) / metrics.lineSpacing()) + 1);
    if (fit.lines.size() <= room && widest(fit.lines, metrics) <= box.width())
        return fit;
    fit.lines = fit.lines.mid(0, room);
    QString &last = fit.lines.last();
    const QString ellipsis = u"…"_s;
    while (!last.isEmpty() && metrics.horizontalAdvance(last + ellipsis) > box.width())
        last.chop(last.size() >= 2 && last.back().isLowSurrogate() ? 2 : 1);
    last += ellipsis;
    fit.elided = true;
    return fit;
}

} // namespace

FittedText fitText(const QString &text, const QFont &font, int pixelSize, int floorPixelSize, const QRectF &box,
                   TextFit kind, const QRectF &bound, const QPaintDevice *device)
{
    floorPixelSize = std::clamp(floorPixelSize, 1, std::max(1, pixelSize));
    auto fitsAt = [&](int size, const QRectF &in) { return fits(attempt(text, font, size, in, kind, device), in, device); };
    if (fitsAt(pixelSize, box))
        return attempt(text, font, pixelSize, box, kind, device);
    if (fitsAt(floorPixelSize, box)) {
        const int size = largest(floorPixelSize, pixelSize, [&](int s) { return fitsAt(s, box); });
        return attempt(text, font, size, box, kind, device);
    }
    if (kind == TextFit::Text)
        return elided(attempt(text, font, floorPixelSize, box, kind, device), box, device);

    // A number keeps every character: it grows to the left, as far as bound
    // lets it, and gets smaller than the floor only beyond that.
    const QRectF room(QPointF(std::min(box.left(), bound.left()), box.top()), box.bottomRight());
    const int size = fitsAt(floorPixelSize, room) || floorPixelSize == 1
        ? floorPixelSize
        : largest(1, floorPixelSize, [&](int s) { return fitsAt(s, room); });
    FittedText fit = attempt(text, font, size, room, kind, device);
    const QFontMetricsF metrics(fit.font, const_cast<QPaintDevice *>(device));
    fit.box.setLeft(std::max(room.left(), box.right() - widest(fit.lines, metrics)));
    return fit;
}
