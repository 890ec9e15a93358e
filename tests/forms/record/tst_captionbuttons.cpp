// The record window's own frame: its outline from the region file, the drag
// strip and the caption buttons that stand in for a title bar.
#include "TestSupport.h"

#include "files/RegionData.h"
#include "forms/record/Form1.h"
#include "forms/search/SrchDialog.h"
#include "forms/tray/FrmMenu.h"
#include "shell/Artwork.h"
#include "shell/FrmFakeMin.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"
#include "widgets/ImageControl.h"

#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QWindow>
#include <QtTest>

using namespace TestSupport;

class TestCaptionButtons : public QObject
{
    Q_OBJECT

    std::unique_ptr<Sandbox> sandbox;
    std::unique_ptr<MessageRecorder> messages;
    bool programEnded = false;

    Form1 *start()
    {
        writeCatalogue(sandbox->programFolder() + "/morvo.res", {record("1001", "First"), record("1002", "Second")});
        if (!StartUp::EntryRoutine())
            return nullptr;
        Form1 *window = Forms::Loaded<Form1>();
        if (!QTest::qWaitForWindowExposed(window))
            return nullptr;
        return window;
    }
    static QMenu *popMenu() { return Forms::Get<FrmMenu>()->PopMenu; }

    // A left press on a point of the window, routed to whatever control lies
    // there, then a move with the button held: the window follows only when
    // the press started a drag. Releases away from the press, so no click.
    static void pressAndPull(Form1 *w, QPoint at, QPoint pull, Qt::MouseButton button = Qt::LeftButton)
    {
        QWindow *window = w->windowHandle();
        QCursor::setPos(w->mapToGlobal(at));
        QTest::mousePress(window, button, {}, at);
        QTest::mouseMove(window, at + pull);
        QTest::qWait(20);
        QTest::mouseRelease(window, button, {}, at + pull);
    }
    static QPoint centreOf(const QWidget *control) { return control->geometry().center(); }
    static QImage imageOf(const ImageControl *control) { return control->picture().toImage(); }

private slots:
    void init()
    {
        sandbox = std::make_unique<Sandbox>();
        messages = std::make_unique<MessageRecorder>();
        programEnded = false;
    }
    void cleanup()
    {
        if (FrmMenu *tray = Forms::Loaded<FrmMenu>())
            tray->PopMenu->hide();
        messages.reset();
        sandbox.reset();
    }

    // An ordinary window to the desktop: task bars and window switchers list it.
    void isABorderlessSkinnedWindowWithATaskBarEntry()
    {
        Form1 *w = start();
        QVERIFY(w);
        QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(w->windowType(), Qt::Window);
        const QImage skin(QString::fromLatin1(Artwork::Skin));
        QImage painted(w->size(), QImage::Format_RGB32);
        w->render(&painted, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::IgnoreMask);
        QCOMPARE(painted, skin.convertToFormat(QImage::Format_RGB32));
    }

    void takesItsOutlineFromTheRegionFile()
    {
        const QRegion outline = QRegion(3, 4, 603, 401) - QRegion(3, 4, 8, 8);
        QFile file(sandbox->programFolder() + "/Morvo.dat");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(RegionData::toRgnData(outline));
        file.close();
        Form1 *w = start();
        QVERIFY(w);
        QCOMPARE(w->mask(), outline);
        QVERIFY(messages->messages.isEmpty());
    }

    void withoutARegionFileStaysRectangularAndQuiet()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Morvo\\.dat: .*the record window stays rectangular"));
        Form1 *w = start();
        QVERIFY(w);
        QVERIFY(w->mask().isEmpty());
        QVERIFY(w->isVisible());
        QVERIFY(messages->messages.isEmpty());
        // The window works on: the load went on to the last record and the buttons answer.
        QCOMPARE(w->TxtNumber->text(), QString("1002"));
        w->findChild<QPushButton *>("Command4")->click();
        QCOMPARE(w->TxtNumber->text(), QString("1001"));
    }

    void captionButtonsLieAboveTheStripWithHandPointerAndTips()
    {
        Form1 *w = start();
        QVERIFY(w);
        const std::pair<ImageControl *, const char *> buttons[] = {
            {w->ImgQ, "Help"}, {w->ImgMax, "Menu"}, {w->ImgMIn, "Minimize"}, {w->ImgExit, "Exit"}};
        for (const auto &[button, tip] : buttons) {
            QVERIFY(button->isVisible());
            QVERIFY(w->Image2->geometry().intersects(button->geometry()));
            QCOMPARE(w->childAt(centreOf(button)), button);
            QCOMPARE(button->toolTip(), QString(tip));
            QCOMPARE(button->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(button->cursor().hotSpot(), Artwork::HandHotSpot);
        }
        // The strip has no picture and takes presses only where nothing else lies
        // on it, whichever part of the window put the control there.
        QVERIFY(w->Image2->picture().isNull());
        QCOMPARE(w->childAt(QPoint(300, 25)), w->Image2);
        int onTheStrip = 0;
        for (QWidget *control : w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const QPoint centre = centreOf(control);
            if (control == w->Image2 || !control->isVisible() || !w->Image2->geometry().contains(centre))
                continue;
            ++onTheStrip;
            QVERIFY2(w->childAt(centre) != w->Image2, qPrintable(control->objectName()));
        }
        QVERIFY(onTheStrip >= 4);
        for (ImageControl *hidden : {w->ImgQBw, w->ImgPlusBw, w->ImgMinBw, w->ImgQCol, w->ImgPlusCol, w->ImgMinCol})
            QVERIFY(!hidden->isVisible());
    }

    void leftPressOnTheStripDragsTheWindowAndShowsNoMenu()
    {
        Form1 *w = start();
        QVERIFY(w);
        const QPoint before = w->pos();
        QWindow *window = w->windowHandle();
        const QPoint strip(300, 25);
        QCursor::setPos(w->mapToGlobal(strip));
        QTest::mousePress(window, Qt::LeftButton, {}, strip);
        QTest::mouseMove(window, strip + QPoint(30, 20));
        QTRY_COMPARE(w->pos(), before + QPoint(30, 20));
        QTest::mouseRelease(window, Qt::LeftButton, {}, strip + QPoint(30, 20));
        QVERIFY(!popMenu()->isVisible());
    }

    void rightPressOnTheStripPopsUpTheMenuAndDoesNotMove()
    {
        Form1 *w = start();
        QVERIFY(w);
        const QPoint before = w->pos();
        const QPoint strip(300, 25);
        QCursor::setPos(w->mapToGlobal(strip));
        w->Image2_MouseDown(2, strip);
        QVERIFY(popMenu()->isVisible());
        QCOMPARE(popMenu()->pos(), w->mapToGlobal(strip));
        popMenu()->hide();
        QCOMPARE(w->pos(), before);

        // Pressed through the window, the right button pops it up and drags nothing.
        QWindow *window = w->windowHandle();
        QTest::mousePress(window, Qt::RightButton, {}, strip);
        QVERIFY(popMenu()->isVisible());
        popMenu()->hide();
        QTest::mouseMove(window, strip + QPoint(30, 20));
        QTest::mouseRelease(window, Qt::RightButton, {}, strip + QPoint(30, 20));
        QTest::qWait(20);
        QCOMPARE(w->pos(), before);
    }

    void otherButtonsOnTheStripDoNothing()
    {
        Form1 *w = start();
        QVERIFY(w);
        const QPoint before = w->pos();
        pressAndPull(w, QPoint(300, 25), QPoint(30, 20), Qt::MiddleButton);
        QCOMPARE(w->pos(), before);
        QVERIFY(!popMenu()->isVisible());
    }

    void aPressOnACaptionButtonNeverDrags()
    {
        Form1 *w = start();
        QVERIFY(w);
        const QPoint before = w->pos();
        for (ImageControl *button : {w->ImgQ, w->ImgMax, w->ImgMIn, w->ImgExit}) {
            pressAndPull(w, centreOf(button), QPoint(40, 30));
            QTest::qWait(20);
            QCOMPARE(w->pos(), before);
        }
        // Released away from the button, none of them was clicked.
        QVERIFY(w->isVisible());
        QVERIFY(!popMenu()->isVisible());
    }

    void clickedButtonsShowTheirRestingPictureAgain()
    {
        Form1 *w = start();
        QVERIFY(w);
        LauncherRecorder launcher;
        const std::tuple<ImageControl *, ImageControl *, ImageControl *> buttons[] = {
            {w->ImgQ, w->ImgQBw, w->ImgQCol},
            {w->ImgMax, w->ImgPlusBw, w->ImgPlusCol},
            {w->ImgMIn, w->ImgMinBw, w->ImgMinCol}};
        for (const auto &[button, resting, colour] : buttons) {
            if (!w->isVisible())
                w->showNormal();
            button->setPicture(colour->picture());
            QVERIFY(imageOf(button) != imageOf(resting));
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, 12));
            QCOMPARE(imageOf(button), imageOf(resting));
            popMenu()->hide();
        }
    }

    void menuButtonPopsUpTheCommandMenu()
    {
        Form1 *w = start();
        QVERIFY(w);
        QTest::mouseClick(w->ImgMax, Qt::LeftButton, {}, QPoint(12, 12));
        QVERIFY(popMenu()->isVisible());
        popMenu()->hide();
    }

    void helpHandsTheHelpPageBesideTheProgramToTheDesktop()
    {
        Form1 *w = start();
        QVERIFY(w);
        LauncherRecorder launcher;
        // No help page: nothing is launched and nothing is said.
        QTest::mouseClick(w->ImgQ, Qt::LeftButton, {}, QPoint(12, 12));
        QVERIFY(launcher.urls.isEmpty());
        QVERIFY(messages->messages.isEmpty());

        QFile page(sandbox->programFolder() + "/MorvoHelp.html");
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><body>Help</body></html>");
        page.close();
        QTest::mouseClick(w->ImgQ, Qt::LeftButton, {}, QPoint(12, 12));
        QCOMPARE(launcher.urls, QList<QUrl>{QUrl::fromLocalFile(sandbox->programFolder() + "/MorvoHelp.html")});
        QVERIFY(messages->messages.isEmpty());
    }

    void exitUnloadsEveryWindowAndEndsTheProgram()
    {
        Form1 *w = start();
        QVERIFY(w);
        Forms::setOnAllUnloaded([this] { programEnded = true; });
        QVERIFY(Forms::Loaded<FrmFakeMin>());
        QVERIFY(Forms::Loaded<FrmMenu>());
        QPointer<Form1> window(w);
        QTest::mouseClick(w->ImgExit, Qt::LeftButton, {}, QPoint(12, 12));
        QVERIFY(!Forms::Loaded<Form1>());
        QVERIFY(!Forms::Loaded<FrmFakeMin>());
        QVERIFY(!Forms::Loaded<FrmMenu>());
        QVERIFY(!Forms::Loaded<SrchDialog>());
        QCOMPARE(Forms::loadedCount(), 0);
        QVERIFY(programEnded);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window);
    }
};

QTEST_MAIN(TestCaptionButtons)
#include "tst_captionbuttons.moc"
