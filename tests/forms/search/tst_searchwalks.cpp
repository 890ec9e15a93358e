#include "SearchTestFixture.h"

#include "widgets/DwgThumbnail.h"

#include <QSignalSpy>

using namespace TestSupport;

namespace {
Record job(const QString &number, const QString &name = "Name", const QString &client = "Client",
           const QString &file = "/jobs/x.dwg", const QString &date = "01/02/2025")
{
    return {number, name, "Description", client, "County", date, "Manager", file};
}
}

class TestSearchWalks : public QObject
{
    Q_OBJECT
    std::unique_ptr<SearchFixture> f;

private slots:
    void init() { f = std::make_unique<SearchFixture>(); }
    void cleanup() { f.reset(); }

    void ignoresCaseAndFindsSubstrings()
    {
        QVERIFY(f->start({job("1"), job("2", "Name", "ACME Holdings"), job("3", "Acme tools")}));
        f->search("acm");
        QCOMPARE(f->current(), QString("2"));
        f->next();
        QCOMPARE(f->current(), QString("3"));
        QVERIFY(f->messages.messages.isEmpty());
    }

    void findsTheTextInEveryField_data()
    {
        QTest::addColumn<Record>("target");
        QTest::newRow("drawing path") << job("2", "Name", "Client", "/jobs/PLANX/plan.dwg");
        QTest::newRow("date") << job("2", "Name", "Client", "/jobs/x.dwg", "31/12/1999");
        QTest::newRow("description") << Record{"2", "Name", "the planx project", "C", "C", "D", "M", "F"};
        QTest::newRow("project manager") << Record{"2", "Name", "D", "C", "C", "D", "planx", "F"};
    }
    void findsTheTextInEveryField()
    {
        QFETCH(Record, target);
        QVERIFY(f->start({job("1"), target, job("3")}));
        const QString text = target[5].toString() == "31/12/1999" ? QString("12/1999") : QString("PLANX");
        f->search(text);
        QCOMPARE(f->current(), QString("2"));
    }

    void nullFieldsNeverMatchAndFieldsDoNotRunTogether()
    {
        QVERIFY(f->start(
            {Record{QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
             Record{"2", "AB", "CD"}, Record{"3", "ABCD"}}));
        f->search("BC");
        QCOMPARE(f->current(), QString("3"));
        f->search("2");
        QCOMPARE(f->current(), QString("2"));
    }

    void blanksArePartOfTheText()
    {
        QVERIFY(f->start({job("1", "PreACME"), job("2", "the ACME"), job("3", "big  gap")}));
        f->search(" acme");
        QCOMPARE(f->current(), QString("2"));
        f->search("  ");
        QCOMPARE(f->current(), QString("3"));
    }

    void theFirstAndTheLastRecordAreTested()
    {
        QVERIFY(f->start({job("1", "match"), job("2"), job("3", "match")}));
        f->search("MATCH", true);
        QCOMPARE(f->current(), QString("1"));
        f->search("MATCH", false);
        QCOMPARE(f->current(), QString("3"));
    }

    void aMissRestoresTheStartRecord()
    {
        QVERIFY(f->start({job("1"), job("2", "match"), job("3"), job("4")}));
        f->search("nowhere", true);
        QCOMPARE(f->current(), QString("1"));
        QVERIFY(f->reportedNoRecords());
        f->search("nowhere", false);
        QCOMPARE(f->current(), QString("4"));
        f->search("match");
        QCOMPARE(f->current(), QString("2"));
        f->next();
        QCOMPARE(f->current(), QString("2"));
        QVERIFY(f->reportedNoRecords());
        QVERIFY(!f->dialog()->OKButton->isHidden());
        QVERIFY(f->dialog()->CmdNext->isHidden());
    }

    void oneMatchingRecordThenNextReportsTheEnd()
    {
        QVERIFY(f->start({job("1", "only")}));
        f->search("only");
        QCOMPARE(f->current(), QString("1"));
        f->next();
        QCOMPARE(f->current(), QString("1"));
        QVERIFY(f->reportedNoRecords());
    }

    void theDirectionTurnsBetweenTwoPresses()
    {
        QVERIFY(f->start({job("1", "hit"), job("2"), job("3", "hit"), job("4", "hit"), job("5")}));
        f->search("hit");
        f->next();
        QCOMPARE(f->current(), QString("3"));
        QCOMPARE(f->dialog()->CmdNext->text(), QString("Next"));
        f->dialog()->Option2->click();
        QCOMPARE(f->dialog()->CmdNext->text(), QString("Prev"));
        f->dialog()->CmdNext->click();
        QCOMPARE(f->current(), QString("1"));
    }

    void nextOnTheLastAndPrevOnTheFirstChangeNothing()
    {
        QVERIFY(f->start({job("1", "hit"), job("2", "hit")}));
        f->search("hit", false);
        QCOMPARE(f->current(), QString("2"));
        f->next(true);
        QCOMPARE(f->current(), QString("2"));
        QVERIFY(f->reportedNoRecords());
        f->search("hit", true);
        f->next(false);
        QCOMPARE(f->current(), QString("1"));
        QVERIFY(f->reportedNoRecords());
    }

    void anEmptyCatalogueReportsNoRecords()
    {
        QVERIFY(f->start({}));
        f->search("anything");
        QVERIFY(f->reportedNoRecords());
        QCOMPARE(f->rs().RecordCount(), 0);
        QVERIFY(f->messages.messages.isEmpty());
    }

    void editedAndAddedRecordsAreFoundByTheirNewText()
    {
        QVERIFY(f->start({job("1", "old words"), job("2")}));
        QVERIFY(f->rs().waitForSearchText());
        QVERIFY(f->rs().setAbsolutePosition(1));
        f->window()->TxtName->setText("fresh words");
        QVERIFY(f->rs().AddNew());
        f->window()->TxtNumber->setText("3");
        f->window()->TxtClient->setText("Brand new client");
        f->search("old words");
        QVERIFY(f->reportedNoRecords());
        f->search("FRESH");
        QCOMPARE(f->current(), QString("1"));
        f->search("brand new");
        QCOMPARE(f->current(), QString("3"));
    }

    void upperCaseFollowsThePlatformBeyondAscii()
    {
        QVERIFY(f->start({job("1"), job("2", QString::fromUtf8("Café Straße"))}));
        f->search(QString::fromUtf8("CAFÉ"));
        QCOMPARE(f->current(), QString("2"));
        f->search(QString::fromUtf8("strasse"));
        QCOMPARE(f->current(), QString("2"));
    }

    void aWalkRefillsTheBoxesOnlyForTheRecordFound()
    {
        QList<Record> records;
        for (int i = 1; i <= 300; ++i)
            records << job(QString::number(i), i == 250 ? "needle" : "hay", "Client",
                           QString("/jobs/%1/plan.dwg").arg(i));
        QVERIFY(f->start(records));
        const int before = f->window()->binder().refillCount();
        QSignalSpy thumbnailRefreshes(f->window()->DwgThumbnail1, &DwgThumbnail::refreshed);
        f->search("needle");
        QCOMPARE(f->current(), QString("250"));
        // One refill for the move to the first record, one for the record found.
        QCOMPARE(f->window()->binder().refillCount() - before, 2);
        // The drawing panel is refreshed once, after the walk.
        QCOMPARE(thumbnailRefreshes.count(), 1);
    }
};

QTEST_MAIN(TestSearchWalks)
#include "tst_searchwalks.moc"
