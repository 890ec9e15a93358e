// The single-instance socket: only in a folder no other user can enter, and a
// socket that another user placed in the old shared place has no effect.
#include "desktop/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {
constexpr QFile::Permissions Private = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

QString makeFolder(const QString &path, QFile::Permissions permissions)
{
    QDir().mkpath(path);
    QFile::setPermissions(path, permissions);
    return path;
}
}

class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString privateCache() const { return dir.filePath("cache/MorvoII"); }

private slots:
    void init()
    {
        qputenv("XDG_CACHE_HOME", dir.filePath("cache").toUtf8());
        qputenv("TMPDIR", makeFolder(dir.filePath("tmp"), QFile::Permissions(0x7777)).toUtf8());
    }

    void theSocketLivesInAPrivateFolder_data()
    {
        QTest::addColumn<QString>("runtime");
        QTest::addColumn<QString>("expectedFolder");
        const QString privateRuntime = makeFolder(dir.filePath("run-private"), Private);
        QTest::newRow("private runtime folder") << privateRuntime << privateRuntime;
        QTest::newRow("no runtime folder") << QString() << privateCache();
        QTest::newRow("missing runtime folder") << dir.filePath("run-missing") << privateCache();
        QTest::newRow("world-writable runtime folder")
            << makeFolder(dir.filePath("run-shared"), QFile::Permissions(0x7777)) << privateCache();
        QTest::newRow("group may enter") << makeFolder(dir.filePath("run-group"), Private | QFile::ExeGroup)
                                         << privateCache();
        QFile::link(privateRuntime, dir.filePath("run-link"));
        QTest::newRow("a link to a private folder") << dir.filePath("run-link") << privateCache();
    }
    void theSocketLivesInAPrivateFolder()
    {
        QFETCH(QString, runtime);
        QFETCH(QString, expectedFolder);
        if (runtime.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        const QString name = SingleInstance::serverNameFor("MorvoII");
        QCOMPARE(QFileInfo(name).absolutePath(), expectedFolder);
        QCOMPARE(QFile::permissions(expectedFolder) & ~Private,
                 QFile::Permissions(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser));

        SingleInstance first("MorvoII");
        QVERIFY(first.claim());
        QVERIFY(QFileInfo(name).exists());
    }

    void aSocketSquattedInTheOldPlaceHasNoEffect()
    {
        qputenv("XDG_RUNTIME_DIR", makeFolder(dir.filePath("run-squat"), Private).toUtf8());
        // Another user listens where the socket used to be: $TMPDIR/MorvoII-<uid>.
        QLocalServer squatter;
        QVERIFY(squatter.listen(QDir::tempPath() + QStringLiteral("/MorvoII-%1").arg(getuid())));
        QSignalSpy squatted(&squatter, &QLocalServer::newConnection);

        SingleInstance first("MorvoII");
        QVERIFY(first.claim());
        QSignalSpy activations(&first, &SingleInstance::activationRequested);
        SingleInstance second("MorvoII");
        QVERIFY(!second.claim());
        QVERIFY(second.activateRunning());
        QTRY_COMPARE(activations.count(), 1);
        QCOMPARE(squatted.count(), 0);
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
