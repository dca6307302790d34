#include "app/platform.h"

#include "controls/fonts.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

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

} // namespace platform
