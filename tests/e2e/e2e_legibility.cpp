// What a person reads on a real X server with the fonts this desktop has:
// the record window's captions clear of their boxes and of each other, the
// About box's title, version, purpose and rule apart, the title legible.
// The program runs in this process, so the places of the texts can be read.
#include "Desktop.h"
#include "ProgramTestCase.h"

#include "forms/record/Form1Layout.h"
#include "forms/search/SrchDialog.h"
#include "forms/tray/AboutDialog.h"
#include "forms/tray/AboutDialogLayout.h"

#include <QLabel>
#include <QRadioButton>
#include <QtTest>

using namespace TestSupport;

namespace {
// Where a label's text puts ink, in the coordinates of its window.
QRect inkOf(const QLabel *label)
{
    const QFontMetrics metrics(label->font());
    const QRect box = label->contentsRect();
    const int baseline = box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent();
    const QRect ink = metrics.tightBoundingRect(label->text()).translated(box.left(), baseline);
    return ink.translated(label->mapTo(label->window(), QPoint()));
}

QString text(const QRect &r)
{
    return QString("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

qreal luminance(QColor c)
{
    const auto channel = [](qreal v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

qreal contrast(QColor a, QColor b)
{
    const qreal la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

}

class E2ELegibility : public ProgramTestCase
{
    Q_OBJECT

    // The program as it runs: with the outline file the build made beside it.
    Form1 *start(const QList<Record> &records)
    {
        copyBuiltOutline();
        return startProgram(records);
    }

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
    }

    void theRecordWindowsCaptionsStandClearOfTheirBoxes()
    {
        Form1 *w = start({record("1041", "Highest")});
        QVERIFY(w);
        QList<QRect> inks;
        for (size_t i = 0; i < Form1Layout::Captions.size(); ++i) {
            const auto *caption = w->findChild<QLabel *>(Form1Layout::Captions[i].name);
            const auto *box = w->findChild<QWidget *>(Form1Layout::Boxes[i].name);
            const QRect ink = inkOf(caption);
            QVERIFY2(caption->geometry().contains(ink), qPrintable(caption->text() + " is cut: " + text(ink)));
            QVERIFY2(ink.bottom() < box->y(), qPrintable(caption->text() + " runs into its box: " + text(ink)));
            inks << ink;
        }
        for (int i = 0; i < inks.size(); ++i)
            for (int j = i + 1; j < inks.size(); ++j)
                QVERIFY2(!inks[i].adjusted(-1, 0, 1, 0).intersects(inks[j]),
                         qPrintable(QString("captions %1 and %2 touch").arg(i).arg(j)));
        const QWidget *moves[] = {w->Command4, w->Command5, w->Command6, w->Command7};
        for (int i = 1; i < 4; ++i)
            QVERIFY2(moves[i - 1]->geometry().right() + 2 < moves[i]->x(), "record buttons touch");
        Desktop::screenshot("e2e_legibility_record_window");
    }

    void theSearchDialogsOptionsAreWhole()
    {
        Form1 *w = start({record("7")});
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        Desktop::keysToThisProcess({"ctrl+f"});
        SrchDialog *dialog = Forms::Loaded<SrchDialog>();
        QTRY_VERIFY(dialog && dialog->isVisible());
        for (const QRadioButton *option : {dialog->Option1, dialog->Option2})
            QVERIFY2(option->sizeHint().width() <= option->width(), qPrintable(option->text() + " is cut"));
    }

    void theAboutBoxReadsClearly()
    {
        Form1 *w = start({record("7")});
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        Desktop::keysToThisProcess({"F10", "Up", "Up", "Return"}); // the command menu's "About"
        AboutDialog *about = nullptr;
        QTRY_VERIFY((about = Forms::Loaded<AboutDialog>()) && about->isVisible());
        QTest::qWait(300);
        Desktop::screenshot("e2e_legibility_about");

        QList<QLabel *> title;
        for (QLabel *label : about->findChildren<QLabel *>("Label1"))
            title << label;
        QCOMPARE(title.size(), 2);
        const QLabel *front = title[0]->property("index").toInt() == 0 ? title[0] : title[1];
        const auto *version = about->findChild<QLabel *>("Label2");
        const auto *purpose = about->findChild<QLabel *>("Label7");
        const QRect titleInk = inkOf(front), versionInk = inkOf(version), purposeInk = inkOf(purpose);
        QVERIFY2(front->geometry().contains(titleInk), "the title is cut");
        QVERIFY2(!titleInk.adjusted(-1, -1, 1, 1).intersects(versionInk),
                 qPrintable("the title " + text(titleInk) + " collides with the version " + text(versionInk)));
        for (const AboutDialogLayout::LineRow &line : AboutDialogLayout::Lines) {
            const int top = twipsToPixels(line.y), bottom = top + line.width - 1;
            for (const QRect &ink : {purposeInk, versionInk})
                QVERIFY2(bottom < ink.top() || top > ink.bottom(),
                         qPrintable(QString(line.name) + " crosses the text at " + text(ink)));
        }
        const QColor background = about->palette().color(QPalette::Window);
        QVERIFY2(contrast(front->palette().color(QPalette::WindowText), background) >= 4.5,
                 "the title's front copy hardly shows on the dialog");
        Desktop::keysToThisProcess({"Escape"});
        QTRY_VERIFY(!Forms::Loaded<AboutDialog>());
    }
};

QTEST_MAIN(E2ELegibility)
#include "e2e_legibility.moc"
