#include "Desktop.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
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

void xdotool(const QStringList &arguments)
{
    run(QStringLiteral("xdotool"), arguments, 30000);
}

void keys(const QStringList &names)
{
    xdotool(QStringList{"key", "--clearmodifiers", "--delay", "60"} + names);
}

void keysToThisProcess(const QStringList &names)
{
    QProcess tool;
    tool.start("xdotool", QStringList{"key", "--delay", "80"} + names);
    QVERIFY(tool.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(tool.state() == QProcess::NotRunning, 15000);
}

void clickAt(QPoint screenPoint, int button)
{
    xdotool({"mousemove", QString::number(screenPoint.x()), QString::number(screenPoint.y()), "sleep", "0.1", "click",
             QString::number(button)});
}

QImage grabScreen()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage screenshot(const QString &name)
{
    const QImage shot = grabScreen();
    QDir().mkpath(QStringLiteral("artefacts"));
    const QString path = QDir::current().absoluteFilePath(QStringLiteral("artefacts/%1.png").arg(name));
    shot.save(path);
    qInfo("screenshot saved: %s", qPrintable(path));
    return shot;
}

QRect settledGeometry(qulonglong window)
{
    QRect now = windowGeometry(window), last;
    for (int poll = 0; poll < 20 && now != last; ++poll) {
        QTest::qWait(150);
        last = std::exchange(now, windowGeometry(window));
    }
    return now;
}

QString copyFocusedBox()
{
    QGuiApplication::clipboard()->clear();
    xdotool({"key", "--clearmodifiers", "ctrl+a", "ctrl+c"});
    QString text;
    for (int attempt = 0; attempt < 60 && text.isEmpty(); ++attempt) {
        QTest::qWait(50);
        text = QGuiApplication::clipboard()->text();
    }
    return text;
}

QString property(qulonglong window, const QString &name)
{
    return run(QStringLiteral("xprop"), {"-id", QString::number(window), name});
}

ProgramUnderTest::ProgramUnderTest()
{
    QDir root(dir_.path());
    root.mkpath("MorvoII");
    root.mkpath("config");
    root.mkpath("tmp");
    root.mkpath("runtime");
    QFile::setPermissions(dir_.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // A copy of the program in a folder of its own: its companion files are
    // beside it, and it is the user's data folder as well (see Sandbox).
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
    return dir_.filePath("MorvoII");
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

QProcess *ProgramUnderTest::start(const QProcessEnvironment &extra)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extra);
    env.insert("XDG_CONFIG_HOME", configFolder());
    env.insert("XDG_DATA_HOME", dir_.path());
    // The single-instance socket and anything temporary stay private to the test.
    env.insert("XDG_RUNTIME_DIR", dir_.filePath("runtime"));
    env.insert("TMPDIR", dir_.filePath("tmp"));
    env.remove("QT_QPA_PLATFORM");
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(programFolder() + "/morvo", {});
    process->waitForStarted(5000);
    processes_.push_back(std::move(process));
    return processes_.back().get();
}

qulonglong ProgramUnderTest::startOn(const QList<TestSupport::Record> &records, const QProcessEnvironment &extra)
{
    TestSupport::writeCatalogue(catalogue(), records);
    return waitForWindow(*start(extra), QStringLiteral("    Morvo II"));
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
