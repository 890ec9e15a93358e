#include "shell/Artwork.h"

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace Artwork {

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
