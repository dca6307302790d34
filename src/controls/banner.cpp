#include "controls/banner.h"

#include "controls/fonts.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

Banner::Banner(QWidget *parent)
    : QAbstractButton(parent)
{
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(QStringLiteral("VORMAK のホームページを開きます"));
}

QPixmap Banner::picture(qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(553, 67) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 553, 0);
    sky.setColorAt(0, QColor(22, 64, 122));
    sky.setColorAt(1, QColor(60, 130, 190));
    p.fillRect(QRect(0, 0, 553, 67), sky);

    // A clock face: the program counts hours.
    p.setPen(QPen(QColor(255, 255, 255), 3));
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(QPointF(36, 33.5), 22, 22);
    p.drawLine(QPointF(36, 33.5), QPointF(36, 18));
    p.drawLine(QPointF(36, 33.5), QPointF(47, 38));

    QFont title(fonts::Gothic);
    title.setPixelSize(30);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(70, 4, 200, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Pelora"));

    QFont sub(fonts::Gothic);
    sub.setPixelSize(13);
    p.setFont(sub);
    p.setPen(QColor(220, 232, 245));
    p.drawText(QRect(72, 42, 300, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("パート・アルバイトの時給計算と給与明細"));

    p.setPen(QColor(255, 255, 255, 70));
    p.drawLine(380, 10, 380, 57);
    QFont maker(fonts::Gothic);
    maker.setPixelSize(22);
    maker.setBold(true);
    p.setFont(maker);
    p.setPen(Qt::white);
    p.drawText(QRect(390, 6, 155, 32), Qt::AlignCenter, QStringLiteral("VORMAK"));
    p.setFont(sub);
    p.setPen(QColor(255, 236, 150));
    p.drawText(QRect(390, 38, 155, 22), Qt::AlignCenter, QStringLiteral("フリー掲示板 ▶"));
    p.setPen(QColor(10, 40, 80));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 552, 66));
    return pixmap;
}

QSize Banner::sizeHint() const
{
    return {553, 67};
}

void Banner::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(0, 0, picture(devicePixelRatioF()));
    if (hasFocus()) {
        p.setPen(QPen(QColor(255, 236, 150), 2, Qt::DotLine));
        p.drawRect(QRectF(2, 2, width() - 4, height() - 4));
    }
}

void Banner::keyPressEvent(QKeyEvent *event)
{
    // Space is the button's own; Enter opens the page too, as on the other buttons.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
