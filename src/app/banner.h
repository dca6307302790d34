#pragma once

#include <QLabel>

// The maker's banner (553 by 67 pixels, drawn here rather than shipped as a
// bitmap); a click or Enter/Space on it asks to open the maker's home page.
class Banner : public QLabel
{
    Q_OBJECT
public:
    explicit Banner(QWidget *parent = nullptr);
    static QPixmap picture(qreal devicePixelRatio = 1.0);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
