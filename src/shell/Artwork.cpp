#include "shell/Artwork.h"

#include <QCursor>
#include <QPixmap>

namespace Artwork {

QCursor handCursor()
{
    return QCursor(QPixmap(QString::fromLatin1(Hand)), HandHotSpot.x(), HandHotSpot.y());
}

} // namespace Artwork
