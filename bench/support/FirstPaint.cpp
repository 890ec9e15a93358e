#include "FirstPaint.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/Connection.h"
#include "catalogue/Recordset.h"
#include "forms/record/Form1.h"
#include "startup/StartUp.h"
#include "stores/sqlite/SqliteStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

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
            QTimer::singleShot(0, [window] {
                std::printf("painted %s\n", qPrintable(window->TxtNumber->text()));
                std::fflush(stdout);
                std::_Exit(0); // nothing after the first paint is measured
            });
        }
        return false;
    }

private:
    bool seen_ = false;
};

void watchPaints()
{
    qApp->installEventFilter(new PaintWatch);
}
}

namespace BenchSupport {

int runProgramUntilFirstPaint(char *argv0)
{
    qAddPreRoutine(watchPaints);
    char *arguments[] = {argv0, nullptr};
    int count = 1;
    return StartUp::Main(count, arguments);
}

Stats execToFirstPaint(const QString &catalogue, int runs, QString *shownJobNumber)
{
    QTemporaryDir home;
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
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(FirstPaintMode)});
        while (!child.canReadLine() && child.waitForReadyRead(60000)) {}
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        const QString line = QString::fromUtf8(child.readLine()).trimmed();
        child.waitForFinished(-1);
        if (shownJobNumber)
            *shownJobNumber = line.section(u' ', 1);
        samples.push_back(ms);
    }
    return summarize(samples);
}

void indexKeysAsTheFirstSessionDoes(const QString &catalogue)
{
    QString error;
    const std::atomic<bool> never{false};
    if (const auto store = SqliteStore::open(catalogue, false, error))
        store->indexKeys(QString::fromLatin1(ProjectsTable), QString::fromLatin1(JobNumberField), never);
}

void keepOrderAsAClosingSessionDoes(const QString &catalogue)
{
    Connection connection;
    connection.ConnectionString = catalogue;
    Recordset records(connection, QString::fromLatin1(ProjectsTable), Recordset::Optimistic);
    records.setSort(QString::fromLatin1(JobNumberField));
}
}
