// The Debian package unpacked into a throwaway root with its installed folders
// read-only, started as a new user starts it from the menu: the record window
// opens on the user's own copy of the example catalogue, shows the example
// drawing's thumbnail (the same pixels the thumbnailer makes), carries the
// window class the desktop entry names, and nothing is written into the root.
#include "Desktop.h"
#include "PackageRoot.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QtTest>

namespace {
constexpr int ThumbnailWidth = 169; // DwgThumbnail1 on the record window, in pixels

// Every path below the root with its content's hash: what must not change.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files[path] = it.fileInfo().isFile() && file.open(QIODevice::ReadOnly)
            ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
            : QByteArray("folder");
    }
    return files;
}

void setWritable(const QString &root, bool writable)
{
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    QStringList paths{root};
    while (it.hasNext())
        paths << it.next();
    for (const QString &path : paths) {
        const QFile::Permissions write = QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;
        const QFile::Permissions now = QFile::permissions(path);
        QFile::setPermissions(path, writable ? now | QFile::WriteOwner : now & ~write);
    }
}

// Where the needle's pixels stand in the haystack, exactly; (-1, -1) if nowhere.
QPoint find(const QImage &haystack, const QImage &needle)
{
    const qsizetype rowBytes = needle.width() * 4;
    for (int y = 0; y + needle.height() <= haystack.height(); ++y)
        for (int x = 0; x + needle.width() <= haystack.width(); ++x) {
            int row = 0;
            while (row < needle.height()
                   && memcmp(haystack.constScanLine(y + row) + x * 4, needle.constScanLine(row), rowBytes) == 0)
                ++row;
            if (row == needle.height())
                return {x, y};
        }
    return {-1, -1};
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}
}

class E2EPackage : public QObject
{
    Q_OBJECT

    PackageRoot installed;
    QTemporaryDir home;

    qulonglong waitForRecordWindow(QProcess &program)
    {
        for (int attempt = 0; attempt < 200; ++attempt) {
            for (const qulonglong window : Desktop::windowsOfProcess(program.processId()))
                if (Desktop::windowName(window).contains("Morvo II"))
                    return window;
            QTest::qWait(50);
        }
        return 0;
    }

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
        QVERIFY2(!PackageRoot::package().isEmpty(), "no package: the package_build test makes it");
        QVERIFY(installed.unpack());
    }

    void startsFromTheMenuOnTheUsersCopyOfTheExample()
    {
        const QMap<QString, QByteArray> before = snapshot(installed.root());
        setWritable(installed.root(), false);
        QDir(home.path()).mkpath("runtime");
        QFile::setPermissions(home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        env.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
        env.remove("QT_QPA_PLATFORM");
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // As the menu runs it: the entry's Exec line, the program found in the installed bin folder.
        program.start(installed.path("/usr/bin/morvo"), {});
        const qulonglong window = waitForRecordWindow(program);
        QVERIFY2(window, "the record window was not mapped");

        const QString own = home.filePath("data/MorvoII/morvo.res");
        QSettings settings(home.filePath("config/MorvoII.conf"), QSettings::IniFormat);
        QCOMPARE(settings.value("Application/DbsLocation").toString(), own);
        const QString drawing = TestSupport::fieldInFile(own, "Drawing Directory&Name").last().toString();
        QVERIFY2(drawing.startsWith(installed.path("/usr/share/morvo/examples/")), qPrintable(drawing));

        // The thumbnail on screen holds the pixels the installed thumbnailer makes.
        const QString thumbnail = home.filePath("thumbnail.png");
        QProcess::execute(installed.path("/usr/libexec/morvo/morvo-thumbnailer"),
                          {"-s", QString::number(ThumbnailWidth), drawing, thumbnail});
        const QImage expected = QImage(thumbnail).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!expected.isNull());
        QImage shown;
        QPoint at(-1, -1);
        for (int attempt = 0; attempt < 100 && at.x() < 0; ++attempt) {
            QTest::qWait(50);
            shown = QGuiApplication::primaryScreen()
                        ->grabWindow(WId(window))
                        .toImage()
                        .convertToFormat(QImage::Format_RGB32);
            at = find(shown, expected);
        }
        const QString screenshots = qEnvironmentVariable("MORVO_SCREENSHOT_DIR");
        QDir().mkpath(screenshots);
        shown.save(screenshots + "/record-window.png");
        QVERIFY2(at.x() >= 0, "the example drawing's thumbnail is not on screen");

        // The desktop entry's StartupWMClass is the window's class.
        const QString desktopEntry =
            QDir(installed.path("/usr/share/applications")).entryInfoList({"*.desktop"}).value(0).filePath();
        QFile entry(desktopEntry);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString wmClass = QRegularExpression("^StartupWMClass=(.*)$", QRegularExpression::MultilineOption)
                                    .match(QString::fromUtf8(entry.readAll()))
                                    .captured(1);
        QVERIFY(!wmClass.isEmpty());
        const QString windowClass = run("xprop", {"-id", QString::number(window), "WM_CLASS"});
        QVERIFY2(windowClass.contains(", \"" + wmClass + "\""), qPrintable(windowClass));

        program.terminate();
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(snapshot(installed.root()), before);
    }

    void cleanupTestCase() { setWritable(installed.root(), true); }
};

QTEST_MAIN(E2EPackage)
#include "e2e_package.moc"
