// One catalogue, two programs: the record window here and another program
// (catalogue_peer) storing into the same file, at 1 000, 100 000 and
// 1 000 000 records. Measures the verified store (durable), the look for
// others' changes when there are none, the time until another program's
// change shows in the window, and the longest stall of the window meanwhile.
//   bench_shared              all three sizes
//   bench_shared N            one size
#include "BenchSupport.h"
#include "BenchWindow.h"

#include "catalogue/DataEnvironment1.h"
#include "desktop/AppPaths.h"
#include "desktop/MsgBox.h"
#include "forms/record/Form1.h"
#include "forms/tray/FrmMenu.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace BenchSupport;

namespace {
int runOneSize(qint64 records)
{
    QTemporaryDir dir;
    QString path;
    Form1 *window = startUnlockedOnCopy(dir.path(), records, &path);
    if (!window)
        return 1;
    Recordset &rs = DataEnvironment1::instance().rsConJobnr;
    QCoreApplication::processEvents();

    printRow(QStringLiteral("verified store of one field (durable)"), measure(15, [&] {
                 window->TxtClient->setText(QStringLiteral("Client %1").arg(QDateTime::currentMSecsSinceEpoch()));
                 window->findChild<QPushButton *>(QStringLiteral("CmdUpdate"))->click();
             }));
    std::vector<double> looks;
    for (int i = 0; i < 2000; ++i) {
        QElapsedTimer clock;
        clock.start();
        rs.refresh();
        looks.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    printRow(QStringLiteral("look for changes, none there"), summarize(looks));

    std::vector<double> shown, stalls;
    for (int round = 0; round < 5; ++round) {
        const qint64 before = rs.RecordCount();
        const QString job = QString::number(9000000 + round);
        // The window keeps running while the other program opens the file and stores.
        QProcess peer;
        QElapsedTimer clock;
        QObject::connect(&peer, &QProcess::finished, [&clock] { clock.start(); }); // committed and ended
        StallMeter meter;
        peer.start(QStringLiteral(CATALOGUE_PEER), {path, "add", job, "ProjectName", "From the other program"});
        while ((!clock.isValid() || rs.RecordCount() == before) && (!clock.isValid() || clock.elapsed() < 10000))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (peer.readAllStandardOutput().trimmed() != "ok")
            return 1;
        shown.push_back(double(clock.elapsed()));
        stalls.push_back(double(meter.longest()));
    }
    printRow(QStringLiteral("another program's new record shown"), summarize(shown));
    printRow(QStringLiteral("longest stall of the window meanwhile"), summarize(stalls));
    std::printf("  peak memory %.1f MB\n\n", peakMemoryMb());
    window->Unload();
    return 0;
}
}

int main(int argc, char *argv[])
{
    return runEachSize(argc, argv, {1000, 100000, 1000000}, runOneSize);
}
