// The file managers' thumbnailer, run as they run it: PNGs fitted into SIZE for
// drawings with a preview, no file for the rest, clear usage errors, at most
// 2 s and 100 MB on any input, and the same pixels as the record window's thumbnail.
#include "files/DwgPreview.h"
#include "program/AddressSpace.h"
#include "widgets/DwgThumbnail.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtEndian>
#include <QtTest>

namespace {
struct Run
{
    int status;
    double seconds;
    qint64 kilobytes; // peak resident memory
};

// Runs the thumbnailer under time(1), which measures the child alone: a child
// of this process would inherit its memory high-water mark.
Run thumbnail(const QStringList &arguments)
{
    QTemporaryFile measures;
    measures.open();
    QProcess process;
    process.start("/usr/bin/time",
                  QStringList{"-q", "-f", "%e %M", "-o", measures.fileName(), qEnvironmentVariable("MORVO_THUMBNAILER")}
                      + arguments);
    if (!process.waitForFinished(10000))
        return {-1, 10, 0};
    const QStringList measured = QString::fromLatin1(measures.readAll()).split(u' ');
    return {process.exitCode(), measured.value(0).toDouble(), measured.value(1).trimmed().toLongLong()};
}

QString exampleDrawing(const QString &job)
{
    return QDir(qEnvironmentVariable("MORVO_BIN_DIR") + "/examples/" + job)
        .entryInfoList({"*.dwg"})
        .value(0)
        .filePath();
}

void appendU32(QByteArray &bytes, quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

// An R2000 drawing whose one preview entry is this packed bitmap.
QByteArray drawingWithBitmap(const QByteArray &dib)
{
    constexpr quint32 block = 0x58;
    QByteArray bytes("AC1015");
    bytes.resize(0x0D, '\0');
    appendU32(bytes, block);
    bytes.resize(block, '\0');
    bytes += QByteArray::fromHex("1F256D07D43628289D57CA3F9D44102B");
    appendU32(bytes, quint32(1 + 9 + dib.size()));
    bytes.append(char(1));
    bytes.append(char(2));
    appendU32(bytes, block + 21 + 9);
    appendU32(bytes, quint32(dib.size()));
    return bytes + dib + QByteArray::fromHex("E0DA92F82BC9D7D762A835C062BBEFD4");
}

QByteArray bitmapHeader(int width, int height, int bitCount, quint32 compression)
{
    QByteArray header;
    for (const quint32 field : {40u, quint32(width), quint32(height)})
        appendU32(header, field);
    header.append(char(1)).append(char(0)).append(char(bitCount)).append(char(0));
    for (const quint32 field : {compression, 0u, 0u, 0u, 0u, 0u})
        appendU32(header, field);
    return header;
}

// The largest previews the decoder accepts, each costly in its own way.
QByteArray largestTrueColourDrawing()
{
    return drawingWithBitmap(bitmapHeader(4096, 4096, 32, 0) + QByteArray(4096 * 4096 * 4, '\x7f'));
}

QByteArray longestRunLengthDrawing()
{
    QByteArray runs;
    for (int i = 0; i < 8 * 1024 * 1024; ++i)
        runs.append(char(255)).append(char(i % 7));
    return drawingWithBitmap(bitmapHeader(4096, 4096, 8, 1) + QByteArray(256 * 4, '\x40') + runs);
}

}

class TestThumbnailer : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }

private slots:
    void thumbnailsFitTheSizeAndKeepTheAspect_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("size");
        QTest::addColumn<QSize>("expected");
        const QString drawing = exampleDrawing("1041"); // a 320 x 200 preview
        QVERIFY(!drawing.isEmpty());
        QTest::newRow("normal") << drawing << 128 << QSize(128, 80);
        QTest::newRow("large") << drawing << 256 << QSize(256, 160);
        QTest::newRow("xx-large, enlarged") << drawing << 1024 << QSize(1024, 640);
        QTest::newRow("tiny") << drawing << 16 << QSize(16, 10);
        QFile::copy(drawing, dir.filePath("plan with spaces #2.dwg"));
        QTest::newRow("file URI") << QUrl::fromLocalFile(dir.filePath("plan with spaces #2.dwg")).toString() << 128
                                  << QSize(128, 80);
        QTest::newRow("portrait preview")
            << write("portrait.dwg", drawingWithBitmap(bitmapHeader(30, 90, 24, 0) + QByteArray(92 * 90, '\x10')))
            << 128 << QSize(42, 128);
    }
    void thumbnailsFitTheSizeAndKeepTheAspect()
    {
        QFETCH(QString, input);
        QFETCH(int, size);
        QFETCH(QSize, expected);
        const QString output = dir.filePath("out.png");
        QFile::remove(output);
        QCOMPARE(thumbnail({"-s", QString::number(size), input, output}).status, 0);
        const QImage png(output, "PNG");
        QCOMPARE(png.size(), expected);
    }

    void wrongCommandLinesAreRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        const QString drawing = exampleDrawing("1041");
        const QString output = dir.filePath("refused.png");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("no output") << QStringList{"-s", "128", drawing};
        QTest::newRow("size zero") << QStringList{"-s", "0", drawing, output};
        QTest::newRow("size not a number") << QStringList{"-s", "large", drawing, output};
        QTest::newRow("size too large") << QStringList{"-s", "100000", drawing, output};
        QTest::newRow("other option") << QStringList{"--size", "128", drawing, output};
        QTest::newRow("extra argument") << QStringList{"-s", "128", drawing, output, output};
    }
    void wrongCommandLinesAreRefused()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(thumbnail(arguments).status, 2);
        QVERIFY(!QFile::exists(dir.filePath("refused.png")));
    }

    // Every seed drawing of the fuzzer (damaged ones among them), and the
    // costliest previews the decoder takes: a thumbnail exactly when the
    // program shows a preview, within the limits, and never half a file.
    void everyDrawingWithinTheLimits_data()
    {
        QTest::addColumn<QString>("input");
        QDirIterator seeds(qEnvironmentVariable("MORVO_SOURCE_DIR") + "/fuzz/seeds/fuzz_dwgpreview", QDir::Files);
        while (seeds.hasNext()) {
            const QString seed = seeds.next();
            QTest::newRow(qPrintable(QFileInfo(seed).fileName())) << seed;
        }
        QTest::newRow("a text file") << write("letter.dwg", "Dear Sir,\n");
        QTest::newRow("an empty file") << write("empty.dwg", "");
        QTest::newRow("missing") << dir.filePath("missing.dwg");
        QTest::newRow("a folder") << dir.path();
        QTest::newRow("largest true-colour preview") << write("largest.dwg", largestTrueColourDrawing());
        QTest::newRow("longest run-length preview") << write("runs.dwg", longestRunLengthDrawing());
    }
    void everyDrawingWithinTheLimits()
    {
        QFETCH(QString, input);
        const QString output = dir.filePath("limits.png");
        QFile::remove(output);
        const Run run = thumbnail({"-s", "256", input, output});
        QVERIFY2(run.seconds <= 2.0, qPrintable(QString::number(run.seconds)));
        // A sanitized build keeps freed memory in quarantine: its size says nothing.
        if (LimitsAddressSpace)
            QVERIFY2(run.kilobytes <= 100 * 1024, qPrintable(QString::number(run.kilobytes)));
        QVERIFY2(run.status == 0 || run.status == 1, qPrintable(QString::number(run.status)));
        QCOMPARE(QFile::exists(output), run.status == 0);
        // The costliest previews may be refused for their size; every other gets a
        // thumbnail exactly when the record window shows a preview.
        if (QFileInfo(input).size() < 1024 * 1024)
            QCOMPARE(run.status == 0, !DwgPreview::fromFile(input).isNull());
        QVERIFY(QDir(dir.path()).entryList({"limits.png.*"}, QDir::Files | QDir::Hidden).isEmpty());
    }

    void thePixelsOfTheRecordWindowsThumbnail()
    {
        const QString drawing = exampleDrawing("1032");
        DwgThumbnail window;
        window.resize(169, 161); // DwgThumbnail1 on the record window
        window.setDwgFileName(drawing);
        QSignalSpy ready(&window, &DwgThumbnail::previewReady);
        window.Refresh();
        QVERIFY(ready.wait(5000));
        const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_RGB32);

        const QString output = dir.filePath("window.png");
        QCOMPARE(thumbnail({"-s", "169", drawing, output}).status, 0);
        const QImage png = QImage(output, "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(png.size(), QSize(169, 105));
        const QPoint at(0, (161 - png.height()) / 2);
        QCOMPARE(shown.copy(QRect(at, png.size())), png);
    }
};

QTEST_MAIN(TestThumbnailer)
#include "tst_thumbnailer.moc"
