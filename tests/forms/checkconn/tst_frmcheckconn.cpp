// "Set Database": the chooser, the check window with its spinner, the stored
// path, and the end of the program whatever the outcome.
#include "ProgramTestCase.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/DataEnvironment1.h"
#include "forms/checkconn/FrmCheckConn.h"
#include "forms/record/Form1.h"
#include "forms/tray/FrmMenu.h"
#include "startup/StartUp.h"
#include "stores/sqlite/SqlStatement.h"
#include "widgets/Forms.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

using namespace TestSupport;

namespace {
const Message Changed{"New Database Location Set.\r\nRestart MORVO II", MsgIcon::Information,
                      "MORVO-II Database Changed"};
const Message Invalid{"Invalid Database Selected.\r\nEnding Program.", MsgIcon::Exclamation, "MORVO II - Error"};

// The refusal names its cause after the fixed text.
bool operator==(const Message &a, const Message &b)
{
    return (a.text == b.text || (&b == &Invalid && a.text.startsWith(b.text + "\r\n\r\n"))) && a.icon == b.icon
        && a.title == b.title;
}

void writeSqlite(const QString &path, const char *sql)
{
    QFile::remove(path);
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
}
}

class TestFrmCheckConn : public ProgramTestCase
{
    Q_OBJECT

    QString catalogue;

    Form1 *start()
    {
        catalogue = writeCatalogue(sandbox->programFolder() + "/morvo.res",
                                   {record("1040", "Middle"), record("1041", "Highest")});
        if (!StartUp::EntryRoutine())
            return nullptr;
        return Forms::Loaded<Form1>();
    }
    static FrmMenu *tray() { return Forms::Loaded<FrmMenu>(); }
    static void setDatabase()
    {
        tray()->findChild<QAction *>("MnuUnlock")->trigger();
        tray()->findChild<QAction *>("MnuLocate")->trigger();
    }
    // The check runs on the window's timer, about 400 ms after it loaded.
    bool programEnded()
    {
        return QTest::qWaitFor([this] { return programEnds > 0; }, 5000);
    }

private slots:
    void cancellingTheDialogChangesNothing()
    {
        Form1 *w = start();
        QVERIFY(w);
        FileDialogStub dialog(std::nullopt);
        setDatabase();
        QCOMPARE(dialog.requests.size(), 1);
        QCOMPARE(dialog.requests[0].title, QString("Morvo II"));
        QCOMPARE(dialog.requests[0].fileName, QString("*.res"));
        QCOMPARE(dialog.requests[0].filter, QString("Database (*.res)"));
        QVERIFY(!Forms::Loaded<FrmCheckConn>());
        QTest::qWait(600);
        QCOMPARE(Forms::Loaded<Form1>(), w);
        QCOMPARE(sandbox->setting(), catalogue);
        QVERIFY(messages->messages.isEmpty());
        QCOMPARE(programEnds, 0);
    }

    void theCheckWindowShowsItsSpinner()
    {
        QVERIFY(start());
        const QString other = writeCatalogue(sandbox->path("other.res"), {record("1")});
        FileDialogStub dialog(other);
        setDatabase();
        FrmCheckConn *check = Forms::Loaded<FrmCheckConn>();
        QVERIFY(check && check->isVisible());
        QCOMPARE(check->windowTitle(), QString("Checking Connection"));
        QVERIFY(check->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(check->geometry(), QRect(231, 264, 268, 27));
        QCOMPARE(check->minimumSize(), check->maximumSize());
        QCOMPARE(check->Label1->text(), QString("Checking Database Connection..."));
        QCOMPARE(check->Label1->geometry(), QRect(12, 8, 165, 13));
        QCOMPARE(check->LblShowOff->geometry(), QRect(180, 8, 41, 13));
        QVERIFY(check->LblShowOff->text().isEmpty());
        QVERIFY(!check->Text1->isVisibleTo(check));
        QCOMPARE(check->Text1->text(), other);
        QCOMPARE(check->Timer1->interval(), 100);
        QVERIFY(check->Timer1->isActive());
        QVERIFY(programEnded());
    }

    void theSpinnerTurnsAndTheCheckRunsOnceAtTheFourthTick()
    {
        QVERIFY(start());
        FrmCheckConn *check = Forms::Get<FrmCheckConn>();
        check->Timer1->stop();
        check->startCheck(sandbox->path("missing.res"));
        QTRY_VERIFY(check->checkAnswered());
        QStringList signs;
        for (int tick = 1; tick <= 10; ++tick) {
            check->Timer1_Timer();
            signs << check->LblShowOff->text();
            QCOMPARE(messages->messages.size(), tick < 4 ? 0 : 1);
        }
        // "-" stays for the pause tick, then the cycle starts again.
        QCOMPARE(signs, (QStringList{"\\", "|", "/", "-", "-", "\\", "|", "/", "-", "-"}));
        QCOMPARE(check->TickCount, qint16(10));
        QCOMPARE(check->CheckPath, sandbox->path("missing.res"));

        // The tick count never wraps round to the check again.
        check->TickCount = std::numeric_limits<qint16>::max();
        for (int tick = 0; tick < 8; ++tick)
            check->Timer1_Timer();
        QCOMPARE(check->TickCount, std::numeric_limits<qint16>::max());
        QCOMPARE(messages->messages.size(), 1);
    }

    void theCheckRunsAboutFourTicksAfterTheWindowLoads()
    {
        QVERIFY(start());
        const QString other = writeCatalogue(sandbox->path("other.res"), {record("1")});
        FileDialogStub dialog(other);
        QElapsedTimer clock;
        clock.start();
        setDatabase();
        QVERIFY(programEnded());
        QVERIFY2(clock.elapsed() >= 350, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(messages->messages.size(), 1);
    }

    void aValidCatalogueIsStoredAndTheProgramEnds_data()
    {
        QTest::addColumn<bool>("sameCatalogue");
        QTest::newRow("another catalogue") << false;
        QTest::newRow("the catalogue in use") << true;
    }
    void aValidCatalogueIsStoredAndTheProgramEnds()
    {
        QFETCH(bool, sameCatalogue);
        QVERIFY(start());
        const QString chosen = sameCatalogue ? catalogue : writeCatalogue(sandbox->path("other.res"), {record("1")});
        FileDialogStub dialog(chosen);
        setDatabase();
        QVERIFY(programEnded());
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY(messages->messages[0] == Changed);
        QCOMPARE(sandbox->setting(), chosen);
        QCOMPARE(programEnds, 1);
        QCOMPARE(Forms::loadedCount(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget *top : QApplication::topLevelWidgets())
            QVERIFY2(!qobject_cast<Form *>(top), top->metaObject()->className());
        // The running catalogue was never switched.
        QCOMPARE(DataEnvironment1::instance().Connection1.ConnectionString, catalogue);
    }

    void anInvalidChoiceIsRefusedAndTheProgramEnds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("not a database") << "text";
        QTest::newRow("no Projects table") << "noProjects";
        QTest::newRow("Projects without JobNumber") << "noJobNumber";
        QTest::newRow("empty Projects table") << "empty";
        QTest::newRow("missing file") << "missing";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a FIFO") << "fifo";
        QTest::newRow("a field start-up needs is missing") << "noFileName";
    }
    void anInvalidChoiceIsRefusedAndTheProgramEnds()
    {
        QFETCH(QString, kind);
        QVERIFY(start());
        QString chosen = sandbox->path("chosen.res");
        if (kind == "text") {
            QFile file(chosen);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("JobNumber,ProjectName\n1,A\n");
        } else if (kind == "noProjects") {
            writeSqlite(chosen, "CREATE TABLE Other (JobNumber TEXT); INSERT INTO Other VALUES ('1');");
        } else if (kind == "noJobNumber") {
            writeSqlite(chosen, "CREATE TABLE Projects (ProjectName TEXT); INSERT INTO Projects VALUES ('A');");
        } else if (kind == "empty") {
            writeCatalogue(chosen, {});
        } else if (kind == "folder") {
            chosen = sandbox->programFolder();
        } else if (kind == "fifo") {
            QCOMPARE(mkfifo(chosen.toUtf8().constData(), 0600), 0);
        } else if (kind == "noFileName") {
            writeSqlite(chosen,
                        "CREATE TABLE Projects (JobNumber TEXT, ProjectName TEXT, ProjectDescription TEXT, "
                        "ClientName TEXT, County TEXT, Date TEXT, \"Drawing Number\" TEXT);"
                        "INSERT INTO Projects (JobNumber) VALUES ('1');");
        }
        FileDialogStub dialog(chosen);
        setDatabase();
        QVERIFY(programEnded());
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY2(messages->messages[0] == Invalid, qPrintable(messages->messages[0].text));
        if (kind == "noFileName") // the very cause that start-up would give
            QVERIFY(messages->messages[0].text.endsWith("has no field \"Drawing Directory&Name\"."));
        QCOMPARE(sandbox->setting(), catalogue);
        QCOMPARE(Forms::loadedCount(), 0);
    }

    void aPendingEditIsStoredBeforeTheProgramEnds()
    {
        Form1 *w = start();
        tray()->MnuUnlock_Click();
        QTest::keyClicks(w->TxtName, "Renamed ");
        FileDialogStub dialog(writeCatalogue(sandbox->path("other.res"), {record("1")}));
        setDatabase();
        QVERIFY(programEnded());
        QCOMPARE(fieldInFile(catalogue, "ProjectName"), (QList<QVariant>{"Middle", "Renamed Highest"}));
    }

    void setDatabaseIsOfferedOnlyWhileUnlocked()
    {
        QVERIFY(start());
        QAction *locate = tray()->findChild<QAction *>("MnuLocate");
        QVERIFY(!locate->isEnabled());
        tray()->MnuUnlock_Click();
        QVERIFY(locate->isEnabled());
        tray()->MnuLock_Click();
        QVERIFY(!locate->isEnabled());
    }

    // "Set Database Server" keeps what is no server's address, and any
    // password, out of the settings: a message, and nothing changes.
    void aServerAddressThatCannotBeKeptIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("says");
        QTest::newRow("a file name") << "/srv/share/morvo.res"
                                     << "is not the address of a PostgreSQL server";
        QTest::newRow("password in the URI") << "postgresql://ann:secret@db/cadjobs"
                                             << "never keeps a password";
        QTest::newRow("password keyword") << "service=office password=secret"
                                          << "never keeps a password";
    }
    void aServerAddressThatCannotBeKeptIsRefused()
    {
        QFETCH(QString, typed);
        QFETCH(QString, says);
        QVERIFY(start());
        const QString before = sandbox->setting();
        tray()->findChild<QAction *>("MnuUnlock")->trigger();
        QTimer::singleShot(0, [typed] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setTextValue(typed);
            dialog->accept();
        });
        tray()->findChild<QAction *>("MnuLocateServer")->trigger();
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY2(messages->messages[0].text.contains(says), qPrintable(messages->messages[0].text));
        QVERIFY(!Forms::Loaded<FrmCheckConn>());
        QCOMPARE(sandbox->setting(), before);
        QCOMPARE(programEnds, 0);
    }
};

QTEST_MAIN(TestFrmCheckConn)
#include "tst_frmcheckconn.moc"
