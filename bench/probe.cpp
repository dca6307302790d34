#include "probe.h"

#include <QFile>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace bench {

namespace {

// Watches the native window for its first expose; the callback is queued so
// that it runs after the widget has handled the expose and painted.
class ExposeWatcher : public QObject
{
public:
    ExposeWatcher(QWindow *window, std::function<void()> then)
        : QObject(window)
        , m_window(window)
        , m_then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (object == m_window && event->type() == QEvent::Expose && m_then) {
            QTimer::singleShot(0, m_window, std::exchange(m_then, {}));
            m_window->removeEventFilter(this);
        }
        return false;
    }

private:
    QWindow *m_window;
    std::function<void()> m_then;
};

} // namespace

qint64 peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    // A /proc file reports no size, so it is read whole rather than line by line.
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

void afterFirstExpose(QWidget *window, std::function<void()> then)
{
    // The native window must exist before show() so the watcher sees its first expose.
    window->winId();
    new ExposeWatcher(window->windowHandle(), std::move(then));
}

void chooseOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_PLATFORMTHEME");
}

} // namespace bench
