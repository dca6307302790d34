#include "controls/fonts.h"

namespace fonts {

QFont gothic(double pointSize)
{
    QFont font(Gothic);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace fonts
