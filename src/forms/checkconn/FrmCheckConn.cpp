#include "forms/checkconn/FrmCheckConn.h"

#include "catalogue/DataEnvironment1.h"
#include "desktop/MsgBox.h"
#include "desktop/Settings.h"
#include "desktop/X11Window.h"
#include "forms/checkconn/FrmCheckConnLayout.h"
#include "forms/record/Form1.h"
#include "program/ProgramFacts.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <limits>

namespace {
// The probe: the chosen file's Projects table opened and holds a record. A move
// to the last record of an empty set is no proof of a catalogue.
bool chosenCatalogueHoldsARecord()
{
    Recordset &probe = DataEnvironment1::instance().rsTest;
    return probe.isOpen() && probe.RecordCount() > 0 && probe.MoveLast();
}

void storeDatabaseLocation(const QString &path)
{
    const QString app = QString::fromLatin1(ProgramFacts::SettingsApp),
                  section = QString::fromLatin1(ProgramFacts::SettingsSection),
                  key = QString::fromLatin1(ProgramFacts::DbsLocationKey);
    DeleteSetting(app, section, key);
    SaveSetting(app, section, key, path);
}
}

FrmCheckConn::FrmCheckConn() : Form(nullptr, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint)
{
    using namespace FrmCheckConnLayout;
    setWindowTitle(QString::fromLatin1(Caption));
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
    Timer1->start();
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
    if (TickCount == FrmCheckConnLayout::CheckTick)
        ConnDb();
}

void FrmCheckConn::ConnDb()
{
    CheckPath = Text1->text();
    const bool valid = chosenCatalogueHoldsARecord();
    hide();
    if (valid) {
        storeDatabaseLocation(CheckPath);
        MsgBox(QStringLiteral("New Database Location Set.\r\nRestart MORVO II"), MsgIcon::Information,
               QStringLiteral("MORVO-II Database Changed"));
    } else {
        MsgBox(QStringLiteral("Invalid Database Selected.\r\nEnding Program."), MsgIcon::Exclamation,
               QStringLiteral("MORVO II - Error"));
    }
    // A new catalogue takes effect at the next start only.
    Forms::Unload<Form1>();
    Unload();
}
