// The small window that stands on the task bar while the record window is minimized.
#include "ProgramTestCase.h"

#include "forms/record/Form1.h"
#include "shell/Artwork.h"
#include "shell/FrmFakeMin.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"
#include "widgets/ImageControl.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace TestSupport;

class TestFakeMin : public ProgramTestCase
{
    Q_OBJECT

    Form1 *start()
    {
        return startProgram({record("1001", "First"), record("1002", "Second"), record("1003", "Third")});
    }
    static void minimize(Form1 *w) { QTest::mouseClick(w->ImgMIn, Qt::LeftButton, {}, QPoint(12, 12)); }
    static FrmFakeMin *placeholder() { return Forms::Loaded<FrmFakeMin>(); }
    // What the window system does when the user restores the task-bar entry.
    static void restoreFromTaskBar() { placeholder()->setWindowState(Qt::WindowNoState); }
    static void verifyMinimized(Form1 *w)
    {
        QVERIFY(placeholder());
        QVERIFY(placeholder()->isVisible());
        QVERIFY(placeholder()->isMinimized());
        QVERIFY(!w->isVisible());
        QCOMPARE(Forms::Loaded<Form1>(), w);
    }
    static void verifyRestored(Form1 *w)
    {
        QVERIFY(w->isVisible());
        QVERIFY(!w->isMinimized());
        QVERIFY(!placeholder()->isVisible());
    }

private slots:
    void loadsHiddenWithTheJobNumberOfTheMomentAndItsOwnIcon()
    {
        Form1 *w = start();
        QVERIFY(w);
        QVERIFY(placeholder());
        QVERIFY(!placeholder()->isVisible());
        QVERIFY(!placeholder()->isMinimized());
        // Loaded once the record window shows its first record, whose number it names.
        QCOMPARE(placeholder()->windowTitle(), QString("CADMorvo(1003)"));
        QCOMPARE(w->TxtNumber->text(), QString("1003"));
        // An ordinary framed window, so it stands on the task bar.
        QCOMPARE(placeholder()->windowType(), Qt::Window);
        QVERIFY(!(placeholder()->windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(placeholder()->windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32),
                 QImage(QString::fromLatin1(Artwork::FakeMin)).convertToFormat(QImage::Format_ARGB32));
    }

    void minimizeHidesTheRecordWindowBehindAMinimizedPlaceholder()
    {
        Form1 *w = start();
        QVERIFY(w);
        w->move(140, 90);
        w->TxtName->setText("Typed, not stored");
        minimize(w);
        verifyMinimized(w);
        QCOMPARE(placeholder()->pos(), QPoint(140, 90));
        // The caption stays the one set at load.
        QCOMPARE(placeholder()->windowTitle(), QString("CADMorvo(1003)"));

        // A size report while minimized changes nothing.
        placeholder()->resize(700, 30);
        QCoreApplication::processEvents();
        verifyMinimized(w);

        restoreFromTaskBar();
        verifyRestored(w);
        QCOMPARE(placeholder()->windowTitle(), QString("Morvo II(1003)"));
        QCOMPARE(w->TxtNumber->text(), QString("1003"));
        QCOMPARE(w->TxtName->text(), QString("Typed, not stored"));
        QCOMPARE(w->pos(), QPoint(140, 90));
        QVERIFY(messages->messages.isEmpty());
    }

    void theTaskBarShowsTheJobNumberOfTheLatestRestore()
    {
        Form1 *w = start();
        QVERIFY(w);
        minimize(w);
        restoreFromTaskBar();
        w->findChild<QPushButton *>("Command4")->click();
        QCOMPARE(w->TxtNumber->text(), QString("1001"));
        minimize(w);
        verifyMinimized(w);
        QCOMPARE(placeholder()->windowTitle(), QString("Morvo II(1003)"));
        restoreFromTaskBar();
        QCOMPARE(placeholder()->windowTitle(), QString("Morvo II(1001)"));
    }

    void maximizingThePlaceholderActsLikeRestoring()
    {
        Form1 *w = start();
        QVERIFY(w);
        minimize(w);
        placeholder()->setWindowState(Qt::WindowMaximized);
        verifyRestored(w);
        QCOMPARE(placeholder()->windowTitle(), QString("Morvo II(1003)"));
        // Shown again from there, it still ends minimized.
        minimize(w);
        verifyMinimized(w);
    }

    void recordWindowShownAnotherWayLeavesThePlaceholderUntilItIsRestored()
    {
        Form1 *w = start();
        QVERIFY(w);
        minimize(w);
        w->show(); // the tray menu's Restore
        QVERIFY(placeholder()->isMinimized());
        QVERIFY(placeholder()->isVisible());
        w->findChild<QPushButton *>("Command5")->click();
        restoreFromTaskBar();
        verifyRestored(w);
        QCOMPARE(w->TxtNumber->text(), QString("1002"));
    }

    void closedByTheUserItUnloadsAndTheNextMinimizeLoadsAFreshOne()
    {
        Form1 *w = start();
        QVERIFY(w);
        minimize(w);
        QPointer<FrmFakeMin> first(placeholder());
        first->close();
        QVERIFY(!placeholder());
        QVERIFY(!w->isVisible());
        QCOMPARE(Forms::Loaded<Form1>(), w);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);

        w->show();
        minimize(w);
        verifyMinimized(w);
        QCOMPARE(placeholder()->windowTitle(), QString("CADMorvo(1003)"));
    }

    void unloadsWithTheRecordWindow()
    {
        Form1 *w = start();
        QVERIFY(w);
        minimize(w);
        QPointer<FrmFakeMin> shown(placeholder());
        w->Unload();
        QVERIFY(!placeholder());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!shown);
    }
};

QTEST_MAIN(TestFakeMin)
#include "tst_fakemin.moc"
