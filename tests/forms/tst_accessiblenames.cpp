// What a screen reader finds in every window of the program: each control has
// a name and a role, the record's boxes carry their captions, and the picture
// buttons can be pressed through their accessible action.
#include "ProgramTestCase.h"

#include "forms/drawingfolders/FrmDrawingFolders.h"
#include "forms/search/SrchDialog.h"
#include "forms/tray/AboutDialog.h"
#include "widgets/DwgThumbnail.h"
#include "widgets/ImageControl.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace TestSupport;

namespace {
QAccessibleInterface *accessibleOf(QWidget *window, const char *control)
{
    QWidget *widget = window->findChild<QWidget *>(QString::fromLatin1(control));
    return widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
}

// Every control a person sees on the window, with what is missing for a screen reader.
QStringList unnamedControls(QWidget *window)
{
    QStringList missing;
    for (QWidget *control : window->findChildren<QWidget *>()) {
        const QString name = control->objectName();
        if (!control->isVisible() || name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        const QAccessible::Role role = accessible->role();
        // A label that says nothing now (a status line) is no control.
        if (role == QAccessible::StaticText && accessible->text(QAccessible::Name).isEmpty())
            continue;
        if (accessible->text(QAccessible::Name).trimmed().isEmpty())
            missing << name + " has no name";
        if (role == QAccessible::NoRole || role == QAccessible::Client)
            missing << name + " has no role";
    }
    return missing;
}
}

class TestAccessibleNames : public ProgramTestCase
{
    Q_OBJECT

private slots:
    void everyControlOfEveryWindowHasANameAndARole()
    {
        QTemporaryDir drawings;
        Form1 *w = startProgram({record("1041", "Walkway", drawings.filePath("plan.dwg"))});
        QVERIFY(w);
        Forms::Get<SrchDialog>()->showAndFocus();
        Forms::Get<AboutDialog>()->show();
        FrmDrawingFolders folders(sandbox->programFolder() + "/morvo.res");
        folders.show();
        for (QWidget *window :
             std::initializer_list<QWidget *>{w, Forms::Loaded<SrchDialog>(), Forms::Loaded<AboutDialog>(), &folders})
            QVERIFY2(unnamedControls(window).isEmpty(),
                     qPrintable(window->objectName() + ": " + unnamedControls(window).join(", ")));
        // Unlocked and folded, the other padlock and fold button show.
        w->ImgUnlocked_Click();
        w->Command1->click();
        QTRY_VERIFY(w->Command2->isVisible());
        QVERIFY2(unnamedControls(w).isEmpty(), qPrintable(unnamedControls(w).join(", ")));
    }

    // Picture buttons by what they do, boxes by their captions, the preview by its drawing.
    void theRecordWindowReadsByWhatEachControlDoes_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        const QList<std::tuple<const char *, const char *, QAccessible::Role>> rows{
            {"ImgExit", "Exit", QAccessible::Button},
            {"ImgMIn", "Minimize", QAccessible::Button},
            {"ImgMax", "Menu", QAccessible::Button},
            {"ImgQ", "Help", QAccessible::Button},
            {"ImgUnlocked", "Unlock Form", QAccessible::Button},
            {"ImgLocked", "Lock Form", QAccessible::Button},
            {"CmdExplore", "Browse for drawing", QAccessible::Button},
            {"Command1", "Fold panel", QAccessible::Button},
            {"Command2", "Unfold panel", QAccessible::Button},
            {"TxtNumber", "Job Number", QAccessible::EditableText},
            {"TxtDesc", "Project Description", QAccessible::EditableText},
            {"TxtFileNum", "Project Manager", QAccessible::EditableText},
            {"File1", "Drawings", QAccessible::List},
            {"DwgThumbnail1", "Preview of walkway-plan.dwg", QAccessible::Graphic},
        };
        for (const auto &[control, name, role] : rows)
            QTest::newRow(control) << control << name << int(role);
    }
    void theRecordWindowReadsByWhatEachControlDoes()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(int, role);
        copyBuiltOutline();
        const QString drawing = qEnvironmentVariable("MORVO_BIN_DIR") + "/examples/1041/walkway-plan.dwg";
        Form1 *w = startProgram({record("1041", "Walkway", drawing)});
        QVERIFY(w);
        QTRY_VERIFY(w->DwgThumbnail1->hasPreview());
        QAccessibleInterface *accessible = accessibleOf(w, control.toLatin1());
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), name);
        QCOMPARE(int(accessible->role()), role);
    }

    // A screen reader's "press" on a picture button does what a click does.
    void pictureButtonsArePressedThroughTheirAction()
    {
        Form1 *w = startProgram({record("1"), record("2")});
        QVERIFY(w);
        QVERIFY(w->TxtNumber->isReadOnly());
        QAccessibleActionInterface *action = accessibleOf(w, "ImgUnlocked")->actionInterface();
        QVERIFY(action);
        QCOMPARE(action->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
        action->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!w->TxtNumber->isReadOnly());
        // The title bar and the hidden pictures do nothing on a click: no action.
        QVERIFY(accessibleOf(w, "Image2")->actionInterface()->actionNames().isEmpty());
        QCOMPARE(accessibleOf(w, "Image2")->role(), QAccessible::Graphic);
    }
};

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessiblenames.moc"
