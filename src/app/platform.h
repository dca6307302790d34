#pragma once

#include "data/datapaths.h"

class QApplication;
class QWidget;

// The small layer between the program and the desktop it runs on. What
// differs between systems is in platform_unix.cpp and platform_win.cpp, one of
// which the build takes.
namespace platform {

// The running program's folder as the system names it (backslashes on
// Windows) and the user's application-data folder, for the data folder rule.
ProgramPlace programPlace();

// Japanese for Qt's own dialogs and buttons.
void installTranslations(QApplication &app);

// The screen and statement fonts are named by their Windows faces; where those
// are missing they map to the IPA faces (P Gothic, P Mincho), installed or
// shipped in the "fonts" folder beside the program.
void installFontSubstitutes();

// The window's Japanese face, at a size for reading, for everything that sets
// no font of its own: message boxes, the hint window, Qt's print preview and
// file chooser. Installs the substitutes too.
void installApplicationFont();

// Opens or closes the input method for a window: on Windows through the input
// method manager, elsewhere by enabling or disabling input-method input on the
// widget (the name field takes Japanese, the grid digits only).
void SetImeOpen(QWidget *window, bool open);

} // namespace platform
