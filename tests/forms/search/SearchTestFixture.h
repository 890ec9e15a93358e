#pragma once

#include "TestSupport.h"

#include "catalogue/DataEnvironment1.h"
#include "forms/record/Form1.h"
#include "forms/search/SrchDialog.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"
#include "widgets/TextBinder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// A started program on a catalogue of the test's records, with the search dialog shown.
struct SearchFixture
{
    TestSupport::Sandbox sandbox;
    TestSupport::MessageRecorder messages;
    QString catalogue;

    bool start(const QList<TestSupport::Record> &records)
    {
        catalogue = TestSupport::writeCatalogue(sandbox.programFolder() + "/morvo.res", records);
        if (TestSupport::usingServer())
            sandbox.setSetting(catalogue);
        if (!StartUp::EntryRoutine())
            return false;
        dialog()->show();
        // Searches pressed earlier wait for the catalogue's text; these tests
        // search at once and look at the answer.
        return QTest::qWaitFor([this] { return rs().isSearchTextReady(); }, 30000);
    }
    Form1 *window() const { return Forms::Loaded<Form1>(); }
    SrchDialog *dialog() const { return Forms::Get<SrchDialog>(); }
    Recordset &rs() const { return DataEnvironment1::instance().rsConJobnr; }
    QString current() const { return rs().value("JobNumber").toString(); }

    void search(const QString &text, bool forward = true)
    {
        SrchDialog *d = dialog();
        (forward ? d->Option1 : d->Option2)->click();
        d->Text1->setText(text);
        d->OKButton->click();
    }
    void next(bool forward = true)
    {
        SrchDialog *d = dialog();
        (forward ? d->Option1 : d->Option2)->click();
        d->CmdNext->click();
    }
    bool reportedNoRecords() const
    {
        return !dialog()->Label2->isHidden() && dialog()->Label2->text() == "No Records Found";
    }
};
