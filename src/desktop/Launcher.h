#pragma once

#include "program/Seam.h"

#include <QUrl>

// Hands a URL (file, folder, mail link) to the desktop's default program.
// Tests replace the launcher and see the target.
bool LaunchUrl(const QUrl &url);

using LauncherSeam = Seam<struct LauncherTag, bool(const QUrl &)>;
