// Where the program finds its companions and helpers: beside itself in a
// build folder, in the install's folders otherwise; and the user's own folder.
#include "desktop/AppPaths.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestAppPaths : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void companionsAndHelpersFollowTheLayout_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("companions");
        QTest::addColumn<QString>("helpers");
        QTest::newRow("build folder") << QStringList{"build/bin"} << "build/bin"
                                      << "build/bin"
                                      << "build/bin";
        QTest::newRow("installed") << QStringList{"usr/bin", "usr/share/morvo"} << "usr/bin"
                                   << "usr/share/morvo"
                                   << "usr/libexec/morvo";
        // A package unpacked anywhere works as installed.
        QTest::newRow("unpacked package") << QStringList{"root/opt/x/bin", "root/opt/x/share/morvo"} << "root/opt/x/bin"
                                          << "root/opt/x/share/morvo"
                                          << "root/opt/x/libexec/morvo";
        // Another program's data folder beside the bin folder is not ours.
        QTest::newRow("other data only") << QStringList{"other/bin", "other/share/else"} << "other/bin"
                                         << "other/bin"
                                         << "other/bin";
    }
    void companionsAndHelpersFollowTheLayout()
    {
        QFETCH(QStringList, folders);
        QFETCH(QString, program);
        QFETCH(QString, companions);
        QFETCH(QString, helpers);
        for (const QString &folder : folders)
            QVERIFY(QDir(dir.path()).mkpath(folder));
        const AppPaths::Layout layout = AppPaths::layoutFor(dir.filePath(program));
        QCOMPARE(layout.companions, dir.filePath(companions));
        QCOMPARE(layout.helpers, dir.filePath(helpers));

        AppPaths::setProgramFolder(dir.filePath(program));
        QCOMPARE(AppPaths::companion("Morvo.dat"), dir.filePath(companions) + "/Morvo.dat");
        AppPaths::setProgramFolder(QString());
    }

    void theUsersFolderFollowsXdgDataHome()
    {
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        QCOMPARE(AppPaths::userDataFolder(), dir.filePath("data/MorvoII"));
        QCOMPARE(AppPaths::userFile("morvo.res"), dir.filePath("data/MorvoII/morvo.res"));
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(AppPaths::userDataFolder(), QDir::homePath() + "/.local/share/MorvoII");
    }
};

QTEST_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
