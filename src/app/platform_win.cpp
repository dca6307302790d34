// The platform layer on Windows.
#include "app/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QWidget>

#include <windows.h>
#include <imm.h>

using namespace Qt::StringLiterals;

namespace platform {

ProgramPlace programPlace()
{
    return {QDir::toNativeSeparators(QCoreApplication::applicationDirPath()), true,
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)};
}

void SetImeOpen(QWidget *window, bool open)
{
    if (!window)
        return;
    // Keys reach the top-level window's handle: the widgets inside have none
    // (asking one for its handle would make it a native window of its own).
    // Under a platform without native windows (offscreen) the id is not a
    // handle at all, and the input method manager is not asked.
    const WId id = window->window()->internalWinId();
    if (!id || QGuiApplication::platformName() != "windows"_L1)
        return;
    const HWND hwnd = reinterpret_cast<HWND>(id);
    if (HIMC context = ImmGetContext(hwnd)) {
        ImmSetOpenStatus(context, open ? TRUE : FALSE);
        ImmReleaseContext(hwnd, context);
    }
}

} // namespace platform
