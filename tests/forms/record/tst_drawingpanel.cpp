// The record window's drawing panel on real folders: which folder the list
// shows for a drawing path, what it lists, previews, drags, the locate dialog,
// what double-clicks open, and the background lister under it.
#include "TestSupport.h"

#include "drawingpaths/DrawingFolderTable.h"
#include "files/FolderLister.h"
#include "forms/record/Form1.h"
#include "forms/search/SearchInProgress.h"
#include "startup/StartUp.h"
#include "widgets/DwgThumbnail.h"
#include "widgets/FileListBox.h"
#include "widgets/Forms.h"

#include <QDir>
#include <QDrag>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QtTest>

using namespace TestSupport;

namespace {
constexpr QChar Backspace = u'\b';

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}

struct OfferedDrag
{
    QList<QUrl> urls;
    QStringList formats;
    Qt::DropActions actions;
};

// Sees every drag the list starts.
class DragRecorder
{
public:
    DragRecorder()
    {
        FileDragSeam::setHandler([this](const QDrag &drag, Qt::DropActions actions) {
            drags << OfferedDrag{drag.mimeData()->urls(), drag.mimeData()->formats(), actions};
        });
    }
    ~DragRecorder() { FileDragSeam::setHandler(nullptr); }
    QList<OfferedDrag> drags;
};
}

class TestDrawingPanel : public QObject
{
    Q_OBJECT

    QTemporaryDir drawings;
    std::unique_ptr<Sandbox> sandbox;
    std::unique_ptr<MessageRecorder> messages;

    QString root() const { return drawings.path(); }
    QString jobFolder() const { return root() + "/jobs/1024"; }
    QString plan() const { return jobFolder() + "/plan.dwg"; }

    Form1 *start(const QList<Record> &records)
    {
        writeCatalogue(sandbox->programFolder() + "/morvo.res", records);
        touch(sandbox->programFolder() + "/program.dwg");
        if (!StartUp::EntryRoutine())
            return nullptr;
        Form1 *window = Forms::Loaded<Form1>();
        waitForListing(window);
        return window;
    }
    static void waitForListing(Form1 *w) { QTRY_VERIFY(!w->File1->listingPending()); }
    // What the user's click on the open padlock allows.
    static void unlock(Form1 *w) { w->ImgUnlocked_Click(); }
    static QPoint entryCentre(Form1 *w, const QString &name)
    {
        const int row = w->File1->names().indexOf(name);
        return w->File1->visualRect(w->File1->model()->index(row, 0)).center();
    }
    static void clickEntry(Form1 *w, const QString &name)
    {
        QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, {}, entryCentre(w, name));
    }
    // A press, two moves well past the drag distance, and a release.
    static void dragFrom(Form1 *w, QPoint from, Qt::MouseButton button)
    {
        QWidget *viewport = w->File1->viewport();
        QTest::mousePress(viewport, button, {}, from);
        QTest::mouseMove(viewport, from + QPoint(0, 4));
        QTest::mouseMove(viewport, from + QPoint(0, 30));
        QTest::mouseRelease(viewport, button, {}, from + QPoint(0, 30));
    }

private slots:
    void initTestCase()
    {
        touch(plan());
        touch(jobFolder() + "/another.dwg");
        touch(root() + "/jobs/parent.dwg");
        touch(root() + "/other/chosen.dwg");
    }
    void init()
    {
        sandbox = std::make_unique<Sandbox>();
        messages = std::make_unique<MessageRecorder>();
    }
    void cleanup()
    {
        SearchInProgress = false;
        messages.reset();
        sandbox.reset();
    }

    void panelLayout()
    {
        Form1 *w = start({record("1", "Job", plan())});
        w->show();
        QCOMPARE(w->File1->geometry(), QRect(428, 72, 169, 123));
        QCOMPARE(w->DwgThumbnail1->geometry(), QRect(428, 232, 169, 161));
        QCOMPARE(w->CmdExplore->geometry(), QRect(396, 341, 21, 21));
        QCOMPARE(w->CmdScript->geometry(), QRect(436, 332, 65, 25));
        QCOMPARE(w->File1->toolTip(), QString("Double Click to Explore, Hold & Drag to Copy"));
        QCOMPARE(w->DwgThumbnail1->toolTip(), QString("Double Click to Open"));
        QCOMPARE(w->CmdExplore->toolTip(), QString("Locate File"));
        QVERIFY(w->CmdExplore->text().isEmpty());
        QVERIFY(!w->CmdExplore->icon().isNull());
        QCOMPARE(w->File1->Pattern(), QString("*.dwg"));
        QCOMPARE(w->CmdScript->text(), QString("Scripting"));
        QVERIFY(!w->CmdScript->isVisible());
        // The locate button and the list follow the record buttons in the tab order.
        QWidget *afterUpdate = w->findChild<QWidget *>("CmdUpdate")->nextInFocusChain();
        QCOMPARE(afterUpdate, w->CmdExplore);
        QCOMPARE(afterUpdate->nextInFocusChain(), w->File1);
    }

    void folderOfTheDrawingPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder"); // "" for the program's folder
        QTest::newRow("windows path") << "C:\\Jobs\\1024\\plan.dwg"
                                      << "";
        QTest::newRow("windows path with slashes") << "C:/Jobs/1024/plan.dwg"
                                                   << "";
        QTest::newRow("drawing path") << "%root%/jobs/1024/plan.dwg"
                                      << "/jobs/1024";
        QTest::newRow("backslashes") << "%rootbs%\\jobs\\1024\\plan.dwg"
                                     << "/jobs/1024";
        QTest::newRow("both separators") << "%root%/jobs\\1024\\plan.dwg"
                                         << "/jobs/1024";
        QTest::newRow("final separator: a folder") << "%root%/jobs/1024/"
                                                   << "/jobs/1024";
        QTest::newRow("final backslash: a folder") << "%root%/jobs/1024\\"
                                                   << "/jobs/1024";
        QTest::newRow("no final separator: the parent") << "%root%/jobs/1024"
                                                        << "/jobs";
        QTest::newRow("missing drawing, existing folder") << "%root%/jobs/1024/gone.dwg"
                                                          << "/jobs/1024";
        QTest::newRow("missing folder") << "%root%/jobs/9999/plan.dwg"
                                        << "";
        QTest::newRow("a file is no folder") << "%root%/jobs/1024/plan.dwg/"
                                             << "";
        QTest::newRow("single blank") << " "
                                      << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("no separator") << "plan.dwg"
                                      << "";
        // Relative to the current folder it would exist: still not listed.
        QTest::newRow("relative folder") << "jobs/1024/plan.dwg"
                                         << "";
    }
    void folderOfTheDrawingPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        const QString previousCurrent = QDir::currentPath();
        QDir::setCurrent(root());
        Form1 *w = start({record("1", "Job", root() + "/other/chosen.dwg")});
        path.replace("%rootbs%", QString(root()).replace('/', '\\')).replace("%root%", root());
        w->txtFileLoc->setText(path);
        waitForListing(w);
        QDir::setCurrent(previousCurrent);
        const QString expected = folder.isEmpty() ? sandbox->programFolder() : root() + folder;
        QCOMPARE(w->File1->Path(), expected);
        QCOMPARE(w->File1->names(), QDir(expected).entryList({"*.dwg"}, QDir::Files, QDir::Name));
        QVERIFY(!w->File1->names().isEmpty());
        QCOMPARE(w->DwgThumbnail1->DwgFileName(), path);
    }

    void listsDrawingsOnlyIgnoringCaseWithoutSubfolders()
    {
        const QString folder = root() + "/mixed";
        for (const char *name : {"a.dwg", "B.DWG", "b2.dwg", "c.Dwg", "Z.dwg", "notes.txt", "plan.dwg.bak", "dwg",
                                 ".hidden.dwg", "sub.dwg/inner.dwg", "sub/deep.dwg"})
            touch(folder + "/" + name);
        Form1 *w = start({record("1", "Job", folder + "/a.dwg")});
        QCOMPARE(w->File1->Path(), folder);
        QCOMPARE(w->File1->names(), (QStringList{"a.dwg", "B.DWG", "b2.dwg", "c.Dwg", "Z.dwg"}));
        QVERIFY(w->File1->FileName().isEmpty());
    }

    void typingRepointsAfterEveryCharacter()
    {
        Form1 *w = start({record("1", "Job", " ")});
        unlock(w);
        w->txtFileLoc->clear();
        w->txtFileLoc->setFocus();
        // A slip into a folder that does not exist, mended with two backspaces.
        QList<QChar> keys;
        for (QChar c : root() + "/jobx/")
            keys << c;
        keys << Backspace << Backspace;
        for (QChar c : QString("s/1024/plan.dwg"))
            keys << c;
        QStringList shown;
        for (QChar key : keys) {
            const QString before = w->txtFileLoc->text();
            if (key == Backspace)
                QTest::keyClick(w->txtFileLoc, Qt::Key_Backspace);
            else
                QTest::keyClicks(w->txtFileLoc, QString(key));
            const QString text = w->txtFileLoc->text();
            QCOMPARE(text, key == Backspace ? before.chopped(1) : before + key);
            QVERIFY(w->File1->listingPending());
            waitForListing(w);
            const QFileInfo folder(text.left(text.lastIndexOf('/') + 1));
            const QString expected = folder.isDir() ? QDir::cleanPath(folder.filePath()) : sandbox->programFolder();
            QCOMPARE(w->File1->Path(), expected);
            if (shown.isEmpty() || shown.last() != expected)
                shown << expected;
        }
        QCOMPARE(w->txtFileLoc->text(), plan());
        // The folders met on the way, in order.
        QCOMPARE(shown.mid(shown.size() - 5),
                 (QStringList{root(), sandbox->programFolder(), root(), root() + "/jobs", jobFolder()}));
        QCOMPARE(w->File1->names(), (QStringList{"another.dwg", "plan.dwg"}));
    }

    void nothingIsSelectedAfterARepoint()
    {
        Form1 *w = start({record("1", "Job", plan())});
        clickEntry(w, "plan.dwg");
        QCOMPARE(w->File1->FileName(), QString("plan.dwg"));
        w->txtFileLoc->setText(jobFolder() + "/another.dwg");
        QVERIFY(w->File1->FileName().isEmpty());
        waitForListing(w);
        QVERIFY(w->File1->FileName().isEmpty());
        QVERIFY(w->File1->selectionModel()->selectedIndexes().isEmpty());

        clickEntry(w, "another.dwg");
        w->txtFileLoc->setText(root() + "/other/chosen.dwg");
        waitForListing(w);
        QCOMPARE(w->File1->names(), QStringList{"chosen.dwg"});
        QVERIFY(w->File1->selectionModel()->selectedIndexes().isEmpty());
    }

    void aRunningSearchLeavesListAndPreviewAlone()
    {
        Form1 *w = start({record("1", "First", root() + "/other/chosen.dwg"), record("2", "Last", plan())});
        QCOMPARE(w->File1->Path(), jobFolder());
        SearchInProgress = true;
        w->findChild<QPushButton *>("Command4")->click();
        QCOMPARE(w->txtFileLoc->text(), root() + "/other/chosen.dwg");
        QVERIFY(!w->File1->listingPending());
        QCOMPARE(w->File1->Path(), jobFolder());
        QCOMPARE(w->DwgThumbnail1->DwgFileName(), plan());
        // The search refreshes once when it ends.
        SearchInProgress = false;
        w->UpdateFile1Path();
        w->UpdatePicture();
        waitForListing(w);
        QCOMPARE(w->File1->Path(), root() + "/other");
        QCOMPARE(w->DwgThumbnail1->DwgFileName(), root() + "/other/chosen.dwg");
    }

    void aClickPreviewsTheClickedDrawing()
    {
        Form1 *w = start({record("1", "First", root() + "/other/chosen.dwg"), record("2", "Last", plan())});
        QSignalSpy refreshes(w->DwgThumbnail1, &DwgThumbnail::refreshed);
        clickEntry(w, "another.dwg");
        QCOMPARE(w->DwgThumbnail1->DwgFileName(), jobFolder() + "/another.dwg");
        QCOMPARE(refreshes.size(), 1);
        QCOMPARE(w->txtFileLoc->text(), plan());

        // Other buttons neither select nor preview.
        QTest::mouseClick(w->File1->viewport(), Qt::RightButton, {}, entryCentre(w, "plan.dwg"));
        QCOMPARE(w->File1->FileName(), QString("another.dwg"));
        QCOMPARE(w->DwgThumbnail1->DwgFileName(), jobFolder() + "/another.dwg");

        // The keyboard moves the selection and previews too.
        w->File1->setFocus();
        QTest::keyClick(w->File1, Qt::Key_Down);
        QCOMPARE(w->DwgThumbnail1->DwgFileName(), plan());

        w->findChild<QPushButton *>("Command4")->click();
        QCOMPARE(w->DwgThumbnail1->DwgFileName(), root() + "/other/chosen.dwg");
    }

    void aLeftDragOffersThePreviewedDrawingForCopying()
    {
        Form1 *w = start({record("1", "Job", plan())});
        DragRecorder recorder;
        // Pressed below the entries: the drawing the preview shows, the record's.
        const QPoint belowEntries(20, w->File1->viewport()->height() - 40);
        QVERIFY(!w->File1->indexAt(belowEntries).isValid());
        dragFrom(w, belowEntries, Qt::LeftButton);
        QCOMPARE(recorder.drags.size(), 1);
        QCOMPARE(recorder.drags[0].urls, QList<QUrl>{QUrl::fromLocalFile(plan())});
        QVERIFY(recorder.drags[0].formats.contains("text/uri-list"));
        QCOMPARE(recorder.drags[0].actions, Qt::DropActions(Qt::CopyAction));

        // A press on an entry previews it, and the drag carries it.
        dragFrom(w, entryCentre(w, "another.dwg"), Qt::LeftButton);
        QCOMPARE(recorder.drags.size(), 2);
        QCOMPARE(recorder.drags[1].urls, QList<QUrl>{QUrl::fromLocalFile(jobFolder() + "/another.dwg")});

        dragFrom(w, entryCentre(w, "plan.dwg"), Qt::RightButton);
        dragFrom(w, entryCentre(w, "plan.dwg"), Qt::MiddleButton);
        QCOMPARE(recorder.drags.size(), 2);
        // A press that barely moves stays a click.
        QWidget *viewport = w->File1->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, entryCentre(w, "another.dwg"));
        QTest::mouseMove(viewport, entryCentre(w, "another.dwg") + QPoint(1, 1));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, entryCentre(w, "another.dwg") + QPoint(1, 1));
        QCOMPARE(recorder.drags.size(), 2);
    }

    void aPathWithoutAFolderHereOffersNoDrag()
    {
        Form1 *w = start({record("1", "Job", "C:\\Jobs\\1024\\plan.dwg")});
        DragRecorder recorder;
        dragFrom(w, QPoint(20, w->File1->viewport()->height() - 20), Qt::LeftButton);
        QVERIFY(recorder.drags.isEmpty());
    }

    // One resolution for every use of the record's drawing path: a Windows
    // path mapped through the drawing folders, its parts in another case.
    void everyUseOfAWindowsPathResolvesItTheSameWay()
    {
        DrawingFolderTable::save({{"P:\\", root()}});
        const QString stored = "p:\\JOBS\\1024\\PLAN.DWG";
        Form1 *w = start({record("1", "Job", stored)});
        QCOMPARE(w->File1->Path(), jobFolder());
        QTRY_COMPARE(w->DwgThumbnail1->resolvedFileName(), plan());
        QCOMPARE(w->DwgThumbnail1->DwgFileName(), stored);
        QCOMPARE(w->txtFileLoc->text(), stored);

        DragRecorder recorder;
        dragFrom(w, QPoint(20, w->File1->viewport()->height() - 40), Qt::LeftButton);
        QCOMPARE(recorder.drags.size(), 1);
        QCOMPARE(recorder.drags[0].urls, QList<QUrl>{QUrl::fromLocalFile(plan())});

        LauncherRecorder launcher;
        QTest::mouseDClick(w->DwgThumbnail1, Qt::LeftButton);
        QCOMPARE(launcher.urls, QList<QUrl>{QUrl::fromLocalFile(plan())});

        unlock(w);
        FileDialogStub dialog(std::nullopt);
        w->CmdExplore->click();
        QCOMPARE(dialog.requests[0].folder, jobFolder());
        w->findChild<QPushButton *>("CmdUpdate")->click();
        QCOMPARE(fieldInFile(sandbox->programFolder() + "/morvo.res", "Drawing Directory&Name"),
                 QList<QVariant>{stored});
    }

    // A path with a backslash opens what the preview shows.
    void aBackslashInANativePathOpensTheDrawing()
    {
        Form1 *w = start({record("1", "Job", root() + "/jobs\\parent.dwg")});
        LauncherRecorder launcher;
        QTest::mouseDClick(w->DwgThumbnail1, Qt::LeftButton);
        QTRY_COMPARE(launcher.urls, QList<QUrl>{QUrl::fromLocalFile(root() + "/jobs/parent.dwg")});
    }

    void aWindowsPathStillOnItsWayIsOpenedOnceResolved()
    {
        DrawingFolderTable::save({{"\\\\server\\drawings", root() + "/jobs"}});
        Form1 *w = start({record("1", "Job", "\\\\SERVER\\Drawings\\1024\\plan.dwg")});
        LauncherRecorder launcher;
        w->DwgThumbnail1->setDwgFileName(w->txtFileLoc->text()); // as if the preview had not arrived yet
        QTest::mouseDClick(w->DwgThumbnail1, Qt::LeftButton);
        QTRY_COMPARE(launcher.urls, QList<QUrl>{QUrl::fromLocalFile(plan())});
    }

    void theLocateDialogCancelled()
    {
        Form1 *w = start({record("1", "Job", plan())});
        unlock(w);
        FileDialogStub dialog(std::nullopt);
        w->CmdExplore->click();
        QCOMPARE(dialog.requests.size(), 1);
        QCOMPARE(dialog.requests[0].title, QString("Morvo II"));
        QCOMPARE(dialog.requests[0].fileName, QString("*.dwg"));
        QCOMPARE(dialog.requests[0].filter, QString("AutoCAD Drawing (*.dwg)"));
        QCOMPARE(w->focusWidget(), w->txtFileLoc);
        QCOMPARE(w->txtFileLoc->text(), plan());
        QVERIFY(!w->File1->listingPending());
        QCOMPARE(w->File1->Path(), jobFolder());
    }

    void theLocateDialogChoiceBecomesTheDrawingPath()
    {
        Form1 *w = start({record("1", "Job", plan())});
        unlock(w);
        const QString chosen = root() + "/other/chosen.dwg";
        FileDialogStub dialog(chosen);
        w->CmdExplore->click();
        QCOMPARE(w->txtFileLoc->text(), chosen);
        QCOMPARE(w->DwgThumbnail1->DwgFileName(), chosen);
        waitForListing(w);
        QCOMPARE(w->File1->Path(), root() + "/other");
        w->findChild<QPushButton *>("CmdUpdate")->click();
        QCOMPARE(fieldInFile(sandbox->programFolder() + "/morvo.res", "Drawing Directory&Name"),
                 QList<QVariant>{chosen});
    }

    void doubleClicksOpenThePreviewedDrawingAndTheListedFolder()
    {
        Form1 *w = start({record("1", "Job", plan())});
        LauncherRecorder launcher;
        QTest::mouseDClick(w->DwgThumbnail1, Qt::LeftButton);
        clickEntry(w, "another.dwg");
        QTest::mouseDClick(w->DwgThumbnail1, Qt::LeftButton);
        QTest::mouseDClick(w->File1->viewport(), Qt::LeftButton, {}, entryCentre(w, "another.dwg"));
        QCOMPARE(launcher.urls,
                 (QList<QUrl>{QUrl::fromLocalFile(plan()), QUrl::fromLocalFile(jobFolder() + "/another.dwg"),
                              QUrl::fromLocalFile(jobFolder())}));
        QVERIFY(messages->messages.isEmpty());
    }

    void aBlankDrawingPathOpensNothingAndSaysNothing()
    {
        Form1 *w = start({record("1", "Job", " ")});
        LauncherRecorder launcher;
        QCOMPARE(w->DwgThumbnail1->DwgFileName(), QString(" "));
        QTest::mouseDClick(w->DwgThumbnail1, Qt::LeftButton);
        QVERIFY(launcher.urls.isEmpty());
        // The list shows the program's folder, and that is what it opens.
        QTest::mouseDClick(w->File1->viewport(), Qt::LeftButton);
        QCOMPARE(launcher.urls, QList<QUrl>{QUrl::fromLocalFile(sandbox->programFolder())});
        QVERIFY(messages->messages.isEmpty());
    }

    // The lister under the list, with listings that block until released.
    void theListerShowsOnlyTheLatestAndNeverWaits()
    {
        QSemaphore slowRelease;
        QAtomicInt slowCalls;
        FolderLister lister([&](const QString &folder) -> std::optional<QStringList> {
            if (folder == "/slow") {
                slowCalls.fetchAndAddOrdered(1);
                slowRelease.acquire();
            }
            return QStringList{folder.mid(1) + ".dwg"};
        });
        QSignalSpy listed(&lister, &FolderLister::listed);
        lister.request({"/slow"});
        QTRY_COMPARE(slowCalls.loadAcquire(), 1);
        // Typing a file name while the folder hangs asks for it again and again.
        QElapsedTimer clock;
        clock.start();
        for (int keystroke = 0; keystroke < 20; ++keystroke)
            lister.request({"/slow"});
        QVERIFY(clock.elapsed() < 1000); // a request never waits for the hanging listing
        QTest::qWait(50);
        QCOMPARE(slowCalls.loadAcquire(), 1); // they all wait for the one running listing
        QVERIFY(lister.pending());
        lister.request({"/fast"});
        QTRY_COMPARE(listed.size(), 1);
        QCOMPARE(listed[0][0].value<FolderListing>().folder, QString("/fast"));
        QVERIFY(!lister.pending());
        slowRelease.release(100);
        QTest::qWait(100);
        QCOMPARE(listed.size(), 1); // the superseded slow result is dropped
        QCOMPARE(slowCalls.loadAcquire(), 1);
    }

    void theListerResolvesOnItsOwnThreadAndListsTheResolvedFolder()
    {
        QSemaphore shareAnswers;
        FolderLister lister([](const QString &folder) -> std::optional<QStringList> { return QStringList{folder}; },
                            nullptr,
                            [&](const QString &folder) {
                                shareAnswers.acquire();
                                return folder == "P:\\" ? QString("/mnt/p") : folder;
                            });
        QSignalSpy listed(&lister, &FolderLister::listed);
        QElapsedTimer clock;
        clock.start();
        lister.request({"P:\\"});
        QVERIFY(clock.elapsed() < 500); // a hanging share never holds the window
        QVERIFY(!listed.wait(200));
        shareAnswers.release();
        QTRY_COMPARE(listed.size(), 1);
        QCOMPARE(listed[0][0].value<FolderListing>().folder, QString("/mnt/p"));
    }

    void theListerFallsBackToTheNextListableFolder()
    {
        FolderLister lister([](const QString &folder) -> std::optional<QStringList> {
            if (folder.startsWith("/missing"))
                return std::nullopt;
            return QStringList{"x.dwg"};
        });
        QSignalSpy listed(&lister, &FolderLister::listed);
        lister.request({"/missing/", "/program/"});
        QTRY_COMPARE(listed.size(), 1);
        QCOMPARE(listed[0][0].value<FolderListing>().folder, QString("/program"));
        lister.request({"/missing/a", "/missing/b"});
        QTRY_COMPARE(listed.size(), 2);
        QVERIFY(listed[1][0].value<FolderListing>().folder.isEmpty());
        QVERIFY(listed[1][0].value<FolderListing>().names.isEmpty());
    }
};

QTEST_MAIN(TestDrawingPanel)
#include "tst_drawingpanel.moc"
