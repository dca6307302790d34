#pragma once

#include <QFont>
#include <QRectF>
#include <QStringList>

class QPaintDevice;

// How a value of the statement is set in its box. Text drawn into a rectangle
// is clipped silently, so every text is measured in the font it is drawn in
// and made smaller until it fits.
enum class TextFit {
    Number, // one line, never shortened: at the floor the box grows to the left (within bound),
            // and only a number wider than that goes below the floor
    Text,   // wraps at the box's width; at the floor what still does not fit ends in "…"
};

struct FittedText
{
    QFont font;          // the face at the pixel size found
    QRectF box;          // where the lines go, their tops at its top
    QStringList lines;   // top to bottom; none for an empty text
    double lineSpacing = 0;
    bool elided = false;
};

// The largest pixel size from pixelSize down to floorPixelSize at which every
// line fits box's width and the lines fit its height, measured on device.
FittedText fitText(const QString &text, const QFont &font, int pixelSize, int floorPixelSize, const QRectF &box,
                   TextFit kind, const QRectF &bound, const QPaintDevice *device);
