// Record walks over 100 000 and 1 000 000 records against grep -c -i -F of the
// same text over the same records written as one CSV file, timed side by side.
//   bench_search            both sizes
//   bench_search N          one size
#include "BenchSupport.h"

#include "catalogue/DataEnvironment1.h"
#include "catalogue/SearchText.h"
#include "desktop/AppPaths.h"
#include "desktop/MsgBox.h"
#include "forms/search/SrchDialog.h"
#include "program/ProgramFacts.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

using namespace BenchSupport;

namespace {
Stats grepTime(const QString &text, const QString &csv)
{
    return measure(5, [&] {
        QProcess grep;
        grep.start(QStringLiteral("grep"),
                   {QStringLiteral("-c"), QStringLiteral("-i"), QStringLiteral("-F"), text, csv});
        grep.waitForFinished(-1);
    });
}

void compare(const QString &what, const QString &text, const QString &csv, Recordset &rs, qint64 expected)
{
    const QByteArray needle = SearchText::needleFor(text);
    qint64 found = -2;
    const Stats walk = measure(5, [&] { found = rs.findForward(needle, 0); });
    const Stats grep = grepTime(text, csv);
    printRow(what + QStringLiteral(" (walk)"), walk);
    printRow(what + QStringLiteral(" (grep -c -i -F)"), grep);
    std::printf("  %-46s %.2f of grep%s\n", "  ratio walk / grep (medians)", walk.median / grep.median,
                found == expected ? "" : "   WRONG RESULT");
}

int runOneSize(qint64 records)
{
    const QString source = catalogue(records);
    const QString csv = catalogueCsv(records);
    QTemporaryDir dir;
    AppPaths::setProgramFolder(dir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(ProgramFacts::Title))
        .setValue(QStringLiteral("Application/DbsLocation"), source);
    Forms::setOnAllUnloaded(nullptr);
    MsgBoxSeam::setHandler([](const Message &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); });
    std::printf("%lld records\n", records);

    // The first search after start: open, show the window, press OK at once,
    // and wait for the answer with the window's event loop running.
    double firstPress = 0;
    qint64 longestStall = 0;
    const double startToResult = millisecondsOf([&] {
        StartUp::EntryRoutine();
        StallMeter meter;
        SrchDialog *dialog = Forms::Get<SrchDialog>();
        dialog->show();
        dialog->Text1->setText(QStringLiteral("no such text anywhere"));
        firstPress = millisecondsOf([&] { dialog->OKButton->click(); });
        while (dialog->Label2->text() != QStringLiteral("No Records Found"))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        longestStall = meter.longest();
    });
    printRow(QStringLiteral("start, then first search (miss) answered"), {startToResult, startToResult, startToResult});
    printRow(QStringLiteral("  of which the first OK press"), {firstPress, firstPress, firstPress});
    printRow(QStringLiteral("  longest stall of the window meanwhile"),
             {double(longestStall), double(longestStall), double(longestStall)});

    Recordset &rs = DataEnvironment1::instance().rsConJobnr;
    compare(QStringLiteral("full walk, no match"), QStringLiteral("no such text anywhere"), csv, rs, -1);
    compare(QStringLiteral("walk finding the last record"), QString::number(1000 + records), csv, rs, records - 1);
    compare(QStringLiteral("walk, one-letter text, first record"), QStringLiteral("e"), csv, rs, 0);

    SrchDialog *dialog = Forms::Get<SrchDialog>();
    dialog->Option2->setChecked(false);
    dialog->Option1->setChecked(true);
    printRow(QStringLiteral("OK press to result shown (miss, forward)"), measure(5, [&] {
                 dialog->Text1->setText(QStringLiteral("no such text anywhere"));
                 dialog->OKButton->click();
                 QCoreApplication::processEvents();
             }));
    std::printf("  peak memory %.1f MB\n\n", peakMemoryMb());
    return 0;
}
}

int main(int argc, char *argv[])
{
    return runEachSize(argc, argv, {100000, 1000000}, runOneSize);
}
