#include "widgets/ImageControl.h"

#include "widgets/AccessibleControls.h"

#include <QMetaMethod>
#include <QMouseEvent>

ImageControl::ImageControl(QWidget *parent) : QLabel(parent)
{
    AccessibleControls::install();
    setAttribute(Qt::WA_TranslucentBackground);
    setScaledContents(true);
}

void ImageControl::setPicture(const QPixmap &picture)
{
    picture_ = picture;
    setPixmap(picture);
}

bool ImageControl::isClickable() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&ImageControl::clicked));
}

int ImageControl::buttonCode(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0)
        | (buttons & Qt::MiddleButton ? 4 : 0);
}

void ImageControl::mousePressEvent(QMouseEvent *event)
{
    pressedInside_ = event->button() == Qt::LeftButton;
    emit mousePressed(buttonCode(event->button()), event->position().toPoint());
}

void ImageControl::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a left press and release over the picture.
    const bool click =
        pressedInside_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressedInside_ = false;
    if (click)
        emit clicked();
}

void ImageControl::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(buttonCode(event->buttons()), event->position().toPoint());
}
