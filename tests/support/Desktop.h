#pragma once

#include "TestSupport.h"

#include <QImage>
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
// Presses the key on a dialog of the process until the dialog is gone: a
// dialog just mapped may not take keys yet (a person's first press is later).
bool pressKeyUntilGone(qint64 pid, qulonglong window, const QString &key);

// xdotool with these arguments, waiting for it to finish.
void xdotool(const QStringList &arguments);
// Keys typed as a person types them, to the window that has the keyboard.
void keys(const QStringList &names);
// The same for a program that runs in this process: it answers the X server
// while the keys are typed.
void keysToThisProcess(const QStringList &names);
// A click (or press and release of another button) at a point of the screen, as a person makes it.
void clickAt(QPoint screenPoint, int button = 1);
// The screen as it is shown now.
QImage grabScreen();
// Grabs the screen and keeps it as artefacts/<name>.png beside the test.
QImage screenshot(const QString &name);
// The window's geometry once the window manager has stopped moving it.
QRect settledGeometry(qulonglong window);
// What a person gets by selecting the focused box and copying it.
QString copyFocusedBox();
// A property of a window as xprop prints it.
QString property(qulonglong window, const QString &name);

// The desktop the run is on, as .ci/gui-env.sh names it (openbox, openbox-notray,
// mutter-x11, mutter-wayland).
QString desktopName();
bool onWayland();
bool desktopHasTray();
// The X server that shows the desktop and takes the keyboard and mouse: the
// one programs run on, or the one a nested compositor draws into.
QString screenDisplay();
// xdotool on that server: the pointer and keys as a person uses them.
void input(const QStringList &arguments);
// The screen as the desktop shows it, read from that server.
QImage grabDesktop();
// What an X launcher does as it starts a program: it announces a startup
// sequence at the server's time now. The sequence's id, for the program's
// environment; empty without an X server.
QByteArray announceStart(const QString &name);

class ProgramUnderTest
{
public:
    ProgramUnderTest();
    ~ProgramUnderTest();

    QString programFolder() const;
    QString catalogue() const { return programFolder() + "/morvo.res"; }
    QString configFolder() const;
    QString tempFolder() const { return dir_.filePath("tmp"); } // the program's $TMPDIR
    QString setting() const;
    void setSetting(const QString &location) const;

    // Starts one more instance of the program, with these variables added to
    // its environment; the first one is process().
    QProcess *start(const QProcessEnvironment &extra = {});
    QProcess &process() { return *processes_.front(); }
    // Starts the program on a catalogue of these records; its record window once
    // it is on screen, or 0.
    qulonglong startOn(const QList<TestSupport::Record> &records, const QProcessEnvironment &extra = {});
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
