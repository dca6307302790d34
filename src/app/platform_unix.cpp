// The input method on Unix: input-method input on the widget, on or off.
#include "app/platform.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QWidget>

namespace platform {

void SetImeOpen(QWidget *window, bool open)
{
    if (!window)
        return;
    window->setAttribute(Qt::WA_InputMethodEnabled, open);
    if (window->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

} // namespace platform
