// Where a stored drawing path lies here: drive and share prefixes, both
// separators, case matched against the real folders, the stored text kept.
#include "drawingpaths/DrawingPath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}
}

class TestDrawingPath : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString root() const { return dir.path(); }
    QList<DrawingFolder> table() const
    {
        return {{"P:\\", root() + "/projects"},
                {"\\\\server\\drawings", root() + "/drawings"},
                {"Q:\\Jobs\\1041", root() + "/one-job"},
                {"Q:\\", root() + "/q"},
                {"R:", ""}};
    }

private slots:
    void initTestCase()
    {
        touch(root() + "/projects/Jobs/1041/plan.dwg");
        touch(root() + "/drawings/J1002/D-014 rev B.dwg");
        touch(root() + "/drawings/j1003/a-100.dwg");
        touch(root() + "/one-job/site.dwg");
        touch(root() + "/q/Jobs/1041/site.dwg");
        touch(root() + "/local/jobs/plan.dwg");
    }

    void resolves_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("local"); // %root% stands for the test folder
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("found");
        QTest::newRow("drive") << "P:\\Jobs\\1041\\plan.dwg"
                               << "%root%/projects/Jobs/1041/plan.dwg" << 0 << true;
        QTest::newRow("drive, other case throughout") << "p:\\JOBS\\1041\\PLAN.DWG"
                                                      << "%root%/projects/Jobs/1041/plan.dwg" << 0 << true;
        QTest::newRow("\\ and / mixed") << "P:/Jobs\\1041/plan.dwg"
                                        << "%root%/projects/Jobs/1041/plan.dwg" << 0 << true;
        QTest::newRow("share") << "\\\\server\\drawings\\J1002\\D-014 rev B.dwg"
                               << "%root%/drawings/J1002/D-014 rev B.dwg" << 1 << true;
        QTest::newRow("share, other case") << "\\\\SERVER\\Drawings\\J1003\\A-100.DWG"
                                           << "%root%/drawings/j1003/a-100.dwg" << 1 << true;
        QTest::newRow("share with slashes") << "//server/drawings/j1003/a-100.dwg"
                                            << "%root%/drawings/j1003/a-100.dwg" << 1 << true;
        QTest::newRow("first row that fits wins") << "Q:\\Jobs\\1041\\site.dwg"
                                                  << "%root%/one-job/site.dwg" << 2 << true;
        QTest::newRow("a later row for the rest") << "Q:\\Jobs\\1042\\site.dwg"
                                                  << "%root%/q/Jobs/1042/site.dwg" << 3 << false;
        QTest::newRow("a folder") << "P:\\Jobs\\1041\\"
                                  << "%root%/projects/Jobs/1041" << 0 << true;
        QTest::newRow("a missing drawing") << "P:\\Jobs\\9999\\x.dwg"
                                           << "%root%/projects/Jobs/9999/x.dwg" << 0 << false;
        QTest::newRow("whole parts only") << "\\\\server\\drawings2\\J1002\\x.dwg"
                                          << "" << -1 << false;
        QTest::newRow("a drive without a folder") << "R:\\x.dwg"
                                                  << "" << -1 << false;
        QTest::newRow("a drive not in the table") << "C:\\CAD\\J1001\\D-001.dwg"
                                                  << "" << -1 << false;
        QTest::newRow("native, backslash mended") << "%root%/local/jobs\\plan.dwg"
                                                  << "%root%/local/jobs/plan.dwg" << -1 << true;
        QTest::newRow("native keeps its case") << "%root%/LOCAL/jobs/plan.dwg"
                                               << "%root%/LOCAL/jobs/plan.dwg" << -1 << false;
        QTest::newRow("blank") << " "
                               << " " << -1 << false;
    }
    void resolves()
    {
        QFETCH(QString, stored);
        QFETCH(QString, local);
        QFETCH(int, row);
        QFETCH(bool, found);
        stored.replace("%root%", root());
        const ResolvedPath resolved = resolveDrawingPath(stored, table(), realFolderLookup());
        QCOMPARE(resolved.local, local.replace("%root%", root()));
        QCOMPARE(resolved.folderRow, row);
        QCOMPARE(resolved.found, found);
    }

    void listsAFolderOnlyWhenTheExactNameIsMissing()
    {
        QStringList listed;
        FolderLookup lookup = realFolderLookup();
        lookup.entries = [&listed, list = lookup.entries](const QString &folder) {
            listed << folder;
            return list(folder);
        };
        QVERIFY(resolveDrawingPath("P:\\Jobs\\1041\\plan.dwg", table(), lookup).found);
        QVERIFY(listed.isEmpty());
        QVERIFY(resolveDrawingPath("P:\\Jobs\\1041\\PLAN.dwg", table(), lookup).found);
        QCOMPARE(listed, QStringList{root() + "/projects/Jobs/1041"});
    }

    void tellsWindowsPaths_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("native");
        QTest::newRow("drive") << "C:\\a" << true << "";
        QTest::newRow("bare drive") << "P:" << true << "";
        QTest::newRow("share") << "\\\\server\\share" << true << "";
        QTest::newRow("server only") << "\\\\server" << false << "//server";
        QTest::newRow("native") << "/home/a\\b.dwg" << false << "/home/a/b.dwg";
        QTest::newRow("relative") << "a\\b.dwg" << false << "a/b.dwg";
    }
    void tellsWindowsPaths()
    {
        QFETCH(QString, text);
        QFETCH(bool, windows);
        QFETCH(QString, native);
        QCOMPARE(isWindowsPath(text), windows);
        QCOMPARE(nativeDrawingPath(text), native);
    }
};

QTEST_GUILESS_MAIN(TestDrawingPath)
#include "tst_drawingpath.moc"
