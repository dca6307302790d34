#include "app/progressdialog.h"

#include "app/appinfo.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ProgressDialog::ProgressDialog(int showAfterMs)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_text(new QLabel(this))
    , m_step(new QLabel(this))
    , m_bar(new QProgressBar(this))
{
    setObjectName(u"startupProgress"_s);
    setWindowTitle(appinfo::Caption);
    m_text->setObjectName(u"lbl進行"_s);
    m_step->setObjectName(u"lbl段階"_s);
    m_bar->setObjectName(u"bar進行"_s);
    m_bar->setTextVisible(false);
    m_bar->setMinimumWidth(320);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addWidget(m_step);
    m_showLater.setSingleShot(true);
    m_showLater.setInterval(showAfterMs);
    connect(&m_showLater, &QTimer::timeout, this, &QWidget::show);
    advance(OpenSteps::Phase::Checking, 0, 0);
}

void ProgressDialog::begin()
{
    if (m_showLater.interval() <= 0)
        show();
    else
        m_showLater.start();
}

void ProgressDialog::advance(OpenSteps::Phase phase, int done, int total)
{
    m_text->setText(phase == OpenSteps::Phase::Checking ? u"データを点検しています…"_s
                                                         : u"データの控えを作成しています…"_s);
    // A bar that moves by itself while there is no count to show: a single
    // step (the copy), or the first and longest one (the whole file's check).
    m_bar->setRange(0, total > 1 && done > 0 ? total : 0);
    m_bar->setValue(done);
    m_step->setText(total > 1 ? u"%1 / %2"_s.arg(done).arg(total) : QString());
}

void ProgressDialog::end()
{
    m_showLater.stop();
    hide();
}

void ProgressDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
}
