#include "shell/FrmFakeMin.h"

#include "forms/record/Form1.h"
#include "platform/ControlTable.h"
#include "shell/Artwork.h"

#include <QIcon>
#include <QLineEdit>
#include <QWindowStateChangeEvent>

namespace {
// A caption bar with almost no client area, in twips.
constexpr int InnerWidth = 9075, InnerHeight = 240;
constexpr char LoadCaption[] = "CADMorvo(";
constexpr char RestoreCaption[] = "Morvo II(";

// The caption names the record window's current job number.
QString captionWith(const char *prefix)
{
    const Form1 *record = Forms::Loaded<Form1>();
    const QString jobNumber = record ? record->TxtNumber->text() : QString();
    return QString::fromLatin1(prefix) + jobNumber + u')';
}
}

FrmFakeMin::FrmFakeMin()
{
    setWindowIcon(QIcon(QString::fromLatin1(Artwork::FakeMin)));
    resize(twipsRect(0, 0, InnerWidth, InnerHeight).size());
}

void FrmFakeMin::Form_Load()
{
    setWindowTitle(captionWith(LoadCaption));
    setWindowState(Qt::WindowNoState);
}

void FrmFakeMin::changeEvent(QEvent *event)
{
    Form::changeEvent(event);
    // Only a change away from minimized restores: window systems report sizes
    // and states in their own order while the window is being shown minimized.
    if (event->type() == QEvent::WindowStateChange
        && (static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized))
        Form_Resize();
}

void FrmFakeMin::Form_Resize()
{
    if (windowState() & Qt::WindowMinimized)
        return;
    if (Form1 *record = Forms::Loaded<Form1>())
        record->showNormal();
    setWindowTitle(captionWith(RestoreCaption));
    hide();
}
