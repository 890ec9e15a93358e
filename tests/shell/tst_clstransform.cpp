#include "files/RegionData.h"
#include "shell/clsTransForm.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <memory>

namespace {

constexpr QRgb Key = qRgb(255, 0, 255);
constexpr QRgb Opaque = qRgb(40, 90, 160);
const QString WrongTargetDescription =
    QStringLiteral("Must pass in the name of a Form, PictureBox, CommandButton, CheckBox or OptionButton.  "
                   "TransForm ShapeMe method failed.");
const QString LoadSource = QStringLiteral("tst_clstransform.cDIBSectionRegion");

QImage pictureWithKeyAreas(QSize size, const QList<QRect> &keyAreas)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Opaque);
    QPainter painter(&image);
    for (const QRect &area : keyAreas)
        painter.fillRect(area, QColor::fromRgb(Key));
    return image;
}

enum class Path { Form, PictureBox };

// A shapeable widget showing the picture, and the widget that owns it.
struct Target
{
    std::unique_ptr<QWidget> owner;
    QWidget *widget;
};

// A form shows the picture as its background; a picture box is a label on a form.
Target targetShowing(Path path, const QImage &image)
{
    const QPixmap pixmap = QPixmap::fromImage(image);
    auto form = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
    if (path == Path::Form) {
        form->resize(image.size());
        QPalette palette = form->palette();
        palette.setBrush(QPalette::Window, pixmap);
        form->setPalette(palette);
        QWidget *widget = form.get();
        return {std::move(form), widget};
    }
    form->resize(image.size() + QSize(20, 20));
    auto *label = new QLabel(form.get());
    label->setPixmap(pixmap);
    label->setGeometry(QRect(QPoint(10, 10), image.size()));
    return {std::move(form), label};
}

// The pixels of the area that are not key-coloured, pixel by pixel.
QRegion nonKeyPixels(const QImage &image, const QRect &area)
{
    QRegion region(area);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (Key & 0xFFFFFF))
                region -= QRect(x, y, 1, 1);
    return region;
}

// An empty mask means no mask to QWidget, so an empty region must show as a mask beside the widget.
bool showsNothing(const QWidget *widget)
{
    return !widget->mask().isEmpty() && !widget->mask().intersects(widget->rect());
}

QImage renderingOf(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_RGB32);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::IgnoreMask);
    return image;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Calls DragForm from its press handler, the way a drag strip does.
class DragStrip : public QWidget
{
public:
    DragStrip(clsTransForm &transform, QWidget *parent) : QWidget(parent), transform(transform) {}

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        const int buttonCode = event->button() == Qt::LeftButton ? 1 : event->button() == Qt::RightButton ? 2 : 4;
        transform.DragForm(window(), buttonCode);
    }

private:
    clsTransForm &transform;
};

} // namespace

Q_DECLARE_METATYPE(Path)
Q_DECLARE_METATYPE(std::function<QWidget *(QWidget *)>)

class tst_clsTransForm : public QObject
{
    Q_OBJECT

private slots:
    void cutsKeyPixelsAway_data();
    void cutsKeyPixelsAway();
    void matchesPixelByPixelDefinition_data();
    void matchesPixelByPixelDefinition();
    void buttonsLoseTheirFrame_data();
    void buttonsLoseTheirFrame();
    void topLevelButtonIsShapedAsForm();
    void refusesOtherWidgetsUntouched_data();
    void refusesOtherWidgetsUntouched();
    void refusesNoTarget();

    void emptyFileNameTouchesNoFile_data();
    void emptyFileNameTouchesNoFile();
    void savedRegionLoadsWithoutReadingPixels();
    void saveReplacesLongerFile();
    void saveFailureLeavesWindowUnshaped_data();
    void saveFailureLeavesWindowUnshaped();
    void loadFailureKeepsOldShape_data();
    void loadFailureKeepsOldShape();
    void invalidRegionBytesUnshapeWindow();
    void emptyRegionFileHidesWindow();

    void skinSizedFormShapesQuickly();

    void leftPressDragsWindowUntilRelease();
    void otherButtonsDoNotDrag();
};

void tst_clsTransForm::cutsKeyPixelsAway_data()
{
    QTest::addColumn<Path>("path");
    QTest::addColumn<QList<QRect>>("keyAreas");
    QTest::addColumn<QRegion>("expected");

    const QRect whole(0, 0, 6, 4);
    struct Case
    {
        const char *name;
        QList<QRect> keyAreas;
        QRegion expected;
    };
    const Case cases[] = {
        {"no key pixel: whole rectangle", {}, whole},
        {"all key: empty", {whole}, QRegion()},
        {"one key pixel", {QRect(2, 1, 1, 1)}, QRegion(whole).subtracted(QRect(2, 1, 1, 1))},
        {"run reaching the row's last pixel",
         {QRect(3, 2, 3, 1)},
         QRegion(0, 0, 6, 2).united(QRect(0, 2, 3, 1)).united(QRect(0, 3, 6, 1))},
        {"two runs split by one opaque pixel",
         {QRect(1, 0, 2, 1), QRect(4, 0, 2, 1)},
         QRegion(0, 0, 1, 1).united(QRect(3, 0, 1, 1)).united(QRect(0, 1, 6, 3))},
        {"run at a row's end, run at the next row's start",
         {QRect(4, 0, 2, 1), QRect(0, 1, 2, 1)},
         QRegion(0, 0, 4, 1).united(QRect(2, 1, 4, 1)).united(QRect(0, 2, 6, 2))},
        {"last row and last column", {QRect(5, 0, 1, 4), QRect(0, 3, 6, 1)}, QRegion(0, 0, 5, 3)},
    };
    for (Path path : {Path::Form, Path::PictureBox})
        for (const Case &c : cases)
            QTest::addRow("%s: %s", path == Path::Form ? "form" : "picture box", c.name)
                << path << c.keyAreas << c.expected;
}

void tst_clsTransForm::cutsKeyPixelsAway()
{
    QFETCH(Path, path);
    QFETCH(QList<QRect>, keyAreas);
    QFETCH(QRegion, expected);

    const Target target = targetShowing(path, pictureWithKeyAreas(QSize(6, 4), keyAreas));
    clsTransForm transform;
    transform.ShapeMe(target.widget, Key, false, QString());

    QCOMPARE(transform.TargetObject.data(), target.widget);
    QCOMPARE(transform.TargetWidth, 6);
    QCOMPARE(transform.TargetHeight, 4);
    QCOMPARE(transform.RegionHandle, expected);
    if (expected.isEmpty())
        QVERIFY(showsNothing(target.widget));
    else
        QCOMPARE(target.widget->mask(), expected);
}

void tst_clsTransForm::matchesPixelByPixelDefinition_data()
{
    QTest::addColumn<Path>("path");
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 20; ++seed) {
        QTest::addRow("form, seed %u", seed) << Path::Form << seed;
        QTest::addRow("picture box, seed %u", seed) << Path::PictureBox << seed;
    }
}

// Blobs and single pixels of key colour in random places, against the plain definition.
void tst_clsTransForm::matchesPixelByPixelDefinition()
{
    QFETCH(Path, path);
    QFETCH(quint32, seed);

    QRandomGenerator random(seed);
    const QSize size(random.bounded(1, 40), random.bounded(1, 30));
    QList<QRect> keyAreas;
    for (int i = random.bounded(0, 25); i > 0; --i)
        keyAreas.append(QRect(random.bounded(-3, size.width()), random.bounded(-3, size.height()),
                              random.bounded(1, 12), random.bounded(1, 6)));
    const QImage picture = pictureWithKeyAreas(size, keyAreas);

    const Target target = targetShowing(path, picture);
    clsTransForm transform;
    transform.ShapeMe(target.widget, Key, false, QString());
    QCOMPARE(transform.RegionHandle, nonKeyPixels(picture, picture.rect()));
}

void tst_clsTransForm::buttonsLoseTheirFrame_data()
{
    QTest::addColumn<std::function<QWidget *(QWidget *)>>("make");
    QTest::newRow("push button with an icon") << std::function<QWidget *(QWidget *)>([](QWidget *parent) {
        auto *button = new QPushButton(QStringLiteral("Caption"), parent);
        QPixmap icon(60, 24);
        icon.fill(Qt::red);
        button->setIcon(icon);
        button->setIconSize(icon.size());
        return button;
    });
    QTest::newRow("check box") << std::function<QWidget *(QWidget *)>(
        [](QWidget *parent) { return new QCheckBox(QStringLiteral("Caption"), parent); });
    QTest::newRow("radio button") << std::function<QWidget *(QWidget *)>(
        [](QWidget *parent) { return new QRadioButton(QStringLiteral("Caption"), parent); });
}

// The face turns key-coloured, so what stays is the icon or the indicator, never the outer 2 pixels.
void tst_clsTransForm::buttonsLoseTheirFrame()
{
    QFETCH(std::function<QWidget *(QWidget *)>, make);
    QWidget form;
    auto *button = static_cast<QAbstractButton *>(make(&form));
    button->setGeometry(5, 5, 60, 24);

    clsTransForm transform;
    transform.ShapeMe(button, Key, false, QString());

    QCOMPARE(button->text(), QString());
    QCOMPARE(button->palette().color(button->backgroundRole()).rgb(), Key);
    const QRect base(2, 2, 56, 20);
    const QImage face = renderingOf(button);
    const QRegion frame = QRegion(button->rect()).subtracted(base);
    QVERIFY2(!nonKeyPixels(face, button->rect()).intersected(frame).isEmpty(),
             "the frame shows something besides the key");
    QVERIFY(!transform.RegionHandle.intersects(frame));
    QVERIFY(!transform.RegionHandle.isEmpty());
    QCOMPARE(transform.RegionHandle, nonKeyPixels(face, base));
    QCOMPARE(button->mask(), transform.RegionHandle);
}

void tst_clsTransForm::topLevelButtonIsShapedAsForm()
{
    QPushButton button(QStringLiteral("Caption"));
    button.resize(60, 24);
    clsTransForm transform;
    transform.ShapeMe(&button, Key, false, QString());
    QCOMPARE(button.text(), QStringLiteral("Caption"));
    QCOMPARE(transform.RegionHandle, QRegion(0, 0, 60, 24));
}

void tst_clsTransForm::refusesOtherWidgetsUntouched_data()
{
    QTest::addColumn<std::function<QWidget *(QWidget *)>>("make");
    QTest::newRow("text box") << std::function<QWidget *(QWidget *)>(
        [](QWidget *parent) { return new QLineEdit(QStringLiteral("text"), parent); });
    QTest::newRow("label without a pixmap") << std::function<QWidget *(QWidget *)>(
        [](QWidget *parent) { return new QLabel(QStringLiteral("text"), parent); });
    QTest::newRow("tool button") << std::function<QWidget *(QWidget *)>([](QWidget *parent) {
        auto *button = new QToolButton(parent);
        button->setText(QStringLiteral("text"));
        return button;
    });
}

void tst_clsTransForm::refusesOtherWidgetsUntouched()
{
    QFETCH(std::function<QWidget *(QWidget *)>, make);
    QWidget form;
    QWidget *widget = make(&form);
    widget->resize(40, 20);
    const QRegion mask(3, 3, 10, 10);
    widget->setMask(mask);
    const QVariant text = widget->property("text");
    const QPalette palette = widget->palette();

    clsTransForm transform;
    try {
        transform.ShapeMe(widget, Key, false, QString());
        QFAIL("no error raised");
    } catch (const TransFormError &error) {
        QCOMPARE(error.Number, qint32(0x800409D0));
        QCOMPARE(error.Number, -2147218992);
        QCOMPARE(error.Source, QStringLiteral("TransForm"));
        QCOMPARE(error.Description, WrongTargetDescription);
    }
    QCOMPARE(widget->property("text"), text);
    QCOMPARE(widget->palette(), palette);
    QCOMPARE(widget->mask(), mask);
}

void tst_clsTransForm::refusesNoTarget()
{
    clsTransForm transform;
    try {
        transform.ShapeMe(nullptr, Key, false, QString());
        QFAIL("no error raised");
    } catch (const TransFormError &error) {
        QCOMPARE(error.Number, qint32(0x800409D0));
    }
}

void tst_clsTransForm::emptyFileNameTouchesNoFile_data()
{
    QTest::addColumn<bool>("loadFromFile");
    QTest::newRow("load from file") << true;
    QTest::newRow("save to file") << false;
}

void tst_clsTransForm::emptyFileNameTouchesNoFile()
{
    QFETCH(bool, loadFromFile);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));

    const Target target = targetShowing(Path::Form, pictureWithKeyAreas(QSize(6, 4), {QRect(0, 0, 2, 2)}));
    clsTransForm transform;
    transform.ShapeMe(target.widget, Key, loadFromFile, QString());
    QDir::setCurrent(oldCurrent);

    QCOMPARE(transform.RegionHandle, QRegion(0, 0, 6, 4).subtracted(QRect(0, 0, 2, 2)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

void tst_clsTransForm::savedRegionLoadsWithoutReadingPixels()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Morvo.dat"));
    const QRegion shape = QRegion(0, 0, 30, 20).subtracted(QRect(0, 0, 4, 3)).subtracted(QRect(10, 8, 5, 1));

    const Target saved =
        targetShowing(Path::Form, pictureWithKeyAreas(QSize(30, 20), {QRect(0, 0, 4, 3), QRect(10, 8, 5, 1)}));
    clsTransForm saving;
    saving.ShapeMe(saved.widget, Key, false, path);
    QCOMPARE(saving.RegionHandle, shape);
    QCOMPARE(saved.widget->mask(), shape);
    QCOMPARE(readFile(path), RegionData::toRgnData(shape));

    // No key pixel in this picture: reading it would give the whole rectangle.
    const Target loaded = targetShowing(Path::Form, pictureWithKeyAreas(QSize(30, 20), {}));
    clsTransForm loading;
    loading.ShapeMe(loaded.widget, Key, true, path);
    QCOMPARE(loading.RegionHandle, shape);
    QCOMPARE(loaded.widget->mask(), shape);
}

void tst_clsTransForm::saveReplacesLongerFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Morvo.dat"));
    writeFile(path, QByteArray(4096, 'x'));

    const Target target = targetShowing(Path::Form, pictureWithKeyAreas(QSize(8, 8), {QRect(0, 0, 1, 1)}));
    clsTransForm transform;
    transform.ShapeMe(target.widget, Key, false, path);
    QCOMPARE(readFile(path), RegionData::toRgnData(QRegion(0, 0, 8, 8).subtracted(QRect(0, 0, 1, 1))));
}

void tst_clsTransForm::saveFailureLeavesWindowUnshaped_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint32>("number");
    QTest::newRow("folder that does not exist") << QStringLiteral("missing/Morvo.dat") << 76;
    QTest::newRow("a folder") << QStringLiteral("folder") << 75;
}

void tst_clsTransForm::saveFailureLeavesWindowUnshaped()
{
    QFETCH(QString, name);
    QFETCH(qint32, number);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));

    const Target target = targetShowing(Path::Form, pictureWithKeyAreas(QSize(8, 8), {QRect(0, 0, 1, 1)}));
    clsTransForm transform;
    try {
        transform.ShapeMe(target.widget, Key, false, dir.filePath(name));
        QFAIL("no error raised");
    } catch (const TransFormError &error) {
        QCOMPARE(error.Source, QStringLiteral("TransForm"));
        QCOMPARE(error.Number, number);
        QVERIFY(!error.Description.isEmpty());
    }
    QCOMPARE(target.widget->mask(), QRegion());
}

void tst_clsTransForm::loadFailureKeepsOldShape_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("description");
    QTest::newRow("missing file") << QStringLiteral("missing.dat") << 53 << QStringLiteral("No such file or directory");
    QTest::newRow("empty file") << QStringLiteral("empty.dat") << 62 << QStringLiteral("Input past end of file");
    QTest::newRow("a folder") << QStringLiteral("folder") << 75 << QString();
}

void tst_clsTransForm::loadFailureKeepsOldShape()
{
    QFETCH(QString, name);
    QFETCH(qint32, number);
    QFETCH(QString, description);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    writeFile(dir.filePath(QStringLiteral("empty.dat")), QByteArray());

    const Target target = targetShowing(Path::Form, pictureWithKeyAreas(QSize(8, 8), {QRect(0, 0, 1, 1)}));
    clsTransForm transform;
    transform.ShapeMe(target.widget, Key, false, QString());
    const QRegion oldShape = target.widget->mask();
    try {
        transform.ShapeMe(target.widget, Key, true, dir.filePath(name));
        QFAIL("no error raised");
    } catch (const TransFormError &error) {
        QCOMPARE(error.Source, LoadSource);
        QCOMPARE(error.Number, number);
        if (description.isEmpty())
            QVERIFY(!error.Description.isEmpty());
        else
            QCOMPARE(error.Description, description);
    }
    QCOMPARE(target.widget->mask(), oldShape);
}

void tst_clsTransForm::invalidRegionBytesUnshapeWindow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Morvo.dat"));
    writeFile(path, QByteArray("this is not region data, but it is long enough for a header"));

    const Target target = targetShowing(Path::Form, pictureWithKeyAreas(QSize(8, 8), {QRect(0, 0, 1, 1)}));
    clsTransForm transform;
    transform.ShapeMe(target.widget, Key, false, QString());
    QVERIFY(!target.widget->mask().isEmpty());

    transform.ShapeMe(target.widget, Key, true, path);
    QCOMPARE(target.widget->mask(), QRegion());
    QVERIFY(transform.RegionHandle.isEmpty());
}

void tst_clsTransForm::emptyRegionFileHidesWindow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Morvo.dat"));
    writeFile(path, RegionData::toRgnData(QRegion()));

    const Target target = targetShowing(Path::Form, pictureWithKeyAreas(QSize(8, 8), {}));
    clsTransForm transform;
    transform.ShapeMe(target.widget, Key, true, path);
    QVERIFY(transform.RegionHandle.isEmpty());
    QVERIFY(showsNothing(target.widget));
}

// The skin's size, with a magenta surround around a rounded body and a few holes.
void tst_clsTransForm::skinSizedFormShapesQuickly()
{
    QImage skin(620, 409, QImage::Format_RGB32);
    skin.fill(Key);
    QPainter painter(&skin);
    painter.setBrush(QColor::fromRgb(Opaque));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRect(0, 0, 620, 409).adjusted(5, 5, -5, -5), 40, 40);
    for (int x = 60; x < 560; x += 50)
        painter.fillRect(QRect(x, 200, 20, 8), QColor::fromRgb(Key));
    painter.end();

    const Target target = targetShowing(Path::Form, skin);
    clsTransForm transform;
    qint64 fastest = std::numeric_limits<qint64>::max();
    for (int attempt = 0; attempt < 3; ++attempt) {
        QElapsedTimer timer;
        timer.start();
        transform.ShapeMe(target.widget, Key, false, QString());
        fastest = qMin(fastest, timer.nsecsElapsed());
    }
    qInfo("620 x 409 form shaped in %.2f ms (fastest of 3), %d rectangles", fastest / 1e6,
          transform.RegionHandle.rectCount());
    QCOMPARE(transform.RegionHandle, nonKeyPixels(skin, skin.rect()));
    QVERIFY(fastest < 50'000'000);
}

void tst_clsTransForm::leftPressDragsWindowUntilRelease()
{
    clsTransForm transform;
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 200, 120);
    auto *strip = new DragStrip(transform, &window);
    strip->setGeometry(0, 0, 200, 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.pos(), QPoint(100, 100));

    QCursor::setPos(strip->mapToGlobal(QPoint(10, 10)));
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(10, 10)); // returns: the drag does not block
    QTest::mouseMove(strip, QPoint(40, 30));
    QTRY_COMPARE(window.pos(), QPoint(130, 120));
    QTest::mouseMove(strip, QPoint(5, 12)); // from the moved window: 5 left of and 2 below the grab point
    QTRY_COMPARE(window.pos(), QPoint(125, 122));
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(5, 12));

    // A later press elsewhere in the window, with the left button held, moves nothing.
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(50, 60));
    QTest::mouseMove(&window, QPoint(90, 100));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(90, 100));
    QTest::qWait(50);
    QCOMPARE(window.pos(), QPoint(125, 122));
}

void tst_clsTransForm::otherButtonsDoNotDrag()
{
    clsTransForm transform;
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 200, 120);
    auto *strip = new DragStrip(transform, &window);
    strip->setGeometry(0, 0, 200, 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QCursor::setPos(strip->mapToGlobal(QPoint(10, 10)));
        QTest::mousePress(strip, button, {}, QPoint(10, 10));
        QTest::mouseMove(strip, QPoint(40, 30));
        QTest::mouseRelease(strip, button, {}, QPoint(40, 30));
    }
    // A left drag that did not start through DragForm moves nothing either.
    QTest::mousePress(strip, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(50, 60));
    QTest::mouseMove(&window, QPoint(90, 100));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(90, 100));
    QTest::mouseRelease(strip, Qt::RightButton, {}, QPoint(10, 10));
    QTest::qWait(50);
    QCOMPARE(window.pos(), QPoint(100, 100));

    transform.DragForm(nullptr, 1); // nothing to move, nothing raised
}

QTEST_MAIN(tst_clsTransForm)
#include "tst_clstransform.moc"
