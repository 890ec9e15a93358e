// Handing files, folders and links to the desktop: the show-code and print
// rules, what reaches the launcher, and the targets that must never run.
#include "TestSupport.h"

#include "modules/LaunchApp.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {
struct Launch
{
    qint32 result;
    qint16 showCode;
    bool printFlag;
};

Launch launch(QString target, bool printFlag = false, qint16 showCode = 1)
{
    const qint32 result = LaunchApp::LaunchFile(target, printFlag, showCode);
    return {result, showCode, printFlag};
}

QString writeFile(const QString &path, const QByteArray &content, bool runBit = false)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    file.close();
    if (runBit)
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    return path;
}

const QByteArray DrawingBytes = QByteArrayLiteral("AC1032\0\0\0\0\0\0\0");
}

class TestLaunchApp : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString file(const QString &name) const { return dir.filePath(name); }

private slots:
    void showCodeZeroBecomesOneInTheCallersVariable_data()
    {
        QTest::addColumn<qint16>("given");
        QTest::addColumn<qint16>("after");
        QTest::newRow("0 becomes normal") << qint16(0) << qint16(1);
        QTest::newRow("1 stays") << qint16(1) << qint16(1);
        QTest::newRow("3 stays") << qint16(3) << qint16(3);
    }
    void showCodeZeroBecomesOneInTheCallersVariable()
    {
        QFETCH(qint16, given);
        QFETCH(qint16, after);
        LauncherRecorder launcher;
        const Launch done = launch(dir.path(), false, given);
        QCOMPARE(done.showCode, after);
        QVERIFY(done.result > 32);
        QCOMPARE(launcher.urls, QList<QUrl>{QUrl::fromLocalFile(dir.path())});
    }

    void printHasNoVerbOnTheDesktop()
    {
        LauncherRecorder launcher;
        const Launch done = launch(writeFile(file("print.dwg"), DrawingBytes), true, 0);
        QVERIFY(done.result <= 32);
        QVERIFY(done.printFlag);
        QCOMPARE(done.showCode, qint16(1));
        QVERIFY(launcher.urls.isEmpty());
    }

    void filesFoldersAndMailLinksReachTheLauncher_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QUrl>("url");
        const QString drawing = writeFile(file("plan with spaces.dwg"), DrawingBytes);
        QTest::newRow("drawing") << drawing << QUrl::fromLocalFile(drawing);
        QTest::newRow("folder") << dir.path() << QUrl::fromLocalFile(dir.path());
        QTest::newRow("file url") << QUrl::fromLocalFile(drawing).toString() << QUrl::fromLocalFile(drawing);
        QTest::newRow("mail link") << "mailto:office@example.com?subject=Morvo"
                                   << QUrl("mailto:office@example.com?subject=Morvo");
        // Windows shares and FAT disks give every file the run bit.
        const QString shared = writeFile(file("shared.dwg"), DrawingBytes, true);
        QTest::newRow("drawing with the run bit") << shared << QUrl::fromLocalFile(shared);
        const QString script = writeFile(file("notes.sh"), "#!/bin/sh\necho hello\n");
        QTest::newRow("script without the run bit") << script << QUrl::fromLocalFile(script);
        // Windows goes by the last suffix only.
        const QString batchText = writeFile(file("install-notes.txt"), "@echo off\r\ndel *.*\r\n");
        QTest::newRow("batch text named as text") << batchText << QUrl::fromLocalFile(batchText);
        const QString pdf = writeFile(file("report.exe.pdf"), "%PDF-1.4\n");
        QTest::newRow("runnable suffix inside the name") << pdf << QUrl::fromLocalFile(pdf);
    }
    void filesFoldersAndMailLinksReachTheLauncher()
    {
        QFETCH(QString, target);
        QFETCH(QUrl, url);
        LauncherRecorder launcher;
        QCOMPARE(launch(target).result, LaunchApp::LaunchOk);
        QCOMPARE(launcher.urls, QList<QUrl>{url});
    }

    void aFailingLauncherIsReported()
    {
        LauncherRecorder launcher(false);
        const qint32 result = launch(dir.path()).result;
        QVERIFY(result <= 32);
        QCOMPARE(launcher.urls.size(), 1);
    }

    void nothingThatWouldRunIsHandedOver_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<qint32>("result");
        const qint32 denied = LaunchApp::ErrAccessDenied;
        QTest::newRow("script with the run bit") << writeFile(file("run.sh"), "#!/bin/sh\ntouch x\n", true) << denied;
        QTest::newRow("script without #! with the run bit") << writeFile(file("bare.sh"), "touch x\n", true) << denied;
        QTest::newRow("program named as a drawing") << writeFile(file("trojan.dwg"),
                                                                 QByteArray("\x7f"
                                                                            "ELF\x02\x01\x01",
                                                                            7)
                                                                     + QByteArray(64, '\0'),
                                                                 true)
                                                    << denied;
        QTest::newRow("desktop entry") << writeFile(file("open.desktop"), "[Desktop Entry]\nExec=touch x\n") << denied;
        QTest::newRow("desktop entry, upper case")
            << writeFile(file("OPEN2.DESKTOP"), "[Desktop Entry]\nExec=touch x\n") << denied;
        QTest::newRow("windows program") << writeFile(file("setup.exe"), "MZ\x90\0") << denied;
        QTest::newRow("java program") << writeFile(file("tool.jar"), "PK\x03\x04") << denied;
        QTest::newRow("other link scheme") << "ftp://example.com/plan.dwg" << denied;
        // Everything Windows or Wine would run, by name, whatever it holds.
        const QByteArray batch = "@echo off\r\ndel *.*\r\n";
        for (const char *suffix : LaunchApp::WindowsRunnableSuffixes)
            QTest::addRow("windows .%s", suffix)
                << writeFile(file(QStringLiteral("run.%1").arg(suffix)), batch) << denied;
        QTest::newRow("windows suffix, upper case") << writeFile(file("INSTALL.BAT"), batch) << denied;
        QTest::newRow("windows suffix, mixed case") << writeFile(file("Setup.Cmd"), batch) << denied;
        QTest::newRow("windows suffix, trailing dot") << writeFile(file("setup.bat."), batch) << denied;
        QTest::newRow("windows suffix, trailing blanks") << writeFile(file("notes.vbs  "), batch) << denied;
        QTest::newRow("windows suffix as a link")
            << QUrl::fromLocalFile(writeFile(file("link.bat"), batch)).toString() << denied;
        // By content, whatever the name.
        QTest::newRow("windows program named as a drawing")
            << writeFile(file("plan.dwg"), QByteArray("MZ\x90\0\3\0\0\0", 8) + QByteArray(56, '\0')) << denied;
        QTest::newRow("windows shortcut named as a drawing") << writeFile(
            file("site.dwg"), QByteArray::fromHex("4C0000000114020000000000C000000000000046") + QByteArray(60, '\0'))
                                                             << denied;
        QTest::newRow("missing file") << file("gone.dwg") << LaunchApp::ErrFileNotFound;
        QTest::newRow("single blank") << " " << LaunchApp::ErrFileNotFound;
        QTest::newRow("empty") << "" << LaunchApp::ErrFileNotFound;
        QTest::newRow("windows path") << "C:\\Jobs\\1024\\plan.dwg" << LaunchApp::ErrFileNotFound;
    }
    void nothingThatWouldRunIsHandedOver()
    {
        QFETCH(QString, target);
        QFETCH(qint32, result);
        LauncherRecorder launcher;
        QCOMPARE(launch(target).result, result);
        QVERIFY(launcher.urls.isEmpty());
    }
    void theHelpPageListsTheKindsNeverOpened()
    {
        QFile page(qEnvironmentVariable("MORVO_BIN_DIR") + "/MorvoHelp.html");
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll());
        const qsizetype from = text.indexOf("id=\"never-opened\"");
        QVERIFY(from > 0);
        const QString section = text.mid(from, text.indexOf("<h3", from + 1) - from);
        for (const char *suffix : LaunchApp::WindowsRunnableSuffixes)
            QVERIFY2(section.contains(QRegularExpression(QStringLiteral("\\.%1[\\s<]").arg(suffix))), suffix);
    }
};

QTEST_MAIN(TestLaunchApp)
#include "tst_launchapp.moc"
