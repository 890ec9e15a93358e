#include "ProgramTestCase.h"
#include "UnwritableFolder.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/DataEnvironment1.h"
#include "desktop/AppPaths.h"
#include "desktop/SingleInstance.h"
#include "forms/checkconn/FrmCheckConn.h"
#include "forms/record/Form1.h"
#include "forms/search/SrchDialog.h"
#include "forms/tray/AboutDialog.h"
#include "forms/tray/FrmMenu.h"
#include "shell/FrmFakeMin.h"
#include "startup/DailyBackup.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>

using namespace TestSupport;

class TestStartUp : public ProgramTestCase
{
    Q_OBJECT

    QString ownCatalogue() const { return sandbox->programFolder() + "/morvo.res"; }
    void touchStaleDataFile() const
    {
        QFile f(sandbox->programFolder() + "/data1.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    bool staleDataFileExists() const { return QFile::exists(sandbox->programFolder() + "/data1.txt"); }

    // The delivered companions and the user's data in folders of their own,
    // as in a build folder or an install.
    struct Apart
    {
        QString example;
        QString own;
    };
    Apart companionsApartFromUserData() const
    {
        const QString program = sandbox->path("program");
        QDir().mkpath(program);
        AppPaths::setProgramFolder(program);
        qputenv("XDG_DATA_HOME", sandbox->path("data").toUtf8());
        return {program + "/morvo.res", sandbox->path("data") + "/MorvoII/morvo.res"};
    }

private slots:
    void withoutASettingTheOwnCatalogueIsOpenedAndRemembered()
    {
        writeCatalogue(ownCatalogue(), {record("1040"), record("1041", "Last one"), record("7")});
        QVERIFY(!sandbox->hasSetting());
        QVERIFY(StartUp::EntryRoutine());
        QCOMPARE(sandbox->setting(), ownCatalogue());
        Form1 *window = Forms::Loaded<Form1>();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->TxtNumber->text(), QString("1041"));
        QCOMPARE(window->TxtName->text(), QString("Last one"));
        QVERIFY(messages->messages.isEmpty());
    }

    void everyWindowCarriesItsDesignName()
    {
        writeCatalogue(ownCatalogue(), {record("1")});
        QVERIFY(StartUp::EntryRoutine());
        // The windows the record window loads, and those loaded on request.
        const QList<QWidget *> windows{Forms::Loaded<Form1>(),      Forms::Loaded<FrmMenu>(),
                                       Forms::Loaded<FrmFakeMin>(), Forms::Loaded<SrchDialog>(),
                                       Forms::Get<AboutDialog>(),   Forms::Get<FrmCheckConn>()};
        const QStringList names{"Form1", "FrmMenu", "FrmFakeMin", "SrchDialog", "AboutDialog", "FrmCheckConn"};
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY2(windows[i], qPrintable(names[i]));
            QCOMPARE(windows[i]->objectName(), names[i]);
        }
    }

    // On the first start of a day the copy waits for the search text, which
    // would otherwise share the cores with it.
    void theDaysCopyWaitsForTheSearchText()
    {
        const QString office = writeCatalogue(sandbox->path("office.res"), {record("500")});
        Connection connection;
        connection.ConnectionString = office;
        Recordset records(connection, QString::fromLatin1(ProjectsTable), Recordset::Optimistic);
        QWidget window;
        DailyBackup::start(office, &window, records);
        const QString copy = DailyBackup::folder() + "/office " + QDate::currentDate().toString(Qt::ISODate) + ".res";
        QTest::qWait(300);
        QVERIFY(!QFile::exists(copy));
        emit records.searchTextReady();
        QTRY_VERIFY(QFile::exists(copy));
    }

    void theFirstStartOfTheDayCopiesTheCatalogueAndSaysOnceWhenItCannot()
    {
        const QString office = writeCatalogue(sandbox->path("office.res"), {record("500"), record("501")});
        sandbox->setSetting(office);
        const QString copy = DailyBackup::folder() + "/office " + QDate::currentDate().toString(Qt::ISODate) + ".res";
        QVERIFY(StartUp::EntryRoutine());
        QTRY_VERIFY(QFile::exists(copy));
        QCOMPARE(jobNumbersInFile(copy), (QStringList{"500", "501"}));

        const QString shut = writeCatalogue(sandbox->path("shut.res"), {record("1")});
        sandbox->setSetting(shut);
        UnwritableFolder unwritable(DailyBackup::folder());
        if (!unwritable.made())
            QSKIP("no folder can be made unwritable here");
        for (int start = 0; start < 2; ++start) {
            unloadAllForms();
            DataEnvironment1::reset();
            QVERIFY(StartUp::EntryRoutine());
            QTRY_COMPARE(messages->messages.size(), 1);
            QTest::qWait(300);
        }
        QCOMPARE(messages->messages.size(), 1); // said once that day
        QVERIFY(messages->messages[0].text.contains("could not be made"));
        QVERIFY(messages->messages[0].text.contains("The catalogue itself is unchanged."));
    }

    void aStoredCatalogueElsewhereIsUsedAndKept()
    {
        writeCatalogue(ownCatalogue(), {record("1")});
        const QString elsewhere = writeCatalogue(sandbox->path("office.res"), {record("500"), record("501")});
        sandbox->setSetting(elsewhere);
        QVERIFY(StartUp::EntryRoutine());
        QCOMPARE(sandbox->setting(), elsewhere);
        QCOMPARE(Forms::Loaded<Form1>()->TxtNumber->text(), QString("501"));
    }

    void aStoredPathThatIsNoOrdinaryFileFallsBackToTheOwnCatalogue_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("deleted file") << "deleted";
        QTest::newRow("FIFO, which would block an open for ever") << "fifo";
    }
    void aStoredPathThatIsNoOrdinaryFileFallsBackToTheOwnCatalogue()
    {
        QFETCH(QString, kind);
        writeCatalogue(ownCatalogue(), {record("12")});
        const QString stored = sandbox->path("stored.res");
        if (kind == "fifo")
            QCOMPARE(mkfifo(stored.toUtf8().constData(), 0600), 0);
        sandbox->setSetting(stored);
        QVERIFY(StartUp::EntryRoutine());
        QCOMPARE(sandbox->setting(), ownCatalogue());
        QVERIFY(messages->messages.isEmpty());
    }

    void noCatalogueAnywhereEndsWithTwoMessagesAndNoWindow()
    {
        sandbox->setSetting(sandbox->path("deleted.res"));
        touchStaleDataFile();
        QVERIFY(!StartUp::EntryRoutine());
        QCOMPARE(messages->messages.size(), 2);
        QCOMPARE(messages->messages[0].text, QString("Database File not found"));
        QCOMPARE(messages->messages[0].title, QString("MorvoII"));
        QCOMPARE(messages->messages[0].icon, MsgIcon::None);
        QVERIFY(messages->messages[1].text.startsWith("Error finding Database\r\n"));
        QVERIFY2(messages->messages[1].text.contains("does not exist"), qPrintable(messages->messages[1].text));
        QCOMPARE(messages->messages[1].title, QString("MorvoII"));
        QVERIFY(!Forms::Loaded<Form1>());
        QVERIFY(!staleDataFileExists());
        // The setting keeps what it held.
        QCOMPARE(sandbox->setting(), sandbox->path("deleted.res"));
    }

    void aStoredFileThatIsNoCatalogueIsReportedAndNotReplaced()
    {
        writeCatalogue(ownCatalogue(), {record("1")});
        const QString foreign = sandbox->path("letter.res");
        QFile f(foreign);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Dear Sir, this is not a catalogue.\n");
        f.close();
        sandbox->setSetting(foreign);
        for (int start = 0; start < 2; ++start) {
            messages->messages.clear();
            DataEnvironment1::reset();
            QVERIFY(!StartUp::EntryRoutine());
            QCOMPARE(messages->messages.size(), 1);
            QVERIFY(messages->messages[0].text.startsWith("Error finding Database\r\n"));
            QVERIFY(messages->messages[0].text.contains("not a SQLite database"));
            QCOMPARE(sandbox->setting(), foreign);
        }
    }

    void aMissingStaleDataFileIsNoError()
    {
        sandbox->setSetting(sandbox->path("gone.res"));
        QVERIFY(!StartUp::EntryRoutine());
        QVERIFY(!staleDataFileExists());
        QCOMPARE(messages->messages.size(), 2);
    }

    void anEmptyCatalogueOpensWithEmptyBoxes()
    {
        writeCatalogue(ownCatalogue(), {});
        QVERIFY(StartUp::EntryRoutine());
        QVERIFY(messages->messages.isEmpty());
        Form1 *window = Forms::Loaded<Form1>();
        QVERIFY(window->TxtNumber->text().isEmpty());
        QVERIFY(window->txtFileLoc->text().isEmpty());
    }

    void theFirstStartWorksOnACopyOfTheExampleInTheUsersFolder()
    {
        const Apart folders = companionsApartFromUserData();
        writeCatalogue(
            folders.example,
            {record("1040", "Plan", "examples/1040/plan.dwg"), record("1041", "Absolute", "/srv/jobs/1041/site.dwg")});
        const QByteArray delivered = [&] {
            QFile f(folders.example);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY(StartUp::EntryRoutine());
        QCOMPARE(sandbox->setting(), folders.own);
        QCOMPARE(jobNumbersInFile(folders.own), (QStringList{"1040", "1041"}));
        // The example's drawings are found from the copy, wherever it lies.
        QCOMPARE(fieldInFile(folders.own, "Drawing Directory&Name"),
                 (QList<QVariant>{sandbox->path("program") + "/examples/1040/plan.dwg", "/srv/jobs/1041/site.dwg"}));
        QVERIFY(!QFile::exists(folders.own + ".part"));
        QFile example(folders.example);
        QVERIFY(example.open(QIODevice::ReadOnly));
        QCOMPARE(example.readAll(), delivered);
        QVERIFY(messages->messages.isEmpty());
    }

    void theUsersCopyIsNeverReplacedAndStandsForTheExample_data()
    {
        QTest::addColumn<bool>("settingNamesTheExample");
        QTest::newRow("no setting") << false;
        QTest::newRow("setting names the delivered example") << true;
    }
    void theUsersCopyIsNeverReplacedAndStandsForTheExample()
    {
        QFETCH(bool, settingNamesTheExample);
        const Apart folders = companionsApartFromUserData();
        writeCatalogue(folders.example, {record("1")});
        QDir().mkpath(QFileInfo(folders.own).absolutePath());
        writeCatalogue(folders.own, {record("500", "Mine")});
        if (settingNamesTheExample)
            sandbox->setSetting(folders.example);
        QVERIFY(StartUp::EntryRoutine());
        QCOMPARE(sandbox->setting(), folders.own);
        QCOMPARE(Forms::Loaded<Form1>()->TxtName->text(), QString("Mine"));
        QCOMPARE(jobNumbersInFile(folders.own), QStringList{"500"});
    }

    void aCopyThatCannotBeMadeEndsAsAMissingCatalogue()
    {
        const Apart folders = companionsApartFromUserData();
        writeCatalogue(folders.example, {record("1")});
        // A file where the user's folder should be: the copy has nowhere to go.
        QFile blocker(sandbox->path("data") + "/MorvoII");
        QDir().mkpath(sandbox->path("data"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QFile stale(sandbox->path("program") + "/data1.txt");
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        QVERIFY(!StartUp::EntryRoutine());
        QCOMPARE(messages->texts().value(0), QString("Database File not found"));
        QVERIFY(messages->texts().value(1).startsWith("Error finding Database\r\n"));
        QVERIFY(!sandbox->hasSetting());
        QVERIFY(!stale.exists());
    }

    void aStaleDataFileInTheUsersFolderIsRemovedToo()
    {
        const Apart folders = companionsApartFromUserData();
        QDir().mkpath(QFileInfo(folders.own).absolutePath());
        QFile stale(QFileInfo(folders.own).absolutePath() + "/data1.txt");
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        sandbox->setSetting(sandbox->path("gone.res"));
        QVERIFY(!StartUp::EntryRoutine());
        QVERIFY(!stale.exists());
    }

    void aSecondInstanceAsksTheFirstToActivate()
    {
        const QString name = QStringLiteral("MorvoII-test-%1").arg(QCoreApplication::applicationPid());
        SingleInstance first(name);
        QVERIFY(first.claim());
        QSignalSpy activations(&first, &SingleInstance::activationRequested);
        SingleInstance second(name);
        QVERIFY(!second.claim());
        QVERIFY(second.activateRunning());
        QTRY_COMPARE(activations.count(), 1);
    }
};

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
