#pragma once

#include <QImage>

class QIODevice;
class QString;

// Reads the thumbnail that AutoCAD (R13 and later) stores inside a .dwg file.
// Only the few bytes that lead to the image are read, never the drawing itself,
// so the cost does not grow with the size of the drawing.
namespace DwgPreview {

// Largest width or height accepted for a preview; anything larger is damage.
inline constexpr int MaxSide = 4096;

// Decodes the preview of the drawing held by an open, seekable device.
// A null image means the drawing has no preview we can show (old version,
// no image, WMF only, damaged data). The device position is left undefined.
QImage fromDevice(QIODevice &device);

// Same for a local file path (a record's stored path goes through
// DrawingPaths first). Missing paths, folders, blank text and unreadable
// files give a null image.
QImage fromFile(const QString &path);

// Everything that shows a preview (the record window, file managers' thumbnails)
// shows the same pixels: the preview fitted into its box keeping the aspect
// ratio, enlarged or reduced, and scaled smoothly so thin lines stay visible.
QSize fittedSize(const QSize &preview, const QSize &box);
QImage scaled(const QImage &preview, const QSize &size);

} // namespace DwgPreview
