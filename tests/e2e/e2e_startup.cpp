// The real program on a real X server with a window manager, driven as a person
// would: through its windows, the keyboard and the clipboard.
#include "Desktop.h"

#include <QGuiApplication>
#include <QLocalServer>
#include <QWidget>
#include <QtTest>
#include <unistd.h>

using namespace TestSupport;
using Desktop::ProgramUnderTest;

namespace {
const QString RecordWindow = QStringLiteral("    Morvo II");

// What a person gets by selecting the focused box of the window and copying it.
QString copyFocusedBox(qulonglong window)
{
    Desktop::run("xdotool", {"windowactivate", "--sync", QString::number(window)});
    return Desktop::copyFocusedBox();
}
}

class E2EStartUp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
    }

    void mapsTheRecordWindowOnTheLastRecord()
    {
        ProgramUnderTest program;
        writeCatalogue(program.catalogue(),
                       {record("1040", "Middle"), record("1041", "Highest"), record("1001", "Low")});
        program.start();
        const qulonglong window = program.waitForWindow(program.process(), RecordWindow);
        QVERIFY2(window, "the record window was not mapped");
        QCOMPARE(Desktop::windowGeometry(window).size(), QSize(620, 409));
        QCOMPARE(copyFocusedBox(window), QString("1041"));
        QCOMPARE(program.setting(), program.catalogue());
    }

    void aSecondStartRaisesTheFirstAndExits()
    {
        ProgramUnderTest program;
        writeCatalogue(program.catalogue(), {record("7")});
        // Another user listening where the socket used to be is never asked.
        QLocalServer squatter;
        QVERIFY(squatter.listen(program.tempFolder() + QStringLiteral("/MorvoII-%1").arg(getuid())));
        program.start();
        const qulonglong window = program.waitForWindow(program.process(), RecordWindow);
        QVERIFY(window);

        QWidget other;
        other.setWindowTitle("another program");
        other.resize(900, 700);
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTRY_COMPARE(Desktop::activeWindow(), qulonglong(other.winId()));

        QProcess *second = program.start();
        QVERIFY(second->waitForFinished(5000));
        QCOMPARE(second->exitCode(), 0);
        QVERIFY(program.process().state() == QProcess::Running);
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::activeWindow(), window, 5000);
        QVERIFY(!squatter.hasPendingConnections());
    }

    void aMissingCatalogueEndsWithNoWindow()
    {
        ProgramUnderTest program;
        program.start();
        // Two messages, each answered with Enter; the record window never appears.
        for (int message = 0; message < 2; ++message) {
            const qulonglong box = program.waitForWindow(program.process(), "MorvoII");
            QVERIFY2(box, "no message box");
            Desktop::pressKey(box, "Return");
            QTRY_VERIFY(!Desktop::windowsOfProcess(program.process().processId()).contains(box));
        }
        QVERIFY(program.process().waitForFinished(5000));
        QCOMPARE(program.process().exitCode(), 1);
    }
};

QTEST_MAIN(E2EStartUp)
#include "e2e_startup.moc"
