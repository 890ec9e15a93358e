#pragma once

#include <QStringList>

#include <functional>

// A thumbnailer for file managers (freedesktop thumbnailer convention):
//   morvo-thumbnailer -s SIZE INPUT OUTPUT.png
// writes the preview that a drawing embeds, fitted into SIZE x SIZE with the
// program's own decoder and scaling, as a PNG. INPUT is a path or a file: URI.
namespace Thumbnailer {
enum Status { Written = 0, NoPreview = 1, Usage = 2 };

// Runs with the arguments after the program's name. On any status but
// Written, nothing has been written to OUTPUT. beforeWriting runs once the
// thumbnail is made, before OUTPUT is written (the program stops its clock).
Status run(const QStringList &arguments, const std::function<void()> &beforeWriting = {});
}
