// The real program's drawing panel on a real X server: double-clicks reach the
// desktop's opener (a stand-in xdg-open first in PATH writes down what it was
// given), and a drag from the list drops the drawing into another program.
#include "Desktop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QWidget>
#include <QtTest>

using namespace TestSupport;
using Desktop::ProgramUnderTest;

namespace {
const QString RecordWindow = QStringLiteral("    Morvo II");
// Client positions (pixels) inside the list and the thumbnail.
const QPoint FirstListEntry(428 + 40, 72 + 10);
const QPoint BelowListEntries(428 + 60, 72 + 100);
const QPoint ThumbnailCentre(428 + 84, 232 + 80);

// A window of another program that takes dropped files.
class DropTarget : public QWidget
{
public:
    DropTarget() { setAcceptDrops(true); }
    QList<QUrl> urls;
    Qt::DropActions offered;
    Qt::DropAction action = Qt::IgnoreAction;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent *event) override
    {
        urls = event->mimeData()->urls();
        offered = event->possibleActions();
        action = event->dropAction();
        event->acceptProposedAction();
    }
};

// xdotool runs while this process keeps answering the X server: a drop target
// must reply to the drag's messages as the pointer moves.
void xdotool(const QStringList &arguments)
{
    QProcess tool;
    tool.start("xdotool", arguments);
    QVERIFY(tool.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(tool.state() == QProcess::NotRunning, 15000);
}

QStringList coordinates(QPoint point)
{
    return {QString::number(point.x()), QString::number(point.y())};
}

void doubleClickAt(QPoint point)
{
    xdotool(QStringList{"mousemove"} + coordinates(point)
            + QStringList{"click", "--repeat", "2", "--delay", "80", "1"});
}
}

class E2EDrawingPanel : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString openerLog;

    QString jobFolder() const { return dir.filePath("jobs/1024"); }
    QString plan() const { return jobFolder() + "/plan.dwg"; }
    QStringList opened() const
    {
        QFile log(openerLog);
        log.open(QIODevice::ReadOnly);
        return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    // The program on the record whose drawing is plan.dwg; the window's top-left corner.
    QPoint startProgram(ProgramUnderTest &program)
    {
        writeCatalogue(program.catalogue(), {record("1024", "Job", plan())});
        program.start();
        const qulonglong window = program.waitForWindow(program.process(), RecordWindow);
        if (!window)
            return QPoint(-1, -1);
        QTest::qWait(500); // the folder listing arrives from the background
        return Desktop::windowGeometry(window).topLeft();
    }

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
        QDir().mkpath(jobFolder());
        for (const QString &name : {QString("another.dwg"), QString("plan.dwg")}) {
            QFile drawing(jobFolder() + '/' + name);
            QVERIFY(drawing.open(QIODevice::WriteOnly));
        }
        // The desktop's opener, as the program finds it: first in PATH.
        openerLog = dir.filePath("opened.txt");
        const QString opener = dir.filePath("bin/xdg-open");
        QDir().mkpath(dir.filePath("bin"));
        QFile script(opener);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QString("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '%1'\n").arg(openerLog).toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
        qputenv("PATH", (dir.filePath("bin") + ':' + qEnvironmentVariable("PATH")).toUtf8());
    }

    void doubleClicksReachTheDesktopsOpener()
    {
        ProgramUnderTest program;
        const QPoint origin = startProgram(program);
        QVERIFY2(origin.x() >= 0, "the record window was not mapped");
        doubleClickAt(origin + ThumbnailCentre);
        QTRY_COMPARE_WITH_TIMEOUT(opened(), QStringList{QUrl::fromLocalFile(plan()).toString()}, 10000);
        doubleClickAt(origin + BelowListEntries);
        // Launches are detached and may finish in either order.
        QTRY_COMPARE_WITH_TIMEOUT(opened().size(), 2, 10000);
        QStringList both = opened();
        both.sort();
        QStringList expected{QUrl::fromLocalFile(plan()).toString(), QUrl::fromLocalFile(jobFolder()).toString()};
        expected.sort();
        QCOMPARE(both, expected);
    }

    void aDragFromTheListCopiesTheDrawingIntoAnotherProgram()
    {
        ProgramUnderTest program;
        const QPoint origin = startProgram(program);
        QVERIFY2(origin.x() >= 0, "the record window was not mapped");
        DropTarget target;
        target.setWindowTitle("a file manager");
        target.setGeometry(900, 200, 300, 300);
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        const QPoint targetCentre = target.geometry().center();

        const QPoint from = origin + FirstListEntry;
        xdotool(QStringList{"mousemove"} + coordinates(from)
                + QStringList{"sleep", "0.2", "mousedown", "1", "sleep", "0.3", "mousemove"}
                + coordinates(from + QPoint(0, 15)) + QStringList{"sleep", "0.3", "mousemove"}
                + coordinates(targetCentre) + QStringList{"sleep", "0.3", "mousemove"}
                + coordinates(targetCentre + QPoint(5, 5)) + QStringList{"sleep", "0.3", "mouseup", "1"});
        const QList<QUrl> dropped{QUrl::fromLocalFile(jobFolder() + "/another.dwg")};
        QTRY_COMPARE_WITH_TIMEOUT(target.urls, dropped, 10000);
        QCOMPARE(target.offered, Qt::DropActions(Qt::CopyAction));
        QCOMPARE(target.action, Qt::CopyAction);
    }
};

QTEST_MAIN(E2EDrawingPanel)
#include "e2e_drawingpanel.moc"
