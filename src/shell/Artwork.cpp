#include "shell/Artwork.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace Artwork {

QPixmap picture(const char *resourcePath)
{
    if (qGuiApp && qGuiApp->devicePixelRatio() > 1.0) {
        QPixmap twice(atTwice(resourcePath));
        if (!twice.isNull()) {
            twice.setDevicePixelRatio(2);
            return twice;
        }
    }
    return QPixmap(QString::fromLatin1(resourcePath));
}

QPixmap withoutKey(const QPixmap &picture, QRgb key)
{
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & RGB_MASK) == (key & RGB_MASK))
                line[x] = 0;
        }
    }
    QPixmap keyed = QPixmap::fromImage(image);
    keyed.setDevicePixelRatio(picture.devicePixelRatio());
    return keyed;
}

QCursor handCursor()
{
    return QCursor(QPixmap(QString::fromLatin1(Hand)), HandHotSpot.x(), HandHotSpot.y());
}

QIcon appIcon()
{
    QIcon icon;
    icon.addFile(QString::fromLatin1(App));
    icon.addFile(QString::fromLatin1(App64));
    return icon;
}

} // namespace Artwork
