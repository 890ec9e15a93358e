// The history of a catalogue file at 1 000, 100 000 and 1 000 000 records: a
// durable Add + Update through the window with the history's triggers and
// with them dropped (the program's signing of its own entries still runs),
// one job's history once 100 000 entries are kept (one in ten records changed
// by plain SQL, as an older program would), and a backup of the file with the
// longest stall of the window's event loop meanwhile.
//   bench_history              all three sizes
//   bench_history N            one size
#include "BenchSupport.h"
#include "BenchWindow.h"

#include "backups/CatalogueBackups.h"
#include "catalogue/DataEnvironment1.h"
#include "desktop/MsgBox.h"
#include "forms/record/Form1.h"
#include "forms/tray/FrmMenu.h"
#include "startup/StartUp.h"
#include "stores/StoreFactory.h"
#include "stores/sqlite/SqliteFiles.h"
#include "widgets/Forms.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <cstdio>
#include <sqlite3.h>

using namespace BenchSupport;

namespace {
void runSql(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
    sqlite3_close(db);
}

Stats addAndUpdate(Form1 *window)
{
    return measure(15, [&] {
        window->findChild<QPushButton *>(QStringLiteral("CmdAdd"))->click();
        window->TxtName->setText(QStringLiteral("Benchmark job"));
        window->findChild<QPushButton *>(QStringLiteral("CmdUpdate"))->click();
    });
}

int runOneSize(qint64 records)
{
    QTemporaryDir dir;
    QString copy;
    Form1 *window = startUnlockedOnCopy(dir.path(), records, &copy);
    if (!window)
        return 1;
    printRow(QStringLiteral("Add + Update (durable), with history"), addAndUpdate(window));
    runSql(copy,
           "DROP TRIGGER \"MorvoII keeps history of inserts into Projects\";"
           "DROP TRIGGER \"MorvoII keeps history of updates of Projects\";");
    printRow(QStringLiteral("Add + Update (durable), triggers dropped"), addAndUpdate(window));
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *form = qobject_cast<Form *>(w))
            form->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    DataEnvironment1::reset();
    QFile::remove(copy);
    QFile::copy(catalogue(records), copy);

    // The history made by the program's first writable open, then filled.
    QString error;
    std::unique_ptr<CatalogueStore> store = openCatalogueStore(copy, false, error);
    store->changeCursor(QStringLiteral("Projects"));
    const double filling = millisecondsOf(
        [&] { runSql(copy, "UPDATE Projects SET ProjectName = ProjectName || ' (changed)' WHERE rowid % 10 = 0"); });
    std::printf("  %lld history entries written in %.0f ms\n", records / 10, filling);
    qint64 next = 7;
    printRow(QStringLiteral("history of one job"), measure(50, [&] {
                 next = (next * 7919) % records;
                 const QString job = QString::number(1000 + next);
                 if (!store->versions(QStringLiteral("Projects"), job, error))
                     std::fprintf(stderr, "%s\n", qPrintable(error));
             }));
    store.reset();

    const QString target = dir.filePath(QStringLiteral("copy.res"));
    std::vector<double> backups;
    qint64 stall = 0;
    for (int run = 0; run < 3; ++run) {
        StallMeter meter;
        QElapsedTimer clock;
        clock.start();
        QFuture<bool> done = QtConcurrent::run([&] { return SqliteFiles::backUp(copy, target, &error); });
        while (!done.isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        backups.push_back(double(clock.nsecsElapsed()) / 1e6);
        stall = std::max(stall, meter.longest());
    }
    printRow(QStringLiteral("backup of the file, in the background"), summarize(backups));
    std::printf("  longest stall of the event loop meanwhile: %lld ms; copy %.0f MB\n\n", stall,
                double(QFile(target).size()) / 1e6);
    return 0;
}
}

int main(int argc, char *argv[])
{
    return runEachSize(argc, argv, {1000, 100000, 1000000}, runOneSize);
}
