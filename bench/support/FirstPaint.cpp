#include "FirstPaint.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/Connection.h"
#include "catalogue/Recordset.h"
#include "forms/record/Form1.h"
#include "forms/search/SrchDialog.h"
#include "startup/StartUp.h"
#include "stores/sqlite/SqliteStore.h"
#include "widgets/Forms.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
// Reports once the record window's first paint is done: the paint event is
// handled when the zero timer set while it arrives runs.
class PaintWatch : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        auto *window = widget ? qobject_cast<Form1 *>(widget->window()) : nullptr;
        if (event->type() == QEvent::Paint && window && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, [window] { afterPaint(window); });
        }
        return false;
    }
    static inline void (*afterPaint)(Form1 *) = nullptr;

private:
    bool seen_ = false;
};

void reportPaint(Form1 *window)
{
    std::printf("painted %s\n", qPrintable(window->TxtNumber->text()));
    std::fflush(stdout);
    std::_Exit(0); // nothing after the first paint is measured
}

// kB of a line of /proc/self/status.
long statusKb(const char *name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(qsizetype(std::strlen(name))).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Presses OK in the search dialog for a text no record holds, as a user looking a job up would,
// and reports once the dialog says so.
void searchAfterPaint(Form1 *)
{
    SrchDialog *dialog = Forms::Get<SrchDialog>();
    dialog->show();
    dialog->Text1->setText(QStringLiteral("no such text anywhere"));
    dialog->OKButton->click();
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [dialog] {
        if (dialog->Label2->text() != QStringLiteral("No Records Found"))
            return;
        std::printf("answered %ld %ld\n", statusKb("VmHWM:"), statusKb("RssAnon:"));
        std::fflush(stdout);
        std::_Exit(0);
    });
    poll->start(1);
}

int runProgram(char *argv0, void (*afterPaint)(Form1 *))
{
    PaintWatch::afterPaint = afterPaint;
    qAddPreRoutine([] { qApp->installEventFilter(new PaintWatch); });
    char *arguments[] = {argv0, nullptr};
    int count = 1;
    return StartUp::Main(count, arguments);
}

QProcessEnvironment childEnvironment(const QTemporaryDir &home, const QString &catalogue)
{
    QDir().mkpath(home.filePath(QStringLiteral("config")));
    QDir().mkpath(home.filePath(QStringLiteral("run")));
    QFile::setPermissions(home.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile settings(home.filePath(QStringLiteral("config/MorvoII.conf")));
    settings.open(QIODevice::WriteOnly);
    settings.write("[Application]\nDbsLocation=" + catalogue.toUtf8() + "\n");
    settings.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// Starts the child in a mode, timed from exec to its first line of output.
double execUntilLine(const QProcessEnvironment &env, const char *mode, QString &line)
{
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode)});
    while (!child.canReadLine() && child.waitForReadyRead(60000)) {}
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    line = QString::fromUtf8(child.readLine()).trimmed();
    child.waitForFinished(-1);
    return ms;
}
}

namespace BenchSupport {

int runProgramUntilFirstPaint(char *argv0)
{
    return runProgram(argv0, reportPaint);
}

int runProgramUntilFirstSearch(char *argv0)
{
    return runProgram(argv0, searchAfterPaint);
}

Stats execToFirstPaint(const QString &catalogue, int runs, QString *shownJobNumber)
{
    QTemporaryDir home;
    const QProcessEnvironment env = childEnvironment(home, catalogue);
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        QString line;
        samples.push_back(execUntilLine(env, FirstPaintMode, line));
        if (shownJobNumber)
            *shownJobNumber = line.section(u' ', 1);
    }
    return summarize(samples);
}

FirstSearch execToFirstSearch(const QString &catalogue, int runs, Start start, const std::function<void()> &beforeEach)
{
    auto home = std::make_unique<QTemporaryDir>();
    std::vector<double> samples;
    FirstSearch result;
    for (int run = 0; run < runs; ++run) {
        if (start == Start::FirstOfTheDay && run > 0)
            home = std::make_unique<QTemporaryDir>();
        const QProcessEnvironment env = childEnvironment(*home, catalogue);
        beforeEach();
        QString line;
        samples.push_back(execUntilLine(env, FirstSearchMode, line));
        result.peakMb = std::max(result.peakMb, line.section(u' ', 1, 1).toDouble() / 1024);
        result.privateMb = std::max(result.privateMb, line.section(u' ', 2, 2).toDouble() / 1024);
    }
    result.time = summarize(samples);
    return result;
}

void indexKeysAsTheFirstSessionDoes(const QString &catalogue)
{
    QString error;
    const std::atomic<bool> never{false};
    if (const auto store = SqliteStore::open(catalogue, false, error))
        store->indexKeys(QString::fromLatin1(ProjectsTable), QString::fromLatin1(JobNumberField), never);
}

double keepOrderAsAClosingSessionDoes(const QString &catalogue, bool withSearchText)
{
    Connection connection;
    connection.ConnectionString = catalogue;
    auto records = std::make_unique<Recordset>(connection, QString::fromLatin1(ProjectsTable), Recordset::Optimistic);
    if (withSearchText)
        records->enableSearch(CatalogueSchema::fieldNames());
    records->setSort(QString::fromLatin1(JobNumberField));
    if (withSearchText)
        records->waitForSearchText();
    return millisecondsOf([&] { records.reset(); });
}
}
