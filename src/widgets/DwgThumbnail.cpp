#include "widgets/DwgThumbnail.h"

#include "files/BlockingPool.h"
#include "files/DwgPreview.h"
#include "program/Background.h"
#include "widgets/AccessibleControls.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QThreadPool>

namespace {

const QString NoPreviewText = QStringLiteral("No preview");

} // namespace

DwgThumbnail::DwgThumbnail(QWidget *parent) : QWidget(parent), latestRequest_(std::make_shared<std::atomic<quint64>>(0))
{
    AccessibleControls::install();
}

QString DwgThumbnail::shownDrawingName() const
{
    // Drawing paths may be Windows paths: either separator ends a folder.
    return shownDrawing_.mid(qMax(shownDrawing_.lastIndexOf(u'/'), shownDrawing_.lastIndexOf(u'\\')) + 1);
}

QString DwgThumbnail::DwgFileName() const
{
    return fileName_;
}

void DwgThumbnail::setDwgFileName(const QString &fileName)
{
    fileName_ = fileName;
    resolvedFileName_.clear();
}

bool DwgThumbnail::hasPreview() const
{
    return !preview_.isNull();
}

QImage DwgThumbnail::previewImage() const
{
    return preview_;
}

void DwgThumbnail::setPathResolver(std::function<QString(const QString &)> resolve)
{
    resolve_ = std::move(resolve);
}

void DwgThumbnail::Refresh()
{
    const quint64 generation = ++*latestRequest_;
    runInBackground(
        blockingPool(BlockingWork::PreviewDecoding), this,
        [latest = latestRequest_, generation, fileName = fileName_, resolve = resolve_] {
            if (*latest != generation)
                return Loaded{};
            const QString file = resolve ? resolve(fileName) : fileName;
            return Loaded{DwgPreview::fromFile(file), file, fileName};
        },
        [this, generation](const Loaded &loaded) { applyPreview(generation, loaded); });
    emit refreshed();
}

void DwgThumbnail::applyPreview(quint64 generation, const Loaded &loaded)
{
    if (generation != *latestRequest_)
        return;
    if (loaded.requested == fileName_)
        resolvedFileName_ = loaded.file;
    preview_ = loaded.image;
    scaledPreview_ = QPixmap();
    shownDrawing_ = loaded.requested;
    update();
    // A screen reader names the picture after the drawing it shows.
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    emit previewReady();
}

void DwgThumbnail::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (preview_.isNull())
        paintNoPreview(painter);
    else
        paintPreview(painter);
}

void DwgThumbnail::paintPreview(QPainter &painter)
{
    const QSize target = DwgPreview::fittedSize(preview_.size(), size());
    if (target.isEmpty())
        return;
    const qreal ratio = devicePixelRatioF();
    if (scaledPreview_.deviceIndependentSize().toSize() != target) {
        scaledPreview_ = QPixmap::fromImage(DwgPreview::scaled(preview_, target * ratio));
        scaledPreview_.setDevicePixelRatio(ratio);
    }
    const QPoint topLeft((width() - target.width()) / 2, (height() - target.height()) / 2);
    painter.drawPixmap(topLeft, scaledPreview_);
}

// A light frame with a small drawing-sheet glyph above the words "No preview".
void DwgThumbnail::paintNoPreview(QPainter &painter) const
{
    const QColor frameColour = palette().color(QPalette::Midlight);
    const QColor inkColour = palette().color(QPalette::Mid);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(frameColour, 1));
    painter.drawRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5));

    const QFontMetrics metrics(font());
    const qreal sheetHeight = qMax(12.0, qMin(width(), height()) * 0.3);
    const qreal sheetWidth = sheetHeight * 0.75;
    const qreal fold = sheetWidth * 0.3;
    const qreal blockHeight = sheetHeight + metrics.height() * 1.5;
    const QPointF origin((width() - sheetWidth) / 2, (height() - blockHeight) / 2);

    QPainterPath sheet;
    sheet.moveTo(origin);
    sheet.lineTo(origin + QPointF(sheetWidth - fold, 0));
    sheet.lineTo(origin + QPointF(sheetWidth, fold));
    sheet.lineTo(origin + QPointF(sheetWidth, sheetHeight));
    sheet.lineTo(origin + QPointF(0, sheetHeight));
    sheet.closeSubpath();
    sheet.moveTo(origin + QPointF(sheetWidth - fold, 0));
    sheet.lineTo(origin + QPointF(sheetWidth - fold, fold));
    sheet.lineTo(origin + QPointF(sheetWidth, fold));
    // A few strokes stand for the drawing on the sheet.
    sheet.moveTo(origin + QPointF(sheetWidth * 0.2, sheetHeight * 0.75));
    sheet.lineTo(origin + QPointF(sheetWidth * 0.5, sheetHeight * 0.45));
    sheet.lineTo(origin + QPointF(sheetWidth * 0.8, sheetHeight * 0.75));
    painter.setPen(QPen(inkColour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(sheet);

    const QRectF textArea(0, origin.y() + sheetHeight + metrics.height() * 0.5, width(), metrics.height());
    painter.drawText(textArea, Qt::AlignHCenter | Qt::AlignTop, NoPreviewText);
}

void DwgThumbnail::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit DblClick();
    QWidget::mouseDoubleClickEvent(event);
}
