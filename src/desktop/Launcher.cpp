#include "desktop/Launcher.h"

#include <QDesktopServices>

bool LaunchUrl(const QUrl &url)
{
    const auto &handler = LauncherSeam::handler();
    return handler ? handler(url) : QDesktopServices::openUrl(url);
}
