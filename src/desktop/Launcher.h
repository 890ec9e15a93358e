#pragma once

#include <QUrl>
#include <functional>

// Hands a URL (file, folder, mail link) to the desktop's default program.
// Tests replace the launcher and see the target.
bool LaunchUrl(const QUrl &url);

namespace LauncherSeam {
using Handler = std::function<bool(const QUrl &)>;
void setHandler(Handler handler);
}
