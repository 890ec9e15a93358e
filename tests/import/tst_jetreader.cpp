// The Windows catalogue's header and the Jet reader process on real Jet files:
// the made Projects catalogues, public Jet 3 and Jet 4 samples, damaged files.
#include "JetTestData.h"

#include "import/CatalogueFile.h"
#include "import/ImportSource.h"
#include "import/JetRecordSource.h"
#include "import/JetVerdict.h"

#include <QElapsedTimer>
#include <QtTest>
#include <sys/stat.h>

using namespace JetTestData;

namespace {
QList<ImportRecord> readAll(RecordSource &source)
{
    QList<ImportRecord> records;
    ImportRecord record;
    while (source.next(record))
        records << record;
    return records;
}

ImportRecord textRecord(std::initializer_list<const char *> values)
{
    ImportRecord record;
    size_t i = 0;
    for (const char *value : values)
        record[i++] = QByteArray(value);
    return record;
}
}

class TestJetReader : public QObject
{
    Q_OBJECT

private slots:
    void theHeaderSaysWhatTheFileIs_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("engine");
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("convertible");
        QTest::addColumn<QString>("refusalSays");
        const int jet = JetHeader::Database;
        QTest::newRow("Jet 4, no password") << "projects/jet4_v2000_projects_nopwd.mdb" << jet << 1 << "" << true << "";
        QTest::newRow("Jet 4, the Windows version's password")
            << "projects/jet4_v2000_projects_pwd_program.mdb" << jet << 1 << "tovrinalek" << true << "";
        QTest::newRow("Jet 4, another password")
            << "projects/jet4_v2000_projects_pwd_catalog2000.mdb" << jet << 1 << "catalog2000" << false
            << "password that this program does not know";
        QTest::newRow("Jet 4 (2003), a non-ASCII password")
            << "projects/jet4_v2003_projects_pwd_nonascii.mdb" << jet << 1 << "Zeichnung-ß€" << false
            << "password that this program does not know";
        QTest::newRow("Jet 4, 18 non-ASCII characters")
            << "headers/jet4_password_nonascii.mdb" << jet << 1 << QString::fromUtf8("†‡œ\u0090‹—š‘”\u009d¢¨ªš©±®´")
            << false << "password";
        QTest::newRow("Jet 3, no password") << "headers/jet3_no_password.mdb" << jet << 0 << "" << true << "";
        QTest::newRow("Jet 3, a password") << "headers/jet3_password_frieda836.mdb" << jet << 0 << "frieda836" << false
                                           << "password that this program does not know";
        QTest::newRow("Jet 4, encrypted") << "headers/jet4_encrypted.mdb" << jet << 1 << "" << false << "encrypted";
        QTest::newRow("ACE") << "headers/ace14_plain.accdb" << int(JetHeader::Ace) << 3 << "" << false
                             << "Access 2007 or later (.accdb)";
        QTest::newRow("ACE, encrypted") << "headers/ace14_encrypted.accdb" << int(JetHeader::Ace) << 3 << "" << false
                                        << "(.accdb), encrypted";
        QTest::newRow("workgroup file") << "headers/jet3_workgroup.mdw" << int(JetHeader::Workgroup) << 0 << "" << false
                                        << "workgroup information file";
        QTest::newRow("unknown Jet version") << "damaged/version_byte_0x09_jet4_V2000.mdb" << jet << 9 << "" << false
                                             << "damaged and cannot be read (Unknown Jet version: 9)";
        QTest::newRow("cut in the middle of a page") << "damaged/truncated_30000b_jet3_carbon.mdb" << jet << 0
                                                     << "frieda836" << false << "ends in the middle of a page";
    }
    void theHeaderSaysWhatTheFileIs()
    {
        QFETCH(QString, file);
        QFETCH(int, engine);
        QFETCH(int, version);
        QFETCH(QString, password);
        QFETCH(bool, convertible);
        QFETCH(QString, refusalSays);
        const CatalogueFile inspected = inspectCatalogueFile(dataFile(file));
        QCOMPARE(inspected.kind, CatalogueFile::Jet);
        QCOMPARE(int(inspected.jet.engine), engine);
        QCOMPARE(inspected.jet.version, version);
        if (engine == JetHeader::Database && version <= 1)
            QCOMPARE(inspected.jet.password, password);
        const JetVerdict verdict = judgeJetFile(dataFile(file), inspected);
        QCOMPARE(verdict.convertible, convertible);
        QVERIFY2(verdict.refusal.contains(refusalSays), qPrintable(verdict.refusal));
        if (!convertible)
            QVERIFY(verdict.refusal.contains(QFileInfo(file).fileName()));
    }

    void otherFilesAreNoJetFiles_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<int>("kind");
        QTest::newRow("SQLite") << QByteArray("SQLite format 3\0rest", 20) << int(CatalogueFile::Sqlite);
        QTest::newRow("text") << QByteArray("JobNumber,ProjectName\r\n") << int(CatalogueFile::Other);
        QTest::newRow("Jet's first bytes only") << QByteArray("\0\1\0\0Standard", 12) << int(CatalogueFile::Other);
        QTest::newRow("empty") << QByteArray() << int(CatalogueFile::Empty);
    }
    void otherFilesAreNoJetFiles()
    {
        QFETCH(QByteArray, start);
        QFETCH(int, kind);
        QTemporaryDir dir;
        QFile file(dir.filePath("x.res"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(start);
        file.close();
        QCOMPARE(int(inspectCatalogueFile(file.fileName()).kind), kind);
        QCOMPARE(int(inspectCatalogueFile(dataFile("headers/nonjet.mdb")).kind), int(CatalogueFile::Other));
    }

    void aPipeOrAFolderIsNeverWaitedFor()
    {
        QTemporaryDir dir;
        const QString pipe = dir.filePath("pipe.res");
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(inspectCatalogueFile(pipe).kind, CatalogueFile::NotRegular);
        QCOMPARE(inspectCatalogueFile(dir.path()).kind, CatalogueFile::NotRegular);
        QVERIFY(timer.elapsed() < 1000);
    }

    void readsTheMadeCataloguesFieldByField_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("no password") << "projects/jet4_v2000_projects_nopwd.mdb";
        QTest::newRow("the Windows version's password") << "projects/jet4_v2000_projects_pwd_program.mdb";
        QTest::newRow("another password") << "projects/jet4_v2000_projects_pwd_catalog2000.mdb";
        QTest::newRow("Access 2003, non-ASCII password") << "projects/jet4_v2003_projects_pwd_nonascii.mdb";
    }
    void readsTheMadeCataloguesFieldByField()
    {
        QFETCH(QString, file);
        JetRecordSource source(dataFile(file), jetReader(), jetReaderLimitsFor(QFileInfo(dataFile(file)).size()));
        QVERIFY2(source.open(), qPrintable(source.error()));
        QCOMPARE(source.jetVersion(), 1);
        compareRecords(readAll(source), madeProjectRows());
        QVERIFY2(source.error().isEmpty(), qPrintable(source.error()));
        QVERIFY(source.notes().isEmpty());
    }

    void readsJet3TextInTheFilesCodePage()
    {
        // Jackcess's index test table: one character per row, bytes of code page 1252.
        JetRecordSource source(dataFile("jet3_jackcess_testIndexCodesV1997.mdb"), jetReader(), {20, 512 << 20});
        source.setTable("Table11", {"id", "data"});
        QVERIFY2(source.open(), qPrintable(source.error()));
        QCOMPARE(source.jetVersion(), 0);
        QCOMPARE(source.codePage(), 1252);
        const QList<ImportRecord> rows = readAll(source);
        QCOMPARE(rows.size(), 52);
        const QHash<int, QString> expected{
            {40, QString::fromUtf8("a\u00A0a")}, // no-break space, not a blank
            {41, "a\ta"},
            {42, "a\na"},
            {43, "a\fa"},
            {47, QString::fromUtf8("a°a")},
            {50, QString::fromUtf8("aƒa")}, // 0x83: 1252, not Latin-1
            {52, QString::fromUtf8("aäaaÓaaƒaaäaaÛa")},
        };
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            QCOMPARE(rows[it.key() - 1][0], std::optional<QByteArray>(QByteArray::number(it.key())));
            QCOMPARE(QString::fromUtf8(rows[it.key() - 1][1].value_or("NULL")), it.value());
        }
    }

    void readsMemosWithTheirLineBreaks()
    {
        JetRecordSource source(dataFile("jet4_mdbtestdata_DateTestDatabase.mdb"), jetReader(), {20, 512 << 20});
        source.setTable("DateTest", {"IDCol", "LongTextCol", "ShortTextCol"});
        QVERIFY2(source.open(), qPrintable(source.error()));
        const QList<ImportRecord> rows = readAll(source);
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows[0], textRecord({"1", "Hello", "Hello"}));
        QCOMPARE(rows[4], textRecord({"5", "Escaped new line \\r\\n in field", "Escaped new line \\r\\n in field"}));
        QCOMPARE(rows[5], textRecord({"6", "New line\r\nin field", "No new line"}));
        QVERIFY2(source.notes().size() == 1 && source.notes()[0].contains("DateTimeCol, DateCol, TimeCol"),
                 qPrintable(source.notes().join('|')));
    }

    void namesAMissingField()
    {
        JetRecordSource source(dataFile("projects/jet4_v2000_projects_nopwd.mdb"), jetReader(), {20, 512 << 20});
        source.setTable("Projects", {"JobNumber", "Architect", "County"});
        QVERIFY(!source.open());
        QVERIFY2(source.error().contains("has no field \"Architect\"."), qPrintable(source.error()));
    }

    void fileWithoutTheTableIsNoWindowsCatalogue()
    {
        JetRecordSource source(dataFile("jet4_mdbtestdata_DateTestDatabase.mdb"), jetReader(), {20, 512 << 20});
        QVERIFY(!source.open());
        QVERIFY2(source.error().contains("has no table Projects"), qPrintable(source.error()));
    }

    void aReaderThatHangsIsStoppedAtItsLimit()
    {
        // A pipe nobody writes to holds libmdb's open() for ever, using no processor time.
        QTemporaryDir dir;
        const QString pipe = dir.filePath("pipe.mdb");
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QElapsedTimer timer;
        timer.start();
        JetRecordSource reader(pipe, jetReader(), {2, 512 << 20});
        QVERIFY(!reader.open());
        QVERIFY2(reader.error().contains("(reading it did not end within 2 seconds)"), qPrintable(reader.error()));
        QVERIFY(timer.elapsed() >= 2000 && timer.elapsed() < 5000);
    }

    void aReaderThatCrashesIsReportedAsAFault()
    {
        // A stand-in reader that dies on a fault after a word on its error output.
        QTemporaryDir dir;
        QFile script(dir.filePath("crash.sh"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("echo 'error: reading page 18 failed.' >&2; kill -SEGV $$\n");
        script.close();
        JetRecordSource reader(script.fileName(), "/bin/sh", {5, 512 << 20});
        QVERIFY(!reader.open());
        QCOMPARE(reader.error(),
                 "The catalogue \"" + script.fileName()
                     + "\" is damaged and cannot be read (the reader stopped on a fault; libmdb: "
                       "error: reading page 18 failed.).");
    }

    void theLimitGrowsWithTheFileSize()
    {
        QCOMPARE(jetReaderLimitsFor(0).seconds, 10);
        QCOMPARE(jetReaderLimitsFor(100 << 20).seconds, 110);
        QVERIFY(jetReaderLimitsFor(1).memoryBytes > 0);
    }

    // Each damaged file gets a message within the reader's limit, and stays as
    // it was; the reader alone, on the table the file really has, ends within
    // its limit too (with an error where libmdb fails).
    void answersEveryDamagedFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("readerSays");
        const QStringList first{"A"};
        QTest::newRow("empty") << "empty_file.mdb"
                               << "is empty"
                               << "" << QStringList() << "";
        QTest::newRow("one page of four") << "truncated_1page_jet4_V2000.mdb"
                                          << "password"
                                          << "Table1" << first << "offset 8192 is beyond EOF";
        QTest::newRow("table list zeroed") << "zeroed_page2_jet4_V2000.mdb"
                                           << "password"
                                           << "Table1" << first << "not a valid table definition page";
        QTest::newRow("unknown version") << "version_byte_0x09_jet4_V2000.mdb"
                                         << "(Unknown Jet version: 9)"
                                         << "Table1" << first << "Unknown Jet version: 9";
        QTest::newRow("cut at 30000 bytes") << "truncated_30000b_jet3_carbon.mdb"
                                            << "ends in the middle of a page"
                                            << "Carbon Data" << QStringList{"Name"} << "offset 36864 is beyond EOF";
        // libmdb would follow the table's unreadable page map into a crash.
        QTest::newRow("crashes libmdb") << "segv_byteflips_jet3_carbon.mdb"
                                        << "password"
                                        << "Carbon Data" << QStringList{"ID", "Name", "Type"}
                                        << "the page map of the table cannot be read";
        QTest::newRow("hangs libmdb (cut)") << "hang_truncated_jet3_testV1997.mdb"
                                            << "ends in the middle of a page"
                                            << "Table1" << first << "is damaged";
        QTest::newRow("floods libmdb's output") << "hang_byteflips_jet4_test2V2000.mdb"
                                                << "has no table Projects"
                                                << "MSP_PROJECTS" << QStringList{"PROJ_NAME"} << "";
    }
    void answersEveryDamagedFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, says);
        QFETCH(QString, table);
        QFETCH(QStringList, fields);
        QFETCH(QString, readerSays);
        QTemporaryDir dir;
        const QString copy = copyInto(dir, "damaged/" + file);
        const QByteArray before = fileHash(copy);
        constexpr int LimitSeconds = 4;
        constexpr qint64 GraceMs = 3000; // a busy machine
        QElapsedTimer timer;

        // As the program meets it: the header first, then the reader.
        timer.start();
        ImportSource opened = importSourceFor(copy, jetReader());
        QString answer = opened.refusal;
        if (opened.source) {
            QVERIFY(!opened.source->open() || (readAll(*opened.source), !opened.source->error().isEmpty()));
            answer = opened.source->error();
        }
        QVERIFY2(answer.contains(says), qPrintable(answer));
        QVERIFY(timer.elapsed() < jetReaderLimitsFor(QFileInfo(copy).size()).seconds * 1000 + GraceMs);

        if (!table.isEmpty()) {
            timer.restart();
            JetRecordSource reader(copy, jetReader(), {LimitSeconds, 512 << 20});
            reader.setTable(table, fields);
            if (reader.open())
                readAll(reader);
            QVERIFY2(reader.error().contains(readerSays), qPrintable(reader.error()));
            QCOMPARE(reader.error().isEmpty(), readerSays.isEmpty());
            QVERIFY2(timer.elapsed() < LimitSeconds * 1000 + GraceMs, qPrintable(QString::number(timer.elapsed())));
        }
        QCOMPARE(fileHash(copy), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestJetReader)
#include "tst_jetreader.moc"
