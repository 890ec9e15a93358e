#include "ProgramTestCase.h"

#include "catalogue/DataEnvironment1.h"
#include "forms/record/Form1.h"
#include "forms/tray/FrmMenu.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"
#include "widgets/TextBinder.h"

#include <QDate>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace TestSupport;

class TestForm1Records : public ProgramTestCase
{
    Q_OBJECT

    QString catalogue;

    Form1 *start(const QList<Record> &records)
    {
        catalogue = writeCatalogue(sandbox->programFolder() + "/morvo.res", records);
        if (!StartUp::EntryRoutine())
            return nullptr;
        // The window opens locked; these tests edit records.
        Forms::Get<FrmMenu>()->MnuUnlock_Click();
        Form1 *window = Forms::Loaded<Form1>();
        window->activateWindow();
        return window;
    }
    static void click(Form1 *w, const char *button)
    {
        QPushButton *b = w->findChild<QPushButton *>(button);
        QVERIFY2(b, button);
        b->click();
    }
    static QList<Record> numbered(int count)
    {
        QList<Record> records;
        for (int i = 1; i <= count; ++i)
            records << record(QString::number(1000 + i), QStringLiteral("Job %1").arg(i));
        return records;
    }
    static QString today() { return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat); }

private slots:
    void layoutFollowsTheTables()
    {
        Form1 *w = start(numbered(1));
        QCOMPARE(w->windowTitle(), QString("    Morvo II"));
        QCOMPARE(w->size(), QSize(620, 409));
        QCOMPARE(w->TxtNumber->geometry(), QRect(24, 72, 73, 19));
        QCOMPARE(w->txtFileLoc->geometry(), QRect(24, 341, 370, 19));
        QCOMPARE(w->findChild<QPushButton *>("Command6")->toolTip(), QString("Go to Next Record"));
        QCOMPARE(w->findChild<QPushButton *>("CmdAdd")->geometry(), QRect(24, 364, 65, 25));
        QVERIFY(w->TxtDesc->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn);
        // Tab order: the boxes in their order, then the record buttons.
        const QStringList expected{"TxtNumber",  "TxtClient",  "txtDate",   "TxtName",  "TxtDesc",  "TxtCounty",
                                   "TxtFileNum", "txtFileLoc", "Command3",  "Command4", "Command5", "Command6",
                                   "Command7",   "CmdAdd",     "CmdDelete", "CmdUpdate"};
        QWidget *at = w->TxtNumber;
        for (const QString &name : expected) {
            QCOMPARE(at->objectName(), name);
            at = at->nextInFocusChain();
            while (at->focusPolicy() == Qt::NoFocus || !at->isVisibleTo(w) || at->objectName().isEmpty())
                at = at->nextInFocusChain();
        }
    }

    void opensOnTheHighestJobNumber()
    {
        Form1 *w = start({record("1003", "C"), record("1001", "A"), record("1010", "Z"), record("1002", "B")});
        QCOMPARE(w->TxtNumber->text(), QString("1010"));
        QCOMPARE(w->TxtName->text(), QString("Z"));
    }

    void prevAndNextDoNothingAtTheEnds()
    {
        Form1 *w = start(numbered(3));
        click(w, "Command6");
        QCOMPARE(w->TxtNumber->text(), QString("1003"));
        click(w, "Command4");
        QCOMPARE(w->TxtNumber->text(), QString("1001"));
        click(w, "Command5");
        QCOMPARE(w->TxtNumber->text(), QString("1001"));
        click(w, "Command6");
        QCOMPARE(w->TxtNumber->text(), QString("1002"));
        click(w, "Command7");
        QCOMPARE(w->TxtNumber->text(), QString("1003"));
        QVERIFY(messages->messages.isEmpty());
    }

    void addTakesTheNextNumberAndTodayAndUpdateStoresIt()
    {
        Form1 *w = start({record("1041", "Last"), record("1000", "First")});
        click(w, "Command4");
        click(w, "CmdAdd");
        QCOMPARE(w->TxtNumber->text(), QString("1042"));
        QCOMPARE(w->txtDate->text(), today());
        QVERIFY(w->TxtName->text().isEmpty());
        QVERIFY(w->TxtDesc->toPlainText().isEmpty());
        QCOMPARE(jobNumbersInFile(catalogue).size(), 2);
        QTest::keyClicks(w->TxtName, "New job");
        click(w, "CmdUpdate");
        QCOMPARE(jobNumbersInFile(catalogue), (QStringList{"1041", "1000", "1042"}));
        QCOMPARE(fieldInFile(catalogue, "ProjectName").last().toString(), QString("New job"));
        QCOMPARE(fieldInFile(catalogue, "Date").last().toString(), today());
    }

    void addAfterANonNumericJobNumberGivesOne()
    {
        Form1 *w = start({record("ABC")});
        click(w, "CmdAdd");
        QCOMPARE(w->TxtNumber->text(), QString("1"));
    }

    void deleteOnTheLastRemainingRecordIsRefused()
    {
        Form1 *w = start({record("5")});
        click(w, "CmdDelete");
        QCOMPARE(messages->messages.size(), 1);
        QCOMPARE(messages->messages[0].text, QString("Cannot delete last record\r\nPlease modify record and update."));
        QCOMPARE(messages->messages[0].icon, MsgIcon::Information);
        QCOMPARE(messages->messages[0].title, QString("MorvoII"));
        QCOMPARE(jobNumbersInFile(catalogue), QStringList{"5"});
    }

    void deleteMakesThePreviousRecordCurrent_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("third of five") << 3 << "1002" << QStringList{"1001", "1002", "1004", "1005"};
        QTest::newRow("first") << 1 << "1002" << QStringList{"1002", "1003", "1004", "1005"};
        QTest::newRow("last") << 5 << "1004" << QStringList{"1001", "1002", "1003", "1004"};
    }
    void deleteMakesThePreviousRecordCurrent()
    {
        QFETCH(int, position);
        QFETCH(QString, current);
        QFETCH(QStringList, left);
        Form1 *w = start(numbered(5));
        click(w, "Command4");
        for (int i = 1; i < position; ++i)
            click(w, "Command6");
        click(w, "CmdDelete");
        QCOMPARE(w->TxtNumber->text(), current);
        QCOMPARE(jobNumbersInFile(catalogue), left);
        QVERIFY(messages->messages.isEmpty());
    }

    void anEmptiedBoxGetsOneBlankOnFocusLoss()
    {
        Form1 *w = start(numbered(2));
        w->TxtName->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->TxtName->clear();
        QTest::keyClick(w->TxtName, Qt::Key_Tab);
        QCOMPARE(w->TxtName->text(), QString(" "));
        w->TxtClient->setFocus();
        w->TxtClient->setText("  kept  ");
        QTest::keyClick(w->TxtClient, Qt::Key_Tab);
        QCOMPARE(w->TxtClient->text(), QString("  kept  "));
        w->TxtDesc->setFocus();
        w->TxtDesc->clear();
        QTest::keyClick(w->TxtDesc, Qt::Key_Tab);
        QCOMPARE(w->TxtDesc->toPlainText(), QString(" "));
        click(w, "Command4");
        QCOMPARE(fieldInFile(catalogue, "ProjectName").last().toString(), QString(" "));
    }

    // Typing at the end of a box keeps every character the user did not touch.
    void editsKeepWhatTheUserDidNotTouch_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        const QString crlf = QStringLiteral("First line\r\nSecond line\r\nThird");
        QTest::newRow("CR LF kept") << "TxtDesc"
                                    << "ProjectDescription" << crlf << " more" << crlf + " more";
        QTest::newRow("a typed break takes CR LF") << "TxtDesc"
                                                   << "ProjectDescription" << crlf << "\nFourth" << crlf + "\r\nFourth";
        QTest::newRow("a typed break takes LF") << "TxtDesc"
                                                << "ProjectDescription"
                                                << "one\ntwo"
                                                << "\nthree"
                                                << "one\ntwo\nthree";
        QTest::newRow("lone CR, no-break space and line separator kept")
            << "TxtDesc"
            << "ProjectDescription" << QString("a\rb\u00a0c\u2028d") << "!" << QString("a\rb\u00a0c\u2028d!");
        QTest::newRow("a typed no-break space kept") << "TxtDesc"
                                                     << "ProjectDescription"
                                                     << "x" << QString("\u00a0y") << QString("x\u00a0y");
        QTest::newRow("line box keeps CR LF and no-break space")
            << "TxtName"
            << "ProjectName" << QString("A\r\nB\u00a0C") << QString("\u00a0D") << QString("A\r\nB\u00a0C\u00a0D");
        const QString longName(40000, u'n');
        QTest::newRow("line box takes a long value whole") << "TxtName"
                                                           << "ProjectName" << longName << "!" << longName + "!";
    }
    void editsKeepWhatTheUserDidNotTouch()
    {
        QFETCH(QString, box);
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        Record r = record("7");
        r[field == "ProjectName" ? 1 : 2] = stored;
        Form1 *w = start({r});
        QWidget *edit = w->findChild<QWidget *>(box);
        edit->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_End);
        for (const QChar c : typed) {
            if (c == u'\n')
                QTest::keyClick(edit, Qt::Key_Return);
            else
                QTest::keyClicks(edit, QString(c));
        }
        click(w, "CmdUpdate");
        QCOMPARE(fieldInFile(catalogue, field).constFirst().toString(), expected);
    }

    // Passing through a record, focus included, and storing it unchanged leave
    // the file as it was: line endings, empty fields and long texts alike.
    void aRecordOnlyMovedThroughIsNeverRewritten()
    {
        Record odd = record("2", QString(40000, u'n'));
        odd[2] = QStringLiteral("Line one\r\nLine two\u00a0\u2028end\r\n");
        odd[3] = QVariant(); // ClientName
        Form1 *w = start({record("1"), odd, record("3")});
        const QList<QVariant> before = fieldInFile(catalogue, "ProjectDescription")
            + fieldInFile(catalogue, "ProjectName") + fieldInFile(catalogue, "ClientName");
        click(w, "Command5");
        QCOMPARE(w->TxtNumber->text(), QString("2"));
        w->TxtClient->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w->TxtClient, Qt::Key_Tab); // the empty box shows a blank
        QCOMPARE(w->TxtClient->text(), QString(" "));
        click(w, "CmdUpdate");
        click(w, "Command6");
        click(w, "Command5");
        click(w, "Command4");
        QCOMPARE(fieldInFile(catalogue, "ProjectDescription") + fieldInFile(catalogue, "ProjectName")
                     + fieldInFile(catalogue, "ClientName"),
                 before);
    }

    void typedTextIsStoredByAMove()
    {
        Form1 *w = start(numbered(2));
        w->TxtClient->setText("Acme Ltd");
        click(w, "Command4");
        QCOMPARE(fieldInFile(catalogue, "ClientName").last().toString(), QString("Acme Ltd"));
    }

    void closingStoresAPendingEdit()
    {
        Form1 *w = start(numbered(2));
        click(w, "CmdAdd");
        w->TxtName->setText("Added before closing");
        w->close();
        QCOMPARE(jobNumbersInFile(catalogue), (QStringList{"1001", "1002", "1003"}));
        QCOMPARE(fieldInFile(catalogue, "ProjectName").last().toString(), QString("Added before closing"));
        QVERIFY(!Forms::Loaded<Form1>());
    }

    void aRefusedStoreIsReportedAndKeepsTheTypedText()
    {
        Form1 *w = start(numbered(2));
        auto lock = std::make_unique<CatalogueLock>(catalogue);
        QVERIFY(lock->held());
        w->TxtName->setText("typed");
        click(w, "Command4");
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY2(messages->messages[0].text.contains("locked"), qPrintable(messages->messages[0].text));
        QCOMPARE(w->TxtNumber->text(), QString("1002"));
        QCOMPARE(w->TxtName->text(), QString("typed"));
        // Closing asks before it drops the typed text; keeping it keeps the window.
        ConflictAnswers answers({ConflictChoice::KeepEditing});
        w->close();
        QCOMPARE(answers.questions.size(), 1);
        QVERIFY2(answers.questions[0].text.contains("locked"), qPrintable(answers.questions[0].text));
        QVERIFY(Forms::Loaded<Form1>());
        QCOMPARE(w->TxtName->text(), QString("typed"));
        lock.reset();
        QCOMPARE(fieldInFile(catalogue, "ProjectName").last().toString(), QString("Job 2"));
        w->close();
        QVERIFY(!Forms::Loaded<Form1>());
        QCOMPARE(fieldInFile(catalogue, "ProjectName"), (QList<QVariant>{"Job 1", "typed"}));
    }

    void anEmptyCatalogueIsNoCrash()
    {
        Form1 *w = start({});
        for (const char *button : {"Command4", "Command5", "Command6", "Command7", "CmdDelete", "CmdUpdate"})
            click(w, button);
        QVERIFY(messages->messages.isEmpty());
        click(w, "CmdAdd");
        QCOMPARE(w->TxtNumber->text(), QString("1"));
        QCOMPARE(w->txtDate->text(), today());
        click(w, "CmdUpdate");
        QCOMPARE(jobNumbersInFile(catalogue), QStringList{"1"});
    }

    void movesRefillTheBoxesOncePerMove()
    {
        Form1 *w = start(numbered(4));
        const int before = w->binder().refillCount();
        click(w, "Command4");
        click(w, "Command6");
        QCOMPARE(w->binder().refillCount(), before + 2);
    }
};

QTEST_MAIN(TestForm1Records)
#include "tst_form1records.moc"
