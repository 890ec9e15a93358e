// The copies of a catalogue: which the rotation keeps, a day's copy made
// once, and a copy that cannot be made leaving nothing behind.
#include "UnwritableFolder.h"
#include "backups/CatalogueBackups.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

namespace {
QStringList named(const QStringList &days)
{
    QStringList names;
    for (const QString &day : days)
        names << "office " + day + ".res";
    return names;
}
}

class TestCatalogueBackups : public QObject
{
    Q_OBJECT

private slots:
    void theRotationKeepsSevenDaysAndFourWeeks_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("expired");
        QTest::newRow("fewer than a week") << named({"2026-12-08", "2026-12-09"}) << QStringList();
        // 2026-12-09 is a Wednesday: its week began on the 7th.
        QTest::newRow("ten days in a row")
            << named({"2026-11-30", "2026-12-01", "2026-12-02", "2026-12-03", "2026-12-04", "2026-12-05", "2026-12-06",
                      "2026-12-07", "2026-12-08", "2026-12-09"})
            << named({"2026-12-02", "2026-12-01", "2026-11-30"});
        QTest::newRow("dailies, then weeklies")
            << named({"2026-10-28", "2026-11-04", "2026-11-11", "2026-11-18", "2026-11-25", "2026-12-02", "2026-12-03",
                      "2026-12-04", "2026-12-05", "2026-12-06", "2026-12-07", "2026-12-08", "2026-12-09"})
            << named({"2026-12-02", "2026-11-11", "2026-11-04", "2026-10-28"});
        QTest::newRow("other files are not copies of it")
            << (named({"2026-01-01", "2026-01-02", "2026-01-03", "2026-01-04", "2026-01-05", "2026-01-06", "2026-01-07",
                       "2026-01-08", "2026-01-09"})
                + QStringList{"other 2020-01-01.res", "office 2020-01-01.res.part", "office 2020-13-01.res",
                              "office notes.txt"})
            << named({"2026-01-02", "2026-01-01"});
    }
    void theRotationKeepsSevenDaysAndFourWeeks()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, expired);
        QTemporaryDir dir;
        for (const QString &file : files) {
            QFile touched(dir.filePath(file));
            QVERIFY(touched.open(QIODevice::WriteOnly));
        }
        QStringList found;
        for (const QString &path : CatalogueBackups::expired(dir.path(), "/anywhere/office.res"))
            found << QFileInfo(path).fileName();
        QCOMPARE(found, expired);
    }

    void aDaysCopyIsMadeOnceAndAFailedOneLeavesNothing()
    {
        QTemporaryDir dir;
        const QString catalogue = dir.filePath("office.res");
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(catalogue.toUtf8().constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "CREATE TABLE Projects (JobNumber TEXT); INSERT INTO Projects VALUES ('1')", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        const QString folder = dir.filePath("backups");
        const QDate today(2026, 12, 9);
        const CatalogueBackups::Outcome first = CatalogueBackups::backUpDaily(catalogue, folder, today);
        QCOMPARE(first.written, folder + "/office 2026-12-09.res");
        QCOMPARE(first.error, QString());
        QCOMPARE(CatalogueBackups::backUpDaily(catalogue, folder, today).written, QString());

        const QString shut = dir.filePath("shut");
        QVERIFY(QDir().mkpath(shut));
        UnwritableFolder unwritable(shut);
        if (!unwritable.made())
            QSKIP("no folder can be made unwritable here");
        const CatalogueBackups::Outcome failed = CatalogueBackups::backUpDaily(catalogue, shut, today);
        QVERIFY(!failed.error.isEmpty());
        QCOMPARE(QDir(shut).entryList(QDir::Files | QDir::Hidden), QStringList());
        QFile foreign(dir.filePath("foreign.res"));
        QVERIFY(foreign.open(QIODevice::WriteOnly) && foreign.write(QByteArray(4096, 'x')) == 4096);
        foreign.close();
        QVERIFY(!CatalogueBackups::backUpDaily(foreign.fileName(), folder, today).error.isEmpty());
        QVERIFY(!QFile::exists(folder + "/foreign 2026-12-09.res"));
    }
};

QTEST_GUILESS_MAIN(TestCatalogueBackups)
#include "tst_cataloguebackups.moc"
