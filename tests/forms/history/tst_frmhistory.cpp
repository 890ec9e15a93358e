// "History" in the record window: the versions of the job on screen, and a
// version restored as an ordinary update, refused while the window is locked.
#include "ProgramTestCase.h"

#include "catalogue/DataEnvironment1.h"
#include "forms/history/FrmDeleted.h"
#include "forms/history/FrmHistory.h"
#include "forms/tray/FrmMenu.h"
#include "stores/LoginName.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <sqlite3.h>

using namespace TestSupport;

class TestFrmHistory : public ProgramTestCase
{
    Q_OBJECT

    Form1 *window = nullptr;
    // Starts on one job, unlocked, with one mistaken store in its history.
    bool startWithAMistake()
    {
        window = startProgram({record("1030", "Harbour")});
        if (!window)
            return false;
        Forms::Get<FrmMenu>()->MnuUnlock_Click();
        storeName("Mistake");
        return true;
    }
    Recordset &rs() { return DataEnvironment1::instance().rsConJobnr; }
    QString catalogue() const { return usingServer() ? sandbox->setting() : sandbox->programFolder() + "/morvo.res"; }

    // Opens History from the menu and hands the dialog to what the test does in it.
    void inHistory(const std::function<void(FrmHistory &)> &act)
    {
        bool acted = false;
        QTimer::singleShot(0, [&] {
            auto *history = qobject_cast<FrmHistory *>(QApplication::activeModalWidget());
            QVERIFY(history);
            act(*history);
            acted = true;
            if (history->isVisible())
                history->reject();
        });
        Forms::Get<FrmMenu>()->MnuHistory_Click();
        QVERIFY(acted);
    }
    void storeName(const QString &name)
    {
        window->TxtName->setText(name);
        window->findChild<QPushButton *>("CmdUpdate")->click();
        QVERIFY(!rs().editPending());
    }

private slots:
    void anEarlierVersionComesBackAsAnUpdate()
    {
        QVERIFY(startWithAMistake());
        inHistory([&](FrmHistory &history) {
            QTableWidget *grid = history.GridVersions;
            QCOMPARE(grid->rowCount(), 2);
            QCOMPARE(grid->item(0, 3)->text(), QString("update"));
            QVERIFY(grid->item(0, 2)->text().startsWith(loginName())); // and the role on a server
            QCOMPARE(grid->item(0, 5)->text(), QString("Mistake"));
            QVERIFY(grid->item(0, 5)->font().bold()); // the field this version changed
            QVERIFY(!grid->item(0, 4)->font().bold());
            QCOMPARE(grid->item(1, 5)->text(), QString("Harbour"));
            grid->selectRow(1);
            history.CmdRestore_Click();
            QVERIFY(!history.isVisible());
        });
        QCOMPARE(window->TxtName->text(), QString("Harbour"));
        QCOMPARE(fieldInFile(catalogue(), "ProjectName"), QList<QVariant>{"Harbour"});
        const auto versions = rs().versions("1030");
        QVERIFY(versions && versions->size() == 3);
        QCOMPARE(versions->front().change, QString("restore"));
        QVERIFY(messages->messages.isEmpty());
    }

    // Someone else changes the name while the list is open: it is shown
    // first, and the restore, a store like any other, asks before it goes
    // over their version; here the user stores it all the same.
    void aRestoreOverSomeoneElsesChangeAsksFirst()
    {
        QVERIFY(startWithAMistake());
        ConflictAnswers answers({ConflictChoice::StoreMine});
        inHistory([&](FrmHistory &history) {
            const QString theirs = "UPDATE \"Projects\" SET \"ProjectName\" = 'Theirs' WHERE \"JobNumber\" = '1030'";
            if (usingServer()) {
                queryServer(catalogue(), theirs);
            } else {
                sqlite3 *db = nullptr;
                QCOMPARE(sqlite3_open(catalogue().toUtf8().constData(), &db), SQLITE_OK);
                sqlite3_busy_timeout(db, 5000); // the day's backup may be reading the file
                QCOMPARE(sqlite3_exec(db, theirs.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
                sqlite3_close(db);
            }
            history.GridVersions->selectRow(1);
            history.CmdRestore_Click();
            QCOMPARE(history.GridVersions->rowCount(), 3); // their version is listed now
            QCOMPARE(history.GridVersions->item(0, 5)->text(), QString("Theirs"));
            QCOMPARE(fieldInFile(catalogue(), "ProjectName"), QList<QVariant>{"Theirs"});
            history.GridVersions->selectRow(2);
            history.CmdRestore_Click();
        });
        QCOMPARE(messages->messages.size(), 1);
        QCOMPARE(answers.questions.size(), 1);
        QCOMPARE(fieldInFile(catalogue(), "ProjectName"), QList<QVariant>{"Harbour"});
    }

    void aLockedWindowRefusesToRestore()
    {
        QVERIFY(startWithAMistake());
        Forms::Get<FrmMenu>()->MnuLock_Click();
        inHistory([&](FrmHistory &history) {
            history.GridVersions->selectRow(1);
            history.CmdRestore_Click();
        });
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY(messages->messages[0].text.contains("locked"));
        QCOMPARE(fieldInFile(catalogue(), "ProjectName"), QList<QVariant>{"Mistake"});
        QVERIFY(!rs().editPending());
    }

    void aDeletedRecordComesBackUnderItsNumberOrTheNextFreeOne_data()
    {
        QTest::addColumn<bool>("takenMeanwhile");
        QTest::addColumn<QStringList>("jobsAfter");
        QTest::newRow("its number free") << false << QStringList{"1030", "1031"};
        QTest::newRow("its number taken") << true << QStringList{"1030", "1031", "1032"};
    }
    void aDeletedRecordComesBackUnderItsNumberOrTheNextFreeOne()
    {
        QFETCH(bool, takenMeanwhile);
        QFETCH(QStringList, jobsAfter);
        window = startProgram({record("1030", "Harbour"), record("1031", "Elm")});
        QVERIFY(window);
        Forms::Get<FrmMenu>()->MnuUnlock_Click();
        window->findChild<QPushButton *>("CmdDelete")->click();
        if (takenMeanwhile) {
            window->findChild<QPushButton *>("CmdAdd")->click(); // gives 1031 again
            storeName("Other");
        }
        messages->answers = {true};
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto *deleted = qobject_cast<FrmDeleted *>(QApplication::activeModalWidget());
            QVERIFY(deleted);
            QCOMPARE(deleted->GridDeleted->rowCount(), 1);
            QCOMPARE(deleted->GridDeleted->item(0, 0)->text(), QString("1031"));
            QVERIFY(deleted->GridDeleted->item(0, 3)->text().startsWith(loginName()));
            deleted->CmdUndelete_Click();
            shown = !deleted->isVisible();
        });
        Forms::Get<FrmMenu>()->MnuDeleted_Click();
        QVERIFY(shown);
        QCOMPARE(messages->messages.size(), takenMeanwhile ? 1 : 0); // the question about the number
        const QString file = catalogue();
        QStringList jobs = jobNumbersInFile(file);
        jobs.sort();
        QCOMPARE(jobs, jobsAfter);
        QCOMPARE(window->TxtName->text(), QString("Elm"));
        QCOMPARE(window->TxtNumber->text(), jobsAfter.last());
        QCOMPARE(rs().versions(jobsAfter.last())->front().change, QString("restore"));
    }
};

QTEST_MAIN(TestFrmHistory)
#include "tst_frmhistory.moc"
