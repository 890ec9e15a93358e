#pragma once

#include "TestSupport.h"

#include "forms/record/Form1.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"

#include <QFile>
#include <QObject>
#include <QTest>
#include <memory>

// The base of a test class whose every test starts from a fresh program
// folder, settings store and message recorder.
class ProgramTestCase : public QObject
{
    Q_OBJECT
protected:
    std::unique_ptr<TestSupport::Sandbox> sandbox;
    std::unique_ptr<TestSupport::MessageRecorder> messages;
    int programEnds = 0; // how often the last window was unloaded

    // Starts the program on its own catalogue of these records; the record
    // window once it is on screen, or null.
    Form1 *startProgram(const QList<TestSupport::Record> &records)
    {
        const QString location = TestSupport::writeCatalogue(sandbox->programFolder() + "/morvo.res", records);
        if (TestSupport::usingServer())
            sandbox->setSetting(location); // the program's own file is a file; a server is named in the setting
        if (!StartUp::EntryRoutine())
            return nullptr;
        Form1 *window = Forms::Loaded<Form1>();
        return QTest::qWaitForWindowExposed(window) ? window : nullptr;
    }

    // The outline file the build made, beside the program as where it runs.
    void copyBuiltOutline()
    {
        QFile::copy(qEnvironmentVariable("MORVO_BIN_DIR") + "/Morvo.dat", sandbox->programFolder() + "/Morvo.dat");
    }

private slots:
    void init()
    {
        sandbox = std::make_unique<TestSupport::Sandbox>();
        messages = std::make_unique<TestSupport::MessageRecorder>();
        programEnds = 0;
        Forms::setOnAllUnloaded([this] { ++programEnds; });
    }
    void cleanup()
    {
        Forms::setOnAllUnloaded(nullptr);
        messages.reset();
        sandbox.reset();
    }
};
