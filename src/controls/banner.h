#pragma once

#include <QAbstractButton>

// The maker's banner (553 by 67 pixels, drawn here rather than shipped as a
// bitmap): a button, so a click, Space or Enter on it (and any accessibility
// tool) asks to open the maker's home page.
class Banner : public QAbstractButton
{
    Q_OBJECT
public:
    explicit Banner(QWidget *parent = nullptr);
    static QPixmap picture(qreal devicePixelRatio = 1.0);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
