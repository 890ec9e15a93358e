#pragma once

#include <QImage>

class QPainter;
class QRectF;

// The application's mark: a drawing sheet with a compass tracing an arc.
void paintAppMark(QPainter &painter, const QRectF &target);

QImage appIcon(int size);
// The placeholder window's icon: the mark with a small minimize badge.
QImage placeholderIcon(int size);
