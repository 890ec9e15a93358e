// The skin and its outline as they follow the record window's width.
#include "shell/SkinStretch.h"

#include <QImage>
#include <QtTest>

using SkinStretch::StretchColumn;

class TestSkinStretch : public QObject
{
    Q_OBJECT

    static QPixmap stripedSkin(qreal ratio)
    {
        // Every column its own colour, so each one can be traced.
        QImage image(QSize(620, 40) * ratio, QImage::Format_RGB32);
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                image.setPixel(x, y, qRgb(int(x / ratio) % 256, int(x / ratio) / 256, y % 256));
        QPixmap pixmap = QPixmap::fromImage(image);
        pixmap.setDevicePixelRatio(ratio);
        return pixmap;
    }

private slots:
    void columnsRightOfTheStretchFollowTheEdge_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("narrower") << 597 << 1.0;
        QTest::newRow("wider") << 791 << 1.0;
        QTest::newRow("wider at scale 2") << 791 << 2.0;
    }
    void columnsRightOfTheStretchFollowTheEdge()
    {
        QFETCH(int, width);
        QFETCH(qreal, ratio);
        const QImage shown = SkinStretch::skinFor(stripedSkin(ratio), width).toImage();
        QCOMPARE(shown.size(), QSize(width, 40) * ratio);
        const int grow = width - 620;
        const auto columnAt = [&](int x) {
            const QRgb c = shown.pixel(int(x * ratio), 7);
            return qRed(c) + 256 * qGreen(c);
        };
        for (int x = 0; x < width; ++x) {
            const int expected = x < qMin(StretchColumn, StretchColumn + grow) ? x
                : x < StretchColumn + grow                                     ? StretchColumn
                                                                               : x - grow;
            QCOMPARE(columnAt(x), expected);
        }
    }

    void theOutlineKeepsItsRightEdgeAndCorners()
    {
        // An outline with a cut top right corner, as the skin's rounded one.
        const QRegion outline = QRegion(3, 4, 614, 401) - QRegion(615, 4, 2, 2);
        for (const int width : {597, 620, 791}) {
            const int grow = width - 620;
            const QRegion shown = SkinStretch::outlineFor(outline, 620, width);
            QCOMPARE(shown.boundingRect(), QRect(3, 4, 614 + grow, 401));
            QVERIFY(!shown.contains(QPoint(615 + grow, 4)));
            QVERIFY(shown.contains(QPoint(614 + grow, 4)));
            QVERIFY(shown.contains(QPoint(616 + grow, 6)));
            QVERIFY(shown.contains(QPoint(StretchColumn - 1, 200)));
        }
    }
};

QTEST_MAIN(TestSkinStretch)
#include "tst_skinstretch.moc"
