#include "files/RegionData.h"

#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray withField(QByteArray bytes, qsizetype offset, quint32 value)
{
    qToLittleEndian<quint32>(value, bytes.data() + offset);
    return bytes;
}

// One band of two rectangles: (1,2)-(4,6) and (10,2)-(15,6).
const QByteArray TwoRectBytes = QByteArray::fromHex("20000000 01000000 02000000 20000000"
                                                    "01000000 02000000 0f000000 06000000"
                                                    "01000000 02000000 04000000 06000000"
                                                    "0a000000 02000000 0f000000 06000000");

QRegion twoRectRegion()
{
    return QRegion(1, 2, 3, 4).united(QRegion(10, 2, 5, 4));
}

struct ListedRect
{
    qint32 left, top, right, bottom;
};

QList<ListedRect> listedRects(const QByteArray &bytes)
{
    QList<ListedRect> rects;
    for (qsizetype at = 32; at + 16 <= bytes.size(); at += 16) {
        const char *p = bytes.constData() + at;
        rects.append({qFromLittleEndian<qint32>(p), qFromLittleEndian<qint32>(p + 4), qFromLittleEndian<qint32>(p + 8),
                      qFromLittleEndian<qint32>(p + 12)});
    }
    return rects;
}

// Windows lists a region in bands from the top: each band's rectangles share top and bottom and
// run left to right with gaps between them; each band starts at or below the previous one's bottom.
bool isYXBanded(const QList<ListedRect> &rects)
{
    for (qsizetype i = 1; i < rects.size(); ++i) {
        const ListedRect &a = rects[i - 1];
        const ListedRect &b = rects[i];
        const bool sameBand = a.top == b.top && a.bottom == b.bottom && a.right < b.left;
        if (!sameBand && b.top < a.bottom)
            return false;
    }
    return true;
}

QRegion scatteredRects(quint32 seed)
{
    QRandomGenerator random(seed);
    QRegion region;
    for (int i = 0; i < 40; ++i)
        region +=
            QRect(random.bounded(-50, 200), random.bounded(-50, 200), random.bounded(1, 40), random.bounded(1, 40));
    return region;
}

} // namespace

class tst_RegionData : public QObject
{
    Q_OBJECT

private slots:
    void writesWindowsLayout_data();
    void writesWindowsLayout();
    void roundTripKeepsRegionAndBanding_data();
    void roundTripKeepsRegionAndBanding();
    void rejectsMalformedBytes_data();
    void rejectsMalformedBytes();
    void readsWhatWindowsAccepts_data();
    void readsWhatWindowsAccepts();
};

void tst_RegionData::writesWindowsLayout_data()
{
    QTest::addColumn<QRegion>("region");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("one band of two rectangles") << twoRectRegion() << TwoRectBytes;
    QTest::newRow("two bands, negative coordinates") << QRegion(-3, -2, 4, 2).united(QRegion(-3, 0, 2, 2))
                                                     << QByteArray::fromHex("20000000 01000000 02000000 20000000"
                                                                            "fdffffff feffffff 01000000 02000000"
                                                                            "fdffffff feffffff 01000000 00000000"
                                                                            "fdffffff 00000000 ffffffff 02000000");
    QTest::newRow("empty region: header only, zero bound")
        << QRegion()
        << QByteArray::fromHex("20000000 01000000 00000000 00000000"
                               "00000000 00000000 00000000 00000000");
}

void tst_RegionData::writesWindowsLayout()
{
    QFETCH(QRegion, region);
    QFETCH(QByteArray, expected);
    QCOMPARE(RegionData::toRgnData(region).toHex(' '), expected.toHex(' '));
}

void tst_RegionData::roundTripKeepsRegionAndBanding_data()
{
    QTest::addColumn<QRegion>("region");
    QTest::newRow("empty") << QRegion();
    QTest::newRow("one rectangle") << QRegion(5, 6, 7, 8);
    QTest::newRow("two rectangles") << twoRectRegion();
    QTest::newRow("ellipse") << QRegion(0, 0, 61, 37, QRegion::Ellipse);
    QTest::newRow("ring")
        << QRegion(0, 0, 80, 80, QRegion::Ellipse).subtracted(QRegion(20, 20, 40, 40, QRegion::Ellipse));
    for (quint32 seed : {1u, 2u, 3u})
        QTest::addRow("scattered rectangles, seed %u", seed) << scatteredRects(seed);
}

void tst_RegionData::roundTripKeepsRegionAndBanding()
{
    QFETCH(QRegion, region);
    const QByteArray bytes = RegionData::toRgnData(region);
    QCOMPARE(bytes.size(), 32 + 16 * region.rectCount());
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 12), quint32(16 * region.rectCount()));
    QVERIFY(isYXBanded(listedRects(bytes)));

    const std::optional<QRegion> read = RegionData::fromRgnData(bytes);
    QVERIFY(read.has_value());
    QCOMPARE(*read, region);
    QCOMPARE(RegionData::toRgnData(*read), bytes);
}

void tst_RegionData::rejectsMalformedBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray headerOnly = TwoRectBytes.left(32);

    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("header cut short") << TwoRectBytes.left(31);
    QTest::newRow("header size 40") << withField(TwoRectBytes, 0, 40);
    QTest::newRow("header size 0") << withField(TwoRectBytes, 0, 0);
    QTest::newRow("type 2") << withField(TwoRectBytes, 4, 2);
    QTest::newRow("count beyond the bytes") << withField(TwoRectBytes, 8, 3);
    QTest::newRow("last rectangle cut short") << TwoRectBytes.chopped(1);
    QTest::newRow("count whose byte size wraps 32 bits to 0") << withField(headerOnly, 8, 0x10000000);
    QTest::newRow("count wrapping to 16 bytes") << withField(TwoRectBytes.left(48), 8, 0x10000001);
    QTest::newRow("largest count") << withField(TwoRectBytes, 8, 0xFFFFFFFF);
    QTest::newRow("zero-width rectangle") << withField(TwoRectBytes, 40, 1);
    QTest::newRow("upside-down rectangle") << withField(TwoRectBytes, 44, 1);
    QTest::newRow("left far out of range") << withField(TwoRectBytes, 32, 0x80000000);
    QTest::newRow("right far out of range") << withField(TwoRectBytes, 56, 0x7FFFFFFF);
    QTest::newRow("bottom just beyond range") << withField(TwoRectBytes, 44, 1 << 27);
}

void tst_RegionData::rejectsMalformedBytes()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!RegionData::fromRgnData(bytes).has_value());
}

void tst_RegionData::readsWhatWindowsAccepts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QRegion>("expected");

    QTest::newRow("two rectangles") << TwoRectBytes << twoRectRegion();
    QTest::newRow("no rectangles: empty region")
        << TwoRectBytes.left(32).replace(8, 4, QByteArray(4, '\0')) << QRegion();
    QTest::newRow("bytes after the rectangles ignored") << TwoRectBytes + QByteArray("tail") << twoRectRegion();
    QTest::newRow("rectangle-bytes field and bound ignored")
        << withField(withField(withField(TwoRectBytes, 12, 0), 16, 999), 28, 0) << twoRectRegion();
    QTest::newRow("overlapping rectangles out of order united")
        << QByteArray::fromHex("20000000 01000000 03000000 30000000"
                               "00000000 00000000 00000000 00000000"
                               "05000000 03000000 0a000000 07000000"
                               "00000000 00000000 06000000 05000000"
                               "05000000 00000000 0a000000 04000000")
        << QRegion(0, 0, 10, 5).united(QRegion(5, 5, 5, 2));
    QTest::newRow("largest coordinates in range")
        << withField(withField(TwoRectBytes.left(48).replace(8, 1, "\x01"), 40, 0x07FFFFFF), 32, 0xF8000001)
        << QRegion(QRect(QPoint(-0x07FFFFFF, 2), QPoint(0x07FFFFFE, 5)));
}

void tst_RegionData::readsWhatWindowsAccepts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QRegion, expected);
    const std::optional<QRegion> read = RegionData::fromRgnData(bytes);
    QVERIFY(read.has_value());
    QCOMPARE(*read, expected);
}

QTEST_APPLESS_MAIN(tst_RegionData)
#include "tst_regiondata.moc"
