#pragma once

#include <QProxyStyle>

// The desktop's own style, with the keyboard focus on a push button shown
// plainly: a ring in the highlight colour just inside the button's edge, not
// a faint shade.
class FocusFrameStyle : public QProxyStyle
{
public:
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};
