// "Drawing Folders": what each row of the table resolves of the catalogue's
// paths, editing the table, saving it, and the two tray menus that open it.
#include "ProgramTestCase.h"

#include "drawingpaths/DrawingFolderTable.h"
#include "forms/drawingfolders/FrmDrawingFolders.h"
#include "forms/tray/FrmMenu.h"
#include "widgets/FileListBox.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;

namespace {
void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}

QString countShown(FrmDrawingFolders &dialog, int row)
{
    return dialog.findChild<QTableWidget *>("GridFolders")->item(row, 2)->text();
}

void click(FrmDrawingFolders &dialog, const char *button)
{
    dialog.findChild<QPushButton *>(button)->click();
}
}

class TestDrawingFolders : public ProgramTestCase
{
    Q_OBJECT

    QString drawings() const { return sandbox->path("drawings"); }

    Form1 *startOnWindowsPaths()
    {
        touch(drawings() + "/Jobs/1/a.dwg");
        touch(drawings() + "/Jobs/2/b.dwg");
        touch(sandbox->path("share/x.dwg"));
        DrawingFolderTable::save({{"P:\\", drawings()}});
        return startProgram({record("1", "A", "P:\\Jobs\\1\\a.dwg"), record("2", "B", "p:\\jobs\\2\\B.DWG"),
                             record("3", "C", "P:\\Jobs\\3\\c.dwg"), record("4", "D", "\\\\server\\cad\\x.dwg"),
                             record("5", "E", "P:\\Jobs\\1\\a.dwg"), record("6", "F")});
    }
    // The catalogue in use: the program's own file, or the one on the server.
    QString catalogue() const { return usingServer() ? sandbox->setting() : sandbox->programFolder() + "/morvo.res"; }

private slots:
    void eachRowShowsWhatItFindsOfTheCataloguesPaths()
    {
        QVERIFY(startOnWindowsPaths());
        FrmDrawingFolders dialog(catalogue());
        QSignalSpy counted(&dialog, &FrmDrawingFolders::counted);
        QCOMPARE(dialog.rows(), (QList<DrawingFolder>{{"P:\\", drawings()}}));
        QVERIFY(counted.wait(5000));
        QCOMPARE(countShown(dialog, 0), QString("2 of 3")); // distinct paths

        // A new row for the share: counted again after the edit.
        click(dialog, "CmdAdd");
        auto *grid = dialog.findChild<QTableWidget *>("GridFolders");
        grid->item(1, 0)->setText("\\\\server\\cad");
        grid->setItem(1, 1, new QTableWidgetItem(sandbox->path("share")));
        QVERIFY(counted.wait(5000));
        QCOMPARE(countShown(dialog, 0), QString("2 of 3"));
        QCOMPARE(countShown(dialog, 1), QString("1 of 1"));

        grid->setCurrentCell(1, 0);
        click(dialog, "CmdUp");
        QCOMPARE(dialog.rows().first().windowsPrefix, QString("\\\\server\\cad"));
        click(dialog, "CmdDown");
        QCOMPARE(dialog.rows().last().windowsPrefix, QString("\\\\server\\cad"));
        click(dialog, "CmdRemove");
        QCOMPARE(dialog.rows().size(), 1);
    }

    void browseChoosesTheLocalFolder()
    {
        QVERIFY(startOnWindowsPaths());
        FrmDrawingFolders dialog(catalogue());
        dialog.findChild<QTableWidget *>("GridFolders")->setCurrentCell(0, 1);
        FileDialogStub chooser(sandbox->path("share"));
        click(dialog, "CmdBrowse");
        QCOMPARE(chooser.requests.size(), 1);
        QVERIFY(chooser.requests[0].chooseFolder);
        QCOMPARE(chooser.requests[0].folder, drawings());
        QCOMPARE(dialog.rows().first().localFolder, sandbox->path("share"));
    }

    void okSavesTheTableAndTheRecordWindowFollowsIt()
    {
        Form1 *w = startOnWindowsPaths();
        QVERIFY(w);
        w->Command4_Click(); // the first record: P:\Jobs\1\a.dwg
        QTRY_COMPARE(w->File1->Path(), drawings() + "/Jobs/1");
        FrmDrawingFolders dialog(catalogue());
        dialog.setRows({{"P:", sandbox->path("elsewhere")}, {"\\\\server\\cad", sandbox->path("share")}});
        touch(sandbox->path("elsewhere/Jobs/1/a.dwg"));
        click(dialog, "CmdOK");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(DrawingFolderTable::load().size(), 2);
        QTRY_COMPARE(w->File1->Path(), sandbox->path("elsewhere/Jobs/1"));
    }

    void aRowThatIsNoPrefixOrNoFolderIsNotSaved_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("says");
        QTest::newRow("no drive") << "Jobs\\"
                                  << "/mnt/jobs"
                                  << "Row 1: \"Jobs\\\" is no Windows prefix";
        QTest::newRow("server without share") << "\\\\server"
                                              << "/mnt/jobs"
                                              << "no Windows prefix";
        QTest::newRow("relative folder") << "P:\\"
                                         << "mnt/p"
                                         << "Row 1: \"mnt/p\" is no folder of this computer";
    }
    void aRowThatIsNoPrefixOrNoFolderIsNotSaved()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, folder);
        QFETCH(QString, says);
        QVERIFY(startProgram({record("1")}));
        FrmDrawingFolders dialog(catalogue());
        dialog.setRows({{prefix, folder}});
        click(dialog, "CmdOK");
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY2(messages->messages[0].text.contains(says), qPrintable(messages->messages[0].text));
        QVERIFY(DrawingFolderTable::load().isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void bothTrayMenusOpenIt_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("PopMenu") << "MnuDrawingFolders";
        QTest::newRow("TaskMenu") << "MnuTskDrawingFolders";
    }
    void bothTrayMenusOpenIt()
    {
        QFETCH(QString, item);
        QVERIFY(startProgram({record("1")}));
        QString shown;
        QTimer::singleShot(0, [&shown] {
            if (auto *dialog = qobject_cast<FrmDrawingFolders *>(QApplication::activeModalWidget())) {
                shown = dialog->windowTitle();
                dialog->reject();
            }
        });
        Forms::Loaded<FrmMenu>()->findChild<QAction *>(item)->trigger();
        QCOMPARE(shown, QString("Drawing Folders"));
    }
};

QTEST_MAIN(TestDrawingFolders)
#include "tst_drawingfolders.moc"
