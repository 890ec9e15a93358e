// The tray form: its menus, hiding to the tray and back, the icon's callback,
// and the mutual close with the record window.
#include "ProgramTestCase.h"
#include "TrayState.h"

#include "forms/search/SrchDialog.h"
#include "forms/tray/AboutDialog.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"

#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;
using TrayState::action;

class TestFrmMenu : public ProgramTestCase
{
    Q_OBJECT

    Form1 *start(const QList<Record> &records = {record("1040", "Middle"), record("1041", "Highest")})
    {
        writeCatalogue(sandbox->programFolder() + "/morvo.res", records);
        if (!StartUp::EntryRoutine())
            return nullptr;
        return Forms::Loaded<Form1>();
    }
    static FrmMenu *tray() { return Forms::Loaded<FrmMenu>(); }
    static void trigger(const char *item) { action(tray(), item)->trigger(); }

    // The menu's items as "name:caption" ("name:-" for a separator), in display order.
    static QStringList itemsOf(QMenu *menu)
    {
        QStringList items;
        for (QAction *a : menu->actions())
            items << a->objectName() + ':' + (a->isSeparator() ? QStringLiteral("-") : a->text());
        return items;
    }

    // Another window of the program holds the focus.
    static void focusElsewhere(QWidget &other)
    {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }

private slots:
    void menusHoldTheirItemsInOrder()
    {
        QVERIFY(start());
        QCOMPARE(itemsOf(tray()->PopMenu),
                 (QStringList{"MnuRestore:Restore", "MnuHide:Hide to Taskbar", "Mnu_2:-", "MnuUnlock:Unlock Form",
                              "MnuLock:Lock Form", "MnuSearch:Search Records", "Mnu_4:-", "MnuLocate:Set Database",
                              "MnuLocateServer:Set Database Server", "MnuHistory:History", "MnuDeleted:Deleted Records",
                              "MnuDrawingFolders:Drawing Folders", "MnuHelp:Help", "MnuAbout:About ", "Mnu_1:-",
                              "MnuExit:Exit"}));
        QCOMPARE(itemsOf(tray()->TaskMenu),
                 (QStringList{"MnuTskRestore:Restore", "MnuTskMinimize:Hide", "MnuTskDrawingFolders:Drawing Folders",
                              "mnu_3:-", "MnuTskExit:Exit"}));
    }

    void loadLeavesTheWindowShownAndLockedAndTheFormHidden()
    {
        QVERIFY(start());
        CHECK_TRAY_STATE(false, true);
        QCOMPARE(tray()->windowTitle(), QString("Morvo II"));
        QVERIFY(!tray()->isVisible());
        QVERIFY(messages->messages.isEmpty());
    }

    void hideAndRestoreByEveryRoute_data()
    {
        QTest::addColumn<QString>("hide");
        QTest::addColumn<QString>("restore");
        QTest::newRow("PopMenu both ways") << "MnuHide"
                                           << "MnuRestore";
        QTest::newRow("TaskMenu both ways") << "MnuTskMinimize"
                                            << "MnuTskRestore";
        QTest::newRow("PopMenu hide, TaskMenu restore") << "MnuHide"
                                                        << "MnuTskRestore";
        QTest::newRow("TaskMenu hide, PopMenu restore") << "MnuTskMinimize"
                                                        << "MnuRestore";
        QTest::newRow("PopMenu hide, left click on the icon") << "MnuHide"
                                                              << "514";
    }
    void hideAndRestoreByEveryRoute()
    {
        QFETCH(QString, hide);
        QFETCH(QString, restore);
        Form1 *w = start();
        QVERIFY(w);
        trigger(hide.toLatin1());
        CHECK_TRAY_STATE(true, true);
        // Hiding again only sets the same states.
        trigger(hide.toLatin1());
        CHECK_TRAY_STATE(true, true);
        if (restore == "514")
            tray()->TrayCallback(FrmMenu::LeftButtonUp);
        else
            trigger(restore.toLatin1());
        CHECK_TRAY_STATE(false, true);
        QCOMPARE(w->TxtNumber->text(), QString("1041"));
    }

    void theLockSurvivesHidingAndRestoring()
    {
        QVERIFY(start());
        trigger("MnuUnlock");
        CHECK_TRAY_STATE(false, false);
        trigger("MnuHide");
        CHECK_TRAY_STATE(true, false);
        trigger("MnuRestore");
        CHECK_TRAY_STATE(false, false);
    }

    void hidingHidesTheSearchDialogAndRestoringLeavesItHidden()
    {
        QVERIFY(start());
        trigger("MnuSearch");
        SrchDialog *search = Forms::Loaded<SrchDialog>();
        QVERIFY(search && search->isVisible());
        trigger("MnuHide");
        QVERIFY(!search->isVisible());
        QCOMPARE(Forms::Loaded<SrchDialog>(), search);
        trigger("MnuTskRestore");
        QVERIFY(!search->isVisible());
        CHECK_TRAY_STATE(false, true);
    }

    void eachStateChangeOfTheFormSetsItsCaption()
    {
        Form1 *w = start();
        trigger("MnuHide");
        QCOMPARE(tray()->windowTitle(), QString("CADMorvo(1041)"));
        trigger("MnuRestore");
        w->TxtNumber->clear();
        tray()->Form_Resize();
        QCOMPARE(tray()->windowTitle(), QString("CADMorvo()"));
    }

    void aStateChangeToNormalBringsTheWindowBack()
    {
        QVERIFY(start());
        trigger("MnuHide");
        tray()->setFormState(Qt::WindowNoState);
        QVERIFY(Forms::Loaded<Form1>()->isVisible());
        QVERIFY(action(tray(), "MnuHide")->isVisible());
        QVERIFY(!action(tray(), "MnuRestore")->isVisible());
        QVERIFY(!tray()->isVisible());
    }

    void leftClickRestoresAndFocusesTheWindow()
    {
        Form1 *w = start();
        QWidget other;
        focusElsewhere(other);
        trigger("MnuTskMinimize");
        tray()->TrayCallback(FrmMenu::LeftButtonUp);
        CHECK_TRAY_STATE(false, true);
        QTRY_COMPARE(QApplication::activeWindow(), w);

        // A left click while the window is shown only gives it the focus.
        focusElsewhere(other);
        tray()->TrayCallback(FrmMenu::LeftButtonUp);
        CHECK_TRAY_STATE(false, true);
        QTRY_COMPARE(QApplication::activeWindow(), w);
    }

    void rightClickPopsUpTheTaskMenu()
    {
        QVERIFY(start());
        tray()->TrayCallback(FrmMenu::RightButtonUp);
        QTRY_VERIFY(tray()->TaskMenu->isVisible());
        QVERIFY(action(tray(), "MnuTskMinimize")->isVisible());
        QVERIFY(!action(tray(), "MnuTskRestore")->isVisible());
        tray()->TaskMenu->close();
        CHECK_TRAY_STATE(false, true);

        trigger("MnuHide");
        tray()->TrayCallback(FrmMenu::RightButtonUp);
        QTRY_VERIFY(tray()->TaskMenu->isVisible());
        QVERIFY(action(tray(), "MnuTskRestore")->isVisible());
        tray()->TaskMenu->close();
        CHECK_TRAY_STATE(true, true);
    }

    void otherCodesAreIgnored_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("move") << 512;
        QTest::newRow("left press") << 513;
        QTest::newRow("left double click") << 515;
        QTest::newRow("right press") << 516;
        QTest::newRow("right double click") << 518;
        QTest::newRow("middle press") << 519;
        QTest::newRow("middle release") << 520;
        QTest::newRow("nonsense") << 0;
    }
    void otherCodesAreIgnored()
    {
        QFETCH(int, code);
        QVERIFY(start());
        trigger("MnuHide");
        tray()->TrayCallback(code);
        QTest::qWait(20);
        QVERIFY(!tray()->TaskMenu->isVisible());
        CHECK_TRAY_STATE(true, true);
    }

    void activationReasonsBecomeShellCodes()
    {
        QCOMPARE(FrmMenu::trayCodeFor(QSystemTrayIcon::Trigger), FrmMenu::LeftButtonUp);
        QCOMPARE(FrmMenu::trayCodeFor(QSystemTrayIcon::Context), FrmMenu::RightButtonUp);
        QCOMPARE(FrmMenu::trayCodeFor(QSystemTrayIcon::DoubleClick), FrmMenu::LeftButtonDoubleClick);
        QCOMPARE(FrmMenu::trayCodeFor(QSystemTrayIcon::MiddleClick), FrmMenu::MiddleButtonUp);
        QCOMPARE(FrmMenu::trayCodeFor(QSystemTrayIcon::Unknown), FrmMenu::MouseMove);
    }

    void theIconsSignalsReachTheCallback()
    {
        QVERIFY(start());
        trigger("MnuHide");
        QSystemTrayIcon *icon = tray()->trayIcon();
        // The double click's own report does nothing; its two clicks arrive as triggers.
        emit icon->activated(QSystemTrayIcon::DoubleClick);
        QTest::qWait(20);
        CHECK_TRAY_STATE(true, true);
        emit icon->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(Forms::Loaded<Form1>()->isVisible());
        CHECK_TRAY_STATE(false, true);
        emit icon->activated(QSystemTrayIcon::Context);
        QTRY_VERIFY(tray()->TaskMenu->isVisible());
        tray()->TaskMenu->close();
    }

    void theIconCarriesTheToolTipAndTheApplicationIcon()
    {
        QVERIFY(start());
        QSystemTrayIcon *icon = tray()->trayIcon();
        QVERIFY(icon);
        QCOMPARE(icon->toolTip(), QString("CAD Morvo"));
        QVERIFY(!icon->icon().isNull());
        QCOMPARE(icon->icon().pixmap(32, 32).size(), QSize(32, 32));
        QVERIFY(icon->isVisible());
    }

    void withoutATrayHostEverythingElseWorks()
    {
        // The offscreen platform has no notification area.
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        Form1 *w = start({record("1"), record("2"), record("3")});
        QVERIFY(w && w->isVisible());
        trigger("MnuUnlock");
        trigger("MnuHide");
        trigger("MnuRestore");
        CHECK_TRAY_STATE(false, false);
        w->findChild<QPushButton *>("Command4")->click();
        QCOMPARE(w->TxtNumber->text(), QString("1"));
        QVERIFY(messages->messages.isEmpty());
    }

    void focusIsSkippedWhileAModalBoxIsOpen()
    {
        Form1 *w = start();
        trigger("MnuHide");
        bool clicked = false;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            tray()->TrayCallback(FrmMenu::LeftButtonUp);
            clicked = true;
            QApplication::activeModalWidget()->close();
        });
        QMessageBox box(QMessageBox::Information, "MorvoII", "modal");
        box.exec();
        QVERIFY(clicked);
        CHECK_TRAY_STATE(false, true);
        QVERIFY(w->isVisible());
    }

    void aSecondStartBringsBackAWindowHiddenToTheTray()
    {
        Form1 *w = start();
        trigger("MnuHide");
        StartUp::ActivateRecordWindow();
        CHECK_TRAY_STATE(false, true);
        QTRY_COMPARE(QApplication::activeWindow(), w);
    }

    void searchItemShowsTheSearchDialog()
    {
        QVERIFY(start());
        trigger("MnuSearch");
        QVERIFY(Forms::Loaded<SrchDialog>()->isVisible());
    }

    void helpItemOpensTheHelpPage()
    {
        QVERIFY(start());
        QFile page(sandbox->programFolder() + "/MorvoHelp.html");
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        LauncherRecorder launcher;
        trigger("MnuHelp");
        QCOMPARE(launcher.urls, QList<QUrl>{QUrl::fromLocalFile(page.fileName())});
        QVERIFY(messages->messages.isEmpty());
    }

    void aboutItemShowsOneAboutBox()
    {
        QVERIFY(start());
        trigger("MnuAbout");
        AboutDialog *about = Forms::Loaded<AboutDialog>();
        QVERIFY(about && about->isVisible());
        trigger("MnuAbout");
        QCOMPARE(Forms::Loaded<AboutDialog>(), about);
        int shown = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            shown += qobject_cast<AboutDialog *>(w) && w->isVisible();
        QCOMPARE(shown, 1);
    }

    void exitRemovesTheIconFirstAndEndsTheProgram_data()
    {
        QTest::addColumn<QString>("exit");
        QTest::addColumn<bool>("hiddenFirst");
        QTest::addColumn<bool>("fromTheTray");
        QTest::newRow("PopMenu Exit") << "MnuExit" << false << true;
        QTest::newRow("TaskMenu Exit") << "MnuTskExit" << false << true;
        QTest::newRow("TaskMenu Exit while hidden") << "MnuTskExit" << true << true;
        QTest::newRow("PopMenu Exit with the About box open") << "MnuExit+About" << false << true;
        QTest::newRow("closing the record window") << "Form1" << false << false;
        QTest::newRow("closing the tray form") << "FrmMenu" << false << true;
    }
    void exitRemovesTheIconFirstAndEndsTheProgram()
    {
        QFETCH(QString, exit);
        QFETCH(bool, hiddenFirst);
        QFETCH(bool, fromTheTray);
        Form1 *w = start();
        trigger("MnuSearch");
        if (hiddenFirst)
            trigger("MnuHide");
        if (exit.endsWith("+About"))
            trigger("MnuAbout");

        // What was still loaded at the moment the icon left the tray.
        bool iconGone = false, searchLoaded = false, recordLoaded = false;
        connect(tray()->trayIcon(), &QObject::destroyed, this, [&] {
            iconGone = true;
            searchLoaded = Forms::Loaded<SrchDialog>() != nullptr;
            recordLoaded = Forms::Loaded<Form1>() != nullptr;
        });
        if (exit == "Form1")
            w->close();
        else if (exit == "FrmMenu")
            tray()->close();
        else
            trigger(exit.section('+', 0, 0).toLatin1());

        QVERIFY(iconGone);
        QVERIFY(searchLoaded);
        QCOMPARE(recordLoaded, fromTheTray);
        QCOMPARE(Forms::loadedCount(), 0);
        QCOMPARE(programEnds, 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget *top : QApplication::topLevelWidgets())
            QVERIFY2(!qobject_cast<Form *>(top), qPrintable(top->metaObject()->className()));
    }

    void aSecondCloseRequestDoesNothingMore()
    {
        Form1 *w = start();
        FrmMenu *menu = tray();
        menu->MnuExit_Click();
        menu->MnuTskExit_Click();
        w->close();
        QCOMPARE(programEnds, 1);
        QCOMPARE(Forms::loadedCount(), 0);
    }
};

QTEST_MAIN(TestFrmMenu)
#include "tst_frmmenu.moc"
