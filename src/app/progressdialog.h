#pragma once

#include "data/background.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;

// The small window shown while a data file is checked or copied (at start-up,
// or a copy about to be put back), so that work that takes seconds is seen to
// be going on. It appears only once the work has lasted showAfterMs, so that
// quick work goes by without it. It cannot be closed: the work goes on.
class ProgressDialog : public QWidget, public OpenProgress
{
    Q_OBJECT

public:
    static constexpr int ShowAfterMs = 300;
    explicit ProgressDialog(int showAfterMs = ShowAfterMs);

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
