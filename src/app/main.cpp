#include "app/frmpelora.h"
#include "app/platform.h"
#include "app/startup.h"
#include "messages/consolepresenter.h"
#include "messages/messageboxpresenter.h"
#include "report/previewoutput.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelora"));
    QApplication::setApplicationVersion(QStringLiteral("1.30"));
    platform::installTranslations(app);
    platform::installApplicationFont();

    MessageBoxPresenter dialogs;
    ConsolePresenter console; // PELORA_NO_DIALOGS: unattended runs get stderr, not a dialog no one answers
    MessagePresenter *presenter = qEnvironmentVariableIsSet("PELORA_NO_DIALOGS")
        ? static_cast<MessagePresenter *>(&console) : &dialogs;
    PreviewOutput statementOutput;
    Services services{presenter, &statementOutput,
                      [](const QUrl &url) { QDesktopServices::openUrl(url); }};

    std::unique_ptr<FrmPelora> window = startPelora(dataPathsForThisProgram(), services);
    if (!window)
        return 1;
    window->show();
    return app.exec();
}
