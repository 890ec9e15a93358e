#pragma once

#include "TestSupport.h"

#include <QObject>
#include <memory>

// The base of a test class whose every test starts from a fresh program
// folder, settings store and message recorder.
class ProgramTestCase : public QObject
{
    Q_OBJECT
protected:
    std::unique_ptr<TestSupport::Sandbox> sandbox;
    std::unique_ptr<TestSupport::MessageRecorder> messages;

private slots:
    void init()
    {
        sandbox = std::make_unique<TestSupport::Sandbox>();
        messages = std::make_unique<TestSupport::MessageRecorder>();
    }
    void cleanup()
    {
        messages.reset();
        sandbox.reset();
    }
};
