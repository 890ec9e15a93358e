// The record window over catalogues of 1 000, 100 000, 1 000 000 and
// 5 000 000 records: the program's start to the window painted on the last
// record (from exec), moves, Add + Update, Delete, and peak memory before and
// after the search text is read. Each size runs in a process of its own so
// that its peak memory is its own.
//   bench_catalogue              all four sizes
//   bench_catalogue N            one size
#include "BenchSupport.h"
#include "FirstPaint.h"

#include "catalogue/DataEnvironment1.h"
#include "desktop/AppPaths.h"
#include "desktop/MsgBox.h"
#include "forms/record/Form1.h"
#include "forms/tray/FrmMenu.h"
#include "program/ProgramFacts.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

using namespace BenchSupport;

namespace {
void click(Form1 *window, const char *name)
{
    window->findChild<QPushButton *>(QString::fromLatin1(name))->click();
}

void unloadAll()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *form = qobject_cast<Form *>(w))
            form->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    DataEnvironment1::reset();
}

Form1 *startWindow()
{
    if (!StartUp::EntryRoutine())
        return nullptr;
    QCoreApplication::processEvents();
    return Forms::Loaded<Form1>();
}

void unlock()
{
    // The window opens locked; Add, Update and Delete need it unlocked.
    Forms::Get<FrmMenu>()->MnuUnlock_Click();
}

int runOneSize(qint64 records)
{
    QTemporaryDir dir;
    // Add and Delete change the file: work on a copy.
    const QString copy = useCatalogueCopy(dir.path(), records);
    Forms::setOnAllUnloaded(nullptr);
    MsgBoxSeam::setHandler([](const Message &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); });

    std::printf("%lld records (%.0f MB file)\n", records, double(QFile(copy).size()) / 1e6);
    QString shown;
    printRow(QStringLiteral("exec to window painted, the catalogue's first start"), execToFirstPaint(copy, 1, &shown));
    indexKeysAsTheFirstSessionDoes(copy);
    printRow(QStringLiteral("exec to window painted, keys from their index"), execToFirstPaint(copy, 7, &shown));
    keepOrderAsAClosingSessionDoes(copy);
    printRow(QStringLiteral("exec to window painted on the last record"), execToFirstPaint(copy, 7, &shown));
    std::printf("  painted job number %s\n", qPrintable(shown));
    Form1 *window = startWindow();
    unlock();

    const int moves = 200;
    printRow(QStringLiteral("First"), measure(moves, [&] { click(window, "Command4"); }));
    printRow(QStringLiteral("Next"), measure(moves, [&] { click(window, "Command6"); }));
    printRow(QStringLiteral("Prev"), measure(moves, [&] { click(window, "Command5"); }));
    printRow(QStringLiteral("Last"), measure(moves, [&] { click(window, "Command7"); }));
    printRow(QStringLiteral("Add + Update (durable store)"), measure(15, [&] {
                 click(window, "CmdAdd");
                 window->TxtName->setText(QStringLiteral("Benchmark job"));
                 click(window, "CmdUpdate");
             }));
    auto &rs = DataEnvironment1::instance().rsConJobnr;
    std::vector<double> deletes;
    for (int i = 0; i < 15; ++i) {
        rs.setAbsolutePosition(rs.RecordCount() / 2);
        deletes.push_back(millisecondsOf([&] { click(window, "CmdDelete"); }));
    }
    printRow(QStringLiteral("Delete in the middle"), summarize(deletes));
    std::printf("  peak memory %.1f MB before the search text is read\n", peakMemoryMb());
    rs.waitForSearchText();
    std::printf("  peak memory %.1f MB with the search text ready\n\n", peakMemoryMb());
    unloadAll();
    return 0;
}
}

int main(int argc, char *argv[])
{
    return runEachSize(argc, argv, {1000, 100000, 1000000, 5000000}, runOneSize);
}
