#include "SearchTestFixture.h"

#include "forms/search/SearchInProgress.h"

#include <QTimer>

using namespace TestSupport;

class TestSrchDialog : public QObject
{
    Q_OBJECT
    std::unique_ptr<SearchFixture> f;

    QList<Record> three() { return {record("1", "alpha"), record("2", "beta"), record("3", "gamma")}; }

private slots:
    void init() { f = std::make_unique<SearchFixture>(); }
    void cleanup() { f.reset(); }

    void layoutAndWindowKind()
    {
        QVERIFY(f->start(three()));
        SrchDialog *d = f->dialog();
        QCOMPARE(d->windowTitle(), QString("Search Database"));
        QVERIFY(d->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!d->testAttribute(Qt::WA_ShowWithoutActivating));
        QCOMPARE(d->Text1->geometry(), QRect(16, 16, 281, 19));
        QCOMPARE(d->OKButton->geometry(), QRect(312, 8, 81, 25));
        QCOMPARE(d->CancelButton->geometry(), QRect(312, 40, 81, 25));
        QVERIFY(d->Option1->isChecked());
        QVERIFY(d->OKButton->isDefault());
        QVERIFY(d->CmdNext->isHidden());
        QCOMPARE(d->CmdNext->y(), d->OKButton->y());
        QVERIFY(d->Label2->isHidden());
        QCOMPARE(d->Label2->palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(d->screen()->availableGeometry().contains(d->frameGeometry()));
    }

    void keepsItsMinimumSize()
    {
        QVERIFY(f->start(three()));
        SrchDialog *d = f->dialog();
        // Opened 95 pixels high (the frame, where there is one, comes on top), never below 1470 twips.
        QVERIFY(d->frameGeometry().height() >= 98);
        d->resize(100, 40);
        QCOMPARE(d->frameGeometry().width(), 403);
        QCOMPARE(d->frameGeometry().height(), 98);
    }

    void anEmptyOrSingleBlankTextIsANullString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("one blank") << " ";
    }
    void anEmptyOrSingleBlankTextIsANullString()
    {
        QFETCH(QString, text);
        QVERIFY(f->start(three()));
        QCOMPARE(f->current(), QString("3"));
        f->search(text);
        QCOMPARE(f->dialog()->Label2->text(), QString("Null String"));
        QVERIFY(!f->dialog()->Label2->isHidden());
        QCOMPARE(f->current(), QString("3"));
        QVERIFY(!f->dialog()->OKButton->isHidden());
        QVERIFY(f->dialog()->CmdNext->isHidden());
        QVERIFY(!SearchInProgress);
    }

    void theMessageDisappearsAfterTwoTicks()
    {
        QVERIFY(f->start(three()));
        SrchDialog *d = f->dialog();
        f->search("");
        QVERIFY(d->Timer1->isActive());
        QCOMPARE(d->Timer1->interval(), 1000);
        d->Timer1_Timer();
        QVERIFY(!d->Label2->isHidden());
        d->Timer1_Timer();
        QVERIFY(d->Label2->isHidden());
        QVERIFY(!d->Timer1->isActive());
        QCOMPARE(d->MessageTicks, 0);
        // And in real time, by the timer itself.
        f->search("");
        QTRY_VERIFY_WITH_TIMEOUT(d->Label2->isHidden(), 3500);
    }

    void aMatchSwitchesToNextAndEditingReturnsToIdle()
    {
        QVERIFY(f->start(three()));
        SrchDialog *d = f->dialog();
        f->search("beta");
        QCOMPARE(f->current(), QString("2"));
        QVERIFY(d->OKButton->isHidden());
        QVERIFY(!d->CmdNext->isHidden());
        QCOMPARE(d->CmdNext->pos(), d->OKButton->pos());
        d->Text1->setText("bet");
        QVERIFY(!d->OKButton->isHidden());
        QVERIFY(d->OKButton->isDefault());
        QVERIFY(d->CmdNext->isHidden());
    }

    void theBackwardOptionRenamesTheButtonAtOnce()
    {
        QVERIFY(f->start(three()));
        SrchDialog *d = f->dialog();
        f->search("a");
        d->Option2->click();
        QCOMPARE(d->CmdNext->text(), QString("Prev"));
        d->Option1->click();
        QCOMPARE(d->CmdNext->text(), QString("Next"));
    }

    void enterSearchesAndEscapeUnloads()
    {
        QVERIFY(f->start(three()));
        SrchDialog *d = f->dialog();
        d->Text1->setText("gamma");
        QTest::keyClick(d->Text1, Qt::Key_Return);
        QCOMPARE(f->current(), QString("3"));
        QTest::keyClick(d->Text1, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Forms::Loaded<SrchDialog>());
    }

    void cancelThenShowGivesAFreshDialog()
    {
        QVERIFY(f->start(three()));
        SrchDialog *d = f->dialog();
        f->search("beta", false);
        d->CancelButton->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Forms::Loaded<SrchDialog>());
        f->window()->findChild<QPushButton *>("Command3")->click();
        SrchDialog *fresh = Forms::Loaded<SrchDialog>();
        QVERIFY(fresh && fresh->isVisible());
        QVERIFY(fresh->Text1->text().isEmpty());
        QVERIFY(fresh->Option1->isChecked());
        QVERIFY(!fresh->OKButton->isHidden());
        QVERIFY(fresh->CmdNext->isHidden());
        QCOMPARE(f->current(), QString("2")); // the found record stays current
    }

    void losingTheFocusClearsTheSearchFlag()
    {
        QVERIFY(f->start(three()));
        SearchInProgress = true;
        f->dialog()->Form_LostFocus();
        QVERIFY(!SearchInProgress);
    }

    // Right after a large catalogue opens its text is still being read: OK
    // answers at once, says so, keeps Cancel working, and finds when it can.
    void aSearchRightAfterOpeningWaitsForTheTextWithoutFreezing()
    {
        if (TestSupport::usingServer())
            QSKIP("a server walks for the text itself; nothing is read first");
        QList<Record> records;
        for (int i = 0; i < 200000; ++i)
            records << record(QString::number(100000 + i), i == 199998 ? "Needle here" : "Job");
        TestSupport::writeCatalogue(f->sandbox.programFolder() + "/morvo.res", records);
        for (const bool cancelled : {false, true}) {
            TestSupport::unloadAllForms();
            DataEnvironment1::reset();
            QVERIFY(StartUp::EntryRoutine());
            SrchDialog *d = f->dialog();
            d->show();
            QVERIFY2(!f->rs().isSearchTextReady(), "the text of 200 000 records was read before the first look");
            QSignalSpy ready(&f->rs(), &Recordset::searchTextReady);
            QElapsedTimer press;
            press.start();
            f->search("needle");
            QVERIFY(press.elapsed() < 100);
            QCOMPARE(d->Label2->text(), QString("Preparing the search..."));
            QVERIFY(!d->OKButton->isEnabled());
            QVERIFY(d->CancelButton->isEnabled());
            if (cancelled)
                d->CancelButton->click();
            QVERIFY(ready.wait(30000));
            QCoreApplication::processEvents();
            QCOMPARE(f->current(), QString(cancelled ? "299999" : "299998"));
            if (!cancelled) {
                QVERIFY(d->OKButton->isEnabled() && d->CmdNext->isEnabled());
                QVERIFY(!d->CmdNext->isHidden());
            }
        }
    }
};

QTEST_MAIN(TestSrchDialog)
#include "tst_srchdialog.moc"
