#include "shell/clsTransForm.h"

#include "desktop/X11Window.h"
#include "files/RegionData.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QList>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

#include <utility>

namespace {

const QString ClassSource = QStringLiteral("TransForm");
constexpr qint32 WrongTargetNumber = qint32(0x800409D0);
const QString WrongTargetDescription =
    QStringLiteral("Must pass in the name of a Form, PictureBox, CommandButton, CheckBox or OptionButton.  "
                   "TransForm ShapeMe method failed.");

// Error numbers a Basic program reports for the same file failures.
constexpr qint32 FileNotFound = 53;
constexpr qint32 DeviceIoError = 57;
constexpr qint32 InputPastEnd = 62;
constexpr qint32 PathFileAccessError = 75;
constexpr qint32 PathNotFound = 76;

// The frame of a button that is cut away whatever its colour.
constexpr int ButtonFrame = 2;

// Colours compare without alpha: a key colour names red, green and blue only.
constexpr QRgb RgbMask = 0x00FFFFFF;

// QWidget takes an empty mask for no mask at all; a mask lying wholly outside the widget hides it.
const QRegion NothingVisible(-1, -1, 1, 1);

enum class TargetKind { Form, PictureBox, Button };

// A maximal stretch of key-coloured pixels in one row, both ends included.
struct Run
{
    qint32 Row;
    qint32 First;
    qint32 Last;
};

std::optional<TargetKind> kindOf(const QWidget *target)
{
    if (!target)
        return std::nullopt;
    if (target->isWindow())
        return TargetKind::Form;
    if (const auto *label = qobject_cast<const QLabel *>(target); label && !label->pixmap().isNull())
        return TargetKind::PictureBox;
    if (qobject_cast<const QPushButton *>(target) || qobject_cast<const QCheckBox *>(target)
        || qobject_cast<const QRadioButton *>(target))
        return TargetKind::Button;
    return std::nullopt;
}

// A raised button face is a gradient in Qt's styles; only a flat face shows one colour.
void showKeyColouredFace(QAbstractButton *button, QRgb keyColor)
{
    button->setText(QString());
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, QColor::fromRgb(keyColor));
    palette.setColor(QPalette::Window, QColor::fromRgb(keyColor));
    button->setPalette(palette);
    button->setAutoFillBackground(true);
    if (auto *pushButton = qobject_cast<QPushButton *>(button))
        pushButton->setFlat(true);
}

// The widget's own drawing without its children, whatever mask it has now: the surface a form
// keeps its picture on holds neither the controls on it nor the window's current shape.
QImage renderingOf(QWidget *target)
{
    QImage image(target->size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    target->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::IgnoreMask);
    return image;
}

QImage pictureOf(QWidget *target, TargetKind kind)
{
    if (kind == TargetKind::PictureBox)
        return static_cast<QLabel *>(target)->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    return renderingOf(target);
}

// Reads every position from (0, 0) to (width, height) inclusive. The last column and row lie
// beyond the picture and read as no colour, so each run is closed in the row it began in.
QList<Run> scanRuns(const QImage &picture, qint32 width, qint32 height, QRgb keyColor)
{
    const qint32 readableWidth = qMin(width, qint32(picture.width()));
    const qint32 readableHeight = qMin(height, qint32(picture.height()));
    const QRgb key = keyColor & RgbMask;
    QList<Run> runs;
    bool inRun = false; // not reset per row: the read beyond each row already closes any run
    Run open{};
    for (qint32 y = 0; y <= height; ++y) {
        const auto *line = y < readableHeight ? reinterpret_cast<const QRgb *>(picture.constScanLine(y)) : nullptr;
        for (qint32 x = 0; x <= width; ++x) {
            const bool isKey = line && x < readableWidth && (line[x] & RgbMask) == key;
            if (isKey && inRun) {
                open.Last = x;
            } else if (isKey) {
                open = {y, x, x};
                inRun = true;
            } else if (inRun) {
                runs.append(open);
                inRun = false;
            }
        }
    }
    return runs;
}

using Spans = QList<std::pair<int, int>>; // left and right column, both included

// The kept spans of one row of the base rectangle: the gaps between the row's runs.
// Advances run past the runs of that row.
Spans keptSpans(const QRect &base, int row, QList<Run>::const_iterator &run, QList<Run>::const_iterator end)
{
    Spans spans;
    int next = base.left();
    for (; run != end && run->Row == row; ++run) {
        const int first = qMax(int(run->First), base.left());
        const int last = qMin(int(run->Last), base.right());
        if (first > last)
            continue;
        if (first > next)
            spans.append({next, first - 1});
        next = last + 1;
    }
    if (next <= base.right())
        spans.append({next, base.right()});
    return spans;
}

// The base rectangle less every run, the same set as subtracting the runs one by one, built in
// one pass as the y-x banded rectangles QRegion keeps: consecutive rows with the same spans
// share one band.
QRegion keptRegion(const QRect &base, const QList<Run> &runs)
{
    QList<QRect> rects;
    Spans bandSpans;
    int bandTop = base.top();
    const auto closeBand = [&](int bottom) {
        for (const auto &[left, right] : std::as_const(bandSpans))
            rects.append(QRect(QPoint(left, bandTop), QPoint(right, bottom)));
    };
    auto run = runs.cbegin();
    for (int row = base.top(); row <= base.bottom(); ++row) {
        while (run != runs.cend() && run->Row < row)
            ++run;
        Spans rowSpans = keptSpans(base, row, run, runs.cend());
        if (rowSpans != bandSpans) {
            closeBand(row - 1);
            bandSpans = std::move(rowSpans);
            bandTop = row;
        }
    }
    closeBand(base.bottom());
    QRegion region;
    region.setRects(rects.constData(), int(rects.size()));
    return region;
}

// A rectangle from two corners in either order, right and bottom exclusive, as CreateRectRgn takes them.
QRect rectFromCorners(int left, int top, int right, int bottom)
{
    return QRect(QPoint(qMin(left, right), qMin(top, bottom)), QPoint(qMax(left, right) - 1, qMax(top, bottom) - 1));
}

void applyRegion(QWidget *target, const std::optional<QRegion> &region)
{
    if (!region)
        target->clearMask();
    else if (region->isEmpty())
        target->setMask(NothingVisible);
    else
        target->setMask(*region);
}

qint32 openErrorNumber(const QString &path)
{
    const QFileInfo file(path);
    if (file.exists())
        return PathFileAccessError;
    return file.absoluteDir().exists() ? FileNotFound : PathNotFound;
}

TransFormError fileError(const QFile &file, const QString &source)
{
    const qint32 number = file.error() == QFileDevice::OpenError ? openErrorNumber(file.fileName()) : DeviceIoError;
    return {number, source, file.errorString()};
}

QString loadErrorSource()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".cDIBSectionRegion");
}

// Moves a window with the mouse while the left button stays down, for window managers that
// offer no move of their own. Driven by the mouse events, so whoever starts it returns at once.
// A real event reaches the native window and then the widget under the mouse; both carry the
// same global position, so moving twice to it is harmless.
class ManualWindowMove : public QObject
{
public:
    ManualWindowMove(QWidget *window, QPoint grabOffset) : QObject(window), window(window), grabOffset(grabOffset)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if ((event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonRelease)
            || !isInWindow(receiver))
            return false;
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        if (mouse->buttons() & Qt::LeftButton) {
            window->move(mouse->globalPosition().toPoint() - grabOffset);
        } else { // released, or the release went elsewhere
            qApp->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    bool isInWindow(const QObject *receiver) const
    {
        if (receiver == window->windowHandle())
            return true;
        const auto *widget = qobject_cast<const QWidget *>(receiver);
        return widget && widget->window() == window;
    }

    QWidget *window; // the parent, so it outlives this object
    QPoint grabOffset;
};

} // namespace

clsTransForm::~clsTransForm()
{
    delete manualMove;
}

void clsTransForm::ShapeMe(QWidget *Target, QRgb KeyColor, bool LoadFromFile, const QString &RegionFile)
{
    TargetObject = Target;
    const std::optional<TargetKind> kind = kindOf(Target);
    if (!kind)
        throw TransFormError{WrongTargetNumber, ClassSource, WrongTargetDescription};

    if (*kind == TargetKind::Button)
        showKeyColouredFace(static_cast<QAbstractButton *>(Target), KeyColor);
    PrepareTarget(Target);

    std::optional<QRegion> region;
    if (!RegionFile.isEmpty() && LoadFromFile) {
        region = LoadRegionDataFromFile(RegionFile);
        RegionHandle = region.value_or(QRegion());
    } else {
        const int frame = *kind == TargetKind::Button ? ButtonFrame : 0;
        const QRect base = rectFromCorners(frame, frame, TargetWidth - frame, TargetHeight - frame);
        region = keptRegion(base, scanRuns(pictureOf(Target, *kind), TargetWidth, TargetHeight, KeyColor));
        RegionHandle = *region;
        if (!RegionFile.isEmpty())
            SaveRegionDataToFile(RegionFile);
    }
    applyRegion(Target, region);
}

void clsTransForm::DragForm(QWidget *window, int Button)
{
    constexpr int LeftButton = 1;
    if (Button != LeftButton || !window)
        return;
    QWidget *topLevel = window->window();
    QWindow *handle = topLevel->windowHandle();
    // Under X the request carries the pointer's position as the server knows
    // it: Qt's own request maps the last pointer position with the window
    // position it last heard of, and the window jumped by the difference.
    if (!handle || X11Window::startMove(topLevel) || handle->startSystemMove())
        return;
    delete manualMove;
    manualMove = new ManualWindowMove(topLevel, QCursor::pos() - topLevel->pos());
}

void clsTransForm::PrepareTarget(const QWidget *target)
{
    TargetHeight = target->height();
    TargetWidth = target->width();
}

void clsTransForm::SaveRegionDataToFile(const QString &FileName) const
{
    const QByteArray bytes = RegionData::toRgnData(RegionHandle);
    QFile file(FileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        throw fileError(file, ClassSource);
}

std::optional<QRegion> clsTransForm::LoadRegionDataFromFile(const QString &FileName) const
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(file, loadErrorSource());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw fileError(file, loadErrorSource());
    if (bytes.isEmpty())
        throw TransFormError{InputPastEnd, loadErrorSource(), QStringLiteral("Input past end of file")};
    return RegionData::fromRgnData(bytes);
}
