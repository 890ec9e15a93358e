#include "desktop/WindowSystem.h"

#include "desktop/X11Window.h"

#include <QGuiApplication>
#include <QWidget>

#include <algorithm>

namespace {
constexpr char ActivationTokenVariable[] = "XDG_ACTIVATION_TOKEN";
constexpr char StartupIdVariable[] = "DESKTOP_STARTUP_ID";
constexpr qsizetype LongestToken = 200;
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
