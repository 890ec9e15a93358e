// The thumbnail widget: its file name property, background loading where only the
// latest request counts, double-click, and what it paints.

#include "widgets/DwgThumbnail.h"

#include "files/DwgPreview.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

void appendU32(QByteArray &bytes, quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

// An R2018-style drawing whose preview block holds one PNG entry.
QByteArray drawingWithPng(const QImage &picture)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG", 100);

    constexpr quint32 blockOffset = 0x1C0;
    QByteArray bytes("AC1032");
    bytes.resize(0x0D, '\0');
    appendU32(bytes, blockOffset);
    bytes.resize(blockOffset, '\0');
    bytes += QByteArray::fromHex("1F256D07D43628289D57CA3F9D44102B");
    appendU32(bytes, 1 + 9 + png.size());
    bytes.append(char(1));
    bytes.append(char(6));
    appendU32(bytes, blockOffset + 21 + 9);
    appendU32(bytes, png.size());
    bytes += png;
    bytes += QByteArray::fromHex("E0DA92F82BC9D7D762A835C062BBEFD4");
    return bytes;
}

QImage filled(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Noise compresses badly, so this PNG takes a while to decode.
QImage noisy(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = 0xFF000000u | (state >> 8);
        }
    }
    return image;
}

const QRgb Red = qRgb(255, 0, 0);

} // namespace

class TestDwgThumbnail : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileNameReadsBack_data();
    void fileNameReadsBack();
    void refreshShowsPreview();
    void refreshWithoutDrawingClearsPreview_data();
    void refreshWithoutDrawingClearsPreview();
    void latestRequestWins_data();
    void latestRequestWins();
    void refreshedOnEveryCall();
    void refreshDoesNotWaitForLoading();
    void aResolverOnAHangingShareNeverHoldsTheWindow();
    void doubleClick();
    void paintsPreviewScaledAndCentred();
    void paintsNoPreviewPicture();
    void destroyedWhileLoading();

private:
    QString writeDrawing(const QString &name, const QImage &picture);
    bool refreshAndWait(DwgThumbnail &thumbnail, const QString &fileName);

    QTemporaryDir dir_;
    QString red_;
};

QString TestDwgThumbnail::writeDrawing(const QString &name, const QImage &picture)
{
    QFile file(dir_.filePath(name));
    const QByteArray bytes = drawingWithPng(picture);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

bool TestDwgThumbnail::refreshAndWait(DwgThumbnail &thumbnail, const QString &fileName)
{
    QSignalSpy ready(&thumbnail, &DwgThumbnail::previewReady);
    thumbnail.setDwgFileName(fileName);
    thumbnail.Refresh();
    return ready.wait(5000);
}

void TestDwgThumbnail::initTestCase()
{
    QVERIFY(dir_.isValid());
    red_ = writeDrawing("red.dwg", filled(40, 20, Red));
}

void TestDwgThumbnail::fileNameReadsBack_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("empty") << QString();
    QTest::newRow("single blank") << QStringLiteral(" ");
    QTest::newRow("missing file") << QStringLiteral("/no/such/folder/plan.dwg");
    QTest::newRow("windows path") << QStringLiteral("C:\\Jobs\\1042\\Plan 2.dwg");
    QTest::newRow("nonsense") << QStringLiteral("::?* plan \u00e9\u2713.dwg ");
}

void TestDwgThumbnail::fileNameReadsBack()
{
    QFETCH(QString, fileName);
    DwgThumbnail thumbnail;
    QVERIFY(thumbnail.setProperty("DwgFileName", fileName));
    QCOMPARE(thumbnail.property("DwgFileName").toString(), fileName);
    QCOMPARE(thumbnail.DwgFileName(), fileName);
    thumbnail.Refresh();
    QCOMPARE(thumbnail.DwgFileName(), fileName);
}

void TestDwgThumbnail::refreshShowsPreview()
{
    DwgThumbnail thumbnail;
    QVERIFY(!thumbnail.hasPreview());
    QVERIFY(refreshAndWait(thumbnail, red_));
    QVERIFY(thumbnail.hasPreview());
    QCOMPARE(thumbnail.previewImage().size(), QSize(40, 20));
    QCOMPARE(thumbnail.previewImage().pixel(0, 0), Red);
}

void TestDwgThumbnail::refreshWithoutDrawingClearsPreview_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("missing") << dir_.filePath("missing.dwg");
    QTest::newRow("folder") << dir_.path();
    QTest::newRow("single blank") << QStringLiteral(" ");
}

void TestDwgThumbnail::refreshWithoutDrawingClearsPreview()
{
    QFETCH(QString, fileName);
    DwgThumbnail thumbnail;
    QVERIFY(refreshAndWait(thumbnail, red_));
    QVERIFY(thumbnail.hasPreview());
    QVERIFY(refreshAndWait(thumbnail, fileName));
    QVERIFY(!thumbnail.hasPreview());
}

void TestDwgThumbnail::latestRequestWins_data()
{
    QTest::addColumn<bool>("slowFirst");
    QTest::newRow("slow request, then quick") << true;
    QTest::newRow("quick request, then slow") << false;
}

void TestDwgThumbnail::latestRequestWins()
{
    QFETCH(bool, slowFirst);
    const QString slow = writeDrawing("slow.dwg", noisy(1500));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!DwgPreview::fromFile(slow).isNull());
    const qint64 slowDecodeMs = timer.elapsed();

    DwgThumbnail thumbnail;
    QSignalSpy ready(&thumbnail, &DwgThumbnail::previewReady);
    thumbnail.setDwgFileName(slowFirst ? slow : red_);
    thumbnail.Refresh();
    thumbnail.setDwgFileName(slowFirst ? red_ : slow);
    thumbnail.Refresh();

    QVERIFY(ready.wait(10000));
    // Give the other request ample time to finish; its result must not show.
    QTest::qWait(int(3 * slowDecodeMs) + 300);
    QCOMPARE(ready.count(), 1);
    QCOMPARE(thumbnail.previewImage().size(), slowFirst ? QSize(40, 20) : QSize(1500, 1500));
}

void TestDwgThumbnail::refreshedOnEveryCall()
{
    DwgThumbnail thumbnail;
    QSignalSpy refreshed(&thumbnail, &DwgThumbnail::refreshed);
    QSignalSpy ready(&thumbnail, &DwgThumbnail::previewReady);
    thumbnail.setDwgFileName(red_);
    for (int call = 0; call < 3; ++call)
        thumbnail.Refresh();
    QCOMPARE(refreshed.count(), 3);
    QVERIFY(ready.wait(5000));
    QTest::qWait(200);
    QCOMPARE(ready.count(), 1);
    QCOMPARE(refreshed.count(), 3);
}

void TestDwgThumbnail::refreshDoesNotWaitForLoading()
{
    const QString slow = writeDrawing("slow.dwg", noisy(1500));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!DwgPreview::fromFile(slow).isNull());
    const qint64 decodeNs = timer.nsecsElapsed();

    DwgThumbnail thumbnail;
    QSignalSpy ready(&thumbnail, &DwgThumbnail::previewReady);
    thumbnail.setDwgFileName(slow);
    timer.restart();
    thumbnail.Refresh();
    const qint64 refreshNs = timer.nsecsElapsed();
    // Loading in the call would take at least as long as decoding; a busy machine blurs the rest.
    QVERIFY2(
        refreshNs < decodeNs / 2,
        qPrintable(QStringLiteral("Refresh took %1 us, decoding %2 us").arg(refreshNs / 1000).arg(decodeNs / 1000)));
    QCOMPARE(ready.count(), 0);
    QVERIFY(ready.wait(5000));
    QVERIFY(thumbnail.hasPreview());
}

void TestDwgThumbnail::aResolverOnAHangingShareNeverHoldsTheWindow()
{
    QSemaphore shareAnswers;
    DwgThumbnail thumbnail;
    thumbnail.setPathResolver([&](const QString &stored) {
        shareAnswers.acquire();
        return stored == QStringLiteral("P:\\red.dwg") ? red_ : QString();
    });
    QSignalSpy ready(&thumbnail, &DwgThumbnail::previewReady);
    thumbnail.setDwgFileName(QStringLiteral("P:\\red.dwg"));
    QElapsedTimer timer;
    timer.start();
    thumbnail.Refresh();
    QVERIFY(timer.elapsed() < 500);
    QVERIFY(!ready.wait(200));
    QVERIFY(thumbnail.resolvedFileName().isEmpty());
    shareAnswers.release();
    QVERIFY(ready.wait(5000));
    QCOMPARE(thumbnail.resolvedFileName(), red_);
    QVERIFY(thumbnail.hasPreview());
    QCOMPARE(thumbnail.DwgFileName(), QStringLiteral("P:\\red.dwg"));
}

void TestDwgThumbnail::doubleClick()
{
    DwgThumbnail thumbnail;
    thumbnail.resize(100, 100);
    thumbnail.show();
    QVERIFY(QTest::qWaitForWindowExposed(&thumbnail));
    QSignalSpy doubleClicked(&thumbnail, &DwgThumbnail::DblClick);
    QTest::mouseDClick(&thumbnail, Qt::RightButton);
    QCOMPARE(doubleClicked.count(), 0);
    QTest::mouseDClick(&thumbnail, Qt::LeftButton);
    QCOMPARE(doubleClicked.count(), 1);
}

void TestDwgThumbnail::paintsPreviewScaledAndCentred()
{
    DwgThumbnail thumbnail;
    thumbnail.resize(200, 100);
    QVERIFY(refreshAndWait(thumbnail, writeDrawing("square.dwg", filled(10, 10, Red))));
    const QImage shown = thumbnail.grab().toImage();
    // A square in a 2:1 widget: a 100 x 100 square in the middle, background beside it.
    QCOMPARE(shown.pixel(100, 50), Red);
    QCOMPARE(shown.pixel(52, 2), Red);
    QCOMPARE(shown.pixel(147, 97), Red);
    QVERIFY(shown.pixel(40, 50) != Red);
    QVERIFY(shown.pixel(160, 50) != Red);
}

void TestDwgThumbnail::paintsNoPreviewPicture()
{
    DwgThumbnail thumbnail;
    thumbnail.resize(170, 160);
    QVERIFY(refreshAndWait(thumbnail, dir_.filePath("missing.dwg")));
    const QImage shown = thumbnail.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb background = thumbnail.palette().color(QPalette::Base).rgb();
    const QRgb ink = thumbnail.palette().color(QPalette::Mid).rgb();
    QCOMPARE(shown.pixel(85, 0), background);
    int inkPixels = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            inkPixels += shown.pixel(x, y) == ink;
    // The glyph and the words, not a blank box.
    QVERIFY2(inkPixels > 20, qPrintable(QString::number(inkPixels)));
}

void TestDwgThumbnail::destroyedWhileLoading()
{
    auto *gone = new DwgThumbnail;
    gone->setDwgFileName(red_);
    gone->Refresh();
    delete gone;
    // The late result of the deleted widget must find nothing to touch.
    DwgThumbnail next;
    QVERIFY(refreshAndWait(next, red_));
    QVERIFY(next.hasPreview());
}

QTEST_MAIN(TestDwgThumbnail)
#include "tst_dwgthumbnail.moc"
