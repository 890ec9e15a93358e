// A Windows catalogue met at start-up, through the morvo.res fallback and in
// "Set Database": the question, the conversion, the copy in use.
#include "JetTestData.h"
#include "ProgramTestCase.h"
#include "UnwritableFolder.h"

#include "catalogue/DataEnvironment1.h"
#include "forms/record/Form1.h"
#include "forms/tray/FrmMenu.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"

#include <QAction>
#include <QLineEdit>
#include <QtTest>

using namespace TestSupport;
using namespace JetTestData;

namespace {
const QString Question = "This catalogue was made by the Windows version of Morvo II. Make a copy that this version "
                         "can use? The original file stays as it is.";
const QString FoldersQuestion = "The drawing paths of the converted catalogue are Windows paths that do not lead to "
                                "drawings on this computer yet. Tell the program where their drives and shares are "
                                "now (Drawing Folders)?";
}

class TestWindowsCatalogue : public ProgramTestCase
{
    Q_OBJECT

    QString windowsCatalogue(const QString &sample, const QString &name)
    {
        const QString path = sandbox->path(name);
        QFile::copy(dataFile(sample), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
    QStringList filesBeside(const QString &path) const
    {
        return QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    static void setDatabase()
    {
        FrmMenu *tray = Forms::Loaded<FrmMenu>();
        tray->findChild<QAction *>("MnuUnlock")->trigger();
        tray->findChild<QAction *>("MnuLocate")->trigger();
    }

private slots:
    void startUpAsksConvertsAndOpensTheCopy()
    {
        const QString original = windowsCatalogue("projects/jet4_v2000_projects_pwd_program.mdb", "office.mdb");
        const QByteArray before = fileHash(original);
        sandbox->setSetting(original);
        messages->answers = {true};
        QVERIFY(StartUp::EntryRoutine());

        // The made catalogue's drawing paths are Windows paths this computer has no folders for.
        QCOMPARE(messages->messages.size(), 2);
        QCOMPARE(messages->messages[0].text, Question);
        QCOMPARE(messages->messages[0].title, QString("MorvoII"));
        QCOMPARE(messages->messages[0].buttons, MsgButtons::YesNo);
        QCOMPARE(messages->messages[1].text, FoldersQuestion);
        const QString copy = sandbox->path("office (converted).res");
        QCOMPARE(sandbox->setting(), copy);
        QCOMPARE(DataEnvironment1::instance().Connection1.ConnectionString, copy);
        QCOMPARE(Forms::Loaded<Form1>()->TxtNumber->text(), QString("J1007"));
        QCOMPARE(fileHash(original), before);
        QCOMPARE(filesBeside(original), (QStringList{"office (converted).res", "office.mdb"}));

        // The next start opens the copy without a question.
        unloadAllForms();
        DataEnvironment1::reset();
        messages->messages.clear();
        QVERIFY(StartUp::EntryRoutine());
        QVERIFY(messages->messages.isEmpty());
        QCOMPARE(DataEnvironment1::instance().Connection1.ConnectionString, copy);
    }

    void theOwnCatalogueFallbackIsConvertedToo()
    {
        const QString own = sandbox->programFolder() + "/morvo.res";
        QFile::copy(dataFile("projects/jet4_v2000_projects_nopwd.mdb"), own);
        messages->answers = {true};
        QVERIFY(StartUp::EntryRoutine());
        QCOMPARE(sandbox->setting(), sandbox->programFolder() + "/morvo (converted).res");
        QCOMPARE(DataEnvironment1::instance().rsConJobnr.RecordCount(), 7);
    }

    void noLeavesEverythingAsItWas()
    {
        const QString original = windowsCatalogue("projects/jet4_v2000_projects_nopwd.mdb", "office.mdb");
        sandbox->setSetting(original);
        messages->answers = {false};
        QVERIFY(!StartUp::EntryRoutine());
        QCOMPARE(messages->messages.size(), 2);
        QCOMPARE(messages->messages[1].text,
                 "Error finding Database\r\nThe catalogue \"" + original
                     + "\" was made by the Windows version of Morvo II and has not been converted.");
        QCOMPARE(sandbox->setting(), original);
        QCOMPARE(filesBeside(original), QStringList{"office.mdb"});
        QVERIFY(!Forms::Loaded<Form1>());
    }

    void aCatalogueThatCannotBeConvertedIsRefusedWithoutAQuestion_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("says");
        QTest::newRow("another password") << "projects/jet4_v2000_projects_pwd_catalog2000.mdb"
                                          << "protected by a password that this program does not know";
        QTest::newRow("ACE") << "headers/ace14_plain.accdb"
                             << "Access 2007 or later";
        QTest::newRow("encrypted") << "headers/jet4_encrypted.mdb"
                                   << "encrypted";
        QTest::newRow("workgroup") << "headers/jet3_workgroup.mdw"
                                   << "workgroup information file";
        QTest::newRow("damaged") << "damaged/version_byte_0x09_jet4_V2000.mdb"
                                 << "is damaged";
    }
    void aCatalogueThatCannotBeConvertedIsRefusedWithoutAQuestion()
    {
        QFETCH(QString, sample);
        QFETCH(QString, says);
        const QString original = windowsCatalogue(sample, "office.mdb");
        sandbox->setSetting(original);
        QVERIFY(!StartUp::EntryRoutine());
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY(messages->messages[0].text.startsWith("Error finding Database\r\nThe "));
        QVERIFY2(messages->messages[0].text.contains(says), qPrintable(messages->messages[0].text));
        QCOMPARE(filesBeside(original), QStringList{"office.mdb"});
    }

    void aDamagedCatalogueIsReportedAfterTheQuestionAndLeavesNothing()
    {
        const QString original = windowsCatalogue("damaged/hang_byteflips_jet4_test2V2000.mdb", "office.mdb");
        sandbox->setSetting(original);
        messages->answers = {true};
        QVERIFY(!StartUp::EntryRoutine());
        QCOMPARE(messages->messages.size(), 2);
        QVERIFY2(messages->messages[1].text.contains("has no table Projects"), qPrintable(messages->messages[1].text));
        QCOMPARE(filesBeside(original), QStringList{"office.mdb"});
    }

    void aFolderThatCannotBeWrittenPutsTheCopyInTheDataFolderAndSaysWhere()
    {
        QDir(sandbox->path("")).mkpath("share");
        const QString original = windowsCatalogue("projects/jet4_v2000_projects_nopwd.mdb", "share/morvo.res");
        UnwritableFolder share(sandbox->path("share"));
        if (!share.made())
            QSKIP("no folder can be made unwritable here (immutable flag or permissions)");
        sandbox->setSetting(original);
        messages->answers = {true};
        QVERIFY(StartUp::EntryRoutine());
        const QString copy = sandbox->path("MorvoII/morvo (converted).res");
        QCOMPARE(sandbox->setting(), copy);
        QCOMPARE(messages->messages.size(), 3);
        QCOMPARE(messages->messages[1].text,
                 "The folder of the Windows catalogue cannot be written, so the copy was "
                 "made in your data folder:\r\n"
                     + copy);
    }

    void setDatabaseConvertsTheChosenCatalogue()
    {
        QVERIFY(startProgram({record("1")}));
        const QString chosen = windowsCatalogue("projects/jet4_v2000_projects_nopwd.mdb", "chosen.res");
        FileDialogStub dialog(chosen);
        messages->answers = {true};
        setDatabase();
        QVERIFY(QTest::qWaitFor([this] { return programEnds > 0; }, 10000));
        QCOMPARE(messages->messages[0].text, Question);
        QCOMPARE(messages->messages.last().text, QString("New Database Location Set.\r\nRestart MORVO II"));
        QCOMPARE(sandbox->setting(), sandbox->path("chosen (converted).res"));
    }

    void setDatabaseRefusesAnotherPasswordAndKeepsTheSetting()
    {
        QVERIFY(startProgram({record("1")}));
        const QString before = sandbox->setting();
        FileDialogStub dialog(windowsCatalogue("projects/jet4_v2003_projects_pwd_nonascii.mdb", "other.res"));
        setDatabase();
        QVERIFY(QTest::qWaitFor([this] { return programEnds > 0; }, 10000));
        QCOMPARE(messages->messages.size(), 2);
        QVERIFY(messages->messages[0].text.contains("protected by a password that this program does not know"));
        QVERIFY(messages->messages[1].text.startsWith("Invalid Database Selected.\r\nEnding Program."));
        QCOMPARE(sandbox->setting(), before);
        QCOMPARE(filesBeside(sandbox->path("other.res")).filter("other").size(), 1);
    }
};

QTEST_MAIN(TestWindowsCatalogue)
#include "tst_windowscatalogue.moc"
