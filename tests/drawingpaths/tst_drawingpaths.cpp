// The sources of the one resolver: the table in the settings store, the CIFS
// mounts of a mount table and the desktop's gvfs mounts.
#include "drawingpaths/DrawingFolderTable.h"
#include "drawingpaths/DrawingPaths.h"
#include "drawingpaths/ShareMounts.h"

#include <QDir>
#include <QFile>
#include <QSettings>
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

class TestDrawingPaths : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    QString root() const { return dir->path(); }
    QString writeMountTable(const QByteArray &text) const
    {
        QFile file(root() + "/mounts");
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return file.fileName();
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root() + "/config");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root() + "/runtime"));
        ShareMounts::setMountTablePath(writeMountTable(""));
    }
    void cleanup()
    {
        ShareMounts::setMountTablePath(QString());
        dir.reset();
    }

    void theTableIsKeptInOrderInTheSettingsStore()
    {
        QVERIFY(DrawingFolderTable::load().isEmpty());
        const QList<DrawingFolder> table{{"Q:\\Jobs", "/mnt/jobs"}, {"P:\\", "/mnt/projects"}};
        DrawingFolderTable::save(table);
        QCOMPARE(DrawingFolderTable::load(), table);
        DrawingFolderTable::save({table[1]});
        QCOMPARE(DrawingFolderTable::load(), QList<DrawingFolder>{table[1]});
    }

    void readsTheCifsMountsOfAMountTable()
    {
        const QByteArray text = "/dev/vda / ext4 rw 0 0\n"
                                "//fs1/drawings /mnt/drawings cifs rw,vers=3.0 0 0\n"
                                "//fs1/old\\040jobs /mnt/old\\040jobs smb3 rw 0 0\n"
                                "nfs:/export /mnt/nfs nfs rw 0 0\n"
                                "//fs2/cad/sub /media/cad cifs ro 0 0\n";
        QCOMPARE(ShareMounts::fromMountTable(text),
                 (QList<DrawingFolder>{{"//fs1/drawings", "/mnt/drawings"},
                                       {"//fs1/old jobs", "/mnt/old jobs"},
                                       {"//fs2/cad/sub", "/media/cad"}}));
    }

    void aUncPathResolvesThroughAMountedShareWithoutATableRow()
    {
        touch(root() + "/mnt/drawings/J1002/D-014 rev B.dwg");
        ShareMounts::setMountTablePath(
            writeMountTable("//FS1/Drawings " + QFile::encodeName(root()) + "/mnt/drawings cifs rw 0 0\n"));
        QCOMPARE(DrawingPaths::resolve("\\\\fs1\\drawings\\j1002\\d-014 REV B.DWG"),
                 root() + "/mnt/drawings/J1002/D-014 rev B.dwg");
        // A row of the table comes first.
        touch(root() + "/elsewhere/J1002/D-014 rev B.dwg");
        DrawingFolderTable::save({{"\\\\fs1\\drawings", root() + "/elsewhere"}});
        QCOMPARE(DrawingPaths::resolve("\\\\fs1\\drawings\\J1002\\D-014 rev B.dwg"),
                 root() + "/elsewhere/J1002/D-014 rev B.dwg");
    }

    void aUncPathResolvesThroughTheDesktopsGvfsMount()
    {
        const QString share = root() + "/runtime/gvfs/smb-share:server=fs1,share=cad%20archive,user=bob";
        touch(share + "/J7/plan.dwg");
        QDir().mkpath(root() + "/runtime/gvfs/sftp:host=fs1");
        QCOMPARE(ShareMounts::current(), (QList<DrawingFolder>{{"//fs1/cad archive", share}}));
        QCOMPARE(DrawingPaths::resolve("\\\\FS1\\CAD archive\\j7\\plan.dwg"), share + "/J7/plan.dwg");
    }

    void countsWhatEachRowResolves()
    {
        touch(root() + "/p/Jobs/1/a.dwg");
        touch(root() + "/p/Jobs/2/b.dwg");
        const QList<DrawingFolder> table{{"P:\\", root() + "/p"}, {"Q:\\", root() + "/q"}};
        const QStringList paths{"P:\\Jobs\\1\\A.DWG", "P:\\jobs\\2\\b.dwg", "P:\\Jobs\\3\\c.dwg",
                                "Q:\\x.dwg",          "C:\\elsewhere.dwg",  root() + "/p/Jobs/1/a.dwg"};
        const std::atomic<bool> go{false};
        const QList<DrawingPaths::RowCount> counts = DrawingPaths::countByRow(table, paths, go);
        QCOMPARE(counts.size(), 2);
        QCOMPARE(counts[0].mapped, 3);
        QCOMPARE(counts[0].found, 2);
        QCOMPARE(counts[1].mapped, 1);
        QCOMPARE(counts[1].found, 0);

        QVERIFY(DrawingPaths::someWindowsPathsUnresolved(paths, 100));
        DrawingFolderTable::save(table);
        QVERIFY(!DrawingPaths::someWindowsPathsUnresolved(paths.mid(0, 2), 100));
        QVERIFY(!DrawingPaths::someWindowsPathsUnresolved({root() + "/missing.dwg"}, 100));
    }
};

QTEST_GUILESS_MAIN(TestDrawingPaths)
#include "tst_drawingpaths.moc"
