#include "desktop/Launcher.h"

#include <QDesktopServices>

namespace {
LauncherSeam::Handler &handler()
{
    static LauncherSeam::Handler current;
    return current;
}
}

bool LaunchUrl(const QUrl &url)
{
    return handler() ? handler()(url) : QDesktopServices::openUrl(url);
}

void LauncherSeam::setHandler(Handler replacement)
{
    handler() = std::move(replacement);
}
