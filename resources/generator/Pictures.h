#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Every picture the generator writes: its file name, how it is drawn and what
// must hold for it.
struct Picture
{
    QString fileName;
    std::function<QImage()> paint;
    std::function<QStringList(const QImage &)> problems;
};

QList<Picture> allPictures();
