#pragma once

#include <QString>
#include <Qt>

// How a grid column shows and takes its field.
struct GridColumn
{
    enum class Kind {
        Text,   // free text
        Number, // a number shown through format
        Date,   // ISO date shown "yyyy/mm/dd", typed as eight digits through a mask
        Time,   // four-digit text shown "##:##", typed through the mask "##:##"
        Check,  // a 0/1 field shown as a tick box
    };

    QString field;
    QString caption;
    Kind kind = Kind::Text;
    QString format;
    int widthTwips = 1000;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool visible = true;
    bool editable = true;
};

// 1440 twips to the inch, 15 to the pixel on a 96 dpi screen.
inline int twipsToPixels(int twips, double dpi = 96.0)
{
    return int(twips * dpi / 1440.0 + 0.5);
}
