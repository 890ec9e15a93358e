#pragma once

#include "TestSupport.h"

#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

// Helpers for end-to-end tests of the real program on a real X server: a
// private program folder, settings and socket folder per run, and window
// lookups through xdotool as a person's desktop would see them.
namespace Desktop {

bool hasX11();
bool hasWindowManager();
bool hasTray();
// True when MORVO_REQUIRE names the feature: then a missing feature fails.
bool required(const char *feature);

// Runs a command and returns its standard output (trimmed).
QString run(const QString &program, const QStringList &arguments, int timeoutMs = 5000);
QList<qulonglong> windowsOfProcess(qint64 pid, bool onlyVisible = true);
QString windowName(qulonglong window);
QRect windowGeometry(qulonglong window);
qulonglong activeWindow();
void pressKey(qulonglong window, const QString &key);

class ProgramUnderTest
{
public:
    ProgramUnderTest();
    ~ProgramUnderTest();

    QString programFolder() const;
    QString catalogue() const { return programFolder() + "/morvo.res"; }
    QString configFolder() const;
    QString setting() const;
    void setSetting(const QString &value) const; // "DbsLocation"

    // Starts one more instance of the program; the first one is process().
    QProcess *start();
    QProcess &process() { return *processes_.front(); }
    // Polls until the process shows a visible window whose name matches; 0 on timeout.
    qulonglong waitForWindow(QProcess &process, const QString &name, int timeoutMs = 10000);

private:
    QTemporaryDir dir_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};
}

// Skips when a desktop feature is missing, or fails when the run requires it.
#define REQUIRE_DESKTOP(feature, present)                                                                              \
    do {                                                                                                               \
        if (!(present)) {                                                                                              \
            if (Desktop::required(feature))                                                                            \
                QFAIL("required desktop feature missing: " feature);                                                   \
            QSKIP("desktop feature missing: " feature);                                                                \
        }                                                                                                              \
    } while (false)
