#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

class QPainter;
class QRectF;

// Every picture the generator writes: its file name, how it is drawn and what
// must hold for it.
struct Picture
{
    QString fileName;
    std::function<QImage()> paint;
    std::function<QStringList(const QImage &)> problems;
};

QList<Picture> allPictures();

// Pictures written as SVG, for the desktop's icon theme where it scales icons:
// the same painting as the pixel pictures, recorded as vectors.
struct VectorPicture
{
    QString fileName;
    QSize size;
    std::function<void(QPainter &, const QRectF &)> paint;
};

QList<VectorPicture> allVectorPictures();
