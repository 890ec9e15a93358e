// The About box: its elements, the mail link, one instance, closing on focus loss.
#include "ProgramTestCase.h"

#include "forms/record/Form1.h"
#include "forms/tray/AboutDialog.h"
#include "forms/tray/FrmMenu.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"

#include <QAction>
#include <QLabel>
#include <QtTest>

using namespace TestSupport;

namespace {
const QString Contact = QStringLiteral("support@morvo.example");

QLabel *label(AboutDialog *about, const char *name, int index = -1)
{
    for (QLabel *l : about->findChildren<QLabel *>(name)) {
        if (index < 0 || l->property("index").toInt() == index)
            return l;
    }
    return nullptr;
}
}

class TestAboutDialog : public ProgramTestCase
{
    Q_OBJECT

    AboutDialog *openAbout()
    {
        writeCatalogue(sandbox->programFolder() + "/morvo.res", {record("1")});
        if (!StartUp::EntryRoutine())
            return nullptr;
        Forms::Loaded<FrmMenu>()->findChild<QAction *>("MnuAbout")->trigger();
        return Forms::Loaded<AboutDialog>();
    }

private slots:
    void showsItsTextsWhereTheyBelong_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("filled");
        QTest::newRow("title") << "Label1" << 0 << "CAD Morvo" << QRect(48, 3, 193, 32) << false;
        QTest::newRow("title shadow") << "Label1" << 1 << "CAD Morvo" << QRect(50, 6, 193, 32) << false;
        QTest::newRow("version") << "Label2" << -1 << "Version 2.5" << QRect(200, 39, 74, 17) << false;
        QTest::newRow("purpose") << "Label7" << -1 << "CAD Cataloging Software" << QRect(56, 39, 129, 17) << false;
        QTest::newRow("comments") << "Label5" << -1 << "For comments, questions and" << QRect(72, 120, 141, 17) << true;
        QTest::newRow("purchasing") << "Label8" << -1 << "purchasing information, e-mail to:" << QRect(64, 136, 157, 13)
                                    << true;
        QTest::newRow("contact") << "Label6" << -1 << Contact << QRect(72, 152, 125, 13) << true;
    }
    void showsItsTextsWhereTheyBelong()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(QRect, geometry);
        QFETCH(bool, filled);
        AboutDialog *about = openAbout();
        QVERIFY(about);
        QLabel *l = label(about, name.toLatin1(), index);
        QVERIFY(l);
        QCOMPARE(l->text(), text);
        QCOMPARE(l->geometry(), geometry);
        QCOMPARE(l->autoFillBackground(), filled);
    }

    void theDialogIsAFixedBoxWithNothingToFocus()
    {
        AboutDialog *about = openAbout();
        QCOMPARE(about->windowTitle(), QString("About Morvo II"));
        QCOMPARE(about->size(), QSize(278, 173));
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QVERIFY(!(about->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        for (QWidget *child : about->findChildren<QWidget *>())
            QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
        auto *image = about->findChild<QLabel *>("Image1");
        QCOMPARE(image->geometry(), QRect(4, 8, 32, 32));
        QVERIFY(!image->pixmap().isNull());
    }

    void theTitleCastsAShadow()
    {
        AboutDialog *about = openAbout();
        QLabel *front = label(about, "Label1", 0), *shadow = label(about, "Label1", 1);
        // 24 pt, or smaller where the face found here is wider than the design's.
        QCOMPARE(front->font(), shadow->font());
        QVERIFY(front->font().bold());
        QVERIFY(front->font().pointSizeF() > 18 && front->font().pointSizeF() <= 24);
        QVERIFY(front->fontMetrics().horizontalAdvance(front->text()) <= front->width());
        QCOMPARE(shadow->geometry().topLeft() - front->geometry().topLeft(), QPoint(2, 3));
        // A dark title over a mid-grey shadow: the design's pale yellow front
        // copy hardly shows on a light dialog.
        QCOMPARE(front->palette().color(QPalette::WindowText), QColor(0x2e, 0x41, 0x55));
        QCOMPARE(shadow->palette().color(QPalette::WindowText), about->palette().color(QPalette::Mid));
        // The shadow lies behind the title.
        const QObjectList order = about->children();
        QVERIFY(order.indexOf(shadow) < order.indexOf(front));
        QCOMPARE(label(about, "Label7")->palette().color(QPalette::WindowText), QColor(64, 64, 64));
    }

    void theRulesAreDrawnEtched()
    {
        AboutDialog *about = openAbout();
        const QImage shot = about->grab().toImage();
        const QColor text = about->palette().color(QPalette::Text), base = about->palette().color(QPalette::Base),
                     face = about->palette().color(QPalette::Window);
        QVERIFY(text != base && text != face && base != face);
        // Line1: three pixels thick from x 44 on, under the purpose and the version.
        for (int y : {58, 59, 60})
            QCOMPARE(shot.pixelColor(200, y), text);
        QCOMPARE(shot.pixelColor(43, 58), face);
        QCOMPARE(shot.pixelColor(200, 61), face);
        // Line2 dark over Line3 light, across the whole width.
        for (int x : {0, 139, 277}) {
            QCOMPARE(shot.pixelColor(x, 104), text);
            QCOMPARE(shot.pixelColor(x, 105), base);
            QCOMPARE(shot.pixelColor(x, 106), base);
            QCOMPARE(shot.pixelColor(x, 107), face);
        }
    }

    void theContactAddressIsAMailLink()
    {
        AboutDialog *about = openAbout();
        LauncherRecorder launcher;
        QLabel *link = label(about, "Label6");
        QVERIFY(link->font().underline());
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(link->cursor().hotSpot(), QPoint(13, 5));

        QTest::mouseClick(label(about, "Label5"), Qt::LeftButton);
        QVERIFY(launcher.urls.isEmpty());
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(launcher.urls, QList<QUrl>{QUrl("mailto:" + Contact)});
        QCOMPARE(Forms::Loaded<AboutDialog>(), about);
        QVERIFY(about->isVisible());
        QVERIFY(messages->messages.isEmpty());
    }

    void aFailedMailLaunchIsNotReported()
    {
        AboutDialog *about = openAbout();
        LauncherRecorder launcher(false);
        about->Label6_Click();
        QCOMPARE(launcher.urls.size(), 1);
        QVERIFY(messages->messages.isEmpty());
        QVERIFY(about->isVisible());
    }

    void losingTheFocusClosesIt()
    {
        AboutDialog *about = openAbout();
        about->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(about));
        Form1 *record = Forms::Loaded<Form1>();
        record->activateWindow();
        QTRY_VERIFY(!Forms::Loaded<AboutDialog>());
        QVERIFY(Forms::Loaded<Form1>());

        // The next "About " loads a fresh box.
        Forms::Loaded<FrmMenu>()->MnuAbout_Click();
        QVERIFY(Forms::Loaded<AboutDialog>() && Forms::Loaded<AboutDialog>()->isVisible());
    }
};

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
