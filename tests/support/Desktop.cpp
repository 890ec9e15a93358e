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

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

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

bool pressKeyUntilGone(qint64 pid, qulonglong window, const QString &key)
{
    constexpr int Presses = 8;
    for (int press = 0; press < Presses; ++press) {
        pressKey(window, key);
        if (QTest::qWaitFor([&] { return !windowsOfProcess(pid).contains(window); }, 300))
            return true;
    }
    return false;
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
    const QImage shot = grabDesktop();
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

QString desktopName()
{
    return qEnvironmentVariable("MORVO_DESKTOP", QStringLiteral("openbox"));
}

bool onWayland()
{
    return desktopName() == QLatin1String("mutter-wayland");
}

bool desktopHasTray()
{
    return desktopName() == QLatin1String("openbox");
}

QString screenDisplay()
{
    return qEnvironmentVariable("MORVO_SCREEN_DISPLAY", qEnvironmentVariable("DISPLAY"));
}

void input(const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", screenDisplay());
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral("xdotool"), arguments);
    p.waitForFinished(30000);
}

namespace {
struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template <class T> using Reply = std::unique_ptr<T, FreeReply>;

struct Connection
{
    explicit Connection(const QString &display) : c(xcb_connect(display.toLocal8Bit().constData(), nullptr)) {}
    ~Connection() { xcb_disconnect(c); }
    bool ok() const { return !xcb_connection_has_error(c); }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }
    xcb_atom_t atom(const char *name) const
    {
        const Reply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, quint16(strlen(name)), name), nullptr));
        return reply ? reply->atom : XCB_ATOM_NONE;
    }
    xcb_connection_t *c;
};

// The server's time: a property change on a window of our own reports it.
quint32 serverTime(const Connection &x, xcb_window_t window)
{
    xcb_change_property(x.c, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(x.c);
    while (xcb_generic_event_t *event = xcb_wait_for_event(x.c)) {
        const bool found = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
        const quint32 time = found ? reinterpret_cast<xcb_property_notify_event_t *>(event)->time : 0;
        std::free(event);
        if (found)
            return time;
    }
    return 0;
}
}

QImage grabDesktop()
{
    const Connection x(screenDisplay());
    if (!x.ok())
        return {};
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x.c)).data;
    const Reply<xcb_get_image_reply_t> image(
        xcb_get_image_reply(x.c,
                            xcb_get_image(x.c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0, screen->width_in_pixels,
                                          screen->height_in_pixels, ~0u),
                            nullptr));
    if (!image || image->depth != 24)
        return {};
    return QImage(xcb_get_image_data(image.get()), screen->width_in_pixels, screen->height_in_pixels,
                  QImage::Format_RGB32)
        .copy();
}

QByteArray announceStart(const QString &name)
{
    const Connection x(qEnvironmentVariable("DISPLAY"));
    if (!x.ok())
        return {};
    const xcb_window_t window = xcb_generate_id(x.c);
    const quint32 events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(x.c, XCB_COPY_FROM_PARENT, window, x.root(), -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    static int starts = 0;
    const QByteArray id = QStringLiteral("%1-%2-%3_TIME%4")
                              .arg(name)
                              .arg(QCoreApplication::applicationPid())
                              .arg(++starts)
                              .arg(serverTime(x, window))
                              .toLatin1();
    // The startup-notification protocol: the message in pieces of 20 bytes, ending in NUL.
    QByteArray text = "new: ID=\"" + id + "\" NAME=\"" + name.toLatin1() + "\" SCREEN=0";
    text.append('\0');
    const xcb_atom_t begin = x.atom("_NET_STARTUP_INFO_BEGIN"), more = x.atom("_NET_STARTUP_INFO");
    for (qsizetype at = 0; at < text.size(); at += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = window;
        event.type = at == 0 ? begin : more;
        memcpy(event.data.data8, text.constData() + at, size_t(qMin<qsizetype>(20, text.size() - at)));
        xcb_send_event(x.c, 0, x.root(), XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char *>(&event));
    }
    xcb_destroy_window(x.c, window);
    xcb_flush(x.c);
    return id;
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
