// What a new user does on whatever desktop the run is on (openbox with or
// without a tray, GNOME's compositor with XWayland or Wayland programs):
// the window is seen as the screen shows it, never through the X server's
// view of windows, since a Wayland desktop gives none.
#include "Desktop.h"

#include "forms/search/SrchDialogLayout.h"
#include "forms/tray/AboutDialogLayout.h"
#include "shell/Artwork.h"

#include <QSettings>
#include <QtTest>

using namespace TestSupport;
using Desktop::ProgramUnderTest;

namespace {
constexpr QPoint BodyPoints[] = {{10, 120}, {10, 300}, {300, 25}}; // plain skin, no control on it
constexpr QPoint StripPoint(300, 25);
constexpr QPoint MinimizeButton(540, 27);
constexpr QPoint ExitButton(572, 27);
const QRect Screen(0, 0, 1280, 1024);
// trayer's strip along the bottom of the test screen is no window of the program.
constexpr int TrayStrip = 40;
// Qt's own title bar on Wayland is 30 pixels high with its border.
constexpr int TitleBar = 30;

QImage skin(qreal scale = 1)
{
    const QImage picture = QImage(QString::fromLatin1(Artwork::Skin)).convertToFormat(QImage::Format_RGB32);
    return scale == 1 ? picture : picture.scaled(picture.size() * scale);
}

bool isKeyColour(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) > 200;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) < 40;
}

// A pixel cut away whose neighbours are all cut too: the window's edge, a
// pixel off where it was found, or a compositor's shadow does not reach it.
bool deepInCut(const QImage &picture, int x, int y)
{
    constexpr int Margin = 4;
    for (int dy = -Margin; dy <= Margin; ++dy)
        for (int dx = -Margin; dx <= Margin; ++dx)
            if (picture.valid(x + dx, y + dy) && !isKeyColour(picture.pixel(x + dx, y + dy)))
                return false;
    return true;
}

// The part of the screen that changed, as one rectangle (empty when nothing
// did), leaving out what changed within a window that is known to be there.
QRect changedArea(const QImage &before, const QImage &after, const QRect &besides = {})
{
    QRect changed;
    for (int y = 0; y < after.height() - TrayStrip; ++y)
        for (int x = 0; x < after.width(); ++x)
            if (!near(before.pixel(x, y), after.pixel(x, y)) && !besides.contains(x, y))
                changed |= QRect(x, y, 1, 1);
    return changed;
}

// The skin's drawn part, without the key colour around it.
QRect outlineBox(qreal scale)
{
    const QImage picture = skin(scale);
    QRect box;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (!isKeyColour(picture.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

QProcessEnvironment environmentWith(const QString &name, const QString &value)
{
    QProcessEnvironment environment;
    if (!value.isEmpty())
        environment.insert(name, value);
    return environment;
}

// The screen, a moment after the last thing done, with the pointer out of the way.
QImage screen()
{
    QTest::qWait(150);
    return Desktop::grabDesktop();
}

void parkPointer()
{
    Desktop::input({"mousemove", "1279", "1023"});
}

void click(QPoint at, int button = 1)
{
    Desktop::input({"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.15", "click",
                    QString::number(button)});
}

void keys(const QStringList &names)
{
    Desktop::input(QStringList{"key", "--delay", "80"} + names);
}

// The window switcher, as a person uses it.
void altTab()
{
    keys({"alt+Tab"});
}
}

class E2EAnyDesktop : public QObject
{
    Q_OBJECT

    QImage empty_; // the desktop before the program started
    QPoint origin_; // where the record window's top-left corner is on the screen
    qreal scale_ = 1;

    // Starts the program and finds its record window on the screen; false when none came.
    bool start(ProgramUnderTest &program, qreal scale = 1)
    {
        scale_ = scale;
        parkPointer();
        empty_ = screen();
        writeCatalogue(program.catalogue(), {record("1040", "Middle"), record("1041", "Highest")});
        program.start(environmentWith("QT_SCALE_FACTOR", scale == 1 ? QString() : QString::number(scale)));
        const QRect box = outlineBox(scale);
        QRect shown;
        // Where the skin's edge is nearly the desktop's colour, the change found may be a little smaller.
        const int slack = qRound(2 * scale) + 2;
        const auto fits = [&box, slack](const QRect &area) {
            return qAbs(area.width() - box.width()) <= slack && qAbs(area.height() - box.height()) <= slack;
        };
        if (!QTest::qWaitFor([&] { return fits(shown = changedArea(empty_, screen())); }, 15000)) {
            qWarning("the record window was not seen: %d,%d %dx%d changed, %dx%d expected", shown.x(), shown.y(),
                     shown.width(), shown.height(), box.width(), box.height());
            return false;
        }
        origin_ = shown.topLeft() - box.topLeft();
        return QTest::qWaitFor([&] { return recordWindowShown(screen()); }, 5000);
    }

    bool recordWindowShown(const QImage &shot) const
    {
        const QImage picture = skin(scale_);
        for (QPoint body : BodyPoints) {
            if (!near(shot.pixel(origin_ + body * scale_), picture.pixel(body * scale_)))
                return false;
        }
        return true;
    }
    bool waitUntilShown(bool shown)
    {
        return QTest::qWaitFor([&] { return recordWindowShown(screen()) == shown; }, 10000);
    }
    QPoint at(QPoint windowPoint) const { return origin_ + windowPoint * scale_; }
    QRect recordWindow() const { return QRect(origin_, Artwork::SkinSize * scale_); }

    // A window of another program over the whole screen.
    struct Cover : QWidget
    {
        Cover()
        {
            setWindowTitle(QStringLiteral("another program"));
            QPalette green;
            green.setColor(QPalette::Window, QColor(40, 160, 90));
            setPalette(green);
            setAutoFillBackground(true);
            showFullScreen();
        }
        static bool covers(const QImage &shot, QPoint at) { return near(shot.pixel(at), qRgb(40, 160, 90)); }
    };

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        QVERIFY2(!Desktop::grabDesktop().isNull(), "the screen cannot be read");
        qInfo("desktop: %s", qPrintable(Desktop::desktopName()));
    }

    // The outline is cut or transparent: no pixel of the key colour anywhere
    // near the window, and the desktop shows through where the skin is cut.
    void noKeyColourAroundTheWindow()
    {
        ProgramUnderTest program;
        QVERIFY(start(program));
        const QImage shown = Desktop::screenshot("e2e_anydesktop_" + Desktop::desktopName());
        const QRect around = QRect(origin_, Artwork::SkinSize).adjusted(-10, -10, 10, 10) & Screen;
        int keyColoured = 0;
        for (int y = around.top(); y <= around.bottom(); ++y)
            for (int x = around.left(); x <= around.right(); ++x)
                keyColoured += isKeyColour(shown.pixel(x, y));
        QCOMPARE(keyColoured, 0);
        const QImage picture = skin();
        int cut = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (isKeyColour(picture.pixel(x, y))) {
                    ++cut;
                    if (deepInCut(picture, x, y))
                        QVERIFY2(
                            near(shown.pixel(origin_ + QPoint(x, y)), empty_.pixel(origin_ + QPoint(x, y))),
                            qPrintable(QStringLiteral("the desktop does not show through at %1,%2").arg(x).arg(y)));
                }
        QVERIFY(cut > 0);
    }

    // The Minimize button, then the desktop's own window switcher, ten times.
    void minimizeAndRestoreThroughTheDesktop()
    {
        ProgramUnderTest program;
        QVERIFY(start(program));
        for (int round = 1; round <= 10; ++round) {
            click(at(MinimizeButton));
            parkPointer();
            QVERIFY2(waitUntilShown(false), qPrintable(QStringLiteral("round %1: still on screen").arg(round)));
            altTab();
            QVERIFY2(waitUntilShown(true), qPrintable(QStringLiteral("round %1: not brought back").arg(round)));
        }
    }

    // Without a tray, "Hide to Taskbar" leaves the window where the desktop finds it.
    void afterAHideTheDesktopBringsTheWindowBack()
    {
        if (Desktop::desktopHasTray())
            QSKIP("with a tray the icon brings the window back (e2e_tray)");
        ProgramUnderTest program;
        QVERIFY(start(program));
        click(at(StripPoint), 3);
        keys({"Down", "Return"}); // the first command: "Hide to Taskbar"
        parkPointer();
        QVERIFY(waitUntilShown(false));
        altTab();
        QVERIFY(waitUntilShown(true));
    }

    // Covered by another program's window, the record window comes back with
    // the window switcher, and a second start of the program raises it.
    void aCoveredWindowIsReachedWithAltTabAndRaisedByASecondStart()
    {
        ProgramUnderTest program;
        QVERIFY(start(program));
        Cover cover;
        const QPoint body = at(BodyPoints[0]), elsewhere(1200, 900);
        QTRY_VERIFY_WITH_TIMEOUT(Cover::covers(screen(), body), 10000);
        altTab();
        QVERIFY2(waitUntilShown(true), "the window switcher does not reach the covered window");

        click(elsewhere);
        parkPointer();

        QTRY_VERIFY_WITH_TIMEOUT(Cover::covers(screen(), body), 10000);
        // A Wayland desktop raises a window only for a start its launcher
        // announced; the desktop hears of it before the program starts.
        const QByteArray token = Desktop::onWayland() ? Desktop::announceStart("morvo") : QByteArray();
        QTest::qWait(200);
        QProcess *second = program.start(environmentWith("XDG_ACTIVATION_TOKEN", QString::fromLatin1(token)));
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 0);
        QVERIFY2(waitUntilShown(true), "a second start does not raise the covered window");
        Desktop::screenshot("e2e_anydesktop_raised_" + Desktop::desktopName());
    }

    // The command menu opens with its corner at the pointer.
    void menusOpenAtThePointer()
    {
        ProgramUnderTest program;
        QVERIFY(start(program));
        const QPoint pointer = at(StripPoint);
        Desktop::input({"mousemove", QString::number(pointer.x()), QString::number(pointer.y())});
        const QImage before = screen();
        Desktop::input({"click", "3"});
        QRect menu;
        QTRY_VERIFY_WITH_TIMEOUT(!(menu = changedArea(before, screen())).isEmpty(), 5000);
        QTest::qWait(300);
        menu = changedArea(before, screen());
        Desktop::screenshot("e2e_anydesktop_menu_" + Desktop::desktopName());
        // A compositor may draw a shadow round the menu: a few pixels more.
        const QPoint off = menu.topLeft() - pointer;
        QVERIFY2(qAbs(off.x()) <= 8 && qAbs(off.y()) <= 8,
                 qPrintable(QStringLiteral("the menu opens at %1,%2, the pointer is at %3,%4")
                                .arg(menu.x())
                                .arg(menu.y())
                                .arg(pointer.x())
                                .arg(pointer.y())));
        keys({"Escape"});
    }

    // Where the desktop lets a program place its windows, the window opens where
    // it was left; where it does not (Wayland), the place kept is never overwritten.
    void theRememberedPlaceIsKept()
    {
        ProgramUnderTest program;
        const QPoint left(123, 77);
        {
            QSettings settings(program.configFolder() + "/MorvoII.conf", QSettings::IniFormat);
            settings.setValue("Application/WindowLeft", left.x());
            settings.setValue("Application/WindowTop", left.y());
        }
        QVERIFY(start(program));
        if (!Desktop::onWayland())
            QCOMPARE(origin_, left);
        click(at(ExitButton));
        QVERIFY(program.process().waitForFinished(10000));
        QSettings settings(program.configFolder() + "/MorvoII.conf", QSettings::IniFormat);
        QCOMPARE(
            QPoint(settings.value("Application/WindowLeft").toInt(), settings.value("Application/WindowTop").toInt()),
            left);
    }

    // The dialogs open wholly on the screen at every scale.
    void dialogsOpenOnScreen_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::newRow("1") << 1.0;
        QTest::newRow("1.5") << 1.5;
        QTest::newRow("2") << 2.0;
    }
    void dialogsOpenOnScreen()
    {
        QFETCH(qreal, scale);
        ProgramUnderTest program;
        QVERIFY(start(program, scale));
        // Each dialog, the keys that open it, the least it shows of itself (device-independent pixels), and
        // whether it is a small one, which offers neither minimize nor maximize.
        const QList<std::tuple<QString, QStringList, QSize, bool>> dialogs{
            {"search", {"ctrl+f"}, QSize(SrchDialogLayout::OuterWidth, SrchDialogLayout::OuterHeight), true},
            {"about",
             {"F10", "Up", "Up", "Return"},
             twipsRect(0, 0, AboutDialogLayout::Width, AboutDialogLayout::Height).size(),
             true},
            {"drawing_folders", {"F10", "Up", "Up", "Up", "Up", "Return"}, QSize(400, 200), false},
        };
        for (const auto &[name, opening, least, small] : dialogs) {
            const QImage before = screen();
            keys(opening);
            QRect dialog;
            QVERIFY2(QTest::qWaitFor([&] { return (dialog = changedArea(before, screen())).width() > 100; }, 10000),
                     qPrintable(name + " did not open"));
            QTest::qWait(500);
            dialog = changedArea(before, screen());
            // What shows of it beside the record window, whose focus frames change as it opens.
            const QRect besides = changedArea(before, screen(), recordWindow());
            Desktop::screenshot(
                QStringLiteral("e2e_anydesktop_%1_%2_at_%3").arg(Desktop::desktopName(), name).arg(scale));
            // Cut by the screen's edge, less of it would show.
            QVERIFY2(Screen.contains(dialog) && dialog.width() >= least.width() * scale
                         && dialog.height() >= least.height() * scale,
                     qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 runs off the screen")
                                    .arg(name)
                                    .arg(dialog.x())
                                    .arg(dialog.y())
                                    .arg(dialog.width())
                                    .arg(dialog.height())));
            // On Wayland only Qt's own title bar could offer them: a small dialog goes without it.
            if (small && Desktop::onWayland())
                QVERIFY2(besides.height() < qCeil(least.height() * scale) + TitleBar,
                         qPrintable(QStringLiteral("%1 (%2 high) has a title bar with minimize and maximize")
                                        .arg(name)
                                        .arg(besides.height())));
            keys({"Escape"});
            QVERIFY2(QTest::qWaitFor([&] { return changedArea(before, screen()).isEmpty(); }, 5000),
                     qPrintable(name + " did not close"));
        }
    }
};

QTEST_MAIN(E2EAnyDesktop)
#include "e2e_anydesktop.moc"
