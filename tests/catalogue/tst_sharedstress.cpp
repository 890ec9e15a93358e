// Several writers on one catalogue file at once, killed at random, then the
// file is checked against what each writer was told: every acknowledged store
// is there exactly once, no store went over another unseen, no job number is
// stored twice, and SQLite finds the file sound. MORVO_STRESS_SECONDS sets the
// length (20 s by default); MORVO_STRESS_WRITERS the writers at once (3).
#include "CatalogueFiles.h"

#include "stores/sqlite/SqlStatement.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>
#include <vector>

using namespace TestSupport;

namespace {
struct Update
{
    QString before, after;
};

struct Logs
{
    QSet<QString> addIntents, addAcks, deleteIntents, deleteAcks;
    QHash<QString, QList<Update>> updateAcks;
    QHash<QString, QSet<QString>> writtenValues; // every value a writer may have stored, acknowledged or not
    int acks = 0, intents = 0;
};

void readLog(const QString &path, Logs &logs)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QStringList w = QString::fromUtf8(line).split(u'\t');
        if (w.size() < 3)
            continue; // a line cut by the kill
        const bool ack = w[0] == QLatin1String("ack");
        (ack ? logs.acks : logs.intents)++;
        if (w[1] == QLatin1String("add"))
            (ack ? logs.addAcks : logs.addIntents).insert(w[2]);
        else if (w[1] == QLatin1String("delete"))
            (ack ? logs.deleteAcks : logs.deleteIntents).insert(w[2]);
        else if (w[1] == QLatin1String("update") && w.size() == 5) {
            logs.writtenValues[w[2]].insert(w[4]);
            if (ack)
                logs.updateAcks[w[2]].append({w[3], w[4]});
        }
    }
}

struct Row
{
    QString job, tag, client;
};

QList<Row> rowsIn(const QString &path, QString &integrity)
{
    QList<Row> rows;
    if (usingServer()) {
        integrity = QStringLiteral("ok"); // the server keeps its own house
        const QList<QVariant> jobs = fieldInFile(path, "JobNumber"), tags = fieldInFile(path, "ProjectName"),
                              clients = fieldInFile(path, "ClientName");
        for (qsizetype i = 0; i < jobs.size(); ++i)
            rows.append({jobs[i].toString(), tags[i].toString(), clients[i].toString()});
        return rows;
    }
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    {
        SqlStatement check(db, QStringLiteral("PRAGMA integrity_check"));
        integrity = check.step() ? check.text(0).toString() : QStringLiteral("unreadable");
        SqlStatement select(db, QStringLiteral("SELECT JobNumber, ProjectName, ClientName FROM Projects"));
        while (select.step())
            rows.append({select.text(0).toString(), select.text(1).toString(), select.text(2).toString()});
    }
    sqlite3_close(db);
    return rows;
}

// The history holds every committed change and nothing else: the newest
// entry of each row is the row as it stands, or its delete. How many rows
// disagree, or -1 when the file has no history.
int rowsTheHistoryDisagreesWith(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    int disagreeing = -1;
    {
        QStringList columns;
        SqlStatement info(db, QStringLiteral("PRAGMA table_info(Projects)"));
        while (info.step())
            columns << "p." + quoteIdentifier(info.text(1).toString());
        SqlStatement check(
            db,
            QStringLiteral("SELECT count(*) FROM \"MorvoII history of Projects\" AS h JOIN (SELECT max(seq) AS "
                           "seq FROM \"MorvoII history of Projects\" GROUP BY row_id) USING (seq) LEFT JOIN "
                           "Projects AS p ON p.rowid = h.row_id WHERE CASE h.change WHEN 'delete' THEN p.rowid "
                           "IS NOT NULL ELSE p.rowid IS NULL OR h.after IS NOT json_array(%1) END")
                .arg(columns.join(u',')));
        if (check.step())
            disagreeing = int(check.int64(0));
    }
    sqlite3_close(db);
    return disagreeing;
}
}

class TestSharedStress : public QObject
{
    Q_OBJECT

private slots:
    void writersKilledAtRandomLoseNothingAcknowledged()
    {
        CatalogueSandbox sandbox;
        if (qEnvironmentVariableIsSet("MORVO_STRESS_KEEP"))
            sandbox.keep(), qInfo("files in %s", qPrintable(sandbox.path("")));
        QList<Record> base;
        for (int n = 1; n <= 40; ++n)
            base << record(QString::number(1000 + n), QStringLiteral("Job %1").arg(n));
        const QString path = writeCatalogue(sandbox.path("stress.res"), base);
        const int seconds = qEnvironmentVariableIntValue("MORVO_STRESS_SECONDS") ?: 20;
        const int concurrent = qEnvironmentVariableIntValue("MORVO_STRESS_WRITERS") ?: 3;

        QRandomGenerator random(20261208);
        std::vector<std::unique_ptr<QProcess>> writers;
        QStringList logFiles;
        int kills = 0;
        QElapsedTimer clock;
        const auto start = [&] {
            const int id = int(writers.size());
            logFiles << sandbox.path(QStringLiteral("writer%1.log").arg(id));
            auto writer = std::make_unique<QProcess>();
            writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            writer->start(QStringLiteral(CATALOGUE_PEER),
                          {path, "stress", QString::number(id),
                           QString::number(std::max<qint64>(1, seconds - clock.elapsed() / 1000)), logFiles.last(),
                           QString::number(random.generate())});
            QVERIFY(writer->waitForStarted());
            writers.push_back(std::move(writer));
        };
        clock.start();
        for (int i = 0; i < concurrent; ++i)
            start();
        while (clock.elapsed() < seconds * 1000) {
            QTest::qWait(int(random.bounded(1500, 4000)));
            // Kill a running writer in the middle of whatever it does; another takes its place.
            std::vector<QProcess *> running;
            for (auto &w : writers)
                if (w->state() == QProcess::Running)
                    running.push_back(w.get());
            if (!running.empty() && clock.elapsed() < seconds * 1000 - 1000) {
                running[random.bounded(quint32(running.size()))]->kill();
                ++kills;
                start();
            }
        }
        for (auto &w : writers) {
            w->waitForFinished(seconds * 1000 + 30000);
            w->kill();
            w->waitForFinished();
        }

        Logs logs;
        for (const QString &log : logFiles)
            readLog(log, logs);
        QString integrity;
        const QList<Row> rows = rowsIn(path, integrity);
        QCOMPARE(integrity, QString("ok"));
        if (!usingServer())
            QCOMPARE(rowsTheHistoryDisagreesWith(path), 0);

        QHash<QString, int> tagCount, jobCount;
        for (const Row &row : rows) {
            ++tagCount[row.tag];
            ++jobCount[row.job];
        }
        for (auto it = jobCount.begin(); it != jobCount.end(); ++it)
            QVERIFY2(it.value() == 1, qPrintable("job number stored twice: " + it.key()));
        for (const Row &row : rows) {
            QVERIFY2(tagCount[row.tag] == 1, qPrintable("record stored twice: " + row.tag));
            QVERIFY2(row.tag.startsWith("Job ") || logs.addIntents.contains(row.tag),
                     qPrintable("record nobody added: " + row.tag));
            const QSet<QString> written = logs.writtenValues.value(row.tag);
            QVERIFY2(row.client == "Client" || row.client == "new" || written.contains(row.client),
                     qPrintable("value nobody stored: " + row.client));
        }
        for (const QString &tag : logs.addAcks)
            QVERIFY2(tagCount.contains(tag) || logs.deleteIntents.contains(tag), qPrintable("lost record: " + tag));
        for (const QString &tag : logs.deleteAcks)
            QVERIFY2(!tagCount.contains(tag), qPrintable("deleted record still there: " + tag));
        // Two acknowledged stores over the same version: one went over the other unseen.
        int updates = 0;
        for (auto it = logs.updateAcks.begin(); it != logs.updateAcks.end(); ++it) {
            QSet<QString> versions;
            for (const Update &u : it.value()) {
                QVERIFY2(!versions.contains(u.before), qPrintable("lost update of " + it.key() + " over " + u.before));
                versions.insert(u.before);
                ++updates;
            }
        }
        qInfo("%d writers (%d killed), %d intents, %d acknowledged: %lld adds, %lld deletes, %d stores; %d conflicts "
              "or refusals; %lld records at the end",
              int(writers.size()), kills, logs.intents, logs.acks, qint64(logs.addAcks.size()),
              qint64(logs.deleteAcks.size()), updates, logs.intents - logs.acks, qint64(rows.size()));
        QVERIFY(logs.acks > 20);
    }
};

QTEST_GUILESS_MAIN(TestSharedStress)
#include "tst_sharedstress.moc"
