#include "forms/checkconn/FrmCheckConn.h"

#include "catalogue/CatalogueProbe.h"
#include "desktop/MsgBox.h"
#include "desktop/Settings.h"
#include "desktop/WindowSystem.h"
#include "desktop/X11Window.h"
#include "files/BlockingPool.h"
#include "forms/checkconn/FrmCheckConnLayout.h"
#include "forms/record/Form1.h"
#include "program/ProgramFacts.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtConcurrent>
#include <limits>

namespace {
// A check still running after this long (a hanging share) counts as a failure.
constexpr qint64 CheckTimeLimitMs = 15000;

void storeDatabaseLocation(const QString &path)
{
    deleteSetting(SettingsKeys::DbsLocation);
    saveSetting(SettingsKeys::DbsLocation, path);
}
}

FrmCheckConn::FrmCheckConn() : Form(nullptr, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint)
{
    using namespace FrmCheckConnLayout;
    setWindowTitle(QString::fromLatin1(Caption));
    WindowSystem::makeSmallDialog(this);
    setGeometry(twipsRect(Left, Top, Width, Height));
    setFixedSize(size());
    createControls(*this, Labels, uiFont("MS Sans Serif", 8.25));
    createControls(*this, PathBox, uiFont("MS Sans Serif", 8.25));
    Text1->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(TimerIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &FrmCheckConn::Timer1_Timer);
}

// A short check needs no task-bar entry, no minimize and no maximize.
void FrmCheckConn::showEvent(QShowEvent *event)
{
    X11Window::setSkipTaskbar(this);
    X11Window::setWithoutMinimize(this);
    Form::showEvent(event);
}

void FrmCheckConn::Form_Load()
{
    TickCount = 0;
    SpinPhase = 0;
    CheckPath.clear();
    decided_ = false;
    Timer1->start();
}

void FrmCheckConn::startCheck(const QString &path)
{
    Text1->setText(path);
    checkClock_.start();
    check_ =
        QtConcurrent::run(blockingPool(BlockingWork::CatalogueCheck), [path] { return CatalogueProbe::check(path); });
}

bool FrmCheckConn::checkAnswered() const
{
    return check_.isValid() && check_.isFinished();
}

void FrmCheckConn::Timer1_Timer()
{
    // The count stops short of wrapping round, so the check can never come again.
    if (TickCount < std::numeric_limits<qint16>::max())
        ++TickCount;
    ++SpinPhase;
    if (SpinPhase == 5)
        SpinPhase = 0;
    else
        LblShowOff->setText(QString::fromLatin1(FrmCheckConnLayout::SpinnerSigns[SpinPhase - 1]));
    // The decision comes at the fourth tick, or as soon after as the check has an answer.
    const bool answered = checkAnswered() || checkClock_.elapsed() > CheckTimeLimitMs;
    if (TickCount >= FrmCheckConnLayout::CheckTick && answered && !decided_) {
        decided_ = true;
        ConnDb();
    }
}

void FrmCheckConn::ConnDb()
{
    CheckPath = Text1->text();
    const QString cause = checkAnswered() ? check_.result()
                                          : QStringLiteral("The catalogue \"%1\" did not answer within %2 seconds.")
                                                .arg(CheckPath)
                                                .arg(CheckTimeLimitMs / 1000);
    hide();
    if (cause.isEmpty()) {
        storeDatabaseLocation(CheckPath);
        MsgBox(QStringLiteral("New Database Location Set.\r\nRestart MORVO II"), MsgIcon::Information,
               QStringLiteral("MORVO-II Database Changed"));
    } else {
        MsgBox(QStringLiteral("Invalid Database Selected.\r\nEnding Program.\r\n\r\n") + cause, MsgIcon::Exclamation,
               QStringLiteral("MORVO II - Error"));
    }
    // A new catalogue takes effect at the next start only.
    Forms::Unload<Form1>();
    Unload();
}
