#include "app/frmpelora.h"
#include "app/platform.h"
#include "app/startup.h"
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
    platform::installFontSubstitutes();

    MessageBoxPresenter presenter;
    PreviewOutput statementOutput;
    Services services{&presenter, &statementOutput,
                      [](const QUrl &url) { QDesktopServices::openUrl(url); }};

    std::unique_ptr<FrmPelora> window = startPelora(dataPathsForThisProgram(), services);
    if (!window)
        return 1;
    window->show();
    return app.exec();
}
