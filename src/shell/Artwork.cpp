#include "shell/Artwork.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
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
