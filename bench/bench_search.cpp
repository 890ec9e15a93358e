// Record walks over 1 000 to 5 000 000 records against grep -c -i -F of the
// same text over the same records written as one CSV file, and against one
// plain memchr pass over the same search text (the limit of one pass over
// memory), timed side by side; forward and backward.
//   bench_search            all sizes
//   bench_search N          one size
#include "BenchSupport.h"
#include "FirstPaint.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/DataEnvironment1.h"
#include "catalogue/KeptOrder.h"
#include "catalogue/KeptSearchText.h"
#include "catalogue/SearchCorpus.h"
#include "desktop/AppPaths.h"
#include "desktop/MsgBox.h"
#include "forms/search/SrchDialog.h"
#include "program/ProgramFacts.h"
#include "startup/StartUp.h"
#include "stores/SearchKey.h"
#include "stores/sqlite/SqlStatement.h"
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
#include <cstring>

using namespace BenchSupport;

namespace {
constexpr int Runs = 7;

Stats grepTime(const QString &text, const QString &csv)
{
    return measure(Runs, [&] {
        QProcess grep;
        grep.start(QStringLiteral("grep"),
                   {QStringLiteral("-c"), QStringLiteral("-i"), QStringLiteral("-F"), text, csv});
        grep.waitForFinished(-1);
    });
}

// The records' search text as the program holds it (upper case, a NUL after
// each field), in one piece.
std::string searchTextOf(const QString &catalogue)
{
    std::string text;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(catalogue.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    {
        QStringList fields;
        for (const QString &field : CatalogueSchema::fieldNames())
            fields << quoteIdentifier(field);
        SqlStatement select(db, QStringLiteral("SELECT %1 FROM Projects").arg(fields.join(u',')));
        while (select.step()) {
            for (int i = 0; i < fields.size(); ++i) {
                const auto *field = reinterpret_cast<const char *>(sqlite3_column_text(select.get(), i));
                SearchKey::appendUpper(text, field, sqlite3_column_bytes(select.get(), i));
                text += '\0';
            }
        }
    }
    sqlite3_close(db);
    return text;
}

Stats memchrTime(const std::string &text)
{
    const void *volatile found = nullptr;
    return measure(Runs, [&] { found = std::memchr(text.data(), '\x01', text.size()); });
}

void printRatio(const char *what, double ratio, bool right)
{
    std::printf("  %-46s %.2f%s\n", what, ratio, right ? "" : "   WRONG RESULT");
}

void compare(const QString &what, const QString &text, const QString &csv, Recordset &rs, qint64 expected,
             const Stats &memchrPass)
{
    const QByteArray needle = SearchCorpus::needleFor(text);
    qint64 found = -2;
    const Stats walk = measure(Runs, [&] { found = rs.findForward(needle, 0); });
    const bool right = found == expected;
    const Stats grep = grepTime(text, csv);
    printRow(what + QStringLiteral(" (walk)"), walk);
    printRow(what + QStringLiteral(" (grep -c -i -F)"), grep);
    printRatio("  ratio walk / grep (medians)", walk.median / grep.median, right);
    printRatio("  ratio walk / one memchr pass (medians)", walk.median / memchrPass.median, right);
}

// The same walk backward, from the last record to the first.
void compareBackward(const QString &what, const QString &text, Recordset &rs, qint64 expected, const Stats &memchrPass)
{
    const QByteArray needle = SearchCorpus::needleFor(text);
    qint64 found = -2;
    const Stats walk = measure(Runs, [&] { found = rs.findBackward(needle, rs.RecordCount() - 1); });
    printRow(what + QStringLiteral(" (walk backward)"), walk);
    printRatio("  ratio walk / one memchr pass (medians)", walk.median / memchrPass.median, found == expected);
}

int runOneSize(qint64 records)
{
    const QString csv = catalogueCsv(records);
    QTemporaryDir dir;
    // The program adds to a catalogue it opens: it works on a copy.
    const QString source = useCatalogueCopy(dir.path(), records);
    Forms::setOnAllUnloaded(nullptr);
    MsgBoxSeam::setHandler([](const Message &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); });
    std::printf("%lld records\n", records);

    // The program as a user starts it to look a job up: from exec to the
    // answer of the first search, on a catalogue met for the first time (no
    // kept order or search text, the first start of a day: its copy is made
    // too), then on one a session has closed before, later that day.
    const auto forget = [&] {
        QFile::remove(
            KeptOrder::fileFor(source, QString::fromLatin1(ProjectsTable), QString::fromLatin1(JobNumberField)));
        QFile::remove(
            KeptSearchText::fileFor(source, QString::fromLatin1(ProjectsTable), CatalogueSchema::fieldNames()));
    };
    const auto printFirstSearch = [](const QString &what, const FirstSearch &run) {
        printRow(what, run.time);
        std::printf("    peak resident %.1f MB, own (anonymous) memory %.1f MB\n", run.peakMb, run.privateMb);
    };
    printFirstSearch(QStringLiteral("exec to first search answered, first time"),
                     execToFirstSearch(source, 3, Start::FirstOfTheDay, forget));
    const double sessionEnd = keepOrderAsAClosingSessionDoes(source, true);
    printRow(QStringLiteral("session's end writing the kept order and text"), {sessionEnd, sessionEnd, sessionEnd});
    printFirstSearch(QStringLiteral("exec to first search answered, opened before"),
                     execToFirstSearch(source, 7, Start::LaterThatDay, [] {}));

    // The first search after start: open, show the window, press OK at once,
    // and wait for the answer with the window's event loop running.
    double firstPress = 0;
    qint64 longestStall = 0, stallUntilTextIn = -1;
    const double startToResult = millisecondsOf([&] {
        StartUp::EntryRoutine();
        StallMeter meter;
        // The window's wait for the text ends where the walk that answers begins.
        QObject::connect(&DataEnvironment1::instance().rsConJobnr, &Recordset::searchTextReady, &meter, [&] {
            if (stallUntilTextIn < 0)
                stallUntilTextIn = meter.longest();
        });
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
    printRow(QStringLiteral("  longest stall of the window until the text is in"),
             {double(stallUntilTextIn), double(stallUntilTextIn), double(stallUntilTextIn)});
    printRow(QStringLiteral("  longest stall with the walk that answers"),
             {double(longestStall), double(longestStall), double(longestStall)});

    Recordset &rs = DataEnvironment1::instance().rsConJobnr;
    const double peakWithText = peakMemoryMb();
    const std::string wholeText = searchTextOf(source);
    const Stats memchrPass = memchrTime(wholeText);
    printRow(QStringLiteral("one memchr pass over the search text"), memchrPass);
    // A job's drawing folder (year, then number) names that job alone.
    const auto folderOf = [](qint64 job) { return QStringLiteral("/%1/%2/").arg(2000 + job % 26).arg(job); };
    const QString miss = QStringLiteral("no such text anywhere"), last = folderOf(1000 + records),
                  first = folderOf(1001);
    compare(QStringLiteral("full walk, no match"), miss, csv, rs, -1, memchrPass);
    compareBackward(QStringLiteral("full walk, no match"), miss, rs, -1, memchrPass);
    compare(QStringLiteral("walk finding the last record"), last, csv, rs, records - 1, memchrPass);
    compareBackward(QStringLiteral("walk finding the first record"), first, rs, 0, memchrPass);
    compare(QStringLiteral("walk, one-letter text, first record"), QStringLiteral("e"), csv, rs, 0, memchrPass);

    SrchDialog *dialog = Forms::Get<SrchDialog>();
    dialog->Option2->setChecked(false);
    dialog->Option1->setChecked(true);
    printRow(QStringLiteral("OK press to result shown (miss, forward)"), measure(Runs, [&] {
                 dialog->Text1->setText(QStringLiteral("no such text anywhere"));
                 dialog->OKButton->click();
                 QCoreApplication::processEvents();
             }));
    std::printf("  peak memory %.1f MB (before the memchr baseline's own copy of the text)\n\n", peakWithText);
    return 0;
}
}

int main(int argc, char *argv[])
{
    return runEachSize(argc, argv, {1000, 100000, 1000000, 5000000}, runOneSize);
}
