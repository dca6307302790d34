#pragma once

#include "data/aside.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;

// The small window start-up shows while it checks or copies the main file,
// so that a start that takes seconds is seen to be working. It appears only
// once the work has lasted showAfterMs, so that a quick start goes straight to
// the main window. It cannot be closed: start-up goes on when the work ends.
class StartupProgressDialog : public QWidget, public OpenProgress
{
    Q_OBJECT

public:
    static constexpr int ShowAfterMs = 300;
    explicit StartupProgressDialog(int showAfterMs = ShowAfterMs);

    void begin() override;
    void advance(OpenSteps::Phase phase, int done, int total) override;
    void end() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *m_text;
    QLabel *m_step;
    QProgressBar *m_bar;
    QTimer m_showLater;
};
