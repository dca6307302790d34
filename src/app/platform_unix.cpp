// The platform layer on Linux (and any other Unix).
#include "app/platform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QStandardPaths>
#include <QWidget>

namespace platform {

ProgramPlace programPlace()
{
    return {QCoreApplication::applicationDirPath(), false,
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)};
}

void SetImeOpen(QWidget *window, bool open)
{
    if (!window)
        return;
    window->setAttribute(Qt::WA_InputMethodEnabled, open);
    if (window->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

} // namespace platform
