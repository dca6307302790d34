#pragma once

#include <QFont>
#include <QString>

// The faces of the window and the statement, and the few sizes the layout
// asks for. The faces carry their Windows names; platform::installFontSubstitutes
// maps them to the installed Japanese faces (IPA P Gothic, IPA P Mincho).
namespace fonts {

inline const QString Gothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString Mincho = QStringLiteral("ＭＳ Ｐ明朝");

inline constexpr double Application = 10.5; // what sets no font of its own: dialogs, the hint window
inline constexpr double Field = 12;         // fields, their labels, the tab captions
inline constexpr double Button = 11.25;
inline constexpr double Grid = 9;
inline constexpr double Info = 14.25;       // the program's information on the settings page

QFont gothic(double pointSize);

} // namespace fonts
