// The Debian package the build makes, checked as Debian and the desktop check
// it: lintian, its file list and dependencies, the desktop entry and AppStream
// metadata validators, and the thumbnailer run as a file manager runs it.
#include "PackageRoot.h"

#include "CatalogueFiles.h"
#include "program/ProgramFacts.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {
struct Outcome
{
    int status;
    QString output; // standard output and error
};

Outcome run(const QString &program, const QStringList &arguments, int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs))
        return {-1, program + " did not finish"};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : 128,
            QString::fromUtf8(process.readAllStandardOutput())};
}

QString field(const QString &control, const QString &name)
{
    const QRegularExpression line("^" + name + ": (.*)$", QRegularExpression::MultilineOption);
    return line.match(control).captured(1);
}

// A key of a desktop entry or thumbnailer entry (the files have one group each).
QString entryValue(const QString &file, const QString &key)
{
    QFile entry(file);
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QRegularExpression line("^" + key + "=(.*)$", QRegularExpression::MultilineOption);
    return line.match(QString::fromUtf8(entry.readAll())).captured(1);
}
}

class TestPackage : public QObject
{
    Q_OBJECT

    PackageRoot installed;
    QString desktopEntry;

private slots:
    void initTestCase()
    {
        QVERIFY2(!PackageRoot::package().isEmpty(), "no package: the package_build test makes it");
        QVERIFY(installed.unpack());
        desktopEntry = QDir(installed.path("/usr/share/applications")).entryInfoList({"*.desktop"}).value(0).filePath();
    }

    void nameVersionArchitectureAndDependencies()
    {
        const QString architecture = run("dpkg", {"--print-architecture"}).output.trimmed();
        QCOMPARE(QFileInfo(PackageRoot::package()).fileName(),
                 QStringLiteral("morvo_%1_%2.deb").arg(qEnvironmentVariable("MORVO_VERSION"), architecture));
        const QString control = run("dpkg-deb", {"-f", PackageRoot::package()}).output;
        // Computed from the binaries by dpkg-shlibdeps, with versions.
        const QString depends = field(control, "Depends");
        for (const char *library : {"libqt6widgets6 (>=", "libqt6network6 (>=", "libsqlite3-0 (>=", "libc6 (>="})
            QVERIFY2(depends.contains(library), qPrintable(depends));
        QVERIFY2(depends.contains("qt6-qpa-plugins"), qPrintable(depends));
        QVERIFY(!field(control, "Maintainer").isEmpty());
        QVERIFY(!field(control, "Description").isEmpty());
    }

    void lintianFindsNoErrorsAndNoWarnings()
    {
        const Outcome lintian = run("lintian", {"--fail-on", "error,warning", PackageRoot::package()}, 300000);
        QVERIFY2(lintian.status == 0, qPrintable(lintian.output));
        QVERIFY2(!lintian.output.contains(QRegularExpression("^[EW]: ", QRegularExpression::MultilineOption)),
                 qPrintable(lintian.output));
    }

    void theFilesOfTheInstall_data()
    {
        QTest::addColumn<QString>("file");
        QStringList files{"/usr/bin/morvo",
                          "/usr/share/morvo/morvo.res",
                          "/usr/share/morvo/Morvo.dat",
                          "/usr/share/morvo/MorvoHelp.html",
                          "/usr/share/man/man1/morvo.1.gz",
                          "/usr/share/doc/morvo/copyright",
                          "/usr/share/doc/morvo/changelog.gz",
                          "/usr/share/icons/hicolor/scalable/apps/morvo.svg",
                          "/usr/share/thumbnailers/morvo-dwg.thumbnailer",
                          "/usr/share/mime/packages/morvo-dwg.xml"};
        for (const QString &helper : qEnvironmentVariable("MORVO_HELPERS").split(',', Qt::SkipEmptyParts))
            files << "/usr/libexec/morvo/" + helper;
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
            files << QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/morvo.png").arg(size);
        for (const QString &file : files)
            QTest::newRow(qPrintable(file)) << file;
    }
    void theFilesOfTheInstall()
    {
        QFETCH(QString, file);
        QVERIFY2(QFileInfo(installed.path(file)).isFile(), qPrintable(file));
    }

    void theIconsHaveTheirSizes()
    {
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QImage icon(
                installed.path(QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/morvo.png").arg(size)));
            QCOMPARE(icon.size(), QSize(size, size));
        }
        QFile svg(installed.path("/usr/share/icons/hicolor/scalable/apps/morvo.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QVERIFY(svg.readAll().contains("<svg"));
    }

    // Every drawing the example catalogue names comes with it.
    void theExampleDrawingsAreDelivered()
    {
        const QList<QVariant> drawings =
            TestSupport::fieldInFile(installed.path("/usr/share/morvo/morvo.res"), "Drawing Directory&Name");
        QVERIFY(drawings.size() >= 12);
        for (const QVariant &drawing : drawings)
            QVERIFY2(QFileInfo(installed.path("/usr/share/morvo/" + drawing.toString())).isFile(),
                     qPrintable(drawing.toString()));
    }

    void theDesktopEntryAndMetadataValidate()
    {
        // The program tells the desktop which entry its windows belong to.
        QCOMPARE(QFileInfo(desktopEntry).fileName(), QString::fromLatin1(ProgramFacts::DesktopFileName) + ".desktop");
        const Outcome entry = run("desktop-file-validate", {desktopEntry});
        QVERIFY2(entry.status == 0 && entry.output.isEmpty(), qPrintable(entry.output));
        const QString metainfo =
            QDir(installed.path("/usr/share/metainfo")).entryInfoList({"*.metainfo.xml"}).value(0).filePath();
        const Outcome appstream = run("appstreamcli", {"validate", "--pedantic", "--no-net", metainfo});
        QVERIFY2(appstream.status == 0, qPrintable(appstream.output));

        // The metadata launches this entry; the entry's icon is in the theme; it runs the installed program.
        QFile meta(metainfo);
        QVERIFY(meta.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(meta.readAll()).contains(">" + QFileInfo(desktopEntry).fileName() + "</launchable>"));
        QCOMPARE(entryValue(desktopEntry, "Exec"), QString("morvo"));
        QVERIFY(QFileInfo(installed.path("/usr/bin/morvo")).isExecutable());
        QVERIFY(QFileInfo::exists(
            installed.path("/usr/share/icons/hicolor/48x48/apps/" + entryValue(desktopEntry, "Icon") + ".png")));
    }

    // A file manager reads the entry, substitutes %s %i %o and runs the command;
    // here the installed paths lie inside the unpacked root.
    void theThumbnailerRunsAsAFileManagerRunsIt_data()
    {
        QTest::addColumn<QString>("drawing");
        QTest::addColumn<QSize>("expected"); // empty: no thumbnail
        QDirIterator examples(installed.path("/usr/share/morvo/examples"), {"*.dwg"}, QDir::Files,
                              QDirIterator::Subdirectories);
        while (examples.hasNext()) {
            const QString drawing = examples.next();
            QTest::newRow(qPrintable(QFileInfo(drawing).fileName())) << drawing << QSize(128, 80);
        }
        const QString seeds = qEnvironmentVariable("MORVO_SOURCE_DIR") + "/fuzz/seeds/fuzz_dwgpreview/";
        QTest::newRow("R2018 drawing with a PNG preview") << seeds + "r2018_png.dwg" << QSize(128, 64);
        QTest::newRow("preview block without images") << seeds + "77a40b5204cefa00685639037431ade8918860cb" << QSize();
        QTest::newRow("not a drawing") << installed.path("/usr/share/doc/morvo/copyright") << QSize();
    }
    void theThumbnailerRunsAsAFileManagerRunsIt()
    {
        QFETCH(QString, drawing);
        QFETCH(QSize, expected);
        const QString entry = installed.path("/usr/share/thumbnailers/morvo-dwg.thumbnailer");
        QVERIFY(entryValue(entry, "MimeType").split(';').contains("image/vnd.dwg"));
        QVERIFY(QFileInfo(installed.path(entryValue(entry, "TryExec"))).isExecutable());
        QStringList command = QProcess::splitCommand(entryValue(entry, "Exec"));
        QVERIFY(!command.isEmpty());
        const QString output = installed.root() + "/thumbnail.png";
        QFile::remove(output);
        command.replaceInStrings("%s", "128").replaceInStrings("%i", drawing).replaceInStrings("%o", output);
        const Outcome thumbnailer = run(installed.path(command.takeFirst()), command);
        QCOMPARE(thumbnailer.status == 0, !expected.isEmpty());
        const QImage thumbnail(output);
        QCOMPARE(thumbnail.isNull(), expected.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE(thumbnail.size(), expected);
    }
};

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
