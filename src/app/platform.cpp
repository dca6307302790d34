#include "app/platform.h"

#include "controls/fonts.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#include <imm.h>
#endif

using namespace Qt::StringLiterals;

namespace platform {

void installTranslations(QApplication &app)
{
    const QString path = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *name : {"qtbase_ja", "qt_ja"}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(QString::fromLatin1(name), path))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

void installFontSubstitutes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // The IPA faces shipped in "fonts" beside the program (the Windows
    // package), so that a statement looks the same on every machine that
    // lacks the Windows faces.
    const QDir shipped(QCoreApplication::applicationDirPath() + u"/fonts"_s);
    for (const QString &name : shipped.entryList({u"*.ttf"_s, u"*.otf"_s}, QDir::Files))
        QFontDatabase::addApplicationFont(shipped.filePath(name));
    QFont::insertSubstitutions(fonts::Gothic,
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(fonts::Mincho,
                               {QStringLiteral("IPAPMincho"), QStringLiteral("IPA P明朝"),
                                QStringLiteral("Noto Serif CJK JP")});
}

void installApplicationFont()
{
    installFontSubstitutes();
    // Left to Qt, dialogs take a 9-point Latin face and borrow their kana from
    // a monospaced fallback.
    QApplication::setFont(fonts::gothic(fonts::Application));
}

void SetImeOpen(QWidget *window, bool open)
{
    if (!window)
        return;
#ifdef Q_OS_WIN
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
#else
    window->setAttribute(Qt::WA_InputMethodEnabled, open);
    if (window->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
#endif
}

} // namespace platform
