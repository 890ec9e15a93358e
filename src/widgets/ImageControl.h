#pragma once

#include <QLabel>

// A picture on a window that reacts to the mouse, standing in for an image
// control: a click, and presses and moves with the button code of the press
// (1 left, 2 right, 4 middle).
class ImageControl : public QLabel
{
    Q_OBJECT
public:
    explicit ImageControl(QWidget *parent = nullptr);

    void setPicture(const QPixmap &picture);
    QPixmap picture() const { return picture_; }

    static int buttonCode(Qt::MouseButtons buttons);
    // Something listens to its clicks: to a screen reader it is a button.
    bool isClickable() const;

signals:
    void clicked();
    void mousePressed(int button, QPoint position);
    void mouseMoved(int button, QPoint position);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QPixmap picture_;
    bool pressedInside_ = false;
};
