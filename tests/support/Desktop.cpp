#include "Desktop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QThread>
#include <QtTest>

namespace Desktop {

QString run(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForStarted(timeoutMs) || !p.waitForFinished(timeoutMs))
        return QString();
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

bool hasX11()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY");
}

bool hasWindowManager()
{
    return hasX11() && run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
}

bool hasTray()
{
    return hasX11() && !run("xprop", {"-root", "-notype", "_NET_SUPPORTING_WM_CHECK"}).isEmpty()
        && QProcess::execute("sh", {"-c", "xdotool search --class trayer >/dev/null"}) == 0;
}

bool required(const char *feature)
{
    return qEnvironmentVariable("MORVO_REQUIRE").split(',').contains(QString::fromLatin1(feature));
}

QList<qulonglong> windowsOfProcess(qint64 pid, bool onlyVisible)
{
    QStringList args{"search"};
    if (onlyVisible)
        args << "--onlyvisible";
    args << "--pid" << QString::number(pid);
    QList<qulonglong> windows;
    for (const QString &line : run("xdotool", args).split('\n', Qt::SkipEmptyParts))
        windows << line.toULongLong();
    return windows;
}

QString windowName(qulonglong window)
{
    QProcess p;
    p.start("xdotool", {"getwindowname", QString::number(window)});
    p.waitForFinished(5000);
    // Keep leading blanks: they are part of the record window's caption.
    QString name = QString::fromUtf8(p.readAllStandardOutput());
    while (name.endsWith('\n'))
        name.chop(1);
    return name;
}

QRect windowGeometry(qulonglong window)
{
    QRect r;
    for (const QString &line : run("xdotool", {"getwindowgeometry", "--shell", QString::number(window)}).split('\n')) {
        const QString value = line.section('=', 1);
        if (line.startsWith("X="))
            r.moveLeft(value.toInt());
        else if (line.startsWith("Y="))
            r.moveTop(value.toInt());
        else if (line.startsWith("WIDTH="))
            r.setWidth(value.toInt());
        else if (line.startsWith("HEIGHT="))
            r.setHeight(value.toInt());
    }
    return r;
}

qulonglong activeWindow()
{
    return run("xdotool", {"getactivewindow"}).toULongLong();
}

void pressKey(qulonglong window, const QString &key)
{
    run("xdotool", {"windowactivate", "--sync", QString::number(window)});
    // Real key events (XTEST) to the focused window: Qt ignores sent events.
    run("xdotool", {"key", "--clearmodifiers", key});
}

ProgramUnderTest::ProgramUnderTest()
{
    QDir root(dir_.path());
    root.mkpath("program");
    root.mkpath("config");
    root.mkpath("tmp");
    // A copy of the program in a folder of its own: its companion files are beside it.
    const QString exe = qEnvironmentVariable("MORVO_EXE");
    QFile::copy(exe, programFolder() + "/morvo");
    for (const char *companion : {"Morvo.dat", "MorvoHelp.html", "morvo-jetreader"}) {
        const QString source = QFileInfo(exe).absolutePath() + '/' + companion;
        if (QFile::exists(source))
            QFile::copy(source, programFolder() + '/' + companion);
    }
}

ProgramUnderTest::~ProgramUnderTest()
{
    for (auto &p : processes_) {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(3000))
                p->kill();
            p->waitForFinished(3000);
        }
    }
}

QString ProgramUnderTest::programFolder() const
{
    return dir_.filePath("program");
}

QString ProgramUnderTest::configFolder() const
{
    return dir_.filePath("config");
}

void ProgramUnderTest::setSetting(const QString &value) const
{
    QSettings store(configFolder() + "/MorvoII.conf", QSettings::IniFormat);
    store.setValue("Application/DbsLocation", value);
}

QString ProgramUnderTest::setting() const
{
    QSettings store(configFolder() + "/MorvoII.conf", QSettings::IniFormat);
    return store.value("Application/DbsLocation").toString();
}

QProcess *ProgramUnderTest::start()
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", configFolder());
    env.insert("TMPDIR", dir_.filePath("tmp")); // the single-instance socket stays private to the test
    env.remove("QT_QPA_PLATFORM");
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(programFolder() + "/morvo", {});
    process->waitForStarted(5000);
    processes_.push_back(std::move(process));
    return processes_.back().get();
}

qulonglong ProgramUnderTest::waitForWindow(QProcess &process, const QString &name, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        for (qulonglong w : windowsOfProcess(process.processId())) {
            if (windowName(w) == name)
                return w;
        }
        QTest::qWait(50);
    }
    return 0;
}
}
