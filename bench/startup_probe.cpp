// Starts the real window on a given data folder as the program does and prints
// "exposed" once it is first shown, after "first-window" once any window of
// it (the progress window of a long start, or the main window) is, and
// "aside-ms" with how long the main file's check and copy took, each counted
// from the start of the process. With --history it then lists the history
// of every registered sheet, as the operator's 読込 on that page does, and
// prints the peak memory of the process.
#include "app/frmpelora.h"
#include "app/platform.h"
#include "app/startup.h"
#include "app/progressdialog.h"
#include "controls.h"
#include "controls/worktablemodel.h"
#include "dataset.h"
#include "probe.h"
#include "yespresenter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <QTabWidget>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

// Announces the first expose of any window of the process.
class FirstWindow : public QObject
{
protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && object->isWindowType()
            && static_cast<QWindow *>(object)->isExposed()) {
            QTextStream(stdout) << "first-window" << Qt::endl;
            QCoreApplication::instance()->removeEventFilter(this);
        }
        return false;
    }
};

// The real progress window, timed from the moment the check begins to its end.
class TimedProgress : public ProgressDialog
{
public:
    QElapsedTimer timer;
    double ms = 0;
    void begin() override
    {
        timer.start();
        ProgressDialog::begin();
    }
    void end() override
    {
        ms = timer.nsecsElapsed() / 1e6;
        ProgressDialog::end();
    }
};

} // namespace

int main(int argc, char *argv[])
{
    bench::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Pelora"_s);
    QApplication::setApplicationVersion(u"1.30"_s);
    platform::installTranslations(app);
    platform::installFontSubstitutes();

    const QStringList args = QApplication::arguments();
    const bool history = args.contains(u"--history"_s);
    const QString folder = args.size() > 1 ? args.last() : QString();
    if (folder.isEmpty() || folder.startsWith(u"--"_s)) {
        QTextStream(stderr) << "usage: pelora_bench_probe [--history] <data folder>" << Qt::endl;
        return 2;
    }

    YesPresenter presenter;
    const Services services{&presenter, nullptr, {}};
    FirstWindow firstWindow;
    app.installEventFilter(&firstWindow);
    TimedProgress progress;
    std::unique_ptr<FrmPelora> window = startPelora(bench::pathsOfFolder(folder), services, nullptr, &progress);
    QTextStream(stdout) << "aside-ms " << progress.ms << Qt::endl;
    if (!window)
        return 1;
    bench::afterFirstExpose(window.get(), [&] {
        if (!history) {
            QTextStream(stdout) << "exposed" << Qt::endl;
            QApplication::exit(0);
            return;
        }
        ui::SSTab1(window.get())->setCurrentIndex(1);
        ui::historyPage(window.get())->Read履歴();
        QCoreApplication::processEvents();
        QTextStream(stdout) << "rows " << ui::dat履歴(window.get())->storedRowCount() << "\npeak-kb "
                            << bench::peakResidentKb() << Qt::endl;
        QApplication::exit(0);
    });
    window->show();
    const int code = app.exec();
    window.reset();
    return code;
}
