#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// The example drawings delivered with the example catalogue: files that hold
// a preview the way AutoCAD 2018 stores it, and nothing more, so the program's
// list, its thumbnail and a file manager's thumbnails have something to show.
namespace ExampleDrawing {
enum class Sketch { Plan, Elevation, SiteLayout };

// A drawing sheet with a sketch of the given kind and a title block.
QImage preview(Sketch sketch, const QString &jobNumber, const QString &title);
// The bytes of a drawing file whose preview is the given image.
QByteArray file(const QImage &preview);
}
