// The panel that folds the record window narrower and wider in animated steps.
#include "ProgramTestCase.h"

#include "forms/record/Form1.h"
#include "startup/StartUp.h"
#include "widgets/Forms.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace TestSupport;

namespace {
int nearestPixel(int twips)
{
    return qRound(twips / 15.0);
}

// The fold buttons stand in the strip just inside the right edge, whatever the width.
constexpr int FoldInset = 17;

// What the window looks like each time the animation lets pending events run:
// a zero timer fires once per pass.
struct Observation
{
    int widthTwips;
    int width;
    int command1X;
    int command2X;
};

class AnimationObserver
{
public:
    explicit AnimationObserver(Form1 *window, std::function<void(int pass)> onPass = {})
    {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this, window = QPointer<Form1>(window), onPass] {
            if (!window)
                return;
            seen << Observation{window->widthInTwips(), window->width(), window->Command1->x(), window->Command2->x()};
            if (onPass)
                onPass(int(seen.size()));
        });
        timer.start();
    }
    QList<Observation> seen;
    QList<int> widths() const
    {
        QList<int> all;
        for (const Observation &o : seen)
            all << o.widthTwips;
        return all;
    }

private:
    QTimer timer;
};

QList<int> series(int from, int to, int step)
{
    QList<int> values;
    for (int v = from; step > 0 ? v <= to : v >= to; v += step)
        values << v;
    return values;
}
}

class TestPanel : public ProgramTestCase
{
    Q_OBJECT

    Form1 *start() { return startProgram({record("1001"), record("1002")}); }
    // The focus goes elsewhere first, so that the toggle must bring it back.
    static void toggle(Form1 *w, QPushButton *button)
    {
        w->TxtName->setFocus();
        button->click();
    }
    static void verifyCollapsed(Form1 *w, int widthTwips)
    {
        QCOMPARE(w->widthInTwips(), widthTwips);
        QCOMPARE(w->width(), nearestPixel(widthTwips));
        QVERIFY(w->Command2->isVisible());
        QCOMPARE(w->Command2->x(), w->width() - FoldInset);
        QVERIFY(!w->Command1->isVisible());
        QCOMPARE(w->focusWidget(), w->TxtNumber);
        QVERIFY(!w->tmrCollapse->isActive());
    }
    static void verifyExpanded(Form1 *w, int widthTwips)
    {
        QCOMPARE(w->widthInTwips(), widthTwips);
        QCOMPARE(w->width(), nearestPixel(widthTwips));
        QVERIFY(w->Command1->isVisible());
        QCOMPARE(w->Command1->x(), w->width() - FoldInset);
        QVERIFY(!w->Command2->isVisible());
        QCOMPARE(w->focusWidget(), w->TxtNumber);
        QVERIFY(!w->tmrCollapse->isActive());
    }

private slots:
    void startsWithCommand1InsideTheEdgeAndTheTimerOff()
    {
        Form1 *w = start();
        QVERIFY(w);
        QCOMPARE(w->widthInTwips(), 9300);
        QCOMPARE(w->width(), 620);
        QCOMPARE(w->Command1->geometry(), QRect(603, 52, 12, 344));
        QVERIFY(w->Command1->isVisibleTo(w));
        QCOMPARE(w->Command2->geometry(), QRect(603, 52, 12, 344));
        QVERIFY(!w->Command2->isVisibleTo(w));
        QCOMPARE(w->Command1->text(), QString(QChar(0x21D0)));
        QCOMPARE(w->Command2->text(), QString(QChar(0x21D2)));
        QCOMPARE(w->tmrCollapse->interval(), 50);
        QVERIFY(!w->tmrCollapse->isActive());
    }

    void firstToggleCollapsesInSevenStepsOfFifty()
    {
        Form1 *w = start();
        QVERIFY(w);
        AnimationObserver observer(w);
        toggle(w, w->Command1);
        // One pass of pending events before each step, each step exactly 50.
        QCOMPARE(observer.widths(), series(9300, 9000, -50));
        verifyCollapsed(w, 8950);
        // Every step is drawn: the real width and Command1 follow at the nearest pixel.
        for (int i = 0; i < observer.seen.size(); ++i) {
            const Observation &o = observer.seen[i];
            QCOMPARE(o.width, nearestPixel(o.widthTwips));
            QCOMPARE(o.command1X, o.width - FoldInset);
            if (i > 0)
                QVERIFY(o.width < observer.seen[i - 1].width);
        }
    }

    void expansionStepsByTenUntilPast11850()
    {
        Form1 *w = start();
        QVERIFY(w);
        toggle(w, w->Command1);
        AnimationObserver observer(w);
        toggle(w, w->Command2);
        QCOMPARE(observer.widths(), series(8950, 11850, 10));
        verifyExpanded(w, 11860);
        // The twips width carries every step, so the loop ends although a
        // step of 10 twips is two thirds of a pixel; the window never shrinks.
        for (int i = 0; i < observer.seen.size(); ++i) {
            const Observation &o = observer.seen[i];
            QCOMPARE(o.width, nearestPixel(o.widthTwips));
            QCOMPARE(o.command2X, o.width - FoldInset);
            if (i > 0)
                QVERIFY(o.width >= observer.seen[i - 1].width);
        }
        QCOMPARE(observer.seen.last().width - observer.seen.first().width, nearestPixel(11850) - nearestPixel(8950));
    }

    void collapseFromTheExpandedWidthTakes58Steps()
    {
        Form1 *w = start();
        QVERIFY(w);
        toggle(w, w->Command1);
        toggle(w, w->Command2);
        AnimationObserver observer(w);
        toggle(w, w->Command1);
        QCOMPARE(observer.seen.size(), 58);
        // Command2 is back, inside the new right edge.
        verifyCollapsed(w, 8960);
    }

    void widthOfExactly9000CountsAsCollapsed()
    {
        Form1 *w = start();
        QVERIFY(w);
        w->setWidthInTwips(9000);
        QCOMPARE(w->width(), 600);
        AnimationObserver observer(w);
        toggle(w, w->Command1);
        QCOMPARE(observer.widths().first(), 9000);
        verifyExpanded(w, 11860);
    }

    void collapseJustAbove9000TakesOneStep()
    {
        Form1 *w = start();
        QVERIFY(w);
        w->setWidthInTwips(9020);
        AnimationObserver observer(w);
        toggle(w, w->Command1);
        QCOMPARE(observer.widths(), QList<int>{9020});
        verifyCollapsed(w, 8970);
    }

    void secondClickDuringTheAnimationFinishesTheSameWay()
    {
        Form1 *w = start();
        QVERIFY(w);
        // Clicked from a queued event, as a real click would arrive, so that the
        // observer sees the inner call's passes too.
        int innerCalls = 0;
        const auto clickAt = [&innerCalls](int atPass, QPushButton *button) {
            return [&innerCalls, atPass, button](int pass) {
                if (pass == atPass)
                    QTimer::singleShot(0, button, [&innerCalls, button] {
                        ++innerCalls;
                        button->click();
                    });
            };
        };
        AnimationObserver collapsing(w, clickAt(3, w->Command1));
        toggle(w, w->Command1);
        QCOMPARE(innerCalls, 1);
        // The inner call collapses to the end and settles the buttons; the outer
        // loop takes the one step it had yielded for and then finds its end.
        QCOMPARE(collapsing.widths(), series(9300, 9000, -50));
        verifyCollapsed(w, 8950 - 50);

        // Unfolding, a second click while the width is still at most 9000 goes the same way too.
        w->setWidthInTwips(8950);
        AnimationObserver expanding(w, clickAt(3, w->Command2));
        toggle(w, w->Command2);
        QCOMPARE(innerCalls, 2);
        QCOMPARE(expanding.widths(), series(8950, 11850, 10));
        verifyExpanded(w, 11860 + 10);
    }

    void closingTheWindowDuringTheAnimationEndsIt()
    {
        Form1 *w = start();
        QVERIFY(w);
        QPointer<Form1> window(w);
        int widthAtClose = 0;
        QTimer::singleShot(0, [&] {
            widthAtClose = window->widthInTwips();
            window->Unload();
        });
        toggle(w, w->Command1);
        QVERIFY(!Forms::Loaded<Form1>());
        if (window) {
            QCOMPARE(window->widthInTwips(), widthAtClose);
            QVERIFY(!window->isVisible());
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window);
    }

    void deletingTheWindowDuringTheAnimationTouchesNothingOfIt()
    {
        for (QPushButton *Form1::*button : {&Form1::Command1, &Form1::Command2}) {
            Form1 *w = start();
            QVERIFY(w);
            if (button == &Form1::Command2)
                toggle(w, w->Command1);
            QPointer<Form1> window(w);
            AnimationObserver observer(w, [&](int pass) {
                if (pass == 2 && window) {
                    window->Unload();
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                }
            });
            toggle(w, w->*button);
            QVERIFY(!window);
            QCOMPARE(observer.seen.size(), 2);
            sandbox.reset();
            sandbox = std::make_unique<Sandbox>();
        }
    }

    void hidingTheWindowDuringTheAnimationStopsIt()
    {
        Form1 *w = start();
        QVERIFY(w);
        int widthAtHide = 0;
        AnimationObserver observer(w, [&](int pass) {
            if (pass == 3) {
                widthAtHide = w->widthInTwips();
                w->hide();
            }
        });
        toggle(w, w->Command1);
        QCOMPARE(widthAtHide, 9200);
        QCOMPARE(w->widthInTwips(), 9200);
        // The buttons settle, so the shown window can fold on from there.
        QVERIFY(w->Command2->isVisibleTo(w));
        QVERIFY(!w->Command1->isVisibleTo(w));
        w->show();
        toggle(w, w->Command2);
        verifyCollapsed(w, 8950);
    }
};

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
