#include "desktop/WindowSystem.h"

#include "desktop/X11Window.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {
constexpr char ActivationTokenVariable[] = "XDG_ACTIVATION_TOKEN";
constexpr char StartupIdVariable[] = "DESKTOP_STARTUP_ID";
constexpr qsizetype LongestToken = 200;

// A left press on the window's own background (or a label on it) moves it.
class MovesByBackground : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::MouseButtonPress && window && window->windowHandle()
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            window->windowHandle()->startSystemMove();
        return false;
    }
};
}

namespace WindowSystem {

bool isWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool isDesktop()
{
    return isWayland() || QGuiApplication::platformName() == QLatin1String("xcb");
}

bool drawsOutsideMask()
{
    return isWayland() || X11Window::isCompositing();
}

bool placesWindows()
{
    return !isWayland();
}

void makeSmallDialog(QWidget *dialog)
{
    if (!isWayland())
        return;
    // Qt keeps a title bar for a window that asks for a close button.
    dialog->setWindowFlags((dialog->windowFlags() & (Qt::WindowType_Mask | Qt::WindowStaysOnTopHint))
                           | Qt::FramelessWindowHint);
    static MovesByBackground mover;
    dialog->installEventFilter(&mover);
}

QByteArray launchTokenFromEnvironment()
{
    const QByteArray token = qgetenv(ActivationTokenVariable);
    return token.isEmpty() ? qgetenv(StartupIdVariable) : token;
}

QByteArray launchTokenOfNow()
{
    if (isWayland())
        return {};
    const quint32 now = X11Window::serverTime();
    return now ? "MorvoII_TIME" + QByteArray::number(now) : QByteArray();
}

bool isWellFormedToken(const QByteArray &token)
{
    return !token.isEmpty() && token.size() <= LongestToken
        && std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 127; });
}

void bringToFront(QWidget *window, const QByteArray &launchToken)
{
    const bool withToken = isWellFormedToken(launchToken);
    // Qt's Wayland activation takes the token from the environment.
    if (withToken && isWayland())
        qputenv(ActivationTokenVariable, launchToken);
    if (!withToken || isWayland() || !X11Window::activate(window, launchToken))
        window->activateWindow();
}

}
