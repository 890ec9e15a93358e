// The edit lock of the record window: the padlock button and the tray menu's
// lock items, and what the lock refuses and what it leaves working.
#include "../tray/TrayState.h"
#include "ProgramTestCase.h"

#include "catalogue/DataEnvironment1.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"

#include <QClipboard>
#include <QPushButton>
#include <QtTest>

using namespace TestSupport;
using TrayState::action;

namespace {
const char *const Boxes[] = {"TxtNumber", "TxtClient", "txtDate",    "TxtName",
                             "TxtDesc",   "TxtCounty", "TxtFileNum", "txtFileLoc"};

QString textOf(QWidget *box)
{
    if (auto *line = qobject_cast<QLineEdit *>(box))
        return line->text();
    return qobject_cast<QPlainTextEdit *>(box)->toPlainText();
}
}

class TestLock : public ProgramTestCase
{
    Q_OBJECT

    Form1 *start(const QList<Record> &records = {record("1040", "Middle"), record("1041", "Highest")})
    {
        writeCatalogue(sandbox->programFolder() + "/morvo.res", records);
        if (!StartUp::EntryRoutine())
            return nullptr;
        Form1 *window = Forms::Loaded<Form1>();
        window->activateWindow();
        return window;
    }
    static FrmMenu *tray() { return Forms::Loaded<FrmMenu>(); }

    // Runs one way of locking or unlocking, as the user would.
    static void run(Form1 *w, const QString &route)
    {
        if (route == "ImgLocked" || route == "ImgUnlocked") {
            ImageControl *padlock = w->findChild<ImageControl *>(route);
            QVERIFY2(padlock->isVisible(), qPrintable(route + " must be the padlock shown"));
            QTest::mouseClick(padlock, Qt::LeftButton);
        } else {
            action(tray(), route.toLatin1())->trigger();
        }
    }

    // Types into every bound box; the boxes that took the text.
    static QStringList boxesTakingTyping(Form1 *w)
    {
        QStringList took;
        for (const char *name : Boxes) {
            QWidget *box = w->findChild<QWidget *>(name);
            const QString before = textOf(box);
            QTest::keyClicks(box, "xy");
            if (textOf(box) != before)
                took << name;
        }
        return took;
    }

    static QStringList enabledEditingButtons(Form1 *w)
    {
        QStringList enabled;
        for (const char *name : {"CmdAdd", "CmdDelete", "CmdUpdate", "CmdExplore"}) {
            QWidget *button = w->findChild<QWidget *>(name);
            if (button && button->isEnabled())
                enabled << name;
        }
        return enabled;
    }

private slots:
    void theWindowOpensLocked()
    {
        Form1 *w = start();
        CHECK_TRAY_STATE(false, true);
        QCOMPARE(boxesTakingTyping(w), QStringList());
        QCOMPARE(enabledEditingButtons(w), QStringList());
        QVERIFY(!DataEnvironment1::instance().rsConJobnr.editPending());
        QVERIFY(w->ImgUnlocked->isVisible());
        QVERIFY(!w->ImgLocked->isVisible());
        QCOMPARE(w->ImgUnlocked->toolTip(), QString("Unlock Form"));
        QVERIFY(!action(tray(), "MnuLocate")->isEnabled());
    }

    void thePadlockSitsInTheCaptionRow()
    {
        Form1 *w = start();
        const std::pair<ImageControl *, const char *> padlocks[] = {{w->ImgLocked, "Lock Form"},
                                                                    {w->ImgUnlocked, "Unlock Form"}};
        for (const auto &[padlock, tip] : padlocks) {
            QCOMPARE(padlock->geometry(), QRect(400, 15, 24, 24));
            QCOMPARE(padlock->toolTip(), QString(tip));
            QCOMPARE(padlock->picture().size(), QSize(24, 24));
            QCOMPARE(padlock->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(padlock->cursor().hotSpot(), QPoint(13, 5));
        }
        QVERIFY(w->ImgLocked->picture().toImage() != w->ImgUnlocked->picture().toImage());
    }

    void unlockAndLockByEveryRoute_data()
    {
        QTest::addColumn<QString>("unlock");
        QTest::addColumn<QString>("lock");
        QTest::newRow("menu items") << "MnuUnlock"
                                    << "MnuLock";
        QTest::newRow("padlock") << "ImgUnlocked"
                                 << "ImgLocked";
        QTest::newRow("padlock, then menu") << "ImgUnlocked"
                                            << "MnuLock";
        QTest::newRow("menu, then padlock") << "MnuUnlock"
                                            << "ImgLocked";
    }
    void unlockAndLockByEveryRoute()
    {
        QFETCH(QString, unlock);
        QFETCH(QString, lock);
        Form1 *w = start();
        run(w, unlock);
        CHECK_TRAY_STATE(false, false);
        QCOMPARE(enabledEditingButtons(w), (QStringList{"CmdAdd", "CmdDelete", "CmdUpdate", "CmdExplore"}));
        QCOMPARE(boxesTakingTyping(w), QStringList(std::begin(Boxes), std::end(Boxes)));
        // The caret starts at the beginning of a refilled box.
        QCOMPARE(w->TxtName->text(), QString("xyHighest"));

        run(w, lock);
        CHECK_TRAY_STATE(false, true);
        QCOMPARE(enabledEditingButtons(w), QStringList());
        QCOMPARE(boxesTakingTyping(w), QStringList());
        QCOMPARE(w->TxtName->text(), QString("xyHighest"));
    }

    void eachOperationSetsTheWholeStateWhateverCameBefore()
    {
        QVERIFY(start());
        tray()->MnuLock_Click();
        CHECK_TRAY_STATE(false, true);
        tray()->MnuUnlock_Click();
        tray()->MnuUnlock_Click();
        CHECK_TRAY_STATE(false, false);
        // A state mixed up from outside is put right in full.
        Form1 *w = Forms::Loaded<Form1>();
        w->TxtDesc->setReadOnly(true);
        w->CmdAdd->setEnabled(false);
        w->ImgUnlocked->show();
        tray()->MnuUnlock_Click();
        CHECK_TRAY_STATE(false, false);
        tray()->MnuLock_Click();
        tray()->MnuLock_Click();
        CHECK_TRAY_STATE(false, true);
    }

    void lockingKeepsTheFocusAndTheText()
    {
        Form1 *w = start();
        QVERIFY(QTest::qWaitForWindowActive(w));
        run(w, "ImgUnlocked");
        w->TxtName->setFocus();
        QTest::keyClicks(w->TxtName, " more");
        run(w, "ImgLocked");
        QVERIFY(w->TxtName->hasFocus());
        QCOMPARE(w->TxtName->text(), QString(" moreHighest"));
        QTest::keyClicks(w->TxtName, "!");
        QCOMPARE(w->TxtName->text(), QString(" moreHighest"));
    }

    void lockedBoxesTakeTheFocusAndCopy()
    {
        Form1 *w = start();
        QVERIFY(QTest::qWaitForWindowActive(w));
        for (const char *name : Boxes) {
            QWidget *box = w->findChild<QWidget *>(name);
            box->setFocus();
            QVERIFY2(box->hasFocus(), name);
            QGuiApplication::clipboard()->clear();
            // Selecting with the keyboard, as with the mouse, still works.
            QTest::keyClick(box, Qt::Key_Home);
            QTest::keyClick(box, Qt::Key_End, Qt::ShiftModifier);
            QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(QGuiApplication::clipboard()->text(), textOf(box));
        }
        QVERIFY(!DataEnvironment1::instance().rsConJobnr.editPending());
    }

    void theFocusLossBlankStillAppliesWhileLocked()
    {
        Record empty = record("7", "Name");
        empty[3] = QVariant(); // ClientName
        Form1 *w = start({empty});
        QVERIFY(QTest::qWaitForWindowActive(w));
        CHECK_TRAY_STATE(false, true);
        w->TxtClient->setFocus(Qt::TabFocusReason);
        QVERIFY(w->TxtClient->text().isEmpty());
        w->TxtName->setFocus(Qt::TabFocusReason);
        QCOMPARE(w->TxtClient->text(), QString(" "));
    }

    void browsingStillWorksWhileLocked()
    {
        Form1 *w = start({record("1"), record("2"), record("3")});
        CHECK_TRAY_STATE(false, true);
        w->findChild<QPushButton *>("Command4")->click();
        QCOMPARE(w->TxtNumber->text(), QString("1"));
        w->findChild<QPushButton *>("Command6")->click();
        QCOMPARE(w->TxtNumber->text(), QString("2"));
        w->findChild<QPushButton *>("Command3")->click();
        QVERIFY(messages->messages.isEmpty());
        CHECK_TRAY_STATE(false, true);
    }

    void everyStartBeginsLocked()
    {
        QVERIFY(start());
        run(Forms::Loaded<Form1>(), "ImgUnlocked");
        CHECK_TRAY_STATE(false, false);
        unloadAllForms();
        QVERIFY(StartUp::EntryRoutine());
        CHECK_TRAY_STATE(false, true);
    }
};

QTEST_MAIN(TestLock)
#include "tst_lock.moc"
