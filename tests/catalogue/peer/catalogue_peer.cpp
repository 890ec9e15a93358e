// Another person on the same catalogue, in a process of its own, for the
// multi-user tests: one operation from the command line, or a stress run.
//
//   catalogue_peer FILE set JOB FIELD VALUE     store one field of the record with that job number
//   catalogue_peer FILE delete JOB              delete that record
//   catalogue_peer FILE add JOB [FIELD VALUE]…  store a new record
//   catalogue_peer FILE stress WRITER SECONDS LOG SEED
//
// Prints ok, changed, gone, duplicate NUMBER or failed REASON; exits 0 on ok.
// The stress run writes every operation to LOG before it starts ("intent")
// and after it was acknowledged ("ack"), flushed each time, so that a run
// killed at any moment can be checked against the file.
#include "catalogue/CatalogueFields.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/Connection.h"
#include "catalogue/LeadingNumber.h"
#include "catalogue/Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {
using Conflict = Recordset::Conflict;

const QString JobNumber = QString::fromLatin1(JobNumberField);
const QString Tag = QStringLiteral("ProjectName");
const QString Client = QStringLiteral("ClientName");

QString outcome(const Recordset &rs)
{
    switch (rs.failure().conflict) {
    case Conflict::Changed:
        return QStringLiteral("changed");
    case Conflict::Gone:
        return QStringLiteral("gone");
    case Conflict::DuplicateJobNumber:
        return QStringLiteral("duplicate ") + rs.failure().freeJobNumber;
    case Conflict::Failed:
    case Conflict::None:
        break;
    }
    return QStringLiteral("failed ") + rs.lastError();
}

bool moveToJob(Recordset &rs, const QString &job)
{
    for (bool more = rs.MoveFirst(); more && !rs.EOF_(); more = rs.MoveNext()) {
        if (rs.value(JobNumber).toString() == job)
            return true;
    }
    return false;
}

int report(Recordset &rs, bool ok)
{
    std::printf("%s\n", ok ? "ok" : qPrintable(outcome(rs)));
    return ok ? 0 : 1;
}

int runOne(Recordset &rs, const QStringList &args)
{
    const QString op = args.value(0);
    if (op == QLatin1String("add")) {
        bool ok = rs.AddNew() && rs.setValue(JobNumber, args.value(1));
        for (int i = 2; ok && i + 1 < args.size(); i += 2)
            ok = rs.setValue(args[i], args[i + 1]);
        return report(rs, ok && rs.Update());
    }
    if (!moveToJob(rs, args.value(1))) {
        std::printf("failed no record %s\n", qPrintable(args.value(1)));
        return 1;
    }
    if (op == QLatin1String("set"))
        return report(rs, rs.setValue(args.value(2), args.value(3)) && rs.Update());
    if (op == QLatin1String("delete"))
        return report(rs, rs.Delete());
    std::printf("failed unknown operation %s\n", qPrintable(op));
    return 2;
}

class StressLog
{
public:
    explicit StressLog(const QString &path) : file_(path) { file_.open(QIODevice::Append | QIODevice::Text); }
    void write(const QStringList &words)
    {
        file_.write((words.join(u'\t') + u'\n').toUtf8());
        file_.flush();
        ::fsync(file_.handle());
    }

private:
    QFile file_;
};

// Random stores, adds and deletes; on a conflict it stores its own version
// or takes the other one at random, as a person would.
int runStress(Recordset &rs, const QStringList &args)
{
    const QString writer = args.value(1);
    const qint64 until = args.value(2).toLongLong() * 1000;
    StressLog log(args.value(3));
    QRandomGenerator random(args.value(4).toUInt());
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; clock.elapsed() < until; ++n) {
        rs.refresh();
        const qint64 count = rs.RecordCount();
        const int dice = int(random.bounded(100));
        if (dice < 25 || count < 3) {
            const QString tag = QStringLiteral("T%1-%2").arg(writer).arg(n);
            rs.MoveLast();
            const QString job = LeadingNumber::nextAfter(rs.value(JobNumber).toString());
            log.write({QStringLiteral("intent"), QStringLiteral("add"), tag});
            bool ok = rs.AddNew() && rs.setValue(JobNumber, job) && rs.setValue(Tag, tag)
                && rs.setValue(Client, QStringLiteral("new")) && rs.Update();
            if (!ok && rs.failure().conflict == Conflict::DuplicateJobNumber)
                ok = rs.useFreeJobNumber();
            if (ok)
                log.write({QStringLiteral("ack"), QStringLiteral("add"), tag, rs.value(JobNumber).toString()});
            else
                rs.takeTheirs();
            continue;
        }
        // Half the time one of a few busy records, so that people meet.
        const quint32 range = random.bounded(2) ? quint32(std::min<qint64>(count, 5)) : quint32(count);
        if (!rs.setAbsolutePosition(qint64(random.bounded(range)) + 1))
            continue;
        const QString tag = rs.value(Tag).toString();
        if (dice < 40 && tag.startsWith(u'T')) {
            log.write({QStringLiteral("intent"), QStringLiteral("delete"), tag});
            bool ok = rs.Delete();
            if (!ok && rs.failure().conflict == Conflict::Changed && random.bounded(2))
                ok = rs.deleteAnyway();
            if (ok)
                log.write({QStringLiteral("ack"), QStringLiteral("delete"), tag});
            else
                rs.takeTheirs();
            continue;
        }
        const QString before = rs.value(Client).toString();
        const QString value = QStringLiteral("W%1-%2").arg(writer).arg(n);
        log.write({QStringLiteral("intent"), QStringLiteral("update"), tag, before, value});
        bool ok = rs.setValue(Client, value) && rs.Update();
        QString over = before;
        if (!ok && rs.failure().conflict == Conflict::Changed && random.bounded(2)) {
            over = rs.failure().theirs[size_t(rs.fields().indexOf(Client))].toString();
            log.write({QStringLiteral("intent"), QStringLiteral("update"), tag, over, value});
            ok = rs.storeMineOverTheirs();
        }
        if (ok)
            log.write({QStringLiteral("ack"), QStringLiteral("update"), tag, over, value});
        else
            rs.takeTheirs();
    }
    return 0;
}
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(2);
    Connection connection;
    connection.ConnectionString = QCoreApplication::arguments().value(1);
    Recordset rs(connection, QStringLiteral("Projects"), Recordset::Optimistic, CatalogueSchema::fieldNames());
    if (!rs.setSort(JobNumber)) {
        std::printf("failed %s\n", qPrintable(rs.lastError()));
        return 2;
    }
    return args.value(0) == QLatin1String("stress") ? runStress(rs, args) : runOne(rs, args);
}
