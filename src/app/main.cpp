#include "app/frmpelora.h"
#include "app/platform.h"
#include "app/startup.h"
#include "messages/consolepresenter.h"
#include "messages/messageboxpresenter.h"
#include "history/exportchooser.h"
#include "report/pdfchooser.h"
#include "report/previewoutput.h"
#include "settings/folderchooser.h"

#include <QApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QSettings>
#include <QUrl>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelora"));
    QApplication::setApplicationVersion(QStringLiteral("1.30"));
    QGuiApplication::setDesktopFileName(QStringLiteral("pelora"));
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/icons/pelora-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    platform::installTranslations(app);
    platform::installApplicationFont();

    MessageBoxPresenter dialogs;
    // PELORA_NO_DIALOGS: a start-up refusal goes to stderr for unattended runs.
    // It covers nothing else: every question of the running window is the operator's.
    ConsolePresenter console;
    MessagePresenter *startupMessages = qEnvironmentVariableIsSet("PELORA_NO_DIALOGS")
        ? static_cast<MessagePresenter *>(&console) : &dialogs;
    PdfFileDialog pdfChooser;
    PreviewOutput statementOutput(dialogs, &pdfChooser);
    FileDialogChooser exportChooser;
    FolderDialog folderChooser;
    // The user's own settings: the registry on Windows, ~/.config on Linux.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("VORMAK"),
                       QStringLiteral("Pelora"));
    Services services{&dialogs, &statementOutput,
                      [](const QUrl &url) { return QDesktopServices::openUrl(url); }, &exportChooser,
                      &folderChooser, &settings};

    const std::optional<DataPaths> paths = settleDataFolder(platform::programPlace(), settings, startupMessages);
    if (!paths)
        return 1;
    std::unique_ptr<FrmPelora> window = startPelora(*paths, services, startupMessages);
    if (!window)
        return 1;
    window->show();
    return app.exec();
}
