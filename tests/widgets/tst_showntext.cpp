// How a multi-line box shows a stored text, and how an edit in the box is
// carried back onto the stored text.
#include "widgets/ShownText.h"

#include <QtTest>

class TestShownText : public QObject
{
    Q_OBJECT

private slots:
    void everyLineEndingShowsAsOneBreak()
    {
        QCOMPARE(ShownText::shownFor(QString("a\r\nb\rc\nd\n\re\u2028f\u00a0")),
                 QString("a\u2029b\u2029c\u2029d\u2029\u2029e\u2028f\u00a0"));
    }

    void editsLandOnTheStoredText_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("now"); // the box after the edit
        QTest::addColumn<QString>("expected");
        QTest::newRow("typed in the middle") << "a\r\nb\r\nc" << QString("a\u2029bx\u2029c") << "a\r\nbx\r\nc";
        QTest::newRow("a break removed") << "a\r\nb"
                                         << "ab"
                                         << "ab";
        QTest::newRow("a break added to LF text") << "a\nb" << QString("a\u2029\u2029b") << "a\n\nb";
        QTest::newRow("Shift+Enter takes the line ending") << "a\r\nb" << QString("a\u2029b\u2028c") << "a\r\nb\r\nc";
        QTest::newRow("a stored line separator stays")
            << QString("a\u2028b") << QString("xa\u2028b") << QString("xa\u2028b");
        QTest::newRow("a stretch across a break replaced") << "one\r\ntwo\r\nthree" << QString("oZe") << "oZe";
        QTest::newRow("all deleted") << "a\r\nb"
                                     << ""
                                     << "";
    }
    void editsLandOnTheStoredText()
    {
        QFETCH(QString, stored);
        QFETCH(QString, now);
        QFETCH(QString, expected);
        QCOMPARE(ShownText::applyEdit(stored, ShownText::shownFor(stored), now), expected);
    }

    void aBoxOutOfStepWithTheStoredTextIsTakenWhole()
    {
        QCOMPARE(ShownText::applyEdit(QString("a\r\nb"), QString(" "), QString(" x\u2029y")), QString(" x\r\ny"));
    }
};

QTEST_MAIN(TestShownText)
#include "tst_showntext.moc"
